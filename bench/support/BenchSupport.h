#pragma once
// What the benchmarks share: a data folder of their own with the program's database
// open, and the resident memory of the process.

#include <QString>
#include <QTemporaryDir>

namespace slxbench {

// A new data folder (SLX90_HOME), seeded, with its database open as ConexionBD for the
// object's life. Message boxes are printed to the error output and answered OK.
class CarpetaDatos {
public:
    CarpetaDatos();
    // False with the reason printed when the folder or the database could not be made.
    bool ok() const { return m_ok; }

private:
    QTemporaryDir m_dir;
    bool m_ok = false;
};

// The process's resident memory in MiB (0 when it cannot be read).
double rssMiB();

} // namespace slxbench
