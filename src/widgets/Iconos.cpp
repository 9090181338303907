#include "widgets/Iconos.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>

namespace slx {

namespace {

// A printer: paper in, the body, paper out.
QIcon dibujaImpresora()
{
    QPixmap pm(48, 48);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(13, 4, 22, 14)); // the sheet going in
    p.setBrush(QColor(120, 130, 140));
    p.drawRoundedRect(QRectF(4, 17, 40, 18), 4, 4); // the body
    p.setBrush(Qt::white);
    p.drawRect(QRectF(11, 28, 26, 16)); // the printed sheet
    p.setPen(QPen(QColor(60, 60, 60), 1.5));
    for (int y : {33, 37, 41})
        p.drawLine(QPointF(15, y), QPointF(33, y));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(80, 200, 80));
    p.drawEllipse(QRectF(36, 21, 4, 4)); // the power light
    return QIcon(pm);
}

// A question mark in a blue disc.
QIcon dibujaAyuda()
{
    QPixmap pm(48, 48);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setPen(QPen(QColor(20, 70, 150), 2));
    p.setBrush(QColor(50, 120, 210));
    p.drawEllipse(QRectF(4, 4, 40, 40));
    QFont f;
    f.setPixelSize(30);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(4, 4, 40, 40), Qt::AlignCenter, QStringLiteral("?"));
    return QIcon(pm);
}

} // namespace

QIcon iconoImprimir()
{
    return QIcon::fromTheme(QStringLiteral("document-print"), dibujaImpresora());
}

QIcon iconoAyuda()
{
    if (QIcon::hasThemeIcon(QStringLiteral("help-contents")))
        return QIcon::fromTheme(QStringLiteral("help-contents"));
    return QIcon::fromTheme(QStringLiteral("help-browser"), dibujaAyuda());
}

} // namespace slx
