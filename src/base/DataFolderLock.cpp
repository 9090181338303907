#include "base/DataFolderLock.h"

#include <QDir>

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
    const QLockFile::LockError e = m_lock.error();
    return e == QLockFile::PermissionError || e == QLockFile::UnknownError ? Result::Failed : Result::Running;
}

qint64 DataFolderLock::holder() const
{
    qint64 pid = 0;
    QString host, app;
    return m_lock.getLockInfo(&pid, &host, &app) ? pid : 0;
}

} // namespace slx
