#pragma once
// One device exchange over the link, from the port to the end of the call. It knows
// no window and shows nothing: every step returns what happened.
//
// A window that talks to the device makes one DeviceSession per exchange, on the
// stack of the handler of the button that starts it, and hands it to a
// SessionGuard (widgets/SessionGuard.h), which asks the person, locks the window
// and reports what the session returns. The session holds the one-exchange guard
// for its whole life and offers, in this order:
//   1. prompt(): the connection question to ask before anything else is touched:
//      cable, text 15; modem without a call up, the port's settings become the
//      modem speed and ",n,8,1", then text 34 (a refusal, not a question) when the
//      telephone number is empty once trimmed, else text 33; with a call kept up,
//      none (a kept call whose port has closed since is no call: it is asked and
//      dialled again). A question not answered OK ends the exchange (decline());
//   2. open(): the port is opened (cable: "19200,n,8,1"; modem: the modem speed)
//      and the modem dialled (a call kept up skips both); optionally one CAN, then
//      the identification (request and answer), which it holds (identification();
//      the window's guard makes it the current device); optionally the device-type
//      check (42 or 4).
//      Ready, or what ended it, with failure() saying how to report it: text 35
//      for a dial, 31 or 62 for the identification, 30 for the type, the port's
//      path and the system's reason for a port that cannot be opened;
//   3. the exchange's own frames: sendRequest(), receive(), waitByte()...;
//   4. finish() (the destructor when it was not called): with no modem call up,
//      closes the port and returns false; with a call up, returns true: the window
//      asks text 112 and calls hangUp() with the answer (Yes closes the port and
//      ends the call, No keeps the call and the port for the next exchange).
//
// While a session lives, a second one is refused at once (outcome() Refused; it
// touches nothing, prompt() asks nothing, open() does nothing).
//
// The session runs with the link settings of its options (AjustesEnlace, a value:
// the port, cable or modem, the modem's speed, tone or pulse, the dial prefix) and
// the modem call kept from the exchange before; modemConectado() gives back whether
// a call is up, for the next exchange. It receives into a buffer of its own, whose
// frame receive() returns; typeAccepted() judges the identification the session
// holds. A window's cancel (a Stop button) calls cancel(): every wait of the
// session ends (a receive silently, Cancelled); it is the only cancel.

#include "base/AjustesEnlace.h"
#include "base/Resultado.h"
#include "link/Link.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <span>

class QTimer;

namespace slx {

struct SessionOptions {
    AjustesEnlace enlace;     // the link settings and the kept call (ajustesEnlace())
    QString telefono;         // the number dialled on the modem path
    bool sendCan = true;      // one CAN (0x18) before the identification
    bool identify = true;     // the identification (request and answer)
    bool checkType = true;    // refuse (WrongType) when the type is neither 42 nor 4
    QTimer *watchdog = nullptr; // the window's watchdog; else one of the session's own
    int watchdogMs = -1;      // interval of the session's own watchdog; -1 = vigilanteMs
};

// One frame received.
struct ReceivedFrame {
    FrameResult result = FrameResult::Refused;
    QByteArray bytes; // the whole frame, STX to check byte, when received; else empty
    bool received() const { return result == FrameResult::Received; }
    // The catalogue text a failure is reported with (textoFallo): 0 for none.
    int texto() const { return textoFallo(result); }
    std::span<const quint8> span() const
    {
        return {reinterpret_cast<const quint8 *>(bytes.constData()), static_cast<std::size_t>(bytes.size())};
    }
};

// One unframed byte waited for (the device's answer to a programming write).
struct ByteResult {
    enum Outcome { Byte, TimedOut, LineLost, Cancelled, Refused };
    Outcome outcome = TimedOut;
    quint8 byte = 0;
};

class DeviceSession {
public:
    enum class Outcome {
        Pending,       // open() not called yet
        Ready,         // identified (and type checked): the exchange may go on
        Refused,       // another exchange runs: nothing was done
        Cancelled,     // the prompt was not answered OK
        NoTelephone,   // modem without a call and no telephone number (text 34)
        PortFailed,    // the port could not be opened (path and reason)
        DialFailed,    // the dial failed (text 35); dial() holds the modem's code
        NotIdentified, // the identification answer failed (31 or 62, or cancelled)
        WrongType,     // the type is neither 42 nor 4 (text 30)
    };

    // The connection question of step 1.
    struct Prompt {
        enum Kind {
            None,   // nothing to ask: go on with open()
            Ask,    // ask texto with OK and Cancel; anything but OK: decline()
            Refuse, // show texto and stop: decline()
        };
        Kind kind = None;
        int texto = 0;
    };

    // How a failed step is reported: a catalogue text, or a text of its own (a port
    // that cannot be opened). Both empty when there is nothing to show (cancelled,
    // refused).
    using Failure = Fallo;

    explicit DeviceSession(const SessionOptions &options = {});
    ~DeviceSession();
    DeviceSession(const DeviceSession &) = delete;
    DeviceSession &operator=(const DeviceSession &) = delete;

    // Step 1. None for a refused session.
    Prompt prompt();
    // The question was not answered OK (Cancelled), or the refusal was shown
    // (NoTelephone): the exchange ends there.
    void decline();
    // Step 2; Ready when the exchange may go on. Once decided, the same outcome.
    Outcome open();
    Outcome outcome() const { return m_outcome; }
    // False for a session refused because another exchange runs.
    bool holdsExchange() const { return bool(m_guard); }
    bool ready() const { return m_outcome == Outcome::Ready; }
    // What to report for the outcome (empty for Ready, Refused, Cancelled and an
    // identification cancelled by Stop).
    Failure failure() const;
    // The identification of open() (valid when identified()).
    const Identificacion &identification() const { return m_identificacion; }
    // Whether open() received the identification.
    bool identified() const { return m_identified; }
    // Whether a modem call is up (handed in by the options, then as the session
    // dialled, lost or hung up): the next exchange's options take it.
    bool modemConectado() const { return m_modemConectado; }
    // The dial of open() (valid when it dialled).
    const DialResult &dial() const { return m_dial; }
    // Whether open() dialled (a modem call was made by this session).
    bool dialled() const { return m_dialled; }
    // The receive result of the identification (NotIdentified).
    FrameResult identificationResult() const { return m_identResult; }
    // Whether the identified type is one of the SLX-90's (42 or 4).
    bool typeAccepted() const;

    // On the open session. Sending: a whole request frame (trama()); one byte;
    // ACK; CAN.
    void sendRequest(QByteArrayView frame);
    void sendByte(quint8 byte);
    void sendAck() { sendByte(ACK); }
    void sendCan() { sendByte(CAN); }
    // Sends a whole frame one byte each msPerByte (a precise timer, window events
    // running) up to its ETX, then the check byte at once. False when the port was
    // lost or the session cancelled on the way (the rest is not sent).
    bool sendPaced(QByteArrayView frame, int msPerByte);

    // One frame into the session's buffer with the watchdog, returned.
    ReceivedFrame receive(int minLength = 5);
    // Waits for one unframed byte (window events running) up to maxMs.
    ByteResult waitByte(int maxMs);

    // Ends the session's waits (Stop). Cleared by finish().
    void cancel();
    bool cancelled() const { return m_cancel; }

    // Step 4; runs once. True when a modem call is up and the window must ask
    // whether to hang up (then hangUp()).
    bool finish();
    bool finished() const { return m_finished; }
    // The answer to the hang-up question: true closes the port and ends the call
    // (modemConectado() false); false keeps the call.
    void hangUp(bool yes);

    SerialControl &port();
    QTimer *watchdog() const;

    // True while a device exchange runs.
    static bool running();
    // The message the main window's commands refuse with while an exchange runs.
    static QString busyText();

private:
    bool openPort();
    QString portFailureText();

    Intercambio m_guard;
    SessionOptions m_options;
    std::unique_ptr<QTimer> m_ownWatchdog;
    Outcome m_outcome = Outcome::Pending;
    Identificacion m_identificacion;
    FrameReceiver::Buffer m_buffer{}; // the frame being received, from 0
    DialResult m_dial;
    FrameResult m_identResult = FrameResult::Received;
    QString m_portFailure;
    Prompt m_prompt;
    bool m_modemConectado = false;
    bool m_identified = false;
    bool m_dialled = false;
    bool m_cancel = false;
    bool m_finished = false;
};

} // namespace slx
