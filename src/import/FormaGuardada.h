#pragma once
// The stored form of a column of the program's database, told by the prefix of its
// name (ISO dates, times of day as text, Booleans -1/0, whole numbers, reals, texts),
// and the conversion of a value of another database to it.

#include "base/Resultado.h"

#include <QString>
#include <QVariant>

struct sqlite3_value;

namespace slx::fusion {

// Hora: "hh:mm:ss"; HoraTexto: a time of day kept as text, "hh:mm" (or "hh:mm:ss");
// HoraEvento: the time of an event date, as HoraTexto or the device clock's "hh:mm"
// reading that is no time of day ("25:00"), two digits each.
enum class Forma : char {
    Entero = 'e',
    Real = 'r',
    Booleano = 'b',
    Fecha = 'f',
    Texto = 't',
    Hora = 'h',
    HoraTexto = 'm',
    HoraEvento = 'v'
};

Forma formaDe(const QString &columna);

// Converts a source value to the stored form; the reason when it cannot be stored there. A text may come as its bytes (QByteArray): it must be UTF-8 with no NUL,
// as a text of any other form. A key part that is missing or blank is refused by esClaveVacia.
Resultado<QVariant> convierte(const QVariant &v, Forma forma);

// A key part without a value: NULL, or a text that is empty or only blanks.
bool esClaveVacia(const QVariant &v);

// Whether an SQLite value already holds the stored form (so that it is copied as it
// stands); a key part must also hold a value. Exactly the values that convierte takes
// and leaves as they are: whichever way a row goes, it gets the same verdict.
bool enFormaGuardada(sqlite3_value *v, Forma forma, bool clave);

} // namespace slx::fusion
