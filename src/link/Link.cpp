#include "link/Link.h"

#include "base/Cp1252.h"
#include "link/FrameReceiver.h"
#include "link/LinkTimings.h"

#include <QAbstractEventDispatcher>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

namespace slx {

namespace {

int g_waitDepth = 0;
bool g_exchange = false;

class WaitScope {
public:
    WaitScope() { ++g_waitDepth; }
    ~WaitScope() { --g_waitDepth; }
    WaitScope(const WaitScope &) = delete;
    WaitScope &operator=(const WaitScope &) = delete;
};

// A local event loop that ends when done() holds, checked each time the loop has
// handled its events and is about to sleep, or when maxMs (>= 0) have passed.
// The serial control, when given, wakes it on input and on a lost line. A
// template, so that a byte already waiting costs no allocation.
template <typename Done> bool runLoop(const Done &done, int maxMs, SerialControl *port)
{
    if (done())
        return true;
    if (maxMs == 0)
        return false;
    QEventLoop loop;
    bool finished = false;
    auto check = [&] {
        if (!finished && done()) {
            finished = true;
            loop.quit();
        }
    };
    // Precise: a coarse timer may end a 60-second wait three seconds early.
    QTimer limit;
    if (maxMs > 0) {
        limit.setTimerType(Qt::PreciseTimer);
        limit.setSingleShot(true);
        QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        limit.start(maxMs);
    }
    if (auto *dispatcher = QAbstractEventDispatcher::instance())
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &loop, check);
    if (port) {
        QObject::connect(port, &SerialControl::readyRead, &loop, check);
        QObject::connect(port, &SerialControl::closed, &loop, check);
    }
    WaitScope scope;
    loop.exec();
    return finished || done();
}

enum class ByteWait { Byte, Timeout, Cancelled, Lost };

// The receiver's byte wait: ends on a waiting byte, the watchdog switched off,
// the cancel test or a lost line. The watchdog is looked at first. A wait ended
// by the application quitting (no event loop runs any more) ends the receive
// silently, like Stop.
ByteWait byteWait(SerialControl &port, QTimer *watchdog, const CancelTest &cancelled)
{
    auto isCancelled = [&] { return cancelled && cancelled(); };
    if (!runLoop([&] { return !watchdog->isActive() || isCancelled() || !port.PortOpen() || port.InBufferCount() > 0; },
                 -1, &port))
        return ByteWait::Cancelled;
    if (!watchdog->isActive())
        return ByteWait::Timeout;
    if (isCancelled())
        return ByteWait::Cancelled;
    if (!port.PortOpen())
        return ByteWait::Lost;
    return ByteWait::Byte;
}

QByteArray withoutControls(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0 && c.category() == QChar::Other_Control))
            continue;
        out.append(c);
    }
    return toCp1252(out);
}

} // namespace

void Espera(qint16 segundos)
{
    MSComm1().flush();
    if (segundos <= 0)
        return;
    // Elapsed time on the monotonic clock: a change of day or of the clock during
    // the wait changes nothing.
    const QDeadlineTimer deadline(qint64(segundos) * linkTimings().segundoEsperaMs, Qt::PreciseTimer);
    while (!deadline.hasExpired())
        QThread::msleep(static_cast<unsigned long>(qMax<qint64>(1, deadline.remainingTime())));
}

void ReiniciaTimer(QTimer *timer)
{
    if (!timer)
        return;
    timer->stop();
    timer->start();
}

QByteArray CadenaMarcacion(quint8 tonoPulso, const QString &prefijo, const QString &telefono)
{
    QByteArray s("ATE0V0X0");
    s += tonoPulso == 1 ? "DT" : "DP";
    s += withoutControls(prefijo.trimmed()).trimmed();
    s += ',';
    s += withoutControls(telefono);
    s += '\r';
    return s;
}

DialResult dialModem(SerialControl &port, quint8 tonoPulso, const QString &prefijo, const QString &telefono,
                     const CancelTest &cancelled)
{
    DialResult r;
    if (EnEspera()) {
        r.outcome = DialResult::Refused;
        return r;
    }
    if (!port.PortOpen()) {
        r.outcome = DialResult::PortClosed;
        return r;
    }
    auto isCancelled = [&] { return cancelled && cancelled(); };
    port.setInputLen(100);

    // Escape to command mode, with a guard second around each "+".
    Espera(1);
    port.Output('+');
    Espera(1);
    port.Output('+');
    Espera(1);
    port.Output('+');
    Espera(1);

    port.Output(CadenaMarcacion(tonoPulso, prefijo, telefono));
    Espera(1);
    port.ClearInBuffer(); // the modem's first output

    runLoop([&] { return isCancelled() || !port.PortOpen() || port.InBufferCount() > 0; },
            linkTimings().respuestaModemMs, &port);
    const bool wasCancelled = isCancelled();
    Espera(3);

    if (port.InBufferCount() > 0) {
        r.code = port.Input();
        r.outcome = !r.code.isEmpty() && r.code.at(0) == '1' ? DialResult::Connected : DialResult::Failed;
    } else if (!port.PortOpen()) {
        r.outcome = DialResult::PortClosed;
    } else {
        r.outcome = wasCancelled ? DialResult::Cancelled : DialResult::NoAnswer;
    }

    port.setInputLen(1);
    Espera(10);
    port.ClearOutBuffer();
    port.ClearInBuffer();
    return r;
}

void DemanaIdentificacio(SerialControl &port)
{
    if (EnEspera())
        return;
    Espera(1);
    port.ClearInBuffer();
    EnviaTrama(port, trama(0x01));
}

int textoFallo(FrameResult result)
{
    switch (result) {
    case FrameResult::TimedOut:
    case FrameResult::LineLost: return 31;
    case FrameResult::BadCheck:
    case FrameResult::BadLength:
    case FrameResult::TooShort:
    case FrameResult::Malformed: return 62;
    case FrameResult::Received:
    case FrameResult::Cancelled:
    case FrameResult::Refused: break;
    }
    return 0;
}

FrameResult receiveFrame(SerialControl &port, FrameReceiver::Buffer &buffer, QTimer *watchdog, int minLength,
                         const CancelTest &cancelled)
{
    if (EnEspera())
        return FrameResult::Refused;
    QTimer fallback;
    if (!watchdog) {
        fallback.setSingleShot(true);
        fallback.setInterval(linkTimings().vigilanteMs);
        watchdog = &fallback;
    }
    FrameReceiver receiver(buffer);
    for (;;) {
        // A byte the port already holds is taken at once: the system is asked only
        // when the port's own buffer is empty, and the watchdog, which measures the
        // silence between bytes, is restarted only before a wait that may block (no
        // window event runs between two bytes taken so, so it cannot expire there).
        quint8 byte = 0;
        if (!port.readBuffered(byte)) {
            ReiniciaTimer(watchdog);
            switch (byteWait(port, watchdog, cancelled)) {
            case ByteWait::Timeout: return FrameResult::TimedOut;
            case ByteWait::Lost: return FrameResult::LineLost;
            case ByteWait::Cancelled: return FrameResult::Cancelled;
            case ByteWait::Byte: break;
            }
            if (!port.readByte(byte))
                continue;
        }
        switch (receiver.feed(byte)) {
        case FrameReceiver::Result::NeedMore: break;
        case FrameReceiver::Result::Complete:
            return receiver.declaredLength() >= minLength ? FrameResult::Received : FrameResult::TooShort;
        case FrameReceiver::Result::BadCheck: return FrameResult::BadCheck;
        case FrameReceiver::Result::BadLength: return FrameResult::BadLength;
        }
    }
}

FrameResult receiveIdentification(SerialControl &port, FrameReceiver::Buffer &buffer, QTimer *watchdog,
                                  Identificacion *out, const CancelTest &cancelled)
{
    const FrameResult r = receiveFrame(port, buffer, watchdog, 16, cancelled);
    if (r != FrameResult::Received)
        return r;
    qint32 serial = 0;
    for (int i = 7; i <= 12; ++i) {
        if (buffer[i] < '0' || buffer[i] > '9')
            return FrameResult::Malformed;
        serial = serial * 10 + (buffer[i] - '0');
    }
    if (out) {
        out->tipo = buffer[4];
        out->version = QString::number(buffer[5]) + QLatin1Char('.') + QString::number(buffer[6]);
        out->numeroSerie = serial;
        out->modo = buffer[13];
    }
    return FrameResult::Received;
}

void EnviaTrama(SerialControl &port, QByteArrayView frame)
{
    if (EnEspera())
        return;
    for (const char byte : frame)
        port.Output(static_cast<quint8>(byte));
}

void EnviaControl(SerialControl &port, quint8 byte)
{
    if (!EnEspera())
        port.Output(byte);
}

bool EsperaEventos(const std::function<bool()> &hecho, int maxMs)
{
    if (EnEspera())
        return false;
    return runLoop(hecho, maxMs, nullptr);
}

bool EsperaTimer(QTimer *timer)
{
    if (!timer)
        return true;
    return EsperaEventos([timer] { return !timer->isActive(); });
}

bool EnEspera()
{
    return g_waitDepth > 0;
}

Intercambio::Intercambio()
    : m_owner(!g_exchange)
{
    if (m_owner)
        g_exchange = true;
}

Intercambio::~Intercambio()
{
    if (m_owner)
        g_exchange = false;
}

bool Intercambio::enCurso()
{
    return g_exchange;
}

} // namespace slx
