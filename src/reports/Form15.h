#pragma once
// The print preview: stands in for the window until it is built.

class QWidget;

namespace slx {

QWidget *creaForm15();
// Registers the window's factory under "Form15".
void registraForm15();

} // namespace slx
