#pragma once
// What the incidents window shows of a device, read without a window: its sheet's
// identity and totals, its disabled intervals, the rows and orders of its five grids,
// and the check of the date box.

#include "base/FilaInhabil.h"
#include "base/Resultado.h"
#include "widgets/WindowedSqlModel.h"

#include <QSqlDatabase>
#include <QString>
#include <QVector>
#include <array>
#include <optional>

namespace slx::logs {

// The identity and last totals of a device, as the window shows them. A missing
// (NULL) value shows as an empty text.
struct FichaIncidencias {
    qint32 serie = 0;
    QString fecha;        // DFecha "dd/mm/yy"
    QString local;        // TLocal
    QString version;      // TVersion
    QString telefono;     // TTelefono
    QString fechaTotales; // DFechaTotales "dd/mm/yyyy"
    QString horaTotales;  // THoraTotales
    QString pasadasLocal, pasadasVecino, e3, cb;
};

// The device's row; nothing when it is not there.
Resultado<std::optional<FichaIncidencias>> leeFicha(const QSqlDatabase &db, qint32 serie);

// The 30 disabled intervals of a device: start date, start time "hh:mm", end date, end
// time; a slot without its row gives "00/00/00", "00:00", "00/00/00", "00:00".
using Inhabil = FilaInhabil;
Resultado<std::array<Inhabil, 30>> leeInhabiles(const QSqlDatabase &db, qint32 serie);

// The grids of the window.
enum class Rejilla { Intervalos, Sesiones, Bateria, Borrat, Repro };
QString tablaDe(Rejilla r);
// The first order of a grid: newest first.
QVector<WindowedSqlModel::Orden> ordenInicial(Rejilla r);
// The order a click on the heading of column `columna` gives (`campo` is that column's
// stored field): the start, the one-minute maximum and minimum columns order by their
// date and time together, the event-date grids always by date and time. Empty when the
// column orders nothing.
QVector<WindowedSqlModel::Orden> ordenCabecera(Rejilla r, int columna, const QString &campo, bool descendente);

// The check of a date typed into the date box "dd/mm/yy": a date, day not "00", month
// (characters 4 and 5) not above "12".
bool fechaCaja(const QString &texto);

} // namespace slx::logs
