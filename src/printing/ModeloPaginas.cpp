#include "printing/ModeloPaginas.h"

#include "printing/Informe.h"
#include "printing/ReportLayout.h"

#include <QImage>
#include <QSvgRenderer>

namespace slx {

int ModeloPaginas::interna(const QString &texto)
{
    const auto it = m_indice.constFind(texto);
    if (it != m_indice.constEnd())
        return it.value();
    const int id = int(m_textos.size());
    m_textos.push_back(texto);
    m_indice.insert(texto, id);
    return id;
}

int ModeloPaginas::anadeBanda(Banda b)
{
    m_bandas.push_back(std::move(b));
    return int(m_bandas.size()) - 1;
}

int ModeloPaginas::anadeImagen(Imagen i)
{
    m_imagenes.push_back(std::move(i));
    return int(m_imagenes.size()) - 1;
}

void ModeloPaginas::anadeEstilo(const EstiloTexto &e)
{
    m_estilos.push_back(e);
}

void ModeloPaginas::abrePagina()
{
    m_paginas.push_back(qint32(m_instancias.size()));
}

void ModeloPaginas::anadeInstancia(int banda, qint32 y, qint32 primerValor, qint32 crecimiento)
{
    m_instancias.push_back(Instancia{banda, y, primerValor, crecimiento});
}

int ModeloPaginas::anadeValor(int texto)
{
    m_valores.push_back(texto);
    return int(m_valores.size()) - 1;
}

std::pair<int, int> ModeloPaginas::instancias(int pagina) const
{
    if (pagina < 0 || pagina >= paginas())
        return {0, 0};
    const int primera = m_paginas[pagina];
    const int fin = pagina + 1 < paginas() ? m_paginas[pagina + 1] : int(m_instancias.size());
    return {primera, fin};
}

QRectF ModeloPaginas::caja(const Instancia &ins, const Elemento &e) const
{
    QRectF r = e.caja.translated(0, ins.y);
    const Banda &b = m_bandas[ins.banda];
    if (e.crece >= 0)
        r.setHeight(std::max(0.0, r.height() + m_valores[ins.primerValor + b.valores - b.crecen + e.crece]));
    return r;
}

double ModeloPaginas::puntos(const Elemento &e, const QString &texto, double *ancho) const
{
    const EstiloTexto &estilo = m_estilos[e.estilo];
    if (e.crece >= 0) {
        if (ancho)
            *ancho = anchoTexto(texto, fuenteEstilo(estilo));
        return estilo.puntos;
    }
    const int id = m_indice.value(texto, -1);
    const quint64 clave = (quint64(quint32(id)) << 32) | (quint64(quint16(e.estilo)) << 16) |
                          quint16(std::lround(e.caja.width()));
    auto it = id >= 0 ? m_medidas.constFind(clave) : m_medidas.constEnd();
    if (it == m_medidas.constEnd()) {
        double w = 0;
        const double p = puntosQueCaben(texto, estilo, e.caja.width(), &w);
        Medida m{float(p), float(w)};
        if (id >= 0)
            m_medidas.insert(clave, m);
        if (ancho)
            *ancho = w;
        return p;
    }
    if (ancho)
        *ancho = it->ancho;
    return it->puntos;
}

QRectF ModeloPaginas::cajaImagen(const Elemento &e, const QRectF &caja) const
{
    if (e.imagen < 0)
        return caja;
    const Imagen &img = m_imagenes[e.imagen];
    QSizeF propio;
    if (img.svg)
        propio = img.svg->viewBoxF().size();
    else if (img.mapa)
        propio = img.mapa->size();
    if (propio.isEmpty() || caja.isEmpty())
        return caja;
    const QSizeF cabe = propio.scaled(caja.size(), Qt::KeepAspectRatio);
    return QRectF(caja.center() - QPointF(cabe.width() / 2, cabe.height() / 2), cabe);
}

QString ModeloPaginas::textoPagina(const QString &plantilla, int pagina) const
{
    QString t = plantilla;
    t.replace(QLatin1String("{Page}"), QString::number(pagina + 1));
    t.replace(QLatin1String("{Pages}"), QString::number(paginas()));
    return t;
}

QList<ModeloPaginas::Item> ModeloPaginas::items(int pagina) const
{
    QList<Item> out;
    const auto [primera, fin] = instancias(pagina);
    for (int i = primera; i < fin; ++i) {
        const Instancia &ins = m_instancias[i];
        const Banda &b = m_bandas[ins.banda];
        for (const Elemento &e : b.elementos) {
            Item it{e.tipo, e.caja, e.nombre >= 0 ? m_textos[e.nombre] : QString(), QString(), 0, QRectF()};
            it.caja = caja(ins, e);
            if (e.tipo == Tipo::Texto) {
                const int id = e.valor >= 0 ? m_valores[ins.primerValor + e.valor] : e.texto;
                it.texto = id >= 0 ? m_textos[id] : QString();
                if (e.pagina)
                    it.texto = textoPagina(it.texto, pagina);
                double ancho = 0;
                it.puntos = puntos(e, it.texto, &ancho);
                const Qt::Alignment a = m_estilos[e.estilo].alineacion;
                double x = it.caja.left();
                if (a & Qt::AlignRight)
                    x = it.caja.right() - ancho;
                else if (a & Qt::AlignHCenter)
                    x = it.caja.center().x() - ancho / 2;
                it.tinta = QRectF(x, it.caja.top(), ancho, it.caja.height());
            } else if (e.tipo == Tipo::Imagen && e.imagen >= 0) {
                it.texto = m_imagenes[e.imagen].fichero;
                it.caja = cajaImagen(e, it.caja);
            }
            out.append(it);
        }
    }
    return out;
}

QStringList ModeloPaginas::textos(int pagina) const
{
    QStringList out;
    for (const Item &it : items(pagina))
        if (it.tipo == Tipo::Texto)
            out << it.texto;
    return out;
}

QStringList ModeloPaginas::textosDe(const QString &nombre) const
{
    QStringList out;
    for (int p = 0; p < paginas(); ++p)
        for (const Item &it : items(p))
            if (it.nombre == nombre)
                out << it.texto;
    return out;
}

qint64 ModeloPaginas::memoria() const
{
    qint64 n = sizeof(*this);
    for (const QString &t : m_textos)
        n += qint64(sizeof(QString)) + 24 + t.size() * 2; // the string and its shared block
    n += qint64(m_indice.size()) * (sizeof(QString) + sizeof(int) + 16);
    for (const Banda &b : m_bandas)
        n += qint64(sizeof(Banda) + b.elementos.capacity() * sizeof(Elemento));
    n += qint64(m_instancias.capacity() * sizeof(Instancia));
    n += qint64(m_valores.capacity() * sizeof(qint32));
    n += qint64(m_paginas.capacity() * sizeof(qint32));
    return n;
}

} // namespace slx
