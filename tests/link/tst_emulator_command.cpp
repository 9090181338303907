// The emulator started as a command, the way a person tries the program without a
// device: it prints its port, makes the link, and the program identifies it there.

#include "TestSupport.h"
#include "link/Link.h"
#include "link/LinkTimings.h"
#include "base/DataFolder.h"
#include "base/Modulo1.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <csignal>

class TestEmulatorCommand : public QObject {
    Q_OBJECT

private slots:
    void identifiesOverItsLink()
    {
        slxtest::Answers answers;
        slxtest::DataHome home;
        slx::linkTimings().segundoEsperaMs = 20;
        // A name of its own: the serial port locks by the name of the device.
        const QString link = home.file(QStringLiteral("ttySLX%1").arg(QCoreApplication::applicationPid()));
        QProcess emulator;
        emulator.start(QStringLiteral(SLX_EMULATOR_COMMAND),
                       {QStringLiteral("--link"), link, QStringLiteral("--serial"), QStringLiteral("000456"),
                        QStringLiteral("--firmware"), QStringLiteral("3.3"), QStringLiteral("--type"),
                        QStringLiteral("4"), QStringLiteral("--quiet")});
        QVERIFY(emulator.waitForStarted());
        QTRY_VERIFY(emulator.canReadLine() && QFileInfo(link).isSymLink());
        const QString pty = QString::fromLocal8Bit(emulator.readLine()).trimmed();
        QVERIFY(pty.startsWith(QStringLiteral("/dev/pts/")));
        QCOMPARE(QFileInfo(link).symLinkTarget(), pty);

        QVERIFY(slx::GrabaIni(QStringLiteral("Ports"), QStringLiteral("COM1"), link,
                              slx::DataFolder::file(QStringLiteral("slx90.ini"))));
        slx::modulo1().PuertoSerie = 1;
        slx::SerialControl &port = slx::MSComm1();
        QVERIFY2(port.setCommPort(1) && port.setSettings(QStringLiteral("19200,n,8,1")) && port.setPortOpen(true),
                 qPrintable(port.errorString()));
        QTimer watchdog;
        watchdog.setSingleShot(true);
        watchdog.setInterval(2000);
        slx::EnviaControl(slx::MSComm1(), slx::CAN);
        slx::DemanaIdentificacio(slx::MSComm1());
        slx::Identificacion id;
        QCOMPARE(slx::receiveIdentification(port, slx::modulo1().BufferTrama, &watchdog, &id),
                 slx::FrameResult::Received);
        QCOMPARE(int(id.tipo), 4);
        QCOMPARE(id.version, QStringLiteral("3.3"));
        QCOMPARE(id.numeroSerie, 456);
        slx::MSComm1().setPortOpen(false);

        ::kill(pid_t(emulator.processId()), SIGTERM);
        QVERIFY(emulator.waitForFinished(5000));
        QCOMPARE(emulator.exitCode(), 0);
        QVERIFY(!QFileInfo(link).isSymLink()); // the link goes with it
        QVERIFY(answers.texts().isEmpty());
        slx::resetLinkTimings();
    }

    void refusesABadScenario()
    {
        // A mistyped key names itself instead of being ignored.
        slxtest::DataHome home;
        const QString file = home.file(QStringLiteral("scenario.json"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(R"({"identity": {"serial": "000456"}, "totals": {"erasure": 1}})");
        f.close();
        QProcess emulator;
        emulator.start(QStringLiteral(SLX_EMULATOR_COMMAND), {QStringLiteral("--scenario"), file});
        QVERIFY(emulator.waitForFinished(5000));
        QCOMPARE(emulator.exitCode(), 2);
        QCOMPARE(QString::fromLocal8Bit(emulator.readAllStandardError()).trimmed(),
                 file + QStringLiteral(": totals.erasure: unknown key"));
        QVERIFY(emulator.readAllStandardOutput().isEmpty());
    }
};

QTEST_MAIN(TestEmulatorCommand)
#include "tst_emulator_command.moc"
