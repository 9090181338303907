#pragma once
// The checks and corrections of the programming sheet's fields when they lose the
// focus, and the key filters while typing. Plain functions: the window applies
// the result (new text, message, focus back, page in front).

#include <QChar>
#include <QString>
#include <optional>

namespace slx::sheet {

// Index of the sheet's page that holds the limits and the night period.
inline constexpr int kPaginaNormativa = 3;

// The day period, the complement of an accepted night period.
struct DayPeriod {
    QString start;
    QString end;
};

struct CheckResult {
    QString text;               // the field's text after the check
    int message = 0;            // catalogue text to show (critical), 0 = none
    bool focusBack = false;     // give the focus back to the field
    bool pageNormativa = false; // bring the limits page to the front
    std::optional<DayPeriod> dayPeriod = {}; // the night period's check, when it accepts
};

// Check 1: emission limits MaskDiaLocal, MaskNitLocal.
CheckResult checkLimiteEmision(const QString &text);
// Check 2: reception limits MaskDiaVei, MaskNitVei.
CheckResult checkLimiteRecepcion(const QString &text);

// Check 3: night period, leaving MaskEmpiezaNoche (leavingStart) or MaskTerminaNoche.
// On success the result carries the day period (the complement).
CheckResult checkNoche(bool leavingStart, const QString &start, const QString &end);
// A time of day "hh:nn", hours 0-23 and minutes 0-59.
bool isValidTime(const QString &text);

// Check 4: sheet date "dd/mm/yy".
CheckResult checkFecha(const QString &text);
// A date "dd/mm/yy" that exists in the calendar (years 1950 to 2049).
bool isValidShortDate(const QString &text);

CheckResult checkMFast(const QString &text);            // check 5
CheckResult checkTLeq(const QString &text);             // check 6
CheckResult checkTempsAct(const QString &text);         // check 7
QString actuationLowerBound(const QString &text);       // the click on a "Leq 1 s" option
CheckResult checkTiempoAtenuacion(const QString &text); // check 8
CheckResult checkRings(const QString &text);            // check 9

// The catalogue text shown for a field whose text a save or the write frame
// refuses: the message of the field's own check where it has one (60 for a limit,
// 25 and 26 for the night period, 18 for the date), else 106 "Valor incorrecto".
int failureMessage(const QString &field);

// Key filters. Every field of the sheet refuses '+' and '-', except that the octave
// corrections take a minus sign (they are signed). Fields with the blank filter also
// refuse a space.
bool acceptsKey(QChar key, bool blankFilter, bool signedField);

} // namespace slx::sheet
