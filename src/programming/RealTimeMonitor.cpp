#include "programming/RealTimeMonitor.h"

#include "link/DeviceSession.h"
#include "link/LinkTimings.h"
#include "link/Trama.h"

#include <QElapsedTimer>
#include <QTimer>

namespace slx {

RealTimeMonitor::RealTimeMonitor(DeviceSession &session, QString dia, QString noche, QTimer *pause)
    : m_session(session)
    , m_dia(std::move(dia))
    , m_noche(std::move(noche))
    , m_pause(pause)
{
    if (!m_pause) {
        m_ownPause = std::make_unique<QTimer>();
        m_ownPause->setSingleShot(true);
        m_ownPause->setTimerType(Qt::PreciseTimer);
        m_pause = m_ownPause.get();
    }
}

RealTimeMonitor::~RealTimeMonitor() = default;

void RealTimeMonitor::run(const Handlers &handlers)
{
    m_session.sendRequest(trama(0x09)); // the real-time values
    while (!m_session.cancelled()) {
        const ReceivedFrame respuesta = m_session.receive(kLongitudTiempoReal);
        if (!respuesta.received()) {
            if (const int texto = respuesta.texto(); texto != 0 && handlers.failed)
                handlers.failed(texto);
            break;
        }
        // The pause runs from the answer's last byte, so that the display's own time is part of it.
        QElapsedTimer recibido;
        recibido.start();
        if (m_session.cancelled())
            break;
        if (const auto vista = realTimeDisplay(respuesta.span(), m_dia, m_noche); vista && handlers.shown)
            handlers.shown(*vista);
        m_pause->start(qMax<qint64>(0, linkTimings().pausaTiempoRealMs - recibido.elapsed()));
        EsperaTimer(m_pause);
        m_session.sendAck();
    }
    m_session.sendCan();
}

} // namespace slx
