// The frame receiver fed byte strings, and the small link helpers that need no line.

#include "link/FrameReceiver.h"
#include "link/Link.h"
#include "link/LinkTimings.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

using slx::FrameReceiver;
using Result = FrameReceiver::Result;

Q_DECLARE_METATYPE(FrameReceiver::Result)

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

} // namespace

class TestReceiver : public QObject {
    Q_OBJECT

private slots:
    void frames_data();
    void frames();
    void longestFrame();
    void refusedLengthStoresNothing_data();
    void refusedLengthStoresNothing();
    void reiniciaTimer();
    void esperaBlocksEvents();
    void timingDefaults();
};

void TestReceiver::frames_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<Result>("result");
    QTest::addColumn<int>("consumed"); // bytes fed when the result came
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("identification request") << hex("020006010306") << Result::Complete << 6 << hex("020006010306");
    QTest::newRow("real-time request") << hex("02000609030e") << Result::Complete << 6 << hex("02000609030e");
    QTest::newRow("5-byte frame") << hex("020005aaad") << Result::Complete << 5 << hex("020005aaad");
    QTest::newRow("identification answer")
        << hex("020010012a040a303030313233010335") << Result::Complete << 16 << hex("020010012a040a303030313233010335");
    QTest::newRow("noise before STX") << hex("55aa00ff13030006010306020006010306") << Result::Complete << 17
                                      << hex("020006010306");
    QTest::newRow("STX inside the frame is data")
        << hex("02000702020306") << Result::Complete << 7 << hex("02000702020306");
    QTest::newRow("check covers STX and ETX") << hex("020006010307") << Result::BadCheck << 6 << QByteArray();
    QTest::newRow("ETX not checked") << hex("020006017772") << Result::Complete << 6 << hex("020006017772");
    QTest::newRow("length 4") << hex("02000401") << Result::BadLength << 3 << QByteArray();
    QTest::newRow("length 514") << hex("020202") << Result::BadLength << 3 << QByteArray();
    QTest::newRow("length negative") << hex("02ffff") << Result::BadLength << 3 << QByteArray();
    QTest::newRow("incomplete") << hex("02000601") << Result::NeedMore << 4 << QByteArray();
}

void TestReceiver::frames()
{
    QFETCH(QByteArray, input);
    QFETCH(Result, result);
    QFETCH(int, consumed);
    QFETCH(QByteArray, frame);
    FrameReceiver::Buffer buffer;
    buffer.fill(0xEE);
    FrameReceiver rx(buffer);
    QCOMPARE(int(buffer[0]), 0);
    Result r = Result::NeedMore;
    int fed = 0;
    for (char c : input) {
        r = rx.feed(quint8(c));
        ++fed;
        if (r != Result::NeedMore)
            break;
    }
    QCOMPARE(r, result);
    QCOMPARE(fed, consumed);
    if (!frame.isEmpty())
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(buffer.data()), frame.size()), frame);
    // A finished receive ignores what follows.
    if (r != Result::NeedMore) {
        const FrameReceiver::Buffer after = buffer;
        QCOMPARE(rx.feed(0x02), r);
        QVERIFY(after == buffer);
    }
}

void TestReceiver::longestFrame()
{
    FrameReceiver::Buffer buffer{};
    FrameReceiver rx(buffer);
    QByteArray f;
    f.append('\x02').append('\x02').append('\x01');
    for (int i = 3; i < 511; ++i)
        f.append(char(i & 0xFF));
    f.append('\x03');
    quint8 x = 0;
    for (char c : f)
        x ^= quint8(c);
    f.append(char(x));
    QCOMPARE(f.size(), 513);
    Result r = Result::NeedMore;
    for (char c : f)
        r = rx.feed(quint8(c));
    QCOMPARE(r, Result::Complete);
    QCOMPARE(int(buffer[512]), int(x));
    QCOMPARE(rx.declaredLength(), 513);
}

void TestReceiver::refusedLengthStoresNothing_data()
{
    QTest::addColumn<int>("length");
    for (int l : {0, 1, 4, 514, 0x7FFF, 0x8000, 0xFFFE, 0xFFFF})
        QTest::addRow("%d", l) << l;
}

void TestReceiver::refusedLengthStoresNothing()
{
    QFETCH(int, length);
    FrameReceiver::Buffer buffer;
    buffer.fill(0xEE);
    FrameReceiver rx(buffer);
    rx.feed(0x02);
    rx.feed(quint8(length >> 8));
    QCOMPARE(rx.feed(quint8(length & 0xFF)), Result::BadLength);
    for (int i = 0; i < 600; ++i)
        rx.feed(quint8(i));
    for (int i = 3; i < FrameReceiver::kBufferSize; ++i)
        QCOMPARE(int(buffer[i]), 0xEE);
}

void TestReceiver::reiniciaTimer()
{
    QTimer t;
    t.setSingleShot(true);
    t.setInterval(200);
    t.start();
    QTest::qWait(120);
    QElapsedTimer since;
    since.start();
    slx::ReiniciaTimer(&t);
    QVERIFY(t.isActive());
    QTRY_VERIFY_WITH_TIMEOUT(!t.isActive(), 1000);
    QVERIFY(since.elapsed() >= 190); // the whole interval again, not the 80 ms left
}

void TestReceiver::esperaBlocksEvents()
{
    slx::linkTimings().segundoEsperaMs = 50;
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    QElapsedTimer t;
    t.start();
    slx::Espera(3);
    const qint64 took = t.elapsed();
    QVERIFY(!ran); // no window event ran during the wait
    QVERIFY2(took >= 150 && took < 400, qPrintable(QString::number(took)));
    slx::Espera(0);
    slx::Espera(-2);
    QVERIFY(t.elapsed() < 500);
    QTRY_VERIFY(ran);
    slx::resetLinkTimings();
    QCOMPARE(slx::linkTimings().segundoEsperaMs, 1000);
    QCOMPARE(slx::linkTimings().respuestaModemMs, 60000);
    QCOMPARE(slx::linkTimings().vigilanteMs, 5000);
}

void TestReceiver::timingDefaults()
{
    // The program runs with the device's own timings; only tests shorten them.
    slx::linkTimings().vigilanteIncidenciasMs = 1;
    slx::resetLinkTimings();
    const slx::LinkTimings &t = slx::linkTimings();
    QCOMPARE(t.segundoEsperaMs, 1000);
    QCOMPARE(t.respuestaModemMs, 60000);
    QCOMPARE(t.vigilanteMs, 5000);
    QCOMPARE(t.vigilanteIncidenciasMs, 15000);
    QCOMPARE(t.pausaEscrituraMs, 50);
    QCOMPARE(t.pausaTiempoRealMs, 50);
    QCOMPARE(t.relojMs, 1000);
    QCOMPARE(t.respuestaEscrituraMs, 10000);
}

QTEST_MAIN(TestReceiver)
#include "tst_receiver.moc"
