// Does not compile: the link has no QtWidgets on its path.
#include "link/Link.h"

#include <QWidget>

QWidget *probeWindow() { return nullptr; }
