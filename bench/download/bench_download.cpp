// The program's own time per record of a log download, side by side with a minimal
// client of the same protocol on the same emulator, in one run.
//
// The program downloads through the incidents window as a user does (Recibir, the date
// dialog, the prompt; totals, event dates, the Leq intervals, the sessions) into a real
// database file, shown in a real window: run it under an X server (xvfb-run), not
// offscreen, for the cost of painting the progress to count. The reference client
// speaks the protocol bare on the same pseudo-terminal: CAN, identification, totals,
// dates, then ACK for every interval and session record, storing and showing nothing.
// The two run alternately, round after round, against the emulator with no line
// pacing; the difference of their times per record is the program's own overhead. On
// the line a record takes 31.8 ms at 19200 baud: the goal is at most 1 % of that,
// 0.32 ms a record.
//
// usage: xvfb-run -s '-screen 0 1280x800x24' bench_download [records] [rounds]

#include "Emulator.h"
#include "base/DataFolder.h"
#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "link/LinkTimings.h"
#include "link/Trama.h"
#include "logs/Form5.h"
#include "logs/Form8.h"

#include "BenchSupport.h"

#include <QApplication>
#include <QDateTimeEdit>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QPushButton>
#include <QSqlQuery>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr qint32 kSerie = 123;

// --- The reference client: the protocol and nothing else ---

class Client {
public:
    explicit Client(const QString &path)
    {
        m_fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        if (m_fd < 0)
            return;
        termios t{};
        tcgetattr(m_fd, &t);
        cfmakeraw(&t);
        cfsetspeed(&t, B19200);
        tcsetattr(m_fd, TCSANOW, &t);
    }
    ~Client()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool ok() const { return m_fd >= 0; }

    void send(const QByteArray &bytes) { static_cast<void>(::write(m_fd, bytes.constData(), size_t(bytes.size()))); }
    void control(char c) { send(QByteArray(1, c)); }
    void request(quint8 command, const QByteArray &data = {}) { send(slx::trama(command, data)); }
    // One whole frame with a right check byte; empty after 2 s of silence or a bad frame.
    QByteArray frame()
    {
        QByteArray f;
        int length = 0;
        for (;;) {
            char c = 0;
            if (!byte(c))
                return {};
            if (f.isEmpty() && c != 0x02)
                continue;
            f.append(c);
            if (f.size() == 3)
                length = (quint8(f[1]) << 8) | quint8(f[2]);
            if (f.size() >= 3 && f.size() == length)
                return slx::checkByte(QByteArrayView(f).chopped(1)) == quint8(f.back()) ? f : QByteArray();
        }
    }
    // A record transfer: ACK after every record up to the end frame; the records.
    int records(quint8 command, const QByteArray &period)
    {
        request(command, period);
        for (int n = 0;; ++n) {
            const QByteArray f = frame();
            if (f.size() < 5 || f[4] == 0)
                return f.size() < 5 ? -1 : n;
            control(0x06);
        }
    }

private:
    bool byte(char &c)
    {
        if (m_pos == m_len) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, 2000) <= 0)
                return false;
            const ssize_t n = ::read(m_fd, m_buffer, sizeof m_buffer);
            if (n <= 0)
                return false;
            m_pos = 0;
            m_len = int(n);
        }
        c = m_buffer[m_pos++];
        return true;
    }

    int m_fd = -1;
    char m_buffer[4096];
    int m_pos = 0, m_len = 0;
};

// The client's whole download; the interval records received, -1 on a failure.
int clientDownload(const QString &path)
{
    Client c(path);
    if (!c.ok())
        return -1;
    c.control(0x18);
    c.request(0x01);
    if (c.frame().isEmpty())
        return -1;
    c.request(0x02);
    c.frame();
    c.request(0x03);
    c.frame();
    const QByteArray period = QByteArray::fromHex("01017700001f0c95173b"); // 01/01/2019 to 31/12/2049
    const int intervals = c.records(0x05, period);
    c.records(0x06, period);
    return intervals;
}

// --- The program: the incidents window's Recibir ---

// Accepts the date dialog with a period from 2019 once it shows.
void acceptDialog()
{
    QTimer::singleShot(0, [] {
        auto *d = qobject_cast<slx::Form8 *>(QApplication::activeModalWidget());
        if (!d) {
            acceptDialog();
            return;
        }
        d->MaskFechaIni->setDateTime(QDateTime(QDate(2019, 1, 1), QTime(0, 0), Qt::UTC));
        d->MaskFechaFi->setDateTime(QDateTime(QDate(2049, 12, 31), QTime(23, 59), Qt::UTC));
        d->CommandVolver->click();
    });
}

int storedIntervals()
{
    QSqlQuery q(slx::modulo1().ConexionBD);
    return q.exec(QStringLiteral("SELECT COUNT(*) FROM \"Intervalos\"")) && q.next() ? q.value(0).toInt() : -1;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int records = argc > 1 ? std::atoi(argv[1]) : 8000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 8;
    slxbench::CarpetaDatos datos;
    if (!datos.ok())
        return 1;
    slx::ui::setResponder([](const slx::ui::Request &r) -> QVariant {
        if (r.icon == slx::ui::Icon::Critical)
            std::fprintf(stderr, "message: %s\n", qPrintable(r.text));
        return slx::ui::vbOK;
    });
    QString error;
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
    QSqlQuery(slx::modulo1().ConexionBD)
        .exec(QStringLiteral("INSERT INTO \"Programacion\" (\"LNumeroSerie\", \"TVersion\", \"TLocal\") "
                             "VALUES (%1, '4.10', 'Sala')")
                  .arg(kSerie));

    slxemu::Scenario s;
    s.series.first = QDateTime(QDate(2020, 1, 1), QTime(0, 15), Qt::UTC);
    s.series.count = records;
    s.series.stepMinutes = 5;
    s.series.record.dna = 255;
    emulator.setScenario(s);

    slx::modulo1().NumeroSerieAparato = kSerie;
    auto *form = static_cast<slx::Form5 *>(slx::creaForm5());
    form->show();
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 300)
        QApplication::processEvents();
    std::printf("%s, %d interval records a round, %d rounds\n", qPrintable(QApplication::platformName()), records,
                rounds);
    std::printf("round   program ms/record   client ms/record   difference\n");
    std::vector<double> program, client, difference;
    for (int round = 1; round <= rounds; ++round) {
        QSqlQuery(slx::modulo1().ConexionBD).exec(QStringLiteral("DELETE FROM \"Intervalos\""));
        acceptDialog();
        QElapsedTimer t;
        t.start();
        form->SSCommandRecibir->click();
        const double p = double(t.nsecsElapsed()) / 1e6 / records;
        if (storedIntervals() != records) {
            std::fprintf(stderr, "the program stored %d of %d\n", storedIntervals(), records);
            return 1;
        }
        t.restart();
        const int got = clientDownload(emulator.slavePath());
        const double c = double(t.nsecsElapsed()) / 1e6 / records;
        if (got != records) {
            std::fprintf(stderr, "the client received %d of %d\n", got, records);
            return 1;
        }
        program.push_back(p);
        client.push_back(c);
        difference.push_back(p - c);
        std::printf("%5d   %17.3f   %16.3f   %10.3f\n", round, p, c, p - c);
        std::fflush(stdout);
    }
    std::printf("median  %17.3f   %16.3f   %10.3f   (frame count shown: %s)\n", median(program), median(client),
                median(difference), qPrintable(form->Frame17->title()));
    delete form;
    emulator.stop();
    return 0;
}
