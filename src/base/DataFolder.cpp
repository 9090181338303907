#include "base/DataFolder.h"
#include "base/TextoPropio.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QXmlStreamReader>

namespace slx::DataFolder {

namespace {

// Resolves relative path elements one by one ignoring case, under base.
QString resolveIn(const QString &base, const QString &name)
{
    QString current = base;
    const QStringList parts = QDir::fromNativeSeparators(name).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        QDir dir(current);
        QString found;
        if (dir.exists(part)) {
            found = part;
        } else {
            const QStringList entries =
                dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
            for (const QString &e : entries) {
                if (e.compare(part, Qt::CaseInsensitive) == 0) {
                    found = e;
                    break;
                }
            }
        }
        current = dir.filePath(found.isEmpty() ? part : found);
    }
    return current;
}

bool isLayout(const QString &rel)
{
    return rel.startsWith(QLatin1String("XML/"), Qt::CaseInsensitive) &&
           rel.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive);
}

} // namespace

QString path()
{
    const QString home = qEnvironmentVariable("SLX90_HOME");
    if (!home.isEmpty())
        return QDir(home).absolutePath();
    if (QCoreApplication::instance()) {
        // A portable install: the settings file beside the executable, in any letter case.
        const QString exe = QDir(QCoreApplication::applicationDirPath()).absolutePath();
        const QFileInfo ini(resolveIn(exe, QStringLiteral("slx90.ini")));
        if (ini.exists() && !ini.isDir())
            return exe;
    }
    return QDir(QDir::homePath()).filePath(QStringLiteral(".local/share/slx90"));
}

QString file(const QString &name)
{
    return resolveIn(path(), name);
}

QString defaultFile(const QString &name)
{
    return QStringLiteral(":/defaults/") + name;
}

Resultado<void> seed()
{
    const QString root = path();
    if (!QDir().mkpath(root))
        return fallo(TextoPropio("Cannot create the folder %1").arg(root));
    // The settings file goes only into a new folder (no database yet): one deleted later
    // is missing, and the start-up says so instead of running on defaults.
    const bool nueva = !QFileInfo::exists(resolveIn(root, QStringLiteral("slx90.db")));
    QDirIterator it(QStringLiteral(":/defaults"), QDir::Files, QDirIterator::Subdirectories);
    const QString prefix = QStringLiteral(":/defaults/");
    while (it.hasNext()) {
        const QString src = it.next();
        const QString rel = src.mid(prefix.size());
        const QString dest = resolveIn(root, rel);
        if (!nueva && rel.compare(QLatin1String("slx90.ini"), Qt::CaseInsensitive) == 0)
            continue;
        if (QFileInfo::exists(dest)) {
            // A layout of an older version gives way to the embedded one; the old copy is
            // kept beside it, renamed, so that changes made to it are not lost.
            if (!isLayout(rel))
                continue;
            const int seeded = versionDisposicion(dest);
            if (seeded >= versionDisposicion(src))
                continue;
            const QString kept = dest + QStringLiteral(".v%1.bak").arg(seeded);
            QFile::remove(kept);
            if (!QFile::rename(dest, kept))
                return fallo(TextoPropio("Cannot write %1").arg(kept));
        }
        QDir().mkpath(QFileInfo(dest).absolutePath());
        if (!QFile::copy(src, dest))
            return fallo(TextoPropio("Cannot write %1").arg(dest));
        // Files copied from the resources are read-only; the data folder's are the user's.
        QFile::setPermissions(dest, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    return {};
}

int versionDisposicion(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    QXmlStreamReader xml(&f);
    if (!xml.readNextStartElement())
        return 0;
    return xml.attributes().value(QLatin1String("version")).toInt();
}

} // namespace slx::DataFolder
