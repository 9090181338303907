#include "programming/Comparison.h"

#include "base/Firmware.h"

#include "localization/LocGuru.h"
#include "programming/ProgrammingBlock.h"

#include <cmath>

namespace slx {

namespace {

const QChar kCr(13);

QString siNo(bool si)
{
    return oLocGuru().GetS(si ? 68 : 69);
}

// "Leq" and the value of the seconds field as a plain number ("01" gives Leq1s).
QString leqSegundos(const QString &campo)
{
    const double v = valorInicial(campo);
    return QStringLiteral("Leq") + QString::number(v, 'g', 15) + u's';
}

QString tipoLocal(const FitxaProgramacio &f)
{
    return f.OptionLocal == OpcionLocal::Leq1s ? leqSegundos(f.MaskTempsActLoc) : QStringLiteral("Leq125ms");
}

QString tipoVecino(const FitxaProgramacio &f)
{
    switch (f.OptionVei) {
    case OpcionVei::Leq1s: return leqSegundos(f.MaskTempsActVei);
    case OpcionVei::Leq125: return QStringLiteral("Leq125ms");
    case OpcionVei::No: break;
    }
    return QStringLiteral("0");
}

// A field's text against a device number: differs unless the text is that number.
bool difiereNumero(const QString &texto, double aparato)
{
    const auto v = numeroTexto(texto);
    return !v || *v != aparato;
}

bool difiereDecimas(const QString &texto, float aparato)
{
    const auto v = numeroTexto(texto);
    if (!v || !std::isfinite(*v))
        return true;
    return std::llround(*v * 10.0) != std::llround(static_cast<double>(aparato) * 10.0);
}

class Informe {
public:
    QString texto = QStringLiteral("               PC <-> SLX90") + kCr + kCr;
    bool difiere = false;

    void linea(bool distinto, const QString &etiqueta, const QString &pc, const QString &aparato,
               const QString &medio = QStringLiteral(" <-> "))
    {
        if (!distinto)
            return;
        difiere = true;
        texto += etiqueta + pc + medio + aparato + kCr;
    }
};

} // namespace

QString TextoComparacion(const FitxaProgramacio &f, const ProgramacioRebuda &c, bool *difiere)
{
    LocGuru &loc = oLocGuru();
    const QString tab = QStringLiteral("\t");
    const QString puntos = QStringLiteral(": \t");
    const QString blanco = QStringLiteral(" \t");
    Informe r;

    r.linea(int(f.CheckCambioHora) != c.CambioHoraAparato, loc.GetS(90) + tab, siNo(f.CheckCambioHora),
            siNo(c.CambioHoraAparato == 1), QStringLiteral("<->"));
    r.linea(tipoLocal(f) != c.TipoActuacionLocalAparato, loc.GetS(65) + tab, tipoLocal(f), c.TipoActuacionLocalAparato);
    r.linea(tipoVecino(f) != c.TipoActuacionVecinoAparato, loc.GetS(66) + tab, tipoVecino(f),
            c.TipoActuacionVecinoAparato);
    r.linea(nombreIdioma(f.OptionIdioma) != c.IdiomaAparato, loc.GetS(1) + puntos, nombreIdioma(f.OptionIdioma),
            c.IdiomaAparato);
    r.linea(difiereNumero(f.MaskTLeq, c.TLeqAparato), loc.GetS(10) + blanco, f.MaskTLeq,
            QString::number(c.TLeqAparato));
    r.linea(difiereNumero(f.MaskMFast, c.MFastAparato), loc.GetS(77) + blanco, f.MaskMFast,
            QString::number(c.MFastAparato));
    r.linea(int(f.CheckImpresion) != c.ImpresionAparato, loc.GetS(11) + puntos, siNo(f.CheckImpresion),
            siNo(!f.CheckImpresion));

    // Monday to Sunday; the device counts from Sunday (day 0).
    for (int i = 0; i < 7; ++i) {
        const int dia = (i + 1) % 7;
        const auto &h = c.HorarioAparato[dia];
        r.linea(f.inicio(dia) != h[0] || f.fin(dia) != h[1], loc.GetS(83 + i) + blanco,
                f.inicio(dia) + u'-' + f.fin(dia), h[0] + u'-' + h[1]);
    }

    r.linea(difiereNumero(f.MaskDiaLocal, c.NivelDiaLocalAparato), loc.GetS(102) + puntos, f.MaskDiaLocal,
            QString::number(c.NivelDiaLocalAparato));
    r.linea(difiereNumero(f.MaskDiaVei, c.NivelDiaVecinoAparato), loc.GetS(103) + puntos, f.MaskDiaVei,
            QString::number(c.NivelDiaVecinoAparato));
    r.linea(f.MaskEmpiezaNoche != c.HoraEmpiezaNocheAparato, loc.GetS(78) + blanco, f.MaskEmpiezaNoche,
            c.HoraEmpiezaNocheAparato);
    r.linea(f.MaskTerminaNoche != c.HoraTerminaNocheAparato, loc.GetS(79) + blanco, f.MaskTerminaNoche,
            c.HoraTerminaNocheAparato);
    r.linea(difiereNumero(f.MaskNitLocal, c.NivelNocheLocalAparato), loc.GetS(104) + puntos, f.MaskNitLocal,
            QString::number(c.NivelNocheLocalAparato));
    r.linea(difiereNumero(f.MaskNitVei, c.NivelNocheVecinoAparato), loc.GetS(105) + puntos, f.MaskNitVei,
            QString::number(c.NivelNocheVecinoAparato));
    r.linea(difiereNumero(f.MaskTiempoAtenuacion, c.TiempoAtenuacionAparato), loc.GetS(80) + puntos,
            f.MaskTiempoAtenuacion, QString::number(c.TiempoAtenuacionAparato));
    r.linea(difiereNumero(f.MaskRings, c.RingsAparato), loc.GetS(155) + tab, f.MaskRings,
            QString::number(c.RingsAparato));

    if (versionAlMenys(f.MaskVersion, firmware::kGlobalCorrection))
        r.linea(int(f.CheckApliCorrecioGlobal) != c.CorreccionGlobalAparato, QStringLiteral("AVIR") + tab,
                siNo(f.CheckApliCorrecioGlobal), siNo(c.CorreccionGlobalAparato == 1), QStringLiteral("<->"));

    for (int j = 0; j < 9; ++j)
        r.linea(difiereDecimas(f.MaskOctava[j], c.OctavasAparato[j + 1]), loc.GetS(146 + j) + tab, f.MaskOctava[j],
                textoSingle(c.OctavasAparato[j + 1]));

    QString lista;
    for (int i = 0; i < 30; ++i) {
        const FilaInhabil &fila = f.MatrizInhabil[i];
        if (fila.DiaEmpieza != c.InhabilDiaEmpiezaAparato[i] || fila.HoraEmpieza != c.InhabilHoraEmpiezaAparato[i] ||
            fila.DiaTermina != c.InhabilDiaTerminaAparato[i] || fila.HoraTermina != c.InhabilHoraTerminaAparato[i])
            lista += QStringLiteral("  ") + QString::number(i + 1);
    }
    if (!lista.isEmpty()) {
        r.difiere = true;
        r.texto += loc.GetS(81) + tab + lista;
    }
    r.texto += kCr;
    r.texto += kCr + loc.GetS(82) + kCr;

    if (difiere)
        *difiere = r.difiere;
    return r.texto;
}

} // namespace slx
