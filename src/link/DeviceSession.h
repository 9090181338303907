#pragma once
// One device exchange, from the connection prompt to the end of the link.
//
// A window that talks to the device makes one DeviceSession per exchange, on the
// stack of the handler of the button that starts it. The session holds the
// one-exchange guard for its whole life and, in start(), does in this order:
//   1. the connection prompt: cable, text 15; modem without a call up, the port's
//      settings become the modem speed and ",n,8,1", then text 34 (critical) when
//      the telephone number is empty once trimmed, else text 33; with a call kept
//      up, no prompt (a kept call whose port has closed since is no call: it is
//      prompted and dialled again). Anything but OK ends the exchange: nothing else
//      is touched;
//   2. the window's buttons are disabled (their states saved), the window's
//      cursor becomes options.cursor (the hourglass), the busy callback is called
//      with true;
//   3. the port is opened (cable: "19200,n,8,1"; modem: the modem speed) and the
//      modem is dialled; a call kept up skips both;
//   4. optionally one CAN, then the identification (request and answer), stored
//      in TipoAparato, VersionAparato, NumeroSerieAparato and ModoAparato;
//   5. optionally the device-type check (text 30 unless the type is 42 or 4).
// Failures on the way are reported as the link reports them (31 or 62 for a
// receive, 35 for a dial, 30 for the type, the port and the system's reason for a
// port that cannot be opened) and start() returns what ended it.
//
// finish(), or the destructor when finish() was not called (failure, cancel, a
// thrown error), puts back what the window handed over: the busy callback with
// false, the buttons' enabled states as they were (restored, never inverted), the
// cursor; then, with no modem call up, closes the port; with a call up, asks text
// 112 (the hang-up callback): Yes closes the port and clears ModemConectado, No
// keeps the call and the port for the next exchange.
//
// While a session runs, a second one refuses at once (start() returns Refused and
// touches nothing), and its window cannot be closed: protegeCierre() installs the
// refusal on a window's frame and Escape; its Exit handler asks blocksClose().
//
// The session stands in for the link steps of the device windows' handlers: it
// reads the link settings of Modulo1 (TipoConexion, VelocidadModem, PuertoSerie,
// TonoPulso, PrefijoMarcacion, ModemConectado), writes ModemConectado and the
// identification, and receives into BufferTrama, where the callers parse answers.
//
// Example, a receive of the programming:
//
//     void Form2::SSCommandRecibir_Click()
//     {
//         SessionOptions o;
//         o.telefono = MaskTelefono->text();
//         o.watchdog = Timer2;
//         DeviceSession s(this, {SSCommandAnterior, SSCommandBorrar, SSCommandBuscar, ...}, o);
//         if (s.start() != DeviceSession::Outcome::Ready)
//             return;                             // the destructor restores and closes
//         s.sendRequest(trama(0x04));
//         if (!s.receiveOrReport()) {           // 31 or 62 shown; Cancelled shows nothing
//             return;
//         }
//         ... decode modulo1().BufferTrama ...
//         s.finish();                             // restore, close or ask 112, here
//         ... show the comparison ...
//     }
//
// A window's cancel (a Stop button) calls cancel(): every wait of the session ends
// (the receive silently with Cancelled). The waits also honour CancelaRecepcion
// (receives) and CancelaLlamada (the dial), which the windows set as before.

#include "base/MessageBox.h"
#include "link/Link.h"

#include <QByteArray>
#include <QCursor>
#include <QList>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QTimer;
class QWidget;

namespace slx {

// How the window talks to the session. Each has a default: the prompts and the
// hang-up question are the program's message boxes, busy does nothing.
struct SessionCallbacks {
    // The connection prompt (text 15 for the cable, 33 for the modem); true = OK.
    std::function<bool(int texto)> prompt;
    // Busy on (true) once the prompt was accepted, off (false) on the way out.
    // The window shows its busy panel or animation, swaps Run and Stop...
    std::function<void(bool on)> busy;
    // Text 112 at the end with a modem call up; true = hang up.
    std::function<bool()> hangUp;
};

struct SessionOptions {
    QString telefono;                        // the number dialled on the modem path
    bool sendCan = true;                     // one CAN (0x18) before the identification
    bool identify = true;                    // the identification (request and answer)
    bool checkType = true;                   // text 30 when the type is neither 42 nor 4
    ui::Icon typeIcon = ui::Icon::Critical;  // text 30's icon (information in a transmit)
    Qt::CursorShape cursor = Qt::WaitCursor; // the window's pointer while the exchange runs
    QTimer *watchdog = nullptr;              // the window's watchdog; else one of the session's own
    int watchdogMs = -1;                     // interval of the session's own watchdog; -1 = vigilanteMs
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
        Pending,       // start() not called yet
        Ready,         // identified (and type checked): the exchange may go on
        Refused,       // another exchange runs: nothing was done
        Cancelled,     // the prompt was not answered OK
        NoTelephone,   // modem without a call and no telephone number (text 34 shown)
        PortFailed,    // the port could not be opened (path and reason shown)
        DialFailed,    // the dial failed (text 35 shown); dial() holds the modem's code
        NotIdentified, // the identification answer failed (31 or 62 shown, or cancelled)
        WrongType,     // the type is neither 42 nor 4 (text 30 shown)
    };

    // window: parent of the message boxes and owner of the cursor; may be null.
    // buttons: disabled from step 2 to finish(), then set back as they were.
    DeviceSession(QWidget *window, const QList<QWidget *> &buttons, const SessionOptions &options = {},
                  const SessionCallbacks &callbacks = {});
    ~DeviceSession();
    DeviceSession(const DeviceSession &) = delete;
    DeviceSession &operator=(const DeviceSession &) = delete;

    // Steps 1 to 5; Ready when the exchange may go on.
    Outcome start();
    Outcome outcome() const { return m_outcome; }
    bool ready() const { return m_outcome == Outcome::Ready; }
    // The identification of start() (valid when it got that far).
    const Identificacion &identification() const { return m_identificacion; }
    // The dial of start() (valid when it dialled).
    const DialResult &dial() const { return m_dial; }
    // Whether start() dialled (a modem call was made by this session).
    bool dialled() const { return m_dialled; }
    // The last receive failure of start() (NotIdentified).
    FrameResult identificationResult() const { return m_identResult; }

    // The device-type check of step 5 on its own, for a caller that checks other
    // things first (the transmit checks the mode and the serial number first):
    // false after text 30 with the given icon.
    bool checkType(ui::Icon icon = ui::Icon::Critical);

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

    // One frame into BufferTrama with the watchdog; shows nothing.
    FrameResult receive(int minLength = 5);
    // receive(), showing text 31 or 62 on a failure; true when received.
    bool receiveOrReport(int minLength = 5);
    // Waits for one unframed byte (window events running) up to maxMs.
    ByteResult waitByte(int maxMs);

    // Ends the session's waits (Stop). Cleared by finish().
    void cancel();
    bool cancelled() const { return m_cancel; }

    // Restores the window's state and ends the link (see above); runs once.
    void finish();
    bool finished() const { return m_finished; }

    SerialControl &port();
    QTimer *watchdog() const;
    QWidget *window() const;

    // The session running now (the one holding the guard), or null.
    static DeviceSession *current();
    // True while a device exchange runs.
    static bool running();
    // True when window is the window of the running session (or holds it): its
    // frame, Escape and Exit must not close it now.
    static bool blocksClose(const QWidget *window);
    // The message the main window's commands refuse with while an exchange runs.
    static QString busyText();

private:
    bool openPort();
    void reportPortFailure();
    void enter();

    Intercambio m_guard;
    QPointer<QWidget> m_window;
    QList<QPointer<QWidget>> m_buttons;
    QList<bool> m_enabled;
    SessionOptions m_options;
    SessionCallbacks m_callbacks;
    std::unique_ptr<QTimer> m_ownWatchdog;
    Outcome m_outcome = Outcome::Pending;
    Identificacion m_identificacion;
    DialResult m_dial;
    FrameResult m_identResult = FrameResult::Received;
    bool m_entered = false;   // step 2 ran: there is something to restore
    bool m_hadCursor = false; // the window had a cursor of its own
    QCursor m_cursor;         // ... and this one
    bool m_dialled = false;
    bool m_cancel = false;
    bool m_finished = false;
};

// Makes a window refuse to close by its frame and by Escape while it runs a device
// session (an event filter on the window). Its Exit handler asks blocksClose().
void protegeCierre(QWidget *window);

} // namespace slx
