#pragma once
// The serial ports the system has, for the link settings: the serial lines the system
// reports (/dev/ttyS<N>, and the USB serial adapters /dev/ttyUSB<N> and /dev/ttyACM<N>),
// with their description.

#include <QList>
#include <QString>

namespace slx {

struct SystemPort {
    QString device;      // "/dev/ttyUSB0"
    QString description; // "FT232R USB UART", or empty
};

// True for the device file of a serial line: /dev/ttyS<N>, /dev/ttyUSB<N>, /dev/ttyACM<N>.
bool isSerialDevice(const QString &device);

// The ports of the system that are serial lines, ttyS first, then ttyUSB, then ttyACM,
// each in the order of its number.
QList<SystemPort> systemPorts();

// Sorts ports as systemPorts() gives them.
void sortPorts(QList<SystemPort> &ports);

} // namespace slx
