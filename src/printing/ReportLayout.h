#pragma once
// The layout of a report into its page model, in slices: each call of avanza() lays
// out rows for a while and returns, so that a window shows the first page at once and
// keeps answering while the rest is laid out.
//
// Flow: on each page the main report's PageHeader at the top and its PageFooter at the
// bottom, the body between them; the main report's Header once, its Detail for every
// record of its record source (once when it has none), its Footer once. A sub-report
// field splits its section: the part above it, then the sub-report (Header, Detail per
// record, Footer) flowing over as many pages as its rows take, its Header repeated at
// the top of every further page, then the rest of the section. A part that leads into
// a list is kept with the list's header and first row. The per-record rules of a
// section run for every record before it is placed.
//
// A growing text wraps at its field's width and at every CR, LF and CR LF, and its
// section grows with it; growing texts side by side grow together, the section taking
// the taller. A part that does not fit on a page of its own flows: what stands above a
// growing text goes on the page with its first line at least, and the text's lines go
// on over the following pages (the lists it stands in repeat their headers there);
// nothing is placed over the page footer.
//
// A text that is not growing prints at its style's size, stepped down to fit its
// field's width less a gap (never below kPuntosMinimos).

#include "base/Resultado.h"
#include "printing/Informe.h"
#include "printing/ModeloPaginas.h"

#include <QFont>
#include <memory>

namespace slx {

// The font of a text style as the layout measures it and the painter draws it.
QFont fuenteEstilo(const EstiloTexto &e);

// A text broken into lines (joined by "\n") that fit ancho at the font's measures,
// at spaces where it can, inside words where it must; CR, LF and CR LF break lines.
// *lineas gets the number of lines.
QString partirTexto(const QString &texto, const QFont &fuente, double ancho, int *lineas);

// The smallest size a text steps down to, and the gap a text keeps from its field's
// ends (model units, tenths of a millimetre).
constexpr double kPuntosMinimos = 5.5;
constexpr double kHolgura = 10;

// The distance between the lines of a growing text of that style, in model units.
double interlineado(const EstiloTexto &estilo);

// The width of the widest line of a text at a font, in model units.
double anchoTexto(const QString &texto, const QFont &fuente);

// The size a text of that style prints at in a field of width ancho (model units):
// the style's, or stepped down by half points until the text fits ancho less the gap,
// kPuntosMinimos at the least. *anchoFinal gets its widest line's width at that size.
double puntosQueCaben(const QString &texto, const EstiloTexto &estilo, double ancho, double *anchoFinal = nullptr);

class ReportLayout {
public:
    // The layout of a report, not started; a failure with its description when a
    // picture of the report cannot be read.
    static Resultado<std::unique_ptr<ReportLayout>> crea(std::shared_ptr<const Informe> informe);
    ~ReportLayout();
    ReportLayout(const ReportLayout &) = delete;
    ReportLayout &operator=(const ReportLayout &) = delete;

    std::shared_ptr<ModeloPaginas> modelo() const;

    // Lays out until the report is done, milisegundos have passed (negative: no limit)
    // or hastaPaginas pages are complete (negative: no such stop). True when done; a
    // failure with its description when a record source fails (the model keeps what was
    // laid out).
    Resultado<bool> avanza(int milisegundos, int hastaPaginas = -1);
    bool terminado() const;

private:
    explicit ReportLayout(std::shared_ptr<const Informe> informe);

    struct Datos;
    std::unique_ptr<Datos> d;
};

} // namespace slx
