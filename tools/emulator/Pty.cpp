#include "Pty.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace slxemu {

Pty::~Pty()
{
    close();
}

bool Pty::open(QString *error)
{
    close();
    auto fail = [&](const char *what) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
        close();
        return false;
    };
    m_fd = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_fd < 0)
        return fail("posix_openpt");
    if (::grantpt(m_fd) != 0)
        return fail("grantpt");
    if (::unlockpt(m_fd) != 0)
        return fail("unlockpt");
    char name[128] = {};
    if (::ptsname_r(m_fd, name, sizeof name) != 0)
        return fail("ptsname_r");
    m_slave = QString::fromLocal8Bit(name);
    // Raw from the start: the line discipline must neither echo nor translate what
    // the device sends before the program has set the port up.
    termios t{};
    if (::tcgetattr(m_fd, &t) == 0) {
        ::cfmakeraw(&t);
        ::cfsetispeed(&t, B19200);
        ::cfsetospeed(&t, B19200);
        ::tcsetattr(m_fd, TCSANOW, &t);
    }
    const int flags = ::fcntl(m_fd, F_GETFL);
    ::fcntl(m_fd, F_SETFL, flags | O_NONBLOCK);
    return true;
}

void Pty::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool Pty::slaveClosed() const
{
    if (m_fd < 0)
        return true;
    pollfd p{m_fd, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0)
        return false;
    return (p.revents & POLLHUP) != 0;
}

} // namespace slxemu
