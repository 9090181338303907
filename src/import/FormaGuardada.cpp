#include "import/FormaGuardada.h"

#include "base/TextoCitado.h"
#include "base/TextoPropio.h"
#include "import/TablasIntercambio.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QTime>
#include <QSet>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <sqlite3.h>

namespace slx::fusion {

namespace {

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

int digitos(const unsigned char *p, int n)
{
    int v = 0;
    for (int i = 0; i < n; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return -1;
        v = v * 10 + (p[i] - '0');
    }
    return v;
}

// "yyyy-MM-dd" of a real day.
bool esFechaIso(const unsigned char *p, int n)
{
    if (n != 10 || p[4] != '-' || p[7] != '-')
        return false;
    const int y = digitos(p, 4), m = digitos(p + 5, 2), d = digitos(p + 8, 2);
    return y >= 0 && m >= 0 && d >= 0 && QDate::isValid(y, m, d);
}

// "hh:mm:ss" of a real time of day.
bool esHoraCompleta(const unsigned char *p, int n)
{
    if (n != 8 || p[2] != ':' || p[5] != ':')
        return false;
    const int h = digitos(p, 2), m = digitos(p + 3, 2), s = digitos(p + 6, 2);
    return h >= 0 && h < 24 && m >= 0 && m < 60 && s >= 0 && s < 60;
}

// "hh:mm" or "hh:mm:ss" of a real time of day.
bool esHoraTexto(const unsigned char *p, int n)
{
    if (n == 8)
        return esHoraCompleta(p, n);
    if (n != 5 || p[2] != ':')
        return false;
    const int h = digitos(p, 2), m = digitos(p + 3, 2);
    return h >= 0 && h < 24 && m >= 0 && m < 60;
}

// A time of an event date: a time of day, or the device clock's "hh:mm" reading of two
// digits each that is none.
bool esHoraEvento(const unsigned char *p, int n)
{
    if (esHoraTexto(p, n))
        return true;
    return n == 5 && p[2] == ':' && digitos(p, 2) >= 0 && digitos(p + 3, 2) >= 0;
}

// UTF-8 as the standard writes it (no overlong form, no surrogate, nothing past
// U+10FFFF) and without a NUL.
bool esTextoValido(const unsigned char *p, qint64 n)
{
    for (qint64 i = 0; i < n;) {
        const unsigned char c = p[i];
        if (c >= 0x01 && c < 0x80) {
            ++i;
            continue;
        }
        int extra = 0;
        unsigned minimo = 0, cp = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            minimo = 0x80;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            minimo = 0x800;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            minimo = 0x10000;
            cp = c & 0x07;
        } else {
            return false; // a NUL, a lone continuation byte or a byte UTF-8 never uses
        }
        if (n - i <= extra)
            return false;
        for (int k = 1; k <= extra; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if (cp < minimo || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

// A number a Single holds: finite and inside its range.
bool esSingle(double d)
{
    return std::isfinite(d) && std::fabs(d) <= double(FLT_MAX);
}

// The columns that hold a time of day as text: those the exchange file reads as times.
const QSet<QString> &horasTexto()
{
    static const QSet<QString> columnas = [] {
        QSet<QString> s;
        for (const intercambio::Tabla &t : intercambio::tablas()) {
            for (const intercambio::Columna &c : t.columnas) {
                if (c.conversion == intercambio::Conversion::HoraTexto)
                    s.insert(QLatin1String(c.nombre));
                else if (c.conversion == intercambio::Conversion::FechaYHora && c.segunda)
                    s.insert(QLatin1String(c.segunda));
            }
        }
        return s;
    }();
    return columnas;
}

// The columns that hold the time of an event date: those the exchange file reads so.
const QSet<QString> &horasEvento()
{
    static const QSet<QString> columnas = [] {
        QSet<QString> s;
        for (const intercambio::Tabla &t : intercambio::tablas())
            for (const intercambio::Columna &c : t.columnas)
                if (c.conversion == intercambio::Conversion::HoraEvento)
                    s.insert(QLatin1String(c.nombre));
        return s;
    }();
    return columnas;
}

bool enBlanco(const unsigned char *p, int n)
{
    for (int i = 0; i < n; ++i)
        if (!QChar::isSpace(p[i]))
            return false;
    return true;
}

} // namespace

Forma formaDe(const QString &columna)
{
    // The times of the disabled intervals: one stored form, "hh:mm:ss", whoever writes them.
    if (columna == QLatin1String("THoraEmpiezaInt") || columna == QLatin1String("THoraTerminaInt"))
        return Forma::Hora;
    if (horasTexto().contains(columna))
        return Forma::HoraTexto;
    if (horasEvento().contains(columna))
        return Forma::HoraEvento;
    auto prefijo = [&](const char *p) {
        const QString s = QLatin1String(p);
        return columna.startsWith(s) && columna.size() > s.size() && columna.at(s.size()).isUpper();
    };
    if (columna == QLatin1String("CMI") || prefijo("Bo"))
        return Forma::Booleano;
    if (prefijo("By") || prefijo("L") || prefijo("I"))
        return Forma::Entero;
    if (prefijo("S"))
        return Forma::Real;
    if (prefijo("D"))
        return Forma::Fecha;
    return Forma::Texto;
}

bool esClaveVacia(const QVariant &v)
{
    return v.isNull() || (v.typeId() == QMetaType::QString && v.toString().trimmed().isEmpty());
}

Resultado<QVariant> convierte(const QVariant &valor, Forma forma)
{
    if (valor.isNull()) {
        return QVariant();
    }
    // A text is UTF-8 without a NUL, whatever it stands for.
    QVariant v = valor;
    if (v.typeId() == QMetaType::QByteArray) {
        const QByteArray b = v.toByteArray();
        if (!esTextoValido(reinterpret_cast<const unsigned char *>(b.constData()), b.size())) {
            return fallo(TextoPropio("the value is not a valid text (it holds a NUL or bytes that are not UTF-8)"));
        }
        v = QString::fromUtf8(b);
    } else if (v.typeId() == QMetaType::QString && v.toString().contains(QChar(0))) {
        return fallo(TextoPropio("the value is not a valid text (it holds a NUL or bytes that are not UTF-8)"));
    }
    double d = 0;
    switch (forma) {
    case Forma::Entero:
        if (!numero(v, &d) || d != std::floor(d) || std::fabs(d) > 9.0e15) {
            return fallo(TextoPropio("\"%1\" is not a whole number").arg(citaValor(v.toString())));
        }
        return QVariant(qlonglong(d));
    case Forma::Real:
        if (!numero(v, &d) || !esSingle(d)) {
            return fallo(TextoPropio("\"%1\" is not a number").arg(citaValor(v.toString())));
        }
        return QVariant(d);
    case Forma::Booleano:
        if (!numero(v, &d)) {
            return fallo(TextoPropio("\"%1\" is not a yes/no value").arg(citaValor(v.toString())));
        }
        return QVariant(d != 0 ? -1 : 0);
    case Forma::Fecha: {
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
            return fallo(TextoPropio("\"%1\" is not a date").arg(citaValor(v.toString())));
        }
        return QVariant(fecha.toString(QStringLiteral("yyyy-MM-dd")));
    }
    case Forma::Hora: {
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
            return fallo(TextoPropio("\"%1\" is not a time of day").arg(citaValor(v.toString())));
        }
        return QVariant(hora.toString(QStringLiteral("hh:mm:ss")));
    }
    case Forma::HoraTexto:
    case Forma::HoraEvento: {
        // "h:mm", "hh:mm" or "hh:mm:ss" as text, or the time of a date/time of the original.
        QString texto;
        if (v.typeId() == QMetaType::QDateTime)
            texto = textoHora(v.toDateTime().time());
        else if (v.typeId() == QMetaType::QTime)
            texto = textoHora(v.toTime());
        else if (v.typeId() == QMetaType::QString)
            texto = v.toString().trimmed();
        if (texto.size() == 4)
            texto.prepend(QLatin1Char('0'));
        const QByteArray b = texto.toLatin1();
        const auto *p = reinterpret_cast<const unsigned char *>(b.constData());
        if (forma == Forma::HoraEvento ? !esHoraEvento(p, int(b.size())) : !esHoraTexto(p, int(b.size()))) {
            return fallo(TextoPropio("\"%1\" is not a time of day").arg(v.toString()));
        }
        return QVariant(texto);
    }
    case Forma::Texto:
        if (v.typeId() == QMetaType::QDateTime) {
            // A date/time column of the original that holds a time of day only.
            const QDateTime dt = v.toDateTime();
            return QVariant(dt.date() == kDiaBase ? textoHora(dt.time())
                                                  : dt.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
        }
        if (v.typeId() == QMetaType::Bool)
            return QVariant(v.toBool() ? QStringLiteral("-1") : QStringLiteral("0"));
        return QVariant(v.toString());
    }
    return fallo(QString());
}

bool enFormaGuardada(sqlite3_value *v, Forma forma, bool clave)
{
    const int tipo = sqlite3_value_type(v);
    if (tipo == SQLITE_NULL)
        return !clave;
    switch (forma) {
    case Forma::Entero: return tipo == SQLITE_INTEGER;
    case Forma::Real: return tipo == SQLITE_INTEGER || (tipo == SQLITE_FLOAT && esSingle(sqlite3_value_double(v)));
    case Forma::Booleano: {
        if (tipo != SQLITE_INTEGER)
            return false;
        const sqlite3_int64 b = sqlite3_value_int64(v);
        return b == 0 || b == -1;
    }
    default: break;
    }
    if (tipo != SQLITE_TEXT)
        return false;
    // The text first, then its length in bytes, as SQLite asks.
    const unsigned char *texto = sqlite3_value_text(v);
    const int n = sqlite3_value_bytes(v);
    switch (forma) {
    case Forma::Fecha: return esFechaIso(texto, n);
    case Forma::Hora: return esHoraCompleta(texto, n);
    case Forma::HoraTexto: return esHoraTexto(texto, n);
    case Forma::HoraEvento: return esHoraEvento(texto, n);
    case Forma::Texto: return esTextoValido(texto, n) && !(clave && enBlanco(texto, n));
    default: return false;
    }
}

} // namespace slx::fusion
