// Does not compile: the link has no QtGui on its path.
#include "link/Link.h"

#include <QColor>

QColor probeColour() { return QColor(); }
