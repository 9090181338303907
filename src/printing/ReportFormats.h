#pragma once
// The formats of report values. None of them follows the system's regional settings:
// the decimal separator is always ".", dates and times are written from patterns.

#include <QDate>
#include <QString>
#include <QVariant>
#include <optional>

namespace slx::informe {

// A number by a pattern of "0" (a digit always written) and "#" (a digit written
// only when it is not a leading zero) with an optional ".": "#.00" gives ".00" for 0
// and "2.50" for 2.5, "0.0" gives "0.0", "0" gives "12". Halves round away from zero.
QString formatoNumero(double valor, const QString &patron);

// A stored date: ISO "yyyy-MM-dd" (a time after it is ignored), "dd/mm/yyyy" or
// "dd/mm/yy" (years 1950 to 2049); nothing for another text.
std::optional<QDate> fechaAlmacenada(const QString &texto);

// The short date form of the print-outs, "dd/MM/yyyy".
QString textoFechaCorta(const QDate &fecha);

// A record value as a report prints it. formato: empty (the value as stored: numbers
// shortest, a real as the single-precision value it holds), a number pattern as for
// formatoNumero, "date:PATTERN" (a stored date written with a QDate pattern such as
// dd/MM/yyyy; a text that is no date is written as it stands) or "time:PATTERN" (a
// stored time of day "hh:mm" or "hh:mm:ss") or "limit" (a limit in dB, where 255 means
// none is set: "---", as the record pickers show it). Null is the empty text.
QString formatoValor(const QVariant &valor, const QString &formato);

// True when the format is one formatoValor knows (empty included).
bool formatoValido(const QString &formato);

} // namespace slx::informe
