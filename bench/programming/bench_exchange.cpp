// The programming write and the real-time monitor against the device emulator
// (a separate process, so that the figures are the program's alone).
//
// 1. A sheet of firmware 4.1 written with the sheet's Transmit: a 377-byte frame,
//    376 pauses of 50 ms (18.8 s). The time from its first byte to its check byte is
//    read from the emulator's byte log; the CPU the program used meanwhile from
//    getrusage.
// 2. The monitor over 10,000 answers with a 1 ms pause, then 200 answers with the
//    50 ms pause: the time per answer beyond the pause (the program's work from the
//    answer's last byte to the ACK, plus the emulator's turnaround: an upper bound),
//    and the resident memory after 1,000 and after 10,000 answers.
//
// usage: bench_exchange [frames]   (runs offscreen; prints the figures)

#include "base/DataFolder.h"
#include "base/Database.h"
#include "base/FormRegistry.h"
#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "link/LinkTimings.h"
#include "link/SerialControl.h"
#include "programming/Form2.h"
#include "programming/Form3.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>
#include <sys/resource.h>

using namespace slx;

namespace {

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long residentKiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// Starts the emulator; its port's path, or an empty text.
QString startEmulator(QProcess &p, const QStringList &extra)
{
    p.start(QStringLiteral(SLX_EMULATOR_COMMAND),
            QStringList{"--serial", "100123", "--firmware", "4.1", "--quiet"} + extra);
    if (!p.waitForStarted(5000) || !p.waitForReadyRead(5000))
        return {};
    return QString::fromLocal8Bit(p.readLine()).trimmed();
}

void stopEmulator(QProcess &p)
{
    p.terminate();
    if (!p.waitForFinished(3000))
        p.kill();
}

// The times (ms) of the PC's bytes of the write frame in the emulator's log: first and last.
bool writeSpan(const QString &log, double *first, double *last, int *bytes)
{
    QFile f(log);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QList<QPair<double, int>> pc;
    QTextStream in(&f);
    while (!in.atEnd()) {
        const QStringList w = in.readLine().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (w.size() == 4 && w[2] == QLatin1String("PC->SLX"))
            pc.append({w[1].toDouble() * 1000.0, w[3].toInt(nullptr, 16)});
    }
    for (int i = 0; i + 3 < pc.size(); ++i) {
        if (pc[i].second == 0x02 && pc[i + 1].second == 0x01 && pc[i + 2].second == 0x79 && pc[i + 3].second == 0x08) {
            if (i + 376 >= pc.size())
                return false;
            *first = pc[i].first;
            *last = pc[i + 376].first;
            *bytes = 377;
            return true;
        }
    }
    return false;
}

// The mean time (ms) from the device's last byte to the PC's ACK that follows it, in
// the emulator's byte log; the number of ACKs counted.
int ackGaps(const QString &log, double *mean)
{
    QFile f(log);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0;
    QTextStream in(&f);
    double lastToPc = -1, sum = 0;
    int n = 0;
    while (!in.atEnd()) {
        const QStringList w = in.readLine().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (w.size() != 4)
            continue;
        const double ms = w[1].toDouble() * 1000.0;
        if (w[2] == QLatin1String("SLX->PC")) {
            lastToPc = ms;
        } else if (w[2] == QLatin1String("PC->SLX") && w[3] == QLatin1String("06") && lastToPc >= 0) {
            sum += ms - lastToPc;
            ++n;
            lastToPc = -1;
        }
    }
    *mean = n ? sum / n : 0;
    return n;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int frames = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;

    QTemporaryDir home;
    qputenv("SLX90_HOME", home.path().toLocal8Bit());
    Resultado<void> lista = DataFolder::seed();
    if (lista)
        lista = Database::open();
    if (!lista) {
        std::fprintf(stderr, "database: %s\n", qPrintable(lista.error().mensaje()));
        return 1;
    }
    QStringList shown;
    ui::setResponder([&](const ui::Request &r) -> QVariant {
        shown << r.text;
        return int(ui::vbOK);
    });
    modulo1().PuertoSerie = 1;
    modulo1().TipoConexion = 0;

    // 1. The paced write.
    const QString log = home.filePath(QStringLiteral("emulator.log"));
    QProcess emulator;
    const QString port = startEmulator(emulator, {"--log", log});
    if (port.isEmpty()) {
        std::fprintf(stderr, "the emulator did not start\n");
        return 1;
    }
    GrabaIni(QStringLiteral("Ports"), QStringLiteral("COM1"), port, DataFolder::file(QStringLiteral("slx90.ini")));
    auto *sheet = new Form2;
    if (!sheet->Form_Load())
        return 1;
    FormRegistry::setInstance(QStringLiteral("Form2"), sheet);
    sheet->show();
    sheet->setTexto(QStringLiteral("MaskNumeroSerie"), QStringLiteral("100123"));
    sheet->setTexto(QStringLiteral("MaskVersion"), QStringLiteral("4.1"));
    sheet->setTexto(QStringLiteral("MaskTempsActLoc"), QStringLiteral("05"));
    sheet->setTexto(QStringLiteral("MaskTempsActVei"), QStringLiteral("01"));
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = cpuSeconds();
    sheet->SSCommandTransmitir_Click();
    const double cpu = cpuSeconds() - cpu0;
    const double seconds = wall.elapsed() / 1000.0;
    stopEmulator(emulator);
    double first = 0, last = 0;
    int bytes = 0;
    if (!writeSpan(log, &first, &last, &bytes) ||
        !shown.contains(QStringLiteral("Transmisión realizada correctamente"))) {
        std::fprintf(stderr, "the write did not complete: %s\n", qPrintable(shown.join(QLatin1String(" | "))));
        return 1;
    }
    const double paced = (last - first) / 1000.0, expected = 376 * 0.050;
    std::printf("write: %d-byte frame sent in %.3f s (376 x 50 ms = %.3f s, %+.2f %%)\n", bytes, paced, expected,
                100.0 * (paced - expected) / expected);
    std::printf("write: whole transmit %.2f s, CPU %.3f s = %.2f %% of one core\n", seconds, cpu,
                100.0 * cpu / seconds);

    // 2. The monitor.
    const auto monitor = [&](int count, int pauseMs, bool memory) {
        QProcess emu;
        const QString rtlog = home.filePath(QStringLiteral("monitor-%1.log").arg(pauseMs));
        const QString path = startEmulator(emu, {"--log", rtlog});
        GrabaIni(QStringLiteral("Ports"), QStringLiteral("COM1"), path, DataFolder::file(QStringLiteral("slx90.ini")));
        linkTimings().pausaTiempoRealMs = pauseMs;
        QPointer<Form3> form = new Form3;
        form->Form_Load();
        form->show();
        int n = 0;
        long rss1000 = 0, rssEnd = 0;
        QElapsedTimer t;
        qint64 from = 0;
        const int warm = qMin(100, count / 10);
        QObject::connect(form, &Form3::mostrado, form, [&] {
            ++n;
            if (n == warm)
                from = t.nsecsElapsed();
            if (memory && n == 1000)
                rss1000 = residentKiB();
            if (n == count) {
                rssEnd = residentKiB();
                form->SSCommandStop_Click();
            }
        });
        t.start();
        form->SSCommandRun_Click();
        const qint64 to = t.nsecsElapsed();
        stopEmulator(emu);
        if (n < count) {
            std::fprintf(stderr, "the monitor stopped after %d answers\n", n);
            return false;
        }
        const double perFrame = (to - from) / 1e6 / (count - warm);
        double gap = 0;
        const int acks = ackGaps(rtlog, &gap);
        std::printf("monitor: %d answers with a %d ms pause: one every %.3f ms; from an answer's last byte to its "
                    "ACK %.3f ms on average over %d, %.3f ms beyond the pause\n",
                    count, pauseMs, perFrame, gap, acks, gap - pauseMs);
        if (memory)
            std::printf("monitor: resident memory %ld KiB after 1,000 answers, %ld KiB after %d (%+ld KiB)\n", rss1000,
                        rssEnd, count, rssEnd - rss1000);
        delete form;
        return true;
    };
    if (!monitor(frames, 1, true) || !monitor(200, 50, false))
        return 1;
    delete sheet;
    Database::close();
    return 0;
}
