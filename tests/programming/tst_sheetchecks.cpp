// The sheet's field checks and the disabled-interval grid's cell check.

#include "TestSupport.h"
#include "base/Modulo1.h"
#include "programming/MatrizInhabil.h"
#include "programming/SheetChecks.h"

#include <QSignalSpy>
#include <QtTest>

using namespace slx;
using sheet::CheckResult;

Q_DECLARE_METATYPE(std::function<CheckResult(const QString &)>)

class TestSheetChecks : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fieldChecks_data()
    {
        using Fn = std::function<CheckResult(const QString &)>;
        QTest::addColumn<Fn>("check");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("message");
        QTest::addColumn<bool>("focusBack");
        QTest::addColumn<bool>("page");

        const Fn emision = sheet::checkLimiteEmision, recepcion = sheet::checkLimiteRecepcion;
        QTest::newRow("emission 59 -> 60") << emision << "59"
                                           << "60" << 0 << true << true;
        QTest::newRow("emission 121 -> 120") << emision << "121"
                                             << "120" << 0 << true << true;
        QTest::newRow("emission empty: text 60") << emision << ""
                                                 << "" << 60 << true << true;
        QTest::newRow("emission 120.5 -> 120") << emision << "120.5"
                                               << "120" << 0 << true << true;
        QTest::newRow("emission 95 kept") << emision << "95"
                                          << "95" << 0 << false << false;
        QTest::newRow("emission 60 and 120 kept") << emision << "120"
                                                  << "120" << 0 << false << false;
        QTest::newRow("reception 0 kept") << recepcion << "0"
                                          << "0" << 0 << false << false;
        QTest::newRow("reception 45 kept") << recepcion << "45"
                                           << "45" << 0 << false << false;
        QTest::newRow("reception 130 -> 120") << recepcion << "130"
                                              << "120" << 0 << true << true;
        QTest::newRow("reception empty: text 60") << recepcion << ""
                                                  << "" << 60 << true << true;

        const Fn fecha = sheet::checkFecha;
        QTest::newRow("date good") << fecha << "15/03/09"
                                   << "15/03/09" << 0 << false << false;
        QTest::newRow("date day 00") << fecha << "00/03/09"
                                     << "00/03/09" << 18 << true << false;
        QTest::newRow("date month 13") << fecha << "01/13/09"
                                       << "01/13/09" << 18 << true << false;
        QTest::newRow("date 29 Feb of a common year") << fecha << "29/02/09"
                                                      << "29/02/09" << 18 << true << false;
        QTest::newRow("date letters") << fecha << "ab/cd/ef"
                                      << "ab/cd/ef" << 18 << true << false;

        const Fn mfast = sheet::checkMFast, tleq = sheet::checkTLeq, act = sheet::checkTempsAct;
        QTest::newRow("LFmax empty -> 60") << mfast << ""
                                           << "60" << 0 << false << false;
        QTest::newRow("LFmax 130 -> 120") << mfast << "130"
                                          << "120" << 0 << false << false;
        QTest::newRow("LFmax 105 kept") << mfast << "105"
                                        << "105" << 0 << false << false;
        QTest::newRow("Leq time empty -> 2") << tleq << ""
                                             << "2" << 0 << false << false;
        QTest::newRow("Leq time 1 -> 2") << tleq << "1"
                                         << "2" << 0 << false << false;
        QTest::newRow("Leq time 61 -> 60") << tleq << "61"
                                           << "60" << 0 << false << false;
        QTest::newRow("Leq time 15 kept") << tleq << "15"
                                          << "15" << 0 << false << false;
        QTest::newRow("actuation empty: text 106") << act << ""
                                                   << "" << 106 << true << false;
        QTest::newRow("actuation 0 -> 01") << act << "0"
                                           << "01" << 0 << false << false;
        QTest::newRow("actuation 11 -> 10") << act << "11"
                                            << "10" << 0 << false << false;
        QTest::newRow("actuation 5 kept") << act << "5"
                                          << "5" << 0 << false << false;

        const Fn aten = sheet::checkTiempoAtenuacion, rings = sheet::checkRings;
        QTest::newRow("attenuation 0 kept") << aten << "0"
                                            << "0" << 0 << false << false;
        QTest::newRow("attenuation 1 -> 0") << aten << "1"
                                            << "0" << 0 << false << false;
        QTest::newRow("attenuation 2 kept") << aten << "2"
                                            << "2" << 0 << false << false;
        QTest::newRow("attenuation 9999 kept") << aten << "9999"
                                               << "9999" << 0 << false << false;
        QTest::newRow("attenuation empty -> 0") << aten << ""
                                                << "0" << 0 << false << false;
        QTest::newRow("rings 0 -> 1") << rings << "0"
                                      << "1" << 0 << false << false;
        QTest::newRow("rings empty -> 1") << rings << ""
                                          << "1" << 0 << false << false;
        QTest::newRow("rings 5 -> 1") << rings << "5"
                                      << "1" << 0 << false << false;
        QTest::newRow("rings 4 kept") << rings << "4"
                                      << "4" << 0 << false << false;
    }
    void fieldChecks()
    {
        QFETCH(std::function<CheckResult(const QString &)>, check);
        QFETCH(QString, input);
        const CheckResult r = check(input);
        QTEST(r.text, "text");
        QTEST(r.message, "message");
        QTEST(r.focusBack, "focusBack");
        QTEST(r.pageNormativa, "page");
    }

    void nightPeriod_data()
    {
        QTest::addColumn<bool>("leavingStart");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("end");
        QTest::addColumn<int>("message");
        QTest::addColumn<QString>("dayStart");
        QTest::addColumn<QString>("dayEnd");
        QTest::newRow("complement") << true << "22:00"
                                    << "08:00" << 0 << "08:00"
                                    << "22:00";
        QTest::newRow("complement leaving the end") << false << "22:00"
                                                    << "08:00" << 0 << "08:00"
                                                    << "22:00";
        QTest::newRow("equal: text 97") << true << "22:00"
                                        << "22:00" << 97 << "keep"
                                        << "keep";
        QTest::newRow("hour 25: text 25") << true << "25:00"
                                          << "08:00" << 25 << "keep"
                                          << "keep";
        QTest::newRow("incomplete end: text 26") << false << "22:00"
                                                 << "08:" << 26 << "keep"
                                                 << "keep";
        QTest::newRow("minute 60: text 26") << false << "22:00"
                                            << "07:60" << 26 << "keep"
                                            << "keep";
    }
    void nightPeriod()
    {
        QFETCH(bool, leavingStart);
        QFETCH(QString, start);
        QFETCH(QString, end);
        const CheckResult r = sheet::checkNoche(leavingStart, start, end);
        QCOMPARE(r.dayPeriod.has_value(), r.message == 0);
        const QString dayStart = r.dayPeriod ? r.dayPeriod->start : QString("keep");
        const QString dayEnd = r.dayPeriod ? r.dayPeriod->end : QString("keep");
        QTEST(r.message, "message");
        QCOMPARE(r.focusBack, r.message != 0);
        QCOMPARE(r.pageNormativa, r.message != 0);
        QTEST(dayStart, "dayStart");
        QTEST(dayEnd, "dayEnd");
    }

    void keyFilter()
    {
        QVERIFY(!sheet::acceptsKey('+', false, false));
        QVERIFY(!sheet::acceptsKey('-', false, false));
        QVERIFY(sheet::acceptsKey('-', false, true)); // octave corrections are signed
        QVERIFY(!sheet::acceptsKey('+', false, true));
        QVERIFY(!sheet::acceptsKey(' ', true, false));
        QVERIFY(sheet::acceptsKey(' ', false, false));
        QVERIFY(sheet::acceptsKey('7', true, false));
        QCOMPARE(sheet::actuationLowerBound(""), QString("01"));
        QCOMPARE(sheet::actuationLowerBound("0"), QString("01"));
        QCOMPARE(sheet::actuationLowerBound("3"), QString("3"));
    }

    void gridCell_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QStringList>("before"); // C1..C4 with the new value in place
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("after");
        const QStringList empty = {"00/00/00", "00:00", "00/00/00", "00:00"};
        QTest::newRow("start date into an empty row")
            << 1 << QStringList{"24/12/08", "00:00", "00/00/00", "00:00"} << false << 0
            << QStringList{"24/12/08", "00:00", "24/12/08", "00:01"};
        QTest::newRow("start time with empty start date")
            << 2 << QStringList{"00/00/00", "10:00", "00/00/00", "00:00"} << true << 1 << QStringList();
        QTest::newRow("00/00/00 as start date empties the row")
            << 1 << QStringList{"00/00/00", "22:00", "25/12/08", "08:00"} << false << 0 << empty;
        QTest::newRow("00/00/00 as end date empties the row")
            << 3 << QStringList{"24/12/08", "22:00", "00/00/00", "08:00"} << false << 0 << empty;
        QTest::newRow("start later than end moves the end")
            << 2 << QStringList{"24/12/08", "23:30", "24/12/08", "23:00"} << false << 0
            << QStringList{"24/12/08", "23:30", "24/12/08", "23:31"};
        QTest::newRow("end date before start: moved and text 24")
            << 3 << QStringList{"24/12/08", "22:00", "23/12/08", "08:00"} << false << 2
            << QStringList{"24/12/08", "22:00", "24/12/08", "22:01"};
        QTest::newRow("end date into an empty row")
            << 3 << QStringList{"00/00/00", "00:00", "31/12/08", "00:00"} << false << 2
            << QStringList{"31/12/08", "00:00", "31/12/08", "00:01"};
        QTest::newRow("end time equal to start refused")
            << 4 << QStringList{"24/12/08", "22:00", "24/12/08", "22:00"} << true << 2 << QStringList();
        QTest::newRow("end time good") << 4 << QStringList{"24/12/08", "22:00", "25/12/08", "08:00"} << false << 0
                                       << QStringList{"24/12/08", "22:00", "25/12/08", "08:00"};
        QTest::newRow("hour 25") << 2 << QStringList{"24/12/08", "25:00", "25/12/08", "08:00"} << true << 3
                                 << QStringList();
        QTest::newRow("letters as a date")
            << 1 << QStringList{"abc", "22:00", "25/12/08", "08:00"} << true << 1 << QStringList();
        QTest::newRow("one-digit day written in full")
            << 1 << QStringList{"1/1/2009", "09:00", "02/01/09", "08:00"} << false << 0
            << QStringList{"01/01/09", "09:00", "02/01/09", "08:00"};
        QTest::newRow("four-digit year 2100 refused")
            << 1 << QStringList{"01/01/2100", "09:00", "02/01/09", "08:00"} << true << 1 << QStringList();
        QTest::newRow("four-digit year 1949 refused")
            << 3 << QStringList{"24/12/08", "22:00", "01/01/1949", "08:00"} << true << 1 << QStringList();
        QTest::newRow("four-digit year 2049 kept")
            << 3 << QStringList{"24/12/08", "22:00", "31/12/2049", "08:00"} << false << 0
            << QStringList{"24/12/08", "22:00", "31/12/49", "08:00"};
        QTest::newRow("end time with empty end date")
            << 4 << QStringList{"00/00/00", "00:00", "00/00/00", "10:00"} << true << 1 << QStringList();
    }
    void gridCell()
    {
        QFETCH(int, column);
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        grid::Row row{QStringLiteral("1"), before[0], before[1], before[2], before[3]};
        const grid::Outcome out = grid::checkCell(column, row);
        QTEST(out.cancel, "cancel");
        QTEST(out.postCode, "code");
        if (!out.cancel)
            QCOMPARE(QStringList({row[1], row[2], row[3], row[4]}), after);
    }

    void handedOverRowsTakeTheNormalForms()
    {
        grid::MatrizInhabil m;
        // A date read as a date in its normal form, any other text as it stands; a time
        // cell's first five characters.
        m.setValue(2, 2, "5/3/2009");
        m.setValue(2, 3, "22:00:00");
        m.setValue(2, 4, "31/02/09");
        m.setValue(2, 5, "08:30:59");
        QCOMPARE(m.handedOver()[1], (FilaInhabil{2, "05/03/09", "22:00", "31/02/09", "08:30"}));
        QCOMPARE(m.handedOver()[0], (FilaInhabil{1, "00/00/00", "00:00", "00/00/00", "00:00"}));
        QCOMPARE(m.handedOver()[29].Numero, 30);
    }

    void gridModelAnnouncesEveryEditForHandOver()
    {
        resetModulo1();
        slxtest::Answers answers;
        grid::MatrizInhabil m;
        std::array<FilaInhabil, grid::kRows> vacias;
        for (int k = 0; k < grid::kRows; ++k)
            vacias[k] = {k + 1, kFechaVacia, kHoraVacia, kFechaVacia, kHoraVacia};
        m.loadFromRows(vacias);
        QCOMPARE(m.value(1, 2), QString("00/00/00"));
        QSignalSpy posted(&m, &grid::MatrizInhabil::posted);
        QSignalSpy edited(&m, &grid::MatrizInhabil::edited);
        QVERIFY(m.setData(m.index(0, 1), "24/12/08"));
        QCOMPARE(edited.count(), 1);
        QCOMPARE(m.handedOver()[0].DiaEmpieza, QString("24/12/08"));
        QCOMPARE(m.handedOver()[0].HoraTermina, QString("00:01"));
        // The model is the window's copy: the shared intervals are the window's to write.
        QVERIFY(modulo1().IntervalosInhabiles[0].DiaEmpieza.isEmpty());
        // A refused edit keeps the stored value, is not announced, and posts its code after
        // the edit.
        QVERIFY(!m.setData(m.index(29, 2), "10:00"));
        QCOMPARE(m.value(30, 3), QString("00:00"));
        QCOMPARE(edited.count(), 1);
        QCOMPARE(posted.count(), 0);
        QVERIFY(posted.wait(1000));
        QCOMPARE(posted.first().first().toInt(), int(grid::FechaIncorrecta));
        QCOMPARE(grid::messageOf(grid::FechaIncorrecta), 18);
        QCOMPARE(grid::messageOf(grid::FinNoPosterior), 24);
        QCOMPARE(grid::messageOf(grid::HoraIncorrecta), 19);
        QCOMPARE(grid::messageOf(7), 0);
    }
};

QTEST_MAIN(TestSheetChecks)
#include "tst_sheetchecks.moc"
