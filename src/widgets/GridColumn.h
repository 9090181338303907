#pragma once
// One column of a data grid: the stored field it shows, its heading, whether it is shown,
// its width, its number format, the texts or pictures shown in place of given stored values
// and its colours. The grid's data source formats every cell through it.

#include <QColor>
#include <QString>
#include <QVariant>
#include <QVector>

namespace slx {

struct ValueItem {
    enum class Picture { None, CheckEmpty, CheckTicked };
    ValueItem() = default;
    ValueItem(double v, const QString &text, Picture p = Picture::None)
        : value(v)
        , display(text)
        , picture(p)
    {
    }
    double value = 0; // compared with the stored number
    QString display;  // shown in its place
    Picture picture = Picture::None;
};

struct GridColumn {
    GridColumn() = default;
    GridColumn(const QString &field, const QString &heading)
        : dataField(field)
        , caption(heading)
    {
    }
    QString dataField; // stored column shown; empty for a column bound to no field
    QString caption;   // heading; a carriage return breaks it into two lines
    bool visible = true;
    int widthTwips = 0;   // design width in twips (1/1440 inch); 0 = the view's default
    QString numberFormat; // "0.0" (decimals after the point), "Short Date" or empty
    QVector<ValueItem> valueItems;
    QColor back;     // cell background; invalid = the grid's
    QColor headBack; // heading background; invalid = the grid's
};

// The text a cell shows for a stored value: an item of the column when the stored number
// is the item's value; otherwise the value in the column's number format (decimals with
// the system's decimal symbol, dates "dd/mm/yyyy"); a missing value shows as empty.
QString textoCelda(const GridColumn &column, const QVariant &stored);
// The item that stands in for a stored value, or nullptr.
const ValueItem *itemDeValor(const GridColumn &column, const QVariant &stored);

// The heading as shown: a lone carriage return (or CR LF) becomes a line break.
QString textoCabecera(const QString &caption);

// A colour given as red + 256 * green + 65536 * blue.
QColor colorRgb(int r, int g, int b);

} // namespace slx
