// The exchange-file import against sqlite3's own CSV import, on the same file in the same
// run: a 200,000-row Intervalos table (33 columns) imported into an empty database, end to
// end (read, parse, write); then the sqlite3 command-line ".import" of the same rows
// followed by "INSERT ... SELECT" into the real table. Then a 100,000-row file into an
// empty database and into one that already holds every row, three rounds.
//
// usage: bench_import [rows]   (default 200000; sqlite3 must be on the PATH for the baseline)

#include "base/Database.h"
#include "import/CarregaCsv.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

namespace {

const char *kCabecera =
    "LNumeroSerie;DFechaInicio;DFechaFinal;ByTLeq;SLeqLocal;SLeqVecino;TTipoActuacionLocal;TTipoActuacionVecino;"
    "ByNivelLeqLocal;ByNivelLeqVecino;SMaxLeq1min;TFechaMaxLeq1min;THoraMaxLeq1min;SMinLeq1min;TFechaMinLeq1min;"
    "THoraMinLeq1min;SMaxFast;ByNivelMFast;IPasMaxFast;SL1;SL5;SL10;SL50;SL90;BoRS232;BoProgramacion;IDesco;"
    "IPasadasLocal;IPasadasVecino;IE3;ByDNA;ByENA;ByLineaInsuficiente";

// CPU seconds (user and system) of this process or of its finished children.
double cpu(int who)
{
    rusage u{};
    getrusage(who, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long peakMiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

// The rows of one device's 15-minute intervals, written line by line. With a marker, an
// exchange file; without, the plain CSV that sqlite3 imports.
bool escribe(const QString &path, int filas, bool marca)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (marca)
        f.write("//Intervalos//\r\n");
    f.write(kCabecera);
    f.write("\r\n");
    const QDateTime base(QDate(2000, 1, 1), QTime(0, 0), Qt::UTC);
    for (int i = 0; i < filas; ++i) {
        const QDateTime a = base.addSecs(qint64(i) * 900), b = a.addSecs(900);
        const QByteArray fa = a.toString("yyyy-MM-dd hh:mm:ss").toLatin1();
        const QByteArray fb = b.toString("yyyy-MM-dd hh:mm:ss").toLatin1();
        char line[1024];
        const int n = std::snprintf(
            line, sizeof line,
            "100123;%s;%s;15;%d,%d;%d.%d;Leq5s;Leq125ms;95;35;%d.%d;%s;%s;59;%s;%s;%d.%d;105;%d;%d.%d;%d.%d;%d.%d;"
            "%d.%d;%d.%d;0;0;0;%d;%d;0;255;255;255\r\n",
            fa.constData(), fb.constData(), 60 + i % 40, i % 10, 30 + i % 15, i % 10, 70 + i % 30, i % 10,
            a.toString("dd/MM/yyyy").toLatin1().constData(), a.toString("hh:mm").toLatin1().constData(),
            a.toString("dd/MM/yyyy").toLatin1().constData(), a.toString("hh:mm").toLatin1().constData(), 80 + i % 30,
            i % 10, i % 50, 75 + i % 20, i % 10, 72 + i % 20, i % 10, 70 + i % 20, i % 10, 65 + i % 20, i % 10,
            61 + i % 20, i % 10, i % 7, i % 3);
        f.write(line, n);
    }
    return true;
}

bool nuevaBase(const QString &path)
{
    QFile::remove(path);
    slx::Resultado<void> lista = slx::Database::create(path);
    if (lista)
        lista = slx::Database::open(path);
    if (!lista) {
        std::fprintf(stderr, "%s\n", qPrintable(lista.error().mensaje()));
        return false;
    }
    return true;
}

double importa(const QString &fichero, qint64 *filas, slx::ResultadoIntercambio *resultado = nullptr)
{
    QElapsedTimer t;
    t.start();
    const slx::ResultadoIntercambio r =
        slx::importaIntercambio(fichero, QSqlDatabase::database(slx::Database::kConnectionName));
    if (resultado)
        *resultado = r;
    const double s = t.nsecsElapsed() / 1e9;
    if (!r.error.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(r.error));
    *filas =
        r.tablas.isEmpty() ? 0 : r.tablas.first().anadidas + r.tablas.first().iguales + r.tablas.first().sobrescritas;
    return s;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int filas = argc > 1 ? std::atoi(argv[1]) : 200000;
    QTemporaryDir dir;
    const QString qv90 = dir.filePath("bench.qv90"), csv = dir.filePath("bench.csv");
    if (!escribe(qv90, filas, true) || !escribe(csv, filas, false))
        return 1;
    const double mb = QFileInfo(qv90).size() / 1048576.0;
    std::printf("file: %d rows, 33 columns, %.1f MB\n", filas, mb);

    // The program's import, into an empty database.
    const QString db = dir.filePath("slx90.db");
    if (!nuevaBase(db))
        return 1;
    const long antes = peakMiB();
    qint64 hechas = 0;
    const double cpuAntes = cpu(RUSAGE_SELF);
    const double s = importa(qv90, &hechas);
    const double cs = cpu(RUSAGE_SELF) - cpuAntes;
    std::printf("exchange-file import: %lld rows in %.2f s (%.2f s CPU), %.0f rows/s; peak memory %ld MiB (%ld MiB "
                "before)\n",
                hechas, s, cs, hechas / s, peakMiB(), antes);
    slx::Database::close();

    // sqlite3's own import of the same rows into a loose table, then into the real one.
    const QString sqlite3 = QStandardPaths::findExecutable("sqlite3");
    if (sqlite3.isEmpty()) {
        std::printf("baseline: sqlite3 is not installed\n");
    } else {
        const QString base = dir.filePath("baseline.db");
        QFile::remove(base);
        if (const slx::Resultado<void> creada = slx::Database::create(base); !creada)
            std::fprintf(stderr, "%s\n", qPrintable(creada.error().mensaje()));
        const QString script =
            QStringLiteral(
                ".mode csv\n.separator ;\n.import '%1' t\n"
                "BEGIN;\n"
                "INSERT INTO Intervalos SELECT LNumeroSerie, substr(DFechaInicio,1,10), "
                "substr(DFechaInicio,12,5), substr(DFechaFinal,1,10), substr(DFechaFinal,12,5), ByTLeq, "
                "replace(SLeqLocal,',','.'), SLeqVecino, TTipoActuacionLocal, TTipoActuacionVecino, "
                "ByNivelLeqLocal, ByNivelLeqVecino, SMaxLeq1min, TFechaMaxLeq1min, THoraMaxLeq1min, "
                "SMinLeq1min, TFechaMinLeq1min, THoraMinLeq1min, SMaxFast, ByNivelMFast, IPasMaxFast, SL1, "
                "SL5, SL10, SL50, SL90, BoRS232, BoProgramacion, IDesco, IPasadasLocal, IPasadasVecino, IE3, "
                "ByDNA, ByENA, ByLineaInsuficiente FROM t;\nCOMMIT;\n")
                .arg(csv);
        QProcess p;
        const double hijosAntes = cpu(RUSAGE_CHILDREN);
        QElapsedTimer t;
        t.start();
        p.start(sqlite3, {base});
        p.write(script.toUtf8());
        p.closeWriteChannel();
        p.waitForFinished(-1);
        const double sb = t.nsecsElapsed() / 1e9;
        const double cb = cpu(RUSAGE_CHILDREN) - hijosAntes;
        std::printf("sqlite3 .import + INSERT ... SELECT: %d rows in %.2f s (%.2f s CPU), %.0f rows/s%s\n", filas, sb,
                    cb, filas / sb, p.exitCode() ? " (failed)" : "");
        std::printf("rate against the baseline's: %.2f by the clock, %.2f by CPU time\n", sb / s, cb / cs);
    }

    // 100,000 rows into an empty database, then again into the one that holds them; three
    // rounds, the medians compared (a single pair is within the noise of a loaded machine).
    const int cien = std::min(filas, 100000);
    const QString q2 = dir.filePath("half.qv90");
    escribe(q2, cien, true);
    std::vector<double> vacias, llenas;
    qint64 iguales = 0;
    for (int ronda = 0; ronda < 3; ++ronda) {
        if (!nuevaBase(db))
            return 1;
        vacias.push_back(importa(q2, &hechas));
        slx::ResultadoIntercambio r;
        llenas.push_back(importa(q2, &hechas, &r));
        iguales = r.tablas.isEmpty() ? 0 : r.tablas.first().iguales;
        slx::Database::close();
    }
    const auto mediana = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.at(v.size() / 2);
    };
    std::printf("%d rows: into an empty database %.2f s, into one holding every row %.2f s (%lld found unchanged); "
                "medians of 3 rounds, empty",
                cien, mediana(vacias), mediana(llenas), iguales);
    for (double v : vacias)
        std::printf(" %.2f", v);
    std::printf(", full");
    for (double v : llenas)
        std::printf(" %.2f", v);
    std::printf("\n");
    slx::Database::close();
    return 0;
}
