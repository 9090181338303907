#pragma once
// The programming sheet as a value, free of widgets: one member per control of the
// sheet window, named after it, holding what the control shows. Masked fields hold
// their text as the user sees it, check boxes their state, option groups the option
// that is on (one member per group), and the grid array MatrizInhabil its 30 rows.
//
// The operations that fill a sheet fill MatrizInhabil and say what the windows are to
// hand over to their shared state; they touch no shared state themselves.

#include "base/FilaInhabil.h"
#include "base/TextFormats.h"

#include <QDate>
#include <QString>
#include <QTime>
#include <array>
#include <optional>

namespace slx {

// Device language option group; the value is also the block's language byte.
enum class OpcionIdioma { Espanol = 0, Catalan = 1, Ingles = 2, Aleman = 3, Frances = 4, Italiano = 5 };
// Actuation option group of the emission limit.
enum class OpcionLocal { Leq1s, Leq125 };
// Actuation option group of the reception limit.
enum class OpcionVei { No, Leq1s, Leq125 };

// Control names and language names of the language options, by OpcionIdioma value.
inline constexpr const char16_t *kOpcionesIdioma[6] = {u"OptionEspañol", u"OptionCatalan", u"OptionIngles",
                                                       u"OptionAleman",  u"OptionFrances", u"OptionItaliano"};
inline constexpr const char16_t *kNombresIdioma[6] = {u"Español", u"Català",   u"English",
                                                      u"Deutsch", u"Français", u"Italiano"};
QString nombreIdioma(OpcionIdioma o);
std::optional<OpcionIdioma> idiomaPorNombre(const QString &nombre); // exact name, case matters

struct FitxaProgramacio {
    // Sheet clock shown beside the sheet ("dd/mm/yy", "hh:mm:ss").
    QString TextFecha;
    QString TextHora;

    // Identity and contact.
    QString MaskNumeroSerie = QStringLiteral("0");
    QString MaskFecha;
    QString MaskContacto;
    QString MaskLocal;
    QString MaskDireccion;
    QString MaskPoblacion;
    QString MaskTelefono;
    QString TextNota;
    QString MaskVersion = QStringLiteral("0.0");

    // Options and checks.
    bool CheckCambioHora = false;
    bool CheckImpresion = false;
    bool CheckApliCorrecioGlobal = false;
    // Shown for firmware 4.0 and later (with its picture box).
    bool CheckApliCorrecioGlobalVisible = false;
    OpcionIdioma OptionIdioma = OpcionIdioma::Espanol; // OptionEspañol .. OptionItaliano
    OpcionLocal OptionLocal = OpcionLocal::Leq1s;      // OptionLocalLeq1s, OptionLocalLeq125
    OpcionVei OptionVei = OpcionVei::Leq1s;            // OptionVeiNo, OptionVeiLeq1s, OptionVeiLeq125
    QString MaskTempsActLoc = QStringLiteral("01");
    QString MaskTempsActVei = QStringLiteral("01");
    // Both seconds fields are enabled from firmware 3.3.
    bool MaskTempsActEnabled = true;

    QString MaskTLeq;
    QString MaskMFast;

    // Weekly timetable, "hh:nn" or "--:--".
    QString MaskLunesIni, MaskLunesFi;
    QString MaskMartesIni, MaskMartesFi;
    QString MaskMiercolesIni, MaskMiercolesFi;
    QString MaskJuevesIni, MaskJuevesFi;
    QString MaskViernesIni, MaskViernesFi;
    QString MaskSabadoIni, MaskSabadoFi;
    QString MaskDomingoIni, MaskDomingoFi;

    // Limits and periods.
    QString MaskDiaLocal;
    QString MaskDiaVei;
    QString MaskEmpiezaNoche;
    QString MaskTerminaNoche;
    QString MaskEmpiezaDia; // the day period is the night's complement
    QString MaskTerminaDia;
    QString MaskNitLocal;
    QString MaskNitVei;
    QString MaskTiempoAtenuacion;
    QString MaskRings;

    // MaskOctava1 .. MaskOctava9 are elements 0 .. 8.
    std::array<QString, 9> MaskOctava;

    // Rows 1 to 30 of the disabled-interval grid are elements 0 to 29.
    std::array<FilaInhabil, 30> MatrizInhabil;

    // Day fields by device day: 0 Sunday, 1 Monday .. 6 Saturday.
    QString &inicio(int dia);
    QString &fin(int dia);
    const QString &inicio(int dia) const;
    const QString &fin(int dia) const;

    bool operator==(const FitxaProgramacio &) const = default;
};

// What an operation that fills a sheet leaves for the windows' shared state, which the
// window then writes: the sheet's intervals are its MatrizInhabil (IntervalosInhabiles),
// and whether the sheet now differs from its stored row (FitxaModificada).
struct [[nodiscard]] EstadoFitxa {
    bool modificada = false;
};

// Puts two actuation types (emission, reception) into the sheet's option groups:
// "Leq125ms" the 125 ms option, "0" (reception only) the option that does not act,
// any other text the seconds option, whose field gets what segundos takes from the
// text (nothing leaves the field as it is).
using SegundosActuacion = std::optional<QString> (*)(const QString &tipo);
void ponTiposActuacion(FitxaProgramacio &fitxa, const QString &local, const QString &vecino,
                       SegundosActuacion segundos);

} // namespace slx
