#pragma once
// The column design of the grids over a device's logs: the 35 columns of the Leq
// intervals (stored field, design caption, width, number format, the texts or pictures
// shown in place of special stored values), the headings built from catalogue texts,
// and the colour groups. The incidents window and the reports window's record pickers
// both show the intervals with it; each window applies its own differences.

#include "widgets/GridColumn.h"

#include <QVector>
#include <functional>
#include <initializer_list>

namespace slx::rejillas {

// What a column shows in place of special stored values.
enum class Valores {
    Ninguno,
    Nivel,        // "0.0"; 59 "UND", 121 "UP", 0 "---"
    Vecino,       // "0.0"; 121 "UP", 0 "---" (the reception Leq is stored unclamped)
    Limite,       // 255 "---"
    NoDisponible, // 255 "Sin calibrar"
    SiNo,         // a check picture for 0 and for -1
};

struct Diseno {
    const char *campo;
    const char *caption;
    int ancho; // twips
    Valores valores;
};

GridColumn columna(const Diseno &d);
// Columns 0 (hidden) to n; columns 1 and 3 are dates.
QVector<GridColumn> columnas(std::initializer_list<Diseno> list);

// The 35 columns of an Intervalos grid.
QVector<GridColumn> disenoIntervalos();
// Columns 32 to 34 (ByLineaInsuficiente, ByDNA, ByENA), the values in minutes that only
// firmware 3.0 and later logs: shown from that version on, headed with "min".
inline constexpr int kFirstFirmware30Column = 32;
inline constexpr int kLastFirmware30Column = 34;

// A heading: the catalogue text of that number, or (when `unidad` is given) the text, a
// carriage return and the unit.
struct Cabecera {
    int columna;
    int texto;           // catalogue text, 0 = `literal`
    const char *literal; // used when texto is 0
    const char *unidad;  // nullptr = the text alone; "#16" and "#17" stand for catalogue texts 16 and 17
};
const QVector<Cabecera> &cabecerasIntervalos();
// The heading text, with the catalogue texts given by `texto`.
QString textoCabecera(const Cabecera &c, const std::function<QString(int)> &texto);

// Colour groups (cell background, heading background): each group of measures has a
// hue; the limits, counters and texts beside a measure carry the light red tint under
// their group's heading.
struct Colores {
    QColor celda, cabecera;
};
enum class Grupo { Azul, RosaAzul, RosaAcero, Acero, Amarillo, Verde, Cian, RosaCian, Violeta, Rojo };
Colores colores(Grupo g);
// The colours of an Intervalos column from 5 on.
Colores coloresIntervalos(int columna);

} // namespace slx::rejillas
