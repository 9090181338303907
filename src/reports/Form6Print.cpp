// The reports window's print button: the memo of disabled intervals into
// Configuracion, the report of the period picked filled in the user's language, and
// the preview.

#include "base/DataFolder.h"
#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "base/VistaIncidencias.h"
#include "localization/LocGuru.h"
#include "printing/Form15.h"
#include "printing/ReportEngine.h"
#include "printing/ReportFrame.h"
#include "reports/Form6.h"
#include "reports/InformesPeriodo.h"
#include "widgets/TDBGrid.h"

#include <QRadioButton>

namespace slx {

namespace {

// A failure of the print-out: its description and where it arose.
struct FalloConsulta {
    QString descripcion;
    QString origen;
};

QString texto(const QVariant &v)
{
    return v.isNull() ? QString() : v.toString();
}

} // namespace

void Form6::SSCommandImprimir_Click()
{
    const QVariant inicio = TDBGridInici->valorActual(1);
    if (!inicio.isValid() || inicio.isNull())
        return; // the device has no intervals
    Modulo1 &m = modulo1();
    const auto loc = [](int n) { return oLocGuru().GetS(n); };
    if (!VSReport1)
        VSReport1 = new ReportEngine(this);
    try {
        const qint32 serial = m.NumeroSerieAparato;
        marco::DatosMarco datos;
        datos.serial = serial;
        const auto vista = vistaIncidencias();
        const std::optional<CajasIncidencias> cajas =
            vista ? std::optional<CajasIncidencias>(vista->cajas()) : std::nullopt;
        if (cajas)
            datos.totales = cajas->fechaTotales + QLatin1Char(' ') + cajas->horaTotales;
        datos.memo = marco::memoInhabiles(m.IntervalosInhabiles);
        if (const auto grabado = marco::grabaMemo(m.ConexionBD, datos.memo); !grabado)
            throw FalloConsulta{grabado.error().mensaje(), QStringLiteral("ConexionBD")};
        datos.usuario = m.PiePagina;
        datos.hoy = QDate::currentDate();
        datos.version = cajas ? cajas->version : m.VersionAparato;

        informes::Periodo periodo;
        periodo.fechaInicio = texto(inicio);
        periodo.horaInicio = texto(TDBGridInici->valorActual(2));
        periodo.fechaFin = texto(TDBGridFi->valorActual(1));
        periodo.horaFin = texto(TDBGridFi->valorActual(2));

        const informes::Tipo tipo = OptionSesiones->isChecked() ? informes::Tipo::Sesiones : informes::Tipo::Intervalos;
        if (tipo == informes::Tipo::Sesiones) {
            const auto hay = informes::hayRegistros(m.ConexionBD, tipo, serial, periodo);
            if (!hay)
                throw FalloConsulta{hay.error().mensaje(), QStringLiteral("ConexionBD")};
            if (!*hay) {
                ui::MsgBox(loc(59), ui::Icon::Critical, ui::OkOnly, this);
                return;
            }
        }
        const auto fila = marco::leeFilaAparato(m.ConexionBD, serial);
        if (!fila)
            throw FalloConsulta{fila.error().mensaje(), QStringLiteral("ConexionBD")};
        datos.fila = *fila;
        if (!cajas)
            datos.totales = marco::sellosTotales(*fila);
        if (const auto preparado =
                informes::preparaInforme(*VSReport1, m.ConexionBD, tipo, datos, periodo, CreaScriptDetall(), loc);
            !preparado)
            throw FalloConsulta{preparado.error().mensaje(), QStringLiteral("VSReport1")};
    } catch (const FalloConsulta &f) {
        ui::MsgBox(f.descripcion + QStringLiteral(" ; ") + f.origen, ui::Icon::Critical, ui::OkOnly, this);
        return;
    }
    m.InformeVistaPrevia = VSReport1;
    Form15::muestra(VSReport1, this);
}

} // namespace slx
