#include "widgets/ColumnasIntervalos.h"

#include "base/ColumnasRegistro.h"

namespace slx::rejillas {

namespace {

const QColor kAzul(220, 220, 255), kCabAzul(150, 150, 255), kRosa(255, 220, 220), kCabAcero(108, 179, 236),
    kAcero(180, 216, 245), kAmarillo(251, 248, 200), kCabAmarillo(251, 248, 150), kVerde(220, 255, 220),
    kCabVerde(150, 255, 150), kCian(96, 253, 253), kCabCian(3, 233, 233), kVioleta(251, 205, 252),
    kCabVioleta(245, 152, 248), kCabRojo(255, 150, 150);

} // namespace

GridColumn columna(const Diseno &d)
{
    GridColumn c(QString::fromUtf8(d.campo), QString::fromUtf8(d.caption));
    c.widthTwips = d.ancho;
    switch (d.valores) {
    case Valores::Nivel:
        c.numberFormat = QStringLiteral("0.0");
        c.valueItems = {{59, QStringLiteral("UND")}, {121, QStringLiteral("UP")}, {0, QStringLiteral("---")}};
        break;
    case Valores::Vecino:
        c.numberFormat = QStringLiteral("0.0");
        c.valueItems = {{121, QStringLiteral("UP")}, {0, QStringLiteral("---")}};
        break;
    case Valores::Limite: c.valueItems = {{255, QStringLiteral("---")}}; break;
    case Valores::NoDisponible: c.valueItems = {{255, QStringLiteral("Sin calibrar")}}; break;
    case Valores::SiNo:
        c.valueItems = {{0, QString(), ValueItem::Picture::CheckEmpty},
                        {-1, QString(), ValueItem::Picture::CheckTicked}};
        break;
    case Valores::Ninguno: break;
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

QVector<GridColumn> disenoIntervalos()
{
    using enum Valores;
    using I = registro::Intervalo;
    return columnas({
        {"", "", 0, Ninguno},
        {registro::nombreC(I::dFechaInicio), "Fecha", 1746, Ninguno},
        {registro::nombreC(I::tHoraInicio), "Hora", 1085, Ninguno},
        {registro::nombreC(I::dFechaFinal), "Fecha", 1826, Ninguno},
        {registro::nombreC(I::tHoraFinal), "Hora", 1111, Ninguno},
        {registro::nombreC(I::byTLeq), "", 873, Ninguno},
        {registro::nombreC(I::sLeqLocal), "", 2275, Nivel},
        {registro::nombreC(I::byNivelLeqLocal), "", 3175, Limite},
        {registro::nombreC(I::iPasadasLocal), "", 3704, Ninguno},
        {registro::nombreC(I::tTipoActuacionLocal), "", 2646, Ninguno},
        {registro::nombreC(I::sLeqVecino), "", 2275, Vecino},
        {registro::nombreC(I::byNivelLeqVecino), "", 3360, Limite},
        {registro::nombreC(I::iPasadasVecino), "", 3704, Ninguno},
        {registro::nombreC(I::tTipoActuacionVecino), "", 2646, Ninguno},
        {registro::nombreC(I::sMaxLeq1min), "", 1376, Nivel},
        {registro::nombreC(I::tFechaMaxLeq1min), "", 1720, Ninguno},
        {registro::nombreC(I::tHoraMaxLeq1min), "", 1376, Ninguno},
        {registro::nombreC(I::sMinLeq1min), "", 1376, Nivel},
        {registro::nombreC(I::tFechaMinLeq1min), "", 1720, Ninguno},
        {registro::nombreC(I::tHoraMinLeq1min), "", 1376, Ninguno},
        {registro::nombreC(I::sMaxFast), "", 1032, Nivel},
        {registro::nombreC(I::byNivelMFast), "", 1032, Ninguno},
        {registro::nombreC(I::iPasMaxFast), "Pasadas", 2831, Ninguno},
        {registro::nombreC(I::sL1), "", 1058, Nivel},
        {registro::nombreC(I::sL5), "", 1058, Nivel},
        {registro::nombreC(I::sL10), "", 1058, Nivel},
        {registro::nombreC(I::sL50), "", 1058, Nivel},
        {registro::nombreC(I::sL90), "", 1058, Nivel},
        {registro::nombreC(I::boRS232), "", 1561, SiNo},
        {registro::nombreC(I::boProgramacion), "Reprogramación", 2646, SiNo},
        {registro::nombreC(I::iDesco), "", 2831, Ninguno},
        {registro::nombreC(I::iE3), "", 2831, Ninguno},
        {registro::nombreC(I::byLineaInsuficiente), "Línea insuficiente", 2540, NoDisponible},
        {registro::nombreC(I::byDNA), "D.N.A.", 2170, NoDisponible},
        {registro::nombreC(I::byENA), "E.N.A.", 2170, NoDisponible},
    });
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

QString textoCabecera(const Cabecera &c, const std::function<QString(int)> &texto)
{
    const QString base = c.texto ? texto(c.texto) : QString::fromUtf8(c.literal);
    if (!c.unidad)
        return base;
    QString unidad = QString::fromUtf8(c.unidad);
    if (unidad.startsWith(QLatin1Char('#')))
        unidad = texto(unidad.mid(1).toInt());
    return base + QLatin1Char('\r') + unidad;
}

Colores colores(Grupo g)
{
    switch (g) {
    case Grupo::Azul: return {kAzul, kCabAzul};
    case Grupo::RosaAzul: return {kRosa, kCabAzul};
    case Grupo::RosaAcero: return {kRosa, kCabAcero};
    case Grupo::Acero: return {kAcero, kCabAcero};
    case Grupo::Amarillo: return {kAmarillo, kCabAmarillo};
    case Grupo::Verde: return {kVerde, kCabVerde};
    case Grupo::Cian: return {kCian, kCabCian};
    case Grupo::RosaCian: return {kRosa, kCabCian};
    case Grupo::Violeta: return {kVioleta, kCabVioleta};
    case Grupo::Rojo: return {kRosa, kCabRojo};
    }
    return {};
}

Colores coloresIntervalos(int c)
{
    if (c <= 6 || c == 10)
        return colores(Grupo::Azul);
    if (c <= 13)
        return colores(Grupo::RosaAzul);
    if (c <= 16)
        return colores(Grupo::Amarillo);
    if (c <= 19)
        return colores(Grupo::Verde);
    if (c == 20)
        return colores(Grupo::Cian);
    if (c <= 22)
        return colores(Grupo::RosaCian);
    if (c <= 27)
        return colores(Grupo::Violeta);
    return colores(Grupo::Rojo);
}

} // namespace slx::rejillas
