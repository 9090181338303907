#pragma once
// The frame that the print-outs share (the programming sheet, the interval and session
// reports, the chart report): the memo of disabled intervals, its place in
// Configuracion, the device row, and the filling of a loaded report: data sources of
// the main report and of the event sub-reports Reprogramacions, Esborrats and
// FinBateria, the value fields of the header and every caption by text number.

#include "base/FilaInhabil.h"
#include "base/Resultado.h"
#include "printing/Informe.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>
#include <span>

namespace slx::marco {

// The memo of disabled intervals from the sheet's intervals (element k-1 holds
// interval k; a start date "00/00/00" is an unused slot): for each used slot, its own
// number as two digits, " - ", start date, " ", start time, " <-> ", end date, " ",
// end time; after the 1st, 3rd, 5th... entry "     ,     ", after the 2nd, 4th...
// a carriage return alone; " " when no slot is used.
QString memoInhabiles(std::span<const FilaInhabil> intervalos);

// Writes the memo into Memo of the first Configuracion row and returns that row's
// TUsuario (empty when it holds none). A failure with its description when the table
// has no row or the database fails; nothing is written then.
Resultado<QString> grabaMemo(QSqlDatabase db, const QString &memo);

// TUsuario of the first Configuracion row (the charts window's footer); a failure with
// its description when the table has no row or the database fails.
Resultado<QString> usuarioConfiguracion(QSqlDatabase db);

// The stored values of a device row that the frame prints.
struct FilaAparato {
    QString fechaTotales; // DFechaTotales as stored
    QString horaTotales;  // THoraTotales
    double octava315 = 0; // SOctava31,5Hz
    bool cambioHora = false;
    QString tipoActuacionVecino;
    bool cmi = false;
};
// The Programacion row of that serial number; a failure with its description when the
// table has no such row or the database fails.
Resultado<FilaAparato> leeFilaAparato(QSqlDatabase db, qint32 serial);

// The totals stamp of the sheet's print-out: DFechaTotales in the short date form, a
// blank, THoraTotales.
QString sellosTotales(const FilaAparato &fila);

// The list a report carries beside the frame, which decides its extra captions.
enum class Lista { Ninguna, Intervalos, Sesiones };

struct DatosMarco {
    qint32 serial = 0;
    QString totales;  // IntervalTotals
    QString memo;     // LabelMemo
    QString usuario;  // TUsuario
    QDate hoy;        // TTFecha
    QString version;  // the version whose number decides the AVIR rows (4.0 or more)
    FilaAparato fila; // the device row
    Lista lista = Lista::Ninguna;
};

// A caption field and its text number; subinforme empty for the main report.
struct Rotulo {
    const char *subinforme;
    const char *campo;
    int texto;
    bool dosPuntos;
    Lista lista; // Ninguna: every report; else only the reports of that list
};
std::span<const Rotulo> rotulos();

// Sub-report names of the list of a report.
inline constexpr const char *kListaIntervalos = "IntervalosLeq";
inline constexpr const char *kListaSesiones = "SesionReg";

// Fills a loaded report: connection and record sources of the main report and of the
// three event sub-reports (the serial bound, events oldest first), the value fields
// IntervalTotals, LabelMemo, TUsuario, TTFecha, SOctava31,5Hz ("#.00"), CambioHora,
// TipusActuacio, TCMI and CMI (shown from version 4.0, hidden below), and the
// captions of the frame and of its list, each by text number through texto. The list
// sub-report's connection is set; its record source and rules are the caller's. A
// failure with its description for the first name the layout lacks: the report keeps
// what was filled before it.
Resultado<> rellenaMarco(Informe &informe, QSqlDatabase db, const DatosMarco &datos,
                         const std::function<QString(int)> &texto);

// Every field and sub-report name rellenaMarco sets, as "Field" for the main report
// and "SubReport/Field" for a sub-report (the layouts must hold them).
QStringList camposMarco(Lista lista);

} // namespace slx::marco
