#pragma once
// Sources of the database merge: a reader of the user tables of another database,
// one table at a time and one row at a time, so that memory does not grow with the
// number of rows.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>

namespace slx::fusion {

// Values come as: null QVariant, qlonglong, double, bool, QString or, for a date/time
// of an Access file, QDateTime.
class Origen {
public:
    virtual ~Origen() = default;
    // Opens the file; false with a description.
    virtual bool abre(const QString &fichero, QString *error) = 0;
    // The user tables, in the order the file lists them; false with a description.
    virtual bool tablas(QStringList *nombres, QString *error) = 0;
    // Starts reading a table; its column names in *columnas.
    virtual bool abreTabla(const QString &tabla, QStringList *columnas, QString *error) = 0;
    // The next row into *fila (one value per column); false at the end or on a read
    // failure, which then leaves a description in *error.
    virtual bool siguienteFila(QVector<QVariant> *fila, QString *error) = 0;
    virtual void cierraTabla() = 0;
};

std::unique_ptr<Origen> creaOrigenSQLite();
std::unique_ptr<Origen> creaOrigenAccess();

// The SQLite URI of a source database, opened read-only. Immutable when no write-ahead
// log lies beside it, so that nothing is written there (no -wal or -shm) and a database on
// read-only media is read; with a log beside it, the log is read too.
QString uriOrigenSQLite(const QString &fichero);

// The reader of Access files beside the program's executable (or where SLX90_LECTOR_MDB
// names it, for programs run from elsewhere in the build tree); empty when missing.
QString lectorAccess();

} // namespace slx::fusion
