#pragma once
// The interval and session reports of a period, without a window: the per-record
// rules of their lists, the period's record sources, the check for sessions, and the
// filling of a loaded layout on the frame the print-outs share.

#include "base/Resultado.h"
#include "printing/Informe.h"
#include "printing/ReportFrame.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariantList>
#include <functional>
#include <optional>

namespace slx {
class ReportEngine;
}

namespace slx::informes {

enum class Tipo { Intervalos, Sesiones };

// The rules the engine applies to each record of a list before it is laid out, in
// this order: the levels L1 to L90 ("---" for 0, "und" below 60, "up" above 120),
// the minute counts E.N.A. and line insufficient (sinCalibrar for 255, else the count
// and "min"), the reprogramming flag (si or no), D.N.A., the levels max Fast, max and
// min Leq1', the local Leq, the reception Leq ("---" for 0 only) and the session's Leq.
// Each fills the layout field named "L" and the column's name. An empty value prints
// empty. One table serves both lists: a column a list lacks leaves its field alone.
QList<ReglaRegistro> reglasDetalle(const QString &sinCalibrar, const QString &si, const QString &no);

// A period: the starts of the first and the last interval picked, as stored (date
// "yyyy-MM-dd", time "hh:mm"). Both ends belong to it.
struct Periodo {
    QString fechaInicio, horaInicio, fechaFin, horaFin;
};

// The record source of a report's list: the device's rows whose start lies in the
// period, oldest first, and its bound values (serial, start date and time, end date
// and time). The device's key serves the search.
QString sqlLista(Tipo tipo);
QVariantList valoresLista(qint32 serial, const Periodo &periodo);

// Whether the device has a row of the list in the period; a failure, with the
// database's description as its text, when the database fails.
Resultado<bool> hayRegistros(QSqlDatabase db, Tipo tipo, qint32 serial, const Periodo &periodo);

// The layout file (under the data folder) and the report name of each report.
QString ficheroDisposicion(Tipo tipo);
QString nombreInforme(Tipo tipo);
// The list sub-report of each report.
QString listaDe(Tipo tipo);

// Loads the report into the engine and fills it: the frame (datos; its list is set
// from tipo), the list's record source over the period and its rules. A failure with its
// description when the layout cannot be loaded or lacks a name it needs.
Resultado<> preparaInforme(ReportEngine &motor, QSqlDatabase db, Tipo tipo, marco::DatosMarco datos,
                           const Periodo &periodo, const QList<ReglaRegistro> &reglas,
                           const std::function<QString(int)> &texto);

} // namespace slx::informes
