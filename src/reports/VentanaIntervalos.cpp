#include "reports/VentanaIntervalos.h"

#include "base/ColumnasRegistro.h"

#include <QSqlError>
#include <QVariant>
#include <array>
#include <cmath>
#include <limits>

namespace slx::graficas {

namespace {

using registro::Intervalo;
using enum registro::Intervalo;

// The columns the charts read, in the SELECT's order; a value is read at its column's
// position in this list.
constexpr std::array kLeidas = {dFechaInicio,
                                tHoraInicio,
                                tHoraFinal,
                                byTLeq,
                                sLeqLocal,
                                sLeqVecino,
                                sMaxFast,
                                sMaxLeq1min,
                                sMinLeq1min,
                                byNivelLeqLocal,
                                byNivelLeqVecino,
                                byNivelMFast,
                                sL1,
                                sL5,
                                sL10,
                                sL50,
                                sL90,
                                iDesco,
                                iPasadasLocal,
                                iPasadasVecino,
                                iE3,
                                iPasMaxFast,
                                byLineaInsuficiente,
                                byDNA,
                                byENA};

QString col(Intervalo c)
{
    return registro::nombre(c);
}

// The rows of one device in the order of the table's key, which its index serves: the
// reads below step through the index, never through a sort.
QString columnas()
{
    return QStringLiteral("SELECT %1 FROM Intervalos ").arg(registro::lista(kLeidas));
}

QString orden()
{
    return QStringLiteral(" ORDER BY %1, %2").arg(col(dFechaInicio), col(tHoraInicio));
}

// The device's rows from a key on.
QString desdeClave(const char *comparacion)
{
    return QStringLiteral("WHERE %1 = ? AND (%2, %3) %4 (?, ?)")
        .arg(col(lNumeroSerie), col(dFechaInicio), col(tHoraInicio), QLatin1String(comparacion));
}

QString delAparato()
{
    return QStringLiteral("WHERE %1 = ?").arg(col(lNumeroSerie));
}

double nivel(const QVariant &v)
{
    return v.isNull() ? std::numeric_limits<double>::quiet_NaN() : v.toDouble();
}

FilaIntervalo fila(const QSqlQuery &q)
{
    const auto v = [&q](Intervalo c) { return q.value(registro::posicion(kLeidas, c)); };
    FilaIntervalo f;
    f.fechaInicio = v(dFechaInicio).toString();
    f.horaInicio = v(tHoraInicio).toString();
    f.horaFinal = v(tHoraFinal).toString();
    f.tLeq = v(byTLeq).toInt();
    f.leqLocal = nivel(v(sLeqLocal));
    f.leqVecino = nivel(v(sLeqVecino));
    f.maxFast = nivel(v(sMaxFast));
    f.maxLeq1 = nivel(v(sMaxLeq1min));
    f.minLeq1 = nivel(v(sMinLeq1min));
    f.nivelLeqLocal = v(byNivelLeqLocal).toInt();
    f.nivelLeqVecino = v(byNivelLeqVecino).toInt();
    f.nivelMFast = v(byNivelMFast).toInt();
    f.l1 = nivel(v(sL1));
    f.l5 = nivel(v(sL5));
    f.l10 = nivel(v(sL10));
    f.l50 = nivel(v(sL50));
    f.l90 = nivel(v(sL90));
    f.desco = qint16(v(iDesco).toInt());
    f.pasadasLocal = qint16(v(iPasadasLocal).toInt());
    f.pasadasVecino = qint16(v(iPasadasVecino).toInt());
    f.e3 = qint16(v(iE3).toInt());
    f.pasMaxFast = qint16(v(iPasMaxFast).toInt());
    f.lineaInsuficiente = quint8(v(byLineaInsuficiente).toInt());
    f.dna = quint8(v(byDNA).toInt());
    f.ena = quint8(v(byENA).toInt());
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

Resultado<> VentanaIntervalos::prepara(QSqlQuery &q, const QString &sql)
{
    q = QSqlQuery(m_db);
    q.setForwardOnly(true);
    if (q.prepare(sql))
        return {};
    return fallo(descripcion(q));
}

Resultado<> VentanaIntervalos::abre(const QSqlDatabase &db, qint32 serial)
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
    const QString clave = QStringLiteral("SELECT %1, %2 FROM Intervalos ").arg(col(dFechaInicio), col(tHoraInicio));
    if (!primera.prepare(clave + delAparato() + orden() + QStringLiteral(" LIMIT 1 OFFSET ?")) ||
        !siguiente.prepare(clave + desdeClave(">") + orden() + QStringLiteral(" LIMIT 1 OFFSET ?"))) {
        return fallo(descripcion(primera.lastError().isValid() ? primera : siguiente));
    }
    primera.addBindValue(serial);
    primera.addBindValue(m_paso);
    if (!primera.exec())
        return fallo(descripcion(primera));
    if (primera.next()) {
        m_marcas.append({primera.value(0).toString(), primera.value(1).toString()});
        for (;;) {
            const Clave &ultima = m_marcas.constLast();
            siguiente.addBindValue(serial);
            siguiente.addBindValue(ultima.fecha);
            siguiente.addBindValue(ultima.hora);
            siguiente.addBindValue(m_paso - 1);
            if (!siguiente.exec())
                return fallo(descripcion(siguiente));
            if (!siguiente.next())
                break;
            m_marcas.append({siguiente.value(0).toString(), siguiente.value(1).toString()});
        }
    }
    primera.finish();
    siguiente.finish();

    // The rows from the last checkpoint on.
    if (m_marcas.isEmpty()) {
        resto.prepare(QStringLiteral("SELECT COUNT(*) FROM Intervalos ") + delAparato());
        resto.addBindValue(serial);
    } else {
        resto.prepare(QStringLiteral("SELECT COUNT(*) FROM Intervalos ") + desdeClave(">="));
        resto.addBindValue(serial);
        resto.addBindValue(m_marcas.constLast().fecha);
        resto.addBindValue(m_marcas.constLast().hora);
    }
    if (!resto.exec() || !resto.next())
        return fallo(descripcion(resto));
    m_total = qint64(m_marcas.size()) * m_paso + resto.value(0).toLongLong();

    if (auto p = prepara(m_desdeInicio,
                         columnas() + delAparato() + orden() + QStringLiteral(" LIMIT %1 OFFSET ?").arg(kPuntos));
        !p)
        return p;
    if (auto p = prepara(m_desdeMarca,
                         columnas() + desdeClave(">=") + orden() + QStringLiteral(" LIMIT %1 OFFSET ?").arg(kPuntos));
        !p)
        return p;
    m_abierta = true;
    return {};
}

Resultado<QVector<FilaIntervalo>> VentanaIntervalos::lee(qint64 primera)
{
    QVector<FilaIntervalo> filas;
    if (!m_abierta) // a window that failed to open (or never did) reads nothing, with no description
        return fallo(QString());
    if (m_total == 0)
        return filas;
    primera = qMax<qint64>(0, primera);
    if (primera >= m_total)
        return filas;
    const qint64 marca = primera / m_paso;
    QSqlQuery &q = marca == 0 ? m_desdeInicio : m_desdeMarca;
    q.addBindValue(m_serial);
    if (marca > 0) {
        const Clave &c = m_marcas.at(marca - 1);
        q.addBindValue(c.fecha);
        q.addBindValue(c.hora);
    }
    q.addBindValue(primera % m_paso);
    if (!q.exec())
        return fallo(descripcion(q));
    filas.reserve(kPuntos);
    while (q.next())
        filas.append(fila(q));
    q.finish();
    return filas;
}

} // namespace slx::graficas
