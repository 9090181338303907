#include "logs/LogDownload.h"

#include "link/DeviceSession.h"

namespace slx::logs {

namespace {

// Whether the database refused a row: then the step has failed, with its message.
bool rehusada(const Resultado<> &grabado, ResultadoPaso &r)
{
    if (grabado)
        return false;
    r.estado = ResultadoPaso::FalloBase;
    r.error = grabado.error().mensaje();
    return true;
}

} // namespace

LogDownload::LogDownload(DeviceSession &session, QSqlDatabase db, qint32 serie,
                         std::function<void(const Progreso &)> progreso)
    : m_session(session)
    , m_almacen(db)
    , m_serie(serie)
    , m_aviso(std::move(progreso))
{
}

ResultadoPaso LogDownload::recibe(bool enBucle, QByteArray &trama)
{
    ResultadoPaso r;
    ReceivedFrame f = m_session.receive();
    r.trama = f.result;
    if (f.received()) {
        trama = std::move(f.bytes);
        return r;
    }
    if (enBucle)
        m_session.sendCan();
    r.estado = ResultadoPaso::FalloTrama;
    return r;
}

void LogDownload::recibido(const QDateTime &inicio)
{
    if (inicio.isValid() && (!m_newestStart.isValid() || inicio > m_newestStart))
        m_newestStart = inicio;
}

Resultado<> LogDownload::complete()
{
    return m_almacen.completeDownload(m_serie, m_newestStart);
}

void LogDownload::cuenta(const QDateTime &fecha)
{
    ++m_progreso.tramas;
    if (fecha.isValid())
        m_progreso.fecha = fecha;
    if (m_aviso)
        m_aviso(m_progreso);
}

ResultadoPaso LogDownload::totales(const QDateTime &ara, Totales *leidos)
{
    m_session.sendRequest(tramaDemanaTotals());
    QByteArray f;
    ResultadoPaso r = recibe(false, f);
    if (!r.ok())
        return r;
    const auto t = decodificaTotales(f);
    if (!t) {
        r.estado = ResultadoPaso::FalloTrama;
        r.trama = FrameResult::TooShort;
        return r;
    }
    if (leidos)
        *leidos = *t;
    if (rehusada(m_almacen.grabaTotales(m_serie, *t, ara), r))
        return r;
    r.guardados = 1;
    return r;
}

ResultadoPaso LogDownload::fechas()
{
    m_session.sendRequest(tramaDemanaDates());
    QByteArray f;
    ResultadoPaso r = recibe(false, f);
    if (!r.ok())
        return r;
    const auto eventos = decodificaFechas(f);
    if (!eventos) {
        r.estado = ResultadoPaso::FalloTrama;
        r.trama = FrameResult::TooShort;
        return r;
    }
    for (const Evento &e : *eventos) {
        if (rehusada(m_almacen.grabaEvento(m_serie, e), r))
            return r;
        ++r.guardados;
    }
    return r;
}

// The record loop of the interval and session transfers. decodifica(frame, fecha)
// gives the frame's verdict and record and sets the date shown as progress; graba
// stores a valid record; inicio gives its start. Every frame is answered ACK (the
// next, also after a record skipped, which is counted) or CAN (a record before the
// period, Stop, a frame not received or not whole, a row the database refuses), but
// the end frame, which gets no reply.
template <typename Decodifica, typename Graba, typename Inicio>
ResultadoPaso LogDownload::registros(const QByteArray &peticion, Decodifica decodifica, Graba graba, Inicio inicio)
{
    m_session.sendRequest(peticion);
    ResultadoPaso total;
    for (;;) {
        if (m_session.cancelled()) {
            m_session.sendCan();
            total.estado = ResultadoPaso::Parado;
            return total;
        }
        QByteArray f;
        ResultadoPaso r = recibe(true, f);
        if (!r.ok()) {
            r.guardados = total.guardados;
            r.omitidos = total.omitidos;
            return r;
        }
        QDateTime fecha;
        const auto dec = decodifica(f, fecha);
        cuenta(fecha);
        switch (dec.veredicto) {
        case Veredicto::Fin: return total;
        case Veredicto::Anterior: m_session.sendCan(); return total;
        case Veredicto::Corta:
            m_session.sendCan();
            total.estado = ResultadoPaso::FalloTrama;
            total.trama = FrameResult::TooShort;
            return total;
        case Veredicto::Invalido:
            ++total.omitidos;
            ++m_omitidos;
            m_session.sendAck();
            break;
        case Veredicto::Valido:
            if (rehusada(graba(dec.registro), total)) {
                m_session.sendCan();
                return total;
            }
            ++total.guardados;
            recibido(inicio(dec.registro));
            m_session.sendAck();
            break;
        }
    }
}

ResultadoPaso LogDownload::intervalos(FormatoIntervalo formato, const RangoFechas &rango)
{
    const QDateTime inicio = inicioRango(rango);
    ResultadoPaso r;
    if (rehusada(m_almacen.beginDownload(m_serie, inicio), r))
        return r;
    return registros(
        tramaDemanaIntervals(rango),
        [&](const QByteArray &f, QDateTime &fecha) {
            ResultadoIntervalo dec = decodificaIntervalo(f, formato, inicio);
            fecha =
                dec.veredicto == Veredicto::Valido ? dec.registro.fin : fechaTrama(f, 4, true).value_or(QDateTime());
            return dec;
        },
        [this](const RegistroIntervalo &r) { return m_almacen.grabaIntervalo(m_serie, r); },
        [](const RegistroIntervalo &r) { return r.inicio; });
}

ResultadoPaso LogDownload::sesiones(const RangoFechas &rango)
{
    const QDateTime inicio = inicioRango(rango);
    return registros(
        tramaDemanaSesions(rango),
        [&](const QByteArray &f, QDateTime &fecha) {
            ResultadoSesion dec = decodificaSesion(f, inicio);
            fecha = dec.veredicto == Veredicto::Valido ? dec.registro.inicio : fechaTrama(f, 4).value_or(QDateTime());
            return dec;
        },
        [this](const RegistroSesion &r) { return m_almacen.grabaSesion(m_serie, r); },
        [](const RegistroSesion &r) { return r.inicio; });
}

ResultadoDescarga LogDownload::descarga(FormatoIntervalo formato, const RangoFechas &rango, const QDateTime &ara,
                                        const AvisosDescarga &avisos)
{
    ResultadoDescarga d;
    Totales t;
    d.paso = totales(ara, &t);
    if (d.paso.ok()) {
        d.totales = t;
        if (avisos.totales)
            avisos.totales(t);
        d.paso = fechas();
    }
    if (d.paso.ok()) {
        d.paso = intervalos(formato, rango);
        if (avisos.finPaso)
            avisos.finPaso();
        if (d.paso.estado == ResultadoPaso::Parado)
            return d; // Stop between two intervals: no sessions, no success
    }
    if (d.paso.ok()) {
        d.paso = sesiones(rango);
        if (avisos.finPaso)
            avisos.finPaso();
    }
    // Only a sequence that ran to its end moves the kept start (a Stop between two
    // sessions is still a success).
    if (d.paso.estado == ResultadoPaso::Hecho)
        (void)complete();
    d.exito = d.paso.ok();
    return d;
}

} // namespace slx::logs
