#include "import/FicheroIntercambio.h"

#include "base/Cp1252.h"
#include "base/FicheroRegular.h"
#include "base/TextoCitado.h"
#include "base/TextoPropio.h"

#include <QFileInfo>
#include <cstring>
#include <sys/stat.h>

namespace slx::intercambio {

namespace {

// Bytes read from the file at a time.
constexpr qint64 kBloque = 1 << 20;
// The bytes of a line the first pass keeps (markers and headers are far shorter).
constexpr qsizetype kPrefijo = 64 * 1024;

// One line of the first pass: its first bytes and where it lies.
struct Linea {
    QByteArrayView texto; // the line without its line end, or its first kPrefijo bytes
    qint64 inicio = 0;    // offset in the file
    qint64 largo = 0;     // bytes without the line end
    bool conFin = false;  // a line feed ends it
    // The bytes past the first kPrefijo that start a UTF-8 character (the characters there,
    // for a UTF-8 text), so that a message can give the size of a line it quotes in part.
    qint64 inicialesFuera = 0;
};

// The bytes that start a UTF-8 character (all but its continuation bytes).
qint64 iniciales(const char *p, qsizetype n)
{
    qint64 k = 0;
    for (qsizetype i = 0; i < n; ++i)
        k += (static_cast<unsigned char>(p[i]) & 0xC0) != 0x80;
    return k;
}

// The lines of a file, read block by block; only a line's first bytes are kept.
class LectorLineas {
public:
    LectorLineas(QFile *f, ValidadorUtf8 *utf8)
        : m_fichero(f)
        , m_utf8(utf8)
    {
    }

    bool siguiente(Linea *l)
    {
        if (m_pos >= m_lleno && !rellena())
            return false;
        l->inicio = m_base + m_pos;
        l->largo = 0;
        l->inicialesFuera = 0;
        bool copiado = false;
        char ultimo = 0;
        qsizetype inicio = m_pos;
        for (;;) {
            const char *d = m_buf.constData();
            const void *lf = std::memchr(d + m_pos, '\n', size_t(m_lleno - m_pos));
            const qsizetype fin = lf ? static_cast<const char *>(lf) - d : m_lleno;
            m_utf8->mas(d + m_pos, fin - m_pos);
            if (fin > m_pos)
                ultimo = d[fin - 1];
            // Only a line longer than its kept bytes is counted past them.
            if (l->largo + (fin - m_pos) > kPrefijo) {
                const qsizetype desde = m_pos + qsizetype(qMax<qint64>(0, kPrefijo - l->largo));
                l->inicialesFuera += iniciales(d + desde, fin - desde);
            }
            l->largo += fin - m_pos;
            if (copiado && m_copia.size() < kPrefijo)
                m_copia.append(d + m_pos, qMin(fin - m_pos, kPrefijo - m_copia.size()));
            if (lf) {
                if (!copiado)
                    l->texto = QByteArrayView(d + inicio, qMin(fin - inicio, kPrefijo));
                m_pos = fin + 1;
                l->conFin = true;
                m_utf8->finDeLinea();
                break;
            }
            // The line goes on in the next block.
            if (!copiado) {
                m_copia = QByteArray(d + inicio, qMin(fin - inicio, kPrefijo));
                copiado = true;
            }
            m_pos = fin;
            if (!rellena()) {
                l->conFin = false;
                break;
            }
            inicio = m_pos;
        }
        if (copiado)
            l->texto = m_copia;
        if (ultimo == '\r') {
            if (l->largo > kPrefijo)
                --l->inicialesFuera;
            --l->largo;
            if (l->texto.size() > l->largo)
                l->texto.chop(1);
        }
        return true;
    }

    // The offset of the next line.
    qint64 posicion() const { return m_base + m_pos; }
    const QString &error() const { return m_error; }

private:
    bool rellena()
    {
        if (m_fin)
            return false;
        m_base += m_lleno;
        m_pos = 0;
        m_lleno = 0;
        if (m_buf.size() < kBloque)
            m_buf.resize(kBloque);
        const qint64 n = m_fichero->read(m_buf.data(), kBloque);
        if (n < 0)
            m_error = m_fichero->errorString();
        if (n <= 0) {
            m_fin = true;
            return false;
        }
        m_lleno = qsizetype(n);
        return true;
    }

    QFile *m_fichero;
    ValidadorUtf8 *m_utf8;
    QByteArray m_buf;
    QByteArray m_copia;
    qsizetype m_pos = 0;
    qsizetype m_lleno = 0;
    qint64 m_base = 0; // offset in the file of m_buf[0]
    bool m_fin = false;
    QString m_error;
};

bool blanco(QByteArrayView v)
{
    for (char c : v)
        if (c != ' ' && c != '\r')
            return false;
    return true;
}

} // namespace

// What the first pass keeps of a section for its check.
struct FicheroIntercambio::Cabecera {
    QByteArray nombre;
    // A marker line longer than the bytes kept of it: what its name has past them.
    bool nombreCortado = false;
    qint64 bytesFuera = 0;
    qint64 inicialesFuera = 0;
    bool hay = false; // the section has a first line
    QByteArray texto;
    bool larga = false;
    qint64 linea = 0;
};

FicheroIntercambio::FicheroIntercambio() = default;
FicheroIntercambio::~FicheroIntercambio() = default;

QString FicheroIntercambio::decodifica(QByteArrayView bytes) const
{
    if (m_utf8)
        return QString::fromUtf8(bytes);
    return fromCp1252(bytes.toByteArray());
}

namespace {

// The size and the time of the last change of an open file.
struct Estado {
    qint64 tamano = -1;
    timespec modificado{};
};

Estado estadoDe(const QFile &f)
{
    struct stat st {};
    Estado e;
    if (::fstat(f.handle(), &st) == 0) {
        e.tamano = st.st_size;
        e.modificado = st.st_mtim;
    }
    return e;
}

} // namespace

Resultado<> FicheroIntercambio::abre(const QString &fichero)
{
    m_secciones.clear();
    m_utf8 = false;
    m_lineaSinFin = 0;
    m_fichero = std::make_unique<QFile>();
    if (Resultado<void> abierto = abreFicheroRegular(*m_fichero, fichero); !abierto)
        return fallo(abierto.error());
    const Estado antes = estadoDe(*m_fichero);
    m_tamano = antes.tamano;
    m_modificado = antes.modificado.tv_sec * qint64(1000000000) + antes.modificado.tv_nsec;
    m_nombre = QFileInfo(fichero).fileName();
    const QString &nombre = m_nombre;
    QVector<Cabecera> cabeceras;
    if (Resultado<> leida = primeraPasada(nombre, &cabeceras); !leida)
        return leida;

    bool alguna = false;
    for (int i = 0; i < m_secciones.size(); ++i) {
        Seccion &s = m_secciones[i];
        const Cabecera &c = cabeceras.at(i);
        s.nombre = decodifica(c.nombre);
        s.caracteresNombre = caracteres(s.nombre);
        if (c.nombreCortado)
            s.caracteresNombre += (m_utf8 ? c.inicialesFuera : c.bytesFuera);
        s.tabla = tablaDe(s.nombre);
        if (!s.tabla)
            continue;
        alguna = true;
        if (const Resultado<> leida = compruebaCabecera(s, cabeceras.at(i)); !leida)
            return fallo(TextoPropio("The file %1: %2").arg(nombre, leida.error().text));
    }
    if (!alguna) {
        QStringList nombres;
        for (const Seccion &s : m_secciones)
            nombres << nombreCitado(s);
        return fallo(TextoPropio("The file %1 holds none of the program's tables (its sections: %2).")
                         .arg(nombre, listaNombres(nombres)));
    }
    return {};
}

// Finds the sections, keeps their names and headers, counts their rows and tells the
// text's encoding.
Resultado<> FicheroIntercambio::primeraPasada(const QString &nombre, QVector<Cabecera> *cabeceras)
{
    ValidadorUtf8 utf8;
    LectorLineas lector(m_fichero.get(), &utf8);
    Linea l;
    qint64 linea = 0;
    bool bom = false;
    bool vacio = true;
    bool sinMarca = false; // a line came before the first marker
    bool esperaCabecera = false;
    const auto noEmpieza = [&]() -> Resultado<> {
        return fallo(TextoPropio("The file %1 does not begin with a section marker (a line such as "
                                 "\"//Programacion//\"): it is not an exchange file.")
                         .arg(nombre));
    };
    while (lector.siguiente(&l)) {
        ++linea;
        QByteArrayView t = l.texto;
        if (linea == 1 && t.startsWith("\xEF\xBB\xBF")) {
            bom = true;
            t = t.sliced(3);
            l.largo -= 3;
            l.inicio += 3;
        }
        const bool enBlanco = l.largo == t.size() && blanco(t);
        vacio = vacio && enBlanco;
        m_lineaSinFin = l.conFin ? 0 : linea;
        const bool marca = l.largo >= 2 && t.startsWith("//");
        if (marca) {
            if (l.largo < 4) {
                m_utf8 = bom || utf8.utf8MasAlladeAscii();
                return fallo(TextoPropio("Line %1 of the file %2: the section marker \"%3\" is too short; a marker "
                                         "is \"//\", the table's name and \"//\".")
                                 .arg(linea)
                                 .arg(nombre, decodifica(t)));
            }
            if (sinMarca)
                return noEmpieza();
            if (!m_secciones.isEmpty())
                m_secciones.last().fin = l.inicio;
            Seccion s;
            s.lineaMarca = linea;
            s.inicioDatos = lector.posicion();
            s.lineaDatos = linea + 1;
            m_secciones << s;
            Cabecera c;
            if (l.largo > t.size()) {
                // Only the line's first bytes are at hand; its last two characters lie past them.
                c.nombre = t.sliced(2).toByteArray();
                c.nombreCortado = true;
                c.bytesFuera = l.largo - t.size() - 2;
                c.inicialesFuera = l.inicialesFuera - 2;
            } else {
                c.nombre = t.sliced(2, qMax<qsizetype>(0, t.size() - 4)).toByteArray();
            }
            *cabeceras << c;
            esperaCabecera = true;
        } else if (m_secciones.isEmpty()) {
            if (!enBlanco)
                return noEmpieza();
            sinMarca = true;
        } else if (esperaCabecera) {
            // The section's first line is its header.
            Cabecera &c = cabeceras->last();
            c.hay = true;
            c.texto = t.toByteArray();
            c.larga = l.largo > t.size();
            c.linea = linea;
            Seccion &s = m_secciones.last();
            s.inicioDatos = lector.posicion();
            s.lineaDatos = linea + 1;
            esperaCabecera = false;
        } else if (l.largo > 0) {
            ++m_secciones.last().filas;
        }
    }
    if (!lector.error().isEmpty()) {
        return fallo(TextoPropio("The file %1 cannot be read: %2").arg(nombre, lector.error()));
    }
    if (vacio) {
        return fallo(TextoPropio("The file %1 is empty: it holds no data to import.").arg(nombre));
    }
    if (m_secciones.isEmpty())
        return noEmpieza();
    m_secciones.last().fin = lector.posicion();
    m_leidoPrimera = lector.posicion();
    m_utf8 = bom || utf8.utf8MasAlladeAscii();
    return {};
}

bool FicheroIntercambio::cambiado() const
{
    if (!m_fichero || !m_fichero->isOpen())
        return false;
    const Estado ahora = estadoDe(*m_fichero);
    return ahora.tamano != m_tamano || m_leidoPrimera != m_tamano ||
           ahora.modificado.tv_sec * qint64(1000000000) + ahora.modificado.tv_nsec != m_modificado;
}

QString nombreCitado(const Seccion &s)
{
    return QLatin1Char('"') + citaInicio(s.nombre, s.caracteresNombre) + QLatin1Char('"');
}

Resultado<> FicheroIntercambio::compruebaCabecera(Seccion &s, const Cabecera &c) const
{
    // A section with no line at all holds no rows.
    if (!c.hay)
        return {};
    const qint64 lineaCabecera = c.linea;
    if (c.texto.isEmpty()) {
        if (s.filas == 0)
            return {};
        return fallo(TextoPropio("line %1, the first line of the section %2, must name its columns.")
                         .arg(QString::number(lineaCabecera), citaValor(s.nombre)));
    }

    QVector<QByteArray> nombres;
    if (c.larga || !LectorFilas::divideLinea(c.texto, &nombres)) {
        return fallo(TextoPropio("line %1, the header of the section %2, cannot be read.")
                         .arg(QString::number(lineaCabecera), citaValor(s.nombre)));
    }
    const QVector<Columna> &columnas = s.tabla->columnas;
    s.campos = int(nombres.size());
    // A header that ends with ";" names an empty last column: no column is looked up there.
    s.ultimoVacio = nombres.size() > 1 && decodifica(nombres.last()).trimmed().isEmpty();
    if (s.ultimoVacio)
        nombres.removeLast();
    s.campoDe.fill(-1, columnas.size());
    QStringList desconocidas, repetidas, faltan;
    for (int i = 0; i < nombres.size(); ++i) {
        const QString n = decodifica(nombres.at(i)).trimmed();
        int encontrada = -1;
        for (int k = 0; k < columnas.size() && encontrada < 0; ++k)
            if (n.compare(QLatin1String(columnas.at(k).nombre), Qt::CaseInsensitive) == 0)
                encontrada = k;
        if (encontrada < 0)
            desconocidas << QLatin1Char('"') + citaValor(n) + QLatin1Char('"');
        else if (s.campoDe.at(encontrada) >= 0)
            repetidas << n;
        else
            s.campoDe[encontrada] = i;
    }
    for (int k = 0; k < columnas.size(); ++k)
        if (s.campoDe.at(k) < 0)
            faltan << QLatin1String(columnas.at(k).nombre);
    if (desconocidas.isEmpty() && repetidas.isEmpty() && faltan.isEmpty())
        return {};
    QStringList partes;
    if (!faltan.isEmpty())
        partes << TextoPropio("missing %1").arg(faltan.join(QLatin1String(", ")));
    if (!desconocidas.isEmpty())
        partes << TextoPropio("not columns of the table: %1").arg(listaNombres(desconocidas));
    if (!repetidas.isEmpty())
        partes << TextoPropio("named twice: %1").arg(listaNombres(repetidas));
    return fallo(TextoPropio("the header of the section %1 (line %2) does not name the columns of the table: %3.")
                     .arg(citaValor(s.nombre), QString::number(lineaCabecera), partes.join(QLatin1String("; "))));
}

LectorFilas::LectorFilas(const FicheroIntercambio &fichero, const Seccion &seccion, qint64 maximo)
    : m_fichero(fichero)
    , m_dispositivo(fichero.fichero())
    , m_maximo(maximo)
    , m_leido(seccion.inicioDatos)
    , m_fin(seccion.fin)
    , m_siguienteLinea(seccion.lineaDatos)
{
    if (!m_dispositivo || !m_dispositivo->seek(seccion.inicioDatos)) {
        m_error = m_dispositivo ? m_dispositivo->errorString() : QString();
        m_fin = m_leido;
    }
}

// Reads the next block of the section behind what is held (the row being read moves to
// the buffer's start); false at the section's end.
bool LectorFilas::carga()
{
    if (m_leido >= m_fin)
        return false;
    if (m_ini > 0) {
        std::memmove(m_buf.data(), m_buf.constData() + m_ini, size_t(m_lleno - m_ini));
        m_lleno -= m_ini;
        m_ini = 0;
    }
    const qint64 quiere = qMin(kBloque, m_fin - m_leido);
    if (m_buf.size() < m_lleno + quiere)
        m_buf.resize(m_lleno + quiere);
    const qint64 n = m_dispositivo->read(m_buf.data() + m_lleno, quiere);
    if (n < 0)
        m_error = m_dispositivo->errorString();
    else if (n == 0)
        m_acortado = true; // the file ends before the section the first pass found
    if (n <= 0) {
        m_fin = m_leido;
        return false;
    }
    m_lleno += qsizetype(n);
    m_leido += n;
    return true;
}

// Holds the row's bytes up to a line end found after `desde` (from the row's start), or
// up to the section's end. False when the row grows beyond the maximum.
bool LectorFilas::cargaLinea(qsizetype desde)
{
    for (;;) {
        const qsizetype n = m_lleno - m_ini;
        if (desde < n && std::memchr(m_buf.constData() + m_ini + desde, '\n', size_t(n - desde)))
            return true;
        if (n > m_maximo)
            return false;
        desde = n;
        if (!carga())
            return true;
    }
}

bool LectorFilas::siguiente()
{
    m_ini += m_consumido;
    m_consumido = 0;
    m_campos.clear();
    m_motivo.clear();
    // Empty lines hold no row.
    for (;;) {
        if (m_ini >= m_lleno && !carga())
            return false;
        const char c = m_buf.at(m_ini);
        if (c == '\n') {
            ++m_ini;
            ++m_siguienteLinea;
            continue;
        }
        if (c == '\r') {
            if (m_ini + 1 >= m_lleno)
                carga();
            if (m_ini + 1 < m_lleno && m_buf.at(m_ini + 1) == '\n') {
                m_ini += 2;
                ++m_siguienteLinea;
                continue;
            }
        }
        break;
    }
    m_linea = m_siguienteLinea;
    qsizetype visto = 0;
    for (;;) {
        if (!cargaLinea(visto))
            return descartaFila();
        if (analiza(m_leido >= m_fin) == Analisis::Fila)
            return true;
        // A quoted field goes on in the next line.
        visto = m_lleno - m_ini;
        m_campos.clear();
    }
}

// A row longer than the maximum: read to its end without holding it, and refused.
bool LectorFilas::descartaFila()
{
    bool comillas = false;
    qint64 lineas = 0;
    qint64 largo = 0;
    char ultimo = 0;
    for (;;) {
        const char *d = m_buf.constData();
        qsizetype p = m_ini;
        for (; p < m_lleno; ++p) {
            if (d[p] == '"')
                comillas = !comillas;
            else if (d[p] == '\n' && !comillas)
                break;
            else if (d[p] == '\n')
                ++lineas;
        }
        largo += p - m_ini;
        if (p > m_ini)
            ultimo = d[p - 1];
        if (p < m_lleno) {
            m_ini = p + 1;
            break;
        }
        m_ini = m_lleno;
        if (!carga())
            break;
    }
    if (ultimo == '\r')
        --largo;
    m_campos.clear();
    m_siguienteLinea = m_linea + 1 + lineas;
    m_motivo = TextoPropio("the row is longer than the database can store (%1 bytes)").arg(largo);
    return true;
}

LectorFilas::Analisis LectorFilas::analiza(bool final)
{
    const char *d = m_buf.constData() + m_ini;
    qsizetype n = m_lleno - m_ini;
    if (!final) {
        // Only whole lines: what follows the last line end held is read again with the rest.
        const void *lf = memrchr(d, '\n', size_t(n));
        n = lf ? static_cast<const char *>(lf) - d + 1 : 0;
    }
    // The row ends with its first line; the next row starts on the line after it.
    const auto hastaFinDeLinea = [&](qsizetype desde, qint64 siguienteLinea, const QString &motivo) {
        const void *lf = std::memchr(d + desde, '\n', size_t(n - desde));
        m_consumido = lf ? static_cast<const char *>(lf) - d + 1 : n;
        m_siguienteLinea = siguienteLinea;
        m_motivo = motivo;
        return Analisis::Fila;
    };
    qsizetype p = 0;
    qint64 lineas = 0; // line ends inside quoted fields
    for (;;) {
        Campo c;
        if (p < n && d[p] == '"') {
            c.comillas = true;
            c.inicio = ++p;
            bool cerrado = false;
            while (p < n) {
                if (d[p] == '"') {
                    if (p + 1 < n && d[p + 1] == '"') {
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
                if (!final)
                    return Analisis::FaltaMas;
                return hastaFinDeLinea(0, m_linea + 1, TextoPropio("a quoted field is not closed"));
            }
            c.largo = p - c.inicio;
            ++p; // the closing quote
            m_campos << c;
            if (p < n && d[p] == ';') {
                ++p;
                continue;
            }
            qsizetype q = p;
            if (q < n && d[q] == '\r')
                ++q;
            if (q >= n || d[q] == '\n') {
                p = q < n ? q + 1 : q;
                break;
            }
            // Text after the closing quote: the row is malformed from here to its line's end.
            return hastaFinDeLinea(p, m_linea + 1 + lineas,
                                   TextoPropio("text follows the closing quote of field %1").arg(m_campos.size()));
        }
        c.inicio = p;
        while (p < n && d[p] != ';' && d[p] != '\n')
            ++p;
        c.largo = p - c.inicio;
        if (p < n && d[p] == ';') {
            m_campos << c;
            ++p;
            continue;
        }
        if (c.largo > 0 && d[c.inicio + c.largo - 1] == '\r')
            --c.largo;
        m_campos << c;
        if (p < n)
            ++p; // the line feed
        break;
    }
    m_consumido = p;
    m_siguienteLinea = m_linea + 1 + lineas;
    return Analisis::Fila;
}

QByteArrayView LectorFilas::campo(int i) const
{
    const Campo &c = m_campos.at(i);
    return QByteArrayView(m_buf.constData() + m_ini + c.inicio, c.largo);
}

QString LectorFilas::texto(int i) const
{
    QString t = m_fichero.decodifica(campo(i));
    if (m_campos.at(i).dobles)
        t.replace(QLatin1String("\"\""), QLatin1String("\""));
    return t;
}

QString LectorFilas::cita(int i) const
{
    const QByteArrayView bytes = campo(i);
    // A character takes at most four bytes, doubled when it is a quote.
    constexpr qsizetype kBytesCita = 8 * (kCitaMaxima + 1);
    if (bytes.size() <= kBytesCita)
        return citaValor(texto(i));
    QString inicio = m_fichero.decodifica(bytes.first(kBytesCita));
    qint64 total = m_fichero.utf8() ? iniciales(bytes.data(), bytes.size()) : bytes.size();
    if (m_campos.at(i).dobles) {
        inicio.replace(QLatin1String("\"\""), QLatin1String("\""));
        total -= bytes.count('"') / 2;
    }
    return citaInicio(inicio, total);
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
