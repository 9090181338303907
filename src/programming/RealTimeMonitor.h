#pragma once
// The real-time exchange over an open device session: the request for the values
// (0x09), then one answer after another, each handed to the caller, its pause run
// from the answer's last byte and the answer acknowledged, until the session is
// cancelled (the window's Stop) or a receive fails; then one CAN. It shows nothing:
// the window shows what it is handed and reports a failure.

#include "programming/RealTimeDisplay.h"

#include <QString>
#include <functional>
#include <memory>

class QTimer;

namespace slx {

class DeviceSession;

class RealTimeMonitor {
public:
    struct Handlers {
        // One answer to show, before its pause and ACK.
        std::function<void(const RealTimeDisplay &)> shown;
        // A receive that failed (a Stop is no failure): the catalogue text to report.
        std::function<void(int texto)> failed;
    };

    // dia and noche: the words for day and night (texts 98 and 99). pause: the
    // window's timer of the pause between answers, or nullptr for one of the
    // monitor's own.
    RealTimeMonitor(DeviceSession &session, QString dia, QString noche, QTimer *pause = nullptr);
    ~RealTimeMonitor();
    RealTimeMonitor(const RealTimeMonitor &) = delete;
    RealTimeMonitor &operator=(const RealTimeMonitor &) = delete;

    // On a session that is ready: runs until it is cancelled or a receive fails.
    void run(const Handlers &handlers);

private:
    DeviceSession &m_session;
    QString m_dia;
    QString m_noche;
    std::unique_ptr<QTimer> m_ownPause;
    QTimer *m_pause = nullptr;
};

} // namespace slx
