#pragma once
// Storage of what a log download receives: the totals into the device's sheet row,
// the event dates (stored once each), the Leq intervals and the sessions (a row of
// the same device, start date and start time is overwritten). Every row is written
// on its own as soon as it is received: what was stored before a failure stays.
//
// Each statement is prepared once, on its first row, and kept for the storage's life
// (one download). A database that another program holds locked is waited for with window
// events running, up to kEsperaOcupadaMs; then the row is refused with a text in the
// user's language that says what to do.
//
// Besides the tables of the logs, the program keeps a table of its own,
// "CompletedDownload": per device, the start of the newest record (interval or
// session) received by the last download that ran to its end. The date dialog
// proposes the next period from it, so that a download that failed or was stopped
// leaves nothing behind for the next one to miss.

#include "base/Resultado.h"
#include "logs/LogFrames.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <functional>
#include <optional>

namespace slx::logs {

inline constexpr int kEsperaOcupadaMs = 5000;

class LogStorage {
public:
    explicit LogStorage(QSqlDatabase db);
    ~LogStorage();
    LogStorage(const LogStorage &) = delete;
    LogStorage &operator=(const LogStorage &) = delete;

    // The totals and the PC's date and time into the sheet row of the device. A failure
    // (its text says what) when the row is missing or cannot be written; every failure
    // below carries the database's description or the program's own text.
    Resultado<> grabaTotales(qint32 serie, const Totales &t, const QDateTime &ara);
    // An event date, added when the device has no row of that day and time yet.
    Resultado<> grabaEvento(qint32 serie, const Evento &e);
    // An interval; an overwritten row keeps the columns its layout does not carry.
    Resultado<> grabaIntervalo(qint32 serie, const RegistroIntervalo &r);
    Resultado<> grabaSesion(qint32 serie, const RegistroSesion &r);

    // A download of the device begins with the period from periodStart: a device the
    // table does not know yet is written with that start (what came before it was
    // not asked for). A known device keeps its start.
    Resultado<> beginDownload(qint32 serie, const QDateTime &periodStart);
    // The download ran to its end: the start moves to newestStart when that is later.
    // An invalid newestStart (no record came) keeps it.
    Resultado<> completeDownload(qint32 serie, const QDateTime &newestStart);

private:
    Resultado<> prepara(QSqlQuery &q, const std::function<QString()> &sql);
    Resultado<> ejecuta(QSqlQuery &q);
    // Writes the device's kept start (the table made when missing); alExistir is what
    // the INSERT does on the device's row.
    Resultado<> escribeDescarga(qint32 serie, const QDateTime &inicio, const char *alExistir);

    QSqlDatabase m_db;
    QSqlQuery m_totales, m_eventos[3], m_intervalo, m_intervaloAntiguo, m_sesion;
    int m_busyTimeout = -1; // the connection's own, given back at the end
};

// The start of the newest stored interval of a device, or nothing when it has none.
std::optional<QDateTime> intervaloMasReciente(QSqlDatabase db, qint32 serie);

// The start the date dialog proposes for a device's next download: nothing when the
// device has no stored interval (the dialog then goes 60 days back); else the start
// kept for its last download that ran to its end, or, for a device downloaded before
// the program kept it, the start of its newest stored interval.
std::optional<QDateTime> proposedStart(QSqlDatabase db, qint32 serie);
// The start kept for the device's last completed download, nothing when none is kept.
std::optional<QDateTime> completedDownloadStart(QSqlDatabase db, qint32 serie);

} // namespace slx::logs
