// The time-of-day texts of the sheets and the logs ("hh:nn", "hh:nn:ss").

#include "base/TextFormats.h"

#include <QtTest>

using namespace slx;

class TestTextFormats : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void horaFitxa_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("time"); // "" = not a time
        QTest::newRow("hh:nn") << "08:05"
                               << "08:05:00";
        QTest::newRow("hh:nn:ss") << "23:59:59"
                                  << "23:59:59";
        QTest::newRow("midnight") << "00:00"
                                  << "00:00:00";
        QTest::newRow("hour 24") << "24:00"
                                 << "";
        QTest::newRow("minute 60") << "10:60"
                                   << "";
        QTest::newRow("second 60") << "10:00:60"
                                   << "";
        QTest::newRow("no colon third") << "10.00"
                                        << "";
        QTest::newRow("digit third") << "10000"
                                     << "";
        QTest::newRow("colon fourth") << "100:0"
                                      << "";
        QTest::newRow("no colon sixth") << "10:00.00"
                                        << "";
        QTest::newRow("one-digit hour") << "8:05"
                                        << "";
        QTest::newRow("sign") << "+1:05"
                              << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void horaFitxa()
    {
        QFETCH(QString, text);
        QFETCH(QString, time);
        const std::optional<QTime> t = slx::horaFitxa(text);
        QCOMPARE(t ? t->toString(QStringLiteral("hh:mm:ss")) : QString(), time);
    }
};

QTEST_MAIN(TestTextFormats)
#include "tst_textformats.moc"
