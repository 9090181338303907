// Builds the language database (SQLite, table LocGuru) from tab-separated tables.
//
// Each input file is UTF-8. Its first line names the columns: "Native" and then
// language columns ("Español", "Català", ...); optional columns "bIsUsed" and
// "bSkip" hold 0 or 1. In a cell, "\r", "\n", "\t" and "\\" stand for a carriage
// return, a line feed, a tab and a backslash; the single word "\N" is a Null cell.
// The native text is the key of its row, so a text has one translation per language:
// a text repeated in another table (a caption that is also a catalogue text) must repeat
// the same cells, or the build stops naming both places.
//
// usage: langdb OUTPUT.db TABLE.tsv...

#include <QCoreApplication>
#include <QFile>
#include <QMap>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTextStream>
#include <QVariant>
#include <cstdio>

namespace {

const QStringList kLanguages = {QStringLiteral("Español"),  QStringLiteral("Català"),   QStringLiteral("English"),
                                QStringLiteral("Deutsch"),  QStringLiteral("Français"), QStringLiteral("Italiano"),
                                QStringLiteral("Português")};

QVariant unescape(const QString &cell)
{
    if (cell == QLatin1String("\\N"))
        return QVariant(QMetaType(QMetaType::QString));
    QString out;
    out.reserve(cell.size());
    for (qsizetype i = 0; i < cell.size(); ++i) {
        const QChar c = cell.at(i);
        if (c == QLatin1Char('\\') && i + 1 < cell.size()) {
            const QChar n = cell.at(++i);
            if (n == QLatin1Char('r'))
                out += QLatin1Char('\r');
            else if (n == QLatin1Char('n'))
                out += QLatin1Char('\n');
            else if (n == QLatin1Char('t'))
                out += QLatin1Char('\t');
            else
                out += n;
        } else {
            out += c;
        }
    }
    return out;
}

int fail(const QString &what)
{
    std::fprintf(stderr, "langdb: %s\n", qPrintable(what));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2)
        return fail(QStringLiteral("usage: langdb OUTPUT.db TABLE.tsv..."));

    struct Row {
        QMap<QString, QVariant> cells;
        QString where; // file:line of its first appearance
    };
    QStringList order;
    QMap<QString, Row> rows;
    for (int a = 2; a < args.size(); ++a) {
        QFile f(args.at(a));
        if (!f.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("cannot read %1").arg(args.at(a)));
        QTextStream in(&f);
        in.setEncoding(QStringConverter::Utf8);
        const QStringList header = in.readLine().split(QLatin1Char('\t'));
        if (header.value(0) != QLatin1String("Native"))
            return fail(QStringLiteral("%1: the first column must be Native").arg(args.at(a)));
        int lineNo = 1;
        while (!in.atEnd()) {
            const QString line = in.readLine();
            ++lineNo;
            if (line.isEmpty())
                continue;
            const QStringList cells = line.split(QLatin1Char('\t'));
            if (cells.size() != header.size())
                return fail(QStringLiteral("%1:%2: %3 cells, expected %4")
                                .arg(args.at(a))
                                .arg(lineNo)
                                .arg(cells.size())
                                .arg(header.size()));
            const QString native = unescape(cells.at(0)).toString();
            const QString where = QStringLiteral("%1:%2").arg(args.at(a)).arg(lineNo);
            const bool seen = rows.contains(native);
            if (!seen)
                order << native;
            Row &row = rows[native];
            if (!seen)
                row.where = where;
            for (int c = 1; c < header.size(); ++c) {
                const QVariant cell = unescape(cells.at(c));
                const auto before = row.cells.constFind(header.at(c));
                if (seen && before != row.cells.constEnd() &&
                    (before->isNull() != cell.isNull() || before->toString() != cell.toString()))
                    return fail(QStringLiteral("%1: \"%2\" has another %3 than at %4")
                                    .arg(where, native, header.at(c), row.where));
                row.cells[header.at(c)] = cell;
            }
        }
    }

    QFile::remove(args.at(1));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("out"));
        db.setDatabaseName(args.at(1));
        if (!db.open())
            return fail(db.lastError().text());
        QSqlQuery q(db);
        QString create = QStringLiteral("CREATE TABLE LocGuru (\"Native\" TEXT");
        for (const QString &l : kLanguages)
            create += QStringLiteral(", \"%1\" TEXT").arg(l);
        create += QStringLiteral(", \"bIsUsed\" INTEGER NOT NULL DEFAULT -1, \"bSkip\" INTEGER NOT NULL DEFAULT 0)");
        if (!q.exec(create) || !q.exec(QStringLiteral("CREATE INDEX Native ON LocGuru(\"Native\")")))
            return fail(q.lastError().text());
        db.transaction();
        QString insert = QStringLiteral("INSERT INTO LocGuru VALUES (?");
        for (int i = 0; i < kLanguages.size() + 2; ++i)
            insert += QStringLiteral(", ?");
        insert += QLatin1Char(')');
        q.prepare(insert);
        for (const QString &native : order) {
            const Row &row = rows[native];
            q.addBindValue(native);
            for (const QString &l : kLanguages)
                q.addBindValue(row.cells.value(l, QVariant(QMetaType(QMetaType::QString))));
            q.addBindValue(row.cells.value(QStringLiteral("bIsUsed"), 1).toInt() ? -1 : 0);
            q.addBindValue(row.cells.value(QStringLiteral("bSkip"), 0).toInt() ? -1 : 0);
            if (!q.exec())
                return fail(q.lastError().text());
        }
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("out"));
    return 0;
}
