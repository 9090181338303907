#pragma once
// Showing the program's windows by name, modal or not. Each window registers its
// factory with the window registry (base/FormRegistry.h), so that a window of one
// subsystem opens a window of another by its name.

#include <QString>

class QWidget;

namespace slx {

// Shows a window modally and returns when it is closed: exec() for a dialog, a
// local event loop for any other window.
void muestraModal(QWidget *w);
// Shows a window without being modal and brings it to the front.
void muestraNoModal(QWidget *w);

// Loads the window of that name and shows it (modally or not). A window that is not
// part of the program yet is reported as such. Returns the window, or nullptr.
QWidget *abreVentana(const QString &nombre, bool modal, QWidget *parent = nullptr);

// The text shown for a window that is not part of the program yet.
QString textoNoConstruida();

// Offers every open window that holds unsaved changes to save them, through the
// window's own "bool OfreceGuardar()" (invokable). False as soon as one answers that
// something is left unsaved (the user cancelled, or the save failed): whatever was
// going to end the program then does not.
bool ofrecenGuardarVentanas(QWidget *except = nullptr);

} // namespace slx
