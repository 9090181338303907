// What the real-time monitor shows for an answer: a table of answers and displays.

#include "programming/RealTimeDisplay.h"

#include <QtTest>
#include <vector>

using namespace slx;

namespace {

// An answer of 21 bytes: 10/12/126 (2026) 21:30:05, day, mains on, sensor active,
// no disabled interval, level 85.0 dB, no attenuation; the bytes given replace
// those at their offsets.
std::vector<quint8> answer(std::initializer_list<std::pair<int, int>> bytes)
{
    std::vector<quint8> t = {0x02, 0x00, 21, 0x09, 10, 12, 126, 21, 30, 5, 0, 0, 0, 0, 0, 0x03, 0x52, 0, 0, 0x03, 0};
    for (const auto &[at, value] : bytes)
        t[at] = static_cast<quint8>(value);
    return t;
}

RealTimeDisplay base()
{
    RealTimeDisplay v;
    v.LbFecha = "10/12/26";
    v.LbHora = "21:30:05";
    v.LbNoche = "(Día)";
    v.LbNivel = "85.0";
    v.LbAtenuador = "  0";
    return v;
}

} // namespace

Q_DECLARE_METATYPE(std::vector<quint8>)
Q_DECLARE_METATYPE(RealTimeDisplay)

class TestRealTimeDisplay : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void display_data()
    {
        QTest::addColumn<std::vector<quint8>>("frame");
        QTest::addColumn<RealTimeDisplay>("expected");
        auto row = [](const char *name, std::initializer_list<std::pair<int, int>> bytes, auto change) {
            RealTimeDisplay v = base();
            change(v);
            QTest::newRow(name) << answer(bytes) << v;
        };
        row("plain", {}, [](RealTimeDisplay &) {});
        // The level's bounds and its signed reading.
        row("level 600", {{15, 0x02}, {16, 0x58}}, [](auto &v) { v.LbNivel = "60.0"; });
        row("level 601", {{15, 0x02}, {16, 0x59}}, [](auto &v) { v.LbNivel = "60.1"; });
        row("level 1200", {{15, 0x04}, {16, 0xB0}}, [](auto &v) { v.LbNivel = "120.0"; });
        row("level 1201", {{15, 0x04}, {16, 0xB1}}, [](auto &v) { v.LbNivel = "UP"; });
        row("level 599", {{15, 0x02}, {16, 0x57}}, [](auto &v) { v.LbNivel = "UND"; });
        row("level negative", {{15, 0x80}, {16, 0x00}}, [](auto &v) { v.LbNivel = "UND"; });
        row("level ffff", {{15, 0xFF}, {16, 0xFF}}, [](auto &v) { v.LbNivel = "UND"; });
        // The sensor: any non-zero byte hides the level, only 1 shows the label.
        row("sensor 1", {{13, 1}}, [](auto &v) {
            v.LbSensor = true;
            v.LbNivel = "---";
        });
        row("sensor 2", {{13, 2}}, [](auto &v) { v.LbNivel = "---"; });
        // Mains: 1 shows the label and fills the bar; any non-zero byte shows -60.
        row("mains 1 att 5", {{12, 1}, {17, 5}}, [](auto &v) {
            v.LbRed = true;
            v.LbAtenuador = "-60";
            v.ProgressBar1Visible = true;
            v.ProgressBar1 = 40;
        });
        row("mains 1 att 0", {{12, 1}}, [](auto &v) {
            v.LbRed = true;
            v.LbAtenuador = "-60";
            v.ProgressBar1Visible = true;
            v.ProgressBar1 = 40;
        });
        row("mains 2 att 5", {{12, 2}, {17, 5}}, [](auto &v) {
            v.LbAtenuador = "-60";
            v.ProgressBar1Visible = true;
            v.ProgressBar1 = 5;
        });
        row("mains 2 att 0", {{12, 2}}, [](auto &v) { v.LbAtenuador = "-60"; });
        row("att 25", {{17, 25}}, [](auto &v) {
            v.LbAtenuador = "-25";
            v.ProgressBar1Visible = true;
            v.ProgressBar1 = 25;
        });
        row("att 40", {{17, 40}}, [](auto &v) {
            v.LbAtenuador = "-40";
            v.ProgressBar1Visible = true;
            v.ProgressBar1 = 40;
        });
        row("att 255", {{17, 255}}, [](auto &v) {
            v.LbAtenuador = "-255";
            v.ProgressBar1Visible = true;
            v.ProgressBar1 = 40;
        });
        // Flags: only 1 counts.
        row("session", {{10, 1}}, [](auto &v) { v.LbSesion = true; });
        row("session 2", {{10, 2}}, [](auto &) {});
        row("night", {{11, 1}}, [](auto &v) { v.LbNoche = "(Noche)"; });
        row("night 2", {{11, 2}}, [](auto &) {});
        row("disabled interval", {{14, 1}}, [](auto &v) { v.LbInhabil = true; });
        row("disabled interval 3", {{14, 3}}, [](auto &) {});
        // Dates and times: two digits of the year; bytes that form none are shown as dashes.
        row("year 99", {{4, 1}, {5, 1}, {6, 99}}, [](auto &v) { v.LbFecha = "01/01/99"; });
        row("year 2000", {{4, 29}, {5, 2}, {6, 100}}, [](auto &v) { v.LbFecha = "29/02/00"; });
        row("no 29 feb 2025", {{4, 29}, {5, 2}, {6, 125}}, [](auto &v) { v.LbFecha = "--/--/--"; });
        row("month 13", {{5, 13}}, [](auto &v) { v.LbFecha = "--/--/--"; });
        row("day 0", {{4, 0}}, [](auto &v) { v.LbFecha = "--/--/--"; });
        row("hour 24", {{7, 24}}, [](auto &v) { v.LbHora = "--:--:--"; });
        row("second 60", {{9, 60}}, [](auto &v) { v.LbHora = "--:--:--"; });
        row("midnight", {{7, 0}, {8, 0}, {9, 0}}, [](auto &v) { v.LbHora = "00:00:00"; });
    }
    void display()
    {
        QFETCH(std::vector<quint8>, frame);
        QFETCH(RealTimeDisplay, expected);
        const auto v = realTimeDisplay(frame, "Día", "Noche");
        QVERIFY(v);
        QCOMPARE(v->LbFecha, expected.LbFecha);
        QCOMPARE(v->LbHora, expected.LbHora);
        QCOMPARE(v->LbNoche, expected.LbNoche);
        QCOMPARE(v->LbNivel, expected.LbNivel);
        QCOMPARE(v->LbAtenuador, expected.LbAtenuador);
        QCOMPARE(v->ProgressBar1, expected.ProgressBar1);
        QVERIFY(*v == expected);
    }

    void shortAnswerShowsNothing()
    {
        std::vector<quint8> t = answer({});
        t.resize(kLongitudTiempoReal);
        QVERIFY(realTimeDisplay(t, "Día", "Noche"));
        t.resize(kLongitudTiempoReal - 1);
        QVERIFY(!realTimeDisplay(t, "Día", "Noche"));
        QVERIFY(!realTimeDisplay({}, "Día", "Noche"));
    }
};

QTEST_APPLESS_MAIN(TestRealTimeDisplay)
#include "tst_realtimedisplay.moc"
