// The text form of the language database: header, offsets, rescans, value lines and the
// failures, as a table of small files.

#include "TestSupport.h"
#include "localization/LocFailure.h"
#include "localization/LocGuru.h"

#include <QFile>
#include <QLabel>
#include <QTabWidget>
#include <QtTest>

using namespace slx;

namespace {

// Builds a text form. Lines are joined with CR LF. "{N}", "{E}" and "{F}" stand for the
// byte position (from 1) of the lines "[Native]", "[English]" and "[Français]", written
// with six digits so that the positions do not move; "{N+3}" and so on add to them.
QByteArray buildFile(const QList<QByteArray> &lines, const QByteArray &eol = "\r\n")
{
    QByteArray out = lines.join(eol) + eol;
    const auto position = [&out](const QByteArray &section) -> qint64 {
        const qsizetype at = out.indexOf(section);
        return at < 0 ? 0 : at + 1;
    };
    const struct {
        QByteArray tag;
        QByteArray section;
    } marks[] = {{"N", "[Native]"},
                 {"E", "[English]"},
                 {"F", "[Fran\xe7"
                       "ais]"}};
    for (const auto &m : marks) {
        for (int add : {0, 3}) {
            const QByteArray token = "{" + m.tag + (add ? "+" + QByteArray::number(add) : QByteArray()) + "}";
            if (out.contains(token))
                out.replace(token, QByteArray::number(position(m.section) + add).rightJustified(6, '0'));
        }
    }
    return out;
}

bool escribe(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The file's bytes; empty when it cannot be read.
QByteArray lee(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QList<QByteArray> kHeader = {
    "[Localization Guru]",
    "NumberOfLanguages=2",
    "NumberOfStrings=4",
    "Language1=English",
    "Language2=Fran\xe7"
    "ais",
    "Language0_Offset={N}",
    "Language1_Offset={E}",
    "Language2_Offset={F}",
};

QList<QByteArray> sections(const QList<QByteArray> &english = {"E1=Date", "E2=Time", "E3=Saturday", "E4=Yes"})
{
    // Natives in ascending order of character codes: "\xe1" (a acute) sorts before "\xed" (i acute).
    QList<QByteArray> l = {"[Native]",
                           "01=Fecha",
                           "02=Hora",
                           "03=S\xe1"
                           "bado",
                           "04=S\xed",
                           "[English]"};
    l += english;
    l += {"[Fran\xe7"
          "ais]",
          "F1=Date", "F2=Heure", "F3=Samedi", "F4=Oui"};
    return l;
}

QList<QByteArray> withHeader(QList<QByteArray> header, const QList<QByteArray> &body)
{
    return header + body;
}

QList<QByteArray> headerWith(const QByteArray &key, const QByteArray &line)
{
    QList<QByteArray> h = kHeader;
    for (QByteArray &l : h) {
        if (l.startsWith(key + "=")) {
            l = line;
            return h;
        }
    }
    h << line;
    return h;
}

QList<QByteArray> headerWithout(const QByteArray &key)
{
    QList<QByteArray> h;
    for (const QByteArray &l : kHeader) {
        if (!l.startsWith(key + "="))
            h << l;
    }
    return h;
}

} // namespace

class TestTextForm : public QObject {
    Q_OBJECT

private slots:
    void open_data();
    void open();
    void languageMissingFromHeaderKeepsDescription();
    void neverWritten();
    void everyExportStepRefused_data();
    void everyExportStepRefused();
};

void TestTextForm::open_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QStringList>("lookups"); // native, expected, native, expected...

    const QStringList english = {"Fecha", "Date",   "Hora",     "Time",    "Sí",
                                 "Yes",   "Sábado", "Saturday", "Domingo", "Domingo"};
    const QString invalid = QStringLiteral("Not a valid Text Language Database");

    QTest::newRow("offsets right") << buildFile(withHeader(kHeader, sections())) << "English" << true << "" << english;
    QTest::newRow("Windows-1252 column name and values")
        << buildFile(withHeader(kHeader, sections())) << "Français" << true << ""
        << QStringList{"Sábado", "Samedi", "Hora", "Heure"};
    QTest::newRow("column name in another letter case")
        << buildFile(withHeader(kHeader, sections())) << "ENGLISH" << true << "" << QStringList{"Hora", "Time"};
    QTest::newRow("LF line ends") << buildFile(withHeader(kHeader, sections()), "\n") << "English" << true << ""
                                  << english;
    QTest::newRow("UTF-8 BOM") << QByteArray("\xEF\xBB\xBF") +
                                      QString::fromLatin1(buildFile(withHeader(kHeader, sections()))).toUtf8()
                               << "English" << true << "" << english;
    QTest::newRow("offsets into the middle of a line")
        << buildFile(withHeader(headerWith("Language0_Offset", "Language0_Offset={N+3}") +
                                    QList<QByteArray>{"Language1_Offset={E+3}"},
                                sections()))
        << "English" << true << "" << english;
    QTest::newRow("offsets 0")
        << buildFile(withHeader(headerWith("Language0_Offset", "Language0_Offset=0") + QList<QByteArray>{}, sections()))
        << "English" << true << "" << english;
    QTest::newRow("offsets missing") << buildFile(withHeader(headerWithout("Language1_Offset"), sections()))
                                     << "English" << true << "" << english;
    QTest::newRow("offsets past the end")
        << buildFile(withHeader(headerWith("Language1_Offset", "Language1_Offset=999999"), sections())) << "English"
        << true << "" << english;
    QTest::newRow("offset on another section line")
        << buildFile(withHeader(headerWith("Language1_Offset", "Language1_Offset={F}"), sections())) << "English"
        << true << "" << english;
    QTest::newRow("value lines: key rule")
        << buildFile(withHeader(kHeader, sections({"ab=x=y", "a=Hour", "=Saturday", "no equal sign"}))) << "English"
        << true << "" << QStringList{"Fecha", "x=y", "Hora", "a=Hour", "Sábado", "=Saturday", "Sí", "no equal sign"};
    QTest::newRow("counts missing") << buildFile(withHeader(headerWithout("NumberOfStrings"), sections())) << "English"
                                    << false << invalid << QStringList{"Hora", "Hora"};
    QTest::newRow("languages missing") << buildFile(withHeader(headerWithout("NumberOfLanguages"), sections()))
                                       << "English" << false << invalid << QStringList{"Hora", "Hora"};
    QTest::newRow("count not a number") << buildFile(withHeader(headerWith("NumberOfStrings", "NumberOfStrings=many"),
                                                                sections()))
                                        << "English" << false << invalid << QStringList{};
    QTest::newRow("count 0") << buildFile(withHeader(headerWith("NumberOfStrings", "NumberOfStrings=0"), sections()))
                             << "English" << false << invalid << QStringList{};
    QTest::newRow("short section at the end")
        << buildFile(withHeader(headerWith("NumberOfStrings", "NumberOfStrings=3"),
                                {"[Native]", "01=Fecha", "02=Hora", "03=S\xed", "[English]", "E1=Date", "E2=Time"}))
        << "English" << false << invalid << QStringList{"Fecha", "Fecha"};
    // Value lines are counted, not sections: the native column takes "[English]" as its fifth
    // value, and the last column runs out of lines at the end of the file.
    QTest::newRow("count beyond the sections")
        << buildFile(withHeader(headerWith("NumberOfStrings", "NumberOfStrings=5"), sections())) << "Français" << false
        << invalid << QStringList{};
    QTest::newRow("section missing") << buildFile(withHeader(kHeader, {"[Native]", "01=Fecha", "02=Hora",
                                                                       "03=S\xe1"
                                                                       "bado",
                                                                       "04=S\xed"}))
                                     << "English" << false << "" << QStringList{"Hora", "Hora"};
    QTest::newRow("not a text form") << QByteArray("\x00\x01\x02 binary", 10) << "English" << false << invalid
                                     << QStringList{};
    QTest::newRow("missing file") << QByteArray() << "English" << false << invalid << QStringList{};
    QTest::newRow("language listed past the count")
        << buildFile(withHeader(headerWith("NumberOfLanguages", "NumberOfLanguages=1"), sections())) << "Français"
        << false << "" << QStringList{"Hora", "Hora"};
    QTest::newRow("count of languages far beyond the keys")
        << buildFile(withHeader(headerWith("NumberOfLanguages", "NumberOfLanguages=2000000000"), sections()))
        << "Français" << true << "" << QStringList{"Hora", "Heure"};
    QTest::newRow("language number in the ten thousands")
        << buildFile(withHeader(
               [] {
                   QList<QByteArray> h = headerWith("NumberOfLanguages", "NumberOfLanguages=20000");
                   h.replace(h.indexOf("Language1=English"), "Language12345=English");
                   return h;
               }(),
               sections()))
        << "English" << true << "" << QStringList{"Hora", "Time"};
    QTest::newRow("a key's first line counts")
        << buildFile(withHeader(kHeader + QList<QByteArray>{"language1=Deutsch"}, sections())) << "Deutsch" << false
        << "" << QStringList{"Hora", "Hora"};
    QTest::newRow("Language01 is another key")
        << buildFile(withHeader(headerWith("Language1", "Language01=English"), sections())) << "English" << false << ""
        << QStringList{"Hora", "Hora"};
    QTest::newRow("counts rounded") << buildFile(
                                           withHeader(headerWith("NumberOfStrings", "NumberOfStrings=3.6"), sections()))
                                    << "English" << true << "" << english;
}

void TestTextForm::open()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, language);
    QFETCH(bool, opens);
    QFETCH(QString, error);
    QFETCH(QStringList, lookups);
    slxtest::DataHome home;
    const QString path = home.file(QStringLiteral("Language.txt"));
    if (!file.isEmpty())
        QVERIFY(escribe(path, file));
    LocGuru loc;
    loc.setsForeignColumnName(language);
    QCOMPARE(loc.OpenLanguageDatabase(path, false, 1), opens);
    QCOMPARE(loc.bIsOpen(), opens);
    if (opens) {
        QCOMPARE(loc.eOpenDbType(), 1);
        QVERIFY(loc.bIsReadOnly()); // the text form is always open for translating
        QCOMPARE(loc.sLanguageDB(), path);
    } else if (!error.isEmpty()) {
        QCOMPARE(loc.sErrDescription(), error);
    }
    for (qsizetype i = 0; i + 1 < lookups.size(); i += 2)
        QCOMPARE(loc.GetTranslation(lookups.at(i)), lookups.at(i + 1));
}

void TestTextForm::languageMissingFromHeaderKeepsDescription()
{
    slxtest::DataHome home;
    const QString path = home.file(QStringLiteral("Language.txt"));
    QVERIFY(escribe(path, buildFile(withHeader(kHeader, sections()))));
    LocGuru loc;
    loc.setsForeignColumnName(QStringLiteral("Deutsch"));
    QVERIFY(!loc.OpenLanguageDatabase(path + QStringLiteral(".none"), true, 1));
    const QString before = loc.sErrDescription();
    QVERIFY(!loc.OpenLanguageDatabase(path, true, 1));
    QCOMPARE(loc.sErrDescription(), before);
    QCOMPARE(loc.GetTranslation(QStringLiteral("Hora")), QStringLiteral("Hora"));
}

void TestTextForm::neverWritten()
{
    slxtest::DataHome home;
    slxtest::Answers answers;
    const QString path = home.file(QStringLiteral("Language.txt"));
    const QByteArray content = buildFile(withHeader(kHeader, sections()));
    QVERIFY(escribe(path, content));
    LocGuru loc;
    loc.setsForeignColumnName(QStringLiteral("English"));
    QVERIFY(loc.OpenLanguageDatabase(path, false, 1));
    // The export's own step stops with the failure's number, source and description...
    try {
        LocExport::oneString(loc, QStringLiteral("Nuevo"));
        QFAIL("the text form took an export");
    } catch (const LocFailure &f) {
        QCOMPARE(f.number, 0x80040001LL);
        QCOMPARE(f.source, QStringLiteral("LocGuru.ExportOneString"));
        QCOMPARE(f.description, QStringLiteral("Text can only be exported to an Access Language Database"));
    }
    QCOMPARE(loc.sErrDescription(), QStringLiteral("Text can only be exported to an Access Language Database"));
    // ... which the public operation returns as its failure.
    const auto exportado = loc.ExportOneString(QStringLiteral("Nuevo"));
    QVERIFY2(!exportado, "the text form took an export");
    QCOMPARE(exportado.error().mensaje(), QStringLiteral("Text can only be exported to an Access Language Database"));
    QCOMPARE(exportado.error().detail, QStringLiteral("LocGuru.ExportOneString"));
    QCOMPARE(lee(path), content);
}

// Each public step of the export returns the text form's refusal as its failure, and the
// file stays as it was.
void TestTextForm::everyExportStepRefused_data()
{
    QTest::addColumn<QString>("paso");
    for (const char *paso : {"strings", "form", "object", "special control", "transaction"})
        QTest::newRow(paso) << QString::fromLatin1(paso);
}

void TestTextForm::everyExportStepRefused()
{
    QFETCH(QString, paso);
    slxtest::DataHome home;
    slxtest::Answers answers;
    const QString path = home.file(QStringLiteral("Language.txt"));
    const QByteArray content = buildFile(withHeader(kHeader, sections()));
    QVERIFY(escribe(path, content));
    LocGuru loc;
    loc.setsForeignColumnName(QStringLiteral("English"));
    QVERIFY(loc.OpenLanguageDatabase(path, false, 1));
    QWidget window;
    window.setWindowTitle(QStringLiteral("Ventana"));
    auto *label = new QLabel(QStringLiteral("Hora"), &window);
    auto *tabs = new QTabWidget(&window);
    tabs->addTab(new QWidget, QStringLiteral("Normativa"));
    Resultado<> r;
    if (paso == QLatin1String("strings"))
        r = loc.ExportStrings(179);
    else if (paso == QLatin1String("form"))
        r = loc.ExportFormStrings(&window);
    else if (paso == QLatin1String("object"))
        r = loc.ExportObjectStrings(label);
    else if (paso == QLatin1String("special control")) {
        const auto handled = LocGuruP_BAS::ExportSpecialControlStrings(tabs, loc);
        if (!handled)
            r = std::unexpected(handled.error());
    } else
        r = loc.BeginExportTransaction();
    QVERIFY2(!r, "the text form took an export");
    QCOMPARE(r.error().mensaje(), QStringLiteral("Text can only be exported to an Access Language Database"));
    QCOMPARE(r.error().detail, QStringLiteral("LocGuru.ExportOneString"));
    QCOMPARE(answers.shown().size(), 0);
    QCOMPARE(lee(path), content);
}

QTEST_MAIN(TestTextForm)
#include "tst_textform.moc"
