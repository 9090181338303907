#include "logs/Incidencias.h"

#include "base/ColumnasRegistro.h"
#include "base/TextFormats.h"

#include <QDate>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace slx::logs {

namespace {

QString texto(const QSqlQuery &q, const char *column)
{
    const QVariant v = q.value(QLatin1String(column));
    return v.isNull() ? QString() : v.toString();
}

QString fechaIso(const QVariant &v, const QString &formato)
{
    if (v.isNull())
        return QString();
    const QDate d = QDate::fromString(v.toString().left(10), Qt::ISODate);
    return d.isValid() ? d.toString(formato) : v.toString();
}

QString horaCorta(const QVariant &v)
{
    if (v.isNull())
        return QStringLiteral("00:00");
    const std::optional<QTime> t = horaFitxa(v.toString().trimmed());
    return t ? t->toString(QStringLiteral("hh:mm")) : v.toString();
}

} // namespace

Resultado<std::optional<FichaIncidencias>> leeFicha(const QSqlDatabase &db, qint32 serie)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT \"LNumeroSerie\", \"DFecha\", \"TLocal\", \"TVersion\", \"TTelefono\", "
                             "\"DFechaTotales\", \"THoraTotales\", \"LPasadasLocal\", \"LPasadasVecino\", \"LE3\", "
                             "\"LCB\" FROM \"Programacion\" WHERE \"LNumeroSerie\" = ?"));
    q.addBindValue(serie);
    if (!q.exec())
        return fallo(q.lastError().text());
    if (!q.next())
        return std::nullopt;
    FichaIncidencias f;
    f.serie = q.value(0).toInt();
    f.fecha = fechaIso(q.value(1), QStringLiteral("dd/MM/yy"));
    f.local = texto(q, "TLocal");
    f.version = texto(q, "TVersion");
    f.telefono = texto(q, "TTelefono");
    f.fechaTotales = fechaIso(q.value(5), QStringLiteral("dd/MM/yyyy"));
    f.horaTotales = texto(q, "THoraTotales");
    f.pasadasLocal = texto(q, "LPasadasLocal");
    f.pasadasVecino = texto(q, "LPasadasVecino");
    f.e3 = texto(q, "LE3");
    f.cb = texto(q, "LCB");
    return f;
}

Resultado<std::array<Inhabil, 30>> leeInhabiles(const QSqlDatabase &db, qint32 serie)
{
    std::array<Inhabil, 30> out = filasInhabilesVacias();
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT \"ByIntervalo\", \"TDiaEmpiezaInt\", \"THoraEmpiezaInt\", \"TDiaTerminaInt\", "
                             "\"THoraTerminaInt\" FROM \"IntervaloInhabil\" WHERE \"LNumeroSerie\" = ?"));
    q.addBindValue(serie);
    if (!q.exec())
        return fallo(q.lastError().text());
    while (q.next()) {
        const int slot = q.value(0).toInt();
        if (slot < 1 || slot > 30)
            continue;
        out[slot - 1] = {slot, q.value(1).toString(), horaCorta(q.value(2)), q.value(3).toString(),
                         horaCorta(q.value(4))};
    }
    return out;
}

QString tablaDe(Rejilla r)
{
    switch (r) {
    case Rejilla::Intervalos: return QStringLiteral("Intervalos");
    case Rejilla::Sesiones: return QStringLiteral("Sesiones");
    case Rejilla::Bateria: return QStringLiteral("DiaFinalBateria");
    case Rejilla::Borrat: return QStringLiteral("DiaBorrado");
    case Rejilla::Repro: return QStringLiteral("DiaReprogramado");
    }
    return QString();
}

namespace {

QVector<WindowedSqlModel::Orden> par(const QString &fecha, const QString &hora, bool desc)
{
    return {{fecha, desc}, {hora, desc}};
}

// A date and time pair of the log tables (Intervalos and Sesiones name them alike).
QVector<WindowedSqlModel::Orden> par(registro::Intervalo fecha, registro::Intervalo hora, bool desc)
{
    return par(registro::nombre(fecha), registro::nombre(hora), desc);
}

using registro::Intervalo;

} // namespace

QVector<WindowedSqlModel::Orden> ordenInicial(Rejilla r)
{
    if (r == Rejilla::Intervalos || r == Rejilla::Sesiones)
        return par(Intervalo::dFechaInicio, Intervalo::tHoraInicio, true);
    return par(QStringLiteral("DFecha"), QStringLiteral("THora"), true);
}

QVector<WindowedSqlModel::Orden> ordenCabecera(Rejilla r, int columna, const QString &campo, bool descendente)
{
    if (r != Rejilla::Intervalos && r != Rejilla::Sesiones)
        return par(QStringLiteral("DFecha"), QStringLiteral("THora"), descendente);
    const int maxima = r == Rejilla::Intervalos ? 15 : 16; // date and time of the one-minute maximum
    const int minima = r == Rejilla::Intervalos ? 18 : 19;
    if (columna >= 1 && columna <= 4)
        return par(Intervalo::dFechaInicio, Intervalo::tHoraInicio, descendente);
    if (columna == maxima || columna == maxima + 1)
        return par(Intervalo::tFechaMaxLeq1min, Intervalo::tHoraMaxLeq1min, descendente);
    if (columna == minima || columna == minima + 1)
        return par(Intervalo::tFechaMinLeq1min, Intervalo::tHoraMinLeq1min, descendente);
    if (campo.isEmpty())
        return {};
    return {{campo, descendente}};
}

bool fechaCaja(const QString &texto)
{
    if (!fechaFitxa(texto))
        return false;
    if (texto.left(2) == QLatin1String("00"))
        return false;
    return !(texto.mid(3, 2) > QLatin1String("12"));
}

} // namespace slx::logs
