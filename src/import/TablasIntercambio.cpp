#include "import/TablasIntercambio.h"

#include "base/ColumnasRegistro.h"

namespace slx::intercambio {

namespace {

using T = Tipo;
using C = Conversion;
using I = registro::Intervalo;
using S = registro::Sesion;

Columna clave(const char *nombre, Tipo tipo, int ancho = 0, Conversion c = C::Ninguna)
{
    return Columna{nombre, tipo, ancho, c, true};
}

Columna texto(const char *nombre, int ancho, Conversion c = C::Ninguna)
{
    return Columna{nombre, T::Char, ancho, c};
}

Columna col(const char *nombre, Tipo tipo)
{
    return Columna{nombre, tipo};
}

Tabla evento(const char *nombre)
{
    return Tabla{
        nombre,
        {clave("LNumeroSerie", T::Integer), clave("DFecha", T::Date), clave("THora", T::Char, 5, C::HoraEvento)},
        SiExiste::NadaSeEscribe,
        {"LNumeroSerie", "DFecha", "THora"}};
}

Columna inicio(const char *nombre, const char *hora)
{
    Columna c = clave(nombre, T::Date, 0, C::FechaYHora);
    c.segunda = hora;
    return c;
}

QVector<Tabla> construye()
{
    QVector<Tabla> t;
    t << evento("DiaBorrado") << evento("DiaFinalBateria") << evento("DiaReprogramado");

    t << Tabla{"IntervaloInhabil",
               {clave("LNumeroSerie", T::Integer), clave("ByIntervalo", T::Byte),
                texto("TDiaEmpiezaInt", 10, C::DiaCorto), Columna{"THoraEmpiezaInt", T::Date, 0, C::HoraDelDia},
                texto("TDiaTerminaInt", 10, C::DiaCorto), Columna{"THoraTerminaInt", T::Date, 0, C::HoraDelDia}},
               SiExiste::SeSobrescribe,
               {"LNumeroSerie", "ByIntervalo"}};

    t << Tabla{
        "Intervalos",
        {clave(registro::nombreC(I::lNumeroSerie), T::Integer),
         inicio(registro::nombreC(I::dFechaInicio), registro::nombreC(I::tHoraInicio)),
         inicio(registro::nombreC(I::dFechaFinal), registro::nombreC(I::tHoraFinal)),
         col(registro::nombreC(I::byTLeq), T::Byte),
         col(registro::nombreC(I::sLeqLocal), T::Single),
         col(registro::nombreC(I::sLeqVecino), T::Single),
         texto(registro::nombreC(I::tTipoActuacionLocal), 8),
         texto(registro::nombreC(I::tTipoActuacionVecino), 8),
         col(registro::nombreC(I::byNivelLeqLocal), T::Byte),
         col(registro::nombreC(I::byNivelLeqVecino), T::Byte),
         col(registro::nombreC(I::sMaxLeq1min), T::Single),
         texto(registro::nombreC(I::tFechaMaxLeq1min), 10, C::FechaTexto),
         texto(registro::nombreC(I::tHoraMaxLeq1min), 5, C::HoraTexto),
         col(registro::nombreC(I::sMinLeq1min), T::Single),
         texto(registro::nombreC(I::tFechaMinLeq1min), 10, C::FechaTexto),
         texto(registro::nombreC(I::tHoraMinLeq1min), 5, C::HoraTexto),
         col(registro::nombreC(I::sMaxFast), T::Single),
         col(registro::nombreC(I::byNivelMFast), T::Byte),
         col(registro::nombreC(I::iPasMaxFast), T::Short),
         col(registro::nombreC(I::sL1), T::Single),
         col(registro::nombreC(I::sL5), T::Single),
         col(registro::nombreC(I::sL10), T::Single),
         col(registro::nombreC(I::sL50), T::Single),
         col(registro::nombreC(I::sL90), T::Single),
         col(registro::nombreC(I::boRS232), T::Bit),
         col(registro::nombreC(I::boProgramacion), T::Bit),
         col(registro::nombreC(I::iDesco), T::Short),
         col(registro::nombreC(I::iPasadasLocal), T::Short),
         col(registro::nombreC(I::iPasadasVecino), T::Short),
         col(registro::nombreC(I::iE3), T::Short),
         col(registro::nombreC(I::byDNA), T::Byte),
         col(registro::nombreC(I::byENA), T::Byte),
         col(registro::nombreC(I::byLineaInsuficiente), T::Byte)},
        SiExiste::SiMismoFinal,
        {registro::nombreC(I::lNumeroSerie), registro::nombreC(I::dFechaInicio), registro::nombreC(I::tHoraInicio)}};

    QVector<Columna> prog = {clave("LNumeroSerie", T::Integer),
                             col("DFecha", T::Date),
                             texto("TContacto", 30),
                             texto("TLocal", 30),
                             texto("TDireccion", 30),
                             texto("TPoblacion", 30),
                             texto("TTelefono", 15),
                             col("TNota", T::Memo),
                             texto("TVersion", 5),
                             texto("TModelo", 5),
                             col("BoCambioHora", T::Bit),
                             texto("TIdioma", 8),
                             col("ByTLeq", T::Byte),
                             col("ByMFast", T::Byte),
                             col("BoImpresion", T::Bit)};
    for (const char *dia : {"TLunesInicio", "TLunesFin", "TMartesInicio", "TMartesFin", "TMiercolesInicio",
                            "TMiercolesFin", "TJuevesInicio", "TJuevesFin", "TViernesInicio", "TViernesFin",
                            "TSabadoInicio", "TSabadoFin", "TDomingoInicio", "TDomingoFin"})
        prog << texto(dia, 5);
    prog << col("ByNivelDiaLocal", T::Byte) << col("ByNivelDiaVecino", T::Byte) << texto("THoraEmpiezaNoche", 5)
         << texto("THoraTerminaNoche", 5) << col("ByNivelNocheLocal", T::Byte) << col("ByNivelNocheVecino", T::Byte)
         << col("ITiempoAtenuacion", T::Short) << texto("TTipoActuacionLocal", 8) << texto("TTipoActuacionVecino", 8);
    for (const char *octava : {"SOctava31,5Hz", "SOctava63Hz", "SOctava125Hz", "SOctava250Hz", "SOctava500Hz",
                               "SOctava1kHz", "SOctava2kHz", "SOctava4kHz", "SOctava8kHz"})
        prog << col(octava, T::Single);
    prog << col("ByRings", T::Byte) << col("DFechaTotales", T::Date) << texto("THoraTotales", 8)
         << col("LPasadasLocal", T::Integer) << col("LPasadasVecino", T::Integer) << col("LE3", T::Integer)
         << col("LCB", T::Integer) << col("ByVelocidad", T::Byte) << col("CMI", T::Bit);
    t << Tabla{"Programacion", prog, SiExiste::SeSobrescribe, {"LNumeroSerie"}};

    t << Tabla{
        "Sesiones",
        {clave(registro::nombreC(S::lNumeroSerie), T::Integer),
         inicio(registro::nombreC(S::dFechaInicio), registro::nombreC(S::tHoraInicio)),
         inicio(registro::nombreC(S::dFechaFinal), registro::nombreC(S::tHoraFinal)),
         col(registro::nombreC(S::sLeq), T::Single),
         col(registro::nombreC(S::byNivelDiaLocal), T::Byte),
         col(registro::nombreC(S::byNivelDiaVecino), T::Byte),
         texto(registro::nombreC(S::tHoraInicioNoche), 5),
         texto(registro::nombreC(S::tHoraFinalNoche), 5),
         col(registro::nombreC(S::byNivelNocheLocal), T::Byte),
         col(registro::nombreC(S::byNivelNocheVecino), T::Byte),
         col(registro::nombreC(S::iTiempoAtenuacion), T::Short),
         col(registro::nombreC(S::lDesco), T::Integer),
         col(registro::nombreC(S::lPasadasLocal), T::Integer),
         col(registro::nombreC(S::lPasadasVecino), T::Integer),
         col(registro::nombreC(S::lE3), T::Integer),
         col(registro::nombreC(S::sMaxFast), T::Single),
         col(registro::nombreC(S::byNivelMFast), T::Byte),
         col(registro::nombreC(S::lPasMaxFast), T::Integer),
         col(registro::nombreC(S::sMaxLeq1min), T::Single),
         texto(registro::nombreC(S::tFechaMaxLeq1min), 10, C::FechaTexto),
         texto(registro::nombreC(S::tHoraMaxLeq1min), 5, C::HoraTexto),
         col(registro::nombreC(S::sMinLeq1min), T::Single),
         texto(registro::nombreC(S::tFechaMinLeq1min), 10, C::FechaTexto),
         texto(registro::nombreC(S::tHoraMinLeq1min), 5, C::HoraTexto),
         col(registro::nombreC(S::sL1), T::Single),
         col(registro::nombreC(S::sL5), T::Single),
         col(registro::nombreC(S::sL10), T::Single),
         col(registro::nombreC(S::sL50), T::Single),
         col(registro::nombreC(S::sL90), T::Single)},
        SiExiste::SiMismoFinal,
        {registro::nombreC(S::lNumeroSerie), registro::nombreC(S::dFechaInicio), registro::nombreC(S::tHoraInicio)}};
    return t;
}

} // namespace

const QVector<Tabla> &tablas()
{
    static const QVector<Tabla> t = construye();
    return t;
}

const Tabla *tablaDe(const QString &seccion)
{
    for (const Tabla &t : tablas())
        if (seccion.compare(QLatin1String(t.nombre), Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

} // namespace slx::intercambio
