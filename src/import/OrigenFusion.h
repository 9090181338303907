#pragma once
// Sources of the database merge: a reader of the user tables of another database,
// one table at a time and one row at a time, so that memory does not grow with the
// number of rows. Three of them: an Access file of the original program, a database
// of this program on a connection of its own, and one attached to the destination's
// connection, which copies the rows already in their stored forms by itself.

#include "base/Resultado.h"
#include "import/FormaGuardada.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>

namespace slx::fusion {

// The copy of one source table into a destination table, for a source that writes
// the rows itself: the destination columns filled, the source column of each, their
// stored forms and which of them are key parts.
struct CopiaTabla {
    QString destino;
    QStringList columnasDestino;
    QStringList columnasOrigen;
    QVector<Forma> formas;
    QVector<bool> clave;
    // The destination's last row number before the copy: a row whose key lies at or
    // below it was already in the destination, a later one came from this source.
    qint64 ultimaFila = 0;
};

// What a source's own copy did with one block of rows.
struct Bloque {
    qint64 filas = 0;      // rows of the source in the block
    qint64 anadidas = 0;   // stored
    qint64 duplicadas = 0; // already in the destination before the merge
    qint64 repetidas = 0;  // a key an earlier row of the source already stored
};

// Values come as: null QVariant, qlonglong, double, bool, QString or, for a date/time
// of an Access file, QDateTime.
class Origen {
public:
    virtual ~Origen() = default;
    // Opens the file; a description when it cannot.
    virtual Resultado<> abre(const QString &fichero) = 0;
    // The user tables, in the order the file lists them; a description when they cannot
    // be read.
    virtual Resultado<QStringList> tablas() = 0;
    // Tables the file holds but cannot read, system tables included ("table: reason"),
    // known once tablas() has answered; their rows are not merged.
    virtual QStringList tablasDanadas() const { return {}; }
    // The damage found in the file as a whole (its own check, its list of tables), known
    // once tablas() has answered; empty for a sound file. What can be read is merged.
    virtual QStringList danos() const { return {}; }
    // Starts reading a table; its column names.
    virtual Resultado<QStringList> abreTabla(const QString &tabla) = 0;
    // The next row into *fila (one value per column): true, or false at the end; a
    // description on a read failure, which ends the rows too.
    virtual Resultado<bool> siguienteFila(QVector<QVariant> *fila) = 0;
    virtual void cierraTabla() = 0;

    // A source that writes into the destination itself: after abreTabla, true when it
    // takes the copy c; the rows then come by blocks, and siguienteFila gives, after
    // each block, only the rows of it that still need the conversion (one value per
    // column of c, in its order). False: every row comes through siguienteFila.
    virtual bool copiaDirecta(const CopiaTabla &c)
    {
        Q_UNUSED(c);
        return false;
    }
    // Copies the next block: true, or false after the last one; a description on a
    // failure of the file, which ends the blocks too.
    virtual Resultado<bool> siguienteBloque(Bloque *b)
    {
        Q_UNUSED(b);
        return false;
    }
};

std::unique_ptr<Origen> creaOrigenSQLite();
std::unique_ptr<Origen> creaOrigenAccess();
// A database of this program attached to the destination's connection (which must
// take file URIs); opening fails when it cannot be attached.
std::unique_ptr<Origen> creaOrigenAdjunto(QSqlDatabase destino);

// A failure of an SQLite file rather than of one row (damaged, unreadable, full): the
// table cannot be read or written further.
bool esFalloDeFichero(const QSqlError &e);

// The SQLite URI of a source database, opened read-only. Immutable only when no
// write-ahead log or rollback journal lies beside it, so that nothing is written there
// (no -wal or -shm) and a database on read-only media is read; with a log beside it,
// the log is read too.
QString uriOrigenSQLite(const QString &fichero);

// The reader of Access files beside the program's executable (or where SLX90_LECTOR_MDB
// names it, for programs run from elsewhere in the build tree); empty when missing.
QString lectorAccess();

} // namespace slx::fusion
