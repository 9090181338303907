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

// 0x01 identification. Further commands (0x02 totals, 0x03 event dates, 0x04
// read programming, 0x05 Leq intervals, 0x06 sessions, 0x08 write programming,
// 0x09 real-time values) join this table.
QList<CommandEntry> defaultCommands();

// 0x01: device type, firmware major and minor, six serial characters, mode.
void identification(Session &s, quint8 command, const QByteArray &data, const QByteArray &frame);

} // namespace slxemu
