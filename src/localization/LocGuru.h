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

namespace LocGuruP_BAS {
// Opens the language database at start-up on the column of that language.
bool SetupLanguage(const QString &sDatabase, const QString &sLanguage);
// Writes every native text of the program and of its windows into the language
// database, for the translators.
void ExportAllFormStrings();
} // namespace LocGuruP_BAS

} // namespace slx
