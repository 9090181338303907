#include "programming/FitxaProgramacio.h"

#include <cmath>

namespace slx {

QString nombreIdioma(OpcionIdioma o)
{
    return QString::fromUtf16(kNombresIdioma[static_cast<int>(o)]);
}

std::optional<OpcionIdioma> idiomaPorNombre(const QString &nombre)
{
    for (int i = 0; i < 6; ++i)
        if (nombre == QString::fromUtf16(kNombresIdioma[i]))
            return static_cast<OpcionIdioma>(i);
    return std::nullopt;
}

QString &FitxaProgramacio::inicio(int dia)
{
    return const_cast<QString &>(static_cast<const FitxaProgramacio *>(this)->inicio(dia));
}

QString &FitxaProgramacio::fin(int dia)
{
    return const_cast<QString &>(static_cast<const FitxaProgramacio *>(this)->fin(dia));
}

const QString &FitxaProgramacio::inicio(int dia) const
{
    switch (dia) {
    case 0: return MaskDomingoIni;
    case 1: return MaskLunesIni;
    case 2: return MaskMartesIni;
    case 3: return MaskMiercolesIni;
    case 4: return MaskJuevesIni;
    case 5: return MaskViernesIni;
    default: return MaskSabadoIni;
    }
}

const QString &FitxaProgramacio::fin(int dia) const
{
    switch (dia) {
    case 0: return MaskDomingoFi;
    case 1: return MaskLunesFi;
    case 2: return MaskMartesFi;
    case 3: return MaskMiercolesFi;
    case 4: return MaskJuevesFi;
    case 5: return MaskViernesFi;
    default: return MaskSabadoFi;
    }
}

void ponTiposActuacion(FitxaProgramacio &f, const QString &local, const QString &vecino, SegundosActuacion segundos)
{
    const QString leq125 = QStringLiteral("Leq125ms");
    if (local == leq125) {
        f.OptionLocal = OpcionLocal::Leq125;
    } else {
        f.OptionLocal = OpcionLocal::Leq1s;
        if (const auto s = segundos(local))
            f.MaskTempsActLoc = *s;
    }
    if (vecino == QLatin1String("0")) {
        f.OptionVei = OpcionVei::No;
    } else if (vecino == leq125) {
        f.OptionVei = OpcionVei::Leq125;
    } else {
        f.OptionVei = OpcionVei::Leq1s;
        if (const auto s = segundos(vecino))
            f.MaskTempsActVei = *s;
    }
}

} // namespace slx
