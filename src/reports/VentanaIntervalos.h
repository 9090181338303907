#pragma once
// The Leq intervals of one device read 50 at a time, oldest first, as the charts window
// shows them. A device may hold millions of intervals: nothing but the 50 rows in sight
// and a few keys are held. Opening walks the key index once and keeps the key of every
// 4096th row (a checkpoint); the rows from any position are then read from the nearest
// checkpoint before it, so no read steps over more than one checkpoint's distance.

#include "base/Resultado.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVector>

namespace slx::graficas {

// The columns of an interval the charts read. A NULL level reads as NaN, a NULL limit
// or counter as 0 (a NULL limit byte as 0, a NULL line-insufficient byte as 0).
struct FilaIntervalo {
    QString fechaInicio; // DFechaInicio as stored, "yyyy-MM-dd"
    QString horaInicio;  // THoraInicio "hh:mm"
    QString horaFinal;   // THoraFinal
    int tLeq = 0;        // ByTLeq, minutes
    double leqLocal = 0, leqVecino = 0, maxFast = 0, maxLeq1 = 0, minLeq1 = 0;
    int nivelLeqLocal = 0, nivelLeqVecino = 0, nivelMFast = 0;
    double l1 = 0, l5 = 0, l10 = 0, l50 = 0, l90 = 0;
    qint16 desco = 0, pasadasLocal = 0, pasadasVecino = 0, e3 = 0, pasMaxFast = 0;
    quint8 lineaInsuficiente = 0, dna = 0, ena = 0;
};

class VentanaIntervalos {
public:
    static constexpr int kPuntos = 50;
    static constexpr int kPasoMarcas = 4096;

    explicit VentanaIntervalos(int pasoMarcas = kPasoMarcas);

    // Reads the checkpoints of the device's intervals (and so their count). A failure,
    // with the database's description as its text, when the database fails.
    Resultado<> abre(const QSqlDatabase &db, qint32 serial);
    bool abierta() const { return m_abierta; }
    qint64 total() const { return m_total; }
    int marcas() const { return int(m_marcas.size()); }

    // The rows at positions primera to primera + 49 counted from the oldest (0), fewer
    // at the end of the log; primera below 0 reads from 0. A
    // failure, with the database's description as its text, when the database fails
    // (and one without a text before the window is open).
    Resultado<QVector<FilaIntervalo>> lee(qint64 primera);

private:
    struct Clave {
        QString fecha, hora;
    };
    Resultado<> prepara(QSqlQuery &q, const QString &sql);

    QSqlDatabase m_db;
    qint32 m_serial = 0;
    int m_paso;
    bool m_abierta = false;
    qint64 m_total = 0;
    QVector<Clave> m_marcas; // key of rows paso, 2 * paso, ... (row 0 is read from the start)
    QSqlQuery m_desdeInicio;
    QSqlQuery m_desdeMarca;
};

} // namespace slx::graficas
