#pragma once
// The rules of the programming exchange that need no window and no port: the read
// request, where a programming read from a device goes, the checks before a write
// and the meaning of the device's answer to it.

#include "base/MessageBox.h"
#include "base/ProgramacioRebuda.h"
#include "base/Resultado.h"
#include "programming/FitxaProgramacio.h"

#include <QByteArray>
#include <QDateTime>
#include <QSqlDatabase>
#include <optional>

namespace slx {

// The read request (command 0x04): 02 00 06 04 03 03.
QByteArray tramaDemanaProgramacio();

// The serial number a sheet's MaskNumeroSerie holds, when its text is a number.
std::optional<qint32> numeroSerieFitxa(const QString &maskNumeroSerie);

// Where a programming read from device `serie` goes.
enum class DestinoRecepcion {
    FichaEnPantalla, // the sheet on screen is that device's: compared with it
    FichaGuardada,   // another stored sheet is that device's: loaded, then compared
    FichaNueva,      // no sheet of that device: a new sheet filled from the device
};
DestinoRecepcion destinoRecepcion(const QString &maskNumeroSerie, qint32 serie, bool guardada);

// Whether Programacion in `db` holds a sheet for that serial number; the driver's
// message when the database cannot tell.
Resultado<bool> hayFichaGuardada(const QSqlDatabase &db, qint32 serie);

// What a new sheet filled from a device does with the contact fields and the note,
// which a device's programming does not carry.
enum class ContactFields {
    Empty, // emptied: they belonged to another device's sheet
    Kept,  // kept: the user typed them on a sheet no device had filled yet
};

// Makes fitxa the new, unsaved sheet of device `serie`: the clock and the sheet's date
// are today, the contact fields and the note are emptied or kept, the version is the
// device's, and the programming comes from the device copy (CarregaProgAqt: the
// intervals come with it, and the sheet is then modified).
EstadoFitxa fichaNuevaDeAparato(FitxaProgramacio &fitxa, qint32 serie, const QString &version,
                                const ProgramacioRebuda &copia, ContactFields contacto,
                                const QDateTime &ara = QDateTime::currentDateTime());

// True when a contact field or the note holds more than blanks.
bool hasContactData(const FitxaProgramacio &fitxa);

// A message of the exchange: its text number and icon.
struct AvisoIntercambio {
    int texto = 0;
    ui::Icon icono = ui::Icon::None;
    bool operator==(const AvisoIntercambio &) const = default;
};

// The checks of an identified device before a write, in their order: not in
// programming mode (64, critical), another device than the sheet's (63,
// information; a serial field that is not a number is another device), not an
// SLX-90 (30, information). Nothing when the write may go on.
std::optional<AvisoIntercambio> compruebaEscritura(quint8 modo, const QString &maskNumeroSerie, qint32 serie,
                                                   quint8 tipo);

// True for the device types that are SLX-90s (42 and 4).
bool esSLX90(quint8 tipo);

// The device's answer to a write: 6 ACK (accepted), 21 any other first byte, 24
// nothing within the wait.
inline constexpr quint8 kEscrituraAceptada = 6;
inline constexpr quint8 kEscrituraRechazada = 21;
inline constexpr quint8 kEscrituraSinRespuesta = 24;
quint8 resultadoEscritura(const QByteArray &respuesta);

// What the user is told of a write's result: 61 (information) when accepted, 62
// (critical) when refused, 31 (critical) when the device said nothing.
AvisoIntercambio avisoEscritura(quint8 resultado);

} // namespace slx
