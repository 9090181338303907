// The localization engine without windows: the catalogue, GetS, the width test, the
// token reader, lookups in the database form and the start-up routine.

#include "LanguageFixture.h"
#include "TestSupport.h"
#include "localization/LocGuru.h"
#include "localization/NativeCatalogue.h"
#include "base/DataFolder.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QtTest>

using namespace slx;

class TestLocGuru : public QObject {
    Q_OBJECT

private slots:
    void catalogue_data();
    void catalogue();
    void catalogueTextsAreDistinct();
    void propertyWrites();
    void getToken_data();
    void getToken();
    void widthTest_data();
    void widthTest();
    void widthTestBadTable();
    void lookups_data();
    void lookups();
    void getSFilling();
    void untranslatedStates();
    void lookupsNeedNoDatabaseFile();
    void missingColumn();
    void openFailures_data();
    void openFailures();
    void setupLanguageModes();
    void setupLanguageMissingDatabase_data();
    void setupLanguageMissingDatabase();
    void setupLanguageFallsBackToDataFolder();
    void qtDialogButtons_data();
    void qtDialogButtons();
};

void TestLocGuru::catalogue_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("expected");
    const QString prefix = QStringLiteral("GetS: Unknown String ID ");
    QTest::newRow("0") << 0 << prefix + "0";
    QTest::newRow("179") << 179 << prefix + "179";
    QTest::newRow("-1") << -1 << prefix + "-1";
    QTest::newRow("-3") << -3 << prefix + "-3";
    QTest::newRow("68 accented i") << 68 << QStringLiteral("Sí");
    QTest::newRow("93 no accent") << 93 << QStringLiteral("Error con miercoles");
    QTest::newRow("72 accent") << 72 << QStringLiteral("Miércoles");
    QTest::newRow("24 double blank") << 24
                                     << QStringLiteral("Fecha empieza intervalo mayor o igual que  fecha termina "
                                                       "intervalo.");
    QTest::newRow("30 double blank") << 30 << QStringLiteral("El aparato conectado  no corresponde a un SLX-90.");
    QTest::newRow("22 trailing blank") << 22 << QStringLiteral("Texto para el pie de página (máximo 50 carácteres): ");
    QTest::newRow("146 trailing blank") << 146 << QStringLiteral("Octava 31.5Hz: ");
    QTest::newRow("155 trailing blank") << 155 << QStringLiteral("Rings: ");
    QTest::newRow("42 CR") << 42 << QStringLiteral("LeqSesión\rdBA");
    QTest::newRow("12 apostrophe") << 12 << QStringLiteral("Leq1'max");
    QTest::newRow("177") << 177
                         << QStringLiteral("ATENCIÓN!: El sistema tiene configurada la opción de \"fuentes grandes\"."
                                           "\r\nDebe escoger la opción \"fuentes pequeñas\" dentro de \"Propiedades de "
                                           "Pantalla\".\r\nVer el manual de instalación en el CD.");
    QTest::newRow("178") << 178 << QStringLiteral("Error importanfo datos");
}

void TestLocGuru::catalogue()
{
    QFETCH(int, id);
    QFETCH(QString, expected);
    LocGuru loc;
    QCOMPARE(loc.GetS(id), expected);
    if (id == 42)
        QCOMPARE(loc.GetS(id).size(), 13);
}

void TestLocGuru::catalogueTextsAreDistinct()
{
    // The texts are keys of the language database: two equal texts would share one row.
    QSet<QString> seen;
    for (int n = 1; n <= kNativeCount; ++n)
        seen.insert(GetNativeString(n, QString()));
    QCOMPARE(seen.size(), 178);
    int withCr = 0;
    for (int n = 1; n <= kNativeCount; ++n)
        withCr += GetNativeString(n, QString()).count(QLatin1Char('\r')) == 1 ? 1 : 0;
    QCOMPARE(withCr, 19); // 37-49, 56, 57, 67, 101, 145, 157; 177 has two
}

void TestLocGuru::propertyWrites()
{
    LocGuru loc;
    QCOMPARE(loc.sForeignColumnName(), QStringLiteral("Foreign"));
    QCOMPARE(loc.sStrWidthFactors(), QStringLiteral("4:100,10:80,20:60,30:40,50:20,9999:10"));
    QCOMPARE(loc.sUnknownStrID(), QStringLiteral("GetS: Unknown String ID "));
    QCOMPARE(loc.colProperties(), (QStringList{"Caption", "ToolTipText"}));
    QCOMPARE(loc.lTagExcludeLength(), 1);
    QCOMPARE(loc.lMaxNativeLength(), 255);
    QVERIFY(loc.bEnabled());
    QVERIFY(!loc.bIsOpen());

    loc.setsPadChar(QString());
    QCOMPARE(loc.sPadChar(), QStringLiteral("W"));
    loc.setsPadChar(QStringLiteral("xyz"));
    QCOMPARE(loc.sPadChar(), QStringLiteral("x"));

    loc.setsProperties(QStringLiteral("Caption, ,ToolTipText"));
    QCOMPARE(loc.colProperties(), QStringList{"Caption"});
    loc.setsProperties(QStringLiteral(" Text , Font.Name"));
    QCOMPARE(loc.colProperties(), (QStringList{"Text", "Font.Name"}));

    loc.setsTagExclude(QString());
    QCOMPARE(loc.lTagExcludeLength(), 0);
    loc.setsTagExclude(QStringLiteral("NOTR"));
    QCOMPARE(loc.lTagExcludeLength(), 4);
}

void TestLocGuru::getToken_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<QString>("token");
    QTest::addColumn<QString>("rest");
    QTest::newRow("quoted with delimiter") << "\"a,b\", c"
                                           << ","
                                           << "a,b"
                                           << " c";
    QTest::newRow("plain") << "Caption,ToolTipText"
                           << ","
                           << "Caption"
                           << "ToolTipText";
    QTest::newRow("leading blanks, not trimmed") << "   x y ,z"
                                                 << ","
                                                 << "x y "
                                                 << "z";
    QTest::newRow("apostrophe quote, no delimiter after") << "'ab'cd,e"
                                                          << ","
                                                          << "ab"
                                                          << "cd,e";
    QTest::newRow("last token") << "9999:10"
                                << ","
                                << "9999:10"
                                << "";
    QTest::newRow("empty") << ""
                           << ","
                           << ""
                           << "";
    QTest::newRow("empty item") << ",x"
                                << ","
                                << ""
                                << "x";
    QTest::newRow("colon") << "4:100"
                           << ":"
                           << "4"
                           << "100";
}

void TestLocGuru::getToken()
{
    QFETCH(QString, text);
    QFETCH(QString, delimiter);
    QFETCH(QString, token);
    QFETCH(QString, rest);
    LocGuru loc;
    QCOMPARE(loc.GetToken(text, delimiter), token);
    QCOMPARE(text, rest);
}

void TestLocGuru::widthTest_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("fillers");
    QTest::newRow("2 chars double") << 2 << 2;
    QTest::newRow("4 chars double") << 4 << 4;
    QTest::newRow("5 chars +80%") << 5 << 4;
    QTest::newRow("10 chars +80%") << 10 << 8;
    QTest::newRow("11 chars +60%") << 11 << 7;
    QTest::newRow("55 chars +10%, half rounds up from the single factor") << 55 << 6;
    QTest::newRow("9999 chars +10%") << 9999 << 1000;
    QTest::newRow("10000 chars unchanged") << 10000 << 0;
    QTest::newRow("empty") << 0 << 0;
}

void TestLocGuru::widthTest()
{
    QFETCH(int, length);
    QFETCH(int, fillers);
    LocGuru loc;
    loc.setbTestStrWidth(true);
    loc.setbEnabled(false); // padding ignores it
    const QString text(length, QLatin1Char('a'));
    QCOMPARE(loc.GetTranslation(text), text + QString(fillers, QLatin1Char('W')));
    loc.setsPadChar(QStringLiteral("#"));
    QCOMPARE(loc.GetTranslation(text), text + QString(fillers, QLatin1Char('#')));
}

void TestLocGuru::widthTestBadTable()
{
    LocGuru loc;
    loc.setbTestStrWidth(true);
    QCOMPARE(loc.GetS(68), QStringLiteral("SíWW"));
    loc.setsStrWidthFactors(QStringLiteral("x:100"));
    QCOMPARE(loc.GetS(68), QStringLiteral("Sí"));
    QVERIFY(!loc.sErrDescription().isEmpty());
    loc.setsStrWidthFactors(QStringLiteral("1:50"));
    QCOMPARE(loc.GetS(68), QStringLiteral("Sí")); // no pair for 2 characters
}

void TestLocGuru::lookups_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "English"
                           << "Sí"
                           << "Yes";
    QTest::newRow("accents") << "Deutsch"
                             << "¿Desea guardar los cambios?"
                             << "Möchten Sie die Änderungen speichern?";
    QTest::newRow("case: Hora") << "English"
                                << "Hora"
                                << "Time";
    QTest::newRow("case: HORA") << "English"
                                << "HORA"
                                << "TIME";
    QTest::newRow("case: Buscar after BUSCAR") << "English"
                                               << "Buscar"
                                               << "Search";
    QTest::newRow("case: BUSCAR") << "English"
                                  << "BUSCAR"
                                  << "SEARCH";
    QTest::newRow("case: unknown case variant") << "English"
                                                << "hora"
                                                << "hora";
    QTest::newRow("skipped first row") << "English"
                                       << "Límite"
                                       << "Límite";
    QTest::newRow("null cell keeps native") << "Português"
                                            << "No hay datos"
                                            << "No hay datos";
    QTest::newRow("empty cell stays empty") << "Deutsch"
                                            << "No hay datos"
                                            << "";
    QTest::newRow("null bSkip counts as false") << "Català"
                                                << "Sábado"
                                                << "Dissabte";
    QTest::newRow("apostrophe") << "Français"
                                << "Leq1'max"
                                << "Leq1'max";
    QTest::newRow("apostrophe not in table") << "English"
                                             << "it's' OR '1'='1"
                                             << "it's' OR '1'='1";
    QTest::newRow("CR in native, escape kept") << "English"
                                               << "Sensor\rinactivo"
                                               << "Sensor{\\r}inactive";
    QTest::newRow("CR in native and translation") << "Català"
                                                  << "Sensor\rinactivo"
                                                  << "Sensor\rinactiu";
    QTest::newRow("not in table") << "English"
                                  << "Domingo"
                                  << "Domingo";
    QTest::newRow("empty text") << "English"
                                << ""
                                << "";
}

void TestLocGuru::lookups()
{
    QFETCH(QString, language);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    slxtest::DataHome home;
    const QString path = home.file(QStringLiteral("lang.db"));
    LocGuru loc;
    QVERIFY(slxtest::openLanguageFixture(loc, path, language));
    QCOMPARE(loc.sLanguageDB(), path);
    QCOMPARE(loc.GetTranslation(text), expected);
}

void TestLocGuru::getSFilling()
{
    slxtest::DataHome home;
    const QString path = home.file(QStringLiteral("lang.db"));
    LocGuru loc;
    QVERIFY(slxtest::openLanguageFixture(loc, path));
    QCOMPARE(loc.GetS(68), QStringLiteral("Yes"));
    QCOMPARE(loc.GetS(12), QStringLiteral("Leq1'max"));
    QCOMPARE(loc.GetS(40), QStringLiteral("Sensor\rinactive"));
    // Text 113 "Normativa" is translated "Rule %s of %s".
    QCOMPARE(loc.GetS(113), QStringLiteral("Rule %s of %s"));
    QCOMPARE(loc.GetS(113, {"A"}), QStringLiteral("Rule A of %s"));
    QCOMPARE(loc.GetS(113, {"A", "B", "C"}), QStringLiteral("Rule A of B"));
    // Each value fills the first "%s" from the start, also one inside a value put before.
    QCOMPARE(loc.GetS(113, {"%s!", "x", "y"}), QStringLiteral("Rule x! of y"));
    // Without "%s" the values are dropped.
    QCOMPARE(loc.GetS(68, {"A"}), QStringLiteral("Yes"));
    // Text 106 "Valor incorrecto" is translated with "{\r}{\n}".
    QCOMPARE(loc.GetS(106), QStringLiteral("Wrong\r\nvalue"));
    QCOMPARE(loc.GetS(0), QStringLiteral("GetS: Unknown String ID 0"));
    QCOMPARE(loc.GetS(179), QStringLiteral("GetS: Unknown String ID 179"));
    loc.setsUnknownStrID(QStringLiteral("?"));
    QCOMPARE(loc.GetS(-7), QStringLiteral("?-7"));
    QCOMPARE(LocGuru::ConvertCrLf(QStringLiteral("a{\\n}{\\r}b")), QStringLiteral("a\n\rb"));
}

void TestLocGuru::untranslatedStates()
{
    slxtest::DataHome home;
    const QString path = home.file(QStringLiteral("lang.db"));
    QVERIFY(slxtest::writeLanguageFixture(path));
    LocGuru loc;
    loc.setsForeignColumnName(QStringLiteral("English"));
    QCOMPARE(loc.GetS(68), QStringLiteral("Sí")); // closed

    QVERIFY(loc.OpenLanguageDatabase(path, false, 0)); // open for writing
    QVERIFY(loc.bIsOpen());
    QVERIFY(!loc.bIsReadOnly());
    QCOMPARE(loc.GetS(68), QStringLiteral("Sí"));

    QVERIFY(loc.OpenLanguageDatabase(path, true, 0));
    QCOMPARE(loc.GetS(68), QStringLiteral("Yes"));
    loc.setbEnabled(false);
    QCOMPARE(loc.GetS(68), QStringLiteral("Sí"));
    loc.setbEnabled(true);

    loc.CloseLanguageDatabase();
    QVERIFY(!loc.bIsOpen());
    QVERIFY(loc.sLanguageDB().isEmpty());
    QCOMPARE(loc.eOpenDbType(), 0);
    QCOMPARE(loc.GetS(68), QStringLiteral("Sí"));
    loc.CloseLanguageDatabase(); // closing twice is harmless
}

void TestLocGuru::lookupsNeedNoDatabaseFile()
{
    // The language column is read once at the open: the file is not read again afterwards.
    slxtest::DataHome home;
    const QString path = home.file(QStringLiteral("lang.db"));
    LocGuru loc;
    QVERIFY(slxtest::openLanguageFixture(loc, path, QStringLiteral("Italiano")));
    QVERIFY(QFile::remove(path));
    QCOMPARE(loc.GetS(68), QStringLiteral("Sì"));
    QCOMPARE(loc.GetTranslation(QStringLiteral("Sábado")), QStringLiteral("Sabato"));
    QVERIFY(!QFile::exists(path));
}

void TestLocGuru::missingColumn()
{
    slxtest::DataHome home;
    const QString path = home.file(QStringLiteral("lang.db"));
    LocGuru loc;
    QVERIFY(slxtest::openLanguageFixture(loc, path, QStringLiteral("Klingon")));
    QCOMPARE(loc.GetS(68), QStringLiteral("Sí"));
    QVERIFY(loc.sErrDescription().contains(QStringLiteral("Klingon")));
    // The lookup reads the column named now, letter case ignored, without opening again.
    loc.setsForeignColumnName(QStringLiteral("deutsch"));
    QCOMPARE(loc.GetS(68), QStringLiteral("Ja"));
    loc.setsForeignColumnName(QStringLiteral("English"));
    QCOMPARE(loc.GetS(68), QStringLiteral("Yes"));
    loc.setsForeignColumnName(QStringLiteral("Vulcan"));
    QCOMPARE(loc.GetS(68), QStringLiteral("Sí"));
    QVERIFY(loc.sErrDescription().contains(QStringLiteral("Vulcan")));
}

void TestLocGuru::openFailures_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: no file at all
    QTest::addColumn<QString>("error");
    QTest::newRow("missing") << QByteArray() << "Could not find file";
    QTest::newRow("not a database") << QByteArray("this is plain text, no database\n") << "";
    QTest::newRow("no LocGuru table") << QByteArray("sqlite:empty") << "LocGuru";
}

void TestLocGuru::openFailures()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, error);
    slxtest::DataHome home;
    const QString path = home.file(QStringLiteral("Language.db"));
    if (content == "sqlite:empty") {
        QVERIFY(slxtest::withDatabase(
            path, [](QSqlDatabase &db) { return QSqlQuery(db).exec(QStringLiteral("CREATE TABLE Other (x)")); }));
    } else if (!content.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    LocGuru loc;
    loc.setsForeignColumnName(QStringLiteral("English"));
    QVERIFY(!loc.OpenLanguageDatabase(path, true, 0));
    QVERIFY(!loc.bIsOpen());
    QVERIFY(loc.sLanguageDB().isEmpty());
    QVERIFY(!loc.sErrDescription().isEmpty());
    QVERIFY2(loc.sErrDescription().contains(error), qPrintable(loc.sErrDescription()));
    QCOMPARE(loc.GetS(68), QStringLiteral("Sí"));
    // A missing database is not created by the attempt.
    QCOMPARE(QFile::exists(path), !content.isEmpty());
}

void TestLocGuru::setupLanguageModes()
{
    slxtest::DataHome home;
    slxtest::Answers answers;
    const QString path = home.file(QStringLiteral("lang.db"));
    QVERIFY(slxtest::writeLanguageFixture(path));
    LocGuru loc;
    QVERIFY(LocGuruP_BAS::SetupLanguage(path, QStringLiteral("English"), loc));
    QCOMPARE(loc.sForeignColumnName(), QStringLiteral("English"));
    QCOMPARE(loc.eOpenDbType(), 0);
    QVERIFY(loc.bIsReadOnly());
    QCOMPARE(loc.GetS(68), QStringLiteral("Yes"));

    // The width test is switched on without touching the open database.
    QVERIFY(LocGuruP_BAS::SetupLanguage(QStringLiteral("  <testwidth> "), QStringLiteral("English"), loc));
    QVERIFY(loc.bTestStrWidth());
    QVERIFY(loc.bIsOpen());
    QCOMPARE(loc.GetS(68), QStringLiteral("SíWW"));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancelar"));

    // Every other call switches it off again; the letter case of ".DB" does not matter.
    QVERIFY(LocGuruP_BAS::SetupLanguage(path.toUpper() == path ? path : path, QStringLiteral("Deutsch"), loc));
    QVERIFY(!loc.bTestStrWidth());
    QCOMPARE(loc.GetS(68), QStringLiteral("Ja"));

    // A blank language closes the database.
    QVERIFY(LocGuruP_BAS::SetupLanguage(path, QStringLiteral("  "), loc));
    QVERIFY(!loc.bIsOpen());
    QCOMPARE(loc.GetS(68), QStringLiteral("Sí"));
    QVERIFY(answers.shown().isEmpty());

    // A path without ".db" is the text form.
    QFile text(home.file(QStringLiteral("Language.TXT")));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("[Localization Guru]\r\nNumberOfLanguages=1\r\nNumberOfStrings=1\r\nLanguage1=English\r\n"
               "[Native]\r\nS1=S\xed\r\n[English]\r\nS1=Yes\r\n");
    text.close();
    QVERIFY(LocGuruP_BAS::SetupLanguage(text.fileName(), QStringLiteral("English"), loc));
    QCOMPARE(loc.eOpenDbType(), 1);
    QCOMPARE(loc.GetS(68), QStringLiteral("Yes"));

    // ".DB" in capitals is the database form too.
    const QString upper = home.file(QStringLiteral("LANG2.DB"));
    QVERIFY(QFile::copy(path, upper));
    QVERIFY(LocGuruP_BAS::SetupLanguage(upper, QStringLiteral("English"), loc));
    QCOMPARE(loc.eOpenDbType(), 0);
}

void TestLocGuru::setupLanguageMissingDatabase_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("missing") << QByteArray();
    QTest::newRow("unreadable") << QByteArray("garbage garbage garbage garbage");
}

void TestLocGuru::setupLanguageMissingDatabase()
{
    QFETCH(QByteArray, content);
    slxtest::DataHome home;
    slxtest::Answers answers;
    const QString path = home.file(QStringLiteral("Language.db"));
    if (!content.isEmpty()) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    LocGuru loc;
    QVERIFY(!LocGuruP_BAS::SetupLanguage(path, QStringLiteral("English"), loc));
    QCOMPARE(answers.shown().size(), 1);
    const slx::ui::Request box = answers.shown().first();
    QCOMPARE(box.icon, slx::ui::Icon::Exclamation);
    QCOMPARE(box.buttons, slx::ui::OkOnly);
    const QString prefix = QStringLiteral("While opening Language Database (") + path +
                           QStringLiteral(") the following error occurred:\r\r");
    QVERIFY2(box.text.startsWith(prefix), qPrintable(box.text));
    QVERIFY(box.text.size() > prefix.size());
    // The program goes on in Spanish.
    QVERIFY(!loc.bIsOpen());
    QCOMPARE(loc.GetS(68), QStringLiteral("Sí"));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancelar"));
}

void TestLocGuru::setupLanguageFallsBackToDataFolder()
{
    slxtest::DataHome home;
    slxtest::Answers answers;
    QVERIFY(home.seed());
    LocGuru loc;
    // A bare file name is found in the data folder.
    QVERIFY(LocGuruP_BAS::SetupLanguage(QStringLiteral("Language.db"), QStringLiteral("English"), loc));
    QCOMPARE(loc.sLanguageDB(), slx::DataFolder::path() + QStringLiteral("/Language.db"));
    QCOMPARE(loc.GetS(69), QStringLiteral("No"));
    QCOMPARE(loc.GetS(23), QStringLiteral("Do you want to save the changes?"));
    QVERIFY(answers.shown().isEmpty());
}

void TestLocGuru::qtDialogButtons_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("cancel");
    QTest::newRow("Español") << "Español"
                             << "Cancelar";
    QTest::newRow("Català") << "Català"
                            << "Cancel·la";
    QTest::newRow("English") << "English"
                             << "Cancel";
    QTest::newRow("Deutsch") << "Deutsch"
                             << "Abbrechen";
    QTest::newRow("Français") << "Français"
                              << "Annuler";
    QTest::newRow("Italiano") << "Italiano"
                              << "Annulla";
    QTest::newRow("Português") << "Português"
                               << "Cancelar";
}

void TestLocGuru::qtDialogButtons()
{
    QFETCH(QString, language);
    QFETCH(QString, cancel);
    slxtest::DataHome home;
    slxtest::Answers answers;
    QVERIFY(home.seed());
    LocGuru loc;
    QVERIFY(LocGuruP_BAS::SetupLanguage(slx::DataFolder::file(QStringLiteral("Language.db")), language, loc));
    QMessageBox box(QMessageBox::Question, QStringLiteral("SLX-90"), QStringLiteral("?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QCOMPARE(box.button(QMessageBox::Cancel)->text().remove(QLatin1Char('&')), cancel);
    // The connection prompts name the button the user presses by the text Qt gives it.
    QMessageBox prompt(QMessageBox::Information, QStringLiteral("SLX-90"), QStringLiteral("?"),
                       QMessageBox::Ok | QMessageBox::Cancel);
    const QString ok = prompt.button(QMessageBox::Ok)->text().remove(QLatin1Char('&'));
    QVERIFY2(loc.GetS(15).endsWith(QLatin1Char(' ') + ok), qPrintable(loc.GetS(15) + QStringLiteral(" / ") + ok));
    QVERIFY2(loc.GetS(33).endsWith(QLatin1Char(' ') + ok + QLatin1Char('.')), qPrintable(loc.GetS(33)));
    // The dialogs' own OK and Cancel buttons read as Qt's.
    QCOMPARE(loc.GetTranslation(QStringLiteral("Aceptar")), ok);
    QCOMPARE(loc.GetTranslation(QStringLiteral("Cancelar")), cancel);
}

QTEST_MAIN(TestLocGuru)
#include "tst_locguru.moc"
