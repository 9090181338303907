#include "import/ImportaBaseDatos.h"

#include "base/Database.h"
#include "base/FicheroRegular.h"
#include "base/TextoCitado.h"
#include "base/TextoPropio.h"
#include "import/NombresDatos.h"
#include "import/OrigenFusion.h"
#include "import/TablasIntercambio.h"

#include <QFile>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <limits>

namespace slx {

namespace {

using Database::quoteIdentifier;
using fusion::Forma;

// How many refusal reasons the summary keeps.
constexpr int kMaxMotivos = 10;
// Rows between two calls of the progress callback.
constexpr int kFilasPorAviso = 500;

bool esDuplicado(const QSqlError &e)
{
    // ON CONFLICT DO NOTHING already drops rows whose key exists; this covers a
    // uniqueness failure it does not reach.
    const QString t = e.databaseText();
    return t.contains(QLatin1String("UNIQUE constraint failed")) ||
           t.contains(QLatin1String("PRIMARY KEY constraint failed"));
}

// The destination's key columns of a table of the program (none for another table).
QStringList clavesDe(const QString &tabla)
{
    QStringList out;
    if (const intercambio::Tabla *t = intercambio::tablaDe(tabla))
        for (const char *k : t->claveBase)
            out << QLatin1String(k);
    return out;
}

void anotaRechazo(ResultadoFusion *r, const QString &tabla, const QString &motivo)
{
    ++r->rechazadas;
    if (r->motivos.size() < kMaxMotivos)
        r->motivos << nombreTabla(tabla) + QLatin1String(": ") + motivo;
}

// The destination's tables, by their names in lower case, with their columns; read
// before the source is attached to the same connection.
struct Destino {
    QSqlDatabase db;
    QHash<QString, QString> nombres;
    QHash<QString, QStringList> columnas;
};

Destino leeDestino(QSqlDatabase db)
{
    Destino d{db, {}, {}};
    for (const QString &t : db.tables()) {
        d.nombres.insert(t.toLower(), t);
        const QSqlRecord rec = db.record(t);
        QStringList cols;
        for (int i = 0; i < rec.count(); ++i)
            cols << rec.fieldName(i);
        d.columnas.insert(t, cols);
    }
    return d;
}

// A destination that cannot be written is told once, before the first table.
Resultado<> compruebaEscritura(QSqlDatabase destino)
{
    QSqlQuery prueba(destino);
    const bool escribe = destino.transaction() && prueba.exec(QStringLiteral("DELETE FROM \"Configuracion\" WHERE 0"));
    const QString motivo = prueba.lastError().isValid() ? prueba.lastError().text() : destino.lastError().text();
    prueba.finish();
    destino.rollback();
    if (!escribe)
        return fallo(TextoPropio("The program's database cannot be written: %1").arg(motivo));
    return {};
}

// The source's reader: a database of this program is attached to the destination's
// connection when it can be, and read on a connection of its own otherwise.
Resultado<std::unique_ptr<fusion::Origen>> abreOrigen(const QString &origen, TipoBaseDatos tipo, QSqlDatabase destino)
{
    std::unique_ptr<fusion::Origen> fuente;
    if (tipo == TipoBaseDatos::SQLite) {
        fuente = fusion::creaOrigenAdjunto(destino);
        if (fuente->abre(origen))
            return fuente;
        fuente = fusion::creaOrigenSQLite();
    } else {
        fuente = fusion::creaOrigenAccess();
    }
    if (const Resultado<> abierta = fuente->abre(origen); !abierta)
        return fallo(abierta.error());
    return fuente;
}

// How one source table is copied: the destination columns that have a source column
// of the same name, with their stored forms, and the key columns.
struct Plan {
    QString tabla;              // in the source
    QString destino;            // in the destination
    QStringList columnas;       // destination columns filled
    QStringList columnasOrigen; // the source column of each
    QVector<int> indiceOrigen;  // its place in a source row
    QVector<Forma> formas;
    QVector<int> indiceClave;   // key parts, as places in columnas
    QStringList clavesAusentes; // key parts the source lacks: every row is refused
};

Plan planifica(const QString &tabla, const QString &nombreDestino, const QStringList &columnasDestino,
               const QStringList &columnasOrigen)
{
    Plan p;
    p.tabla = tabla;
    p.destino = nombreDestino;
    for (const QString &col : columnasDestino) {
        for (int j = 0; j < columnasOrigen.size(); ++j) {
            if (columnasOrigen.at(j).compare(col, Qt::CaseInsensitive) == 0) {
                p.columnas << col;
                p.columnasOrigen << columnasOrigen.at(j);
                p.indiceOrigen << j;
                p.formas << fusion::formaDe(col);
                break;
            }
        }
    }
    // A row without a key part is refused, never stored with a made-up key (an empty
    // serial number would become a new device).
    for (const QString &k : clavesDe(nombreDestino)) {
        const int i = int(p.columnas.indexOf(k));
        if (i < 0)
            p.clavesAusentes << k;
        else
            p.indiceClave << i;
    }
    return p;
}

// The row-by-row copy: each value converted to its stored form, then one insert.
class CopiaFilas {
public:
    CopiaFilas(const Plan &plan, QSqlDatabase destino, ResultadoFusion *r)
        : m_plan(plan)
        , m_insert(destino)
        , m_donde(destino)
        , m_r(r)
        , m_valores(plan.columnas.size())
    {
        QStringList nombres, marcas;
        for (const QString &c : plan.columnas) {
            nombres << quoteIdentifier(c);
            marcas << QStringLiteral("?");
        }
        // The destination's last row number before the copy: a key found at or below it
        // was already there, one above it came from an earlier row of this source.
        QSqlQuery ultima(destino);
        if (ultima.exec(QStringLiteral("SELECT max(rowid) FROM main.%1").arg(quoteIdentifier(plan.destino))) &&
            ultima.next())
            m_ultimaFila = ultima.value(0).isNull() ? std::numeric_limits<qint64>::min() : ultima.value(0).toLongLong();
        QStringList iguales;
        for (int k : plan.indiceClave)
            iguales << quoteIdentifier(plan.columnas.at(k)) + QLatin1String(" = ?");
        if (!iguales.isEmpty())
            m_buscaClave =
                m_donde.prepare(QStringLiteral("SELECT rowid FROM main.%1 WHERE %2")
                                    .arg(quoteIdentifier(plan.destino), iguales.join(QLatin1String(" AND "))));
        m_preparada = m_insert.prepare(
            QStringLiteral("INSERT INTO main.%1 (%2) VALUES (%3) ON CONFLICT DO NOTHING")
                .arg(quoteIdentifier(plan.destino), nombres.join(QLatin1Char(',')), marcas.join(QLatin1Char(','))));
    }
    Resultado<> preparada() const
    {
        if (!m_preparada)
            return fallo(m_insert.lastError().text());
        return {};
    }

    // Copies one row whose values lie at indices (a row refused is counted with its
    // reason); fails on a failure of the file, where the table stops.
    Resultado<> copia(const QVector<QVariant> &fila, const QVector<int> &indices)
    {
        QString motivo;
        bool ok = true;
        if (!m_plan.clavesAusentes.isEmpty()) {
            ok = false;
            motivo = TextoPropio("the key column %1 is empty").arg(nombreColumna(m_plan.clavesAusentes.first()));
        }
        for (int k = 0; k < indices.size() && ok; ++k) {
            const int j = indices.at(k);
            Resultado<QVariant> v = fusion::convierte(j < fila.size() ? fila.at(j) : QVariant(), m_plan.formas.at(k));
            ok = v.has_value();
            if (ok)
                m_valores[k] = std::move(*v);
            else
                motivo = nombreColumna(m_plan.columnas.at(k)) + QLatin1String(": ") + v.error().text;
        }
        for (int k = 0; k < m_plan.indiceClave.size() && ok; ++k) {
            if (fusion::esClaveVacia(m_valores.at(m_plan.indiceClave.at(k)))) {
                ok = false;
                motivo = TextoPropio("the key column %1 is empty")
                             .arg(nombreColumna(m_plan.columnas.at(m_plan.indiceClave.at(k))));
            }
        }
        if (!ok) {
            anotaRechazo(m_r, m_plan.tabla, motivo);
            return {};
        }
        for (int k = 0; k < m_valores.size(); ++k)
            m_insert.bindValue(k, m_valores.at(k));
        if (m_insert.exec()) {
            if (m_insert.numRowsAffected() > 0)
                ++m_r->anadidas;
            else
                cuentaNoGuardada();
        } else if (esDuplicado(m_insert.lastError())) {
            cuentaNoGuardada();
        } else if (fusion::esFalloDeFichero(m_insert.lastError())) {
            // A damaged page is the table's failure, not one refusal per row.
            return fallo(m_insert.lastError().text());
        } else {
            anotaRechazo(m_r, m_plan.tabla, m_insert.lastError().databaseText());
        }
        return {};
    }

    qint64 ultimaFila() const { return m_ultimaFila; }

private:
    // A row whose key is stored: already in the destination, or repeated in the source.
    void cuentaNoGuardada()
    {
        bool repetida = false;
        if (m_buscaClave) {
            for (int k = 0; k < m_plan.indiceClave.size(); ++k)
                m_donde.bindValue(k, m_valores.at(m_plan.indiceClave.at(k)));
            repetida = m_donde.exec() && m_donde.next() && m_donde.value(0).toLongLong() > m_ultimaFila;
            m_donde.finish();
        }
        ++(repetida ? m_r->repetidas : m_r->duplicadas);
    }

    const Plan &m_plan;
    QSqlQuery m_insert;
    QSqlQuery m_donde;
    bool m_buscaClave = false;
    qint64 m_ultimaFila = std::numeric_limits<qint64>::max();
    ResultadoFusion *m_r;
    QVector<QVariant> m_valores;
    bool m_preparada = false;
};

// Every row of the table the source opened, through the source's own copy by blocks
// when it offers one, else row by row; the table stops at the first failure.
Resultado<> copiaFilas(fusion::Origen &fuente, const Plan &plan, QSqlDatabase destino, ResultadoFusion *r,
                       const std::function<void()> &progreso)
{
    CopiaFilas filas(plan, destino, r);
    if (Resultado<> preparada = filas.preparada(); !preparada)
        return preparada;
    QVector<QVariant> fila;
    int sinAviso = 0;
    const auto unaPorUna = [&](const QVector<int> &indices) -> Resultado<> {
        for (;;) {
            const Resultado<bool> hay = fuente.siguienteFila(&fila);
            if (!hay)
                return fallo(hay.error());
            if (!*hay)
                return {};
            if (Resultado<> copiada = filas.copia(fila, indices); !copiada)
                return copiada;
            if (progreso && ++sinAviso >= kFilasPorAviso) {
                sinAviso = 0;
                progreso();
            }
        }
    };

    fusion::CopiaTabla directa{plan.destino, plan.columnas, plan.columnasOrigen, plan.formas, {}, filas.ultimaFila()};
    for (int k = 0; k < plan.columnas.size(); ++k)
        directa.clave << plan.indiceClave.contains(k);
    if (!plan.clavesAusentes.isEmpty() || !fuente.copiaDirecta(directa))
        return unaPorUna(plan.indiceOrigen);
    // The source's rows come in its column order of the plan.
    QVector<int> enOrden(plan.columnas.size());
    for (int k = 0; k < enOrden.size(); ++k)
        enOrden[k] = k;
    fusion::Bloque b;
    for (;;) {
        const Resultado<bool> hay = fuente.siguienteBloque(&b);
        if (!hay)
            return fallo(hay.error());
        if (!*hay)
            return {};
        r->anadidas += b.anadidas;
        r->duplicadas += b.duplicadas;
        r->repetidas += b.repetidas;
        if (Resultado<> copiadas = unaPorUna(enOrden); !copiadas)
            return copiadas;
        if (progreso)
            progreso();
    }
}

// One table of the source into the destination, in one transaction: the rows stored
// stay when a later table fails.
void copiaTabla(fusion::Origen &fuente, const Destino &d, const QString &tabla, ResultadoFusion *r,
                const std::function<void()> &progreso)
{
    const QString nombreDestino = d.nombres.value(tabla.toLower());
    if (nombreDestino.isEmpty()) {
        // Not a loss: the program keeps no such data.
        r->tablasOmitidas << tabla;
        return;
    }
    const Resultado<QStringList> columnasOrigen = fuente.abreTabla(tabla);
    if (!columnasOrigen) {
        r->tablasIlegibles << nombreTabla(tabla) + QLatin1String(": ") + columnasOrigen.error().text;
        return;
    }
    const Plan plan = planifica(tabla, nombreDestino, d.columnas.value(nombreDestino), *columnasOrigen);
    if (plan.columnas.isEmpty()) {
        r->tablasOmitidas << tabla;
        fuente.cierraTabla();
        return;
    }
    QSqlDatabase destino = d.db;
    const bool enTransaccion = destino.transaction();
    const qint64 anadidasAntes = r->anadidas;
    const qint64 duplicadasAntes = r->duplicadas;
    const qint64 repetidasAntes = r->repetidas;
    const Resultado<> copiadas = copiaFilas(fuente, plan, destino, r, progreso);
    fuente.cierraTabla();
    if (!copiadas)
        r->tablasIlegibles << nombreTabla(tabla) + QLatin1String(": ") + copiadas.error().mensaje();
    if (enTransaccion && !destino.commit()) {
        destino.rollback();
        r->anadidas = anadidasAntes;
        r->duplicadas = duplicadasAntes;
        r->repetidas = repetidasAntes;
        r->tablasIlegibles << nombreTabla(tabla) + QLatin1String(": ") + destino.lastError().text();
    }
    if (progreso)
        progreso();
}

} // namespace

Resultado<TipoBaseDatos> tipoBaseDatos(const QString &fichero)
{
    // Opened without blocking (a pipe would wait for a writer), and read only when it is
    // a regular file.
    QFile f;
    if (Resultado<void> abierto = abreFicheroRegular(f, fichero); !abierto)
        return fallo(abierto.error());
    const QByteArray head = f.read(32);
    if (head.startsWith(QByteArray("SQLite format 3\0", 16)))
        return TipoBaseDatos::SQLite;
    if (head.mid(4, 15) == QByteArray("Standard Jet DB"))
        return TipoBaseDatos::Access;
    return fallo(TextoPropio("The file %1 is not a database of this program nor of the original program, "
                             "or it is empty or damaged.")
                     .arg(fichero));
}

QString ResultadoFusion::resumen() const
{
    if (!empezada())
        return error;
    QStringList lines;
    lines << TextoPropio("Rows added: %1").arg(anadidas);
    lines << TextoPropio("Rows already in the database (skipped): %1").arg(duplicadas);
    if (repetidas)
        lines << TextoPropio("Rows whose key the file itself holds twice (stored once): %1").arg(repetidas);
    // The names and reasons come from the file: the lists are cut short, as are their lines.
    if (rechazadas)
        lines << TextoPropio("Rows refused: %1").arg(rechazadas) + QLatin1Char('\n') + listaLineas(motivos);
    if (!tablasOmitidas.isEmpty()) {
        QStringList nombres;
        for (const QString &t : tablasOmitidas)
            nombres << citaValor(t);
        lines << TextoPropio("Tables this database does not have (not imported): %1").arg(listaNombres(nombres));
    }
    if (!tablasIlegibles.isEmpty())
        lines << TextoPropio("Tables that could not be read whole:") + QLatin1Char('\n') + listaLineas(tablasIlegibles);
    if (!danos.isEmpty())
        lines << TextoPropio("The file is damaged; what could be read of it was merged:") + QLatin1Char('\n') +
                     listaLineas(danos);
    if (!tablasDanadas.isEmpty())
        lines << TextoPropio("Damaged tables of the file, not read (they hold nothing this program imports):") +
                     QLatin1Char('\n') + listaLineas(tablasDanadas);
    return lines.join(QLatin1Char('\n'));
}

ResultadoFusion ImportaBaseDatos(const QString &origen, QSqlDatabase destino, const std::function<void()> &progreso)
{
    ResultadoFusion r;
    if (origen.isEmpty()) {
        r.error = TextoPropio("No database was chosen to import.");
        return r;
    }
    const Resultado<TipoBaseDatos> tipo = tipoBaseDatos(origen);
    if (!tipo) {
        r.error = tipo.error().text;
        return r;
    }
    if (!destino.isOpen()) {
        r.error = TextoPropio("The program's database is not open.");
        return r;
    }
    if (const Resultado<> escribe = compruebaEscritura(destino); !escribe) {
        r.error = escribe.error().text;
        return r;
    }
    const Destino d = leeDestino(destino);

    Resultado<std::unique_ptr<fusion::Origen>> abierta = abreOrigen(origen, *tipo, destino);
    const Resultado<QStringList> lista = abierta ? (*abierta)->tablas() : fallo(abierta.error());
    if (!lista) {
        const QString why = lista.error().text;
        r.error = why.contains(origen) ? why : TextoPropio("The database %1 cannot be read. %2").arg(origen, why);
        return r;
    }
    const std::unique_ptr<fusion::Origen> fuente = std::move(*abierta);
    const QStringList &tablas = *lista;
    // A file that lists none of the program's tables is damaged or from another program:
    // nothing is taken from it, and a backup of that kind is kept.
    bool alguna = false;
    for (const QString &t : tablas)
        alguna = alguna || intercambio::tablaDe(t);
    if (!alguna) {
        r.error = TextoPropio("The file %1 holds none of the program's tables: it is damaged or it is not a database "
                              "of the program.")
                      .arg(origen);
        return r;
    }
    r.danos = fuente->danos();
    // An Access file of the original program holds every table of the program: one its
    // list does not name is lost to a damaged list, not missing by design.
    if (*tipo == TipoBaseDatos::Access) {
        QStringList esperadas{QStringLiteral("Configuracion")};
        for (const intercambio::Tabla &t : intercambio::tablas())
            esperadas << QLatin1String(t.nombre);
        for (const QString &t : esperadas)
            if (!tablas.contains(t, Qt::CaseInsensitive))
                r.tablasIlegibles << nombreTabla(t) + QLatin1String(": ") +
                                         TextoPropio("the file's list of tables does not name it");
    }
    for (const QString &d : fuente->tablasDanadas())
        r.tablasDanadas << nombreTabla(d.section(QLatin1String(": "), 0, 0)) + QLatin1String(": ") +
                               d.section(QLatin1String(": "), 1);

    for (const QString &tabla : tablas) {
        if (tabla.compare(QLatin1String("Configuracion"), Qt::CaseInsensitive) != 0)
            copiaTabla(*fuente, d, tabla, &r, progreso);
    }
    return r;
}

} // namespace slx
