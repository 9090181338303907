#include "BenchSupport.h"

#include "base/DataFolder.h"
#include "base/Database.h"
#include "base/MessageBox.h"

#include <QFile>
#include <cstdio>

namespace slxbench {

CarpetaDatos::CarpetaDatos()
{
    qputenv("SLX90_HOME", m_dir.path().toLocal8Bit());
    slx::ui::setResponder([](const slx::ui::Request &r) -> QVariant {
        std::fprintf(stderr, "message: %s\n", qPrintable(r.text));
        return slx::ui::vbOK;
    });
    if (!m_dir.isValid())
        return;
    slx::Resultado<void> listo = slx::DataFolder::seed();
    if (listo)
        listo = slx::Database::open();
    m_ok = listo.has_value();
    if (!m_ok)
        std::fprintf(stderr, "%s\n", qPrintable(listo.error().mensaje()));
}

double rssMiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

} // namespace slxbench
