#include "base/TextoPropio.h"

#include <atomic>

namespace slx {

namespace {
std::atomic<TraductorPropio> g_traductor{nullptr};
}

QString TextoPropio(const char *text)
{
    const QString native = QString::fromUtf8(text);
    const TraductorPropio t = g_traductor.load();
    return t ? t(native) : native;
}

void instalaTraductorPropio(TraductorPropio traductor)
{
    g_traductor.store(traductor);
}

} // namespace slx
