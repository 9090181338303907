#include "base/DataFolderLock.h"

#include <QDir>
#include <QFileInfo>

namespace slx {

DataFolderLock::DataFolderLock(const QString &folder)
    : m_fileName(QDir(folder).filePath(QStringLiteral("slx90.lock")))
    , m_lock(m_fileName)
{
    // However old, the lock of a running program stays its own; only the lock of a
    // process that is gone is taken over.
    m_lock.setStaleLockTime(0);
}

DataFolderLock::Result DataFolderLock::take()
{
    if (m_lock.tryLock(0))
        return Result::Taken;
    if (m_lock.error() != QLockFile::LockFailedError)
        return Result::Failed;
    // Only a lock file is another program's lock: a folder or anything else under its
    // name keeps the lock from being made, and no program holds it.
    if (!QFileInfo(m_fileName).isFile())
        return Result::Failed;
    return Result::Running;
}

qint64 DataFolderLock::holder() const
{
    qint64 pid = 0;
    QString host, app;
    return m_lock.getLockInfo(&pid, &host, &app) ? pid : 0;
}

} // namespace slx
