// CPU used by the program while it waits for a silent device: one receive with
// the 5-second watchdog of the programming sheet, against the emulator on a
// pseudo-terminal. Goal: a few percent of one core at most. Then the heap
// allocations of receiving a 513-byte frame already waiting in the port: the
// bytes are read one at a time from the port's own buffer, and the watchdog is
// restarted (a timer registered again with the event loop, one allocation) only
// before a wait that may block.

#include "Emulator.h"
#include "base/DataFolder.h"
#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "link/Link.h"
#include "link/LinkTimings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <sys/resource.h>

namespace {

std::atomic<long> g_allocations{0};

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

} // namespace

void *operator new(std::size_t size)
{
    ++g_allocations;
    if (void *p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void *p) noexcept
{
    std::free(p);
}

void operator delete(void *p, std::size_t) noexcept
{
    std::free(p);
}

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
    slx::SerialControl &port = slx::MSComm1();
    if (!port.setCommPort(1) || !port.setSettings(QStringLiteral("19200,n,8,1")) || !port.setPortOpen(true)) {
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
    const bool ok = slx::receiveFrame(port, slx::modulo1().BufferTrama, &watchdog) == slx::FrameResult::Received;
    const double cpu = cpuSeconds() - cpu0;
    const double seconds = double(wall.elapsed()) / 1000.0;
    std::printf("receive wait on a silent line: %s after %.2f s, CPU %.3f s (%.2f %% of one core)\n",
                ok ? "received" : "timed out", seconds, cpu, 100.0 * cpu / seconds);

    // A whole frame of 513 bytes waiting in the port, then one receive.
    emulator.setFault(slxemu::FaultPlan{});
    QByteArray frame(1, char(0x02));
    frame.append(char(0x02)).append(char(0x01));
    frame.append(QByteArray(508, char(0x5A)));
    frame.append(char(0x03));
    char check = 0;
    for (const char c : frame)
        check = char(check ^ c);
    frame.append(check);
    emulator.sendRaw({frame});
    slx::EsperaEventos([] { return slx::MSComm1().InBufferCount() >= 513; }, 5000);
    watchdog.setInterval(slx::linkTimings().vigilanteMs);
    const long before = g_allocations.load();
    const bool whole = slx::receiveFrame(port, slx::modulo1().BufferTrama, &watchdog) == slx::FrameResult::Received;
    const long allocations = g_allocations.load() - before;
    std::printf("receive of a waiting 513-byte frame: %s, %ld heap allocations (%.2f per byte)\n",
                whole ? "received" : "failed", allocations, double(allocations) / 513.0);
    slx::MSComm1().setPortOpen(false);
    emulator.stop();
    return 0;
}
