#pragma once
// A composite control of the kind later windows add (a grid with splits), showing its
// texts to the translation walk through slx::Translatable.

#include "widgets/Translatable.h"

#include <QLabel>
#include <QWidget>

namespace slxtest {

class FakeGrid : public QWidget, public slx::Translatable {
public:
    explicit FakeGrid(QWidget *parent = nullptr)
        : QWidget(parent)
        , inner(new QLabel(QStringLiteral("Jueves"), this))
    {
    }

    QStringList translatableTexts() const override
    {
        QStringList t{caption};
        if (columnHeaders)
            t += columns;
        t += splits;
        return t;
    }

    void setTranslatableText(int index, const QString &text) override
    {
        if (index == 0) {
            caption = text;
            return;
        }
        --index;
        if (columnHeaders) {
            if (index < columns.size()) {
                columns[index] = text;
                return;
            }
            index -= columns.size();
        }
        if (index < splits.size())
            splits[index] = text;
    }

    QString caption;
    QStringList columns;
    QStringList splits;
    bool columnHeaders = true;
    QLabel *inner; // a child the walk must leave to the grid
};

} // namespace slxtest
