#pragma once
// Inside the localization only: included by its own sources and tests, never from
// another folder. The text export's steps stop by throwing a LocFailure (its number,
// source and description, as the export's end shows them); LocGuru's public export
// operations catch it and return it as their Resultado, so that it never leaves the
// module.

#include "base/Resultado.h"

#include <QString>

class QObject;
class QWidget;

namespace slx {

class LocGuru;

struct LocFailure {
    qint64 number = 0;
    QString source;
    QString description;

    // The failure as the public operations return it: the description as the message,
    // the source as its detail.
    Fallo fallo() const { return Fallo{0, description, source}; }
};

// The export's steps as the module's routines run them, stopping with a LocFailure.
struct LocExport {
    static void strings(LocGuru &loc, qint32 lastId);
    static void formStrings(LocGuru &loc, QWidget *form);
    static void objectStrings(LocGuru &loc, QObject *object);
    static void oneString(LocGuru &loc, const QString &text);
    static void beginTransaction(LocGuru &loc);
    static void commitTransaction(LocGuru &loc);
    // The chart, grid and tab controls; true when the control was one of them.
    static bool specialControlStrings(QObject *control, LocGuru &loc);
};

// Runs one step of the export; its LocFailure becomes the result.
template <class F> Resultado<> comoResultado(F paso)
{
    try {
        paso();
    } catch (const LocFailure &f) {
        return fallo(f.fallo());
    }
    return {};
}

} // namespace slx
