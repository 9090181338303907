#pragma once
// The link settings one device exchange runs with, as a value: the session of the
// link takes them at its construction and knows nothing of where they are kept.
// ajustesEnlace() (Modulo1.h) builds them from the shared state.

#include <QString>

namespace slx {

struct AjustesEnlace {
    quint8 puertoSerie = 0;    // serial port number of the link
    quint8 tipoConexion = 0;   // 0 = RS-232 cable, other = modem
    quint8 tonoPulso = 0;      // 1 = tone dialling, other = pulse
    QString prefijoMarcacion;  // dial prefix in front of every number
    qint16 velocidadModem = 0; // modem line speed
    // A modem call kept up from the exchange before; the session gives back whether
    // one is up when it ends (DeviceSession::modemConectado()).
    bool modemConectado = false;
};

} // namespace slx
