// Reads an Access (Jet) file with libmdb and writes what it finds to its standard output
// as records: a tag byte, a 32-bit little-endian length and the payload.
//
//   slx90-lector-mdb --tablas FILE        'T' per user table: rows (u32), then its name;
//                                         'D' per damaged table, system tables included:
//                                         its name, a tab and why; 'K' when some
//                                         entries of the list of tables cannot be read:
//                                         entries read and entries the list declares
//                                         (u32 each)
//   slx90-lector-mdb --tabla FILE NAME    'C' the columns: per column its type (u8), name
//                                         length (u16) and name; then 'R' per row: per
//                                         column a length (i32, -1 = NULL) and the value
//                                         as libmdb writes it; then 'E': rows read and
//                                         rows the table declares (u32 each)
//   on a failure: 'X' and a description, exit status 2.
//
// A file that crashes libmdb ends this process only; the program takes a missing 'E' or
// an abnormal end for a damaged file.

#include <glib.h>
// glib first: mdbtools.h uses its types without including it.
#include <mdbtools.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

namespace {

// A value of a bound column; a memo of 65,535 characters in UTF-8 fits.
constexpr size_t kBindSize = 256 * 1024;

void escribe(const void *data, size_t n)
{
    if (n && fwrite(data, 1, n, stdout) != n)
        _exit(3);
}

void u32(std::string &out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out += char((v >> (8 * i)) & 0xFF);
}

void registro(char tag, const std::string &payload)
{
    std::string head(1, tag);
    u32(head, uint32_t(payload.size()));
    escribe(head.data(), head.size());
    escribe(payload.data(), payload.size());
}

int falla(const std::string &motivo)
{
    registro('X', motivo);
    fflush(stdout);
    return 2;
}

// A table the file lists whose pages cannot be read: its name and why.
struct Danada {
    std::string nombre;
    std::string motivo;
};

// Whether the table of the catalogue entry can be read: its definition and every page
// of its usage map lie inside the file (a file cut short loses some of them).
bool tablaLegible(MdbHandle *mdb, MdbCatalogEntry *entry, unsigned long paginas, std::string *motivo)
{
    if (entry->table_pg >= paginas) {
        *motivo = "its definition lies past the end of the file";
        return false;
    }
    MdbTableDef *table = mdb_read_table(entry);
    if (!table) {
        *motivo = "its definition cannot be read";
        return false;
    }
    bool fuera = false;
    // A map of the second kind lists the pages that hold its bitmaps.
    const unsigned char *mapa = table->usage_map;
    if (mapa && table->map_sz > 0 && mapa[0] == 1) {
        for (size_t k = 1; k + 4 <= size_t(table->map_sz); k += 4) {
            const unsigned long p =
                mapa[k] | (mapa[k + 1] << 8) | (mapa[k + 2] << 16) | ((unsigned long)mapa[k + 3] << 24);
            fuera = fuera || (p != 0 && p >= paginas);
        }
    }
    gint32 pg = 0;
    for (int vueltas = 0; !fuera && vueltas < 1 << 22; ++vueltas) {
        const gint32 next = mdb_map_find_next(mdb, table->usage_map, unsigned(table->map_sz), guint32(pg));
        if (next <= pg)
            break;
        if ((unsigned long)next >= paginas) {
            fuera = true;
            break;
        }
        pg = next;
    }
    mdb_free_tabledef(table);
    if (fuera)
        *motivo = "its pages lie past the end of the file";
    return !fuera;
}

// The entries of the catalogue (MSysObjects) that libmdb reads, and those it declares:
// libmdb passes over a row it cannot read without a word, and a table whose entry is
// lost would go unseen.
bool cuentaCatalogo(MdbHandle *mdb, uint32_t *leidas, uint32_t *declaradas)
{
    MdbCatalogEntry msys {};
    msys.mdb = mdb;
    msys.object_type = MDB_TABLE;
    msys.table_pg = 2;
    snprintf(msys.object_name, sizeof msys.object_name, "%s", "MSysObjects");
    MdbTableDef *table = mdb_read_table(&msys);
    if (!table)
        return false;
    if (!mdb_read_columns(table)) {
        mdb_free_tabledef(table);
        return false;
    }
    mdb_rewind_table(table);
    uint32_t n = 0;
    while (mdb_fetch_row(table))
        ++n;
    *leidas = n;
    *declaradas = table->num_rows;
    mdb_free_tabledef(table);
    return true;
}

// Opens the file and checks that its length and its catalogue fit its pages; the
// tables whose pages do not go to *danadas.
MdbHandle *abre(const char *fichero, std::string *motivo, std::vector<Danada> *danadas)
{
    struct stat st {};
    if (stat(fichero, &st) != 0) {
        *motivo = "the file cannot be read";
        return nullptr;
    }
    MdbHandle *mdb = mdb_open(fichero, MDB_NOFLAGS);
    if (!mdb) {
        *motivo = "the file is not an Access database";
        return nullptr;
    }
    const off_t pagina = mdb->fmt->pg_size;
    if (pagina <= 0 || st.st_size < 2 * pagina || st.st_size % pagina != 0) {
        *motivo = "its length does not fit its pages";
        mdb_close(mdb);
        return nullptr;
    }
    if (!mdb_read_catalog(mdb, MDB_TABLE)) {
        *motivo = "its list of tables cannot be read";
        mdb_close(mdb);
        return nullptr;
    }
    const unsigned long paginas = (unsigned long)(st.st_size / pagina);
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        std::string por;
        if (entry->object_type == MDB_TABLE && !tablaLegible(mdb, entry, paginas, &por))
            danadas->push_back({entry->object_name, por});
    }
    mdb_set_date_fmt(mdb, "%Y-%m-%d %H:%M:%S");
    mdb_set_shortdate_fmt(mdb, "%Y-%m-%d %H:%M:%S");
    mdb_set_boolean_fmt_numbers(mdb);
    mdb_set_bind_size(mdb, kBindSize);
    return mdb;
}

const Danada *busca(const std::vector<Danada> &danadas, const char *nombre)
{
    for (const Danada &d : danadas)
        if (d.nombre == nombre)
            return &d;
    return nullptr;
}

int tablas(const char *fichero)
{
    std::string motivo;
    std::vector<Danada> danadas;
    MdbHandle *mdb = abre(fichero, &motivo, &danadas);
    if (!mdb)
        return falla(motivo);
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type != MDB_TABLE || !mdb_is_user_table(entry))
            continue;
        std::string p;
        if (busca(danadas, entry->object_name)) {
            // Listed, so that a merge that needs it reports it when it cannot read it.
            u32(p, 0);
        } else {
            MdbTableDef *table = mdb_read_table(entry);
            if (!table)
                return falla(std::string("the table ") + entry->object_name + " cannot be read");
            u32(p, table->num_rows);
            mdb_free_tabledef(table);
        }
        p += entry->object_name;
        registro('T', p);
    }
    for (const Danada &d : danadas)
        registro('D', d.nombre + '\t' + d.motivo);
    uint32_t leidas = 0, declaradas = 0;
    if (!cuentaCatalogo(mdb, &leidas, &declaradas))
        return falla("its list of tables cannot be read");
    if (leidas < declaradas) {
        std::string k;
        u32(k, leidas);
        u32(k, declaradas);
        registro('K', k);
    }
    mdb_close(mdb);
    fflush(stdout);
    return 0;
}

int tabla(const char *fichero, const char *nombre)
{
    std::string motivo;
    std::vector<Danada> danadas;
    MdbHandle *mdb = abre(fichero, &motivo, &danadas);
    if (!mdb)
        return falla(motivo);
    if (const Danada *d = busca(danadas, nombre))
        return falla(std::string("the table ") + nombre + " is damaged: " + d->motivo);
    std::string name(nombre);
    MdbTableDef *table = mdb_read_table_by_name(mdb, name.data(), MDB_TABLE);
    if (!table || !mdb_read_columns(table))
        return falla("the table " + name + " cannot be read");
    mdb_rewind_table(table);
    const unsigned n = table->num_cols;
    std::vector<char *> buffers(n);
    std::vector<int> lengths(n, 0);
    std::string cols;
    for (unsigned c = 0; c < n; ++c) {
        auto *col = static_cast<MdbColumn *>(g_ptr_array_index(table->columns, c));
        cols += char(col->col_type);
        const size_t len = strlen(col->name);
        cols += char(len & 0xFF);
        cols += char((len >> 8) & 0xFF);
        cols += col->name;
        buffers[c] = static_cast<char *>(g_malloc0(kBindSize + 1));
        mdb_bind_column(table, int(c) + 1, buffers[c], &lengths[c]);
    }
    registro('C', cols);
    uint32_t leidas = 0;
    std::string fila;
    while (mdb_fetch_row(table)) {
        ++leidas;
        fila.clear();
        for (unsigned c = 0; c < n; ++c) {
            if (size_t(lengths[c]) >= kBindSize - 1)
                return falla("row " + std::to_string(leidas) + " holds a text too long to be read whole");
            const int len = lengths[c];
            if (len <= 0 && static_cast<MdbColumn *>(g_ptr_array_index(table->columns, c))->col_type != MDB_BOOL) {
                u32(fila, 0xFFFFFFFFu);
                continue;
            }
            u32(fila, uint32_t(len > 0 ? len : 0));
            fila.append(buffers[c], size_t(len > 0 ? len : 0));
        }
        registro('R', fila);
    }
    std::string fin;
    u32(fin, leidas);
    u32(fin, table->num_rows);
    registro('E', fin);
    for (char *b : buffers)
        g_free(b);
    mdb_free_tabledef(table);
    mdb_close(mdb);
    fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    // A crash leaves no core file behind.
    struct rlimit sinCore {
        0, 0
    };
    setrlimit(RLIMIT_CORE, &sinCore);
    if (argc == 3 && strcmp(argv[1], "--tablas") == 0)
        return tablas(argv[2]);
    if (argc == 4 && strcmp(argv[1], "--tabla") == 0)
        return tabla(argv[2], argv[3]);
    fprintf(stderr, "usage: %s --tablas FILE | --tabla FILE TABLE\n", argv[0]);
    return 1;
}
