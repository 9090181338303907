#pragma once
// Values and lists of names as a message quotes them: short whatever the input, so that a
// box built from a value or a list read from a file is read at a glance and shown at once.
// A long value keeps its first characters and tells its size ("Gran Teatre del... (1,048,576
// characters)"); a long list names its first entries and how many more there are.

#include <QString>
#include <QStringList>
#include <QStringView>

namespace slx {

// A value longer than this many characters is cut...
constexpr qsizetype kCitaMaxima = 64;
// ...and a line of a list (a table and its reason) longer than this.
constexpr qsizetype kLineaMaxima = 200;
// The entries a list of names shows, and the lines a list of lines shows.
constexpr qsizetype kNombresMostrados = 10;
constexpr qsizetype kLineasMostradas = 20;

// The value whole when it has at most `maximo` characters; otherwise its first characters,
// "..." and its size: "abc... (1,048,576 characters)". Characters are counted as a reader
// counts them (a pair of UTF-16 halves is one).
QString citaValor(QStringView valor, qsizetype maximo = kCitaMaxima);
// The same for a value of which only the first characters are at hand: `inicio` (at least
// `maximo` characters when the value is longer) and the value's whole size in characters.
QString citaInicio(QStringView inicio, qint64 caracteres, qsizetype maximo = kCitaMaxima);

// The names joined by ", " (each as the caller quotes it), at most kNombresMostrados of them,
// then "and N more".
QString listaNombres(const QStringList &nombres);
// The lines joined by line ends, each cut at kLineaMaxima, at most kLineasMostradas of them,
// then a line "and N more".
QString listaLineas(const QStringList &lineas);

// A whole number with its digits grouped as the open language writes them ("1,048,576").
QString numeroAgrupado(qint64 n);

// The characters of a text (a pair of UTF-16 halves counted once).
qint64 caracteres(QStringView texto);

} // namespace slx
