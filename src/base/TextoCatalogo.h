#pragma once
// The numbered texts of the language database (the catalogue: 15 "Conectar el PC al
// SLX90 y pulsar Aceptar", 31, 62...) in the open language, for the floors below the
// localization. The localization engine installs the lookup when the program starts
// (in any program that links it); without it a text reads as empty.

#include <QString>

namespace slx {

QString TextoCatalogo(qint32 numero);

// The lookup of the catalogue's texts; nullptr leaves them empty.
using BuscaCatalogo = QString (*)(qint32 numero);
void instalaBuscaCatalogo(BuscaCatalogo busca);

} // namespace slx
