#pragma once
// The laid-out pages of a report, compact and free of pixels: every text once in a
// table (pages refer to texts by number), each section piece once as a band template,
// and a page as a run of band instances (template, position, first value, growth).
// Lengths are tenths of a millimetre on the page. Tests read a page as items; the
// painter draws a page on any paint device (PagePainter.h).

#include <QHash>
#include <QList>
#include <QPicture>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <memory>
#include <vector>

class QSvgRenderer;
class QImage;

namespace slx {

struct EstiloTexto;

class ModeloPaginas {
public:
    enum class Tipo : quint8 { Texto, Linea, Caja, Imagen };

    // An element of a band template. A text prints the fixed text texto, or (valor >=
    // 0) the instance's value number valor. A band's growing texts have their growths
    // among the instance's values after the texts: a growing text (number crece among
    // them) is taller by its growth, which may be negative on a page where it has fewer
    // lines than its design (none: no height).
    struct Elemento {
        Tipo tipo = Tipo::Texto;
        QRectF caja;     // x from the page's left edge, y from the band's top
        int nombre = -1; // the field's name (text number), -1 for none
        int texto = -1;
        int valor = -1;
        int estilo = 0;
        int imagen = -1;
        float grosor = 2;
        qint16 crece = -1;
        bool pagina = false; // the text holds {Page} or {Pages}
        bool relleno = false;
    };
    struct Banda {
        std::vector<Elemento> elementos;
        double alto = 0;
        int valores = 0; // values each instance carries: the texts, then the growths
        int crecen = 0;  // growing texts
    };
    struct Instancia {
        qint32 banda;
        qint32 y; // tenths of a millimetre from the page's top
        qint32 primerValor;
        qint32 crecimiento; // the band's whole growth
    };
    // A picture placed by the layout: an SVG (drawn as vectors) or a bitmap.
    struct Imagen {
        QString fichero;
        std::shared_ptr<QSvgRenderer> svg;
        std::shared_ptr<QImage> mapa;
    };
    // An item of a page as tests read it.
    struct Item {
        Tipo tipo;
        QRectF caja; // tenths of a millimetre on the page; a picture's as placed
        QString nombre;
        QString texto;
        double puntos = 0; // texts: the size printed (a label too wide steps down)
        QRectF tinta;      // texts: where the letters stand (the widest line, aligned)
    };

    QSizeF tamano{2100, 2970};

    // Pages begun so far; the last one is still being filled until the next begins or
    // the layout ends.
    int paginas() const { return int(m_paginas.size()); }
    // Pages that are complete.
    int paginasListas() const { return m_completo ? paginas() : std::max(0, paginas() - 1); }
    // True when the layout has finished (the page count is final).
    bool completo() const { return m_completo; }
    // The items of a page, in the order they were laid out; {Page} and {Pages}
    // resolved with the page count known now.
    QList<Item> items(int pagina) const;
    // Every text of a page, in layout order.
    QStringList textos(int pagina) const;
    // The items of every page named so, in order (page by page).
    QStringList textosDe(const QString &nombre) const;
    // Bytes held, an estimate (the texts' characters included).
    qint64 memoria() const;

    // Building (the layout engine).
    int interna(const QString &texto);
    int anadeBanda(Banda b);
    int anadeImagen(Imagen i);
    void anadeEstilo(const EstiloTexto &e);
    void abrePagina();
    void anadeInstancia(int banda, qint32 y, qint32 primerValor, qint32 crecimiento);
    int anadeValor(int texto);
    void termina() { m_completo = true; }

    // Reading (the painter).
    const QString &texto(int id) const { return m_textos[id]; }
    const Banda &banda(int id) const { return m_bandas[id]; }
    const Imagen &imagen(int id) const { return m_imagenes[id]; }
    const std::vector<EstiloTexto> &estilos() const { return m_estilos; }
    qint32 valor(int indice) const { return m_valores[indice]; }
    // The instances of a page: [primera, fin).
    std::pair<int, int> instancias(int pagina) const;
    const Instancia &instancia(int i) const { return m_instancias[i]; }
    // Where an element of an instance stands on its page.
    QRectF caja(const Instancia &ins, const Elemento &e) const;
    // A page-number text resolved for a page.
    QString textoPagina(const QString &plantilla, int pagina) const;
    // The size a text of an element prints at: its style's, stepped down to fit the
    // element's width less a gap (a growing text keeps its style's: it wraps).
    // *ancho gets the width of its widest line at that size.
    double puntos(const Elemento &e, const QString &texto, double *ancho = nullptr) const;
    // Where a picture stands in its box: as large as fits, its proportions kept, centred.
    QRectF cajaImagen(const Elemento &e, const QRectF &caja) const;

private:
    std::vector<QString> m_textos;
    QHash<QString, int> m_indice;
    std::vector<Banda> m_bandas;
    std::vector<Imagen> m_imagenes;
    std::vector<EstiloTexto> m_estilos;
    std::vector<Instancia> m_instancias;
    std::vector<qint32> m_valores;
    std::vector<qint32> m_paginas; // first instance of each page
    struct Medida {
        float puntos;
        float ancho;
    };
    mutable QHash<quint64, Medida> m_medidas; // by text, style and width
    bool m_completo = false;
};

} // namespace slx
