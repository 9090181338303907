#pragma once
// The SQLite connection under one of Qt's, for the imports that bind and step rows
// through SQLite's own interface (no QVariant per value) or add a function to it.

#include <QSqlDatabase>

struct sqlite3;

namespace slx {

// The handle of an open SQLite connection of Qt's; nullptr when the connection is not
// SQLite's or not open.
sqlite3 *conexionSQLite(const QSqlDatabase &db);

} // namespace slx
