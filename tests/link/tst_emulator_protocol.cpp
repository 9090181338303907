// The emulated device's whole protocol, over its pseudo-terminal, against the
// literal byte strings of the device's frames: every command's request and answer,
// the record transfers (ACK for the next, CAN to stop, the end frame), the write
// answered with ACK or NAK, the real-time stream and a fault on one record.

#include "DeviceFrame.h"
#include "Emulator.h"

#include <QFile>
#include <QTest>
#include <QTimeZone>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

QByteArray hex(const char *h)
{
    return QByteArray::fromHex(h);
}

// The PC's end of the line, raw.
class Line {
public:
    ~Line()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    bool open(const QString &path)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY);
        if (m_fd < 0)
            return false;
        termios t{};
        ::tcgetattr(m_fd, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(m_fd, TCSANOW, &t);
        return true;
    }

    void write(const QByteArray &bytes)
    {
        QCOMPARE(::write(m_fd, bytes.constData(), size_t(bytes.size())), bytes.size());
    }

    // Up to n bytes, waiting at most ms for each.
    QByteArray read(int n, int ms = 2000)
    {
        QByteArray out;
        while (out.size() < n) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, ms) <= 0)
                break;
            char buf[512];
            const ssize_t got = ::read(m_fd, buf, size_t(qMin<qsizetype>(n - out.size(), sizeof buf)));
            if (got <= 0)
                break;
            out.append(buf, int(got));
        }
        return out;
    }

    // One frame as its length says (or what came before a silence).
    QByteArray frame(int ms = 2000)
    {
        QByteArray f = read(3, ms);
        if (f.size() < 3)
            return f;
        const int length = (quint8(f[1]) << 8) | quint8(f[2]);
        return f + read(length - 3, ms);
    }

    // Nothing arrives for ms.
    bool silent(int ms = 150) { return read(1, ms).isEmpty(); }

private:
    int m_fd = -1;
};

// The frame's check byte, computed here and not by the emulator's code.
QByteArray framed(quint8 command, const QByteArray &data)
{
    const int n = 6 + int(data.size());
    QByteArray f;
    f.append(char(0x02))
        .append(char(n >> 8))
        .append(char(n & 0xFF))
        .append(char(command))
        .append(data)
        .append(char(0x03));
    quint8 x = 0;
    for (char c : f)
        x ^= quint8(c);
    return f.append(char(x));
}

// The scenario of most tests: one record of each kind with known bytes.
const char *const kScenario = R"({
  "identity": {"type": 42, "firmware": "3.5", "serial": "000456", "mode": 1},
  "totals": {"passesEmission": 1, "sensorInactive": 2, "erasures": 70000, "passesReception": -1},
  "events": {"erasures": ["2025-06-01 10:00"], "reprogrammings": [[0, 0, 0, 0, 0], [29, 2, 125, 8, 30]]},
  "intervals": [
    {"end": "2026-01-05 10:15", "disconnections": 1, "passesReception": 2, "passesEmission": 3,
     "leqReception": 450, "leqEmission": 723, "limitReception": 60, "limitEmission": 90, "minutes": 15,
     "leq1Max": 801, "leq1MaxAt": "2026-01-05 10:07", "leq1Min": 650, "leq1MinAt": [5, 1, 126, 10, 1],
     "lfMax": 950, "lfMaxLimit": 105, "lfMaxPasses": 4, "l1": 800, "l5": 760, "l10": 730, "l50": 680, "l90": 620,
     "dna": 7, "rs232": true, "ena": 5, "programming": true, "lineShort": 3,
     "actuationEmission": 10, "actuationReception": 125},
    {"end": "2026-01-05 10:00"},
    {"end": "2026-01-05 09:45", "bytes": {"9": 255, "10": 255}}
  ],
  "sessions": [
    {"start": "2026-01-04 09:30", "end": "2026-01-04 23:00", "nightStart": "22:00", "nightEnd": "08:00",
     "attenuationTime": 300, "disconnections": 1, "passesEmission": 70000, "passesReception": 3, "leq": 723,
     "leq1Max": 801, "leq1MaxAt": "2026-01-04 20:05", "leq1Min": 650, "leq1MinAt": "2026-01-04 10:00",
     "lfMax": 950, "lfMaxLimit": 105, "lfMaxPasses": 4, "l1": 800, "l5": 760, "l10": 730, "l50": 680, "l90": 620},
    {"start": "2026-01-03 09:30", "end": "2026-01-03 23:00"},
    {"start": "2026-01-06 09:30", "end": "2026-01-06 23:00"}
  ],
  "realtime": [
    {"at": "2026-12-10 13:45:30", "session": 1, "night": 1, "disabled": 1, "level": 723, "attenuation": 25},
    {"at": "2026-12-10 13:45:31", "mains": 1, "level": 1201, "attenuation": 5}
  ]
})";

// The device's end of the line, the emulator playing the scenario.
struct Device {
    slxemu::Emulator emulator;
    Line line;
    bool ok = false;

    explicit Device(const QByteArray &json = kScenario)
    {
        slxemu::Scenario s;
        QString error;
        if (!slxemu::parseScenario(json, &s, &error)) {
            qWarning("%s", qPrintable(error));
            return;
        }
        emulator.setScenario(s);
        ok = emulator.start(&error) && line.open(emulator.slavePath());
    }

    void firmware(int major, int minor)
    {
        slxemu::Identity id = emulator.identity();
        id.major = quint8(major);
        id.minor = quint8(minor);
        emulator.setIdentity(id);
    }
};

const QByteArray kIntervalRecord30 =
    hex("02003c0505017e0a0f000100020003000001c202d33c5a0f032105017e0a07028a05017e0a0103b669000403200"
        "2f802da02a8026c0785830a7d03fb");
const QByteArray kIntervalRecord20 =
    hex("02003c0505017e0a0f000100020003000001c202d33c5a0f032105017e0a07028a05017e0a0103b669000403200"
        "2f802da02a8026c0701010a7d03fd");
const QByteArray kIntervalsEnd = framed(0x05, QByteArray(54, '\0'));
const QByteArray kSession = hex("0200460604017e091e04017e17005a3c160008005537012c00000101117000000300000002d3032104"
                                "017e1405028a04017e0a0003b669000004032002f802da02a8026c0369");
const QByteArray kSessionsEnd = framed(0x06, QByteArray(64, '\0'));
// The period 01/01/26 00:00 to 05/01/26 12:00.
const QByteArray kIntervalsRequest = hex("0200100501017e000005017e0c00031c");
const QByteArray kSessionsRequest = hex("0200100601017e000005017e0c00031f");

} // namespace

class TestEmulatorProtocol : public QObject {
    Q_OBJECT

private slots:
    void singleAnswers_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("0x01 identification") << hex("020006010306") << hex("020010012a030530303034353601033a");
        QTest::newRow("0x02 totals") << hex("020006020305") << hex("02001602000000010000000200011170ffffffff0376");
        QTest::newRow("0x03 event dates")
            << hex("020006030304")
            << hex("02009c0301067d0a00000000000000000000000000000000000000000000000000000000000000000000000000000000"
                   "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
                   "000000000000000000000000001d027d081e000000000000000000000000000000000000000000000000000000000000"
                   "00000000000000000000039a");
    }

    void singleAnswers()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, answer);
        Device d;
        QVERIFY(d.ok);
        d.line.write(request);
        QCOMPARE(d.line.frame().toHex(), answer.toHex());
        QVERIFY(d.line.silent());
        QCOMPARE(d.emulator.frames(), QList<QByteArray>{request});
    }

    void programmingBlock_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("length");
        QTest::newRow("firmware 3.5: 370 bytes") << 3 << 370;
        QTest::newRow("firmware 4.0: 371 bytes") << 4 << 371;
    }

    void programmingBlock()
    {
        QFETCH(int, major);
        QFETCH(int, length);
        Device d(R"({"programming": {
            "timetable": [["--:--", "20:00"], ["08:05", "22:00"]], "attenuationTime": 9999,
            "disabled": [["2010-03-05 08:00", "2049-12-31 09:30"], ["1950-01-01 00:00", "1950-01-02 00:00"]],
            "octaves": [-2.5, 12.0, 0, 0, 0, 0, 0, 0, 0.1], "globalCorrection": 1, "language": 5,
            "bytes": {"43": 4}}})");
        QVERIFY(d.ok);
        d.firmware(major, 0);
        d.line.write(hex("020006040303"));
        const QByteArray f = d.line.frame();
        QCOMPARE(f.size(), length);
        QCOMPARE(f.left(4), hex(length == 370 ? "02017204" : "02017304"));
        QCOMPARE(f.right(2).left(1), hex("03"));
        const QByteArray block = f.mid(4, length - 6);
        // P0-7: a closed Sunday is four "-" whatever its end says; Monday 08:05-22:00.
        QCOMPARE(block.left(8), hex("2d2d2d2d08051600"));
        QCOMPARE(block.mid(37, 2), hex("270f")); // attenuation 9999
        QCOMPARE(int(block[42]), 5);
        QCOMPARE(int(block[43]), 4); // a raw byte over the default rings
        // Disabled intervals: 05/03/10 is 5, 3, 110; 31/12/49 is 149; 01/01/50 is 50; the third slot empty.
        QCOMPARE(block.mid(44, 20), hex("05036e0800"
                                        "1f0c95091e") +
                                        hex("0101320000"
                                            "0201320000"));
        QCOMPARE(block.mid(64, 10), QByteArray(10, '\0'));
        // Octave corrections in tenths, two's complement: -2.5 dB, +12.0 dB, ..., +0.1 dB.
        QCOMPARE(block.mid(346, 4), hex("ffe70078"));
        QCOMPARE(block.mid(362, 2), hex("0001"));
        if (length == 371)
            QCOMPARE(int(block[364]), 1); // the global correction from firmware 4.0
        QCOMPARE(f, framed(0x04, block));
    }

    void write_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("frameLength");
        QTest::addColumn<int>("answer");
        QTest::newRow("programming mode, 376 bytes") << 1 << 376 << 0x06;
        QTest::newRow("programming mode, 377 bytes") << 1 << 377 << 0x06;
        QTest::newRow("not in programming mode") << 0 << 376 << 0x15;
        QTest::newRow("a frame of another length") << 1 << 300 << 0x15;
    }

    void write()
    {
        // The paced write of the whole programming, answered by one byte outside any frame.
        QFETCH(int, mode);
        QFETCH(int, frameLength);
        QFETCH(int, answer);
        Device d;
        QVERIFY(d.ok);
        slxemu::Identity id = d.emulator.identity();
        id.mode = quint8(mode);
        d.emulator.setIdentity(id);
        const QByteArray before = d.emulator.programming();
        QByteArray block;
        for (int i = 0; i < frameLength - 12; ++i)
            block.append(char((i * 7 + 1) % 251));
        const QByteArray clock = hex("0a0c7e0d2d1e"); // 10/12/2026 13:45:30
        const QByteArray request = framed(0x08, clock + block);
        QCOMPARE(request.left(4), hex(frameLength == 376 ? "02017808" : frameLength == 377 ? "02017908" : "02012c08"));
        for (int i = 0; i < request.size(); i += 64) // the PC sends it slowly
            d.line.write(request.mid(i, 64));
        QCOMPARE(d.line.read(2, 1000), QByteArray(1, char(answer)));
        QCOMPARE(d.emulator.writes(), QList<QByteArray>{request}); // kept for decoding, accepted or not

        d.line.write(hex("020006040303"));
        const QByteArray read = d.line.frame().mid(4, 364);
        if (answer == 0x06) {
            QCOMPARE(read, block.left(364)); // what was written is read back
            QCOMPARE(d.emulator.programming().left(364), block.left(364));
            QCOMPARE(d.emulator.programming().at(364), frameLength == 377 ? block.at(364) : before.at(364));
            QCOMPARE(d.emulator.scenario().clock.date(), QDate(2026, 12, 10));
        } else {
            QCOMPARE(read, before.left(364));
            QCOMPARE(d.emulator.programming(), before);
        }
    }

    void intervalLayouts_data()
    {
        QTest::addColumn<int>("major");
        QTest::addColumn<QByteArray>("record");
        QTest::newRow("firmware 3.0 and later") << 3 << kIntervalRecord30;
        QTest::newRow("before firmware 3.0") << 2 << kIntervalRecord20;
    }

    void intervalLayouts()
    {
        QFETCH(int, major);
        QFETCH(QByteArray, record);
        Device d;
        QVERIFY(d.ok);
        d.firmware(major, 9);
        d.line.write(kIntervalsRequest);
        QCOMPARE(d.line.frame().toHex(), record.toHex());
    }

    void recordTransfers_data()
    {
        // The frames expected after the request and after each byte the PC answers
        // with: a whole frame, "record" for any record, or nothing (an empty entry).
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("replies");
        QTest::addColumn<QList<QByteArray>>("expected");
        const QByteArray record("record"), nothing;
        QTest::newRow("intervals: ACK to the end")
            << kIntervalsRequest << hex("060606")
            << QList<QByteArray>{kIntervalRecord30, record, record, kIntervalsEnd};
        QTest::newRow("intervals: CAN after the second")
            << kIntervalsRequest << hex("0618") << QList<QByteArray>{kIntervalRecord30, record, nothing};
        QTest::newRow("intervals: a stray byte is ignored")
            << kIntervalsRequest << hex("1506") << QList<QByteArray>{kIntervalRecord30, nothing, record};
        // The session starting after the period's end is left out.
        QTest::newRow("sessions: ACK to the end")
            << kSessionsRequest << hex("0606") << QList<QByteArray>{kSession, record, kSessionsEnd};
        QTest::newRow("sessions: CAN after the first")
            << kSessionsRequest << hex("18") << QList<QByteArray>{kSession, nothing};
        QTest::newRow("nothing after the end frame")
            << kSessionsRequest << hex("060606") << QList<QByteArray>{kSession, record, kSessionsEnd, nothing};
    }

    void recordTransfers()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, replies);
        QFETCH(QList<QByteArray>, expected);
        Device d;
        QVERIFY(d.ok);
        const int length = request[3] == 0x05 ? 60 : 70;
        for (int i = 0; i < expected.size(); ++i) {
            d.line.write(i == 0 ? request : replies.mid(i - 1, 1));
            if (expected[i].isEmpty()) {
                QVERIFY2(d.line.silent(), qPrintable(QStringLiteral("step %1").arg(i)));
                continue;
            }
            const QByteArray f = d.line.frame();
            QCOMPARE(f.size(), length);
            if (expected[i] == "record") {
                QCOMPARE(f.at(3), request.at(3));
                QVERIFY(f.at(4) != 0); // a record, not the end
            } else {
                QCOMPARE(f.toHex(), expected[i].toHex());
            }
        }
        QVERIFY(d.line.silent());
    }

    void recordPatchAndOrder()
    {
        // The third interval carries raw bytes (a counter of 0xFFFF); the records go newest first.
        Device d;
        QVERIFY(d.ok);
        d.line.write(kIntervalsRequest);
        QCOMPARE(d.line.frame().mid(4, 5), hex("05017e0a0f"));
        d.line.write(hex("06"));
        QCOMPARE(d.line.frame().mid(4, 5), hex("05017e0a00"));
        d.line.write(hex("06"));
        const QByteArray third = d.line.frame();
        QCOMPARE(third.mid(4, 7), hex("05017e092dffff"));
        QCOMPARE(third, framed(0x05, third.mid(4, 54))); // the check byte follows the change
    }

    void series()
    {
        // A long log made up from a start and a step: 100,000 records, newest first.
        Device d(R"({"identity": {"firmware": "2.9"}, "intervalSeries":
                     {"first": "2025-01-01 00:15", "stepMinutes": 15, "count": 100000,
                      "record": {"leqEmission": 700, "lfMax": 1000}}})");
        QVERIFY(d.ok);
        const slxemu::Scenario s = d.emulator.scenario();
        QCOMPARE(s.intervalCount(), 100000);
        QCOMPARE(s.interval(99999).end.toDateTime(), QDateTime(QDate(2025, 1, 1), QTime(0, 15), QTimeZone::utc()));
        QCOMPARE(s.interval(0).end.toDateTime(),
                 QDateTime(QDate(2025, 1, 1), QTime(0, 15), QTimeZone::utc()).addSecs(99999LL * 900));
        QCOMPARE(int(s.interval(0).minutes), 15);
        QCOMPARE(s.interval(5).lfMax, 1000);
        // Asked up to 01/01/25 01:00: the device starts at the interval ending then.
        d.line.write(framed(0x05, hex("01017d000001017d0100")));
        // The device looks for its start among the 100,000 records first: in the sanitizer
        // build, on a machine running the other tests, that can take seconds.
        const QByteArray first = d.line.frame(30000);
        QCOMPARE(first.mid(4, 5), hex("01017d0100"));
        QCOMPARE(int(first[23]), 15); // minutes
        for (int end : {45, 30, 15}) {
            d.line.write(hex("06"));
            const QByteArray f = d.line.frame();
            QCOMPARE(f.mid(4, 5), hex("01017d00") + QByteArray(1, char(end)));
        }
        d.line.write(hex("06"));
        QCOMPARE(d.line.frame(), kIntervalsEnd);
    }

    void realTimeStream()
    {
        // One answer for the request, the next after each ACK (the values over and over), CAN ends it.
        Device d;
        QVERIFY(d.ok);
        d.line.write(hex("02000609030e"));
        const QByteArray first = hex("020014090a0c7e0d2d1e010100000102d3190393");
        const QByteArray second = hex("020014090a0c7e0d2d1f000001000004b10503ea");
        QCOMPARE(d.line.frame().toHex(), first.toHex());
        QVERIFY(d.line.silent()); // nothing without an ACK
        d.line.write(hex("06"));
        QCOMPARE(d.line.frame().toHex(), second.toHex());
        d.line.write(hex("06"));
        QCOMPARE(d.line.frame().toHex(), first.toHex());
        d.line.write(hex("18"));
        QVERIFY(d.line.silent());
        d.line.write(hex("06"));
        QVERIFY(d.line.silent()); // an ACK after CAN starts nothing
    }

    void realTimeClock()
    {
        // Values without a moment carry the device's clock, which runs from the scenario's.
        Device d(R"({"clock": "2026-12-31 23:59:59"})");
        QVERIFY(d.ok);
        d.line.write(hex("02000609030e"));
        const QByteArray f = d.line.frame();
        QCOMPARE(f.size(), 20);
        const QByteArray at = f.mid(4, 6);
        QVERIFY2(at == hex("1f0c7e173b3b") || at == hex("01017f000000"), at.toHex().constData());
        QCOMPARE(f.mid(15, 3), hex("02bc00")); // 70.0 dB, no attenuation
    }

    void faultOnOneRecord_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("bytes"); // of the third frame that arrive
        QTest::newRow("silence") << int(slxemu::Fault::Silence) << 0;
        QTest::newRow("truncated") << int(slxemu::Fault::Truncated) << 20;
        QTest::newRow("wrong check byte") << int(slxemu::Fault::WrongCheck) << 60;
    }

    void faultOnOneRecord()
    {
        // The third frame of the interval transfer is spoiled; the others and the
        // answers to the other commands are not.
        QFETCH(int, fault);
        QFETCH(int, bytes);
        Device d;
        QVERIFY(d.ok);
        slxemu::FaultPlan plan;
        plan.kind = slxemu::Fault(fault);
        plan.command = 0x05;
        plan.frame = 3;
        plan.at = 20;
        d.emulator.setFault(plan);
        d.line.write(hex("020006010306"));
        QCOMPARE(d.line.frame().size(), 16);
        d.line.write(kIntervalsRequest);
        QCOMPARE(d.line.frame(), kIntervalRecord30);
        d.line.write(hex("06"));
        QCOMPARE(d.line.frame().size(), 60);
        d.line.write(hex("06"));
        const QByteArray third = d.line.read(60, 300);
        QCOMPARE(third.size(), bytes);
        if (bytes == 60) {
            QCOMPARE(third.left(59), framed(0x05, third.mid(4, 54)).left(59));
            QVERIFY(third.back() != framed(0x05, third.mid(4, 54)).back());
        }
        d.line.write(hex("18")); // the PC gives up
        QVERIFY(d.line.silent());
        // Spent: the same transfer again goes through.
        d.line.write(kIntervalsRequest);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(d.line.frame().size(), 60);
            d.line.write(hex("06"));
        }
        QCOMPARE(d.line.frame(), kIntervalsEnd);
    }

    void faultOnWriteAnswer()
    {
        // A device that never answers the write.
        Device d;
        QVERIFY(d.ok);
        slxemu::FaultPlan plan;
        plan.kind = slxemu::Fault::Silence;
        plan.command = 0x08;
        d.emulator.setFault(plan);
        d.line.write(framed(0x08, hex("0a0c7e0d2d1e") + QByteArray(364, '\x01')));
        QVERIFY(d.line.silent(300));
        QCOMPARE(d.emulator.writes().size(), 1);
    }

    void scenarioFile_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("error");
        QTest::newRow("example file") << QByteArray() << QString();
        QTest::newRow("unknown key") << QByteArray(R"({"totals": {"erasure": 1}})")
                                     << QStringLiteral("totals.erasure: unknown key");
        QTest::newRow("bad date") << QByteArray(R"({"intervals": [{}, {"end": "05/01/2026"}]})")
                                  << QStringLiteral("intervals[1].end: a date \"yyyy-MM-dd hh:mm[:ss]\" is expected");
        QTest::newRow("byte out of range") << QByteArray(R"({"realtime": [{"attenuation": 256}]})")
                                           << QStringLiteral("realtime[0].attenuation: a whole number from 0 to 255 "
                                                             "is expected");
        QTest::newRow("offset outside the record")
            << QByteArray(R"({"sessions": [{"bytes": {"68": 1}}]})")
            << QStringLiteral("sessions[0].bytes.68: an offset from 4 to 67 is expected");
        QTest::newRow("short block") << QByteArray(R"({"programming": {"hex": "0102"}})")
                                     << QStringLiteral("programming.hex: 364 or 365 bytes in hexadecimal are expected");
        QTest::newRow("not JSON") << QByteArray("[identity]") << QStringLiteral("at byte");
    }

    void scenarioFile()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, error);
        slxemu::Scenario s;
        QString why;
        if (json.isEmpty()) {
            QVERIFY2(slxemu::loadScenario(QStringLiteral(SLX_EMULATOR_EXAMPLE), &s, &why), qPrintable(why));
            QCOMPARE(s.identity.serial, QByteArray("000123"));
            QVERIFY(!s.intervals.isEmpty() && !s.sessions.isEmpty() && !s.realTime.isEmpty());
            QVERIFY(s.series.count > 0);
            return;
        }
        QVERIFY(!slxemu::parseScenario(json, &s, &why));
        QVERIFY2(why.startsWith(error), qPrintable(why));
    }
};

QTEST_GUILESS_MAIN(TestEmulatorProtocol)
#include "tst_emulator_protocol.moc"
