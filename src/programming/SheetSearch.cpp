#include "programming/SheetSearch.h"

#include "base/BuscaFicha.h"

#include <QSqlError>
#include <QSqlQuery>

namespace slx::sheet {

namespace {

struct Field {
    const char *control;
    const char *column;
    int label;
};

constexpr Field kFields[] = {
    {"MaskNumeroSerie", "LNumeroSerie", 2}, {"MaskVersion", "TVersion", 3},   {"MaskFecha", "DFecha", 4},
    {"MaskContacto", "TContacto", 5},       {"MaskLocal", "TLocal", 6},       {"MaskDireccion", "TDireccion", 7},
    {"MaskPoblacion", "TPoblacion", 8},     {"MaskTelefono", "TTelefono", 9},
};

const Field *fieldOf(const QString &campActual)
{
    for (const Field &f : kFields)
        if (campActual == QLatin1String(f.control))
            return &f;
    return nullptr;
}

} // namespace

QString columnaBusqueda(const QString &campActual)
{
    const Field *f = fieldOf(campActual);
    return f ? QString::fromLatin1(f->column) : QString();
}

int etiquetaBusqueda(const QString &campActual)
{
    const Field *f = fieldOf(campActual);
    return f ? f->label : 0;
}

Resultado<std::optional<qint32>> buscaFicha(const QSqlDatabase &db, const QString &campActual, const QString &texto)
{
    return buscaFichaPorCampo(db, columnaBusqueda(campActual), texto);
}

Resultado<> borraAparato(QSqlDatabase db, qint32 serial)
{
    static const char *const kTables[] = {"IntervaloInhabil", "Sesiones",        "Intervalos",  "DiaFinalBateria",
                                          "DiaBorrado",       "DiaReprogramado", "Programacion"};
    if (!db.transaction())
        return fallo(db.lastError().text());
    QSqlQuery q(db);
    for (const char *table : kTables) {
        q.prepare(QStringLiteral("DELETE FROM \"%1\" WHERE \"LNumeroSerie\" = ?").arg(QLatin1String(table)));
        q.addBindValue(serial);
        if (!q.exec()) {
            const QString error = q.lastError().text();
            db.rollback();
            return fallo(error);
        }
    }
    if (!db.commit()) {
        const QString error = db.lastError().text();
        db.rollback();
        return fallo(error);
    }
    return {};
}

} // namespace slx::sheet
