#include "widgets/WindowedSqlModel.h"

#include "base/Database.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QSqlError>
#include <QSqlQuery>
#include <QStyle>
#include <QStyleOptionButton>

namespace slx {

namespace {

int g_tempSerial = 0;

QString q(const QString &identifier)
{
    return Database::quoteIdentifier(identifier);
}

// The 11 x 11 picture of an empty or a ticked check box.
QPixmap casilla(bool ticked)
{
    static QPixmap pictures[2];
    QPixmap &p = pictures[ticked ? 1 : 0];
    if (p.isNull()) {
        p = QPixmap(11, 11);
        p.fill(Qt::transparent);
        QPainter painter(&p);
        QStyleOptionButton option;
        option.rect = QRect(0, 0, 11, 11);
        option.state = QStyle::State_Enabled | (ticked ? QStyle::State_On : QStyle::State_Off);
        QApplication::style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter);
    }
    return p;
}

} // namespace

WindowedSqlModel::WindowedSqlModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

WindowedSqlModel::~WindowedSqlModel()
{
    dropTemp();
}

void WindowedSqlModel::setColumns(const QVector<GridColumn> &columns)
{
    beginResetModel();
    m_columns = columns;
    m_pages.clear();
    m_recent.clear();
    endResetModel();
}

void WindowedSqlModel::columnChanged(int i)
{
    if (i < 0 || i >= m_columns.size())
        return;
    Q_EMIT headerDataChanged(Qt::Horizontal, i, i);
    if (m_count > 0)
        Q_EMIT dataChanged(index(0, i), index(m_count - 1, i));
}

QString WindowedSqlModel::selectList(const QString &prefix) const
{
    QStringList cols;
    for (const GridColumn &c : m_columns)
        cols << (c.dataField.isEmpty() ? QStringLiteral("NULL") : prefix + q(c.dataField));
    return cols.isEmpty() ? QStringLiteral("NULL") : cols.join(QStringLiteral(", "));
}

QString WindowedSqlModel::orderBy(bool reversed) const
{
    QStringList terms;
    bool lastDesc = false;
    for (const Orden &o : m_order) {
        const bool desc = o.descendente != reversed;
        terms << q(o.columna) + (desc ? QStringLiteral(" DESC") : QStringLiteral(" ASC"));
        lastDesc = o.descendente;
    }
    // The row id settles ties, so that the order read from either end is the same.
    terms << (lastDesc != reversed ? QStringLiteral("rowid DESC") : QStringLiteral("rowid ASC"));
    return terms.join(QStringLiteral(", "));
}

QString WindowedSqlModel::whereClause() const
{
    return m_filterColumn.isEmpty() ? QString() : QStringLiteral(" WHERE %1 = ?").arg(q(m_filterColumn));
}

void WindowedSqlModel::dropTemp()
{
    if (m_tempTable.isEmpty())
        return;
    if (m_db.isValid() && m_db.isOpen()) {
        QSqlQuery drop(m_db);
        drop.exec(QStringLiteral("DROP TABLE IF EXISTS temp.%1").arg(q(m_tempTable)));
    }
    m_tempTable.clear();
}

Resultado<> WindowedSqlModel::query()
{
    dropTemp();
    m_pages.clear();
    m_recent.clear();
    m_pagesRead = 0;
    m_lastError.clear();
    m_count = 0;
    if (!m_db.isValid() || !m_db.isOpen() || m_table.isEmpty())
        return {};

    const auto fail = [&](const QSqlQuery &failed) -> Resultado<> {
        m_lastError = failed.lastError().text();
        m_count = 0;
        dropTemp();
        return fallo(m_lastError);
    };

    // Is the order served by an index? Otherwise the ids are put in order once.
    QSqlQuery plan(m_db);
    plan.prepare(QStringLiteral("EXPLAIN QUERY PLAN SELECT %1 FROM %2%3 ORDER BY %4")
                     .arg(selectList(QString()), q(m_table), whereClause(), orderBy(false)));
    if (!m_filterColumn.isEmpty())
        plan.addBindValue(m_filterValue);
    if (!plan.exec())
        return fail(plan);
    bool sorter = false;
    while (plan.next())
        sorter = sorter || plan.value(3).toString().contains(QLatin1String("TEMP B-TREE"));

    if (!sorter) {
        QSqlQuery count(m_db);
        count.prepare(QStringLiteral("SELECT COUNT(*) FROM %1%2").arg(q(m_table), whereClause()));
        if (!m_filterColumn.isEmpty())
            count.addBindValue(m_filterValue);
        if (!count.exec() || !count.next())
            return fail(count);
        m_count = count.value(0).toInt();
        return {};
    }

    m_tempTable = QStringLiteral("slx_orden_%1").arg(++g_tempSerial);
    QSqlQuery create(m_db);
    if (!create.exec(QStringLiteral("CREATE TEMP TABLE %1 (rid INTEGER)").arg(q(m_tempTable))))
        return fail(create);
    QSqlQuery fill(m_db);
    fill.prepare(QStringLiteral("INSERT INTO temp.%1 (rid) SELECT rowid FROM %2%3 ORDER BY %4")
                     .arg(q(m_tempTable), q(m_table), whereClause(), orderBy(false)));
    if (!m_filterColumn.isEmpty())
        fill.addBindValue(m_filterValue);
    if (!fill.exec())
        return fail(fill);
    m_count = fill.numRowsAffected();
    return {};
}

Resultado<> WindowedSqlModel::setSource(const QSqlDatabase &db, const QString &table, const QString &filterColumn,
                                        const QVariant &filterValue, const QVector<Orden> &order)
{
    beginResetModel();
    dropTemp();
    m_db = db;
    m_table = table;
    m_filterColumn = filterColumn;
    m_filterValue = filterValue;
    m_order = order;
    Resultado<> ok = query();
    endResetModel();
    return ok;
}

Resultado<> WindowedSqlModel::setOrder(const QVector<Orden> &order)
{
    beginResetModel();
    m_order = order;
    Resultado<> ok = query();
    endResetModel();
    return ok;
}

Resultado<> WindowedSqlModel::refresh()
{
    beginResetModel();
    Resultado<> ok = query();
    endResetModel();
    return ok;
}

void WindowedSqlModel::clear()
{
    beginResetModel();
    dropTemp();
    m_table.clear();
    m_filterColumn.clear();
    m_filterValue = QVariant();
    m_count = 0;
    m_pages.clear();
    m_recent.clear();
    endResetModel();
}

bool WindowedSqlModel::leePagina(int page) const
{
    const int first = page * kPageRows;
    const int rows = qMin(kPageRows, m_count - first);
    if (rows <= 0)
        return false;
    QSqlQuery read(m_db);
    read.setForwardOnly(true);
    bool reversed = false;
    if (!m_tempTable.isEmpty()) {
        read.prepare(QStringLiteral("SELECT %1 FROM temp.%2 o JOIN %3 t ON t.rowid = o.rid "
                                    "WHERE o.rowid > ? AND o.rowid <= ? ORDER BY o.rowid")
                         .arg(selectList(QStringLiteral("t.")), q(m_tempTable), q(m_table)));
        read.addBindValue(first);
        read.addBindValue(first + rows);
    } else {
        // Read from the nearer end of the index.
        reversed = first > m_count - (first + rows);
        read.prepare(QStringLiteral("SELECT %1 FROM %2%3 ORDER BY %4 LIMIT ? OFFSET ?")
                         .arg(selectList(QString()), q(m_table), whereClause(), orderBy(reversed)));
        if (!m_filterColumn.isEmpty())
            read.addBindValue(m_filterValue);
        read.addBindValue(rows);
        read.addBindValue(reversed ? m_count - (first + rows) : first);
    }
    if (!read.exec()) {
        m_lastError = read.lastError().text();
        return false;
    }
    QVector<Row> out;
    out.reserve(rows);
    const int columns = int(m_columns.size());
    while (read.next()) {
        Row r(columns);
        for (int c = 0; c < columns; ++c)
            r[c] = read.value(c);
        out.append(r);
    }
    if (reversed)
        std::reverse(out.begin(), out.end());
    ++m_pagesRead;
    m_pages.insert(page, out);
    m_recent.prepend(page);
    while (m_recent.size() > kCachedPages)
        m_pages.remove(m_recent.takeLast());
    return true;
}

const WindowedSqlModel::Row *WindowedSqlModel::fila(int row) const
{
    if (row < 0 || row >= m_count)
        return nullptr;
    const int page = row / kPageRows;
    auto it = m_pages.constFind(page);
    if (it == m_pages.constEnd()) {
        if (!leePagina(page))
            return nullptr;
        it = m_pages.constFind(page);
    } else if (m_recent.first() != page) {
        m_recent.removeOne(page);
        m_recent.prepend(page);
    }
    const int at = row - page * kPageRows;
    return at < it->size() ? &it->at(at) : nullptr;
}

QVariant WindowedSqlModel::valor(int row, int column) const
{
    const Row *r = fila(row);
    if (!r || column < 0 || column >= r->size())
        return QVariant();
    return r->at(column);
}

QString WindowedSqlModel::texto(int row, int column) const
{
    if (column < 0 || column >= m_columns.size())
        return QString();
    return textoCelda(m_columns.at(column), valor(row, column));
}

int WindowedSqlModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_count;
}

int WindowedSqlModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant WindowedSqlModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() >= m_columns.size())
        return QVariant();
    const GridColumn &c = m_columns.at(index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: {
        const QVariant v = valor(index.row(), index.column());
        const ValueItem *item = itemDeValor(c, v);
        if (item && item->picture != ValueItem::Picture::None && role == Qt::DisplayRole)
            return QString();
        return textoCelda(c, v);
    }
    case Qt::EditRole: return valor(index.row(), index.column());
    case Qt::DecorationRole: {
        const ValueItem *item = itemDeValor(c, valor(index.row(), index.column()));
        if (item && item->picture != ValueItem::Picture::None)
            return casilla(item->picture == ValueItem::Picture::CheckTicked);
        return QVariant();
    }
    case Qt::BackgroundRole: return c.back.isValid() ? QVariant(c.back) : QVariant();
    case Qt::TextAlignmentRole: {
        const QVariant v = valor(index.row(), index.column());
        const bool number =
            v.typeId() == QMetaType::Double || v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int;
        return int((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    default: return QVariant();
    }
}

QVariant WindowedSqlModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole)
            return QString();
        return QVariant();
    }
    if (section < 0 || section >= m_columns.size())
        return QVariant();
    const GridColumn &c = m_columns.at(section);
    switch (role) {
    case Qt::DisplayRole: return textoCabecera(c.caption);
    case Qt::EditRole: return c.caption;
    case Qt::AccessibleTextRole: return textoCabecera(c.caption).replace(QLatin1Char('\n'), QLatin1Char(' '));
    case Qt::BackgroundRole: return c.headBack.isValid() ? QVariant(c.headBack) : QVariant();
    default: return QVariant();
    }
}

bool WindowedSqlModel::setHeaderData(int section, Qt::Orientation orientation, const QVariant &value, int role)
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size() ||
        (role != Qt::EditRole && role != Qt::DisplayRole))
        return false;
    m_columns[section].caption = value.toString();
    Q_EMIT headerDataChanged(orientation, section, section);
    return true;
}

Qt::ItemFlags WindowedSqlModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

} // namespace slx
