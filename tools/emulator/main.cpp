// slx90-emulator: an SLX-90 on a pseudo-terminal, for trying the program without
// a device. Prints the slave's path on the first line of its output; point the
// settings file's [Ports] COM<N> at it (or at the --link path).

#include "Emulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(g_signalPipe[1], &c, 1);
}

bool parseFault(const QString &name, slxemu::Fault &fault)
{
    static const struct {
        const char *name;
        slxemu::Fault fault;
    } table[] = {{"none", slxemu::Fault::None},
                 {"noise", slxemu::Fault::NoiseBeforeStx},
                 {"bad-check", slxemu::Fault::WrongCheck},
                 {"silence", slxemu::Fault::Silence},
                 {"pause", slxemu::Fault::PauseMidFrame},
                 {"truncate", slxemu::Fault::Truncated},
                 {"length", slxemu::Fault::LengthOutOfRange}};
    for (const auto &e : table)
        if (name == QLatin1String(e.name)) {
            fault = e.fault;
            return true;
        }
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("slx90-emulator"));

    QCommandLineParser cli;
    cli.setApplicationDescription(QStringLiteral("Plays an SLX-90 on a pseudo-terminal."));
    cli.addHelpOption();
    const QCommandLineOption link(QStringLiteral("link"), QStringLiteral("Make a symbolic link to the port."),
                                  QStringLiteral("path"));
    const QCommandLineOption scenarioFile(QStringLiteral("scenario"),
                                          QStringLiteral("The device's content: a JSON scenario file (see "
                                                         "example-scenario.json)."),
                                          QStringLiteral("file"));
    const QCommandLineOption type(QStringLiteral("type"), QStringLiteral("Device type (42)."), QStringLiteral("n"),
                                  QStringLiteral("42"));
    const QCommandLineOption firmware(QStringLiteral("firmware"), QStringLiteral("Firmware version (4.10)."),
                                      QStringLiteral("major.minor"), QStringLiteral("4.10"));
    const QCommandLineOption serial(QStringLiteral("serial"), QStringLiteral("Serial number, six digits (000123)."),
                                    QStringLiteral("digits"), QStringLiteral("000123"));
    const QCommandLineOption mode(QStringLiteral("mode"), QStringLiteral("Device mode (1 = programming)."),
                                  QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption modem(QStringLiteral("modem"), QStringLiteral("Sit behind a Hayes-command modem."));
    const QCommandLineOption result(QStringLiteral("modem-result"),
                                    QStringLiteral("Result code of a dial (1 = connected; empty = no answer)."),
                                    QStringLiteral("code"), QStringLiteral("1"));
    const QCommandLineOption delay(QStringLiteral("connect-delay"), QStringLiteral("Dialling time in ms (2000)."),
                                   QStringLiteral("ms"), QStringLiteral("2000"));
    const QCommandLineOption fault(QStringLiteral("fault"),
                                   QStringLiteral("Fault in the answers: noise, bad-check, silence, pause, "
                                                  "truncate, length."),
                                   QStringLiteral("kind"), QStringLiteral("none"));
    const QCommandLineOption faultCommand(QStringLiteral("fault-command"),
                                          QStringLiteral("Only answers to this command code (0 = any)."),
                                          QStringLiteral("code"), QStringLiteral("0"));
    const QCommandLineOption faultFrame(QStringLiteral("fault-frame"),
                                        QStringLiteral("Only the n-th frame answering a request, e.g. the n-th "
                                                       "record of a transfer (0 = any)."),
                                        QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption count(QStringLiteral("fault-count"),
                                   QStringLiteral("Answers the fault applies to (-1 = all, default 1)."),
                                   QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption at(QStringLiteral("fault-at"), QStringLiteral("Bytes sent before a pause or a cut (6)."),
                                QStringLiteral("n"), QStringLiteral("6"));
    const QCommandLineOption pause(QStringLiteral("pause"), QStringLiteral("Pause in ms (6000)."), QStringLiteral("ms"),
                                   QStringLiteral("6000"));
    const QCommandLineOption length(QStringLiteral("length"),
                                    QStringLiteral("Declared length for the length fault (65535)."),
                                    QStringLiteral("n"), QStringLiteral("65535"));
    const QCommandLineOption logFile(QStringLiteral("log"), QStringLiteral("Write the byte log to a file."),
                                     QStringLiteral("file"));
    const QCommandLineOption quiet(QStringLiteral("quiet"), QStringLiteral("No byte log on standard error."));
    cli.addOptions({link, scenarioFile, type, firmware, serial, mode, modem, result, delay, fault, faultCommand,
                    faultFrame, count, at, pause, length, logFile, quiet});
    cli.process(app);

    slxemu::Scenario scenario;
    if (cli.isSet(scenarioFile)) {
        QString why;
        if (!slxemu::loadScenario(cli.value(scenarioFile), &scenario, &why)) {
            std::fprintf(stderr, "%s\n", qPrintable(why));
            return 2;
        }
    }
    // The identity options win over the scenario's identity.
    slxemu::Identity &id = scenario.identity;
    if (cli.isSet(type) || !cli.isSet(scenarioFile))
        id.type = quint8(cli.value(type).toUInt());
    if (cli.isSet(firmware) || !cli.isSet(scenarioFile)) {
        const QStringList fw = cli.value(firmware).split(QLatin1Char('.'));
        id.major = quint8(fw.value(0).toUInt());
        id.minor = quint8(fw.value(1).toUInt());
    }
    if (cli.isSet(serial) || !cli.isSet(scenarioFile))
        id.serial = cli.value(serial).toLatin1().left(6).rightJustified(6, '0');
    if (cli.isSet(mode) || !cli.isSet(scenarioFile))
        id.mode = quint8(cli.value(mode).toUInt());

    slxemu::FaultPlan plan;
    if (!parseFault(cli.value(fault), plan.kind)) {
        std::fprintf(stderr, "unknown fault %s\n", qPrintable(cli.value(fault)));
        return 2;
    }
    plan.command = int(cli.value(faultCommand).toUInt(nullptr, 0));
    plan.frame = cli.value(faultFrame).toInt();
    plan.count = cli.value(count).toInt();
    plan.at = cli.value(at).toInt();
    plan.pauseMs = cli.value(pause).toInt();
    plan.length = quint16(cli.value(length).toUInt());

    slxemu::ModemConfig mc;
    mc.enabled = cli.isSet(modem);
    mc.result = cli.value(result).toLatin1();
    mc.connectDelayMs = cli.value(delay).toInt();

    slxemu::Emulator emulator;
    emulator.setScenario(scenario);
    emulator.setFault(plan);
    emulator.setModem(mc);

    QFile out;
    if (cli.isSet(logFile)) {
        out.setFileName(cli.value(logFile));
        if (!out.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(out.fileName()), qPrintable(out.errorString()));
            return 1;
        }
    }
    const bool toStderr = !cli.isSet(quiet);
    emulator.setKeepHistory(false); // the log goes to its sink, not to memory
    if (toStderr || out.isOpen())
        emulator.setLogSink([&out, toStderr](const QString &line) {
            if (toStderr)
                std::fprintf(stderr, "%s\n", qPrintable(line));
            if (out.isOpen()) {
                out.write(line.toUtf8() + '\n');
                out.flush();
            }
        });

    QString error;
    if (!emulator.start(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::printf("%s\n", qPrintable(emulator.slavePath()));
    std::fflush(stdout);
    const QString linkPath = cli.value(link);
    if (!linkPath.isEmpty() && !emulator.makeLink(linkPath, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }

    if (::pipe(g_signalPipe) == 0) {
        auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
    }
    const int rc = app.exec();
    emulator.stop();
    if (!linkPath.isEmpty())
        QFile::remove(linkPath);
    return rc;
}
