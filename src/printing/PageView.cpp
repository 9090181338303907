#include "printing/PageView.h"

#include "printing/PagePainter.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <cmath>

namespace slx {

PageView::PageView(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(false);
    verticalScrollBar()->setSingleStep(20);
    horizontalScrollBar()->setSingleStep(20);
}

void PageView::setModelo(std::shared_ptr<const ModeloPaginas> modelo)
{
    m_modelo = std::move(modelo);
    verticalScrollBar()->setValue(0);
    aplicaAjuste();
    recalcula();
    viewport()->update();
    Q_EMIT cambio();
}

void PageView::actualiza()
{
    recalcula();
    viewport()->update();
    Q_EMIT cambio();
}

int PageView::paginas() const
{
    return m_modelo ? m_modelo->paginasListas() : 0;
}

QSizeF PageView::tamanoPagina() const
{
    const QSizeF unidades = m_modelo ? m_modelo->tamano : QSizeF(2100, 2970);
    const double px = logicalDpiX() / 254.0 * m_zoom;
    return QSizeF(unidades.width() * px, unidades.height() * logicalDpiY() / 254.0 * m_zoom);
}

double PageView::paso() const
{
    return tamanoPagina().height() + kHueco;
}

void PageView::aplicaAjuste()
{
    if (m_ajuste == Ajuste::Ninguno)
        return;
    const QSizeF unidades = m_modelo ? m_modelo->tamano : QSizeF(2100, 2970);
    const double anchoReal = unidades.width() * logicalDpiX() / 254.0;
    const double altoReal = unidades.height() * logicalDpiY() / 254.0;
    const QSize v = viewport()->size();
    double z = (v.width() - 2.0 * kHueco) / anchoReal;
    if (m_ajuste == Ajuste::Pagina)
        z = std::min(z, (v.height() - 2.0 * kHueco) / altoReal);
    m_zoom = std::clamp(z, kZoomMinimo, kZoomMaximo);
}

void PageView::recalcula()
{
    const QSizeF p = tamanoPagina();
    const int n = paginas();
    const double total = n * paso() + kHueco;
    const QSize v = viewport()->size();
    verticalScrollBar()->setPageStep(v.height());
    verticalScrollBar()->setRange(0, std::max(0, int(std::ceil(total)) - v.height()));
    horizontalScrollBar()->setPageStep(v.width());
    horizontalScrollBar()->setRange(0, std::max(0, int(std::ceil(p.width() + 2 * kHueco)) - v.width()));
}

void PageView::setZoom(double zoom)
{
    const int pagina = paginaActual();
    m_ajuste = Ajuste::Ninguno;
    m_zoom = std::clamp(zoom, kZoomMinimo, kZoomMaximo);
    recalcula();
    irAPagina(pagina);
    viewport()->update();
    Q_EMIT cambio();
}

void PageView::acerca()
{
    setZoom(m_zoom * 1.25);
}

void PageView::aleja()
{
    setZoom(m_zoom / 1.25);
}

void PageView::setAjuste(Ajuste a)
{
    const int pagina = paginaActual();
    m_ajuste = a;
    aplicaAjuste();
    recalcula();
    irAPagina(pagina);
    viewport()->update();
    Q_EMIT cambio();
}

int PageView::paginaActual() const
{
    if (paginas() == 0)
        return 0;
    // The page at the top of the view.
    return std::clamp(int((verticalScrollBar()->value() + kHueco) / paso()), 0, paginas() - 1);
}

void PageView::irAPagina(int pagina)
{
    if (paginas() == 0)
        return;
    pagina = std::clamp(pagina, 0, paginas() - 1);
    verticalScrollBar()->setValue(int(std::lround(pagina * paso())));
    viewport()->update();
    Q_EMIT cambio();
}

void PageView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), QColor(128, 128, 128));
    m_pintadas = 0;
    if (!m_modelo)
        return;
    const QSizeF p = tamanoPagina();
    const double y0 = -verticalScrollBar()->value();
    const double x = std::max(double(kHueco), (viewport()->width() - p.width()) / 2.0) - horizontalScrollBar()->value();
    const int n = paginas();
    const int primera = std::max(0, int(verticalScrollBar()->value() / paso()));
    for (int i = primera; i < n; ++i) {
        const double top = y0 + kHueco + i * paso();
        if (top >= viewport()->height())
            break;
        const QRectF r(x, top, p.width(), p.height());
        painter.fillRect(r.translated(3, 3), QColor(60, 60, 60));
        painter.fillRect(r, Qt::white);
        pintaPagina(painter, *m_modelo, i, r);
        ++m_pintadas;
    }
}

void PageView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (m_ajuste != Ajuste::Ninguno) {
        const int pagina = paginaActual();
        aplicaAjuste();
        recalcula();
        irAPagina(pagina);
    } else {
        recalcula();
    }
    Q_EMIT cambio();
}

void PageView::keyPressEvent(QKeyEvent *event)
{
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_PageDown: irAPagina(paginaActual() + 1); return;
    case Qt::Key_PageUp: irAPagina(paginaActual() - 1); return;
    case Qt::Key_Home: irAPagina(0); return;
    case Qt::Key_End: irAPagina(paginas() - 1); return;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        if (ctrl) {
            acerca();
            return;
        }
        break;
    case Qt::Key_Minus:
        if (ctrl) {
            aleja();
            return;
        }
        break;
    default: break;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void PageView::wheelEvent(QWheelEvent *event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        if (event->angleDelta().y() > 0)
            acerca();
        else if (event->angleDelta().y() < 0)
            aleja();
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

void PageView::scrollContentsBy(int, int)
{
    viewport()->update();
    Q_EMIT cambio();
}

} // namespace slx
