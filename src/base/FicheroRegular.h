#pragma once
// Opening a file the user chose for reading, without blocking: only a regular file is
// opened (a pipe, a device or a folder is refused before anything waits on it), and a
// refusal says why in the user's language (not found, no permission, not a regular file).
// The program's own database is never opened this way: closing a descriptor of it would
// drop every POSIX lock SQLite holds on it, and another process could then delete its
// logs under the running program or write beside it.

#include "base/Resultado.h"

#include <QFile>
#include <QString>

namespace slx {

// Opens path read-only into f. Fails with the reason, the path named in it.
Resultado<void> abreFicheroRegular(QFile &f, const QString &path);

// Fails with the refusal to show when path is the program's database or one of its logs
// (-wal, -shm, -journal), under whatever name (a link, another spelling of the path).
// Compared by device and inode through stat(), which opens nothing.
Resultado<void> rehusaBaseDatosDelPrograma(const QString &path);

} // namespace slx
