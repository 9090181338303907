#pragma once
// The seven languages of the program, in their one table: the language column of the
// language database, the code kept in CodigoIdioma, the Windows language identifier
// written as "Language" in the settings file, the help file and the locale of the
// calendars. Every place that lists the languages takes them from here.

#include <QLocale>
#include <QString>
#include <span>

namespace slx {

struct IdiomaPrograma {
    const char16_t *nombre; // language column: "Español" ... "Português"
    qint16 codigo;          // CodigoIdioma: 1000 ... 7000
    const char *lcid;       // "Language" of the settings file
    const char *ayuda;      // help file in the data folder
    QLocale::Language locale;
    const char *qt; // Qt's translation files, in the order they are tried ("pt_PT,pt,pt_BR")
};

// The seven languages in the order of the codes.
std::span<const IdiomaPrograma> idiomasPrograma();
// The language of a code, or nullptr.
const IdiomaPrograma *idiomaDeCodigo(qint16 codigo);
// The language of a column name (letter case matters), or nullptr.
const IdiomaPrograma *idiomaDeNombre(const QString &nombre);

struct Idioma {
    QString nombre; // the language column: "Español" ... "Português"
    qint16 codigo;  // CodigoIdioma
};
// The "Language" value (a Windows language identifier) to the language; English
// for any other value, empty included.
Idioma idiomaDeIni(const QString &lcid);
// The "Language" value written for a language code; empty for an unknown code.
QString lcidDeCodigo(qint16 codigo);

// Language name to language code; 0 for an unknown name (case matters).
qint16 CalculaCodigoIdioma(const QString &nombre);

// The help file of a language code: "SLX-90_ESP.html" ... "SLX-90_PTR.html", English
// for any other code.
QString ficheroAyuda(qint16 codigo);

} // namespace slx
