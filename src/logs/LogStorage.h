#pragma once
// Storage of what a log download receives: the totals into the device's sheet row,
// the event dates (stored once each), the Leq intervals and the sessions (a row of
// the same device, start date and start time is overwritten). Every row is written
// on its own as soon as it is received: what was stored before a failure stays.

#include "logs/LogFrames.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <optional>

namespace slx::logs {

class AlmacenLogs {
public:
    explicit AlmacenLogs(QSqlDatabase db);

    // The totals and the PC's date and time into the sheet row of the device. False
    // with a description when the row is missing or cannot be written.
    bool grabaTotales(qint32 serie, const Totales &t, const QDateTime &ara, QString *error);
    // An event date, added when the device has no row of that day and time yet.
    bool grabaEvento(qint32 serie, const Evento &e, QString *error);
    // An interval; an overwritten row keeps the columns its layout does not carry.
    bool grabaIntervalo(qint32 serie, const RegistroIntervalo &r, QString *error);
    bool grabaSesion(qint32 serie, const RegistroSesion &r, QString *error);

private:
    bool prepara(QSqlQuery &q, const QString &sql, QString *error);
    bool ejecuta(QSqlQuery &q, QString *error);

    QSqlDatabase m_db;
    QSqlQuery m_totales, m_eventos[3], m_intervalo, m_intervaloAntiguo, m_sesion;
};

// The start of the newest stored interval of a device, or nothing when it has none.
std::optional<QDateTime> intervaloMasReciente(QSqlDatabase db, qint32 serie);

} // namespace slx::logs
