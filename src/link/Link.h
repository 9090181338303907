#pragma once
// The device link: the routines every device operation calls in order (port or
// modem call, identification, frames), over the serial control MSComm1().
//
// Waits that let window events run (the receive waits, the modem's answer wait)
// are local event loops woken by the serial control, a timer or the cancel flags;
// Espera lets none run. One wait at a time: a link routine called from a handler
// that runs inside another one's wait refuses at once (Refused, or false for a
// plain wait) and sends nothing, so a second exchange never starts inside the first.
//
// The watchdog handed to the receive routines is the calling window's QTimer; its
// expiry switches it off (single-shot, or stopped by its own timeout handler) and
// the link restarts it before every wait for a byte, so it is an inter-byte time-out.

#include "link/FrameReceiver.h"
#include "link/SerialControl.h"
#include "link/Trama.h"

#include <QString>
#include <functional>

class QTimer;

namespace slx {

// What one receive did. The receive routines return it and show nothing; the
// window that runs the exchange reports a failure (textoFallo) to the user.
enum class FrameResult {
    Received,  // the frame is in the buffer
    TimedOut,  // the watchdog expired at a byte wait
    LineLost,  // the port closed during the receive (a peer vanished, a cable pulled)
    BadCheck,  // the check byte differs from the XOR of the bytes before it
    BadLength, // a declared length outside 5..513; nothing stored past the length bytes
    TooShort,  // a frame shorter than the bytes its reader takes
    Malformed, // the frame arrived but a field its reader takes is not valid (a serial number that is not digits)
    Cancelled, // the caller's cancel flag (a Stop button cancelling the session)
    Refused,   // called inside another link wait: nothing read
};

// The catalogue text a receive failure is reported with: 31 for a time-out or a
// lost line, 62 for a bad frame, 0 for the rest (received, cancelled, refused).
int textoFallo(FrameResult result);

// What one modem dial did.
struct DialResult {
    enum Outcome {
        Connected,  // the modem answered "1"
        Failed,     // the modem answered another result code (in code)
        NoAnswer,   // nothing within the modem's answer time
        Cancelled,  // the caller's cancel flag (a Stop button cancelling the session)
        PortClosed, // the port was not open, or closed during the dial
        Refused,    // called inside another link wait: nothing sent
    };
    Outcome outcome = NoAnswer;
    QByteArray code; // the modem's answer as read (up to 100 bytes), empty when none
    bool connected() const { return outcome == Connected; }
};

// The device's answer to the identification.
struct Identificacion {
    quint8 tipo = 0;        // TipoAparato (42 and 4 are SLX-90s)
    QString version;        // VersionAparato, major "." minor
    qint32 numeroSerie = 0; // NumeroSerieAparato
    quint8 modo = 0;        // ModoAparato, 1 = programming mode
};

// A cancel test polled by the waits; empty = never cancelled.
using CancelTest = std::function<bool()>;

// Receives one frame into buffer from index 0 (FrameReceiver), restarting the
// watchdog before every wait for a byte (bytes the port already holds are taken
// without a wait). Without a watchdog, one of its own at the table's vigilanteMs.
// Shows nothing.
FrameResult receiveFrame(SerialControl &port, FrameReceiver::Buffer &buffer, QTimer *watchdog, int minLength = 5,
                         const CancelTest &cancelled = {});

// receiveFrame (at least 16 bytes), then reads the identification fields of the
// frame; *out is written only when Received. Shows nothing, stores nothing shared.
FrameResult receiveIdentification(SerialControl &port, FrameReceiver::Buffer &buffer, QTimer *watchdog,
                                  Identificacion *out, const CancelTest &cancelled = {});

// Dials through the modem on the open port, with its waits, showing nothing. Tone
// or pulse and the prefix are inputs; the cancel test is polled during the wait
// for the answer.
DialResult dialModem(SerialControl &port, quint8 tonoPulso, const QString &prefijo, const QString &telefono,
                     const CancelTest &cancelled = {});

// Blocks for n seconds of elapsed time, handling no window events. Output still
// queued is handed to the system first.
void Espera(qint16 segundos);

// Switches the timer off and on again, which restarts its interval.
void ReiniciaTimer(QTimer *timer);

// The dial string dialModem writes: "ATE0V0X0", "DT" (tone) or "DP", the
// trimmed prefix, ",", the number and a carriage return. Control characters of
// the prefix and of the number are left out.
QByteArray CadenaMarcacion(quint8 tonoPulso, const QString &prefijo, const QString &telefono);

// Waits 1 s, discards waiting input and sends the identification request
// 02 00 06 01 03 06.
void DemanaIdentificacio(SerialControl &port);

// Sending. A whole frame (trama()) is written one byte at a time in order, its
// check byte last; a control byte (ACK, CAN) is one byte on its own.
void EnviaTrama(SerialControl &port, QByteArrayView frame);
void EnviaControl(SerialControl &port, quint8 byte);

// Waits letting window events run until hecho() is true (true) or, with
// maxMs >= 0, until maxMs have passed (false). Refused (false at once) inside
// another link wait.
bool EsperaEventos(const std::function<bool()> &hecho, int maxMs = -1);
// Waits letting window events run while the timer is on (the pacing of a write).
bool EsperaTimer(QTimer *timer);

// True while a link wait runs (a handler called from inside it must not start
// another exchange).
bool EnEspera();

// One device exchange at a time. A handler that starts an exchange holds one for
// its duration; a second one taken meanwhile (a button pressed during a wait) is
// not active, and its handler returns at once.
class Intercambio {
public:
    Intercambio();
    ~Intercambio();
    Intercambio(const Intercambio &) = delete;
    Intercambio &operator=(const Intercambio &) = delete;
    explicit operator bool() const { return m_owner; }
    static bool enCurso();

private:
    bool m_owner = false;
};

} // namespace slx
