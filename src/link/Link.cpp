#include "link/Link.h"

#include "base/Cp1252.h"
#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "link/FrameReceiver.h"
#include "link/Timings.h"
#include "localization/LocGuru.h"

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

void critical(int text)
{
    ui::MsgBox(oLocGuru().GetS(text), ui::Icon::Critical, ui::OkOnly);
}

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
// CancelaRecepcion or a lost line. The watchdog is looked at first. A wait ended
// by the application quitting (no event loop runs any more) ends the receive
// silently, like Stop.
ByteWait byteWait(SerialControl &port, QTimer *watchdog)
{
    auto &m = modulo1();
    if (!runLoop(
            [&] { return !watchdog->isActive() || m.CancelaRecepcion || !port.PortOpen() || port.InBufferCount() > 0; },
            -1, &port))
        return ByteWait::Cancelled;
    if (!watchdog->isActive())
        return ByteWait::Timeout;
    if (m.CancelaRecepcion)
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

bool AbrePuerto(SerialControl &port, QTimer *)
{
    if (!port.setCommPort(modulo1().PuertoSerie))
        return false;
    if (!port.setSettings(QStringLiteral("19200,n,8,1")))
        return false;
    if (!port.PortOpen())
        return port.setPortOpen(true);
    return true;
}

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

quint8 ConectaModem(SerialControl &port, const QString &telefono)
{
    auto &m = modulo1();
    if (EnEspera())
        return 2;
    m.CancelaLlamada = false;
    if (!port.PortOpen()) {
        critical(35);
        return 2;
    }
    port.setInputLen(100);

    // Escape to command mode, with a guard second around each "+".
    Espera(1);
    port.Output('+');
    Espera(1);
    port.Output('+');
    Espera(1);
    port.Output('+');
    Espera(1);

    port.Output(CadenaMarcacion(m.TonoPulso, m.PrefijoMarcacion, telefono));
    Espera(1);
    port.ClearInBuffer(); // the modem's first output

    runLoop([&] { return m.CancelaLlamada || !port.PortOpen() || port.InBufferCount() > 0; },
            linkTimings().respuestaModemMs, &port);
    Espera(3);

    quint8 result = 2;
    if (port.InBufferCount() > 0) {
        const QByteArray answer = port.Input();
        if (!answer.isEmpty() && answer.at(0) == '1')
            result = 1;
    }
    if (result == 2)
        critical(35);

    port.setInputLen(1);
    Espera(10);
    port.ClearOutBuffer();
    port.ClearInBuffer();
    return result;
}

void DemanaIdentificacio(SerialControl &port)
{
    // The request is built like the others, from index 1, in an array of its own.
    quint8 trama[11] = {0, STX, 0x00, 0x06, 0x01, ETX};
    if (EnEspera())
        return;
    Espera(1);
    port.ClearInBuffer();
    EnviaTrama(port, trama + 1, 5);
}

bool RecibirTrama(SerialControl &port, QTimer *watchdog, int longitudMinima)
{
    if (EnEspera())
        return false;
    QTimer fallback;
    if (!watchdog) {
        fallback.setSingleShot(true);
        fallback.setInterval(linkTimings().vigilanteMs);
        watchdog = &fallback;
    }
    FrameReceiver receiver(modulo1().BufferTrama);
    ReiniciaTimer(watchdog);
    for (;;) {
        switch (byteWait(port, watchdog)) {
        case ByteWait::Timeout:
        case ByteWait::Lost: critical(31); return false;
        case ByteWait::Cancelled: return false;
        case ByteWait::Byte: break;
        }
        quint8 byte = 0;
        if (!port.readByte(byte))
            continue;
        ReiniciaTimer(watchdog);
        switch (receiver.feed(byte)) {
        case FrameReceiver::Result::NeedMore: break;
        case FrameReceiver::Result::Complete:
            if (receiver.declaredLength() >= longitudMinima)
                return true;
            critical(62);
            return false;
        case FrameReceiver::Result::BadCheck:
        case FrameReceiver::Result::BadLength: critical(62); return false;
        }
    }
}

bool RecibirIdentificacion(SerialControl &port, QTimer *watchdog)
{
    if (!RecibirTrama(port, watchdog, 16))
        return false;
    auto &m = modulo1();
    const auto &b = m.BufferTrama;
    bool valid = true;
    qint32 serial = 0;
    for (int i = 7; valid && i <= 12; ++i) {
        if (b[i] < '0' || b[i] > '9')
            valid = false;
        else
            serial = serial * 10 + (b[i] - '0');
    }
    if (!valid) {
        critical(62);
        return false;
    }
    m.TipoAparato = b[4];
    m.VersionAparato = QString::number(b[5]) + QLatin1Char('.') + QString::number(b[6]);
    m.NumeroSerieAparato = serial;
    m.ModoAparato = b[13];
    return true;
}

QString Hex2(quint8 b)
{
    return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
}

quint8 EnviaTrama(SerialControl &port, const quint8 *bytes, int count, QTimer *pausa)
{
    quint8 check = 0;
    if (EnEspera())
        return check;
    for (int i = 0; i < count; ++i) {
        port.Output(bytes[i]);
        check ^= bytes[i];
        if (pausa) {
            pausa->start();
            EsperaTimer(pausa);
            if (!port.PortOpen())
                return check;
        }
    }
    port.Output(check);
    return check;
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

bool EsperaEntrada(SerialControl &port, int maxMs)
{
    if (EnEspera())
        return false;
    runLoop([&] { return !port.PortOpen() || port.InBufferCount() > 0; }, maxMs, &port);
    return port.PortOpen() && port.InBufferCount() > 0;
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
