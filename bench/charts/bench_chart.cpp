// Cost of drawing a chart: a full redraw of the weekly timetable (169 points, 10 series,
// the night labels), a full redraw of a 50-point chart of 14 series with 50 rotated point
// labels (the charts window's upper chart), and the SVG picture of that chart. Each figure
// is the median of many runs, painted into an image of the chart's size on the screen.
//
// usage: bench_chart [runs]

#include "programming/Form10.h"
#include "widgets/Chart2D.h"
#include "widgets/ChartPainter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace slx;

namespace {

double medianMs(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double worstMs(int runs, const std::function<void()> &work)
{
    double worst = 0;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        worst = std::max(worst, t.nsecsElapsed() / 1e6);
    }
    return worst;
}

// The upper chart of the charts window: 8 level and limit lines (4 broken), 6 areas
// (5 percentiles hidden, the gap band shown with a pattern), 50 rotated labels.
void fillLevels(Chart2D &c)
{
    chart::Model &m = c.model();
    m.setGroupCount(2);
    m.setSeriesCount(1, 8);
    m.setSeriesCount(2, 6);
    m.setPointCount(50);
    m.group(1).kind = chart::Kind::Lines;
    m.group(2).kind = chart::Kind::Area;
    m.yAxis = chart::Axis{20, 121, 10, QStringLiteral("dBA"), true, true};
    m.setPointLabelAngle(90);
    const QColor colours[] = {Qt::blue, QColor(165, 42, 42), Qt::cyan, Qt::blue, QColor(165, 42, 42),
                              Qt::cyan, Qt::yellow,          Qt::green};
    for (int s = 1; s <= 8; ++s) {
        m.series(1, s).label = QStringLiteral("Series %1").arg(s);
        m.series(1, s).color = colours[s - 1];
        m.series(1, s).penStyle = s >= 4 && s <= 6 ? Qt::DashLine : Qt::SolidLine;
        m.series(1, s).lineWidth = 2;
    }
    for (int s = 1; s <= 6; ++s) {
        m.series(2, s).label = QStringLiteral("L%1").arg(s);
        m.series(2, s).shown = s == 6;
    }
    m.series(2, 6).color = Qt::red;
    m.series(2, 6).fillStyle = Qt::BDiagPattern;
    for (int p = 1; p <= 50; ++p) {
        for (int s = 1; s <= 8; ++s)
            m.setValue(1, s, p, 60 + (p * 7 + s * 13) % 55);
        for (int s = 1; s <= 5; ++s)
            m.setValue(2, s, p, 55 + s * 5);
        m.setValue(2, 6, p, p % 17 == 0 || p % 17 == 1 ? 120 : -1);
        m.setPointLabel(p, QStringLiteral("05.03.09  10:%1 <> 10:%2")
                               .arg(p % 60, 2, 10, QLatin1Char('0'))
                               .arg((p + 15) % 60, 2, 10, QLatin1Char('0')));
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 200;

    Form10 form;
    form.resize(1000, 560);
    form.Form_Load();
    Chart2D &timetable = *form.Chart2D1;
    // A week open every evening, with a night from 22:00 to 08:00 and its labels.
    {
        chart::Model &m = timetable.model();
        horario::Semana week;
        for (auto &d : week)
            d = {QStringLiteral("20:00"), QStringLiteral("02:30")};
        m.series(1, 1).values = horario::dibujoSesiones(week);
        m.series(1, 3).values = horario::dibujoNoche(QStringLiteral("22:00"), QStringLiteral("08:00"));
        const QStringList labels = horario::etiquetasNoche(QStringLiteral("22:00"), QStringLiteral("08:00"));
        for (int p = 1; p <= horario::kPuntos; ++p)
            m.setPointLabel(p, labels[p - 1]);
    }
    timetable.resize(960, 260);
    QImage image(timetable.size(), QImage::Format_ARGB32_Premultiplied);
    auto redraw = [&](const Chart2D &c) {
        return [&c, &image] {
            QPainter p(&image);
            chart::paint(p, c.model(), c.size(), c.font());
        };
    };
    const double tt = medianMs(runs, redraw(timetable));
    const double ttWorst = worstMs(runs, redraw(timetable));

    Chart2D levels;
    levels.resize(960, 420);
    fillLevels(levels);
    image = QImage(levels.size(), QImage::Format_ARGB32_Premultiplied);
    const double lv = medianMs(runs, redraw(levels));
    const double lvWorst = worstMs(runs, redraw(levels));

    qsizetype bytes = 0;
    const double svg = medianMs(std::max(1, runs / 4), [&] { bytes = levels.toSvg().size(); });

    std::printf("timetable redraw (960x260, 169 points, 10 series): median %.2f ms, worst %.2f ms\n", tt, ttWorst);
    std::printf("levels redraw (960x420, 50 points, 14 series, 50 rotated labels): median %.2f ms, worst %.2f ms\n", lv,
                lvWorst);
    std::printf("SVG of the levels chart: median %.2f ms, %lld bytes\n", svg, static_cast<long long>(bytes));
    return 0;
}
