#pragma once
// The localization object: texts by number in the chosen language, and the
// translation of windows.

#include <QString>
#include <QStringList>

class QWidget;

namespace slx {

class LocGuru {
public:
    // Text number id of the catalogue in the open language, "%s" filled from values.
    QString GetS(qint32 id, const QStringList &values = {}) const;
    // Translates the captions and tool tips of a window and its controls.
    void TranslateForm(QWidget *form);
};

// The one instance, for the whole run.
LocGuru &oLocGuru();

} // namespace slx
