#include "printing/Informe.h"

#include "base/TextoPropio.h"
#include "printing/ReportFormats.h"

namespace slx {

namespace {

bool mismoNombre(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool cumple(ReglaRegistro::Prueba prueba, const QVariant &valor, double referencia)
{
    if (valor.isNull() || !valor.isValid())
        return false;
    bool ok = false;
    double v = valor.toDouble(&ok);
    if (!ok) {
        const QString t = valor.toString().trimmed();
        if (prueba == ReglaRegistro::Prueba::Verdadero)
            return t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
        return false;
    }
    switch (prueba) {
    case ReglaRegistro::Prueba::Igual: return v == referencia;
    case ReglaRegistro::Prueba::Menor: return v < referencia;
    case ReglaRegistro::Prueba::Mayor: return v > referencia;
    case ReglaRegistro::Prueba::Verdadero: return v != 0; // any non-zero value is True
    }
    return false;
}

} // namespace

ReglaRegistro ReglaRegistro::nivel(const QString &columna, const QString &campo)
{
    ReglaRegistro r;
    r.columna = columna;
    r.campo = campo;
    r.casos = {{Prueba::Igual, 0, QStringLiteral("---")},
               {Prueba::Menor, 60, QStringLiteral("und")},
               {Prueba::Mayor, 120, QStringLiteral("up")}};
    return r;
}

ReglaRegistro ReglaRegistro::cero(const QString &columna, const QString &campo)
{
    ReglaRegistro r;
    r.columna = columna;
    r.campo = campo;
    r.casos = {{Prueba::Igual, 0, QStringLiteral("---")}};
    return r;
}

ReglaRegistro ReglaRegistro::minutos(const QString &columna, const QString &campo, const QString &sinCalibrar)
{
    ReglaRegistro r;
    r.columna = columna;
    r.campo = campo;
    r.casos = {{Prueba::Igual, 255, sinCalibrar}};
    r.sufijo = QStringLiteral("min");
    return r;
}

ReglaRegistro ReglaRegistro::marca(const QString &columna, const QString &campo, const QString &si, const QString &no)
{
    ReglaRegistro r;
    r.columna = columna;
    r.campo = campo;
    r.casos = {{Prueba::Verdadero, 0, si}};
    r.otro = no;
    return r;
}

QString ReglaRegistro::aplica(const QVariant &valor) const
{
    // A value that was never stored prints nothing, whatever the rule would add to it.
    if (valor.isNull() || !valor.isValid())
        return QString();
    for (const Caso &c : casos)
        if (cumple(c.prueba, valor, c.valor))
            return c.texto;
    if (otro)
        return *otro;
    return informe::formatoValor(valor, QString()) + sufijo;
}

Resultado<Informe *> CampoInforme::informe() const
{
    if (!subinforme)
        return fallo(TextoPropio("The field %1 holds no sub-report.").arg(nombre));
    return subinforme.get();
}

CampoInforme *Informe::buscaCampo(const QString &nombreCampo)
{
    for (SeccionInforme &s : secciones)
        for (const auto &c : s.campos)
            if (mismoNombre(c->nombre, nombreCampo))
                return c.get();
    return nullptr;
}

SeccionInforme *Informe::buscaSeccion(const QString &nombreSeccion)
{
    for (SeccionInforme &s : secciones)
        if (mismoNombre(s.nombre, nombreSeccion))
            return &s;
    return nullptr;
}

const SeccionInforme *Informe::buscaSeccion(const QString &nombreSeccion) const
{
    for (const SeccionInforme &s : secciones)
        if (mismoNombre(s.nombre, nombreSeccion))
            return &s;
    return nullptr;
}

Resultado<CampoInforme *> Informe::campo(const QString &nombreCampo)
{
    if (CampoInforme *c = buscaCampo(nombreCampo))
        return c;
    return fallo(TextoPropio("The report %1 has no field %2.").arg(nombre, nombreCampo));
}

Resultado<SeccionInforme *> Informe::seccion(const QString &nombreSeccion)
{
    if (SeccionInforme *s = buscaSeccion(nombreSeccion))
        return s;
    return fallo(TextoPropio("The report %1 has no section %2.").arg(nombre, nombreSeccion));
}

Resultado<Informe *> Informe::subinforme(const QString &nombreCampo)
{
    const auto c = campo(nombreCampo);
    if (!c)
        return fallo(c.error());
    return (*c)->informe();
}

std::shared_ptr<Informe> Informe::copia() const
{
    auto c = std::make_shared<Informe>(*this);
    for (SeccionInforme &s : c->secciones) {
        for (auto &campo : s.campos) {
            campo = std::make_shared<CampoInforme>(*campo);
            if (campo->subinforme)
                campo->subinforme = campo->subinforme->copia();
        }
    }
    return c;
}

} // namespace slx
