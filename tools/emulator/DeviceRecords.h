#pragma once
// The data of the device's answers (what lies between the command byte and ETX),
// one encoder per answer, written from the device's frame tables. Frame offsets in
// the comments count from STX, so data byte i is frame offset i + 4.

#include "Scenario.h"

namespace slxemu {

// 0x01: type, firmware major and minor, six serial characters, mode.
QByteArray identificationData(const Identity &id);
// 0x02: the four counters, 32-bit big-endian (offsets 4, 8, 12, 16).
QByteArray totalsData(const Totals &t);
// 0x03: erasures, battery ends, re-programmings, ten five-byte slots each (offsets 4 to 153).
QByteArray eventDatesData(const EventDates &d);
// 0x04: the programming block, 364 bytes below firmware 4.0, 365 from 4.0.
QByteArray programmingData(const QByteArray &block, bool from40);
// 0x05: one Leq interval (offsets 4 to 57) in the layout of firmware 3.0 and later or the older one.
QByteArray intervalData(const IntervalRecord &r, bool from30);
// 0x06: one session (offsets 4 to 67).
QByteArray sessionData(const SessionRecord &r);
// The frame that ends a record transfer: a record whose day byte is 0.
QByteArray endOfRecordsData(quint8 command);
// 0x09: one real-time answer (offsets 4 to 17); `clock` stands in for an invalid `at`.
QByteArray realTimeData(const RealTimeValues &v, const QDateTime &clock);

// Replaces bytes by frame offset (offsets outside the data are ignored).
void applyPatch(QByteArray &data, const BytePatch &patch);

} // namespace slxemu
