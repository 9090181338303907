#include "base/Cp1252.h"

namespace slx {

namespace {

// 0x80..0x9F; 0 marks the five unassigned bytes, which map to the C1 controls.
constexpr char16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                                0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                                0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

} // namespace

QString fromCp1252(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b >= 0x80 && b <= 0x9F && kHigh[b - 0x80] != 0)
            out += QChar(kHigh[b - 0x80]);
        else
            out += QChar(b);
    }
    return out;
}

QByteArray toCp1252(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out += static_cast<char>(u);
            continue;
        }
        char mapped = '?';
        for (int i = 0; i < 32; ++i) {
            if (kHigh[i] == u && u != 0) {
                mapped = static_cast<char>(0x80 + i);
                break;
            }
        }
        if (mapped == '?' && u >= 0x80 && u <= 0x9F && kHigh[u - 0x80] == 0)
            mapped = static_cast<char>(u);
        out += mapped;
    }
    return out;
}

QString decodeTextFile(const QByteArray &bytes, bool *utf8)
{
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        if (utf8)
            *utf8 = true;
        return QString::fromUtf8(bytes.mid(3));
    }
    if (utf8)
        *utf8 = false;
    return fromCp1252(bytes);
}

} // namespace slx
