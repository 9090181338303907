#include "link/DeviceSession.h"

#include "base/Modulo1.h"
#include "base/TextoPropio.h"
#include "link/Timings.h"
#include "localization/LocGuru.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

#include <grp.h>
#include <sys/stat.h>

namespace slx {

namespace {

DeviceSession *g_current = nullptr;

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

class CloseGuard : public QObject {
public:
    explicit CloseGuard(QWidget *window)
        : QObject(window)
        , m_window(window)
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_window || !DeviceSession::blocksClose(m_window))
            return false;
        if (event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Escape)
                return true;
        }
        return false;
    }

private:
    QWidget *m_window;
};

} // namespace

DeviceSession::DeviceSession(QWidget *window, const QList<QWidget *> &buttons, const SessionOptions &options,
                             const SessionCallbacks &callbacks)
    : m_window(window)
    , m_options(options)
    , m_callbacks(callbacks)
{
    for (QWidget *b : buttons)
        m_buttons << QPointer<QWidget>(b);
    if (!m_guard) {
        m_outcome = Outcome::Refused;
        return;
    }
    g_current = this;
    if (!m_options.watchdog) {
        m_ownWatchdog = std::make_unique<QTimer>();
        m_ownWatchdog->setSingleShot(true);
        m_ownWatchdog->setTimerType(Qt::PreciseTimer);
        m_ownWatchdog->setInterval(m_options.watchdogMs >= 0 ? m_options.watchdogMs : linkTimings().vigilanteMs);
    }
}

DeviceSession::~DeviceSession()
{
    // Also on the way out of a thrown error: nothing may escape from here.
    try {
        finish();
    } catch (...) {
    }
    if (g_current == this)
        g_current = nullptr;
}

QWidget *DeviceSession::window() const
{
    return m_window.data();
}

SerialControl &DeviceSession::port()
{
    return MSComm1();
}

QTimer *DeviceSession::watchdog() const
{
    return m_options.watchdog ? m_options.watchdog : m_ownWatchdog.get();
}

DeviceSession *DeviceSession::current()
{
    return g_current;
}

bool DeviceSession::running()
{
    return Intercambio::enCurso();
}

bool DeviceSession::blocksClose(const QWidget *window)
{
    const DeviceSession *s = g_current;
    if (!s || !window || s->m_finished)
        return false;
    const QWidget *w = s->m_window.data();
    return w && (w == window || window->isAncestorOf(w));
}

QString DeviceSession::busyText()
{
    return TextoPropio("A device exchange is in progress.");
}

void DeviceSession::enter()
{
    m_entered = true;
    for (const QPointer<QWidget> &b : m_buttons) {
        // The button's own state, not the one it takes from a disabled parent.
        m_enabled << (b && !b->testAttribute(Qt::WA_ForceDisabled));
        if (b)
            b->setEnabled(false);
    }
    if (m_window) {
        m_hadCursor = m_window->testAttribute(Qt::WA_SetCursor);
        m_cursor = m_window->cursor();
        m_window->setCursor(m_options.cursor);
    }
    if (m_callbacks.busy)
        m_callbacks.busy(true);
}

bool DeviceSession::openPort()
{
    auto &m = modulo1();
    SerialControl &p = port();
    if (m.TipoConexion == 0) {
        if (!p.setCommPort(m.PuertoSerie) || !p.setSettings(QStringLiteral("19200,n,8,1")))
            return false;
    } else if (!p.PortOpen() && !p.setCommPort(m.PuertoSerie)) {
        return false;
    }
    return p.PortOpen() || p.setPortOpen(true);
}

void DeviceSession::reportPortFailure()
{
    SerialControl &p = port();
    const QString device = p.deviceName();
    QString text;
    if (p.openError() != QSerialPort::NoError) {
        text = TextoPropio("The port %1 cannot be opened: %2").arg(device, p.openErrorReason());
        if (p.openError() == QSerialPort::PermissionError) {
            QString group = ownerGroup(device);
            if (group.isEmpty())
                group = QStringLiteral("dialout");
            text += QLatin1String("\n\n") +
                    TextoPropio("The user must belong to the group that owns the device, %1 (on Debian, dialout), "
                                "and log in again.")
                        .arg(group);
        }
    } else {
        text = TextoPropio("The port %1 cannot be opened: %2").arg(device, p.errorString());
    }
    ui::MsgBox(text, ui::Icon::Critical, ui::OkOnly, m_window);
}

DeviceSession::Outcome DeviceSession::start()
{
    if (m_outcome != Outcome::Pending)
        return m_outcome;
    auto &m = modulo1();
    SerialControl &p = port();
    const bool cable = m.TipoConexion == 0;
    // A call kept up whose port closed since (the adapter or the line was lost
    // between two exchanges) is no call any more: prompt and dial again.
    if (!cable && m.ModemConectado && !p.PortOpen())
        m.ModemConectado = false;
    const bool callUp = !cable && m.ModemConectado;
    auto ask = [this](int texto) {
        if (m_callbacks.prompt)
            return m_callbacks.prompt(texto);
        return ui::MsgBox(oLocGuru().GetS(texto), ui::Icon::Information, ui::OkCancel, m_window) == ui::vbOK;
    };

    // 1. The connection prompt.
    if (cable) {
        if (!ask(15))
            return m_outcome = Outcome::Cancelled;
    } else if (!callUp) {
        p.setSettings(QString::number(m.VelocidadModem) + QStringLiteral(",n,8,1"));
        // A new sheet's telephone number is a blank.
        if (m_options.telefono.trimmed().isEmpty()) {
            ui::MsgBox(oLocGuru().GetS(34), ui::Icon::Critical, ui::OkOnly, m_window);
            return m_outcome = Outcome::NoTelephone;
        }
        if (!ask(33))
            return m_outcome = Outcome::Cancelled;
    }

    // 2. The window's state, then 3. the port and the dial.
    enter();
    if (!openPort()) {
        reportPortFailure();
        return m_outcome = Outcome::PortFailed;
    }
    if (!cable && !callUp) {
        m.CancelaLlamada = false;
        m_dialled = true;
        m_dial = dialModem(p, m.TonoPulso, m.PrefijoMarcacion, m_options.telefono,
                           [this, &m] { return m_cancel || m.CancelaLlamada; });
        if (!m_dial.connected()) {
            if (m_dial.outcome != DialResult::Refused)
                ui::MsgBox(oLocGuru().GetS(35), ui::Icon::Critical, ui::OkOnly, m_window);
            return m_outcome = Outcome::DialFailed;
        }
        m.ModemConectado = true;
    }

    // 4. The identification, 5. the device type.
    if (m_options.identify) {
        if (m_options.sendCan)
            sendCan();
        DemanaIdentificacio(p);
        m_identResult = receiveIdentification(p, m.BufferTrama, watchdog(), &m_identificacion,
                                              [this, &m] { return m_cancel || m.CancelaRecepcion; });
        if (const int texto = textoFallo(m_identResult))
            ui::MsgBox(oLocGuru().GetS(texto), ui::Icon::Critical, ui::OkOnly, m_window);
        if (m_identResult != FrameResult::Received)
            return m_outcome = Outcome::NotIdentified;
        m.TipoAparato = m_identificacion.tipo;
        m.VersionAparato = m_identificacion.version;
        m.NumeroSerieAparato = m_identificacion.numeroSerie;
        m.ModoAparato = m_identificacion.modo;
        if (m_options.checkType && !checkType(m_options.typeIcon))
            return m_outcome = Outcome::WrongType;
    }
    return m_outcome = Outcome::Ready;
}

bool DeviceSession::checkType(ui::Icon icon)
{
    const quint8 tipo = modulo1().TipoAparato;
    if (tipo == 42 || tipo == 4)
        return true;
    ui::MsgBox(oLocGuru().GetS(30), icon, ui::OkOnly, m_window);
    return false;
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

FrameResult DeviceSession::receive(int minLength)
{
    auto &m = modulo1();
    return receiveFrame(port(), m.BufferTrama, watchdog(), minLength,
                        [this, &m] { return m_cancel || m.CancelaRecepcion; });
}

bool DeviceSession::receiveOrReport(int minLength)
{
    const FrameResult r = receive(minLength);
    if (const int texto = textoFallo(r))
        ui::MsgBox(oLocGuru().GetS(texto), ui::Icon::Critical, ui::OkOnly, m_window);
    return r == FrameResult::Received;
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

void DeviceSession::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    if (!m_guard)
        return; // refused: it touched nothing
    if (m_entered) {
        if (m_callbacks.busy)
            m_callbacks.busy(false);
        for (qsizetype i = 0; i < m_buttons.size(); ++i) {
            if (m_buttons.at(i))
                m_buttons.at(i)->setEnabled(m_enabled.at(i));
        }
        if (m_window) {
            if (m_hadCursor)
                m_window->setCursor(m_cursor);
            else
                m_window->unsetCursor();
        }
    }
    auto &m = modulo1();
    SerialControl &p = port();
    if (!m.ModemConectado) {
        if (p.PortOpen())
            p.setPortOpen(false);
    } else if (!p.PortOpen()) {
        // The line was lost: there is no call left to keep or to hang up.
        m.ModemConectado = false;
    } else {
        const bool hangUp =
            m_callbacks.hangUp ? m_callbacks.hangUp()
                               : ui::MsgBox(oLocGuru().GetS(112), ui::Icon::Question, ui::YesNo, m_window) == ui::vbYes;
        if (hangUp) {
            p.hangUp();
            m.ModemConectado = false;
        }
    }
    m_cancel = false;
}

void protegeCierre(QWidget *window)
{
    if (window)
        window->installEventFilter(new CloseGuard(window));
}

} // namespace slx
