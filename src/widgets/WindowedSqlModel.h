#pragma once
// The rows of one table behind a data grid, read a page at a time.
//
// A device's log can hold millions of rows: the model counts them with one COUNT, reads
// the pages that are looked at (kPageRows rows each) and keeps the last kCachedPages of
// them; nothing else is held. Rows are the rows of a table with one column equal to a
// bound value, in a given order. An order that an index of the table serves is read
// straight from that index, from whichever end is nearer; any other order (a value
// column) is first written, as the row ids of the table in that order, into a temporary
// table, whose pages are then read by position.
//
// Cells are formatted and coloured by the column layout (GridColumn) as they are asked
// for, that is only the cells in sight. Qt::EditRole gives the stored value.

#include "base/Resultado.h"
#include "widgets/GridColumn.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QVector>

namespace slx {

class WindowedSqlModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kPageRows = 100;
    static constexpr int kCachedPages = 6;

    struct Orden {
        QString columna;
        bool descendente = false;
    };

    explicit WindowedSqlModel(QObject *parent = nullptr);
    ~WindowedSqlModel() override;

    // The column layout (the grid's columns by index).
    void setColumns(const QVector<GridColumn> &columns);
    const QVector<GridColumn> &columns() const { return m_columns; }
    GridColumn &column(int i) { return m_columns[i]; }
    const GridColumn &column(int i) const { return m_columns.at(i); }
    // Tells the views that the layout of a column changed (caption, colours, items).
    void columnChanged(int i);

    // The rows of table whose filterColumn equals filterValue (bound), in that order.
    // A failure with the database's description (the model is then empty).
    Resultado<> setSource(const QSqlDatabase &db, const QString &table, const QString &filterColumn,
                          const QVariant &filterValue, const QVector<Orden> &order);
    // The same rows in another order.
    Resultado<> setOrder(const QVector<Orden> &order);
    // Reads the rows again (after they changed in the table).
    Resultado<> refresh();
    // No rows.
    void clear();

    const QVector<Orden> &order() const { return m_order; }
    QString table() const { return m_table; }
    // True when the current order is read through a temporary ordering of row ids.
    bool ordenTemporal() const { return !m_tempTable.isEmpty(); }

    // The stored value of a cell (a missing row gives an invalid value).
    QVariant valor(int row, int column) const;
    // The text a cell shows.
    QString texto(int row, int column) const;

    // Description of the last failure of a read (empty when none).
    QString lastError() const { return m_lastError; }
    // Pages read from the database since the source was set, and pages held now.
    int pagesRead() const { return m_pagesRead; }
    int pagesCached() const { return int(m_pages.size()); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                       int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    using Row = QVector<QVariant>;
    const Row *fila(int row) const;
    bool leePagina(int page) const;
    Resultado<> query();
    void dropTemp();
    QString selectList(const QString &prefix) const;
    QString orderBy(bool reversed) const;
    QString whereClause() const;

    QVector<GridColumn> m_columns;
    QSqlDatabase m_db;
    QString m_table;
    QString m_filterColumn;
    QVariant m_filterValue;
    QVector<Orden> m_order;
    QString m_tempTable;
    int m_count = 0;

    mutable QHash<int, QVector<Row>> m_pages;
    mutable QList<int> m_recent; // most recently used first
    mutable int m_pagesRead = 0;
    mutable QString m_lastError;
};

} // namespace slx
