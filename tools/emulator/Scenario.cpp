#include "Scenario.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTimeZone>

#include <cmath>

namespace slxemu {

FrameDate FrameDate::of(const QDateTime &t)
{
    FrameDate d;
    if (!t.isValid())
        return d;
    d.day = quint8(t.date().day());
    d.month = quint8(t.date().month());
    d.year = quint8(t.date().year() - 1900);
    d.hour = quint8(t.time().hour());
    d.minute = quint8(t.time().minute());
    return d;
}

QDateTime FrameDate::toDateTime() const
{
    const QDate date(1900 + year, month, day);
    const QTime time(hour, minute);
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, QTimeZone::utc()); // the device's clock knows no zone
}

QByteArray FrameDate::bytes() const
{
    QByteArray b;
    b.append(char(day));
    b.append(char(month));
    b.append(char(year));
    b.append(char(hour));
    b.append(char(minute));
    return b;
}

Scenario::Scenario()
    : programming(defaultProgrammingBlock())
{
}

IntervalRecord Scenario::interval(int i) const
{
    if (i < intervals.size())
        return intervals.at(i);
    // The series, newest first.
    const int k = series.count - 1 - (i - int(intervals.size()));
    IntervalRecord r = series.record;
    const QDateTime first(series.first.date(), series.first.time(), QTimeZone::utc());
    const QDateTime end = first.addSecs(qint64(k) * series.stepMinutes * 60);
    r.end = FrameDate::of(end);
    r.leq1MaxAt = FrameDate::of(end.addSecs(-60));
    r.leq1MinAt = FrameDate::of(end.addSecs(-120));
    const int wave = (k * 37) % 101 - 50; // a few dB up and down
    r.leqEmission = qMax(0, r.leqEmission + wave);
    r.leqReception = qMax(0, r.leqReception + wave / 2);
    r.l50 = qMax(0, r.l50 + wave);
    return r;
}

namespace {

// Block offsets of the programming.
enum : int {
    kTimetable = 0,
    kDayLimitEmission = 28,
    kDayLimitReception = 29,
    kNightStart = 30,
    kNightEnd = 32,
    kNightLimitEmission = 34,
    kNightLimitReception = 35,
    kSummerTime = 36,
    kAttenuation = 37,
    kLeqMinutes = 39,
    kLfMaxLimit = 40,
    kPrinting = 41,
    kLanguage = 42,
    kRings = 43,
    kDisabled = 44,
    kActuationEmission = 344,
    kActuationReception = 345,
    kOctaves = 346,
    kGlobalCorrection = 364,
};

class Reader {
public:
    QString error;

    bool failed() const { return !error.isEmpty(); }

    void fail(const QString &path, const QString &what)
    {
        if (error.isEmpty())
            error = QStringLiteral("%1: %2").arg(path, what);
    }

    void keys(const QJsonObject &o, const QString &path, const QStringList &known)
    {
        for (auto it = o.begin(); it != o.end(); ++it)
            if (!known.contains(it.key()))
                fail(join(path, it.key()), QStringLiteral("unknown key"));
    }

    static QString join(const QString &path, const QString &key) { return path.isEmpty() ? key : path + u'.' + key; }

    QJsonObject object(const QJsonValue &v, const QString &path)
    {
        if (!v.isObject())
            fail(path, QStringLiteral("an object is expected"));
        return v.toObject();
    }

    QJsonArray array(const QJsonValue &v, const QString &path, int max = -1)
    {
        if (!v.isArray())
            fail(path, QStringLiteral("an array is expected"));
        const QJsonArray a = v.toArray();
        if (max >= 0 && a.size() > max)
            fail(path, QStringLiteral("at most %1 elements").arg(max));
        return a;
    }

    // A whole number between lo and hi.
    template <typename T>
    void number(const QJsonObject &o, const QString &key, const QString &path, T &out, qint64 lo, qint64 hi)
    {
        if (!o.contains(key))
            return;
        const QJsonValue v = o.value(key);
        const double d = v.toDouble(std::nan(""));
        if (!v.isDouble() || d != std::floor(d) || d < double(lo) || d > double(hi)) {
            fail(join(path, key), QStringLiteral("a whole number from %1 to %2 is expected").arg(lo).arg(hi));
            return;
        }
        out = T(qint64(d));
    }

    void byte(const QJsonObject &o, const QString &key, const QString &path, quint8 &out)
    {
        number(o, key, path, out, 0, 255);
    }

    // 16-bit fields take -32768..65535 (sent as their low 16 bits), 24-bit ones -1..0xFFFFFF.
    void word(const QJsonObject &o, const QString &key, const QString &path, int &out)
    {
        number(o, key, path, out, -32768, 65535);
    }

    void word24(const QJsonObject &o, const QString &key, const QString &path, int &out)
    {
        number(o, key, path, out, -1, 0xFFFFFF);
    }

    void flag(const QJsonObject &o, const QString &key, const QString &path, bool &out)
    {
        if (!o.contains(key))
            return;
        const QJsonValue v = o.value(key);
        if (v.isBool())
            out = v.toBool();
        else if (v.isDouble() && (v.toDouble() == 0 || v.toDouble() == 1))
            out = v.toDouble() != 0;
        else
            fail(join(path, key), QStringLiteral("true, false, 0 or 1 is expected"));
    }

    QDateTime moment(const QJsonValue &v, const QString &path)
    {
        const QString s = v.toString().trimmed();
        for (const auto *format :
             {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm", "yyyy-MM-ddTHH:mm:ss", "yyyy-MM-ddTHH:mm"}) {
            const QDateTime t = QDateTime::fromString(s, QLatin1String(format));
            if (t.isValid())
                return t;
        }
        fail(path, QStringLiteral("a date \"yyyy-MM-dd hh:mm[:ss]\" is expected"));
        return {};
    }

    // "yyyy-MM-dd hh:mm" or the five frame bytes.
    FrameDate date(const QJsonValue &v, const QString &path)
    {
        if (v.isArray()) {
            const QJsonArray a = v.toArray();
            quint8 b[5] = {};
            if (a.size() != 5)
                fail(path, QStringLiteral("five bytes are expected"));
            for (int i = 0; i < 5 && i < a.size(); ++i) {
                const double d = a.at(i).toDouble(-1);
                if (d < 0 || d > 255 || d != std::floor(d))
                    fail(path, QStringLiteral("five bytes are expected"));
                b[i] = quint8(d);
            }
            return {b[0], b[1], b[2], b[3], b[4]};
        }
        const QDateTime t = moment(v, path);
        if (t.isValid() && (t.date().year() < 1900 || t.date().year() > 2155))
            fail(path, QStringLiteral("the year must lie between 1900 and 2155"));
        return FrameDate::of(t);
    }

    void date(const QJsonObject &o, const QString &key, const QString &path, FrameDate &out)
    {
        if (o.contains(key))
            out = date(o.value(key), join(path, key));
    }

    // "hh:mm" (or "--:--" when closed is allowed) into two bytes.
    void hourMinute(const QJsonValue &v, const QString &path, quint8 &hour, quint8 &minute, bool closedAllowed)
    {
        const QString s = v.toString();
        if (closedAllowed && s == QLatin1String("--:--")) {
            hour = minute = 0x2D;
            return;
        }
        const QTime t = QTime::fromString(s, QStringLiteral("HH:mm"));
        if (!t.isValid()) {
            fail(path, closedAllowed ? QStringLiteral("\"hh:mm\" or \"--:--\" is expected")
                                     : QStringLiteral("\"hh:mm\" is expected"));
            return;
        }
        hour = quint8(t.hour());
        minute = quint8(t.minute());
    }

    BytePatch patch(const QJsonObject &o, const QString &path, int lo, int hi)
    {
        BytePatch p;
        if (!o.contains(QStringLiteral("bytes")))
            return p;
        const QString where = join(path, QStringLiteral("bytes"));
        const QJsonObject b = object(o.value(QStringLiteral("bytes")), where);
        for (auto it = b.begin(); it != b.end(); ++it) {
            bool ok = false;
            const int offset = it.key().toInt(&ok);
            const double v = it.value().toDouble(-1);
            if (!ok || offset < lo || offset > hi)
                fail(join(where, it.key()), QStringLiteral("an offset from %1 to %2 is expected").arg(lo).arg(hi));
            else if (v < 0 || v > 255 || v != std::floor(v))
                fail(join(where, it.key()), QStringLiteral("a byte is expected"));
            else
                p.insert(offset, quint8(v));
        }
        return p;
    }

    void identity(const QJsonObject &o, const QString &path, Identity &id)
    {
        keys(o, path,
             {QStringLiteral("type"), QStringLiteral("firmware"), QStringLiteral("serial"), QStringLiteral("mode")});
        byte(o, QStringLiteral("type"), path, id.type);
        byte(o, QStringLiteral("mode"), path, id.mode);
        if (o.contains(QStringLiteral("firmware"))) {
            const QStringList parts = o.value(QStringLiteral("firmware")).toString().split(u'.');
            bool ok1 = false, ok2 = false;
            const uint major = parts.value(0).toUInt(&ok1), minor = parts.value(1).toUInt(&ok2);
            if (parts.size() != 2 || !ok1 || !ok2 || major > 255 || minor > 255)
                fail(join(path, QStringLiteral("firmware")), QStringLiteral("\"major.minor\" is expected"));
            id.major = quint8(major);
            id.minor = quint8(minor);
        }
        if (o.contains(QStringLiteral("serial"))) {
            const QByteArray s = o.value(QStringLiteral("serial")).toString().toLatin1();
            if (s.size() != 6)
                fail(join(path, QStringLiteral("serial")), QStringLiteral("six characters are expected"));
            id.serial = s;
        }
    }

    void programming(const QJsonObject &o, const QString &path, QByteArray &block)
    {
        keys(o, path,
             {QStringLiteral("hex"),
              QStringLiteral("timetable"),
              QStringLiteral("dayLimitEmission"),
              QStringLiteral("dayLimitReception"),
              QStringLiteral("nightStart"),
              QStringLiteral("nightEnd"),
              QStringLiteral("nightLimitEmission"),
              QStringLiteral("nightLimitReception"),
              QStringLiteral("summerTime"),
              QStringLiteral("attenuationTime"),
              QStringLiteral("leqMinutes"),
              QStringLiteral("lfMaxLimit"),
              QStringLiteral("printing"),
              QStringLiteral("language"),
              QStringLiteral("rings"),
              QStringLiteral("disabled"),
              QStringLiteral("actuationEmission"),
              QStringLiteral("actuationReception"),
              QStringLiteral("octaves"),
              QStringLiteral("globalCorrection"),
              QStringLiteral("bytes")});
        if (o.contains(QStringLiteral("hex"))) {
            const QByteArray hex = o.value(QStringLiteral("hex")).toString().toLatin1();
            const QByteArray b = QByteArray::fromHex(hex);
            if (b.size() != 364 && b.size() != 365)
                fail(join(path, QStringLiteral("hex")), QStringLiteral("364 or 365 bytes in hexadecimal are expected"));
            block = b.leftJustified(kProgrammingBlockSize, '\0');
        }
        auto put = [&](const QString &key, int at) {
            quint8 v = quint8(block[at]);
            byte(o, key, path, v);
            block[at] = char(v);
        };
        if (o.contains(QStringLiteral("timetable"))) {
            const QString where = join(path, QStringLiteral("timetable"));
            const QJsonArray days = array(o.value(QStringLiteral("timetable")), where, 7);
            for (int d = 0; d < days.size(); ++d) {
                const QJsonArray pair = array(days.at(d), QStringLiteral("%1[%2]").arg(where).arg(d), 2);
                quint8 b[4] = {};
                hourMinute(pair.at(0), QStringLiteral("%1[%2][0]").arg(where).arg(d), b[0], b[1], true);
                hourMinute(pair.at(1), QStringLiteral("%1[%2][1]").arg(where).arg(d), b[2], b[3], true);
                if (b[0] == 0x2D) // a closed day is four "-" whatever its end says
                    b[2] = b[3] = 0x2D;
                for (int i = 0; i < 4; ++i)
                    block[kTimetable + 4 * d + i] = char(b[i]);
            }
        }
        put(QStringLiteral("dayLimitEmission"), kDayLimitEmission);
        put(QStringLiteral("dayLimitReception"), kDayLimitReception);
        for (const auto &[key, at] : {std::pair{QStringLiteral("nightStart"), int(kNightStart)},
                                      std::pair{QStringLiteral("nightEnd"), int(kNightEnd)}}) {
            if (!o.contains(key))
                continue;
            quint8 h = 0, m = 0;
            hourMinute(o.value(key), join(path, key), h, m, false);
            block[at] = char(h);
            block[at + 1] = char(m);
        }
        put(QStringLiteral("nightLimitEmission"), kNightLimitEmission);
        put(QStringLiteral("nightLimitReception"), kNightLimitReception);
        put(QStringLiteral("summerTime"), kSummerTime);
        if (o.contains(QStringLiteral("attenuationTime"))) {
            int v = 0;
            number(o, QStringLiteral("attenuationTime"), path, v, 0, 65535);
            block[kAttenuation] = char(v >> 8);
            block[kAttenuation + 1] = char(v & 0xFF);
        }
        put(QStringLiteral("leqMinutes"), kLeqMinutes);
        put(QStringLiteral("lfMaxLimit"), kLfMaxLimit);
        put(QStringLiteral("printing"), kPrinting);
        put(QStringLiteral("language"), kLanguage);
        put(QStringLiteral("rings"), kRings);
        if (o.contains(QStringLiteral("disabled"))) {
            const QString where = join(path, QStringLiteral("disabled"));
            const QJsonArray list = array(o.value(QStringLiteral("disabled")), where, 30);
            for (int k = 0; k < 30; ++k) {
                QByteArray slot(10, '\0');
                if (k < list.size()) {
                    const QString at = QStringLiteral("%1[%2]").arg(where).arg(k);
                    const QJsonArray pair = array(list.at(k), at, 2);
                    slot = date(pair.at(0), at + QStringLiteral("[0]")).bytes() +
                           date(pair.at(1), at + QStringLiteral("[1]")).bytes();
                }
                block.replace(kDisabled + 10 * k, 10, slot);
            }
        }
        put(QStringLiteral("actuationEmission"), kActuationEmission);
        put(QStringLiteral("actuationReception"), kActuationReception);
        if (o.contains(QStringLiteral("octaves"))) {
            const QString where = join(path, QStringLiteral("octaves"));
            const QJsonArray list = array(o.value(QStringLiteral("octaves")), where, 9);
            if (list.size() != 9)
                fail(where, QStringLiteral("nine corrections in dB are expected"));
            for (int j = 0; j < list.size(); ++j) {
                const double db = list.at(j).toDouble(std::nan(""));
                const long tenths = std::lround(db * 10);
                if (!list.at(j).isDouble() || tenths < -32768 || tenths > 32767)
                    fail(QStringLiteral("%1[%2]").arg(where).arg(j), QStringLiteral("a correction in dB is expected"));
                block[kOctaves + 2 * j] = char((tenths >> 8) & 0xFF);
                block[kOctaves + 2 * j + 1] = char(tenths & 0xFF);
            }
        }
        put(QStringLiteral("globalCorrection"), kGlobalCorrection);
        // Block offsets here, not frame offsets: the read and the write frame place the block differently.
        const BytePatch p = patch(o, path, 0, kProgrammingBlockSize - 1);
        for (auto it = p.cbegin(); it != p.cend(); ++it)
            block[it.key()] = char(it.value());
    }

    void totals(const QJsonObject &o, const QString &path, Totals &t)
    {
        keys(o, path,
             {QStringLiteral("passesEmission"), QStringLiteral("sensorInactive"), QStringLiteral("erasures"),
              QStringLiteral("passesReception")});
        const qint64 lo = -2147483648LL, hi = 4294967295LL; // sent as 32 bits
        number(o, QStringLiteral("passesEmission"), path, t.passesEmission, lo, hi);
        number(o, QStringLiteral("sensorInactive"), path, t.sensorInactive, lo, hi);
        number(o, QStringLiteral("erasures"), path, t.erasures, lo, hi);
        number(o, QStringLiteral("passesReception"), path, t.passesReception, lo, hi);
    }

    void events(const QJsonObject &o, const QString &path, EventDates &e)
    {
        keys(o, path, {QStringLiteral("erasures"), QStringLiteral("batteryEnds"), QStringLiteral("reprogrammings")});
        for (const auto &[key, list] : {std::pair{QStringLiteral("erasures"), &e.erasures},
                                        std::pair{QStringLiteral("batteryEnds"), &e.batteryEnds},
                                        std::pair{QStringLiteral("reprogrammings"), &e.reprogrammings}}) {
            if (!o.contains(key))
                continue;
            const QString where = join(path, key);
            const QJsonArray a = array(o.value(key), where, 10);
            list->clear();
            for (int k = 0; k < a.size(); ++k)
                list->append(date(a.at(k), QStringLiteral("%1[%2]").arg(where).arg(k)));
        }
    }

    void interval(const QJsonObject &o, const QString &path, IntervalRecord &r)
    {
        keys(o, path,
             {QStringLiteral("end"),
              QStringLiteral("disconnections"),
              QStringLiteral("passesReception"),
              QStringLiteral("passesEmission"),
              QStringLiteral("sensorInactive"),
              QStringLiteral("leqReception"),
              QStringLiteral("leqEmission"),
              QStringLiteral("limitReception"),
              QStringLiteral("limitEmission"),
              QStringLiteral("minutes"),
              QStringLiteral("leq1Max"),
              QStringLiteral("leq1MaxAt"),
              QStringLiteral("leq1Min"),
              QStringLiteral("leq1MinAt"),
              QStringLiteral("lfMax"),
              QStringLiteral("lfMaxLimit"),
              QStringLiteral("lfMaxPasses"),
              QStringLiteral("l1"),
              QStringLiteral("l5"),
              QStringLiteral("l10"),
              QStringLiteral("l50"),
              QStringLiteral("l90"),
              QStringLiteral("dna"),
              QStringLiteral("rs232"),
              QStringLiteral("ena"),
              QStringLiteral("programming"),
              QStringLiteral("lineShort"),
              QStringLiteral("actuationEmission"),
              QStringLiteral("actuationReception"),
              QStringLiteral("bytes")});
        date(o, QStringLiteral("end"), path, r.end);
        word(o, QStringLiteral("disconnections"), path, r.disconnections);
        word(o, QStringLiteral("passesReception"), path, r.passesReception);
        word(o, QStringLiteral("passesEmission"), path, r.passesEmission);
        word(o, QStringLiteral("sensorInactive"), path, r.sensorInactive);
        word(o, QStringLiteral("leqReception"), path, r.leqReception);
        word(o, QStringLiteral("leqEmission"), path, r.leqEmission);
        byte(o, QStringLiteral("limitReception"), path, r.limitReception);
        byte(o, QStringLiteral("limitEmission"), path, r.limitEmission);
        byte(o, QStringLiteral("minutes"), path, r.minutes);
        word(o, QStringLiteral("leq1Max"), path, r.leq1Max);
        date(o, QStringLiteral("leq1MaxAt"), path, r.leq1MaxAt);
        word(o, QStringLiteral("leq1Min"), path, r.leq1Min);
        date(o, QStringLiteral("leq1MinAt"), path, r.leq1MinAt);
        word(o, QStringLiteral("lfMax"), path, r.lfMax);
        byte(o, QStringLiteral("lfMaxLimit"), path, r.lfMaxLimit);
        word(o, QStringLiteral("lfMaxPasses"), path, r.lfMaxPasses);
        word(o, QStringLiteral("l1"), path, r.l1);
        word(o, QStringLiteral("l5"), path, r.l5);
        word(o, QStringLiteral("l10"), path, r.l10);
        word(o, QStringLiteral("l50"), path, r.l50);
        word(o, QStringLiteral("l90"), path, r.l90);
        byte(o, QStringLiteral("dna"), path, r.dna);
        flag(o, QStringLiteral("rs232"), path, r.rs232);
        number(o, QStringLiteral("ena"), path, r.ena, 0, 127);
        flag(o, QStringLiteral("programming"), path, r.programming);
        number(o, QStringLiteral("lineShort"), path, r.lineShort, 0, 127);
        byte(o, QStringLiteral("actuationEmission"), path, r.actuationEmission);
        byte(o, QStringLiteral("actuationReception"), path, r.actuationReception);
        r.patch = patch(o, path, 4, 57);
    }

    void series(const QJsonObject &o, const QString &path, IntervalSeries &s)
    {
        keys(o, path,
             {QStringLiteral("first"), QStringLiteral("stepMinutes"), QStringLiteral("count"),
              QStringLiteral("record")});
        if (!o.contains(QStringLiteral("first")))
            fail(join(path, QStringLiteral("first")), QStringLiteral("the end of the first interval is needed"));
        else
            s.first = moment(o.value(QStringLiteral("first")), join(path, QStringLiteral("first")));
        number(o, QStringLiteral("stepMinutes"), path, s.stepMinutes, 1, 1440);
        number(o, QStringLiteral("count"), path, s.count, 0, 10000000);
        s.record.minutes = quint8(qMin(s.stepMinutes, 255));
        if (o.contains(QStringLiteral("record")))
            interval(object(o.value(QStringLiteral("record")), join(path, QStringLiteral("record"))),
                     join(path, QStringLiteral("record")), s.record);
    }

    void session(const QJsonObject &o, const QString &path, SessionRecord &r)
    {
        keys(o, path,
             {QStringLiteral("start"),
              QStringLiteral("end"),
              QStringLiteral("dayLimitEmission"),
              QStringLiteral("dayLimitReception"),
              QStringLiteral("nightStart"),
              QStringLiteral("nightEnd"),
              QStringLiteral("nightLimitEmission"),
              QStringLiteral("nightLimitReception"),
              QStringLiteral("attenuationTime"),
              QStringLiteral("disconnections"),
              QStringLiteral("passesEmission"),
              QStringLiteral("passesReception"),
              QStringLiteral("sensorInactive"),
              QStringLiteral("leq"),
              QStringLiteral("leq1Max"),
              QStringLiteral("leq1MaxAt"),
              QStringLiteral("leq1Min"),
              QStringLiteral("leq1MinAt"),
              QStringLiteral("lfMax"),
              QStringLiteral("lfMaxLimit"),
              QStringLiteral("lfMaxPasses"),
              QStringLiteral("l1"),
              QStringLiteral("l5"),
              QStringLiteral("l10"),
              QStringLiteral("l50"),
              QStringLiteral("l90"),
              QStringLiteral("bytes")});
        date(o, QStringLiteral("start"), path, r.start);
        date(o, QStringLiteral("end"), path, r.end);
        byte(o, QStringLiteral("dayLimitEmission"), path, r.dayLimitEmission);
        byte(o, QStringLiteral("dayLimitReception"), path, r.dayLimitReception);
        if (o.contains(QStringLiteral("nightStart")))
            hourMinute(o.value(QStringLiteral("nightStart")), join(path, QStringLiteral("nightStart")),
                       r.nightStartHour, r.nightStartMinute, false);
        if (o.contains(QStringLiteral("nightEnd")))
            hourMinute(o.value(QStringLiteral("nightEnd")), join(path, QStringLiteral("nightEnd")), r.nightEndHour,
                       r.nightEndMinute, false);
        byte(o, QStringLiteral("nightLimitEmission"), path, r.nightLimitEmission);
        byte(o, QStringLiteral("nightLimitReception"), path, r.nightLimitReception);
        word(o, QStringLiteral("attenuationTime"), path, r.attenuationTime);
        word24(o, QStringLiteral("disconnections"), path, r.disconnections);
        word24(o, QStringLiteral("passesEmission"), path, r.passesEmission);
        word24(o, QStringLiteral("passesReception"), path, r.passesReception);
        word24(o, QStringLiteral("sensorInactive"), path, r.sensorInactive);
        word(o, QStringLiteral("leq"), path, r.leq);
        word(o, QStringLiteral("leq1Max"), path, r.leq1Max);
        date(o, QStringLiteral("leq1MaxAt"), path, r.leq1MaxAt);
        word(o, QStringLiteral("leq1Min"), path, r.leq1Min);
        date(o, QStringLiteral("leq1MinAt"), path, r.leq1MinAt);
        word(o, QStringLiteral("lfMax"), path, r.lfMax);
        byte(o, QStringLiteral("lfMaxLimit"), path, r.lfMaxLimit);
        word24(o, QStringLiteral("lfMaxPasses"), path, r.lfMaxPasses);
        word(o, QStringLiteral("l1"), path, r.l1);
        word(o, QStringLiteral("l5"), path, r.l5);
        word(o, QStringLiteral("l10"), path, r.l10);
        word(o, QStringLiteral("l50"), path, r.l50);
        word(o, QStringLiteral("l90"), path, r.l90);
        r.patch = patch(o, path, 4, 67);
    }

    void realTime(const QJsonObject &o, const QString &path, RealTimeValues &v)
    {
        keys(o, path,
             {QStringLiteral("at"), QStringLiteral("session"), QStringLiteral("night"), QStringLiteral("mains"),
              QStringLiteral("sensor"), QStringLiteral("disabled"), QStringLiteral("level"),
              QStringLiteral("attenuation"), QStringLiteral("bytes")});
        if (o.contains(QStringLiteral("at")))
            v.at = moment(o.value(QStringLiteral("at")), join(path, QStringLiteral("at")));
        byte(o, QStringLiteral("session"), path, v.session);
        byte(o, QStringLiteral("night"), path, v.night);
        byte(o, QStringLiteral("mains"), path, v.mains);
        byte(o, QStringLiteral("sensor"), path, v.sensor);
        byte(o, QStringLiteral("disabled"), path, v.disabled);
        word(o, QStringLiteral("level"), path, v.level);
        byte(o, QStringLiteral("attenuation"), path, v.attenuation);
        v.patch = patch(o, path, 4, 17);
    }

    template <typename T, typename F> QList<T> list(const QJsonValue &v, const QString &path, F read)
    {
        QList<T> out;
        const QJsonArray a = array(v, path);
        for (int i = 0; i < a.size() && !failed(); ++i) {
            const QString at = QStringLiteral("%1[%2]").arg(path).arg(i);
            T item;
            read(object(a.at(i), at), at, item);
            out.append(item);
        }
        return out;
    }
};

} // namespace

QByteArray defaultProgrammingBlock()
{
    QByteArray b(kProgrammingBlockSize, '\0');
    for (int d = 0; d < 7; ++d) {
        b[4 * d] = 8;
        b[4 * d + 2] = 22;
    }
    b[kDayLimitEmission] = char(90);
    b[kDayLimitReception] = 60;
    b[kNightStart] = 22;
    b[kNightEnd] = 8;
    b[kNightLimitEmission] = char(85);
    b[kNightLimitReception] = 55;
    b[kSummerTime] = 1;
    b[kAttenuation + 1] = char(60);
    b[kLeqMinutes] = 15;
    b[kLfMaxLimit] = char(105);
    b[kRings] = 2;
    b[kActuationEmission] = char(125);
    return b;
}

bool parseScenario(const QByteArray &json, Scenario *scenario, QString *error)
{
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &pe);
    if (pe.error != QJsonParseError::NoError || !doc.isObject()) {
        if (error)
            *error = pe.error != QJsonParseError::NoError
                         ? QStringLiteral("at byte %1: %2").arg(pe.offset).arg(pe.errorString())
                         : QStringLiteral("the file must hold one JSON object");
        return false;
    }
    const QJsonObject o = doc.object();
    Reader r;
    Scenario s;
    r.keys(o, QString(),
           {QStringLiteral("identity"), QStringLiteral("clock"), QStringLiteral("programming"),
            QStringLiteral("totals"), QStringLiteral("events"), QStringLiteral("intervals"),
            QStringLiteral("intervalSeries"), QStringLiteral("sessions"), QStringLiteral("realtime")});
    if (o.contains(QStringLiteral("identity")))
        r.identity(r.object(o.value(QStringLiteral("identity")), QStringLiteral("identity")),
                   QStringLiteral("identity"), s.identity);
    if (o.contains(QStringLiteral("clock")))
        s.clock = r.moment(o.value(QStringLiteral("clock")), QStringLiteral("clock"));
    if (o.contains(QStringLiteral("programming")))
        r.programming(r.object(o.value(QStringLiteral("programming")), QStringLiteral("programming")),
                      QStringLiteral("programming"), s.programming);
    if (o.contains(QStringLiteral("totals")))
        r.totals(r.object(o.value(QStringLiteral("totals")), QStringLiteral("totals")), QStringLiteral("totals"),
                 s.totals);
    if (o.contains(QStringLiteral("events")))
        r.events(r.object(o.value(QStringLiteral("events")), QStringLiteral("events")), QStringLiteral("events"),
                 s.events);
    if (o.contains(QStringLiteral("intervals")))
        s.intervals = r.list<IntervalRecord>(
            o.value(QStringLiteral("intervals")), QStringLiteral("intervals"),
            [&r](const QJsonObject &x, const QString &p, IntervalRecord &t) { r.interval(x, p, t); });
    if (o.contains(QStringLiteral("intervalSeries")))
        r.series(r.object(o.value(QStringLiteral("intervalSeries")), QStringLiteral("intervalSeries")),
                 QStringLiteral("intervalSeries"), s.series);
    if (o.contains(QStringLiteral("sessions")))
        s.sessions = r.list<SessionRecord>(
            o.value(QStringLiteral("sessions")), QStringLiteral("sessions"),
            [&r](const QJsonObject &x, const QString &p, SessionRecord &t) { r.session(x, p, t); });
    if (o.contains(QStringLiteral("realtime")))
        s.realTime = r.list<RealTimeValues>(
            o.value(QStringLiteral("realtime")), QStringLiteral("realtime"),
            [&r](const QJsonObject &x, const QString &p, RealTimeValues &t) { r.realTime(x, p, t); });
    if (r.failed()) {
        if (error)
            *error = r.error;
        return false;
    }
    *scenario = s;
    return true;
}

bool loadScenario(const QString &path, Scenario *scenario, QString *error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, f.errorString());
        return false;
    }
    QString why;
    if (!parseScenario(f.readAll(), scenario, &why)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, why);
        return false;
    }
    return true;
}

} // namespace slxemu
