#pragma once
// The names the user reads for the tables and columns of the program's database, in the
// open language: the captions, headings and labels the windows show for them (the
// programming sheet's labels, the incidents window's headings), so that a summary of an
// import or a merge speaks as the windows do. Both imports name their tables and columns
// through here.

#include <QString>

namespace slx {

// The name of a table of the program's database; any other name comes back as it is.
QString nombreTabla(const QString &tabla);
// The name of a column of the program's database (letter case ignored); any other name
// comes back as it is.
QString nombreColumna(const QString &columna);

} // namespace slx
