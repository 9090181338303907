#pragma once
// The window's side of a device exchange: the questions to the person, the window
// locked while the exchange runs and put back on every way out.
//
// A window handler makes the link's session, then a SessionGuard over it:
//
//     void Form2::SSCommandRecibir_Click()
//     {
//         SessionOptions o;
//         o.telefono = MaskTelefono->text();
//         o.watchdog = Timer2;
//         DeviceSession session(o);
//         SessionGuard guard(this, {SSCommandAnterior, SSCommandBorrar, ...}, session);
//         if (guard.start() != DeviceSession::Outcome::Ready)
//             return;                          // reported; the guard puts back and ends
//         session.sendRequest(tramaDemanaProgramacio());
//         const ReceivedFrame f = guard.receiveOrReport(); // 31 or 62 shown; Stop shows nothing
//         if (!f.received())
//             return;
//         ... decode f ...
//         guard.finish();                      // put back, then close or ask 112, here
//         ... show the result ...
//     }
//
// start() asks the session's connection question (text 15 or 33 with OK and Cancel,
// or shows its refusal, text 34): anything but OK ends the exchange with nothing else
// touched. Then it disables the buttons (their states saved), sets the window's
// cursor (the hourglass) and calls busy(true), opens the session and reports what
// ended it, if anything (a catalogue text, critical; or the port's own text).
// finish(), or the destructor when finish() was not called (failure, cancel, a thrown
// error), calls busy(false), sets the buttons back as they were (restored, never
// inverted) and the cursor, then ends the session: with a modem call up it asks text
// 112 (Yes hangs up, No keeps the call for the next exchange).
//
// From its construction to finish() its window cannot be closed: protegeCierre()
// installs the refusal on a window's frame and Escape; its Exit handler asks
// blocksClose(). A guard over a session refused because another exchange runs does
// nothing at all.
//
// The guard is a template over the session so that this floor needs nothing of the
// link: any type with the members it calls will do (the link's DeviceSession).
//
// The guard keeps the shared state in step with the session: once the session has
// identified the device, that device becomes the current one (TipoAparato,
// VersionAparato, NumeroSerieAparato, ModoAparato), and after each step the
// session's modem call is ModemConectado, which the next exchange's options take
// (ajustesEnlace()).

#include "base/MessageBox.h"
#include "base/Modulo1.h"

#include <QCursor>
#include <QList>
#include <QPointer>
#include <QString>
#include <functional>

class QWidget;

namespace slx {

struct GuardOptions {
    Qt::CursorShape cursor = Qt::WaitCursor; // the window's pointer while the exchange runs
    // Busy on (true) once the question was answered OK, off (false) on the way out:
    // the window shows its busy panel or animation, swaps Run and Stop...
    std::function<void(bool on)> busy;
};

// What a guard does to its window, whatever the exchange.
class WindowGuard {
public:
    // active: false for an exchange that was refused; the guard then does nothing.
    WindowGuard(QWidget *window, const QList<QWidget *> &buttons, const GuardOptions &options, bool active);
    ~WindowGuard();
    WindowGuard(const WindowGuard &) = delete;
    WindowGuard &operator=(const WindowGuard &) = delete;

    // The catalogue text, information icon, OK and Cancel: true for OK.
    bool ask(int texto);
    // A catalogue text with OK only (critical unless told).
    void report(int texto, ui::Icon icon = ui::Icon::Critical);
    // A text of its own, critical, OK only.
    void report(const QString &text);
    // Text 112 with Yes and No: true for Yes.
    bool askHangUp();

    QWidget *window() const { return m_window.data(); }
    bool active() const { return m_active; }

    // True when window is the window of a running exchange (or holds it): its frame,
    // Escape and Exit must not close it now.
    static bool blocksClose(const QWidget *window);

protected:
    // Buttons off, the cursor, busy on.
    void lock();
    // The window's close refusal ends, then what lock() changed is put back; once.
    void release();

private:
    QPointer<QWidget> m_window;
    QList<QPointer<QWidget>> m_buttons;
    QList<bool> m_enabled;
    GuardOptions m_options;
    bool m_active = false;
    bool m_locked = false;    // lock() ran: there is something to put back
    bool m_released = false;
    bool m_hadCursor = false; // the window had a cursor of its own
    QCursor m_cursor;         // ... and this one
};

template <class Session> class SessionGuard : public WindowGuard {
public:
    using Outcome = typename Session::Outcome;

    SessionGuard(QWidget *window, const QList<QWidget *> &buttons, Session &session, const GuardOptions &options = {})
        : WindowGuard(window, buttons, options, session.holdsExchange())
        , m_session(session)
    {
    }
    ~SessionGuard()
    {
        // Also on the way out of a thrown error: nothing may escape from here.
        try {
            finish();
        } catch (...) {
        }
    }

    // The question, the window locked, the session opened; Ready when the exchange
    // may go on, else what ended it (reported).
    Outcome start()
    {
        if (!active() || m_started)
            return m_session.outcome();
        m_started = true;
        using Prompt = typename Session::Prompt;
        const Prompt question = m_session.prompt();
        keepCall();
        if (question.kind == Prompt::Refuse) {
            report(question.texto);
            m_session.decline();
            return m_session.outcome();
        }
        if (question.kind == Prompt::Ask && !ask(question.texto)) {
            m_session.decline();
            return m_session.outcome();
        }
        lock();
        const Outcome outcome = m_session.open();
        keepCall();
        if (m_session.identified()) {
            Modulo1 &m = modulo1();
            const auto &id = m_session.identification();
            m.TipoAparato = id.tipo;
            m.VersionAparato = id.version;
            m.NumeroSerieAparato = id.numeroSerie;
            m.ModoAparato = id.modo;
        }
        const auto failure = m_session.failure();
        if (!failure.text.isEmpty())
            report(failure.text);
        else if (failure.texto != 0)
            report(failure.texto);
        return outcome;
    }

    // The session's receive, reporting a failure with its text (31 or 62; nothing
    // for Stop).
    auto receiveOrReport(int minLength = 5)
    {
        auto frame = m_session.receive(minLength);
        if (const int texto = frame.texto())
            report(texto);
        return frame;
    }

    // The window put back, then the session ended (text 112 with a call up); once.
    void finish()
    {
        if (m_finished || !active())
            return;
        m_finished = true;
        release();
        const bool callUp = m_session.finish();
        keepCall();
        if (callUp) {
            m_session.hangUp(askHangUp());
            keepCall();
        }
    }

    Session &session() { return m_session; }

private:
    // The session's modem call, kept for the next exchange.
    void keepCall() { modulo1().ModemConectado = m_session.modemConectado(); }

    Session &m_session;
    bool m_started = false;
    bool m_finished = false;
};

// Makes a window refuse to close by its frame and by Escape while it runs a device
// exchange (an event filter on the window). Its Exit handler asks blocksClose().
void protegeCierre(QWidget *window);

} // namespace slx
