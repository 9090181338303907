#include "import/CarregaCsv.h"

#include "base/Database.h"
#include "base/TextoPropio.h"

#include <QDate>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QTime>
#include <charconv>
#include <cmath>
#include <limits>

namespace slx {

using namespace intercambio;

namespace {

using Database::quoteIdentifier;

// How many refusal reasons the summary keeps.
constexpr int kMaxMotivos = 20;
// Interval between two progress calls; the rows written are committed at each.
constexpr qint64 kMsAviso = 50;

QByteArrayView recorta(QByteArrayView v)
{
    while (!v.isEmpty() && (v.front() == ' ' || v.front() == '\t'))
        v = v.sliced(1);
    while (!v.isEmpty() && (v.back() == ' ' || v.back() == '\t'))
        v.chop(1);
    return v;
}

bool entero(QByteArrayView v, qint64 minimo, qint64 maximo, qint64 *out)
{
    v = recorta(v);
    if (!v.isEmpty() && v.front() == '+')
        v = v.sliced(1);
    long long n = 0;
    const auto r = std::from_chars(v.data(), v.data() + v.size(), n);
    if (v.isEmpty() || r.ec != std::errc() || r.ptr != v.data() + v.size() || n < minimo || n > maximo)
        return false;
    *out = n;
    return true;
}

// A Single: "." or "," as the decimal mark, kept as the shortest decimal that reads back
// as the same Single.
bool single(QByteArrayView v, double *out)
{
    v = recorta(v);
    char buf[64];
    if (v.isEmpty() || v.size() >= qsizetype(sizeof buf))
        return false;
    int comas = 0;
    qsizetype n = 0;
    for (char c : v) {
        if (c == ',') {
            c = '.';
            ++comas;
        }
        buf[n++] = c;
    }
    if (comas > 1 || (comas == 1 && v.contains('.')))
        return false;
    const char *inicio = buf[0] == '+' ? buf + 1 : buf;
    float f = 0;
    const auto r = std::from_chars(inicio, buf + n, f);
    if (r.ec != std::errc() || r.ptr != buf + n || !std::isfinite(f))
        return false;
    const auto w = std::to_chars(buf, buf + sizeof buf, f);
    double d = f;
    std::from_chars(buf, w.ptr, d);
    *out = d;
    return true;
}

bool siNo(QByteArrayView v, int *out)
{
    v = recorta(v);
    qint64 n = 0;
    if (entero(v, std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max(), &n)) {
        *out = n ? -1 : 0;
        return true;
    }
    const QByteArray t = v.toByteArray().toLower();
    if (t == "true" || t == "yes") {
        *out = -1;
        return true;
    }
    if (t == "false" || t == "no") {
        *out = 0;
        return true;
    }
    return false;
}

int digitos(QByteArrayView v, qsizetype pos, int n)
{
    if (pos + n > v.size())
        return -1;
    int r = 0;
    for (int i = 0; i < n; ++i) {
        const char c = v.at(pos + i);
        if (c < '0' || c > '9')
            return -1;
        r = r * 10 + (c - '0');
    }
    return r;
}

// "h:mm", "hh:mm" or "hh:mm:ss".
bool hora(QByteArrayView v, QTime *out)
{
    v = recorta(v);
    const qsizetype dos = v.indexOf(':');
    if (dos < 1 || dos > 2)
        return false;
    const int h = digitos(v, 0, int(dos));
    const int m = digitos(v, dos + 1, 2);
    int s = 0;
    const qsizetype resto = dos + 3;
    if (resto != v.size()) {
        if (resto + 3 != v.size() || v.at(resto) != ':')
            return false;
        s = digitos(v, resto + 1, 2);
    }
    if (h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59)
        return false;
    *out = QTime(h, m, s);
    return true;
}

struct FechaLeida {
    QDate fecha;
    QTime hora;
    bool cero = false; // "0000-00-00": no date
    bool conHora = false;
};

// "yyyy-mm-dd" or "yyyy/mm/dd", optionally followed by a blank (or "T") and a time.
// No time zone: the values are taken as they are written.
bool fecha(QByteArrayView v, FechaLeida *out)
{
    v = recorta(v);
    if (v.size() < 10)
        return false;
    const char sep = v.at(4);
    if ((sep != '-' && sep != '/') || v.at(7) != sep)
        return false;
    const int y = digitos(v, 0, 4), m = digitos(v, 5, 2), d = digitos(v, 8, 2);
    if (y < 0 || m < 0 || d < 0)
        return false;
    *out = FechaLeida();
    if (y == 0 && m == 0 && d == 0) {
        out->cero = true;
    } else {
        out->fecha = QDate(y, m, d);
        if (!out->fecha.isValid())
            return false;
    }
    out->hora = QTime(0, 0);
    if (v.size() == 10)
        return true;
    if (v.at(10) != ' ' && v.at(10) != 'T')
        return false;
    out->conHora = true;
    return hora(v.sliced(11), &out->hora);
}

QString fechaDma(const QDate &d);

// A date written as text: "dd/mm/yyyy", "dd/mm/yy" or year first.
bool fechaTexto(QByteArrayView v, QString *out)
{
    v = recorta(v);
    FechaLeida f;
    if (fecha(v, &f)) {
        *out = f.cero ? QStringLiteral("00/00/0000") : fechaDma(f.fecha);
        return true;
    }
    if ((v.size() != 10 && v.size() != 8) || v.at(2) != '/' || v.at(5) != '/')
        return false;
    const int d = digitos(v, 0, 2), m = digitos(v, 3, 2);
    int y = digitos(v, 6, int(v.size()) - 6);
    if (d < 0 || m < 0 || y < 0)
        return false;
    if (d == 0 && m == 0 && y == 0) {
        *out = QStringLiteral("00/00/0000");
        return true;
    }
    if (v.size() == 8)
        y += y < 30 ? 2000 : 1900;
    const QDate date(y, m, d);
    if (!date.isValid())
        return false;
    *out = fechaDma(date);
    return true;
}

// Texts of dates and times written digit by digit (no pattern parsing per row).
void pon(char *p, int n, int digitos)
{
    for (int i = digitos - 1; i >= 0; --i, n /= 10)
        p[i] = char('0' + n % 10);
}

QString dosDigitos(int n)
{
    char b[2];
    pon(b, n, 2);
    return QString::fromLatin1(b, 2);
}

QString horaCorta(const QTime &t)
{
    char b[5] = {0, 0, ':', 0, 0};
    pon(b, t.hour(), 2);
    pon(b + 3, t.minute(), 2);
    return QString::fromLatin1(b, 5);
}

QString horaLarga(const QTime &t)
{
    char b[8] = {0, 0, ':', 0, 0, ':', 0, 0};
    pon(b, t.hour(), 2);
    pon(b + 3, t.minute(), 2);
    pon(b + 6, t.second(), 2);
    return QString::fromLatin1(b, 8);
}

QString fechaIso(const QDate &d)
{
    char b[10] = {0, 0, 0, 0, '-', 0, 0, '-', 0, 0};
    pon(b, d.year(), 4);
    pon(b + 5, d.month(), 2);
    pon(b + 8, d.day(), 2);
    return QString::fromLatin1(b, 10);
}

QString fechaDma(const QDate &d)
{
    char b[10] = {0, 0, '/', 0, 0, '/', 0, 0, 0, 0};
    pon(b, d.day(), 2);
    pon(b + 3, d.month(), 2);
    pon(b + 6, d.year(), 4);
    return QString::fromLatin1(b, 10);
}

// One table's statement and the positions it needs.
struct Escritura {
    const Tabla *tabla = nullptr;
    QStringList columnas;   // destination columns, in binding order
    QVector<int> destinoDe; // for each table column, its first destination column
    QVector<int> claves;    // destination columns of the database key
    QVector<int> finales;   // key columns of the file that are not the database's (the end)
    QSqlQuery escribe;
    QSqlQuery finalGuardado;
};

bool prepara(QSqlDatabase db, const Tabla &t, Escritura *e, QString *error)
{
    e->tabla = &t;
    e->columnas.clear();
    e->destinoDe.clear();
    QVector<bool> enClave;
    for (const Columna &c : t.columnas) {
        e->destinoDe << int(e->columnas.size());
        e->columnas << QLatin1String(c.nombre);
        enClave << c.clave;
        if (c.conversion == Conversion::FechaYHora) {
            e->columnas << QLatin1String(c.segunda);
            enClave << c.clave;
        }
    }
    QStringList nombres, marcas, cambios, iguales, finales, dondeClave;
    const QString tabla = quoteIdentifier(QLatin1String(t.nombre));
    for (int i = 0; i < e->columnas.size(); ++i) {
        const QString q = quoteIdentifier(e->columnas.at(i));
        nombres << q;
        marcas << QStringLiteral("?");
        bool deLaBase = false;
        for (const char *k : t.claveBase)
            deLaBase = deLaBase || e->columnas.at(i) == QLatin1String(k);
        if (deLaBase) {
            e->claves << i;
            dondeClave << q + QStringLiteral(" = ?");
        } else if (enClave.at(i)) {
            e->finales << i;
            finales << tabla + QLatin1Char('.') + q + QStringLiteral(" IS excluded.") + q;
        } else {
            cambios << q + QStringLiteral(" = excluded.") + q;
            iguales << tabla + QLatin1Char('.') + q + QStringLiteral(" IS excluded.") + q;
        }
    }
    QStringList claveBase;
    for (const char *k : t.claveBase)
        claveBase << quoteIdentifier(QLatin1String(k));
    QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) ON CONFLICT (%4) ")
                      .arg(tabla, nombres.join(u','), marcas.join(u','), claveBase.join(u','));
    if (t.siExiste == SiExiste::NadaSeEscribe) {
        sql += QStringLiteral("DO NOTHING");
    } else {
        QStringList condicion = finales;
        condicion << QStringLiteral("NOT (") + iguales.join(QStringLiteral(" AND ")) + QLatin1Char(')');
        sql += QStringLiteral("DO UPDATE SET ") + cambios.join(u',') + QStringLiteral(" WHERE ") +
               condicion.join(QStringLiteral(" AND "));
    }
    e->escribe = QSqlQuery(db);
    if (!e->escribe.prepare(sql)) {
        *error = e->escribe.lastError().text();
        return false;
    }
    if (t.siExiste != SiExiste::NadaSeEscribe) {
        QStringList sel = {QStringLiteral("1")};
        for (int i : e->finales)
            sel << quoteIdentifier(e->columnas.at(i));
        e->finalGuardado = QSqlQuery(db);
        e->finalGuardado.setForwardOnly(true);
        if (!e->finalGuardado.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                                          .arg(sel.join(u','), tabla, dondeClave.join(QStringLiteral(" AND "))))) {
            *error = e->finalGuardado.lastError().text();
            return false;
        }
    }
    return true;
}

// Reads the fields of a row into the destination values; false with a reason.
bool valores(const LectorFilas &fila, const Seccion &s, const Escritura &e, QVector<QVariant> *out, QString *motivo)
{
    const QVector<Columna> &columnas = e.tabla->columnas;
    out->resize(e.columnas.size());
    for (int c = 0; c < columnas.size(); ++c) {
        const Columna &col = columnas.at(c);
        const int i = s.campoDe.at(c);
        const int d = e.destinoDe.at(c);
        const QByteArrayView campo = fila.campo(i);
        const QString nombre = QLatin1String(col.nombre);
        const bool texto = col.tipo == Tipo::Char || col.tipo == Tipo::Memo;
        const bool vacio = texto ? campo.isEmpty() && !fila.entreComillas(i) : recorta(campo).isEmpty();
        if (vacio) {
            if (col.clave) {
                *motivo = TextoPropio("the key column %1 is empty").arg(nombre);
                return false;
            }
            (*out)[d] = QVariant();
            if (col.conversion == Conversion::FechaYHora)
                (*out)[d + 1] = QVariant();
            continue;
        }
        const auto noEs = [&](const QString &que) {
            *motivo = que.arg(nombre, fila.texto(i));
            return false;
        };
        switch (col.tipo) {
        case Tipo::Integer:
        case Tipo::Short:
        case Tipo::Byte: {
            const qint64 minimo = col.tipo == Tipo::Byte ? 0 : col.tipo == Tipo::Short ? -32768 : -2147483648LL;
            const qint64 maximo = col.tipo == Tipo::Byte ? 255 : col.tipo == Tipo::Short ? 32767 : 2147483647LL;
            qint64 n = 0;
            if (!entero(campo, minimo, maximo, &n)) {
                *motivo = TextoPropio("%1: \"%2\" is not a whole number from %3 to %4")
                              .arg(nombre, fila.texto(i))
                              .arg(minimo)
                              .arg(maximo);
                return false;
            }
            if (nombre == QLatin1String("ByIntervalo") && (n < 1 || n > 30)) {
                *motivo = TextoPropio("%1: \"%2\" is not a whole number from %3 to %4")
                              .arg(nombre, fila.texto(i))
                              .arg(1)
                              .arg(30);
                return false;
            }
            (*out)[d] = n;
            break;
        }
        case Tipo::Bit: {
            int b = 0;
            if (!siNo(campo, &b))
                return noEs(TextoPropio("%1: \"%2\" is not a yes/no value"));
            (*out)[d] = b;
            break;
        }
        case Tipo::Single: {
            double v = 0;
            if (!single(campo, &v))
                return noEs(TextoPropio("%1: \"%2\" is not a number"));
            (*out)[d] = v;
            break;
        }
        case Tipo::Date: {
            FechaLeida f;
            QTime t;
            if (col.conversion == Conversion::HoraDelDia) {
                // A time of day, alone or after a date.
                if (!hora(campo, &t)) {
                    if (!fecha(campo, &f) || !f.conHora)
                        return noEs(TextoPropio("%1: \"%2\" is not a time"));
                    t = f.hora;
                }
                (*out)[d] = horaLarga(t);
                break;
            }
            if (!fecha(campo, &f))
                return noEs(TextoPropio("%1: \"%2\" is not a date"));
            if (col.conversion == Conversion::FechaYHora) {
                if (f.cero)
                    return noEs(TextoPropio("%1: \"%2\" is not a date"));
                (*out)[d] = fechaIso(f.fecha);
                (*out)[d + 1] = horaCorta(f.hora);
            } else {
                (*out)[d] = f.cero ? QVariant() : QVariant(fechaIso(f.fecha));
            }
            break;
        }
        case Tipo::Memo:
        case Tipo::Char: {
            QString v;
            switch (col.conversion) {
            case Conversion::HoraTexto: {
                QTime t;
                if (!hora(campo, &t))
                    return noEs(TextoPropio("%1: \"%2\" is not a time"));
                v = horaCorta(t);
                break;
            }
            case Conversion::FechaTexto:
                if (!fechaTexto(campo, &v))
                    return noEs(TextoPropio("%1: \"%2\" is not a date"));
                break;
            case Conversion::DiaCorto: {
                FechaLeida f;
                if (recorta(campo).size() != 10 || !fecha(campo, &f))
                    return noEs(TextoPropio("%1: \"%2\" is not a date"));
                v = f.cero ? QStringLiteral("00/00/00") : fechaDma(f.fecha).left(6) + dosDigitos(f.fecha.year() % 100);
                break;
            }
            default: v = fila.texto(i); break;
            }
            if (col.tipo == Tipo::Char && v.size() > col.ancho) {
                *motivo = TextoPropio("%1: \"%2\" is longer than %3 characters").arg(nombre, v).arg(col.ancho);
                return false;
            }
            (*out)[d] = v;
            break;
        }
        }
    }
    return true;
}

bool esRechazo(const QSqlError &e)
{
    // SQLITE_CONSTRAINT and SQLITE_MISMATCH, with their extended codes: the row's values.
    const int code = e.nativeErrorCode().toInt() & 0xFF;
    return code == 19 || code == 20;
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
                     .arg(t.tabla)
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
    if (!db.isOpen()) {
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
            r.motivos << TextoPropio("%1, line %2: %3").arg(s.tabla->nombre).arg(linea).arg(por);
    };

    bool sigue = true;
    QVector<QVariant> vals;
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
        Escritura e;
        QString why;
        if (!prepara(db, tabla, &e, &why)) {
            r.error =
                TextoPropio("The table %1 of the program's database cannot be written: %2").arg(cuenta.tabla, why);
            r.tablas << cuenta;
            break;
        }
        for (const Seccion &s : fichero.secciones()) {
            if (s.tabla != &tabla || !sigue)
                continue;
            ProgresoIntercambio progreso{cuenta.tabla, 0, s.filas};
            if (!(sigue = avisa(progreso)))
                break;
            LectorFilas fila(fichero, s);
            while (fila.siguiente()) {
                ++progreso.hechas;
                if (reloj.elapsed() >= proximo && !(sigue = avisa(progreso)))
                    break;
                QString por = fila.motivo();
                if (por.isEmpty() && fila.campos() != s.campos)
                    por = TextoPropio("%1 fields where the header names %2").arg(fila.campos()).arg(s.campos);
                else if (por.isEmpty())
                    valores(fila, s, e, &vals, &por);
                if (!por.isEmpty()) {
                    ++cuenta.rechazadas;
                    motivo(s, fila.linea(), por);
                    continue;
                }
                // Is the key stored, and with which end?
                bool guardada = false;
                QStringList finGuardado;
                bool mismoFinal = true;
                if (e.tabla->siExiste != SiExiste::NadaSeEscribe) {
                    for (int k = 0; k < e.claves.size(); ++k)
                        e.finalGuardado.bindValue(k, vals.at(e.claves.at(k)));
                    if (!e.finalGuardado.exec()) {
                        r.error = TextoPropio("The import stopped at line %1 (%2): %3")
                                      .arg(fila.linea())
                                      .arg(cuenta.tabla, e.finalGuardado.lastError().text());
                        sigue = false;
                        break;
                    }
                    if (e.finalGuardado.next()) {
                        guardada = true;
                        for (int k = 0; k < e.finales.size(); ++k) {
                            const QVariant v = e.finalGuardado.value(k + 1);
                            finGuardado << v.toString();
                            mismoFinal = mismoFinal && v.toString() == vals.at(e.finales.at(k)).toString();
                        }
                    }
                    e.finalGuardado.finish();
                }
                if (!mismoFinal) {
                    ++cuenta.rechazadas;
                    QStringList inicio;
                    for (int k : e.claves.mid(1))
                        inicio << vals.at(k).toString();
                    motivo(s, fila.linea(),
                           TextoPropio("the row that starts at %1 is stored with another end (%2)")
                               .arg(inicio.join(QLatin1Char(' ')), finGuardado.join(QLatin1Char(' '))));
                    continue;
                }
                for (int k = 0; k < vals.size(); ++k)
                    e.escribe.bindValue(k, vals.at(k));
                if (!e.escribe.exec()) {
                    const QSqlError err = e.escribe.lastError();
                    if (esRechazo(err)) {
                        ++cuenta.rechazadas;
                        motivo(s, fila.linea(), err.databaseText());
                        continue;
                    }
                    r.error = TextoPropio("The import stopped at line %1 (%2): %3")
                                  .arg(fila.linea())
                                  .arg(cuenta.tabla, err.text());
                    sigue = false;
                    break;
                }
                if (e.escribe.numRowsAffected() <= 0)
                    ++cuenta.iguales;
                else if (guardada)
                    ++cuenta.sobrescritas;
                else
                    ++cuenta.anadidas;
            }
            if (sigue)
                sigue = avisa(progreso);
        }
        e.escribe.finish();
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
