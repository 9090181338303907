#include "base/FicheroRegular.h"

#include "base/Database.h"
#include "base/Modulo1.h"
#include "base/TextoPropio.h"

#include <QStringList>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace slx {

namespace {

bool mismoFichero(const struct stat &a, const QString &otro)
{
    struct stat b {};
    return ::stat(QFile::encodeName(otro).constData(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

Resultado<void> rehusaBaseDatosDelPrograma(const QString &path)
{
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    QStringList bases{Database::path()};
    const QSqlDatabase &conexion = modulo1().ConexionBD;
    if (conexion.isOpen() && !conexion.databaseName().isEmpty())
        bases << conexion.databaseName();
    for (const QString &base : std::as_const(bases)) {
        for (const char *log : {"", "-wal", "-shm", "-journal"}) {
            if (mismoFichero(st, base + QLatin1String(log)))
                return fallo(TextoPropio("The file %1 is the program's own database or one of its logs: it cannot "
                                         "be imported into it.")
                                 .arg(path));
        }
    }
    return {};
}

Resultado<void> abreFicheroRegular(QFile &f, const QString &path)
{
    // Refused before it is opened: closing the descriptor would drop the database's locks.
    if (Resultado<void> propia = rehusaBaseDatosDelPrograma(path); !propia)
        return propia;
    // O_NONBLOCK: opening a pipe with no writer returns at once instead of waiting for one.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        if (e == EACCES || e == EPERM)
            return fallo(TextoPropio("The file %1 cannot be opened: you have no permission to read it.").arg(path));
        if (e == ENOENT)
            return fallo(TextoPropio("The file %1 does not exist.").arg(path));
        return fallo(
            TextoPropio("The file %1 cannot be opened: %2").arg(path, QString::fromLocal8Bit(std::strerror(e))));
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return fallo(TextoPropio("The file %1 is not a regular file (it is a folder, a device or a pipe): it cannot "
                                 "be imported.")
                         .arg(path));
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    if (!f.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fallo(TextoPropio("The file %1 cannot be opened: %2").arg(path, f.errorString()));
    }
    return {};
}

} // namespace slx
