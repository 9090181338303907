#pragma once
// The five property kinds the translation walk reads and writes on Qt widgets and actions,
// by name, letter case ignored:
//   Caption      the visible caption: an action's text, a menu's or group box's title, a
//                label's or button's text, a window's (or dock's) title;
//   ToolTipText  the tool tip (for an action, only one set on purpose);
//   Text         the contents of a line edit, text edit or editable combo box;
//   Font, Font.Name  the font's family.
// Any other name, or an object without the property, reads as an empty text and is never
// written.

#include <QString>

class QObject;

namespace slx::ObjectProperties {

QString get(const QObject *object, const QString &name);
void set(QObject *object, const QString &name, const QString &value);

} // namespace slx::ObjectProperties
