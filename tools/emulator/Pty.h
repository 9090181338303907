#pragma once
// A pseudo-terminal whose master side the emulator holds; the program opens the
// slave side as its serial port.

#include <QString>

namespace slxemu {

class Pty {
public:
    Pty() = default;
    ~Pty();
    Pty(const Pty &) = delete;
    Pty &operator=(const Pty &) = delete;

    // Opens a new pseudo-terminal in raw mode, non-blocking.
    bool open(QString *error = nullptr);
    void close();
    int masterFd() const { return m_fd; }
    QString slavePath() const { return m_slave; }

    // True while nobody has the slave side open (before the first open and after
    // the program closed its port).
    bool slaveClosed() const;

private:
    int m_fd = -1;
    QString m_slave;
};

} // namespace slxemu
