#pragma once
// What the incidents window shows that the reports and charts windows print or act
// on. The incidents window publishes it while it is loaded; the others read it here
// instead of reaching into that window's controls.

#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace slx {

// The texts of the incidents window's boxes that a print-out repeats.
struct CajasIncidencias {
    QString fechaTotales; // MaskFechaTotales
    QString horaTotales;  // MaskHoraTotales
    QString version;      // TextVersion
};

struct VistaIncidencias {
    std::function<CajasIncidencias()> cajas;
    // Hides the download's wait panel and stops its animation.
    std::function<void()> paraEspera;
};

// Published by the incidents window for itself; forgotten when it is destroyed.
void publicaVistaIncidencias(QWidget *ventana, VistaIncidencias vista);

// What the loaded incidents window publishes, or nothing when it is not loaded.
std::optional<VistaIncidencias> vistaIncidencias();

} // namespace slx
