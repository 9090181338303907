// The download from the incidents window against the emulator: the whole road into
// the device shown, into another stored device, a device not in the table, a wrong
// type, Stop halfway, the modem with the call kept and hung up, the date dialog given
// up, the window held open while it runs; after each the buttons and the port as before.
// A download that failed leaves nothing behind for the next one that takes the period
// proposed, a session running at one download is taken by the next, and the records
// skipped are said after the success text.

#include "../link/LinkFixture.h"
#include "RefusedReads.h"
#include "base/DataFolder.h"
#include "base/MessageBox.h"
#include "base/TextoPropio.h"
#include "link/DeviceSession.h"
#include "localization/LocGuru.h"
#include "logs/Form5.h"
#include "logs/Form8.h"
#include "logs/Incidencias.h"
#include "widgets/WindowedSqlModel.h"

#include <algorithm>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>

using namespace slx;
using slxtest::LinkFixture;

namespace {

QString T(int n)
{
    return oLocGuru().GetS(n);
}

QDateTime t(const char *text)
{
    QDateTime d = QDateTime::fromString(QLatin1String(text), QStringLiteral("yyyy-MM-dd HH:mm"));
    d.setTimeSpec(Qt::UTC);
    return d;
}

// Device 123 of firmware 4.10 with `count` intervals (newest ending 10/12/2026 12:45)
// and one session.
slxemu::Scenario scenario(int count = 12, const QByteArray &serial = "000123")
{
    slxemu::Scenario s;
    s.identity.serial = serial;
    s.totals = {4, 0, 2, 1};
    s.events.batteryEnds = {slxemu::FrameDate::of(t("2026-03-02 10:00"))};
    s.series.first = t("2026-12-10 12:45").addSecs(-qint64(count - 1) * 15 * 60);
    s.series.count = count;
    slxemu::SessionRecord one;
    one.start = slxemu::FrameDate::of(t("2026-12-09 21:00"));
    one.end = slxemu::FrameDate::of(t("2026-12-10 04:00"));
    one.leq1MaxAt = one.leq1MinAt = slxemu::FrameDate::of(t("2026-12-10 01:00"));
    s.sessions = {one};
    return s;
}

// intervals ending every 15 minutes up to newestEnd, newest first.
slxemu::IntervalSeries series(const char *newestEnd, int count)
{
    slxemu::IntervalSeries s;
    s.first = t(newestEnd).addSecs(-qint64(count - 1) * 15 * 60);
    s.count = count;
    return s;
}

slxemu::SessionRecord session(const char *start, const char *end)
{
    slxemu::SessionRecord r;
    r.start = slxemu::FrameDate::of(t(start));
    r.end = slxemu::FrameDate::of(t(end));
    r.leq1MaxAt = r.leq1MinAt = r.start;
    return r;
}

int count(const QString &sql)
{
    QSqlQuery q(modulo1().ConexionBD);
    return q.exec(sql) && q.next() ? q.value(0).toInt() : -1;
}

} // namespace

class TestForm5Download : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<LinkFixture> f;
    std::unique_ptr<slxtest::Answers> answers;
    QPointer<Form5> form;
    QList<QPushButton *> locked;
    // What the date dialog does when it shows: accept a period from 2020 (or the period
    // it proposes), or give up.
    bool acceptRange = true;
    bool acceptProposal = false;
    QDateTime proposed; // the start the dialog proposed last

    void open(qint32 serial)
    {
        modulo1().NumeroSerieAparato = serial;
        form = static_cast<Form5 *>(creaForm5());
        form->Timer2->setInterval(LinkFixture::kWatchdogMs);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        locked = {form->SSCommandAnterior,     form->SSCommandBuscar,   form->SSCommandExit,
                  form->SSCommandHelp,         form->SSCommandImprimir, form->SSCommandSiguiente,
                  form->SSCommandProgramacion, form->SSCommandGrafica,  form->SSCommandRecibir};
    }

    // Answers the date dialog when it is shown (a modal loop of its own).
    void answerRangeDialog()
    {
        QTimer::singleShot(0, this, [this] {
            auto *d = qobject_cast<Form8 *>(QApplication::activeModalWidget());
            if (!d) {
                answerRangeDialog();
                return;
            }
            if (!acceptRange) {
                d->SSCommandCancelar->click();
                return;
            }
            proposed = d->MaskFechaIni->dateTime();
            if (!acceptProposal)
                d->MaskFechaIni->setDateTime(t("2020-01-01 00:00"));
            d->MaskFechaFi->setDateTime(t("2049-12-31 23:59"));
            d->CommandVolver->click();
        });
    }

    void receive()
    {
        answerRangeDialog();
        form->SSCommandRecibir->click();
    }

    // The window as at rest after a download.
    void atRest()
    {
        for (QPushButton *b : locked)
            QVERIFY2(b->isEnabled(), qPrintable(b->objectName()));
        QVERIFY(form->SSCommandRecibir->isVisible());
        QVERIFY(!form->SSCommandStop->isVisible());
        QVERIFY(!form->SSPanel1->isVisible());
        QVERIFY(!DeviceSession::running());
        QCOMPARE(form->cursor().shape(), Qt::ArrowCursor); // the default pointer again
    }

private slots:
    void init()
    {
        f = std::make_unique<LinkFixture>();
        QVERIFY(f->ok);
        QVERIFY(f->home.openDatabase());
        QSqlQuery q(modulo1().ConexionBD);
        QVERIFY(
            q.exec("INSERT INTO \"Programacion\" (\"LNumeroSerie\", \"TVersion\", \"TLocal\", \"TTelefono\") VALUES "
                   "(77, '2.0', 'Bar 77', '931000077'), (123, '2.0', 'Sala 123', '931000123')"));
        answers = std::make_unique<slxtest::Answers>();
        acceptRange = true;
        acceptProposal = false;
        f->emulator.setScenario(scenario());
    }
    void cleanup()
    {
        delete form;
        answers.reset();
        oLocGuru().CloseLanguageDatabase();
        f.reset();
    }

    void wholeDownloadIntoTheDeviceShown()
    {
        open(123);
        receive();
        QCOMPARE(answers->texts(), (QStringList{T(15), T(61)}));
        // The identified firmware (4.10) decides the record layout, not the stored 2.0.
        QCOMPARE(count("SELECT COUNT(*) FROM \"Intervalos\" WHERE \"LNumeroSerie\" = 123 AND \"ByDNA\" IS NOT NULL"),
                 12);
        QCOMPARE(count("SELECT COUNT(*) FROM \"Sesiones\""), 1);
        QCOMPARE(count("SELECT COUNT(*) FROM \"DiaFinalBateria\""), 1);
        QCOMPARE(count("SELECT \"LCB\" FROM \"Programacion\" WHERE \"LNumeroSerie\" = 123"), 2);
        // The grids show what came; the frame counter counted every frame.
        QCOMPARE(form->modelo(logs::Rejilla::Intervalos)->rowCount(), 12);
        QCOMPARE(form->TextNumeroSerie->text(), QStringLiteral("123"));
        QCOMPARE(form->Frame17->title(), QStringLiteral("15")); // 13 interval frames, 2 session frames
        QCOMPARE(form->MaskCB->text(), QStringLiteral("2"));
        atRest();
        QVERIFY(!MSComm1().PortOpen());
        slxtest::captura(form, QStringLiteral("form5-after-download"));
    }

    void anotherStoredDeviceIsShownAndDownloaded()
    {
        open(77);
        receive();
        QCOMPARE(answers->texts(), (QStringList{T(15), T(61)}));
        QCOMPARE(form->TextNumeroSerie->text(), QStringLiteral("123"));
        QCOMPARE(count("SELECT COUNT(*) FROM \"Intervalos\" WHERE \"LNumeroSerie\" = 123"), 12);
        QCOMPARE(count("SELECT COUNT(*) FROM \"Intervalos\" WHERE \"LNumeroSerie\" = 77"), 0);
        atRest();
    }

    void aDeviceNotInTheTable()
    {
        f->emulator.setScenario(scenario(12, "000999"));
        open(123);
        receive();
        QCOMPARE(answers->texts(), (QStringList{T(15), T(29) + QStringLiteral("999")}));
        QCOMPARE(answers->shown().last().icon, ui::Icon::Critical);
        QCOMPARE(count("SELECT COUNT(*) FROM \"Intervalos\""), 0);
        QCOMPARE(count("SELECT COUNT(*) FROM \"Programacion\" WHERE \"LCB\" IS NOT NULL"), 0);
        QCOMPARE(form->TextNumeroSerie->text(), QStringLiteral("123")); // still the device it showed
        atRest();
        QVERIFY(!MSComm1().PortOpen());
    }

    // A device not shown, and the list of devices cannot be read to look for it: the
    // failure is said as it is, not as a device missing from the table.
    void aDeviceListThatCannotBeReadIsSaid()
    {
        f->emulator.setScenario(scenario(12, "000999"));
        open(123);
        slxtest::RefusedReads refused;
        ui::setResponder([&](const ui::Request &req) -> QVariant {
            if (req.text == T(15))
                refused.arm(modulo1().ConexionBD); // from the link prompt on
            else
                refused.disarm();
            return ui::vbOK;
        });
        receive();
        QCOMPARE(answers->texts().size(), 2);
        QCOMPARE(answers->shown().last().icon, ui::Icon::Critical);
        QVERIFY2(answers->texts().last().contains(QStringLiteral("is prohibited")),
                 qPrintable(answers->texts().last()));
        QVERIFY(refused.refused() > 0);
        QCOMPARE(count("SELECT COUNT(*) FROM \"Intervalos\""), 0);
        QCOMPARE(form->TextNumeroSerie->text(), QStringLiteral("123"));
        atRest();
    }

    // The device's sheet is deleted by another program while the device answers: the
    // totals find no row to write, and the user is told so in the open language.
    void aSheetGoneIsSaidInTheUsersLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("message");
        QTest::newRow("Español") << QString::fromUtf8("Español") << QStringLiteral("No hay ficha del aparato 123");
        QTest::newRow("Deutsch") << QStringLiteral("Deutsch") << QString::fromUtf8("Kein Blatt für das Gerät 123");
    }
    void aSheetGoneIsSaidInTheUsersLanguage()
    {
        QFETCH(QString, language);
        QFETCH(QString, message);
        QVERIFY(LocGuruP_BAS::SetupLanguage(DataFolder::file(QStringLiteral("Language.db")), language));
        open(123);
        ui::setResponder([&](const ui::Request &req) -> QVariant {
            if (req.text == T(15))
                QSqlQuery(modulo1().ConexionBD).exec("DELETE FROM \"Programacion\" WHERE \"LNumeroSerie\" = 123");
            return ui::vbOK;
        });
        receive();
        // Then the window's reload finds the device gone too.
        QCOMPARE(answers->texts(),
                 (QStringList{T(15), message, TextoPropio("The device is no longer in the database.")}));
        QCOMPARE(answers->shown().at(1).icon, ui::Icon::Critical);
        QCOMPARE(count("SELECT COUNT(*) FROM \"Intervalos\""), 0);
        atRest();
    }

    void aWrongDeviceType()
    {
        auto s = scenario();
        s.identity.type = 7;
        f->emulator.setScenario(s);
        open(123);
        receive();
        QCOMPARE(answers->texts(), (QStringList{T(15), T(30)}));
        QCOMPARE(count("SELECT COUNT(*) FROM \"Intervalos\""), 0);
        atRest();
        QVERIFY(!MSComm1().PortOpen());
    }

    void theDateDialogGivenUpSendsNothing()
    {
        open(123);
        acceptRange = false;
        receive();
        QVERIFY(answers->texts().isEmpty());
        QVERIFY(f->emulator.received().isEmpty());
        atRest();
    }

    void noDeviceShown()
    {
        QSqlQuery(modulo1().ConexionBD).exec("DELETE FROM \"Programacion\"");
        open(0);
        form->SSCommandRecibir->click();
        QCOMPARE(answers->texts(), QStringList{T(28)});
        QCOMPARE(answers->shown().first().icon, ui::Icon::Information);
    }

    void stopHalfwayKeepsTheIntervalsAndSkipsTheSessions()
    {
        f->emulator.setScenario(scenario(4000));
        open(123);
        bool closeRefused = false;
        Qt::CursorShape running = Qt::ArrowCursor;
        QTimer poll;
        poll.setInterval(1);
        connect(&poll, &QTimer::timeout, this, [&] {
            if (form->Frame17->title().toInt() >= 20 && form->SSCommandStop->isVisible()) {
                running = form->cursor().shape();
                form->close(); // refused while the download runs
                QTest::keyClick(form, Qt::Key_Escape);
                closeRefused = form->isVisible();
                form->SSCommandStop->click();
                poll.stop();
            }
        });
        poll.start();
        receive();
        QVERIFY(closeRefused);
        QCOMPARE(running, Qt::BusyCursor);              // the arrow with the hourglass
        QCOMPARE(answers->texts(), QStringList{T(15)}); // no success message
        const int stored = count("SELECT COUNT(*) FROM \"Intervalos\"");
        QVERIFY2(stored >= 20 && stored < 4000, qPrintable(QString::number(stored)));
        QCOMPARE(count("SELECT COUNT(*) FROM \"Sesiones\""), 0);
        QVERIFY(QTest::qWaitFor([this] { return f->emulator.received().endsWith(char(0x18)); }, 2000));
        atRest();
        QVERIFY(form->isVisible());
        QVERIFY(!MSComm1().PortOpen());
    }

    // A download that fails halfway must not make the next one that accepts the proposed
    // period miss what it left on the device: the proposal stays at the last download
    // that ran to its end.
    void aFailedDownloadLeavesNothingBehind_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("text");
        QTest::newRow("bad check byte") << int(slxemu::Fault::WrongCheck) << 62;
        QTest::newRow("silence") << int(slxemu::Fault::Silence) << 31;
        QTest::newRow("record cut short") << int(slxemu::Fault::Truncated) << 31;
        QTest::newRow("Parar") << -1 << 0;
    }
    void aFailedDownloadLeavesNothingBehind()
    {
        QFETCH(int, fault);
        QFETCH(int, text);
        // A first download, to its end: 6 intervals up to 11:00 and a session.
        slxemu::Scenario s = scenario();
        s.series = series("2026-12-10 11:00", 6);
        s.sessions = {session("2026-12-09 21:00", "2026-12-10 04:00")};
        f->emulator.setScenario(s);
        open(123);
        receive();
        QCOMPARE(answers->texts(), (QStringList{T(15), T(61)}));

        // The device logs on: 12 intervals more, up to 14:00, and a session. The next
        // download fails at the fifth interval, or is stopped after the first.
        s.series = series("2026-12-10 14:00", 18);
        s.sessions.prepend(session("2026-12-10 12:00", "2026-12-10 13:30"));
        f->emulator.setScenario(s);
        QTimer stop;
        if (fault >= 0) {
            f->faultAt(slxemu::Fault(fault), 0x05, 5);
        } else {
            // The device falls silent at the fifth interval and Parar is pressed while
            // the program waits for it: four intervals acknowledged, whatever the speed
            // of the machine (the progress shown is too coarse to stop on).
            f->faultAt(slxemu::Fault::Silence, 0x05, 5);
            const auto silent = [this] {
                const auto entries = f->emulator.log();
                return std::any_of(entries.begin(), entries.end(),
                                   [](const slxemu::LogEntry &e) { return e.note == QLatin1String("fault: silence"); });
            };
            stop.setInterval(1);
            connect(&stop, &QTimer::timeout, this, [&, silent] {
                if (silent() && form->SSCommandStop->isVisible()) {
                    form->SSCommandStop->click();
                    stop.stop();
                }
            });
            stop.start();
        }
        acceptProposal = true;
        receive();
        QCOMPARE(proposed, t("2026-12-10 10:45")); // the newest record of the first download
        if (fault >= 0) {
            QCOMPARE(answers->texts().mid(2), (QStringList{T(15), T(text)}));
            QCOMPARE(count("SELECT COUNT(*) FROM \"Intervalos\""), 6 + 4);
        } else {
            QCOMPARE(answers->texts().mid(2), QStringList{T(15)});
            QCOMPARE(count("SELECT COUNT(*) FROM \"Intervalos\""), 6 + 4);
        }
        atRest();

        // The retry takes the period proposed: still from the first download's newest
        // record, so it fetches every interval and session left on the device.
        f->emulator.setFault({});
        const qsizetype before = answers->texts().size();
        receive();
        QCOMPARE(proposed, t("2026-12-10 10:45"));
        QCOMPARE(answers->texts().mid(before), (QStringList{T(15), T(61)}));
        QCOMPARE(count("SELECT COUNT(*) FROM \"Intervalos\""), 18);
        QCOMPARE(count("SELECT COUNT(*) FROM \"Sesiones\""), 2);
        atRest();

        // Now that one ran to its end, the next proposal is its newest record.
        receive();
        QCOMPARE(proposed, t("2026-12-10 13:45"));
    }

    // The device sends no session before it ends: the one running at a download is in
    // the next one's period because it ends after the period's start.
    void aSessionRunningAtADownloadIsTakenByTheNext()
    {
        slxemu::Scenario s = scenario();
        s.series = series("2026-12-15 02:00", 8);
        s.sessions.clear();
        f->emulator.setScenario(s);
        open(123);
        receive();
        QCOMPARE(count("SELECT COUNT(*) FROM \"Sesiones\""), 0);

        s.series = series("2026-12-15 03:15", 13);
        s.sessions = {session("2026-12-14 22:00", "2026-12-15 03:00")};
        f->emulator.setScenario(s);
        acceptProposal = true;
        receive();
        QCOMPARE(proposed, t("2026-12-15 01:45"));
        QCOMPARE(answers->texts(), (QStringList{T(15), T(61), T(15), T(61)}));
        QCOMPARE(count("SELECT COUNT(*) FROM \"Sesiones\" WHERE \"DFechaInicio\" = '2026-12-14' AND "
                       "\"THoraInicio\" = '22:00'"),
                 1);
        QCOMPARE(count("SELECT COUNT(*) FROM \"Intervalos\""), 13);
        atRest();
    }

    // Records skipped (a value out of range) are counted and said after the success text.
    // An event whose time is no time of day is no record skipped: its day is stored, with
    // the time as the device gave it, and the grid shows it.
    void skippedRecordsAreSaid()
    {
        slxemu::Scenario s = scenario();
        slxemu::IntervalRecord bad;
        bad.end = slxemu::FrameDate::of(t("2026-12-10 13:00"));
        bad.leq1MaxAt = bad.leq1MinAt = bad.end;
        bad.passesEmission = 4001;
        s.intervals = {bad};
        s.events.erasures = {slxemu::FrameDate{2, 1, 126, 25, 0}};
        f->emulator.setScenario(s);
        open(123);
        receive();
        QCOMPARE(answers->texts(),
                 (QStringList{T(15), T(61) + QStringLiteral("\n\n") +
                                         TextoPropio("Records skipped (a value out of range): %1").arg(1)}));
        QCOMPARE(count("SELECT COUNT(*) FROM \"Intervalos\""), 12);
        QCOMPARE(count("SELECT COUNT(*) FROM \"DiaBorrado\" WHERE \"DFecha\" = '2026-01-02' AND \"THora\" = '25:00'"),
                 1);
        const auto *borrados = form->modelo(logs::Rejilla::Borrat);
        QCOMPARE(borrados->rowCount(), 1);
        QCOMPARE(borrados->texto(0, 0), QStringLiteral("02/01/2026"));
        QCOMPARE(borrados->texto(0, 1), QStringLiteral("25:00"));
        atRest();
    }

    void theModemCallKeptThenHungUp()
    {
        slxemu::ModemConfig modem;
        modem.enabled = true;
        modem.connectDelayMs = 100;
        modem.echo = false;
        modem.guardMs = LinkFixture::kSecondMs / 2;
        f->emulator.setModem(modem);
        modulo1().TipoConexion = 1;
        modulo1().VelocidadModem = 19200;
        open(123);
        answers->then(ui::vbOK).then(ui::vbOK).then(ui::vbNo); // 33, 61, 112: keep the call
        receive();
        QCOMPARE(answers->texts(), (QStringList{T(33), T(61), T(112)}));
        QVERIFY(modulo1().ModemConectado);
        QVERIFY(MSComm1().PortOpen());
        const int dials = int(f->emulator.modemLines().size());
        atRest();

        // The next download goes on over the call kept: no prompt, no dial; then hang up.
        answers->then(ui::vbOK).then(ui::vbYes);
        receive();
        QCOMPARE(answers->texts().mid(3), (QStringList{T(61), T(112)}));
        QCOMPARE(int(f->emulator.modemLines().size()), dials);
        QVERIFY(!modulo1().ModemConectado);
        QVERIFY(!MSComm1().PortOpen());
        QCOMPARE(count("SELECT COUNT(*) FROM \"Intervalos\""), 12);
        atRest();
        modulo1().TipoConexion = 0;
    }
};

QTEST_MAIN(TestForm5Download)
#include "tst_form5download.moc"
