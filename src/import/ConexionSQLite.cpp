#include "import/ConexionSQLite.h"

#include <QSqlDriver>
#include <QVariant>
#include <sqlite3.h>

namespace slx {

sqlite3 *conexionSQLite(const QSqlDatabase &db)
{
    const QVariant h = db.driver() ? db.driver()->handle() : QVariant();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(h.constData());
}

DefensasSQLite defiendeConexion(sqlite3 *db, DefensasSQLite d)
{
    DefensasSQLite antes;
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, -1, &antes.defensiva);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, -1, &antes.esquemaConfiado);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, d.defensiva, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, d.esquemaConfiado, nullptr);
    return antes;
}

} // namespace slx
