#include "DeviceRecords.h"

namespace slxemu {

namespace {

void put16(QByteArray &d, int v)
{
    d.append(char((v >> 8) & 0xFF));
    d.append(char(v & 0xFF));
}

void put24(QByteArray &d, int v)
{
    d.append(char((v >> 16) & 0xFF));
    put16(d, v);
}

void put32(QByteArray &d, qint32 v)
{
    const quint32 u = quint32(v);
    d.append(char(u >> 24));
    put24(d, int(u & 0xFFFFFF));
}

// A moment left all zero means "the record's own end" (or start, for a session).
QByteArray momentOr(const FrameDate &at, const FrameDate &fallback)
{
    return (at == FrameDate{} ? fallback : at).bytes();
}

} // namespace

QByteArray identificationData(const Identity &id)
{
    QByteArray d;
    d.append(char(id.type));
    d.append(char(id.major));
    d.append(char(id.minor));
    d.append(id.serial.left(6).leftJustified(6, '0'));
    d.append(char(id.mode));
    return d;
}

QByteArray totalsData(const Totals &t)
{
    QByteArray d;
    put32(d, t.passesEmission);  // 4-7
    put32(d, t.sensorInactive);  // 8-11
    put32(d, t.erasures);        // 12-15
    put32(d, t.passesReception); // 16-19
    return d;
}

QByteArray eventDatesData(const EventDates &e)
{
    QByteArray d;
    for (const auto *list : {&e.erasures, &e.batteryEnds, &e.reprogrammings}) // 4, 54, 104
        for (int k = 0; k < 10; ++k)
            d.append(list->value(k).bytes());
    return d;
}

QByteArray programmingData(const QByteArray &block, bool from40)
{
    QByteArray d = block.left(kProgrammingBlockSize);
    d.append(QByteArray(kProgrammingBlockSize - d.size(), '\0'));
    return from40 ? d : d.left(kProgrammingBlockSize - 1);
}

QByteArray intervalData(const IntervalRecord &r, bool from30)
{
    QByteArray d;
    d.append(r.end.bytes()); // 4-8
    put16(d, r.disconnections);
    put16(d, r.passesReception);
    put16(d, r.passesEmission);
    put16(d, r.sensorInactive); // 15-16
    put16(d, r.leqReception);
    put16(d, r.leqEmission); // 19-20
    d.append(char(r.limitReception));
    d.append(char(r.limitEmission));
    d.append(char(r.minutes)); // 23
    put16(d, r.leq1Max);
    d.append(momentOr(r.leq1MaxAt, r.end)); // 26-30
    put16(d, r.leq1Min);
    d.append(momentOr(r.leq1MinAt, r.end)); // 33-37
    put16(d, r.lfMax);
    d.append(char(r.lfMaxLimit)); // 40
    put16(d, r.lfMaxPasses);
    for (const int l : {r.l1, r.l5, r.l10, r.l50, r.l90}) // 43-52
        put16(d, l);
    if (from30) {
        d.append(char(r.dna));                                             // 53
        d.append(char((r.rs232 ? 0x80 : 0) | (r.ena & 0x7F)));             // 54
        d.append(char((r.programming ? 0x80 : 0) | (r.lineShort & 0x7F))); // 55
    } else {
        d.append(char(r.dna));
        d.append(char(r.rs232 ? 1 : 0));
        d.append(char(r.programming ? 1 : 0));
    }
    d.append(char(r.actuationEmission));  // 56
    d.append(char(r.actuationReception)); // 57
    applyPatch(d, r.patch);
    return d;
}

QByteArray sessionData(const SessionRecord &r)
{
    QByteArray d;
    d.append(r.start.bytes()); // 4-8
    d.append(r.end.bytes());   // 9-13
    d.append(char(r.dayLimitEmission));
    d.append(char(r.dayLimitReception));
    d.append(char(r.nightStartHour));
    d.append(char(r.nightStartMinute));
    d.append(char(r.nightEndHour));
    d.append(char(r.nightEndMinute));
    d.append(char(r.nightLimitEmission));
    d.append(char(r.nightLimitReception)); // 21
    put16(d, r.attenuationTime);           // 22-23
    put24(d, r.disconnections);
    put24(d, r.passesEmission);
    put24(d, r.passesReception);
    put24(d, r.sensorInactive); // 33-35
    put16(d, r.leq);
    put16(d, r.leq1Max);
    d.append(momentOr(r.leq1MaxAt, r.start)); // 40-44
    put16(d, r.leq1Min);
    d.append(momentOr(r.leq1MinAt, r.start)); // 47-51
    put16(d, r.lfMax);
    d.append(char(r.lfMaxLimit));                         // 54
    put24(d, r.lfMaxPasses);                              // 55-57
    for (const int l : {r.l1, r.l5, r.l10, r.l50, r.l90}) // 58-67
        put16(d, l);
    applyPatch(d, r.patch);
    return d;
}

QByteArray endOfRecordsData(quint8 command)
{
    return QByteArray(command == 0x06 ? 64 : 54, '\0');
}

QByteArray realTimeData(const RealTimeValues &v, const QDateTime &clock)
{
    const QDateTime at = v.at.isValid() ? v.at : clock;
    QByteArray d;
    d.append(FrameDate::of(at).bytes().left(5)); // 4-8: day, month, year - 1900, hour, minute
    d.append(char(at.time().second()));          // 9
    d.append(char(v.session));
    d.append(char(v.night));
    d.append(char(v.mains));
    d.append(char(v.sensor));
    d.append(char(v.disabled)); // 14
    put16(d, v.level);          // 15-16
    d.append(char(v.attenuation));
    applyPatch(d, v.patch);
    return d;
}

void applyPatch(QByteArray &data, const BytePatch &patch)
{
    for (auto it = patch.cbegin(); it != patch.cend(); ++it) {
        const int i = it.key() - 4;
        if (i >= 0 && i < data.size())
            data[i] = char(it.value());
    }
}

} // namespace slxemu
