// CPU used by the program while it waits for a silent device: one receive with
// the 5-second watchdog of the programming sheet, against the emulator on a
// pseudo-terminal. Goal: a few percent of one core at most.

#include "Emulator.h"
#include "link/Link.h"
#include "link/Timings.h"
#include "main/DataFolder.h"
#include "main/MessageBox.h"
#include "main/Modulo1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <sys/resource.h>

namespace {

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir home;
    qputenv("SLX90_HOME", home.path().toLocal8Bit());
    slx::ui::setResponder([](const slx::ui::Request &) { return QVariant(slx::ui::vbOK); });

    slxemu::Emulator emulator;
    slxemu::FaultPlan silence;
    silence.kind = slxemu::Fault::Silence;
    silence.count = -1;
    emulator.setFault(silence);
    QString error;
    if (!emulator.start(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    slx::GrabaIni(QStringLiteral("Ports"), QStringLiteral("COM1"), emulator.slavePath(),
                  slx::DataFolder::file(QStringLiteral("slx90.ini")));
    slx::modulo1().PuertoSerie = 1;
    if (!slx::AbrePuerto(slx::MSComm1())) {
        std::fprintf(stderr, "%s\n", qPrintable(slx::MSComm1().errorString()));
        return 1;
    }
    QTimer watchdog;
    watchdog.setSingleShot(true);
    watchdog.setInterval(slx::linkTimings().vigilanteMs);

    slx::DemanaIdentificacio(slx::MSComm1());
    const double cpu0 = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    const bool ok = slx::RecibirTrama(slx::MSComm1(), &watchdog);
    const double cpu = cpuSeconds() - cpu0;
    const double seconds = double(wall.elapsed()) / 1000.0;
    std::printf("receive wait on a silent line: %s after %.2f s, CPU %.3f s (%.2f %% of one core)\n",
                ok ? "received" : "timed out", seconds, cpu, 100.0 * cpu / seconds);
    slx::MSComm1().setPortOpen(false);
    emulator.stop();
    return 0;
}
