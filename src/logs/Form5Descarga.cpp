// The download of a device's logs from the incidents window: Recibir and Parar.

#include "base/BuscaFicha.h"
#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "base/TextoPropio.h"
#include "link/DeviceSession.h"
#include "localization/LocGuru.h"
#include "logs/Form5.h"
#include "logs/Form8.h"
#include "logs/Incidencias.h"
#include "logs/LogDownload.h"
#include "widgets/BusyIndicator.h"
#include "widgets/SessionGuard.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace slx {

namespace {

void critico(QWidget *w, const QString &text)
{
    ui::MsgBox(text, ui::Icon::Critical, ui::OkOnly, w);
}

// The message of a step that failed; nothing for a receive that Stop ended.
void informaFallo(QWidget *w, const logs::ResultadoPaso &r)
{
    if (r.estado == logs::ResultadoPaso::FalloBase)
        critico(w, r.error);
    else if (r.estado == logs::ResultadoPaso::FalloTrama)
        if (const int texto = textoFallo(r.trama))
            critico(w, oLocGuru().GetS(texto));
}

} // namespace

void Form5::SSCommandRecibir_Click()
{
    Modulo1 &m = modulo1();
    if (m_shown == 0) {
        ui::MsgBox(oLocGuru().GetS(28), ui::Icon::Information, ui::OkOnly, this);
        return;
    }
    if (DeviceSession::running())
        return;
    const std::optional<logs::RangoFechas> periodo = pideRangoFechas(this);
    if (!periodo)
        return;

    SessionOptions options;
    options.enlace = ajustesEnlace(m);
    options.telefono = m.TelefonoAparato;
    options.watchdog = Timer2;
    GuardOptions look;
    look.cursor = Qt::BusyCursor;
    look.busy = [this](bool on) {
        if (on) {
            Frame17->setTitle(QStringLiteral("0"));
            LbRegistro->clear();
            SSCommandRecibir->hide();
            SSCommandStop->show();
            SSCommandStop->setEnabled(true);
            Animation1->start();
            SSPanel1->show();
        } else {
            SSPanel1->hide();
            Animation1->stop();
        }
    };
    {
        DeviceSession session(options);
        SessionGuard guard(this,
                           {SSCommandAnterior, SSCommandBuscar, SSCommandExit, SSCommandHelp, SSCommandImprimir,
                            SSCommandSiguiente, SSCommandProgramacion, SSCommandGrafica, SSCommandRecibir},
                           session, look);
        m_sesion = &session; // Stop cancels it
        if (guard.start() == DeviceSession::Outcome::Ready) {
            int omitidos = 0;
            if (descarga(session, *periodo, &omitidos)) {
                QString texto = oLocGuru().GetS(61);
                if (omitidos > 0)
                    texto += QStringLiteral("\n\n") +
                             TextoPropio("Records skipped (a value out of range): %1").arg(omitidos);
                ui::MsgBox(texto, ui::Icon::Information, ui::OkOnly, this);
            }
        }
        m_sesion = nullptr;
        guard.finish(); // buttons, panel, cursor back; the port closed or text 112
    }
    SSCommandRecibir->show();
    SSCommandStop->hide();
    // The rows received appear; the device shown is the one downloaded (or, after a
    // device not in the table, the one shown before).
    CarregaDades();
}

bool Form5::descarga(DeviceSession &session, const logs::RangoFechas &periodo, int *omitidos)
{
    Modulo1 &m = modulo1();
    const Identificacion &id = session.identification();
    if (id.numeroSerie != m_shown) {
        const Resultado<bool> mostrada = muestraSerie(id.numeroSerie);
        if (!mostrada || !*mostrada) {
            critico(this,
                    mostrada ? oLocGuru().GetS(29) + QString::number(id.numeroSerie) : mostrada.error().mensaje());
            return false;
        }
    }
    // The identified device (not the record shown) decides the rows and the record
    // layout, whatever the table held for it.
    logs::LogDownload d(session, m.ConexionBD, id.numeroSerie,
                        [this](const logs::Progreso &p) { muestraProgreso(p.tramas, p.fecha, false); });
    m_progresoMostrado.invalidate();

    const QDateTime ara = QDateTime::currentDateTime();
    logs::AvisosDescarga avisos;
    avisos.totales = [&](const logs::Totales &totales) {
        MaskFechaTotales->setText(ara.toString(QStringLiteral("dd/MM/yyyy")));
        MaskHoraTotales->setText(ara.toString(QStringLiteral("HH:mm:ss")));
        LbPasadasLocal->setText(QString::number(totales.pasadasLocal));
        MaskE3->setText(QString::number(totales.e3));
        MaskCB->setText(QString::number(totales.cb));
        LbPasadasVei->setText(QString::number(totales.pasadasVecino));
    };
    avisos.finPaso = [&] { muestraProgreso(d.progreso().tramas, d.progreso().fecha, true); };
    const logs::ResultadoDescarga r = d.descarga(logs::formatoDeVersion(id.version), periodo, ara, avisos);
    informaFallo(this, r.paso);
    *omitidos = d.omitidos();
    return r.exito;
}

Resultado<bool> Form5::muestraSerie(qint32 serial)
{
    int at = int(m_serials.indexOf(serial));
    if (at < 0) {
        // A device stored since the window opened.
        Resultado<QVector<qint32>> now = serialesProgramacion(modulo1().ConexionBD);
        if (!now)
            return fallo(now.error());
        if (!now->contains(serial))
            return false;
        m_serials = std::move(*now);
        at = int(m_serials.indexOf(serial));
    }
    m_pos = at;
    CarregaDades();
    return true;
}

void Form5::muestraProgreso(int tramas, const QDateTime &fecha, bool final)
{
    // At a human rate: every frame would cost a repaint and a round trip to the display
    // each. The count at the end of a step is always shown.
    constexpr int kIntervaloMs = 100;
    if (!final && m_progresoMostrado.isValid() && m_progresoMostrado.elapsed() < kIntervaloMs)
        return;
    m_progresoMostrado.start();
    Frame17->setTitle(QString::number(tramas));
    if (fecha.isValid())
        LbRegistro->setText(fecha.toString(QStringLiteral("dd/MM/yyyy HH:mm")));
}

void Form5::SSCommandStop_Click()
{
    SSCommandStop->hide();
    SSCommandRecibir->show();
    if (m_sesion)
        m_sesion->cancel();
}

} // namespace slx
