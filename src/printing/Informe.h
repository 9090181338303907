#pragma once
// A report of the report engine as its callers fill it: a report (or a sub-report)
// has a data source, named sections and named fields; a field of kind sub-report holds
// a report of its own. Fields, sections and sub-reports are found by name; a name the
// layout lacks is a failure with a description, which the calling operation shows.
//
// Layout files are our own XML (see ReportXml.h); lengths are millimetres.

#include "base/Resultado.h"

#include <QList>
#include <QRectF>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

namespace slx {

enum class TipoCampo { Texto, Linea, Caja, Imagen, Subinforme };

// The look of a text: font and alignment within the field's box.
struct EstiloTexto {
    QString familia = QStringLiteral("DejaVu Sans");
    double puntos = 9;
    bool negrita = false;
    bool cursiva = false;
    Qt::Alignment alineacion = Qt::AlignLeft | Qt::AlignVCenter;

    bool operator==(const EstiloTexto &) const = default;
};

// A per-record rule of a section: before each record of the section is laid out, the
// field campo gets the text of the first case whose test holds for the record's
// column columna, else the column's value followed by sufijo (or the fixed text otro
// when set). A null value prints as the empty text. A record without that column leaves the
// field as the layout has it; a field the section lacks is no failure (one table of
// rules serves several lists).
struct ReglaRegistro {
    enum class Prueba { Igual, Menor, Mayor, Verdadero };
    struct Caso {
        Prueba prueba = Prueba::Igual;
        double valor = 0;
        QString texto;
    };
    QString columna;
    QString campo;
    QList<Caso> casos;
    QString sufijo;
    std::optional<QString> otro;

    // The rule kinds of the list reports: a level (0 "---", below 60 "und", above 120
    // "up", else the value), a value where 0 is "---", a count of minutes (255 the text
    // sinCalibrar, else the value and "min") and a flag (True si, else no).
    static ReglaRegistro nivel(const QString &columna, const QString &campo);
    static ReglaRegistro cero(const QString &columna, const QString &campo);
    static ReglaRegistro minutos(const QString &columna, const QString &campo, const QString &sinCalibrar);
    static ReglaRegistro marca(const QString &columna, const QString &campo, const QString &si, const QString &no);

    // The text the rule gives for a value; a null value gives the empty text.
    QString aplica(const QVariant &valor) const;
};

class Informe;

// A field of a report.
class CampoInforme {
public:
    QString nombre;
    TipoCampo tipo = TipoCampo::Texto;
    QRectF caja;        // millimetres, relative to its section
    QString texto;      // the text printed, unless a column is bound
    QString columna;    // the record's column whose value is printed
    QString formato;    // see informe::formatoValor
    bool crece = false; // the field (and its section) grows to hold its text
    bool visible = true;
    int estilo = 0;       // index into the report's styles
    double grosor = 0.2;  // lines and boxes, millimetres
    bool relleno = false; // boxes: filled light grey
    QString imagen;       // pictures: the file's absolute path
    std::shared_ptr<Informe> subinforme;

    // Sets the printed text; the field no longer prints a column.
    void setTexto(const QString &t)
    {
        texto = t;
        columna.clear();
    }
    void setVisible(bool v) { visible = v; }
    // The report it holds (never null); a failure when it holds none.
    Resultado<Informe *> informe() const;
};

// A section: "PageHeader", "Header", "Detail", "Footer", "PageFooter". The
// Header of a sub-report is repeated at the top of each page its rows flow onto.
class SeccionInforme {
public:
    QString nombre;
    double alto = 0; // millimetres
    bool visible = true;
    std::vector<std::shared_ptr<CampoInforme>> campos;
    QList<ReglaRegistro> reglas;

    // Replaces the section's per-record rules.
    void setReglas(const QList<ReglaRegistro> &r) { reglas = r; }
};

// The data source of a report: an SQL text with bound values, run on the connection
// when the report is laid out. Without a record source the sections print once.
struct OrigenDatos {
    QSqlDatabase conexion;
    QString sql;
    QVariantList valores;
};

class Informe {
public:
    QString nombre;
    // Page of the main report (sub-reports take the main report's), millimetres.
    QSizeF pagina{210, 297};
    double margenIzquierdo = 15, margenDerecho = 15, margenSuperior = 12, margenInferior = 12;
    std::vector<SeccionInforme> secciones;
    std::vector<EstiloTexto> estilos{EstiloTexto{}};
    OrigenDatos origen;

    void setConexion(const QSqlDatabase &db) { origen.conexion = db; }
    void setOrigen(const QString &sql, const QVariantList &valores = {})
    {
        origen.sql = sql;
        origen.valores = valores;
    }

    // By name (letter case ignored), never null; a failure with its description when
    // the layout lacks the name.
    Resultado<CampoInforme *> campo(const QString &nombreCampo);
    Resultado<SeccionInforme *> seccion(const QString &nombreSeccion);
    Resultado<Informe *> subinforme(const QString &nombreCampo);

    CampoInforme *buscaCampo(const QString &nombreCampo);
    SeccionInforme *buscaSeccion(const QString &nombreSeccion);
    const SeccionInforme *buscaSeccion(const QString &nombreSeccion) const;

    // A copy that shares nothing with this report (sub-reports copied too).
    std::shared_ptr<Informe> copia() const;
};

} // namespace slx
