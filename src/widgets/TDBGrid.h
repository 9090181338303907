#pragma once
// A data grid: a table view whose column captions (the model's horizontal headers)
// take part in the translation of its window.

#include "widgets/Translatable.h"

#include <QTableView>

namespace slx {

class TDBGrid : public QTableView, public Translatable {
    Q_OBJECT
public:
    explicit TDBGrid(QWidget *parent = nullptr);

    // The grid's caption (none when empty), then its column captions while they are shown.
    QStringList translatableTexts() const override;
    void setTranslatableText(int index, const QString &text) override;

    // Stores the cell being edited, if any, into the model (its checks run as for any edit).
    void commitEdit();

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption) { m_caption = caption; }

private:
    QString m_caption;
};

} // namespace slx
