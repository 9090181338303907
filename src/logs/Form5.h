#pragma once
// The incidents window: stands in for the window until it is built.

class QWidget;

namespace slx {

QWidget *creaForm5();
// Registers the window's factory under "Form5".
void registraForm5();

} // namespace slx
