#pragma once
// Storage of programming sheets: one Programacion row and 30 IntervaloInhabil rows
// per device serial number, on the database connection the caller gives. Nothing here
// touches the windows' shared state: what a load or a new sheet leaves for it comes
// back as a value, which the sheet window writes.
//
// Stored forms: DFecha and DFechaTotales ISO "yyyy-MM-dd"; Booleans -1 / 0;
// THoraEmpiezaInt and THoraTerminaInt "hh:mm:ss" text (read back also from "hh:mm"
// and from a date-time text, the time part); THoraTotales "hh:mm:ss".

#include "base/Resultado.h"
#include "programming/FitxaProgramacio.h"

#include <QDateTime>
#include <QSqlDatabase>

namespace slx {

// Fills the sheet with the defaults of a new sheet (serial number "0") and the grid
// rows with 30 unused intervals; the sheet is then modified (FitxaModificada). Leaves
// the actuation seconds fields (text and enabled state) and the global-correction check
// box (value and visibility) as they were.
EstadoFitxa CreaProgramacio(FitxaProgramacio &fitxa, const QDateTime &ara = QDateTime::currentDateTime());

// Saves the sheet under the serial number in MaskNumeroSerie, with the sheet's
// MatrizInhabil as its 30 interval rows, in one transaction: the row of that
// serial number is found by key over the whole table and rewritten (its totals
// columns kept), or created with fresh totals. Success means the sheet is no longer
// modified (FitxaModificada false); on failure nothing is written, FitxaModificada
// keeps its value, and the failure's text is the description ("Type mismatch",
// "Overflow" or the database's words) with, as its detail, the control whose text the
// columns refuse (empty for the database). Every value is converted before anything is
// written.
Resultado<> GrabaProgramacio(QSqlDatabase &db, const FitxaProgramacio &fitxa,
                             const QDateTime &ara = QDateTime::currentDateTime());

// What a load leaves for the windows' shared state besides the sheet: the current
// device (NumeroSerieAparato, VersionAparato) and FitxaModificada, false.
struct FitxaCargada {
    qint32 numeroSerie = 0;
    QString version;
    bool modificada = false;
};

// Loads the sheet of that serial number and its intervals (MatrizInhabil). The rows are
// read into a new value first: only when the whole load succeeded does the sheet change.
// A missing row or a database failure changes nothing and gives the failure (no
// detail). Empty columns (and texts shorter than their format) load as the new-sheet
// default of their field.
Resultado<FitxaCargada> CarregaProgramacio(QSqlDatabase &db, FitxaProgramacio &fitxa, qint32 numeroSerie,
                                           const QDateTime &ara = QDateTime::currentDateTime());

// True when leaving the sheet offers to save it (text 23): its serial number is not
// 0 and the sheet is modified (FitxaModificada). A new sheet (serial number 0) is never
// offered.
bool offersToSave(const FitxaProgramacio &fitxa, bool modificada);

} // namespace slx
