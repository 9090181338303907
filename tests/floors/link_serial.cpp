// Compiles: the link's own headers, the floor below it and the serial port.
#include "base/TextoPropio.h"
#include "link/DeviceSession.h"
#include "link/Link.h"

#include <QSerialPort>

QSerialPort *probePort() { return nullptr; }
