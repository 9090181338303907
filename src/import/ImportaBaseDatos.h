#pragma once
// The database merge: copies every user table but Configuracion of another
// database (one of this program, SQLite, or one of the original program, Access)
// into the table of the same name of the program's database, row by row, columns
// matched by name. A row whose key the destination already holds is skipped; a row
// the destination refuses for another reason is counted and reported, never stored
// with defaults.

#include "base/Resultado.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <functional>

namespace slx {

// The kind of a source file, told by its content, not its name. Only a regular file is
// read, and it is opened without blocking; when it is neither kind, why (missing, a
// pipe or a device, permission denied, not a database).
enum class TipoBaseDatos { SQLite, Access };
Resultado<TipoBaseDatos> tipoBaseDatos(const QString &fichero);

struct ResultadoFusion {
    // Set when the merge could not start (source or destination not opened, table
    // list not read); nothing was written then.
    QString error;
    qint64 anadidas = 0;         // rows stored
    qint64 duplicadas = 0;       // rows whose key the destination held before the merge
    qint64 repetidas = 0;        // rows whose key an earlier row of the same file had stored
    qint64 rechazadas = 0;       // rows refused for another reason (a value that cannot be stored)
    QStringList motivos;         // the first reasons of refused rows, "table: reason"
    QStringList tablasOmitidas;  // source tables the destination lacks (their rows are not stored)
    QStringList tablasIlegibles; // source tables that could not be read whole ("table: reason")
    QStringList tablasDanadas;   // damaged tables the merge does not read (settings, system tables)
    QStringList danos;           // damage of the file as a whole; what could be read is merged

    bool empezada() const { return error.isEmpty(); }
    // Every table was read and every row is now in the destination (stored or already
    // there); a table the program does not have is reported but is no loss. A file with
    // damaged tables is not taken for a sound one, even when they hold nothing merged.
    bool sinPerdidas() const
    {
        return empezada() && rechazadas == 0 && tablasIlegibles.isEmpty() && tablasDanadas.isEmpty() &&
               danos.isEmpty();
    }
    // The summary shown to the user.
    QString resumen() const;
};

// Merges the database file origen into destino (an open connection on the program's
// database). progreso, when given, is called now and then between rows, so that the
// caller can keep its window painted.
ResultadoFusion ImportaBaseDatos(const QString &origen, QSqlDatabase destino,
                                 const std::function<void()> &progreso = {});

} // namespace slx
