#pragma once
// The design of the five grids of the incidents window: stored fields, design captions,
// widths, formats and the texts or pictures shown in place of special stored values.
// The headings built from catalogue texts and the colours are set by Form5::DisenyaGrids.
// The intervals grid is the shared design of widgets/ColumnasIntervalos.h.

#include "widgets/ColumnasIntervalos.h"
#include "widgets/GridColumn.h"

#include <QVector>

namespace slx::logs {

using rejillas::disenoIntervalos;     // 35 columns
QVector<GridColumn> disenoSesiones(); // 31 columns
QVector<GridColumn> disenoEventos();  // 2 columns

using rejillas::Cabecera;
using rejillas::cabecerasIntervalos;
const QVector<Cabecera> &cabecerasSesiones();

// The colour group of each column from 5 on (cell background, heading background).
using rejillas::Colores;
using rejillas::coloresIntervalos;
Colores coloresSesiones(int columna);
Colores coloresEventos();

} // namespace slx::logs
