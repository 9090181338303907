#include "widgets/GridColumn.h"

#include <QDate>
#include <QLocale>

namespace slx {

namespace {

// The stored value as a number, when it is one.
bool numero(const QVariant &stored, double *out)
{
    if (stored.isNull() || !stored.isValid())
        return false;
    switch (stored.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Bool: *out = stored.toDouble(); return true;
    default: break;
    }
    // SQLite may hand back a number stored as text; read it without regional settings.
    bool ok = false;
    const double v = stored.toString().trimmed().toDouble(&ok);
    if (ok)
        *out = v;
    return ok;
}

} // namespace

const ValueItem *itemDeValor(const GridColumn &column, const QVariant &stored)
{
    if (column.valueItems.isEmpty())
        return nullptr;
    double v = 0;
    if (!numero(stored, &v))
        return nullptr;
    for (const ValueItem &item : column.valueItems)
        if (item.value == v)
            return &item;
    return nullptr;
}

QString textoCelda(const GridColumn &column, const QVariant &stored)
{
    if (stored.isNull() || !stored.isValid())
        return QString();
    if (const ValueItem *item = itemDeValor(column, stored))
        return item->display;
    const QString &format = column.numberFormat;
    if (format.isEmpty())
        return stored.toString();
    if (format.compare(QLatin1String("Short Date"), Qt::CaseInsensitive) == 0) {
        const QString text = stored.toString();
        const QDate d = QDate::fromString(text.left(10), Qt::ISODate);
        return d.isValid() ? d.toString(QStringLiteral("dd/MM/yyyy")) : text;
    }
    double v = 0;
    if (!numero(stored, &v))
        return stored.toString();
    const qsizetype point = format.indexOf(QLatin1Char('.'));
    const int decimals = point < 0 ? 0 : int(format.size() - point - 1);
    return QLocale().toString(v, 'f', decimals);
}

QString textoCabecera(const QString &caption)
{
    QString out = caption;
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

QColor colorRgb(int r, int g, int b)
{
    return QColor(r, g, b);
}

} // namespace slx
