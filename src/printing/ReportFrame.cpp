#include "printing/ReportFrame.h"

#include "base/Firmware.h"
#include "base/TextFormats.h"
#include "base/TextoPropio.h"
#include "printing/ReportFormats.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace slx::marco {

namespace {

const Rotulo kRotulos[] = {
    {"Esborrats", "TFecha", 16, true, Lista::Ninguna},
    {"Esborrats", "THora", 17, true, Lista::Ninguna},
    {"Reprogramacions", "TFecha", 16, true, Lista::Ninguna},
    {"Reprogramacions", "THora", 17, true, Lista::Ninguna},
    {"FinBateria", "TFecha", 16, true, Lista::Ninguna},
    {"FinBateria", "THora", 17, true, Lista::Ninguna},
    {"", "TReprog", 126, true, Lista::Ninguna},
    {"", "TBorrados", 127, true, Lista::Ninguna},
    {"", "TFinBateria", 141, true, Lista::Ninguna},
    {"", "TIntervalos", 128, true, Lista::Ninguna},
    {"", "TNotas", 129, false, Lista::Ninguna},
    {"", "TContadoresTot", 121, false, Lista::Ninguna},
    {"", "TSobrepasadas", 122, true, Lista::Ninguna},
    {"", "TPasadasVei", 123, true, Lista::Ninguna},
    {"", "TSensorInact", 124, false, Lista::Ninguna},
    {"", "TBorrados2", 125, false, Lista::Ninguna},
    {"", "TOctavas", 117, true, Lista::Ninguna},
    // SOctava31,5Hz here
    {"", "TSesiones", 116, true, Lista::Ninguna},
    {"", "TLunes", 70, true, Lista::Ninguna},
    {"", "TMartes", 71, true, Lista::Ninguna},
    {"", "TMiercoles", 72, true, Lista::Ninguna},
    {"", "TJueves", 73, true, Lista::Ninguna},
    {"", "TViernes", 74, true, Lista::Ninguna},
    {"", "TSabado", 75, true, Lista::Ninguna},
    {"", "TDomingo", 76, true, Lista::Ninguna},
    {"", "TIdioma", 1, false, Lista::Ninguna},
    {"", "TCambioHora", 90, false, Lista::Ninguna},
    {"", "TTempsLeq", 10, false, Lista::Ninguna},
    {"", "TMFast", 77, false, Lista::Ninguna},
    {"", "TTiempoAten", 80, true, Lista::Ninguna},
    {"", "TipAct", 118, false, Lista::Ninguna},
    {"", "TipActVei", 119, false, Lista::Ninguna},
    {"", "NumeroRings", 130, false, Lista::Ninguna},
    // CambioHora, TipusActuacio, TCMI and CMI here
    {"", "Normativa", 113, true, Lista::Ninguna},
    {"", "THorarioNoche", 99, true, Lista::Ninguna},
    {"", "THorarioDia", 98, true, Lista::Ninguna},
    {"", "TNivelNoche", 114, true, Lista::Ninguna},
    {"", "TNivelNitVei", 115, true, Lista::Ninguna},
    {"", "TNivelDia", 114, true, Lista::Ninguna},
    {"", "TNivelDiaVei", 115, true, Lista::Ninguna},
    {"", "TNSerie", 2, false, Lista::Ninguna},
    {"", "TContacto", 5, false, Lista::Ninguna},
    {"", "TLocal", 6, false, Lista::Ninguna},
    {"", "TVersion", 3, false, Lista::Ninguna},
    {"", "TFecha", 4, false, Lista::Ninguna},
    {"", "TDireccion", 7, false, Lista::Ninguna},
    {"", "TPoblacion", 8, false, Lista::Ninguna},
    {"", "TTelefono", 9, false, Lista::Ninguna},
    // The list of Leq intervals.
    {"", "TIntervalosLeq", 131, true, Lista::Intervalos},
    {kListaIntervalos, "LabelEmision", 132, true, Lista::Intervalos},
    {kListaIntervalos, "LabelRecepcion", 133, true, Lista::Intervalos},
    {kListaIntervalos, "LabelPasadas", 134, true, Lista::Intervalos},
    {kListaIntervalos, "LabelReprogramacion", 135, true, Lista::Intervalos},
    {kListaIntervalos, "LabelLineaInsuficiente", 136, true, Lista::Intervalos},
    {kListaIntervalos, "LabelENA", 137, true, Lista::Intervalos},
    {kListaIntervalos, "LabelPasadas1", 122, true, Lista::Intervalos},
    {kListaIntervalos, "LabelPasadas2", 123, true, Lista::Intervalos},
    {kListaIntervalos, "LabelSensorInactivo", 124, false, Lista::Intervalos},
    {kListaIntervalos, "LabelDesconexiones", 138, true, Lista::Intervalos},
    {kListaIntervalos, "LabelDNA", 139, true, Lista::Intervalos},
    // The list of sessions.
    {"", "TRegistrosSesion", 142, true, Lista::Sesiones},
    {kListaSesiones, "LabelPasadas", 134, true, Lista::Sesiones},
    {kListaSesiones, "LabelPasadas1", 122, true, Lista::Sesiones},
    {kListaSesiones, "LabelPasadas2", 123, true, Lista::Sesiones},
    {kListaSesiones, "LabelSensorInactivo", 124, false, Lista::Sesiones},
    {kListaSesiones, "LabelDesconexiones", 138, true, Lista::Sesiones},
    {kListaSesiones, "LabelTiempoAtenuacion", 80, true, Lista::Sesiones},
    {kListaSesiones, "LabelSesion", 100, true, Lista::Sesiones},
    {kListaSesiones, "LabelLDE", 102, true, Lista::Sesiones},
    {kListaSesiones, "LabelLDR", 103, true, Lista::Sesiones},
    {kListaSesiones, "LabelLNE", 104, true, Lista::Sesiones},
    {kListaSesiones, "LabelLNR", 105, true, Lista::Sesiones},
    {kListaSesiones, "LabelNoche", 99, true, Lista::Sesiones},
};

static_assert(std::size(kRotulos) > 48);

struct Evento {
    const char *subinforme;
    const char *tabla;
};
// In the order their data sources are set.
const Evento kEventos[] = {
    {"Reprogramacions", "DiaReprogramado"}, {"Esborrats", "DiaBorrado"}, {"FinBateria", "DiaFinalBateria"}};

// The first Configuracion row: the lowest rowid.
const char *const kPrimeraConfiguracion = "SELECT rowid, \"TUsuario\" FROM \"Configuracion\" ORDER BY rowid LIMIT 1";

bool esTrue(const QVariant &v)
{
    return !v.isNull() && v.toLongLong() != 0;
}

// A name the layout lacks stops the filling; rellenaMarco returns it as its failure.
struct FaltaNombre {
    Fallo fallo;
};

template <class T> T &hallado(Resultado<T *> r)
{
    if (!r)
        throw FaltaNombre{r.error()};
    return **r;
}

CampoInforme &campoDe(Informe &informe, const QString &nombre)
{
    return hallado(informe.campo(nombre));
}

Informe &subinformeDe(Informe &informe, const QString &nombre)
{
    return hallado(informe.subinforme(nombre));
}

} // namespace

std::span<const Rotulo> rotulos()
{
    return kRotulos;
}

QString memoInhabiles(std::span<const FilaInhabil> intervalos)
{
    QString memo;
    int k = 0;
    const size_t n = std::min<size_t>(30, intervalos.size());
    for (size_t i = 0; i < n; ++i) {
        const FilaInhabil &fila = intervalos[i];
        if (fila.DiaEmpieza == QLatin1String("00/00/00"))
            continue;
        memo += QStringLiteral("%1 - %2 %3 <-> %4 %5")
                    .arg(int(i + 1), 2, 10, QLatin1Char('0'))
                    .arg(fila.DiaEmpieza, fila.HoraEmpieza, fila.DiaTermina, fila.HoraTermina);
        memo += k % 2 == 0 ? QStringLiteral("     ,     ") : QStringLiteral("\r");
        ++k;
    }
    return k == 0 ? QStringLiteral(" ") : memo;
}

Resultado<QString> usuarioConfiguracion(QSqlDatabase db)
{
    QSqlQuery q(db);
    if (!q.exec(QString::fromLatin1(kPrimeraConfiguracion)))
        return fallo(q.lastError().text());
    if (!q.next())
        return fallo(TextoPropio("The settings row of the table Configuracion is missing."));
    return q.value(1).isNull() ? QString() : q.value(1).toString();
}

Resultado<QString> grabaMemo(QSqlDatabase db, const QString &memo)
{
    QSqlQuery q(db);
    if (!q.exec(QString::fromLatin1(kPrimeraConfiguracion)))
        return fallo(q.lastError().text());
    if (!q.next())
        return fallo(TextoPropio("The settings row of the table Configuracion is missing."));
    const qint64 fila = q.value(0).toLongLong();
    const QString usuario = q.value(1).isNull() ? QString() : q.value(1).toString();
    q.finish();
    QSqlQuery u(db);
    u.prepare(QStringLiteral("UPDATE \"Configuracion\" SET \"Memo\" = ? WHERE rowid = ?"));
    u.addBindValue(memo);
    u.addBindValue(fila);
    if (!u.exec())
        return fallo(u.lastError().text());
    return usuario;
}

Resultado<FilaAparato> leeFilaAparato(QSqlDatabase db, qint32 serial)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT \"DFechaTotales\", \"THoraTotales\", \"SOctava31,5Hz\", \"BoCambioHora\", "
                             "\"TTipoActuacionVecino\", \"CMI\" FROM \"Programacion\" WHERE \"LNumeroSerie\" = ?"));
    q.addBindValue(serial);
    if (!q.exec())
        return fallo(q.lastError().text());
    if (!q.next())
        return fallo(TextoPropio("The device %1 has no stored programming sheet.").arg(serial));
    FilaAparato f;
    f.fechaTotales = q.value(0).toString();
    f.horaTotales = q.value(1).toString();
    f.octava315 = q.value(2).toDouble();
    f.cambioHora = esTrue(q.value(3));
    f.tipoActuacionVecino = q.value(4).toString();
    f.cmi = esTrue(q.value(5));
    return f;
}

QString sellosTotales(const FilaAparato &fila)
{
    const auto d = informe::fechaAlmacenada(fila.fechaTotales);
    return (d ? informe::textoFechaCorta(*d) : fila.fechaTotales) + QLatin1Char(' ') + fila.horaTotales;
}

namespace {

void rellena(Informe &informe, QSqlDatabase db, const DatosMarco &datos, const std::function<QString(int)> &texto)
{
    const auto rotulo = [&](const Rotulo &r) {
        Informe &destino = *r.subinforme == '\0' ? informe : subinformeDe(informe, QString::fromLatin1(r.subinforme));
        QString t = texto(r.texto);
        if (r.dosPuntos)
            t += QLatin1Char(':');
        campoDe(destino, QString::fromLatin1(r.campo)).setTexto(t);
    };
    // Runs of the caption table, by position: [desde, hasta).
    const auto tramo = [&](int desde, int hasta) {
        for (int i = desde; i < hasta; ++i)
            rotulo(kRotulos[i]);
    };
    const QString lista = datos.lista == Lista::Intervalos ? QString::fromLatin1(kListaIntervalos)
                          : datos.lista == Lista::Sesiones ? QString::fromLatin1(kListaSesiones)
                                                           : QString();

    // Data sources: the connection, then the record sources, the serial bound.
    informe.setConexion(db);
    for (const Evento &e : kEventos)
        subinformeDe(informe, QString::fromLatin1(e.subinforme)).setConexion(db);
    if (!lista.isEmpty())
        subinformeDe(informe, lista).setConexion(db);
    informe.setOrigen(QStringLiteral("SELECT * FROM \"Programacion\" WHERE \"LNumeroSerie\" = ?"), {datos.serial});
    for (const Evento &e : kEventos)
        subinformeDe(informe, QString::fromLatin1(e.subinforme))
            .setOrigen(QStringLiteral("SELECT * FROM \"%1\" WHERE \"LNumeroSerie\" = ? ORDER BY \"DFecha\", \"THora\"")
                           .arg(QString::fromLatin1(e.tabla)),
                       {datos.serial});

    // Fields, in the order of the sheet's print-out.
    campoDe(informe, QStringLiteral("IntervalTotals")).setTexto(datos.totales);
    campoDe(informe, QStringLiteral("LabelMemo")).setTexto(datos.memo);
    campoDe(informe, QStringLiteral("TUsuario")).setTexto(datos.usuario);
    campoDe(informe, QStringLiteral("TTFecha")).setTexto(informe::textoFechaCorta(datos.hoy));
    tramo(0, 6);  // the three event sub-reports
    tramo(6, 17); // TReprog to TOctavas
    campoDe(informe, QStringLiteral("SOctava31,5Hz")).setTexto(informe::formatoNumero(datos.fila.octava315, "#.00"));
    tramo(17, 33); // TSesiones to NumeroRings
    campoDe(informe, QStringLiteral("CambioHora")).setTexto(texto(datos.fila.cambioHora ? 68 : 69));
    campoDe(informe, QStringLiteral("TipusActuacio"))
        .setTexto(datos.fila.tipoActuacionVecino == QLatin1String("0") ? texto(140) : datos.fila.tipoActuacionVecino);
    CampoInforme &tcmi = campoDe(informe, QStringLiteral("TCMI"));
    CampoInforme &cmi = campoDe(informe, QStringLiteral("CMI"));
    if (versionAlMenys(datos.version, firmware::kGlobalCorrection)) {
        tcmi.setVisible(true);
        cmi.setVisible(true);
        tcmi.setTexto(texto(120));
        cmi.setTexto(texto(datos.fila.cmi ? 68 : 69));
    } else {
        tcmi.setVisible(false);
        cmi.setVisible(false);
    }
    tramo(33, 48); // Normativa to TTelefono
    if (datos.lista != Lista::Ninguna)
        for (const Rotulo &r : kRotulos)
            if (r.lista == datos.lista)
                rotulo(r);
}

} // namespace

Resultado<> rellenaMarco(Informe &informe, QSqlDatabase db, const DatosMarco &datos,
                         const std::function<QString(int)> &texto)
{
    try {
        rellena(informe, db, datos, texto);
    } catch (const FaltaNombre &f) {
        return fallo(f.fallo);
    }
    return {};
}

QStringList camposMarco(Lista lista)
{
    QStringList out = {QStringLiteral("IntervalTotals"), QStringLiteral("LabelMemo"),     QStringLiteral("TUsuario"),
                       QStringLiteral("TTFecha"),        QStringLiteral("SOctava31,5Hz"), QStringLiteral("CambioHora"),
                       QStringLiteral("TipusActuacio"),  QStringLiteral("TCMI"),          QStringLiteral("CMI")};
    for (const Evento &e : kEventos)
        out << QString::fromLatin1(e.subinforme);
    if (lista == Lista::Intervalos)
        out << QString::fromLatin1(kListaIntervalos);
    if (lista == Lista::Sesiones)
        out << QString::fromLatin1(kListaSesiones);
    for (const Rotulo &r : kRotulos) {
        if (r.lista != Lista::Ninguna && r.lista != lista)
            continue;
        const QString campo = QString::fromLatin1(r.campo);
        out << (*r.subinforme ? QString::fromLatin1(r.subinforme) + QLatin1Char('/') + campo : campo);
    }
    return out;
}

} // namespace slx::marco
