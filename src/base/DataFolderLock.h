#pragma once
// One program per data folder: a lock file in the folder, held for the program's life, so
// that two starts on one folder never write one database or open one serial port side by
// side. A lock left by a program that no longer runs (it was killed, the machine went
// down) is taken over; folders of their own run side by side.

#include <QLockFile>
#include <QString>

namespace slx {

class DataFolderLock {
public:
    // The lock of that folder (not taken yet).
    explicit DataFolderLock(const QString &folder);

    enum class Result {
        Taken,   // this program holds the folder now
        Running, // another program that still runs holds it
        Failed,  // the lock file cannot be made (a read-only or missing folder, or
                 // something that is not a lock file under its name)
    };
    Result take();
    // The process that holds the folder when take() answered Running (0 when unknown).
    qint64 holder() const;
    QString fileName() const { return m_fileName; }

private:
    QString m_fileName;
    QLockFile m_lock;
};

} // namespace slx
