// The real-time monitor against the device emulator: the values it shows one answer
// after another, Stop and Exit during a run, the refusals before any request, the
// failures that end the loop, and the window and the port afterwards.

#include "ExchangeFixture.h"
#include "link/DeviceSession.h"
#include "localization/LocGuru.h"
#include "programming/Form3.h"
#include "programming/SheetStorage.h"

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QtTest>

using namespace slx;

namespace {

QString text(int n)
{
    return oLocGuru().GetS(n);
}

slxemu::RealTimeValues values(int level, quint8 attenuation = 0)
{
    slxemu::RealTimeValues v;
    v.at = QDateTime(QDate(2026, 12, 10), QTime(22, 15, 30));
    v.level = level;
    v.attenuation = attenuation;
    return v;
}

} // namespace

class TestForm3 : public QObject {
    Q_OBJECT

    std::unique_ptr<slxtest::ExchangeFixture> fx;
    QPointer<Form2> sheet;
    QPointer<Form3> monitor;
    QStringList seen; // "level attenuation" of every answer shown

    void openSheet(const QString &serial = "100123")
    {
        FitxaProgramacio f = fixtures::fitxa100123();
        f.MaskNumeroSerie = serial;
        fixtures::publica(f);
        QVERIFY(GrabaProgramacio(modulo1().ConexionBD, f));
        modulo1().NumeroSerieAparato = serial.toInt();
        sheet = new Form2;
        QVERIFY(sheet->Form_Load());
        FormRegistry::setInstance(QStringLiteral("Form2"), sheet);
        sheet->show();
    }
    void openMonitor()
    {
        monitor = new Form3;
        monitor->Form_Load();
        monitor->show();
        connect(monitor, &Form3::mostrado, this,
                [this] { seen << label("LbNivel")->text() + ' ' + label("LbAtenuador")->text(); });
    }
    QLabel *label(const char *name) { return monitor->findChild<QLabel *>(QLatin1String(name)); }
    QPushButton *button(const char *name) { return monitor->findChild<QPushButton *>(QLatin1String(name)); }
    void scenario(const QList<slxemu::RealTimeValues> &list, const QByteArray &serial = "100123")
    {
        slxemu::Scenario s = fx->link.emulator.scenario();
        s.identity.serial = serial;
        s.realTime = list;
        fx->link.emulator.setScenario(s);
    }
    // The bytes the PC sent after the real-time request.
    QByteArray afterRequest() const
    {
        const QByteArray got = fx->link.emulator.received();
        const int at = got.indexOf(QByteArray::fromHex("020006090"
                                                       "30E"));
        return at < 0 ? QByteArray() : got.mid(at + 6);
    }
    void checkIdle()
    {
        QVERIFY(!button("SSCommandRun")->isHidden());
        QVERIFY(button("SSCommandStop")->isHidden());
        QVERIFY(button("SSCommandExit")->isEnabled());
        QVERIFY(button("SSCommandHelp")->isEnabled());
        QVERIFY(!monitor->ejecutando());
        QVERIFY(!MSComm1().PortOpen());
        QVERIFY(!DeviceSession::running());
    }

private Q_SLOTS:
    void init()
    {
        fx = std::make_unique<slxtest::ExchangeFixture>();
        QVERIFY(fx->ok);
        seen.clear();
    }
    void cleanup()
    {
        delete monitor;
        if (sheet) {
            modulo1().FitxaModificada = false;
            sheet->close();
            delete sheet;
        }
        fx.reset();
    }

    void loadSwitchesTheSheetOffAndPlacesTheMonitor()
    {
        openSheet();
        sheet->setTexto("MaskTelefono", "972000111");
        openMonitor();
        QVERIFY(!sheet->isEnabled());
        QCOMPARE(modulo1().TelefonoAparato, QString("972000111"));
        QCOMPARE(label("LbNivel")->text(), QString("---"));
        QCOMPARE(label("LbAtenuador")->text(), QString("0"));
        QCOMPARE(label("LabelNivel")->buddy(), label("LbNivel"));
        QCOMPARE(label("LabelAtenuador")->buddy(), label("LbAtenuador"));
        // Inside the sheet's upper right corner.
        const QRect s = sheet->frameGeometry(), m = monitor->frameGeometry();
        QVERIFY(m.top() > s.top() && m.right() < s.right() && m.top() - s.top() < 20 && s.right() - m.right() < 20);
        button("SSCommandExit")->click();
        QTRY_VERIFY(!monitor);
        QVERIFY(sheet->isEnabled());
    }

    void valuesOneAnswerAfterAnother()
    {
        slxemu::RealTimeValues sensor = values(700), mains = values(900, 5);
        sensor.sensor = 1;
        mains.mains = 1;
        scenario({values(600), values(1200, 25), values(1201), values(599), sensor, mains});
        openSheet();
        openMonitor();
        int shown = 0;
        connect(monitor, &Form3::mostrado, this, [&] {
            QVERIFY(!button("SSCommandHelp")->isEnabled());
            QVERIFY(!button("SSCommandExit")->isEnabled());
            QVERIFY(button("SSCommandRun")->isHidden());
            if (++shown == 6) {
                QVERIFY(label("LbSensor")->isHidden());
                QVERIFY(!label("LbRed")->isHidden());
                QCOMPARE(monitor->findChild<QProgressBar *>("ProgressBar1")->value(), 40);
                monitor->SSCommandStop_Click();
            }
        });
        monitor->SSCommandRun_Click();

        QCOMPARE(seen, (QStringList{"60.0   0", "120.0 -25", "UP   0", "UND   0", "---   0", "90.0 -60"}));
        QCOMPARE(label("LbFecha")->text(), QString("10/12/26"));
        QCOMPARE(label("LbHora")->text(), QString("22:15:30"));
        QCOMPARE(label("LbNoche")->text(), "(" + text(98) + ")");
        // No CAN before the identification; after the request one ACK per answer shown, then one CAN.
        QVERIFY(fx->link.emulator.received().startsWith(QByteArray::fromHex("020006010306")));
        QTRY_COMPARE(afterRequest().toHex(), QByteArray("060606060606") + "18");
        QCOMPARE(fx->answers.shown().size(), 1); // the cable prompt
        checkIdle();
    }

    void stopWhileWaitingEndsWithOneCanAndNoAck()
    {
        scenario({values(650), values(660), values(670)});
        slxemu::FaultPlan plan;
        plan.kind = slxemu::Fault::PauseMidFrame;
        plan.command = 0x09;
        plan.frame = 3;
        plan.at = 8;
        plan.pauseMs = 300;
        fx->link.emulator.setFault(plan);
        openSheet();
        openMonitor();
        connect(monitor, &Form3::mostrado, this, [&] {
            if (seen.size() == 2)
                QTimer::singleShot(150, monitor, [this] { monitor->SSCommandStop_Click(); });
        });
        monitor->SSCommandRun_Click();
        // The third answer arrived after Stop: not shown, not acknowledged.
        QCOMPARE(seen, (QStringList{"65.0   0", "66.0   0"}));
        QTRY_COMPARE(afterRequest().toHex(), QByteArray("0606") + "18");
        checkIdle();
    }

    void failuresEndTheLoop_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("message");
        QTest::newRow("bad check") << int(slxemu::Fault::WrongCheck) << 62;
        QTest::newRow("silence") << int(slxemu::Fault::Silence) << 31;
        QTest::newRow("short frame") << int(slxemu::Fault::LengthOutOfRange) << 62;
    }
    void failuresEndTheLoop()
    {
        QFETCH(int, fault);
        QFETCH(int, message);
        scenario({values(650)});
        slxemu::FaultPlan plan;
        plan.kind = slxemu::Fault(fault);
        plan.command = 0x09;
        plan.frame = 2;
        plan.length = 19; // a whole frame of 19 bytes
        fx->link.emulator.setFault(plan);
        openSheet();
        openMonitor();
        monitor->SSCommandRun_Click();
        QCOMPARE(seen, QStringList{"65.0   0"});
        QCOMPARE(fx->answers.texts().last(), text(message));
        QCOMPARE(fx->answers.shown().last().icon, ui::Icon::Critical);
        QTRY_COMPARE(afterRequest().toHex(), QByteArray("06") + "18");
        checkIdle();
    }

    void bytesThatFormNoDateKeepTheLoopGoing()
    {
        slxemu::RealTimeValues bad = values(650);
        bad.patch = {{4, 31}, {5, 2}, {7, 25}};
        scenario({bad, values(660)});
        openSheet();
        openMonitor();
        QStringList dates;
        connect(monitor, &Form3::mostrado, this, [&] {
            dates << label("LbFecha")->text() + ' ' + label("LbHora")->text();
            if (dates.size() == 2)
                monitor->SSCommandStop_Click();
        });
        monitor->SSCommandRun_Click();
        QCOMPARE(dates, (QStringList{"--/--/-- --:--:--", "10/12/26 22:15:30"}));
        checkIdle();
    }

    void refusalsBeforeAnyRequest_data()
    {
        QTest::addColumn<QByteArray>("device");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("sheetSerial");
        QTest::addColumn<int>("message");
        QTest::newRow("another device") << QByteArray("204567") << 42 << "100123" << 63;
        QTest::newRow("serial field no number") << QByteArray("100123") << 42 << "" << 63;
        QTest::newRow("not an SLX-90") << QByteArray("100123") << 3 << "100123" << 30;
    }
    void refusalsBeforeAnyRequest()
    {
        QFETCH(QByteArray, device);
        QFETCH(int, type);
        QFETCH(QString, sheetSerial);
        QFETCH(int, message);
        scenario({values(650)}, device);
        slxemu::Scenario s = fx->link.emulator.scenario();
        s.identity.type = quint8(type);
        fx->link.emulator.setScenario(s);
        openSheet();
        sheet->setTexto("MaskNumeroSerie", sheetSerial);
        openMonitor();
        monitor->SSCommandRun_Click();
        QCOMPARE(fx->answers.texts(), (QStringList{text(15), text(message)}));
        QCOMPARE(fx->answers.shown().last().icon, ui::Icon::Critical);
        QCOMPARE(fx->requests(0x09).size(), 0);
        QVERIFY(!fx->link.emulator.received().contains(char(0x18)));
        QVERIFY(seen.isEmpty());
        checkIdle();
    }

    void exitDuringARunClosesWhenItEnds_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("exit after stop") << 0;
        QTest::newRow("frame") << 1;
        QTest::newRow("escape") << 2;
    }
    void exitDuringARunClosesWhenItEnds()
    {
        QFETCH(int, how);
        scenario({values(650)});
        openSheet();
        openMonitor();
        connect(monitor, &Form3::mostrado, this, [&] {
            if (seen.size() != 2)
                return;
            if (how == 0) {
                button("SSCommandStop")->click();
                button("SSCommandExit")->click();
            } else if (how == 1) {
                monitor->close();
            } else {
                QTest::keyClick(monitor, Qt::Key_Escape);
            }
            // Nothing closes under the running handler.
            QVERIFY(monitor && monitor->isVisible());
            QVERIFY(monitor->SalirAlTerminar);
        });
        monitor->SSCommandRun_Click();
        QTRY_VERIFY(!monitor);
        QVERIFY(sheet->isEnabled());
        QTRY_COMPARE(afterRequest().right(1).toHex(), QByteArray("18"));
        QVERIFY(!MSComm1().PortOpen());
    }

    void cancelAndAPortThatCannotBeOpened()
    {
        openSheet();
        openMonitor();
        fx->answers.then(int(ui::vbCancel));
        monitor->SSCommandRun_Click();
        QCOMPARE(fx->answers.texts(), QStringList{text(15)});
        checkIdle();

        QVERIFY(GrabaIni("Ports", "COM1", "/dev/slx90-no-such-port", DataFolder::file("slx90.ini")));
        monitor->SSCommandRun_Click();
        QCOMPARE(fx->answers.shown().size(), 3);
        QVERIFY(fx->answers.texts().last().contains("/dev/slx90-no-such-port"));
        QCOMPARE(fx->answers.shown().last().icon, ui::Icon::Critical);
        checkIdle();
    }

    void modemCallKept()
    {
        slxemu::ModemConfig modem;
        modem.enabled = true;
        modem.connectDelayMs = 50;
        modem.guardMs = 10;
        fx->link.emulator.setModem(modem);
        modulo1().TipoConexion = 1;
        scenario({values(650)});
        openSheet();
        sheet->setTexto("MaskTelefono", "972000111");
        openMonitor();
        connect(monitor, &Form3::mostrado, this, [&] { monitor->SSCommandStop_Click(); });
        fx->answers.then(int(ui::vbOK)).then(int(ui::vbNo));
        monitor->SSCommandRun_Click();
        QCOMPARE(fx->answers.texts(), (QStringList{text(33), text(112)}));
        QVERIFY(modulo1().ModemConectado && MSComm1().PortOpen());
        QCOMPARE(fx->link.emulator.modemLines().size(), 1);
    }

    void noSheetWindow()
    {
        // The text export loads the monitor alone: nothing of a sheet is read.
        modulo1().TelefonoAparato = "123";
        openMonitor();
        QCOMPARE(modulo1().TelefonoAparato, QString("123"));
        const QStringList missing = slxtest::missingTranslations({monitor.data()}, fx->link.home.file("Language.db"));
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(" | ")));
        button("SSCommandExit")->click();
        QTRY_VERIFY(!monitor);
    }
};

QTEST_MAIN(TestForm3)
#include "tst_form3.moc"
