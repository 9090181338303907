// The backup left for the start-up merge is set aside with its SQLite logs under a
// dated name before its merge: all of it or none of it moves, and the name it takes has
// no foreign log beside it that SQLite would read as the backup's own.

#include "TestSupport.h"
#include "base/TextoPropio.h"
#include "main/CopiaSeguridad.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <climits>
#include <unistd.h>

using namespace slx;

namespace {

bool escribe(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray lee(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

const QStringList kLogs = {"-wal", "-shm", "-journal"};

} // namespace

class TestBackupAside : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A folder so deep that the dated names of the backup and of its -wal and -shm still
    // fit in a path, but that of its -journal does not: the journal cannot follow (for
    // any user, root too), and the backup and the logs already moved go back.
    void logThatCannotFollowPutsEverythingBack()
    {
        QTemporaryDir raiz;
        QVERIFY(raiz.isValid());
        // The folder's length: its path, a slash and "backupSLX90 yyyy-MM-dd HH.mm.ss.bak-wal"
        // (39 characters) fit in PATH_MAX with its final zero; with "-journal" (43) they do not.
        const int largo = PATH_MAX - 1 - 1 - 41;
        QString carpeta = raiz.path();
        for (int resto = largo - int(carpeta.size()); resto > 0;) {
            int n = qMin(200, resto - 1);
            if (resto - (n + 1) == 1)
                --n;
            carpeta += '/' + QString(n, QChar('d'));
            resto -= n + 1;
        }
        QCOMPARE(carpeta.size(), largo);
        QVERIFY(QDir().mkpath(carpeta));
        const QString copia = carpeta + "/backupSLX90.bak";
        QVERIFY(escribe(copia, "the backup"));
        for (const QString &log : kLogs)
            QVERIFY(escribe(copia + log, "its log " + log.toLatin1()));

        const Resultado<QString> apartada = CopiaSeguridad::aparta(copia);
        QVERIFY(!apartada);
        const QString error = apartada.error().mensaje();
        // Told which log stayed, and why.
        QVERIFY2(error.startsWith(TextoPropio("The log %1 cannot be moved with it: %2").arg(copia + "-journal", "")),
                 qPrintable(error));
        QVERIFY2(!error.contains(
                     TextoPropio("These files could not be put back under their own names: %1").section("%1", 0, 0)),
                 qPrintable(error));
        // Everything under its own name, as it was; nothing left under the dated name.
        QCOMPARE(lee(copia), QByteArray("the backup"));
        for (const QString &log : kLogs)
            QCOMPARE(lee(copia + log), "its log " + log.toLatin1());
        QStringList quedan = QDir(carpeta).entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name);
        QCOMPARE(quedan, QStringList({"backupSLX90.bak", "backupSLX90.bak-journal", "backupSLX90.bak-shm",
                                      "backupSLX90.bak-wal"}));
    }

    // Another backup's log lies beside the dated name the backup would take (for every
    // second around now): the backup takes a name with no log beside it.
    void nameTakenHasNoForeignLogBeside_data()
    {
        QTest::addColumn<QString>("log");
        QTest::addColumn<bool>("enlace");
        QTest::newRow("write-ahead log") << "-wal" << false;
        QTest::newRow("shared memory") << "-shm" << false;
        QTest::newRow("rollback journal") << "-journal" << false;
        QTest::newRow("a link to nowhere as write-ahead log") << "-wal" << true;
    }
    void nameTakenHasNoForeignLogBeside()
    {
        QFETCH(QString, log);
        QFETCH(bool, enlace);
        QTemporaryDir carpeta;
        QVERIFY(carpeta.isValid());
        const QString copia = carpeta.filePath("backupSLX90.bak");
        QVERIFY(escribe(copia, "the backup"));
        // Its own shared memory goes with it.
        QVERIFY(escribe(copia + "-shm", "its own"));
        QStringList ajenos;
        const QDateTime ahora = QDateTime::currentDateTime();
        for (int s = -2; s <= 10; ++s) {
            const QString nombre = carpeta.filePath(
                QString("backupSLX90 %1.bak").arg(ahora.addSecs(s).toString("yyyy-MM-dd HH.mm.ss")) + log);
            if (enlace)
                QCOMPARE(::symlink(QFile::encodeName(carpeta.filePath("nowhere/x")).constData(),
                                   QFile::encodeName(nombre).constData()),
                         0);
            else
                QVERIFY(escribe(nombre, "foreign"));
            ajenos << nombre;
        }
        const Resultado<QString> apartada = CopiaSeguridad::aparta(copia);
        QVERIFY2(apartada, qPrintable(apartada ? QString() : apartada.error().mensaje()));
        const QString aparte = *apartada;
        QCOMPARE(lee(aparte), QByteArray("the backup"));
        QCOMPARE(lee(aparte + "-shm"), QByteArray("its own"));
        for (const QString &l : kLogs) {
            if (l != "-shm") {
                QVERIFY2(!QFileInfo(aparte + l).exists() && !QFileInfo(aparte + l).isSymLink(), qPrintable(aparte + l));
            }
        }
        // The foreign logs are left as they were.
        for (const QString &a : std::as_const(ajenos)) {
            if (enlace)
                QVERIFY(QFileInfo(a).isSymLink());
            else
                QCOMPARE(lee(a), QByteArray("foreign"));
        }
        QVERIFY(!QFileInfo::exists(copia));
        QVERIFY(!QFileInfo::exists(copia + "-shm"));
    }
};

QTEST_MAIN(TestBackupAside)
#include "tst_backupaside.moc"
