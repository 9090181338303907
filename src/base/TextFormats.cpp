#include "base/TextFormats.h"

#include "base/TextoPropio.h"

#include <array>
#include <charconv>
#include <cmath>
#include <string_view>

namespace slx {

namespace {

// Length of the number at the start of s from position i (sign, digits, one
// separator, digits); 0 when there is none.
qsizetype numberAt(const QString &s, qsizetype i)
{
    const qsizetype start = i;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-'))
        ++i;
    qsizetype digits = 0;
    while (i < s.size() && s[i].isDigit() && s[i].unicode() < 128) {
        ++i;
        ++digits;
    }
    if (i < s.size() && (s[i] == u'.' || s[i] == u',')) {
        qsizetype j = i + 1;
        qsizetype decimals = 0;
        while (j < s.size() && s[j].isDigit() && s[j].unicode() < 128) {
            ++j;
            ++decimals;
        }
        if (decimals > 0 || digits > 0) {
            digits += decimals;
            i = j;
        }
    }
    return digits > 0 ? i - start : 0;
}

double toDouble(const QString &number)
{
    QString t = number;
    t.replace(u',', u'.');
    if (t.endsWith(u'.'))
        t.chop(1);
    bool ok = false;
    const double v = t.toDouble(&ok);
    return ok ? v : 0.0;
}

} // namespace

double valorInicial(const QString &texto)
{
    qsizetype i = 0;
    while (i < texto.size() && texto[i] == u' ')
        ++i;
    const qsizetype n = numberAt(texto, i);
    return n > 0 ? toDouble(texto.mid(i, n)) : 0.0;
}

std::optional<double> numeroTexto(const QString &texto)
{
    const QString t = texto.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    const qsizetype n = numberAt(t, 0);
    if (n != t.size())
        return std::nullopt;
    return toDouble(t);
}

Resultado<qint64> enteroTexto(const QString &texto, qint64 min, qint64 max)
{
    const auto v = numeroTexto(texto);
    if (!v || !std::isfinite(*v))
        return fallo(TextoPropio("Type mismatch"));
    const double r = std::nearbyint(*v);
    if (r < static_cast<double>(min) || r > static_cast<double>(max))
        return fallo(TextoPropio("Overflow"));
    return static_cast<qint64>(r);
}

double valorVersion(const QString &version)
{
    return valorInicial(version);
}

bool versionAlMenys(const QString &version, double minimo)
{
    // Both sides come from one-decimal texts: a small tolerance keeps 3.3 >= 3.3.
    return valorVersion(version) >= minimo - 1e-9;
}

std::optional<QDate> fechaFitxa(const QString &texto)
{
    if (texto.size() != 8 || texto[2] != u'/' || texto[5] != u'/')
        return std::nullopt;
    for (int i : {0, 1, 3, 4, 6, 7})
        if (!(texto[i] >= u'0' && texto[i] <= u'9'))
            return std::nullopt;
    const int day = texto.mid(0, 2).toInt();
    const int month = texto.mid(3, 2).toInt();
    const int yy = texto.mid(6, 2).toInt();
    const QDate d(yy < 50 ? 2000 + yy : 1900 + yy, month, day);
    if (!d.isValid())
        return std::nullopt;
    return d;
}

QString textoFechaFitxa(const QDate &d)
{
    return d.toString(QStringLiteral("dd/MM/yy"));
}

std::optional<QTime> horaFitxa(const QString &texto)
{
    const bool shortForm = texto.size() == 5;
    if (!shortForm && texto.size() != 8)
        return std::nullopt;
    if (texto[2] != u':' || (!shortForm && texto[5] != u':'))
        return std::nullopt;
    for (int i = 0; i < texto.size(); ++i)
        if (i != 2 && i != 5 && !(texto[i] >= u'0' && texto[i] <= u'9'))
            return std::nullopt;
    const QTime t(texto.mid(0, 2).toInt(), texto.mid(3, 2).toInt(), shortForm ? 0 : texto.mid(6, 2).toInt());
    if (!t.isValid())
        return std::nullopt;
    return t;
}

namespace {

// The shortest text in the style of printf's %g; "0" for either zero.
std::string_view cifrasSingle(float v, std::array<char, 64> &buf)
{
    if (v == 0.0f)
        return "0";
    const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::general);
    return {buf.data(), std::size_t(r.ptr - buf.data())};
}

} // namespace

QString textoSingle(float v)
{
    std::array<char, 64> buf;
    const std::string_view t = cifrasSingle(v, buf);
    return QString::fromLatin1(t.data(), qsizetype(t.size()));
}

double decimalSingle(float v)
{
    std::array<char, 64> buf;
    const std::string_view t = cifrasSingle(v, buf);
    double d = 0;
    std::from_chars(t.data(), t.data() + t.size(), d);
    return d;
}

} // namespace slx
