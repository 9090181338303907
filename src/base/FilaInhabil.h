#pragma once
// One disabled interval of a device's programming: its number and its four texts, as
// the sheet's grid, the shared IntervalosInhabiles, the print-outs and the comparison
// hold them.

#include <QString>

#include <array>

namespace slx {

// The texts of an unused disabled interval.
inline const QString kFechaVacia = QStringLiteral("00/00/00");
inline const QString kHoraVacia = QStringLiteral("00:00");

struct FilaInhabil {
    int Numero = 0;
    QString DiaEmpieza;  // "dd/mm/yy", "00/00/00" = unused
    QString HoraEmpieza; // "hh:nn"
    QString DiaTermina;
    QString HoraTermina;

    bool operator==(const FilaInhabil &) const = default;
};

// A device's thirty intervals, every one unused.
inline std::array<FilaInhabil, 30> filasInhabilesVacias()
{
    std::array<FilaInhabil, 30> filas;
    for (int k = 0; k < 30; ++k)
        filas[k] = {k + 1, kFechaVacia, kHoraVacia, kFechaVacia, kHoraVacia};
    return filas;
}

} // namespace slx
