#pragma once
// Draws pages of a page model on any paint device: the preview's screen, an image, a
// printer or a PDF file.

#include "base/Resultado.h"
#include "printing/ModeloPaginas.h"

#include <QRectF>
#include <functional>

class QPainter;
class QPagedPaintDevice;

namespace slx {

// Draws page pagina (from 0) of the model into destino (device coordinates of the
// painter), scaled to fit its width. The painter's state is kept.
void pintaPagina(QPainter &painter, const ModeloPaginas &modelo, int pagina, const QRectF &destino);

// Prints pages desde to hasta (from 1, both included) on a paged device whose page
// size and margins it sets (the whole sheet, no margins). progreso is called before
// each page with the page's rank from 1; returning false cancels. A failure with its
// description when the device cannot be painted on or the print was cancelled (then
// impresionCancelada() tells it).
Resultado<> imprimeModelo(const ModeloPaginas &modelo, QPagedPaintDevice &dispositivo, int desde, int hasta,
                          const std::function<bool(int)> &progreso);
// True for the failure of a print the progress callback cancelled.
bool impresionCancelada(const Fallo &f);

} // namespace slx
