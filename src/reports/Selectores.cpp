#include "reports/Selectores.h"

#include "widgets/ColumnasIntervalos.h"

namespace slx::informes {

QVector<GridColumn> disenoSelector(Selector s)
{
    QVector<GridColumn> c = rejillas::disenoIntervalos();
    c[1].widthTwips = s == Selector::Inicio ? 2143 : 2117;
    c[3].widthTwips = s == Selector::Inicio ? 2223 : 2275;
    const GridColumn nivel = rejillas::columna({"SLeqVecino", "", 2275, rejillas::Valores::Nivel});
    c[10].numberFormat = nivel.numberFormat;
    c[10].valueItems = nivel.valueItems;
    c[32].valueItems = {{255, QStringLiteral("Sin calibrar")}};
    c[33].valueItems = {{255, QStringLiteral("Sin calibrar")}};
    c[34].valueItems = {{255, QStringLiteral("255")}};
    return c;
}

} // namespace slx::informes
