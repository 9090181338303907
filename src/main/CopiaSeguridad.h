#pragma once
// The backup left in the data folder (backupSLX90.bak) for the start-up merge. Before
// its merge it is set aside under a dated name, with the SQLite logs that may hold
// some of its rows (-wal, -shm, -journal), so that no start runs it twice; while its
// merge runs a mark lies beside it, so that a merge that never ended (the program
// killed, a power cut) is told at the next start.

#include "base/Resultado.h"

#include <QDateTime>
#include <QString>
#include <optional>

namespace slx {

class CopiaSeguridad {
public:
    // Moves copia and its logs to "backupSLX90 <date time>.bak" in its folder: the new
    // path, or why not (then nothing was moved).
    static Resultado<QString> aparta(const QString &copia);
    // Deletes a backup set aside and its logs; false when the backup stays.
    static bool borra(const QString &aparte);

    // The mark of a merge of the backup aparte, written to the disk before it starts.
    static bool marcaFusion(const QString &aparte);
    // Its end, whatever its result.
    static void quitaMarca();

    struct Inacabada {
        QString aparte;   // where the backup is kept
        QDateTime inicio; // when its merge started
    };
    // The merge a previous run started and never ended, from the mark it left; the
    // mark goes, so that it is told once.
    static std::optional<Inacabada> fusionInacabada();
};

} // namespace slx
