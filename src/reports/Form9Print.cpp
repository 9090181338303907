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
    try {
        const auto informe = cargaInforme(layout, QStringLiteral("SLX90_4"));
        const QString nombre = QFileInfo(fichero).fileName();
        for (const SeccionInforme &s : informe->secciones)
            for (const auto &c : s.campos)
                if (c->tipo == TipoCampo::Imagen &&
                    QFileInfo(c->imagen).fileName().compare(nombre, Qt::CaseInsensitive) == 0) {
                    constexpr double pixelesPorMm = 96 / 25.4;
                    return QSize(qRound(c->caja.width() * pixelesPorMm), qRound(c->caja.height() * pixelesPorMm));
                }
    } catch (const FalloInforme &) {
    }
    return {};
}

// Writes a chart as a vector picture; a picture that cannot be written stops the report.
void grabaGrafica(const Chart2D *grafica, const QString &fichero, const QString &layout)
{
    if (const auto r = grafica->drawToFile(fichero, 3, tamanoEnDiseno(layout, fichero)); !r)
        throw FalloInforme{
            TextoPropio("The picture %1 cannot be written: %2").arg(QDir::toNativeSeparators(fichero), r.error().text)};
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
    try {
        QString error;
        const auto vista = vistaIncidencias();
        const CajasIncidencias cajas = vista ? vista->cajas() : CajasIncidencias{};
        const QString totales = cajas.fechaTotales + QLatin1Char(' ') + cajas.horaTotales;
        const QString memo = marco::memoInhabiles(m.IntervalosInhabiles);
        // The serial shown in the window, as a number (it is bound in every query).
        const auto serial = enteroTexto(TextNumeroSerie->text(), std::numeric_limits<qint32>::min(),
                                        std::numeric_limits<qint32>::max(), &error);
        if (!serial)
            throw FalloInforme{error};
        // A missing device row is reported once the memo, the pictures and the layout are done.
        const auto fila = marco::leeFilaAparato(m.ConexionBD, qint32(*serial));
        const auto usuario = marco::usuarioConfiguracion(m.ConexionBD);
        if (!usuario)
            throw FalloInforme{usuario.error().mensaje()};
        if (const auto grabado = marco::grabaMemo(m.ConexionBD, memo); !grabado)
            throw FalloInforme{grabado.error().mensaje()};
        const QString layout = DataFolder::file(QString::fromLatin1(kLayout));
        grabaGrafica(Chart2D1, DataFolder::file(QString::fromLatin1(kImagenArriba)), layout);
        grabaGrafica(Chart2D2, DataFolder::file(QString::fromLatin1(kImagenAbajo)), layout);
        VSReport1->carga(layout, QStringLiteral("SLX90_4"));
        if (!fila)
            throw FalloInforme{fila.error().mensaje()};
        marco::DatosMarco datos;
        datos.serial = qint32(*serial);
        datos.fila = *fila;
        datos.totales = totales;
        datos.memo = memo;
        datos.usuario = *usuario;
        datos.hoy = QDate::currentDate();
        datos.version = cajas.version;
        marco::rellenaMarco(VSReport1->informe(), m.ConexionBD, datos, [](int n) { return oLocGuru().GetS(n); });
    } catch (const FalloInforme &f) {
        ui::MsgBox(f.descripcion, ui::Icon::Critical, ui::OkOnly, this);
        return;
    }
    m.InformeVistaPrevia = VSReport1;
    Form15::muestra(this);
}

} // namespace slx
