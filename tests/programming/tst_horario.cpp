// The rules of the weekly timetable without a window: rounding, the confirmation of a day
// with its joins, and the three drawings as arrays of the week's 169 hourly points.

#include "programming/HorarioSemanal.h"

#include <QtTest>

using namespace slx;
using namespace slx::horario;

namespace {

// A week closed every day but those given, "day:start|end" with day 0 Monday .. 6 Sunday.
Semana week(const QStringList &days)
{
    Semana s;
    for (auto &d : s)
        d = {kCerrado, kCerrado};
    for (const QString &dia : days) {
        const int day = dia.section(':', 0, 0).toInt();
        const QString times = dia.section(':', 1);
        s[day] = {times.section('|', 0, 0), times.section('|', 1)};
    }
    return s;
}

// The points (1..169) at which an array holds the value.
QList<int> pointsOf(const QVector<double> &v, double value)
{
    QList<int> out;
    for (int i = 0; i < v.size(); ++i)
        if (v[i] == value)
            out << i + 1;
    return out;
}

QList<int> range(int from, int to)
{
    QList<int> out;
    for (int p = from; p <= to; ++p)
        out << p;
    return out;
}

} // namespace

class TestHorario : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void roundHora_data()
    {
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("hour");
        QTest::newRow("07:29") << "07:29"
                               << "07:00";
        QTest::newRow("07:30") << "07:30"
                               << "08:00";
        QTest::newRow("23:30") << "23:30"
                               << "00:00";
        QTest::newRow("23:59") << "23:59"
                               << "00:00";
        QTest::newRow("00:00") << "00:00"
                               << "00:00";
        QTest::newRow("12:45") << "12:45"
                               << "13:00";
    }
    void roundHora()
    {
        QFETCH(QString, time);
        QFETCH(QString, hour);
        QCOMPARE(RoundHora(time), hour);
    }

    void validTimes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("midnight") << "00:00" << true;
        QTest::newRow("last minute") << "23:59" << true;
        QTest::newRow("hour 24") << "24:00" << false;
        QTest::newRow("minute 60") << "12:60" << false;
        QTest::newRow("closed") << "--:--" << false;
        QTest::newRow("incomplete") << "12:" << false;
        QTest::newRow("one digit hour") << "8:00" << false;
        QTest::newRow("empty") << "" << false;
    }
    void validTimes()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(horaValida(text), valid);
    }

    void kindAtLoad()
    {
        QCOMPARE(tipoDe({"--:--", "12:00"}), Tipo::Cerrado);
        QCOMPARE(tipoDe({"00:00", "23:59"}), Tipo::Todo);
        QCOMPARE(tipoDe({"00:00", "23:58"}), Tipo::Horario);
        QCOMPARE(tipoDe({"8:00", "xx"}), Tipo::Horario);
    }

    void weekdayComesFromThePointNumber()
    {
        // The chart's reference date is a Tuesday; point 1 is Monday all the same.
        QCOMPARE(diaDePunto(1), 0);
        QCOMPARE(diaDePunto(24), 0);
        QCOMPARE(diaDePunto(25), 1);
        QCOMPARE(diaDePunto(145), 6);
        QCOMPARE(diaDePunto(169), 6);
    }

    void openHours_data()
    {
        QTest::addColumn<QStringList>("days");
        QTest::addColumn<QList<int>>("open");
        QTest::newRow("Monday 08:00-20:00: 13 points") << QStringList{"0:08:00|20:00"} << range(9, 21);
        QTest::newRow("Monday 00:00-23:59: 25 points") << QStringList{"0:00:00|23:59"} << range(1, 25);
        QTest::newRow("Monday 23:40-23:50: its 00:00 to the next") << QStringList{"0:23:40|23:50"} << range(1, 25);
        QTest::newRow("Monday 22:00-02:00 across midnight") << QStringList{"0:22:00|02:00"} << range(23, 27);
        QTest::newRow("Tuesday 23:45-01:00 starts at the next midnight")
            << QStringList{"1:23:45|01:00"} << range(49, 50);
        QTest::newRow("Wednesday 09:10-17:20 rounds") << QStringList{"2:09:10|17:20"} << range(58, 66);
        QList<int> sunday = range(167, 168);
        sunday.prepend(3);
        sunday.prepend(2);
        sunday.prepend(1);
        QTest::newRow("Sunday 22:00-02:00 wraps to Monday, not to point 169") << QStringList{"6:22:00|02:00"} << sunday;
        QList<int> saturday = range(121, 145);
        saturday << 169;
        QTest::newRow("Saturday all day: point 169 follows point 145") << QStringList{"5:00:00|23:59"} << saturday;
        QTest::newRow("a day whose end is not a time is not open") << QStringList{"0:08:00|--:--"} << QList<int>{};
        QTest::newRow("a day whose start is not a time is not open") << QStringList{"0:8:00|12:00"} << QList<int>{};
        QTest::newRow("all closed") << QStringList{} << QList<int>{};
    }
    void openHours()
    {
        QFETCH(QStringList, days);
        QFETCH(QList<int>, open);
        const QVector<double> v = dibujoSesiones(week(days));
        QCOMPARE(v.size(), kPuntos);
        QCOMPARE(pointsOf(v, kAbierto), open);
        QCOMPARE(pointsOf(v, kNoAbierto).size(), kPuntos - open.size());
        QCOMPARE(v[168], v[144]);
    }

    void nightBandAndLabels()
    {
        QVector<double> night = dibujoNoche("22:00", "08:00");
        QStringList labels = etiquetasNoche("22:00", "08:00");
        for (int p = 1; p <= kPuntos; ++p) {
            const int hour = (p - 1) % 24;
            const bool inBand = hour <= 8 || hour >= 22;
            QCOMPARE(night[p - 1], inBand ? kBanda : kNoAbierto);
            QCOMPARE(labels[p - 1], hour == 22 ? QString("22:00") : hour == 8 ? QString("08:00") : QString(" "));
        }
        QCOMPARE(dibujoDia(), QVector<double>(kPuntos, kBanda));

        // Texts that round: the band from 23:00 to 08:00, the labels as typed at the rounded hours.
        night = dibujoNoche("22:30", "07:45");
        labels = etiquetasNoche("22:30", "07:45");
        QCOMPARE(pointsOf(night, kBanda).size(), 7 * 10 + 1);
        QCOMPARE(night[24 + 22], kNoAbierto); // Tuesday 22:00
        QCOMPARE(night[24 + 23], kBanda);     // Tuesday 23:00
        QCOMPARE(labels[24 + 23], QString("22:30"));
        QCOMPARE(labels[24 + 8], QString("07:45"));

        // A night that is not a time draws no band and no label.
        QVERIFY(pointsOf(dibujoNoche("25:00", "08:00"), kBanda).isEmpty());
        QVERIFY(pointsOf(dibujoNoche("22:00", "__:__"), kBanda).isEmpty());
        QCOMPARE(etiquetasNoche("25:00", "xx").count(" "), kPuntos);
    }

    void dayColumns()
    {
        const auto columns = dibujoColumnas();
        for (int k = 1; k <= kDias; ++k)
            QCOMPARE(pointsOf(columns[k - 1], kColumna), range(24 * (k - 1) + 1, 24 * k + 1));
        // Each boundary point belongs to two days.
        QCOMPARE(columns[0][24], kColumna);
        QCOMPARE(columns[1][24], kColumna);
    }

    void dayNameLine()
    {
        const QStringList names{"Lunes", "Martes", "Miércoles", "Jueves", "Viernes", "Sábado", "Domingo"};
        const QString line = lineaDias(names);
        QCOMPARE(line.size(), 7 * 23);
        QCOMPARE(line.mid(23, 23), QString("Martes").leftJustified(23));
        // A name of 23 characters or more is not padded; the names after it shift.
        const QString longName(25, 'x');
        const QString shifted = lineaDias({longName, "Martes"});
        QCOMPARE(shifted, longName + QString("Martes").leftJustified(23));
    }

    void confirmation_data()
    {
        QTest::addColumn<QStringList>("days");
        QTest::addColumn<int>("day");
        QTest::addColumn<int>("message");
        QTest::addColumn<int>("focus");
        QTest::addColumn<bool>("closes");
        const int none = Confirmacion::Ninguno, start = Confirmacion::Inicio, end = Confirmacion::Fin;
        QTest::newRow("Tuesday at Monday's end")
            << QStringList{"0:22:00|02:00", "1:02:00|05:00"} << 1 << 91 << none << false;
        QTest::newRow("Tuesday a minute later")
            << QStringList{"0:22:00|02:00", "1:02:01|05:00"} << 1 << 0 << none << false;
        QTest::newRow("no wrap, any start passes")
            << QStringList{"0:08:00|20:00", "1:00:00|05:00"} << 1 << 0 << none << false;
        const char *const names[] = {"Martes", "Miercoles", "Jueves", "Viernes", "Sabado", "Domingo"};
        for (int d = 2; d <= 6; ++d)
            QTest::newRow(qPrintable(QString("join of %1").arg(names[d - 1])))
                << QStringList{QString("%1:22:00|02:00").arg(d - 1), QString("%1:01:00|05:00").arg(d)} << d << 90 + d
                << none << false;
        QTest::newRow("Sunday against the next Monday")
            << QStringList{"0:00:30|05:00", "5:10:00|12:00", "6:23:00|01:00"} << 6 << 91 << none << false;
        QTest::newRow("Sunday with Monday closed") << QStringList{"6:23:00|01:00"} << 6 << 0 << none << false;
        QTest::newRow("Sunday after a closed Saturday still meets Monday")
            << QStringList{"0:00:30|05:00", "6:23:00|01:00"} << 6 << 91 << none << false;
        QTest::newRow("a closed day is confirmed untested")
            << QStringList{"0:00:30|05:00", "5:22:00|06:00"} << 6 << 0 << none << true;
        QTest::newRow("the day after a closed day is not tested")
            << QStringList{"2:00:10|04:00"} << 2 << 0 << none << false;
        QTest::newRow("start equal to end") << QStringList{"3:10:00|10:00"} << 3 << 97 << start << false;
        QTest::newRow("start not a time") << QStringList{"3:1_:00|10:00"} << 3 << 19 << start << false;
        QTest::newRow("end still closed") << QStringList{"3:10:00|--:--"} << 3 << 19 << end << false;
        QTest::newRow("end incomplete") << QStringList{"3:10:00|1"} << 3 << 19 << end << false;
        QTest::newRow("closed start with an end: closed") << QStringList{"3:--:--|12:00"} << 3 << 0 << none << true;
    }
    void confirmation()
    {
        QFETCH(QStringList, days);
        QFETCH(int, day);
        QFETCH(int, message);
        QFETCH(int, focus);
        QFETCH(bool, closes);
        const Confirmacion c = confirmaDia(week(days), day);
        QCOMPARE(c.mensaje, message);
        QCOMPARE(int(c.foco), focus);
        QCOMPARE(c.confirmado, message == 0);
        QCOMPARE(c.cerrar, closes);
    }
};

QTEST_MAIN(TestHorario)
#include "tst_horario.moc"
