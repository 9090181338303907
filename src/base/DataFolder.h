#pragma once
// The program's folder, where every file of the program lives: SLX90_HOME when
// set; otherwise the executable's folder when it holds slx90.ini (a portable
// install); otherwise ~/.local/share/slx90. Seeded from the embedded defaults.

#include "base/Resultado.h"

#include <QString>

namespace slx::DataFolder {

// The folder's absolute path (not created).
QString path();

// The path of a fixed file name inside the folder ("slx90.ini", "XML/slx90_1.xml"),
// matching each path element ignoring letter case; when no such file exists, the
// name as given inside the folder.
QString file(const QString &name);

// Creates the folder when missing and copies into it every default file that it
// lacks (ignoring letter case); the settings file only while the folder holds no
// database. A report layout (XML/*.xml) whose root element has a lower "version"
// than the embedded one is replaced by it; the old copy stays beside it as
// NAME.vN.bak. Fails with a description.
Resultado<void> seed();

// Path of an embedded default file (":/defaults/...").
QString defaultFile(const QString &name);

// The version of a layout file: the attribute "version" of its root element, 0 when
// it has none or cannot be read. A newer embedded layout replaces an older seeded copy.
int versionDisposicion(const QString &file);

} // namespace slx::DataFolder
