#pragma once
// A database for the reports window: device 100001 (firmware 4.1) with seven intervals
// and four sessions around 20/01/2023 carrying the special stored values, event dates
// and one disabled interval; device 200002 (firmware 2.9) with one interval; device
// 300003 without intervals.
//
// Intervals of 100001, oldest first (row: start):
//   0: 2023-01-19 23:45   1: 2023-01-20 10:00   2: 10:15   3: 10:30   4: 10:45
//   5: 2023-01-20 11:00   6: 2023-01-21 00:00
// Sessions of 100001: 2023-01-19 23:45, 2023-01-20 10:00, 2023-01-20 11:00, 2023-01-21 00:00.

#include "base/Modulo1.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace reportsfixture {

inline bool exec(const QString &sql, const QVariantList &values = {})
{
    QSqlQuery q(slx::modulo1().ConexionBD);
    q.prepare(sql);
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec()) {
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return false;
    }
    return true;
}

inline QVariant value(const QString &sql)
{
    QSqlQuery q(slx::modulo1().ConexionBD);
    if (!q.exec(sql) || !q.next())
        return QVariant();
    return q.value(0);
}

const QVariant N; // a NULL column

// The special values of the rules, one interval each (1 to 5 are the period 10:00-11:00).
struct Intervalo {
    const char *fecha;
    const char *hora;
    QVariant sl1, sl5, sl10, sl50, sl90, ena, linea, programacion, dna, maxFast, max1, min1, local, vecino;
};

inline const QList<Intervalo> &intervalos()
{
    static const QList<Intervalo> l = {
        {"2023-01-19", "23:45", 70.0, 70, 70, 70, 70, 1, 1, 0, 1, 70, 70, 70, 70, 70},
        {"2023-01-20", "10:00", 0.0, 59.0, 60.0, 120.0, 121.0, 255, 0, -1, 12, N, 65.5, 59.0, 80.0, 0.0},
        {"2023-01-20", "10:15", N, 255.0, 59.9, 120.1, 60.5, N, 255, 0, 0, 0.0, 121.0, 0.0, 121.0, 59.0},
        {"2023-01-20", "10:30", 62.3, 62.3, 62.3, 62.3, 62.3, 120, 121, N, N, 95.0, 70.0, 60.0, 59.0, 121.0},
        {"2023-01-20", "10:45", 61.0, 61.0, 61.0, 61.0, 61.0, 59, 60, 1, 255, 130.0, 70.0, 60.0, 60.0, N},
        {"2023-01-20", "11:00", 63.0, 63.0, 63.0, 63.0, 63.0, 7, 8, 0, 9, 90.0, 70.0, 60.0, 64.0, 50.0},
        {"2023-01-21", "00:00", 70.0, 70, 70, 70, 70, 1, 1, 0, 1, 70, 70, 70, 70, 70},
    };
    return l;
}

inline bool seed()
{
    const QString sheet =
        QStringLiteral("INSERT INTO Programacion (LNumeroSerie, DFecha, TLocal, TVersion, DFechaTotales, THoraTotales, "
                       "\"SOctava31,5Hz\", BoCambioHora, TTipoActuacionVecino, CMI) VALUES (?,?,?,?,?,?,?,?,?,?)");
    bool ok = exec(sheet, {100001, "2021-05-10", QString::fromUtf8("Café Ñandú"), "4.1", "2023-02-01", "10:11:12", 0.5,
                           -1, "0", -1}) &&
              exec(sheet, {200002, "2020-12-15", "Bar", "2.9", N, N, 0.0, 0, "Leq05s", 0}) &&
              exec(sheet, {300003, "2022-01-01", "Sala", "3.0", N, N, N, N, N, N});
    const QString interval = QStringLiteral(
        "INSERT INTO Intervalos (LNumeroSerie, DFechaInicio, THoraInicio, DFechaFinal, THoraFinal, ByTLeq, SL1, SL5, "
        "SL10, SL50, SL90, ByENA, ByLineaInsuficiente, BoProgramacion, ByDNA, SMaxFast, SMaxLeq1min, SMinLeq1min, "
        "SLeqLocal, SLeqVecino, ByNivelLeqLocal, IPasadasLocal, IE3) VALUES (?,?,?,?,?,15,?,?,?,?,?,?,?,?,?,?,?,?,?,?,"
        "255,3,0)");
    for (const Intervalo &i : intervalos())
        ok =
            ok && exec(interval, {100001, i.fecha, i.hora, i.fecha, i.hora, i.sl1, i.sl5, i.sl10, i.sl50, i.sl90, i.ena,
                                  i.linea, i.programacion, i.dna, i.maxFast, i.max1, i.min1, i.local, i.vecino});
    ok = ok && exec(QStringLiteral("INSERT INTO Intervalos (LNumeroSerie, DFechaInicio, THoraInicio, SLeqVecino, "
                                   "ByLineaInsuficiente, ByDNA, ByENA) VALUES (200002, '2020-12-20', '08:00', 59, 255, "
                                   "255, 255)"));
    const QString session = QStringLiteral(
        "INSERT INTO Sesiones (LNumeroSerie, DFechaInicio, THoraInicio, DFechaFinal, THoraFinal, SLeq, SL1, SL5, "
        "SMaxFast, ITiempoAtenuacion) VALUES (?,?,?,?,?,?,?,?,?,12)");
    ok = ok && exec(session, {100001, "2023-01-19", "23:45", "2023-01-20", "02:00", 70.0, 70.0, 70.0, 70.0}) &&
         exec(session, {100001, "2023-01-20", "10:00", "2023-01-20", "23:00", 59.0, 0.0, 121.0, 60.0}) &&
         exec(session, {100001, "2023-01-20", "11:00", "2023-01-20", "23:30", N, 120.0, 59.5, 0.0}) &&
         exec(session, {100001, "2023-01-21", "00:00", "2023-01-21", "03:00", 70.0, 70.0, 70.0, 70.0});
    for (const char *table : {"DiaBorrado", "DiaFinalBateria", "DiaReprogramado"})
        ok = ok && exec(QStringLiteral("INSERT INTO %1 (LNumeroSerie, DFecha, THora) VALUES (100001, '2022-08-01', "
                                       "'11:45'), (100001, '2022-07-01', '09:30')")
                            .arg(QLatin1String(table)));
    ok = ok && exec(QStringLiteral("UPDATE Configuracion SET Memo = 'old', TUsuario = 'footer of the table'"));
    return ok;
}

// The device as the incidents window leaves it in the shared state.
inline void device(qint32 serial, const QString &version)
{
    slx::Modulo1 &m = slx::modulo1();
    m.NumeroSerieAparato = serial;
    m.VersionAparato = version;
    for (int i = 0; i < 30; ++i) {
        m.IntervalosInhabiles[i].DiaEmpieza = QStringLiteral("00/00/00");
        m.IntervalosInhabiles[i].HoraEmpieza = QStringLiteral("00:00");
        m.IntervalosInhabiles[i].DiaTermina = QStringLiteral("00/00/00");
        m.IntervalosInhabiles[i].HoraTermina = QStringLiteral("00:00");
    }
}

} // namespace reportsfixture
