#pragma once
// Opening a file the user chose for reading, without blocking: only a regular file is
// opened (a pipe, a device or a folder is refused before anything waits on it), and a
// refusal says why in the user's language (not found, no permission, not a regular file).

#include <QFile>
#include <QString>

namespace slx {

// Opens path read-only into f. False with the reason, the path named in it.
bool abreFicheroRegular(QFile &f, const QString &path, QString *error);

} // namespace slx
