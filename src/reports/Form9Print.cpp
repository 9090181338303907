// The chart report: both charts as they stand written beside the layout as SVG pictures,
// the memo of disabled intervals into Configuracion, the device's frame around the
// pictures in the user's language, and the preview.

#include "base/DataFolder.h"
#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "base/TextFormats.h"
#include "base/TextoPropio.h"
#include "base/VistaIncidencias.h"
#include "localization/LocGuru.h"
#include "printing/Form15.h"
#include "printing/ReportEngine.h"
#include "printing/ReportFrame.h"
#include "printing/ReportXml.h"
#include "reports/Form9.h"
#include "widgets/Chart2D.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <limits>

namespace slx {

namespace {

// The size in screen pixels of the box where the layout places a picture, so that the
// chart is laid out on its proportions and its texts print at their screen size; empty
// when the layout cannot tell (its own load then reports why).
QSize tamanoEnDiseno(const QString &layout, const QString &fichero)
{
    // A layout that cannot be read gives no size: its own load reports why.
    const auto informe = cargaInforme(layout, QStringLiteral("SLX90_4"));
    if (!informe)
        return {};
    const QString nombre = QFileInfo(fichero).fileName();
    for (const SeccionInforme &s : (*informe)->secciones)
        for (const auto &c : s.campos)
            if (c->tipo == TipoCampo::Imagen &&
                QFileInfo(c->imagen).fileName().compare(nombre, Qt::CaseInsensitive) == 0) {
                constexpr double pixelesPorMm = 96 / 25.4;
                return QSize(qRound(c->caja.width() * pixelesPorMm), qRound(c->caja.height() * pixelesPorMm));
            }
    return {};
}

// Writes a chart as a vector picture; a picture that cannot be written stops the report.
Resultado<> grabaGrafica(const Chart2D *grafica, const QString &fichero, const QString &layout)
{
    if (const auto r = grafica->drawToFile(fichero, 3, tamanoEnDiseno(layout, fichero)); !r)
        return fallo(
            TextoPropio("The picture %1 cannot be written: %2").arg(QDir::toNativeSeparators(fichero), r.error().text));
    return {};
}

} // namespace

const char *const Form9::kLayout = "XML/slx90_4.xml";
const char *const Form9::kImagenArriba = "XML/SLX90_4Pic3.svg";
const char *const Form9::kImagenAbajo = "XML/SLX90_4Pic2.svg";

void Form9::SSCommandImprimir_Click()
{
    Modulo1 &m = modulo1();
    if (!VSReport1)
        VSReport1 = new ReportEngine(this);
    const auto prepara = [&]() -> Resultado<> {
        const auto vista = vistaIncidencias();
        const CajasIncidencias cajas = vista ? vista->cajas() : CajasIncidencias{};
        const QString totales = cajas.fechaTotales + QLatin1Char(' ') + cajas.horaTotales;
        const QString memo = marco::memoInhabiles(m.IntervalosInhabiles);
        // The serial shown in the window, as a number (it is bound in every query).
        const Resultado<qint64> serial = enteroTexto(TextNumeroSerie->text(), std::numeric_limits<qint32>::min(),
                                                     std::numeric_limits<qint32>::max());
        if (!serial)
            return fallo(serial.error());
        // A missing device row is reported once the memo, the pictures and the layout are done.
        const auto fila = marco::leeFilaAparato(m.ConexionBD, qint32(*serial));
        const auto usuario = marco::usuarioConfiguracion(m.ConexionBD);
        if (!usuario)
            return fallo(usuario.error());
        if (const auto grabado = marco::grabaMemo(m.ConexionBD, memo); !grabado)
            return fallo(grabado.error());
        const QString layout = DataFolder::file(QString::fromLatin1(kLayout));
        if (const auto r = grabaGrafica(Chart2D1, DataFolder::file(QString::fromLatin1(kImagenArriba)), layout); !r)
            return r;
        if (const auto r = grabaGrafica(Chart2D2, DataFolder::file(QString::fromLatin1(kImagenAbajo)), layout); !r)
            return r;
        if (const auto r = VSReport1->carga(layout, QStringLiteral("SLX90_4")); !r)
            return r;
        if (!fila)
            return fallo(fila.error());
        marco::DatosMarco datos;
        datos.serial = qint32(*serial);
        datos.fila = *fila;
        datos.totales = totales;
        datos.memo = memo;
        datos.usuario = *usuario;
        datos.hoy = QDate::currentDate();
        datos.version = cajas.version;
        const auto informe = VSReport1->informe();
        if (!informe)
            return fallo(informe.error());
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
