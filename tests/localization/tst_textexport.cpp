// The export of every native text into the database form: the catalogue and the captions
// and tool tips of the registered windows, in one transaction.

#include "FakeGrid.h"
#include "LanguageFixture.h"
#include "TestSupport.h"
#include "base/DataFolder.h"
#include "base/FormRegistry.h"
#include "localization/LocGuru.h"
#include "localization/NativeCatalogue.h"

#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QtTest>
#include <stdexcept>

using namespace slx;

namespace {

const QString kLong = QString(256, QLatin1Char('x'));

QWidget *makeForm1()
{
    auto *form = new QMainWindow;
    form->setWindowTitle(GetNativeString(1, QString())); // a catalogue text used as a caption
    auto *central = new QWidget(form);
    auto *layout = new QVBoxLayout(central);
    auto *label = new QLabel(QStringLiteral("Programación"), central);
    label->setToolTip(QStringLiteral("Salir del programa"));
    layout->addWidget(label);
    auto *hidden = new QLabel(QStringLiteral("Oculto"), central);
    hidden->setProperty("Tag", QStringLiteral("!"));
    layout->addWidget(hidden);
    auto *grid = new slxtest::FakeGrid(central);
    grid->caption = QStringLiteral("Rejilla");
    grid->columns = {QStringLiteral("Columna A"), QStringLiteral("Fecha")};
    grid->splits = {QStringLiteral("División")};
    grid->inner->setText(QStringLiteral("Dentro"));
    layout->addWidget(grid);
    auto *tabs = new QTabWidget(central);
    tabs->addTab(new QLabel(QStringLiteral("En la pestaña")), QStringLiteral("Pestaña 1"));
    layout->addWidget(tabs);
    form->setCentralWidget(central);
    QMenu *menu = form->menuBar()->addMenu(QStringLiteral("Archivo"));
    menu->addAction(QStringLiteral("Exportar"));
    menu->addSeparator();
    menu->addAction(QStringLiteral("-"));
    // The window's load handler translates it; during the export this changes nothing.
    oLocGuru().TranslateForm(form);
    return form;
}

QWidget *makeForm2()
{
    auto *form = new QWidget;
    form->setWindowTitle(QStringLiteral("Ficha"));
    auto *layout = new QVBoxLayout(form);
    layout->addWidget(new QLabel(kLong, form));
    layout->addWidget(new QLabel(GetNativeString(12, QString()), form)); // Leq1'max
    return form;
}

QWidget *makeForm15()
{
    auto *form = new QWidget;
    form->setWindowTitle(QStringLiteral("Vista previa"));
    return form;
}

const QStringList kWindowTexts = {"Programación", "Salir del programa", "Rejilla", "Columna A", "División",
                                  "Pestaña 1",    "En la pestaña",      "Archivo", "Exportar",  "Ficha",
                                  "Vista previa"};

struct DbRow {
    QString native;
    QVariant used;
    QVariant english;
};

QList<DbRow> rows(const QString &path)
{
    QList<DbRow> out;
    slxtest::withDatabase(path, [&](QSqlDatabase &db) {
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("SELECT \"Native\", \"bIsUsed\", \"English\" FROM LocGuru ORDER BY rowid")))
            return false;
        while (q.next())
            out.append({q.value(0).toString(), q.value(1), q.value(2)});
        return true;
    });
    return out;
}

int countOf(const QList<DbRow> &all, const QString &native)
{
    int n = 0;
    for (const DbRow &r : all)
        n += r.native == native ? 1 : 0;
    return n;
}

QVariant usedOf(const QList<DbRow> &all, const QString &native)
{
    for (const DbRow &r : all) {
        if (r.native == native)
            return r.used;
    }
    return {};
}

} // namespace

class TestTextExport : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void fillsAnEmptyTable();
    void marksRowsOfAnExistingTable();
    void rollsBackOnFailure();
    void missingDatabase();
    void paddingNeverReachesTheDatabase();
    void designTextsWhateverTheWindowShows();
    void tooLongTextAlone();
    void definedSizeOfNative();
};

void TestTextExport::init()
{
    FormRegistry::add(QStringLiteral("Form1"), makeForm1);
    FormRegistry::add(QStringLiteral("Form2"), makeForm2);
    FormRegistry::add(QStringLiteral("Form15"), makeForm15);
}

void TestTextExport::cleanup()
{
    FormRegistry::addDesign(QStringLiteral("Form2"), nullptr);
    for (const QString &name : LocGuruP_BAS::ExportedForms()) {
        delete FormRegistry::instance(name);
        FormRegistry::add(name, nullptr);
    }
    oLocGuru().CloseLanguageDatabase();
    oLocGuru().setbTestStrWidth(false);
}

void TestTextExport::fillsAnEmptyTable()
{
    slxtest::DataHome home;
    slxtest::Answers answers;
    const QString path = DataFolder::file(QStringLiteral("Language.db"));
    QVERIFY(slxtest::writeLanguageFixture(path, false));

    LocGuruP_BAS::ExportAllFormStrings();

    const QList<DbRow> all = rows(path);
    const QStringList messages = LocGuruP_BAS::OwnMessages();
    QVERIFY(messages.contains(QStringLiteral("The database is not open.")));
    QCOMPARE(all.size(), 178 + kWindowTexts.size() + messages.size());
    for (const QString &m : messages)
        QVERIFY2(countOf(all, m) == 1, qPrintable(m));
    for (int n = 1; n <= kNativeCount; ++n) {
        const QString text = GetNativeString(n, QString());
        QVERIFY2(countOf(all, text) == 1, qPrintable(QString::number(n)));
    }
    for (const QString &t : kWindowTexts)
        QVERIFY2(countOf(all, t) == 1, qPrintable(t));
    for (const DbRow &r : all) {
        QCOMPARE(r.used.toInt(), -1);
        QVERIFY(r.english.isNull());
    }
    QCOMPARE(countOf(all, QStringLiteral("Leq1'max")), 1);
    QCOMPARE(countOf(all, QStringLiteral("Sensor\rinactivo")), 1);
    for (const QString &left : {QStringLiteral("Oculto"), QStringLiteral("Dentro"), QStringLiteral("-"), kLong})
        QCOMPARE(countOf(all, left), 0);

    // The one box: the caption too long for the table.
    QCOMPARE(answers.shown().size(), 1);
    QCOMPARE(answers.shown().first().text,
             QStringLiteral("The following string of 256 characters is longer than the maximum of 255 characters "
                            "that can be stored in the language database:\r\r") +
                 kLong);
    QCOMPARE(answers.shown().first().icon, ui::Icon::None);

    // The windows stay loaded and shown; the engine is closed again (nothing was open before).
    QVERIFY(FormRegistry::instance(QStringLiteral("Form1"))->isVisible());
    QVERIFY(FormRegistry::instance(QStringLiteral("Form15"))->isVisible());
    QVERIFY(!oLocGuru().bIsOpen());
    QVERIFY(oLocGuru().bConvertCrLf());
}

void TestTextExport::marksRowsOfAnExistingTable()
{
    slxtest::DataHome home;
    slxtest::Answers answers;
    const QString path = DataFolder::file(QStringLiteral("Language.db"));
    QVERIFY(slxtest::writeLanguageFixture(path));
    LocGuru &loc = oLocGuru();
    loc.setsForeignColumnName(QStringLiteral("English"));
    QVERIFY(loc.OpenLanguageDatabase(path, true, 0));

    LocGuruP_BAS::ExportAllFormStrings();

    const QList<DbRow> all = rows(path);
    QCOMPARE(usedOf(all, QStringLiteral("Hora")).toInt(), -1);
    QCOMPARE(usedOf(all, QStringLiteral("HORA")).toInt(), 0);
    QCOMPARE(usedOf(all, QStringLiteral("BUSCAR")).toInt(), -1);
    QCOMPARE(usedOf(all, QStringLiteral("Buscar")).toInt(), 0);
    QCOMPARE(usedOf(all, QStringLiteral("Texto que ya no se usa")).toInt(), 0);
    QCOMPARE(usedOf(all, QStringLiteral("Sensor\rinactivo")).toInt(), -1);
    QCOMPARE(usedOf(all, QStringLiteral("Límite")).toInt(), -1); // bSkip is not looked at
    QCOMPARE(countOf(all, QStringLiteral("Límite")), 2);         // the two rows were there before
    QCOMPARE(countOf(all, QStringLiteral("Hora")), 1);
    QCOMPARE(countOf(all, QStringLiteral("Leq1'max")), 1);
    // The rows that were there keep their translations.
    for (const DbRow &r : all) {
        if (r.native == QStringLiteral("Sí"))
            QCOMPARE(r.english.toString(), QStringLiteral("Yes"));
    }
    // Fixture rows that are catalogue texts were found, the others of the catalogue added.
    int fixtureCatalogue = 0;
    const QList<slxtest::FixtureRow> fixture = slxtest::fixtureRows();
    QSet<QString> fixtureNatives;
    for (const auto &r : fixture)
        fixtureNatives.insert(r.native);
    for (int n = 1; n <= kNativeCount; ++n)
        fixtureCatalogue += fixtureNatives.contains(GetNativeString(n, QString())) ? 1 : 0;
    int newMessages = 0;
    for (const QString &m : LocGuruP_BAS::OwnMessages())
        newMessages += fixtureNatives.contains(m) ? 0 : 1;
    QCOMPARE(all.size(), fixture.size() + (178 - fixtureCatalogue) + kWindowTexts.size() + newMessages);

    // The database open before is open again for translating.
    QCOMPARE(loc.sLanguageDB(), path);
    QVERIFY(loc.bIsReadOnly());
    QCOMPARE(loc.GetS(68), QStringLiteral("Yes"));
}

void TestTextExport::rollsBackOnFailure()
{
    slxtest::DataHome home;
    slxtest::Answers answers;
    const QString path = DataFolder::file(QStringLiteral("Language.db"));
    QVERIFY(slxtest::writeLanguageFixture(path));
    FormRegistry::add(QStringLiteral("Form2"),
                      []() -> QWidget * { throw std::runtime_error("The window Form2 could not be loaded"); });
    const QList<DbRow> before = rows(path);

    LocGuruP_BAS::ExportAllFormStrings();

    QCOMPARE(answers.shown().size(), 1);
    QCOMPARE(answers.shown().first().text, QStringLiteral("The window Form2 could not be loaded"));
    QCOMPARE(answers.shown().first().icon, ui::Icon::Exclamation);
    const QList<DbRow> after = rows(path);
    QCOMPARE(after.size(), before.size());
    for (qsizetype i = 0; i < after.size(); ++i) {
        QCOMPARE(after.at(i).native, before.at(i).native);
        QCOMPARE(after.at(i).used, before.at(i).used);
    }
    QVERIFY(!oLocGuru().bIsOpen());
}

void TestTextExport::missingDatabase()
{
    slxtest::DataHome home;
    slxtest::Answers answers;
    const QString path = DataFolder::file(QStringLiteral("Language.db"));
    LocGuruP_BAS::ExportAllFormStrings();
    QCOMPARE(answers.shown().size(), 1);
    QVERIFY2(answers.shown().first().text.contains(QStringLiteral("Could not find file")),
             qPrintable(answers.shown().first().text));
    QVERIFY(!QFile::exists(path));
    QVERIFY(!FormRegistry::instance(QStringLiteral("Form1")));
}

// A window shown in English with a clock running gives its design-time texts; the program's
// own messages are used texts.
void TestTextExport::designTextsWhateverTheWindowShows()
{
    slxtest::DataHome home;
    slxtest::Answers answers;
    const QString path = DataFolder::file(QStringLiteral("Language.db"));
    QVERIFY(slxtest::writeLanguageFixture(path));
    const auto build = [](bool loaded) {
        auto *form = new QWidget;
        auto *layout = new QVBoxLayout(form);
        auto *caption = new QLabel(QStringLiteral("Programación"), form);
        caption->setToolTip(QStringLiteral("Salir del programa"));
        layout->addWidget(caption);
        auto *clock = new QLabel(form);
        layout->addWidget(clock);
        if (loaded) { // what the loaded window shows at the time of the export
            caption->setText(QStringLiteral("Programming"));
            caption->setToolTip(QStringLiteral("Exit the program"));
            clock->setText(QStringLiteral("12:44:01"));
        }
        return form;
    };
    FormRegistry::add(QStringLiteral("Form2"), [&] { return build(true); });
    FormRegistry::addDesign(QStringLiteral("Form2"), [&] { return build(false); });
    QWidget *shown = FormRegistry::load(QStringLiteral("Form2"));
    shown->show();

    LocGuruP_BAS::ExportAllFormStrings();

    const QList<DbRow> all = rows(path);
    QCOMPARE(usedOf(all, QStringLiteral("Programación")).toInt(), -1);
    QCOMPARE(usedOf(all, QStringLiteral("Salir del programa")).toInt(), -1);
    for (const QString &live :
         {QStringLiteral("Programming"), QStringLiteral("Exit the program"), QStringLiteral("12:44:01")})
        QVERIFY2(usedOf(all, live).toInt() != -1, qPrintable(live));
    QCOMPARE(usedOf(all, QStringLiteral("The database is not open.")).toInt(), -1);
    // The loaded window is left as it is.
    QCOMPARE(FormRegistry::instance(QStringLiteral("Form2")), shown);
    QVERIFY(shown->isVisible());
}

void TestTextExport::paddingNeverReachesTheDatabase()
{
    slxtest::DataHome home;
    slxtest::Answers answers;
    const QString path = DataFolder::file(QStringLiteral("Language.db"));
    QVERIFY(slxtest::writeLanguageFixture(path, false));
    oLocGuru().setbTestStrWidth(true);
    LocGuruP_BAS::ExportAllFormStrings();
    const QList<DbRow> all = rows(path);
    QCOMPARE(countOf(all, QStringLiteral("Sí")), 1);
    QCOMPARE(countOf(all, QStringLiteral("SíWW")), 0);
    QCOMPARE(countOf(all, QStringLiteral("Programación")), 1);
    QVERIFY(oLocGuru().bTestStrWidth());
}

void TestTextExport::tooLongTextAlone()
{
    slxtest::DataHome home;
    slxtest::Answers answers;
    const QString path = home.file(QStringLiteral("lang.db"));
    QVERIFY(slxtest::writeLanguageFixture(path, false));
    LocGuru loc;
    QVERIFY(loc.OpenLanguageDatabase(path, false, 0));
    QCOMPARE(loc.lMaxNativeLength(), 255);
    QVERIFY(loc.ExportOneString(QString(255, QLatin1Char('y'))));
    QVERIFY(loc.ExportOneString(kLong));
    QVERIFY(loc.ExportOneString(QString()));
    QVERIFY(loc.ExportOneString(QStringLiteral("Leq1'min")));
    QVERIFY(loc.ExportOneString(QStringLiteral("Leq1'min")));
    loc.CloseLanguageDatabase();
    const QList<DbRow> all = rows(path);
    QCOMPARE(all.size(), 2);
    QCOMPARE(countOf(all, QStringLiteral("Leq1'min")), 1);
    QCOMPARE(answers.shown().size(), 1);
}

void TestTextExport::definedSizeOfNative()
{
    slxtest::DataHome home;
    slxtest::Answers answers;
    const QString path = home.file(QStringLiteral("lang.db"));
    QVERIFY(slxtest::withDatabase(path, [](QSqlDatabase &db) {
        return QSqlQuery(db).exec(QStringLiteral("CREATE TABLE LocGuru (Native VARCHAR(40), English TEXT, "
                                                 "bIsUsed INTEGER, bSkip INTEGER)"));
    }));
    LocGuru loc;
    QVERIFY(loc.OpenLanguageDatabase(path, false, 0));
    QCOMPARE(loc.lMaxNativeLength(), 40);
    QVERIFY(loc.ExportOneString(QString(41, QLatin1Char('z'))));
    QCOMPARE(answers.shown().size(), 1);
    QVERIFY(answers.shown().first().text.contains(QStringLiteral("41 characters is longer than the maximum of 40")));
    loc.CloseLanguageDatabase();
    QCOMPARE(loc.lMaxNativeLength(), 40); // kept after the close
    QVERIFY(slxtest::writeLanguageFixture(path, false));
    QVERIFY(loc.OpenLanguageDatabase(path, false, 0));
    QCOMPARE(loc.lMaxNativeLength(), 255);
}

QTEST_MAIN(TestTextExport)
#include "tst_textexport.moc"
