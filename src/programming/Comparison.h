#pragma once
// Comparison of a sheet with the device copy just read: a report of every
// difference, lines ended by a lone carriage return. The sheet window shows it and
// offers to take the device's programming (Form2::ComparaPcAqt).

#include "base/ProgramacioRebuda.h"
#include "programming/FitxaProgramacio.h"

#include <QString>

namespace slx {

// The report text for the sheet against the device copy; *difiere tells whether any
// item differs. Disabled intervals (the sheet's MatrizInhabil rows) differ when any of
// their four texts differs; octave corrections are compared in tenths of a dB.
QString TextoComparacion(const FitxaProgramacio &fitxa, const ProgramacioRebuda &copia, bool *difiere = nullptr);

} // namespace slx
