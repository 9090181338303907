#pragma once
// What the emulated device holds: its identity, programming, totals, event dates,
// logged Leq intervals and sessions, real-time values and clock. Numbers are kept
// as the device sends them (levels in tenths of a dB, years as years since 1900),
// so that a scenario can also hold values a real device should never send.
//
// A scenario is read from a JSON file (loadScenario); every key is optional and
// an unknown key is an error. The format is described at loadScenario and shown
// whole in tools/emulator/example-scenario.json.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>

namespace slxemu {

// The programming block: 364 bytes, one more (the global correction) from firmware 4.0.
constexpr int kProgrammingBlockSize = 365;

// Day, month, year minus 1900, hour, minute: five bytes in every frame.
struct FrameDate {
    quint8 day = 0, month = 0, year = 0, hour = 0, minute = 0;
    static FrameDate of(const QDateTime &t);
    // In UTC, as a clock without zone; invalid when the five bytes do not form a date and time.
    QDateTime toDateTime() const;
    QByteArray bytes() const;
    bool operator==(const FrameDate &) const = default;
};

struct Identity {
    quint8 type = 42;
    quint8 major = 4;
    quint8 minor = 10;
    QByteArray serial = "000123"; // six characters, sent as they are
    quint8 mode = 1;              // 1 = programming mode
};

struct Totals {
    qint32 passesEmission = 0;
    qint32 sensorInactive = 0;
    qint32 erasures = 0;
    qint32 passesReception = 0;
};

// Up to ten dates per list; missing slots are sent as five zero bytes.
struct EventDates {
    QList<FrameDate> erasures, batteryEnds, reprogrammings;
};

// Raw byte replacements of one answer: frame offset (from STX) -> byte, applied
// after the fields are encoded (the check byte is computed afterwards).
using BytePatch = QMap<int, quint8>;

// One logged Leq interval. 16-bit fields are sent as their low 16 bits, so -1
// goes out as 0xFFFF.
struct IntervalRecord {
    FrameDate end;
    int disconnections = 0, passesReception = 0, passesEmission = 0, sensorInactive = 0;
    int leqReception = 450, leqEmission = 700; // tenths of a dB
    quint8 limitReception = 60, limitEmission = 90, minutes = 15;
    int leq1Max = 750;
    FrameDate leq1MaxAt;
    int leq1Min = 650;
    FrameDate leq1MinAt;
    int lfMax = 900;
    quint8 lfMaxLimit = 105;
    int lfMaxPasses = 0;
    int l1 = 800, l5 = 760, l10 = 730, l50 = 680, l90 = 620;
    // From firmware 3.0: byte 53 the D.N.A. value, byte 54 RS-232 flag (bit 7) and
    // E.N.A. value, byte 55 programming flag (bit 7) and insufficient-line value.
    // Before 3.0: byte 53 the D.N.A. flag, bytes 54 and 55 the two flags as whole bytes.
    quint8 dna = 0, ena = 0, lineShort = 0;
    bool rs232 = false, programming = false;
    // 125 = Leq125ms, n = Leq n s (before 3.0: 1 = Leq1s, 2 = Leq125ms; reception 0 = does not act).
    quint8 actuationEmission = 125, actuationReception = 0;
    BytePatch patch;
};

// A long log made up on the fly: count records ending first, first + step, ...;
// the device sends them newest first. The levels of the template vary a little
// from record to record.
struct IntervalSeries {
    QDateTime first;
    int stepMinutes = 15;
    int count = 0;
    IntervalRecord record;
};

struct SessionRecord {
    FrameDate start, end;
    quint8 dayLimitEmission = 90, dayLimitReception = 60;
    quint8 nightStartHour = 22, nightStartMinute = 0, nightEndHour = 8, nightEndMinute = 0;
    quint8 nightLimitEmission = 85, nightLimitReception = 55;
    int attenuationTime = 300;
    int disconnections = 0, passesEmission = 0, passesReception = 0, sensorInactive = 0; // 24-bit
    int leq = 700, leq1Max = 780;
    FrameDate leq1MaxAt;
    int leq1Min = 620;
    FrameDate leq1MinAt;
    int lfMax = 950;
    quint8 lfMaxLimit = 105;
    int lfMaxPasses = 0; // 24-bit
    int l1 = 820, l5 = 780, l10 = 750, l50 = 690, l90 = 630;
    BytePatch patch;
};

// One real-time answer. An invalid `at` sends the device's clock of the moment.
struct RealTimeValues {
    QDateTime at;
    quint8 session = 0, night = 0, mains = 0, sensor = 0, disabled = 0;
    int level = 700; // tenths of a dB
    quint8 attenuation = 0;
    BytePatch patch;
};

struct Scenario {
    Identity identity;
    QByteArray programming; // the block, 365 bytes (the last one is sent from firmware 4.0)
    Totals totals;
    EventDates events;
    QList<IntervalRecord> intervals; // sent first, in this order
    IntervalSeries series;           // then these
    QList<SessionRecord> sessions;   // in this order
    QList<RealTimeValues> realTime;  // one per answer, over and over; empty = plain values
    QDateTime clock;                 // the device's clock at start; invalid = the PC's clock

    Scenario();
    int intervalCount() const { return int(intervals.size()) + series.count; }
    // Record i in the order they are sent.
    IntervalRecord interval(int i) const;
};

// The block a scenario without "programming" holds: open 08:00-22:00 every day,
// 90/60 dB by day, 85/55 dB by night from 22:00 to 08:00, Leq of 15 minutes.
QByteArray defaultProgrammingBlock();

// Reads a scenario file; on failure gives false and the reason (with the key's path).
//
// { "identity": {"type": 42, "firmware": "4.10", "serial": "000123", "mode": 1},
//   "clock": "2026-12-10 13:00:00",
//   "programming": {"hex": "..."} or its fields (see example-scenario.json),
//   "totals": {"passesEmission": 0, "sensorInactive": 0, "erasures": 0, "passesReception": 0},
//   "events": {"erasures": [date...], "batteryEnds": [...], "reprogrammings": [...]},
//   "intervals": [record...], "intervalSeries": {"first": date, "stepMinutes": 15, "count": 100000,
//   "record": {record}}, "sessions": [record...], "realtime": [values...] }
// A date is "yyyy-MM-dd hh:mm[:ss]" or an array of the five frame bytes [day, month,
// year - 1900, hour, minute]; every record takes "bytes": {"offset": byte} for raw changes.
bool loadScenario(const QString &path, Scenario *scenario, QString *error);
bool parseScenario(const QByteArray &json, Scenario *scenario, QString *error);

} // namespace slxemu
