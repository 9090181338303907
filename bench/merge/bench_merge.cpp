// Merging a database of this program with many Intervalos rows into one that
// already holds half of them: rows per second, and peak memory for two sizes
// (it should not grow with the number of rows); beside it, in the same run, a bare
// INSERT OR IGNORE ... SELECT over ATTACH of the same rows into a copy of the same
// destination, and the ratio of the two.
//
// usage: bench_merge [rows]   (default: 50000 and then 500000)

#include "base/Database.h"
#include "import/ImportaBaseDatos.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

namespace {

long peakKiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// Fills Intervalos with rows i = 0, step, 2 step... below count (15-minute intervals of one device).
bool fill(const QString &path, int count, int step)
{
    if (const slx::Resultado<void> creada = slx::Database::create(path); !creada) {
        std::fprintf(stderr, "%s\n", qPrintable(creada.error().mensaje()));
        return false;
    }
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "fill");
        db.setDatabaseName(path);
        ok = db.open() && db.transaction();
        QSqlQuery q(db);
        ok = ok && q.prepare("INSERT INTO Intervalos (LNumeroSerie, DFechaInicio, THoraInicio, DFechaFinal, "
                             "THoraFinal, ByTLeq, SLeqLocal, SLeqVecino, TTipoActuacionLocal, TTipoActuacionVecino, "
                             "SMaxFast, BoRS232, BoProgramacion, IDesco) VALUES (?,?,?,?,?,15,?,?,'Leq5s','Leq125ms',"
                             "?,0,0,0)");
        const QDate base(2000, 1, 1);
        for (int i = 0; ok && i < count; i += step) {
            const QDate d = base.addDays(i / 96);
            const QTime t = QTime(0, 0).addSecs((i % 96) * 900);
            const QTime e = t.addSecs(900);
            q.addBindValue(100123);
            q.addBindValue(d.toString("yyyy-MM-dd"));
            q.addBindValue(t.toString("hh:mm"));
            q.addBindValue((e == QTime(0, 0) ? d.addDays(1) : d).toString("yyyy-MM-dd"));
            q.addBindValue(e.toString("hh:mm"));
            q.addBindValue(60.0 + (i % 400) / 10.0);
            q.addBindValue(30.0 + (i % 100) / 10.0);
            q.addBindValue(90.0 + (i % 200) / 10.0);
            ok = q.exec();
            if (!ok)
                std::fprintf(stderr, "%s\n", qPrintable(q.lastError().text()));
        }
        ok = ok && db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase("fill");
    return ok;
}

// The bare copy: seconds, or a negative number on a failure.
double bare(const QString &source, const QString &dest)
{
    double seconds = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "bare");
        db.setDatabaseName(dest);
        QSqlQuery q(db);
        if (db.open() && q.exec("PRAGMA journal_mode=WAL") && q.exec("PRAGMA synchronous=NORMAL")) {
            q.prepare("ATTACH DATABASE ? AS src");
            q.addBindValue(source);
            QElapsedTimer timer;
            timer.start();
            if (q.exec() && q.exec("INSERT OR IGNORE INTO main.Intervalos SELECT * FROM src.Intervalos"))
                seconds = timer.nsecsElapsed() / 1e9;
            else
                std::fprintf(stderr, "%s\n", qPrintable(q.lastError().text()));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase("bare");
    return seconds;
}

bool run(int rows)
{
    QTemporaryDir dir;
    const QString source = dir.filePath("source.db");
    const QString dest = dir.filePath("slx90.db");
    const QString copy = dir.filePath("bare.db");
    if (!fill(source, rows, 1) || !fill(dest, rows, 2) || !QFile::copy(dest, copy))
        return false;
    const double baseline = bare(source, copy);
    if (baseline < 0)
        return false;
    if (const slx::Resultado<void> abierta = slx::Database::open(dest); !abierta) {
        std::fprintf(stderr, "%s\n", qPrintable(abierta.error().mensaje()));
        return false;
    }
    QElapsedTimer timer;
    timer.start();
    const slx::ResultadoFusion r =
        slx::ImportaBaseDatos(source, QSqlDatabase::database(slx::Database::kConnectionName));
    const double seconds = timer.nsecsElapsed() / 1e9;
    slx::Database::close();
    if (!r.empezada()) {
        std::fprintf(stderr, "%s\n", qPrintable(r.error));
        return false;
    }
    const qint64 read = r.anadidas + r.duplicadas + r.rechazadas;
    std::printf("%d source rows: %lld added, %lld skipped, %lld refused in %.2f s = %.0f rows/s; peak memory %ld KiB\n",
                rows, static_cast<long long>(r.anadidas), static_cast<long long>(r.duplicadas),
                static_cast<long long>(r.rechazadas), seconds, read / seconds, peakKiB());
    std::printf("  bare INSERT OR IGNORE ... SELECT over ATTACH: %.2f s = %.0f rows/s; merge / bare = %.2f\n", baseline,
                rows / baseline, baseline / seconds);
    return read == rows;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 1)
        return run(QByteArray(argv[1]).toInt()) ? 0 : 1;
    return run(50000) && run(500000) ? 0 : 1;
}
