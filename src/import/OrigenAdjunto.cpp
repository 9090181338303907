// Another database of this program attached, read-only, to the destination's own
// connection: the rows already in their stored forms go into the destination in
// blocks of one statement each, read once; only the rows of a block that need the
// conversion are read again, one by one.
//
// A block is the next rows in the order of SQLite's hidden row number, by a keyset
// cursor (the row numbers from the one after the last block's, so many rows): its cost
// follows the rows, not the span of their numbers. The row number is reached by
// whichever of its names (_rowid_, rowid, oid) no real column takes; a table without
// one is read row by row. A function of ours counts, in the insert's own pass, the
// rows in stored form; what the insert stored comes from its count of changes, and
// the rest of those rows were already in the destination.

#include "base/Database.h"
#include "base/TextoPropio.h"
#include "import/ConexionSQLite.h"
#include "import/OrigenSQLite.h"

#include <QSqlDriver>
#include <QSqlError>
#include <limits>
#include <sqlite3.h>

namespace slx::fusion {

namespace {

// Rows per statement, so that the window is repainted between two.
constexpr qint64 kFilasPorBloque = 20000;

const char *const kEsquema = "slx_origen";
const char *const kFuncion = "slx_forma_guardada";
const char *const kRepetida = "slx_clave_repetida";

// What the function sees of one block.
struct Recuento {
    QVector<Forma> formas;
    QVector<bool> clave;
    qint64 buenas = 0;
    qint64 repetidas = 0;
};

// slx_forma_guardada(value...): 1 when every value is in its stored form.
void formaGuardada(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    auto *r = static_cast<Recuento *>(sqlite3_user_data(ctx));
    bool ok = argc == r->formas.size();
    for (int i = 0; ok && i < argc; ++i)
        ok = enFormaGuardada(argv[i], r->formas.at(i), r->clave.at(i));
    if (ok)
        ++r->buenas;
    sqlite3_result_int(ctx, ok ? 1 : 0);
}

// slx_clave_repetida(condition): counts the conflicts where condition holds; always
// false, so that the conflict writes nothing.
void claveRepetida(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    auto *r = static_cast<Recuento *>(sqlite3_user_data(ctx));
    if (argc == 1 && sqlite3_value_int(argv[0]) != 0)
        ++r->repetidas;
    sqlite3_result_int(ctx, 0);
}

class OrigenAdjunto final : public OrigenSQLite {
public:
    explicit OrigenAdjunto(QSqlDatabase destino)
        : OrigenSQLite(destino, QLatin1String(kEsquema) + QLatin1Char('.'))
    {
    }

    ~OrigenAdjunto() override
    {
        cierraTabla();
        if (m_adjunta) {
            QSqlQuery d(m_db);
            d.exec(QStringLiteral("DETACH DATABASE %1").arg(QLatin1String(kEsquema)));
        }
        if (m_funcion) {
            sqlite3_create_function_v2(m_funcion, kFuncion, -1, SQLITE_UTF8, nullptr, nullptr, nullptr, nullptr,
                                       nullptr);
            sqlite3_create_function_v2(m_funcion, kRepetida, 1, SQLITE_UTF8, nullptr, nullptr, nullptr, nullptr,
                                       nullptr);
        }
        if (m_defensas)
            defiendeConexion(m_defensas, m_antes);
    }

    Resultado<> abre(const QString &fichero) override
    {
        sqlite3 *db = conexionSQLite(m_db);
        if (!db || !m_db.connectOptions().contains(QLatin1String("QSQLITE_OPEN_URI")))
            return fallo(TextoPropio("The database %1 cannot be opened: %2").arg(fichero, QStringLiteral("URI")));
        if (sqlite3_create_function_v2(db, kFuncion, -1, SQLITE_UTF8, &m_recuento, formaGuardada, nullptr, nullptr,
                                       nullptr) != SQLITE_OK ||
            sqlite3_create_function_v2(db, kRepetida, 1, SQLITE_UTF8, &m_recuento, claveRepetida, nullptr, nullptr,
                                       nullptr) != SQLITE_OK) {
            return fallo(
                TextoPropio("The database %1 cannot be opened: %2").arg(fichero, QString::fromUtf8(sqlite3_errmsg(db))));
        }
        m_funcion = db;
        // The file is data: nothing its schema names runs while it is attached (SQLite's
        // defences for files from elsewhere); the connection gets its own settings back.
        m_antes = defiendeConexion(db);
        m_defensas = db;
        QSqlQuery a(m_db);
        a.prepare(QStringLiteral("ATTACH DATABASE ? AS %1").arg(QLatin1String(kEsquema)));
        a.addBindValue(uriOrigenSQLite(fichero));
        if (!a.exec())
            return fallo(TextoPropio("The database %1 cannot be opened: %2").arg(fichero, a.lastError().text()));
        m_adjunta = true;
        return {};
    }

    Resultado<QStringList> abreTabla(const QString &tabla) override
    {
        m_bloque.reset();
        Resultado<QStringList> columnas = OrigenSQLite::abreTabla(tabla);
        if (columnas) {
            m_tabla = tabla;
            m_columnasTabla = *columnas;
        }
        return columnas;
    }

    bool copiaDirecta(const CopiaTabla &c) override
    {
        // The hidden row number, by a name no real column takes.
        m_numero.clear();
        for (const char *n : {"_rowid_", "rowid", "oid"}) {
            if (!m_columnasTabla.contains(QLatin1String(n), Qt::CaseInsensitive)) {
                m_numero = QLatin1String(n);
                break;
            }
        }
        if (m_numero.isEmpty() || c.columnasOrigen.isEmpty())
            return false;
        // A table without row numbers (WITHOUT ROWID) has none of them either.
        QSqlQuery prueba(m_db);
        if (!prueba.exec(QStringLiteral("SELECT %1 FROM %2 LIMIT 0").arg(m_numero, nombre(m_tabla))))
            return false;
        prueba.finish();

        QStringList origen, destino, leidas, claves;
        for (int i = 0; i < c.columnasOrigen.size(); ++i) {
            origen << Database::quoteIdentifier(c.columnasOrigen.at(i));
            destino << Database::quoteIdentifier(c.columnasDestino.at(i));
            leidas << enBytes(origen.last());
            if (c.clave.at(i))
                claves << destino.last();
        }
        const QString tabla = nombre(m_tabla);
        // A row whose key is stored already is not written; the conflict's test counts,
        // without writing, those whose key an earlier row of this source stored (a row
        // number above the destination's last before the copy).
        const QString conflicto =
            claves.isEmpty()
                ? QStringLiteral("ON CONFLICT DO NOTHING")
                : QStringLiteral("ON CONFLICT (%1) DO UPDATE SET %2 = d.%2 WHERE %3(d.rowid > %4)")
                      .arg(claves.join(QLatin1Char(',')), claves.first(), QLatin1String(kRepetida),
                           QString::number(c.ultimaFila));
        const QString sql =
            QStringLiteral("INSERT INTO main.%1 AS d (%2) SELECT %3 FROM %4 WHERE %5 >= ? AND %5 <= ? AND %6(%3) %7")
                .arg(Database::quoteIdentifier(c.destino), destino.join(QLatin1Char(',')), origen.join(QLatin1Char(',')),
                     tabla, m_numero, QLatin1String(kFuncion), conflicto);
        // The rows of a block that need the conversion; or all of them, after a refusal.
        const QString lista = origen.join(QLatin1Char(','));
        const QString bytes = leidas.join(QLatin1Char(','));
        m_malas = QStringLiteral("SELECT %1 FROM %2 WHERE %3 >= ? AND %3 <= ? AND NOT %4(%5) ORDER BY %3")
                      .arg(bytes, tabla, m_numero, QLatin1String(kFuncion), lista);
        m_todas = QStringLiteral("SELECT %1 FROM %2 WHERE %3 >= ? AND %3 <= ? ORDER BY %3").arg(bytes, tabla, m_numero);

        m_limite = QStringLiteral("SELECT count(*), max(k) FROM (SELECT %1 AS k FROM %2 WHERE %1 >= ? ORDER BY %1 "
                                  "LIMIT %3)")
                       .arg(m_numero, tabla, QString::number(kFilasPorBloque));
        auto q = std::make_unique<QSqlQuery>(m_db);
        if (!q->prepare(sql))
            return false;
        OrigenSQLite::cierraTabla();
        m_bloque = std::move(q);
        m_recuento.formas = c.formas;
        m_recuento.clave = c.clave;
        m_desde = std::numeric_limits<qint64>::min();
        m_fin = false;
        return true;
    }

    Resultado<bool> siguienteBloque(Bloque *b) override
    {
        OrigenSQLite::cierraTabla();
        if (!m_bloque || m_fin)
            return false;
        *b = Bloque();
        // The block's rows and its last row number: a walk of the row numbers alone.
        qint64 hasta = 0;
        {
            QSqlQuery q(m_db);
            q.prepare(m_limite);
            q.addBindValue(m_desde);
            if (!q.exec() || !q.next())
                return fallo(q.lastError().text());
            b->filas = q.value(0).toLongLong();
            if (b->filas == 0)
                return false;
            hasta = q.value(1).toLongLong();
        }
        m_recuento.buenas = 0;
        m_recuento.repetidas = 0;
        m_bloque->bindValue(0, m_desde);
        m_bloque->bindValue(1, hasta);
        QString lectura;
        if (m_bloque->exec()) {
            b->anadidas = m_bloque->numRowsAffected();
            b->repetidas = m_recuento.repetidas;
            b->duplicadas = m_recuento.buenas - b->anadidas - b->repetidas;
            if (m_recuento.buenas < b->filas)
                lectura = m_malas;
        } else if (esFalloDeFichero(m_bloque->lastError())) {
            return fallo(m_bloque->lastError().text());
        } else {
            // A row the destination refuses undoes the whole statement: the block goes
            // row by row, each refusal with its reason.
            lectura = m_todas;
        }
        m_bloque->finish();
        if (!lectura.isEmpty()) {
            auto q = std::make_unique<QSqlQuery>(m_db);
            q->setForwardOnly(true);
            q->prepare(lectura);
            q->addBindValue(m_desde);
            q->addBindValue(hasta);
            if (!q->exec())
                return fallo(q->lastError().text());
            leeDe(std::move(q));
        }
        m_fin = b->filas < kFilasPorBloque || hasta == std::numeric_limits<qint64>::max();
        m_desde = m_fin ? hasta : hasta + 1;
        return true;
    }

    void cierraTabla() override
    {
        m_bloque.reset();
        OrigenSQLite::cierraTabla();
    }

private:
    sqlite3 *m_funcion = nullptr;
    bool m_adjunta = false;
    QString m_tabla;
    QStringList m_columnasTabla;
    QString m_numero;
    QString m_malas, m_todas, m_limite;
    sqlite3 *m_defensas = nullptr;
    DefensasSQLite m_antes; // the connection's own defences, given back at the end
    std::unique_ptr<QSqlQuery> m_bloque;
    Recuento m_recuento;
    qint64 m_desde = 0;
    bool m_fin = false;
};

} // namespace

std::unique_ptr<Origen> creaOrigenAdjunto(QSqlDatabase destino)
{
    return std::make_unique<OrigenAdjunto>(destino);
}

} // namespace slx::fusion
