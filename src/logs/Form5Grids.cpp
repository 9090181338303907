#include "logs/Form5Grids.h"

#include "base/ColumnasRegistro.h"

namespace slx::logs {

namespace {

using rejillas::colores;
using rejillas::columnas;
using rejillas::Grupo;
using enum rejillas::Valores;
using S = registro::Sesion;

} // namespace

QVector<GridColumn> disenoSesiones()
{
    return columnas({
        {"", "", 0, Ninguno},
        {registro::nombreC(S::dFechaInicio), "Fecha", 1773, Ninguno},
        {registro::nombreC(S::tHoraInicio), "Hora", 1085, Ninguno},
        {registro::nombreC(S::dFechaFinal), "Fecha", 1799, Ninguno},
        {registro::nombreC(S::tHoraFinal), "Hora", 1111, Ninguno},
        {registro::nombreC(S::sLeq), "", 1693, Nivel},
        {registro::nombreC(S::lPasadasLocal), "", 3704, Ninguno},
        {registro::nombreC(S::lPasadasVecino), "", 3704, Ninguno},
        {registro::nombreC(S::iTiempoAtenuacion), "", 2302, Ninguno},
        {registro::nombreC(S::byNivelDiaLocal), "", 3889, Ninguno},
        {registro::nombreC(S::byNivelDiaVecino), "", 3969, Ninguno},
        {registro::nombreC(S::byNivelNocheLocal), "", 3889, Ninguno},
        {registro::nombreC(S::byNivelNocheVecino), "", 4075, Ninguno},
        {registro::nombreC(S::tHoraInicioNoche), "", 1191, Ninguno},
        {registro::nombreC(S::tHoraFinalNoche), "", 1270, Ninguno},
        {registro::nombreC(S::sMaxLeq1min), "", 1376, Nivel},
        {registro::nombreC(S::tFechaMaxLeq1min), "", 1720, Ninguno},
        {registro::nombreC(S::tHoraMaxLeq1min), "", 1376, Ninguno},
        {registro::nombreC(S::sMinLeq1min), "", 1376, Nivel},
        {registro::nombreC(S::tFechaMinLeq1min), "", 1720, Ninguno},
        {registro::nombreC(S::tHoraMinLeq1min), "", 1376, Ninguno},
        {registro::nombreC(S::sMaxFast), "", 1032, Nivel},
        {registro::nombreC(S::byNivelMFast), "", 1032, Ninguno},
        {registro::nombreC(S::lPasMaxFast), "Pasadas", 2831, Ninguno},
        {registro::nombreC(S::sL1), "", 1058, Nivel},
        {registro::nombreC(S::sL5), "", 1058, Nivel},
        {registro::nombreC(S::sL10), "", 1058, Nivel},
        {registro::nombreC(S::sL50), "", 1058, Nivel},
        {registro::nombreC(S::sL90), "", 1058, Nivel},
        {registro::nombreC(S::lDesco), "", 2831, Ninguno},
        {registro::nombreC(S::lE3), "", 1270, Ninguno},
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
