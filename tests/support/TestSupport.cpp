#include "TestSupport.h"

#include "main/DataFolder.h"
#include "main/Database.h"
#include "main/Modulo1.h"

#include <QDir>

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
    return slx::DataFolder::seed();
}

bool DataHome::openDatabase()
{
    QString error;
    if (!seed())
        return false;
    if (!slx::Database::open(&error)) {
        qWarning("%s", qPrintable(error));
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
        if (req.kind == slx::ui::Kind::Message)
            return req.buttons == slx::ui::OkOnly || req.buttons == slx::ui::OkCancel
                       ? QVariant(slx::ui::vbOK)
                       : QVariant(slx::ui::vbYes);
        return QVariant();
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

QString fixture(const QString &relative)
{
    return QDir(QStringLiteral(SLX_FIXTURES_DIR)).filePath(relative);
}

QString sourceFile(const QString &relative)
{
    return QDir(QStringLiteral(SLX_SOURCE_DIR)).filePath(relative);
}

} // namespace slxtest
