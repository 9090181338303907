#pragma once
// The content of a chart, without any widget: series groups over numbered points, axes,
// header lines, legend and floating labels. Points and series are numbered from 1, as the
// windows that fill charts count them; groups are numbered from 1 too.
//
// A value equal to the hole value (-1) draws nothing at its point: a line or an area
// breaks there. A value outside the Y axis is drawn beyond it and clipped by the plot.
// The kinds of drawing:
//   - Lines: each series a polyline through its points, in its colour and pen style;
//   - Area: each series filled from the bottom of the Y axis up to its values (the later
//     series of a group over the earlier ones);
//   - StackedBars: one bar per point, the shown series stacked from the bottom;
//   - Bars: the shown series side by side at each point.
// Groups are painted from the last to the first, so the first group lies on top.

#include <QColor>
#include <QString>
#include <QStringList>
#include <QVector>

namespace slx::chart {

enum class Kind { Lines, Area, StackedBars, Bars };

struct Series {
    QString label; // shown in the legend, translated with the window
    QColor color = Qt::black;
    Qt::PenStyle penStyle = Qt::SolidLine;
    int lineWidth = 1;                           // pixels, for lines and outlines
    Qt::BrushStyle fillStyle = Qt::SolidPattern; // areas and bars
    bool shown = true;
    QVector<double> values; // index 0 is point 1
};

struct Group {
    Kind kind = Kind::Lines;
    QVector<Series> series;
};

struct Axis {
    double min = 0;
    double max = 10;
    double step = 1; // annotation and grid step; 0 = none
    QString title;
    bool shown = true;
    bool grid = false; // grid lines across the plot at each step
};

// Where a floating label lies relative to its attachment point.
enum class Anchor { North, South, East, West, NorthEast, NorthWest, SouthEast, SouthWest, Center };

struct Label {
    QString name;
    QString text;
    QColor background = Qt::white;
    QColor foreground = Qt::black;
    double x = 0; // data position on the chart's axes
    double y = 0;
    Anchor anchor = Anchor::North;
    int distance = 0; // pixels between the attachment point and the label
    bool shown = false;
};

// Which part of the chart a position lies in.
enum class Region { Outside, ChartArea, Header, Legend, Plot };

struct Hit {
    Region region = Region::Outside;
    double x = 0; // data coordinates (meaningful over the whole widget, exact in the plot)
    double y = 0;
    int point = 0; // x rounded to the nearest whole number (halves to even), 0 when below 1
};

class Model {
public:
    static constexpr double kHole = -1.0;

    Model() = default;

    // Shape: groups, each with its series, over points 1..count. Values start as holes.
    void setGroupCount(int groups);
    int groupCount() const { return m_groups.size(); }
    void setSeriesCount(int group, int series);
    int seriesCount(int group) const;
    void setPointCount(int points);
    int pointCount() const { return m_points; }

    Group &group(int group);
    const Group &group(int group) const;
    Series &series(int group, int series);
    const Series &series(int group, int series) const;

    // Value of (group, series, point); out of range reads the hole and writes nothing.
    double value(int group, int series, int point) const;
    void setValue(int group, int series, int point, double value);
    bool isHole(double v) const { return v == m_hole; }
    double holeValue() const { return m_hole; }
    void setHoleValue(double v) { m_hole = v; }

    // Text shown under the X axis at a point (1..pointCount()).
    QString pointLabel(int point) const;
    void setPointLabel(int point, const QString &text);
    const QStringList &pointLabels() const { return m_pointLabels; }
    int pointLabelAngle() const { return m_labelAngle; } // degrees, counter-clockwise
    void setPointLabelAngle(int degrees) { m_labelAngle = degrees; }

    Axis xAxis; // points lie at X = 1..count; default range 0.5..count + 0.5
    Axis yAxis;
    bool autoX = true;    // X range follows the point count
    QStringList header;   // title lines above the plot
    QString headerFamily; // font family of the header; empty = the chart's font
    // Each header line laid over the plot's width as a line of blank-padded columns: every
    // word stands where its first character falls when the line's characters share the
    // width equally, in the header's font; otherwise centred, and shrunk only when it does
    // not fit.
    bool headerSpansPlot = false;
    bool legend = true;
    QColor background = Qt::white;
    QColor plotBackground = Qt::white;
    int fontPixels = 11; // text size in pixels, the same on every device
    // The plot starts at least plotLeftMin pixels from the chart's left side and ends at least
    // plotRightMin pixels from its right side, so that charts stacked one above the other can
    // share the X positions of their points (0 = as the content lays it out).
    qreal plotLeftMin = 0;
    qreal plotRightMin = 0;

    // Floating labels by name.
    Label &addLabel(const QString &name);
    Label *label(const QString &name);
    const Label *label(const QString &name) const;
    const QVector<Label> &labels() const { return m_labels; }

    double xMin() const;
    double xMax() const;

private:
    QVector<Group> m_groups;
    int m_points = 0;
    double m_hole = kHole;
    QStringList m_pointLabels;
    int m_labelAngle = 0;
    QVector<Label> m_labels;
};

// A text's lines: a lone CR, CR LF and a lone LF each end a line.
QStringList splitLines(const QString &text);

} // namespace slx::chart
