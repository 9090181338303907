// The serial control: port numbers to devices, the settings text, a closed port.

#include "TestSupport.h"
#include "link/SerialControl.h"
#include "link/SystemPort.h"
#include "base/DataFolder.h"
#include "base/Modulo1.h"

#include <QTest>

using slx::SerialControl;

class TestSerialControl : public QObject {
    Q_OBJECT

private slots:
    // The system's ports offered by the link settings: serial lines only, in the order of
    // their kind and number.
    void systemPortsAreSerialLines_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<bool>("serial");
        QTest::newRow("line") << "/dev/ttyS0" << true;
        QTest::newRow("USB adapter") << "/dev/ttyUSB12" << true;
        QTest::newRow("modem class adapter") << "/dev/ttyACM0" << true;
        QTest::newRow("pseudo-terminal") << "/dev/pts/3" << false;
        QTest::newRow("console") << "/dev/tty1" << false;
        QTest::newRow("no number") << "/dev/ttyUSB" << false;
        QTest::newRow("elsewhere") << "/tmp/ttyS0" << false;
        QTest::newRow("bluetooth") << "/dev/rfcomm0" << false;
    }
    void systemPortsAreSerialLines()
    {
        QFETCH(QString, device);
        QFETCH(bool, serial);
        QCOMPARE(slx::isSerialDevice(device), serial);
        for (const slx::SystemPort &p : slx::systemPorts())
            QVERIFY2(slx::isSerialDevice(p.device), qPrintable(p.device));
    }
    void systemPortsInOrder()
    {
        QList<slx::SystemPort> ports{{"/dev/ttyACM0", ""}, {"/dev/ttyUSB10", ""}, {"/dev/ttyS10", ""},
                                     {"/dev/ttyUSB2", ""}, {"/dev/ttyS2", ""}};
        slx::sortPorts(ports);
        QStringList order;
        for (const slx::SystemPort &p : ports)
            order << p.device;
        QCOMPARE(order, (QStringList{"/dev/ttyS2", "/dev/ttyS10", "/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyACM0"}));
    }

    void portDevice()
    {
        slxtest::DataHome home;
        const QString ini = slx::DataFolder::file(QStringLiteral("slx90.ini"));
        QCOMPARE(slx::PortDevice(1), QStringLiteral("/dev/ttyS0"));
        QCOMPARE(slx::PortDevice(4), QStringLiteral("/dev/ttyS3"));
        QVERIFY(slx::GrabaIni(QStringLiteral("ports"), QStringLiteral("com3"), QStringLiteral(" /dev/ttyUSB0 "), ini));
        QCOMPARE(slx::PortDevice(3), QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(slx::PortDevice(2), QStringLiteral("/dev/ttyS1"));
        SerialControl c;
        QVERIFY(c.setCommPort(3));
        QCOMPARE(c.deviceName(), QStringLiteral("/dev/ttyUSB0"));
        QVERIFY(!c.setCommPort(0));
        QCOMPARE(c.CommPort(), 3);
    }

    void settings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("parity");
        QTest::addColumn<int>("data");
        QTest::addColumn<int>("stop");
        QTest::newRow("cable") << "19200,n,8,1" << true << 19200 << int(QSerialPort::NoParity) << 8
                               << int(QSerialPort::OneStop);
        QTest::newRow("upper case, blanks")
            << " 9600, E ,7,2 " << true << 9600 << int(QSerialPort::EvenParity) << 7 << int(QSerialPort::TwoStop);
        QTest::newRow("odd, 1.5") << "2400,o,5,1.5" << true << 2400 << int(QSerialPort::OddParity) << 5
                                  << int(QSerialPort::OneAndHalfStop);
        QTest::newRow("no speed") << ",n,8,1" << false << 0 << 0 << 0 << 0;
        QTest::newRow("bad parity") << "19200,x,8,1" << false << 0 << 0 << 0 << 0;
        QTest::newRow("9 bits") << "19200,n,9,1" << false << 0 << 0 << 0 << 0;
        QTest::newRow("3 stop bits") << "19200,n,8,3" << false << 0 << 0 << 0 << 0;
        QTest::newRow("too few fields") << "19200,n,8" << false << 0 << 0 << 0 << 0;
    }

    void settings()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        SerialControl c;
        const QString before = c.Settings();
        QCOMPARE(c.setSettings(text), valid);
        if (!valid) {
            QCOMPARE(c.Settings(), before);
            QVERIFY(!c.errorString().isEmpty());
            return;
        }
        QCOMPARE(c.Settings(), text.trimmed());
    }

    void closedPort()
    {
        SerialControl c;
        QVERIFY(!c.PortOpen());
        QVERIFY(!c.Output(QByteArray("x")));
        QCOMPARE(c.InBufferCount(), 0);
        QVERIFY(c.Input().isEmpty());
        quint8 b = 0;
        QVERIFY(!c.readByte(b));
        c.ClearInBuffer();
        c.ClearOutBuffer();
        c.hangUp();
        QVERIFY(c.setPortOpen(false));
        c.setInputLen(0);
        QCOMPARE(c.InputLen(), 1);
    }
};

QTEST_MAIN(TestSerialControl)
#include "tst_serialcontrol.moc"
