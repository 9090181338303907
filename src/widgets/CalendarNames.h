#pragma once
// The names a drop-down calendar shows: the day names of a language's locale and
// the program's own month names, kept when the user turns the pages.

#include <QLocale>
#include <QStringList>

class QCalendarWidget;

namespace slx {

// months: the twelve month names, January first.
void ponNombresCalendario(QCalendarWidget *cal, QLocale::Language idioma, const QStringList &months);

} // namespace slx
