#pragma once
// The program's database: slx90.db in the data folder, opened once at start-up
// as the connection ConexionBD and kept for the whole run.

#include "base/Resultado.h"

#include <QSqlDatabase>
#include <QString>

namespace slx::Database {

inline constexpr const char *kConnectionName = "ConexionBD";

// Path of slx90.db in the data folder.
QString path();

// Opens the database file at path as ConexionBD (stored in modulo1()). A missing
// file is created from the schema; a file that is not a usable SQLite database is
// reported and left untouched. A failure names the file and the cause.
Resultado<void> open(const QString &file);
Resultado<void> open();

// Closes ConexionBD and releases the connection.
void close();

// Creates a new database file from the schema (fails when the file exists).
Resultado<void> create(const QString &file);

// True when the first bytes of the file are those of an SQLite database.
bool looksLikeSqlite(const QString &file);

// The schema text shipped with the program.
QString schemaSql();

// An SQL identifier in double quotes, inner quotes doubled (one column name holds a comma).
QString quoteIdentifier(const QString &name);

// Runs every statement of a script on db; fails with the failing statement's error.
Resultado<void> runScript(QSqlDatabase &db, const QString &script);

} // namespace slx::Database
