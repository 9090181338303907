#pragma once
// Finding and deleting programming sheets in the database.

#include "base/Resultado.h"

#include <QSqlDatabase>
#include <QString>
#include <QVector>
#include <optional>

namespace slx::sheet {

// The column that a search in the field named campActual looks at, and the
// catalogue text of the field's label; empty / 0 for a field that is not searchable.
QString columnaBusqueda(const QString &campActual);
int etiquetaBusqueda(const QString &campActual);

// The first sheet (in the table's order) whose column, as the user sees it (dates
// "dd/mm/yy"), contains the text literally, ignoring case and accents (base/BuscaFicha.h);
// nothing when none does; the database's description when it cannot tell.
Resultado<std::optional<qint32>> buscaFicha(const QSqlDatabase &db, const QString &campActual, const QString &texto);

// Deletes a device: its sheet, its disabled intervals and every logged row of it,
// in one transaction. The database's description on failure (nothing is deleted then).
Resultado<> borraAparato(QSqlDatabase db, qint32 serial);

} // namespace slx::sheet
