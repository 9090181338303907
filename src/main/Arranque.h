#pragma once
// The start-up and shutdown steps that need no window: the settings file, the
// language choice, the command line, the settings row Configuracion and the help
// file of the current language.

#include "base/Idiomas.h"
#include "base/Resultado.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace slx {

inline constexpr const char *kSeccionIni = "Configuration";

// The settings file in the data folder.
QString ficheroIni();

struct LecturaIni {
    QString idioma;          // the "Language" value as read
    QStringList erroneas;    // numeric keys missing or not a number in range
    QString mensaje() const; // the description shown for them (empty when none)
};

// Reads the seven keys of section "Configuration" into the shared settings. A numeric
// key that is missing or is not a whole number in its range takes its default
// (SerialPort 1, Modem 0, TonePulse 1, ModemSpeed 19200) and is listed.
LecturaIni LeeConfiguracion(const QString &ini);

// What a data folder without its settings file still tells of its settings: the language
// and the report footer that its last shutdown kept in the first row of Configuracion.
struct ConfiguracionGuardada {
    Idioma idioma{QStringLiteral("English"), 3000}; // English when the row holds none
    QString usuario;
};
// Reads them from slx90.db without changing the folder (the file opened read-only, nothing
// created beside it); the defaults above when the database or its row cannot be read.
ConfiguracionGuardada LeeConfiguracionGuardada();

// Writes the settings file ini, which is missing, from the embedded default one, with the
// language and the footer given (the link settings keep their default values). Fails with a
// description when it cannot be written; no file is left then.
Resultado<void> EscribeIniPorDefecto(const QString &ini, const ConfiguracionGuardada &guardada);

// The command-line argument: trimmed, then at most two double quotes removed (the
// first one, and the next one only when a first was removed).
QString LeeLineaComandos(const QString &linea);
// The program's own command line (arguments after the program's name, joined by blanks).
QString lineaComandosDelPrograma();
// True for an exchange file (".QV90" at the end, any letter case).
bool esFicheroIntercambio(const QString &fichero);

// Writes the shared settings into the first row of Configuracion (the shutdown). An
// empty PrefijoMarcacion becomes a single blank first. Fails with a description when
// the row is missing or cannot be written.
Resultado<void> GrabaConfiguracion(QSqlDatabase db);
// Writes TUsuario of the first row of Configuracion.
Resultado<void> GrabaUsuario(QSqlDatabase db, const QString &usuario);
// Succeeds when the table Configuracion can be read (a database that lacks it is not the
// program's). A missing row is reported by the shutdown and the footer command.
Resultado<void> LeeFilaConfiguracion(QSqlDatabase db);

} // namespace slx
