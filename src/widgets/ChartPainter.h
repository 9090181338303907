#pragma once
// The one drawing routine of the chart control: the same picture on the screen, on an
// image, in an SVG file and on a printer page. A chart is laid out on a size in pixels
// (its size on the screen); another device gets that picture scaled into its target.

#include "widgets/ChartModel.h"

#include <QFont>
#include <QRectF>

class QPainter;

namespace slx::chart {

struct Layout {
    QRectF bounds; // the whole chart
    QRectF header;
    QRectF plot;
    QRectF legend; // empty when there is no legend
};

Layout layout(const Model &model, const QSizeF &size, const QFont &font);

// Paints the chart laid out on size, with its top left corner at the painter's origin.
void paint(QPainter &painter, const Model &model, const QSizeF &size, const QFont &font);

// Paints the chart laid out on size scaled into target, keeping its proportions.
void paintInto(QPainter &painter, const Model &model, const QSizeF &size, const QFont &font, const QRectF &target);

// Data position <-> pixel on the chart laid out on size.
QPointF toPixel(const Layout &layout, const Model &model, double x, double y);
Hit hitTest(const Model &model, const QSizeF &size, const QFont &font, const QPointF &pixel);

// The rectangle of a shown floating label, or an empty one.
QRectF labelRect(const Layout &layout, const Model &model, const QFont &font, const Label &label);

} // namespace slx::chart
