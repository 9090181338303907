#pragma once
// An INI file reader and writer with the semantics of the Win32 profile calls:
// section and key names ignore letter case and surrounding blanks, values are
// trimmed and lose one pair of enclosing quotes, the first matching section and
// key win, lines are updated in place, and the file and the section are created
// when missing. Files are Windows-1252 (a UTF-8 BOM is accepted and kept).

#include <QString>

namespace slx::IniFile {

// The value of key in section, or defecto (trailing blanks removed) when the file,
// the section or the key is missing.
QString read(const QString &path, const QString &section, const QString &key, const QString &defecto = QString());

// Writes key=value into section. Returns false when the file cannot be written.
bool write(const QString &path, const QString &section, const QString &key, const QString &value);

} // namespace slx::IniFile
