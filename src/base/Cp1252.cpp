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

void ValidadorUtf8::mas(const char *p, qsizetype n)
{
    if (!m_valido)
        return;
    qsizetype i = 0;
    if (m_faltan == 0) {
        // Plain ASCII, the usual case, in one pass.
        unsigned char o = 0;
        for (qsizetype k = 0; k < n; ++k)
            o |= static_cast<unsigned char>(p[k]);
        if (o < 0x80)
            return;
    }
    for (; i < n; ++i) {
        const auto c = static_cast<unsigned char>(p[i]);
        if (m_faltan) {
            if (c < m_min || c > m_max) {
                m_valido = false;
                return;
            }
            m_min = 0x80;
            m_max = 0xBF;
            --m_faltan;
            continue;
        }
        if (c < 0x80)
            continue;
        m_ascii = false;
        if (c >= 0xC2 && c <= 0xDF) {
            m_faltan = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            m_faltan = 2;
            if (c == 0xE0)
                m_min = 0xA0; // no overlong form
            else if (c == 0xED)
                m_max = 0x9F; // no surrogate
        } else if (c >= 0xF0 && c <= 0xF4) {
            m_faltan = 3;
            if (c == 0xF0)
                m_min = 0x90;
            else if (c == 0xF4)
                m_max = 0x8F;
        } else {
            m_valido = false;
            return;
        }
    }
}

bool esUtf8MasAlladeAscii(QByteArrayView bytes)
{
    ValidadorUtf8 v;
    v.mas(bytes);
    return v.utf8MasAlladeAscii();
}

QString decodeTextFile(const QByteArray &bytes, FormaTexto *forma)
{
    FormaTexto f = FormaTexto::Cp1252;
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        f = FormaTexto::Utf8ConBom;
        text = QString::fromUtf8(bytes.mid(3));
    } else if (esUtf8MasAlladeAscii(bytes)) {
        f = FormaTexto::Utf8;
        text = QString::fromUtf8(bytes);
    } else {
        text = fromCp1252(bytes);
    }
    if (forma)
        *forma = f;
    return text;
}

QByteArray encodeTextFile(const QString &text, FormaTexto forma)
{
    switch (forma) {
    case FormaTexto::Utf8ConBom:
        return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
    case FormaTexto::Utf8:
        return text.toUtf8();
    case FormaTexto::Cp1252:
        break;
    }
    return toCp1252(text);
}

} // namespace slx
