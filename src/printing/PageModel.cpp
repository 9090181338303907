#include "printing/PageModel.h"

#include "printing/Report.h"

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
    if (ins.crecimiento == 0)
        return r;
    const Banda &b = m_bandas[ins.banda];
    const int base = ins.primerValor + b.valores - b.crecen;
    double baja = 0;
    for (int j = 0; j < e.bajan; ++j)
        baja += m_valores[base + j];
    r.translate(0, baja);
    if (e.crece >= 0)
        r.setHeight(r.height() + m_valores[base + e.crece]);
    return r;
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
            Item it{e.tipo, e.caja, e.nombre >= 0 ? m_textos[e.nombre] : QString(), QString()};
            it.caja = caja(ins, e);
            if (e.tipo == Tipo::Texto) {
                const int id = e.valor >= 0 ? m_valores[ins.primerValor + e.valor] : e.texto;
                it.texto = id >= 0 ? m_textos[id] : QString();
                if (e.pagina)
                    it.texto = textoPagina(it.texto, pagina);
            } else if (e.tipo == Tipo::Imagen && e.imagen >= 0) {
                it.texto = m_imagenes[e.imagen].fichero;
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
