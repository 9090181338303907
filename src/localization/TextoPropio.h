#pragma once
// The program's own messages that are not texts of the catalogue (failures of the settings
// file, the database, the data folder and the database merge, the placeholder windows...).
//
// The English text written in the code is the key: its row in the language database
// (data/language/90-messages.tsv) gives it in the open language. With no language open, or
// no row for it, the text comes back as it is. Placeholders "%1", "%2"... are kept, so the
// caller fills them with arg() after the translation.

#include <QString>

namespace slx {

QString TextoPropio(const char *text);

} // namespace slx
