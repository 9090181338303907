#include "Commands.h"

#include "DeviceFrame.h"
#include "DeviceRecords.h"

#include <memory>

namespace slxemu {

namespace {

bool from30(const Identity &id)
{
    return id.major >= 3;
}

bool from40(const Identity &id)
{
    return id.major >= 4;
}

// A record transfer: the records still to send, by index, and how to encode them.
struct Transfer {
    quint8 command = 0;
    int count = 0;
    std::function<bool(int)> wanted; // left out when false
    std::function<QByteArray(int)> data;
};

void sendRecord(Session &s, std::shared_ptr<const Transfer> t, int i);

void awaitRecordControl(Session &s, std::shared_ptr<const Transfer> t, int i)
{
    s.awaitControl([t, i](Session &s, quint8 c) {
        if (c == kAck) {
            sendRecord(s, t, i + 1);
        } else if (c == kCan) {
            s.note(QStringLiteral("transfer stopped by CAN after %1 records").arg(i + 1));
        } else {
            s.note(QStringLiteral("byte %1 ignored in a transfer").arg(c));
            awaitRecordControl(s, t, i);
        }
    });
}

void sendRecord(Session &s, std::shared_ptr<const Transfer> t, int i)
{
    while (i < t->count && !t->wanted(i))
        ++i;
    if (i >= t->count) {
        s.sendFrame(t->command, endOfRecordsData(t->command));
        s.note(QStringLiteral("end of the records"));
        return;
    }
    s.sendFrame(t->command, t->data(i));
    awaitRecordControl(s, t, i);
}

// The end of the requested period (frame offsets 9 to 13); invalid = no end.
QDateTime periodEnd(const QByteArray &data)
{
    if (data.size() < 10)
        return {};
    return FrameDate{quint8(data[5]), quint8(data[6]), quint8(data[7]), quint8(data[8]), quint8(data[9])}.toDateTime();
}

void sendRealTime(Session &s, int i);

void awaitRealTimeControl(Session &s, int i)
{
    s.awaitControl([i](Session &s, quint8 c) {
        if (c == kAck) {
            sendRealTime(s, i + 1);
        } else if (c == kCan) {
            s.note(QStringLiteral("real-time values stopped by CAN"));
        } else {
            s.note(QStringLiteral("byte %1 ignored in the real-time values").arg(c));
            awaitRealTimeControl(s, i);
        }
    });
}

void sendRealTime(Session &s, int i)
{
    const Scenario sc = s.scenario();
    const RealTimeValues v = sc.realTime.isEmpty() ? RealTimeValues() : sc.realTime.at(i % sc.realTime.size());
    s.sendFrame(0x09, realTimeData(v, s.clock()));
    awaitRealTimeControl(s, i);
}

} // namespace

void identification(Session &s, quint8, const QByteArray &, const QByteArray &)
{
    s.sendFrame(0x01, identificationData(s.identity()));
}

void totals(Session &s, quint8, const QByteArray &, const QByteArray &)
{
    s.sendFrame(0x02, totalsData(s.scenario().totals));
}

void eventDates(Session &s, quint8, const QByteArray &, const QByteArray &)
{
    s.sendFrame(0x03, eventDatesData(s.scenario().events));
}

void readProgramming(Session &s, quint8, const QByteArray &, const QByteArray &)
{
    const Scenario sc = s.scenario();
    s.sendFrame(0x04, programmingData(sc.programming, from40(sc.identity)));
}

void intervals(Session &s, quint8, const QByteArray &data, const QByteArray &)
{
    auto sc = std::make_shared<const Scenario>(s.scenario());
    const QDateTime end = periodEnd(data);
    auto t = std::make_shared<Transfer>();
    t->command = 0x05;
    t->count = sc->intervalCount();
    t->wanted = [sc, end](int i) {
        const QDateTime at = sc->interval(i).end.toDateTime();
        return !end.isValid() || !at.isValid() || at <= end;
    };
    const bool layout30 = from30(sc->identity);
    t->data = [sc, layout30](int i) { return intervalData(sc->interval(i), layout30); };
    s.note(QStringLiteral("Leq intervals up to %1").arg(end.toString(QStringLiteral("yyyy-MM-dd hh:mm"))));
    sendRecord(s, t, 0);
}

void sessions(Session &s, quint8, const QByteArray &data, const QByteArray &)
{
    auto sc = std::make_shared<const Scenario>(s.scenario());
    const QDateTime end = periodEnd(data);
    auto t = std::make_shared<Transfer>();
    t->command = 0x06;
    t->count = int(sc->sessions.size());
    t->wanted = [sc, end](int i) {
        const QDateTime at = sc->sessions.at(i).start.toDateTime();
        return !end.isValid() || !at.isValid() || at <= end;
    };
    t->data = [sc](int i) { return sessionData(sc->sessions.at(i)); };
    s.note(QStringLiteral("sessions up to %1").arg(end.toString(QStringLiteral("yyyy-MM-dd hh:mm"))));
    sendRecord(s, t, 0);
}

void writeProgramming(Session &s, quint8, const QByteArray &data, const QByteArray &frame)
{
    s.keepWrite(frame);
    const Identity id = s.identity();
    if (id.mode != 1) {
        s.note(QStringLiteral("write refused: not in programming mode"));
        s.sendAnswerByte(kNak);
        return;
    }
    if (frame.size() != 376 && frame.size() != 377) {
        s.note(QStringLiteral("write refused: a frame of %1 bytes").arg(frame.size()));
        s.sendAnswerByte(kNak);
        return;
    }
    // Data: the PC's clock (day, month, year since 1900, hour, minute, second), then the block.
    const QDate day{1900 + quint8(data[2]), quint8(data[1]), quint8(data[0])};
    const QTime time{quint8(data[3]), quint8(data[4]), quint8(data[5])};
    if (day.isValid() && time.isValid())
        s.setClock(QDateTime(day, time));
    s.setProgramming(data.mid(6));
    s.note(QStringLiteral("programming written (%1 bytes)").arg(data.size() - 6));
    s.sendAnswerByte(kAck);
}

void realTime(Session &s, quint8, const QByteArray &, const QByteArray &)
{
    sendRealTime(s, 0);
}

QList<CommandEntry> defaultCommands()
{
    return {{0x01, identification}, {0x02, totals},   {0x03, eventDates},       {0x04, readProgramming},
            {0x05, intervals},      {0x06, sessions}, {0x08, writeProgramming}, {0x09, realTime}};
}

} // namespace slxemu
