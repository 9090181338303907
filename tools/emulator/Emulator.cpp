#include "Emulator.h"

#include "Commands.h"
#include "DeviceFrame.h"
#include "DeviceRecords.h"
#include "Pty.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <deque>
#include <unistd.h>

namespace slxemu {

QString LogEntry::text() const
{
    const QString t = QStringLiteral("%1 %2").arg(clock).arg(ms / 1000.0, 9, 'f', 3);
    switch (kind) {
    case FromPc:
        return QStringLiteral("%1 PC->SLX %2").arg(t, QString::number(byte, 16).rightJustified(2, u'0').toUpper());
    case ToPc:
        return QStringLiteral("%1 SLX->PC %2").arg(t, QString::number(byte, 16).rightJustified(2, u'0').toUpper());
    case Note: break;
    }
    return QStringLiteral("%1 ------- %2").arg(t, note);
}

struct Emulator::Shared {
    mutable QMutex mutex;
    Scenario scenario;
    qint64 clockSetMs = 0; // `clock` elapsed when the scenario's clock was set
    QList<QByteArray> writes;
    bool keepHistory = true;
    FaultPlan fault;
    ModemConfig modem;
    QHash<quint8, CommandHandler> commands;
    QVariantHash memory;
    QByteArray received, sent;
    QList<QByteArray> frames, modemLines;
    QList<LogEntry> log;
    std::function<void(const QString &)> sink;
    bool online = false;
    QElapsedTimer clock;
    QString slave;
};

class Emulator::Worker : public QObject, public Session {
public:
    explicit Worker(std::shared_ptr<Shared> shared)
        : m_shared(std::move(shared))
    {
    }

    bool begin(QString *error)
    {
        if (!m_pty.open(error))
            return false;
        {
            QMutexLocker lock(&m_shared->mutex);
            m_shared->slave = m_pty.slavePath();
            m_modem = m_shared->modem;
        }
        m_echo = m_modem.echo;
        m_notifier = new QSocketNotifier(m_pty.masterFd(), QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, [this] { readMaster(); });
        m_sendTimer = new QTimer(this);
        m_sendTimer->setSingleShot(true);
        connect(m_sendTimer, &QTimer::timeout, this, [this] { pump(); });
        m_hupTimer = new QTimer(this);
        m_hupTimer->setInterval(50);
        connect(m_hupTimer, &QTimer::timeout, this, [this] {
            if (!m_pty.slaveClosed()) {
                m_hupTimer->stop();
                note(QStringLiteral("port opened"));
                m_notifier->setEnabled(true);
            }
        });
        m_dialTimer = new QTimer(this);
        m_dialTimer->setSingleShot(true);
        connect(m_dialTimer, &QTimer::timeout, this, [this] { dialAnswer(); });
        m_escapeTimer = new QTimer(this);
        m_escapeTimer->setSingleShot(true);
        connect(m_escapeTimer, &QTimer::timeout, this, [this] { escape(); });
        note(QStringLiteral("listening on %1").arg(m_pty.slavePath()));
        return true;
    }

    void end()
    {
        delete m_notifier;
        m_notifier = nullptr;
        m_pty.close();
        m_queue.clear();
        note(QStringLiteral("closed"));
    }

    // Session
    void sendFrame(quint8 command, const QByteArray &data) override
    {
        QByteArray frame = encodeFrame(command, data);
        const FaultPlan plan = takeFault();
        const int at = qBound(0, plan.at, int(frame.size()));
        switch (plan.kind) {
        case Fault::None: sendBytes(frame); break;
        case Fault::NoiseBeforeStx:
            note(QStringLiteral("fault: noise before STX"));
            sendBytes(plan.noise + frame);
            break;
        case Fault::WrongCheck:
            note(QStringLiteral("fault: wrong check byte"));
            frame[frame.size() - 1] = char(~quint8(frame.back()));
            sendBytes(frame);
            break;
        case Fault::Silence: note(QStringLiteral("fault: silence")); break;
        case Fault::PauseMidFrame:
            note(QStringLiteral("fault: pause of %1 ms after %2 bytes").arg(plan.pauseMs).arg(at));
            sendBytes(frame.left(at));
            sendBytes(frame.mid(at), plan.pauseMs);
            break;
        case Fault::Truncated:
            note(QStringLiteral("fault: frame cut after %1 bytes").arg(at));
            sendBytes(frame.left(at));
            break;
        case Fault::LengthOutOfRange:
            note(QStringLiteral("fault: declared length %1").arg(plan.length));
            frame[1] = char(plan.length >> 8);
            frame[2] = char(plan.length & 0xFF);
            frame[frame.size() - 1] = char(xorOf(frame.left(frame.size() - 1)));
            sendBytes(frame);
            break;
        }
    }

    void sendAnswerByte(quint8 byte) override
    {
        const FaultPlan plan = takeFault();
        const QByteArray b(1, char(byte));
        switch (plan.kind) {
        case Fault::None:
        case Fault::LengthOutOfRange: sendBytes(b); break;
        case Fault::NoiseBeforeStx:
            note(QStringLiteral("fault: noise before the answer"));
            sendBytes(plan.noise + b);
            break;
        case Fault::WrongCheck:
            note(QStringLiteral("fault: answer byte inverted"));
            sendBytes(QByteArray(1, char(~byte)));
            break;
        case Fault::PauseMidFrame:
            note(QStringLiteral("fault: pause of %1 ms before the answer").arg(plan.pauseMs));
            sendBytes(b, plan.pauseMs);
            break;
        case Fault::Silence:
        case Fault::Truncated: note(QStringLiteral("fault: no answer")); break;
        }
    }

    void sendBytes(const QByteArray &bytes, int delayMs = 0) override
    {
        if (bytes.isEmpty() && delayMs <= 0)
            return;
        m_queue.push_back({bytes, delayMs, false});
        if (!m_sendTimer->isActive())
            pump();
    }

    void awaitControl(std::function<void(Session &, quint8)> next) override { m_control = std::move(next); }

    Identity identity() const override
    {
        QMutexLocker lock(&m_shared->mutex);
        return m_shared->scenario.identity;
    }

    Scenario scenario() const override
    {
        QMutexLocker lock(&m_shared->mutex);
        return m_shared->scenario;
    }

    void setProgramming(const QByteArray &block) override
    {
        QMutexLocker lock(&m_shared->mutex);
        m_shared->scenario.programming.replace(0, qMin(block.size(), qsizetype(kProgrammingBlockSize)),
                                               block.left(kProgrammingBlockSize));
    }

    QDateTime clock() const override
    {
        QMutexLocker lock(&m_shared->mutex);
        if (!m_shared->scenario.clock.isValid())
            return QDateTime::currentDateTime();
        return m_shared->scenario.clock.addMSecs(m_shared->clock.elapsed() - m_shared->clockSetMs);
    }

    void setClock(const QDateTime &t) override
    {
        QMutexLocker lock(&m_shared->mutex);
        m_shared->scenario.clock = t;
        m_shared->clockSetMs = m_shared->clock.elapsed();
    }

    void keepWrite(const QByteArray &frame) override
    {
        QMutexLocker lock(&m_shared->mutex);
        m_shared->writes.append(frame);
    }

    QVariant memory(const QString &key) const override
    {
        QMutexLocker lock(&m_shared->mutex);
        return m_shared->memory.value(key);
    }

    void setMemory(const QString &key, const QVariant &value) override
    {
        QMutexLocker lock(&m_shared->mutex);
        m_shared->memory.insert(key, value);
    }

    void note(const QString &text) override { log(LogEntry::Note, 0, text); }

    void raw(const QList<QByteArray> &chunks, int pauseMs)
    {
        for (int i = 0; i < chunks.size(); ++i)
            sendBytes(chunks[i], i == 0 ? 0 : pauseMs);
    }

    void reloadModem()
    {
        QMutexLocker lock(&m_shared->mutex);
        m_modem = m_shared->modem;
        m_echo = m_modem.echo;
    }

private:
    struct Chunk {
        QByteArray bytes;
        int delayMs;
        bool waited;
    };
    enum class ModemState { Command, Dialling, Online };

    // The fault plan that applies to the next answer of the request being answered.
    FaultPlan takeFault()
    {
        ++m_answerIndex;
        QMutexLocker lock(&m_shared->mutex);
        FaultPlan &f = m_shared->fault;
        if (f.kind == Fault::None || f.count == 0)
            return {};
        if ((f.command != 0 && f.command != m_requestCommand) || (f.frame != 0 && f.frame != m_answerIndex))
            return {};
        FaultPlan plan = f;
        if (f.count > 0 && --f.count == 0)
            f.kind = Fault::None;
        return plan;
    }

    void log(LogEntry::Kind kind, quint8 byte, const QString &text = QString())
    {
        LogEntry e;
        std::function<void(const QString &)> sink;
        {
            QMutexLocker lock(&m_shared->mutex);
            sink = m_shared->sink;
            const bool keep = m_shared->keepHistory;
            if (!keep && !sink)
                return;
            e.ms = m_shared->clock.elapsed();
            if (e.ms != m_clockMs) { // one reading of the wall clock per millisecond
                m_clockMs = e.ms;
                m_clockText = QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz"));
            }
            e.clock = m_clockText;
            e.kind = kind;
            e.byte = byte;
            e.note = text;
            if (keep) {
                if (kind == LogEntry::FromPc)
                    m_shared->received.append(char(byte));
                else if (kind == LogEntry::ToPc)
                    m_shared->sent.append(char(byte));
                m_shared->log.append(e);
            }
        }
        if (sink)
            sink(e.text());
    }

    void pump()
    {
        while (!m_queue.empty()) {
            Chunk &c = m_queue.front();
            if (c.delayMs > 0 && !c.waited) {
                c.waited = true;
                m_sendTimer->start(c.delayMs);
                return;
            }
            if (m_pty.masterFd() < 0) {
                m_queue.clear();
                return;
            }
            while (!c.bytes.isEmpty()) {
                const ssize_t n = ::write(m_pty.masterFd(), c.bytes.constData(), size_t(c.bytes.size()));
                if (n <= 0) {
                    // The line's buffer is full: try again shortly.
                    c.delayMs = 5;
                    c.waited = true;
                    m_sendTimer->start(5);
                    return;
                }
                for (ssize_t i = 0; i < n; ++i)
                    log(LogEntry::ToPc, quint8(c.bytes.at(i)));
                c.bytes.remove(0, n);
            }
            m_queue.pop_front();
        }
    }

    void readMaster()
    {
        char buf[512];
        const ssize_t n = ::read(m_pty.masterFd(), buf, sizeof buf);
        if (n < 0 && errno == EAGAIN)
            return;
        if (n <= 0) {
            // The program closed its port: the modem drops the call and the device
            // waits for the next connection.
            m_notifier->setEnabled(false);
            m_hupTimer->start();
            lineClosed();
            return;
        }
        for (ssize_t i = 0; i < n; ++i)
            byteFromPc(quint8(buf[i]));
    }

    void lineClosed()
    {
        note(QStringLiteral("port closed"));
        m_parser.reset();
        m_control = nullptr;
        if (m_modem.enabled && m_modemState != ModemState::Command) {
            note(QStringLiteral("modem: call dropped"));
            m_dialTimer->stop();
            m_escapeTimer->stop();
            setOnline(ModemState::Command);
        }
        m_echo = m_modem.echo;
        m_line.clear();
    }

    void setOnline(ModemState s)
    {
        m_modemState = s;
        QMutexLocker lock(&m_shared->mutex);
        m_shared->online = s == ModemState::Online;
    }

    void byteFromPc(quint8 b)
    {
        const qint64 now = m_shared->clock.elapsed();
        const qint64 silence = now - m_lastRx;
        m_lastRx = now;
        log(LogEntry::FromPc, b);
        if (!m_modem.enabled) {
            device(b);
            return;
        }
        switch (m_modemState) {
        case ModemState::Command: command(b); break;
        case ModemState::Dialling: break; // the modem is busy dialling
        case ModemState::Online:
            if (b == '+' && (m_plus > 0 || silence >= m_modem.guardMs) && m_plus < 3) {
                ++m_plus;
                m_escapeTimer->stop();
                if (m_plus == 3)
                    m_escapeTimer->start(m_modem.guardMs);
                return;
            }
            flushPlus();
            device(b);
            break;
        }
    }

    void flushPlus()
    {
        m_escapeTimer->stop();
        const int held = m_plus;
        m_plus = 0;
        for (int i = 0; i < held; ++i)
            device('+');
    }

    void escape()
    {
        m_plus = 0;
        note(QStringLiteral("modem: escape to command mode"));
        setOnline(ModemState::Command);
        sendBytes(m_verbose ? QByteArray("\r\nOK\r\n") : QByteArray("0\r"));
    }

    void command(quint8 b)
    {
        if (m_echo)
            sendBytes(QByteArray(1, char(b)));
        if (b != '\r') {
            if (b != '\n' && m_line.size() < 256)
                m_line.append(char(b));
            return;
        }
        const int at = m_line.toUpper().indexOf("AT");
        QByteArray line = at < 0 ? QByteArray() : m_line.mid(at);
        m_line.clear();
        if (line.isEmpty())
            return;
        {
            QMutexLocker lock(&m_shared->mutex);
            m_shared->modemLines.append(line + '\r');
        }
        note(QStringLiteral("modem: %1").arg(QString::fromLatin1(line)));
        bool dial = false;
        for (int i = 2; i < line.size();) {
            const char c = char(QChar::toUpper(char16_t(line[i])));
            ++i;
            if (c == 'D') {
                dial = true;
                break;
            }
            int value = 0;
            while (i < line.size() && line[i] >= '0' && line[i] <= '9')
                value = value * 10 + (line[i++] - '0');
            if (c == 'E')
                m_echo = value != 0;
            else if (c == 'V')
                m_verbose = value != 0;
        }
        if (!dial) {
            sendBytes(m_verbose ? QByteArray("\r\nOK\r\n") : QByteArray("0\r"));
            return;
        }
        setOnline(ModemState::Dialling);
        if (!m_modem.result.isEmpty())
            m_dialTimer->start(m_modem.connectDelayMs);
    }

    void dialAnswer()
    {
        const bool connected = m_modem.result == "1";
        if (m_verbose)
            sendBytes(connected ? QByteArray("\r\nCONNECT 19200\r\n") : QByteArray("\r\nNO CARRIER\r\n"));
        else
            sendBytes(m_modem.result + '\r');
        note(connected ? QStringLiteral("modem: connected") : QStringLiteral("modem: dial failed"));
        setOnline(connected ? ModemState::Online : ModemState::Command);
        m_parser.reset();
    }

    void device(quint8 b)
    {
        switch (m_parser.feed(b)) {
        case RequestParser::Event::None: return;
        case RequestParser::Event::BadFrame: note(QStringLiteral("request refused (length or check byte)")); return;
        case RequestParser::Event::Control:
            if (m_control) {
                auto next = std::move(m_control);
                m_control = nullptr;
                next(*this, b);
            } else if (b == kCan) {
                m_queue.clear();
                m_sendTimer->stop();
            }
            return;
        case RequestParser::Event::Frame: break;
        }
        const QByteArray frame = m_parser.frame();
        const quint8 code = quint8(frame[3]);
        CommandHandler handler;
        {
            QMutexLocker lock(&m_shared->mutex);
            if (m_shared->keepHistory)
                m_shared->frames.append(frame);
            handler = m_shared->commands.value(code);
        }
        m_control = nullptr;
        m_requestCommand = code;
        m_answerIndex = 0;
        if (!handler) {
            note(QStringLiteral("unknown command %1").arg(code));
            return;
        }
        handler(*this, code, frame.mid(4, frame.size() - 6), frame);
    }

    std::shared_ptr<Shared> m_shared;
    Pty m_pty;
    QSocketNotifier *m_notifier = nullptr;
    QTimer *m_sendTimer = nullptr;
    QTimer *m_hupTimer = nullptr;
    QTimer *m_dialTimer = nullptr;
    QTimer *m_escapeTimer = nullptr;
    std::deque<Chunk> m_queue;
    RequestParser m_parser;
    std::function<void(Session &, quint8)> m_control;
    ModemConfig m_modem;
    ModemState m_modemState = ModemState::Command;
    bool m_echo = true;
    bool m_verbose = true;
    int m_plus = 0;
    qint64 m_lastRx = -1000000;
    QByteArray m_line;
    qint64 m_clockMs = -1;
    QString m_clockText;
    int m_requestCommand = 0;
    int m_answerIndex = 0;
};

Emulator::Emulator()
    : m_shared(std::make_shared<Shared>())
{
    for (const auto &c : defaultCommands())
        m_shared->commands.insert(c.code, c.handler);
    m_shared->clock.start();
}

Emulator::~Emulator()
{
    stop();
}

bool Emulator::start(QString *error)
{
    if (m_thread)
        return true;
    m_thread = std::make_unique<QThread>();
    m_worker = new Worker(m_shared);
    m_worker->moveToThread(m_thread.get());
    QObject::connect(m_thread.get(), &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread->start();
    bool ok = false;
    QString why;
    QMetaObject::invokeMethod(
        m_worker, [&] { ok = m_worker->begin(&why); }, Qt::BlockingQueuedConnection);
    if (!ok) {
        if (error)
            *error = why;
        stop();
    }
    return ok;
}

void Emulator::stop()
{
    if (!m_thread)
        return;
    QMetaObject::invokeMethod(
        m_worker, [w = m_worker] { w->end(); }, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    m_thread.reset();
    m_worker = nullptr;
    QMutexLocker lock(&m_shared->mutex);
    m_shared->online = false;
}

bool Emulator::running() const
{
    return m_thread != nullptr;
}

QString Emulator::slavePath() const
{
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->slave;
}

bool Emulator::makeLink(const QString &path, QString *error)
{
    const QByteArray target = slavePath().toLocal8Bit();
    const QByteArray link = QFile::encodeName(path);
    if (QFileInfo(path).isSymLink())
        ::unlink(link.constData());
    if (::symlink(target.constData(), link.constData()) != 0) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    return true;
}

void Emulator::setScenario(const Scenario &scenario)
{
    QMutexLocker lock(&m_shared->mutex);
    m_shared->scenario = scenario;
    m_shared->clockSetMs = m_shared->clock.elapsed();
}

Scenario Emulator::scenario() const
{
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->scenario;
}

void Emulator::setIdentity(const Identity &identity)
{
    QMutexLocker lock(&m_shared->mutex);
    m_shared->scenario.identity = identity;
}

Identity Emulator::identity() const
{
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->scenario.identity;
}

QByteArray Emulator::programming() const
{
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->scenario.programming;
}

QList<QByteArray> Emulator::writes() const
{
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->writes;
}

void Emulator::setFault(const FaultPlan &plan)
{
    QMutexLocker lock(&m_shared->mutex);
    m_shared->fault = plan;
}

void Emulator::setModem(const ModemConfig &config)
{
    {
        QMutexLocker lock(&m_shared->mutex);
        m_shared->modem = config;
    }
    if (m_worker)
        QMetaObject::invokeMethod(
            m_worker, [w = m_worker] { w->reloadModem(); }, Qt::BlockingQueuedConnection);
}

void Emulator::setCommand(quint8 code, CommandHandler handler)
{
    QMutexLocker lock(&m_shared->mutex);
    m_shared->commands.insert(code, std::move(handler));
}

void Emulator::sendRaw(const QList<QByteArray> &chunks, int pauseMs)
{
    if (m_worker)
        QMetaObject::invokeMethod(m_worker, [w = m_worker, chunks, pauseMs] { w->raw(chunks, pauseMs); });
}

QByteArray Emulator::received() const
{
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->received;
}

QByteArray Emulator::sent() const
{
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->sent;
}

QList<QByteArray> Emulator::frames() const
{
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->frames;
}

QList<QByteArray> Emulator::modemLines() const
{
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->modemLines;
}

bool Emulator::online() const
{
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->online;
}

QList<LogEntry> Emulator::log() const
{
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->log;
}

void Emulator::clear()
{
    QMutexLocker lock(&m_shared->mutex);
    m_shared->received.clear();
    m_shared->sent.clear();
    m_shared->frames.clear();
    m_shared->modemLines.clear();
    m_shared->writes.clear();
    m_shared->log.clear();
}

void Emulator::setMemory(const QString &key, const QVariant &value)
{
    QMutexLocker lock(&m_shared->mutex);
    m_shared->memory.insert(key, value);
}

QVariant Emulator::memory(const QString &key) const
{
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->memory.value(key);
}

void Emulator::setKeepHistory(bool keep)
{
    QMutexLocker lock(&m_shared->mutex);
    m_shared->keepHistory = keep;
}

void Emulator::setLogSink(std::function<void(const QString &)> sink)
{
    QMutexLocker lock(&m_shared->mutex);
    m_shared->sink = std::move(sink);
}

} // namespace slxemu
