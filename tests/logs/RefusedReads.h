#pragma once
// A database that refuses to let the program read the sheets' table: while armed on a
// connection, every statement that reads "Programacion" fails to prepare ("access to
// Programacion.LNumeroSerie is prohibited", SQLite's authorizer), as a database whose file
// or rights keep the program out would; the first `allowed` statements that read it still go through.

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>
#include <cstring>
#include <sqlite3.h>

namespace slxtest {

class RefusedReads {
public:
    ~RefusedReads() { disarm(); }

    void arm(const QSqlDatabase &db, int allowed = 0)
    {
        const QVariant h = db.driver()->handle();
        m_db = *static_cast<sqlite3 *const *>(h.constData());
        m_allowed = allowed;
        m_refused = 0;
        sqlite3_set_authorizer(m_db, &RefusedReads::decide, this);
    }
    void disarm()
    {
        if (m_db)
            sqlite3_set_authorizer(m_db, nullptr, nullptr);
        m_db = nullptr;
    }
    int refused() const { return m_refused; }

private:
    static int decide(void *self, int action, const char *table, const char *, const char *, const char *)
    {
        auto *r = static_cast<RefusedReads *>(self);
        if (action == SQLITE_SELECT) {
            r->m_statementCounted = false;
            return SQLITE_OK;
        }
        if (action != SQLITE_READ || !table || std::strcmp(table, "Programacion") != 0)
            return SQLITE_OK;
        if (!r->m_statementCounted) {
            r->m_statementCounted = true;
            if (r->m_allowed > 0) {
                --r->m_allowed;
                r->m_letThrough = true;
                return SQLITE_OK;
            }
            r->m_letThrough = false;
        }
        if (r->m_letThrough)
            return SQLITE_OK;
        ++r->m_refused;
        return SQLITE_DENY;
    }

    sqlite3 *m_db = nullptr;
    int m_allowed = 0;
    int m_refused = 0;
    bool m_statementCounted = false;
    bool m_letThrough = false;
};

} // namespace slxtest
