#pragma once
// The rows of an exchange file written into the program's database, table by table in a
// fixed order. A row whose key is not stored is added; a stored one is left alone (event
// dates) or takes the file's values (disabled intervals, sheets, intervals and sessions).
// A row that cannot be stored whole (a field that does not read for its column, an empty
// key, another field count than the header's, a value longer than the database can store) is
// refused with its line; it never writes part of itself.

#include "import/FicheroIntercambio.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

namespace slx {

struct RecuentoTabla {
    QString tabla;
    qint64 anadidas = 0;     // new rows
    qint64 sobrescritas = 0; // stored rows that took other values
    qint64 iguales = 0;      // stored rows that already held the file's values
    qint64 rechazadas = 0;   // rows not stored
};

struct ResultadoIntercambio {
    // Set when the import could not start (nothing written) or had to stop (the rows
    // before the stop stay).
    QString error;
    bool empezada = false; // rows may have been written
    bool cancelada = false;
    QVector<RecuentoTabla> tablas;
    QStringList motivos;            // the first reasons of refused rows, with their lines
    QStringList seccionesIgnoradas; // sections that are no table of the program
    qint64 lineaSinFin = 0;         // the file's last line when no line end closes it (it may be cut)

    qint64 guardadas() const; // rows added or overwritten
    qint64 rechazadas() const;
    // Something the user should look at: a cancel, a refused row, a file that may be cut.
    bool conAvisos() const;
    // The text of the summary box.
    QString resumen() const;
};

struct ProgresoIntercambio {
    QString tabla;
    qint64 hechas = 0;
    qint64 total = 0;
};
// Called every 50 ms or so; returning false cancels the import (the rows written until
// then stay).
using AvisoIntercambio = std::function<bool(const ProgresoIntercambio &)>;

// Writes the tables of a checked file into db.
ResultadoIntercambio CarregaCsv(const intercambio::FicheroIntercambio &fichero, QSqlDatabase db,
                                const AvisoIntercambio &aviso = {});

// Reads and checks the file, then writes it.
ResultadoIntercambio importaIntercambio(const QString &fichero, QSqlDatabase db, const AvisoIntercambio &aviso = {});

} // namespace slx
