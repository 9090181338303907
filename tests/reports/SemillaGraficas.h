#pragma once
// A device whose intervals the charts tests know by heart: 120 intervals of 15 minutes
// from 5 March 2009 10:15, with six missing after the 100th (so the newest 50, rows 70 to
// 119, show the hole between points 30 and 31), and special values on the last points:
//   point 50 (row 119): SLeqLocal 59 (under range), SLeqVecino 59, SL5 64, SL10 59;
//   point 49 (row 118): SLeqLocal 121 (over range), SLeqVecino 121;
//   point 48 (row 117): sensor inactive (IE3 1);
//   point 47 (row 116): ByNivelLeqLocal 255 (both level limits absent), ByNivelLeqVecino 45;
//   point 45 (row 114): Leq time 5 minutes after intervals of 15 (a gap band at 44 and 45);
//   point 44 (row 113): ByLineaInsuficiente 255 with ByDNA 12;
//   point 43 (row 112): ByLineaInsuficiente 3, ByDNA 12, ByENA 7.
// Every other row: SLeqLocal 60 + row % 40, SLeqVecino 40 + row % 20, SMaxFast 90.5,
// SMaxLeq1min 80, SMinLeq1min 61, limits 85 / 45 / 100, percentiles 70 / 68 / 66 / 64 / 62,
// IDesco 1 on every 7th row, IPasadasLocal 2 on every 5th, IPasadasVecino 1 on every 3rd,
// IPasMaxFast 4 on every 11th.

#include "base/Modulo1.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace semilla {

inline constexpr qint32 kSerie = 500005;

// The row's start (row 0 to 119).
inline QDateTime inicioFila(int fila)
{
    const int indice = fila < 100 ? fila : fila + 6;
    return QDateTime(QDate(2009, 3, 5), QTime(10, 15), Qt::UTC).addSecs(qint64(indice) * 900);
}

// intervals: how many rows of the list above (the first ones); version of the sheet.
inline bool siembra(int intervalos = 120, const QString &version = QStringLiteral("4.1"), qint32 serie = kSerie)
{
    QSqlDatabase db = slx::modulo1().ConexionBD;
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO Programacion (LNumeroSerie, DFecha, TLocal, TVersion) VALUES (?,?,?,?)"));
    q.addBindValue(serie);
    q.addBindValue(QStringLiteral("2009-02-01"));
    q.addBindValue(QStringLiteral("Sala Gràfica"));
    q.addBindValue(version);
    if (!q.exec()) {
        qWarning("%s", qPrintable(q.lastError().text()));
        return false;
    }
    db.transaction();
    q.prepare(QStringLiteral(
        "INSERT INTO Intervalos (LNumeroSerie, DFechaInicio, THoraInicio, DFechaFinal, THoraFinal, ByTLeq, SLeqLocal, "
        "SLeqVecino, ByNivelLeqLocal, ByNivelLeqVecino, SMaxLeq1min, SMinLeq1min, SMaxFast, ByNivelMFast, IPasMaxFast, "
        "SL1, SL5, SL10, SL50, SL90, IDesco, IPasadasLocal, IPasadasVecino, IE3, ByDNA, ByENA, ByLineaInsuficiente) "
        "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    for (int r = 0; r < intervalos; ++r) {
        const QDateTime t = inicioFila(r);
        const QDateTime fin = t.addSecs(r == 114 ? 300 : 900);
        double leq = 60 + r % 40, vecino = 40 + r % 20, l5 = 68, l10 = 66;
        int limiteLocal = 85, e3 = 0, linea = 0, dna = 0, ena = 0;
        if (r == 119)
            leq = 59, vecino = 59, l5 = 64, l10 = 59;
        if (r == 118)
            leq = 121, vecino = 121;
        if (r == 117)
            e3 = 1;
        if (r == 116)
            limiteLocal = 255;
        if (r == 113)
            linea = 255, dna = 12;
        if (r == 112)
            linea = 3, dna = 12, ena = 7;
        const QVariantList valores = {serie,
                                      t.date().toString(Qt::ISODate),
                                      t.time().toString(QStringLiteral("hh:mm")),
                                      fin.date().toString(Qt::ISODate),
                                      fin.time().toString(QStringLiteral("hh:mm")),
                                      r == 114 ? 5 : 15,
                                      leq,
                                      vecino,
                                      limiteLocal,
                                      45,
                                      80.0,
                                      61.0,
                                      90.5,
                                      100,
                                      r % 11 == 0 ? 4 : 0,
                                      70.0,
                                      l5,
                                      l10,
                                      64.0,
                                      62.0,
                                      r % 7 == 0 ? 1 : 0,
                                      r % 5 == 0 ? 2 : 0,
                                      r % 3 == 0 ? 1 : 0,
                                      e3,
                                      dna,
                                      ena,
                                      linea};
        for (const QVariant &v : valores)
            q.addBindValue(v);
        if (!q.exec()) {
            qWarning("%s", qPrintable(q.lastError().text()));
            db.rollback();
            return false;
        }
    }
    return db.commit();
}

} // namespace semilla
