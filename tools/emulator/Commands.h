#pragma once
// The commands the emulated device answers, one handler each. Every emulator
// starts with this table; setCommand() replaces an entry for one test.

#include "Emulator.h"

#include <QList>

namespace slxemu {

struct CommandEntry {
    quint8 code;
    CommandHandler handler;
};

// 0x01 identification, 0x02 totals, 0x03 event dates, 0x04 read programming,
// 0x05 Leq intervals, 0x06 sessions, 0x08 write programming, 0x09 real-time values.
QList<CommandEntry> defaultCommands();

// 0x01: device type, firmware major and minor, six serial characters, mode.
void identification(Session &s, quint8 command, const QByteArray &data, const QByteArray &frame);
// 0x02 and 0x03: one frame each, no handshake.
void totals(Session &s, quint8 command, const QByteArray &data, const QByteArray &frame);
void eventDates(Session &s, quint8 command, const QByteArray &data, const QByteArray &frame);
// 0x04: the programming block, 364 bytes below firmware 4.0 (a 370-byte frame), 365 from 4.0 (371).
void readProgramming(Session &s, quint8 command, const QByteArray &data, const QByteArray &frame);
// 0x05 and 0x06: the request carries the period (start and end: day, month, year
// since 1900, hour, minute). The records whose end (intervals) or start (sessions)
// lies after the period's end are left out; the others go one per frame in the
// scenario's order, the next one after each ACK; CAN stops; after the last one a
// frame whose day byte is 0. Any other byte is ignored.
void intervals(Session &s, quint8 command, const QByteArray &data, const QByteArray &frame);
void sessions(Session &s, quint8 command, const QByteArray &data, const QByteArray &frame);
// 0x08: a 376- or 377-byte write frame; the device in programming mode (mode 1)
// takes the block and the PC's clock and answers ACK, otherwise NAK. The frame is
// kept either way (Emulator::writes()).
void writeProgramming(Session &s, quint8 command, const QByteArray &data, const QByteArray &frame);
// 0x09: one real-time answer, the next one after each ACK, until CAN.
void realTime(Session &s, quint8 command, const QByteArray &data, const QByteArray &frame);

} // namespace slxemu
