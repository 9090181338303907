// The start-up and shutdown of the main window on a real data folder: settings
// file, language, database, backup merge and command line.

#include "Helpers.h"
#include "TestSupport.h"
#include "base/DataFolder.h"
#include "base/DataFolderLock.h"
#include "base/Database.h"
#include "base/FormRegistry.h"
#include "base/Modulo1.h"
#include "base/TextoPropio.h"
#include "base/Ventanas.h"
#include "import/NombresDatos.h"
#include "localization/LocGuru.h"
#include "main/AjustesEnlaceIni.h"
#include "main/Application.h"
#include "main/Arranque.h"
#include "main/Form1.h"
#include "main/RegistroVentanas.h"

#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <sys/stat.h>
#include <memory>

using namespace slx;
using slxtest::cuenta;
using slxtest::escribeIni;

namespace {

const QByteArray kIniCompleto = "[Configuration]\r\nSerialPort=3\r\nUser=Pie de prueba\r\nLanguage=1040\r\n"
                                "Modem=1\r\nTonePulse=0\r\nDialCode=0\r\nModemSpeed=19200\r\n";

QStringList criticos(const slxtest::Answers &answers)
{
    QStringList out;
    for (const auto &r : answers.shown())
        if (r.kind == ui::Kind::Message && r.icon == ui::Icon::Critical)
            out << r.text;
    return out;
}

// Every file of a folder, by its path inside it, with its content.
QMap<QString, QByteArray> carpeta(const QString &path)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(path, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        f.open(QIODevice::ReadOnly);
        out.insert(QDir(path).relativeFilePath(f.fileName()), f.readAll());
    }
    return out;
}

// The main window of one test, loaded on the data folder and registered as Form1.
struct Principal {
    std::unique_ptr<Form1> form = std::make_unique<Form1>();
    Principal() { FormRegistry::setInstance("Form1", form.get()); }
    ~Principal()
    {
        if (form)
            form->Form_Unload();
    }
    Form1 *operator->() { return form.get(); }
};

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        registraVentanas();
        // The import window stands in for the real one, so that its opening is seen.
        FormRegistry::add("Form16", [] {
            auto *d = new QDialog;
            d->setObjectName("Form16");
            d->setAttribute(Qt::WA_DeleteOnClose);
            return d;
        });
    }
    void init() { Form1::fijaLineaComandos(QString()); }

    void settingsAndLanguage_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<int>("puerto");
        QTest::addColumn<int>("modem");
        QTest::addColumn<int>("tono");
        QTest::addColumn<QString>("prefijo");
        QTest::addColumn<int>("velocidad");
        QTest::addColumn<QString>("pie");
        QTest::addColumn<int>("idioma");
        QTest::addColumn<QStringList>("clavesErroneas");

        QTest::newRow("full") << kIniCompleto << 3 << 1 << 0 << "0" << 19200 << "Pie de prueba" << 6000
                              << QStringList();
        const char *lcids[] = {"1034", "1027", "1033", "1031", "1036", "1040", "2070"};
        for (int i = 0; i < 7; ++i)
            QTest::newRow(lcids[i]) << QByteArray("[Configuration]\r\nSerialPort=2\r\nModem=0\r\nTonePulse=1\r\n"
                                                  "ModemSpeed=9600\r\nLanguage=") +
                                           lcids[i]
                                    << 2 << 0 << 1 << "" << 9600 << "" << 1000 * (i + 1) << QStringList();
        QTest::newRow("unknown language 2057")
            << QByteArray("[Configuration]\r\nSerialPort=1\r\nModem=0\r\nTonePulse=1\r\nModemSpeed=19200\r\n"
                          "Language=2057\r\n")
            << 1 << 0 << 1 << "" << 19200 << "" << 3000 << QStringList();
        QTest::newRow("missing port and language")
            << QByteArray("[Configuration]\r\nModem=1\r\nTonePulse=0\r\nModemSpeed=19200\r\nUser=x\r\n") << 1 << 1 << 0
            << "" << 19200 << "x" << 3000 << QStringList{"SerialPort"};
        QTest::newRow("letters in numbers")
            << QByteArray("[Configuration]\r\nSerialPort=3a\r\nModem=1\r\nTonePulse=one\r\nModemSpeed=19.2\r\n"
                          "Language=1034\r\n")
            << 1 << 1 << 1 << "" << 19200 << "" << 1000 << QStringList{"SerialPort", "TonePulse", "ModemSpeed"};
        QTest::newRow("out of range")
            << QByteArray("[Configuration]\r\nSerialPort=300\r\nModem=-1\r\nTonePulse=1\r\nModemSpeed=40000\r\n"
                          "Language=1034\r\n")
            << 1 << 0 << 1 << "" << 19200 << "" << 1000 << QStringList{"SerialPort", "Modem", "ModemSpeed"};
        QTest::newRow("port 0") << QByteArray("[Configuration]\r\nSerialPort=0\r\nModem=0\r\nTonePulse=1\r\n"
                                              "ModemSpeed=19200\r\nLanguage=1034\r\n")
                                << 1 << 0 << 1 << "" << 19200 << "" << 1000 << QStringList{"SerialPort"};
    }
    void settingsAndLanguage()
    {
        QFETCH(QByteArray, ini);
        slxtest::DataHome home;
        QVERIFY(home.seed());
        escribeIni(home.file("slx90.ini"), ini);
        slxtest::Answers answers;
        Principal f;
        f->Form_Load();

        const Modulo1 &m = modulo1();
        QTEST(int(m.PuertoSerie), "puerto");
        QTEST(int(m.TipoConexion), "modem");
        QTEST(int(m.TonoPulso), "tono");
        QTEST(m.PrefijoMarcacion, "prefijo");
        QTEST(int(m.VelocidadModem), "velocidad");
        QTEST(m.PiePagina, "pie");
        QTEST(int(m.CodigoIdioma), "idioma");
        QFETCH(QStringList, clavesErroneas);
        const QStringList shown = criticos(answers);
        if (clavesErroneas.isEmpty()) {
            QVERIFY2(shown.isEmpty(), qPrintable(shown.join('|')));
        } else {
            QCOMPARE(shown.size(), 1);
            for (const QString &k : clavesErroneas)
                QVERIFY2(shown.first().contains(k), qPrintable(shown.first()));
        }
        // Whatever the settings, the window goes on with an open database.
        QVERIFY(m.ConexionBD.isOpen());
        QVERIFY(f->isVisible());
        QVERIFY(f->SSCommandProgramacion->isEnabled());
        QVERIFY(f->SSCommand1->isEnabled());
        QCOMPARE(f->windowTitle(), QString("SLX-90"));
        // Nothing is written into the settings file at start-up.
        QCOMPARE(QFile::exists(home.file("slx90.ini")), !ini.isEmpty());
    }

    // One program per data folder: a second start on the folder of a running program says
    // so in the folder's language and ends; another folder runs beside it; the lock of a
    // program that was killed is taken over.
    // What the link settings dialog writes is what the next start-up reads, and the
    // other keys of the section stay as they were.
    void linkSettingsReadBackAsWritten()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("slx90.ini"));
        escribeIni(ini, kIniCompleto);
        AjustesEnlace a;
        a.puertoSerie = 42;
        a.tipoConexion = 0;
        a.tonoPulso = 1;
        a.prefijoMarcacion = QStringLiteral("0,");
        a.velocidadModem = 9600;
        QVERIFY(grabaAjustesEnlace(a, ini).has_value());
        const LecturaEnlace r = leeAjustesEnlace(ini);
        QVERIFY(r.erroneas.isEmpty());
        QCOMPARE(r.ajustes.puertoSerie, quint8(42));
        QCOMPARE(r.ajustes.tipoConexion, quint8(0));
        QCOMPARE(r.ajustes.tonoPulso, quint8(1));
        QCOMPARE(r.ajustes.prefijoMarcacion, QStringLiteral("0,"));
        QCOMPARE(r.ajustes.velocidadModem, qint16(9600));
        QCOMPARE(LeerIni(QStringLiteral("Configuration"), QStringLiteral("User"), QString(), ini),
                 QStringLiteral("Pie de prueba"));
        QCOMPARE(LeerIni(QStringLiteral("Configuration"), QStringLiteral("Language"), QString(), ini),
                 QStringLiteral("1040"));

        // A settings file that cannot be written is said, with its name.
        const QString carpetaComoFichero = dir.filePath(QStringLiteral("sub"));
        QVERIFY(QDir().mkdir(carpetaComoFichero));
        const Resultado<void> w = grabaAjustesEnlace(a, carpetaComoFichero);
        QVERIFY(!w.has_value());
        QCOMPARE(w.error().mensaje(),
                 TextoPropio("The settings file %1 cannot be written.").arg(carpetaComoFichero));
    }

    void oneProgramPerDataFolder_data()
    {
        QTest::addColumn<QByteArray>("lcid");
        QTest::addColumn<QString>("language");
        QTest::newRow("Deutsch") << QByteArray("1031") << "Deutsch";
        QTest::newRow("Español") << QByteArray("1034") << "Español";
    }
    void oneProgramPerDataFolder()
    {
        QFETCH(QByteArray, lcid);
        QFETCH(QString, language);
        slxtest::DataHome home;
        QVERIFY(home.seed());
        escribeIni(home.file("slx90.ini"), "[Configuration]\r\nSerialPort=1\r\nLanguage=" + lcid +
                                               "\r\nModem=0\r\nTonePulse=1\r\nModemSpeed=19200\r\n");
        QTemporaryDir otherFolder;
        // The program itself, started on each folder.
        auto start = [](QProcess &p, const QString &folder) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("SLX90_HOME", folder);
            p.setProcessEnvironment(env);
            p.start(SLX90_EXE, {});
            QVERIFY(p.waitForStarted());
        };
        QProcess first, beside;
        start(first, home.path());
        start(beside, otherFolder.path());
        const QString lockFile = QDir(home.path()).filePath("slx90.lock");
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lockFile), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(QDir(otherFolder.path()).filePath("slx90.lock")), 20000);

        // A second start on the first folder.
        {
            slxtest::Answers answers;
            DataFolderLock lock(home.path());
            QVERIFY(!tomaCarpetaDatos(lock));
            QCOMPARE(lock.holder(), first.processId());
            QCOMPARE(answers.shown().size(), 1);
            QCOMPARE(answers.shown().first().icon, ui::Icon::Exclamation);
            QVERIFY(LocGuruP_BAS::SetupLanguage(home.file("Language.db"), language));
            QCOMPARE(answers.texts(), QStringList{TextoPropio("The program is already running on the data folder %1.")
                                                      .arg(home.path())});
            QVERIFY(answers.texts().first() !=
                    QString("The program is already running on the data folder %1.").arg(home.path()));
            LocGuruP_BAS::SetupLanguage(home.file("Language.db"), " ");
        }
        // Both programs still run, each on its own folder.
        QCOMPARE(first.state(), QProcess::Running);
        QCOMPARE(beside.state(), QProcess::Running);

        // Killed, the first leaves its lock file behind: the next start takes it over.
        first.kill();
        QVERIFY(first.waitForFinished());
        QVERIFY(QFile::exists(lockFile));
        slxtest::Answers answers;
        DataFolderLock lock(home.path());
        QVERIFY(tomaCarpetaDatos(lock));
        QVERIFY(answers.shown().isEmpty());
        beside.kill();
        beside.waitForFinished();
    }

    // A settings file deleted after the first start is not made again unasked: the start-up
    // says it is missing, in the language the folder last spoke (kept by its shutdown in the
    // database), and offers to write the default one. Yes writes it, keeping that language
    // and the report footer, and starts; No ends with the folder as it was.
    void missingSettingsFileIsOfferedInTheFolderLanguage_data()
    {
        QTest::addColumn<int>("codigo");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("lcid");
        QTest::addColumn<bool>("yes");
        QTest::newRow("Deutsch, no") << 4000 << "Deutsch"
                                     << "1031" << false;
        QTest::newRow("Deutsch, yes") << 4000 << "Deutsch"
                                      << "1031" << true;
        QTest::newRow("Español, no") << 1000 << "Español"
                                     << "1034" << false;
        QTest::newRow("Português, yes") << 7000 << "Português"
                                        << "2070" << true;
        QTest::newRow("no language kept: English") << 0 << "English"
                                                   << "1033" << true;
    }
    void missingSettingsFileIsOfferedInTheFolderLanguage()
    {
        QFETCH(int, codigo);
        QFETCH(QString, language);
        QFETCH(QString, lcid);
        QFETCH(bool, yes);
        const QString pie = QString::fromUtf8("Servei Tècnic");
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        {
            QSqlQuery q(modulo1().ConexionBD);
            q.prepare("UPDATE Configuracion SET IIdioma = ?, TUsuario = ?");
            q.addBindValue(codigo);
            q.addBindValue(pie);
            QVERIFY(q.exec());
        }
        Database::close();
        QVERIFY(QFile::remove(home.file("slx90.ini")));
        QVERIFY(DataFolder::seed());
        QVERIFY(!QFile::exists(home.file("slx90.ini")));
        QMap<QString, QByteArray> before = carpeta(home.path());

        slxtest::Answers answers;
        answers.then(yes ? ui::vbYes : ui::vbNo);
        auto f = std::make_unique<Principal>();
        (*f)->Form_Load();

        QVERIFY(!answers.shown().isEmpty());
        const ui::Request pregunta = answers.shown().first();
        QCOMPARE(pregunta.icon, ui::Icon::Question);
        QCOMPARE(pregunta.buttons, ui::YesNo);
        const char *texto = "The settings file %1 is missing. Write a new one with the default settings and start? "
                            "The language and the report footer are kept; the link settings (serial port, cable or "
                            "modem) take their default values: check them with Communications.";
        QVERIFY(LocGuruP_BAS::SetupLanguage(home.file("Language.db"), language));
        QCOMPARE(pregunta.text, TextoPropio(texto).arg(home.file("slx90.ini")));
        if (language != "English")
            QVERIFY(pregunta.text != QString(texto).arg(home.file("slx90.ini")));
        LocGuruP_BAS::SetupLanguage(home.file("Language.db"), " ");

        if (!yes) {
            QCOMPARE(answers.shown().size(), 1);
            QVERIFY(!modulo1().ConexionBD.isOpen());
            QVERIFY(!(*f)->isVisible());
            f.reset();
            QCOMPARE(carpeta(home.path()), before);
            return;
        }
        // Started, in the folder's language, with its footer and the default link settings.
        QVERIFY2(criticos(answers).isEmpty(), qPrintable(criticos(answers).join('|')));
        QVERIFY(modulo1().ConexionBD.isOpen());
        QVERIFY((*f)->isVisible());
        QVERIFY((*f)->SSCommandProgramacion->isEnabled());
        QCOMPARE(int(modulo1().CodigoIdioma), codigo ? codigo : 3000);
        QCOMPARE(modulo1().PiePagina, pie);
        QCOMPARE(int(modulo1().PuertoSerie), 1);
        QCOMPARE(int(modulo1().TipoConexion), 0);
        const QString ini = home.file("slx90.ini");
        QCOMPARE(LeerIni("Configuration", "Language", "", ini), lcid);
        QCOMPARE(LeerIni("Configuration", "User", "", ini), pie);
        for (const char *clave : {"SerialPort", "Modem", "TonePulse", "DialCode", "ModemSpeed"})
            QCOMPARE(LeerIni("Configuration", clave, "-", ini),
                     LeerIni("Configuration", clave, "-", DataFolder::defaultFile("slx90.ini")));
        f.reset();
        // Beside the new settings file, only the database changed (its shutdown).
        QMap<QString, QByteArray> after = carpeta(home.path());
        QVERIFY(after.remove("slx90.ini"));
        after.remove("slx90.db");
        before.remove("slx90.db");
        QCOMPARE(after, before);
        QCOMPARE(slxtest::filaConfiguracion(home.file("slx90.db"), "TUsuario").toString(), pie);
    }

    // A new folder (no database yet) gets its settings file, unasked.
    void newFolderGetsItsSettingsFile()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        Database::close();
        QVERIFY(QFile::remove(home.file("slx90.ini")));
        QVERIFY(QFile::remove(home.file("slx90.db")));
        QVERIFY(DataFolder::seed());
        QVERIFY(QFile::exists(home.file("slx90.ini")));
    }

    void shutdownWritesTheSettingsRow()
    {
        slxtest::DataHome home;
        QVERIFY(home.seed());
        escribeIni(home.file("slx90.ini"), "[Configuration]\r\nSerialPort=4\r\nUser=Mi pie\r\nLanguage=1031\r\n"
                                           "Modem=1\r\nTonePulse=0\r\nDialCode=\r\nModemSpeed=19200\r\n");
        slxtest::Answers answers;
        {
            Principal f;
            f->Form_Load();
            QVERIFY(modulo1().ConexionBD.isOpen());
            f->Form_Unload();
            QVERIFY(!modulo1().ConexionBD.isOpen());
            // An empty prefix becomes one blank, in the row and in the shared setting.
            QCOMPARE(modulo1().PrefijoMarcacion, QString(" "));
        }
        const QString db = home.file("slx90.db");
        QCOMPARE(slxtest::filaConfiguracion(db, "ByCom").toInt(), 4);
        QCOMPARE(slxtest::filaConfiguracion(db, "IIdioma").toInt(), 4000);
        QCOMPARE(slxtest::filaConfiguracion(db, "ByTono").toInt(), 0);
        QCOMPARE(slxtest::filaConfiguracion(db, "ByModem").toInt(), 1);
        QCOMPARE(slxtest::filaConfiguracion(db, "TPrefijo").toString(), QString(" "));
        QCOMPARE(slxtest::filaConfiguracion(db, "IModemSpeed").toInt(), 19200);
        QCOMPARE(slxtest::filaConfiguracion(db, "TUsuario").toString(), QString("Mi pie"));
        QVERIFY(criticos(answers).isEmpty());
        // The settings file is never written by the shutdown.
        QCOMPARE(LeerIni("Configuration", "DialCode", "", home.file("slx90.ini")), QString());
    }

    // A settings file saved as UTF-8 without a byte-order mark (as modern editors save it):
    // the footer reads as typed, on screen and in the settings row, and a footer typed in
    // the program is written back as UTF-8; a Windows-1252 file stays Windows-1252.
    void footerOfASettingsFileInEitherEncoding_data()
    {
        QTest::addColumn<QByteArray>("footer");
        QTest::addColumn<QByteArray>("typedBytes");
        QTest::newRow("UTF-8") << QByteArray("Servei T\xC3\xA8" "cnic") << QByteArray("Cal \xC3\x80ngel");
        QTest::newRow("Windows-1252") << QByteArray("Servei T\xE8" "cnic") << QByteArray("Cal \xC0ngel");
    }
    void footerOfASettingsFileInEitherEncoding()
    {
        QFETCH(QByteArray, footer);
        QFETCH(QByteArray, typedBytes);
        slxtest::DataHome home;
        QVERIFY(home.seed());
        const QString ini = home.file("slx90.ini");
        escribeIni(ini, "[Configuration]\r\nSerialPort=1\r\nUser=" + footer +
                            "\r\nLanguage=1027\r\nModem=0\r\nTonePulse=1\r\nModemSpeed=19200\r\n");
        const QString tecnic = QString::fromUtf8("Servei Tècnic");
        const QString typed = QString::fromUtf8("Cal Àngel");
        slxtest::Answers answers;
        answers.then(typed);
        {
            Principal f;
            f->Form_Load();
            QCOMPARE(modulo1().PiePagina, tecnic);
            f->Form_Unload();
            QCOMPARE(slxtest::filaConfiguracion(home.file("slx90.db"), "TUsuario").toString(), tecnic);
        }
        {
            Principal f;
            f->Form_Load();
            // The footer command offers the footer as it stands and stores the one typed.
            QTest::mouseClick(f->SSCommandUsuario, Qt::LeftButton);
            QCOMPARE(answers.shown().last().kind, ui::Kind::Input);
            QCOMPARE(answers.shown().last().defecto, tecnic);
        }
        QFile f(ini);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY2(f.readAll().contains("\r\nUser=" + typedBytes + "\r\n"), qPrintable(ini));
        QCOMPARE(slxtest::filaConfiguracion(home.file("slx90.db"), "TUsuario").toString(), typed);
        QVERIFY(criticos(answers).isEmpty());
    }

    void missingSettingsRowAtShutdownIsReported()
    {
        slxtest::DataHome home;
        QVERIFY(home.seed());
        slxtest::Answers answers;
        Principal f;
        f->Form_Load();
        QSqlQuery q(modulo1().ConexionBD);
        QVERIFY(q.exec("DELETE FROM Configuracion"));
        f->Form_Unload();
        QCOMPARE(criticos(answers).size(), 1);
        QVERIFY(criticos(answers).first().contains("Configuracion"));
        QVERIFY(!modulo1().ConexionBD.isOpen());
    }

    void unusableDatabaseLeavesOnlySafeCommands()
    {
        slxtest::DataHome home;
        QVERIFY(home.seed());
        escribeIni(home.file("slx90.db"), "this is not a database at all, just text long enough to be read");
        QFile::copy(slxtest::fixture("access/legacy-a.mdb"), home.file("backupSLX90.bak"));
        slxtest::Answers answers;
        Principal f;
        f->Form_Load();
        QCOMPARE(criticos(answers).size(), 1);
        QVERIFY(criticos(answers).first().contains("slx90.db"));
        QVERIFY(!modulo1().ConexionBD.isOpen());
        QVERIFY(f->isVisible());
        for (QPushButton *b : {f->SSCommandProgramacion, f->SSCommandIncidencias, f->SSCommand1, f->SSCommandUsuario})
            QVERIFY(!b->isEnabled());
        for (QPushButton *b : {f->SSCommandPort, f->SSCommandIdioma, f->SSCommandHelp, f->SSCommandExit})
            QVERIFY(b->isEnabled());
        // The backup waits for a start-up that can merge it.
        QVERIFY(QFile::exists(home.file("backupSLX90.bak")));
    }

    void backupMergedUnderThePanelAndDeleted()
    {
        slxtest::DataHome home;
        QVERIFY(home.seed());
        // Found whatever its letter case.
        QVERIFY(QFile::copy(slxtest::fixture("access/legacy-a.mdb"), home.file("BackupSLX90.BAK")));
        QFile::setPermissions(home.file("BackupSLX90.BAK"), QFile::ReadOwner | QFile::WriteOwner);
        slxtest::Answers answers;
        Principal f;
        bool windowShown = false, panelShown = false, panelEnabled = false, importEnabled = true;
        bool closeRefused = false, databaseOpen = false;
        QString panelText, importing;
        QTimer::singleShot(0, [&] {
            windowShown = f->isVisible();
            panelShown = f->SSPanel1->isVisible();
            // Drawn as an active panel, not greyed out; the commands wait for the merge.
            panelEnabled = f->SSPanel1->isEnabled();
            importEnabled = f->SSCommand1->isEnabled();
            // Closing the window (its frame stays live) waits for the merge.
            closeRefused = !f->close();
            databaseOpen = modulo1().ConexionBD.isOpen();
            panelText = f->SSPanel1->text();
            importing = modulo1().FicheroImportar;
        });
        f->Form_Load();
        QVERIFY(windowShown);
        QVERIFY(panelShown);
        QVERIFY(panelEnabled);
        QVERIFY(!importEnabled);
        QVERIFY(closeRefused);
        QVERIFY(databaseOpen);
        QVERIFY(f->isVisible());
        QCOMPARE(panelText, QString("Importando datos"));
        // Merged from under a dated name, so that no later start runs it again.
        QVERIFY2(QFileInfo(importing).fileName().startsWith("backupSLX90 "), qPrintable(importing));
        QVERIFY(!QFile::exists(importing));
        QVERIFY(!f->SSPanel1->isVisible());
        QVERIFY(f->SSCommand1->isEnabled());
        QVERIFY(modulo1().FicheroImportar.isEmpty());
        QCOMPARE(cuenta("Intervalos"), 200);
        QCOMPARE(cuenta("Programacion"), 2);
        QVERIFY(!QFile::exists(home.file("BackupSLX90.BAK")));
        QVERIFY2(criticos(answers).isEmpty(), qPrintable(criticos(answers).join('|')));
    }

    // A backup taken while its program was at work: rows that live only in the
    // write-ahead log beside it are merged with it, and the log goes with it.
    void backupWithItsLogMergedWhole()
    {
        slxtest::DataHome home;
        QVERIFY(home.seed());
        const QString live = home.file("live.db");
        const QString backup = home.file("backupSLX90.bak");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "live-backup");
            db.setDatabaseName(live);
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec("PRAGMA journal_mode=WAL"));
            QVERIFY(q.exec("PRAGMA wal_autocheckpoint=0"));
            QVERIFY(q.exec("CREATE TABLE DiaBorrado (LNumeroSerie, DFecha, THora)"));
            QVERIFY(q.exec("INSERT INTO DiaBorrado VALUES (1, '2009-01-01', '10:00')"));
            // The first row in the file itself, the others in its log only.
            QVERIFY(q.exec("PRAGMA wal_checkpoint(TRUNCATE)"));
            for (int i = 2; i <= 6; ++i)
                QVERIFY(q.exec(QString("INSERT INTO DiaBorrado VALUES (%1, '2009-01-01', '10:00')").arg(i)));
            QVERIFY(QFile::copy(live, backup));
            QVERIFY(QFile::copy(live + "-wal", backup + "-wal"));
            q.finish();
            db.close();
        }
        QSqlDatabase::removeDatabase("live-backup");
        slxtest::Answers answers;
        Principal f;
        f->Form_Load();
        QCOMPARE(cuenta("DiaBorrado"), 6);
        // Nothing of the backup is left behind, its log neither.
        QCOMPARE(QDir(home.path()).entryList({"backup*"}, QDir::Files | QDir::System | QDir::Hidden), QStringList());
        // The summary the import command shows.
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown().first().icon, ui::Icon::Information);
        QVERIFY(answers.shown().first().text.startsWith(oLocGuru().GetS(144)));
        QVERIFY2(answers.shown().first().text.contains(TextoPropio("Rows added: %1").arg(6)),
                 qPrintable(answers.shown().first().text));
    }

    // The program killed in the middle of the merge of its backup: the next start says
    // so once, naming where the backup is kept, and leaves it there.
    void mergeThatNeverEndedIsToldOnce()
    {
        slxtest::DataHome home;
        QVERIFY(home.seed());
        // Enough rows for a merge that lasts a while.
        QVERIFY(slxtest::creaBaseSQLite(
            home.file("backupSLX90.bak"),
            {"CREATE TABLE Intervalos (LNumeroSerie, DFechaInicio, THoraInicio, SLeqLocal)",
             "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 399999) INSERT INTO "
             "Intervalos SELECT 5, date('2000-01-01', '+' || (i / 96) || ' days'), substr('0' || ((i % 96) / 4), "
             "-2) || ':' || substr('0' || ((i % 4) * 15), -2), 60 FROM n"}));
        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("SLX90_HOME", home.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        run.setProcessEnvironment(env);
        run.setProgram(SLX90_EXE);
        run.start();
        QVERIFY(run.waitForStarted());
        const QString marca = home.file("backupSLX90.merging");
        bool vista = false;
        for (int i = 0; i < 60000 && !vista && run.state() == QProcess::Running; ++i) {
            vista = QFileInfo::exists(marca);
            if (!vista)
                QThread::msleep(1);
        }
        run.kill();
        run.waitForFinished();
        QVERIFY2(vista, "the merge's mark never appeared");
        const QStringList aparte = QDir(home.path()).entryList({"backupSLX90 *.bak"}, QDir::Files);
        QCOMPARE(aparte.size(), 1);
        const QString guardada = home.file(aparte.first());

        for (int vez = 0; vez < 2; ++vez) {
            slxtest::Answers answers;
            Principal f;
            f->Form_Load();
            const QStringList shown = criticos(answers);
            if (vez == 1) {
                QVERIFY2(shown.isEmpty(), qPrintable(shown.join('|')));
                break;
            }
            QCOMPARE(shown.size(), 1);
            QVERIFY(shown.first().startsWith(oLocGuru().GetS(178)));
            QVERIFY2(shown.first().contains(guardada), qPrintable(shown.first()));
            QVERIFY(shown.first().contains(
                TextoPropio("The merge of the backup %1 that started on %2 did not end (the program was stopped "
                            "during it): some of its rows may be missing from the database. The backup is kept as %3.")
                    .section("%2", 1, 1)
                    .section("%3", 0, 0)));
        }
        // Kept where it was; nothing else of it appears.
        QVERIFY(QFileInfo::exists(guardada));
        QVERIFY(!QFileInfo::exists(marca));
        QCOMPARE(QDir(home.path()).entryList({"backupSLX90 *.bak"}, QDir::Files).size(), 1);
    }

    void backupThatCannotBeMergedIsKept_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("damaged") << "damaged";
        QTest::newRow("pipe") << "pipe";
        QTest::newRow("refused rows") << "refused";
        QTest::newRow("access cut short") << "access cut short";
        QTest::newRow("access with a damaged list of tables") << "access list";
    }
    void backupThatCannotBeMergedIsKept()
    {
        QFETCH(QString, kind);
        slxtest::DataHome home;
        QVERIFY(home.seed());
        const QString backup = home.file("backupSLX90.bak");
        if (kind == "damaged") {
            escribeIni(backup, QByteArray("SQLite format 3\0", 16) + QByteArray(2000, 'x'));
        } else if (kind == "pipe") {
            // Opened without waiting for a writer.
            QCOMPARE(mkfifo(QFile::encodeName(backup).constData(), 0600), 0);
        } else if (kind == "access cut short") {
            QFile mdb(slxtest::fixture("access/legacy-a.mdb"));
            QVERIFY(mdb.open(QIODevice::ReadOnly));
            escribeIni(backup, mdb.read(64 * 1024));
        } else if (kind == "access list") {
            // One byte of the catalogue's definition page changed: libmdb loses some entries.
            QFile mdb(slxtest::fixture("access/legacy-a.mdb"));
            QVERIFY(mdb.open(QIODevice::ReadOnly));
            QByteArray d = mdb.readAll();
            d[8352] = char(0x48);
            escribeIni(backup, d);
        } else {
            QVERIFY(slxtest::creaBaseSQLite(backup, {"CREATE TABLE Programacion (LNumeroSerie, ByTLeq)",
                                                     "INSERT INTO Programacion VALUES (1, 15)",
                                                     "INSERT INTO Programacion VALUES (2, 999)"}));
        }
        slxtest::Answers answers;
        Principal f;
        f->Form_Load();
        const QStringList shown = criticos(answers);
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown.first().startsWith(oLocGuru().GetS(178)));
        // The merge's reason, in the window's language.
        const QString reason = kind == "damaged" ? TextoPropio("The list of tables of the database cannot be read: %1")
                                                       .section(QLatin1String("%1"), 0, 0)
                               : kind == "pipe"
                                   ? TextoPropio("The file %1 is not a regular file (it is a folder, a device or a pipe): "
                                                 "it cannot be imported.")
                                         .section("%1", 1, 1)
                               : kind == "refused"
                                   ? TextoPropio("Rows refused: %1").arg(1)
                               : kind == "access list"
                                   ? nombreTabla("Intervalos") + ": " + TextoPropio("the file's list of tables does not name it")
                                   : TextoPropio("The file %1 is damaged: %2.").section("%1", 1, 1).section("%2", 0, 0);
        QVERIFY2(shown.first().contains(reason), qPrintable(shown.first()));
        // Kept aside under a dated name, named in the message; the next start does not run it again.
        QVERIFY(!QFile::exists(backup));
        const QStringList aparte = QDir(home.path()).entryList({"backupSLX90 *.bak"}, QDir::Files | QDir::System);
        QCOMPARE(aparte.size(), 1);
        QVERIFY2(shown.first().contains(home.file(aparte.first())), qPrintable(shown.first()));
        // The window goes on with the database open.
        QVERIFY(modulo1().ConexionBD.isOpen());
        QVERIFY(f->SSCommandProgramacion->isEnabled());
        QVERIFY(!f->SSPanel1->isVisible());
        QCOMPARE(cuenta("Programacion"), kind == "refused" ? 1 : kind == "access list" ? 2 : 0);
    }

    void leeLineaComandos_data()
    {
        QTest::addColumn<QString>("linea");
        QTest::addColumn<QString>("esperada");
        QTest::newRow("quoted path with blanks") << "\"C:\\datos\\obra 1.qv90\""
                                                 << "C:\\datos\\obra 1.qv90";
        QTest::newRow("serial with blanks around") << "   100123  "
                                                   << "100123";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("only blanks") << "   "
                                     << "";
        QTest::newRow("two quotes") << "\"\""
                                    << "";
        QTest::newRow("one quote") << "\"100123"
                                   << "100123";
        QTest::newRow("at most two removed") << "a\"b\"c\"d"
                                             << "abc\"d";
        QTest::newRow("blanks inside kept, not trimmed again") << "\" 12 \""
                                                               << " 12 ";
        QTest::newRow("no quote before") << "x \"y"
                                         << "x y";
    }
    void leeLineaComandos()
    {
        QFETCH(QString, linea);
        QTEST(LeeLineaComandos(linea), "esperada");
    }

    void commandLineOpensTheImportOrTheSheet_data()
    {
        QTest::addColumn<QString>("linea");
        QTest::addColumn<QString>("ventana");
        QTest::addColumn<QString>("fichero");
        QTest::newRow("exchange file") << "\"/datos/obra 1.qv90\""
                                       << "Form16"
                                       << "/datos/obra 1.qv90";
        QTest::newRow("upper case extension") << "/datos/obra.QV90"
                                              << "Form16"
                                              << "/datos/obra.QV90";
        QTest::newRow("serial number") << "100123"
                                       << "Form2"
                                       << "";
    }
    void commandLineOpensTheImportOrTheSheet()
    {
        QFETCH(QString, linea);
        QFETCH(QString, ventana);
        QFETCH(QString, fichero);
        slxtest::DataHome home;
        QVERIFY(home.seed());
        // The programming sheet stands in for the real one, so that its opening is seen.
        QString sheetSerial;
        FormRegistry::add("Form2", [&sheetSerial] {
            auto *d = new QDialog;
            d->setAttribute(Qt::WA_DeleteOnClose);
            sheetSerial = modulo1().LineaComandos;
            return d;
        });
        slxtest::Answers answers;
        Form1::fijaLineaComandos(linea);
        Principal f;
        QString opened, importing;
        bool mainShown = true;
        slxtest::alAbrirModal([&](QWidget *w) {
            opened = w->objectName();
            importing = modulo1().FicheroImportar;
            mainShown = f->isVisible();
            w->close();
        });
        f->Form_Load();
        QCOMPARE(opened, ventana);
        QCOMPARE(importing, fichero);
        QVERIFY(modulo1().FicheroImportar.isEmpty());
        QVERIFY(!mainShown); // the main window shows after the command line
        QVERIFY(f->isVisible());
        QCOMPARE(modulo1().LineaComandos, LeeLineaComandos(linea));
        if (ventana == "Form2")
            QCOMPARE(sheetSerial, QString("100123"));

        // A restart of the main window (a language change) does not act on it again.
        opened.clear();
        Form1 *old = f.form.release();
        old->ReiniciaVentana();
        QCoreApplication::processEvents();
        QVERIFY(opened.isEmpty());
        auto *nuevo = qobject_cast<Form1 *>(FormRegistry::instance("Form1"));
        QVERIFY(nuevo && nuevo != old);
        QVERIFY(nuevo->isVisible());
        f.form.reset(nuevo);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        FormRegistry::add("Form2", nullptr);
    }

    void commandLineWaitsForAStartUpWithTheDatabase()
    {
        slxtest::DataHome home;
        QVERIFY(home.seed());
        escribeIni(home.file("slx90.db"), "this is not a database at all, just text long enough to be read");
        slxtest::Answers answers;
        Form1::fijaLineaComandos("/datos/obra.qv90");
        Principal f;
        f->Form_Load();
        QVERIFY(!modulo1().ConexionBD.isOpen());
        QVERIFY(modulo1().FicheroImportar.isEmpty());
        // With the database back, the restart after a language change opens the file.
        QVERIFY(QFile::remove(home.file("slx90.db")));
        QString opened, importing;
        slxtest::alAbrirModal([&](QWidget *w) {
            opened = w->objectName();
            importing = modulo1().FicheroImportar;
            w->close();
        });
        Form1 *old = f.form.release();
        old->ReiniciaVentana();
        QCoreApplication::processEvents();
        QCOMPARE(opened, QString("Form16"));
        QCOMPARE(importing, QString("/datos/obra.qv90"));
        auto *nuevo = qobject_cast<Form1 *>(FormRegistry::instance("Form1"));
        QVERIFY(nuevo && nuevo != old);
        QVERIFY(modulo1().ConexionBD.isOpen());
        f.form.reset(nuevo);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void sheetNotBuiltYetIsSaid()
    {
        slxtest::DataHome home;
        QVERIFY(home.seed());
        FormRegistry::add("Form2", nullptr);
        slxtest::Answers answers;
        Form1::fijaLineaComandos("100123");
        Principal f;
        f->Form_Load();
        QVERIFY(answers.texts().contains(textoNoConstruida()));
        QVERIFY(f->isVisible());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
