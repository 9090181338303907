#pragma once
// The exchange file (".qv90"): a text of CSV tables, each opened by a marker line
// "//Name//". The file is read by lines and never held whole: a first pass finds its
// sections, their headers and the count of their rows and tells its text encoding; the
// rows of a section are read again, one at a time, when they are written.
//
// Windows-1252 text, or UTF-8 when it starts with a UTF-8 BOM or when it is valid UTF-8
// and not plain ASCII (accented Windows-1252 text is almost never valid UTF-8); lines
// ended by CR LF or LF, fields separated by ";", the double quote as text qualifier (a
// doubled one inside).

#include "base/Resultado.h"
#include "import/TablasIntercambio.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <QVector>
#include <memory>

namespace slx::intercambio {

struct Seccion {
    QString nombre;               // its first 64 KiB when the marker line is longer
    qint64 caracteresNombre = 0;  // the whole name's size in characters
    const Tabla *tabla = nullptr; // nullptr: not a table of the program
    qint64 lineaMarca = 0;        // line of the marker, from 1
    qint64 fin = 0;               // offset in the file just past the section's last line
    // Filled from the header (tables only).
    qint64 lineaDatos = 0; // line of the first row
    qint64 inicioDatos = 0;
    QVector<int> campoDe;     // for each column of the table, its field in a row
    int campos = 0;           // fields of the header
    bool ultimoVacio = false; // the header ends with ";": a row may leave that empty field out
    qint64 filas = 0;         // rows (non-empty lines after the header)
};

class FicheroIntercambio {
public:
    FicheroIntercambio();
    ~FicheroIntercambio();
    FicheroIntercambio(const FicheroIntercambio &) = delete;
    FicheroIntercambio &operator=(const FicheroIntercambio &) = delete;

    // Opens the file (a regular file only) and checks its layout: the first line a
    // marker, markers of at least four characters, at least one section of a table, each
    // table's header naming its columns. A description when it does not (nothing is to
    // be written then).
    Resultado<> abre(const QString &fichero);

    const QVector<Seccion> &secciones() const { return m_secciones; }
    bool utf8() const { return m_utf8; }
    QString decodifica(QByteArrayView bytes) const;
    // The number of the file's last line when no line end closes it (the file may have been
    // cut short); 0 when the file ends with a line end.
    qint64 lineaSinFin() const { return m_lineaSinFin; }
    // The open file, which the rows are read from.
    QFile *fichero() const { return m_fichero.get(); }
    // The file's name, without its folder.
    const QString &nombre() const { return m_nombre; }
    // Whether the file is no longer what the first pass read: another size, another time of
    // its last change, or the first pass read another number of bytes than it held.
    bool cambiado() const;

private:
    struct Cabecera;
    Resultado<> primeraPasada(const QString &nombre, QVector<Cabecera> *cabeceras);
    Resultado<> compruebaCabecera(Seccion &s, const Cabecera &c) const;

    std::unique_ptr<QFile> m_fichero;
    QString m_nombre;
    bool m_utf8 = false;
    qint64 m_lineaSinFin = 0;
    QVector<Seccion> m_secciones;
    // What the file was when it was opened, and the bytes the first pass read.
    qint64 m_tamano = -1;
    qint64 m_modificado = 0; // ns
    qint64 m_leidoPrimera = -1;
};

// The section's name between double quotes, as a message quotes it (cut when long).
QString nombreCitado(const Seccion &s);

// The rows of one section, one at a time, read from the file.
class LectorFilas {
public:
    // A row longer than maximo bytes is refused without being held.
    LectorFilas(const FicheroIntercambio &fichero, const Seccion &seccion, qint64 maximo);

    // The next row; false at the end (or when the file cannot be read: error()). A row
    // that cannot be split is still returned, with motivo() telling why.
    bool siguiente();
    const QString &error() const { return m_error; }
    // The file ended before the section's end that the first pass found: it has been cut
    // or rewritten since.
    bool acortado() const { return m_acortado; }
    qint64 linea() const { return m_linea; }
    const QString &motivo() const { return m_motivo; }
    int campos() const { return int(m_campos.size()); }
    // The field's bytes (without its quotes); a doubled quote inside is left doubled. Valid
    // until the next row is read.
    QByteArrayView campo(int i) const;
    bool entreComillas(int i) const { return m_campos.at(i).comillas; }
    // Whether the field holds a doubled quote (its bytes are then not its text).
    bool conComillasDobles(int i) const { return m_campos.at(i).dobles; }
    // The field as text: decoded, doubled quotes made single.
    QString texto(int i) const;
    // The field as a message quotes it: its text, or its first characters and its size when
    // it is long (only those are decoded).
    QString cita(int i) const;

    // Splits one line of a header (no quote may span lines there); false when malformed.
    static bool divideLinea(QByteArrayView linea, QVector<QByteArray> *campos);

private:
    struct Campo {
        qsizetype inicio = 0; // from the row's start
        qsizetype largo = 0;
        bool comillas = false;
        bool dobles = false; // holds a doubled quote
    };
    enum class Analisis { Fila, FaltaMas };

    bool carga();
    bool cargaLinea(qsizetype desde);
    Analisis analiza(bool final);
    bool descartaFila();

    const FicheroIntercambio &m_fichero;
    QFile *m_dispositivo;
    qint64 m_maximo;
    QByteArray m_buf;
    qsizetype m_ini = 0;   // the row's start in m_buf
    qsizetype m_lleno = 0; // bytes of m_buf read
    qint64 m_leido;        // offset in the file of m_buf[m_lleno]
    qint64 m_fin;
    qint64 m_siguienteLinea;
    qint64 m_linea = 0;
    qsizetype m_consumido = 0; // bytes of the row just split, its line end included
    QString m_motivo;
    QString m_error;
    bool m_acortado = false;
    QVector<Campo> m_campos;
};

} // namespace slx::intercambio
