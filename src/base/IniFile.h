#pragma once
// An INI file reader and writer with the semantics of the Win32 profile calls:
// section and key names ignore letter case and surrounding blanks, values are
// trimmed and lose one pair of enclosing quotes, the first matching section and
// key win, lines are updated in place, and the file and the section are created
// when missing. Files are Windows-1252, or UTF-8 when they start with a UTF-8 BOM or
// are valid UTF-8 beyond plain ASCII (as a modern editor saves them); a file is
// written back in the form it was read in.

#include <QList>
#include <QPair>
#include <QString>

namespace slx::IniFile {

// The value of key in section, or defecto (trailing blanks removed) when the file,
// the section or the key is missing.
QString read(const QString &path, const QString &section, const QString &key, const QString &defecto = QString());

// The keys and values of section in file order, read as read() reads them (a key that
// stands twice is looked up by its first line); empty when the file or the section is missing.
QList<QPair<QString, QString>> readSection(const QString &path, const QString &section);

// Writes key=value into section. Returns false when the file cannot be written.
bool write(const QString &path, const QString &section, const QString &key, const QString &value);

} // namespace slx::IniFile
