// The link routines against the device emulator over a real pseudo-terminal.

#include "LinkFixture.h"
#include "link/DeviceSession.h"

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

// The test's own check byte, kept apart from the program's.
QByteArray withCheck(QByteArray frame)
{
    quint8 x = 0;
    for (char c : frame)
        x ^= quint8(c);
    frame.append(char(x));
    return frame;
}

// The caller's cancel, as a Stop button sets it.
bool g_cancel = false;

bool cancelRequested()
{
    return g_cancel;
}

// One frame into BufferTrama, ended also by the caller's cancel.
FrameResult receive(QTimer *watchdog, int minLength = 5)
{
    return receiveFrame(MSComm1(), modulo1().BufferTrama, watchdog, minLength, cancelRequested);
}

FrameResult identify(QTimer *watchdog, Identificacion *id)
{
    return receiveIdentification(MSComm1(), modulo1().BufferTrama, watchdog, id, cancelRequested);
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

Q_DECLARE_METATYPE(slx::FrameResult)

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
    void answerWait_data();
    void answerWait();
    void timerWait();
    void failureTexts_data();
    void failureTexts();
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
    LinkFixture f;
    QVERIFY(f.ok);
    f.emulator.setIdentity({quint8(type), quint8(major), quint8(minor), serial, quint8(mode)});
    QVERIFY2(f.open(), qPrintable(MSComm1().errorString()));
    QCOMPARE(MSComm1().Settings(), QStringLiteral("19200,n,8,1"));
    QCOMPARE(MSComm1().port().baudRate(), 19200);

    EnviaControl(MSComm1(), CAN);
    DemanaIdentificacio(MSComm1());
    Identificacion id;
    QCOMPARE(identify(&f.watchdog, &id), FrameResult::Received);
    QCOMPARE(f.emulator.received(), bytes({0x18, 0x02, 0x00, 0x06, 0x01, 0x03, 0x06}));
    QCOMPARE(int(id.tipo), type);
    QFETCH(QString, version);
    QFETCH(int, number);
    QCOMPARE(id.version, version);
    QCOMPARE(id.numeroSerie, number);
    QCOMPARE(int(id.modo), mode);
}

void TestLink::noiseBeforeStx()
{
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    f.fault(slxemu::Fault::NoiseBeforeStx);
    QVERIFY(f.askIdentification());
    Identificacion id;
    QCOMPARE(identify(&f.watchdog, &id), FrameResult::Received);
    QCOMPARE(id.numeroSerie, 123);
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
    QCOMPARE(receive(&f.watchdog), FrameResult::Received);
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
    QCOMPARE(receive(&f.watchdog), FrameResult::Received);
    QCOMPARE(bufferHead(7), first);
    QCOMPARE(receive(&f.watchdog), FrameResult::Received);
    QCOMPARE(bufferHead(6), second);
    QVERIFY(answers.texts().isEmpty());
}

void TestLink::wrongCheckByte()
{
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    f.fault(slxemu::Fault::WrongCheck);
    QVERIFY(f.askIdentification());
    Identificacion id;
    id.tipo = 7;
    QCOMPARE(identify(&f.watchdog, &id), FrameResult::BadCheck);
    QVERIFY(answers.texts().isEmpty()); // the link shows nothing
    QCOMPARE(int(id.tipo), 7);
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
    QCOMPARE(identify(&f.watchdog, nullptr), received ? FrameResult::Received : FrameResult::TimedOut);
    QVERIFY(answers.texts().isEmpty());
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
    Identificacion id;
    QCOMPARE(identify(&f.watchdog, &id), FrameResult::Received);
    QVERIFY(t.elapsed() > 2 * LinkFixture::kWatchdogMs);
    QCOMPARE(id.numeroSerie, 123);
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
    QTimer::singleShot(150, [] { g_cancel = true; });
    QElapsedTimer t;
    t.start();
    QCOMPARE(identify(&f.watchdog, nullptr), FrameResult::Cancelled);
    g_cancel = false;
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
    QTimer::singleShot(4 * LinkFixture::kWatchdogMs, [] { g_cancel = true; });
    QCOMPARE(receive(&f.watchdog), FrameResult::Cancelled);
    g_cancel = false;
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
    QVERIFY(f.askIdentification());
    Identificacion id;
    id.numeroSerie = 55;
    QCOMPARE(identify(&f.watchdog, &id), FrameResult::BadLength);
    QVERIFY(answers.texts().isEmpty());
    const auto &b = modulo1().BufferTrama;
    QCOMPARE(int(b[1]), length >> 8);
    QCOMPARE(int(b[2]), length & 0xFF);
    for (int i = 3; i < int(b.size()); ++i)
        QCOMPARE(int(b[i]), 0xEE);
    QCOMPARE(id.numeroSerie, 55);
}

void TestLink::badIdentification_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<FrameResult>("result");
    QTest::newRow("15 bytes") << QByteArray("\x2A\x04\x0A"
                                            "000123",
                                            9)
                              << FrameResult::TooShort;
    QTest::newRow("11 bytes") << QByteArray("\x2A\x04\x0A"
                                            "00",
                                            5)
                              << FrameResult::TooShort;
    QTest::newRow("letter in the serial") << QByteArray("\x2A\x04\x0A"
                                                        "00A123\x01",
                                                        10)
                                          << FrameResult::Malformed;
    QTest::newRow("blank in the serial") << QByteArray("\x2A\x04\x0A"
                                                       " 00123\x01",
                                                       10)
                                         << FrameResult::Malformed;
    QTest::newRow("sign in the serial") << QByteArray("\x2A\x04\x0A"
                                                      "-00123\x01",
                                                      10)
                                        << FrameResult::Malformed;
}

void TestLink::badIdentification()
{
    QFETCH(QByteArray, data);
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    f.emulator.setCommand(
        0x01, [data](slxemu::Session &s, quint8, const QByteArray &, const QByteArray &) { s.sendFrame(0x01, data); });
    QFETCH(FrameResult, result);
    Identificacion id{9, QStringLiteral("1.0"), 777, 5};
    QVERIFY(f.askIdentification());
    QCOMPARE(identify(&f.watchdog, &id), result);
    QVERIFY(answers.texts().isEmpty());
    QCOMPARE(int(id.tipo), 9);
    QCOMPARE(id.version, QStringLiteral("1.0"));
    QCOMPARE(id.numeroSerie, 777);
    QCOMPARE(int(id.modo), 5);
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
    QCOMPARE(identify(&f.watchdog, nullptr), FrameResult::LineLost);
    QVERIFY2(t.elapsed() < 3000, qPrintable(QString::number(t.elapsed())));
    QVERIFY(!MSComm1().PortOpen());
    QVERIFY(answers.texts().isEmpty());
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
    FrameResult nested = FrameResult::Received;
    DialResult::Outcome nestedModem = DialResult::Connected;
    QTimer::singleShot(50, [&] {
        nested = receive(&other);
        nestedModem = dialModem(MSComm1(), 1, QString(), QStringLiteral("1")).outcome;
        // Nor send anything: a CAN or a request would spoil the transfer under way.
        EnviaControl(MSComm1(), CAN);
        DemanaIdentificacio(MSComm1());
        EnviaTrama(MSComm1(), trama(0x02));
    });
    Identificacion id;
    QCOMPARE(identify(&f.watchdog, &id), FrameResult::Received);
    QCOMPARE(nested, FrameResult::Refused);
    QCOMPARE(nestedModem, DialResult::Refused);
    QCOMPARE(id.numeroSerie, 123);
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
    QVERIFY(MSComm1().setCommPort(2));
    QVERIFY(!MSComm1().setPortOpen(true));
    QVERIFY(MSComm1().errorString().contains(QStringLiteral("no-such-tty")));
    QVERIFY(!MSComm1().PortOpen());
    QVERIFY(answers.texts().isEmpty()); // the window shows the description
}

void TestLink::literalRequests_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("identification") << 0x01 << QByteArray() << bytes({0x02, 0x00, 0x06, 0x01, 0x03, 0x06});
    QTest::newRow("totals") << 0x02 << QByteArray() << bytes({0x02, 0x00, 0x06, 0x02, 0x03, 0x05});
    QTest::newRow("event dates") << 0x03 << QByteArray() << bytes({0x02, 0x00, 0x06, 0x03, 0x03, 0x04});
    QTest::newRow("read programming") << 0x04 << QByteArray() << bytes({0x02, 0x00, 0x06, 0x04, 0x03, 0x03});
    QTest::newRow("real time") << 0x09 << QByteArray() << bytes({0x02, 0x00, 0x06, 0x09, 0x03, 0x0E});
    QTest::newRow("with data") << 0x05 << bytes({0x0A, 0xFF})
                               << bytes({0x02, 0x00, 0x08, 0x05, 0x0A, 0xFF, 0x03, 0x02 ^ 0x08 ^ 0x05 ^ 0x0A ^ 0xFF ^ 0x03});
    // A length of 256 or more fills the high byte, which the check covers too.
    QByteArray big(250, char(0x01));
    QTest::newRow("two length bytes") << 0x08 << big
                                      << bytes({0x02, 0x01, 0x00, 0x08}) + big + bytes({0x03, 0x02 ^ 0x01 ^ 0x08 ^ 0x03});
}

void TestLink::literalRequests()
{
    QFETCH(int, command);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, frame);
    QCOMPARE(trama(quint8(command), data), frame);
    QCOMPARE(checkByte(frame.chopped(1)), quint8(frame.back()));
    QCOMPARE(checkByte(frame), quint8(0)); // a whole frame XORs to nothing
    LinkFixture f;
    QVERIFY(f.ok);
    QVERIFY(f.open());
    EnviaTrama(MSComm1(), trama(quint8(command), data));
    EnviaControl(MSComm1(), ACK);
    const QByteArray expected = frame + char(0x06);
    QCOMPARE(f.receivedAtLeast(int(expected.size())), expected);
    // The emulator's own framing agrees.
    QCOMPARE(f.emulator.frames().value(0), frame);
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
    Identificacion id;
    QCOMPARE(identify(&f.watchdog, &id), FrameResult::Received);
    QCOMPARE(id.numeroSerie, 123);
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
    EnviaTrama(MSComm1(), trama(0x05, bytes({0x00})));
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(receive(&f.watchdog), FrameResult::Received);
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
    QCOMPARE(receive(&f.watchdog, minimum), received ? FrameResult::Received : FrameResult::TooShort);
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
    DeviceSession session;
    QElapsedTimer t;
    t.start();
    WakeCounter wakes;
    const ByteResult got = session.waitByte(limitMs);
    QCOMPARE(got.outcome == ByteResult::Byte, answered);
    const qint64 took = t.elapsed();
    if (answerAfterMs == -1)
        QVERIFY2(took >= limitMs - 10, qPrintable(QString::number(took)));
    else
        QVERIFY2(took < limitMs, qPrintable(QString::number(took)));
    QVERIFY2(wakes.count < 50, qPrintable(QString::number(wakes.count)));
    if (answered)
        QCOMPARE(int(got.byte), int(ACK));
    if (answerAfterMs == -2)
        QCOMPARE(got.outcome, ByteResult::LineLost);

    // Refused at once inside another link wait.
    ByteResult::Outcome nested = ByteResult::Byte;
    bool nestedTimer = true;
    QTimer::singleShot(0, [&] {
        nested = session.waitByte(5000).outcome;
        nestedTimer = EsperaTimer(&f.watchdog);
    });
    EsperaEventos([] { return false; }, 100);
    QCOMPARE(nested, ByteResult::Refused);
    QVERIFY(!nestedTimer);
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

void TestLink::failureTexts_data()
{
    // The catalogue text a window reports each receive failure with.
    QTest::addColumn<FrameResult>("result");
    QTest::addColumn<int>("texto");
    QTest::newRow("received") << FrameResult::Received << 0;
    QTest::newRow("time-out") << FrameResult::TimedOut << 31;
    QTest::newRow("line lost") << FrameResult::LineLost << 31;
    QTest::newRow("check byte") << FrameResult::BadCheck << 62;
    QTest::newRow("length") << FrameResult::BadLength << 62;
    QTest::newRow("too short") << FrameResult::TooShort << 62;
    QTest::newRow("serial not digits") << FrameResult::Malformed << 62;
    QTest::newRow("cancelled") << FrameResult::Cancelled << 0;
    QTest::newRow("refused") << FrameResult::Refused << 0;
}

void TestLink::failureTexts()
{
    QFETCH(FrameResult, result);
    QFETCH(int, texto);
    QCOMPARE(textoFallo(result), texto);
}

QTEST_MAIN(TestLink)
#include "tst_link.moc"
