// Reader of the tables of an Access (Jet) database of the original program. The file is
// read by a process of ours (tools/lectormdb) that streams its rows: a damaged file that
// crashes the Access library ends that process, and the merge reports the file as damaged.

#include "base/TextFormats.h"
#include "base/TextoPropio.h"
#include "import/OrigenFusion.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace slx::fusion {

namespace {

// Column types as libmdb numbers them.
enum : int {
    kBool = 0x01,
    kByte = 0x02,
    kInt = 0x03,
    kLongInt = 0x04,
    kMoney = 0x05,
    kFloat = 0x06,
    kDouble = 0x07,
    kDateTime = 0x08,
    kNumeric = 0x10
};

// Longest wait for the reader's next record: a reader that neither writes nor ends is
// stuck on a damaged file.
constexpr int kEsperaMs = 15000;

// A Single as the shortest decimal text that reads back as the same Single, so that
// 62.7 stored by the original program arrives as 62.7, not 62.700001.
QVariant single(const QByteArray &raw)
{
    bool ok = false;
    const float f = raw.toFloat(&ok);
    if (!ok)
        return QString::fromUtf8(raw);
    return decimalSingle(f);
}

QVariant valor(int type, const QByteArray *raw)
{
    if (!raw)
        return QVariant();
    if (type == kBool)
        return !raw->isEmpty() && *raw != "0";
    if (raw->isEmpty())
        return QVariant();
    switch (type) {
    case kByte:
    case kInt:
    case kLongInt: {
        bool ok = false;
        const qlonglong v = raw->toLongLong(&ok);
        return ok ? QVariant(v) : QVariant(QString::fromUtf8(*raw));
    }
    case kFloat: return single(*raw);
    case kDouble:
    case kMoney:
    case kNumeric: {
        bool ok = false;
        const double v = raw->toDouble(&ok);
        return ok ? QVariant(v) : QVariant(QString::fromUtf8(*raw));
    }
    case kDateTime: {
        // Read in UTC, so that no daylight-saving gap of the local zone moves a time.
        const QString s = QString::fromLatin1(*raw);
        const QDate d = QDate::fromString(s.left(10), QStringLiteral("yyyy-MM-dd"));
        const QTime t = QTime::fromString(s.mid(11), QStringLiteral("HH:mm:ss"));
        if (!d.isValid() || !t.isValid())
            return s;
        return QDateTime(d, t, Qt::UTC);
    }
    default: return QString::fromUtf8(*raw);
    }
}

quint32 leeU32(const char *p)
{
    quint32 v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | quint8(p[i]);
    return v;
}

// One run of the reader and the records it writes.
class Lector {
public:
    Resultado<> inicia(const QStringList &args)
    {
        const QString programa = lectorAccess();
        if (programa.isEmpty())
            return fallo(TextoPropio("The reader of Access files (%1) is missing beside the program.")
                             .arg(QStringLiteral("slx90-lector-mdb")));
        m_proceso.setProgram(programa);
        m_proceso.setArguments(args);
        m_proceso.setProcessChannelMode(QProcess::SeparateChannels);
        m_proceso.setStandardErrorFile(QProcess::nullDevice());
        m_proceso.start(QIODevice::ReadOnly);
        if (!m_proceso.waitForStarted(kEsperaMs))
            return fallo(m_proceso.errorString());
        return {};
    }

    // The next record; false at the end of the output (or when the reader is stuck).
    bool siguiente(char *tag, QByteArray *payload)
    {
        for (;;) {
            if (m_buffer.size() - m_pos >= 5) {
                const quint32 len = leeU32(m_buffer.constData() + m_pos + 1);
                if (m_buffer.size() - m_pos >= 5 + qsizetype(len)) {
                    *tag = m_buffer.at(m_pos);
                    *payload = m_buffer.mid(m_pos + 5, len);
                    m_pos += 5 + len;
                    if (m_pos > (1 << 20)) {
                        m_buffer.remove(0, m_pos);
                        m_pos = 0;
                    }
                    return true;
                }
            }
            if (m_proceso.bytesAvailable() == 0) {
                if (m_proceso.state() == QProcess::NotRunning)
                    return false;
                if (!m_proceso.waitForReadyRead(kEsperaMs) && m_proceso.bytesAvailable() == 0) {
                    if (m_proceso.state() != QProcess::NotRunning) {
                        m_atascado = true;
                        m_proceso.kill();
                        m_proceso.waitForFinished(kEsperaMs);
                    }
                    if (m_proceso.bytesAvailable() == 0)
                        return false;
                }
            }
            m_buffer += m_proceso.readAllStandardOutput();
        }
    }

    // Whether the reader ended normally.
    bool terminaBien()
    {
        if (m_proceso.state() != QProcess::NotRunning && !m_proceso.waitForFinished(kEsperaMs)) {
            m_proceso.kill();
            m_proceso.waitForFinished(kEsperaMs);
            return false;
        }
        return !m_atascado && m_proceso.exitStatus() == QProcess::NormalExit && m_proceso.exitCode() == 0;
    }

    void para()
    {
        if (m_proceso.state() != QProcess::NotRunning) {
            m_proceso.kill();
            m_proceso.waitForFinished(kEsperaMs);
        }
    }

    ~Lector() { para(); }

private:
    QProcess m_proceso;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    bool m_atascado = false;
};

class OrigenAccess final : public Origen {
public:
    Resultado<> abre(const QString &fichero) override
    {
        if (!QFile::exists(fichero))
            return fallo(TextoPropio("The file %1 does not exist.").arg(fichero));
        m_fichero = fichero;
        Lector lector;
        if (Resultado<> iniciado = lector.inicia({QStringLiteral("--tablas"), fichero}); !iniciado)
            return iniciado;
        char tag = 0;
        QByteArray p;
        QString motivo;
        QStringList danadas;
        while (lector.siguiente(&tag, &p)) {
            if (tag == 'T' && p.size() >= 4)
                m_tablas << QString::fromUtf8(p.mid(4));
            else if (tag == 'D')
                danadas << QString::fromUtf8(p);
            else if (tag == 'X')
                motivo = QString::fromUtf8(p);
            else if (tag == 'K' && p.size() >= 8)
                m_danos << TextoPropio("only %1 of the %2 entries of its list of tables could be read")
                               .arg(leeU32(p.constData()))
                               .arg(leeU32(p.constData() + 4));
        }
        if (!lector.terminaBien() || !motivo.isEmpty())
            return fallo(danada(fichero, motivo));
        // A damaged table the merge reads is reported when it reads it; the others
        // (the settings, the system tables) are only listed. A file none of whose data
        // tables can be read is refused whole.
        int datosDanadas = 0, datos = 0;
        for (const QString &t : m_tablas)
            datos += t.compare(QLatin1String("Configuracion"), Qt::CaseInsensitive) != 0;
        for (const QString &d : danadas) {
            const QString nombre = d.section(QLatin1Char('\t'), 0, 0);
            const QString por = d.section(QLatin1Char('\t'), 1);
            if (!m_tablas.contains(nombre) || nombre.compare(QLatin1String("Configuracion"), Qt::CaseInsensitive) == 0)
                m_danadas << nombre + QLatin1String(": ") + por;
            else if (++datosDanadas == datos)
                return fallo(danada(fichero, QStringLiteral("the table %1: %2").arg(nombre, por)));
        }
        return {};
    }

    QStringList tablasDanadas() const override { return m_danadas; }
    QStringList danos() const override { return m_danos; }

    Resultado<QStringList> tablas() override { return m_tablas; }

    Resultado<QStringList> abreTabla(const QString &tabla) override
    {
        cierraTabla();
        m_lector = std::make_unique<Lector>();
        m_leidas = 0;
        if (Resultado<> iniciado = m_lector->inicia({QStringLiteral("--tabla"), m_fichero, tabla}); !iniciado) {
            m_lector.reset();
            return fallo(iniciado.error());
        }
        char tag = 0;
        QByteArray p;
        if (!m_lector->siguiente(&tag, &p) || tag != 'C') {
            QString error = tag == 'X' ? QString::fromUtf8(p) : TextoPropio("the file is damaged");
            m_lector.reset();
            return fallo(error);
        }
        QStringList columnas;
        m_tipos.clear();
        for (qsizetype i = 0; i + 3 <= p.size();) {
            const int type = quint8(p.at(i));
            const int len = quint8(p.at(i + 1)) | (quint8(p.at(i + 2)) << 8);
            columnas.append(QString::fromUtf8(p.mid(i + 3, len)));
            m_tipos << type;
            i += 3 + len;
        }
        return columnas;
    }

    Resultado<bool> siguienteFila(QVector<QVariant> *fila) override
    {
        if (!m_lector)
            return false;
        char tag = 0;
        QByteArray p;
        if (!m_lector->siguiente(&tag, &p)) {
            m_lector->terminaBien();
            m_lector.reset();
            return fallo(TextoPropio("the file is damaged: its reader stopped after %1 rows").arg(m_leidas));
        }
        if (tag == 'R') {
            ++m_leidas;
            fila->resize(m_tipos.size());
            qsizetype i = 0;
            for (int c = 0; c < m_tipos.size(); ++c) {
                if (i + 4 > p.size()) {
                    (*fila)[c] = QVariant();
                    continue;
                }
                const quint32 len = leeU32(p.constData() + i);
                i += 4;
                if (len == 0xFFFFFFFFu) {
                    (*fila)[c] = valor(m_tipos.at(c), nullptr);
                    continue;
                }
                const QByteArray raw = p.mid(i, len);
                i += len;
                (*fila)[c] = valor(m_tipos.at(c), &raw);
            }
            return true;
        }
        QString error;
        if (tag == 'E' && p.size() >= 8) {
            const quint32 leidas = leeU32(p.constData());
            const quint32 declaradas = leeU32(p.constData() + 4);
            // libmdb tells the end of the rows and a page it cannot read apart only by the count.
            if (!m_lector->terminaBien())
                error = TextoPropio("the file is damaged: its reader stopped after %1 rows").arg(m_leidas);
            else if (leidas < declaradas)
                error = TextoPropio("only %1 of its %2 rows could be read").arg(leidas).arg(declaradas);
        } else if (tag == 'X') {
            error = QString::fromUtf8(p);
        } else {
            error = TextoPropio("the file is damaged: its reader stopped after %1 rows").arg(m_leidas);
        }
        m_lector.reset();
        // The end of the rows, or why they ended before it.
        if (error.isEmpty())
            return false;
        return fallo(error);
    }

    void cierraTabla() override { m_lector.reset(); }

private:
    static QString danada(const QString &fichero, const QString &motivo)
    {
        return motivo.isEmpty()
                   ? TextoPropio("The file %1 is damaged: the Access database cannot be read.").arg(fichero)
                   : TextoPropio("The file %1 is damaged: %2.").arg(fichero, motivo);
    }

    QString m_fichero;
    QStringList m_tablas;
    QStringList m_danadas;
    QStringList m_danos;
    std::unique_ptr<Lector> m_lector;
    QVector<int> m_tipos;
    quint32 m_leidas = 0;
};

} // namespace

QString lectorAccess()
{
    const QString nombre = QStringLiteral("slx90-lector-mdb");
    const QString junto = QDir(QCoreApplication::applicationDirPath()).filePath(nombre);
    if (QFileInfo(junto).isExecutable())
        return junto;
    const QString otro = QString::fromLocal8Bit(qgetenv("SLX90_LECTOR_MDB"));
    if (!otro.isEmpty() && QFileInfo(otro).isExecutable())
        return otro;
    return QString();
}

std::unique_ptr<Origen> creaOrigenAccess()
{
    return std::make_unique<OrigenAccess>();
}

} // namespace slx::fusion
