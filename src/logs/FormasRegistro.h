#pragma once
// The stored texts of a downloaded record's values: the dates and times of the log
// tables' text columns, the device's own hours, the actuation times. The record decoders
// give values; the storage writes them in these forms, the ones the tables have always
// held.

#include "logs/LogFrames.h"

#include <QDate>
#include <QString>
#include <QTime>

namespace slx::logs {

// A record date "dd/mm/yyyy" and time "hh:mm".
QString textoFechaLarga(const QDate &d);
QString textoHoraMinuto(const QTime &t);

// A night hour of a session, "hh:mm" as it came, whether or not it is a time of day
// ("24:00" too): never the reason to drop the record that carries it. A byte of 100 or
// more has no such form: the text is empty (an empty text, not a missing one).
QString textoHoraNoche(HoraTrama h);

// The time of an event date, "hh:mm" two digits each as the device gave it, whether or
// not it is a time of day: the day is the event's, and a clock that read 25:00 or 08:61
// keeps that reading (two such events of one day stay two rows, and the text sorts where
// its digits put it: 25:00 after the day's last real time, 08:61 after 08:59). A byte of
// 100 or more has no two digits and is written 99.
QString textoHoraEvento(HoraTrama h);

// An actuation time: "Leq125ms", "Leq1s", "Leq10s"... None is no text for the local
// level (a missing one, never the previous record's) and "0" for the reception level.
QString textoActuacionLocal(const Actuacion &a);
QString textoActuacionVecino(const Actuacion &a);

} // namespace slx::logs
