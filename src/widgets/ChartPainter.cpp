#include "widgets/ChartPainter.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>
#include <cmath>

namespace slx::chart {

namespace {

// A vector output: an SVG file, a PDF file or a printer page.
bool vectorial(const QPainter &p)
{
    const QPaintEngine *motor = p.paintEngine();
    return motor && (motor->type() == QPaintEngine::SVG || motor->type() == QPaintEngine::Pdf);
}

// Sets a pen. On the screen and on images a hairline stays one pixel wide whatever the
// scale; a vector output is drawn at another size (a report box, a sheet of paper), so
// there every pen scales with the chart: a line is as wide and a dash as long against the
// chart as on the screen, never a printer dot with dashes too short to be seen.
void ponPluma(QPainter &p, QPen pen)
{
    if (pen.isCosmetic() && vectorial(p)) {
        pen.setWidthF(qMax<qreal>(1, pen.widthF()));
        pen.setCosmetic(false);
    }
    p.setPen(pen);
}

// Fills a shape with a brush. A hatched brush on a vector output (SVG, PDF) is drawn as
// hatch lines cut to the shape: SVG readers that ignore pattern fills (the report
// engine's among them) would otherwise leave the shape empty.
void rellena(QPainter &p, const QPainterPath &forma, const QBrush &brush)
{
    const Qt::BrushStyle st = brush.style();
    if (!vectorial(p) || st < Qt::HorPattern || st > Qt::DiagCrossPattern) {
        p.fillPath(forma, brush);
        return;
    }
    const QRectF r = forma.boundingRect();
    constexpr qreal paso = 8; // the spacing of the screen's hatch
    QList<QLineF> lineas;
    const bool hor = st == Qt::HorPattern || st == Qt::CrossPattern;
    const bool ver = st == Qt::VerPattern || st == Qt::CrossPattern;
    const bool fdiag = st == Qt::FDiagPattern || st == Qt::DiagCrossPattern;
    const bool bdiag = st == Qt::BDiagPattern || st == Qt::DiagCrossPattern;
    const auto inicio = [](qreal v) { return std::floor(v / paso) * paso; };
    if (hor)
        for (qreal y = inicio(r.top()); y <= r.bottom(); y += paso)
            lineas << QLineF(r.left(), y, r.right(), y);
    if (ver)
        for (qreal x = inicio(r.left()); x <= r.right(); x += paso)
            lineas << QLineF(x, r.top(), x, r.bottom());
    // Diagonals as x - y (forward) or x + y (backward) constant, over the whole box.
    if (fdiag)
        for (qreal c = inicio(r.left() - r.bottom()); c <= r.right() - r.top(); c += paso)
            lineas << QLineF(r.top() + c, r.top(), r.bottom() + c, r.bottom());
    if (bdiag)
        for (qreal c = inicio(r.left() + r.top()); c <= r.right() + r.bottom(); c += paso)
            lineas << QLineF(c - r.top(), r.top(), c - r.bottom(), r.bottom());
    // Each line as a thin solid shape cut to the form: no clipping and no pattern,
    // which every reader draws.
    QPainterPathStroker trazo;
    trazo.setWidth(1);
    QPainterPath rayas;
    for (const QLineF &l : std::as_const(lineas)) {
        QPainterPath linea(l.p1());
        linea.lineTo(l.p2());
        rayas.addPath(trazo.createStroke(linea));
    }
    rayas.setFillRule(Qt::WindingFill);
    p.fillPath(rayas.intersected(forma), brush.color());
}

// A segment cut to a rectangle (Liang-Barsky); false when nothing of it lies inside.
bool cutToRect(QLineF &l, const QRectF &r)
{
    const qreal dx = l.dx(), dy = l.dy();
    qreal t0 = 0, t1 = 1;
    const qreal p[4] = {-dx, dx, -dy, dy};
    const qreal q[4] = {l.x1() - r.left(), r.right() - l.x1(), l.y1() - r.top(), r.bottom() - l.y1()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const qreal t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const QPointF a = l.pointAt(t0), b = l.pointAt(t1);
    l = QLineF(a, b);
    return true;
}

// The drawing of a series stays inside the plot on every output: the shapes and lines
// are cut to it, for outputs that ignore a clip (SVG) as for those that keep it.
void drawLinesIn(QPainter &p, QVector<QLineF> lines, const QRectF &plot)
{
    QVector<QLineF> inside;
    inside.reserve(lines.size());
    for (QLineF &l : lines)
        if (cutToRect(l, plot))
            inside << l;
    if (inside.isEmpty())
        return;
    if (!vectorial(p)) {
        p.drawLines(inside);
        return;
    }
    // On a vector output the joined segments of a run are one line, so that a dashed
    // series keeps its pattern across the points instead of starting it again at each.
    const auto junto = [](const QPointF &a, const QPointF &b) {
        return std::abs(a.x() - b.x()) < 1e-6 && std::abs(a.y() - b.y()) < 1e-6;
    };
    QPolygonF run;
    for (const QLineF &l : std::as_const(inside)) {
        if (!run.isEmpty() && junto(run.last(), l.p1())) {
            run << l.p2();
            continue;
        }
        if (run.size() > 1)
            p.drawPolyline(run);
        run = QPolygonF{l.p1(), l.p2()};
    }
    if (run.size() > 1)
        p.drawPolyline(run);
}

void fillIn(QPainter &p, const QPainterPath &shape, const QBrush &brush, const QRectF &plot)
{
    QPainterPath area;
    area.addRect(plot);
    const QPainterPath cut = shape.intersected(area);
    if (!cut.isEmpty())
        rellena(p, cut, brush);
}

constexpr qreal kMargin = 6;
constexpr qreal kTick = 4;
constexpr qreal kSwatch = 18;
constexpr qreal kLabelPad = 3;

QFont textFont(const QFont &base, const Model &m)
{
    QFont f(base);
    f.setPixelSize(qMax(1, m.fontPixels));
    return f;
}

QFont headerFont(const QFont &base, const Model &m)
{
    QFont f(base);
    if (!m.headerFamily.isEmpty()) {
        f.setFamily(m.headerFamily);
        f.setStyleHint(QFont::TypeWriter);
    }
    f.setPixelSize(qMax(1, m.fontPixels + 1));
    f.setBold(true);
    return f;
}

bool blank(const QString &s)
{
    return s.trimmed().isEmpty();
}

bool hasPointLabels(const Model &m)
{
    for (const QString &l : m.pointLabels())
        if (!blank(l))
            return true;
    return false;
}

QString number(double v)
{
    // Axis annotations: plain decimal text, never the regional settings'.
    return QString::number(std::abs(v) < 1e-9 ? 0.0 : v, 'g', 8);
}

// The values at which an axis is annotated.
QVector<double> ticks(double min, double max, double step)
{
    QVector<double> out;
    if (step <= 0 || max < min || (max - min) / step > 1000)
        return out;
    const double first = std::ceil(min / step - 1e-9) * step;
    for (double v = first; v <= max + 1e-9; v += step)
        out << v;
    return out;
}

struct LegendEntry {
    Kind kind;
    const Series *series;
};

QVector<LegendEntry> legendEntries(const Model &m)
{
    QVector<LegendEntry> out;
    if (!m.legend)
        return out;
    for (int g = 1; g <= m.groupCount(); ++g)
        for (const Series &s : m.group(g).series)
            if (s.shown && !blank(s.label))
                out << LegendEntry{m.group(g).kind, &s};
    return out;
}

// The size a point label takes below the axis once rotated.
qreal rotatedExtent(const QFontMetricsF &fm, const QString &text, int angle)
{
    const qreal w = fm.horizontalAdvance(text);
    const qreal h = fm.height();
    const qreal a = qDegreesToRadians(qreal(angle));
    return std::abs(w * std::sin(a)) + std::abs(h * std::cos(a));
}

Qt::PenStyle dashOf(const Series &s)
{
    return s.penStyle == Qt::NoPen ? Qt::SolidLine : s.penStyle;
}

// Runs of consecutive points that are not holes, as (first, last) indexes from 0.
template <typename F> void forEachRun(const Model &m, const QVector<double> &v, F &&f)
{
    int start = -1;
    for (int i = 0; i <= v.size(); ++i) {
        const bool hole = i == v.size() || m.isHole(v[i]) || !std::isfinite(v[i]);
        if (!hole && start < 0)
            start = i;
        if (hole && start >= 0) {
            f(start, i - 1);
            start = -1;
        }
    }
}

void paintLines(QPainter &p, const Layout &lay, const Model &m, const Group &g)
{
    p.setRenderHint(QPainter::Antialiasing, true);
    for (const Series &s : g.series) {
        if (!s.shown)
            continue;
        QPen pen(s.color, qMax(1, s.lineWidth), dashOf(s));
        pen.setCosmetic(true);
        ponPluma(p, pen);
        p.setBrush(Qt::NoBrush);
        forEachRun(m, s.values, [&](int a, int b) {
            if (a == b) {
                const QPointF c = toPixel(lay, m, a + 1, s.values[a]);
                drawLinesIn(p, {QLineF(c.x() - 2, c.y(), c.x() + 2, c.y())}, lay.plot);
                return;
            }
            // Segment by segment: a wide antialiased polyline is stroked as one outline,
            // which costs ten times more.
            QVector<QLineF> segments;
            segments.reserve(b - a);
            QPointF last = toPixel(lay, m, a + 1, s.values[a]);
            for (int i = a + 1; i <= b; ++i) {
                const QPointF next = toPixel(lay, m, i + 1, s.values[i]);
                segments << QLineF(last, next);
                last = next;
            }
            drawLinesIn(p, std::move(segments), lay.plot);
        });
    }
}

void paintAreas(QPainter &p, const Layout &lay, const Model &m, const Group &g)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    const qreal base = toPixel(lay, m, 0, m.yAxis.min).y();
    for (const Series &s : g.series) {
        if (!s.shown)
            continue;
        const QBrush brush(s.color, s.fillStyle == Qt::NoBrush ? Qt::SolidPattern : s.fillStyle);
        forEachRun(m, s.values, [&](int a, int b) {
            if (a == b) {
                const QPointF c = toPixel(lay, m, a + 1, s.values[a]);
                p.setPen(QPen(s.color, 1));
                drawLinesIn(p, {QLineF(c.x(), base, c.x(), c.y())}, lay.plot);
                return;
            }
            QPolygonF area;
            area.reserve(b - a + 3);
            area << QPointF(toPixel(lay, m, a + 1, 0).x(), base);
            for (int i = a; i <= b; ++i)
                area << toPixel(lay, m, i + 1, s.values[i]);
            area << QPointF(toPixel(lay, m, b + 1, 0).x(), base);
            QPainterPath forma;
            forma.addPolygon(area);
            forma.closeSubpath();
            fillIn(p, forma, brush, lay.plot);
        });
    }
}

void paintBars(QPainter &p, const Layout &lay, const Model &m, const Group &g, bool stacked)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    QVector<const Series *> shown;
    for (const Series &s : g.series)
        if (s.shown)
            shown << &s;
    if (shown.isEmpty())
        return;
    const qreal perPoint = lay.plot.width() / qMax(1e-9, m.xMax() - m.xMin());
    const qreal width = perPoint * 0.8;
    const double zero = qBound(m.yAxis.min, 0.0, m.yAxis.max);
    for (int i = 0; i < m.pointCount(); ++i) {
        const qreal cx = toPixel(lay, m, i + 1, 0).x();
        double level = zero;
        for (int k = 0; k < shown.size(); ++k) {
            const Series &s = *shown[k];
            const double v = i < s.values.size() ? s.values[i] : m.holeValue();
            if (m.isHole(v) || !std::isfinite(v))
                continue;
            QRectF r;
            if (stacked) {
                const qreal y0 = toPixel(lay, m, 0, level).y();
                const qreal y1 = toPixel(lay, m, 0, level + v).y();
                r = QRectF(QPointF(cx - width / 2, y1), QPointF(cx + width / 2, y0)).normalized();
                level += v;
            } else {
                const qreal w = width / shown.size();
                const qreal x0 = cx - width / 2 + k * w;
                r = QRectF(QPointF(x0, toPixel(lay, m, 0, v).y()), QPointF(x0 + w, toPixel(lay, m, 0, zero).y()))
                        .normalized();
            }
            if (r.height() <= 0)
                continue;
            QPainterPath forma;
            forma.addRect(r);
            fillIn(p, forma, QBrush(s.color, s.fillStyle == Qt::NoBrush ? Qt::SolidPattern : s.fillStyle), lay.plot);
        }
    }
}

void paintText(QPainter &p, const QRectF &r, int flags, const QString &text)
{
    p.drawText(r, flags, text);
}

// A line of blank-padded columns laid over a width: each word stands where its first
// character falls when the line's characters share the width equally, drawn in the
// font as it is (not squeezed); a word that would run into the one before it moves right.
void paintColumnLine(QPainter &p, const QFontMetricsF &fm, qreal left, qreal width, qreal y, const QString &line)
{
    if (line.isEmpty())
        return;
    const qreal perChar = width / line.size();
    const qreal gap = fm.horizontalAdvance(QLatin1Char(' '));
    qreal end = left - gap;
    for (qsizetype i = 0; i < line.size();) {
        if (line.at(i).isSpace()) {
            ++i;
            continue;
        }
        qsizetype j = i;
        while (j < line.size() && !line.at(j).isSpace())
            ++j;
        const QString word = line.mid(i, j - i);
        const qreal x = qMax(left + i * perChar, end + gap);
        const qreal w = fm.horizontalAdvance(word);
        paintText(p, QRectF(x, y, w + 1, fm.height()), Qt::AlignLeft | Qt::AlignVCenter, word);
        end = x + w;
        i = j;
    }
}

void paintLabelBox(QPainter &p, const Layout &lay, const Model &m, const QFont &font, const Label &l)
{
    const QRectF box = labelRect(lay, m, font, l);
    if (box.isEmpty())
        return;
    const QPointF at = toPixel(lay, m, l.x, l.y);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(l.foreground, 1));
    if (l.distance > 0)
        p.drawLine(at, QPointF(qBound(box.left(), at.x(), box.right()), qBound(box.top(), at.y(), box.bottom())));
    p.setBrush(l.background);
    p.drawRect(box);
    p.setFont(font);
    const QFontMetricsF fm(font);
    qreal y = box.top() + kLabelPad;
    for (const QString &line : splitLines(l.text)) {
        paintText(p, QRectF(box.left() + kLabelPad, y, box.width() - 2 * kLabelPad, fm.height()),
                  Qt::AlignLeft | Qt::AlignVCenter, line);
        y += fm.height();
    }
}

// Header lines, centred over the chart.
void paintHeader(QPainter &p, const Layout &lay, const Model &m, const QFont &base)
{
    const QFont hf = headerFont(base, m);
    const QFontMetricsF hfm(hf);
    p.setFont(hf);
    p.setPen(Qt::black);
    qreal y = lay.header.top();
    const QRectF over = lay.header;
    for (const QString &h : m.header) {
        for (const QString &line : splitLines(h)) {
            const qreal width = hfm.horizontalAdvance(line);
            p.save();
            if (m.headerSpansPlot) {
                paintColumnLine(p, hfm, lay.plot.left(), lay.plot.width(), y, line);
            } else if (width > over.width()) {
                // Shrunk across to fit.
                p.translate(over.left(), y);
                p.scale(over.width() / width, 1);
                paintText(p, QRectF(0, 0, width, hfm.height()), Qt::AlignLeft | Qt::AlignVCenter, line);
            } else {
                paintText(p, QRectF(over.left(), y, over.width(), hfm.height()),
                          Qt::AlignHCenter | Qt::AlignVCenter, line);
            }
            p.restore();
            y += hfm.height();
        }
    }
}

// The grid of the plot, under the groups.
void paintGrid(QPainter &p, const Layout &lay, const Model &m, const QVector<double> &yTicks,
               const QVector<double> &xTicks)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    if (m.yAxis.grid) {
        ponPluma(p, QPen(QColor(200, 200, 200), 0, Qt::DotLine));
        for (double v : yTicks) {
            const qreal y = toPixel(lay, m, 0, v).y();
            p.drawLine(QLineF(lay.plot.left(), y, lay.plot.right(), y));
        }
    }
    if (m.xAxis.grid) {
        ponPluma(p, QPen(QColor(200, 200, 200), 0, Qt::DotLine));
        for (double v : xTicks) {
            const qreal x = toPixel(lay, m, v, 0).x();
            p.drawLine(QLineF(x, lay.plot.top(), x, lay.plot.bottom()));
        }
    }
}

// The groups, last group first, inside the plot.
void paintGroups(QPainter &p, const Layout &lay, const Model &m)
{
    p.save();
    p.setClipRect(lay.plot);
    for (int g = m.groupCount(); g >= 1; --g) {
        const Group &grp = m.group(g);
        switch (grp.kind) {
        case Kind::Lines: paintLines(p, lay, m, grp); break;
        case Kind::Area: paintAreas(p, lay, m, grp); break;
        case Kind::StackedBars: paintBars(p, lay, m, grp, true); break;
        case Kind::Bars: paintBars(p, lay, m, grp, false); break;
        }
    }
    p.restore();

}

// The Y axis: its line, ticks, annotations and title.
void paintYAxis(QPainter &p, const Layout &lay, const Model &m, const QFontMetricsF &fm, const QVector<double> &yTicks)
{
    p.drawLine(lay.plot.bottomLeft(), lay.plot.topLeft());
    for (double v : yTicks) {
        const qreal y = toPixel(lay, m, 0, v).y();
        p.drawLine(QLineF(lay.plot.left() - kTick, y, lay.plot.left(), y));
        paintText(p,
                  QRectF(lay.bounds.left(), y - fm.height() / 2, lay.plot.left() - kTick - 2 - lay.bounds.left(),
                         fm.height()),
                  Qt::AlignRight | Qt::AlignVCenter, number(v));
    }
    if (!blank(m.yAxis.title)) {
        p.save();
        p.translate(lay.bounds.left() + kMargin, lay.plot.center().y());
        p.rotate(-90);
        paintText(p, QRectF(-lay.plot.height() / 2, 0, lay.plot.height(), fm.height()), Qt::AlignCenter,
                  m.yAxis.title);
        p.restore();
    }
}

// Every how many ticks the X axis is annotated: each tick while the annotations stand
// apart at the size the chart is laid out on; on a narrower chart (a printed one) every
// 2nd, 5th, 10th, 20th... tick, so that the numbers shown never run into each other.
int annotationEvery(const Layout &lay, const Model &m, const QFontMetricsF &fm, const QVector<double> &xTicks)
{
    if (xTicks.size() < 2)
        return 1;
    const double xr = m.xMax() - m.xMin();
    const qreal perTick = xr > 0 ? m.xAxis.step / xr * lay.plot.width() : 0;
    qreal widest = 0;
    for (double v : xTicks)
        widest = qMax(widest, fm.horizontalAdvance(number(v)));
    const qreal needed = widest + 2; // two pixels between neighbours at the least
    if (perTick <= 0)
        return 1;
    for (int decade = 1; decade <= 1000000; decade *= 10)
        for (int k : {1, 2, 5})
            if (k * decade * perTick >= needed)
                return k * decade;
    return 1000000;
}

// The X axis: its line, ticks, the points' labels (or annotations) and title.
void paintXAxis(QPainter &p, const Layout &lay, const Model &m, const QFontMetricsF &fm, const QVector<double> &xTicks)
{
    p.drawLine(lay.plot.bottomLeft(), lay.plot.bottomRight());
    const qreal below = lay.plot.bottom() + kTick + 2;
    if (hasPointLabels(m)) {
        const int angle = m.pointLabelAngle();
        for (int i = 1; i <= m.pointCount(); ++i) {
            const QString &text = m.pointLabels().at(i - 1);
            if (blank(text))
                continue;
            const qreal x = toPixel(lay, m, i, 0).x();
            p.drawLine(QLineF(x, lay.plot.bottom(), x, lay.plot.bottom() + kTick));
            if (angle == 0) {
                paintText(p, QRectF(x - 200, below, 400, fm.height()), Qt::AlignHCenter | Qt::AlignTop, text);
            } else {
                p.save();
                p.translate(x, below);
                p.rotate(-angle);
                // The end of the text at the axis, the text running away from it.
                paintText(p, QRectF(-2000, -fm.height() / 2, 2000, fm.height()), Qt::AlignRight | Qt::AlignVCenter,
                          text);
                p.restore();
            }
        }
    } else {
        const int cada = annotationEvery(lay, m, fm, xTicks);
        for (double v : xTicks) {
            const qreal x = toPixel(lay, m, v, 0).x();
            p.drawLine(QLineF(x, lay.plot.bottom(), x, lay.plot.bottom() + kTick));
            if (cada == 1 || std::llround(v / m.xAxis.step) % cada == 0)
                paintText(p, QRectF(x - 100, below, 200, fm.height()), Qt::AlignHCenter | Qt::AlignTop, number(v));
        }
    }
    if (!blank(m.xAxis.title))
        paintText(
            p, QRectF(lay.plot.left(), lay.bounds.bottom() - kMargin - fm.height(), lay.plot.width(), fm.height()),
            Qt::AlignCenter, m.xAxis.title);
}

// The legend: a swatch and the label of each series shown.
void paintLegend(QPainter &p, const Layout &lay, const Model &m, const QFontMetricsF &fm)
{
    ponPluma(p, QPen(Qt::black, 0));
    p.setBrush(Qt::white);
    p.drawRect(lay.legend);
    qreal y = lay.legend.top() + kLabelPad;
    for (const LegendEntry &e : legendEntries(m)) {
        const QStringList lines = splitLines(e.series->label);
        const QRectF swatch(lay.legend.left() + kLabelPad, y + 2, kSwatch, fm.height() - 4);
        if (e.kind == Kind::Lines) {
            QPen pen(e.series->color, qMax(1, e.series->lineWidth), dashOf(*e.series));
            pen.setCosmetic(true);
            ponPluma(p, pen);
            p.drawLine(QLineF(swatch.left(), swatch.center().y(), swatch.right(), swatch.center().y()));
        } else {
            QPainterPath forma;
            forma.addRect(swatch);
            rellena(p, forma,
                    QBrush(e.series->color,
                           e.series->fillStyle == Qt::NoBrush ? Qt::SolidPattern : e.series->fillStyle));
            ponPluma(p, QPen(Qt::black, 0));
            p.setBrush(Qt::NoBrush);
            p.drawRect(swatch);
        }
        p.setPen(Qt::black);
        for (const QString &line : lines) {
            paintText(p, QRectF(swatch.right() + kLabelPad, y, lay.legend.right() - swatch.right(), fm.height()),
                      Qt::AlignLeft | Qt::AlignVCenter, line);
            y += fm.height();
        }
        y += 2;
    }
}

} // namespace

Layout layout(const Model &m, const QSizeF &size, const QFont &base)
{
    Layout lay;
    lay.bounds = QRectF(QPointF(0, 0), size);
    const QFont font = textFont(base, m);
    const QFontMetricsF fm(font);
    const QFontMetricsF hfm(headerFont(base, m));
    QRectF inner = lay.bounds.adjusted(kMargin, kMargin, -kMargin, -kMargin);

    qreal headerHeight = 0;
    for (const QString &h : m.header)
        headerHeight += hfm.height() * splitLines(h).size();
    lay.header = QRectF(inner.left(), inner.top(), inner.width(), headerHeight);
    inner.setTop(inner.top() + headerHeight + (headerHeight > 0 ? kMargin : 0));

    const QVector<LegendEntry> entries = legendEntries(m);
    if (!entries.isEmpty()) {
        qreal w = 0;
        for (const LegendEntry &e : entries)
            for (const QString &line : splitLines(e.series->label))
                w = qMax(w, fm.horizontalAdvance(line));
        qreal h = 0;
        for (const LegendEntry &e : entries)
            h += fm.height() * splitLines(e.series->label).size() + 2;
        w += kSwatch + 3 * kLabelPad;
        lay.legend = QRectF(inner.right() - w, inner.top(), w, h + 2 * kLabelPad);
        inner.setRight(inner.right() - w - kMargin);
    }

    qreal left = 0;
    if (m.yAxis.shown) {
        for (double v : ticks(m.yAxis.min, m.yAxis.max, m.yAxis.step))
            left = qMax(left, fm.horizontalAdvance(number(v)));
        left += kTick + 2;
        if (!blank(m.yAxis.title))
            left += fm.height() + 2;
    }
    qreal bottom = 0;
    if (m.xAxis.shown) {
        bottom = kTick + 2;
        if (hasPointLabels(m)) {
            qreal extent = 0;
            for (const QString &l : m.pointLabels())
                if (!blank(l))
                    extent = qMax(extent, rotatedExtent(fm, l, m.pointLabelAngle()));
            bottom += extent;
        } else if (!ticks(m.xMin(), m.xMax(), m.xAxis.step).isEmpty()) {
            bottom += fm.height();
        }
        if (!blank(m.xAxis.title))
            bottom += fm.height() + 2;
    }
    // A title line above the plot when the Y axis has one, so its top annotation fits.
    const qreal top = m.yAxis.shown ? fm.height() / 2 : 0;
    lay.plot = QRectF(inner.left() + left, inner.top() + top, inner.width() - left, inner.height() - bottom - top);
    if (m.plotLeftMin > lay.plot.left())
        lay.plot.setLeft(m.plotLeftMin);
    if (lay.bounds.right() - m.plotRightMin < lay.plot.right())
        lay.plot.setRight(lay.bounds.right() - m.plotRightMin);
    if (lay.plot.width() < 1)
        lay.plot.setWidth(1);
    if (lay.plot.height() < 1)
        lay.plot.setHeight(1);
    return lay;
}

QPointF toPixel(const Layout &lay, const Model &m, double x, double y)
{
    const double xr = m.xMax() - m.xMin();
    const double yr = m.yAxis.max - m.yAxis.min;
    const qreal px = lay.plot.left() + (xr == 0 ? 0 : (x - m.xMin()) / xr * lay.plot.width());
    const qreal py = lay.plot.bottom() - (yr == 0 ? 0 : (y - m.yAxis.min) / yr * lay.plot.height());
    return {px, py};
}

Hit hitTest(const Model &m, const QSizeF &size, const QFont &font, const QPointF &pixel)
{
    const Layout lay = layout(m, size, font);
    Hit hit;
    const double xr = m.xMax() - m.xMin();
    const double yr = m.yAxis.max - m.yAxis.min;
    hit.x = m.xMin() + (pixel.x() - lay.plot.left()) / lay.plot.width() * xr;
    hit.y = m.yAxis.min + (lay.plot.bottom() - pixel.y()) / lay.plot.height() * yr;
    // Halves to even, as the windows round a position to its point.
    const double r = std::round(hit.x);
    const double nearest = std::abs(hit.x - std::trunc(hit.x)) == 0.5 ? 2 * std::round(hit.x / 2) : r;
    hit.point = nearest < 1 || nearest > 1e9 ? 0 : int(nearest);
    // Edges of the plot belong to it (a position on its last pixel column or row too).
    const QRectF plot = lay.plot.adjusted(0, 0, 1, 1);
    if (!lay.bounds.contains(pixel))
        hit.region = Region::Outside;
    else if (plot.contains(pixel))
        hit.region = Region::Plot;
    else if (!lay.legend.isEmpty() && lay.legend.contains(pixel))
        hit.region = Region::Legend;
    else if (!lay.header.isEmpty() && lay.header.contains(pixel))
        hit.region = Region::Header;
    else
        hit.region = Region::ChartArea;
    return hit;
}

QRectF labelRect(const Layout &lay, const Model &m, const QFont &base, const Label &l)
{
    if (!l.shown)
        return {};
    const QFont font = textFont(base, m);
    const QFontMetricsF fm(font);
    const QStringList lines = splitLines(l.text);
    qreal w = 0;
    for (const QString &line : lines)
        w = qMax(w, fm.horizontalAdvance(line));
    const QSizeF size(w + 2 * kLabelPad + 1, fm.height() * lines.size() + 2 * kLabelPad);
    int dx = 0, dy = 0;
    switch (l.anchor) {
    case Anchor::North: dy = -1; break;
    case Anchor::South: dy = 1; break;
    case Anchor::East: dx = 1; break;
    case Anchor::West: dx = -1; break;
    case Anchor::NorthEast: dx = 1, dy = -1; break;
    case Anchor::NorthWest: dx = -1, dy = -1; break;
    case Anchor::SouthEast: dx = 1, dy = 1; break;
    case Anchor::SouthWest: dx = -1, dy = 1; break;
    case Anchor::Center: break;
    }
    const QPointF at = toPixel(lay, m, l.x, l.y) + QPointF(dx * l.distance, dy * l.distance);
    const qreal x = dx > 0 ? at.x() : dx < 0 ? at.x() - size.width() : at.x() - size.width() / 2;
    const qreal y = dy > 0 ? at.y() : dy < 0 ? at.y() - size.height() : at.y() - size.height() / 2;
    QRectF box(QPointF(x, y), size);
    // A label stays whole inside the chart.
    const QRectF b = lay.bounds.adjusted(1, 1, -1, -1);
    if (box.right() > b.right())
        box.moveRight(b.right());
    if (box.left() < b.left())
        box.moveLeft(b.left());
    if (box.bottom() > b.bottom())
        box.moveBottom(b.bottom());
    if (box.top() < b.top())
        box.moveTop(b.top());
    return box;
}

void paint(QPainter &p, const Model &m, const QSizeF &size, const QFont &base)
{
    const Layout lay = layout(m, size, base);
    const QFont font = textFont(base, m);
    const QFontMetricsF fm(font);
    p.save();
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.fillRect(lay.bounds, m.background);
    if (!m.header.isEmpty())
        paintHeader(p, lay, m, base);

    p.fillRect(lay.plot, m.plotBackground);
    p.setFont(font);
    const QVector<double> yTicks = m.yAxis.shown ? ticks(m.yAxis.min, m.yAxis.max, m.yAxis.step) : QVector<double>();
    const QVector<double> xTicks = m.xAxis.shown ? ticks(m.xMin(), m.xMax(), m.xAxis.step) : QVector<double>();
    paintGrid(p, lay, m, yTicks, xTicks);
    paintGroups(p, lay, m);

    p.setRenderHint(QPainter::Antialiasing, false);
    ponPluma(p, QPen(Qt::black, 0));
    p.setBrush(Qt::NoBrush);
    if (m.yAxis.shown)
        paintYAxis(p, lay, m, fm, yTicks);
    if (m.xAxis.shown)
        paintXAxis(p, lay, m, fm, xTicks);
    p.drawRect(lay.plot);
    if (!lay.legend.isEmpty())
        paintLegend(p, lay, m, fm);

    // Floating labels, over everything.
    for (const Label &l : m.labels())
        if (l.shown)
            paintLabelBox(p, lay, m, font, l);
    p.restore();
}

void paintInto(QPainter &p, const Model &m, const QSizeF &size, const QFont &font, const QRectF &target)
{
    if (size.isEmpty() || target.isEmpty())
        return;
    const qreal scale = qMin(target.width() / size.width(), target.height() / size.height());
    p.save();
    p.translate(target.left() + (target.width() - size.width() * scale) / 2,
                target.top() + (target.height() - size.height() * scale) / 2);
    p.scale(scale, scale);
    paint(p, m, size, font);
    p.restore();
}

} // namespace slx::chart
