#pragma once
// The text forms of dates, times, versions and numbers that the sheet, the logs, the
// reports and the import read: parsed by position, never through regional settings.

#include "base/Resultado.h"

#include <QDate>
#include <QString>
#include <QTime>
#include <optional>

namespace slx {

// The numeric value of a version text: its leading number ("4.1" 4.1, "3,3" 3.3,
// "" 0), for the firmware switches (3.3 and 4.0).
double valorVersion(const QString &version);
bool versionAlMenys(const QString &version, double minimo);

// The leading number of a text (an optional sign, digits, one "." or ","), 0 when
// the text does not start with one.
double valorInicial(const QString &texto);

// A text that is a number as a whole (blanks around it ignored, "." or "," as the
// decimal separator); nothing for an empty or other text.
std::optional<double> numeroTexto(const QString &texto);

// A text that is a number as a whole (as numeroTexto reads it), rounded to a whole
// number (halves to even) and within min..max, as the device and the database take
// it; otherwise it fails with "Type mismatch" for a text that is no number or
// "Overflow" for one out of range.
Resultado<qint64> enteroTexto(const QString &texto, qint64 min, qint64 max);

// A sheet date "dd/mm/yy" as a date of 1950 to 2049; nothing when it is not a date.
std::optional<QDate> fechaFitxa(const QString &texto);
QString textoFechaFitxa(const QDate &d); // "dd/mm/yy"

// A time of day "hh:nn" or "hh:nn:ss"; nothing when it is not one.
std::optional<QTime> horaFitxa(const QString &texto);

// The shortest decimal text that reads back as the same single-precision value ("-2.5",
// "1.3", "0"): 62.7 stays 62.7, never 62.700001. Every Single the program shows or stores
// goes through it, so that one value has one form.
QString textoSingle(float v);
// That text as the double it is stored as.
double decimalSingle(float v);

} // namespace slx
