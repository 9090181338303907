#pragma once
// Windows-1252, the 8-bit text form of the settings file, the text form of the
// language database and the exchange files; and the one decision, shared by the
// settings file and the exchange files, of when such a file is UTF-8 instead.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace slx {

QString fromCp1252(const QByteArray &bytes);
// Characters outside Windows-1252 become '?'.
QByteArray toCp1252(const QString &text);

// Whether bytes fed piece by piece are UTF-8 that goes beyond ASCII. Accented
// Windows-1252 text is almost never valid UTF-8, so such bytes are taken as UTF-8;
// plain ASCII reads the same both ways and stays Windows-1252.
class ValidadorUtf8 {
public:
    void mas(const char *p, qsizetype n);
    void mas(QByteArrayView bytes) { mas(bytes.data(), bytes.size()); }
    // A line end that was not fed: no character may span it.
    void finDeLinea() { m_valido = m_valido && m_faltan == 0; }
    bool utf8MasAlladeAscii() const { return m_valido && m_faltan == 0 && !m_ascii; }

private:
    bool m_valido = true;
    bool m_ascii = true;
    int m_faltan = 0;
    unsigned char m_min = 0x80, m_max = 0xBF;
};

// The same decision on bytes held whole.
bool esUtf8MasAlladeAscii(QByteArrayView bytes);

// The text form an 8-bit text file was read in, and is written back in.
enum class FormaTexto {
    Cp1252,    // Windows-1252 (plain ASCII included)
    Utf8,      // UTF-8 without a byte-order mark
    Utf8ConBom // UTF-8 that starts with a byte-order mark
};

// Decodes an 8-bit text file's content: UTF-8 when it starts with a UTF-8 BOM (the BOM
// is dropped) or when it is valid UTF-8 and not plain ASCII, Windows-1252 otherwise.
// *forma tells which was used.
QString decodeTextFile(const QByteArray &bytes, FormaTexto *forma = nullptr);
// The content of a text file in the given form (a BOM first for Utf8ConBom).
QByteArray encodeTextFile(const QString &text, FormaTexto forma);

} // namespace slx
