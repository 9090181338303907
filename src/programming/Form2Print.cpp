// The print-out of the programming sheet: the memo of disabled intervals into
// Configuracion, the sheet's report filled in the user's language, and the preview.

#include "base/DataFolder.h"
#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "base/TextFormats.h"
#include "localization/LocGuru.h"
#include "printing/Form15.h"
#include "printing/ReportEngine.h"
#include "printing/ReportFrame.h"
#include "programming/Form2.h"

#include <limits>

namespace slx {

void Form2::SSCommandImprimir_Click()
{
    Modulo1 &m = modulo1();
    const Resultado<qint64> serial =
        enteroTexto(texto(QStringLiteral("MaskNumeroSerie")), std::numeric_limits<qint32>::min(),
                    std::numeric_limits<qint32>::max());
    if (!serial) {
        ui::MsgBox(serial.error().mensaje(), ui::Icon::Critical, ui::OkOnly, this);
        return;
    }
    if (*serial == 0)
        return;
    Modificat();
    if (!VSReport1)
        VSReport1 = new ReportEngine(this);
    const auto prepara = [&]() -> Resultado<> {
        // The stored row of the sheet on screen, whatever the window's position.
        const auto fila = marco::leeFilaAparato(m.ConexionBD, qint32(*serial));
        if (!fila)
            return std::unexpected(fila.error());
        marco::DatosMarco datos;
        datos.serial = qint32(*serial);
        datos.fila = *fila;
        datos.totales = marco::sellosTotales(*fila);
        datos.memo = marco::memoInhabiles(m.IntervalosInhabiles);
        const auto usuario = marco::grabaMemo(m.ConexionBD, datos.memo);
        if (!usuario)
            return std::unexpected(usuario.error());
        datos.usuario = *usuario;
        datos.hoy = QDate::currentDate();
        datos.version = texto(QStringLiteral("MaskVersion"));
        if (const auto cargado =
                VSReport1->carga(DataFolder::file(QStringLiteral("XML/slx90_1.xml")), QStringLiteral("SLX90_1"));
            !cargado)
            return cargado;
        const auto informe = VSReport1->informe();
        if (!informe)
            return std::unexpected(informe.error());
        return marco::rellenaMarco(**informe, m.ConexionBD, datos, [](int n) { return oLocGuru().GetS(n); });
    };
    if (const auto preparado = prepara(); !preparado) {
        ui::MsgBox(preparado.error().mensaje(), ui::Icon::Critical, ui::OkOnly, this);
        return;
    }
    m.InformeVistaPrevia = VSReport1;
    Form15::muestra(VSReport1, this);
}

} // namespace slx
