#pragma once
// The design of the five grids of the incidents window: stored fields, design captions,
// widths, formats and the texts or pictures shown in place of special stored values.
// The headings built from catalogue texts and the colours are set by Form5::DisenyaGrids.

#include "widgets/GridColumn.h"

#include <QVector>

namespace slx::logs {

QVector<GridColumn> disenoIntervalos(); // 35 columns
QVector<GridColumn> disenoSesiones();   // 31 columns
QVector<GridColumn> disenoEventos();    // 2 columns

// A heading: the catalogue text of that number, or (when `unidad` is given) the text, a
// carriage return and the unit.
struct Cabecera {
    int columna;
    int texto;           // catalogue text, 0 = `literal`
    const char *literal; // used when texto is 0
    const char *unidad;  // nullptr = the text alone; "#16" and "#17" stand for catalogue texts 16 and 17
};
const QVector<Cabecera> &cabecerasIntervalos();
const QVector<Cabecera> &cabecerasSesiones();

// The colour group of each column from 5 on (cell background, heading background).
struct Colores {
    QColor celda, cabecera;
};
Colores coloresIntervalos(int columna);
Colores coloresSesiones(int columna);
Colores coloresEventos();

} // namespace slx::logs
