#include "programming/SheetChecks.h"

#include "programming/FitxaProgramacio.h"

namespace slx::sheet {

namespace {

CheckResult keep(const QString &text)
{
    return CheckResult{text, 0, false, false};
}

// Integer edits hold digits only; a text with anything else reads as its leading number.
double wholeNumber(const QString &text)
{
    return valorInicial(text.trimmed());
}

} // namespace

CheckResult checkLimiteEmision(const QString &text)
{
    if (text.trimmed().isEmpty())
        return CheckResult{text, 60, true, true};
    const double v = valorInicial(text);
    if (v < 60)
        return CheckResult{QStringLiteral("60"), 0, true, true};
    if (v > 120)
        return CheckResult{QStringLiteral("120"), 0, true, true};
    return keep(text);
}

CheckResult checkLimiteRecepcion(const QString &text)
{
    if (text.trimmed().isEmpty())
        return CheckResult{text, 60, true, true};
    if (valorInicial(text) > 120)
        return CheckResult{QStringLiteral("120"), 0, true, true};
    return keep(text);
}

bool isValidTime(const QString &text)
{
    // "hh:nn" only: a time with seconds is not a night time.
    return text.size() == 5 && horaFitxa(text).has_value();
}

CheckResult checkNoche(bool leavingStart, const QString &start, const QString &end)
{
    const QString &left = leavingStart ? start : end;
    if (!isValidTime(left))
        return CheckResult{left, leavingStart ? 25 : 26, true, true};
    if (start == end)
        return CheckResult{left, 97, true, true};
    CheckResult r = keep(left);
    r.dayPeriod = DayPeriod{end, start};
    return r;
}

bool isValidShortDate(const QString &text)
{
    return fechaFitxa(text).has_value();
}

CheckResult checkFecha(const QString &text)
{
    const bool wrong =
        !isValidShortDate(text) || text.mid(0, 2) == QLatin1String("00") || text.mid(3, 2) > QLatin1String("12");
    if (wrong)
        return CheckResult{text, 18, true, false};
    return keep(text);
}

CheckResult checkMFast(const QString &text)
{
    const double v = valorInicial(text);
    if (v < 60)
        return keep(QStringLiteral("60"));
    if (v > 120)
        return keep(QStringLiteral("120"));
    return keep(text);
}

CheckResult checkTLeq(const QString &text)
{
    if (text.trimmed().isEmpty())
        return keep(QStringLiteral("2"));
    const double v = wholeNumber(text);
    if (v < 2)
        return keep(QStringLiteral("2"));
    if (v > 60)
        return keep(QStringLiteral("60"));
    return keep(text);
}

CheckResult checkTempsAct(const QString &text)
{
    if (text.trimmed().isEmpty())
        return CheckResult{text, 106, true, false};
    const double v = valorInicial(text);
    if (v < 1)
        return keep(QStringLiteral("01"));
    if (v > 10)
        return keep(QStringLiteral("10"));
    return keep(text);
}

int failureMessage(const QString &field)
{
    struct Mensaje {
        const char *field;
        int message;
    };
    static constexpr Mensaje kMensajes[] = {
        {"MaskDiaLocal", 60},     {"MaskNitLocal", 60},     {"MaskDiaVei", 60}, {"MaskNitVei", 60},
        {"MaskEmpiezaNoche", 25}, {"MaskTerminaNoche", 26}, {"MaskFecha", 18},
    };
    for (const Mensaje &m : kMensajes)
        if (field == QLatin1String(m.field))
            return m.message;
    return 106;
}

QString actuationLowerBound(const QString &text)
{
    return valorInicial(text) < 1 ? QStringLiteral("01") : text;
}

CheckResult checkTiempoAtenuacion(const QString &text)
{
    if (text.trimmed().isEmpty())
        return keep(QStringLiteral("0"));
    const double v = wholeNumber(text);
    if (v != 0 && (v < 2 || v > 9999))
        return keep(QStringLiteral("0"));
    return keep(text);
}

CheckResult checkRings(const QString &text)
{
    if (text.trimmed().isEmpty())
        return keep(QStringLiteral("1"));
    const double v = wholeNumber(text);
    if (v == 0 || v > 4)
        return keep(QStringLiteral("1"));
    return keep(text);
}

bool acceptsKey(QChar key, bool blankFilter, bool signedField)
{
    if (key == QLatin1Char('+'))
        return false;
    if (key == QLatin1Char('-'))
        return signedField;
    if (key == QLatin1Char(' '))
        return !blankFilter;
    return true;
}

} // namespace slx::sheet
