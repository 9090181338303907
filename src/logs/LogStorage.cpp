#include "logs/LogStorage.h"

#include "base/ColumnasRegistro.h"
#include "base/TextFormats.h"
#include "base/TextoPropio.h"
#include "logs/FormasRegistro.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QSqlError>
#include <QStringList>
#include <QTimer>
#include <QVariant>
#include <array>

namespace slx::logs {

namespace {

using registro::Intervalo;
using registro::Sesion;

QString comillas(const QString &id)
{
    return QLatin1Char('"') + id + QLatin1Char('"');
}

// INSERT of the columns that, on a row of the same key, updates every column but the key.
QString upsert(const QString &tabla, const QStringList &columnas)
{
    QStringList cols, marcas, sets;
    for (const QString &c : columnas) {
        cols << comillas(c);
        marcas << QStringLiteral("?");
    }
    for (int i = 3; i < columnas.size(); ++i)
        sets << comillas(columnas[i]) + QStringLiteral(" = excluded.") + comillas(columnas[i]);
    // The key: the first three columns, alike in both tables.
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) ON CONFLICT (%5) DO UPDATE SET %4")
        .arg(comillas(tabla), cols.join(QLatin1Char(',')), marcas.join(QLatin1Char(',')), sets.join(QLatin1Char(',')),
             cols.mid(0, 3).join(QLatin1String(", ")));
}

QString iso(const QDate &d)
{
    return d.toString(Qt::ISODate);
}

int booleano(bool b)
{
    return b ? -1 : 0;
}

// SQLite's "busy" and "locked": another connection holds the file.
bool ocupada(const QSqlError &e)
{
    bool ok = false;
    const int codigo = e.nativeErrorCode().toInt(&ok) & 0xFF;
    return ok && (codigo == 5 || codigo == 6);
}

// Lets window events run for ms (the window keeps painting, Stop stays live).
void esperaConEventos(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// How long one statement blocks inside SQLite before it reports the file busy, while
// a storage lives: the rest of the wait runs with window events.
constexpr int kBloqueoMs = 20;
constexpr int kPausaOcupadaMs = 50;

const char *const kTablaDescargas = "CompletedDownload";

QString textoMinuto(const QDateTime &t)
{
    return t.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

} // namespace

LogStorage::LogStorage(QSqlDatabase db)
    : m_db(db)
    , m_totales(db)
    , m_eventos{QSqlQuery(db), QSqlQuery(db), QSqlQuery(db)}
    , m_intervalo(db)
    , m_intervaloAntiguo(db)
    , m_sesion(db)
{
    QSqlQuery q(m_db);
    if (q.exec(QStringLiteral("PRAGMA busy_timeout")) && q.next()) {
        m_busyTimeout = q.value(0).toInt();
        q.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(kBloqueoMs));
    }
}

LogStorage::~LogStorage()
{
    if (m_busyTimeout >= 0 && m_db.isOpen())
        QSqlQuery(m_db).exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(m_busyTimeout));
}

Resultado<> LogStorage::prepara(QSqlQuery &q, const std::function<QString()> &sql)
{
    if (!q.lastQuery().isEmpty())
        return {};
    if (q.prepare(sql()))
        return {};
    return fallo(q.lastError().text());
}

Resultado<> LogStorage::ejecuta(QSqlQuery &q)
{
    const QDeadlineTimer limite(kEsperaOcupadaMs);
    for (;;) {
        if (q.exec())
            return {};
        const QSqlError e = q.lastError();
        if (!ocupada(e))
            return fallo(e.text());
        if (limite.hasExpired()) {
            return fallo(TextoPropio("Another program is using the database, so the record could not be stored and "
                                     "the download was stopped (what came before it is stored). Close the other "
                                     "program and receive again."));
        }
        esperaConEventos(kPausaOcupadaMs);
    }
}

Resultado<> LogStorage::grabaTotales(qint32 serie, const Totales &t, const QDateTime &ara)
{
    if (auto p = prepara(m_totales,
                         [] {
                             return QStringLiteral(
                                 "UPDATE \"Programacion\" SET \"DFechaTotales\" = ?, \"THoraTotales\" = ?, "
                                 "\"LPasadasLocal\" = ?, \"LPasadasVecino\" = ?, \"LE3\" = ?, \"LCB\" = ? "
                                 "WHERE \"LNumeroSerie\" = ?");
                         });
        !p)
        return p;
    m_totales.addBindValue(iso(ara.date()));
    m_totales.addBindValue(ara.time().toString(QStringLiteral("hh:mm:ss")));
    m_totales.addBindValue(t.pasadasLocal);
    m_totales.addBindValue(t.pasadasVecino);
    m_totales.addBindValue(t.e3);
    m_totales.addBindValue(t.cb);
    m_totales.addBindValue(serie);
    if (auto e = ejecuta(m_totales); !e)
        return e;
    if (m_totales.numRowsAffected() < 1)
        return fallo(TextoPropio("No sheet of device %1").arg(serie));
    return {};
}

Resultado<> LogStorage::grabaEvento(qint32 serie, const Evento &e)
{
    static const char *const tablas[3] = {"DiaBorrado", "DiaFinalBateria", "DiaReprogramado"};
    QSqlQuery &q = m_eventos[int(e.lista)];
    if (auto p = prepara(q,
                         [&] {
                             return QStringLiteral(
                                        "INSERT INTO \"%1\" (\"LNumeroSerie\", \"DFecha\", \"THora\") VALUES (?, ?, ?) "
                                        "ON CONFLICT DO NOTHING")
                                 .arg(QLatin1String(tablas[int(e.lista)]));
                         });
        !p)
        return p;
    q.addBindValue(serie);
    q.addBindValue(iso(e.fecha));
    q.addBindValue(textoHoraEvento(e.hora));
    return ejecuta(q);
}

Resultado<> LogStorage::grabaIntervalo(qint32 serie, const RegistroIntervalo &r)
{
    const bool completo = r.byDNA.has_value();
    QSqlQuery &q = completo ? m_intervalo : m_intervaloAntiguo;
    if (auto p = prepara(q,
                         [completo] {
                             return upsert(QStringLiteral("Intervalos"),
                                           registro::nombresIntervalo(completo ? registro::kColumnasIntervalo
                                                                               : registro::kColumnasIntervaloAntiguo));
                         });
        !p)
        return p;
    // Each value goes to its column's place, whatever the order of the lines below.
    std::array<QVariant, registro::kColumnasIntervalo> v;
    const auto en = [&v](Intervalo c) -> QVariant & { return v[std::size_t(c)]; };
    en(Intervalo::lNumeroSerie) = serie;
    en(Intervalo::dFechaInicio) = iso(r.inicio.date());
    en(Intervalo::tHoraInicio) = textoHoraMinuto(r.inicio.time());
    en(Intervalo::dFechaFinal) = iso(r.fin.date());
    en(Intervalo::tHoraFinal) = textoHoraMinuto(r.fin.time());
    en(Intervalo::byTLeq) = r.byTLeq;
    en(Intervalo::sLeqLocal) = r.sLeqLocal;
    en(Intervalo::sLeqVecino) = r.sLeqVecino;
    en(Intervalo::tTipoActuacionLocal) = textoActuacionLocal(r.actuacionLocal);
    en(Intervalo::tTipoActuacionVecino) = textoActuacionVecino(r.actuacionVecino);
    en(Intervalo::byNivelLeqLocal) = r.byNivelLeqLocal;
    en(Intervalo::byNivelLeqVecino) = r.byNivelLeqVecino;
    en(Intervalo::sMaxLeq1min) = r.sMaxLeq1min;
    en(Intervalo::tFechaMaxLeq1min) = textoFechaLarga(r.momentoMaxLeq1min.date());
    en(Intervalo::tHoraMaxLeq1min) = textoHoraMinuto(r.momentoMaxLeq1min.time());
    en(Intervalo::sMinLeq1min) = r.sMinLeq1min;
    en(Intervalo::tFechaMinLeq1min) = textoFechaLarga(r.momentoMinLeq1min.date());
    en(Intervalo::tHoraMinLeq1min) = textoHoraMinuto(r.momentoMinLeq1min.time());
    en(Intervalo::sMaxFast) = r.sMaxFast;
    en(Intervalo::byNivelMFast) = r.byNivelMFast;
    en(Intervalo::iPasMaxFast) = r.iPasMaxFast;
    en(Intervalo::sL1) = r.sL[0];
    en(Intervalo::sL5) = r.sL[1];
    en(Intervalo::sL10) = r.sL[2];
    en(Intervalo::sL50) = r.sL[3];
    en(Intervalo::sL90) = r.sL[4];
    en(Intervalo::boRS232) = booleano(r.boRS232);
    en(Intervalo::boProgramacion) = booleano(r.boProgramacion);
    en(Intervalo::iDesco) = r.iDesco;
    en(Intervalo::iPasadasLocal) = r.iPasadasLocal;
    en(Intervalo::iPasadasVecino) = r.iPasadasVecino;
    en(Intervalo::iE3) = r.iE3;
    if (completo) {
        en(Intervalo::byDNA) = *r.byDNA;
        en(Intervalo::byENA) = r.byENA.value_or(255);
        en(Intervalo::byLineaInsuficiente) = r.byLineaInsuficiente.value_or(255);
    }
    const int n = completo ? registro::kColumnasIntervalo : registro::kColumnasIntervaloAntiguo;
    for (int i = 0; i < n; ++i)
        q.bindValue(i, v[std::size_t(i)]);
    return ejecuta(q);
}

Resultado<> LogStorage::grabaSesion(qint32 serie, const RegistroSesion &r)
{
    if (auto p = prepara(m_sesion, [] { return upsert(QStringLiteral("Sesiones"), registro::nombresSesion()); }); !p)
        return p;
    std::array<QVariant, registro::kColumnasSesion> v;
    const auto en = [&v](Sesion c) -> QVariant & { return v[std::size_t(c)]; };
    en(Sesion::lNumeroSerie) = serie;
    en(Sesion::dFechaInicio) = iso(r.inicio.date());
    en(Sesion::tHoraInicio) = textoHoraMinuto(r.inicio.time());
    en(Sesion::dFechaFinal) = iso(r.fin.date());
    en(Sesion::tHoraFinal) = textoHoraMinuto(r.fin.time());
    en(Sesion::sLeq) = r.sLeq;
    en(Sesion::byNivelDiaLocal) = r.byNivelDiaLocal;
    en(Sesion::byNivelDiaVecino) = r.byNivelDiaVecino;
    en(Sesion::tHoraInicioNoche) = textoHoraNoche(r.horaInicioNoche);
    en(Sesion::tHoraFinalNoche) = textoHoraNoche(r.horaFinalNoche);
    en(Sesion::byNivelNocheLocal) = r.byNivelNocheLocal;
    en(Sesion::byNivelNocheVecino) = r.byNivelNocheVecino;
    en(Sesion::iTiempoAtenuacion) = r.iTiempoAtenuacion;
    en(Sesion::lDesco) = r.lDesco;
    en(Sesion::lPasadasLocal) = r.lPasadasLocal;
    en(Sesion::lPasadasVecino) = r.lPasadasVecino;
    en(Sesion::lE3) = r.lE3;
    en(Sesion::sMaxFast) = r.sMaxFast;
    en(Sesion::byNivelMFast) = r.byNivelMFast;
    en(Sesion::lPasMaxFast) = r.lPasMaxFast;
    en(Sesion::sMaxLeq1min) = r.sMaxLeq1min;
    en(Sesion::tFechaMaxLeq1min) = textoFechaLarga(r.momentoMaxLeq1min.date());
    en(Sesion::tHoraMaxLeq1min) = textoHoraMinuto(r.momentoMaxLeq1min.time());
    en(Sesion::sMinLeq1min) = r.sMinLeq1min;
    en(Sesion::tFechaMinLeq1min) = textoFechaLarga(r.momentoMinLeq1min.date());
    en(Sesion::tHoraMinLeq1min) = textoHoraMinuto(r.momentoMinLeq1min.time());
    en(Sesion::sL1) = r.sL[0];
    en(Sesion::sL5) = r.sL[1];
    en(Sesion::sL10) = r.sL[2];
    en(Sesion::sL50) = r.sL[3];
    en(Sesion::sL90) = r.sL[4];
    for (int i = 0; i < registro::kColumnasSesion; ++i)
        m_sesion.bindValue(i, v[std::size_t(i)]);
    return ejecuta(m_sesion);
}

Resultado<> LogStorage::escribeDescarga(qint32 serie, const QDateTime &inicio, const char *alExistir)
{
    if (!inicio.isValid())
        return {};
    QSqlQuery crea(m_db);
    crea.prepare(QStringLiteral("CREATE TABLE IF NOT EXISTS \"%1\" (\"Serial\" INTEGER PRIMARY KEY, "
                                "\"NewestStart\" TEXT NOT NULL)")
                     .arg(QLatin1String(kTablaDescargas)));
    if (auto e = ejecuta(crea); !e)
        return e;
    QSqlQuery q(m_db);
    q.prepare(
        QStringLiteral("INSERT INTO \"%1\" (\"Serial\", \"NewestStart\") VALUES (?, ?) ON CONFLICT (\"Serial\") %2")
            .arg(QLatin1String(kTablaDescargas), QLatin1String(alExistir)));
    q.addBindValue(serie);
    q.addBindValue(textoMinuto(inicio));
    return ejecuta(q);
}

Resultado<> LogStorage::beginDownload(qint32 serie, const QDateTime &periodStart)
{
    return escribeDescarga(serie, periodStart, "DO NOTHING");
}

Resultado<> LogStorage::completeDownload(qint32 serie, const QDateTime &newestStart)
{
    return escribeDescarga(serie, newestStart,
                           "DO UPDATE SET \"NewestStart\" = max(\"NewestStart\", excluded.\"NewestStart\")");
}

std::optional<QDateTime> intervaloMasReciente(QSqlDatabase db, qint32 serie)
{
    QSqlQuery q(db);
    const QString fecha = comillas(registro::nombre(registro::Intervalo::dFechaInicio));
    const QString hora = comillas(registro::nombre(registro::Intervalo::tHoraInicio));
    q.prepare(QStringLiteral("SELECT %1, %2 FROM \"Intervalos\" WHERE \"LNumeroSerie\" = ? "
                             "ORDER BY %1 DESC, %2 DESC LIMIT 1")
                  .arg(fecha, hora));
    q.addBindValue(serie);
    if (!q.exec() || !q.next())
        return std::nullopt;
    const QDate d = QDate::fromString(q.value(0).toString(), Qt::ISODate);
    const auto t = horaFitxa(q.value(1).toString());
    if (!d.isValid())
        return std::nullopt;
    return QDateTime(d, t.value_or(QTime(0, 0)), Qt::UTC);
}

std::optional<QDateTime> completedDownloadStart(QSqlDatabase db, qint32 serie)
{
    QSqlQuery q(db);
    q.prepare(
        QStringLiteral("SELECT \"NewestStart\" FROM \"%1\" WHERE \"Serial\" = ?").arg(QLatin1String(kTablaDescargas)));
    q.addBindValue(serie);
    if (!q.exec() || !q.next()) // no such table yet: no download kept
        return std::nullopt;
    QDateTime t = QDateTime::fromString(q.value(0).toString(), QStringLiteral("yyyy-MM-dd HH:mm"));
    if (!t.isValid())
        return std::nullopt;
    t.setTimeSpec(Qt::UTC);
    return t;
}

std::optional<QDateTime> proposedStart(QSqlDatabase db, qint32 serie)
{
    const auto newest = intervaloMasReciente(db, serie);
    if (!newest)
        return std::nullopt;
    if (const auto kept = completedDownloadStart(db, serie))
        return kept;
    return newest;
}

} // namespace slx::logs
