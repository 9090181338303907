// The busy indicator animates while it runs and is shown, and only then.

#include "widgets/BusyIndicator.h"

#include <QtTest>

using namespace slx;

class TestBusyIndicator : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void animatesOnlyWhileRunningAndShown()
    {
        BusyIndicator busy;
        const int steps = 4 * BusyIndicator::stepMs();
        busy.start();
        QTest::qWait(steps); // hidden: no animation, no timer
        QCOMPARE(busy.step(), 0);

        busy.show();
        QVERIFY(QTest::qWaitForWindowExposed(&busy));
        QTRY_VERIFY_WITH_TIMEOUT(busy.step() >= 2, 5000);

        busy.stop();
        QVERIFY(!busy.isRunning());
        const int stopped = busy.step();
        QTest::qWait(steps);
        QCOMPARE(busy.step(), stopped);

        // Hidden while running: it stops, and goes on when shown again from the start.
        busy.start();
        busy.hide();
        QTest::qWait(steps);
        QCOMPARE(busy.step(), 0);
        busy.show();
        QTRY_VERIFY_WITH_TIMEOUT(busy.step() >= 1, 5000);
    }

    void paintsInBothStates()
    {
        BusyIndicator busy;
        busy.resize(busy.sizeHint());
        const QImage idle = busy.grab().toImage();
        busy.start();
        const QImage running = busy.grab().toImage();
        QVERIFY(!idle.isNull());
        QVERIFY(idle != running); // the lit block shows
    }
};

QTEST_MAIN(TestBusyIndicator)
#include "tst_busyindicator.moc"
