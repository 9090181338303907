// One program per data folder: the lock of a running program is never taken over,
// however old its file, and a folder where no lock can be made is said to be so, not
// taken for a folder in use.

#include "Helpers.h"
#include "TestSupport.h"
#include "base/DataFolder.h"
#include "base/DataFolderLock.h"
#include "base/TextoPropio.h"
#include "localization/LocGuru.h"
#include "main/Application.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/time.h>

using namespace slx;

namespace {

const QString kRunning = QStringLiteral("The program is already running on the data folder %1.");
const QString kNoLock =
    QStringLiteral("The program cannot use the data folder %1: its lock file %2 cannot be made there (the folder "
                   "is missing or read-only, or something else has that name).");

bool envejece(const QString &path, int segundos)
{
    struct timeval t[2] {};
    ::gettimeofday(&t[0], nullptr);
    t[0].tv_sec -= segundos;
    t[1] = t[0];
    return ::utimes(QFile::encodeName(path).constData(), t) == 0;
}

} // namespace

class TestFolderLock : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The program has run on the folder for an hour: its lock file was written an hour
    // ago, and a second start is still refused.
    void lockAnHourOldOfARunningProgramRefuses()
    {
        slxtest::DataHome home;
        QVERIFY(home.seed());
        QProcess first;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("SLX90_HOME", home.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        first.setProcessEnvironment(env);
        first.start(SLX90_EXE, {});
        QVERIFY(first.waitForStarted());
        const QString lockFile = home.file("slx90.lock");
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(lockFile).size() > 0, 20000);
        QVERIFY(envejece(lockFile, 3600));
        QVERIFY(QFileInfo(lockFile).lastModified().secsTo(QDateTime::currentDateTime()) >= 3599);
        {
            slxtest::Answers answers;
            DataFolderLock lock(home.path());
            QVERIFY(!tomaCarpetaDatos(lock));
            QCOMPARE(lock.holder(), first.processId());
            QCOMPARE(answers.shown().size(), 1);
            QCOMPARE(answers.shown().first().icon, ui::Icon::Exclamation);
            QCOMPARE(answers.texts(), QStringList{TextoPropio(kRunning.toUtf8().constData()).arg(home.path())});
        }
        // Where no native lock reaches the file (a shared folder of a network), only the
        // file's contents tell that its program runs: still refused, however old.
        QTemporaryDir compartida;
        QVERIFY(QFile::copy(lockFile, compartida.filePath("slx90.lock")));
        QVERIFY(envejece(compartida.filePath("slx90.lock"), 3600));
        {
            DataFolderLock lock(compartida.path());
            QCOMPARE(lock.take(), DataFolderLock::Result::Running);
            QCOMPARE(lock.holder(), first.processId());
        }
        // The first program keeps its folder, its lock file in place.
        QCOMPARE(first.state(), QProcess::Running);
        QVERIFY(QFileInfo(lockFile).isFile());
        QVERIFY(QFileInfo(compartida.filePath("slx90.lock")).isFile());
        first.kill();
        first.waitForFinished();
        LocGuruP_BAS::SetupLanguage(home.file("Language.db"), " ");
    }

    // Something keeps the lock file from being made, for any user (root too): the start
    // stops with a message of its own, not with "already running".
    void folderWhereNoLockCanBeMade_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("a folder under the lock file's name") << "folder";
        QTest::newRow("a file where the data folder should be") << "file";
    }
    void folderWhereNoLockCanBeMade()
    {
        QFETCH(QString, kind);
        slxtest::DataHome home;
        QVERIFY(home.seed());
        QString carpeta = home.path();
        if (kind == "folder") {
            QVERIFY(QDir(home.path()).mkdir("slx90.lock"));
        } else {
            carpeta = home.file("datos");
            slxtest::escribeIni(carpeta, "not a folder");
            qputenv("SLX90_HOME", QFile::encodeName(carpeta));
        }
        slxtest::Answers answers;
        DataFolderLock lock(carpeta);
        const bool tomada = tomaCarpetaDatos(lock);
        qputenv("SLX90_HOME", QFile::encodeName(home.path()));
        QVERIFY(!tomada);
        QVERIFY2(answers.shown().size() == 1, qPrintable(answers.texts().join('|')));
        QCOMPARE(answers.shown().first().icon, ui::Icon::Critical);
        QCOMPARE(answers.texts(),
                 QStringList{
                     TextoPropio(kNoLock.toUtf8().constData()).arg(carpeta, QDir(carpeta).filePath("slx90.lock"))});
        QVERIFY(!answers.texts().first().contains(TextoPropio(kRunning.toUtf8().constData()).section("%1", 0, 0)));
        // Nothing was made or removed in its place.
        if (kind == "folder")
            QVERIFY(QFileInfo(home.file("slx90.lock")).isDir());
        else
            QVERIFY(QFileInfo(carpeta).isFile());
        LocGuruP_BAS::SetupLanguage(home.file("Language.db"), " ");
    }
};

QTEST_MAIN(TestFolderLock)
#include "tst_folderlock.moc"
