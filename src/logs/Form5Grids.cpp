#include "logs/Form5Grids.h"

namespace slx::logs {

namespace {

using rejillas::colores;
using rejillas::columnas;
using rejillas::Grupo;
using enum rejillas::Valores;

} // namespace

QVector<GridColumn> disenoSesiones()
{
    return columnas({
        {"", "", 0, Ninguno},
        {"DFechaInicio", "Fecha", 1773, Ninguno},
        {"THoraInicio", "Hora", 1085, Ninguno},
        {"DFechaFinal", "Fecha", 1799, Ninguno},
        {"THoraFinal", "Hora", 1111, Ninguno},
        {"SLeq", "", 1693, Nivel},
        {"LPasadasLocal", "", 3704, Ninguno},
        {"LPasadasVecino", "", 3704, Ninguno},
        {"ITiempoAtenuacion", "", 2302, Ninguno},
        {"ByNivelDiaLocal", "", 3889, Ninguno},
        {"ByNivelDiaVecino", "", 3969, Ninguno},
        {"ByNivelNocheLocal", "", 3889, Ninguno},
        {"ByNivelNocheVecino", "", 4075, Ninguno},
        {"THoraInicioNoche", "", 1191, Ninguno},
        {"THoraFinalNoche", "", 1270, Ninguno},
        {"SMaxLeq1min", "", 1376, Nivel},
        {"TFechaMaxLeq1min", "", 1720, Ninguno},
        {"THoraMaxLeq1min", "", 1376, Ninguno},
        {"SMinLeq1min", "", 1376, Nivel},
        {"TFechaMinLeq1min", "", 1720, Ninguno},
        {"THoraMinLeq1min", "", 1376, Ninguno},
        {"SMaxFast", "", 1032, Nivel},
        {"ByNivelMFast", "", 1032, Ninguno},
        {"LPasMaxFast", "Pasadas", 2831, Ninguno},
        {"SL1", "", 1058, Nivel},
        {"SL5", "", 1058, Nivel},
        {"SL10", "", 1058, Nivel},
        {"SL50", "", 1058, Nivel},
        {"SL90", "", 1058, Nivel},
        {"LDesco", "", 2831, Ninguno},
        {"LE3", "", 1270, Ninguno},
    });
}

QVector<GridColumn> disenoEventos()
{
    GridColumn fecha(QStringLiteral("DFecha"), QStringLiteral("Fecha"));
    fecha.widthTwips = 2461;
    fecha.numberFormat = QStringLiteral("Short Date");
    GridColumn hora(QStringLiteral("THora"), QStringLiteral("Hora"));
    hora.widthTwips = 1773;
    return {fecha, hora};
}

const QVector<Cabecera> &cabecerasSesiones()
{
    static const QVector<Cabecera> list = {
        {5, 42, nullptr, nullptr},  {6, 46, nullptr, nullptr},  {7, 47, nullptr, nullptr}, {8, 45, nullptr, nullptr},
        {9, 102, nullptr, "dBA"},   {10, 103, nullptr, "dBA"},  {11, 104, nullptr, "dBA"}, {12, 105, nullptr, "dBA"},
        {13, 43, nullptr, nullptr}, {14, 44, nullptr, nullptr}, {15, 12, nullptr, "dBA"},  {16, 12, nullptr, "#16"},
        {17, 12, nullptr, "#17"},   {18, 13, nullptr, "dBA"},   {19, 13, nullptr, "#16"},  {20, 13, nullptr, "#17"},
        {21, 14, nullptr, "dBA"},   {22, 36, nullptr, "dBA"},   {24, 0, "L1", "dBA"},      {25, 0, "L5", "dBA"},
        {26, 0, "L10", "dBA"},      {27, 0, "L50", "dBA"},      {28, 0, "L90", "dBA"},     {29, 39, nullptr, nullptr},
        {30, 40, nullptr, nullptr},
    };
    return list;
}

Colores coloresSesiones(int c)
{
    if (c == 5)
        return colores(Grupo::Azul);
    if (c <= 8)
        return colores(Grupo::RosaAzul);
    if (c <= 12)
        return colores(Grupo::RosaAcero);
    if (c <= 14)
        return colores(Grupo::Acero);
    if (c <= 17)
        return colores(Grupo::Amarillo);
    if (c <= 20)
        return colores(Grupo::Verde);
    if (c == 21)
        return colores(Grupo::Cian);
    if (c <= 23)
        return colores(Grupo::RosaCian);
    if (c <= 28)
        return colores(Grupo::Violeta);
    return colores(Grupo::Rojo);
}

Colores coloresEventos()
{
    return colores(Grupo::Rojo);
}

} // namespace slx::logs
