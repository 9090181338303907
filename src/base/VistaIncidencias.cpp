#include "base/VistaIncidencias.h"

#include "base/FormRegistry.h"

#include <QHash>
#include <QObject>
#include <QWidget>

namespace slx {

namespace {

QHash<const QWidget *, VistaIncidencias> &publicadas()
{
    static QHash<const QWidget *, VistaIncidencias> h;
    return h;
}

} // namespace

void publicaVistaIncidencias(QWidget *ventana, VistaIncidencias vista)
{
    publicadas().insert(ventana, std::move(vista));
    QObject::connect(ventana, &QObject::destroyed, [ventana] { publicadas().remove(ventana); });
}

std::optional<VistaIncidencias> vistaIncidencias()
{
    const QWidget *w = FormRegistry::instance(QStringLiteral("Form5"));
    if (!w)
        return std::nullopt;
    const auto it = publicadas().constFind(w);
    if (it == publicadas().constEnd())
        return std::nullopt;
    return *it;
}

} // namespace slx
