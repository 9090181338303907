#include "import/ImportaBaseDatos.h"

#include "base/Database.h"
#include "base/TextoPropio.h"
#include "import/NombresDatos.h"
#include "import/OrigenFusion.h"
#include "import/TablasIntercambio.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <cmath>

namespace slx {

namespace {

using Database::quoteIdentifier;

// How many refusal reasons the summary keeps.
constexpr int kMaxMotivos = 10;
// Rows between two calls of the progress callback.
constexpr int kFilasPorAviso = 500;

// The stored form of a column, told by the prefix of its name.
enum class Clase { Entero, Real, Booleano, Fecha, Texto, Hora };

Clase claseDe(const QString &columna)
{
    // The times of the disabled intervals: one stored form, "hh:mm:ss", whoever writes them.
    if (columna == QLatin1String("THoraEmpiezaInt") || columna == QLatin1String("THoraTerminaInt"))
        return Clase::Hora;
    auto prefijo = [&](const char *p) {
        const QString s = QLatin1String(p);
        return columna.startsWith(s) && columna.size() > s.size() && columna.at(s.size()).isUpper();
    };
    if (columna == QLatin1String("CMI") || prefijo("Bo"))
        return Clase::Booleano;
    if (prefijo("By") || prefijo("L") || prefijo("I"))
        return Clase::Entero;
    if (prefijo("S"))
        return Clase::Real;
    if (prefijo("D"))
        return Clase::Fecha;
    return Clase::Texto;
}

// The base day of the original program's times of day.
const QDate kDiaBase(1899, 12, 30);

QString textoHora(const QTime &t)
{
    return t.toString(t.second() ? QStringLiteral("hh:mm:ss") : QStringLiteral("hh:mm"));
}

bool numero(const QVariant &v, double *out)
{
    switch (v.typeId()) {
    case QMetaType::Bool: *out = v.toBool() ? -1 : 0; return true;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float: *out = v.toDouble(); return std::isfinite(*out);
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        // Numbers written as text are read in the C form, never the regional one.
        bool ok = false;
        *out = v.toString().trimmed().toDouble(&ok);
        return ok && std::isfinite(*out);
    }
    default: return false;
    }
}

// Converts a source value to the stored form of the destination column; false with a
// reason when it cannot be stored there.
bool convierte(const QVariant &v, Clase clase, QVariant *out, QString *motivo)
{
    if (v.isNull()) {
        *out = QVariant();
        return true;
    }
    double d = 0;
    switch (clase) {
    case Clase::Entero:
        if (!numero(v, &d) || d != std::floor(d) || std::fabs(d) > 9.0e15) {
            *motivo = TextoPropio("\"%1\" is not a whole number").arg(v.toString());
            return false;
        }
        *out = qlonglong(d);
        return true;
    case Clase::Real:
        if (!numero(v, &d)) {
            *motivo = TextoPropio("\"%1\" is not a number").arg(v.toString());
            return false;
        }
        *out = d;
        return true;
    case Clase::Booleano:
        if (!numero(v, &d)) {
            *motivo = TextoPropio("\"%1\" is not a yes/no value").arg(v.toString());
            return false;
        }
        *out = d != 0 ? -1 : 0;
        return true;
    case Clase::Fecha: {
        QDate fecha;
        if (v.typeId() == QMetaType::QDateTime)
            fecha = v.toDateTime().date();
        else if (v.typeId() == QMetaType::QDate)
            fecha = v.toDate();
        else if (v.typeId() == QMetaType::QString) {
            const QString s = v.toString().trimmed();
            fecha = QDate::fromString(s.left(10), QStringLiteral("yyyy-MM-dd"));
            const QString resto = s.mid(10).trimmed();
            if (!resto.isEmpty() && resto != QLatin1String("00:00:00") && !resto.startsWith(QLatin1Char('T')))
                fecha = QDate();
        }
        if (!fecha.isValid()) {
            *motivo = TextoPropio("\"%1\" is not a date").arg(v.toString());
            return false;
        }
        *out = fecha.toString(QStringLiteral("yyyy-MM-dd"));
        return true;
    }
    case Clase::Hora: {
        QTime hora;
        if (v.typeId() == QMetaType::QDateTime)
            hora = v.toDateTime().time();
        else if (v.typeId() == QMetaType::QTime)
            hora = v.toTime();
        else if (v.typeId() == QMetaType::QString) {
            // "hh:mm", "hh:mm:ss", or a date-time text whose time part is the value.
            QString s = v.toString().trimmed();
            if (s.size() > 8) {
                const qsizetype sep = s.lastIndexOf(QRegularExpression(QStringLiteral("[ T]")));
                s = sep > 0 ? s.mid(sep + 1) : QString();
            }
            hora = QTime::fromString(s, s.size() > 5 ? QStringLiteral("H:mm:ss") : QStringLiteral("H:mm"));
        }
        if (!hora.isValid()) {
            *motivo = TextoPropio("\"%1\" is not a time of day").arg(v.toString());
            return false;
        }
        *out = hora.toString(QStringLiteral("hh:mm:ss"));
        return true;
    }
    case Clase::Texto:
        if (v.typeId() == QMetaType::QDateTime) {
            // A date/time column of the original that holds a time of day only.
            const QDateTime dt = v.toDateTime();
            *out = dt.date() == kDiaBase ? textoHora(dt.time()) : dt.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        } else if (v.typeId() == QMetaType::Bool) {
            *out = v.toBool() ? QStringLiteral("-1") : QStringLiteral("0");
        } else {
            *out = v.toString();
        }
        return true;
    }
    return false;
}

// An SQL condition true when the column c of a row already holds the stored form of
// its class (so that the row needs no conversion).
QString enFormaGuardada(const QString &c, Clase clase)
{
    QString cond;
    switch (clase) {
    case Clase::Entero: cond = QStringLiteral("typeof(%1) IN ('integer','null')"); break;
    case Clase::Real: cond = QStringLiteral("typeof(%1) IN ('real','integer','null')"); break;
    case Clase::Booleano: cond = QStringLiteral("(%1 IS NULL OR (typeof(%1) = 'integer' AND %1 IN (-1, 0)))"); break;
    case Clase::Fecha:
        cond = QStringLiteral("(%1 IS NULL OR (typeof(%1) = 'text' AND length(%1) = 10 AND date(%1) = %1))");
        break;
    case Clase::Texto: cond = QStringLiteral("typeof(%1) IN ('text','null')"); break;
    case Clase::Hora:
        cond = QStringLiteral("(%1 IS NULL OR (typeof(%1) = 'text' AND length(%1) = 8 AND time(%1) = %1))");
        break;
    }
    return QStringLiteral("IFNULL(") + cond.arg(c) + QStringLiteral(", 0)");
}

// A failure of the file rather than of the row: the table cannot be read further.
bool esFalloDeFichero(const QSqlError &e)
{
    // SQLITE_IOERR, SQLITE_CORRUPT, SQLITE_NOTADB, SQLITE_FULL, SQLITE_READONLY, SQLITE_CANTOPEN.
    const int code = e.nativeErrorCode().toInt() & 0xFF;
    return code == 10 || code == 11 || code == 26 || code == 13 || code == 8 || code == 14;
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

// Rows of the bulk copy per statement, so that the window is repainted between two.
constexpr qint64 kFilasPorBloque = 20000;

bool esDuplicado(const QSqlError &e)
{
    // ON CONFLICT DO NOTHING already drops rows whose key exists; this covers a
    // uniqueness failure it does not reach.
    const QString t = e.databaseText();
    return t.contains(QLatin1String("UNIQUE constraint failed")) ||
           t.contains(QLatin1String("PRIMARY KEY constraint failed"));
}

} // namespace

TipoBaseDatos tipoBaseDatos(const QString &fichero)
{
    QFile f(fichero);
    if (!f.open(QIODevice::ReadOnly))
        return TipoBaseDatos::Ninguno;
    const QByteArray head = f.read(32);
    if (head.startsWith(QByteArray("SQLite format 3\0", 16)))
        return TipoBaseDatos::SQLite;
    if (head.mid(4, 15) == QByteArray("Standard Jet DB"))
        return TipoBaseDatos::Access;
    return TipoBaseDatos::Ninguno;
}

QString ResultadoFusion::resumen() const
{
    if (!empezada())
        return error;
    QStringList lines;
    lines << TextoPropio("Rows added: %1").arg(anadidas);
    lines << TextoPropio("Rows already in the database (skipped): %1").arg(duplicadas);
    if (rechazadas)
        lines << TextoPropio("Rows refused: %1").arg(rechazadas) + QLatin1Char('\n') + motivos.join(QLatin1Char('\n'));
    if (!tablasOmitidas.isEmpty())
        lines << TextoPropio("Tables this database does not have (not imported): %1")
                     .arg(tablasOmitidas.join(QLatin1String(", ")));
    if (!tablasIlegibles.isEmpty())
        lines << TextoPropio("Tables that could not be read whole:") + QLatin1Char('\n') +
                     tablasIlegibles.join(QLatin1Char('\n'));
    return lines.join(QLatin1Char('\n'));
}

ResultadoFusion ImportaBaseDatos(const QString &origen, QSqlDatabase destino, const std::function<void()> &progreso)
{
    ResultadoFusion r;
    if (origen.isEmpty()) {
        r.error = TextoPropio("No database was chosen to import.");
        return r;
    }
    if (!QFile::exists(origen)) {
        r.error = TextoPropio("The file %1 does not exist.").arg(origen);
        return r;
    }
    std::unique_ptr<fusion::Origen> fuente;
    switch (tipoBaseDatos(origen)) {
    case TipoBaseDatos::SQLite: fuente = fusion::creaOrigenSQLite(); break;
    case TipoBaseDatos::Access: fuente = fusion::creaOrigenAccess(); break;
    case TipoBaseDatos::Ninguno:
        r.error = TextoPropio("The file %1 is not a database of this program nor of the original program, "
                              "or it is empty or damaged.")
                      .arg(origen);
        return r;
    }
    if (!destino.isOpen()) {
        r.error = TextoPropio("The program's database is not open.");
        return r;
    }
    QString why;
    QStringList tablas;
    if (!fuente->abre(origen, &why) || !fuente->tablas(&tablas, &why)) {
        r.error = why.contains(origen) ? why : TextoPropio("The database %1 cannot be read. %2").arg(origen, why);
        return r;
    }
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

    // A destination that cannot be written is told once, before the first table.
    {
        QSqlQuery prueba(destino);
        const bool escribe =
            destino.transaction() && prueba.exec(QStringLiteral("DELETE FROM \"Configuracion\" WHERE 0"));
        const QString motivo = prueba.lastError().isValid() ? prueba.lastError().text() : destino.lastError().text();
        prueba.finish();
        destino.rollback();
        if (!escribe) {
            r.error = TextoPropio("The program's database cannot be written: %1").arg(motivo);
            return r;
        }
    }

    // The destination's tables by name, letter case ignored.
    QHash<QString, QString> destinos;
    for (const QString &t : destino.tables())
        destinos.insert(t.toLower(), t);

    // A source of this program is also attached, read-only, to the
    // destination's connection (when that connection takes file URIs).
    bool adjunta = false;
    if (tipoBaseDatos(origen) == TipoBaseDatos::SQLite &&
        destino.connectOptions().contains(QLatin1String("QSQLITE_OPEN_URI"))) {
        QSqlQuery a(destino);
        a.prepare(QStringLiteral("ATTACH DATABASE ? AS slx_origen"));
        a.addBindValue(fusion::uriOrigenSQLite(origen));
        adjunta = a.exec();
    }

    int sinAviso = 0;
    for (const QString &tabla : tablas) {
        if (tabla.compare(QLatin1String("Configuracion"), Qt::CaseInsensitive) == 0)
            continue;
        const QString nombreDestino = destinos.value(tabla.toLower());
        if (nombreDestino.isEmpty()) {
            // Not a loss: the program keeps no such data.
            r.tablasOmitidas << tabla;
            continue;
        }
        QStringList columnasOrigen;
        if (!fuente->abreTabla(tabla, &columnasOrigen, &why)) {
            r.tablasIlegibles << nombreTabla(tabla) + QLatin1String(": ") + why;
            continue;
        }

        // Destination columns that have a source column of the same name.
        const QSqlRecord rec = destino.record(nombreDestino);
        QVector<int> indiceOrigen;
        QVector<Clase> clases;
        QStringList nombres;
        QStringList columnas;
        for (int i = 0; i < rec.count(); ++i) {
            const QString col = rec.fieldName(i);
            for (int j = 0; j < columnasOrigen.size(); ++j) {
                if (columnasOrigen.at(j).compare(col, Qt::CaseInsensitive) == 0) {
                    indiceOrigen << j;
                    clases << claseDe(col);
                    nombres << quoteIdentifier(col);
                    columnas << col;
                    break;
                }
            }
        }
        // The key columns: a row without one of them is refused, never stored with a
        // made-up key (an empty serial number would become a new device).
        const QStringList claves = clavesDe(nombreDestino);
        QStringList clavesAusentes;
        QVector<int> indiceClave;
        for (const QString &k : claves) {
            const int i = int(columnas.indexOf(k));
            if (i < 0)
                clavesAusentes << k;
            else
                indiceClave << i;
        }
        if (nombres.isEmpty()) {
            r.tablasOmitidas << tabla;
            fuente->cierraTabla();
            continue;
        }
        QStringList marks;
        for (int i = 0; i < nombres.size(); ++i)
            marks << QStringLiteral("?");
        QSqlQuery insert(destino);
        const QString sql =
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) ON CONFLICT DO NOTHING")
                .arg(quoteIdentifier(nombreDestino), nombres.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        if (!insert.prepare(sql)) {
            r.tablasIlegibles << nombreTabla(tabla) + QLatin1String(": ") + insert.lastError().text();
            fuente->cierraTabla();
            continue;
        }

        // One transaction per table: the rows stored stay when a later table fails.
        const bool enTransaccion = destino.transaction();
        QVector<QVariant> fila;
        QVector<QVariant> valores(nombres.size());
        why.clear();
        const qint64 anadidasAntes = r.anadidas;
        const qint64 duplicadasAntes = r.duplicadas;

        // Another database of this program is read through the destination's own
        // connection: the rows already in their stored forms are copied by blocks of
        // rows, and only the others go through the conversion one by one.
        std::function<bool(QVector<QVariant> *, QString *)> siguiente;
        QVector<int> indices = indiceOrigen;
        std::unique_ptr<QSqlQuery> lectura;
        if (adjunta && clavesAusentes.isEmpty()) {
            fuente->cierraTabla();
            QStringList origenes, condiciones;
            for (int k = 0; k < indiceOrigen.size(); ++k) {
                const QString c = quoteIdentifier(columnasOrigen.at(indiceOrigen.at(k)));
                origenes << c;
                condiciones << enFormaGuardada(c, clases.at(k));
            }
            for (int k : indiceClave)
                condiciones << quoteIdentifier(columnasOrigen.at(indiceOrigen.at(k))) + QStringLiteral(" IS NOT NULL");
            const QString desde = QStringLiteral(" FROM slx_origen.") + quoteIdentifier(tabla);
            const QString bien = condiciones.join(QLatin1String(" AND "));
            QString resto = QStringLiteral("1");
            QSqlQuery q(destino);
            qint64 desdeId = 0, hastaId = -1;
            bool porFilas = true;
            if (q.exec(QStringLiteral("SELECT min(rowid), max(rowid)") + desde) && q.next()) {
                desdeId = q.value(0).toLongLong();
                hastaId = q.value(1).isNull() ? desdeId - 1 : q.value(1).toLongLong();
            } else {
                porFilas = false;
            }
            q.finish();
            if (porFilas) {
                // Blocks of rowids; a block whose statement is refused goes row by row.
                QStringList fallidos;
                bool ilegible = false;
                for (qint64 a = desdeId; a <= hastaId && !ilegible; a += kFilasPorBloque) {
                    const qint64 b = std::min(hastaId, a + kFilasPorBloque - 1);
                    const QString rango = QStringLiteral(" rowid BETWEEN %1 AND %2").arg(a).arg(b);
                    qint64 total = -1;
                    if (q.exec(QStringLiteral("SELECT COUNT(*)") + desde + QStringLiteral(" WHERE") + rango +
                               QStringLiteral(" AND ") + bien) &&
                        q.next())
                        total = q.value(0).toLongLong();
                    if (total < 0 && esFalloDeFichero(q.lastError())) {
                        why = q.lastError().text();
                        ilegible = true;
                        break;
                    }
                    q.finish();
                    if (total >= 0 && q.exec(QStringLiteral("INSERT INTO %1 (%2) SELECT %3")
                                                 .arg(quoteIdentifier(nombreDestino), nombres.join(QLatin1Char(',')),
                                                      origenes.join(QLatin1Char(','))) +
                                             desde + QStringLiteral(" WHERE") + rango + QStringLiteral(" AND ") + bien +
                                             QStringLiteral(" ON CONFLICT DO NOTHING"))) {
                        const qint64 nuevas = q.numRowsAffected();
                        r.anadidas += nuevas;
                        r.duplicadas += total - nuevas;
                        fallidos << QStringLiteral("(") + rango + QStringLiteral(" AND NOT (") + bien +
                                        QStringLiteral("))");
                    } else if (esFalloDeFichero(q.lastError())) {
                        why = q.lastError().text();
                        ilegible = true;
                    } else {
                        // A refusal of one row undoes the whole statement: the block goes row by row.
                        fallidos << QStringLiteral("(") + rango + QLatin1Char(')');
                    }
                    q.finish();
                    if (progreso)
                        progreso();
                }
                resto = ilegible ? QStringLiteral("0")
                                 : (fallidos.isEmpty() ? QStringLiteral("0") : fallidos.join(QStringLiteral(" OR ")));
            }
            lectura = std::make_unique<QSqlQuery>(destino);
            lectura->setForwardOnly(true);
            if (why.isEmpty() && !lectura->exec(QStringLiteral("SELECT ") + origenes.join(QLatin1Char(',')) + desde +
                                                QStringLiteral(" WHERE ") + resto))
                why = lectura->lastError().text();
            for (int k = 0; k < indices.size(); ++k)
                indices[k] = k;
            const int n = int(origenes.size());
            siguiente = [&lectura, n](QVector<QVariant> *f, QString *e) {
                if (!e->isEmpty() || !lectura->isActive() || !lectura->next()) {
                    if (lectura->lastError().isValid() && e->isEmpty())
                        *e = lectura->lastError().text();
                    return false;
                }
                f->resize(n);
                for (int c = 0; c < n; ++c)
                    (*f)[c] = lectura->value(c);
                return true;
            };
        } else {
            siguiente = [&fuente](QVector<QVariant> *f, QString *e) { return fuente->siguienteFila(f, e); };
        }

        while (siguiente(&fila, &why)) {
            bool ok = true;
            QString motivo;
            if (!clavesAusentes.isEmpty()) {
                ok = false;
                motivo = TextoPropio("the key column %1 is empty").arg(nombreColumna(clavesAusentes.first()));
            }
            for (int k = 0; k < indices.size() && ok; ++k) {
                const int j = indices.at(k);
                ok = convierte(j < fila.size() ? fila.at(j) : QVariant(), clases.at(k), &valores[k], &motivo);
                if (!ok)
                    motivo = nombreColumna(columnas.at(k)) + QLatin1String(": ") + motivo;
            }
            for (int k = 0; k < indiceClave.size() && ok; ++k) {
                if (valores.at(indiceClave.at(k)).isNull()) {
                    ok = false;
                    motivo =
                        TextoPropio("the key column %1 is empty").arg(nombreColumna(columnas.at(indiceClave.at(k))));
                }
            }
            if (ok) {
                for (int k = 0; k < valores.size(); ++k)
                    insert.bindValue(k, valores.at(k));
                if (insert.exec()) {
                    if (insert.numRowsAffected() > 0)
                        ++r.anadidas;
                    else
                        ++r.duplicadas;
                } else if (esDuplicado(insert.lastError())) {
                    ++r.duplicadas;
                } else if (esFalloDeFichero(insert.lastError())) {
                    // A damaged page is the table's failure, not one refusal per row.
                    why = insert.lastError().text();
                    break;
                } else {
                    ok = false;
                    motivo = insert.lastError().databaseText();
                }
            }
            if (!ok) {
                ++r.rechazadas;
                if (r.motivos.size() < kMaxMotivos)
                    r.motivos << nombreTabla(tabla) + QLatin1String(": ") + motivo;
            }
            if (progreso && ++sinAviso >= kFilasPorAviso) {
                sinAviso = 0;
                progreso();
            }
        }
        if (!why.isEmpty())
            r.tablasIlegibles << nombreTabla(tabla) + QLatin1String(": ") + why;
        lectura.reset();
        fuente->cierraTabla();
        insert.finish();
        if (enTransaccion && !destino.commit()) {
            destino.rollback();
            r.anadidas = anadidasAntes;
            r.duplicadas = duplicadasAntes;
            r.tablasIlegibles << nombreTabla(tabla) + QLatin1String(": ") + destino.lastError().text();
        }
        if (progreso)
            progreso();
    }
    if (adjunta) {
        QSqlQuery d(destino);
        d.exec(QStringLiteral("DETACH DATABASE slx_origen"));
    }
    return r;
}

} // namespace slx
