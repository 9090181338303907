#pragma once
// The search of a device by one field of its sheet, shared by the windows that step
// through the devices: the typed text is taken literally and found anywhere in the
// field as the window shows it (dates "dd/mm/yy"), ignoring letter case and accents.

#include "base/Resultado.h"

#include <QSqlDatabase>
#include <QString>
#include <QVector>
#include <optional>

namespace slx {

// The serial numbers of the stored sheets in the table's order (by serial number).
Resultado<QVector<qint32>> serialesProgramacion(const QSqlDatabase &db);

// A text the way the search compares it: letter case and accents ignored.
QString pliega(const QString &text);

// The first device (in the table's order, by serial number) whose column of
// Programacion contains the text. column comes from the caller's fixed list of fields.
// None when no device's column holds it.
Resultado<std::optional<qint32>> buscaFichaPorCampo(const QSqlDatabase &db, const QString &column,
                                                    const QString &texto);

} // namespace slx
