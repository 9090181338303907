#include "printing/PagePainter.h"

#include "base/TextoPropio.h"
#include "printing/Informe.h"
#include "printing/ReportLayout.h"

#include <QHash>
#include <QImage>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QSvgRenderer>
#include <vector>

namespace slx {

void pintaPagina(QPainter &painter, const ModeloPaginas &modelo, int pagina, const QRectF &destino)
{
    if (pagina < 0 || pagina >= modelo.paginas() || modelo.tamano.width() <= 0)
        return;
    painter.save();
    const double escala = destino.width() / modelo.tamano.width();
    painter.translate(destino.topLeft());
    painter.scale(escala, escala);
    painter.setClipRect(QRectF(QPointF(0, 0), modelo.tamano), Qt::IntersectClip);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);

    // A point size that gives the style's size in page units on this device; fonts by
    // style and size (a label too wide for its field prints smaller).
    const double dpi = painter.device() ? painter.device()->logicalDpiY() : 96;
    QHash<quint64, QFont> fuentes;
    const auto fuente = [&](int estilo, double puntos) -> const QFont & {
        const quint64 clave = (quint64(quint32(estilo)) << 32) | quint32(std::lround(puntos * 100));
        auto it = fuentes.find(clave);
        if (it == fuentes.end()) {
            EstiloTexto e = modelo.estilos()[estilo];
            e.puntos = puntos;
            QFont f = fuenteEstilo(e);
            f.setPointSizeF(puntos * 254.0 / dpi);
            it = fuentes.insert(clave, f);
        }
        return *it;
    };
    quint64 fuenteActual = ~quint64(0);
    painter.setPen(Qt::black);

    const auto [primera, fin] = modelo.instancias(pagina);
    for (int i = primera; i < fin; ++i) {
        const ModeloPaginas::Instancia &ins = modelo.instancia(i);
        const ModeloPaginas::Banda &b = modelo.banda(ins.banda);
        for (const ModeloPaginas::Elemento &e : b.elementos) {
            const QRectF r = modelo.caja(ins, e);
            switch (e.tipo) {
            case ModeloPaginas::Tipo::Texto: {
                const int id = e.valor >= 0 ? modelo.valor(ins.primerValor + e.valor) : e.texto;
                if (id < 0)
                    break;
                const QString &t = modelo.texto(id);
                if (t.isEmpty())
                    break;
                const QString texto = e.pagina ? modelo.textoPagina(t, pagina) : t;
                const double puntos = modelo.puntos(e, texto);
                const quint64 clave = (quint64(quint32(e.estilo)) << 32) | quint32(std::lround(puntos * 100));
                if (clave != fuenteActual) {
                    painter.setFont(fuente(e.estilo, puntos));
                    fuenteActual = clave;
                }
                const Qt::Alignment a = modelo.estilos()[e.estilo].alineacion;
                // The text fits its field at the layout's measures; a device that draws
                // it a hair wider does not cut its last letter.
                const int flags = int(e.crece >= 0 ? ((a & Qt::AlignHorizontal_Mask) | Qt::AlignTop) : a) |
                                  Qt::TextDontClip;
                if (e.crece < 0) {
                    painter.drawText(r, flags, texto);
                    break;
                }
                // A growing text line by line, where the layout measured its lines: a
                // device whose fonts are taller at its size does not push them over
                // what follows.
                const double paso = interlineado(modelo.estilos()[e.estilo]);
                double yLinea = r.top();
                for (const QString &linea : texto.split(QLatin1Char('\n'))) {
                    painter.drawText(QRectF(r.left(), yLinea, r.width(), paso), flags, linea);
                    yLinea += paso;
                }
                break;
            }
            case ModeloPaginas::Tipo::Linea:
                painter.setPen(QPen(Qt::black, e.grosor));
                painter.drawLine(r.topLeft(), r.bottomRight());
                painter.setPen(Qt::black);
                break;
            case ModeloPaginas::Tipo::Caja:
                painter.setPen(QPen(Qt::black, e.grosor));
                painter.setBrush(e.relleno ? QBrush(QColor(230, 230, 230)) : QBrush(Qt::NoBrush));
                painter.drawRect(r);
                painter.setBrush(Qt::NoBrush);
                painter.setPen(Qt::black);
                break;
            case ModeloPaginas::Tipo::Imagen: {
                if (e.imagen < 0)
                    break;
                const ModeloPaginas::Imagen &img = modelo.imagen(e.imagen);
                const QRectF donde = modelo.cajaImagen(e, r);
                if (img.svg)
                    img.svg->render(&painter, donde);
                else if (img.mapa)
                    painter.drawImage(donde, *img.mapa);
                break;
            }
            }
        }
    }
    painter.restore();
}

namespace {
// The detail that marks a cancelled print.
const QString kCancelada = QStringLiteral("cancelled");
} // namespace

bool impresionCancelada(const Fallo &f)
{
    return f.detail == kCancelada;
}

Resultado<> imprimeModelo(const ModeloPaginas &modelo, QPagedPaintDevice &dispositivo, int desde, int hasta,
                          const std::function<bool(int)> &progreso)
{
    desde = std::max(1, desde);
    hasta = std::min(hasta, modelo.paginas());
    const QSizeF mm = modelo.tamano / 10.0;
    const QPageSize tamano(mm, QPageSize::Millimeter);
    const QPageLayout::Orientation orientacion =
        mm.width() > mm.height() ? QPageLayout::Landscape : QPageLayout::Portrait;
    dispositivo.setPageLayout(QPageLayout(tamano, orientacion, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    QPainter painter;
    if (!painter.begin(&dispositivo))
        return fallo(TextoPropio("The document cannot be printed: the printer or the file cannot be opened."));
    const QRect pagina = painter.viewport();
    for (int p = desde; p <= hasta; ++p) {
        if (progreso && !progreso(p - desde + 1)) {
            painter.end();
            return fallo(TextoPropio("Printing was cancelled."), kCancelada);
        }
        if (p > desde)
            dispositivo.newPage();
        pintaPagina(painter, modelo, p - 1, QRectF(pagina));
    }
    if (!painter.end())
        return fallo(TextoPropio("The document cannot be printed: the printer or the file cannot be written."));
    return {};
}

} // namespace slx
