#pragma once
// The device copy: the programming last read from a device, decoded from its block.
// It carries the firmware version it was decoded with, which governs the actuation
// coding and the global-correction byte when it is later put into a sheet or compared.

#include <QString>
#include <array>

namespace slx {

struct ProgramacioRebuda {
    // Firmware version ("major.minor") the block was decoded with; empty until the
    // first successful read.
    QString Version;

    // Timetable: day 0 Sunday .. 6 Saturday; [0] start, [1] end; "hh:nn" or "--:--".
    std::array<std::array<QString, 2>, 7> HorarioAparato;
    quint8 NivelDiaLocalAparato = 0;
    quint8 NivelDiaVecinoAparato = 0;
    QString HoraEmpiezaNocheAparato; // "hh:nn"
    QString HoraTerminaNocheAparato; // "hh:nn"
    quint8 NivelNocheLocalAparato = 0;
    quint8 NivelNocheVecinoAparato = 0;
    quint8 CambioHoraAparato = 0;
    qint16 TiempoAtenuacionAparato = 0;
    quint8 TLeqAparato = 0;
    quint8 MFastAparato = 0;
    quint8 ImpresionAparato = 0;
    // "Español" .. "Italiano"; empty when the block's language byte names none.
    QString IdiomaAparato;
    quint8 RingsAparato = 0;
    // Disabled intervals, element k holds interval k+1: dates "dd/mm/yy" ("00/00/00"
    // = empty slot), times "hh:mm".
    std::array<QString, 30> InhabilDiaEmpiezaAparato;
    std::array<QString, 30> InhabilHoraEmpiezaAparato;
    std::array<QString, 30> InhabilDiaTerminaAparato;
    std::array<QString, 30> InhabilHoraTerminaAparato;
    QString TipoActuacionLocalAparato;  // "Leq125ms" or "Leq<n>s"
    QString TipoActuacionVecinoAparato; // "Leq125ms", "Leq<n>s" or "0" (does not act)
    // Octave corrections in dB, element 1 = 31.5 Hz .. 9 = 8 kHz (element 0 unused).
    std::array<float, 10> OctavasAparato{};
    // Global-correction flag; 0 when the block does not carry it (below 4.0).
    quint8 CorreccionGlobalAparato = 0;
};

} // namespace slx
