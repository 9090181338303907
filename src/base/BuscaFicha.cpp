#include "base/BuscaFicha.h"

#include "base/Database.h"

#include <QDate>
#include <QSqlError>
#include <QSqlQuery>

namespace slx {

namespace {

// The text of a stored value as the windows show it.
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

Resultado<QVector<qint32>> serialesProgramacion(const QSqlDatabase &db)
{
    QVector<qint32> out;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT \"LNumeroSerie\" FROM \"Programacion\" ORDER BY \"LNumeroSerie\"")))
        return fallo(q.lastError().text());
    while (q.next())
        out.append(q.value(0).toInt());
    return out;
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

Resultado<std::optional<qint32>> buscaFichaPorCampo(const QSqlDatabase &db, const QString &column, const QString &texto)
{
    if (column.isEmpty() || texto.isEmpty())
        return std::nullopt;
    const QString wanted = pliega(texto);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT \"LNumeroSerie\", %1 FROM \"Programacion\" ORDER BY \"LNumeroSerie\"")
                    .arg(Database::quoteIdentifier(column))))
        return fallo(q.lastError().text());
    while (q.next()) {
        if (pliega(shown(column, q.value(1))).contains(wanted))
            return q.value(0).toInt();
    }
    return std::nullopt;
}

} // namespace slx
