// The real-time exchange without a window, against the device emulator: the answers
// handed over one after another with their ACKs, a cancel that ends the loop with one
// CAN (also in the middle of an answer), and a failed receive handed over once.

#include "ExchangeFixture.h"
#include "link/DeviceSession.h"
#include "programming/RealTimeMonitor.h"

#include <QTimer>
#include <QtTest>

using namespace slx;

namespace {

slxemu::RealTimeValues values(int level)
{
    slxemu::RealTimeValues v;
    v.at = QDateTime(QDate(2026, 12, 10), QTime(22, 15, 30));
    v.level = level;
    return v;
}

} // namespace

class TestRealTimeMonitor : public QObject {
    Q_OBJECT

    std::unique_ptr<slxtest::ExchangeFixture> fx;
    QStringList shown;
    QList<int> failures;

    void scenario(const QList<slxemu::RealTimeValues> &list)
    {
        slxemu::Scenario s = fx->link.emulator.scenario();
        s.realTime = list;
        fx->link.emulator.setScenario(s);
    }
    // The bytes the PC sent after the real-time request.
    QByteArray afterRequest() const
    {
        const QByteArray got = fx->link.emulator.received();
        const int at = got.indexOf(QByteArray::fromHex("02000609030E"));
        return at < 0 ? QByteArray() : got.mid(at + 6);
    }
    // Runs the monitor on a session opened without a window; cancelAfter answers
    // shown, the handler cancels the session (0: never).
    void run(int cancelAfter, int cancelDelayMs = -1)
    {
        SessionOptions o;
        o.enlace = ajustesEnlace(modulo1());
        o.sendCan = false;
        DeviceSession session(o);
        QCOMPARE(session.open(), DeviceSession::Outcome::Ready);
        RealTimeMonitor monitor(session, QStringLiteral("DIA"), QStringLiteral("NOCHE"));
        RealTimeMonitor::Handlers h;
        h.shown = [&](const RealTimeDisplay &v) {
            shown << v.LbNivel;
            if (shown.size() != cancelAfter)
                return;
            if (cancelDelayMs < 0)
                session.cancel();
            else
                QTimer::singleShot(cancelDelayMs, [&session] { session.cancel(); });
        };
        h.failed = [&](int texto) { failures << texto; };
        monitor.run(h);
        session.finish();
    }

private Q_SLOTS:
    void init()
    {
        fx = std::make_unique<slxtest::ExchangeFixture>();
        QVERIFY(fx->ok);
        shown.clear();
        failures.clear();
    }
    void cleanup() { fx.reset(); }

    void answersUntilCancelled()
    {
        scenario({values(650), values(660), values(670), values(680)});
        run(3);
        // The third answer shown is still acknowledged; then one CAN, nothing more.
        QCOMPARE(shown, (QStringList{"65.0", "66.0", "67.0"}));
        QVERIFY(failures.isEmpty());
        QTRY_COMPARE(afterRequest().toHex(), QByteArray("060606") + "18");
    }

    void cancelInTheMiddleOfAnAnswer()
    {
        scenario({values(650), values(660), values(670)});
        slxemu::FaultPlan plan;
        plan.kind = slxemu::Fault::PauseMidFrame;
        plan.command = 0x09;
        plan.frame = 3;
        plan.at = 8;
        plan.pauseMs = 300;
        fx->link.emulator.setFault(plan);
        run(2, 150);
        // The cut answer is neither shown nor acknowledged, and is no failure.
        QCOMPARE(shown, (QStringList{"65.0", "66.0"}));
        QVERIFY(failures.isEmpty());
        QTRY_COMPARE(afterRequest().toHex(), QByteArray("0606") + "18");
    }

    void aFailedReceiveIsHandedOverOnce_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("message");
        QTest::newRow("bad check") << int(slxemu::Fault::WrongCheck) << 62;
        QTest::newRow("silence") << int(slxemu::Fault::Silence) << 31;
    }
    void aFailedReceiveIsHandedOverOnce()
    {
        QFETCH(int, fault);
        QFETCH(int, message);
        scenario({values(650), values(660)});
        slxemu::FaultPlan plan;
        plan.kind = slxemu::Fault(fault);
        plan.command = 0x09;
        plan.frame = 2;
        fx->link.emulator.setFault(plan);
        run(0);
        QCOMPARE(shown, QStringList{"65.0"});
        QCOMPARE(failures, QList<int>{message});
        QTRY_COMPARE(afterRequest().toHex(), QByteArray("06") + "18");
    }
};

QTEST_MAIN(TestRealTimeMonitor)
#include "tst_realtimemonitor.moc"
