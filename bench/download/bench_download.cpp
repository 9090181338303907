// The program's own work per record of a log download: the interval loop against
// the emulator with no line pacing, over 10,000 and 100,000 records into a real
// database file. The CPU time of the program's thread (decode, check, store, the
// progress callback; the emulator runs in a thread of its own) is divided by the
// records; the line itself takes 31.8 ms a record at 19200 baud, so the goal is at
// most 1 % of that, 0.32 ms. Peak memory is printed after each size: it must not
// grow with the records.

#include "Emulator.h"
#include "base/DataFolder.h"
#include "base/Database.h"
#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "link/DeviceSession.h"
#include "link/Timings.h"
#include "logs/LogDownload.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>

namespace {

double threadCpu()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

long peakKiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir home;
    qputenv("SLX90_HOME", home.path().toLocal8Bit());
    slx::ui::setResponder([](const slx::ui::Request &) { return QVariant(slx::ui::vbOK); });
    QString error;
    if (!slx::DataFolder::seed(&error) || !slx::Database::open(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    slxemu::Emulator emulator;
    emulator.setKeepHistory(false);
    if (!emulator.start(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    slx::GrabaIni(QStringLiteral("Ports"), QStringLiteral("COM1"), emulator.slavePath(),
                  slx::DataFolder::file(QStringLiteral("slx90.ini")));
    slx::modulo1().PuertoSerie = 1;
    slx::linkTimings().segundoEsperaMs = 10;

    std::printf("records   wall s   own CPU s   own ms/record   peak MiB\n");
    for (int records : {10000, 100000}) {
        QSqlQuery(slx::modulo1().ConexionBD).exec(QStringLiteral("DELETE FROM \"Intervalos\""));
        slxemu::Scenario s;
        s.series.first = QDateTime(QDate(2020, 1, 1), QTime(0, 15), Qt::UTC);
        s.series.count = records;
        s.series.stepMinutes = 5;
        s.series.record.dna = 255;
        emulator.setScenario(s);
        slx::SessionOptions o;
        slx::DeviceSession session(o);
        if (session.open() != slx::DeviceSession::Outcome::Ready) {
            std::fprintf(stderr, "no device\n");
            return 1;
        }
        int shown = 0;
        slx::logs::LogDownload d(session, slx::modulo1().ConexionBD, session.identification().numeroSerie,
                                 [&shown](const slx::logs::Progreso &p) { shown = p.tramas; });
        const slx::logs::RangoFechas rango = {1, 1, 19, 0, 0, 31, 12, 49, 23, 59};
        QElapsedTimer wall;
        wall.start();
        const double cpu0 = threadCpu();
        const auto r = d.intervalos(slx::logs::FormatoIntervalo::Desde30, rango);
        const double cpu = threadCpu() - cpu0;
        const double seconds = double(wall.elapsed()) / 1000.0;
        session.finish();
        if (r.guardados != records) {
            std::fprintf(stderr, "stored %d of %d (%s)\n", r.guardados, records, qPrintable(r.error));
            return 1;
        }
        std::printf("%7d   %6.2f   %9.2f   %13.3f   %8.1f\n", records, seconds, cpu, 1000.0 * cpu / records,
                    double(peakKiB()) / 1024.0);
    }
    emulator.stop();
    return 0;
}
