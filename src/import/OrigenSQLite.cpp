#include "import/OrigenSQLite.h"

#include "base/Database.h"
#include "base/TextoPropio.h"
#include "import/ConexionSQLite.h"
#include "import/NombresDatos.h"

#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlRecord>
#include <QUrl>
#include <sqlite3.h>

namespace slx::fusion {

OrigenSQLite::OrigenSQLite()
{
    static QAtomicInt counter;
    m_propia = QStringLiteral("slx90-merge-source-%1").arg(counter.fetchAndAddRelaxed(1));
}

OrigenSQLite::OrigenSQLite(QSqlDatabase db, const QString &esquema)
    : m_db(db)
    , m_esquema(esquema)
{
}

OrigenSQLite::~OrigenSQLite()
{
    cierraTabla();
    if (!m_propia.isEmpty() && QSqlDatabase::contains(m_propia)) {
        m_db = QSqlDatabase();
        QSqlDatabase::database(m_propia, false).close();
        QSqlDatabase::removeDatabase(m_propia);
    }
}

Resultado<> OrigenSQLite::abre(const QString &fichero)
{
    if (!QFile::exists(fichero))
        return fallo(TextoPropio("The file %1 does not exist.").arg(fichero));
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_propia);
    m_db.setDatabaseName(uriOrigenSQLite(fichero));
    m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
    if (!m_db.open())
        return fallo(TextoPropio("The database %1 cannot be opened: %2").arg(fichero, m_db.lastError().text()));
    // The file is data: nothing its schema names runs (SQLite's defences for files
    // from elsewhere).
    if (sqlite3 *db = conexionSQLite(m_db))
        defiendeConexion(db);
    return {};
}

QString OrigenSQLite::nombre(const QString &tabla) const
{
    return m_esquema + Database::quoteIdentifier(tabla);
}

Resultado<QStringList> OrigenSQLite::tablas()
{
    QStringList nombres;
    QSqlQuery q(m_db);
    // A damaged or foreign file fails here, before anything is written.
    if (!q.exec(QStringLiteral("SELECT name FROM %1sqlite_master WHERE type = 'table' "
                               "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid")
                    .arg(m_esquema)))
        return fallo(TextoPropio("The list of tables of the database cannot be read: %1").arg(q.lastError().text()));
    while (q.next())
        nombres.append(q.value(0).toString());
    if (q.lastError().isValid())
        return fallo(TextoPropio("The list of tables of the database cannot be read: %1").arg(q.lastError().text()));
    q.finish();
    compruebaFichero();
    return nombres;
}

void OrigenSQLite::compruebaFichero()
{
    // How many faults the check names at most.
    constexpr int kFallos = 5;
    m_danos.clear();
    QSqlQuery q(m_db);
    // A CHECK constraint of the file is an expression of its own: the check does not run it.
    bool ignoraba = false;
    if (q.exec(QStringLiteral("PRAGMA ignore_check_constraints")) && q.next())
        ignoraba = q.value(0).toInt() != 0;
    q.exec(QStringLiteral("PRAGMA ignore_check_constraints = ON"));
    const QString esquema = m_esquema.isEmpty() ? QString() : m_esquema;
    if (!q.exec(QStringLiteral("PRAGMA %1quick_check(%2)").arg(esquema).arg(kFallos))) {
        m_danos << q.lastError().text();
    } else {
        while (q.next()) {
            const QString linea = q.value(0).toString();
            if (linea != QLatin1String("ok"))
                m_danos << linea;
        }
        if (q.lastError().isValid())
            m_danos << q.lastError().text();
    }
    q.finish();
    q.exec(ignoraba ? QStringLiteral("PRAGMA ignore_check_constraints = ON")
                    : QStringLiteral("PRAGMA ignore_check_constraints = OFF"));
}

Resultado<QStringList> OrigenSQLite::columnasLeibles(const QString &tabla) const
{
    const QString esquema = m_esquema.isEmpty() ? QStringLiteral("main") : m_esquema.chopped(1);
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT sql FROM %1sqlite_master WHERE type = 'table' AND name = ?").arg(m_esquema));
    q.addBindValue(tabla);
    if (!q.exec())
        return fallo(q.lastError().text());
    if (q.next() && q.value(0).toString().trimmed().startsWith(QLatin1String("CREATE VIRTUAL"), Qt::CaseInsensitive))
        return fallo(TextoPropio("the file computes the table (a virtual table): it is not read"));
    q.finish();
    q.prepare(QStringLiteral("SELECT name, hidden FROM pragma_table_xinfo(?, ?)"));
    q.addBindValue(tabla);
    q.addBindValue(esquema);
    if (!q.exec())
        return fallo(q.lastError().text());
    QStringList nombres;
    while (q.next()) {
        // hidden: 1 a hidden column of a virtual table, 2 and 3 a generated column.
        const int oculta = q.value(1).toInt();
        if (oculta != 0) {
            return fallo(TextoPropio("the file computes the column %1: the table is not read")
                             .arg(nombreColumna(q.value(0).toString())));
        }
        nombres << q.value(0).toString();
    }
    if (q.lastError().isValid())
        return fallo(q.lastError().text());
    return nombres;
}

QString OrigenSQLite::enBytes(const QString &c)
{
    return QStringLiteral("CASE typeof(%1) WHEN 'text' THEN CAST(%1 AS BLOB) ELSE %1 END").arg(c);
}

Resultado<QStringList> OrigenSQLite::abreTabla(const QString &tabla)
{
    cierraTabla();
    Resultado<QStringList> nombres = columnasLeibles(tabla);
    if (!nombres)
        return nombres;
    QStringList lista;
    for (const QString &c : *nombres)
        lista << enBytes(Database::quoteIdentifier(c));
    auto q = std::make_unique<QSqlQuery>(m_db);
    q->setForwardOnly(true);
    if (!q->exec(QStringLiteral("SELECT %1 FROM %2").arg(lista.join(QLatin1Char(',')), nombre(tabla))))
        return fallo(q->lastError().text());
    leeDe(std::move(q));
    return nombres;
}

void OrigenSQLite::leeDe(std::unique_ptr<QSqlQuery> q)
{
    m_query = std::move(q);
    m_columnas = m_query ? m_query->record().count() : 0;
}

Resultado<bool> OrigenSQLite::siguienteFila(QVector<QVariant> *fila)
{
    if (!m_query)
        return false;
    if (!m_query->next()) {
        const QSqlError e = m_query->lastError();
        m_query.reset();
        if (e.isValid())
            return fallo(e.text());
        return false;
    }
    fila->resize(m_columnas);
    for (int c = 0; c < m_columnas; ++c)
        (*fila)[c] = m_query->value(c);
    return true;
}

void OrigenSQLite::cierraTabla()
{
    m_query.reset();
}

bool esFalloDeFichero(const QSqlError &e)
{
    const int code = e.nativeErrorCode().toInt() & 0xFF;
    return code == SQLITE_IOERR || code == SQLITE_CORRUPT || code == SQLITE_NOTADB || code == SQLITE_FULL ||
           code == SQLITE_READONLY || code == SQLITE_CANTOPEN || code == SQLITE_NOMEM;
}

QString uriOrigenSQLite(const QString &fichero)
{
    const QString absoluto = QFileInfo(fichero).absoluteFilePath();
    // A log that may belong to the file: its rows are read with it (an immutable open
    // would ignore it).
    const bool conLog = QFileInfo(absoluto + QStringLiteral("-wal")).size() > 0 ||
                        QFileInfo(absoluto + QStringLiteral("-journal")).size() > 0;
    return QUrl::fromLocalFile(absoluto).toString(QUrl::FullyEncoded) +
           (conLog ? QStringLiteral("?mode=ro") : QStringLiteral("?mode=ro&immutable=1"));
}

std::unique_ptr<Origen> creaOrigenSQLite()
{
    return std::make_unique<OrigenSQLite>();
}

} // namespace slx::fusion
