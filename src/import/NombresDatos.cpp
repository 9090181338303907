#include "import/NombresDatos.h"

#include "base/ColumnasRegistro.h"
#include "base/TextoPropio.h"
#include "localization/LocGuru.h"

#include <QHash>

namespace slx {

namespace {

// A label or heading as one line: its line breaks become blanks, a closing colon goes.
QString limpia(QString t)
{
    t.replace(QLatin1String("\r\n"), QLatin1String(" "));
    t.replace(QLatin1Char('\r'), QLatin1Char(' '));
    t.replace(QLatin1Char('\n'), QLatin1Char(' '));
    t = t.simplified();
    while (t.endsWith(QLatin1Char(':')))
        t = t.chopped(1).trimmed();
    return t;
}

// A catalogue text, as a label.
QString cat(int n)
{
    return limpia(oLocGuru().GetS(n));
}

// The first line of a catalogue heading (without its unit).
QString primera(int n)
{
    QString t = oLocGuru().GetS(n);
    t.replace(QLatin1String("\r\n"), QLatin1String("\r"));
    t.replace(QLatin1Char('\n'), QLatin1Char('\r'));
    return limpia(t.section(QLatin1Char('\r'), 0, 0));
}

// A caption of a window, in the open language.
QString ventana(const char *nativo)
{
    return limpia(oLocGuru().GetTranslation(QString::fromUtf8(nativo)));
}

// A measure and what of it: "Leq1'max (Date)".
QString de(const QString &que, const QString &parte)
{
    return que + QStringLiteral(" (") + parte + QLatin1Char(')');
}

QString inicio()
{
    return ventana("Inicio");
}

QString final()
{
    return ventana("Final");
}

using Nombre = QString (*)();
using I = registro::Intervalo;
using S = registro::Sesion;

struct Entrada {
    const char *nombre;
    Nombre texto;
};

const Entrada kTablas[] = {
    {"DiaBorrado", [] { return TextoPropio("Erasure dates"); }},
    {"DiaFinalBateria", [] { return TextoPropio("Battery end dates"); }},
    {"DiaReprogramado", [] { return TextoPropio("Reprogramming dates"); }},
    {"IntervaloInhabil", [] { return ventana("Intervalos inhábiles"); }},
    {"Intervalos", [] { return TextoPropio("Leq intervals"); }},
    {"Programacion", [] { return TextoPropio("Programming sheets"); }},
    {"Sesiones", [] { return TextoPropio("Sessions"); }},
    {"Configuracion", [] { return TextoPropio("Settings"); }},
};

const Entrada kColumnas[] = {
    // Shared by several tables.
    {"LNumeroSerie", [] { return cat(2); }},
    {"DFecha", [] { return cat(16); }},
    {"THora", [] { return cat(17); }},
    // Disabled intervals.
    {"ByIntervalo", [] { return TextoPropio("Interval number"); }},
    {"TDiaEmpiezaInt", [] { return de(cat(16), inicio()); }},
    {"THoraEmpiezaInt", [] { return de(cat(17), inicio()); }},
    {"TDiaTerminaInt", [] { return de(cat(16), final()); }},
    {"THoraTerminaInt", [] { return de(cat(17), final()); }},
    // Leq intervals and sessions.
    {registro::nombreC(I::dFechaInicio), [] { return de(cat(16), inicio()); }},
    {registro::nombreC(I::tHoraInicio), [] { return de(cat(17), inicio()); }},
    {registro::nombreC(I::dFechaFinal), [] { return de(cat(16), final()); }},
    {registro::nombreC(I::tHoraFinal), [] { return de(cat(17), final()); }},
    {registro::nombreC(I::sLeqLocal), [] { return cat(55); }},
    {registro::nombreC(I::sLeqVecino), [] { return cat(58); }},
    {registro::nombreC(I::byNivelLeqLocal), [] { return primera(48); }},
    {registro::nombreC(I::byNivelLeqVecino), [] { return primera(49); }},
    {registro::nombreC(I::sMaxLeq1min), [] { return cat(12); }},
    {registro::nombreC(I::tFechaMaxLeq1min), [] { return de(cat(12), cat(16)); }},
    {registro::nombreC(I::tHoraMaxLeq1min), [] { return de(cat(12), cat(17)); }},
    {registro::nombreC(I::sMinLeq1min), [] { return cat(13); }},
    {registro::nombreC(I::tFechaMinLeq1min), [] { return de(cat(13), cat(16)); }},
    {registro::nombreC(I::tHoraMinLeq1min), [] { return de(cat(13), cat(17)); }},
    {registro::nombreC(I::sMaxFast), [] { return cat(14); }},
    {registro::nombreC(I::byNivelMFast), [] { return cat(77); }},
    {registro::nombreC(I::iPasMaxFast), [] { return de(cat(134), cat(14)); }},
    {registro::nombreC(S::lPasMaxFast), [] { return de(cat(134), cat(14)); }},
    {registro::nombreC(I::sL1), [] { return QStringLiteral("L1"); }},
    {registro::nombreC(I::sL5), [] { return QStringLiteral("L5"); }},
    {registro::nombreC(I::sL10), [] { return QStringLiteral("L10"); }},
    {registro::nombreC(I::sL50), [] { return QStringLiteral("L50"); }},
    {registro::nombreC(I::sL90), [] { return QStringLiteral("L90"); }},
    {registro::nombreC(I::boRS232), [] { return cat(38); }},
    {registro::nombreC(I::boProgramacion), [] { return cat(135); }},
    {registro::nombreC(I::iDesco), [] { return cat(138); }},
    {registro::nombreC(S::lDesco), [] { return cat(138); }},
    {registro::nombreC(I::iPasadasLocal), [] { return cat(122); }},
    {registro::nombreC(I::iPasadasVecino), [] { return cat(123); }},
    {registro::nombreC(S::lPasadasLocal), [] { return cat(122); }},
    {registro::nombreC(S::lPasadasVecino), [] { return cat(123); }},
    {registro::nombreC(I::iE3), [] { return cat(124); }},
    {registro::nombreC(S::lE3), [] { return cat(124); }},
    {registro::nombreC(I::byDNA), [] { return cat(108); }},
    {registro::nombreC(I::byENA), [] { return cat(109); }},
    {registro::nombreC(I::byLineaInsuficiente), [] { return cat(136); }},
    {registro::nombreC(S::sLeq), [] { return primera(42); }},
    {registro::nombreC(S::tHoraInicioNoche), [] { return cat(43); }},
    {registro::nombreC(S::tHoraFinalNoche), [] { return cat(44); }},
    // Programming sheets.
    {"TContacto", [] { return cat(5); }},
    {"TLocal", [] { return cat(6); }},
    {"TDireccion", [] { return cat(7); }},
    {"TPoblacion", [] { return cat(8); }},
    {"TTelefono", [] { return cat(9); }},
    {"TNota", [] { return ventana("Nota:"); }},
    {"TVersion", [] { return cat(3); }},
    {"TModelo", [] { return TextoPropio("Model"); }},
    {"BoCambioHora", [] { return cat(90); }},
    {"TIdioma", [] { return cat(1); }},
    {"ByTLeq", [] { return cat(10); }},
    {"ByMFast", [] { return cat(77); }},
    {"BoImpresion", [] { return cat(11); }},
    {"TLunesInicio", [] { return de(cat(83), inicio()); }},
    {"TLunesFin", [] { return de(cat(83), final()); }},
    {"TMartesInicio", [] { return de(cat(84), inicio()); }},
    {"TMartesFin", [] { return de(cat(84), final()); }},
    {"TMiercolesInicio", [] { return de(cat(85), inicio()); }},
    {"TMiercolesFin", [] { return de(cat(85), final()); }},
    {"TJuevesInicio", [] { return de(cat(86), inicio()); }},
    {"TJuevesFin", [] { return de(cat(86), final()); }},
    {"TViernesInicio", [] { return de(cat(87), inicio()); }},
    {"TViernesFin", [] { return de(cat(87), final()); }},
    {"TSabadoInicio", [] { return de(cat(88), inicio()); }},
    {"TSabadoFin", [] { return de(cat(88), final()); }},
    {"TDomingoInicio", [] { return de(cat(89), inicio()); }},
    {"TDomingoFin", [] { return de(cat(89), final()); }},
    {"ByNivelDiaLocal", [] { return cat(102); }},
    {"ByNivelDiaVecino", [] { return cat(103); }},
    {"THoraEmpiezaNoche", [] { return cat(78); }},
    {"THoraTerminaNoche", [] { return cat(79); }},
    {"ByNivelNocheLocal", [] { return cat(104); }},
    {"ByNivelNocheVecino", [] { return cat(105); }},
    {"ITiempoAtenuacion", [] { return cat(80); }},
    {"TTipoActuacionLocal", [] { return cat(65); }},
    {"TTipoActuacionVecino", [] { return cat(66); }},
    {"SOctava31,5Hz", [] { return cat(146); }},
    {"SOctava63Hz", [] { return cat(147); }},
    {"SOctava125Hz", [] { return cat(148); }},
    {"SOctava250Hz", [] { return cat(149); }},
    {"SOctava500Hz", [] { return cat(150); }},
    {"SOctava1kHz", [] { return cat(151); }},
    {"SOctava2kHz", [] { return cat(152); }},
    {"SOctava4kHz", [] { return cat(153); }},
    {"SOctava8kHz", [] { return cat(154); }},
    {"ByRings", [] { return cat(155); }},
    {"DFechaTotales", [] { return TextoPropio("Date of the totals"); }},
    {"THoraTotales", [] { return TextoPropio("Time of the totals"); }},
    {"LCB", [] { return cat(125); }},
    {"ByVelocidad", [] { return cat(156); }},
    {"CMI", [] { return ventana("Aplicar corrección global"); }},
};

using Indice = QHash<QString, Nombre>;

template <std::size_t N> Indice indice(const Entrada (&tabla)[N])
{
    Indice h;
    for (const Entrada &e : tabla)
        h.insert(QString::fromLatin1(e.nombre).toLower(), e.texto);
    return h;
}

QString busca(const Indice &indice, const QString &nombre)
{
    const Nombre n = indice.value(nombre.toLower());
    return n ? n() : nombre;
}

} // namespace

QString nombreTabla(const QString &tabla)
{
    static const Indice tablas = indice(kTablas);
    return busca(tablas, tabla);
}

QString nombreColumna(const QString &columna)
{
    static const Indice columnas = indice(kColumnas);
    return busca(columnas, columna);
}

} // namespace slx
