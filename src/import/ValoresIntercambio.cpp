#include "import/ValoresIntercambio.h"

#include "base/TextFormats.h"
#include "base/TextoCitado.h"
#include "base/TextoPropio.h"
#include "import/NombresDatos.h"

#include <QDate>
#include <QLocale>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace slx::intercambio {

namespace {

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
    *out = decimalSingle(f);
    return true;
}

bool siNo(QByteArrayView v, qint64 *out)
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

struct Hora {
    int h = 0, m = 0, s = 0;
};

// "h:mm", "hh:mm" or "hh:mm:ss".
bool hora(QByteArrayView v, Hora *out)
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
    *out = Hora{h, m, s};
    return true;
}

// "hh:mm" of two digits each that is no time of day: what a device's clock gave for an
// event (the download keeps it so), taken as it is.
bool lecturaReloj(QByteArrayView v, Hora *out)
{
    v = recorta(v);
    if (v.size() != 5 || v.at(2) != ':')
        return false;
    const int h = digitos(v, 0, 2), m = digitos(v, 3, 2);
    if (h < 0 || m < 0)
        return false;
    *out = Hora{h, m, 0};
    return true;
}

struct FechaLeida {
    int y = 0, m = 0, d = 0;
    Hora hora;
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
    if (y == 0 && m == 0 && d == 0)
        out->cero = true;
    else if (!QDate::isValid(y, m, d))
        return false;
    out->y = y;
    out->m = m;
    out->d = d;
    if (v.size() == 10)
        return true;
    if (v.at(10) != ' ' && v.at(10) != 'T')
        return false;
    out->conHora = true;
    return hora(v.sliced(11), &out->hora);
}

// Texts of dates and times written digit by digit into a value.
void pon(char *p, int n, int digitos)
{
    for (int i = digitos - 1; i >= 0; --i, n /= 10)
        p[i] = char('0' + n % 10);
}

void corto(Valor *v, const char *patron)
{
    v->tipo = Valor::Corto;
    v->largo = qint64(std::strlen(patron));
    std::memcpy(v->corto, patron, size_t(v->largo) + 1);
}

void horaCorta(Valor *v, const Hora &t) // hh:mm
{
    corto(v, "00:00");
    pon(v->corto, t.h, 2);
    pon(v->corto + 3, t.m, 2);
}

void horaLarga(Valor *v, const Hora &t) // hh:mm:ss
{
    corto(v, "00:00:00");
    pon(v->corto, t.h, 2);
    pon(v->corto + 3, t.m, 2);
    pon(v->corto + 6, t.s, 2);
}

void fechaIso(Valor *v, int y, int m, int d) // yyyy-mm-dd
{
    corto(v, "0000-00-00");
    pon(v->corto, y, 4);
    pon(v->corto + 5, m, 2);
    pon(v->corto + 8, d, 2);
}

void fechaDma(Valor *v, int y, int m, int d) // dd/mm/yyyy
{
    corto(v, "00/00/0000");
    pon(v->corto, d, 2);
    pon(v->corto + 3, m, 2);
    pon(v->corto + 6, y, 4);
}

// A date written as text: "dd/mm/yyyy", "dd/mm/yy" or year first; stored "dd/mm/yyyy".
bool fechaTexto(QByteArrayView v, Valor *out)
{
    v = recorta(v);
    FechaLeida f;
    if (fecha(v, &f)) {
        fechaDma(out, f.y, f.m, f.d);
        return true;
    }
    if ((v.size() != 10 && v.size() != 8) || v.at(2) != '/' || v.at(5) != '/')
        return false;
    const int d = digitos(v, 0, 2), m = digitos(v, 3, 2);
    int y = digitos(v, 6, int(v.size()) - 6);
    if (d < 0 || m < 0 || y < 0)
        return false;
    if (d == 0 && m == 0 && y == 0) {
        fechaDma(out, 0, 0, 0);
        return true;
    }
    if (v.size() == 8)
        y += y < 30 ? 2000 : 1900;
    if (!QDate::isValid(y, m, d))
        return false;
    fechaDma(out, y, m, d);
    return true;
}

bool ascii(QByteArrayView v)
{
    unsigned char o = 0;
    for (char c : v)
        o |= static_cast<unsigned char>(c);
    return o < 0x80;
}

} // namespace

QString Valor::comoTexto() const
{
    switch (tipo) {
    case Nulo: return QString();
    case Entero: return QString::number(entero);
    case Real: return QString::number(real, 'g', QLocale::FloatingPointShortest);
    case Texto:
    case Corto: return QString::fromUtf8(datos(), largo);
    }
    return QString();
}

LectorValores::LectorValores(const Tabla &tabla)
    : m_tabla(&tabla)
{
    for (const Columna &c : tabla.columnas) {
        Destino d;
        d.destino = int(m_columnas.size());
        d.minimo = c.tipo == Tipo::Byte ? 0 : c.tipo == Tipo::Short ? -32768 : -2147483648LL;
        d.maximo = c.tipo == Tipo::Byte ? 255 : c.tipo == Tipo::Short ? 32767 : 2147483647LL;
        if (std::strcmp(c.nombre, "ByIntervalo") == 0) {
            d.minimo = 1;
            d.maximo = 30;
        }
        m_destinos << d;
        m_columnas << QLatin1String(c.nombre);
        m_enClave << c.clave;
        if (c.conversion == Conversion::FechaYHora) {
            m_columnas << QLatin1String(c.segunda);
            m_enClave << c.clave;
        }
    }
}

Resultado<> LectorValores::lee(const LectorFilas &fila, const Seccion &s, QVector<Valor> *out) const
{
    const QVector<Columna> &columnas = m_tabla->columnas;
    if (out->size() != m_columnas.size())
        out->resize(m_columnas.size());
    Valor *vals = out->data();
    for (int c = 0; c < columnas.size(); ++c) {
        const Columna &col = columnas.at(c);
        const int i = s.campoDe.at(c);
        const Destino &dest = m_destinos.at(c);
        Valor &v = vals[dest.destino];
        const QByteArrayView campo = fila.campo(i);
        const bool esTexto = col.tipo == Tipo::Char || col.tipo == Tipo::Memo;
        const bool vacio = esTexto ? campo.isEmpty() && !fila.entreComillas(i) : recorta(campo).isEmpty();
        if (vacio) {
            if (col.clave) {
                return fallo(TextoPropio("the key column %1 is empty").arg(nombreColumna(QLatin1String(col.nombre))));
            }
            v.tipo = Valor::Nulo;
            if (col.conversion == Conversion::FechaYHora)
                vals[dest.destino + 1].tipo = Valor::Nulo;
            continue;
        }
        const auto noEs = [&](const QString &que) -> Resultado<> {
            return fallo(que.arg(nombreColumna(QLatin1String(col.nombre)), fila.cita(i)));
        };
        switch (col.tipo) {
        case Tipo::Integer:
        case Tipo::Short:
        case Tipo::Byte:
            if (!entero(campo, dest.minimo, dest.maximo, &v.entero)) {
                return fallo(TextoPropio("%1: \"%2\" is not a whole number from %3 to %4")
                                 .arg(nombreColumna(QLatin1String(col.nombre)), fila.cita(i),
                                      QString::number(dest.minimo), QString::number(dest.maximo)));
            }
            v.tipo = Valor::Entero;
            break;
        case Tipo::Bit:
            if (!siNo(campo, &v.entero))
                return noEs(TextoPropio("%1: \"%2\" is not a yes/no value"));
            v.tipo = Valor::Entero;
            break;
        case Tipo::Single:
            if (!single(campo, &v.real))
                return noEs(TextoPropio("%1: \"%2\" is not a number"));
            v.tipo = Valor::Real;
            break;
        case Tipo::Date: {
            FechaLeida f;
            if (col.conversion == Conversion::HoraDelDia) {
                // A time of day, alone or after a date.
                Hora t;
                if (!hora(campo, &t)) {
                    if (!fecha(campo, &f) || !f.conHora)
                        return noEs(TextoPropio("%1: \"%2\" is not a time"));
                    t = f.hora;
                }
                horaLarga(&v, t);
                break;
            }
            if (!fecha(campo, &f))
                return noEs(TextoPropio("%1: \"%2\" is not a date"));
            if (col.conversion == Conversion::FechaYHora) {
                if (f.cero)
                    return noEs(TextoPropio("%1: \"%2\" is not a date"));
                fechaIso(&v, f.y, f.m, f.d);
                horaCorta(&vals[dest.destino + 1], f.hora);
            } else if (f.cero) {
                v.tipo = Valor::Nulo;
            } else {
                fechaIso(&v, f.y, f.m, f.d);
            }
            break;
        }
        case Tipo::Memo:
        case Tipo::Char: {
            switch (col.conversion) {
            case Conversion::HoraTexto:
            case Conversion::HoraEvento: {
                Hora t;
                if (!hora(campo, &t) && !(col.conversion == Conversion::HoraEvento && lecturaReloj(campo, &t)))
                    return noEs(TextoPropio("%1: \"%2\" is not a time"));
                horaCorta(&v, t);
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
                fechaDma(&v, f.y % 100, f.m, f.d); // dd/mm/yy
                v.largo = 8;
                pon(v.corto + 6, f.y % 100, 2);
                v.corto[8] = 0;
                break;
            }
            default:
                if (!fila.conComillasDobles(i) && ascii(campo)) {
                    // Plain ASCII reads the same in either encoding: the file's bytes are the text.
                    v.tipo = Valor::Texto;
                    v.texto = campo.data();
                    v.largo = campo.size();
                } else {
                    const QString t = fila.texto(i);
                    if (col.tipo == Tipo::Char && t.size() > col.ancho) {
                        return fallo(TextoPropio("%1: \"%2\" is longer than %3 characters")
                                         .arg(nombreColumna(QLatin1String(col.nombre)), citaValor(t),
                                              QString::number(col.ancho)));
                    }
                    v.decodificado = t.toUtf8();
                    v.tipo = Valor::Texto;
                    v.texto = v.decodificado.constData();
                    v.largo = v.decodificado.size();
                    continue;
                }
                break;
            }
            if (col.tipo == Tipo::Char && v.largo > col.ancho) {
                // Only the file's own text can be that long (a converted value is short).
                return fallo(TextoPropio("%1: \"%2\" is longer than %3 characters")
                                 .arg(nombreColumna(QLatin1String(col.nombre)),
                                      v.tipo == Valor::Texto ? fila.cita(i) : citaValor(v.comoTexto()),
                                      QString::number(col.ancho)));
            }
            break;
        }
        }
    }
    return {};
}

} // namespace slx::intercambio
