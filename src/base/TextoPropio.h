#pragma once
// The program's own messages that are not texts of the catalogue (failures of the settings
// file, the database, the data folder and the database merge, the placeholder windows...).
//
// The English text written in the code is the key: its row in the language database
// (data/language/90-messages.tsv) gives it in the open language. With no language open, or
// no row for it, the text comes back as it is. Placeholders "%1", "%2"... are kept, so the
// caller fills them with arg() after the translation.
//
// The floors below the localization call it too, so the translation is a hook that the
// localization engine installs when it is created.

#include <QString>

namespace slx {

QString TextoPropio(const char *text);

// The translation of the program's own messages; nullptr returns them as written.
using TraductorPropio = QString (*)(const QString &text);
void instalaTraductorPropio(TraductorPropio traductor);

} // namespace slx
