#include "base/FormRegistry.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

namespace slx::FormRegistry {

namespace {

struct Entry {
    Factory factory;
    Factory design;
    QPointer<QWidget> window;
};

QHash<QString, Entry> &entries()
{
    static QHash<QString, Entry> e;
    return e;
}

} // namespace

void add(const QString &name, Factory factory)
{
    entries()[name].factory = std::move(factory);
}

bool has(const QString &name)
{
    const auto it = entries().constFind(name);
    return it != entries().constEnd() && it->factory;
}

QWidget *instance(const QString &name)
{
    const auto it = entries().constFind(name);
    return it == entries().constEnd() ? nullptr : it->window.data();
}

QWidget *load(const QString &name)
{
    Entry &e = entries()[name];
    if (!e.window && e.factory) {
        e.window = e.factory();
        if (e.window)
            e.window->setObjectName(name);
    }
    return e.window.data();
}

void setInstance(const QString &name, QWidget *window)
{
    entries()[name].window = window;
}

void addDesign(const QString &name, Factory factory)
{
    entries()[name].design = std::move(factory);
}

bool hasDesign(const QString &name)
{
    const auto it = entries().constFind(name);
    return it != entries().constEnd() && it->design;
}

QWidget *design(const QString &name)
{
    const auto it = entries().constFind(name);
    if (it == entries().constEnd() || !it->design)
        return nullptr;
    QWidget *w = it->design();
    if (w)
        w->setObjectName(name);
    return w;
}

} // namespace slx::FormRegistry
