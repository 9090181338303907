#include "import/CarregaCsv.h"

#include "base/Database.h"
#include "base/TextoCitado.h"
#include "base/TextoPropio.h"
#include "import/ConexionSQLite.h"
#include "import/NombresDatos.h"
#include "import/ValoresIntercambio.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QVariant>
#include <sqlite3.h>
#include <utility>

namespace slx {

using namespace intercambio;

namespace {

using Database::quoteIdentifier;

// How many refusal reasons the summary keeps.
constexpr int kMaxMotivos = 20;
// Interval between two progress calls; the rows written are committed at each.
constexpr qint64 kMsAviso = 50;

// A prepared statement, finalized with its owner (Qt closes the connection only when
// none is left).
class Sentencia {
public:
    Sentencia() = default;
    Sentencia(const Sentencia &) = delete;
    Sentencia &operator=(const Sentencia &) = delete;
    ~Sentencia() { sqlite3_finalize(m_st); }

    bool prepara(sqlite3 *db, const QString &sql)
    {
        sqlite3_finalize(m_st);
        m_st = nullptr;
        return sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &m_st, nullptr) == SQLITE_OK;
    }
    bool valida() const { return m_st; }
    sqlite3_stmt *operator*() const { return m_st; }

    // Binds ?1..?n to the row's values (the numbers of the parameters are the destination
    // columns). The texts are not copied: they stay valid until the step. SQLite's result
    // code of the first bind that fails, with its value's position in *cual.
    int vincula(const QVector<Valor> &vals, int *cual) const
    {
        const int n = sqlite3_bind_parameter_count(m_st);
        for (int k = 0; k < n; ++k) {
            const Valor &v = vals.at(k);
            int rc = SQLITE_OK;
            switch (v.tipo) {
            case Valor::Nulo: rc = sqlite3_bind_null(m_st, k + 1); break;
            case Valor::Entero: rc = sqlite3_bind_int64(m_st, k + 1, v.entero); break;
            case Valor::Real: rc = sqlite3_bind_double(m_st, k + 1, v.real); break;
            case Valor::Texto:
            case Valor::Corto:
                rc = sqlite3_bind_text64(m_st, k + 1, v.datos(), sqlite3_uint64(v.largo), SQLITE_STATIC, SQLITE_UTF8);
                break;
            }
            if (rc != SQLITE_OK) {
                *cual = k;
                return rc;
            }
        }
        return SQLITE_OK;
    }

private:
    sqlite3_stmt *m_st = nullptr;
};

// What a step did.
enum class Paso {
    Hecho,   // done (a SELECT: no row)
    Fila,    // a SELECT found its row (the statement stays on it until reset)
    Rechazo, // the row's values break a rule of the table (SQLITE_CONSTRAINT, SQLITE_MISMATCH) or are
             // more than the database can store (SQLITE_TOOBIG)
    Fallo,   // anything else: the import stops
};

Paso paso(const Sentencia &st)
{
    const int rc = sqlite3_step(*st);
    if (rc == SQLITE_ROW)
        return Paso::Fila;
    sqlite3_reset(*st);
    if (rc == SQLITE_DONE)
        return Paso::Hecho;
    const int codigo = rc & 0xFF;
    return codigo == SQLITE_CONSTRAINT || codigo == SQLITE_MISMATCH || codigo == SQLITE_TOOBIG ? Paso::Rechazo
                                                                                               : Paso::Fallo;
}

// One table's statements. Parameter ?k is destination column k - 1 in all of them.
struct Escritura {
    explicit Escritura(const Tabla &t)
        : lector(t)
    {
    }
    LectorValores lector;
    QVector<int> claves;  // destination columns of the database key
    QVector<int> finales; // key columns of the file that are not the database's (the end)
    // Adds a row whose key is not stored (nothing when it is).
    Sentencia inserta;
    // Tables whose stored rows take the file's values: the stored row's end, and the
    // update of the other columns, which writes nothing when they hold the file's values.
    Sentencia busca;
    Sentencia actualiza;
    // The table held no row when the import began: each row is added first, and looked
    // up only when its key turns out to be stored (a row repeated in the file).
    bool insertaPrimero = false;
};

Resultado<> prepara(sqlite3 *db, Escritura *e)
{
    const Tabla &t = e->lector.tabla();
    const QStringList &columnas = e->lector.columnas();
    QStringList nombres, marcas, cambios, iguales, dondeClave;
    const QString tabla = quoteIdentifier(QLatin1String(t.nombre));
    for (int i = 0; i < columnas.size(); ++i) {
        const QString q = quoteIdentifier(columnas.at(i));
        const QString marca = QStringLiteral("?%1").arg(i + 1);
        nombres << q;
        marcas << marca;
        bool deLaBase = false;
        for (const char *k : t.claveBase)
            deLaBase = deLaBase || columnas.at(i) == QLatin1String(k);
        if (deLaBase) {
            e->claves << i;
            dondeClave << q + QStringLiteral(" = ") + marca;
        } else if (e->lector.enClave(i)) {
            e->finales << i;
        } else {
            cambios << q + QStringLiteral(" = ") + marca;
            iguales << q + QStringLiteral(" IS ") + marca;
        }
    }
    QStringList claveBase;
    for (const char *k : t.claveBase)
        claveBase << quoteIdentifier(QLatin1String(k));
    const auto falla = [&](const QString &sql) {
        return fallo(QString::fromUtf8(sqlite3_errmsg(db)) + QStringLiteral(" (") + sql + QLatin1Char(')'));
    };
    const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) ON CONFLICT (%4) DO NOTHING")
                            .arg(tabla, nombres.join(u','), marcas.join(u','), claveBase.join(u','));
    if (!e->inserta.prepara(db, sql))
        return falla(sql);
    if (t.siExiste == SiExiste::NadaSeEscribe)
        return {};
    QStringList sel = {QStringLiteral("1")};
    for (int i : e->finales)
        sel << quoteIdentifier(columnas.at(i));
    const QString busca = QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                              .arg(sel.join(u','), tabla, dondeClave.join(QStringLiteral(" AND ")));
    if (!e->busca.prepara(db, busca))
        return falla(busca);
    if (!cambios.isEmpty()) {
        const QString actualiza = QStringLiteral("UPDATE %1 SET %2 WHERE %3 AND NOT (%4)")
                                      .arg(tabla, cambios.join(u','), dondeClave.join(QStringLiteral(" AND ")),
                                           iguales.join(QStringLiteral(" AND ")));
        if (!e->actualiza.prepara(db, actualiza))
            return falla(actualiza);
    }
    Sentencia vacia;
    const QString hay = QStringLiteral("SELECT 1 FROM %1 LIMIT 1").arg(tabla);
    if (!vacia.prepara(db, hay))
        return falla(hay);
    const Paso p = paso(vacia);
    if (p != Paso::Fila && p != Paso::Hecho)
        return falla(hay);
    e->insertaPrimero = p == Paso::Hecho;
    return {};
}

// The stored end of a found row (the statement stands on it) against the row's.
bool mismoFinal(const Escritura &e, const QVector<Valor> &vals, QStringList *guardado)
{
    bool mismo = true;
    for (int k = 0; k < e.finales.size(); ++k) {
        const Valor &v = vals.at(e.finales.at(k));
        const char *texto = reinterpret_cast<const char *>(sqlite3_column_text(*e.busca, k + 1));
        const int largo = sqlite3_column_bytes(*e.busca, k + 1);
        const QByteArray suyo = texto ? QByteArray(texto, largo) : QByteArray();
        *guardado << citaValor(QString::fromUtf8(suyo));
        mismo = mismo && suyo == QByteArrayView(v.datos(), v.tipo == Valor::Nulo ? 0 : v.largo);
    }
    return mismo;
}

// One import: the tables of a checked file written into the program's database, table
// by table, section by section, row by row. Progress is reported (and what was written
// committed) every kMsAviso.
class Importacion {
public:
    Importacion(const FicheroIntercambio &fichero, QSqlDatabase db, sqlite3 *base, const AvisoIntercambio &aviso)
        : m_fichero(fichero)
        , m_db(db)
        , m_base(base)
        , m_aviso(aviso)
        // A row's values take at least half of its bytes in the file (a doubled quote is the
        // longest form of a character), so a longer row cannot be stored.
        , m_maximoFila(2 * qint64(sqlite3_limit(base, SQLITE_LIMIT_LENGTH, -1)) + (1 << 20))
    {
    }

    ResultadoIntercambio ejecuta();

private:
    // What became of one row.
    enum class Fin { Anadida, Sobrescrita, Igual, Rechazada, Para };
    struct Salida {
        Fin fin;
        QString motivo; // Rechazada: why
    };

    bool importaTabla(const Tabla &tabla);
    bool importaSeccion(Escritura &e, const Seccion &s, RecuentoTabla &cuenta);
    QString leeFila(const Escritura &e, const Seccion &s, const LectorFilas &fila);
    Salida escribeFila(Escritura &e);
    Salida soloInserta(Escritura &e);
    Salida sobrescribe(Escritura &e, const QString &rechazoInsercion);
    Paso vinculaYPasa(const Escritura &e, const Sentencia &st, QString *rechazo);
    bool avisa(const ProgresoIntercambio &p);
    QString textoBase() const { return QString::fromUtf8(sqlite3_errmsg(m_base)); }
    QString cambiado() const
    {
        return TextoPropio("The file %1 changed while it was being read (another program cut it short or wrote "
                           "to it), so what was read is not the whole file. Import it again once it is complete.")
            .arg(m_fichero.nombre());
    }

    const FicheroIntercambio &m_fichero;
    QSqlDatabase m_db;
    sqlite3 *m_base;
    const AvisoIntercambio &m_aviso;
    const qint64 m_maximoFila;
    ResultadoIntercambio m_r;
    QElapsedTimer m_reloj;
    qint64 m_proximo = kMsAviso;
    QVector<Valor> m_vals;
};

ResultadoIntercambio Importacion::ejecuta()
{
    for (const Seccion &s : m_fichero.secciones())
        if (!s.tabla)
            m_r.seccionesIgnoradas << nombreCitado(s);
    m_r.lineaSinFin = m_fichero.lineaSinFin();
    if (!m_db.transaction()) {
        m_r.error = TextoPropio("The program's database cannot be written: %1").arg(m_db.lastError().text());
        return m_r;
    }
    m_r.empezada = true;
    m_reloj.start();
    for (const Tabla &tabla : tablas())
        if (!importaTabla(tabla))
            break;
    // What was read is the file the first pass found, or the import is no import of that file.
    if (m_r.error.isEmpty() && !m_r.cancelada && m_fichero.cambiado())
        m_r.error = cambiado();
    if (!m_db.commit()) {
        if (m_r.error.isEmpty())
            m_r.error = TextoPropio("The program's database cannot be written: %1").arg(m_db.lastError().text());
        m_db.rollback();
    }
    return m_r;
}

// The sections of one table, in the file's order; false when the import is to stop.
bool Importacion::importaTabla(const Tabla &tabla)
{
    bool hay = false;
    for (const Seccion &s : m_fichero.secciones())
        hay = hay || s.tabla == &tabla;
    if (!hay)
        return true;
    RecuentoTabla cuenta;
    cuenta.tabla = QLatin1String(tabla.nombre);
    Escritura e(tabla);
    const Resultado<> preparada = prepara(m_base, &e);
    bool sigue = preparada.has_value();
    if (!sigue)
        m_r.error = TextoPropio("The table %1 of the program's database cannot be written: %2")
                        .arg(nombreTabla(cuenta.tabla), preparada.error().text);
    for (const Seccion &s : m_fichero.secciones())
        if (sigue && s.tabla == &tabla)
            sigue = importaSeccion(e, s, cuenta);
    m_r.tablas << cuenta;
    return sigue;
}

bool Importacion::importaSeccion(Escritura &e, const Seccion &s, RecuentoTabla &cuenta)
{
    ProgresoIntercambio progreso{cuenta.tabla, 0, s.filas};
    if (!avisa(progreso))
        return false;
    LectorFilas fila(m_fichero, s, m_maximoFila);
    while (fila.siguiente()) {
        ++progreso.hechas;
        if (m_reloj.elapsed() >= m_proximo && !avisa(progreso))
            return false;
        QString por = leeFila(e, s, fila);
        const Salida salida = por.isEmpty() ? escribeFila(e) : Salida{Fin::Rechazada, por};
        switch (salida.fin) {
        case Fin::Anadida: ++cuenta.anadidas; break;
        case Fin::Sobrescrita: ++cuenta.sobrescritas; break;
        case Fin::Igual: ++cuenta.iguales; break;
        case Fin::Rechazada:
            ++cuenta.rechazadas;
            if (m_r.motivos.size() < kMaxMotivos)
                m_r.motivos << TextoPropio("%1, line %2: %3")
                                   .arg(nombreTabla(cuenta.tabla))
                                   .arg(fila.linea())
                                   .arg(salida.motivo);
            break;
        case Fin::Para:
            m_r.error = TextoPropio("The import stopped at line %1 (%2): %3")
                            .arg(fila.linea())
                            .arg(nombreTabla(cuenta.tabla), salida.motivo);
            return false;
        }
    }
    if (!fila.error().isEmpty()) {
        m_r.error = TextoPropio("The file %1 cannot be read: %2").arg(m_fichero.nombre(), fila.error());
        return false;
    }
    if (fila.acortado()) {
        m_r.error = cambiado();
        return false;
    }
    return avisa(progreso);
}

// The row's values into m_vals; the reason when the row cannot be stored as it stands.
QString Importacion::leeFila(const Escritura &e, const Seccion &s, const LectorFilas &fila)
{
    if (!fila.motivo().isEmpty())
        return fila.motivo();
    // A header ending with ";" lets a row leave out that empty last field.
    if (fila.campos() != s.campos && !(s.ultimoVacio && fila.campos() == s.campos - 1))
        return TextoPropio("%1 fields where the header names %2").arg(fila.campos()).arg(s.campos);
    if (const Resultado<> leida = e.lector.lee(fila, s, &m_vals); !leida)
        return leida.error().text;
    return {};
}

// A row whose key is not stored is added; a stored one is left alone, or takes the file's
// values when it has the same end (unchanged when it holds them).
Importacion::Salida Importacion::escribeFila(Escritura &e)
{
    if (e.lector.tabla().siExiste == SiExiste::NadaSeEscribe)
        return soloInserta(e);
    QString rechazoInsercion; // the database's reason when the insert broke a rule
    if (e.insertaPrimero) {
        const Salida s = soloInserta(e);
        if (s.fin == Fin::Anadida || s.fin == Fin::Para)
            return s;
        if (s.fin == Fin::Rechazada)
            rechazoInsercion = s.motivo;
    }
    return sobrescribe(e, rechazoInsercion);
}

// The insert that does nothing when the key is stored.
Importacion::Salida Importacion::soloInserta(Escritura &e)
{
    QString rechazo;
    const Paso p = vinculaYPasa(e, e.inserta, &rechazo);
    if (p == Paso::Fallo)
        return {Fin::Para, textoBase()};
    if (p == Paso::Rechazo)
        return {Fin::Rechazada, rechazo};
    return {sqlite3_changes(m_base) > 0 ? Fin::Anadida : Fin::Igual, {}};
}

// Looks the row's key up: a stored row with the same end takes the file's values, one
// with another end refuses the row, none adds it.
Importacion::Salida Importacion::sobrescribe(Escritura &e, const QString &rechazoInsercion)
{
    QString rechazo;
    const Paso encontrada = vinculaYPasa(e, e.busca, &rechazo);
    if (encontrada == Paso::Fallo)
        return {Fin::Para, textoBase()};
    if (encontrada == Paso::Rechazo)
        return {Fin::Rechazada, rechazo};
    QStringList finGuardado;
    const bool mismo = encontrada != Paso::Fila || mismoFinal(e, m_vals, &finGuardado);
    sqlite3_reset(*e.busca);
    if (!mismo) {
        QStringList inicio;
        for (int k : e.claves.mid(1))
            inicio << citaValor(m_vals.at(k).comoTexto());
        return {Fin::Rechazada, TextoPropio("the row that starts at %1 is stored with another end (%2)")
                                    .arg(inicio.join(QLatin1Char(' ')), finGuardado.join(QLatin1Char(' ')))};
    }
    if (!rechazoInsercion.isEmpty())
        return {Fin::Rechazada, rechazoInsercion};
    const Sentencia &escribe = encontrada == Paso::Fila ? e.actualiza : e.inserta;
    if (!escribe.valida()) // every column is the key's: nothing to overwrite
        return {Fin::Igual, {}};
    const Paso p = vinculaYPasa(e, escribe, &rechazo);
    if (p == Paso::Fallo)
        return {Fin::Para, textoBase()};
    if (p == Paso::Rechazo)
        return {Fin::Rechazada, rechazo};
    if (sqlite3_changes(m_base) <= 0)
        return {Fin::Igual, {}};
    return {encontrada == Paso::Fila ? Fin::Sobrescrita : Fin::Anadida, {}};
}

// Binds the row to a statement and steps it. A value that is more than the database can
// store refuses the row, naming its column; *rechazo holds the reason of a refusal.
Paso Importacion::vinculaYPasa(const Escritura &e, const Sentencia &st, QString *rechazo)
{
    int cual = 0;
    const int rc = st.vincula(m_vals, &cual);
    if (rc == SQLITE_TOOBIG) {
        *rechazo = TextoPropio("%1: the value is longer than the database can store (%2 bytes)")
                       .arg(nombreColumna(e.lector.columnas().at(cual)))
                       .arg(m_vals.at(cual).largo);
        return Paso::Rechazo;
    }
    if (rc != SQLITE_OK) {
        *rechazo = textoBase();
        return Paso::Fallo;
    }
    const Paso p = paso(st);
    if (p == Paso::Rechazo)
        *rechazo = textoBase();
    return p;
}

// Commits what was written and reports progress; false when the import is to stop.
bool Importacion::avisa(const ProgresoIntercambio &p)
{
    if (!m_db.commit() || !m_db.transaction()) {
        m_r.error = TextoPropio("The program's database cannot be written: %1").arg(m_db.lastError().text());
        return false;
    }
    if (m_aviso && !m_aviso(p)) {
        m_r.cancelada = true;
        return false;
    }
    m_proximo = m_reloj.elapsed() + kMsAviso;
    return true;
}

} // namespace

qint64 ResultadoIntercambio::guardadas() const
{
    qint64 n = 0;
    for (const RecuentoTabla &t : tablas)
        n += t.anadidas + t.sobrescritas;
    return n;
}

qint64 ResultadoIntercambio::rechazadas() const
{
    qint64 n = 0;
    for (const RecuentoTabla &t : tablas)
        n += t.rechazadas;
    return n;
}

bool ResultadoIntercambio::conAvisos() const
{
    return cancelada || rechazadas() > 0 || lineaSinFin > 0;
}

QString ResultadoIntercambio::resumen() const
{
    QStringList lines;
    if (!empezada)
        return error;
    if (cancelada)
        lines << TextoPropio("The import was cancelled: %1 rows were stored before it.").arg(guardadas());
    else if (!error.isEmpty())
        lines << error << TextoPropio("%1 rows were stored before it.").arg(guardadas());
    for (const RecuentoTabla &t : tablas)
        lines << TextoPropio("%1: %2 added, %3 overwritten, %4 unchanged, %5 refused")
                     .arg(nombreTabla(t.tabla))
                     .arg(t.anadidas)
                     .arg(t.sobrescritas)
                     .arg(t.iguales)
                     .arg(t.rechazadas);
    if (!motivos.isEmpty()) {
        lines << QString() << TextoPropio("Rows refused (the first %1):").arg(motivos.size());
        lines << motivos;
    }
    if (!seccionesIgnoradas.isEmpty())
        lines << QString()
              << TextoPropio("Sections that are no table of the program (not imported): %1")
                     .arg(listaNombres(seccionesIgnoradas));
    if (lineaSinFin > 0)
        lines << QString()
              << TextoPropio("The file may be incomplete: its last line (line %1) has no line end, so its last "
                             "value may have been cut short.")
                     .arg(lineaSinFin);
    return lines.join(QLatin1Char('\n'));
}

ResultadoIntercambio CarregaCsv(const FicheroIntercambio &fichero, QSqlDatabase db, const AvisoIntercambio &aviso)
{
    sqlite3 *const base = db.isOpen() ? conexionSQLite(db) : nullptr;
    if (!base) {
        ResultadoIntercambio r;
        r.error = TextoPropio("The program's database is not open.");
        return r;
    }
    return Importacion(fichero, db, base, aviso).ejecuta();
}

ResultadoIntercambio importaIntercambio(const QString &fichero, QSqlDatabase db, const AvisoIntercambio &aviso)
{
    FicheroIntercambio f;
    if (const Resultado<> abierto = f.abre(fichero); !abierto) {
        ResultadoIntercambio r;
        r.error = abierto.error().text;
        return r;
    }
    return CarregaCsv(f, db, aviso);
}

} // namespace slx
