#pragma once
// Storage of programming sheets: one Programacion row and 30 IntervaloInhabil rows
// per device serial number, on the one connection modulo1().ConexionBD.
//
// Stored forms: DFecha and DFechaTotales ISO "yyyy-MM-dd"; Booleans -1 / 0;
// THoraEmpiezaInt and THoraTerminaInt "hh:mm:ss" text (read back also from "hh:mm"
// and from a date-time text, the time part); THoraTotales "hh:mm:ss".

#include "programming/ProgrammingSheet.h"

#include <QDateTime>

namespace slx {

// Fills the sheet with the defaults of a new sheet (serial number "0"), the shared
// IntervalosInhabiles and the grid rows with 30 unused intervals; sets
// FitxaModificada. Leaves the actuation seconds fields (text and enabled state) and
// the global-correction check box (value and visibility) as they were.
void CreaProgramacio(FitxaProgramacio &fitxa, const QDateTime &ara = QDateTime::currentDateTime());

// Saves the sheet under the serial number in MaskNumeroSerie, with the sheet's
// MatrizInhabil as its 30 interval rows, in one transaction: the row of that
// serial number is found by key over the whole table and rewritten (its totals
// columns kept), or created with fresh totals. On success clears FitxaModificada and
// returns true; on failure nothing is written, the failure's description is shown
// in a critical box, FitxaModificada keeps its value and false is returned.
bool GrabaProgramacio(const FitxaProgramacio &fitxa, const QDateTime &ara = QDateTime::currentDateTime());

// Loads the sheet of that serial number and its intervals. The rows are read into a
// new value first: only when the whole load succeeded do the sheet, the shared
// intervals, NumeroSerieAparato and VersionAparato change and FitxaModificada become
// false. A missing row or a database failure shows the failure's description in a
// critical box and returns false with nothing changed. Empty columns (and texts
// shorter than their format) load as the new-sheet default of their field.
bool CarregaProgramacio(FitxaProgramacio &fitxa, qint32 numeroSerie,
                        const QDateTime &ara = QDateTime::currentDateTime());

// When the sheet's serial number is not 0 and FitxaModificada is set, asks text 23
// (OK / Cancel, question icon) and saves on OK. True when it saved.
bool Modificat(const FitxaProgramacio &fitxa);

} // namespace slx
