// The steps of a log download against the emulator over a pseudo-terminal: both
// record layouts stored with their rules, a second download without duplicates,
// the period's start, Stop, a bad line and a bad record in the middle of a transfer,
// levels as the device sent them, and a database another program holds.

#include "../link/LinkFixture.h"
#include "base/Database.h"
#include "base/TextoPropio.h"
#include "link/DeviceSession.h"
#include "logs/LogDownload.h"

#include <QSqlError>
#include <QSqlQuery>

using namespace slx;
using namespace slx::logs;
using slxtest::LinkFixture;

namespace {

QDateTime t(const char *text)
{
    QDateTime d = QDateTime::fromString(QLatin1String(text), QStringLiteral("yyyy-MM-dd HH:mm"));
    d.setTimeSpec(Qt::UTC);
    return d;
}

// A device of firmware `firmware` holding 2 + series intervals (newest first, 15
// minutes each, the newest ending 10/12/2026 12:45) and two sessions.
slxemu::Scenario scenario(quint8 major, quint8 minor, int series = 20)
{
    slxemu::Scenario s;
    s.identity.major = major;
    s.identity.minor = minor;
    s.identity.serial = "000123";
    s.totals = {12, 0, 1, 3};
    s.events.erasures = {slxemu::FrameDate::of(t("2026-01-02 09:00"))};
    s.events.reprogrammings = {slxemu::FrameDate::of(t("2026-01-02 09:05")),
                               slxemu::FrameDate::of(t("2026-06-15 18:30"))};
    const bool old = major < 3;
    slxemu::IntervalRecord r;
    if (old) {
        r.actuationEmission = 1;
        r.actuationReception = 2;
        r.dna = 1;
        r.rs232 = true;
    } else {
        r.dna = 255;
    }
    slxemu::IntervalRecord a = r, b = r;
    a.end = slxemu::FrameDate::of(t("2026-12-10 12:45"));
    a.leq1MaxAt = a.leq1MinAt = slxemu::FrameDate::of(t("2026-12-10 12:40"));
    a.leqEmission = 599; // under range
    b.end = slxemu::FrameDate::of(t("2026-12-10 12:30"));
    b.leq1MaxAt = b.leq1MinAt = slxemu::FrameDate::of(t("2026-12-10 12:20"));
    b.sensorInactive = 3;
    b.passesEmission = 4;
    b.lfMax = 1300;
    s.intervals = {a, b};
    s.series.first = t("2026-12-05 12:15");
    s.series.stepMinutes = 15;
    s.series.count = series;
    s.series.record = r;
    slxemu::SessionRecord one, two;
    one.start = slxemu::FrameDate::of(t("2026-12-09 21:00"));
    one.end = slxemu::FrameDate::of(t("2026-12-10 04:00"));
    one.leq1MaxAt = one.leq1MinAt = slxemu::FrameDate::of(t("2026-12-10 01:00"));
    one.leq = 1250;
    two = one;
    two.start = slxemu::FrameDate::of(t("2026-12-08 21:00"));
    two.sensorInactive = 5;
    s.sessions = {one, two};
    return s;
}

const RangoFechas kDesde2025 = {1, 1, 25, 0, 0, 31, 12, 26, 23, 59};

int count(const char *sql)
{
    QSqlQuery q(modulo1().ConexionBD);
    if (!q.exec(QLatin1String(sql)) || !q.next())
        return -1;
    return q.value(0).toInt();
}

QVariant value(const char *sql)
{
    QSqlQuery q(modulo1().ConexionBD);
    if (!q.exec(QLatin1String(sql)) || !q.next())
        return QVariant();
    return q.value(0);
}

} // namespace

class TestLogDownload : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<LinkFixture> f;

    std::unique_ptr<DeviceSession> open()
    {
        SessionOptions o;
        o.enlace = ajustesEnlace(modulo1());
        o.watchdog = &f->watchdog;
        auto s = std::make_unique<DeviceSession>(o);
        if (s->open() != DeviceSession::Outcome::Ready)
            return nullptr;
        return s;
    }

    // One whole download: totals, event dates, intervals and sessions.
    QList<ResultadoPaso> download(const RangoFechas &rango = kDesde2025)
    {
        auto s = open();
        if (!s)
            return {};
        LogDownload d(*s, modulo1().ConexionBD, s->identification().numeroSerie);
        QList<ResultadoPaso> r;
        r << d.totales(QDateTime(QDate(2026, 12, 10), QTime(13, 0, 5))) << d.fechas()
          << d.intervalos(formatoDeVersion(s->identification().version), rango) << d.sesiones(rango);
        s->finish();
        return r;
    }

private slots:
    void init()
    {
        f = std::make_unique<LinkFixture>();
        QVERIFY(f->ok);
        QVERIFY(f->home.openDatabase());
        QSqlQuery q(modulo1().ConexionBD);
        QVERIFY(
            q.exec("INSERT INTO \"Programacion\" (\"LNumeroSerie\", \"TVersion\") VALUES (7, '4.1'), (123, '4.1')"));
    }
    void cleanup() { f.reset(); }

    void wholeDownload_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::newRow("firmware 4.10") << 4 << 10;
        QTest::newRow("firmware 2.9, the older record") << 2 << 9;
    }
    void wholeDownload()
    {
        QFETCH(int, major);
        QFETCH(int, minor);
        f->emulator.setScenario(scenario(quint8(major), quint8(minor)));
        const auto steps = download();
        QCOMPARE(steps.size(), 4);
        for (const auto &s : steps)
            QVERIFY2(s.estado == ResultadoPaso::Hecho, qPrintable(s.error));
        QCOMPARE(steps[2].guardados, 22);
        QCOMPARE(steps[3].guardados, 2);
        QCOMPARE(f->emulator.received().count(char(0x18)), 1); // the one before the identification

        // Totals on the identified device's row, stamped with the PC's time.
        QCOMPARE(value("SELECT \"LPasadasLocal\" || '/' || \"LE3\" || '/' || \"LCB\" || '/' || \"LPasadasVecino\" "
                       "|| ' ' || \"DFechaTotales\" || ' ' || \"THoraTotales\" FROM \"Programacion\" "
                       "WHERE \"LNumeroSerie\" = 123")
                     .toString(),
                 QStringLiteral("12/0/1/3 2026-12-10 13:00:05"));
        QVERIFY(value("SELECT \"LPasadasLocal\" FROM \"Programacion\" WHERE \"LNumeroSerie\" = 7").isNull());
        QCOMPARE(count("SELECT COUNT(*) FROM \"DiaBorrado\" WHERE \"LNumeroSerie\" = 123"), 1);
        QCOMPARE(count("SELECT COUNT(*) FROM \"DiaReprogramado\""), 2);
        QCOMPARE(count("SELECT COUNT(*) FROM \"DiaFinalBateria\""), 0);

        // The newest interval: under range, ends 12:45 after 15 minutes.
        QCOMPARE(value("SELECT \"DFechaInicio\" || ' ' || \"THoraInicio\" || ' ' || \"SLeqLocal\" FROM \"Intervalos\" "
                       "WHERE \"THoraFinal\" = '12:45'")
                     .toString(),
                 QStringLiteral("2026-12-10 12:30 59.0"));
        // Sensor inactive: levels and passes 0, LFmax clamped.
        QCOMPARE(value("SELECT \"SLeqLocal\" || '/' || \"IPasadasLocal\" || '/' || \"SMaxFast\" FROM \"Intervalos\" "
                       "WHERE \"THoraFinal\" = '12:30' AND \"DFechaFinal\" = '2026-12-10'")
                     .toString(),
                 QStringLiteral("0.0/0/121.0"));
        const QVariant dna = value("SELECT \"ByDNA\" FROM \"Intervalos\" WHERE \"THoraFinal\" = '12:45'");
        if (major >= 3) {
            QCOMPARE(dna.toInt(), 255);
            QCOMPARE(value("SELECT \"TTipoActuacionLocal\" FROM \"Intervalos\" LIMIT 1").toString(),
                     QStringLiteral("Leq125ms"));
        } else {
            QVERIFY(dna.isNull());
            QCOMPARE(value("SELECT \"TTipoActuacionLocal\" || '/' || \"TTipoActuacionVecino\" || '/' || \"BoRS232\" "
                           "FROM \"Intervalos\" LIMIT 1")
                         .toString(),
                     QStringLiteral("Leq1s/Leq125ms/-1"));
        }
        QCOMPARE(value("SELECT \"SLeq\" FROM \"Sesiones\" WHERE \"DFechaInicio\" = '2026-12-09'").toFloat(), 121.0f);
        QCOMPARE(value("SELECT \"SLeq\" FROM \"Sesiones\" WHERE \"DFechaInicio\" = '2026-12-08'").toFloat(), 0.0f);
        QCOMPARE(value("PRAGMA integrity_check").toString(), QStringLiteral("ok"));
    }

    void secondDownloadStoresNoDuplicate()
    {
        auto sc = scenario(4, 10);
        f->emulator.setScenario(sc);
        QCOMPARE(download().size(), 4);
        sc.intervals[0].leqEmission = 810;
        f->emulator.setScenario(sc);
        const auto again = download();
        QCOMPARE(again.size(), 4);
        QCOMPARE(again[2].guardados, 22);
        QCOMPARE(count("SELECT COUNT(*) FROM \"Intervalos\""), 22);
        QCOMPARE(count("SELECT COUNT(*) FROM \"Sesiones\""), 2);
        QCOMPARE(count("SELECT COUNT(*) FROM \"DiaReprogramado\""), 2);
        QCOMPARE(value("SELECT \"SLeqLocal\" FROM \"Intervalos\" WHERE \"THoraFinal\" = '12:45'").toFloat(), 81.0f);
    }

    void aRecordBeforeThePeriodEndsTheTransfer()
    {
        f->emulator.setScenario(scenario(4, 10));
        // From 10/12/26 12:00: the two newest records and the series' two newest... none,
        // the series ends on the 5th; so two records, then CAN.
        const RangoFechas rango = {10, 12, 26, 12, 0, 31, 12, 26, 23, 59};
        const auto steps = download(rango);
        QCOMPARE(steps.size(), 4);
        QCOMPARE(steps[2].estado, ResultadoPaso::Hecho);
        QCOMPARE(steps[2].guardados, 2);
        QCOMPARE(count("SELECT COUNT(*) FROM \"Intervalos\""), 2);
        // Both sessions start before the period: CAN at the first.
        QCOMPARE(steps[3].guardados, 0);
        // The last CAN may still be on its way to the emulator when the download returns.
        QTRY_COMPARE(f->emulator.received().count(char(0x18)), 1 + 2); // the session's CAN, then one per loop
    }

    void stopBetweenRecordsKeepsWhatCame()
    {
        f->emulator.setScenario(scenario(4, 10, 200));
        auto s = open();
        QVERIFY(s);
        DeviceSession *session = s.get();
        LogDownload d(*s, modulo1().ConexionBD, 123, [session](const Progreso &p) {
            if (p.tramas == 5)
                session->cancel();
        });
        const auto r = d.intervalos(FormatoIntervalo::Desde30, kDesde2025);
        QCOMPARE(r.estado, ResultadoPaso::Parado);
        QCOMPARE(r.guardados, 5);
        QCOMPARE(d.progreso().tramas, 5);
        QCOMPARE(count("SELECT COUNT(*) FROM \"Intervalos\""), 5);
        QVERIFY(QTest::qWaitFor([this] { return f->emulator.received().endsWith(char(0x18)); }, 2000));
        s->finish();
        QVERIFY(!MSComm1().PortOpen());
    }

    // The whole sequence in one call: what it stores, whether it is a success, and
    // the kept start, which only a sequence run to its end moves. stopAt: the frame
    // after which Stop cancels the session (0: none; 23 frames of intervals, then
    // the sessions').
    void theWholeSequence_data()
    {
        QTest::addColumn<int>("stopAt");
        QTest::addColumn<int>("estado");
        QTest::addColumn<bool>("exito");
        QTest::addColumn<int>("sesiones");
        QTest::addColumn<int>("finesDePaso");
        QTest::addColumn<QString>("inicioGuardado");
        QTest::newRow("to its end") << 0 << int(ResultadoPaso::Hecho) << true << 2 << 2
                                    << QStringLiteral("2026-12-10 12:30");
        QTest::newRow("Stop between two intervals: no sessions, no success")
            << 5 << int(ResultadoPaso::Parado) << false << 0 << 1 << QStringLiteral("2025-01-01 00:00");
        QTest::newRow("Stop between two sessions: a success, the start kept")
            << 24 << int(ResultadoPaso::Parado) << true << 1 << 2 << QStringLiteral("2025-01-01 00:00");
    }
    void theWholeSequence()
    {
        QFETCH(int, stopAt);
        QFETCH(int, estado);
        QFETCH(bool, exito);
        QFETCH(int, sesiones);
        QFETCH(int, finesDePaso);
        QFETCH(QString, inicioGuardado);
        f->emulator.setScenario(scenario(4, 10));
        auto s = open();
        QVERIFY(s);
        DeviceSession *session = s.get();
        LogDownload d(*s, modulo1().ConexionBD, 123, [session, stopAt](const Progreso &p) {
            if (p.tramas == stopAt)
                session->cancel();
        });
        AvisosDescarga avisos;
        QList<int> totalesVistos;
        int fines = 0;
        avisos.totales = [&](const Totales &t) { totalesVistos << t.pasadasLocal << t.pasadasVecino; };
        avisos.finPaso = [&] { ++fines; };
        const ResultadoDescarga r =
            d.descarga(FormatoIntervalo::Desde30, kDesde2025, QDateTime(QDate(2026, 12, 10), QTime(13, 0, 5)), avisos);
        s->finish();
        QCOMPARE(int(r.paso.estado), estado);
        QCOMPARE(r.exito, exito);
        QVERIFY(r.totales);
        QCOMPARE(r.totales->pasadasLocal, 12);
        QCOMPARE(totalesVistos, QList<int>({12, 3}));
        QCOMPARE(fines, finesDePaso);
        QCOMPARE(count("SELECT COUNT(*) FROM \"DiaReprogramado\""), 2);
        QCOMPARE(count("SELECT COUNT(*) FROM \"Sesiones\""), sesiones);
        const auto kept = completedDownloadStart(modulo1().ConexionBD, 123);
        QVERIFY(kept);
        QCOMPARE(kept->toString(QStringLiteral("yyyy-MM-dd HH:mm")), inicioGuardado);
    }

    // A totals answer that arrives damaged: nothing after it is asked, no success.
    void theSequenceStopsAtTheFirstFailure()
    {
        auto sc = scenario(4, 10);
        f->emulator.setScenario(sc);
        auto s = open();
        QVERIFY(s);
        slxemu::FaultPlan fallo;
        fallo.kind = slxemu::Fault::WrongCheck;
        fallo.count = -1;
        f->emulator.setFault(fallo);
        LogDownload d(*s, modulo1().ConexionBD, 123);
        int fines = 0;
        AvisosDescarga avisos;
        avisos.finPaso = [&] { ++fines; };
        const ResultadoDescarga r =
            d.descarga(FormatoIntervalo::Desde30, kDesde2025, QDateTime::currentDateTime(), avisos);
        s->finish();
        QCOMPARE(r.paso.estado, ResultadoPaso::FalloTrama);
        QVERIFY(!r.exito);
        QVERIFY(!r.totales);
        QCOMPARE(fines, 0);
        QCOMPARE(count("SELECT COUNT(*) FROM \"Intervalos\""), 0);
        QVERIFY(!completedDownloadStart(modulo1().ConexionBD, 123));
    }

    void aBadLineInTheMiddle_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("result");
        QTest::newRow("silence") << int(slxemu::Fault::Silence) << int(FrameResult::TimedOut);
        QTest::newRow("bad check byte") << int(slxemu::Fault::WrongCheck) << int(FrameResult::BadCheck);
        QTest::newRow("record cut short") << int(slxemu::Fault::Truncated) << int(FrameResult::TimedOut);
    }
    void aBadLineInTheMiddle()
    {
        QFETCH(int, fault);
        QFETCH(int, result);
        f->emulator.setScenario(scenario(4, 10));
        f->faultAt(slxemu::Fault(fault), 0x05, 4);
        auto s = open();
        QVERIFY(s);
        LogDownload d(*s, modulo1().ConexionBD, 123);
        const auto r = d.intervalos(FormatoIntervalo::Desde30, kDesde2025);
        QCOMPARE(r.estado, ResultadoPaso::FalloTrama);
        QCOMPARE(int(r.trama), result);
        QCOMPARE(r.guardados, 3);
        QCOMPARE(count("SELECT COUNT(*) FROM \"Intervalos\""), 3);
        QVERIFY(QTest::qWaitFor([this] { return f->emulator.received().endsWith(char(0x18)); }, 2000));
        s->finish();
        QVERIFY(!MSComm1().PortOpen());
    }

    // A record that arrives whole but holds a value out of range is acknowledged and
    // skipped: the transfer goes on, what follows is stored, and it is counted.
    void aBadRecordInTheMiddleIsSkipped()
    {
        auto sc = scenario(4, 10);
        slxemu::IntervalRecord bad = sc.intervals[0];
        bad.end = slxemu::FrameDate::of(t("2026-12-10 12:40"));
        bad.leqEmission = 1401;
        sc.intervals.insert(1, bad);
        slxemu::SessionRecord badSession = sc.sessions[0];
        badSession.start = slxemu::FrameDate::of(t("2026-12-09 10:00"));
        badSession.attenuationTime = 9001;
        sc.sessions.insert(1, badSession);
        f->emulator.setScenario(sc);
        const auto steps = download();
        QCOMPARE(steps.size(), 4);
        for (const auto &s : steps)
            QVERIFY2(s.estado == ResultadoPaso::Hecho, qPrintable(s.error));
        QCOMPARE(steps[2].guardados, 22);
        QCOMPARE(steps[2].omitidos, 1);
        QCOMPARE(steps[3].guardados, 2);
        QCOMPARE(steps[3].omitidos, 1);
        QCOMPARE(count("SELECT COUNT(*) FROM \"Intervalos\" WHERE \"THoraFinal\" = '12:30' AND \"DFechaFinal\" = "
                       "'2026-12-10'"),
                 1); // the one after it
        QCOMPARE(count("SELECT COUNT(*) FROM \"Intervalos\" WHERE \"THoraFinal\" = '12:40'"), 0);
        QCOMPARE(count("SELECT COUNT(*) FROM \"Sesiones\" WHERE \"DFechaInicio\" = '2026-12-08'"), 1);
        QCOMPARE(f->emulator.received().count(char(0x18)), 1); // only the one before the identification
    }

    // Levels are the decimal values the device sent: a query for 65.3 finds the row.
    // Night hours that form no "hh:mm" leave their texts empty and the session stored.
    void valuesStoredAsSent()
    {
        auto sc = scenario(4, 10, 0);
        sc.intervals[0].leqEmission = 653;
        sc.intervals[0].leqReception = 1201;
        sc.intervals[0].leq1Max = 1003;
        sc.sessions[0].leq = 653;
        sc.sessions[0].nightEndHour = 0xFF;
        sc.sessions[0].nightEndMinute = 0xFF;
        f->emulator.setScenario(sc);
        const auto steps = download();
        QCOMPARE(steps.size(), 4);
        QCOMPARE(steps[3].guardados, 2);
        QCOMPARE(count("SELECT COUNT(*) FROM \"Intervalos\" WHERE \"SLeqLocal\" = 65.3 AND \"SLeqVecino\" = 120.1 "
                       "AND \"SMaxLeq1min\" = 100.3"),
                 1);
        QCOMPARE(
            value("SELECT CAST(\"SLeqLocal\" AS TEXT) FROM \"Intervalos\" WHERE \"THoraFinal\" = '12:45'").toString(),
            QStringLiteral("65.3"));
        QCOMPARE(count("SELECT COUNT(*) FROM \"Sesiones\" WHERE \"SLeq\" = 65.3 AND \"THoraFinalNoche\" = '' "
                       "AND \"THoraInicioNoche\" = '22:00'"),
                 1);
    }

    // The night hours a session carries are kept as "hh:mm" whatever they hold; one whose
    // hour or minute has no two digits leaves its text empty (the column takes five
    // characters at most) and the session, and the download, go on.
    void nightHoursAsSent_data()
    {
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("minute");
        QTest::addColumn<QString>("expected");
        QTest::newRow("08:00") << 8 << 0 << "08:00";
        QTest::newRow("hour 24") << 24 << 0 << "24:00";
        QTest::newRow("minute 99") << 22 << 99 << "22:99";
        QTest::newRow("minute 100") << 22 << 100 << "";
        QTest::newRow("hour 100") << 100 << 0 << "";
    }
    void nightHoursAsSent()
    {
        QFETCH(int, hour);
        QFETCH(int, minute);
        QFETCH(QString, expected);
        auto sc = scenario(4, 10, 0);
        sc.sessions[0].nightEndHour = quint8(hour);
        sc.sessions[0].nightEndMinute = quint8(minute);
        f->emulator.setScenario(sc);
        const auto steps = download();
        QCOMPARE(steps.size(), 4);
        QVERIFY2(steps[3].estado == ResultadoPaso::Hecho, qPrintable(steps[3].error));
        QCOMPARE(steps[3].guardados, 2);
        QCOMPARE(steps[3].omitidos, 0);
        QCOMPARE(value("SELECT \"THoraFinalNoche\" FROM \"Sesiones\" WHERE \"DFechaInicio\" = '2026-12-09'"),
                 QVariant(expected));
        QCOMPARE(count("SELECT COUNT(*) FROM \"Sesiones\" WHERE \"THoraFinalNoche\" = '08:00'"),
                 expected == QLatin1String("08:00") ? 2 : 1); // the other session's
    }

    // An event whose time is no time of day is stored on its day with the device's time:
    // two such events of one day stay two rows, they sort after the day's real times, and
    // a second download adds none.
    void eventTimesThatAreNoTimeOfDay()
    {
        auto sc = scenario(4, 10, 0);
        sc.events.reprogrammings = {slxemu::FrameDate{2, 2, 126, 25, 0}, slxemu::FrameDate{2, 2, 126, 23, 59},
                                    slxemu::FrameDate{2, 2, 126, 25, 30}, slxemu::FrameDate{2, 2, 126, 8, 60}};
        f->emulator.setScenario(sc);
        for (int i = 0; i < 2; ++i) {
            const auto steps = download();
            QCOMPARE(steps.size(), 4);
            QVERIFY2(steps[1].estado == ResultadoPaso::Hecho, qPrintable(steps[1].error));
            QCOMPARE(steps[1].guardados, 5); // the erasure and the four re-programmings
            QCOMPARE(steps[1].omitidos, 0);
        }
        QCOMPARE(count("SELECT COUNT(*) FROM \"DiaReprogramado\""), 4);
        QCOMPARE(value("SELECT group_concat(\"THora\", ' ') FROM (SELECT \"THora\" FROM \"DiaReprogramado\" WHERE "
                       "\"DFecha\" = '2026-02-02' ORDER BY \"DFecha\" DESC, \"THora\" DESC)")
                     .toString(),
                 QStringLiteral("25:30 25:00 23:59 08:60"));
    }

    // The connection gives back its own wait for a busy database once the download is
    // over, whatever it was (the download waits in short steps of its own meanwhile).
    void theConnectionKeepsItsBusyTimeout_data()
    {
        QTest::addColumn<int>("ms");
        QTest::newRow("no wait") << 0;
        QTest::newRow("1234 ms") << 1234;
    }
    void theConnectionKeepsItsBusyTimeout()
    {
        QFETCH(int, ms);
        f->emulator.setScenario(scenario(4, 10, 0));
        QVERIFY(QSqlQuery(modulo1().ConexionBD).exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(ms)));
        const auto steps = download();
        QCOMPARE(steps.size(), 4);
        QCOMPARE(value("PRAGMA busy_timeout").toInt(), ms);
    }

    // A database another program holds is waited for with window events running; a
    // lock let go in time loses nothing, one held on fails in the user's language.
    void aBusyDatabase_data()
    {
        QTest::addColumn<int>("releaseMs"); // -1: held until the step gives up
        QTest::newRow("let go after 300 ms") << 300;
        QTest::newRow("held") << -1;
    }
    void aBusyDatabase()
    {
        QFETCH(int, releaseMs);
        f->emulator.setScenario(scenario(4, 10, 0));
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
            other.setDatabaseName(modulo1().ConexionBD.databaseName());
            QVERIFY(other.open());
            int ticks = 0;
            QTimer tick;
            connect(&tick, &QTimer::timeout, [&ticks] { ++ticks; });
            auto s = open();
            QVERIFY(s);
            // The other program takes the database as the second record arrives.
            LogDownload d(*s, modulo1().ConexionBD, 123, [&](const Progreso &p) {
                if (p.tramas != 2)
                    return;
                QSqlQuery(other).exec("BEGIN IMMEDIATE");
                tick.start(20);
                if (releaseMs >= 0)
                    QTimer::singleShot(releaseMs, this, [&other] { QSqlQuery(other).exec("ROLLBACK"); });
            });
            const auto r = d.intervalos(FormatoIntervalo::Desde30, kDesde2025);
            tick.stop();
            QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks))); // events ran during the wait
            if (releaseMs >= 0) {
                QVERIFY2(r.estado == ResultadoPaso::Hecho, qPrintable(r.error));
                QCOMPARE(count("SELECT COUNT(*) FROM \"Intervalos\""), 2);
            } else {
                QCOMPARE(r.estado, ResultadoPaso::FalloBase);
                QCOMPARE(r.error, TextoPropio("Another program is using the database, so the record could not be "
                                              "stored and the download was stopped (what came before it is stored). "
                                              "Close the other program and receive again."));
                QVERIFY(QTest::qWaitFor([this] { return f->emulator.received().endsWith(char(0x18)); }, 2000));
                QSqlQuery(other).exec("ROLLBACK");
                QCOMPARE(count("SELECT COUNT(*) FROM \"Intervalos\""), 1);
            }
            s->finish();
            other.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
    }

    void aRowTheDatabaseRefusesEndsWithCan()
    {
        f->emulator.setScenario(scenario(4, 10));
        QSqlQuery q(modulo1().ConexionBD);
        QVERIFY(q.exec("CREATE TRIGGER refuse BEFORE INSERT ON \"Intervalos\" WHEN "
                       "(SELECT COUNT(*) FROM \"Intervalos\") >= 2 BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
        auto s = open();
        QVERIFY(s);
        LogDownload d(*s, modulo1().ConexionBD, 123);
        const auto r = d.intervalos(FormatoIntervalo::Desde30, kDesde2025);
        QCOMPARE(r.estado, ResultadoPaso::FalloBase);
        QVERIFY2(r.error.contains(QStringLiteral("disk full")), qPrintable(r.error));
        QCOMPARE(count("SELECT COUNT(*) FROM \"Intervalos\""), 2);
        QVERIFY(QTest::qWaitFor([this] { return f->emulator.received().endsWith(char(0x18)); }, 2000));
    }
};

QTEST_MAIN(TestLogDownload)
#include "tst_logdownload.moc"
