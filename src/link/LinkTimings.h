#pragma once
// Every timing of the device link and of the windows that talk to the device, in
// one table. The defaults are the program's own values; tests shorten them.

namespace slx {

struct LinkTimings {
    int segundoEsperaMs = 1000;         // one second of Espera (and of the modem's fixed waits)
    int respuestaModemMs = 60000;       // dialModem: the wait for the modem's result code
    int vigilanteMs = 5000;             // receive watchdog of the programming sheet and the real-time monitor
    int vigilanteIncidenciasMs = 15000; // receive watchdog of the incidents window
    int pausaEscrituraMs = 50;          // pacing of a programming write, one byte per tick
    int pausaTiempoRealMs = 50;         // pause of the real-time monitor between answers
    int relojMs = 1000;                 // clock of the programming sheet
    int respuestaEscrituraMs = 10000;   // wait for the device's answer after a programming write
};

// The table in force.
LinkTimings &linkTimings();

// Puts the defaults back.
void resetLinkTimings();

} // namespace slx
