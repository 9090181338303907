#include "link/DeviceSession.h"

#include "base/TextoPropio.h"
#include "link/LinkTimings.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <grp.h>
#include <sys/stat.h>

namespace slx {

namespace {

// The group that owns a device file, or an empty text.
QString ownerGroup(const QString &path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    if (const group *g = ::getgrgid(st.st_gid))
        return QString::fromLocal8Bit(g->gr_name);
    return QString::number(st.st_gid);
}

} // namespace

DeviceSession::DeviceSession(const SessionOptions &options)
    : m_options(options)
    , m_modemConectado(options.enlace.modemConectado)
{
    if (!m_guard) {
        m_outcome = Outcome::Refused;
        return;
    }
    if (!m_options.watchdog) {
        m_ownWatchdog = std::make_unique<QTimer>();
        m_ownWatchdog->setSingleShot(true);
        m_ownWatchdog->setTimerType(Qt::PreciseTimer);
        m_ownWatchdog->setInterval(m_options.watchdogMs >= 0 ? m_options.watchdogMs : linkTimings().vigilanteMs);
    }
}

DeviceSession::~DeviceSession()
{
    // Also on the way out of a thrown error: nothing may escape from here. Nobody
    // is asked any more: a call still up is kept.
    try {
        finish();
    } catch (...) {
    }
}

SerialControl &DeviceSession::port()
{
    return MSComm1();
}

QTimer *DeviceSession::watchdog() const
{
    return m_options.watchdog ? m_options.watchdog : m_ownWatchdog.get();
}

bool DeviceSession::running()
{
    return Intercambio::enCurso();
}

QString DeviceSession::busyText()
{
    return TextoPropio("A device exchange is in progress.");
}

bool DeviceSession::openPort()
{
    const AjustesEnlace &e = m_options.enlace;
    SerialControl &p = port();
    if (e.tipoConexion == 0) {
        if (!p.setCommPort(e.puertoSerie) || !p.setSettings(QStringLiteral("19200,n,8,1")))
            return false;
    } else if (!p.PortOpen()) {
        // As prompt() set them, also for a session opened without asking.
        if (!p.setCommPort(e.puertoSerie))
            return false;
        p.setSettings(QString::number(e.velocidadModem) + QStringLiteral(",n,8,1"));
    }
    return p.PortOpen() || p.setPortOpen(true);
}

QString DeviceSession::portFailureText()
{
    SerialControl &p = port();
    const QString device = p.deviceName();
    if (p.openError() == QSerialPort::NoError)
        return TextoPropio("The port %1 cannot be opened: %2").arg(device, p.errorString());
    QString text = TextoPropio("The port %1 cannot be opened: %2").arg(device, p.openErrorReason());
    if (p.openError() == QSerialPort::PermissionError) {
        QString group = ownerGroup(device);
        if (group.isEmpty())
            group = QStringLiteral("dialout");
        text += QLatin1String("\n\n") +
                TextoPropio("The user must belong to the group that owns the device, %1 (on Debian, dialout), "
                            "and log in again.")
                    .arg(group);
    }
    return text;
}

DeviceSession::Prompt DeviceSession::prompt()
{
    if (m_outcome != Outcome::Pending)
        return {};
    const AjustesEnlace &e = m_options.enlace;
    SerialControl &p = port();
    if (e.tipoConexion == 0)
        return m_prompt = {Prompt::Ask, 15};
    // A call kept up whose port closed since (the adapter or the line was lost
    // between two exchanges) is no call any more: ask and dial again.
    if (m_modemConectado && !p.PortOpen())
        m_modemConectado = false;
    if (m_modemConectado)
        return m_prompt = {};
    p.setSettings(QString::number(e.velocidadModem) + QStringLiteral(",n,8,1"));
    // A new sheet's telephone number is a blank.
    if (m_options.telefono.trimmed().isEmpty())
        return m_prompt = {Prompt::Refuse, 34};
    return m_prompt = {Prompt::Ask, 33};
}

void DeviceSession::decline()
{
    if (m_outcome == Outcome::Pending)
        m_outcome = m_prompt.kind == Prompt::Refuse ? Outcome::NoTelephone : Outcome::Cancelled;
}

DeviceSession::Outcome DeviceSession::open()
{
    if (m_outcome != Outcome::Pending)
        return m_outcome;
    const AjustesEnlace &e = m_options.enlace;
    SerialControl &p = port();
    const bool cable = e.tipoConexion == 0;
    if (!cable && m_modemConectado && !p.PortOpen())
        m_modemConectado = false;
    const bool callUp = !cable && m_modemConectado;

    if (!openPort()) {
        m_portFailure = portFailureText();
        return m_outcome = Outcome::PortFailed;
    }
    if (!cable && !callUp) {
        m_dialled = true;
        m_dial = dialModem(p, e.tonoPulso, e.prefijoMarcacion, m_options.telefono, [this] { return m_cancel; });
        if (!m_dial.connected())
            return m_outcome = Outcome::DialFailed;
        m_modemConectado = true;
    }

    if (m_options.identify) {
        if (m_options.sendCan)
            sendCan();
        DemanaIdentificacio(p);
        m_identResult = receiveIdentification(p, m_buffer, watchdog(), &m_identificacion,
                                              [this] { return m_cancel; });
        if (m_identResult != FrameResult::Received)
            return m_outcome = Outcome::NotIdentified;
        m_identified = true;
        if (m_options.checkType && !typeAccepted())
            return m_outcome = Outcome::WrongType;
    }
    return m_outcome = Outcome::Ready;
}

DeviceSession::Failure DeviceSession::failure() const
{
    switch (m_outcome) {
    case Outcome::NoTelephone: return {34, {}, {}};
    case Outcome::PortFailed: return {0, m_portFailure, {}};
    case Outcome::DialFailed:
        if (m_dial.outcome == DialResult::Refused)
            return {};
        return {35, {}, {}};
    case Outcome::NotIdentified: return {textoFallo(m_identResult), {}, {}};
    case Outcome::WrongType: return {30, {}, {}};
    case Outcome::Pending:
    case Outcome::Ready:
    case Outcome::Refused:
    case Outcome::Cancelled: break;
    }
    return {};
}

bool DeviceSession::typeAccepted() const
{
    const quint8 tipo = m_identificacion.tipo;
    return tipo == 42 || tipo == 4;
}

void DeviceSession::sendRequest(QByteArrayView frame)
{
    EnviaTrama(port(), frame);
}

void DeviceSession::sendByte(quint8 byte)
{
    EnviaControl(port(), byte);
}

bool DeviceSession::sendPaced(QByteArrayView frame, int msPerByte)
{
    SerialControl &p = port();
    if (EnEspera() || !p.PortOpen() || frame.isEmpty())
        return false;
    // Each byte's pause ends on a schedule counted from the first byte, so that
    // the small delays of the event loop do not add up over a long frame.
    QElapsedTimer clock;
    clock.start();
    const qsizetype paced = frame.size() - 1;
    for (qsizetype i = 0; i < paced; ++i) {
        if (!p.Output(static_cast<quint8>(frame.at(i))))
            return false;
        const qint64 due = qint64(i + 1) * msPerByte;
        const qint64 remaining = due - clock.elapsed();
        if (remaining > 0)
            EsperaEventos([&] { return m_cancel || !p.PortOpen(); }, static_cast<int>(remaining));
        if (m_cancel || !p.PortOpen())
            return false;
    }
    return p.Output(static_cast<quint8>(frame.back()));
}

ReceivedFrame DeviceSession::receive(int minLength)
{
    ReceivedFrame f;
    f.result = receiveFrame(port(), m_buffer, watchdog(), minLength,
                            [this] { return m_cancel; });
    if (f.received()) {
        const int longitud = (m_buffer[1] << 8) | m_buffer[2];
        f.bytes = QByteArray(reinterpret_cast<const char *>(m_buffer.data()), longitud);
    }
    return f;
}

ByteResult DeviceSession::waitByte(int maxMs)
{
    SerialControl &p = port();
    ByteResult r;
    if (EnEspera()) {
        r.outcome = ByteResult::Refused;
        return r;
    }
    EsperaEventos([&] { return m_cancel || !p.PortOpen() || p.InBufferCount() > 0; }, maxMs);
    if (m_cancel)
        r.outcome = ByteResult::Cancelled;
    else if (!p.PortOpen())
        r.outcome = ByteResult::LineLost;
    else if (p.InBufferCount() > 0 && p.readByte(r.byte))
        r.outcome = ByteResult::Byte;
    else
        r.outcome = ByteResult::TimedOut;
    return r;
}

void DeviceSession::cancel()
{
    m_cancel = true;
}

bool DeviceSession::finish()
{
    if (m_finished)
        return false;
    m_finished = true;
    m_cancel = false;
    if (!m_guard)
        return false; // refused: it touched nothing
    SerialControl &p = port();
    if (!m_modemConectado) {
        if (p.PortOpen())
            p.setPortOpen(false);
        return false;
    }
    if (!p.PortOpen()) {
        // The line was lost: there is no call left to keep or to hang up.
        m_modemConectado = false;
        return false;
    }
    return true;
}

void DeviceSession::hangUp(bool yes)
{
    if (!yes || !m_guard)
        return;
    if (m_modemConectado) {
        port().hangUp();
        m_modemConectado = false;
    }
}

} // namespace slx
