#pragma once
// Helpers shared by the tests: a private data folder per test, the message-box
// answerer, and the fixture paths.

#include "base/MessageBox.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <QWidget>
#include <memory>

namespace slxtest {

// Points SLX90_HOME at a new empty folder for the object's life and resets the
// shared module state. seed() fills it with the default files.
class DataHome {
public:
    DataHome();
    ~DataHome();
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const;
    bool seed();
    // Seeds and opens the database as ConexionBD.
    bool openDatabase();

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
};

// Answers message boxes, input boxes and file dialogs in place of the user, from a
// queue; when the queue is empty, a message is answered OK/Cancel (first button)
// and the rest are cancelled. Every request stays recorded until destruction.
class Answers {
public:
    Answers();
    ~Answers();
    Answers &then(const QVariant &answer);
    const QList<slx::ui::Request> &shown() const;
    QStringList texts() const;
    int pending() const { return m_queue.size(); }

private:
    QList<QVariant> m_queue;
};

// The language columns of the language database, in their order.
const QStringList &languageColumns();
// A row of test data for each of them: one column "language".
void addLanguageRows();

// A database file opened read-only under its own connection name for the object's
// life; the connection is released when the object goes.
class ReadOnlyDatabase {
public:
    ReadOnlyDatabase(const QString &path, const QString &connection);
    ~ReadOnlyDatabase();
    ReadOnlyDatabase(const ReadOnlyDatabase &) = delete;
    ReadOnlyDatabase &operator=(const ReadOnlyDatabase &) = delete;
    QSqlDatabase db() const;
    bool isOpen() const { return db().isOpen(); }

private:
    QString m_connection;
};

// The design-time texts of windows that the shipped language database lacks: every
// caption, title, tab caption, column caption and tool tip that is neither a
// catalogue text nor a row with all seven languages filled. Empty when all are there.
QStringList missingTranslations(const QList<QWidget *> &windows, const QString &languageDb);

// Creates the SQLite file path (replacing one that is there) and runs statements on
// it through a connection of its own; false, with a warning, when one fails.
bool creaBaseSQLite(const QString &path, const QStringList &statements);

// Rewrites the UTF-8 text file path with every occurrence of desde replaced
// by hasta; false when the file cannot be read or written or does not hold desde.
bool reemplazaEnFichero(const QString &path, const QString &desde, const QString &hasta);

// Saves a picture of the window as name.png into the folder $SLX_TEST_SHOTS when it is
// set (to look at what a test drew); does nothing otherwise.
void captura(QWidget *window, const QString &name);

QString fixture(const QString &relative);
QString sourceFile(const QString &relative);

} // namespace slxtest
