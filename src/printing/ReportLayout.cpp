#include "printing/ReportLayout.h"

#include "base/TextoPropio.h"
#include "printing/ReportFormats.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSvgRenderer>
#include <QVarLengthArray>
#include <limits>
#include <unordered_map>

namespace slx {

namespace {

constexpr double kUnidades = 10; // model units (tenths of a millimetre) per millimetre

// The paint device the layout measures texts on: 254 dots per inch, one dot a model unit.
const QImage &dispositivoReferencia()
{
    static const QImage img = [] {
        QImage i(1, 1, QImage::Format_RGB32);
        i.setDotsPerMeterX(10000);
        i.setDotsPerMeterY(10000);
        return i;
    }();
    return img;
}

QString lineasNormales(QString t)
{
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

bool esSvg(const QString &fichero)
{
    const QString s = QFileInfo(fichero).suffix().toLower();
    return s == QLatin1String("svg") || s == QLatin1String("svgz");
}

} // namespace

QFont fuenteEstilo(const EstiloTexto &e)
{
    QFont f(e.familia);
    f.setPointSizeF(e.puntos);
    f.setBold(e.negrita);
    f.setItalic(e.cursiva);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(false);
    return f;
}

QString partirTexto(const QString &texto, const QFont &fuente, double ancho, int *lineas)
{
    const QFontMetricsF fm(fuente, &dispositivoReferencia());
    QStringList out;
    const QStringList parrafos = lineasNormales(texto).split(QLatin1Char('\n'));
    for (const QString &parrafo : parrafos) {
        if (fm.horizontalAdvance(parrafo) <= ancho) {
            out << parrafo;
            continue;
        }
        // Tokens: runs of blanks and runs of other characters, blanks kept as typed.
        QString linea;
        qsizetype i = 0;
        while (i < parrafo.size()) {
            const bool blanco = parrafo.at(i).isSpace();
            qsizetype j = i;
            while (j < parrafo.size() && parrafo.at(j).isSpace() == blanco)
                ++j;
            QString token = parrafo.mid(i, j - i);
            i = j;
            if (fm.horizontalAdvance(linea + token) <= ancho) {
                linea += token;
                continue;
            }
            if (blanco) { // a break: the blanks end the line
                out << linea;
                linea.clear();
                continue;
            }
            if (!linea.trimmed().isEmpty()) {
                out << linea;
                linea.clear();
            } else {
                linea.clear();
            }
            // A word wider than the field is cut where it must.
            while (fm.horizontalAdvance(token) > ancho && token.size() > 1) {
                qsizetype n = 1;
                while (n < token.size() && fm.horizontalAdvance(token.left(n + 1)) <= ancho)
                    ++n;
                out << token.left(n);
                token = token.mid(n);
            }
            linea = token;
        }
        out << linea;
    }
    if (lineas)
        *lineas = int(out.size());
    return out.join(QLatin1Char('\n'));
}

namespace {

struct Slot {
    const CampoInforme *campo = nullptr;
    int indice = 0; // among the node's huecos
    int regla = -1; // among the node's rules
    int estilo = 0; // model style
    double ancho = 0;
    double alto = 0;
    int crece = -1; // among the piece's growing texts, in the order of their bottoms
};

struct Pieza {
    int banda = -1;
    double alto = 0;
    std::vector<Slot> huecos;
    const Informe *sub = nullptr;
    double conSiguiente = 0; // height kept on the page with it
    int crecen = 0;
};

struct Seccion {
    std::vector<Pieza> piezas;
};

struct Nodo {
    const Informe *informe = nullptr;
    const Seccion *cabeceraPagina = nullptr;
    const Seccion *cabecera = nullptr;
    const Seccion *detalle = nullptr;
    const Seccion *pie = nullptr;
    const Seccion *piePagina = nullptr;
    std::vector<std::unique_ptr<Seccion>> secciones;
    std::vector<const ReglaRegistro *> reglas;
    int huecos = 0;

    double altoPrimero(const Seccion *s) const { return s && !s->piezas.empty() ? s->piezas.front().alto : 0; }
};

struct Marco {
    Nodo *nodo = nullptr;
    std::unique_ptr<QSqlQuery> q;
    bool hayFila = false;
    bool conOrigen = false;
    int fase = 0; // 0 header, 1 detail, 2 footer, 3 done
    bool enDetalle = false;
    bool cabeceraHecha = false;
    const Seccion *seccion = nullptr;
    size_t pieza = 0;
    std::vector<int> columnaSlot;
    std::vector<int> columnaRegla;
};

} // namespace

struct ReportLayout::Datos {
    std::shared_ptr<const Informe> informe;
    std::shared_ptr<ModeloPaginas> modelo = std::make_shared<ModeloPaginas>();
    std::unordered_map<const Informe *, std::unique_ptr<Nodo>> nodos;
    std::vector<QFont> fuentes;
    std::vector<Marco> pila;
    Nodo *raiz = nullptr;
    bool empezado = false;
    bool acabado = false;
    bool paginaAbierta = false;
    double y = 0;
    double yCuerpo = 0; // where the body of the page starts, repeated headers included
    double cuerpoAbajo = 0;
    double arriba = 0;
    QHash<QString, int> imagenes;

    void construye(const Informe *inf, double x);
    int imagen(const QString &fichero);
    void empuja(const Informe *inf);
    void paso();
    void coloca(Marco &f, const Pieza &p, bool conSalto);
    void nuevaPagina();
    void cierraPagina();
    QVariant valorColumna(const Marco &f, int columna) const
    {
        if (columna < 0 || !f.hayFila || !f.q)
            return QVariant();
        return f.q->value(columna);
    }
};

int ReportLayout::Datos::imagen(const QString &fichero)
{
    const auto it = imagenes.constFind(fichero);
    if (it != imagenes.constEnd())
        return it.value();
    ModeloPaginas::Imagen img;
    img.fichero = QFileInfo(fichero).fileName();
    bool ok = false;
    if (esSvg(fichero)) {
        img.svg = std::make_shared<QSvgRenderer>(fichero);
        ok = img.svg->isValid();
    } else {
        img.mapa = std::make_shared<QImage>(fichero);
        ok = !img.mapa->isNull();
    }
    if (!ok)
        throw FalloInforme{TextoPropio("The picture %1 cannot be read.").arg(QDir::toNativeSeparators(fichero))};
    const int id = modelo->anadeImagen(std::move(img));
    imagenes.insert(fichero, id);
    return id;
}

void ReportLayout::Datos::construye(const Informe *inf, double x)
{
    auto nodo = std::make_unique<Nodo>();
    nodo->informe = inf;
    const int baseEstilo = int(modelo->estilos().size());
    for (const EstiloTexto &e : inf->estilos) {
        modelo->anadeEstilo(e);
        fuentes.push_back(fuenteEstilo(e));
    }
    std::vector<std::pair<const Informe *, double>> hijos;
    for (const SeccionInforme &s : inf->secciones) {
        if (!s.visible)
            continue;
        auto sec = std::make_unique<Seccion>();
        std::vector<const CampoInforme *> campos;
        std::vector<const CampoInforme *> subs;
        for (const auto &c : s.campos) {
            if (!c->visible)
                continue;
            if (c->tipo == TipoCampo::Subinforme) {
                // Sub-reports of the page header and footer would flow nowhere: not placed.
                if (s.nombre.compare(QLatin1String("PageHeader"), Qt::CaseInsensitive) != 0 &&
                    s.nombre.compare(QLatin1String("PageFooter"), Qt::CaseInsensitive) != 0)
                    subs.push_back(c.get());
            } else {
                campos.push_back(c.get());
            }
        }
        std::stable_sort(subs.begin(), subs.end(),
                         [](const CampoInforme *a, const CampoInforme *b) { return a->caja.top() < b->caja.top(); });
        // Pieces: [origin, next sub-report's top), each followed by its sub-report.
        double origen = 0;
        for (size_t k = 0; k <= subs.size(); ++k) {
            const CampoInforme *sub = k < subs.size() ? subs[k] : nullptr;
            const double limite = sub ? sub->caja.top() : std::numeric_limits<double>::max();
            const double desde = k == 0 ? -std::numeric_limits<double>::max() : subs[k - 1]->caja.top();
            Pieza p;
            ModeloPaginas::Banda banda;
            for (const CampoInforme *c : campos) {
                const double top = c->caja.top();
                if (top < desde || top >= limite)
                    continue;
                ModeloPaginas::Elemento e;
                e.caja = QRectF((x + c->caja.left()) * kUnidades, std::max(0.0, top - origen) * kUnidades,
                                c->caja.width() * kUnidades, c->caja.height() * kUnidades);
                if (!c->nombre.isEmpty())
                    e.nombre = modelo->interna(c->nombre);
                e.grosor = float(c->grosor * kUnidades);
                e.relleno = c->relleno;
                switch (c->tipo) {
                case TipoCampo::Texto: {
                    e.tipo = ModeloPaginas::Tipo::Texto;
                    e.estilo = baseEstilo + c->estilo;
                    int regla = -1;
                    for (int r = 0; r < s.reglas.size(); ++r)
                        if (s.reglas[r].campo.compare(c->nombre, Qt::CaseInsensitive) == 0 && !c->nombre.isEmpty())
                            regla = r;
                    if (regla >= 0 || !c->columna.isEmpty() || c->crece) {
                        Slot sl;
                        sl.campo = c;
                        sl.indice = nodo->huecos++;
                        if (regla >= 0) {
                            sl.regla = int(nodo->reglas.size());
                            nodo->reglas.push_back(&s.reglas[regla]);
                        }
                        sl.estilo = e.estilo;
                        sl.ancho = e.caja.width();
                        sl.alto = e.caja.height();
                        e.valor = int(p.huecos.size());
                        if (c->crece)
                            e.crece = 0; // numbered below
                        p.huecos.push_back(sl);
                    } else {
                        e.texto = modelo->interna(lineasNormales(c->texto));
                        e.pagina = c->texto.contains(QLatin1String("{Page"));
                    }
                    break;
                }
                case TipoCampo::Linea: e.tipo = ModeloPaginas::Tipo::Linea; break;
                case TipoCampo::Caja: e.tipo = ModeloPaginas::Tipo::Caja; break;
                case TipoCampo::Imagen:
                    e.tipo = ModeloPaginas::Tipo::Imagen;
                    e.imagen = imagen(c->imagen);
                    break;
                case TipoCampo::Subinforme: break;
                }
                banda.elementos.push_back(e);
            }
            // Growing texts by their bottoms; each element moves down with those that end above it.
            std::vector<ModeloPaginas::Elemento *> crecen;
            for (ModeloPaginas::Elemento &e : banda.elementos)
                if (e.crece >= 0)
                    crecen.push_back(&e);
            std::stable_sort(crecen.begin(), crecen.end(),
                             [](auto *a, auto *b) { return a->caja.bottom() < b->caja.bottom(); });
            for (size_t j = 0; j < crecen.size(); ++j) {
                crecen[j]->crece = qint16(j);
                p.huecos[size_t(crecen[j]->valor)].crece = int(j);
            }
            for (ModeloPaginas::Elemento &e : banda.elementos) {
                qint16 n = 0;
                while (n < qint16(crecen.size()) && crecen[size_t(n)]->caja.bottom() <= e.caja.top() + 0.01)
                    ++n;
                e.bajan = n;
            }
            banda.crecen = int(crecen.size());
            const double hasta = sub ? sub->caja.top() : s.alto;
            p.alto = std::max(0.0, hasta - origen) * kUnidades;
            banda.alto = p.alto;
            banda.valores = int(p.huecos.size()) + banda.crecen;
            p.crecen = banda.crecen;
            if (!banda.elementos.empty())
                p.banda = modelo->anadeBanda(std::move(banda));
            if (sub) {
                p.sub = sub->subinforme.get();
                hijos.emplace_back(p.sub, x + sub->caja.left());
                origen = sub->caja.bottom();
            }
            if (p.banda >= 0 || p.alto > 0 || p.sub)
                sec->piezas.push_back(std::move(p));
        }
        const Seccion *ptr = sec.get();
        const QString &n = s.nombre;
        if (n.compare(QLatin1String("PageHeader"), Qt::CaseInsensitive) == 0)
            nodo->cabeceraPagina = ptr;
        else if (n.compare(QLatin1String("Header"), Qt::CaseInsensitive) == 0)
            nodo->cabecera = ptr;
        else if (n.compare(QLatin1String("Detail"), Qt::CaseInsensitive) == 0)
            nodo->detalle = ptr;
        else if (n.compare(QLatin1String("Footer"), Qt::CaseInsensitive) == 0)
            nodo->pie = ptr;
        else if (n.compare(QLatin1String("PageFooter"), Qt::CaseInsensitive) == 0)
            nodo->piePagina = ptr;
        nodo->secciones.push_back(std::move(sec));
    }
    Nodo *n = nodo.get();
    nodos[inf] = std::move(nodo);
    for (const auto &[hijo, hx] : hijos)
        construye(hijo, hx);
    // What a part keeps on its page: a list's header and first row, or the first row
    // after a header.
    for (auto &sec : n->secciones) {
        for (Pieza &p : sec->piezas) {
            if (!p.sub)
                continue;
            const Nodo *h = nodos.at(p.sub).get();
            p.conSiguiente = h->altoPrimero(h->cabecera) + h->altoPrimero(h->detalle);
        }
    }
    if (n->cabecera && !n->cabecera->piezas.empty()) {
        auto *c = const_cast<Seccion *>(n->cabecera);
        if (!c->piezas.back().sub)
            c->piezas.back().conSiguiente = n->altoPrimero(n->detalle);
    }
}

void ReportLayout::Datos::empuja(const Informe *inf)
{
    Marco f;
    f.nodo = nodos.at(inf).get();
    const OrigenDatos &o = inf->origen;
    f.columnaSlot.assign(f.nodo->huecos, -1);
    f.columnaRegla.assign(f.nodo->reglas.size(), -1);
    if (!o.sql.trimmed().isEmpty()) {
        f.conOrigen = true;
        if (!o.conexion.isValid() || !o.conexion.isOpen())
            throw FalloInforme{TextoPropio("The record source of the report %1 failed: %2")
                                   .arg(inf->nombre, TextoPropio("the database is not open"))};
        f.q = std::make_unique<QSqlQuery>(o.conexion);
        f.q->setForwardOnly(true);
        bool ok = f.q->prepare(o.sql);
        for (const QVariant &v : o.valores)
            f.q->addBindValue(v);
        ok = ok && f.q->exec();
        if (!ok)
            throw FalloInforme{
                TextoPropio("The record source of the report %1 failed: %2").arg(inf->nombre, f.q->lastError().text())};
        const QSqlRecord rec = f.q->record();
        for (const auto &sec : f.nodo->secciones)
            for (const Pieza &p : sec->piezas)
                for (const Slot &s : p.huecos)
                    if (!s.campo->columna.isEmpty())
                        f.columnaSlot[s.indice] = rec.indexOf(s.campo->columna);
        for (size_t r = 0; r < f.nodo->reglas.size(); ++r)
            f.columnaRegla[r] = rec.indexOf(f.nodo->reglas[r]->columna);
        f.hayFila = f.q->next();
    } else {
        f.hayFila = true; // the sections print once
    }
    pila.push_back(std::move(f));
}

void ReportLayout::Datos::coloca(Marco &f, const Pieza &p, bool conSalto)
{
    QVarLengthArray<int, 64> textos;
    QVarLengthArray<int, 4> crecimientos(p.crecen);
    for (const Slot &s : p.huecos) {
        const CampoInforme *c = s.campo;
        QString t;
        const int columnaRegla = s.regla >= 0 ? f.columnaRegla[s.regla] : -1;
        if (columnaRegla >= 0)
            t = f.nodo->reglas[s.regla]->aplica(valorColumna(f, columnaRegla));
        else if (!c->columna.isEmpty())
            t = informe::formatoValor(valorColumna(f, f.columnaSlot[s.indice]), c->formato);
        else
            t = c->texto;
        if (s.crece >= 0) {
            int lineas = 1;
            t = partirTexto(t, fuentes[s.estilo], s.ancho, &lineas);
            const QFontMetricsF fm(fuentes[s.estilo], &dispositivoReferencia());
            const double necesario = lineas * fm.lineSpacing() + fm.descent() * 0.5;
            crecimientos[s.crece] = int(std::ceil(std::max(0.0, necesario - s.alto)));
        } else if (t.contains(QLatin1Char('\r'))) {
            t = lineasNormales(t);
        }
        textos.push_back(modelo->interna(t));
    }
    int crecimiento = 0;
    for (int g : crecimientos)
        crecimiento += g;
    const double alto = p.alto + crecimiento;
    if (conSalto) {
        if (!paginaAbierta)
            nuevaPagina();
        else if (y + alto + p.conSiguiente > cuerpoAbajo + 0.01 && y > yCuerpo + 0.01)
            nuevaPagina();
    }
    if (p.banda >= 0) {
        int primero = -1;
        const auto anade = [&](int v) {
            const int i = modelo->anadeValor(v);
            if (primero < 0)
                primero = i;
        };
        for (int t : textos)
            anade(t);
        for (int g : crecimientos)
            anade(g);
        modelo->anadeInstancia(p.banda, qint32(std::lround(y)), std::max(0, primero), crecimiento);
    }
    y += alto;
}

void ReportLayout::Datos::cierraPagina()
{
    if (!paginaAbierta)
        return;
    if (raiz->piePagina) {
        double alto = 0;
        for (const Pieza &p : raiz->piePagina->piezas)
            alto += p.alto;
        y = (informe->pagina.height() - informe->margenInferior) * kUnidades - alto;
        for (const Pieza &p : raiz->piePagina->piezas)
            coloca(pila.front(), p, false);
    }
    paginaAbierta = false;
}

void ReportLayout::Datos::nuevaPagina()
{
    cierraPagina();
    modelo->abrePagina();
    paginaAbierta = true;
    y = arriba;
    if (raiz->cabeceraPagina)
        for (const Pieza &p : raiz->cabeceraPagina->piezas)
            coloca(pila.front(), p, false);
    // The headers of the lists that go on over this page.
    for (Marco &f : pila) {
        if (&f == &pila.front() || !f.cabeceraHecha || f.fase < 1 || !f.nodo->cabecera)
            continue;
        for (const Pieza &p : f.nodo->cabecera->piezas)
            coloca(f, p, false);
    }
    yCuerpo = y;
}

void ReportLayout::Datos::paso()
{
    Marco &f = pila.back();
    if (f.seccion) {
        if (f.pieza < f.seccion->piezas.size()) {
            const Pieza &p = f.seccion->piezas[f.pieza++];
            coloca(f, p, true);
            if (p.sub)
                empuja(p.sub); // f is not used after this
            return;
        }
        if (f.seccion == f.nodo->cabecera)
            f.cabeceraHecha = true;
        f.seccion = nullptr;
    }
    switch (f.fase) {
    case 0:
        f.fase = 1;
        if (f.nodo->cabecera) {
            f.seccion = f.nodo->cabecera;
            f.pieza = 0;
            return;
        }
        [[fallthrough]];
    case 1:
        if (f.enDetalle)
            f.hayFila = f.conOrigen && f.q->next();
        if (f.hayFila && f.nodo->detalle) {
            f.enDetalle = true;
            f.seccion = f.nodo->detalle;
            f.pieza = 0;
            return;
        }
        f.hayFila = false;
        f.fase = 2;
        [[fallthrough]];
    case 2:
        f.fase = 3;
        if (f.nodo->pie) {
            f.seccion = f.nodo->pie;
            f.pieza = 0;
            return;
        }
        [[fallthrough]];
    default:
        if (pila.size() == 1) {
            if (!paginaAbierta)
                nuevaPagina(); // an empty report still has its page
            cierraPagina();
            acabado = true;
            modelo->termina();
        } else {
            pila.pop_back();
        }
        return;
    }
}

ReportLayout::ReportLayout(std::shared_ptr<const Informe> informe)
    : d(std::make_unique<Datos>())
{
    d->informe = std::move(informe);
    const Informe &inf = *d->informe;
    d->modelo->tamano = QSizeF(inf.pagina.width() * kUnidades, inf.pagina.height() * kUnidades);
    d->construye(&inf, inf.margenIzquierdo);
    d->raiz = d->nodos.at(&inf).get();
    d->arriba = inf.margenSuperior * kUnidades;
    double pie = 0;
    if (d->raiz->piePagina)
        for (const Pieza &p : d->raiz->piePagina->piezas)
            pie += p.alto;
    d->cuerpoAbajo = (inf.pagina.height() - inf.margenInferior) * kUnidades - pie;
}

ReportLayout::~ReportLayout() = default;

std::shared_ptr<ModeloPaginas> ReportLayout::modelo() const
{
    return d->modelo;
}

bool ReportLayout::terminado() const
{
    return d->acabado;
}

bool ReportLayout::avanza(int milisegundos, int hastaPaginas)
{
    if (d->acabado)
        return true;
    if (!d->empezado) {
        d->empezado = true;
        d->empuja(d->informe.get());
    }
    QElapsedTimer reloj;
    reloj.start();
    int n = 0;
    while (!d->acabado) {
        d->paso();
        if ((++n & 63) != 0)
            continue;
        if (hastaPaginas >= 0 && d->modelo->paginasListas() >= hastaPaginas)
            break;
        if (milisegundos >= 0 && reloj.elapsed() >= milisegundos)
            break;
    }
    return d->acabado;
}

} // namespace slx
