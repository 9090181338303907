// The shipped language database (built from data/language/*.tsv and seeded into the data
// folder): every catalogue text has exactly one row, translated into all seven languages,
// keeping its line breaks, its trailing blank, its figures and its units.

#include "TestSupport.h"
#include "base/DataFolder.h"
#include "localization/NativeCatalogue.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>
#include <memory>

using namespace slx;

namespace {

// The figures of a text, in order ("31.5", "90", ...).
QStringList numbers(const QString &text)
{
    static const QRegularExpression figure(QStringLiteral("\\d+(?:\\.\\d+)?"));
    QStringList out;
    for (auto it = figure.globalMatch(text); it.hasNext();)
        out << it.next().captured();
    return out;
}

} // namespace

class TestLanguageDb : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void catalogueRows_data();
    void catalogueRows();
    void nativesAreUnique();
    void spanishIsTheNativeText();

private:
    slxtest::DataHome *m_home = nullptr;
    std::unique_ptr<slxtest::ReadOnlyDatabase> m_shipped;
    QSqlDatabase m_db;
    const QStringList m_languages = slxtest::languageColumns();
};

void TestLanguageDb::initTestCase()
{
    m_home = new slxtest::DataHome;
    QVERIFY(m_home->seed());
    const QString path = DataFolder::file(QStringLiteral("Language.db"));
    QVERIFY(QFile::exists(path));
    m_shipped = std::make_unique<slxtest::ReadOnlyDatabase>(path, QStringLiteral("shipped"));
    m_db = m_shipped->db();
    QVERIFY(m_db.isOpen());
    const QSqlRecord rec = m_db.record(QStringLiteral("LocGuru"));
    QCOMPARE(rec.fieldName(0), QStringLiteral("Native"));
    for (int i = 0; i < m_languages.size(); ++i)
        QCOMPARE(rec.fieldName(i + 1), m_languages.at(i));
    QCOMPARE(rec.fieldName(8), QStringLiteral("bIsUsed"));
    QCOMPARE(rec.fieldName(9), QStringLiteral("bSkip"));
}

void TestLanguageDb::cleanupTestCase()
{
    m_db = QSqlDatabase();
    m_shipped.reset();
    delete m_home;
}

void TestLanguageDb::catalogueRows_data()
{
    QTest::addColumn<int>("id");
    for (int n = 1; n <= kNativeCount; ++n)
        QTest::newRow(qPrintable(QString::number(n))) << n;
}

void TestLanguageDb::catalogueRows()
{
    QFETCH(int, id);
    const QString native = GetNativeString(id, QString());
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT * FROM LocGuru WHERE \"Native\" = ?"));
    q.addBindValue(native);
    QVERIFY(q.exec());
    QVERIFY2(q.next(), "no row");
    const QSqlRecord row = q.record();
    QVERIFY2(!q.next(), "more than one row");
    QCOMPARE(row.value(QStringLiteral("bSkip")).toInt(), 0);
    for (const QString &language : m_languages) {
        const QVariant v = row.value(language);
        const QString t = v.toString();
        QVERIFY2(!v.isNull() && !t.trimmed().isEmpty(), qPrintable(language));
        QVERIFY2(t.count(QLatin1Char('\r')) == native.count(QLatin1Char('\r')), qPrintable(language));
        QVERIFY2(t.count(QLatin1Char('\n')) == native.count(QLatin1Char('\n')), qPrintable(language));
        QVERIFY2(t.endsWith(QLatin1Char(' ')) == native.endsWith(QLatin1Char(' ')), qPrintable(language));
        QVERIFY2(t.count(QStringLiteral("%s")) == native.count(QStringLiteral("%s")), qPrintable(language));
        QVERIFY2(!t.contains(QLatin1Char('\t')) && t == t.trimmed() + (t.endsWith(QLatin1Char(' ')) ? " " : ""),
                 qPrintable(language));
        // Figures (limits, bands, versions, ports) and units stay as they are.
        QVERIFY2(numbers(t) == numbers(native), qPrintable(language + QStringLiteral(": ") + t));
        for (const QString &unit : {QStringLiteral("dBA"), QStringLiteral("Hz"), QStringLiteral("T(s)"),
                                    QStringLiteral("Leq"), QStringLiteral("LFmax"), QStringLiteral("dd/MM/yy")}) {
            if (native.contains(unit))
                QVERIFY2(t.contains(unit), qPrintable(language + QStringLiteral(": ") + t));
        }
    }
}

void TestLanguageDb::nativesAreUnique()
{
    QSqlQuery q(m_db);
    QVERIFY(q.exec(QStringLiteral("SELECT \"Native\", COUNT(*) FROM LocGuru GROUP BY \"Native\" HAVING COUNT(*) > 1")));
    QVERIFY2(!q.next(), qPrintable(q.value(0).toString()));
}

// The program's texts are Spanish as they stand: the Spanish column repeats them, except
// for the plain misspellings it corrects. The rows of the program's own messages (English
// keys) and of texts the same in English (names, units) are translations and are left out,
// except the catalogue texts.
void TestLanguageDb::spanishIsTheNativeText()
{
    const QHash<QString, QString> corrected = {
        {QStringLiteral("Texto para el pie de página (máximo 50 carácteres): "),
         QStringLiteral("Texto para el pie de página (máximo 50 caracteres): ")},
        {QStringLiteral("Error con miercoles"), QStringLiteral("Error con miércoles")},
        {QStringLiteral("Horarios sesion"), QStringLiteral("Horarios sesión")},
        {QStringLiteral("INTERVALOS INHABILES"), QStringLiteral("INTERVALOS INHÁBILES")},
        {QStringLiteral("Rings antes de que el modem decuelgue:"),
         QStringLiteral("Rings antes de que el módem descuelgue:")},
        {QStringLiteral("FINALES BATERIA"), QStringLiteral("FINALES BATERÍA")},
        {QStringLiteral("Mie"), QStringLiteral("Mié")},
        {QStringLiteral("Sab"), QStringLiteral("Sáb")},
        {QStringLiteral("Error importanfo datos"), QStringLiteral("Error importando datos")},
        {QStringLiteral("HORARIOS DE SESION"), QStringLiteral("HORARIOS DE SESIÓN")},
        {QStringLiteral("REGISTROS SESION Inicio <> Final"), QStringLiteral("REGISTROS SESIÓN Inicio <> Final")},
        {QStringLiteral("Límte LeqT(emisión)"), QStringLiteral("Límite LeqT(emisión)")},
    };
    QSet<QString> catalogue;
    for (int n = 1; n <= kNativeCount; ++n)
        catalogue.insert(GetNativeString(n, QString()));
    QSqlQuery q(m_db);
    QVERIFY(q.exec(QStringLiteral("SELECT \"Native\", \"Español\", \"English\" FROM LocGuru")));
    QStringList reworded;
    while (q.next()) {
        const QString native = q.value(0).toString();
        if (native == q.value(2).toString() && !catalogue.contains(native))
            continue;
        QString expected = corrected.value(native, native);
        if (native.startsWith(QStringLiteral("ATENCIÓN!:")))
            expected = QStringLiteral("¡") + native; // the opening mark it lacks
        if (q.value(1).toString() != expected)
            reworded << native + QStringLiteral(" -> ") + q.value(1).toString();
    }
    QVERIFY2(reworded.isEmpty(), qPrintable(reworded.join(QStringLiteral(" | "))));
}

QTEST_MAIN(TestLanguageDb)
#include "tst_languagedb.moc"
