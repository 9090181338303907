#pragma once
// The SQLite connection under one of Qt's, for the imports that bind and step rows
// through SQLite's own interface (no QVariant per value) or add a function to it.

#include <QSqlDatabase>

struct sqlite3;

namespace slx {

// The handle of an open SQLite connection of Qt's; nullptr when the connection is not
// SQLite's or not open.
sqlite3 *conexionSQLite(const QSqlDatabase &db);

// SQLite's defences for a file from elsewhere, which is data: with `defensiva` on and
// `esquemaConfiado` off, nothing a file's schema names runs (its triggers and views call
// no function with side effects, its pages are not written by hand).
struct DefensasSQLite {
    int defensiva = 1;
    int esquemaConfiado = 0;
};

// Gives the connection db the defences d (by default, those for a file from elsewhere)
// and returns the ones it had, so that they can be given back the same way.
DefensasSQLite defiendeConexion(sqlite3 *db, DefensasSQLite d = {});

} // namespace slx
