#include "import/TablasIntercambio.h"

namespace slx::intercambio {

namespace {

using T = Tipo;
using C = Conversion;

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

    t << Tabla{"Intervalos",
               {clave("LNumeroSerie", T::Integer),
                inicio("DFechaInicio", "THoraInicio"),
                inicio("DFechaFinal", "THoraFinal"),
                col("ByTLeq", T::Byte),
                col("SLeqLocal", T::Single),
                col("SLeqVecino", T::Single),
                texto("TTipoActuacionLocal", 8),
                texto("TTipoActuacionVecino", 8),
                col("ByNivelLeqLocal", T::Byte),
                col("ByNivelLeqVecino", T::Byte),
                col("SMaxLeq1min", T::Single),
                texto("TFechaMaxLeq1min", 10, C::FechaTexto),
                texto("THoraMaxLeq1min", 5, C::HoraTexto),
                col("SMinLeq1min", T::Single),
                texto("TFechaMinLeq1min", 10, C::FechaTexto),
                texto("THoraMinLeq1min", 5, C::HoraTexto),
                col("SMaxFast", T::Single),
                col("ByNivelMFast", T::Byte),
                col("IPasMaxFast", T::Short),
                col("SL1", T::Single),
                col("SL5", T::Single),
                col("SL10", T::Single),
                col("SL50", T::Single),
                col("SL90", T::Single),
                col("BoRS232", T::Bit),
                col("BoProgramacion", T::Bit),
                col("IDesco", T::Short),
                col("IPasadasLocal", T::Short),
                col("IPasadasVecino", T::Short),
                col("IE3", T::Short),
                col("ByDNA", T::Byte),
                col("ByENA", T::Byte),
                col("ByLineaInsuficiente", T::Byte)},
               SiExiste::SiMismoFinal,
               {"LNumeroSerie", "DFechaInicio", "THoraInicio"}};

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

    t << Tabla{"Sesiones",
               {clave("LNumeroSerie", T::Integer),
                inicio("DFechaInicio", "THoraInicio"),
                inicio("DFechaFinal", "THoraFinal"),
                col("SLeq", T::Single),
                col("ByNivelDiaLocal", T::Byte),
                col("ByNivelDiaVecino", T::Byte),
                texto("THoraInicioNoche", 5),
                texto("THoraFinalNoche", 5),
                col("ByNivelNocheLocal", T::Byte),
                col("ByNivelNocheVecino", T::Byte),
                col("ITiempoAtenuacion", T::Short),
                col("LDesco", T::Integer),
                col("LPasadasLocal", T::Integer),
                col("LPasadasVecino", T::Integer),
                col("LE3", T::Integer),
                col("SMaxFast", T::Single),
                col("ByNivelMFast", T::Byte),
                col("LPasMaxFast", T::Integer),
                col("SMaxLeq1min", T::Single),
                texto("TFechaMaxLeq1min", 10, C::FechaTexto),
                texto("THoraMaxLeq1min", 5, C::HoraTexto),
                col("SMinLeq1min", T::Single),
                texto("TFechaMinLeq1min", 10, C::FechaTexto),
                texto("THoraMinLeq1min", 5, C::HoraTexto),
                col("SL1", T::Single),
                col("SL5", T::Single),
                col("SL10", T::Single),
                col("SL50", T::Single),
                col("SL90", T::Single)},
               SiExiste::SiMismoFinal,
               {"LNumeroSerie", "DFechaInicio", "THoraInicio"}};
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
