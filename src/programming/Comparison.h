#pragma once
// Comparison of a sheet with the device copy just read: a report of every
// difference, lines ended by a lone carriage return, and the offer to take the
// device's programming.

#include "base/ProgramacioRebuda.h"
#include "programming/ProgrammingSheet.h"

#include <QString>

namespace slx {

// The report text for the sheet against the device copy; *difiere tells whether any
// item differs. Disabled intervals differ when any of their four texts differs;
// octave corrections are compared in tenths of a dB.
QString TextoComparacion(const FitxaProgramacio &fitxa, const ProgramacioRebuda &copia, bool *difiere = nullptr);

// Builds the report into modulo1().TextoComparacion; from a sheet version of 4.0 the
// global-correction check box becomes visible. When something differs the report is
// shown (OK / Cancel, question icon) and OK takes the device's programming into the
// sheet (CarregaProgAqt). Returns true when something differed.
bool ComparaPcAqt(FitxaProgramacio &fitxa, const ProgramacioRebuda &copia);
// The same with modulo1().ProgramacioRebuda.
bool ComparaPcAqt(FitxaProgramacio &fitxa);

} // namespace slx
