#pragma once
// The exchange-file import: stands in for the window until it is built.

class QWidget;

namespace slx {

QWidget *creaForm16();
// Registers the window's factory under "Form16".
void registraForm16();

} // namespace slx
