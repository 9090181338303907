// The data folder, the database file and its schema, and the shared state.

#include "TestSupport.h"
#include "base/DataFolder.h"
#include "base/Database.h"
#include "base/MessageBox.h"
#include "base/Modulo1.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTimer>
#include <QtTest>

using namespace slx;

class TestFoundation : public QObject {
    Q_OBJECT

    static QStringList columns(const QString &table)
    {
        QStringList out;
        const QSqlRecord r = modulo1().ConexionBD.record(table);
        for (int i = 0; i < r.count(); ++i)
            out << r.fieldName(i);
        return out;
    }

private Q_SLOTS:
    void dataFolderChoice()
    {
        slxtest::DataHome home;
        QCOMPARE(DataFolder::path(), QDir(home.path()).absolutePath());
        qunsetenv("SLX90_HOME");
        // The test executable's folder holds no slx90.ini: the per-user folder.
        QCOMPARE(DataFolder::path(), QDir::homePath() + "/.local/share/slx90");
        // A settings file beside the executable, in any letter case, makes a portable install.
        for (const char *name : {"slx90.ini", "SLX90.INI"}) {
            QFile ini(QCoreApplication::applicationDirPath() + "/" + name);
            QVERIFY(ini.open(QIODevice::WriteOnly));
            ini.close();
            // Removed on every exit: a file left behind would turn the next run portable.
            const auto removeIni = qScopeGuard([&ini] { ini.remove(); });
            QCOMPARE(DataFolder::path(), QCoreApplication::applicationDirPath());
        }
        // A folder of that name is no settings file.
        QVERIFY(QDir(QCoreApplication::applicationDirPath()).mkdir("slx90.ini"));
        const auto removeFolder = qScopeGuard([] { QDir(QCoreApplication::applicationDirPath()).rmdir("slx90.ini"); });
        QCOMPARE(DataFolder::path(), QDir::homePath() + "/.local/share/slx90");
    }

    void seedCopiesDefaultsOnceIgnoringCase()
    {
        slxtest::DataHome home;
        // A settings file the user already has, under another letter case, is kept.
        QFile own(home.file("SLX90.INI"));
        QVERIFY(own.open(QIODevice::WriteOnly));
        own.write("[Configuration]\r\nSerialPort=3\r\n");
        own.close();
        QVERIFY(home.seed());
        QVERIFY(!QFile::exists(home.file("slx90.ini")) || QFileInfo(home.file("slx90.ini")).fileName() == "SLX90.INI");
        QCOMPARE(DataFolder::file("slx90.ini"), home.file("SLX90.INI"));
        QCOMPARE(LeerIni("Configuration", "SerialPort", "", DataFolder::file("slx90.ini")), QString("3"));
        QVERIFY(QFile::exists(home.file("Language.db")));
        QVERIFY(QFile::exists(home.file("schema.sql")));
        QVERIFY(QFileInfo(home.file("Language.db")).isWritable());
    }

    void fileLookupIgnoresCaseInEveryElement()
    {
        slxtest::DataHome home;
        QDir(home.path()).mkpath("xml");
        QFile f(home.file("xml/SLX90_1.XML"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QCOMPARE(DataFolder::file("XML/slx90_1.xml"), home.file("xml/SLX90_1.XML"));
        QCOMPARE(DataFolder::file("XML/none.xml"), home.file("xml/none.xml"));
        QCOMPARE(DataFolder::file("backupSLX90.bak"), home.file("backupSLX90.bak"));
    }

    void defaultSettingsHoldEveryKey()
    {
        slxtest::DataHome home;
        QVERIFY(home.seed());
        const QString ini = DataFolder::file("slx90.ini");
        const QStringList keys = {"SerialPort", "User", "Language", "Modem", "TonePulse", "DialCode", "ModemSpeed"};
        const QStringList values = {"1", "", "1034", "0", "1", "", "19200"};
        QFile f(ini);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        for (int i = 0; i < keys.size(); ++i) {
            QVERIFY2(text.contains(keys[i].toLatin1() + "="), qPrintable(keys[i]));
            QCOMPARE(LeerIni("Configuration", keys[i], "", ini), values[i]);
        }
    }

    void databaseCreatedWithTheTables()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        QVERIFY(QFile::exists(home.file("slx90.db")));
        QStringList tables = modulo1().ConexionBD.tables();
        tables.sort();
        QCOMPARE(tables, QStringList({"Configuracion", "DiaBorrado", "DiaFinalBateria", "DiaReprogramado",
                                      "IntervaloInhabil", "Intervalos", "Programacion", "Sesiones"}));
        const QStringList prog = columns("Programacion");
        QCOMPARE(prog.size(), 56);
        QCOMPARE(prog.first(), QString("LNumeroSerie"));
        QCOMPARE(prog.at(38), QString("SOctava31,5Hz"));
        QCOMPARE(prog.last(), QString("CMI"));
        QCOMPARE(columns("IntervaloInhabil"), QStringList({"LNumeroSerie", "ByIntervalo", "TDiaEmpiezaInt",
                                                           "THoraEmpiezaInt", "TDiaTerminaInt", "THoraTerminaInt"}));
        QCOMPARE(columns("Intervalos").size(), 35);
        QCOMPARE(columns("Sesiones").size(), 31);
        QCOMPARE(columns("DiaBorrado"), QStringList({"LNumeroSerie", "DFecha", "THora"}));
        QCOMPARE(columns("Configuracion"),
                 QStringList({"ByCom", "IIdioma", "ByTono", "ByModem", "TPrefijo", "IModemSpeed", "TUsuario", "Memo"}));
        QSqlQuery q(modulo1().ConexionBD);
        QVERIFY(q.exec("SELECT COUNT(*) FROM Configuracion") && q.next());
        QCOMPARE(q.value(0).toInt(), 1);
        QVERIFY(q.exec("PRAGMA journal_mode") && q.next());
        QCOMPARE(q.value(0).toString(), QString("wal"));
    }

    void schemaRefusesDuplicateKeys_data()
    {
        QTest::addColumn<QString>("insert");
        QTest::newRow("Programacion") << "INSERT INTO Programacion (LNumeroSerie) VALUES (100123)";
        QTest::newRow("IntervaloInhabil") << "INSERT INTO IntervaloInhabil (LNumeroSerie, ByIntervalo) VALUES (1, 5)";
        for (const char *t : {"Intervalos", "Sesiones"})
            QTest::newRow(t) << QString("INSERT INTO %1 (LNumeroSerie, DFechaInicio, THoraInicio) "
                                        "VALUES (1, '2009-03-13', '12:00')")
                                    .arg(t);
        for (const char *t : {"DiaBorrado", "DiaFinalBateria", "DiaReprogramado"})
            QTest::newRow(t) << QString("INSERT INTO %1 (LNumeroSerie, DFecha, THora) "
                                        "VALUES (1, '2008-10-20', '12:40')")
                                    .arg(t);
    }
    void schemaRefusesDuplicateKeys()
    {
        QFETCH(QString, insert);
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        QSqlQuery q(modulo1().ConexionBD);
        QVERIFY2(q.exec(insert), qPrintable(q.lastError().text()));
        QVERIFY(!q.exec(insert));
    }

    void schemaRefusesOutOfRangeValues_data()
    {
        QTest::addColumn<QString>("insert");
        QTest::newRow("byte above 255") << "INSERT INTO Programacion (LNumeroSerie, ByTLeq) VALUES (1, 256)";
        QTest::newRow("negative byte") << "INSERT INTO Programacion (LNumeroSerie, ByRings) VALUES (1, -1)";
        QTest::newRow("integer above 32767")
            << "INSERT INTO Programacion (LNumeroSerie, ITiempoAtenuacion) VALUES (1, 32768)";
        QTest::newRow("long above 32 bits") << "INSERT INTO Programacion (LNumeroSerie) VALUES (2147483648)";
        QTest::newRow("text too long")
            << "INSERT INTO Programacion (LNumeroSerie, TTelefono) VALUES (1, '1234567890123456')";
    }
    void schemaRefusesOutOfRangeValues()
    {
        QFETCH(QString, insert);
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        QSqlQuery q(modulo1().ConexionBD);
        QVERIFY(!q.exec(insert));
    }

    void foreignOrDamagedFileIsReportedAndKept_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("text file") << QByteArray("not a database at all\n");
        QTest::newRow("empty file") << QByteArray();
        QByteArray damaged("SQLite format 3\0", 16);
        damaged += QByteArray(4000, '\xff');
        QTest::newRow("damaged SQLite") << damaged;
        QTest::newRow("Access file") << QByteArray("\x00\x01\x00\x00Standard Jet DB\0", 20);
    }
    void foreignOrDamagedFileIsReportedAndKept()
    {
        QFETCH(QByteArray, content);
        slxtest::DataHome home;
        QVERIFY(home.seed());
        QFile f(home.file("slx90.db"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        const Resultado<void> abierta = Database::open();
        QVERIFY(!abierta);
        const QString error = abierta.error().mensaje();
        QVERIFY2(error.contains(home.file("slx90.db")), qPrintable(error));
        QVERIFY(!modulo1().ConexionBD.isOpen());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), content);
    }

    void sharedStateStartsEmpty()
    {
        resetModulo1();
        const Modulo1 &m = modulo1();
        QCOMPARE(m.PuertoSerie, quint8(0));
        QCOMPARE(m.CodigoIdioma, qint16(0));
        QVERIFY(!m.ModemConectado && !m.FitxaModificada);
        QCOMPARE(m.BufferTrama.size(), size_t(513));
        QVERIFY(std::all_of(m.BufferTrama.begin(), m.BufferTrama.end(), [](quint8 b) { return b == 0; }));
        QCOMPARE(m.IntervalosInhabiles.size(), size_t(31));
        QCOMPARE(m.RangoFechas.size(), size_t(10));
        QVERIFY(m.FicheroImportar.isEmpty() && m.LineaComandos.isEmpty() && m.VersionAparato.isEmpty());
        QVERIFY(!m.ConexionBD.isValid());
        QVERIFY(m.InformeVistaPrevia.isNull());
        modulo1().PuertoSerie = 4;
        resetModulo1();
        QCOMPARE(modulo1().PuertoSerie, quint8(0));
    }

    void languageCodes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("code");
        QTest::newRow("es") << QString::fromUtf8("Español") << 1000;
        QTest::newRow("ca") << QString::fromUtf8("Català") << 2000;
        QTest::newRow("en") << "English" << 3000;
        QTest::newRow("de") << "Deutsch" << 4000;
        QTest::newRow("fr") << QString::fromUtf8("Français") << 5000;
        QTest::newRow("it") << "Italiano" << 6000;
        QTest::newRow("pt") << QString::fromUtf8("Português") << 7000;
        QTest::newRow("case matters") << QString::fromUtf8("español") << 0;
        QTest::newRow("empty") << "" << 0;
    }
    void languageCodes()
    {
        QFETCH(QString, name);
        QFETCH(int, code);
        QCOMPARE(int(CalculaCodigoIdioma(name)), code);
    }

    void fileExistence()
    {
        QTemporaryDir dir;
        QFile hidden(dir.filePath(".hidden"));
        QVERIFY(hidden.open(QIODevice::WriteOnly));
        hidden.close();
        hidden.setPermissions(QFile::ReadOwner);
        QVERIFY(ExisteFichero(dir.filePath(".hidden")));
        QVERIFY(!ExisteFichero(dir.path()));
        QVERIFY(!ExisteFichero(dir.filePath("none")));
        QVERIFY(!ExisteFichero(QString()));
    }

    void messageBoxes_data()
    {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("qtButtons");
        QTest::addColumn<int>("qtIcon");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        using B = QMessageBox;
        QTest::newRow("OK, critical") << int(ui::OkOnly) << int(ui::Icon::Critical) << int(B::Ok) << int(B::Critical)
                                      << int(ui::vbOK) << int(ui::vbOK);
        QTest::newRow("OK Cancel, question") << int(ui::OkCancel) << int(ui::Icon::Question) << int(B::Ok | B::Cancel)
                                             << int(B::Question) << int(ui::vbOK) << int(ui::vbCancel);
        QTest::newRow("Yes No, exclamation") << int(ui::YesNo) << int(ui::Icon::Exclamation) << int(B::Yes | B::No)
                                             << int(B::Warning) << int(ui::vbYes) << int(ui::vbNo);
        QTest::newRow("Yes No Cancel, information")
            << int(ui::YesNoCancel) << int(ui::Icon::Information) << int(B::Yes | B::No | B::Cancel)
            << int(B::Information) << int(ui::vbYes) << int(ui::vbCancel);
        QTest::newRow("Abort Retry Ignore")
            << int(ui::AbortRetryIgnore) << int(ui::Icon::None) << int(B::Abort | B::Retry | B::Ignore)
            << int(B::NoIcon) << int(ui::vbAbort) << int(ui::vbIgnore);
        QTest::newRow("Retry Cancel") << int(ui::RetryCancel) << int(ui::Icon::Critical) << int(B::Retry | B::Cancel)
                                      << int(B::Critical) << int(ui::vbRetry) << int(ui::vbCancel);
    }
    // The real box carries the program's title, the icon and the buttons asked for, and gives
    // the pressed button's result; the test answerer presses the first button and records the box.
    void messageBoxes()
    {
        QFETCH(int, buttons);
        QFETCH(int, icon);
        QFETCH(int, qtButtons);
        QFETCH(int, qtIcon);
        QFETCH(int, first);
        QFETCH(int, last);
        const auto b = static_cast<ui::Buttons>(buttons);
        const auto i = static_cast<ui::Icon>(icon);

        QString title;
        int shownButtons = -1, shownIcon = -1;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            title = box->windowTitle();
            shownButtons = int(box->standardButtons());
            shownIcon = int(box->icon());
            const QList<QAbstractButton *> list = box->buttons();
            // Presses the button whose result is the last one of the set.
            for (QAbstractButton *button : list) {
                const auto sb = box->standardButton(button);
                if ((last == ui::vbCancel && sb == QMessageBox::Cancel) ||
                    (last == ui::vbNo && sb == QMessageBox::No) ||
                    (last == ui::vbIgnore && sb == QMessageBox::Ignore) || (last == ui::vbOK && sb == QMessageBox::Ok))
                    button->click();
            }
        });
        QCOMPARE(ui::MsgBox(QStringLiteral("Texto"), i, b), last);
        QCOMPARE(title, QString("SLX-90"));
        QCOMPARE(shownButtons, qtButtons);
        QCOMPARE(shownIcon, qtIcon);

        slxtest::Answers answers;
        QCOMPARE(ui::MsgBox(QStringLiteral("Texto"), i, b), first);
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown().first().title, QString("SLX-90"));
        QCOMPARE(answers.shown().first().icon, i);
        QCOMPARE(answers.shown().first().buttons, b);
    }

    void smallFontsThreshold()
    {
        QVERIFY(FuentesPequenasParaAltura(16));
        QVERIFY(!FuentesPequenasParaAltura(17));
        QVERIFY(!FuentesPequenasParaAltura(20));
        QVERIFY(FuentesPequenasParaAltura(0)); // not measured
    }
};

QTEST_MAIN(TestFoundation)
#include "tst_foundation.moc"
