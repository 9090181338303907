// The modem dial against the emulator's modem, over a pseudo-terminal.

#include "LinkFixture.h"

#include <QElapsedTimer>

using namespace slx;
using slxtest::LinkFixture;

namespace {
// The caller's cancel of the dial, as a Stop button sets it.
bool g_cancelaLlamada = false;
} // namespace

class TestModem : public QObject {
    Q_OBJECT

private:
    // The modem callers' port preparation: modem speed, then open.
    static bool openModemPort()
    {
        modulo1().VelocidadModem = 19200;
        return MSComm1().setCommPort(modulo1().PuertoSerie) &&
               MSComm1().setSettings(QString::number(modulo1().VelocidadModem) + QStringLiteral(",n,8,1")) &&
               MSComm1().setPortOpen(true);
    }

    // The dial with the settings' tone or pulse and prefix, ended also by the caller's cancel.
    static DialResult dial(const QString &telefono)
    {
        const Modulo1 &m = modulo1();
        return dialModem(MSComm1(), m.TonoPulso, m.PrefijoMarcacion, telefono, [] { return g_cancelaLlamada; });
    }

    static slxemu::ModemConfig modem(const QByteArray &result, int delayMs = 150)
    {
        slxemu::ModemConfig c;
        c.enabled = true;
        c.result = result;
        c.connectDelayMs = delayMs;
        c.echo = false;
        c.guardMs = LinkFixture::kSecondMs / 2;
        return c;
    }

private slots:
    void dialString_data();
    void dialString();
    void waitsOfTheDial();
    void callThenIdentification();
    void failedDial_data();
    void failedDial();
    void hangUpAndCallAgain();
    void escapeFromCall();
};

void TestModem::dialString_data()
{
    QTest::addColumn<int>("tonoPulso");
    QTest::addColumn<QString>("prefijo");
    QTest::addColumn<QString>("telefono");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("tone, prefix 0") << 1 << "0"
                                    << "1234" << QByteArray("ATE0V0X0DT0,1234\r");
    QTest::newRow("pulse, no prefix") << 0 << ""
                                      << "1234" << QByteArray("ATE0V0X0DP,1234\r");
    QTest::newRow("pulse is any other value") << 2 << "9"
                                              << "555" << QByteArray("ATE0V0X0DP9,555\r");
    QTest::newRow("prefix trimmed") << 1 << "  9 "
                                    << "1234" << QByteArray("ATE0V0X0DT9,1234\r");
    QTest::newRow("blank prefix") << 1 << " "
                                  << "1234" << QByteArray("ATE0V0X0DT,1234\r");
    QTest::newRow("controls left out") << 1 << "0\r"
                                       << "12\r\n34\x1b" << QByteArray("ATE0V0X0DT0,1234\r");
    QTest::newRow("a second command cannot ride in the number") << 1 << "0"
                                                                << "1\rATH1" << QByteArray("ATE0V0X0DT0,1ATH1\r");
}

void TestModem::dialString()
{
    QFETCH(int, tonoPulso);
    QFETCH(QString, prefijo);
    QFETCH(QString, telefono);
    QFETCH(QByteArray, sent);
    QCOMPARE(CadenaMarcacion(quint8(tonoPulso), prefijo, telefono), sent);

    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    f.emulator.setModem(modem("1"));
    modulo1().TonoPulso = quint8(tonoPulso);
    modulo1().PrefijoMarcacion = prefijo;
    QVERIFY(openModemPort());
    QCOMPARE(dial(telefono).outcome, DialResult::Connected);
    QVERIFY(answers.texts().isEmpty());
    // The escape, then the dial string as one text.
    QCOMPARE(f.emulator.received(), QByteArray("+++") + sent);
    QCOMPARE(f.emulator.modemLines(), QList<QByteArray>{sent});
    QCOMPARE(MSComm1().InputLen(), 1);
    QCOMPARE(MSComm1().InBufferCount(), 0);
    QVERIFY(f.emulator.online());
}

void TestModem::waitsOfTheDial()
{
    // A second of silence around each "+", the dial a second after the last one,
    // then (after the answer) 3 and 10 seconds more before the dial returns.
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    const int second = 60;
    linkTimings().segundoEsperaMs = second;
    auto config = modem("1", 100);
    config.guardMs = second / 2;
    f.emulator.setModem(config);
    modulo1().TonoPulso = 1;
    modulo1().PrefijoMarcacion = QStringLiteral("0");
    QVERIFY(openModemPort());
    QElapsedTimer t;
    t.start();
    QCOMPARE(dial(QStringLiteral("1234")).outcome, DialResult::Connected);
    const qint64 took = t.elapsed();
    // 4 s of escape, the answer (after at least the 1 s wait), 3 s, 10 s.
    QVERIFY2(took >= 18 * second, qPrintable(QString::number(took)));

    QList<qint64> at;
    QByteArray from;
    for (const auto &e : f.emulator.log())
        if (e.kind == slxemu::LogEntry::FromPc) {
            at << e.ms;
            from += char(e.byte);
        }
    QCOMPARE(from, QByteArray("+++ATE0V0X0DT0,1234\r"));
    for (int i = 1; i <= 3; ++i)
        QVERIFY2(at[i] - at[i - 1] >= second / 2,
                 qPrintable(QStringLiteral("gap before byte %1: %2 ms").arg(i).arg(at[i] - at[i - 1])));
    QVERIFY(answers.texts().isEmpty());
}

void TestModem::callThenIdentification()
{
    // With the modem's echo on, what it echoes is discarded before the result is
    // awaited; once connected the device answers through it.
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    linkTimings().segundoEsperaMs = 100; // room for the echo to arrive before it is discarded
    auto config = modem("1", 300);
    config.echo = true;
    f.emulator.setModem(config);
    modulo1().TonoPulso = 1;
    modulo1().PrefijoMarcacion = QStringLiteral("0");
    QVERIFY(openModemPort());
    QCOMPARE(dial(QStringLiteral("933000000")).outcome, DialResult::Connected);
    EnviaControl(MSComm1(), CAN);
    DemanaIdentificacio(MSComm1());
    Identificacion id;
    QCOMPARE(receiveIdentification(MSComm1(), modulo1().BufferTrama, &f.watchdog, &id), FrameResult::Received);
    QCOMPARE(id.version, QStringLiteral("4.10"));
    QCOMPARE(id.numeroSerie, 123);
    QVERIFY(answers.texts().isEmpty());
}

void TestModem::failedDial_data()
{
    QTest::addColumn<QByteArray>("result");
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<int>("outcome");
    QTest::newRow("no carrier (3)") << QByteArray("3") << false << int(DialResult::Failed);
    QTest::newRow("busy (7)") << QByteArray("7") << false << int(DialResult::Failed);
    QTest::newRow("no answer") << QByteArray() << false << int(DialResult::NoAnswer);
    QTest::newRow("cancelled") << QByteArray() << true << int(DialResult::Cancelled);
}

void TestModem::failedDial()
{
    QFETCH(QByteArray, result);
    QFETCH(bool, cancel);
    QFETCH(int, outcome);
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    f.emulator.setModem(modem(result));
    QVERIFY(openModemPort());
    if (cancel) {
        linkTimings().respuestaModemMs = 60000;
        QTimer::singleShot(12 * LinkFixture::kSecondMs, [] { g_cancelaLlamada = true; });
    }
    QElapsedTimer t;
    t.start();
    const DialResult r = dial(QStringLiteral("1234"));
    const qint64 took = t.elapsed();
    g_cancelaLlamada = false;
    QCOMPARE(int(r.outcome), outcome);
    QVERIFY(!r.connected());
    QCOMPARE(r.code.left(1), result);
    QVERIFY(took < 10000);
    // The 10-second wait follows a failure too (4 + 1 + 3 + 10 seconds at least),
    // and with no answer the 60-second wait runs out first.
    QVERIFY2(took >= 18 * LinkFixture::kSecondMs, qPrintable(QString::number(took)));
    if (result.isEmpty() && !cancel)
        QVERIFY2(took >= linkTimings().respuestaModemMs + 18 * LinkFixture::kSecondMs,
                 qPrintable(QString::number(took)));
    QVERIFY(answers.texts().isEmpty()); // the window reports it
    // Both buffers cleared, one byte per read again, the port as it was.
    QCOMPARE(MSComm1().InBufferCount(), 0);
    QCOMPARE(MSComm1().OutBufferCount(), 0);
    QCOMPARE(MSComm1().InputLen(), 1);
    QVERIFY(MSComm1().PortOpen());
    QVERIFY(!f.emulator.online());
}

void TestModem::hangUpAndCallAgain()
{
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    f.emulator.setModem(modem("1"));
    QVERIFY(openModemPort());
    QCOMPARE(dial(QStringLiteral("1")).outcome, DialResult::Connected);
    QVERIFY(f.emulator.online());
    MSComm1().hangUp();
    QVERIFY(!MSComm1().PortOpen());
    QTRY_VERIFY(!f.emulator.online()); // closing the port ends the call
    QVERIFY(openModemPort());
    QCOMPARE(dial(QStringLiteral("2")).outcome, DialResult::Connected);
    QCOMPARE(f.emulator.modemLines().size(), 2);
    QVERIFY(answers.texts().isEmpty());
}

void TestModem::escapeFromCall()
{
    // A call still up: "+++" with its guard times brings the modem back to
    // command mode and the dial goes through again. The guard is what this test is
    // about, so its second is long enough that a busy machine cannot eat the margin
    // between the modem's guard and the program's pauses.
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    linkTimings().segundoEsperaMs = 200;
    auto config = modem("1", 600); // the answer after the pause that clears the modem's echo
    config.guardMs = 100;
    f.emulator.setModem(config);
    QVERIFY(openModemPort());
    QCOMPARE(dial(QStringLiteral("1")).outcome, DialResult::Connected);
    QVERIFY(f.emulator.online());
    QCOMPARE(dial(QStringLiteral("2")).outcome, DialResult::Connected);
    QCOMPARE(f.emulator.modemLines().size(), 2);
    QVERIFY(f.emulator.online());
    bool escaped = false;
    for (const auto &e : f.emulator.log())
        escaped = escaped || e.note.contains(QStringLiteral("escape"));
    QVERIFY(escaped);
    QVERIFY(answers.texts().isEmpty());
}

QTEST_MAIN(TestModem)
#include "tst_modem.moc"
