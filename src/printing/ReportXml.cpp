#include "printing/ReportXml.h"

#include "base/TextoPropio.h"
#include "printing/ReportFormats.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>
#include <set>

namespace slx {

namespace {

struct Invalido {
    QString motivo;
};

class Lector {
public:
    Lector(QXmlStreamReader &xml, const QString &carpeta)
        : m_xml(xml)
        , m_carpeta(carpeta)
    {
    }

    // Reads the <report> element the reader stands on; the reader ends on its end tag.
    std::shared_ptr<Informe> informe(const EstiloTexto &defecto)
    {
        auto r = std::make_shared<Informe>();
        const QXmlStreamAttributes a = m_xml.attributes();
        permitidos(a, {"name", "width", "height", "left", "right", "top", "bottom", "family", "size", "bold", "italic",
                       "align", "valign"});
        r->nombre = a.value(QLatin1String("name")).toString();
        if (r->nombre.isEmpty())
            throw Invalido{QStringLiteral("a report without a name")};
        r->pagina = QSizeF(numero(a, "width", 210), numero(a, "height", 297));
        r->margenIzquierdo = numero(a, "left", 15);
        r->margenDerecho = numero(a, "right", 15);
        r->margenSuperior = numero(a, "top", 12);
        r->margenInferior = numero(a, "bottom", 12);
        const EstiloTexto base = estilo(a, defecto);
        r->estilos = {base};
        std::set<QString> nombres;
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() != QLatin1String("section"))
                throw Invalido{QStringLiteral("unexpected element <%1>").arg(m_xml.name())};
            SeccionInforme s;
            const QXmlStreamAttributes sa = m_xml.attributes();
            permitidos(sa, {"name", "height", "visible"});
            s.nombre = sa.value(QLatin1String("name")).toString();
            static const QStringList secciones = {QStringLiteral("PageHeader"), QStringLiteral("Header"),
                                                  QStringLiteral("Detail"), QStringLiteral("Footer"),
                                                  QStringLiteral("PageFooter")};
            if (!secciones.contains(s.nombre))
                throw Invalido{QStringLiteral("unknown section \"%1\"").arg(s.nombre)};
            if (r->buscaSeccion(s.nombre))
                throw Invalido{QStringLiteral("two sections \"%1\"").arg(s.nombre)};
            s.alto = numero(sa, "height", 0);
            s.visible = logico(sa, "visible", true);
            while (m_xml.readNextStartElement()) {
                auto c = campo(*r, base);
                if (!c->nombre.isEmpty()) {
                    if (!nombres.insert(c->nombre.toLower()).second)
                        throw Invalido{QStringLiteral("two fields \"%1\" in report \"%2\"").arg(c->nombre, r->nombre)};
                }
                s.campos.push_back(std::move(c));
            }
            r->secciones.push_back(std::move(s));
        }
        return r;
    }

private:
    std::shared_ptr<CampoInforme> campo(Informe &r, const EstiloTexto &base)
    {
        auto c = std::make_shared<CampoInforme>();
        const QString tipo = m_xml.name().toString();
        const QXmlStreamAttributes a = m_xml.attributes();
        const std::initializer_list<const char *> comunes = {"name", "x", "y", "width", "height", "visible"};
        if (tipo == QLatin1String("text")) {
            c->tipo = TipoCampo::Texto;
            permitidos(a, comunes,
                       {"text", "column", "format", "grow", "family", "size", "bold", "italic", "align", "valign"});
        } else if (tipo == QLatin1String("line")) {
            c->tipo = TipoCampo::Linea;
            permitidos(a, comunes, {"thickness"});
        } else if (tipo == QLatin1String("box")) {
            c->tipo = TipoCampo::Caja;
            permitidos(a, comunes, {"thickness", "fill"});
        } else if (tipo == QLatin1String("picture")) {
            c->tipo = TipoCampo::Imagen;
            permitidos(a, comunes, {"file"});
        } else if (tipo == QLatin1String("subreport")) {
            c->tipo = TipoCampo::Subinforme;
            permitidos(a, comunes);
        } else {
            throw Invalido{QStringLiteral("unexpected element <%1>").arg(tipo)};
        }
        c->nombre = a.value(QLatin1String("name")).toString();
        c->caja = QRectF(numero(a, "x", 0), numero(a, "y", 0), numero(a, "width", 0), numero(a, "height", 0));
        c->visible = logico(a, "visible", true);
        c->grosor = numero(a, "thickness", 0.2);
        c->relleno = logico(a, "fill", false);
        if (c->tipo == TipoCampo::Texto) {
            c->texto = a.hasAttribute(QLatin1String("text")) ? a.value(QLatin1String("text")).toString() : QString();
            c->columna = a.value(QLatin1String("column")).toString();
            c->formato = a.value(QLatin1String("format")).toString();
            if (!informe::formatoValido(c->formato))
                throw Invalido{QStringLiteral("unknown format \"%1\"").arg(c->formato)};
            c->crece = logico(a, "grow", false);
            const EstiloTexto e = estilo(a, base);
            auto it = std::find(r.estilos.begin(), r.estilos.end(), e);
            if (it == r.estilos.end()) {
                r.estilos.push_back(e);
                c->estilo = int(r.estilos.size()) - 1;
            } else {
                c->estilo = int(it - r.estilos.begin());
            }
        }
        if (c->tipo == TipoCampo::Imagen) {
            const QString f = a.value(QLatin1String("file")).toString();
            if (f.isEmpty())
                throw Invalido{QStringLiteral("a picture without a file")};
            c->imagen = enCarpeta(f);
        }
        if (c->tipo == TipoCampo::Subinforme) {
            if (c->nombre.isEmpty())
                throw Invalido{QStringLiteral("a sub-report without a name")};
            if (!m_xml.readNextStartElement() || m_xml.name() != QLatin1String("report"))
                throw Invalido{QStringLiteral("the sub-report \"%1\" holds no <report>").arg(c->nombre)};
            c->subinforme = informe(r.estilos.front());
            c->subinforme->pagina = r.pagina;
            if (m_xml.readNextStartElement())
                throw Invalido{QStringLiteral("the sub-report \"%1\" holds more than one report").arg(c->nombre)};
        } else {
            m_xml.skipCurrentElement();
        }
        return c;
    }

    QString enCarpeta(const QString &nombre) const
    {
        QDir dir(m_carpeta);
        if (dir.exists(nombre))
            return dir.absoluteFilePath(nombre);
        const QStringList entradas = dir.entryList(QDir::Files);
        for (const QString &e : entradas)
            if (e.compare(nombre, Qt::CaseInsensitive) == 0)
                return dir.absoluteFilePath(e);
        return dir.absoluteFilePath(nombre);
    }

    static void permitidos(const QXmlStreamAttributes &a, std::initializer_list<const char *> lista,
                           std::initializer_list<const char *> otros = {})
    {
        for (const QXmlStreamAttribute &at : a) {
            bool ok = false;
            for (const char *n : lista)
                ok = ok || at.name() == QLatin1String(n);
            for (const char *n : otros)
                ok = ok || at.name() == QLatin1String(n);
            if (!ok)
                throw Invalido{QStringLiteral("unknown attribute \"%1\"").arg(at.name())};
        }
    }

    static double numero(const QXmlStreamAttributes &a, const char *nombre, double defecto)
    {
        if (!a.hasAttribute(QLatin1String(nombre)))
            return defecto;
        bool ok = false;
        const double v = a.value(QLatin1String(nombre)).toDouble(&ok); // always "." as separator
        if (!ok || v < 0)
            throw Invalido{QStringLiteral("\"%1\" is not a length: %2")
                               .arg(QLatin1String(nombre), a.value(QLatin1String(nombre)))};
        return v;
    }

    static bool logico(const QXmlStreamAttributes &a, const char *nombre, bool defecto)
    {
        if (!a.hasAttribute(QLatin1String(nombre)))
            return defecto;
        const auto v = a.value(QLatin1String(nombre));
        if (v == QLatin1String("true"))
            return true;
        if (v == QLatin1String("false"))
            return false;
        throw Invalido{QStringLiteral("\"%1\" must be true or false").arg(QLatin1String(nombre))};
    }

    static EstiloTexto estilo(const QXmlStreamAttributes &a, const EstiloTexto &base)
    {
        EstiloTexto e = base;
        if (a.hasAttribute(QLatin1String("family")))
            e.familia = a.value(QLatin1String("family")).toString();
        e.puntos = numero(a, "size", base.puntos);
        e.negrita = logico(a, "bold", base.negrita);
        e.cursiva = logico(a, "italic", base.cursiva);
        Qt::Alignment h = base.alineacion & Qt::AlignHorizontal_Mask;
        Qt::Alignment v = base.alineacion & Qt::AlignVertical_Mask;
        if (a.hasAttribute(QLatin1String("align"))) {
            const auto t = a.value(QLatin1String("align"));
            if (t == QLatin1String("left"))
                h = Qt::AlignLeft;
            else if (t == QLatin1String("center"))
                h = Qt::AlignHCenter;
            else if (t == QLatin1String("right"))
                h = Qt::AlignRight;
            else
                throw Invalido{QStringLiteral("unknown alignment \"%1\"").arg(t)};
        }
        if (a.hasAttribute(QLatin1String("valign"))) {
            const auto t = a.value(QLatin1String("valign"));
            if (t == QLatin1String("top"))
                v = Qt::AlignTop;
            else if (t == QLatin1String("middle"))
                v = Qt::AlignVCenter;
            else if (t == QLatin1String("bottom"))
                v = Qt::AlignBottom;
            else
                throw Invalido{QStringLiteral("unknown alignment \"%1\"").arg(t)};
        }
        e.alineacion = h | v;
        return e;
    }

    QXmlStreamReader &m_xml;
    QString m_carpeta;
};

// Opens the file and calls cuerpo for every <report> under the root, until cuerpo says
// it is done; a failure when the file cannot be read or is not a valid layout.
template <typename F> Resultado<> recorre(const QString &fichero, F cuerpo)
{
    QFile f(fichero);
    if (!QFileInfo(fichero).isFile() || !f.open(QIODevice::ReadOnly))
        return fallo(TextoPropio("The layout file %1 cannot be read.").arg(QDir::toNativeSeparators(fichero)));
    QXmlStreamReader xml(&f);
    try {
        if (!xml.readNextStartElement() || xml.name() != QLatin1String("layouts"))
            throw Invalido{QStringLiteral("the root element is not <layouts>")};
        Lector lector(xml, QFileInfo(fichero).absolutePath());
        while (xml.readNextStartElement()) {
            if (xml.name() != QLatin1String("report"))
                throw Invalido{QStringLiteral("unexpected element <%1>").arg(xml.name())};
            const bool hecho = cuerpo(xml, lector);
            if (xml.hasError())
                throw Invalido{xml.errorString()};
            if (hecho)
                return {};
        }
        if (xml.hasError())
            throw Invalido{xml.errorString()};
    } catch (const Invalido &e) {
        const QString motivo = xml.hasError() ? xml.errorString() : e.motivo;
        return fallo(TextoPropio("The layout file %1 is not valid: %2 (line %3).")
                         .arg(QDir::toNativeSeparators(fichero), motivo)
                         .arg(xml.lineNumber()));
    }
    return {};
}

} // namespace

Resultado<std::shared_ptr<Informe>> cargaInforme(const QString &fichero, const QString &nombre)
{
    std::shared_ptr<Informe> hallado;
    const auto leido = recorre(fichero, [&](QXmlStreamReader &xml, Lector &lector) {
        if (xml.attributes().value(QLatin1String("name")).compare(nombre, Qt::CaseInsensitive) != 0) {
            xml.skipCurrentElement();
            return false;
        }
        hallado = lector.informe(EstiloTexto{});
        return true;
    });
    if (!leido)
        return fallo(leido.error());
    if (!hallado)
        return fallo(
            TextoPropio("The layout file %1 holds no report %2.").arg(QDir::toNativeSeparators(fichero), nombre));
    return hallado;
}

Resultado<QStringList> informesDe(const QString &fichero)
{
    QStringList nombres;
    const auto leido = recorre(fichero, [&](QXmlStreamReader &, Lector &lector) {
        nombres << lector.informe(EstiloTexto{})->nombre;
        return false;
    });
    if (!leido)
        return fallo(leido.error());
    return nombres;
}

} // namespace slx
