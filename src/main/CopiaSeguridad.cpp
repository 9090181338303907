#include "main/CopiaSeguridad.h"

#include "base/DataFolder.h"
#include "base/TextoPropio.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace slx {

namespace {

// The logs SQLite keeps beside a database file, named after it.
const char *const kLogs[] = {"-wal", "-shm", "-journal"};

QString ficheroMarca()
{
    return DataFolder::file(QStringLiteral("backupSLX90.merging"));
}

} // namespace

Resultado<QString> CopiaSeguridad::aparta(const QString &copia)
{
    const QDir carpeta = QFileInfo(copia).dir();
    const QString fecha = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH.mm.ss"));
    // A free name has no file beside it under any of the logs' names either, not even a
    // link that leads nowhere: SQLite would take a foreign log for the backup's own.
    const auto ocupado = [](const QString &f) { return QFileInfo::exists(f) || QFileInfo(f).isSymLink(); };
    const auto libre = [&](const QString &f) {
        if (ocupado(f))
            return false;
        for (const char *log : kLogs)
            if (ocupado(f + QLatin1String(log)))
                return false;
        return true;
    };
    QString aparte = carpeta.filePath(QStringLiteral("backupSLX90 %1.bak").arg(fecha));
    for (int n = 2; !libre(aparte); ++n)
        aparte = carpeta.filePath(QStringLiteral("backupSLX90 %1 (%2).bak").arg(fecha).arg(n));
    QFile fichero(copia);
    if (!fichero.rename(aparte))
        return fallo(fichero.errorString());
    // The logs go with it; if one cannot, everything goes back under its own name.
    QStringList movidos;
    for (const char *log : kLogs) {
        const QString desde = copia + QLatin1String(log);
        if (!ocupado(desde))
            continue;
        QFile l(desde);
        if (!l.rename(aparte + QLatin1String(log))) {
            QString error = TextoPropio("The log %1 cannot be moved with it: %2").arg(desde, l.errorString());
            QStringList fuera;
            for (const QString &m : std::as_const(movidos))
                if (!QFile::rename(aparte + m, copia + m))
                    fuera << aparte + m;
            if (!QFile::rename(aparte, copia))
                fuera.prepend(aparte);
            if (!fuera.isEmpty())
                error += QLatin1Char(' ') + TextoPropio("These files could not be put back under their own names: %1")
                                                .arg(fuera.join(QLatin1String(", ")));
            return fallo(error);
        }
        movidos << QLatin1String(log);
    }
    return aparte;
}

bool CopiaSeguridad::borra(const QString &aparte)
{
    if (!QFile::remove(aparte))
        return false;
    for (const char *log : kLogs)
        QFile::remove(aparte + QLatin1String(log));
    return true;
}

bool CopiaSeguridad::marcaFusion(const QString &aparte)
{
    QSaveFile marca(ficheroMarca());
    if (!marca.open(QIODevice::WriteOnly))
        return false;
    marca.write(QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toUtf8() + '\n' + aparte.toUtf8() + '\n');
    // The commit reaches the disk before it returns: the mark outlives a power cut.
    return marca.commit();
}

void CopiaSeguridad::quitaMarca()
{
    QFile::remove(ficheroMarca());
}

std::optional<CopiaSeguridad::Inacabada> CopiaSeguridad::fusionInacabada()
{
    QFile marca(ficheroMarca());
    if (!QFileInfo(marca.fileName()).isFile() || !marca.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QList<QByteArray> lineas = marca.read(64 * 1024).split('\n');
    marca.close();
    marca.remove();
    Inacabada i;
    i.inicio = QDateTime::fromString(QString::fromUtf8(lineas.value(0)), Qt::ISODate);
    i.aparte = QString::fromUtf8(lineas.value(1));
    return i;
}

} // namespace slx
