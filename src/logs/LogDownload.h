#pragma once
// The steps of a log download over an open device session: totals, event dates,
// the Leq intervals of a period and its sessions. Each step sends its request,
// receives the answer (one record per frame for intervals and sessions, with the
// record handshake: ACK for the next, CAN to stop, no reply to the end frame) and
// stores every row as soon as it is valid. Nothing is shown: each step returns
// what happened and the window reports it.
//
// A download that runs to its end (descarga() then calls complete()) keeps, for
// the device, the start of the newest record it received: the next period is
// proposed from there (LogStorage.h). One that fails or is stopped keeps the start
// of the last one that completed.

#include "base/Resultado.h"
#include "logs/LogFrames.h"
#include "logs/LogStorage.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

namespace slx {
class DeviceSession;
enum class FrameResult;
} // namespace slx

namespace slx::logs {

// The running count of frames of the interval and session steps (every frame
// counts, the end frame and skipped records too) and the date of the last record.
struct Progreso {
    int tramas = 0;
    QDateTime fecha;
};

struct ResultadoPaso {
    enum Estado {
        Hecho,      // received and stored (a loop: ended by the end frame or a record before the period)
        Parado,     // a loop stopped between two records (Stop): what came before is stored
        FalloTrama, // a frame not received or not whole: `trama` tells which, CAN was sent in a loop
        FalloBase,  // the database refused a row: `error` describes it, CAN was sent in a loop
    };
    Estado estado = Hecho;
    FrameResult trama{};
    QString error;
    int guardados = 0; // rows stored by the step
    int omitidos = 0;  // records skipped by the step: a value out of range
    bool ok() const { return estado == Hecho || estado == Parado; }
};

// What the whole download did: the last step's result (the first that failed, or
// the sessions'), whether it is a success to announce (a Stop between two
// intervals is not; one between two sessions is) and the totals read.
struct ResultadoDescarga {
    ResultadoPaso paso;
    bool exito = false;
    std::optional<Totales> totales;
};

// What a window does while the download runs: show the totals as soon as they are
// stored, and the count at the end of the interval and session steps.
struct AvisosDescarga {
    std::function<void(const Totales &)> totales;
    std::function<void()> finPaso;
};

class LogDownload {
public:
    // serie: the identified device, whose rows are written.
    LogDownload(DeviceSession &session, QSqlDatabase db, qint32 serie,
                std::function<void(const Progreso &)> progreso = {});

    // ara: the PC's date and time stamped on the totals.
    ResultadoPaso totales(const QDateTime &ara, Totales *leidos = nullptr);
    ResultadoPaso fechas();
    ResultadoPaso intervalos(FormatoIntervalo formato, const RangoFechas &rango);
    ResultadoPaso sesiones(const RangoFechas &rango);

    // The whole sequence: totals (stamped ara), event dates, the intervals of rango
    // in formato and its sessions, each after the one before succeeded. A sequence
    // that ran to its end moves the device's kept start (complete()); should it not
    // be written, the next proposal is an earlier one: more is asked, nothing missed.
    // Stop is the session's cancel().
    ResultadoDescarga descarga(FormatoIntervalo formato, const RangoFechas &rango, const QDateTime &ara,
                               const AvisosDescarga &avisos = {});

    // Every step ran to its end: the device's kept start moves to the newest record
    // received, or why it cannot be written.
    Resultado<> complete();

    const Progreso &progreso() const { return m_progreso; }
    // The records skipped by every step so far.
    int omitidos() const { return m_omitidos; }
    // The start of the newest record stored so far (invalid before the first).
    const QDateTime &newestStart() const { return m_newestStart; }

private:
    // One answer into trama; in a loop, a frame not received is answered CAN.
    ResultadoPaso recibe(bool enBucle, QByteArray &trama);
    template <typename Decodifica, typename Graba, typename Inicio>
    ResultadoPaso registros(const QByteArray &peticion, Decodifica decodifica, Graba graba, Inicio inicio);
    void cuenta(const QDateTime &fecha);
    void recibido(const QDateTime &inicio);

    DeviceSession &m_session;
    LogStorage m_almacen;
    qint32 m_serie;
    std::function<void(const Progreso &)> m_aviso;
    Progreso m_progreso;
    int m_omitidos = 0;
    QDateTime m_newestStart;
};

} // namespace slx::logs
