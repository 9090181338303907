#pragma once
// The pictures of the buttons that print and that open the help: the icon theme's
// standard ones where the machine has a theme that holds them, else the program's own
// (the style's stock pictures would be a floppy disk and a red cross).

#include <QIcon>

namespace slx {

QIcon iconoImprimir();
QIcon iconoAyuda();

} // namespace slx
