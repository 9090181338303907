#include "base/Idiomas.h"

#include <array>

namespace slx {

namespace {
constexpr std::array<IdiomaPrograma, 7> kIdiomas{{
    {u"Español", 1000, "1034", "SLX-90_ESP.html", QLocale::Spanish, "es"},
    {u"Català", 2000, "1027", "SLX-90_CAT.html", QLocale::Catalan, "ca"},
    {u"English", 3000, "1033", "SLX-90_ENG.html", QLocale::English, "en"},
    {u"Deutsch", 4000, "1031", "SLX-90_DEU.html", QLocale::German, "de"},
    {u"Français", 5000, "1036", "SLX-90_FRA.html", QLocale::French, "fr"},
    {u"Italiano", 6000, "1040", "SLX-90_ITA.html", QLocale::Italian, "it"},
    {u"Português", 7000, "2070", "SLX-90_PTR.html", QLocale::Portuguese, "pt_PT,pt,pt_BR"},
}};
} // namespace

std::span<const IdiomaPrograma> idiomasPrograma()
{
    return kIdiomas;
}

const IdiomaPrograma *idiomaDeCodigo(qint16 codigo)
{
    for (const auto &e : kIdiomas)
        if (e.codigo == codigo)
            return &e;
    return nullptr;
}

const IdiomaPrograma *idiomaDeNombre(const QString &nombre)
{
    for (const auto &e : kIdiomas)
        if (nombre == QString::fromUtf16(e.nombre))
            return &e;
    return nullptr;
}

Idioma idiomaDeIni(const QString &lcid)
{
    for (const auto &e : kIdiomas)
        if (lcid == QLatin1String(e.lcid))
            return {QString::fromUtf16(e.nombre), e.codigo};
    return {QStringLiteral("English"), 3000};
}

QString lcidDeCodigo(qint16 codigo)
{
    const IdiomaPrograma *e = idiomaDeCodigo(codigo);
    return e ? QString::fromLatin1(e->lcid) : QString();
}

qint16 CalculaCodigoIdioma(const QString &nombre)
{
    const IdiomaPrograma *e = idiomaDeNombre(nombre);
    return e ? e->codigo : 0;
}

QString ficheroAyuda(qint16 codigo)
{
    const IdiomaPrograma *e = idiomaDeCodigo(codigo);
    return QString::fromLatin1(e ? e->ayuda : "SLX-90_ENG.html");
}

} // namespace slx
