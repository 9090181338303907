#pragma once
// Opening a file the user chose for reading, without blocking: only a regular file is
// opened (a pipe, a device or a folder is refused before anything waits on it), and a
// refusal says why in the user's language (not found, no permission, not a regular file).
// The program's own database is never opened this way: closing a descriptor of it would
// drop every POSIX lock SQLite holds on it, and another process could then delete its
// logs under the running program or write beside it.

#include <QFile>
#include <QString>

namespace slx {

// Opens path read-only into f. False with the reason, the path named in it.
bool abreFicheroRegular(QFile &f, const QString &path, QString *error);

// When path is the program's database or one of its logs (-wal, -shm, -journal), under
// whatever name (a link, another spelling of the path), the refusal to show; otherwise
// empty. Compared by device and inode through stat(), which opens nothing.
QString rehusaBaseDatosDelPrograma(const QString &path);

} // namespace slx
