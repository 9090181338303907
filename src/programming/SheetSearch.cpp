#include "programming/SheetSearch.h"

#include <QDate>
#include <QSqlError>
#include <QSqlQuery>

namespace slx::sheet {

QVector<qint32> serialesFichas(const QSqlDatabase &db, QString *error)
{
    QVector<qint32> out;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT \"LNumeroSerie\" FROM \"Programacion\" ORDER BY \"LNumeroSerie\""))) {
        if (error)
            *error = q.lastError().text();
        return out;
    }
    while (q.next())
        out.append(q.value(0).toInt());
    return out;
}

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

// The text of a stored value as the sheet shows it.
QString shown(const QString &column, const QVariant &value)
{
    if (value.isNull())
        return QString();
    if (column == QLatin1String("DFecha")) {
        const QDate d = QDate::fromString(value.toString().left(10), Qt::ISODate);
        return d.isValid() ? d.toString(QStringLiteral("dd/MM/yy")) : value.toString();
    }
    return value.toString();
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

QString pliega(const QString &text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString out;
    out.reserve(decomposed.size());
    for (QChar c : decomposed) {
        if (c.category() == QChar::Mark_NonSpacing || c.category() == QChar::Mark_SpacingCombining ||
            c.category() == QChar::Mark_Enclosing)
            continue;
        out += c;
    }
    return out.toCaseFolded();
}

std::optional<qint32> buscaFicha(const QSqlDatabase &db, const QString &campActual, const QString &texto,
                                 QString *error)
{
    const QString column = columnaBusqueda(campActual);
    if (column.isEmpty() || texto.isEmpty())
        return std::nullopt;
    const QString wanted = pliega(texto);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    // The column name comes from the fixed table above, never from the user.
    if (!q.exec(QStringLiteral("SELECT \"LNumeroSerie\", \"%1\" FROM \"Programacion\" ORDER BY \"LNumeroSerie\"")
                    .arg(column))) {
        if (error)
            *error = q.lastError().text();
        return std::nullopt;
    }
    while (q.next()) {
        if (pliega(shown(column, q.value(1))).contains(wanted))
            return q.value(0).toInt();
    }
    return std::nullopt;
}

bool borraAparato(QSqlDatabase db, qint32 serial, QString *error)
{
    static const char *const kTables[] = {"IntervaloInhabil", "Sesiones",        "Intervalos",  "DiaFinalBateria",
                                          "DiaBorrado",       "DiaReprogramado", "Programacion"};
    if (!db.transaction()) {
        if (error)
            *error = db.lastError().text();
        return false;
    }
    QSqlQuery q(db);
    for (const char *table : kTables) {
        q.prepare(QStringLiteral("DELETE FROM \"%1\" WHERE \"LNumeroSerie\" = ?").arg(QLatin1String(table)));
        q.addBindValue(serial);
        if (!q.exec()) {
            if (error)
                *error = q.lastError().text();
            db.rollback();
            return false;
        }
    }
    if (!db.commit()) {
        if (error)
            *error = db.lastError().text();
        db.rollback();
        return false;
    }
    return true;
}

} // namespace slx::sheet
