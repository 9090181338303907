#pragma once
// Windows-1252, the 8-bit text form of the settings file, the text form of the
// language database and the exchange files.

#include <QByteArray>
#include <QString>

namespace slx {

QString fromCp1252(const QByteArray &bytes);
// Characters outside Windows-1252 become '?'.
QByteArray toCp1252(const QString &text);

// Decodes an 8-bit text file's content: UTF-8 when it starts with a UTF-8 BOM
// (the BOM is dropped), Windows-1252 otherwise. *utf8 tells which was used.
QString decodeTextFile(const QByteArray &bytes, bool *utf8 = nullptr);

} // namespace slx
