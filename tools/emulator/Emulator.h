#pragma once
// The SLX-90 device emulator: plays the device's side of the link on the master
// side of a pseudo-terminal, in a thread of its own, so that it answers while the
// program blocks in a wait. The program opens the slave side (slavePath()) as its
// serial port.
//
// It answers every command of the protocol from a scenario (Scenario.h: identity,
// programming, totals, event dates, logged records, real-time values, clock), can
// sit behind a Hayes-command modem ("+++", the dial string, a result code), and
// injects faults into its answers. Every byte both ways is logged with its time.
// Commands are dispatched through a table: setCommand() adds or replaces one.

#include "Scenario.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

class QThread;

namespace slxemu {

enum class Fault {
    None,
    NoiseBeforeStx,   // the noise bytes, then the frame
    WrongCheck,       // the check byte inverted
    Silence,          // no answer at all
    PauseMidFrame,    // `at` bytes, a pause of pauseMs, then the rest
    Truncated,        // only the first `at` bytes
    LengthOutOfRange, // the declared length replaced by `length` (check byte kept consistent)
};

struct FaultPlan {
    Fault kind = Fault::None;
    int count = 1; // answers it applies to; -1 = all of them
    QByteArray noise = QByteArray("\x55\xAA\x00\xFF\x13\x03", 6);
    int at = 6;
    int pauseMs = 6000;
    quint16 length = 0xFFFF;
    // Only the answers to this request command (0 = any command) ...
    int command = 0;
    // ... and among them only the frame-th answer since the request (1 = the first
    // frame, 3 = the third record of a transfer; 0 = every answer).
    int frame = 0;
};

struct ModemConfig {
    bool enabled = false;
    QByteArray result = "1"; // numeric result code of the dial; empty = the modem never answers
    int connectDelayMs = 2000;
    bool echo = true;   // command echo until E0
    int guardMs = 1000; // silence before "+++" and after it
};

struct LogEntry {
    enum Kind { FromPc, ToPc, Note };
    qint64 ms = 0; // since start()
    QString clock; // wall-clock time "hh:mm:ss.zzz"
    Kind kind = Note;
    quint8 byte = 0;
    QString note;
    QString text() const;
};

// What a command handler may do; valid only inside the handler or its
// continuations (the emulator's thread).
class Session {
public:
    virtual ~Session() = default;
    // A frame answer: framed here, then faults applied.
    virtual void sendFrame(quint8 command, const QByteArray &data) = 0;
    // A one-byte answer outside any frame (the write's ACK or NAK), faults applied.
    virtual void sendAnswerByte(quint8 byte) = 0;
    // Raw bytes, after delayMs.
    virtual void sendBytes(const QByteArray &bytes, int delayMs = 0) = 0;
    // The next control byte from the PC (ACK 0x06, CAN 0x18, ...) goes to next.
    virtual void awaitControl(std::function<void(Session &, quint8)> next) = 0;
    virtual Identity identity() const = 0;
    // A copy of the device's content as it is now.
    virtual Scenario scenario() const = 0;
    // A programming written by the PC: the block replaces the device's.
    virtual void setProgramming(const QByteArray &block) = 0;
    // The device's clock (a write sets it to the PC's).
    virtual QDateTime clock() const = 0;
    virtual void setClock(const QDateTime &t) = 0;
    // Keeps a write frame received, for the tests.
    virtual void keepWrite(const QByteArray &frame) = 0;
    // The device's memory, shared by every command (a programming written, the
    // logs to download...); tests fill and read it with Emulator::setMemory/memory.
    virtual QVariant memory(const QString &key) const = 0;
    virtual void setMemory(const QString &key, const QVariant &value) = 0;
    virtual void note(const QString &text) = 0;
};

// command code, the request's data (between command and ETX), the whole request.
using CommandHandler = std::function<void(Session &, quint8 command, const QByteArray &data, const QByteArray &frame)>;

class Emulator {
public:
    Emulator();
    ~Emulator();
    Emulator(const Emulator &) = delete;
    Emulator &operator=(const Emulator &) = delete;

    // Opens the pseudo-terminal and starts answering.
    bool start(QString *error = nullptr);
    // Closes the pseudo-terminal: the program sees its peer vanish.
    void stop();
    bool running() const;
    QString slavePath() const;
    // A symbolic link to the slave side (replacing an old link of that name).
    bool makeLink(const QString &path, QString *error = nullptr);

    // The device's whole content; the identity is part of it.
    void setScenario(const Scenario &scenario);
    Scenario scenario() const;
    void setIdentity(const Identity &identity);
    Identity identity() const;
    // The programming block the device holds now (365 bytes; the last is sent from firmware 4.0).
    QByteArray programming() const;
    // The write frames (command 0x08) received, whole, accepted or not.
    QList<QByteArray> writes() const;
    void setFault(const FaultPlan &plan);
    void setModem(const ModemConfig &config);
    // Adds or replaces the handler of a command (the defaults: Commands.h).
    void setCommand(quint8 code, CommandHandler handler);
    void setMemory(const QString &key, const QVariant &value);
    QVariant memory(const QString &key) const;
    // Unsolicited bytes, one chunk per element, with pauseMs before each chunk after the first.
    void sendRaw(const QList<QByteArray> &chunks, int pauseMs = 0);

    // What the PC sent and what the device sent, byte for byte.
    QByteArray received() const;
    QByteArray sent() const;
    // The request frames received, whole.
    QList<QByteArray> frames() const;
    // The modem command lines received, from "AT" to the carriage return.
    QList<QByteArray> modemLines() const;
    bool online() const;
    QList<LogEntry> log() const;
    void clear();

    // Whether received(), sent(), frames() and log() keep what passes (on by default;
    // a long run, such as a download of 100,000 records, turns it off).
    void setKeepHistory(bool keep);
    // Called with each log line as it happens (in the emulator's thread).
    void setLogSink(std::function<void(const QString &)> sink);

    struct Shared;
    class Worker;

private:
    std::shared_ptr<Shared> m_shared;
    std::unique_ptr<QThread> m_thread;
    Worker *m_worker = nullptr;
};

} // namespace slxemu
