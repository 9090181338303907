#include "base/ColumnasRegistro.h"

namespace slx::registro {

namespace {

// In the order of the enumerations.
constexpr const char *kIntervalo[kColumnasIntervalo] = {
    "LNumeroSerie",
    "DFechaInicio",
    "THoraInicio",
    "DFechaFinal",
    "THoraFinal",
    "ByTLeq",
    "SLeqLocal",
    "SLeqVecino",
    "TTipoActuacionLocal",
    "TTipoActuacionVecino",
    "ByNivelLeqLocal",
    "ByNivelLeqVecino",
    "SMaxLeq1min",
    "TFechaMaxLeq1min",
    "THoraMaxLeq1min",
    "SMinLeq1min",
    "TFechaMinLeq1min",
    "THoraMinLeq1min",
    "SMaxFast",
    "ByNivelMFast",
    "IPasMaxFast",
    "SL1",
    "SL5",
    "SL10",
    "SL50",
    "SL90",
    "BoRS232",
    "BoProgramacion",
    "IDesco",
    "IPasadasLocal",
    "IPasadasVecino",
    "IE3",
    "ByDNA",
    "ByENA",
    "ByLineaInsuficiente",
};

constexpr const char *kSesion[kColumnasSesion] = {
    "LNumeroSerie",
    "DFechaInicio",
    "THoraInicio",
    "DFechaFinal",
    "THoraFinal",
    "SLeq",
    "ByNivelDiaLocal",
    "ByNivelDiaVecino",
    "THoraInicioNoche",
    "THoraFinalNoche",
    "ByNivelNocheLocal",
    "ByNivelNocheVecino",
    "ITiempoAtenuacion",
    "LDesco",
    "LPasadasLocal",
    "LPasadasVecino",
    "LE3",
    "SMaxFast",
    "ByNivelMFast",
    "LPasMaxFast",
    "SMaxLeq1min",
    "TFechaMaxLeq1min",
    "THoraMaxLeq1min",
    "SMinLeq1min",
    "TFechaMinLeq1min",
    "THoraMinLeq1min",
    "SL1",
    "SL5",
    "SL10",
    "SL50",
    "SL90",
};

} // namespace

const char *nombreC(Intervalo c)
{
    return kIntervalo[int(c)];
}

const char *nombreC(Sesion c)
{
    return kSesion[int(c)];
}

QStringList nombresIntervalo(int n)
{
    QStringList out;
    for (int i = 0; i < n && i < kColumnasIntervalo; ++i)
        out << QLatin1String(kIntervalo[i]);
    return out;
}

QStringList nombresSesion(int n)
{
    QStringList out;
    for (int i = 0; i < n && i < kColumnasSesion; ++i)
        out << QLatin1String(kSesion[i]);
    return out;
}

} // namespace slx::registro
