#include "base/Database.h"

#include "base/DataFolder.h"
#include "base/Modulo1.h"
#include "base/TextoPropio.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace slx::Database {

namespace {

// Splits a script at the semicolons that end statements (none of ours sits
// inside a quoted text).
QStringList statements(const QString &script)
{
    QStringList out;
    QString current;
    bool inQuote = false;
    const QStringList lines = script.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (!inQuote && line.trimmed().startsWith(QLatin1String("--")))
            continue;
        for (QChar c : line) {
            if (c == QLatin1Char('\''))
                inQuote = !inQuote;
            if (c == QLatin1Char(';') && !inQuote) {
                if (!current.trimmed().isEmpty())
                    out << current.trimmed();
                current.clear();
            } else {
                current += c;
            }
        }
        current += QLatin1Char('\n');
    }
    if (!current.trimmed().isEmpty())
        out << current.trimmed();
    return out;
}

} // namespace

QString path()
{
    return DataFolder::file(QStringLiteral("slx90.db"));
}

QString schemaSql()
{
    QFile f(DataFolder::defaultFile(QStringLiteral("schema.sql")));
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

QString quoteIdentifier(const QString &name)
{
    QString n = name;
    n.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

Resultado<void> runScript(QSqlDatabase &db, const QString &script)
{
    QSqlQuery q(db);
    for (const QString &s : statements(script)) {
        if (!q.exec(s))
            return fallo(q.lastError().text());
    }
    return {};
}

bool looksLikeSqlite(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    return f.read(16) == QByteArray("SQLite format 3\0", 16);
}

Resultado<void> create(const QString &file)
{
    if (QFileInfo::exists(file))
        return fallo(TextoPropio("The database %1 already exists.").arg(file));
    const QString schema = schemaSql();
    if (schema.isEmpty())
        return fallo(TextoPropio("The database schema is missing from the program."));
    // Built under a temporary name, so that a failure leaves no half-made file.
    const QString temp = file + QStringLiteral(".new");
    QFile::remove(temp);
    const QString name = QStringLiteral("slx90-create");
    bool ok = false;
    QString why;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(temp);
        if (db.open()) {
            ok = db.transaction();
            if (ok) {
                const Resultado<void> hecho = runScript(db, schema);
                ok = hecho.has_value();
                if (!ok)
                    why = hecho.error().text;
            }
            ok = ok && db.commit();
            if (!ok && why.isEmpty())
                why = db.lastError().text();
            db.close();
        } else {
            why = db.lastError().text();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (ok && !QFile::rename(temp, file)) {
        ok = false;
        why = TextoPropio("cannot write the file");
    }
    if (!ok) {
        QFile::remove(temp);
        return fallo(TextoPropio("The database %1 could not be created: %2").arg(file, why));
    }
    return {};
}

Resultado<void> open(const QString &file)
{
    close();
    if (!QFileInfo::exists(file)) {
        Resultado<void> creada = create(file);
        if (!creada)
            return creada;
    }
    if (!looksLikeSqlite(file))
        return fallo(TextoPropio("The file %1 is not a database of this program or it is damaged.").arg(file));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QLatin1String(kConnectionName));
    db.setDatabaseName(file);
    // File URIs are taken, so that another database can be attached read-only and immutable.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000;QSQLITE_OPEN_URI"));
    QString why;
    if (db.open()) {
        QSqlQuery q(db);
        // A damaged or foreign file fails here, before anything is written to it.
        if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master")) || !q.next()) {
            why = q.lastError().text();
        } else if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM \"Configuracion\""))) {
            why = q.lastError().text();
        } else {
            q.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
            q.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
            q.exec(QStringLiteral("PRAGMA foreign_keys=OFF"));
        }
    } else {
        why = db.lastError().text();
    }
    if (!why.isEmpty()) {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QLatin1String(kConnectionName));
        return fallo(TextoPropio("The database %1 cannot be opened: %2").arg(file, why));
    }
    modulo1().ConexionBD = db;
    return {};
}

Resultado<void> open()
{
    return open(path());
}

void close()
{
    if (!QSqlDatabase::contains(QLatin1String(kConnectionName)))
        return;
    modulo1().ConexionBD.close();
    modulo1().ConexionBD = QSqlDatabase();
    QSqlDatabase::removeDatabase(QLatin1String(kConnectionName));
}

} // namespace slx::Database
