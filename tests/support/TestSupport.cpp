#include "TestSupport.h"

#include "base/DataFolder.h"
#include "base/Database.h"
#include "base/Modulo1.h"

#include "localization/NativeCatalogue.h"
#include "widgets/Translatable.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTest>

namespace slxtest {

DataHome::DataHome()
    : m_previous(qgetenv("SLX90_HOME"))
{
    slx::Database::close();
    slx::resetModulo1();
    qputenv("SLX90_HOME", m_dir.path().toLocal8Bit());
}

DataHome::~DataHome()
{
    slx::Database::close();
    if (m_previous.isEmpty())
        qunsetenv("SLX90_HOME");
    else
        qputenv("SLX90_HOME", m_previous);
}

QString DataHome::file(const QString &name) const
{
    return QDir(m_dir.path()).filePath(name);
}

bool DataHome::seed()
{
    const slx::Resultado<void> sembrada = slx::DataFolder::seed();
    if (!sembrada)
        qWarning("%s", qPrintable(sembrada.error().mensaje()));
    return sembrada.has_value();
}

bool DataHome::openDatabase()
{
    if (!seed())
        return false;
    const slx::Resultado<void> abierta = slx::Database::open();
    if (!abierta) {
        qWarning("%s", qPrintable(abierta.error().mensaje()));
        return false;
    }
    return true;
}

Answers::Answers()
{
    slx::ui::clearRequests();
    slx::ui::setResponder([this](const slx::ui::Request &req) -> QVariant {
        if (!m_queue.isEmpty())
            return m_queue.takeFirst();
        if (req.kind != slx::ui::Kind::Message)
            return QVariant();
        // The first button of the set.
        switch (req.buttons) {
        case slx::ui::OkOnly:
        case slx::ui::OkCancel: return slx::ui::vbOK;
        case slx::ui::AbortRetryIgnore: return slx::ui::vbAbort;
        case slx::ui::RetryCancel: return slx::ui::vbRetry;
        case slx::ui::YesNoCancel:
        case slx::ui::YesNo: break;
        }
        return slx::ui::vbYes;
    });
}

Answers::~Answers()
{
    slx::ui::setResponder(nullptr);
    slx::ui::clearRequests();
}

Answers &Answers::then(const QVariant &answer)
{
    m_queue.append(answer);
    return *this;
}

const QList<slx::ui::Request> &Answers::shown() const
{
    return slx::ui::requests();
}

QStringList Answers::texts() const
{
    QStringList out;
    for (const auto &r : slx::ui::requests())
        out << r.text;
    return out;
}

const QStringList &languageColumns()
{
    static const QStringList l = {QStringLiteral("Español"),  QStringLiteral("Català"),   QStringLiteral("English"),
                                  QStringLiteral("Deutsch"),  QStringLiteral("Français"), QStringLiteral("Italiano"),
                                  QStringLiteral("Português")};
    return l;
}

void addLanguageRows()
{
    QTest::addColumn<QString>("language");
    for (const QString &l : languageColumns())
        QTest::newRow(qPrintable(l)) << l;
}

ReadOnlyDatabase::ReadOnlyDatabase(const QString &path, const QString &connection)
    : m_connection(connection)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    db.open();
}

ReadOnlyDatabase::~ReadOnlyDatabase()
{
    QSqlDatabase::database(m_connection, false).close();
    QSqlDatabase::removeDatabase(m_connection);
}

QSqlDatabase ReadOnlyDatabase::db() const
{
    return QSqlDatabase::database(m_connection, false);
}

QStringList missingTranslations(const QList<QWidget *> &windows, const QString &languageDb)
{
    QStringList texts;
    for (QWidget *window : windows) {
        QList<QWidget *> widgets = window->findChildren<QWidget *>();
        widgets.prepend(window);
        for (QWidget *w : widgets) {
            if (w->property("Tag").toString().startsWith(QLatin1Char('!')))
                continue;
            texts << w->windowTitle() << w->toolTip();
            if (auto *b = qobject_cast<QAbstractButton *>(w))
                texts << b->text();
            if (auto *l = qobject_cast<QLabel *>(w))
                texts << l->text();
            if (auto *g = qobject_cast<QGroupBox *>(w))
                texts << g->title();
            if (auto *t = qobject_cast<QTabWidget *>(w))
                for (int i = 0; i < t->count(); ++i)
                    texts << t->tabText(i);
            if (auto *c = dynamic_cast<slx::Translatable *>(w))
                texts << c->translatableTexts();
        }
    }
    texts.removeAll(QString());
    texts.removeDuplicates();

    QStringList missing;
    const ReadOnlyDatabase language(languageDb, QStringLiteral("slxtest-language"));
    if (!language.isOpen())
        return {QStringLiteral("cannot open ") + languageDb};
    const QSqlDatabase db = language.db();
    for (const QString &t : texts) {
        bool catalogue = false;
        for (int n = 1; n <= slx::kNativeCount && !catalogue; ++n)
            catalogue = slx::GetNativeString(n, QString()) == t;
        if (catalogue)
            continue; // translated with the catalogue's texts
        QSqlQuery q(db);
        q.prepare(QStringLiteral("SELECT * FROM LocGuru WHERE Native = ?"));
        q.addBindValue(t);
        if (!q.exec() || !q.next()) {
            missing << t;
            continue;
        }
        for (const QString &l : languageColumns())
            if (q.value(l).toString().isEmpty())
                missing << t + QStringLiteral(" (") + l + QLatin1Char(')');
    }
    return missing;
}

bool creaBaseSQLite(const QString &path, const QStringList &statements)
{
    QFile::remove(path);
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "test-create-sqlite");
        db.setDatabaseName(path);
        ok = db.open();
        QSqlQuery q(db);
        for (const QString &sql : statements) {
            if (!ok)
                break;
            ok = q.exec(sql);
            if (!ok)
                qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        }
        q.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase("test-create-sqlite");
    return ok;
}

QString fixture(const QString &relative)
{
    return QDir(QStringLiteral(SLX_FIXTURES_DIR)).filePath(relative);
}

QString sourceFile(const QString &relative)
{
    return QDir(QStringLiteral(SLX_SOURCE_DIR)).filePath(relative);
}

bool reemplazaEnFichero(const QString &path, const QString &desde, const QString &hasta)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    QString text = QString::fromUtf8(f.readAll());
    f.close();
    if (!text.contains(desde))
        return false;
    text.replace(desde, hasta);
    const QByteArray bytes = text.toUtf8();
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

void captura(QWidget *window, const QString &name)
{
    const QString folder = qEnvironmentVariable("SLX_TEST_SHOTS");
    if (folder.isEmpty() || !window)
        return;
    QDir().mkpath(folder);
    window->grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
}

} // namespace slxtest
