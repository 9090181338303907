#pragma once
// The seven tables an exchange file carries: their CSV columns (names, types and widths as
// the file describes them), the key of each table and what a found row receives.

#include <QString>
#include <QVector>

namespace slx::intercambio {

// How a CSV column is read.
enum class Tipo {
    Integer, // 32-bit whole number
    Short,   // 16-bit whole number
    Byte,    // 0 to 255
    Bit,     // yes/no, stored -1 / 0
    Single,  // number, "." or "," as decimal mark
    Date,    // yyyy-mm-dd, with or without hh:nn:ss
    Memo,    // text of any length
    Char,    // text of at most `ancho` characters
};

// What is written from a CSV column.
enum class Conversion {
    Ninguna,    // the value as read (dates as ISO text)
    FechaYHora, // date and time: the date (ISO) and the time "hh:mm" into two columns
    FechaTexto, // a date text, written "dd/mm/yyyy"
    HoraTexto,  // a time text, written "hh:mm"
    HoraEvento, // as HoraTexto, or a device's "hh:mm" reading that is no time of day ("25:00"), kept
    DiaCorto,   // "yyyy-mm-dd" written "dd/mm/yy" ("0000-00-00" is the empty slot "00/00/00")
    HoraDelDia, // a time of day, written "hh:mm:ss"
};

struct Columna {
    const char *nombre;
    Tipo tipo;
    int ancho = 0; // Char only
    Conversion conversion = Conversion::Ninguna;
    bool clave = false;            // part of the row's key: an empty value refuses the row
    const char *segunda = nullptr; // FechaYHora: the column that takes the time
};

// What becomes of a row whose key is already stored.
enum class SiExiste {
    NadaSeEscribe, // event dates: the stored row stays
    SeSobrescribe, // the other columns take the file's values
    SiMismoFinal,  // as SeSobrescribe, when the stored row has the same end; else the row is refused
};

struct Tabla {
    const char *nombre;
    QVector<Columna> columnas; // in the file's order
    SiExiste siExiste;
    // The columns of the table's unique key in the database (the conflict target).
    QVector<const char *> claveBase;
};

// The seven tables in the order they are imported.
const QVector<Tabla> &tablas();
// The table of that section name (letter case ignored); nullptr when none.
const Tabla *tablaDe(const QString &seccion);

} // namespace slx::intercambio
