#pragma once
// The page view of the print preview: the pages of a page model one under the other,
// of which only those in sight are painted, so that its cost does not grow with the
// page count. Zoom, fit to width, fit the whole page, page by page with the keys
// (Page Up, Page Down, Home, End, Ctrl+plus, Ctrl+minus) and the wheel (Ctrl+wheel
// zooms).

#include "printing/ModeloPaginas.h"

#include <QAbstractScrollArea>
#include <memory>

namespace slx {

class PageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum class Ajuste { Ninguno, Ancho, Pagina };

    explicit PageView(QWidget *parent = nullptr);

    void setModelo(std::shared_ptr<const ModeloPaginas> modelo);
    std::shared_ptr<const ModeloPaginas> modelo() const { return m_modelo; }
    // The model has more pages (or its page count became final).
    void actualiza();

    double zoom() const { return m_zoom; }
    void setZoom(double zoom); // 1 = real size; leaves any fit mode
    void acerca();
    void aleja();
    Ajuste ajuste() const { return m_ajuste; }
    void setAjuste(Ajuste a);

    // The page most in sight (from 0) and the pages shown so far.
    int paginaActual() const;
    int paginas() const;
    void irAPagina(int pagina);

    // Pages painted by the last paint (tests).
    int paginasPintadas() const { return m_pintadas; }

    static constexpr double kZoomMinimo = 0.1;
    static constexpr double kZoomMaximo = 8.0;

Q_SIGNALS:
    // The zoom, the page in sight or the page count changed.
    void cambio();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    QSizeF tamanoPagina() const; // pixels at the current zoom
    double paso() const;         // page height and gap
    void recalcula();
    void aplicaAjuste();

    std::shared_ptr<const ModeloPaginas> m_modelo;
    double m_zoom = 1.0;
    Ajuste m_ajuste = Ajuste::Ancho;
    int m_pintadas = 0;
    static constexpr int kHueco = 12;
};

} // namespace slx
