#pragma once
// The program's windows by name ("Form1", "Form2", ...). Each window registers a
// factory once; the registry knows which windows are loaded, so that a window is
// created on first use and the text export can walk every window without a list
// of classes.

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace slx::FormRegistry {

using Factory = std::function<QWidget *()>;

// Registers (or replaces) the factory of a window.
void add(const QString &name, Factory factory);
bool has(const QString &name);

// The loaded window of that name, or nullptr.
QWidget *instance(const QString &name);

// The loaded window, or a new one from its factory (nullptr when none is registered).
// The window is forgotten when it is destroyed.
QWidget *load(const QString &name);

// Records an existing window as the loaded one of that name.
void setInstance(const QString &name, QWidget *window);

// The window as designed: built, not loaded (untranslated, no data, no clock). The
// text export reads the design-time texts from it, whatever the loaded window shows.
void addDesign(const QString &name, Factory factory);
bool hasDesign(const QString &name);
// A new window as designed (the caller owns it), or nullptr when none is registered.
QWidget *design(const QString &name);

} // namespace slx::FormRegistry
