// The link routines against the device emulator over a real pseudo-terminal.

#include "LinkFixture.h"
#include "localization/LocGuru.h"

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSignalSpy>

using namespace slx;
using slxtest::LinkFixture;

namespace {

QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray out;
    for (int b : list)
        out.append(char(b));
    return out;
}

QByteArray withCheck(QByteArray frame)
{
    quint8 x = 0;
    for (char c : frame)
        x ^= quint8(c);
    frame.append(char(x));
    return frame;
}

QByteArray bufferHead(int n)
{
    return QByteArray(reinterpret_cast<const char *>(modulo1().BufferTrama.data()), n);
}

// Counts how often the event loop goes to sleep: a wait that spins wakes it
// thousands of times per second.
class WakeCounter {
public:
    WakeCounter()
    {
        m_conn = QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                                  [this] { ++count; });
    }
    ~WakeCounter() { QObject::disconnect(m_conn); }
    int count = 0;

private:
    QMetaObject::Connection m_conn;
};

} // namespace

class TestLink : public QObject {
    Q_OBJECT

private slots:
    void identification_data();
    void identification();
    void noiseBeforeStx();
    void fiveByteFrame();
    void framesBackToBack();
    void wrongCheckByte();
    void pauseInFrame_data();
    void pauseInFrame();
    void watchdogIsInterByte();
    void cancelEndsSilently();
    void noiseStreamEndsOnlyByCancel();
    void lengthOutOfRange_data();
    void lengthOutOfRange();
    void badIdentification_data();
    void badIdentification();
    void vanishedPeer();
    void secondWaitRefused();
    void portMissingOrBusy();
    void literalRequests_data();
    void literalRequests();
    void staleInputDiscarded();
    void recordHandshake();
    void shortAnswer_data();
    void shortAnswer();
    void pacedFrame();
    void pacedFrameEndsOnLostPort();
    void answerWait_data();
    void answerWait();
    void timerWait();
};

void TestLink::identification_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<QByteArray>("serial");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("version");
    QTest::addColumn<int>("number");
    QTest::newRow("4.10") << 42 << 4 << 10 << QByteArray("000123") << 1 << "4.10" << 123;
    QTest::newRow("3.3") << 4 << 3 << 3 << QByteArray("987654") << 0 << "3.3" << 987654;
}

void TestLink::identification()
{
    QFETCH(int, type);
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(QByteArray, serial);
    QFETCH(int, mode);
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    f.emulator.setIdentity({quint8(type), quint8(major), quint8(minor), serial, quint8(mode)});
    QVERIFY2(f.open(), qPrintable(MSComm1().errorString()));
    QCOMPARE(MSComm1().Settings(), QStringLiteral("19200,n,8,1"));
    QCOMPARE(MSComm1().port().baudRate(), 19200);

    EnviaControl(MSComm1(), CAN);
    DemanaIdentificacio(MSComm1());
    QVERIFY(RecibirIdentificacion(MSComm1(), &f.watchdog));
    QCOMPARE(f.emulator.received(), bytes({0x18, 0x02, 0x00, 0x06, 0x01, 0x03, 0x06}));
    QCOMPARE(int(modulo1().TipoAparato), type);
    QFETCH(QString, version);
    QFETCH(int, number);
    QCOMPARE(modulo1().VersionAparato, version);
    QCOMPARE(modulo1().NumeroSerieAparato, number);
    QCOMPARE(int(modulo1().ModoAparato), mode);
    QCOMPARE(answers.texts(), QStringList());
}

void TestLink::noiseBeforeStx()
{
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    f.fault(slxemu::Fault::NoiseBeforeStx);
    QVERIFY(f.askIdentification());
    QVERIFY(RecibirIdentificacion(MSComm1(), &f.watchdog));
    QCOMPARE(modulo1().NumeroSerieAparato, 123);
    QCOMPARE(int(modulo1().BufferTrama[0]), 0x02);
    QVERIFY(answers.texts().isEmpty());
}

void TestLink::fiveByteFrame()
{
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    QVERIFY(f.open());
    const QByteArray frame = withCheck(bytes({0x02, 0x00, 0x05, 0xAA}));
    QCOMPARE(quint8(frame[4]), quint8(0x02 ^ 0x05 ^ 0xAA));
    f.emulator.sendRaw({frame});
    QVERIFY(RecibirTrama(MSComm1(), &f.watchdog));
    QCOMPARE(bufferHead(5), frame);
    QVERIFY(answers.texts().isEmpty());
}

void TestLink::framesBackToBack()
{
    // The receiver takes one frame and leaves the next one waiting.
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    QVERIFY(f.open());
    const QByteArray first = withCheck(bytes({0x02, 0x00, 0x07, 0x09, 0x11, 0x03}));
    const QByteArray second = withCheck(bytes({0x02, 0x00, 0x06, 0x02, 0x03}));
    f.emulator.sendRaw({first + second});
    QVERIFY(QTest::qWaitFor([] { return MSComm1().InBufferCount() >= 13; }, 2000));
    QVERIFY(RecibirTrama(MSComm1(), &f.watchdog));
    QCOMPARE(bufferHead(7), first);
    QVERIFY(RecibirTrama(MSComm1(), &f.watchdog));
    QCOMPARE(bufferHead(6), second);
    QVERIFY(answers.texts().isEmpty());
}

void TestLink::wrongCheckByte()
{
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    f.fault(slxemu::Fault::WrongCheck);
    modulo1().TipoAparato = 7;
    QVERIFY(f.askIdentification());
    QVERIFY(!RecibirIdentificacion(MSComm1(), &f.watchdog));
    QCOMPARE(answers.texts(), QStringList{oLocGuru().GetS(62)});
    QCOMPARE(answers.shown().at(0).icon, ui::Icon::Critical);
    QCOMPARE(answers.shown().at(0).buttons, ui::OkOnly);
    QCOMPARE(int(modulo1().TipoAparato), 7);
    QVERIFY(MSComm1().PortOpen()); // a failure leaves the port as it was
}

void TestLink::pauseInFrame_data()
{
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("at");
    QTest::addColumn<int>("pauseMs");
    QTest::addColumn<bool>("received");
    const int w = LinkFixture::kWatchdogMs;
    QTest::newRow("short pause") << int(slxemu::Fault::PauseMidFrame) << 8 << w / 3 << true;
    QTest::newRow("pause past the watchdog, frame nearly complete")
        << int(slxemu::Fault::PauseMidFrame) << 15 << w * 3 << false;
    QTest::newRow("pause past the watchdog after the length")
        << int(slxemu::Fault::PauseMidFrame) << 3 << w * 3 << false;
    QTest::newRow("truncated") << int(slxemu::Fault::Truncated) << 10 << 0 << false;
    QTest::newRow("silence") << int(slxemu::Fault::Silence) << 0 << 0 << false;
}

void TestLink::pauseInFrame()
{
    QFETCH(int, fault);
    QFETCH(int, at);
    QFETCH(int, pauseMs);
    QFETCH(bool, received);
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    f.fault(slxemu::Fault(fault), at, pauseMs);
    QVERIFY(f.askIdentification());
    QCOMPARE(RecibirIdentificacion(MSComm1(), &f.watchdog), received);
    QCOMPARE(answers.texts(), received ? QStringList() : QStringList{oLocGuru().GetS(31)});
    if (!received) {
        QCOMPARE(answers.shown().at(0).icon, ui::Icon::Critical);
        QCOMPARE(answers.shown().at(0).buttons, ui::OkOnly);
    }
    QVERIFY(!f.watchdog.isActive() || received);
}

void TestLink::watchdogIsInterByte()
{
    // Sixteen bytes a third of the watchdog apart: the frame takes five times the
    // watchdog's interval and is still received.
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    QVERIFY(f.open());
    const QByteArray frame =
        withCheck(bytes({0x02, 0x00, 0x10, 0x01, 42, 4, 10, '0', '0', '0', '1', '2', '3', 1, 0x03}));
    QList<QByteArray> chunks;
    for (char c : frame)
        chunks << QByteArray(1, c);
    QElapsedTimer t;
    t.start();
    f.emulator.sendRaw(chunks, LinkFixture::kWatchdogMs / 3);
    QVERIFY(RecibirIdentificacion(MSComm1(), &f.watchdog));
    QVERIFY(t.elapsed() > 2 * LinkFixture::kWatchdogMs);
    QCOMPARE(modulo1().NumeroSerieAparato, 123);
    QVERIFY(answers.texts().isEmpty());
}

void TestLink::cancelEndsSilently()
{
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    f.fault(slxemu::Fault::PauseMidFrame, 5, 3000);
    f.watchdog.setInterval(5000);
    QVERIFY(f.askIdentification());
    QTimer::singleShot(150, [] { modulo1().CancelaRecepcion = true; });
    QElapsedTimer t;
    t.start();
    QVERIFY(!RecibirIdentificacion(MSComm1(), &f.watchdog));
    QVERIFY(t.elapsed() < 2000);
    QVERIFY(answers.texts().isEmpty());
    QCOMPARE(int(modulo1().BufferTrama[0]), 0x02); // what arrived so far stays
}

void TestLink::noiseStreamEndsOnlyByCancel()
{
    // Bytes without STX, each well inside the watchdog: no time-out, only Stop ends it.
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    QVERIFY(f.open());
    QList<QByteArray> noise;
    for (int i = 0; i < 40; ++i)
        noise << QByteArray(1, char(0x55));
    f.emulator.sendRaw(noise, LinkFixture::kWatchdogMs / 5);
    QTimer::singleShot(4 * LinkFixture::kWatchdogMs, [] { modulo1().CancelaRecepcion = true; });
    QVERIFY(!RecibirTrama(MSComm1(), &f.watchdog));
    QVERIFY(answers.texts().isEmpty());
    QVERIFY(f.watchdog.isActive());
}

void TestLink::lengthOutOfRange_data()
{
    QTest::addColumn<int>("length");
    QTest::newRow("0") << 0;
    QTest::newRow("4") << 4;
    QTest::newRow("514") << 514;
    QTest::newRow("0x7FFF") << 0x7FFF;
    QTest::newRow("0x8000 (negative)") << 0x8000;
    QTest::newRow("0xFFFF (-1)") << 0xFFFF;
}

void TestLink::lengthOutOfRange()
{
    QFETCH(int, length);
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    slxemu::FaultPlan plan;
    plan.kind = slxemu::Fault::LengthOutOfRange;
    plan.length = quint16(length);
    f.emulator.setFault(plan);
    modulo1().BufferTrama.fill(0xEE);
    modulo1().NumeroSerieAparato = 55;
    QVERIFY(f.askIdentification());
    QVERIFY(!RecibirIdentificacion(MSComm1(), &f.watchdog));
    QCOMPARE(answers.texts(), QStringList{oLocGuru().GetS(62)});
    const auto &b = modulo1().BufferTrama;
    QCOMPARE(int(b[1]), length >> 8);
    QCOMPARE(int(b[2]), length & 0xFF);
    for (int i = 3; i < int(b.size()); ++i)
        QCOMPARE(int(b[i]), 0xEE);
    QCOMPARE(modulo1().NumeroSerieAparato, 55);
}

void TestLink::badIdentification_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("15 bytes") << QByteArray("\x2A\x04\x0A"
                                            "000123",
                                            9);
    QTest::newRow("11 bytes") << QByteArray("\x2A\x04\x0A"
                                            "00",
                                            5);
    QTest::newRow("letter in the serial") << QByteArray("\x2A\x04\x0A"
                                                        "00A123\x01",
                                                        10);
    QTest::newRow("blank in the serial") << QByteArray("\x2A\x04\x0A"
                                                       " 00123\x01",
                                                       10);
    QTest::newRow("sign in the serial") << QByteArray("\x2A\x04\x0A"
                                                      "-00123\x01",
                                                      10);
}

void TestLink::badIdentification()
{
    QFETCH(QByteArray, data);
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    f.emulator.setCommand(
        0x01, [data](slxemu::Session &s, quint8, const QByteArray &, const QByteArray &) { s.sendFrame(0x01, data); });
    auto &m = modulo1();
    m.TipoAparato = 9;
    m.VersionAparato = QStringLiteral("1.0");
    m.NumeroSerieAparato = 777;
    m.ModoAparato = 5;
    QVERIFY(f.askIdentification());
    QVERIFY(!RecibirIdentificacion(MSComm1(), &f.watchdog));
    QCOMPARE(answers.texts(), QStringList{oLocGuru().GetS(62)});
    QCOMPARE(int(m.TipoAparato), 9);
    QCOMPARE(m.VersionAparato, QStringLiteral("1.0"));
    QCOMPARE(m.NumeroSerieAparato, 777);
    QCOMPARE(int(m.ModoAparato), 5);
}

void TestLink::vanishedPeer()
{
    // The device's side closes in mid-wait: the wait ends at once, the port is
    // closed, and the event loop does not spin on the dead line.
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    f.fault(slxemu::Fault::Silence);
    f.watchdog.setInterval(10000);
    QVERIFY(f.askIdentification());
    QTimer::singleShot(200, [&f] { f.emulator.stop(); });
    QElapsedTimer t;
    t.start();
    WakeCounter wakes;
    QVERIFY(!RecibirIdentificacion(MSComm1(), &f.watchdog));
    QVERIFY2(t.elapsed() < 3000, qPrintable(QString::number(t.elapsed())));
    QVERIFY(!MSComm1().PortOpen());
    QCOMPARE(answers.texts(), QStringList{oLocGuru().GetS(31)});
    QVERIFY2(wakes.count < 100, qPrintable(QString::number(wakes.count)));

    // Idle afterwards: nothing keeps waking the loop.
    WakeCounter idle;
    QEventLoop loop;
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
    QVERIFY2(idle.count < 30, qPrintable(QString::number(idle.count)));
}

void TestLink::secondWaitRefused()
{
    // A handler that runs inside a receive wait cannot start a second exchange.
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    f.fault(slxemu::Fault::PauseMidFrame, 4, 150);
    QVERIFY(f.askIdentification());
    QTimer other;
    other.setSingleShot(true);
    other.setInterval(5000);
    int nested = -1;
    bool nestedModem = true;
    QTimer::singleShot(50, [&] {
        nested = RecibirTrama(MSComm1(), &other) ? 1 : 0;
        nestedModem = ConectaModem(MSComm1(), QStringLiteral("1")) == 1;
        // Nor send anything: a CAN or a request would spoil the transfer under way.
        EnviaControl(MSComm1(), CAN);
        DemanaIdentificacio(MSComm1());
        const quint8 request[] = {0x02, 0x00, 0x06, 0x02, 0x03};
        EnviaTrama(MSComm1(), request, 5);
    });
    QVERIFY(RecibirIdentificacion(MSComm1(), &f.watchdog));
    QCOMPARE(nested, 0);
    QVERIFY(!nestedModem);
    QCOMPARE(modulo1().NumeroSerieAparato, 123);
    QCOMPARE(f.emulator.received(), bytes({0x02, 0x00, 0x06, 0x01, 0x03, 0x06}));
    QVERIFY(answers.texts().isEmpty());
    QVERIFY(!EnEspera());

    Intercambio first;
    QVERIFY(bool(first));
    {
        Intercambio second;
        QVERIFY(!second);
    }
    QVERIFY(Intercambio::enCurso());
}

void TestLink::portMissingOrBusy()
{
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);

    // The port the settings file names is in use by another program.
    QVERIFY(f.open());
    SerialControl other;
    QVERIFY(other.setCommPort(1));
    QVERIFY(!other.setPortOpen(true));
    QVERIFY(!other.errorString().isEmpty());
    QVERIFY(other.errorString().contains(f.emulator.slavePath()));
    QVERIFY(!other.PortOpen());
    MSComm1().setPortOpen(false);

    // A port that does not exist.
    QVERIFY(GrabaIni(QStringLiteral("Ports"), QStringLiteral("COM2"), f.home.file(QStringLiteral("no-such-tty")),
                     DataFolder::file(QStringLiteral("slx90.ini"))));
    modulo1().PuertoSerie = 2;
    QVERIFY(!AbrePuerto(MSComm1()));
    QVERIFY(MSComm1().errorString().contains(QStringLiteral("no-such-tty")));
    QVERIFY(!MSComm1().PortOpen());
    QVERIFY(answers.texts().isEmpty()); // the caller shows the description
}

void TestLink::literalRequests_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("check");
    QTest::newRow("identification") << bytes({0x02, 0x00, 0x06, 0x01, 0x03}) << 0x06;
    QTest::newRow("totals") << bytes({0x02, 0x00, 0x06, 0x02, 0x03}) << 0x05;
    QTest::newRow("event dates") << bytes({0x02, 0x00, 0x06, 0x03, 0x03}) << 0x04;
    QTest::newRow("read programming") << bytes({0x02, 0x00, 0x06, 0x04, 0x03}) << 0x03;
    QTest::newRow("real time") << bytes({0x02, 0x00, 0x06, 0x09, 0x03}) << 0x0E;
}

void TestLink::literalRequests()
{
    QFETCH(QByteArray, request);
    QFETCH(int, check);
    LinkFixture f;
    QVERIFY(f.ok);
    QVERIFY(f.open());
    // Built from index 1 of the frame buffer, as the request builders do.
    auto &b = modulo1().BufferTrama;
    for (int i = 0; i < request.size(); ++i)
        b[1 + i] = quint8(request[i]);
    QCOMPARE(int(EnviaTrama(MSComm1(), b.data() + 1, int(request.size()))), check);
    EnviaControl(MSComm1(), ACK);
    const QByteArray expected = request + char(check) + char(0x06);
    QCOMPARE(f.receivedAtLeast(int(expected.size())), expected);
    // The emulator's own framing agrees.
    QCOMPARE(f.emulator.frames().value(0), request + char(check));
}

void TestLink::staleInputDiscarded()
{
    // Whatever waits before the request (an old answer) is thrown away.
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    QVERIFY(f.open());
    f.emulator.sendRaw({withCheck(bytes({0x02, 0x00, 0x10, 0x01, 42, 4, 10, '9', '9', '9', '9', '9', '9', 1, 0x03}))});
    QVERIFY(QTest::qWaitFor([] { return MSComm1().InBufferCount() >= 16; }, 2000));
    DemanaIdentificacio(MSComm1());
    QVERIFY(RecibirIdentificacion(MSComm1(), &f.watchdog));
    QCOMPARE(modulo1().NumeroSerieAparato, 123);
    QVERIFY(answers.texts().isEmpty());
}

void TestLink::recordHandshake()
{
    // A record transfer as the later commands run it: one frame per record, ACK
    // for the next, CAN to stop.
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    struct Records {
        static void next(int record, slxemu::Session &s, quint8 control)
        {
            if (control != 0x06)
                return;
            s.sendFrame(0x05, QByteArray(1, char(record)));
            s.awaitControl([record](slxemu::Session &s, quint8 c) { next(record + 1, s, c); });
        }
    };
    f.emulator.setCommand(0x05, [](slxemu::Session &s, quint8, const QByteArray &data, const QByteArray &) {
        s.sendFrame(0x05, data.left(1));
        s.awaitControl([](slxemu::Session &s, quint8 c) { Records::next(1, s, c); });
    });
    QVERIFY(f.open());
    const QByteArray request = bytes({0x02, 0x00, 0x07, 0x05, 0x00, 0x03});
    EnviaTrama(MSComm1(), reinterpret_cast<const quint8 *>(request.constData()), int(request.size()));
    for (int i = 0; i < 3; ++i) {
        QVERIFY(RecibirTrama(MSComm1(), &f.watchdog));
        QCOMPARE(int(modulo1().BufferTrama[4]), i);
        EnviaControl(MSComm1(), i < 2 ? ACK : CAN);
    }
    QTest::qWait(100);
    QCOMPARE(MSComm1().InBufferCount(), 0); // CAN stopped the transfer
    QVERIFY(answers.texts().isEmpty());
}

void TestLink::shortAnswer_data()
{
    // An answer shorter than the bytes its reader takes fails like a bad check byte.
    QTest::addColumn<int>("dataBytes");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<bool>("received");
    QTest::newRow("real-time answer of 20 bytes") << 14 << 20 << true;
    QTest::newRow("real-time answer of 19 bytes") << 13 << 20 << false;
    QTest::newRow("longer than needed") << 30 << 20 << true;
    QTest::newRow("6-byte frame, no minimum") << 0 << 5 << true;
}

void TestLink::shortAnswer()
{
    QFETCH(int, dataBytes);
    QFETCH(int, minimum);
    QFETCH(bool, received);
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    QVERIFY(f.open());
    QByteArray frame = bytes({0x02, 0x00, 6 + dataBytes, 0x09});
    frame += QByteArray(dataBytes, char(0x11));
    frame += char(0x03);
    f.emulator.sendRaw({withCheck(frame)});
    QCOMPARE(RecibirTrama(MSComm1(), &f.watchdog, minimum), received);
    QCOMPARE(answers.texts(), received ? QStringList() : QStringList{oLocGuru().GetS(62)});
    if (!received)
        QCOMPARE(answers.shown().at(0).icon, ui::Icon::Critical);
}

void TestLink::pacedFrame()
{
    // The programming write: every byte but the check byte is followed by one run
    // of the pacer, during which window events run.
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    QVERIFY(f.open());
    QTimer pacer;
    pacer.setTimerType(Qt::PreciseTimer);
    pacer.setSingleShot(true);
    pacer.setInterval(40);
    int ticks = 0;
    QTimer clock;
    QObject::connect(&clock, &QTimer::timeout, [&ticks] { ++ticks; });
    clock.start(10);
    const QByteArray request = bytes({0x02, 0x00, 0x07, 0x08, 0x5A, 0x03});
    QElapsedTimer t;
    t.start();
    const quint8 check =
        EnviaTrama(MSComm1(), reinterpret_cast<const quint8 *>(request.constData()), int(request.size()), &pacer);
    QVERIFY(t.elapsed() >= 6 * 40);
    QVERIFY(ticks > 0);
    QCOMPARE(int(check), 0x02 ^ 0x07 ^ 0x08 ^ 0x5A ^ 0x03);
    QCOMPARE(f.receivedAtLeast(7), request + char(check));
    QTRY_COMPARE(f.emulator.frames().value(0), request + char(check));

    // The gaps the emulator saw: one pause after each of the six built bytes.
    QList<qint64> at;
    for (const auto &e : f.emulator.log())
        if (e.kind == slxemu::LogEntry::FromPc)
            at << e.ms;
    QCOMPARE(at.size(), 7);
    for (int i = 1; i < at.size(); ++i)
        QVERIFY2(at[i] - at[i - 1] >= 30, qPrintable(QStringLiteral("gap %1: %2 ms").arg(i).arg(at[i] - at[i - 1])));
    QVERIFY(answers.texts().isEmpty());
}

void TestLink::pacedFrameEndsOnLostPort()
{
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    QVERIFY(f.open());
    QTimer pacer;
    pacer.setSingleShot(true);
    pacer.setInterval(30);
    const QByteArray request(60, char(0x55));
    QTimer::singleShot(100, [&f] { f.emulator.stop(); });
    QElapsedTimer t;
    t.start();
    EnviaTrama(MSComm1(), reinterpret_cast<const quint8 *>(request.constData()), int(request.size()), &pacer);
    QVERIFY2(t.elapsed() < 60 * 30 / 2, qPrintable(QString::number(t.elapsed())));
    QVERIFY(!MSComm1().PortOpen());
    QVERIFY(answers.texts().isEmpty());
}

void TestLink::answerWait_data()
{
    // The wait for a one-byte answer (after a programming write): a byte, the
    // time-out, a lost line.
    QTest::addColumn<int>("answerAfterMs"); // -1: none; -2: the line is lost
    QTest::addColumn<bool>("answered");
    QTest::newRow("answer") << 100 << true;
    QTest::newRow("no answer") << -1 << false;
    QTest::newRow("line lost") << -2 << false;
}

void TestLink::answerWait()
{
    QFETCH(int, answerAfterMs);
    QFETCH(bool, answered);
    LinkFixture f;
    QVERIFY(f.ok);
    QVERIFY(f.open());
    const int limitMs = 600;
    if (answerAfterMs >= 0)
        f.emulator.sendRaw({QByteArray(), QByteArray(1, char(ACK))}, answerAfterMs);
    else if (answerAfterMs == -2)
        QTimer::singleShot(100, [&f] { f.emulator.stop(); });
    QElapsedTimer t;
    t.start();
    WakeCounter wakes;
    QCOMPARE(EsperaEntrada(MSComm1(), limitMs), answered);
    const qint64 took = t.elapsed();
    if (answerAfterMs == -1)
        QVERIFY2(took >= limitMs - 10, qPrintable(QString::number(took)));
    else
        QVERIFY2(took < limitMs, qPrintable(QString::number(took)));
    QVERIFY2(wakes.count < 50, qPrintable(QString::number(wakes.count)));
    if (answered)
        QCOMPARE(MSComm1().Input(), QByteArray(1, char(ACK)));

    // Refused at once inside another link wait.
    bool nested = true;
    QTimer::singleShot(0, [&] { nested = EsperaEntrada(MSComm1(), 5000) || EsperaTimer(&f.watchdog); });
    EsperaEventos([] { return false; }, 100);
    QVERIFY(!nested);
}

void TestLink::timerWait()
{
    // The pause of the real-time monitor: window events run while the timer is on.
    QTimer pause;
    pause.setSingleShot(true);
    pause.setInterval(80);
    bool ran = false;
    QTimer::singleShot(0, [&ran] { ran = true; });
    pause.start();
    QElapsedTimer t;
    t.start();
    WakeCounter wakes;
    QVERIFY(EsperaTimer(&pause));
    QVERIFY(t.elapsed() >= 70);
    QVERIFY(ran);
    QVERIFY(!pause.isActive());
    QVERIFY2(wakes.count < 30, qPrintable(QString::number(wakes.count)));
    QVERIFY(EsperaTimer(&pause)); // a timer already off: no wait
    QVERIFY(t.elapsed() < 2000);
}

QTEST_MAIN(TestLink)
#include "tst_link.moc"
