#include "import/FicheroIntercambio.h"

#include "base/Cp1252.h"
#include "base/TextoPropio.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace slx::intercambio {

namespace {

// The line that starts at pos: [pos, end) without its line end; *next is the start of the
// following line.
qsizetype finDeLinea(const QByteArray &b, qsizetype pos, qsizetype limite, qsizetype *next)
{
    const char *d = b.constData();
    const void *lf = memchr(d + pos, '\n', size_t(limite - pos));
    qsizetype end = lf ? static_cast<const char *>(lf) - d : limite;
    *next = lf ? end + 1 : limite;
    if (end > pos && d[end - 1] == '\r')
        --end;
    return end;
}

} // namespace

QString FicheroIntercambio::decodifica(QByteArrayView bytes) const
{
    if (m_utf8)
        return QString::fromUtf8(bytes);
    return fromCp1252(bytes.toByteArray());
}

bool FicheroIntercambio::abre(const QString &fichero, QString *error)
{
    QFile f(fichero);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = TextoPropio("The file %1 cannot be opened: %2").arg(fichero, f.errorString());
        return false;
    }
    QByteArray contenido = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        *error = TextoPropio("The file %1 cannot be opened: %2").arg(fichero, f.errorString());
        return false;
    }
    return lee(std::move(contenido), QFileInfo(fichero).fileName(), error);
}

bool FicheroIntercambio::lee(QByteArray contenido, const QString &nombre, QString *error)
{
    m_bytes = std::move(contenido);
    m_secciones.clear();
    m_utf8 = m_bytes.startsWith("\xEF\xBB\xBF");
    qsizetype pos = m_utf8 ? 3 : 0;
    const qsizetype size = m_bytes.size();

    bool vacio = true;
    for (qsizetype i = pos; i < size && vacio; ++i)
        vacio = m_bytes.at(i) == '\r' || m_bytes.at(i) == '\n' || m_bytes.at(i) == ' ';
    if (vacio) {
        *error = TextoPropio("The file %1 is empty: it holds no data to import.").arg(nombre);
        return false;
    }

    int linea = 0;
    while (pos < size) {
        qsizetype next = 0;
        const qsizetype end = finDeLinea(m_bytes, pos, size, &next);
        ++linea;
        const bool marca = end - pos >= 2 && m_bytes.at(pos) == '/' && m_bytes.at(pos + 1) == '/';
        if (marca) {
            if (end - pos < 4) {
                *error = TextoPropio("Line %1 of the file %2: the section marker \"%3\" is too short; a marker "
                                     "is \"//\", the table's name and \"//\".")
                             .arg(linea)
                             .arg(nombre, decodifica(QByteArrayView(m_bytes).sliced(pos, end - pos)));
                return false;
            }
            if (!m_secciones.isEmpty())
                m_secciones.last().fin = pos;
            Seccion s;
            s.nombre = decodifica(QByteArrayView(m_bytes).sliced(pos + 2, end - pos - 4));
            s.tabla = tablaDe(s.nombre);
            s.lineaMarca = linea;
            s.inicioDatos = next;
            s.lineaDatos = linea + 1;
            m_secciones << s;
        } else if (m_secciones.isEmpty()) {
            *error = TextoPropio("The file %1 does not begin with a section marker (a line such as "
                                 "\"//Programacion//\"): it is not an exchange file.")
                         .arg(nombre);
            return false;
        }
        pos = next;
    }
    m_secciones.last().fin = size;

    bool alguna = false;
    for (Seccion &s : m_secciones) {
        if (!s.tabla)
            continue;
        alguna = true;
        if (!compruebaCabecera(s, error)) {
            *error = TextoPropio("The file %1: %2").arg(nombre, *error);
            return false;
        }
    }
    if (!alguna) {
        QStringList nombres;
        for (const Seccion &s : m_secciones)
            nombres << QLatin1Char('"') + s.nombre + QLatin1Char('"');
        *error = TextoPropio("The file %1 holds none of the program's tables (its sections: %2).")
                     .arg(nombre, nombres.join(QLatin1String(", ")));
        return false;
    }
    return true;
}

bool FicheroIntercambio::compruebaCabecera(Seccion &s, QString *error) const
{
    // The header is the section's first line; a section with no line at all holds no rows.
    qsizetype pos = s.inicioDatos;
    if (pos >= s.fin)
        return true;
    qsizetype next = 0;
    const qsizetype end = finDeLinea(m_bytes, pos, s.fin, &next);
    const int lineaCabecera = s.lineaDatos;
    s.inicioDatos = next;
    s.lineaDatos = lineaCabecera + 1;
    // Rows: the non-empty lines after the header.
    for (qsizetype p = next; p < s.fin;) {
        qsizetype n = 0;
        const qsizetype e = finDeLinea(m_bytes, p, s.fin, &n);
        if (e > p)
            ++s.filas;
        p = n;
    }
    if (end == pos) {
        if (s.filas == 0)
            return true;
        *error = TextoPropio("line %1, the first line of the section %2, must name its columns.")
                     .arg(lineaCabecera)
                     .arg(s.nombre);
        return false;
    }

    QVector<QByteArray> nombres;
    if (!LectorFilas::divideLinea(QByteArrayView(m_bytes).sliced(pos, end - pos), &nombres)) {
        *error = TextoPropio("line %1, the header of the section %2, cannot be read.").arg(lineaCabecera).arg(s.nombre);
        return false;
    }
    const QVector<Columna> &columnas = s.tabla->columnas;
    s.campos = int(nombres.size());
    s.campoDe.fill(-1, columnas.size());
    QStringList desconocidas, repetidas, faltan;
    for (int i = 0; i < nombres.size(); ++i) {
        const QString n = decodifica(nombres.at(i)).trimmed();
        int encontrada = -1;
        for (int c = 0; c < columnas.size() && encontrada < 0; ++c)
            if (n.compare(QLatin1String(columnas.at(c).nombre), Qt::CaseInsensitive) == 0)
                encontrada = c;
        if (encontrada < 0)
            desconocidas << QLatin1Char('"') + n + QLatin1Char('"');
        else if (s.campoDe.at(encontrada) >= 0)
            repetidas << n;
        else
            s.campoDe[encontrada] = i;
    }
    for (int c = 0; c < columnas.size(); ++c)
        if (s.campoDe.at(c) < 0)
            faltan << QLatin1String(columnas.at(c).nombre);
    if (desconocidas.isEmpty() && repetidas.isEmpty() && faltan.isEmpty())
        return true;
    QStringList partes;
    if (!faltan.isEmpty())
        partes << TextoPropio("missing %1").arg(faltan.join(QLatin1String(", ")));
    if (!desconocidas.isEmpty())
        partes << TextoPropio("not columns of the table: %1").arg(desconocidas.join(QLatin1String(", ")));
    if (!repetidas.isEmpty())
        partes << TextoPropio("named twice: %1").arg(repetidas.join(QLatin1String(", ")));
    *error = TextoPropio("the header of the section %1 (line %2) does not name the columns of the table: %3.")
                 .arg(s.nombre)
                 .arg(lineaCabecera)
                 .arg(partes.join(QLatin1String("; ")));
    return false;
}

LectorFilas::LectorFilas(const FicheroIntercambio &fichero, const Seccion &seccion)
    : m_fichero(fichero)
    , m_bytes(fichero.bytes())
    , m_pos(seccion.inicioDatos)
    , m_fin(seccion.fin)
    , m_siguienteLinea(seccion.lineaDatos)
{
}

bool LectorFilas::siguiente()
{
    const char *d = m_bytes.constData();
    // Empty lines hold no row.
    while (m_pos < m_fin) {
        if (d[m_pos] == '\n') {
            ++m_pos;
            ++m_siguienteLinea;
        } else if (d[m_pos] == '\r' && m_pos + 1 < m_fin && d[m_pos + 1] == '\n') {
            m_pos += 2;
            ++m_siguienteLinea;
        } else {
            break;
        }
    }
    if (m_pos >= m_fin)
        return false;
    m_linea = m_siguienteLinea;
    m_motivo.clear();
    m_campos.clear();

    const qsizetype inicioFila = m_pos;
    qsizetype p = m_pos;
    int lineas = 0; // line ends inside quoted fields
    for (;;) {
        Campo c;
        if (p < m_fin && d[p] == '"') {
            c.comillas = true;
            c.inicio = ++p;
            bool cerrado = false;
            while (p < m_fin) {
                if (d[p] == '"') {
                    if (p + 1 < m_fin && d[p + 1] == '"') {
                        c.dobles = true;
                        p += 2;
                        continue;
                    }
                    cerrado = true;
                    break;
                }
                if (d[p] == '\n')
                    ++lineas;
                ++p;
            }
            if (!cerrado) {
                // The row ends with its first line; the next row starts on the line after it.
                qsizetype next = 0;
                finDeLinea(m_bytes, inicioFila, m_fin, &next);
                m_pos = next;
                m_siguienteLinea = m_linea + 1;
                m_motivo = TextoPropio("a quoted field is not closed");
                return true;
            }
            c.largo = p - c.inicio;
            ++p; // the closing quote
            m_campos << c;
            if (p < m_fin && d[p] == ';') {
                ++p;
                continue;
            }
            qsizetype q = p;
            if (q < m_fin && d[q] == '\r')
                ++q;
            if (q >= m_fin || d[q] == '\n') {
                p = q < m_fin ? q + 1 : q;
                break;
            }
            // Text after the closing quote: the row is malformed from here to its line's end.
            qsizetype next = 0;
            finDeLinea(m_bytes, p, m_fin, &next);
            m_pos = next;
            m_siguienteLinea = m_linea + 1 + lineas;
            m_motivo = TextoPropio("text follows the closing quote of field %1").arg(m_campos.size());
            return true;
        }
        c.inicio = p;
        while (p < m_fin && d[p] != ';' && d[p] != '\n')
            ++p;
        c.largo = p - c.inicio;
        if (p < m_fin && d[p] == ';') {
            m_campos << c;
            ++p;
            continue;
        }
        if (c.largo > 0 && d[c.inicio + c.largo - 1] == '\r')
            --c.largo;
        m_campos << c;
        if (p < m_fin)
            ++p; // the line feed
        break;
    }
    m_pos = p;
    m_siguienteLinea = m_linea + 1 + lineas;
    return true;
}

QByteArrayView LectorFilas::campo(int i) const
{
    const Campo &c = m_campos.at(i);
    return QByteArrayView(m_bytes).sliced(c.inicio, c.largo);
}

QString LectorFilas::texto(int i) const
{
    QString t = m_fichero.decodifica(campo(i));
    if (m_campos.at(i).dobles)
        t.replace(QLatin1String("\"\""), QLatin1String("\""));
    return t;
}

bool LectorFilas::divideLinea(QByteArrayView linea, QVector<QByteArray> *campos)
{
    qsizetype p = 0;
    const qsizetype n = linea.size();
    for (;;) {
        QByteArray campo;
        if (p < n && linea.at(p) == '"') {
            ++p;
            bool cerrado = false;
            while (p < n) {
                if (linea.at(p) == '"') {
                    if (p + 1 < n && linea.at(p + 1) == '"') {
                        campo += '"';
                        p += 2;
                        continue;
                    }
                    cerrado = true;
                    ++p;
                    break;
                }
                campo += linea.at(p++);
            }
            if (!cerrado || (p < n && linea.at(p) != ';'))
                return false;
        } else {
            while (p < n && linea.at(p) != ';')
                campo += linea.at(p++);
        }
        *campos << campo;
        if (p >= n)
            return true;
        ++p; // the separator
    }
}

} // namespace slx::intercambio
