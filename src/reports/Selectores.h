#pragma once
// The record pickers of the reports window: the intervals grid's columns with the
// pickers' own widths of the date columns, the reception Leq shown as a level (59
// "UND") and the three minute counters' texts as the pickers' layout has them
// ("Sin calibrar", and "255" for the E.N.A. count) in every language.

#include "widgets/GridColumn.h"

#include <QVector>

namespace slx::informes {

enum class Selector { Inicio, Fin };

QVector<GridColumn> disenoSelector(Selector s);

} // namespace slx::informes
