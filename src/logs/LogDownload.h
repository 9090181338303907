#pragma once
// The steps of a log download over an open device session: totals, event dates,
// the Leq intervals of a period and its sessions. Each step sends its request,
// receives the answer (one record per frame for intervals and sessions, with the
// record handshake: ACK for the next, CAN to stop, no reply to the end frame) and
// stores every row as soon as it is valid. Nothing is shown: each step returns
// what happened and the window reports it.

#include "logs/LogFrames.h"
#include "logs/LogStorage.h"

#include <QDateTime>
#include <QString>
#include <functional>

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
    bool ok() const { return estado == Hecho || estado == Parado; }
};

class DescargaLogs {
public:
    // serie: the identified device, whose rows are written.
    DescargaLogs(DeviceSession &session, QSqlDatabase db, qint32 serie,
                 std::function<void(const Progreso &)> progreso = {});

    // ara: the PC's date and time stamped on the totals.
    ResultadoPaso totales(const QDateTime &ara, Totales *leidos = nullptr);
    ResultadoPaso fechas();
    ResultadoPaso intervalos(FormatoIntervalo formato, const RangoFechas &rango);
    ResultadoPaso sesiones(const RangoFechas &rango);

    const Progreso &progreso() const { return m_progreso; }

private:
    // One answer into trama; in a loop, a frame not received is answered CAN.
    ResultadoPaso recibe(bool enBucle, QByteArray &trama);
    template <typename Decodifica, typename Graba>
    ResultadoPaso registros(const QByteArray &peticion, Decodifica decodifica, Graba graba);
    void cuenta(const QDateTime &fecha);

    DeviceSession &m_session;
    AlmacenLogs m_almacen;
    qint32 m_serie;
    std::function<void(const Progreso &)> m_aviso;
    Progreso m_progreso;
};

} // namespace slx::logs
