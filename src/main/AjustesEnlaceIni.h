#pragma once
// The link settings in the settings file: the one place that reads and writes the
// keys SerialPort, Modem, TonePulse, DialCode and ModemSpeed of section
// "Configuration". The start-up reads them into the shared state, the link settings
// dialog writes what the person chose.

#include "base/AjustesEnlace.h"
#include "base/Resultado.h"

#include <QString>
#include <QStringList>

namespace slx {

struct Modulo1;

struct LecturaEnlace {
    AjustesEnlace ajustes;
    // The numeric keys missing or not a whole number in range, in the file's order;
    // each took its default (SerialPort 1, Modem 0, TonePulse 1, ModemSpeed 19200).
    QStringList erroneas;
};

LecturaEnlace leeAjustesEnlace(const QString &ini);

// Writes the five keys in the file's order; fails with "The settings file %1 cannot
// be written." at the first key the file refuses.
Resultado<void> grabaAjustesEnlace(const AjustesEnlace &ajustes, const QString &ini);

// The shared settings take the link's (the kept modem call is not a setting).
void aplicaAjustesEnlace(const AjustesEnlace &ajustes, Modulo1 &m);

} // namespace slx
