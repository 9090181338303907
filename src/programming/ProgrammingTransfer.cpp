#include "programming/ProgrammingTransfer.h"

#include "link/DeviceSession.h"
#include "link/LinkTimings.h"
#include "programming/ProgrammingBlock.h"
#include "programming/ProgrammingExchange.h"

namespace slx {

ProgrammingTransfer::ProgrammingTransfer(DeviceSession &session)
    : m_session(session)
{
}

void ProgrammingTransfer::DemanaProgramacio()
{
    m_session.sendRequest(tramaDemanaProgramacio());
}

Resultado<ProgramacioRebuda> ProgrammingTransfer::RecibirProgramacion(const QString &version)
{
    // The receiver reports an answer shorter than the firmware's block as a bad frame.
    const ReceivedFrame respuesta = m_session.receive(longitudRespuestaProgramacio(version));
    if (!respuesta.received())
        return fallo(respuesta.texto());
    ProgramacioRebuda copia;
    if (!DecodificaProgramacio(respuesta.span(), version, copia))
        return fallo(0);
    return copia;
}

Resultado<ProgramacioRebuda> ProgrammingTransfer::lee(const QString &version)
{
    DemanaProgramacio();
    return RecibirProgramacion(version);
}

Resultado<quint8> ProgrammingTransfer::EnviarProgramacion(const FitxaProgramacio &fitxa, const QString &versionAparato,
                                                          const QDateTime &reloj)
{
    const Resultado<QByteArray> trama = TramaEnviaProgramacio(fitxa, versionAparato, reloj);
    if (!trama)
        return fallo(trama.error());
    if (!m_session.sendPaced(*trama, linkTimings().pausaEscrituraMs))
        return kEscrituraSinRespuesta;
    const ByteResult r = m_session.waitByte(linkTimings().respuestaEscrituraMs);
    if (r.outcome != ByteResult::Byte)
        return kEscrituraSinRespuesta;
    return resultadoEscritura(QByteArray(1, static_cast<char>(r.byte)));
}

} // namespace slx
