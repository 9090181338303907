#pragma once
// The exchange file (".qv90"): a text of CSV tables, each opened by a marker line
// "//Name//". The file is read into memory once; its sections, their headers and the
// lines of their rows are found without decoding anything, and each row is split and
// decoded only when it is written.
//
// Windows-1252 text (UTF-8 when it starts with a UTF-8 BOM), lines ended by CR LF or LF,
// fields separated by ";", the double quote as text qualifier (a doubled one inside).

#include "import/TablasIntercambio.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QVector>

namespace slx::intercambio {

struct Seccion {
    QString nombre;
    const Tabla *tabla = nullptr; // nullptr: not a table of the program
    int lineaMarca = 0;           // line of the marker, from 1
    qsizetype fin = 0;            // just past the section's last line
    // Filled from the header (tables only).
    int lineaDatos = 0; // line of the first row
    qsizetype inicioDatos = 0;
    QVector<int> campoDe; // for each column of the table, its field in a row
    int campos = 0;       // fields of the header
    qint64 filas = 0;     // rows (non-empty lines after the header)
};

class FicheroIntercambio {
public:
    // Reads the file and checks its layout: the first line a marker, markers of at least
    // four characters, at least one section of a table, each table's header naming its
    // columns. False with a description (nothing is to be written then).
    bool abre(const QString &fichero, QString *error);
    bool lee(QByteArray contenido, const QString &nombre, QString *error);

    const QVector<Seccion> &secciones() const { return m_secciones; }
    const QByteArray &bytes() const { return m_bytes; }
    bool utf8() const { return m_utf8; }
    QString decodifica(QByteArrayView bytes) const;

private:
    bool compruebaCabecera(Seccion &s, QString *error) const;

    QByteArray m_bytes;
    bool m_utf8 = false;
    QVector<Seccion> m_secciones;
};

// The rows of one section, one at a time.
class LectorFilas {
public:
    LectorFilas(const FicheroIntercambio &fichero, const Seccion &seccion);

    // The next row; false at the end. A row that cannot be split is still returned, with
    // motivo() telling why.
    bool siguiente();
    int linea() const { return m_linea; }
    const QString &motivo() const { return m_motivo; }
    int campos() const { return int(m_campos.size()); }
    // The field's bytes (without its quotes); a doubled quote inside is left doubled.
    QByteArrayView campo(int i) const;
    bool entreComillas(int i) const { return m_campos.at(i).comillas; }
    // Whether the field holds a doubled quote (its bytes are then not its text).
    bool conComillasDobles(int i) const { return m_campos.at(i).dobles; }
    // The field as text: decoded, doubled quotes made single.
    QString texto(int i) const;

    // Splits one line of a header (no quote may span lines there); false when malformed.
    static bool divideLinea(QByteArrayView linea, QVector<QByteArray> *campos);

private:
    struct Campo {
        qsizetype inicio = 0;
        qsizetype largo = 0;
        bool comillas = false;
        bool dobles = false; // holds a doubled quote
    };

    const FicheroIntercambio &m_fichero;
    const QByteArray &m_bytes;
    qsizetype m_pos;
    qsizetype m_fin;
    int m_siguienteLinea;
    int m_linea = 0;
    QString m_motivo;
    QVector<Campo> m_campos;
};

} // namespace slx::intercambio
