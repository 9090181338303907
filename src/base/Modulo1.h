#pragma once
// Shared state of the program: the settings, the device link, the current device,
// the hand-over values between windows and the one database connection.
//
// Every window reads and writes these members directly through modulo1(); there is
// one instance for the whole run. Types follow the stored forms: Byte = quint8,
// Integer = qint16, Long = qint32.

#include "base/AjustesEnlace.h"
#include "base/FilaInhabil.h"
#include "base/Idiomas.h"
#include "base/ProgramacioRebuda.h"

#include <QPointer>
#include <QSqlDatabase>
#include <QString>
#include <array>
#include <cstdint>

class QObject;

namespace slx {

struct Modulo1 {
    // Settings (mirrored in the settings file).
    quint8 PuertoSerie = 0;    // serial port number of the link
    quint8 TipoConexion = 0;   // 0 = RS-232 cable, other = modem
    quint8 TonoPulso = 0;      // 1 = tone dialling, other = pulse
    QString PrefijoMarcacion;  // dial prefix in front of every number
    qint16 VelocidadModem = 0; // modem line speed
    QString PiePagina;         // report footer text
    qint16 CodigoIdioma = 0;   // 1000 Español ... 7000 Português

    // Device link.
    bool ModemConectado = false;           // a modem call is up and kept between operations
    std::array<quint8, 513> BufferTrama{}; // received frame from 0, request built from 1
    QString TelefonoAparato;

    // Current device.
    qint32 NumeroSerieAparato = 0;
    QString VersionAparato;
    quint8 TipoAparato = 0;
    quint8 ModoAparato = 0;
    QString LocalAparato;
    QString FechaAparato;

    // Programming.
    bool FitxaModificada = false;
    // The sheet's disabled intervals, element k-1 holds interval k (index 30 unused).
    std::array<FilaInhabil, 31> IntervalosInhabiles;
    // The device copy of the programming last read from a device.
    slx::ProgramacioRebuda ProgramacioRebuda;
    QString TextoComparacion;

    // Download.
    std::array<quint8, 10> RangoFechas{};
    bool CancelaRangoFechas = false;

    // Import and command line.
    QString FicheroImportar;
    QString LineaComandos;
    bool LineaComandosUsada = false;

    // Database: the one connection, open from start-up to the main window's unload.
    QSqlDatabase ConexionBD;

    // Printing.
    QPointer<QObject> InformeVistaPrevia;
    quint8 GraficaActiva = 0;
};

// The one instance.
Modulo1 &modulo1();

// The link settings and the kept modem call of m, for the next device exchange.
AjustesEnlace ajustesEnlace(const Modulo1 &m);

// Puts every member back to its start-of-run value (tests).
void resetModulo1();

// Settings file routines with the semantics of the Win32 profile functions.
// LeerIni returns at most 254 characters; a missing key returns the default.
QString LeerIni(const QString &seccion, const QString &clave, const QString &defecto, const QString &fichero);
// Returns false when the file could not be written (read-only file or folder).
bool GrabaIni(const QString &seccion, const QString &clave, const QString &valor, const QString &fichero);

// True when a file (not a folder) of that path exists, hidden or read-only included.
bool ExisteFichero(const QString &path);

// True when the screen uses small fonts: the system font is below 17 pixels high,
// or the screen cannot be measured.
bool FuentesPequenas();
// The decision on a measured character height (pixels; <= 0 = not measured).
bool FuentesPequenasParaAltura(int alturaPixeles);

} // namespace slx
