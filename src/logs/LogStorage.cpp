#include "logs/LogStorage.h"

#include "base/TextFormats.h"
#include "base/TextoPropio.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QSqlError>
#include <QStringList>
#include <QTimer>
#include <QVariant>

namespace slx::logs {

namespace {

const QStringList kColumnasIntervalo = {"LNumeroSerie",
                                        "DFechaInicio",
                                        "THoraInicio",
                                        "DFechaFinal",
                                        "THoraFinal",
                                        "ByTLeq",
                                        "SLeqLocal",
                                        "SLeqVecino",
                                        "TTipoActuacionLocal",
                                        "TTipoActuacionVecino",
                                        "ByNivelLeqLocal",
                                        "ByNivelLeqVecino",
                                        "SMaxLeq1min",
                                        "TFechaMaxLeq1min",
                                        "THoraMaxLeq1min",
                                        "SMinLeq1min",
                                        "TFechaMinLeq1min",
                                        "THoraMinLeq1min",
                                        "SMaxFast",
                                        "ByNivelMFast",
                                        "IPasMaxFast",
                                        "SL1",
                                        "SL5",
                                        "SL10",
                                        "SL50",
                                        "SL90",
                                        "BoRS232",
                                        "BoProgramacion",
                                        "IDesco",
                                        "IPasadasLocal",
                                        "IPasadasVecino",
                                        "IE3",
                                        "ByDNA",
                                        "ByENA",
                                        "ByLineaInsuficiente"};
constexpr int kColumnasAntiguas = 32; // the layout before 3.0 carries no D.N.A. values

const QStringList kColumnasSesion = {"LNumeroSerie",
                                     "DFechaInicio",
                                     "THoraInicio",
                                     "DFechaFinal",
                                     "THoraFinal",
                                     "SLeq",
                                     "ByNivelDiaLocal",
                                     "ByNivelDiaVecino",
                                     "THoraInicioNoche",
                                     "THoraFinalNoche",
                                     "ByNivelNocheLocal",
                                     "ByNivelNocheVecino",
                                     "ITiempoAtenuacion",
                                     "LDesco",
                                     "LPasadasLocal",
                                     "LPasadasVecino",
                                     "LE3",
                                     "SMaxFast",
                                     "ByNivelMFast",
                                     "LPasMaxFast",
                                     "SMaxLeq1min",
                                     "TFechaMaxLeq1min",
                                     "THoraMaxLeq1min",
                                     "SMinLeq1min",
                                     "TFechaMinLeq1min",
                                     "THoraMinLeq1min",
                                     "SL1",
                                     "SL5",
                                     "SL10",
                                     "SL50",
                                     "SL90"};

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
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) ON CONFLICT (\"LNumeroSerie\", \"DFechaInicio\", "
                          "\"THoraInicio\") DO UPDATE SET %4")
        .arg(comillas(tabla), cols.join(QLatin1Char(',')), marcas.join(QLatin1Char(',')), sets.join(QLatin1Char(',')));
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

bool LogStorage::prepara(QSqlQuery &q, const std::function<QString()> &sql, QString *error)
{
    if (!q.lastQuery().isEmpty())
        return true;
    if (q.prepare(sql()))
        return true;
    if (error)
        *error = q.lastError().text();
    return false;
}

bool LogStorage::ejecuta(QSqlQuery &q, QString *error)
{
    const QDeadlineTimer limite(kEsperaOcupadaMs);
    for (;;) {
        if (q.exec())
            return true;
        const QSqlError e = q.lastError();
        if (!ocupada(e)) {
            if (error)
                *error = e.text();
            return false;
        }
        if (limite.hasExpired()) {
            if (error)
                *error = TextoPropio("Another program is using the database, so the record could not be stored and "
                                     "the download was stopped (what came before it is stored). Close the other "
                                     "program and receive again.");
            return false;
        }
        esperaConEventos(kPausaOcupadaMs);
    }
}

bool LogStorage::grabaTotales(qint32 serie, const Totales &t, const QDateTime &ara, QString *error)
{
    if (!prepara(
            m_totales,
            [] {
                return QStringLiteral("UPDATE \"Programacion\" SET \"DFechaTotales\" = ?, \"THoraTotales\" = ?, "
                                      "\"LPasadasLocal\" = ?, \"LPasadasVecino\" = ?, \"LE3\" = ?, \"LCB\" = ? "
                                      "WHERE \"LNumeroSerie\" = ?");
            },
            error))
        return false;
    m_totales.addBindValue(iso(ara.date()));
    m_totales.addBindValue(ara.time().toString(QStringLiteral("hh:mm:ss")));
    m_totales.addBindValue(t.pasadasLocal);
    m_totales.addBindValue(t.pasadasVecino);
    m_totales.addBindValue(t.e3);
    m_totales.addBindValue(t.cb);
    m_totales.addBindValue(serie);
    if (!ejecuta(m_totales, error))
        return false;
    if (m_totales.numRowsAffected() < 1) {
        if (error)
            *error = TextoPropio("No sheet of device %1").arg(serie);
        return false;
    }
    return true;
}

bool LogStorage::grabaEvento(qint32 serie, const Evento &e, QString *error)
{
    static const char *const tablas[3] = {"DiaBorrado", "DiaFinalBateria", "DiaReprogramado"};
    QSqlQuery &q = m_eventos[int(e.lista)];
    if (!prepara(
            q,
            [&] {
                return QStringLiteral("INSERT INTO \"%1\" (\"LNumeroSerie\", \"DFecha\", \"THora\") VALUES (?, ?, ?) "
                                      "ON CONFLICT DO NOTHING")
                    .arg(QLatin1String(tablas[int(e.lista)]));
            },
            error))
        return false;
    q.addBindValue(serie);
    q.addBindValue(iso(e.fecha));
    q.addBindValue(e.hora);
    return ejecuta(q, error);
}

bool LogStorage::grabaIntervalo(qint32 serie, const RegistroIntervalo &r, QString *error)
{
    const bool completo = r.byDNA.has_value();
    QSqlQuery &q = completo ? m_intervalo : m_intervaloAntiguo;
    if (!prepara(
            q,
            [completo] {
                return upsert(QStringLiteral("Intervalos"),
                              completo ? kColumnasIntervalo : kColumnasIntervalo.mid(0, kColumnasAntiguas));
            },
            error))
        return false;
    const QVariant valores[] = {serie,
                                iso(r.dFechaInicio),
                                r.tHoraInicio,
                                iso(r.dFechaFinal),
                                r.tHoraFinal,
                                r.byTLeq,
                                r.sLeqLocal,
                                r.sLeqVecino,
                                r.tTipoActuacionLocal,
                                r.tTipoActuacionVecino,
                                r.byNivelLeqLocal,
                                r.byNivelLeqVecino,
                                r.sMaxLeq1min,
                                r.tFechaMaxLeq1min,
                                r.tHoraMaxLeq1min,
                                r.sMinLeq1min,
                                r.tFechaMinLeq1min,
                                r.tHoraMinLeq1min,
                                r.sMaxFast,
                                r.byNivelMFast,
                                r.iPasMaxFast,
                                r.sL[0],
                                r.sL[1],
                                r.sL[2],
                                r.sL[3],
                                r.sL[4],
                                booleano(r.boRS232),
                                booleano(r.boProgramacion),
                                r.iDesco,
                                r.iPasadasLocal,
                                r.iPasadasVecino,
                                r.iE3};
    int i = 0;
    for (const QVariant &v : valores)
        q.bindValue(i++, v);
    if (completo) {
        q.bindValue(i++, *r.byDNA);
        q.bindValue(i++, r.byENA.value_or(255));
        q.bindValue(i++, r.byLineaInsuficiente.value_or(255));
    }
    return ejecuta(q, error);
}

bool LogStorage::grabaSesion(qint32 serie, const RegistroSesion &r, QString *error)
{
    if (!prepara(
            m_sesion, [] { return upsert(QStringLiteral("Sesiones"), kColumnasSesion); }, error))
        return false;
    const QVariant valores[] = {serie,
                                iso(r.dFechaInicio),
                                r.tHoraInicio,
                                iso(r.dFechaFinal),
                                r.tHoraFinal,
                                r.sLeq,
                                r.byNivelDiaLocal,
                                r.byNivelDiaVecino,
                                r.tHoraInicioNoche,
                                r.tHoraFinalNoche,
                                r.byNivelNocheLocal,
                                r.byNivelNocheVecino,
                                r.iTiempoAtenuacion,
                                r.lDesco,
                                r.lPasadasLocal,
                                r.lPasadasVecino,
                                r.lE3,
                                r.sMaxFast,
                                r.byNivelMFast,
                                r.lPasMaxFast,
                                r.sMaxLeq1min,
                                r.tFechaMaxLeq1min,
                                r.tHoraMaxLeq1min,
                                r.sMinLeq1min,
                                r.tFechaMinLeq1min,
                                r.tHoraMinLeq1min,
                                r.sL[0],
                                r.sL[1],
                                r.sL[2],
                                r.sL[3],
                                r.sL[4]};
    int i = 0;
    for (const QVariant &v : valores)
        m_sesion.bindValue(i++, v);
    return ejecuta(m_sesion, error);
}

bool LogStorage::escribeDescarga(qint32 serie, const QDateTime &inicio, const char *alExistir, QString *error)
{
    if (!inicio.isValid())
        return true;
    QSqlQuery crea(m_db);
    crea.prepare(QStringLiteral("CREATE TABLE IF NOT EXISTS \"%1\" (\"Serial\" INTEGER PRIMARY KEY, "
                                "\"NewestStart\" TEXT NOT NULL)")
                     .arg(QLatin1String(kTablaDescargas)));
    if (!ejecuta(crea, error))
        return false;
    QSqlQuery q(m_db);
    q.prepare(
        QStringLiteral("INSERT INTO \"%1\" (\"Serial\", \"NewestStart\") VALUES (?, ?) ON CONFLICT (\"Serial\") %2")
            .arg(QLatin1String(kTablaDescargas), QLatin1String(alExistir)));
    q.addBindValue(serie);
    q.addBindValue(textoMinuto(inicio));
    return ejecuta(q, error);
}

bool LogStorage::beginDownload(qint32 serie, const QDateTime &periodStart, QString *error)
{
    return escribeDescarga(serie, periodStart, "DO NOTHING", error);
}

bool LogStorage::completeDownload(qint32 serie, const QDateTime &newestStart, QString *error)
{
    return escribeDescarga(serie, newestStart,
                           "DO UPDATE SET \"NewestStart\" = max(\"NewestStart\", excluded.\"NewestStart\")", error);
}

std::optional<QDateTime> intervaloMasReciente(QSqlDatabase db, qint32 serie)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT \"DFechaInicio\", \"THoraInicio\" FROM \"Intervalos\" WHERE \"LNumeroSerie\" = ? "
                             "ORDER BY \"DFechaInicio\" DESC, \"THoraInicio\" DESC LIMIT 1"));
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
