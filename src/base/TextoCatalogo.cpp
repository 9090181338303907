#include "base/TextoCatalogo.h"

#include <atomic>

namespace slx {

namespace {
std::atomic<BuscaCatalogo> g_busca{nullptr};
}

QString TextoCatalogo(qint32 numero)
{
    const BuscaCatalogo busca = g_busca.load();
    return busca ? busca(numero) : QString();
}

void instalaBuscaCatalogo(BuscaCatalogo busca)
{
    g_busca.store(busca);
}

} // namespace slx
