#pragma once
// The fields of an exchange-file row read for their table's columns: whole numbers,
// numbers, yes/no values, dates and times in the one form they are stored in, texts in
// UTF-8. Read straight from the file's bytes: a text is decoded only when it is not plain
// ASCII or holds a doubled quote, so that a typical row costs no allocation.

#include "base/Resultado.h"
#include "import/FicheroIntercambio.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

namespace slx::intercambio {

struct Valor {
    enum Tipo : unsigned char {
        Nulo,
        Entero,
        Real,
        Texto, // `texto`: bytes of the file or of `decodificado`
        Corto, // `corto`: the text of a date or a time
    };
    Tipo tipo = Nulo;
    qint64 entero = 0;
    double real = 0;
    const char *texto = nullptr;
    qint64 largo = 0; // bytes of a Texto or Corto value
    char corto[12] = {};
    QByteArray decodificado;

    // UTF-8 bytes of a Texto or Corto value; valid until the next row is read.
    const char *datos() const { return tipo == Corto ? corto : texto; }
    // The value as text, for messages.
    QString comoTexto() const;
};

// The destination columns of a table and how each field of a row becomes their values.
class LectorValores {
public:
    explicit LectorValores(const Tabla &tabla);

    const Tabla &tabla() const { return *m_tabla; }
    // The columns written, in order: a date-and-time field fills two.
    const QStringList &columnas() const { return m_columnas; }
    // Whether a destination column is part of the file's key of the row.
    bool enClave(int destino) const { return m_enClave.at(destino); }

    // Reads the row's fields (split by `fila` along the section's header) into one value
    // per destination column; the reason when a field does not read.
    Resultado<> lee(const LectorFilas &fila, const Seccion &s, QVector<Valor> *out) const;

private:
    struct Destino {
        int destino = 0;
        qint64 minimo = 0; // whole numbers: their range
        qint64 maximo = 0;
    };

    const Tabla *m_tabla;
    QStringList m_columnas;
    QVector<bool> m_enClave;
    QVector<Destino> m_destinos; // per column of the table
};

} // namespace slx::intercambio
