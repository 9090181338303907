// Reader of the tables of an Access (Jet) database of the original program, through libmdb.

#include "base/TextoPropio.h"
#include "import/OrigenFusion.h"

#include <glib.h>
// glib first: mdbtools.h uses its types without including it.
#include <mdbtools.h>

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <charconv>
#include <clocale>
#include <locale.h>
#include <vector>

namespace slx::fusion {

namespace {

// Bound buffers hold one converted value each: a memo of 65,535 characters in UTF-8
// fits; a longer one would be cut by libmdb, so the table is reported instead.
constexpr size_t kBindSize = 256 * 1024;

// A Single as the shortest decimal text that reads back as the same Single, so that
// 62.7 stored by the original program arrives as 62.7, not 62.700001.
QVariant single(const char *text)
{
    const QByteArray raw(text);
    bool ok = false;
    const float f = raw.toFloat(&ok);
    if (!ok)
        return QString::fromUtf8(raw);
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, f);
    double d = f;
    std::from_chars(buf, res.ptr, d);
    return d;
}

// libmdb writes the numbers of a row with printf, which follows the process's numeric
// locale (set from the user's settings at start-up): under a decimal comma a Single came
// as "62,7" and its row was refused. Rows are fetched with this thread's numeric locale C.
class NumerosC {
public:
    NumerosC()
        : m_previous(uselocale(numerosC()))
    {
    }
    ~NumerosC() { uselocale(m_previous); }
    NumerosC(const NumerosC &) = delete;
    NumerosC &operator=(const NumerosC &) = delete;

private:
    static locale_t numerosC()
    {
        // The user's locale with the numbers of C; (locale_t)0 leaves the thread as it is.
        static const locale_t c = [] {
            const locale_t base = duplocale(LC_GLOBAL_LOCALE);
            if (!base)
                return locale_t(nullptr);
            const locale_t made = newlocale(LC_NUMERIC_MASK, "C", base);
            if (!made)
                freelocale(base);
            return made;
        }();
        return c;
    }

    locale_t m_previous;
};

class OrigenAccess final : public Origen {
public:
    ~OrigenAccess() override
    {
        cierraTabla();
        if (m_mdb)
            mdb_close(m_mdb);
    }

    bool abre(const QString &fichero, QString *error) override
    {
        if (!QFile::exists(fichero)) {
            *error = TextoPropio("The file %1 does not exist.").arg(fichero);
            return false;
        }
        const QByteArray path = QFile::encodeName(fichero);
        m_mdb = mdb_open(path.constData(), MDB_NOFLAGS);
        if (!m_mdb) {
            *error = TextoPropio("The file %1 is not a database that can be read, or it is damaged.").arg(fichero);
            return false;
        }
        mdb_set_date_fmt(m_mdb, "%Y-%m-%d %H:%M:%S");
        mdb_set_shortdate_fmt(m_mdb, "%Y-%m-%d %H:%M:%S");
        mdb_set_boolean_fmt_numbers(m_mdb);
        mdb_set_bind_size(m_mdb, kBindSize);
        return true;
    }

    bool tablas(QStringList *nombres, QString *error) override
    {
        if (!mdb_read_catalog(m_mdb, MDB_TABLE)) {
            *error = TextoPropio("The list of tables of the database cannot be read: the file is damaged.");
            return false;
        }
        for (unsigned i = 0; i < m_mdb->num_catalog; ++i) {
            auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(m_mdb->catalog, i));
            if (entry->object_type == MDB_TABLE && mdb_is_user_table(entry))
                nombres->append(QString::fromUtf8(entry->object_name));
        }
        return true;
    }

    bool abreTabla(const QString &tabla, QStringList *columnas, QString *error) override
    {
        cierraTabla();
        QByteArray name = tabla.toUtf8();
        m_table = mdb_read_table_by_name(m_mdb, name.data(), MDB_TABLE);
        if (!m_table || !mdb_read_columns(m_table)) {
            *error = TextoPropio("The table %1 cannot be read.").arg(tabla);
            cierraTabla();
            return false;
        }
        mdb_rewind_table(m_table);
        const unsigned n = m_table->num_cols;
        m_buffers.assign(n, nullptr);
        m_lengths.assign(n, 0);
        m_types.assign(n, 0);
        for (unsigned c = 0; c < n; ++c) {
            auto *col = static_cast<MdbColumn *>(g_ptr_array_index(m_table->columns, c));
            columnas->append(QString::fromUtf8(col->name));
            m_types[c] = col->col_type;
            m_buffers[c] = static_cast<char *>(g_malloc0(kBindSize + 1));
            mdb_bind_column(m_table, int(c) + 1, m_buffers[c], &m_lengths[c]);
        }
        m_expected = m_table->num_rows;
        m_read = 0;
        return true;
    }

    bool siguienteFila(QVector<QVariant> *fila, QString *error) override
    {
        if (!m_table)
            return false;
        bool leida;
        {
            const NumerosC numeros;
            leida = mdb_fetch_row(m_table);
        }
        if (!leida) {
            // libmdb tells the end of the rows and a page it cannot read apart only by the count.
            if (m_read < m_expected)
                *error = TextoPropio("only %1 of its %2 rows could be read").arg(m_read).arg(m_expected);
            return false;
        }
        ++m_read;
        const int n = int(m_buffers.size());
        for (int c = 0; c < n; ++c) {
            if (size_t(m_lengths[c]) >= kBindSize - 1) {
                *error = TextoPropio("row %1 holds a text too long to be read whole").arg(m_read);
                return false;
            }
        }
        fila->resize(n);
        for (int c = 0; c < n; ++c)
            (*fila)[c] = valor(c);
        return true;
    }

    void cierraTabla() override
    {
        if (m_table) {
            mdb_free_tabledef(m_table);
            m_table = nullptr;
        }
        for (char *b : m_buffers)
            g_free(b);
        m_buffers.clear();
        m_lengths.clear();
        m_types.clear();
    }

private:
    QVariant valor(int c) const
    {
        const int len = m_lengths[c];
        const char *text = m_buffers[c];
        const int type = m_types[c];
        if (len <= 0)
            return type == MDB_BOOL ? QVariant(false) : QVariant();
        const QByteArray raw(text, len);
        switch (type) {
        case MDB_BOOL: return raw != "0";
        case MDB_BYTE:
        case MDB_INT:
        case MDB_LONGINT: {
            bool ok = false;
            const qlonglong v = raw.toLongLong(&ok);
            return ok ? QVariant(v) : QVariant(QString::fromUtf8(raw));
        }
        case MDB_FLOAT: return single(raw.constData());
        case MDB_DOUBLE:
        case MDB_MONEY:
        case MDB_NUMERIC: {
            bool ok = false;
            const double v = raw.toDouble(&ok);
            return ok ? QVariant(v) : QVariant(QString::fromUtf8(raw));
        }
        case MDB_DATETIME: {
            // Read in UTC, so that no daylight-saving gap of the local zone moves a time.
            const QString s = QString::fromLatin1(raw);
            const QDate d = QDate::fromString(s.left(10), QStringLiteral("yyyy-MM-dd"));
            const QTime t = QTime::fromString(s.mid(11), QStringLiteral("HH:mm:ss"));
            if (!d.isValid() || !t.isValid())
                return s;
            return QDateTime(d, t, Qt::UTC);
        }
        default: return QString::fromUtf8(raw);
        }
    }

    MdbHandle *m_mdb = nullptr;
    MdbTableDef *m_table = nullptr;
    std::vector<char *> m_buffers;
    std::vector<int> m_lengths;
    std::vector<int> m_types;
    unsigned m_expected = 0;
    unsigned m_read = 0;
};

} // namespace

std::unique_ptr<Origen> creaOrigenAccess()
{
    return std::make_unique<OrigenAccess>();
}

} // namespace slx::fusion
