#pragma once
// How a composite control shows its texts to the translation walk and to the text export.
//
// The walk over a window (LocGuru::TranslateForm, LocGuru::ExportFormStrings) knows plain Qt
// widgets and actions by themselves: captions (text, title, windowTitle), tool tips, the Tag
// property and the tab captions of QTabWidget/QTabBar. A control made of several texts that
// these do not reach (a grid with its caption, column and split captions; a chart with the
// labels of its series) inherits this interface besides its QWidget base:
//
//     class TDBGrid : public QWidget, public slx::Translatable { ... };
//
// and lists its texts in a fixed order. The walk finds it with dynamic_cast, needs no list
// of classes, and then:
//   - translates (or exports) each listed text and writes it back with setTranslatableText();
//   - does not translate the control's own tool tip nor look at its Tag;
//   - does not enter the control's child widgets: the control lists every text it shows.
//
// What a control lists:
//   - a grid: its caption; then its column captions, only while its column headers are
//     shown; then the caption of each split;
//   - a chart: the label of each series, chart group by chart group;
//   - anything else of the same kind: its design-time texts, in the order they are shown.
// An empty text is passed over. Indexes run from 0 to translatableTexts().size() - 1 and
// stay valid between the read and the write (the walk does not change the control).

#include <QString>
#include <QStringList>

namespace slx {

class Translatable {
public:
    virtual ~Translatable() = default;
    // The texts the control shows, in walk order.
    virtual QStringList translatableTexts() const = 0;
    // Replaces text number index of translatableTexts().
    virtual void setTranslatableText(int index, const QString &text) = 0;
};

} // namespace slx
