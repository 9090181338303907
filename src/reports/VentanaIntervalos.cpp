#include "reports/VentanaIntervalos.h"

#include <QSqlError>
#include <QVariant>
#include <cmath>
#include <limits>

namespace slx::graficas {

namespace {

// The rows of one device in the order of the table's key, which its index serves: the
// reads below step through the index, never through a sort.
const char kColumnas[] =
    "SELECT DFechaInicio, THoraInicio, THoraFinal, ByTLeq, SLeqLocal, SLeqVecino, SMaxFast, SMaxLeq1min, "
    "SMinLeq1min, ByNivelLeqLocal, ByNivelLeqVecino, ByNivelMFast, SL1, SL5, SL10, SL50, SL90, IDesco, "
    "IPasadasLocal, IPasadasVecino, IE3, IPasMaxFast, ByLineaInsuficiente, ByDNA, ByENA FROM Intervalos ";
const char kOrden[] = " ORDER BY DFechaInicio, THoraInicio";

double nivel(const QVariant &v)
{
    return v.isNull() ? std::numeric_limits<double>::quiet_NaN() : v.toDouble();
}

FilaIntervalo fila(const QSqlQuery &q)
{
    FilaIntervalo f;
    f.fechaInicio = q.value(0).toString();
    f.horaInicio = q.value(1).toString();
    f.horaFinal = q.value(2).toString();
    f.tLeq = q.value(3).toInt();
    f.leqLocal = nivel(q.value(4));
    f.leqVecino = nivel(q.value(5));
    f.maxFast = nivel(q.value(6));
    f.maxLeq1 = nivel(q.value(7));
    f.minLeq1 = nivel(q.value(8));
    f.nivelLeqLocal = q.value(9).toInt();
    f.nivelLeqVecino = q.value(10).toInt();
    f.nivelMFast = q.value(11).toInt();
    f.l1 = nivel(q.value(12));
    f.l5 = nivel(q.value(13));
    f.l10 = nivel(q.value(14));
    f.l50 = nivel(q.value(15));
    f.l90 = nivel(q.value(16));
    f.desco = qint16(q.value(17).toInt());
    f.pasadasLocal = qint16(q.value(18).toInt());
    f.pasadasVecino = qint16(q.value(19).toInt());
    f.e3 = qint16(q.value(20).toInt());
    f.pasMaxFast = qint16(q.value(21).toInt());
    f.lineaInsuficiente = quint8(q.value(22).toInt());
    f.dna = quint8(q.value(23).toInt());
    f.ena = quint8(q.value(24).toInt());
    return f;
}

QString descripcion(const QSqlQuery &q)
{
    return q.lastError().text();
}

} // namespace

VentanaIntervalos::VentanaIntervalos(int pasoMarcas)
    : m_paso(qMax(pasoMarcas, kPuntos))
{
}

bool VentanaIntervalos::prepara(QSqlQuery &q, const QString &sql, QString *error)
{
    q = QSqlQuery(m_db);
    q.setForwardOnly(true);
    if (q.prepare(sql))
        return true;
    if (error)
        *error = descripcion(q);
    return false;
}

bool VentanaIntervalos::abre(const QSqlDatabase &db, qint32 serial, QString *error)
{
    m_db = db;
    m_serial = serial;
    m_abierta = false;
    m_total = 0;
    m_marcas.clear();

    // The first checkpoint is counted from the start, so that rows whose key holds a NULL
    // (they sort first) never become a bound; every next one from the one before it.
    QSqlQuery primera(m_db), siguiente(m_db), resto(m_db);
    for (QSqlQuery *q : {&primera, &siguiente, &resto})
        q->setForwardOnly(true);
    if (!primera.prepare(QStringLiteral("SELECT DFechaInicio, THoraInicio FROM Intervalos WHERE LNumeroSerie = ?") +
                         QLatin1String(kOrden) + QStringLiteral(" LIMIT 1 OFFSET ?")) ||
        !siguiente.prepare(QStringLiteral("SELECT DFechaInicio, THoraInicio FROM Intervalos WHERE LNumeroSerie = ? "
                                          "AND (DFechaInicio, THoraInicio) > (?, ?)") +
                           QLatin1String(kOrden) + QStringLiteral(" LIMIT 1 OFFSET ?"))) {
        if (error)
            *error = descripcion(primera.lastError().isValid() ? primera : siguiente);
        return false;
    }
    primera.addBindValue(serial);
    primera.addBindValue(m_paso);
    if (!primera.exec()) {
        if (error)
            *error = descripcion(primera);
        return false;
    }
    if (primera.next()) {
        m_marcas.append({primera.value(0).toString(), primera.value(1).toString()});
        for (;;) {
            const Clave &ultima = m_marcas.constLast();
            siguiente.addBindValue(serial);
            siguiente.addBindValue(ultima.fecha);
            siguiente.addBindValue(ultima.hora);
            siguiente.addBindValue(m_paso - 1);
            if (!siguiente.exec()) {
                if (error)
                    *error = descripcion(siguiente);
                return false;
            }
            if (!siguiente.next())
                break;
            m_marcas.append({siguiente.value(0).toString(), siguiente.value(1).toString()});
        }
    }
    primera.finish();
    siguiente.finish();

    // The rows from the last checkpoint on.
    if (m_marcas.isEmpty()) {
        resto.prepare(QStringLiteral("SELECT COUNT(*) FROM Intervalos WHERE LNumeroSerie = ?"));
        resto.addBindValue(serial);
    } else {
        resto.prepare(QStringLiteral("SELECT COUNT(*) FROM Intervalos WHERE LNumeroSerie = ? "
                                     "AND (DFechaInicio, THoraInicio) >= (?, ?)"));
        resto.addBindValue(serial);
        resto.addBindValue(m_marcas.constLast().fecha);
        resto.addBindValue(m_marcas.constLast().hora);
    }
    if (!resto.exec() || !resto.next()) {
        if (error)
            *error = descripcion(resto);
        return false;
    }
    m_total = qint64(m_marcas.size()) * m_paso + resto.value(0).toLongLong();

    if (!prepara(m_desdeInicio,
                 QLatin1String(kColumnas) + QStringLiteral("WHERE LNumeroSerie = ?") + QLatin1String(kOrden) +
                     QStringLiteral(" LIMIT %1 OFFSET ?").arg(kPuntos),
                 error) ||
        !prepara(m_desdeMarca,
                 QLatin1String(kColumnas) +
                     QStringLiteral("WHERE LNumeroSerie = ? AND (DFechaInicio, THoraInicio) >= (?, ?)") +
                     QLatin1String(kOrden) + QStringLiteral(" LIMIT %1 OFFSET ?").arg(kPuntos),
                 error))
        return false;
    m_abierta = true;
    return true;
}

bool VentanaIntervalos::lee(qint64 primera, QVector<FilaIntervalo> *filas, QString *error)
{
    filas->clear();
    if (!m_abierta || m_total == 0)
        return m_abierta;
    primera = qMax<qint64>(0, primera);
    if (primera >= m_total)
        return true;
    const qint64 marca = primera / m_paso;
    QSqlQuery &q = marca == 0 ? m_desdeInicio : m_desdeMarca;
    q.addBindValue(m_serial);
    if (marca > 0) {
        const Clave &c = m_marcas.at(marca - 1);
        q.addBindValue(c.fecha);
        q.addBindValue(c.hora);
    }
    q.addBindValue(primera % m_paso);
    if (!q.exec()) {
        if (error)
            *error = descripcion(q);
        return false;
    }
    filas->reserve(kPuntos);
    while (q.next())
        filas->append(fila(q));
    q.finish();
    return true;
}

} // namespace slx::graficas
