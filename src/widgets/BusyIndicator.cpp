#include "widgets/BusyIndicator.h"

#include <QPainter>
#include <QPainterPath>
#include <QTimer>

namespace slx {

BusyIndicator::BusyIndicator(QWidget *parent)
    : QWidget(parent)
    , m_timer(new QTimer(this))
{
    m_timer->setInterval(stepMs());
    connect(m_timer, &QTimer::timeout, this, &BusyIndicator::advance);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void BusyIndicator::start()
{
    m_running = true;
    m_step = 0;
    updateTimer();
    update();
}

void BusyIndicator::stop()
{
    m_running = false;
    updateTimer();
    update();
}

QSize BusyIndicator::sizeHint() const
{
    return {blocks() * 16 + 8, 22};
}

QSize BusyIndicator::minimumSizeHint() const
{
    return {blocks() * 6 + 8, 12};
}

void BusyIndicator::advance()
{
    m_step = (m_step + 1) % blocks();
    update();
}

void BusyIndicator::updateTimer()
{
    const bool animate = m_running && isVisible();
    if (animate && !m_timer->isActive())
        m_timer->start();
    else if (!animate)
        m_timer->stop();
}

void BusyIndicator::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    updateTimer();
}

void BusyIndicator::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    updateTimer();
}

void BusyIndicator::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor lit = palette().color(QPalette::Highlight);
    QColor dim = palette().color(QPalette::Mid);
    const int n = blocks();
    const qreal gap = 3;
    const qreal w = (width() - 8 - gap * (n - 1)) / n;
    const qreal h = height() - 6;
    for (int i = 0; i < n; ++i) {
        QColor c = dim;
        if (m_running) {
            // The lit block and a fading trail behind it, from left (computer) to right (device).
            const int behind = (m_step - i + n) % n;
            if (behind < 4) {
                c = lit;
                c.setAlphaF(1.0 - behind * 0.22);
            }
        }
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawRoundedRect(QRectF(4 + i * (w + gap), 3, w, h), 2, 2);
    }
}

} // namespace slx
