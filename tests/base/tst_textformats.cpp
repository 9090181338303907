// The time-of-day texts of the sheets and the logs ("hh:nn", "hh:nn:ss"), and the one form
// of a Single.

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

    // A Single's text is the shortest that reads back as the same Single, and the value
    // stored is that text's: 62.7 is 62.7, and a Single that seven digits cannot tell
    // from its neighbour keeps the digits that tell it.
    void singleHasOneForm_data()
    {
        QTest::addColumn<float>("v");
        QTest::addColumn<QString>("text");
        QTest::newRow("62.7") << 62.7f << "62.7";
        QTest::newRow("negative") << -2.5f << "-2.5";
        QTest::newRow("zero") << 0.0f << "0";
        QTest::newRow("negative zero") << -0.0f << "0";
        QTest::newRow("a ten-thousandth") << 0.0001f << "0.0001";
        QTest::newRow("small") << 1e-8f << "1e-08";
        QTest::newRow("eight digits") << 1.0000001f << "1.0000001";
        QTest::newRow("whole") << 120.0f << "120";
    }
    void singleHasOneForm()
    {
        QFETCH(float, v);
        QFETCH(QString, text);
        QCOMPARE(textoSingle(v), text);
        QCOMPARE(decimalSingle(v), text.toDouble());
        QCOMPARE(float(decimalSingle(v)), v);
    }
};

QTEST_MAIN(TestTextFormats)
#include "tst_textformats.moc"
