#pragma once
// The data grid control.
//
// A table view whose texts take part in the translation of its window, with what the
// windows of the logs and reports ask of a grid:
// - columns by index (GridColumn: caption, shown or hidden, width, number format, texts
//   or check pictures in place of stored values, cell and heading colours), headings of
//   one or two lines (a carriage return breaks the line);
// - a caption above the columns, and up to two splits side by side: the left one shows
//   a fixed range of columns with record selectors and no scroll bars, the right one (the
//   grid itself) the rest with scroll bars; both scroll vertically together and share
//   the current row; each shows its caption above its headings;
// - a header click reported with the column index; the current row and its values.
//
// Two ways to give it rows. setModel(): any small model, shown whole (an editable one
// included). setDataSource(): a WindowedSqlModel of any size; the views then hold only
// the rows in sight, and the grid's own vertical scroll bar runs over every row.

#include "widgets/GridColumn.h"
#include "widgets/Translatable.h"
#include "widgets/WindowedSqlModel.h"

#include <QPointer>
#include <QTableView>

namespace slx {

class GridWindow;
class GridSplitView;

class TDBGrid : public QTableView, public Translatable {
    Q_OBJECT
public:
    explicit TDBGrid(QWidget *parent = nullptr);
    ~TDBGrid() override;

    // The grid's caption (none when empty), then its column captions while they are shown,
    // then the captions of its splits.
    QStringList translatableTexts() const override;
    void setTranslatableText(int index, const QString &text) override;

    // Stores the cell being edited, if any, into the model (its checks run as for any edit).
    void commitEdit();

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);

    // Rows read a page at a time (see WindowedSqlModel); the grid does not own the source.
    void setDataSource(WindowedSqlModel *source);
    WindowedSqlModel *dataSource() const { return m_source; }

    // Columns by index, from 0 (a data source's layout). After changing one through
    // Columns(), call columnsChanged() so that the views follow.
    int columnCount() const;
    GridColumn &Columns(int index);
    void columnsChanged();
    void setColumnVisible(int index, bool visible);
    bool columnVisible(int index) const;
    QString columnCaption(int index) const;
    void setColumnCaption(int index, const QString &caption);

    // Heading lines (1 or 2).
    int headLines() const { return m_headLines; }
    void setHeadLines(int lines);

    // Two splits: the left one shows the columns first..last. Captions of the left and
    // the right split.
    void setSplits(int first, int last, const QString &leftCaption, const QString &rightCaption);
    int splitCount() const { return m_left ? 2 : 1; }
    QString splitCaption(int split) const;
    void setSplitCaption(int split, const QString &caption);
    // The view of a split: 0 the left one (the grid itself when there is one split), 1 the right one.
    QTableView *split(int split);
    // The first column shown at the left edge of the right split, and setting it back.
    int leftCol() const;
    void setLeftCol(int column);

    // Rows follow the scroll box while it is dragged.
    void setScrollTrack(bool on);

    // The rows: their number, the current one (-1 = none) and its values.
    int rows() const;
    int currentRow() const;
    void setCurrentRow(int row);
    QVariant valorActual(int column) const; // stored value of the current row
    QString textoCelda(int row, int column) const;
    // The first row in sight (a data source's row).
    int firstRowShown() const;

    void setModel(QAbstractItemModel *model) override;

Q_SIGNALS:
    // A click on the heading of a column, with the column's index.
    void HeadClick(int column);

protected:
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void resizeEvent(QResizeEvent *event) override;

public:
    // Used by the splits: a data source's row brought into sight, the cursor moved.
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    QModelIndex moverCursor(QTableView *view, CursorAction action, Qt::KeyboardModifiers modifiers);
    void muestraFila(int row);

private:
    QAbstractItemModel *captionModel() const;
    void applyColumns();
    void applyColumnsTo(QTableView *view, bool leftSplit);
    void layoutSplit();
    int filasVisibles() const;
    void setStart(int start);
    void syncCurrent();
    void onCurrentChanged(const QModelIndex &current);
    void updateAccessibleNames();
    int pixels(int twips) const;
    void connectHeader(QTableView *view);

    QString m_caption;
    int m_headLines = 1;
    QPointer<WindowedSqlModel> m_source;
    GridWindow *m_window = nullptr;
    GridSplitView *m_left = nullptr;
    int m_leftFirst = -1;
    int m_leftLast = -1;
    QString m_splitCaptions[2];
    int m_current = -1;      // current row of the data source
    bool m_syncing = false;  // the current index is being set by the grid itself
    bool m_geometry = false; // the base view lays out its scroll bars
};

} // namespace slx
