#include "base/FicheroRegular.h"

#include "base/TextoPropio.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace slx {

bool abreFicheroRegular(QFile &f, const QString &path, QString *error)
{
    // O_NONBLOCK: opening a pipe with no writer returns at once instead of waiting for one.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        if (e == EACCES || e == EPERM)
            *error = TextoPropio("The file %1 cannot be opened: you have no permission to read it.").arg(path);
        else if (e == ENOENT)
            *error = TextoPropio("The file %1 does not exist.").arg(path);
        else
            *error =
                TextoPropio("The file %1 cannot be opened: %2").arg(path, QString::fromLocal8Bit(std::strerror(e)));
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        *error = TextoPropio("The file %1 is not a regular file (it is a folder, a device or a pipe): it cannot be "
                             "imported.")
                     .arg(path);
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    if (!f.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        *error = TextoPropio("The file %1 cannot be opened: %2").arg(path, f.errorString());
        return false;
    }
    return true;
}

} // namespace slx
