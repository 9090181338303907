// Reader of the tables of another database of this program (SQLite), opened read-only
// on a connection of its own.

#include "base/Database.h"
#include "base/TextoPropio.h"
#include "import/OrigenFusion.h"

#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>

namespace slx::fusion {

namespace {

class OrigenSQLite final : public Origen {
public:
    OrigenSQLite()
    {
        static QAtomicInt counter;
        m_name = QStringLiteral("slx90-merge-source-%1").arg(counter.fetchAndAddRelaxed(1));
    }

    ~OrigenSQLite() override
    {
        cierraTabla();
        if (QSqlDatabase::contains(m_name)) {
            QSqlDatabase::database(m_name, false).close();
            QSqlDatabase::removeDatabase(m_name);
        }
    }

    bool abre(const QString &fichero, QString *error) override
    {
        if (!QFile::exists(fichero)) {
            *error = TextoPropio("The file %1 does not exist.").arg(fichero);
            return false;
        }
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        // Read-only and immutable: nothing is written beside the file (no -wal or -shm),
        // and a database on read-only media is read too.
        db.setDatabaseName(uriOrigenSQLite(fichero));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open()) {
            *error = TextoPropio("The database %1 cannot be opened: %2").arg(fichero, db.lastError().text());
            return false;
        }
        return true;
    }

    bool tablas(QStringList *nombres, QString *error) override
    {
        QSqlQuery q(QSqlDatabase::database(m_name, false));
        // A damaged or foreign file fails here, before anything is written.
        if (!q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                                   "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid"))) {
            *error = TextoPropio("The list of tables of the database cannot be read: %1").arg(q.lastError().text());
            return false;
        }
        while (q.next())
            nombres->append(q.value(0).toString());
        if (q.lastError().isValid()) {
            *error = TextoPropio("The list of tables of the database cannot be read: %1").arg(q.lastError().text());
            return false;
        }
        return true;
    }

    bool abreTabla(const QString &tabla, QStringList *columnas, QString *error) override
    {
        cierraTabla();
        m_query = std::make_unique<QSqlQuery>(QSqlDatabase::database(m_name, false));
        m_query->setForwardOnly(true);
        if (!m_query->exec(QStringLiteral("SELECT * FROM ") + Database::quoteIdentifier(tabla))) {
            *error = m_query->lastError().text();
            cierraTabla();
            return false;
        }
        const QSqlRecord r = m_query->record();
        for (int i = 0; i < r.count(); ++i)
            columnas->append(r.fieldName(i));
        m_columns = r.count();
        return true;
    }

    bool siguienteFila(QVector<QVariant> *fila, QString *error) override
    {
        if (!m_query)
            return false;
        if (!m_query->next()) {
            if (m_query->lastError().isValid())
                *error = m_query->lastError().text();
            return false;
        }
        fila->resize(m_columns);
        for (int c = 0; c < m_columns; ++c)
            (*fila)[c] = m_query->value(c);
        return true;
    }

    void cierraTabla() override { m_query.reset(); }

private:
    QString m_name;
    std::unique_ptr<QSqlQuery> m_query;
    int m_columns = 0;
};

} // namespace

QString uriOrigenSQLite(const QString &fichero)
{
    const QString absoluto = QFileInfo(fichero).absoluteFilePath();
    const bool conLog = QFileInfo(absoluto + QStringLiteral("-wal")).size() > 0;
    return QUrl::fromLocalFile(absoluto).toString(QUrl::FullyEncoded) +
           (conLog ? QStringLiteral("?mode=ro") : QStringLiteral("?mode=ro&immutable=1"));
}

std::unique_ptr<Origen> creaOrigenSQLite()
{
    return std::make_unique<OrigenSQLite>();
}

} // namespace slx::fusion
