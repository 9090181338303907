#pragma once
// The chart control: a chart model (widgets/ChartModel.h) shown in a widget, drawn by the
// one routine of widgets/ChartPainter.h on the screen, on images, in SVG files, on the
// clipboard and on printer pages.
//
// Changes go through model(); the widget repaints once the handler that made them returns.
// While the chart is batched (setBatched(true)) the screen keeps the last whole picture, so
// nothing half-done is shown; clearing the flag shows the new one.
// The series labels take part in the translation of the window (slx::Translatable), group
// by group. The accessible description lists the texts of the shown floating labels, one
// line per text line, as a person reads them on the screen.

#include "base/Resultado.h"
#include "widgets/ChartModel.h"
#include "widgets/ChartPainter.h"
#include "widgets/Translatable.h"

#include <QPixmap>
#include <QWidget>

class QPagedPaintDevice;

namespace slx {

class Chart2D : public QWidget, public Translatable {
    Q_OBJECT
public:
    // Picture formats of the clipboard and of the files: 1 a bitmap; 2, 3 and 4 a vector
    // picture (SVG; the clipboard gets the bitmap beside it for programs without SVG).
    enum Format { Bitmap = 1, Metafile = 2, EnhancedMetafile = 3, StandardMetafile = 4 };

    explicit Chart2D(QWidget *parent = nullptr);

    // The content. Each call of the non-const form counts as a change.
    chart::Model &model();
    const chart::Model &model() const { return m_model; }

    // The calls the windows make most, over model().
    double value(int group, int series, int point) const { return m_model.value(group, series, point); }
    void setValue(int group, int series, int point, double value);
    void setPointLabel(int point, const QString &text);
    bool isSeriesShown(int group, int series) const { return m_model.series(group, series).shown; }
    void setSeriesShown(int group, int series, bool shown);
    // A named floating label (created hidden when it does not exist yet).
    chart::Label &label(const QString &name);

    // Suspends repainting (true) until cleared (false).
    void setBatched(bool batched);
    bool isBatched() const { return m_batched; }

    // A pixel of the widget mapped to data coordinates and to the region it lies in.
    chart::Hit hitTest(const QPoint &pixel) const;
    chart::Layout chartLayout() const;

    // The picture laid out on the widget's size (a default size before it is first laid out).
    QSize pictureSize() const;
    QImage toImage(qreal devicePixelRatio = 1) const;
    // The picture as SVG, laid out on size (empty: pictureSize()).
    QByteArray toSvg(const QSize &size = {}) const;
    // Draws the picture scaled into target (a printer page, a report box).
    void render(QPainter &painter, const QRectF &target) const;
    bool print(QPagedPaintDevice *device) const;
    // Copies the picture to the clipboard in one of the four formats; false for another.
    bool copyToClipboard(int format) const;
    // Writes the picture to a file: format 1 a PNG bitmap, 2 to 4 an SVG picture. The
    // reason as the failure's text when the file cannot be written or the format is unknown.
    // An SVG picture is laid out on size when one is given (a report box's proportions),
    // else on the widget's.
    Resultado<> drawToFile(const QString &path, int format, const QSize &size = {}) const;

    QStringList translatableTexts() const override;
    void setTranslatableText(int index, const QString &text) override;

    QSize sizeHint() const override { return {640, 400}; }

Q_SIGNALS:
    // A mouse button pressed on the chart: the button, the modifiers and the pixel.
    void mouseEvent(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, const QPoint &pixel);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void changed();
    void refreshDescription();

    chart::Model m_model;
    bool m_batched = false;
    bool m_dirty = true;
    QPixmap m_picture; // the last whole picture
};

} // namespace slx
