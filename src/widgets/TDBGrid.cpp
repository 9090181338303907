#include "widgets/TDBGrid.h"

#include <QHeaderView>

namespace slx {

TDBGrid::TDBGrid(QWidget *parent)
    : QTableView(parent)
{
}

void TDBGrid::commitEdit()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    if (QWidget *editor = indexWidget(currentIndex()))
        commitData(editor);
}

QStringList TDBGrid::translatableTexts() const
{
    QStringList out{m_caption};
    if (model() && !horizontalHeader()->isHidden()) {
        for (int c = 0; c < model()->columnCount(); ++c)
            out << model()->headerData(c, Qt::Horizontal).toString();
    }
    return out;
}

void TDBGrid::setTranslatableText(int index, const QString &text)
{
    if (index == 0) {
        m_caption = text;
        return;
    }
    if (model())
        model()->setHeaderData(index - 1, Qt::Horizontal, text);
}

} // namespace slx
