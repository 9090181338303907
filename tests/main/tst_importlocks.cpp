// The import command next to the live database: SQLite's POSIX locks on slx90.db and
// its shared memory belong to the whole process, and closing any descriptor of those
// files drops them. The real file dialog lists the data folder, and a choice of the
// database itself is refused; afterwards another process reading the database must
// still see it in use (its logs stay where they are).

#include "Helpers.h"
#include "MainWindowFixture.h"
#include "TestSupport.h"
#include "base/FormRegistry.h"
#include "base/Modulo1.h"
#include "base/TextoPropio.h"
#include "localization/LocGuru.h"
#include "main/Form1.h"
#include "main/RegistroVentanas.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QSqlQuery>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>
#include <memory>

using namespace slx;
using slxtest::cuenta;

namespace {

const QByteArray kIni = "[Configuration]\r\nSerialPort=1\r\nLanguage=1034\r\nModem=0\r\nTonePulse=1\r\n"
                        "ModemSpeed=19200\r\n";

// The inode numbers this process holds a POSIX lock on, from /proc/locks.
QSet<quint64> inodosBloqueados()
{
    QSet<quint64> out;
    QFile f("/proc/locks");
    if (!f.open(QIODevice::ReadOnly))
        return out;
    const QByteArray pid = QByteArray::number(qint64(::getpid()));
    for (const QByteArray &linea : f.readAll().split('\n')) {
        // "1: POSIX  ADVISORY  READ 1234 fd:01:5678 128 128"; waiters are marked "->".
        const QList<QByteArray> campos = linea.simplified().split(' ');
        if (campos.size() < 6 || campos.at(1) != "POSIX" || campos.contains("->"))
            continue;
        if (campos.at(4) != pid)
            continue;
        out.insert(campos.at(5).split(':').value(2).toULongLong());
    }
    return out;
}

quint64 inodo(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? quint64(st.st_ino) : 0;
}

// "ok" when the database and its shared memory are locked by this process and its logs
// are there; otherwise what is wrong.
QString estadoDeLaBase(const QString &db)
{
    if (!QFileInfo::exists(db + "-wal") || !QFileInfo::exists(db + "-shm"))
        return "the database's -wal or -shm is gone";
    const QSet<quint64> locks = inodosBloqueados();
    if (!locks.contains(inodo(db)))
        return "no lock of ours on the database";
    if (!locks.contains(inodo(db + "-shm")))
        return "no lock of ours on its -shm";
    return "ok";
}

// Another process reads the database, as a person with the sqlite3 tool would. When it
// believes itself the only user, it deletes the logs as it closes.
bool lectorDeFuera(const QString &db)
{
    QProcess p;
    p.start("sqlite3", {db, "select 1"});
    if (!p.waitForFinished(20000))
        return false;
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0 && p.readAllStandardOutput().trimmed() == "1";
}

} // namespace

class TestImportLocks : public slxtest::MainWindowFixture {
    Q_OBJECT

    QString db() const { return home->file("slx90.db"); }

private Q_SLOTS:
    void initTestCase() { registraVentanas(); }

    void init()
    {
        abre(kIni);
        if (QTest::currentTestFailed())
            return;
        // A row in the log, so that the database is in use as after any download.
        QSqlQuery q(modulo1().ConexionBD);
        QVERIFY(q.exec("INSERT INTO DiaBorrado (LNumeroSerie, DFecha, THora) VALUES (7, '2009-01-01', '10:00')"));
        QCOMPARE(estadoDeLaBase(db()), QString("ok"));
    }

    void cleanup()
    {
        cierra();
    }

    // The import's file dialog, shown for real on the data folder and cancelled once it
    // has listed and typed the database's files.
    void fileDialogLeavesTheDatabaseLocked()
    {
        QString listado, fallo;
        slxtest::alAbrirModal([&](QWidget *w) {
            auto *dialog = qobject_cast<QFileDialog *>(w);
            if (!dialog) {
                fallo = "no file dialog";
                w->close();
                return;
            }
            auto *model = dialog->findChild<QFileSystemModel *>();
            if (!model) {
                fallo = "the dialog is not the program's own";
                dialog->reject();
                return;
            }
            // Listed, and typed: the type column is filled once the file's details are in.
            const bool tipado = QTest::qWaitFor(
                [&] {
                    const QModelIndex i = model->index(db());
                    return i.isValid() && !model->index(i.row(), 2, i.parent()).data().toString().isEmpty();
                },
                20000);
            if (!tipado)
                fallo = "the dialog never listed slx90.db";
            const QModelIndex i = model->index(db());
            listado = model->index(i.row(), 2, i.parent()).data().toString();
            QTest::qWait(300);
            slxtest::captura(w, QStringLiteral("import-dialog"));
            dialog->reject();
        });
        QTest::mouseClick(form->SSCommand1, Qt::LeftButton);
        QVERIFY2(fallo.isEmpty(), qPrintable(fallo));
        QVERIFY(!listado.isEmpty());
        QVERIFY(modulo1().FicheroImportar.isEmpty());
        QCOMPARE(estadoDeLaBase(db()), QString("ok"));
        QVERIFY(lectorDeFuera(db()));
        QCOMPARE(estadoDeLaBase(db()), QString("ok"));
        // The connection goes on storing and reading as before.
        QSqlQuery q(modulo1().ConexionBD);
        QVERIFY(q.exec("INSERT INTO DiaBorrado (LNumeroSerie, DFecha, THora) VALUES (8, '2009-01-02', '11:00')"));
        QCOMPARE(cuenta("DiaBorrado"), 2);
    }

    // The database, one of its logs, or a link to it, chosen in the dialog: refused with
    // the reason before anything opens it; nothing is merged and the locks stay.
    void ownDatabaseChosenIsRefused_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("link");
        QTest::newRow("the database") << "slx90.db" << "";
        QTest::newRow("its write-ahead log") << "slx90.db-wal" << "";
        QTest::newRow("its shared memory") << "slx90.db-shm" << "";
        QTest::newRow("a link named as an Access file") << "copia.mdb" << "symbolic";
        QTest::newRow("a second name as an exchange file") << "obra.qv90" << "hard";
        QTest::newRow("the path spelled another way") << "./../%1/slx90.db" << "";
    }
    void ownDatabaseChosenIsRefused()
    {
        QFETCH(QString, choice);
        QFETCH(QString, link);
        const QString path =
            home->file(choice.contains("%1") ? choice.arg(QFileInfo(home->path()).fileName()) : choice);
        if (link == "symbolic")
            QCOMPARE(::symlink(QFile::encodeName(db()).constData(), QFile::encodeName(path).constData()), 0);
        else if (link == "hard")
            QCOMPARE(::link(QFile::encodeName(db()).constData(), QFile::encodeName(path).constData()), 0);
        const int antes = cuenta("DiaBorrado");
        slxtest::Answers answers;
        answers.then(path);
        QTest::mouseClick(form->SSCommand1, Qt::LeftButton);
        QCOMPARE(answers.shown().size(), 2);
        QCOMPARE(answers.shown().at(1).icon, ui::Icon::Critical);
        QCOMPARE(answers.shown().at(1).text,
                 TextoPropio("The file %1 is the program's own database or one of its logs: it cannot be imported "
                             "into it.")
                     .arg(path));
        // In the user's language.
        QVERIFY(answers.shown().at(1).text.startsWith("El archivo "));
        QVERIFY(!FormRegistry::instance("Form16"));
        QVERIFY(modulo1().FicheroImportar.isEmpty());
        QCOMPARE(cuenta("DiaBorrado"), antes);
        QCOMPARE(estadoDeLaBase(db()), QString("ok"));
        QVERIFY(lectorDeFuera(db()));
        QCOMPARE(estadoDeLaBase(db()), QString("ok"));
    }

    // A backup left at start-up that is the database under another name: refused by the
    // merge before it opens the file, and kept.
    void backupThatIsTheDatabaseIsKept()
    {
        const QString backup = home->file("backupSLX90.bak");
        QCOMPARE(::symlink(QFile::encodeName(db()).constData(), QFile::encodeName(backup).constData()), 0);
        form->Form_Unload();
        slxtest::Answers answers;
        form->Form_Load();
        QVERIFY(modulo1().ConexionBD.isOpen());
        const QString reason =
            TextoPropio("The file %1 is the program's own database or one of its logs: it cannot be imported into it.")
                .section("%1", 1, 1);
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown().first().icon, ui::Icon::Critical);
        QVERIFY2(answers.shown().first().text.contains(reason), qPrintable(answers.shown().first().text));
        QCOMPARE(cuenta("DiaBorrado"), 1);
        // Kept aside, still the same file.
        const QStringList aparte = QDir(home->path()).entryList({"backupSLX90 *.bak"}, QDir::System | QDir::Files);
        QCOMPARE(aparte.size(), 1);
        QCOMPARE(inodo(home->file(aparte.first())), inodo(db()));
        QCOMPARE(estadoDeLaBase(db()), QString("ok"));
        QVERIFY(lectorDeFuera(db()));
        QCOMPARE(estadoDeLaBase(db()), QString("ok"));
    }
};

QTEST_MAIN(TestImportLocks)
#include "tst_importlocks.moc"
