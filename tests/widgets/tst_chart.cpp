// The chart control: what it draws (holes, clipping, areas, stacked bars), where a pixel
// lies, the batch guard, its files, clipboard and printer output, its texts for the
// translation and for a screen reader.

#include "widgets/Chart2D.h"
#include "widgets/ChartPainter.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QtTest>

using namespace slx;

namespace {

const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);
const QColor kGreen(0, 200, 0);

bool near(QColor a, QColor b, int tol = 40)
{
    return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue()) <= tol;
}

// Whether a column of pixels between two rows holds the colour.
bool columnHas(const QImage &img, int x, int top, int bottom, QColor c)
{
    for (int y = qMax(0, top); y <= qMin(img.height() - 1, bottom); ++y)
        if (near(img.pixelColor(x, y), c))
            return true;
    return false;
}

// A 600 x 300 chart of 10 points, Y 0..10, one group of the given kind.
void setUp(Chart2D &c, chart::Kind kind, int series)
{
    c.resize(600, 300);
    chart::Model &m = c.model();
    m.setGroupCount(1);
    m.setSeriesCount(1, series);
    m.setPointCount(10);
    m.group(1).kind = kind;
    m.yAxis.min = 0;
    m.yAxis.max = 10;
    m.yAxis.step = 2;
    m.legend = false;
    const QColor colours[] = {kBlue, kRed, kGreen};
    for (int s = 1; s <= series; ++s) {
        m.series(1, s).color = colours[(s - 1) % 3];
        m.series(1, s).lineWidth = 3;
    }
}

QPoint pixelAt(const Chart2D &c, double x, double y)
{
    return chart::toPixel(c.chartLayout(), c.model(), x, y).toPoint();
}

} // namespace

class TestChart : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void splitLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("lone CR") << "a\rb" << QStringList{"a", "b"};
        QTest::newRow("CR LF") << "a\r\nb" << QStringList{"a", "b"};
        QTest::newRow("lone LF") << "a\nb" << QStringList{"a", "b"};
        QTest::newRow("two CRs make an empty line") << "a\r\rb" << QStringList{"a", "", "b"};
        QTest::newRow("LF CR is two breaks") << "a\n\rb" << QStringList{"a", "", "b"};
        QTest::newRow("no break") << "abc" << QStringList{"abc"};
    }
    void splitLines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(chart::splitLines(text), lines);
    }

    void modelKeepsHolesAndRanges()
    {
        chart::Model m;
        m.setGroupCount(2);
        m.setSeriesCount(1, 2);
        m.setSeriesCount(2, 1);
        m.setPointCount(5);
        QCOMPARE(m.value(1, 2, 5), -1.0); // new values are holes
        m.setValue(2, 1, 3, 4.5);
        QCOMPARE(m.value(2, 1, 3), 4.5);
        m.setValue(2, 1, 6, 9); // out of range writes nothing
        m.setValue(3, 1, 1, 9);
        QCOMPARE(m.value(2, 1, 6), -1.0);
        QCOMPARE(m.value(3, 1, 1), -1.0);
        m.setPointCount(7); // values and labels persist when the points grow
        QCOMPARE(m.value(2, 1, 3), 4.5);
        QCOMPARE(m.value(2, 1, 7), -1.0);
        QCOMPARE(m.pointLabels().size(), 7);
    }

    void lineBreaksAtAHole()
    {
        Chart2D c;
        setUp(c, chart::Kind::Lines, 1);
        for (int p = 1; p <= 10; ++p)
            c.setValue(1, 1, p, 5);
        c.setValue(1, 1, 5, -1);
        const QImage img = c.toImage();
        const int y = pixelAt(c, 1, 5).y();
        auto between = [&](double a) { return pixelAt(c, a, 5).x(); };
        QVERIFY(columnHas(img, between(2.5), y - 3, y + 3, kBlue));
        QVERIFY(!columnHas(img, between(4.5), y - 3, y + 3, kBlue)); // 4 to the hole
        QVERIFY(!columnHas(img, between(5.5), y - 3, y + 3, kBlue)); // the hole to 6
        QVERIFY(columnHas(img, between(6.5), y - 3, y + 3, kBlue));
        // A hidden series draws nothing.
        c.setSeriesShown(1, 1, false);
        QVERIFY(!columnHas(c.toImage(), between(2.5), y - 3, y + 3, kBlue));
    }

    // On the screen's image and in the SVG file (whose readers keep no clip of the
    // painter) alike: the lines are cut at the plot's edges.
    void valuesOutsideTheAxisAreClippedByThePlot_data()
    {
        QTest::addColumn<bool>("svg");
        QTest::newRow("image") << false;
        QTest::newRow("SVG") << true;
    }
    void valuesOutsideTheAxisAreClippedByThePlot()
    {
        QFETCH(bool, svg);
        Chart2D c;
        setUp(c, chart::Kind::Lines, 1);
        for (int p = 1; p <= 10; ++p)
            c.setValue(1, 1, p, p % 2 ? -2 : 12); // below the minimum and above the maximum
        QImage img = c.toImage();
        if (svg) {
            QSvgRenderer lector(c.toSvg());
            QVERIFY(lector.isValid());
            img.fill(Qt::white);
            QPainter p(&img);
            lector.render(&p, QRectF(QPointF(0, 0), c.pictureSize()));
        }
        const QRect plot = c.chartLayout().plot.toAlignedRect();
        // Drawn inside the plot, up to its edges...
        QVERIFY(columnHas(img, pixelAt(c, 1.5, 0).x(), plot.top(), plot.bottom(), kBlue));
        // ...never above or below it.
        for (int x = plot.left(); x < plot.right(); x += 3) {
            QVERIFY2(!columnHas(img, x, 0, plot.top() - 2, kBlue), qPrintable(QString::number(x)));
            QVERIFY2(!columnHas(img, x, plot.bottom() + 2, img.height() - 1, kBlue), qPrintable(QString::number(x)));
        }
    }

    void areaFillsFromTheBottomAndStopsAtHoles()
    {
        Chart2D c;
        setUp(c, chart::Kind::Area, 1);
        for (int p = 1; p <= 4; ++p)
            c.setValue(1, 1, p, 6);
        const QImage img = c.toImage();
        QVERIFY(near(img.pixelColor(pixelAt(c, 2.5, 1)), kBlue));
        QVERIFY(near(img.pixelColor(pixelAt(c, 2.5, 5.5)), kBlue));
        QVERIFY(!near(img.pixelColor(pixelAt(c, 2.5, 7)), kBlue));
        QVERIFY(!near(img.pixelColor(pixelAt(c, 5.5, 1)), kBlue)); // points 5.. are holes
    }

    void stackedBarsStackTheShownSeries()
    {
        Chart2D c;
        setUp(c, chart::Kind::StackedBars, 3);
        for (int s = 1; s <= 3; ++s)
            c.setValue(1, s, 4, 2);
        c.setValue(1, 2, 5, -1); // a hole at point 5 leaves no gap in the stack
        c.setValue(1, 1, 5, 2);
        c.setValue(1, 3, 5, 2);
        QImage img = c.toImage();
        QVERIFY(near(img.pixelColor(pixelAt(c, 4, 1)), kBlue));
        QVERIFY(near(img.pixelColor(pixelAt(c, 4, 3)), kRed));
        QVERIFY(near(img.pixelColor(pixelAt(c, 4, 5)), kGreen));
        QVERIFY(!near(img.pixelColor(pixelAt(c, 4, 7)), kGreen));
        QVERIFY(near(img.pixelColor(pixelAt(c, 5, 3)), kGreen));
        QVERIFY(!near(img.pixelColor(pixelAt(c, 3, 1)), kBlue)); // no values, no bar
        c.setSeriesShown(1, 2, false);
        img = c.toImage();
        QVERIFY(near(img.pixelColor(pixelAt(c, 4, 3)), kGreen));
        QVERIFY(!near(img.pixelColor(pixelAt(c, 4, 5)), kGreen));
    }

    void barsStandSideBySide()
    {
        Chart2D c;
        setUp(c, chart::Kind::Bars, 2);
        c.setValue(1, 1, 3, 4);
        c.setValue(1, 2, 3, 8);
        const QImage img = c.toImage();
        QVERIFY(near(img.pixelColor(pixelAt(c, 2.8, 2)), kBlue));
        QVERIFY(near(img.pixelColor(pixelAt(c, 3.2, 6)), kRed));
        QVERIFY(!near(img.pixelColor(pixelAt(c, 2.8, 6)), kBlue));
    }

    void hitTest_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<int>("point");
        for (int k : {1, 2, 25, 49, 50})
            QTest::newRow(qPrintable(QString("point %1").arg(k))) << double(k) << 60.0 << k;
        QTest::newRow("left half of point 7") << 6.7 << 30.0 << 7;
        QTest::newRow("right half of point 7") << 7.3 << 110.0 << 7;
    }
    void hitTest()
    {
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(int, point);
        Chart2D c;
        c.resize(800, 400);
        chart::Model &m = c.model();
        m.setSeriesCount(1, 1);
        m.setPointCount(50);
        m.yAxis = chart::Axis{20, 121, 10, "dBA", true, false};
        m.header = QStringList{"Title"};
        const QPoint px = pixelAt(c, x, y);
        const chart::Hit hit = c.hitTest(px);
        QCOMPARE(hit.region, chart::Region::Plot);
        QCOMPARE(hit.point, point);
        QVERIFY(qAbs(hit.x - x) < 0.1);
        QVERIFY(qAbs(hit.y - y) < 0.5);
    }

    void hitTestRegions()
    {
        Chart2D c;
        c.resize(800, 400);
        chart::Model &m = c.model();
        m.setSeriesCount(1, 1);
        m.series(1, 1).label = "Leq";
        m.setPointCount(50);
        m.yAxis = chart::Axis{20, 121, 10, "dBA", true, false};
        m.header = QStringList{"Title"};
        const chart::Layout lay = c.chartLayout();
        QCOMPARE(c.hitTest(lay.header.center().toPoint()).region, chart::Region::Header);
        QCOMPARE(c.hitTest(lay.legend.center().toPoint()).region, chart::Region::Legend);
        // The axis annotations and the margins are the chart, not its plot.
        QCOMPARE(c.hitTest(QPoint(int(lay.plot.left()) - 10, int(lay.plot.center().y()))).region,
                 chart::Region::ChartArea);
        QCOMPARE(c.hitTest(QPoint(int(lay.plot.center().x()), int(lay.plot.bottom()) + 8)).region,
                 chart::Region::ChartArea);
        QCOMPARE(c.hitTest(QPoint(900, 10)).region, chart::Region::Outside);
        // The left edge of the plot, before point 1: X at or below 0.5 rounds to 0 or 1.
        const chart::Hit edge = c.hitTest(lay.plot.topLeft().toPoint());
        QCOMPARE(edge.region, chart::Region::Plot);
        QVERIFY(edge.x < 0.6);
    }

    void batchedChartKeepsItsLastWholePicture()
    {
        Chart2D c;
        setUp(c, chart::Kind::Area, 1);
        c.setValue(1, 1, 1, 8);
        c.setValue(1, 1, 2, 8);
        c.show();
        QVERIFY(QTest::qWaitForWindowExposed(&c));
        const QPoint probe = pixelAt(c, 1.5, 4);
        QVERIFY(near(c.grab().toImage().pixelColor(probe), kBlue));
        c.setBatched(true);
        c.setValue(1, 1, 1, -1);
        c.model().series(1, 1).color = kRed;
        QCoreApplication::processEvents();
        QVERIFY(near(c.grab().toImage().pixelColor(probe), kBlue)); // still the old picture
        c.setValue(1, 1, 1, 8);
        c.setBatched(false);
        QCoreApplication::processEvents();
        QVERIFY(near(c.grab().toImage().pixelColor(probe), kRed));
    }

    // A header line of blank-padded columns over the plot: each word stands over its
    // column, in the chart's own (bold) font as it is, not squeezed into the line's width;
    // a word longer than its column pushes the next one to the right.
    void headerColumnsInTheChartsFont_data()
    {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<bool>("pushed"); // the third word no longer stands over its column
        QTest::newRow("padded") << QStringList{"Lunes", "Miércoles", "Jueves"} << false;
        QTest::newRow("a word wider than its column")
            << QStringList{"Lunes", "Mmmmmmmmmmmmmmmmmmmmmmmmmmm", "Jueves"} << true;
    }
    void headerColumnsInTheChartsFont()
    {
        QFETCH(QStringList, words);
        QFETCH(bool, pushed);
        Chart2D c;
        setUp(c, chart::Kind::Area, 1);
        constexpr int kColumn = 12;
        QString line;
        for (const QString &w : words)
            line += w.leftJustified(kColumn, ' ');
        c.model().header = QStringList{line};
        c.model().headerSpansPlot = true;
        const chart::Layout lay = c.chartLayout();
        const QImage img = c.toImage();
        QFont f = c.font();
        f.setPixelSize(c.model().fontPixels + 1);
        f.setBold(true);
        const QFontMetricsF fm(f);
        // The columns of pixels of the header band that hold ink.
        QVector<bool> ink(img.width());
        for (int x = 0; x < img.width(); ++x)
            for (int y = int(lay.header.top()); y < int(lay.header.bottom()); ++y)
                if (qGray(img.pixel(x, y)) < 128)
                    ink[x] = true;
        auto firstInk = [&](qreal from) {
            for (int x = qMax(0, int(from) - 1); x < img.width(); ++x)
                if (ink[x])
                    return x;
            return -1;
        };
        const qreal perChar = lay.plot.width() / line.size();
        qreal end = 0;
        for (int k = 0; k < words.size(); ++k) {
            const qreal column = lay.plot.left() + k * kColumn * perChar;
            const int x = firstInk(qMax(column, end));
            if (k < 2 || !pushed)
                QVERIFY2(qAbs(x - column) <= 3, qPrintable(QString("%1 at %2, column at %3").arg(words[k]).arg(x).arg(column)));
            else
                QVERIFY(x > column + 10);
            // The word's ink spans its width in the font: not scaled.
            int last = x;
            const qreal advance = fm.horizontalAdvance(words[k]);
            for (int i = x; i < qMin(img.width(), int(x + advance + 4)); ++i)
                if (ink[i])
                    last = i;
            QVERIFY2(qAbs((last - x) - advance) <= 4, qPrintable(QString("%1: %2 px for %3").arg(words[k]).arg(last - x).arg(advance)));
            end = x + advance + 1;
        }
    }

    void svgShowsTheChartAsTheScreenDoes()
    {
        Chart2D c;
        setUp(c, chart::Kind::Area, 2);
        c.model().header = QStringList{"Weekly timetable"};
        for (int p = 1; p <= 10; ++p) {
            c.setValue(1, 1, p, 6);
            c.setValue(1, 2, p, 9);
            c.setPointLabel(p, p == 3 ? "22:30" : " ");
        }
        c.setSeriesShown(1, 2, false);
        const QByteArray svg = c.toSvg();
        QVERIFY(svg.contains("Weekly timetable"));
        QVERIFY(svg.contains("22:30"));
        QVERIFY(svg.contains("#0000ff"));
        QVERIFY(!svg.contains("#ff0000")); // the hidden series is not in the file
        QSvgRenderer renderer(svg);
        QVERIFY(renderer.isValid());
        QCOMPARE(renderer.defaultSize(), QSize(600, 300));
        QImage fromSvg(600, 300, QImage::Format_ARGB32_Premultiplied);
        fromSvg.fill(Qt::white);
        QPainter p(&fromSvg);
        renderer.render(&p);
        p.end();
        const QImage direct = c.toImage();
        for (double x : {1.5, 5.0, 9.5})
            for (double y : {1.0, 5.0, 8.0})
                QCOMPARE(fromSvg.pixelColor(pixelAt(c, x, y)).rgb(), direct.pixelColor(pixelAt(c, x, y)).rgb());
    }

    void drawToFile()
    {
        QTemporaryDir dir;
        Chart2D c;
        setUp(c, chart::Kind::Lines, 1);
        c.setValue(1, 1, 1, 3);
        QVERIFY(c.drawToFile(dir.filePath("chart.svg"), Chart2D::EnhancedMetafile).has_value());
        QVERIFY(QSvgRenderer(dir.filePath("chart.svg")).isValid());
        QVERIFY(c.drawToFile(dir.filePath("chart.png"), Chart2D::Bitmap).has_value());
        QCOMPARE(QImage(dir.filePath("chart.png")).size(), QSize(600, 300));
        const auto formato = c.drawToFile(dir.filePath("chart.x"), 5);
        QVERIFY(!formato);
        QVERIFY(!formato.error().text.isEmpty());
        // A file that cannot be written is reported, never taken for written.
        const auto carpeta = c.drawToFile(dir.filePath("no-such-folder/chart.svg"), Chart2D::EnhancedMetafile);
        QVERIFY(!carpeta);
        QVERIFY(!carpeta.error().text.isEmpty());
    }

    void clipboardFormats()
    {
        Chart2D c;
        setUp(c, chart::Kind::Lines, 1);
        QVERIFY(c.copyToClipboard(Chart2D::Bitmap));
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data && data->hasImage());
        QVERIFY(!data->hasFormat("image/svg+xml"));
        for (int f : {2, 3, 4}) {
            QVERIFY(c.copyToClipboard(f));
            data = QGuiApplication::clipboard()->mimeData();
            QVERIFY(data->hasImage());
            QVERIFY(QSvgRenderer(data->data("image/svg+xml")).isValid());
        }
        QVERIFY(!c.copyToClipboard(0));
        QVERIFY(!c.copyToClipboard(5));
    }

    void printsOnAPage()
    {
        QTemporaryDir dir;
        Chart2D c;
        setUp(c, chart::Kind::Lines, 1);
        c.model().header = QStringList{"Printed chart"};
        QPdfWriter pdf(dir.filePath("chart.pdf"));
        QVERIFY(c.print(&pdf));
        QVERIFY(QFileInfo(dir.filePath("chart.pdf")).size() > 500);
    }

    void seriesLabelsForTheTranslation()
    {
        Chart2D c;
        chart::Model &m = c.model();
        m.setGroupCount(2);
        m.setSeriesCount(1, 2);
        m.setSeriesCount(2, 2);
        m.series(1, 1).label = "Abierto";
        m.series(1, 2).label = "Día";
        m.series(2, 2).label = "Sin datos";
        QCOMPARE(c.translatableTexts(), (QStringList{"Abierto", "Día", "", "Sin datos"}));
        c.setTranslatableText(3, "No data");
        c.setTranslatableText(1, "Day");
        QCOMPARE(m.series(2, 2).label, QString("No data"));
        QCOMPARE(m.series(1, 2).label, QString("Day"));
        QCOMPARE(m.series(2, 1).label, QString());
    }

    void accessibleDescriptionListsTheShownLabels()
    {
        Chart2D c;
        setUp(c, chart::Kind::Lines, 1);
        chart::Label &upper = c.label("OnBar");
        upper.text = "LeqT:62.0\r\rL1:---";
        upper.background = QColor(0, 255, 255);
        upper.x = 3;
        upper.y = 5;
        upper.anchor = chart::Anchor::NorthEast;
        upper.distance = 10;
        upper.shown = true;
        chart::Label &other = c.label("Other");
        other.text = "hidden";
        QCoreApplication::processEvents();
        QCOMPARE(c.accessibleDescription(), QString("LeqT:62.0\n\nL1:---"));
        // The label is drawn where it is attached, in its colour, whole inside the chart.
        const QRectF box = chart::labelRect(c.chartLayout(), c.model(), c.font(), *c.model().label("OnBar"));
        const QPointF at = pixelAt(c, 3, 5);
        QVERIFY(box.left() >= at.x() + 9 && box.bottom() <= at.y() - 9);
        QVERIFY(near(c.toImage().pixelColor(box.bottomRight().toPoint() - QPoint(3, 3)), QColor(0, 255, 255)));
        c.label("OnBar").shown = false;
        c.label("Other").shown = true;
        QCoreApplication::processEvents();
        QCOMPARE(c.accessibleDescription(), QString("hidden"));
        // Near the right edge a label that extends to the right is kept inside.
        c.label("Other").x = 10;
        c.label("Other").anchor = chart::Anchor::East;
        c.label("Other").distance = 40;
        const QRectF kept = chart::labelRect(c.chartLayout(), c.model(), c.font(), *c.model().label("Other"));
        QVERIFY(kept.right() <= 600);
    }
};

QTEST_MAIN(TestChart)
#include "tst_chart.moc"
