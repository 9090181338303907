#include "import/CarregaCsv.h"

#include "base/Database.h"
#include "base/TextoPropio.h"
#include "import/NombresDatos.h"
#include "import/ValoresIntercambio.h"

#include <QElapsedTimer>
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

// The SQLite connection under Qt's: the rows are bound and stepped through SQLite's own
// interface, without a QVariant per value.
sqlite3 *conexion(const QSqlDatabase &db)
{
    const QVariant h = db.driver() ? db.driver()->handle() : QVariant();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(h.constData());
}

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
    // columns). The texts are not copied: they stay valid until the step.
    void vincula(const QVector<Valor> &vals) const
    {
        const int n = sqlite3_bind_parameter_count(m_st);
        for (int k = 0; k < n; ++k) {
            const Valor &v = vals.at(k);
            switch (v.tipo) {
            case Valor::Nulo: sqlite3_bind_null(m_st, k + 1); break;
            case Valor::Entero: sqlite3_bind_int64(m_st, k + 1, v.entero); break;
            case Valor::Real: sqlite3_bind_double(m_st, k + 1, v.real); break;
            case Valor::Texto:
            case Valor::Corto: sqlite3_bind_text(m_st, k + 1, v.datos(), v.largo, SQLITE_STATIC); break;
            }
        }
    }

private:
    sqlite3_stmt *m_st = nullptr;
};

// What a step did.
enum class Paso {
    Hecho,   // done (a SELECT: no row)
    Fila,    // a SELECT found its row (the statement stays on it until reset)
    Rechazo, // the row's values break a rule of the table (SQLITE_CONSTRAINT, SQLITE_MISMATCH)
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
    return codigo == SQLITE_CONSTRAINT || codigo == SQLITE_MISMATCH ? Paso::Rechazo : Paso::Fallo;
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

bool prepara(sqlite3 *db, Escritura *e, QString *error)
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
        *error = QString::fromUtf8(sqlite3_errmsg(db)) + QStringLiteral(" (") + sql + QLatin1Char(')');
        return false;
    };
    const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) ON CONFLICT (%4) DO NOTHING")
                            .arg(tabla, nombres.join(u','), marcas.join(u','), claveBase.join(u','));
    if (!e->inserta.prepara(db, sql))
        return falla(sql);
    if (t.siExiste == SiExiste::NadaSeEscribe)
        return true;
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
    return true;
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
        *guardado << QString::fromUtf8(suyo);
        mismo = mismo && suyo == QByteArrayView(v.datos(), v.tipo == Valor::Nulo ? 0 : v.largo);
    }
    return mismo;
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
                     .arg(seccionesIgnoradas.join(QLatin1String(", ")));
    return lines.join(QLatin1Char('\n'));
}

ResultadoIntercambio CarregaCsv(const FicheroIntercambio &fichero, QSqlDatabase db, const AvisoIntercambio &aviso)
{
    ResultadoIntercambio r;
    for (const Seccion &s : fichero.secciones())
        if (!s.tabla)
            r.seccionesIgnoradas << QLatin1Char('"') + s.nombre + QLatin1Char('"');
    sqlite3 *const base = db.isOpen() ? conexion(db) : nullptr;
    if (!base) {
        r.error = TextoPropio("The program's database is not open.");
        return r;
    }
    if (!db.transaction()) {
        r.error = TextoPropio("The program's database cannot be written: %1").arg(db.lastError().text());
        return r;
    }
    r.empezada = true;
    QElapsedTimer reloj;
    reloj.start();
    qint64 proximo = kMsAviso;
    // Commits what was written and reports progress; false when the import is to stop.
    const auto avisa = [&](const ProgresoIntercambio &p) {
        if (!db.commit() || !db.transaction()) {
            r.error = TextoPropio("The program's database cannot be written: %1").arg(db.lastError().text());
            return false;
        }
        if (aviso && !aviso(p)) {
            r.cancelada = true;
            return false;
        }
        proximo = reloj.elapsed() + kMsAviso;
        return true;
    };
    const auto motivo = [&](const Seccion &s, int linea, const QString &por) {
        if (r.motivos.size() < kMaxMotivos)
            r.motivos
                << TextoPropio("%1, line %2: %3").arg(nombreTabla(QLatin1String(s.tabla->nombre))).arg(linea).arg(por);
    };
    const auto textoBase = [&] { return QString::fromUtf8(sqlite3_errmsg(base)); };

    bool sigue = true;
    QVector<Valor> vals;
    for (const Tabla &tabla : tablas()) {
        if (!sigue)
            break;
        bool hay = false;
        for (const Seccion &s : fichero.secciones())
            hay = hay || s.tabla == &tabla;
        if (!hay)
            continue;
        RecuentoTabla cuenta;
        cuenta.tabla = QLatin1String(tabla.nombre);
        Escritura e(tabla);
        QString why;
        if (!prepara(base, &e, &why)) {
            r.error = TextoPropio("The table %1 of the program's database cannot be written: %2")
                          .arg(nombreTabla(cuenta.tabla), why);
            r.tablas << cuenta;
            break;
        }
        const bool sobrescribe = tabla.siExiste != SiExiste::NadaSeEscribe;
        vals.clear();
        for (const Seccion &s : fichero.secciones()) {
            if (s.tabla != &tabla || !sigue)
                continue;
            ProgresoIntercambio progreso{cuenta.tabla, 0, s.filas};
            if (!(sigue = avisa(progreso)))
                break;
            LectorFilas fila(fichero, s);
            // Stops the import at the current row with the database's reason.
            const auto para = [&] {
                r.error = TextoPropio("The import stopped at line %1 (%2): %3")
                              .arg(fila.linea())
                              .arg(nombreTabla(cuenta.tabla), textoBase());
                sigue = false;
            };
            const auto rechaza = [&](const QString &por) {
                ++cuenta.rechazadas;
                motivo(s, fila.linea(), por);
            };
            while (fila.siguiente()) {
                ++progreso.hechas;
                if (reloj.elapsed() >= proximo && !(sigue = avisa(progreso)))
                    break;
                QString por = fila.motivo();
                if (por.isEmpty() && fila.campos() != s.campos)
                    por = TextoPropio("%1 fields where the header names %2").arg(fila.campos()).arg(s.campos);
                else if (por.isEmpty())
                    e.lector.lee(fila, s, &vals, &por);
                if (!por.isEmpty()) {
                    rechaza(por);
                    continue;
                }

                // A row whose key is not stored is added; a stored one is left alone, or takes
                // the file's values when it has the same end (unchanged when it holds them).
                QString rechazoInsercion; // the database's reason when the insert broke a rule
                if (!sobrescribe || e.insertaPrimero) {
                    e.inserta.vincula(vals);
                    const Paso p = paso(e.inserta);
                    if (p == Paso::Fallo) {
                        para();
                        break;
                    }
                    if (p == Paso::Hecho && sqlite3_changes(base) > 0) {
                        ++cuenta.anadidas;
                        continue;
                    }
                    if (p == Paso::Rechazo)
                        rechazoInsercion = textoBase();
                    if (!sobrescribe) {
                        if (p == Paso::Rechazo)
                            rechaza(rechazoInsercion);
                        else
                            ++cuenta.iguales;
                        continue;
                    }
                }
                e.busca.vincula(vals);
                const Paso encontrada = paso(e.busca);
                if (encontrada == Paso::Fallo || encontrada == Paso::Rechazo) {
                    para();
                    break;
                }
                QStringList finGuardado;
                const bool mismo = encontrada != Paso::Fila || mismoFinal(e, vals, &finGuardado);
                sqlite3_reset(*e.busca);
                if (!mismo) {
                    QStringList inicio;
                    for (int k : e.claves.mid(1))
                        inicio << vals.at(k).comoTexto();
                    rechaza(TextoPropio("the row that starts at %1 is stored with another end (%2)")
                                .arg(inicio.join(QLatin1Char(' ')), finGuardado.join(QLatin1Char(' '))));
                    continue;
                }
                if (!rechazoInsercion.isEmpty()) {
                    rechaza(rechazoInsercion);
                    continue;
                }
                Sentencia &escribe = encontrada == Paso::Fila ? e.actualiza : e.inserta;
                if (!escribe.valida()) { // every column is the key's: nothing to overwrite
                    ++cuenta.iguales;
                    continue;
                }
                escribe.vincula(vals);
                const Paso p = paso(escribe);
                if (p == Paso::Fallo) {
                    para();
                    break;
                }
                if (p == Paso::Rechazo)
                    rechaza(textoBase());
                else if (sqlite3_changes(base) <= 0)
                    ++cuenta.iguales;
                else if (encontrada == Paso::Fila)
                    ++cuenta.sobrescritas;
                else
                    ++cuenta.anadidas;
            }
            if (sigue)
                sigue = avisa(progreso);
        }
        r.tablas << cuenta;
    }
    if (!db.commit()) {
        if (r.error.isEmpty())
            r.error = TextoPropio("The program's database cannot be written: %1").arg(db.lastError().text());
        db.rollback();
    }
    return r;
}

ResultadoIntercambio importaIntercambio(const QString &fichero, QSqlDatabase db, const AvisoIntercambio &aviso)
{
    FicheroIntercambio f;
    QString error;
    if (!f.abre(fichero, &error)) {
        ResultadoIntercambio r;
        r.error = error;
        return r;
    }
    return CarregaCsv(f, db, aviso);
}

} // namespace slx
