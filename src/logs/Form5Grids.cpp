#include "logs/Form5Grids.h"

namespace slx::logs {

namespace {

enum Regla { Ninguna, Nivel, Vecino, Limite, NoDisponible, SiNo };

struct Diseno {
    const char *campo;
    const char *caption;
    int ancho;
    Regla regla;
};

GridColumn columna(const Diseno &d)
{
    GridColumn c(QString::fromUtf8(d.campo), QString::fromUtf8(d.caption));
    c.widthTwips = d.ancho;
    switch (d.regla) {
    case Nivel:
        c.numberFormat = QStringLiteral("0.0");
        c.valueItems = {{59, QStringLiteral("UND")}, {121, QStringLiteral("UP")}, {0, QStringLiteral("---")}};
        break;
    case Vecino:
        c.numberFormat = QStringLiteral("0.0");
        c.valueItems = {{121, QStringLiteral("UP")}, {0, QStringLiteral("---")}};
        break;
    case Limite: c.valueItems = {{255, QStringLiteral("---")}}; break;
    case NoDisponible: c.valueItems = {{255, QStringLiteral("Sin calibrar")}}; break;
    case SiNo:
        c.valueItems = {{0, QString(), ValueItem::Picture::CheckEmpty},
                        {-1, QString(), ValueItem::Picture::CheckTicked}};
        break;
    case Ninguna: break;
    }
    return c;
}

QVector<GridColumn> columnas(std::initializer_list<Diseno> list)
{
    QVector<GridColumn> out;
    for (const Diseno &d : list)
        out << columna(d);
    out[0].visible = false;
    out[1].numberFormat = QStringLiteral("Short Date");
    out[3].numberFormat = QStringLiteral("Short Date");
    return out;
}

const QColor kAzul(220, 220, 255), kCabAzul(150, 150, 255), kRosa(255, 220, 220), kCabAcero(108, 179, 236),
    kAcero(180, 216, 245), kAmarillo(251, 248, 200), kCabAmarillo(251, 248, 150), kVerde(220, 255, 220),
    kCabVerde(150, 255, 150), kCian(96, 253, 253), kCabCian(3, 233, 233), kVioleta(251, 205, 252),
    kCabVioleta(245, 152, 248), kCabRojo(255, 150, 150);

enum Grupo { Azul, RosaAzul, RosaAcero, Acero, Amarillo, Verde, Cian, RosaCian, Violeta, Rojo };

Colores colores(Grupo g)
{
    switch (g) {
    case Azul: return {kAzul, kCabAzul};
    case RosaAzul: return {kRosa, kCabAzul};
    case RosaAcero: return {kRosa, kCabAcero};
    case Acero: return {kAcero, kCabAcero};
    case Amarillo: return {kAmarillo, kCabAmarillo};
    case Verde: return {kVerde, kCabVerde};
    case Cian: return {kCian, kCabCian};
    case RosaCian: return {kRosa, kCabCian};
    case Violeta: return {kVioleta, kCabVioleta};
    case Rojo: return {kRosa, kCabRojo};
    }
    return {};
}

} // namespace

QVector<GridColumn> disenoIntervalos()
{
    return columnas({
        {"", "", 0, Ninguna},
        {"DFechaInicio", "Fecha", 1746, Ninguna},
        {"THoraInicio", "Hora", 1085, Ninguna},
        {"DFechaFinal", "Fecha", 1826, Ninguna},
        {"THoraFinal", "Hora", 1111, Ninguna},
        {"ByTLeq", "", 873, Ninguna},
        {"SLeqLocal", "", 2275, Nivel},
        {"ByNivelLeqLocal", "", 3175, Limite},
        {"IPasadasLocal", "", 3704, Ninguna},
        {"TTipoActuacionLocal", "", 2646, Ninguna},
        {"SLeqVecino", "", 2275, Vecino},
        {"ByNivelLeqVecino", "", 3360, Limite},
        {"IPasadasVecino", "", 3704, Ninguna},
        {"TTipoActuacionVecino", "", 2646, Ninguna},
        {"SMaxLeq1min", "", 1376, Nivel},
        {"TFechaMaxLeq1min", "", 1720, Ninguna},
        {"THoraMaxLeq1min", "", 1376, Ninguna},
        {"SMinLeq1min", "", 1376, Nivel},
        {"TFechaMinLeq1min", "", 1720, Ninguna},
        {"THoraMinLeq1min", "", 1376, Ninguna},
        {"SMaxFast", "", 1032, Nivel},
        {"ByNivelMFast", "", 1032, Ninguna},
        {"IPasMaxFast", "Pasadas", 2831, Ninguna},
        {"SL1", "", 1058, Nivel},
        {"SL5", "", 1058, Nivel},
        {"SL10", "", 1058, Nivel},
        {"SL50", "", 1058, Nivel},
        {"SL90", "", 1058, Nivel},
        {"BoRS232", "", 1561, SiNo},
        {"BoProgramacion", "Reprogramación", 2646, SiNo},
        {"IDesco", "", 2831, Ninguna},
        {"IE3", "", 2831, Ninguna},
        {"ByLineaInsuficiente", "Línea insuficiente", 2540, NoDisponible},
        {"ByDNA", "D.N.A.", 2170, NoDisponible},
        {"ByENA", "E.N.A.", 2170, NoDisponible},
    });
}

QVector<GridColumn> disenoSesiones()
{
    return columnas({
        {"", "", 0, Ninguna},
        {"DFechaInicio", "Fecha", 1773, Ninguna},
        {"THoraInicio", "Hora", 1085, Ninguna},
        {"DFechaFinal", "Fecha", 1799, Ninguna},
        {"THoraFinal", "Hora", 1111, Ninguna},
        {"SLeq", "", 1693, Nivel},
        {"LPasadasLocal", "", 3704, Ninguna},
        {"LPasadasVecino", "", 3704, Ninguna},
        {"ITiempoAtenuacion", "", 2302, Ninguna},
        {"ByNivelDiaLocal", "", 3889, Ninguna},
        {"ByNivelDiaVecino", "", 3969, Ninguna},
        {"ByNivelNocheLocal", "", 3889, Ninguna},
        {"ByNivelNocheVecino", "", 4075, Ninguna},
        {"THoraInicioNoche", "", 1191, Ninguna},
        {"THoraFinalNoche", "", 1270, Ninguna},
        {"SMaxLeq1min", "", 1376, Nivel},
        {"TFechaMaxLeq1min", "", 1720, Ninguna},
        {"THoraMaxLeq1min", "", 1376, Ninguna},
        {"SMinLeq1min", "", 1376, Nivel},
        {"TFechaMinLeq1min", "", 1720, Ninguna},
        {"THoraMinLeq1min", "", 1376, Ninguna},
        {"SMaxFast", "", 1032, Nivel},
        {"ByNivelMFast", "", 1032, Ninguna},
        {"LPasMaxFast", "Pasadas", 2831, Ninguna},
        {"SL1", "", 1058, Nivel},
        {"SL5", "", 1058, Nivel},
        {"SL10", "", 1058, Nivel},
        {"SL50", "", 1058, Nivel},
        {"SL90", "", 1058, Nivel},
        {"LDesco", "", 2831, Ninguna},
        {"LE3", "", 1270, Ninguna},
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

const QVector<Cabecera> &cabecerasIntervalos()
{
    static const QVector<Cabecera> list = {
        {5, 41, nullptr, nullptr},   {6, 56, nullptr, nullptr},  {7, 48, nullptr, nullptr},  {8, 46, nullptr, nullptr},
        {9, 67, nullptr, nullptr},   {10, 57, nullptr, nullptr}, {11, 49, nullptr, nullptr}, {12, 47, nullptr, nullptr},
        {13, 101, nullptr, nullptr}, {14, 12, nullptr, "dBA"},   {15, 12, nullptr, "#16"},   {16, 12, nullptr, "#17"},
        {17, 13, nullptr, "dBA"},    {18, 13, nullptr, "#16"},   {19, 13, nullptr, "#17"},   {20, 14, nullptr, "dBA"},
        {21, 36, nullptr, "dBA"},    {23, 0, "L1", "dBA"},       {24, 0, "L5", "dBA"},       {25, 0, "L10", "dBA"},
        {26, 0, "L50", "dBA"},       {27, 0, "L90", "dBA"},      {28, 38, nullptr, nullptr}, {30, 39, nullptr, nullptr},
        {31, 40, nullptr, nullptr},
    };
    return list;
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

Colores coloresIntervalos(int c)
{
    if (c <= 6 || c == 10)
        return colores(Azul);
    if (c <= 13)
        return colores(RosaAzul);
    if (c <= 16)
        return colores(Amarillo);
    if (c <= 19)
        return colores(Verde);
    if (c == 20)
        return colores(Cian);
    if (c <= 22)
        return colores(RosaCian);
    if (c <= 27)
        return colores(Violeta);
    return colores(Rojo);
}

Colores coloresSesiones(int c)
{
    if (c == 5)
        return colores(Azul);
    if (c <= 8)
        return colores(RosaAzul);
    if (c <= 12)
        return colores(RosaAcero);
    if (c <= 14)
        return colores(Acero);
    if (c <= 17)
        return colores(Amarillo);
    if (c <= 20)
        return colores(Verde);
    if (c == 21)
        return colores(Cian);
    if (c <= 23)
        return colores(RosaCian);
    if (c <= 28)
        return colores(Violeta);
    return colores(Rojo);
}

Colores coloresEventos()
{
    return {kRosa, kCabRojo};
}

} // namespace slx::logs
