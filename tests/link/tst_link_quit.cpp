// The application quitting while the link waits for a device: the wait ends and
// the receive fails silently instead of spinning on an event loop that no longer
// runs. A program of its own: after the quit no event loop of the process runs.

#include "LinkFixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>

using namespace slx;
using slxtest::LinkFixture;

class TestLinkQuit : public QObject {
    Q_OBJECT

private slots:
    void quitDuringReceive()
    {
        slxtest::Answers answers;
        LinkFixture f;
        QVERIFY(f.ok);
        f.fault(slxemu::Fault::Silence);
        f.watchdog.setInterval(10000);
        QVERIFY(f.askIdentification());
        QTimer::singleShot(100, [] { QCoreApplication::exit(0); });
        QElapsedTimer t;
        t.start();
        QCOMPARE(receiveIdentification(MSComm1(), modulo1().BufferTrama, &f.watchdog, nullptr), FrameResult::Cancelled);
        QVERIFY2(t.elapsed() < 5000, qPrintable(QString::number(t.elapsed())));
        QVERIFY(answers.texts().isEmpty());
        QVERIFY(!EnEspera());
    }
};

QTEST_MAIN(TestLinkQuit)
#include "tst_link_quit.moc"
