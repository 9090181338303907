// The main window's commands and its two dialogs, on real widgets.

#include "Helpers.h"
#include "MainWindowFixture.h"
#include "TestSupport.h"
#include "base/FormRegistry.h"
#include "base/Modulo1.h"
#include "base/TextoPropio.h"
#include "base/Ventanas.h"
#include "link/DeviceSession.h"
#include "link/SerialControl.h"
#include "link/SystemPort.h"
#include "localization/LocGuru.h"
#include "localization/NativeCatalogue.h"
#include "main/Arranque.h"
#include "main/Form1.h"
#include "main/Form4.h"
#include "main/Form7.h"
#include "main/RegistroVentanas.h"
#include "programming/Form2.h"
#include "programming/SheetStorage.h"
#include "reports/Form9.h"
#include "widgets/HelpWindow.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTextBrowser>
#include <QUrl>
#include <QWindow>
#include <QtTest>
#include <memory>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace slx;
using slxtest::cuenta;
using slxtest::escribeIni;

namespace {

const QByteArray kIni = "[Configuration]\r\nSerialPort=3\r\nUser=Pie anterior\r\nLanguage=1034\r\nModem=1\r\n"
                        "TonePulse=0\r\nDialCode=9\r\nModemSpeed=19200\r\n";

QString ini(const QString &key)
{
    return LeerIni("Configuration", key, "", ficheroIni());
}

QString usuarioGuardado()
{
    QSqlQuery q(modulo1().ConexionBD);
    q.exec("SELECT TUsuario FROM Configuracion");
    q.next();
    return q.value(0).toString();
}

// Clicks an option button on its indicator, where a person clicks (the middle of a
// wide button may lie beyond its text, outside the part that takes clicks).
void clickOption(QRadioButton *option)
{
    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(8, option->height() / 2));
}

// A pseudo-terminal: a serial line's device file that exists, for the link settings.
class Pty {
public:
    Pty()
        : m_fd(posix_openpt(O_RDWR | O_NOCTTY))
    {
        if (m_fd >= 0 && grantpt(m_fd) == 0 && unlockpt(m_fd) == 0)
            m_path = QString::fromLocal8Bit(ptsname(m_fd));
    }
    ~Pty()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool ok() const { return !m_path.isEmpty(); }
    QString path() const { return m_path; }

private:
    int m_fd;
    QString m_path;
};

} // namespace

// Captures the files the help command hands to the desktop.
class Escritorio : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl &url) { urls << url; }
};

class TestMainWindow : public slxtest::MainWindowFixture {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { registraVentanas(); }

    void init()
    {
        abre(kIni);
        if (QTest::currentTestFailed())
            return;
    }

    void cleanup()
    {
        cierra();
    }

    void commandsRefuseDuringAnExchange_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("exit") << "SSCommandExit";
        QTest::newRow("language") << "SSCommandIdioma";
        QTest::newRow("link settings") << "SSCommandPort";
        QTest::newRow("import") << "SSCommand1";
        QTest::newRow("text export") << "CommandExportar";
    }

    void commandsRefuseDuringAnExchange()
    {
        QFETCH(QString, button);
        auto *b = form->findChild<QPushButton *>(button);
        QVERIFY(b);
        QVERIFY(b->isEnabled());
        slxtest::Answers answers;
        {
            // A device window's exchange, waiting with window events running.
            DeviceSession exchange;
            QVERIFY(DeviceSession::running());
            QTest::mouseClick(b, Qt::LeftButton);
            QCOMPARE(answers.texts(), QStringList{DeviceSession::busyText()});
            QVERIFY(form->isVisible());
            QVERIFY(!QApplication::activeModalWidget());
            QVERIFY(modulo1().ConexionBD.isOpen());
            // Its frame too.
            QVERIFY(!form->close());
            QCOMPARE(answers.texts().size(), 2);
        }
        QVERIFY(!DeviceSession::running());
        QCOMPARE(FormRegistry::instance("Form1"), form.get());
    }

    // The text export ends the program: a sheet with unsaved changes is offered for saving
    // first, and Cancel there cancels the export.
    void exportOffersToSaveFirst_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("OK") << int(ui::vbOK);
        QTest::newRow("Cancel") << int(ui::vbCancel);
    }
    void exportOffersToSaveFirst()
    {
        QFETCH(int, answer);
        FitxaProgramacio f;
        QVERIFY(CreaProgramacio(f).modificada);
        f.MaskNumeroSerie = "100123";
        f.MaskLocal = "Sala";
        QVERIFY(GrabaProgramacio(modulo1().ConexionBD, f));
        QTest::mouseClick(form->SSCommandProgramacion, Qt::LeftButton);
        QPointer<Form2> sheet = qobject_cast<Form2 *>(FormRegistry::instance("Form2"));
        QVERIFY(sheet && sheet->isVisible());
        auto *local = qobject_cast<QLineEdit *>(sheet->campo("MaskLocal"));
        local->setFocus(Qt::MouseFocusReason);
        local->end(false);
        QTest::keyClicks(local, "Z");
        QFile db(home->file("Language.db"));
        QVERIFY(db.open(QIODevice::ReadOnly));
        const QByteArray before = db.readAll();
        db.close();

        slxtest::Answers answers;
        answers.then(answer);
        QTest::mouseClick(form->CommandExportar, Qt::LeftButton);
        QCOMPARE(answers.texts().value(0), oLocGuru().GetS(23));
        FitxaProgramacio saved;
        QVERIFY(CarregaProgramacio(modulo1().ConexionBD, saved, 100123));
        QVERIFY(db.open(QIODevice::ReadOnly));
        const bool exported = db.readAll() != before;
        db.close();
        if (answer == ui::vbOK) {
            QCOMPARE(saved.MaskLocal, QString("SalaZ"));
            QVERIFY(exported);
            // The export ended the program (every later event loop would return at once):
            // one run of the application's loop takes that back for the tests that follow.
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
            QCoreApplication::exec();
        } else {
            QCOMPARE(saved.MaskLocal, QString("Sala"));
            QVERIFY(!exported);
            QCOMPARE(answers.shown().size(), 1);
            QVERIFY(sheet && sheet->isVisible());
            QCOMPARE(local->text(), QString("SalaZ"));
        }
        // The windows the export loaded and left shown go, with the sheet.
        modulo1().FitxaModificada = false;
        for (const QString &name : LocGuruP_BAS::ExportedForms()) {
            if (name != "Form1")
                delete FormRegistry::instance(name);
        }
        QVERIFY(!sheet);
    }

    void footerTakesAtMostFiftyCharacters()
    {
        slxtest::Answers answers;
        const QString sixty = QString("0123456789").repeated(6);
        answers.then(sixty);
        QTest::mouseClick(form->SSCommandUsuario, Qt::LeftButton);
        QCOMPARE(answers.shown().size(), 1);
        const ui::Request asked = answers.shown().first();
        QCOMPARE(asked.kind, ui::Kind::Input);
        QCOMPARE(asked.text, oLocGuru().GetS(22));
        QCOMPARE(asked.title, oLocGuru().GetS(21));
        QCOMPARE(asked.defecto, QString("Pie anterior"));
        QCOMPARE(modulo1().PiePagina, sixty.left(50));
        QCOMPARE(ini("User"), sixty.left(50));
        QCOMPARE(usuarioGuardado(), sixty.left(50));
    }

    void footerCancelChangesNothing()
    {
        slxtest::Answers answers;
        answers.then(QVariant()); // Cancel
        QTest::mouseClick(form->SSCommandUsuario, Qt::LeftButton);
        QCOMPARE(modulo1().PiePagina, QString("Pie anterior"));
        QCOMPARE(ini("User"), QString("Pie anterior"));
        QCOMPARE(usuarioGuardado(), QString());
    }

    void footerEmptyAnswerIsStored()
    {
        slxtest::Answers answers;
        answers.then(QString(""));
        QTest::mouseClick(form->SSCommandUsuario, Qt::LeftButton);
        QCOMPARE(modulo1().PiePagina, QString());
        QCOMPARE(ini("User"), QString());
        // The next start-up reads it back.
        form->Form_Unload();
        form->Form_Load();
        QCOMPARE(modulo1().PiePagina, QString());
    }

    void importCommand_data()
    {
        QTest::addColumn<QString>("choice"); // file name in the data folder, "" = cancel
        QTest::addColumn<int>("intervalos");
        QTest::addColumn<QString>("box"); // text the message starts with, "" = none
        QTest::addColumn<bool>("critical");
        QTest::newRow("cancelled") << "" << 0 << "" << false;
        QTest::newRow("Access database") << "other.MDB" << 200 << oLocGuru().GetS(144) << false;
        QTest::newRow("Access database named .db") << "other.db" << 200 << oLocGuru().GetS(144) << false;
        QTest::newRow("text file") << "notes.txt" << 0 << oLocGuru().GetS(143) << true;
        // The merge's own message (its key), shown in the window's language with the file for "%1".
        QTest::newRow("damaged database")
            << "damaged.mdb" << 0
            << "The file %1 is not a database of this program nor of the original program, or it is empty or damaged."
            << true;
        // Opened without waiting for a writer: refused at once.
        QTest::newRow("pipe named .db")
            << "pipe.db" << 0
            << "The file %1 is not a regular file (it is a folder, a device or a pipe): it cannot be imported." << true;
    }
    void importCommand()
    {
        QFETCH(QString, choice);
        QFETCH(int, intervalos);
        QFETCH(QString, box);
        QFETCH(bool, critical);
        const QString path = choice.isEmpty() ? QString() : home->file(choice);
        if (choice.startsWith("other"))
            QVERIFY(QFile::copy(slxtest::fixture("access/legacy-a.mdb"), path));
        else if (choice.startsWith("pipe"))
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (!choice.isEmpty())
            escribeIni(path, "Standard Jet DB is not at the start of this file");
        slxtest::Answers answers;
        answers.then(choice.isEmpty() ? QVariant() : QVariant(path));
        QTest::mouseClick(form->SSCommand1, Qt::LeftButton);
        QCOMPARE(answers.shown().first().kind, ui::Kind::OpenFile);
        // The dialog opens on the first filter: every kind the program imports; then one per
        // kind, in the user's language.
        QCOMPARE(answers.shown().first().defecto.split(";;"),
                 QStringList({"Archivos que el programa importa (*.mdb *.MDB *.db *.DB *.qv90 *.QV90)",
                              "Bases de datos de Microsoft Access (*.mdb *.MDB)",
                              TextoPropio("NUVEX TALOMI SLX90 File") + " (*.qv90 *.QV90)",
                              TextoPropio("SLX-90 databases") + " (*.db *.DB)", "Todos los archivos (*)"}));
        QCOMPARE(cuenta("Intervalos"), intervalos);
        QVERIFY(modulo1().FicheroImportar.isEmpty());
        QVERIFY(!form->SSPanel1->isVisible());
        if (box.isEmpty()) {
            QCOMPARE(answers.shown().size(), 1);
        } else {
            QCOMPARE(answers.shown().size(), 2);
            const ui::Request shown = answers.shown().at(1);
            const QString expected =
                box.contains(QLatin1String("%1")) ? TextoPropio(box.toUtf8().constData()).arg(path) : box;
            QVERIFY2(shown.text.startsWith(expected), qPrintable(shown.text));
            QCOMPARE(shown.icon, critical ? ui::Icon::Critical : ui::Icon::Information);
        }
        // The window goes on working after any of these.
        QVERIFY(modulo1().ConexionBD.isOpen());
        QVERIFY(form->SSCommand1->isEnabled());
    }

    void importOfAnExchangeFileOpensTheImportWindow()
    {
        escribeIni(home->file("obra.qv90"), "//DiaBorrado//\r\nLNumeroSerie;DFecha;THora\r\n1;2009-01-01;10:00\r\n");
        slxtest::Answers answers;
        answers.then(home->file("obra.qv90"));
        QTest::mouseClick(form->SSCommand1, Qt::LeftButton);
        // The import window imported the file and said so in its one box.
        QCOMPARE(answers.shown().size(), 2);
        QVERIFY2(
            answers.shown().at(1).text.contains(TextoPropio("%1: %2 added, %3 overwritten, %4 unchanged, %5 refused")
                                                    .arg("Fechas de borrado")
                                                    .arg(1)
                                                    .arg(0)
                                                    .arg(0)
                                                    .arg(0)),
            qPrintable(answers.shown().at(1).text));
        QCOMPARE(cuenta("DiaBorrado"), 1);
        QVERIFY(!FormRegistry::instance("Form16"));
        QVERIFY(modulo1().FicheroImportar.isEmpty());
    }

    // A pipe picked as an exchange file is refused at once: nothing waits for a writer.
    void importOfAPipeIsRefused()
    {
        const QString path = home->file("pipe.qv90");
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        slxtest::Answers answers;
        answers.then(path);
        QTest::mouseClick(form->SSCommand1, Qt::LeftButton);
        QFile::remove(path);
        QCOMPARE(answers.shown().size(), 2);
        QCOMPARE(answers.shown().at(1).icon, ui::Icon::Critical);
        QCOMPARE(answers.shown().at(1).text, TextoPropio("The file %1 is not a regular file (it is a folder, a device "
                                                         "or a pipe): it cannot be imported.")
                                                 .arg(path));
        QVERIFY(!FormRegistry::instance("Form16"));
        QVERIFY(modulo1().FicheroImportar.isEmpty());
    }

    void linkSettingsDialogShowsAndTakesTheSettings()
    {
        slxtest::Answers answers;
        Form4 dialog;
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QString("SLX-90"));
        QCOMPARE(dialog.ComboPort->currentText(), QString("3"));
        QCOMPARE(dialog.ComboPort->count(), 99);
        QCOMPARE(dialog.ComboPort->itemText(98), QString("99"));
        QVERIFY(dialog.OptionModem->isChecked());
        QVERIFY(dialog.OptionPulsos->isChecked());
        QCOMPARE(dialog.MaskPrefijo->text(), QString("9"));

        dialog.ComboPort->setEditText("7");
        clickOption(dialog.OptionRs);
        clickOption(dialog.OptionTonos);
        dialog.MaskPrefijo->clear();
        QTest::keyClicks(dialog.MaskPrefijo, "0,,99");
        QCOMPARE(dialog.MaskPrefijo->text(), QString("0,,"));
        QTest::mouseClick(dialog.SSCommandAceptar, Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(answers.shown().isEmpty());
        const Modulo1 &m = modulo1();
        QCOMPARE(int(m.PuertoSerie), 7);
        QCOMPARE(int(m.TipoConexion), 0);
        QCOMPARE(int(m.TonoPulso), 1);
        QCOMPARE(m.PrefijoMarcacion, QString("0,,"));
        QCOMPARE(int(m.VelocidadModem), 19200);
        QCOMPARE(MSComm1().CommPort(), 7);
        QCOMPARE(ini("SerialPort"), QString("7"));
        QCOMPARE(ini("Modem"), QString("0"));
        QCOMPARE(ini("TonePulse"), QString("1"));
        QCOMPARE(ini("DialCode"), QString("0,,"));
        QCOMPARE(ini("ModemSpeed"), QString("19200"));

        // The next start-up reads them back.
        form->Form_Unload();
        resetModulo1();
        form->Form_Load();
        QCOMPARE(int(modulo1().PuertoSerie), 7);
        QCOMPARE(int(modulo1().TipoConexion), 0);
        QCOMPARE(int(modulo1().TonoPulso), 1);
        QCOMPARE(modulo1().PrefijoMarcacion, QString("0,,"));
    }

    // Each port number shows the device file it opens: its [Ports] entry, else
    // /dev/ttyS<N-1>; a device file that does not exist is marked.
    void linkSettingsShowTheDeviceOfEachPort_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("device"); // "pty" for the pseudo-terminal
        QTest::newRow("no entry") << "4" << "/dev/ttyS3";
        QTest::newRow("entry of an existing line") << "2" << "pty";
        QTest::newRow("entry of a missing adapter") << "5" << "/dev/ttyUSB97";
    }
    void linkSettingsShowTheDeviceOfEachPort()
    {
        QFETCH(QString, port);
        QFETCH(QString, device);
        Pty pty;
        QVERIFY(pty.ok());
        if (device == "pty")
            device = pty.path();
        QVERIFY(GrabaIni("Ports", "COM2", pty.path(), ficheroIni()));
        QVERIFY(GrabaIni("Ports", "COM5", "/dev/ttyUSB97", ficheroIni()));
        slxtest::Answers answers;
        Form4 dialog;
        dialog.show();
        dialog.ComboPort->setEditText(port);
        const QString shown = QFileInfo::exists(device) ? device : TextoPropio("%1 (not found)").arg(device);
        QCOMPARE(dialog.LabelDispositivo->text(), shown);
        // The list of numbers shows every number with its device file.
        QCOMPARE(dialog.ComboPort->itemText(port.toInt() - 1), port);
        QCOMPARE(dialog.textoPuerto(port.toInt()), port + "    " + shown);
        QVERIFY(answers.shown().isEmpty());
    }

    // A port chosen from the system's list: the number on show opens it from Accept on
    // ([Ports] of the settings file); a number that opens it already is selected instead;
    // Exit writes nothing.
    void choosingASystemPortWritesItsMapping_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("number");  // the number selected afterwards
        QTest::addColumn<QString>("mapping"); // COM<number> afterwards ("pty" for the pseudo-terminal)
        QTest::newRow("an adapter") << 0 << true << "7"
                                    << "pty";
        QTest::newRow("a line a number opens") << 1 << true << "4"
                                               << "";
        QTest::newRow("a missing one, then Exit") << 2 << false << "7"
                                                  << "";
    }
    void choosingASystemPortWritesItsMapping()
    {
        QFETCH(int, row);
        QFETCH(bool, accept);
        QFETCH(QString, number);
        QFETCH(QString, mapping);
        Pty pty;
        QVERIFY(pty.ok());
        if (mapping == "pty")
            mapping = pty.path();
        slxtest::Answers answers;
        Form4 dialog;
        dialog.show();
        dialog.fijaPuertosSistema({{pty.path(), "USB serial adapter"}, {"/dev/ttyS3", ""}, {"/dev/ttyACM96", ""}});
        QCOMPARE(dialog.ListPuertos->count(), 3);
        QCOMPARE(dialog.ListPuertos->item(0)->text(), pty.path() + " - USB serial adapter");
        QCOMPARE(dialog.ListPuertos->item(2)->text(), TextoPropio("%1 (not found)").arg("/dev/ttyACM96"));
        dialog.ComboPort->setEditText("7");
        QListWidgetItem *item = dialog.ListPuertos->item(row);
        QTest::mouseClick(dialog.ListPuertos->viewport(), Qt::LeftButton, {},
                          dialog.ListPuertos->visualItemRect(item).center());
        QCOMPARE(dialog.ComboPort->currentText(), number);
        const QString chosen = row == 0 ? pty.path() : row == 1 ? "/dev/ttyS3" : "/dev/ttyACM96";
        QVERIFY(dialog.LabelDispositivo->text().startsWith(chosen));
        QCOMPARE(dialog.dispositivo(number.toInt()), chosen);
        clickOption(dialog.OptionRs);
        QTest::mouseClick(accept ? dialog.SSCommandAceptar : dialog.SSCommandExit, Qt::LeftButton);
        QVERIFY(answers.shown().isEmpty());
        QCOMPARE(LeerIni("Ports", "COM" + number, "", ficheroIni()), mapping);
        QCOMPARE(ini("SerialPort"), accept ? number : QString("3"));
        if (accept)
            QCOMPARE(PortDevice(number.toInt()), chosen);
    }

    void linkSettingsRefusesABadPort_data()
    {
        QTest::addColumn<QString>("port");
        QTest::newRow("zero") << "0";
        QTest::newRow("above 255") << "256";
        QTest::newRow("letters") << "COM1";
        QTest::newRow("empty") << "";
        QTest::newRow("fraction") << "2.5";
    }
    void linkSettingsRefusesABadPort()
    {
        QFETCH(QString, port);
        slxtest::Answers answers;
        Form4 dialog;
        dialog.show();
        dialog.ComboPort->setEditText(port);
        clickOption(dialog.OptionRs);
        QTest::mouseClick(dialog.SSCommandAceptar, Qt::LeftButton);
        QCOMPARE(answers.texts(), QStringList{oLocGuru().GetS(106)});
        QCOMPARE(answers.shown().first().icon, ui::Icon::Critical);
        QVERIFY(dialog.isVisible());
        QCOMPARE(int(modulo1().PuertoSerie), 3);
        QCOMPARE(int(modulo1().TipoConexion), 1);
        QCOMPARE(ini("SerialPort"), QString("3"));
        // Port 255 is still taken.
        dialog.ComboPort->setEditText("255");
        QVERIFY(dialog.SSCommandAceptar_Click());
        QCOMPARE(ini("SerialPort"), QString("255"));
    }

    void linkSettingsLeftUnchanged_data()
    {
        QTest::addColumn<bool>("unwritable");
        QTest::newRow("exit") << false;
        QTest::newRow("settings file cannot be written") << true;
    }
    void linkSettingsLeftUnchanged()
    {
        QFETCH(bool, unwritable);
        slxtest::Answers answers;
        const QByteArray before = [] {
            QFile f(ficheroIni());
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        if (unwritable) {
            // A folder stands in the settings file's place.
            QVERIFY(QFile::remove(ficheroIni()));
            QVERIFY(QDir().mkdir(ficheroIni()));
        }
        Form4 dialog;
        dialog.show();
        dialog.ComboPort->setEditText("9");
        clickOption(dialog.OptionRs);
        clickOption(dialog.OptionTonos);
        dialog.MaskPrefijo->setText("5");
        if (unwritable) {
            // Refused with a message; the dialog stays open and nothing has changed yet.
            QVERIFY(!dialog.SSCommandAceptar_Click());
            QCOMPARE(answers.shown().size(), 1);
            QCOMPARE(answers.shown().first().icon, ui::Icon::Critical);
            QVERIFY(answers.shown().first().text.contains(ficheroIni()));
            QVERIFY(dialog.isVisible());
        } else {
            QTest::mouseClick(dialog.SSCommandExit, Qt::LeftButton);
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
        }
        QCOMPARE(int(modulo1().PuertoSerie), 3);
        QCOMPARE(int(modulo1().TipoConexion), 1);
        QCOMPARE(int(modulo1().TonoPulso), 0);
        QCOMPARE(modulo1().PrefijoMarcacion, QString("9"));
        QCOMPARE(MSComm1().CommPort(), 3);
        if (unwritable) {
            QVERIFY(QDir().rmdir(ficheroIni()));
        } else {
            QFile f(ficheroIni());
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), before);
        }
    }

    void languageDialogStartsOnTheCurrentLanguage()
    {
        Form7 dialog;
        QVERIFY(dialog.OptionEspañol->isChecked());
        QCOMPARE(int(dialog.IdiomaSeleccionado), 1000);
        // Each language has its own picture beside its option.
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QList<QRadioButton *> options = {dialog.OptionEspañol,  dialog.OptionCatalan, dialog.OptionIngles,
                                               dialog.OptionAleman,   dialog.OptionFrances, dialog.OptionItaliano,
                                               dialog.OptionPortugues};
        QList<QImage> pictures;
        for (int i = 0; i < 7; ++i) {
            auto *picture = dialog.findChild<QLabel *>(QString("Image%1").arg(i + 1));
            QVERIFY(picture);
            QVERIFY(!picture->pixmap().isNull());
            QVERIFY(picture->isVisible());
            QVERIFY(picture->geometry().right() < options[i]->geometry().left());
            QVERIFY(qAbs(picture->geometry().center().y() - options[i]->geometry().center().y()) <
                    options[i]->height() / 2);
            const QImage image = picture->pixmap().toImage();
            QVERIFY(!pictures.contains(image));
            pictures << image;
        }
        dialog.hide();
        modulo1().CodigoIdioma = 0;
        Form7 none;
        QCOMPARE(int(none.IdiomaSeleccionado), 0);
        for (QRadioButton *o : none.findChildren<QRadioButton *>())
            QVERIFY(!o->isChecked());
    }

    void languageChangeRestartsTheMainWindow()
    {
        slxtest::Answers answers;
        // Another window is open; it is closed before the restart.
        QWidget *incidents = FormRegistry::load("Form5");
        QVERIFY(incidents);
        incidents->show();
        QPointer<QWidget> incidentsGuard(incidents);
        modulo1().ModemConectado = true;
        slxtest::alAbrirModal([](QWidget *w) {
            auto *d = static_cast<Form7 *>(w);
            clickOption(d->OptionPortugues);
            QTest::mouseClick(d->SSCommandAceptar, Qt::LeftButton);
        });
        Form1 *old = form.get();
        QTest::mouseClick(form->SSCommandIdioma, Qt::LeftButton);
        QCOMPARE(ini("Language"), QString("2070"));
        QCOMPARE(int(modulo1().CodigoIdioma), 7000);
        QVERIFY(!modulo1().ModemConectado);
        QVERIFY(!incidentsGuard || !incidentsGuard->isVisible());
        auto *nuevo = qobject_cast<Form1 *>(FormRegistry::instance("Form1"));
        QVERIFY(nuevo && nuevo != old);
        QVERIFY(nuevo->isVisible());
        QVERIFY(!old->isVisible());
        QVERIFY(modulo1().ConexionBD.isOpen());
        // The old window's shutdown wrote the new language into the settings row.
        QSqlQuery q(modulo1().ConexionBD);
        QVERIFY(q.exec("SELECT IIdioma FROM Configuracion") && q.next());
        QCOMPARE(q.value(0).toInt(), 7000);
        QCOMPARE(ficheroAyuda(modulo1().CodigoIdioma), QString("SLX-90_PTR.html"));
        (void)form.release(); // deleted by the restart
        form.reset(nuevo);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void languageAcceptOfTheSameLanguageStillRestarts()
    {
        slxtest::Answers answers;
        slxtest::alAbrirModal(
            [](QWidget *w) { QTest::mouseClick(static_cast<Form7 *>(w)->SSCommandAceptar, Qt::LeftButton); });
        Form1 *old = form.get();
        QTest::mouseClick(form->SSCommandIdioma, Qt::LeftButton);
        auto *nuevo = qobject_cast<Form1 *>(FormRegistry::instance("Form1"));
        QVERIFY(nuevo != old);
        QCOMPARE(int(modulo1().CodigoIdioma), 1000);
        QCOMPARE(ini("Language"), QString("1034"));
        (void)form.release();
        form.reset(nuevo);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void languageCancelKeepsEverything()
    {
        slxtest::Answers answers;
        int clicked = 0;
        slxtest::alAbrirModal([&clicked](QWidget *w) {
            auto *d = static_cast<Form7 *>(w);
            clickOption(d->OptionAleman);
            clicked = d->IdiomaSeleccionado;
            QTest::mouseClick(d->SSCommandCancelar, Qt::LeftButton);
        });
        Form1 *old = form.get();
        QTest::mouseClick(form->SSCommandIdioma, Qt::LeftButton);
        QCOMPARE(clicked, 4000);
        QCOMPARE(FormRegistry::instance("Form1"), static_cast<QWidget *>(old));
        QCOMPARE(int(modulo1().CodigoIdioma), 1000);
        QCOMPARE(ini("Language"), QString("1034"));
    }

    void languageChangeWaitsForAWindowThatStaysOpen()
    {
        // A window that refuses to close (a sheet whose user chose not to leave).
        class Stubborn : public QWidget {
        protected:
            void closeEvent(QCloseEvent *e) override { e->ignore(); }
        };
        Stubborn stubborn;
        stubborn.show();
        slxtest::Answers answers;
        Form7 dialog;
        dialog.show();
        clickOption(dialog.OptionFrances);
        QVERIFY(!dialog.SSCommandAceptar_Click());
        QVERIFY(dialog.isVisible());
        QCOMPARE(int(modulo1().CodigoIdioma), 1000);
        QCOMPARE(ini("Language"), QString("1034"));
        stubborn.hide();
    }

    void helpOpensTheFileOfTheLanguage_data()
    {
        QTest::addColumn<int>("codigo");
        QTest::addColumn<QString>("fichero");
        QTest::newRow("Español") << 1000 << "SLX-90_ESP.html";
        QTest::newRow("Català") << 2000 << "SLX-90_CAT.html";
        QTest::newRow("English") << 3000 << "SLX-90_ENG.html";
        QTest::newRow("Deutsch") << 4000 << "SLX-90_DEU.html";
        QTest::newRow("Français") << 5000 << "SLX-90_FRA.html";
        QTest::newRow("Italiano") << 6000 << "SLX-90_ITA.html";
        QTest::newRow("Português") << 7000 << "SLX-90_PTR.html";
        QTest::newRow("no language") << 0 << "SLX-90_ENG.html";
    }
    void helpOpensTheFileOfTheLanguage()
    {
        QFETCH(int, codigo);
        QFETCH(QString, fichero);
        QCOMPARE(ficheroAyuda(qint16(codigo)), fichero);
        // Nothing goes to the desktop: the page opens inside the program.
        Escritorio desk;
        QDesktopServices::setUrlHandler("file", &desk, "open");
        slxtest::Answers answers;
        modulo1().CodigoIdioma = qint16(codigo);
        // Every language's page is shipped into the data folder.
        QFile page(home->file(fichero));
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QByteArray html = page.readAll();
        page.close();
        QVERIFY(html.contains("<html") && html.contains("slx90-emulator") && html.contains("dialout"));
        QTest::mouseClick(form->SSCommandHelp, Qt::LeftButton);
        HelpWindow *help = HelpWindow::current();
        QVERIFY(help && help->isVisible());
        QCOMPARE(help->browser()->source(), QUrl::fromLocalFile(home->file(fichero)));
        QVERIFY(help->browser()->toPlainText().contains("slx90-emulator"));
        QVERIFY(help->windowTitle().endsWith(help->browser()->documentTitle()));
        QVERIFY(!help->browser()->documentTitle().isEmpty());
        QVERIFY(answers.shown().isEmpty());
        // The same window again, in front; no second one.
        help->close();
        QTest::mouseClick(form->SSCommandHelp, Qt::LeftButton);
        QCOMPARE(HelpWindow::current(), help);
        QVERIFY(help->isVisible());
        int helpWindows = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            helpWindows += qobject_cast<HelpWindow *>(w) ? 1 : 0;
        QCOMPARE(helpWindows, 1);
        QVERIFY(desk.urls.isEmpty());
        // A missing file is said.
        QVERIFY(QFile::remove(home->file(fichero)));
        QTest::mouseClick(form->SSCommandHelp, Qt::LeftButton);
        QCOMPARE(answers.texts(), QStringList{TextoPropio("The help file %1 is missing.").arg(home->file(fichero))});
        QCOMPARE(answers.shown().first().icon, ui::Icon::Critical);
        QDesktopServices::unsetUrlHandler("file");
        help->close();
    }

    // Every window's Help button opens the page of the language in use in the one help
    // window; over a modal window the help window stays usable, and stays open when the
    // modal window closes.
    void everyHelpButtonOpensTheHelpWindow_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("codigo");
        QTest::addColumn<QString>("fichero");
        QTest::addColumn<bool>("modal");
        QTest::newRow("programming sheet") << "Form2" << 1000 << "SLX-90_ESP.html" << false;
        QTest::newRow("real-time monitor") << "Form3" << 2000 << "SLX-90_CAT.html" << true;
        QTest::newRow("incidents") << "Form5" << 4000 << "SLX-90_DEU.html" << false;
        QTest::newRow("reports") << "Form6" << 5000 << "SLX-90_FRA.html" << true;
        QTest::newRow("charts") << "Form9" << 6000 << "SLX-90_ITA.html" << true;
        QTest::newRow("print preview") << "Form15" << 7000 << "SLX-90_PTR.html" << true;
    }
    void everyHelpButtonOpensTheHelpWindow()
    {
        QFETCH(QString, window);
        QFETCH(int, codigo);
        QFETCH(QString, fichero);
        QFETCH(bool, modal);
        slxtest::Answers answers;
        modulo1().CodigoIdioma = qint16(codigo);
        std::unique_ptr<QWidget> w(window == "Form9" ? new Form9 : FormRegistry::design(window));
        QVERIFY(w);
        if (modal)
            w->setWindowModality(Qt::ApplicationModal);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        auto *button = w->findChild<QAbstractButton *>("SSCommandHelp");
        QVERIFY(button);
        button->setEnabled(true);
        QTest::mouseClick(button, Qt::LeftButton);
        HelpWindow *help = HelpWindow::current();
        QVERIFY(help && help->isVisible());
        QCOMPARE(help->browser()->source(), QUrl::fromLocalFile(home->file(fichero)));
        QVERIFY(answers.shown().isEmpty());
        if (modal) {
            // Not blocked: it stands on the modal window.
            QVERIFY(w->windowHandle()->isAncestorOf(help->windowHandle(), QWindow::IncludeTransients));
            w->hide();
            QVERIFY(help->isVisible());
            QVERIFY(!help->parentWidget());
        }
        w->hide();
        w.reset();
        QVERIFY(HelpWindow::current() == help && help->isVisible());
        help->close();
    }

    void windowsNotBuiltYetSaySo()
    {
        slxtest::Answers answers;
        FormRegistry::add("Form2", nullptr);
        QTest::mouseClick(form->SSCommandProgramacion, Qt::LeftButton);
        QCOMPARE(answers.texts(), QStringList{textoNoConstruida()});
        QTest::mouseClick(form->SSCommandIncidencias, Qt::LeftButton);
        QWidget *incidents = FormRegistry::instance("Form5");
        QVERIFY(incidents && incidents->isVisible());
        QVERIFY(!incidents->isModal());
        incidents->close();
    }

    void everyDesignTextHasItsTranslations()
    {
        // The design-time captions and tool tips, as the translation walk reads them.
        Form1 form1;
        Form4 form4;
        Form7 form7;
        const QStringList missing = slxtest::missingTranslations({&form1, &form4, &form7}, home->file("Language.db"));
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(" | ")));
    }

    void exitRunsTheShutdown()
    {
        slxtest::Answers answers;
        modulo1().CodigoIdioma = 5000;
        QTest::mouseClick(form->SSCommandExit, Qt::LeftButton);
        QVERIFY(!form->isVisible());
        QVERIFY(!modulo1().ConexionBD.isOpen());
        QCOMPARE(slxtest::filaConfiguracion(home->file("slx90.db"), "IIdioma").toInt(), 5000);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
