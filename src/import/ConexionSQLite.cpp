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

} // namespace slx
