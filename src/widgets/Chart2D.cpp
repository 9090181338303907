#include "widgets/Chart2D.h"

#include "widgets/ChartPainter.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSvgGenerator>

namespace slx {

Chart2D::Chart2D(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    m_model.setGroupCount(1);
}

chart::Model &Chart2D::model()
{
    changed();
    return m_model;
}

void Chart2D::setValue(int group, int series, int point, double value)
{
    model().setValue(group, series, point, value);
}

void Chart2D::setPointLabel(int point, const QString &text)
{
    model().setPointLabel(point, text);
}

void Chart2D::setSeriesShown(int group, int series, bool shown)
{
    model().series(group, series).shown = shown;
}

chart::Label &Chart2D::label(const QString &name)
{
    return model().addLabel(name);
}

void Chart2D::setBatched(bool batched)
{
    if (m_batched == batched)
        return;
    m_batched = batched;
    if (!batched)
        changed();
}

void Chart2D::changed()
{
    m_dirty = true;
    if (m_batched)
        return;
    update();
    // Read after the caller's change, once the handler has returned.
    QMetaObject::invokeMethod(this, &Chart2D::refreshDescription, Qt::QueuedConnection);
}

void Chart2D::refreshDescription()
{
    if (m_batched)
        return;
    QStringList lines;
    for (const chart::Label &l : m_model.labels())
        if (l.shown && !l.text.trimmed().isEmpty())
            lines << chart::splitLines(l.text);
    const QString text = lines.join(QLatin1Char('\n'));
    if (accessibleDescription() != text)
        setAccessibleDescription(text);
}

QSize Chart2D::pictureSize() const
{
    const QSize s = size();
    // A chart never laid out yet (only built, as the text export does) takes its preferred size.
    const bool laidOut = testAttribute(Qt::WA_Resized) || isVisible();
    return laidOut && s.width() > 1 && s.height() > 1 ? s : sizeHint();
}

chart::Layout Chart2D::chartLayout() const
{
    return chart::layout(m_model, pictureSize(), font());
}

chart::Hit Chart2D::hitTest(const QPoint &pixel) const
{
    return chart::hitTest(m_model, pictureSize(), font(), QPointF(pixel) + QPointF(0.5, 0.5));
}

QImage Chart2D::toImage(qreal devicePixelRatio) const
{
    const QSize s = pictureSize();
    QImage image(s * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(m_model.background);
    QPainter p(&image);
    chart::paint(p, m_model, s, font());
    return image;
}

QByteArray Chart2D::toSvg(const QSize &size) const
{
    const QSize s = size.isEmpty() ? pictureSize() : size;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(s);
    svg.setViewBox(QRect(QPoint(0, 0), s));
    svg.setTitle(accessibleName().isEmpty() ? objectName() : accessibleName());
    {
        QPainter p(&svg);
        chart::paint(p, m_model, s, font());
    }
    // The picture's size in pixels, as on the screen (the generator writes millimetres,
    // which readers turn back into pixels at resolutions of their own).
    QByteArray out = buffer.data();
    const qsizetype open = out.indexOf("<svg");
    const qsizetype close = open < 0 ? -1 : out.indexOf('>', open);
    if (close > open) {
        static const QRegularExpression size(QStringLiteral(" width=\"[^\"]*\" height=\"[^\"]*\""));
        QString tag = QString::fromLatin1(out.mid(open, close - open));
        tag.replace(size, QStringLiteral(" width=\"%1\" height=\"%2\"").arg(s.width()).arg(s.height()));
        out.replace(open, close - open, tag.toLatin1());
    }
    return out;
}

void Chart2D::render(QPainter &painter, const QRectF &target) const
{
    chart::paintInto(painter, m_model, pictureSize(), font(), target);
}

bool Chart2D::print(QPagedPaintDevice *device) const
{
    QPainter p;
    if (!device || !p.begin(device))
        return false;
    const QRect page = device->pageLayout().paintRectPixels(device->logicalDpiX());
    render(p, QRectF(QPointF(0, 0), page.size()));
    return p.end();
}

bool Chart2D::copyToClipboard(int format) const
{
    if (format < Bitmap || format > StandardMetafile)
        return false;
    auto *data = new QMimeData;
    data->setImageData(toImage());
    if (format != Bitmap)
        data->setData(QStringLiteral("image/svg+xml"), toSvg());
    QGuiApplication::clipboard()->setMimeData(data);
    return true;
}

Resultado<> Chart2D::drawToFile(const QString &path, int format, const QSize &size) const
{
    QByteArray bytes;
    if (format == Bitmap) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        toImage().save(&buffer, "PNG");
    } else if (format >= Metafile && format <= StandardMetafile) {
        bytes = toSvg(size);
    } else {
        return fallo(QStringLiteral("Unknown picture format %1").arg(format));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return fallo(file.errorString());
    return {};
}

QStringList Chart2D::translatableTexts() const
{
    QStringList texts;
    for (int g = 1; g <= m_model.groupCount(); ++g)
        for (const chart::Series &s : m_model.group(g).series)
            texts << s.label;
    return texts;
}

void Chart2D::setTranslatableText(int index, const QString &text)
{
    for (int g = 1; g <= m_model.groupCount(); ++g) {
        const int n = m_model.seriesCount(g);
        if (index < n) {
            model().series(g, index + 1).label = text;
            return;
        }
        index -= n;
    }
}

void Chart2D::paintEvent(QPaintEvent *)
{
    const qreal dpr = devicePixelRatioF();
    if (m_picture.isNull() || (m_dirty && !m_batched)) {
        // Batched before its first picture: the background only, never a half-filled chart.
        QPixmap picture(size() * dpr);
        picture.setDevicePixelRatio(dpr);
        picture.fill(m_model.background);
        if (!m_batched) {
            QPainter p(&picture);
            chart::paint(p, m_model, size(), font());
            m_dirty = false;
        }
        m_picture = picture;
    }
    QPainter p(this);
    p.drawPixmap(0, 0, m_picture);
}

void Chart2D::resizeEvent(QResizeEvent *event)
{
    // While batched the old picture stays until the new one is whole.
    m_dirty = true;
    QWidget::resizeEvent(event);
}

void Chart2D::mousePressEvent(QMouseEvent *event)
{
    Q_EMIT mouseEvent(event->button(), event->modifiers(), event->position().toPoint());
    QWidget::mousePressEvent(event);
}

} // namespace slx
