#include "widgets/TDBGrid.h"

#include "widgets/WindowedSqlModel.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

namespace slx {

// The headings of a split: one or two lines per column, under a band that shows the
// split's (or the grid's) caption when there is one.
class GridHeader : public QHeaderView {
public:
    explicit GridHeader(QWidget *parent)
        : QHeaderView(Qt::Horizontal, parent)
    {
        setSectionsClickable(true);
        setHighlightSections(false);
        setDefaultAlignment(Qt::AlignCenter);
    }

    void setBand(const QString &caption, bool band)
    {
        m_caption = caption;
        m_band = band;
        updateGeometry();
        viewport()->update();
    }
    void setLines(int lines)
    {
        m_lines = qMax(1, lines);
        updateGeometry();
        viewport()->update();
    }
    int bandHeight() const { return m_band ? fontMetrics().height() + 6 : 0; }

    QSize sizeHint() const override
    {
        QSize s = QHeaderView::sizeHint();
        s.setHeight(bandHeight() + m_lines * fontMetrics().height() + 8);
        return s;
    }

    // The width a section needs, at least ancho, for its heading to stand whole in it as
    // paintSection draws it: wrapped at its words into the heading's lines, no word cut.
    int anchoCabecera(int logicalIndex, int ancho) const
    {
        const QString text = model() ? model()->headerData(logicalIndex, Qt::Horizontal).toString() : QString();
        if (text.isEmpty())
            return ancho;
        const int alto = m_lines * fontMetrics().height() + 6;
        const QFontMetrics fm = fontMetrics();
        const auto cabe = [&](int w) {
            const QRect r = fm.boundingRect(QRect(0, 0, w - 4, 100000), Qt::AlignCenter | Qt::TextWordWrap, text);
            return r.width() <= w - 4 && r.height() <= alto;
        };
        if (cabe(ancho))
            return ancho;
        // Each line of the text on a line of its own is the widest it ever needs.
        int mas = 0;
        for (const QString &linea : text.split(QLatin1Char('\n')))
            mas = qMax(mas, fm.horizontalAdvance(linea) + 5);
        if (mas <= ancho || !cabe(mas))
            return qMax(ancho, mas);
        int menos = ancho; // does not fit
        while (mas - menos > 1) {
            const int w = (menos + mas) / 2;
            (cabe(w) ? mas : menos) = w;
        }
        return mas;
    }

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override
    {
        const QRect r = rect.adjusted(0, bandHeight(), 0, 0);
        const QVariant back =
            model() ? model()->headerData(logicalIndex, Qt::Horizontal, Qt::BackgroundRole) : QVariant();
        painter->save();
        painter->fillRect(r, back.canConvert<QColor>() ? back.value<QColor>() : palette().color(QPalette::Button));
        painter->setPen(palette().color(QPalette::Mid));
        painter->drawLine(r.topRight(), r.bottomRight());
        painter->drawLine(r.bottomLeft(), r.bottomRight());
        painter->setPen(palette().color(QPalette::ButtonText));
        const QString text = model() ? model()->headerData(logicalIndex, Qt::Horizontal).toString() : QString();
        painter->drawText(r.adjusted(2, 1, -2, -1), Qt::AlignCenter | Qt::TextWordWrap, text);
        painter->restore();
    }

    void paintEvent(QPaintEvent *e) override
    {
        QHeaderView::paintEvent(e);
        if (!m_band)
            return;
        QPainter p(viewport());
        const QRect band(0, 0, viewport()->width(), bandHeight());
        p.fillRect(band, palette().color(QPalette::Window).darker(108));
        p.setPen(palette().color(QPalette::Mid));
        p.drawLine(band.bottomLeft(), band.bottomRight());
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(band, Qt::AlignCenter, m_caption);
    }

    // The caption band is no heading: a click on it is no header click.
    void mousePressEvent(QMouseEvent *e) override
    {
        if (e->position().y() < bandHeight()) {
            e->accept();
            return;
        }
        QHeaderView::mousePressEvent(e);
    }
    void mouseReleaseEvent(QMouseEvent *e) override
    {
        if (e->position().y() < bandHeight()) {
            e->accept();
            return;
        }
        QHeaderView::mouseReleaseEvent(e);
    }

private:
    QString m_caption;
    bool m_band = false;
    int m_lines = 1;
};

// The rows of a data source that are in sight: the views of the grid show this window,
// never the whole source.
class GridWindow : public QAbstractTableModel {
public:
    GridWindow(WindowedSqlModel *source, QObject *parent)
        : QAbstractTableModel(parent)
        , m_source(source)
    {
        m_columns = source->columnCount();
        m_rows = wanted();
        connect(source, &QAbstractItemModel::headerDataChanged, this, &QAbstractItemModel::headerDataChanged);
        connect(source, &QAbstractItemModel::dataChanged, this, [this] { touch(); });
    }

    int start() const { return m_start; }
    void setStart(int start) { move(start, m_length); }
    void setLength(int length) { move(m_start, qMax(1, length)); }
    // The source's rows or columns changed: the views learn the new number without losing
    // their column layout when the columns are the same.
    void sourceReset()
    {
        if (m_source->columnCount() != m_columns) {
            beginResetModel();
            m_columns = m_source->columnCount();
            m_start = 0;
            m_rows = wanted();
            endResetModel();
            return;
        }
        m_start = 0;
        move(0, m_length, true);
    }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override { return parent.isValid() ? 0 : m_rows; }
    int columnCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : m_columns;
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid())
            return QVariant();
        return m_source->data(m_source->index(m_start + index.row(), index.column()), role);
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Vertical)
            return role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
        return m_source->headerData(section, orientation, role);
    }
    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

private:
    int wanted() const { return qBound(0, m_source->rowCount() - m_start, m_length); }

    void move(int start, int length, bool always = false)
    {
        if (start == m_start && length == m_length && !always)
            return;
        m_start = start;
        m_length = length;
        const int rows = wanted();
        if (rows < m_rows) {
            beginRemoveRows(QModelIndex(), rows, m_rows - 1);
            m_rows = rows;
            endRemoveRows();
        } else if (rows > m_rows) {
            beginInsertRows(QModelIndex(), m_rows, rows - 1);
            m_rows = rows;
            endInsertRows();
        }
        touch();
    }
    void touch()
    {
        if (m_rows > 0 && m_columns > 0)
            Q_EMIT dataChanged(index(0, 0), index(m_rows - 1, m_columns - 1));
    }

    WindowedSqlModel *m_source;
    int m_start = 0;
    int m_length = 1;
    int m_rows = 0;
    int m_columns = 0;
};

// The left split: a view of the same rows that leaves scrolling and row moves to the grid.
class GridSplitView : public QTableView {
public:
    explicit GridSplitView(TDBGrid *grid)
        : QTableView(grid)
        , m_grid(grid)
    {
        setHorizontalHeader(new GridHeader(this));
        setFrameShape(QFrame::NoFrame);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setSelectionBehavior(QAbstractItemView::SelectRows);
        setSelectionMode(QAbstractItemView::SingleSelection);
        setEditTriggers(QAbstractItemView::NoEditTriggers);
        horizontalHeader()->setSectionsMovable(false);
        verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        verticalHeader()->setFixedWidth(16);
    }
    GridHeader *header() const { return static_cast<GridHeader *>(horizontalHeader()); }

    void scrollTo(const QModelIndex &index, ScrollHint) override
    {
        if (index.isValid())
            m_grid->scrollTo(index, EnsureVisible);
    }

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override
    {
        const QModelIndex moved = m_grid->moverCursor(this, action, modifiers);
        return moved.isValid() ? moved : QTableView::moveCursor(action, modifiers);
    }
    void wheelEvent(QWheelEvent *e) override { QCoreApplication::sendEvent(m_grid->verticalScrollBar(), e); }
    void scrollContentsBy(int dx, int) override { QTableView::scrollContentsBy(dx, 0); }
    void updateGeometries() override
    {
        QTableView::updateGeometries();
        verticalScrollBar()->setValue(0);
        verticalHeader()->setOffset(0);
    }

private:
    TDBGrid *m_grid;
};

TDBGrid::TDBGrid(QWidget *parent)
    : QTableView(parent)
{
}

TDBGrid::~TDBGrid() = default;

void TDBGrid::commitEdit()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    if (QWidget *editor = indexWidget(currentIndex()))
        commitData(editor);
}

QAbstractItemModel *TDBGrid::captionModel() const
{
    if (m_source)
        return m_source;
    return model();
}

QStringList TDBGrid::translatableTexts() const
{
    QStringList out{m_caption};
    QAbstractItemModel *m = captionModel();
    if (m && !horizontalHeader()->isHidden()) {
        for (int c = 0; c < m->columnCount(); ++c) {
            QVariant v = m->headerData(c, Qt::Horizontal, Qt::EditRole);
            if (!v.isValid())
                v = m->headerData(c, Qt::Horizontal, Qt::DisplayRole);
            out << v.toString();
        }
    }
    if (m_left)
        out << m_splitCaptions[0] << m_splitCaptions[1];
    return out;
}

void TDBGrid::setTranslatableText(int index, const QString &text)
{
    if (index == 0) {
        setCaption(text);
        return;
    }
    --index;
    QAbstractItemModel *m = captionModel();
    if (m && !horizontalHeader()->isHidden()) {
        if (index < m->columnCount()) {
            m->setHeaderData(index, Qt::Horizontal, text);
            return;
        }
        index -= m->columnCount();
    }
    if (m_left && index < 2)
        setSplitCaption(index, text);
}

void TDBGrid::setCaption(const QString &caption)
{
    m_caption = caption;
    if (auto *h = dynamic_cast<GridHeader *>(horizontalHeader()))
        h->setBand(m_left ? m_splitCaptions[1] : m_caption, m_left || !m_caption.isEmpty());
    else if (!caption.isEmpty()) {
        auto *header = new GridHeader(this);
        setHorizontalHeader(header);
        header->setLines(m_headLines);
        header->setBand(caption, true);
        connectHeader(this);
    }
    updateAccessibleNames();
}

void TDBGrid::connectHeader(QTableView *view)
{
    connect(view->horizontalHeader(), &QHeaderView::sectionClicked, this, &TDBGrid::HeadClick, Qt::UniqueConnection);
}

void TDBGrid::setModel(QAbstractItemModel *model)
{
    QTableView::setModel(model);
    connectHeader(this);
}

void TDBGrid::setDataSource(WindowedSqlModel *source)
{
    if (!dynamic_cast<GridHeader *>(horizontalHeader())) {
        auto *header = new GridHeader(this);
        setHorizontalHeader(header);
        header->setLines(m_headLines);
        header->setBand(m_caption, !m_caption.isEmpty());
    }
    m_source = source;
    delete m_window;
    m_window = new GridWindow(source, this);
    setModel(m_window);
    if (m_left) {
        m_left->setModel(m_window);
        m_left->setSelectionModel(selectionModel());
        connectHeader(m_left);
    }
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    horizontalHeader()->setSectionsMovable(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    if (!m_left)
        verticalHeader()->setFixedWidth(16);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { onCurrentChanged(current); });
    connect(source, &QAbstractItemModel::modelReset, this, [this] {
        const int columns = m_window->columnCount();
        m_window->sourceReset();
        if (columns != m_window->columnCount())
            applyColumns();
        m_current = m_source->rowCount() > 0 ? 0 : -1;
        syncCurrent();
        updateGeometries();
    });
    connect(m_window, &QAbstractItemModel::modelReset, this, [this] { applyColumns(); });
    // A heading translated or changed may need a wider column.
    connect(m_window, &QAbstractItemModel::headerDataChanged, this,
            [this](Qt::Orientation o, int first, int last) {
                if (o != Qt::Horizontal)
                    return;
                bool cambio = false;
                for (QTableView *v : {static_cast<QTableView *>(this), static_cast<QTableView *>(m_left)})
                    if (auto *h = v ? dynamic_cast<GridHeader *>(v->horizontalHeader()) : nullptr)
                        for (int i = first; i <= last; ++i)
                            if (!v->isColumnHidden(i) && h->anchoCabecera(i, v->columnWidth(i)) > v->columnWidth(i)) {
                                v->setColumnWidth(i, h->anchoCabecera(i, v->columnWidth(i)));
                                cambio = true;
                            }
                if (cambio)
                    layoutSplit();
            });
    m_current = source->rowCount() > 0 ? 0 : -1;
    applyColumns();
    syncCurrent();
}

int TDBGrid::columnCount() const
{
    return captionModel() ? captionModel()->columnCount() : 0;
}

GridColumn &TDBGrid::Columns(int index)
{
    Q_ASSERT(m_source);
    return m_source->column(index);
}

void TDBGrid::columnsChanged()
{
    if (!m_source)
        return;
    for (int i = 0; i < m_source->columnCount(); ++i)
        m_source->columnChanged(i);
    applyColumns();
}

void TDBGrid::setColumnVisible(int index, bool visible)
{
    if (m_source && index >= 0 && index < m_source->columnCount()) {
        m_source->column(index).visible = visible;
        applyColumns();
    } else {
        setColumnHidden(index, !visible);
    }
}

bool TDBGrid::columnVisible(int index) const
{
    if (m_source && index >= 0 && index < m_source->columnCount())
        return m_source->column(index).visible;
    return !isColumnHidden(index);
}

QString TDBGrid::columnCaption(int index) const
{
    QAbstractItemModel *m = captionModel();
    if (!m)
        return QString();
    QVariant v = m->headerData(index, Qt::Horizontal, Qt::EditRole);
    if (!v.isValid())
        v = m->headerData(index, Qt::Horizontal, Qt::DisplayRole);
    return v.toString();
}

void TDBGrid::setColumnCaption(int index, const QString &caption)
{
    if (QAbstractItemModel *m = captionModel())
        m->setHeaderData(index, Qt::Horizontal, caption);
}

void TDBGrid::setHeadLines(int lines)
{
    m_headLines = qBound(1, lines, 2);
    if (auto *h = dynamic_cast<GridHeader *>(horizontalHeader()))
        h->setLines(m_headLines);
    if (m_left)
        m_left->header()->setLines(m_headLines);
}

void TDBGrid::setSplits(int first, int last, const QString &leftCaption, const QString &rightCaption)
{
    m_leftFirst = first;
    m_leftLast = last;
    m_splitCaptions[0] = leftCaption;
    m_splitCaptions[1] = rightCaption;
    if (!m_left) {
        m_left = new GridSplitView(this);
        m_left->header()->setLines(m_headLines);
        if (m_window) {
            m_left->setModel(m_window);
            m_left->setSelectionModel(selectionModel());
            connectHeader(m_left);
        }
        auto *spacer = new QWidget(this);
        spacer->setObjectName(QStringLiteral("SplitSpacer"));
        addScrollBarWidget(spacer, Qt::AlignLeft);
    }
    m_left->header()->setBand(leftCaption, true);
    setCaption(m_caption);
    applyColumns();
    updateAccessibleNames();
}

QString TDBGrid::splitCaption(int split) const
{
    return split >= 0 && split < 2 ? m_splitCaptions[split] : QString();
}

void TDBGrid::setSplitCaption(int split, const QString &caption)
{
    if (split < 0 || split > 1)
        return;
    m_splitCaptions[split] = caption;
    if (m_left) {
        m_left->header()->setBand(m_splitCaptions[0], true);
        setCaption(m_caption);
    }
    updateAccessibleNames();
}

QTableView *TDBGrid::split(int split)
{
    if (m_left)
        return split == 0 ? static_cast<QTableView *>(m_left) : this;
    return this;
}

int TDBGrid::leftCol() const
{
    return columnAt(0);
}

void TDBGrid::setLeftCol(int column)
{
    if (column < 0 || column >= horizontalHeader()->count())
        return;
    horizontalScrollBar()->setValue(horizontalHeader()->sectionPosition(column));
}

void TDBGrid::setScrollTrack(bool on)
{
    verticalScrollBar()->setTracking(on);
    horizontalScrollBar()->setTracking(on);
}

void TDBGrid::updateAccessibleNames()
{
    if (m_left) {
        m_left->setAccessibleName(m_splitCaptions[0]);
        setAccessibleName(m_splitCaptions[1] + QStringLiteral(" (") + m_splitCaptions[0] + QLatin1Char(')'));
    } else if (!m_caption.isEmpty()) {
        setAccessibleName(m_caption);
    }
}

int TDBGrid::pixels(int twips) const
{
    return qMax(8, twips * logicalDpiX() / 1440);
}

void TDBGrid::applyColumnsTo(QTableView *view, bool leftSplit)
{
    if (!m_source || !view->model())
        return;
    const int n = qMin(int(m_source->columnCount()), view->model()->columnCount());
    for (int i = 0; i < n; ++i) {
        const GridColumn &c = m_source->column(i);
        bool shown = c.visible;
        if (m_left)
            shown = shown && (leftSplit ? (i >= m_leftFirst && i <= m_leftLast) : i > m_leftLast);
        view->setColumnHidden(i, !shown);
        if (c.widthTwips > 0)
            view->setColumnWidth(i, pixels(c.widthTwips));
        // A heading stands whole in every language: a column is widened for it.
        if (auto *h = dynamic_cast<GridHeader *>(view->horizontalHeader()); h && shown) {
            const int w = h->anchoCabecera(i, view->columnWidth(i));
            if (w > view->columnWidth(i))
                view->setColumnWidth(i, w);
        }
    }
}

void TDBGrid::applyColumns()
{
    applyColumnsTo(this, false);
    if (m_left)
        applyColumnsTo(m_left, true);
    layoutSplit();
}

void TDBGrid::layoutSplit()
{
    if (!m_left)
        return;
    int w = m_left->verticalHeader()->width();
    if (QAbstractItemModel *m = m_left->model()) {
        for (int i = 0; i < m->columnCount(); ++i)
            if (!m_left->isColumnHidden(i))
                w += m_left->columnWidth(i);
    }
    w += 2;
    if (verticalHeader()->width() != w || verticalHeader()->minimumWidth() != w)
        verticalHeader()->setFixedWidth(w);
    if (auto *spacer = findChild<QWidget *>(QStringLiteral("SplitSpacer")))
        spacer->setFixedWidth(w);
    const int fw = frameWidth();
    const QRect vg = viewport()->geometry();
    m_left->setGeometry(fw, fw, w, vg.bottom() + 1 - fw);
    m_left->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    m_left->raise();
}

int TDBGrid::filasVisibles() const
{
    const int h = verticalHeader()->defaultSectionSize();
    return qMax(1, viewport()->height() / qMax(1, h));
}

void TDBGrid::updateGeometries()
{
    if (!m_window) {
        QTableView::updateGeometries();
        return;
    }
    const bool was = m_geometry;
    m_geometry = true;
    QTableView::updateGeometries();
    verticalHeader()->setOffset(0);
    const int full = filasVisibles();
    m_window->setLength(full + 1);
    QScrollBar *bar = verticalScrollBar();
    bar->setRange(0, qMax(0, rows() - full));
    bar->setPageStep(full);
    bar->setSingleStep(1);
    bar->setValue(m_window->start());
    m_geometry = was;
    layoutSplit();
}

void TDBGrid::resizeEvent(QResizeEvent *event)
{
    QTableView::resizeEvent(event);
    if (m_window) {
        // A taller grid may show rows past the last: move up.
        setStart(m_window->start());
        layoutSplit();
    }
}

void TDBGrid::scrollContentsBy(int dx, int dy)
{
    if (!m_window) {
        QTableView::scrollContentsBy(dx, dy);
        return;
    }
    QTableView::scrollContentsBy(dx, 0);
    if (dy && !m_geometry)
        setStart(verticalScrollBar()->value());
}

void TDBGrid::setStart(int start)
{
    if (!m_window)
        return;
    const int top = qBound(0, start, qMax(0, rows() - filasVisibles()));
    if (top != m_window->start()) {
        m_window->setStart(top);
        syncCurrent();
    }
    if (verticalScrollBar()->value() != top) {
        const bool was = m_geometry;
        m_geometry = true;
        verticalScrollBar()->setValue(top);
        m_geometry = was;
    }
}

void TDBGrid::syncCurrent()
{
    if (!m_window || !selectionModel())
        return;
    m_syncing = true;
    const int at = m_current - m_window->start();
    if (m_current >= 0 && at >= 0 && at < m_window->rowCount()) {
        int column = currentIndex().isValid() ? currentIndex().column() : 0;
        const QModelIndex index = m_window->index(at, column);
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    } else {
        selectionModel()->clear();
    }
    m_syncing = false;
}

void TDBGrid::onCurrentChanged(const QModelIndex &current)
{
    if (m_syncing || !m_window || !current.isValid())
        return;
    m_current = m_window->start() + current.row();
}

void TDBGrid::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    if (!m_window) {
        QTableView::scrollTo(index, hint);
        return;
    }
    if (m_syncing || !index.isValid())
        return;
    const int row = m_window->start() + index.row();
    muestraFila(row);
    // The base view brings the column into sight; its rows never scroll.
    const bool was = m_geometry;
    m_geometry = true;
    QTableView::scrollTo(m_window->index(row - m_window->start(), index.column()), hint);
    verticalScrollBar()->setValue(m_window->start());
    verticalHeader()->setOffset(0);
    m_geometry = was;
}

void TDBGrid::muestraFila(int row)
{
    if (!m_window)
        return;
    const int full = filasVisibles();
    const int start = m_window->start();
    if (row < start)
        setStart(row);
    else if (row >= start + full)
        setStart(row - full + 1);
}

QModelIndex TDBGrid::moverCursor(QTableView *view, CursorAction action, Qt::KeyboardModifiers modifiers)
{
    if (!m_window || rows() == 0)
        return QModelIndex();
    const int full = filasVisibles();
    int row = m_current < 0 ? m_window->start() : m_current;
    const bool ctrl = modifiers & Qt::ControlModifier;
    switch (action) {
    case MoveUp: --row; break;
    case MoveDown: ++row; break;
    case MovePageUp: row -= full; break;
    case MovePageDown: row += full; break;
    case MoveHome:
        if (!ctrl)
            return QModelIndex();
        row = 0;
        break;
    case MoveEnd:
        if (!ctrl)
            return QModelIndex();
        row = rows() - 1;
        break;
    default: return QModelIndex();
    }
    row = qBound(0, row, rows() - 1);
    muestraFila(row);
    int column = view->currentIndex().isValid() ? view->currentIndex().column() : -1;
    if (column < 0 || view->isColumnHidden(column)) {
        column = 0;
        while (column < m_window->columnCount() - 1 && view->isColumnHidden(column))
            ++column;
    }
    return m_window->index(row - m_window->start(), column);
}

QModelIndex TDBGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    if (m_window) {
        const QModelIndex moved = moverCursor(this, cursorAction, modifiers);
        if (moved.isValid())
            return moved;
    }
    return QTableView::moveCursor(cursorAction, modifiers);
}

int TDBGrid::rows() const
{
    if (m_source)
        return m_source->rowCount();
    return model() ? model()->rowCount() : 0;
}

int TDBGrid::currentRow() const
{
    if (m_window)
        return m_current;
    return currentIndex().isValid() ? currentIndex().row() : -1;
}

void TDBGrid::setCurrentRow(int row)
{
    if (row < 0 || row >= rows())
        return;
    if (!m_window) {
        setCurrentIndex(model()->index(row, qMax(0, currentIndex().column())));
        return;
    }
    m_current = row;
    muestraFila(row);
    syncCurrent();
}

QVariant TDBGrid::valorActual(int column) const
{
    const int row = currentRow();
    if (row < 0)
        return QVariant();
    if (m_source)
        return m_source->valor(row, column);
    return model() ? model()->data(model()->index(row, column), Qt::EditRole) : QVariant();
}

QString TDBGrid::textoCelda(int row, int column) const
{
    if (m_source)
        return m_source->texto(row, column);
    return model() ? model()->data(model()->index(row, column), Qt::DisplayRole).toString() : QString();
}

int TDBGrid::firstRowShown() const
{
    return m_window ? m_window->start() : rowAt(0);
}

} // namespace slx
