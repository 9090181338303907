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

double interlineado(const EstiloTexto &estilo)
{
    return QFontMetricsF(fuenteEstilo(estilo), &dispositivoReferencia()).lineSpacing();
}

double anchoTexto(const QString &texto, const QFont &fuente)
{
    const QFontMetricsF fm(fuente, &dispositivoReferencia());
    double ancho = 0;
    for (const QString &linea : lineasNormales(texto).split(QLatin1Char('\n')))
        ancho = std::max(ancho, fm.horizontalAdvance(linea));
    return ancho;
}

double puntosQueCaben(const QString &texto, const EstiloTexto &estilo, double ancho, double *anchoFinal)
{
    const double util = ancho - std::min(kHolgura, ancho * 0.2);
    EstiloTexto e = estilo;
    double w = anchoTexto(texto, fuenteEstilo(e));
    while (w > util && e.puntos > kPuntosMinimos) {
        e.puntos = std::max(kPuntosMinimos, e.puntos - 0.5);
        w = anchoTexto(texto, fuenteEstilo(e));
    }
    if (anchoFinal)
        *anchoFinal = w;
    return e.puntos;
}

namespace {

// A field whose text is known only when a record is placed: a column, a rule, a
// growing text.
struct Slot {
    const CampoInforme *campo = nullptr;
    int indice = 0; // among the node's huecos
    int regla = -1; // among the node's rules
    int estilo = 0; // model style
    double ancho = 0;
    bool crece = false;
};

// A growing text of a stripe: its slot in the piece, its top in the stripe and its
// designed height.
struct Crece {
    int hueco = 0;
    double arriba = 0;
    double alto = 0;
};

// A horizontal stripe of a piece: either fixed, or a row of growing texts side by side
// with what stands beside them. A growing stripe's texts may go on over pages; its
// continuation band holds only them.
struct Tramo {
    int banda = -1;
    int continuacion = -1;
    double alto = 0;
    double arribaContinua = 0; // where the continuation band starts in the stripe
    std::vector<int> huecos;   // the piece's slots the bands print, in value order
    std::vector<Crece> crecen; // by top
};

// The part of a section above a sub-report (or its last part), and the sub-report.
struct Pieza {
    double alto = 0;
    std::vector<Slot> huecos;
    std::vector<Tramo> tramos;
    const Informe *sub = nullptr;
    double conSiguiente = 0; // height kept on the page with it
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

// An element of a piece as it is built, before it is cut into stripes.
struct ElementoPieza {
    ModeloPaginas::Elemento e;
    int hueco = -1; // its slot in the piece
    bool crece = false;
};

// What a piece prints for one record: a text per slot, the lines of its growing texts.
struct Valores {
    QVarLengthArray<int, 64> textos;
    std::vector<QStringList> lineas; // by slot; empty for a slot that does not grow
};

bool nombreSeccion(const QString &s, const char *nombre)
{
    return s.compare(QLatin1String(nombre), Qt::CaseInsensitive) == 0;
}

// A failure deep in the layout walk (a picture, a record source); crea and avanza turn it
// into their result.
struct FalloMaquetacion {
    QString descripcion;
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

    // Building: the nodes of a report and its sub-reports, x their left edge on the page.
    void construye(const Informe *inf, double x);
    std::unique_ptr<Seccion> construyeSeccion(Nodo &nodo, const SeccionInforme &s, double x, int baseEstilo,
                                              std::vector<std::pair<const Informe *, double>> &hijos);
    ElementoPieza elemento(Nodo &nodo, const SeccionInforme &s, const CampoInforme &c, Pieza &p, double x,
                           double origen, int baseEstilo);
    void cortaTramos(Pieza &p, std::vector<ElementoPieza> elementos);
    int bandaContinua(Tramo &t, const ModeloPaginas::Banda &banda);
    void enlazaConSiguiente(Nodo &n);
    int imagen(const QString &fichero);

    // Placing.
    void empuja(const Informe *inf);
    void paso();
    Valores valores(const Marco &f, const Pieza &p);
    double altoTramo(const Pieza &p, const Tramo &t, const Valores &v) const;
    double primeraLinea(const Pieza &p, const Tramo &t) const;
    void coloca(Marco &f, const Pieza &p, bool conSalto);
    void colocaTramo(const Pieza &p, const Tramo &t, const Valores &v);
    void colocaTramoQueCrece(const Pieza &p, const Tramo &t, const Valores &v);
    std::vector<qsizetype> lineasQueCaben(const Pieza &p, const Tramo &t, const Valores &v,
                                          const std::vector<qsizetype> &desde, bool primero) const;
    double colocaLineas(const Pieza &p, const Tramo &t, const Valores &v, const std::vector<qsizetype> &desde,
                        const std::vector<qsizetype> &n, bool primero, bool todo);
    void nuevaPagina();
    void cierraPagina();
    QVariant valorColumna(const Marco &f, int columna) const
    {
        if (columna < 0 || !f.hayFila || !f.q)
            return QVariant();
        return f.q->value(columna);
    }
    QFontMetricsF medidas(const Slot &s) const { return QFontMetricsF(fuentes[s.estilo], &dispositivoReferencia()); }
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
        throw FalloMaquetacion{TextoPropio("The picture %1 cannot be read.").arg(QDir::toNativeSeparators(fichero))};
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
        auto sec = construyeSeccion(*nodo, s, x, baseEstilo, hijos);
        const Seccion *ptr = sec.get();
        if (nombreSeccion(s.nombre, "PageHeader"))
            nodo->cabeceraPagina = ptr;
        else if (nombreSeccion(s.nombre, "Header"))
            nodo->cabecera = ptr;
        else if (nombreSeccion(s.nombre, "Detail"))
            nodo->detalle = ptr;
        else if (nombreSeccion(s.nombre, "Footer"))
            nodo->pie = ptr;
        else if (nombreSeccion(s.nombre, "PageFooter"))
            nodo->piePagina = ptr;
        nodo->secciones.push_back(std::move(sec));
    }
    Nodo *n = nodo.get();
    nodos[inf] = std::move(nodo);
    for (const auto &[hijo, hx] : hijos)
        construye(hijo, hx);
    enlazaConSiguiente(*n);
}

// A section cut at its sub-reports into pieces: [origin, next sub-report's top), each
// followed by its sub-report.
std::unique_ptr<Seccion> ReportLayout::Datos::construyeSeccion(Nodo &nodo, const SeccionInforme &s, double x,
                                                               int baseEstilo,
                                                               std::vector<std::pair<const Informe *, double>> &hijos)
{
    auto sec = std::make_unique<Seccion>();
    std::vector<const CampoInforme *> campos;
    std::vector<const CampoInforme *> subs;
    const bool dePagina = nombreSeccion(s.nombre, "PageHeader") || nombreSeccion(s.nombre, "PageFooter");
    for (const auto &c : s.campos) {
        if (!c->visible)
            continue;
        if (c->tipo != TipoCampo::Subinforme)
            campos.push_back(c.get());
        else if (!dePagina) // sub-reports of the page header and footer would flow nowhere
            subs.push_back(c.get());
    }
    std::stable_sort(subs.begin(), subs.end(),
                     [](const CampoInforme *a, const CampoInforme *b) { return a->caja.top() < b->caja.top(); });
    double origen = 0;
    for (size_t k = 0; k <= subs.size(); ++k) {
        const CampoInforme *sub = k < subs.size() ? subs[k] : nullptr;
        const double limite = sub ? sub->caja.top() : std::numeric_limits<double>::max();
        const double desde = k == 0 ? -std::numeric_limits<double>::max() : subs[k - 1]->caja.top();
        Pieza p;
        std::vector<ElementoPieza> elementos;
        for (const CampoInforme *c : campos)
            if (c->caja.top() >= desde && c->caja.top() < limite)
                elementos.push_back(elemento(nodo, s, *c, p, x, origen, baseEstilo));
        const double hasta = sub ? sub->caja.top() : s.alto;
        p.alto = std::max(0.0, hasta - origen) * kUnidades;
        cortaTramos(p, std::move(elementos));
        if (sub) {
            p.sub = sub->subinforme.get();
            hijos.emplace_back(p.sub, x + sub->caja.left());
            origen = sub->caja.bottom();
        }
        if (!p.tramos.empty() || p.alto > 0 || p.sub)
            sec->piezas.push_back(std::move(p));
    }
    return sec;
}

// The element of a field, y from the piece's top; a field whose text comes with each
// record gets a slot of the piece.
ElementoPieza ReportLayout::Datos::elemento(Nodo &nodo, const SeccionInforme &s, const CampoInforme &c, Pieza &p,
                                            double x, double origen, int baseEstilo)
{
    ElementoPieza ep;
    ModeloPaginas::Elemento &e = ep.e;
    e.caja = QRectF((x + c.caja.left()) * kUnidades, std::max(0.0, c.caja.top() - origen) * kUnidades,
                    c.caja.width() * kUnidades, c.caja.height() * kUnidades);
    if (!c.nombre.isEmpty())
        e.nombre = modelo->interna(c.nombre);
    e.grosor = float(c.grosor * kUnidades);
    e.relleno = c.relleno;
    switch (c.tipo) {
    case TipoCampo::Texto: {
        e.tipo = ModeloPaginas::Tipo::Texto;
        e.estilo = baseEstilo + c.estilo;
        int regla = -1;
        for (int r = 0; r < s.reglas.size(); ++r)
            if (!c.nombre.isEmpty() && s.reglas[r].campo.compare(c.nombre, Qt::CaseInsensitive) == 0)
                regla = r;
        if (regla < 0 && c.columna.isEmpty() && !c.crece) {
            e.texto = modelo->interna(lineasNormales(c.texto));
            e.pagina = c.texto.contains(QLatin1String("{Page"));
            break;
        }
        Slot sl;
        sl.campo = &c;
        sl.indice = nodo.huecos++;
        if (regla >= 0) {
            sl.regla = int(nodo.reglas.size());
            nodo.reglas.push_back(&s.reglas[regla]);
        }
        sl.estilo = e.estilo;
        sl.ancho = e.caja.width();
        sl.crece = c.crece;
        ep.hueco = int(p.huecos.size());
        ep.crece = c.crece;
        p.huecos.push_back(sl);
        break;
    }
    case TipoCampo::Linea: e.tipo = ModeloPaginas::Tipo::Linea; break;
    case TipoCampo::Caja: e.tipo = ModeloPaginas::Tipo::Caja; break;
    case TipoCampo::Imagen:
        e.tipo = ModeloPaginas::Tipo::Imagen;
        e.imagen = imagen(c.imagen);
        break;
    case TipoCampo::Subinforme: break;
    }
    return ep;
}

namespace {

// Where a piece is cut: [desde, hasta), crece for a row of growing texts.
struct Corte {
    double desde, hasta;
    bool crece;
};

// The rows of growing texts that overlap in height (side by side), and what lies
// between them, down to alto.
std::vector<Corte> cortes(const std::vector<ElementoPieza> &elementos, double alto)
{
    std::vector<const ElementoPieza *> crecen;
    for (const ElementoPieza &ep : elementos)
        if (ep.crece)
            crecen.push_back(&ep);
    std::stable_sort(crecen.begin(), crecen.end(),
                     [](auto *a, auto *b) { return a->e.caja.top() < b->e.caja.top(); });
    std::vector<Corte> out;
    double actual = 0;
    for (size_t i = 0; i < crecen.size();) {
        const double arriba = crecen[i]->e.caja.top();
        double abajo = crecen[i]->e.caja.bottom();
        size_t j = i + 1;
        while (j < crecen.size() && crecen[j]->e.caja.top() < abajo - 0.1)
            abajo = std::max(abajo, crecen[j++]->e.caja.bottom());
        if (arriba > actual)
            out.push_back({actual, arriba, false});
        out.push_back({std::max(actual, arriba), abajo, true});
        actual = abajo;
        i = j;
    }
    out.push_back({actual, std::max(actual, alto), false});
    return out;
}

} // namespace

// Cuts a piece into stripes: each row of growing texts that overlap in height (side by
// side) is a stripe with what starts beside them; what lies between rows is a fixed
// stripe. An element belongs to the stripe its top is in.
void ReportLayout::Datos::cortaTramos(Pieza &p, std::vector<ElementoPieza> elementos)
{
    const std::vector<Corte> partes = cortes(elementos, p.alto);
    for (size_t k = 0; k < partes.size(); ++k) {
        const Corte &c = partes[k];
        const bool primero = k == 0, ultimo = k + 1 == partes.size();
        Tramo t;
        t.alto = c.hasta - c.desde;
        ModeloPaginas::Banda banda;
        for (const ElementoPieza &ep : elementos) {
            const double top = ep.e.caja.top();
            if ((!primero && top < c.desde) || (!ultimo && top >= c.hasta))
                continue;
            ModeloPaginas::Elemento e = ep.e;
            e.caja.translate(0, -c.desde);
            if (ep.hueco >= 0) {
                e.valor = int(t.huecos.size());
                t.huecos.push_back(ep.hueco);
            }
            if (ep.crece && c.crece) {
                e.crece = qint16(t.crecen.size());
                t.crecen.push_back({ep.hueco, e.caja.top(), e.caja.height()});
            }
            banda.elementos.push_back(e);
        }
        if (banda.elementos.empty() && t.alto <= 0)
            continue;
        banda.alto = t.alto;
        banda.crecen = int(t.crecen.size());
        banda.valores = int(t.huecos.size()) + banda.crecen;
        if (!t.crecen.empty())
            t.continuacion = bandaContinua(t, banda);
        if (!banda.elementos.empty())
            t.banda = modelo->anadeBanda(std::move(banda));
        p.tramos.push_back(std::move(t));
    }
}

// The band a growing stripe goes on with over further pages: its growing texts alone,
// from the top of the first.
int ReportLayout::Datos::bandaContinua(Tramo &t, const ModeloPaginas::Banda &banda)
{
    t.arribaContinua = std::numeric_limits<double>::max();
    for (const Crece &c : t.crecen)
        t.arribaContinua = std::min(t.arribaContinua, c.arriba);
    ModeloPaginas::Banda continua;
    for (const ModeloPaginas::Elemento &e : banda.elementos) {
        if (e.crece < 0)
            continue;
        continua.elementos.push_back(e);
        continua.elementos.back().caja.translate(0, -t.arribaContinua);
    }
    continua.alto = t.alto - t.arribaContinua;
    continua.crecen = banda.crecen;
    continua.valores = banda.valores;
    return modelo->anadeBanda(std::move(continua));
}

// What a part keeps on its page: a list's header and first row, or the first row
// after a header.
void ReportLayout::Datos::enlazaConSiguiente(Nodo &n)
{
    for (auto &sec : n.secciones) {
        for (Pieza &p : sec->piezas) {
            if (!p.sub)
                continue;
            const Nodo *h = nodos.at(p.sub).get();
            p.conSiguiente = h->altoPrimero(h->cabecera) + h->altoPrimero(h->detalle);
        }
    }
    if (n.cabecera && !n.cabecera->piezas.empty()) {
        auto *c = const_cast<Seccion *>(n.cabecera);
        if (!c->piezas.back().sub)
            c->piezas.back().conSiguiente = n.altoPrimero(n.detalle);
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
            throw FalloMaquetacion{TextoPropio("The record source of the report %1 failed: %2")
                                   .arg(inf->nombre, TextoPropio("the database is not open"))};
        f.q = std::make_unique<QSqlQuery>(o.conexion);
        f.q->setForwardOnly(true);
        bool ok = f.q->prepare(o.sql);
        for (const QVariant &v : o.valores)
            f.q->addBindValue(v);
        ok = ok && f.q->exec();
        if (!ok)
            throw FalloMaquetacion{
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

Valores ReportLayout::Datos::valores(const Marco &f, const Pieza &p)
{
    Valores v;
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
        if (s.crece) {
            if (v.lineas.empty())
                v.lineas.resize(p.huecos.size());
            v.lineas[size_t(&s - p.huecos.data())] = partirTexto(t, fuentes[s.estilo], s.ancho, nullptr).split(
                QLatin1Char('\n'));
            v.textos.push_back(-1);
            continue;
        }
        if (t.contains(QLatin1Char('\r')))
            t = lineasNormales(t);
        v.textos.push_back(modelo->interna(t));
    }
    return v;
}

// The height of n lines of a growing text.
static double altoLineas(const QFontMetricsF &fm, qsizetype n)
{
    return n > 0 ? double(n) * fm.lineSpacing() + fm.descent() * 0.5 : 0;
}

// A stripe's height with every line of its growing texts.
double ReportLayout::Datos::altoTramo(const Pieza &p, const Tramo &t, const Valores &v) const
{
    double alto = t.alto;
    for (const Crece &c : t.crecen) {
        const double texto = altoLineas(medidas(p.huecos[c.hueco]), v.lineas[c.hueco].size());
        alto = std::max(alto, c.arriba + std::max(c.alto, texto));
    }
    return alto;
}

// The height a stripe needs to begin: down to the first line of its first text.
double ReportLayout::Datos::primeraLinea(const Pieza &p, const Tramo &t) const
{
    double alto = t.crecen.empty() ? t.alto : std::numeric_limits<double>::max();
    for (const Crece &c : t.crecen)
        alto = std::min(alto, c.arriba + altoLineas(medidas(p.huecos[c.hueco]), 1));
    return alto;
}

void ReportLayout::Datos::coloca(Marco &f, const Pieza &p, bool conSalto)
{
    const Valores v = valores(f, p);
    double entero = 0;
    for (const Tramo &t : p.tramos)
        entero += altoTramo(p, t, v);
    entero = std::max(entero, p.alto);
    const auto todo = [&] {
        const double fin = y + entero;
        for (const Tramo &t : p.tramos)
            colocaTramo(p, t, v);
        y = std::max(y, fin);
    };
    if (!conSalto) {
        todo();
        return;
    }
    if (!paginaAbierta)
        nuevaPagina();
    const double libre = cuerpoAbajo - y;
    const double pagina = cuerpoAbajo - yCuerpo;
    const bool arribaDelTodo = y <= yCuerpo + 0.01;
    if (entero + p.conSiguiente <= libre + 0.01) {
        todo();
        return;
    }
    if (!arribaDelTodo && entero + p.conSiguiente <= pagina + 0.01) {
        nuevaPagina();
        todo();
        return;
    }
    // Taller than a page: stripe by stripe, the growing ones flowing over pages.
    const double fin = y + p.alto; // a piece whose stripes are shorter than the piece
    const int primeraPagina = modelo->paginas();
    for (size_t k = 0; k < p.tramos.size(); ++k) {
        const Tramo &t = p.tramos[k];
        if (!t.crecen.empty()) {
            colocaTramoQueCrece(p, t, v);
            continue;
        }
        const double sigue = k + 1 < p.tramos.size() ? primeraLinea(p, p.tramos[k + 1]) : p.conSiguiente;
        if (y + t.alto + sigue > cuerpoAbajo + 0.01 && y > yCuerpo + 0.01)
            nuevaPagina();
        colocaTramo(p, t, v);
    }
    if (modelo->paginas() == primeraPagina)
        y = std::max(y, fin);
}

// A stripe placed whole where y stands.
void ReportLayout::Datos::colocaTramo(const Pieza &p, const Tramo &t, const Valores &v)
{
    const double alto = altoTramo(p, t, v);
    if (t.banda >= 0) {
        int primero = -1;
        const auto anade = [&](int valor) {
            const int i = modelo->anadeValor(valor);
            if (primero < 0)
                primero = i;
        };
        for (int h : t.huecos)
            anade(p.huecos[h].crece ? modelo->interna(v.lineas[h].join(QLatin1Char('\n'))) : v.textos[h]);
        for (const Crece &c : t.crecen)
            anade(int(std::ceil(std::max(c.alto, altoLineas(medidas(p.huecos[c.hueco]), v.lineas[c.hueco].size())) -
                                c.alto)));
        modelo->anadeInstancia(t.banda, qint32(std::lround(y)), std::max(0, primero), qint32(std::lround(alto - t.alto)));
    }
    y += alto;
}

// How many lines of each growing text of a stripe fit from y to the body's end, from
// line desde on; primero: the stripe's first page (its texts stand at their design's
// tops), else its continuation band. All 0 when not a line fits.
std::vector<qsizetype> ReportLayout::Datos::lineasQueCaben(const Pieza &p, const Tramo &t, const Valores &v,
                                                           const std::vector<qsizetype> &desde, bool primero) const
{
    const double base = primero ? 0 : t.arribaContinua;
    const double libre = cuerpoAbajo - y;
    std::vector<qsizetype> n(t.crecen.size(), 0);
    for (size_t g = 0; g < t.crecen.size(); ++g) {
        const Crece &c = t.crecen[g];
        const QFontMetricsF fm = medidas(p.huecos[c.hueco]);
        const double cabe = (libre - (c.arriba - base) - fm.descent() * 0.5) / fm.lineSpacing();
        n[g] = std::clamp<qsizetype>(qsizetype(std::floor(cabe + 1e-6)), 0, v.lineas[c.hueco].size() - desde[g]);
    }
    return n;
}

// Places lines [desde, desde + n) of each growing text of a stripe at y (the whole
// stripe on its first page, its continuation band after); the last piece of a text
// keeps at least its designed height. Returns the height taken.
double ReportLayout::Datos::colocaLineas(const Pieza &p, const Tramo &t, const Valores &v,
                                         const std::vector<qsizetype> &desde, const std::vector<qsizetype> &n,
                                         bool primero, bool todo)
{
    // The values: the lines of this page for the growing texts, then their growths.
    int primerValor = -1;
    const auto anade = [&](int valor) {
        const int i = modelo->anadeValor(valor);
        if (primerValor < 0)
            primerValor = i;
    };
    for (int h : t.huecos) {
        if (!p.huecos[h].crece) {
            anade(v.textos[h]);
            continue;
        }
        size_t g = 0;
        while (t.crecen[g].hueco != h)
            ++g;
        anade(modelo->interna(v.lineas[h].mid(desde[g], n[g]).join(QLatin1Char('\n'))));
    }
    const double base = primero ? 0 : t.arribaContinua;
    double alto = primero ? t.alto : 0;
    for (size_t g = 0; g < t.crecen.size(); ++g) {
        const Crece &c = t.crecen[g];
        double h = altoLineas(medidas(p.huecos[c.hueco]), n[g]);
        if (primero && todo)
            h = std::max(h, c.alto);
        anade(int(std::ceil(h - c.alto)));
        alto = std::max(alto, c.arriba - base + h);
    }
    const int banda = primero ? t.banda : t.continuacion;
    modelo->anadeInstancia(banda, qint32(std::lround(y)), std::max(0, primerValor),
                           qint32(std::lround(alto - modelo->banda(banda).alto)));
    return alto;
}

// A stripe of growing texts from y on: as many lines of each as the page holds, the
// rest on the following pages; what stands beside them goes with their first lines.
void ReportLayout::Datos::colocaTramoQueCrece(const Pieza &p, const Tramo &t, const Valores &v)
{
    std::vector<qsizetype> desde(t.crecen.size(), 0);
    bool primero = true;
    for (;;) {
        std::vector<qsizetype> n = lineasQueCaben(p, t, v, desde, primero);
        const bool nada = std::all_of(n.begin(), n.end(), [](qsizetype k) { return k == 0; });
        if (nada && y > yCuerpo + 0.01) {
            nuevaPagina(); // not a line fits here: the stripe begins on the next page
            continue;
        }
        bool todo = true;
        for (size_t g = 0; g < t.crecen.size(); ++g) {
            const qsizetype resto = v.lineas[t.crecen[g].hueco].size() - desde[g];
            if (nada && resto > 0)
                n[g] = 1; // a page shorter than a line: one line all the same
            todo = todo && n[g] == resto;
        }
        y += colocaLineas(p, t, v, desde, n, primero, todo);
        for (size_t g = 0; g < t.crecen.size(); ++g)
            desde[g] += n[g];
        if (todo)
            return;
        nuevaPagina();
        primero = false;
    }
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

Resultado<std::unique_ptr<ReportLayout>> ReportLayout::crea(std::shared_ptr<const Informe> informe)
{
    try {
        return std::unique_ptr<ReportLayout>(new ReportLayout(std::move(informe)));
    } catch (const FalloMaquetacion &f) {
        return fallo(f.descripcion);
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
    // The body ends a little above the page footer, so that a text flowing to the page's
    // end keeps clear of the footer's rule.
    d->cuerpoAbajo = (inf.pagina.height() - inf.margenInferior) * kUnidades - pie - (pie > 0 ? kHolgura : 0);
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

Resultado<bool> ReportLayout::avanza(int milisegundos, int hastaPaginas)
{
    if (d->acabado)
        return true;
    try {
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
    } catch (const FalloMaquetacion &f) {
        return fallo(f.descripcion);
    }
    return d->acabado;
}

} // namespace slx
