#include "logs/LogDownload.h"

#include "base/Modulo1.h"
#include "link/DeviceSession.h"

namespace slx::logs {

DescargaLogs::DescargaLogs(DeviceSession &session, QSqlDatabase db, qint32 serie,
                           std::function<void(const Progreso &)> progreso)
    : m_session(session)
    , m_almacen(db)
    , m_serie(serie)
    , m_aviso(std::move(progreso))
{
}

QByteArray DescargaLogs::trama() const
{
    const auto &buffer = modulo1().BufferTrama;
    const int longitud = qBound(0, (buffer[1] << 8) | buffer[2], int(buffer.size()));
    return QByteArray(reinterpret_cast<const char *>(buffer.data()), longitud);
}

ResultadoPaso DescargaLogs::recibe(bool enBucle)
{
    ResultadoPaso r;
    r.trama = m_session.receive();
    if (r.trama == FrameResult::Received)
        return r;
    if (enBucle)
        m_session.sendCan();
    r.estado = ResultadoPaso::FalloTrama;
    return r;
}

void DescargaLogs::cuenta(const QDateTime &fecha)
{
    ++m_progreso.tramas;
    if (fecha.isValid())
        m_progreso.fecha = fecha;
    if (m_aviso)
        m_aviso(m_progreso);
}

ResultadoPaso DescargaLogs::totales(const QDateTime &ara, Totales *leidos)
{
    m_session.sendRequest(tramaDemanaTotals().chopped(1));
    ResultadoPaso r = recibe(false);
    if (!r.ok())
        return r;
    const auto t = decodificaTotales(trama());
    if (!t) {
        r.estado = ResultadoPaso::FalloTrama;
        r.trama = FrameResult::TooShort;
        return r;
    }
    if (leidos)
        *leidos = *t;
    if (!m_almacen.grabaTotales(m_serie, *t, ara, &r.error)) {
        r.estado = ResultadoPaso::FalloBase;
        return r;
    }
    r.guardados = 1;
    return r;
}

ResultadoPaso DescargaLogs::fechas()
{
    m_session.sendRequest(tramaDemanaDates().chopped(1));
    ResultadoPaso r = recibe(false);
    if (!r.ok())
        return r;
    const auto eventos = decodificaFechas(trama());
    if (!eventos) {
        r.estado = ResultadoPaso::FalloTrama;
        r.trama = FrameResult::TooShort;
        return r;
    }
    for (const Evento &e : *eventos) {
        if (!m_almacen.grabaEvento(m_serie, e, &r.error)) {
            r.estado = ResultadoPaso::FalloBase;
            return r;
        }
        ++r.guardados;
    }
    return r;
}

ResultadoPaso DescargaLogs::intervalos(FormatoIntervalo formato, const RangoFechas &rango)
{
    m_session.sendRequest(tramaDemanaIntervals(rango).chopped(1));
    const QDateTime inicio = inicioRango(rango);
    ResultadoPaso total;
    for (;;) {
        if (m_session.cancelled() || modulo1().CancelaRecepcion) {
            m_session.sendCan();
            total.estado = ResultadoPaso::Parado;
            return total;
        }
        ResultadoPaso r = recibe(true);
        if (!r.ok()) {
            r.guardados = total.guardados;
            return r;
        }
        const QByteArray f = trama();
        const ResultadoIntervalo dec = decodificaIntervalo(f, formato, inicio);
        cuenta(dec.veredicto == Veredicto::Valido ? dec.registro.fin : fechaTrama(f, 4, true).value_or(QDateTime()));
        switch (dec.veredicto) {
        case Veredicto::Fin: return total;
        case Veredicto::Anterior: m_session.sendCan(); return total;
        case Veredicto::Corta:
            m_session.sendCan();
            total.estado = ResultadoPaso::FalloTrama;
            total.trama = FrameResult::TooShort;
            return total;
        case Veredicto::Invalido: m_session.sendAck(); break;
        case Veredicto::Valido:
            if (!m_almacen.grabaIntervalo(m_serie, dec.registro, &total.error)) {
                m_session.sendCan();
                total.estado = ResultadoPaso::FalloBase;
                return total;
            }
            ++total.guardados;
            m_session.sendAck();
            break;
        }
    }
}

ResultadoPaso DescargaLogs::sesiones(const RangoFechas &rango)
{
    m_session.sendRequest(tramaDemanaSesions(rango).chopped(1));
    const QDateTime inicio = inicioRango(rango);
    ResultadoPaso total;
    for (;;) {
        if (m_session.cancelled() || modulo1().CancelaRecepcion) {
            m_session.sendCan();
            total.estado = ResultadoPaso::Parado;
            return total;
        }
        ResultadoPaso r = recibe(true);
        if (!r.ok()) {
            r.guardados = total.guardados;
            return r;
        }
        const QByteArray f = trama();
        const ResultadoSesion dec = decodificaSesion(f, inicio);
        cuenta(dec.veredicto == Veredicto::Valido ? dec.registro.inicio : fechaTrama(f, 4).value_or(QDateTime()));
        switch (dec.veredicto) {
        case Veredicto::Fin: return total;
        case Veredicto::Anterior: m_session.sendCan(); return total;
        case Veredicto::Corta:
            m_session.sendCan();
            total.estado = ResultadoPaso::FalloTrama;
            total.trama = FrameResult::TooShort;
            return total;
        case Veredicto::Invalido: m_session.sendAck(); break;
        case Veredicto::Valido:
            if (!m_almacen.grabaSesion(m_serie, dec.registro, &total.error)) {
                m_session.sendCan();
                total.estado = ResultadoPaso::FalloBase;
                return total;
            }
            ++total.guardados;
            m_session.sendAck();
            break;
        }
    }
}

} // namespace slx::logs
