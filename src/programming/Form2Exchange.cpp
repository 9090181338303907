// The programming sheet window's exchange with the device: reading a device's
// programming into the sheet, writing the sheet into the device, and the button of
// the real-time monitor. Each exchange runs inside its button's handler over one
// device session, which puts the window and the port back on every way out; the
// transfer itself is ProgrammingTransfer's, the window shows its results and asks.

#include "base/Firmware.h"
#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "base/TextFormats.h"
#include "base/TextoPropio.h"
#include "base/Ventanas.h"
#include "link/DeviceSession.h"
#include "link/LinkTimings.h"
#include "localization/LocGuru.h"
#include "programming/Form2.h"
#include "programming/ProgrammingBlock.h"
#include "programming/ProgrammingExchange.h"
#include "programming/ProgrammingTransfer.h"
#include "widgets/BusyIndicator.h"
#include "widgets/SessionGuard.h"

#include <QPushButton>
#include <QTimer>
#include <exception>

namespace slx {

namespace {

void aviso(QWidget *parent, const AvisoIntercambio &a)
{
    ui::MsgBox(oLocGuru().GetS(a.texto), a.icono, ui::OkOnly, parent);
}

} // namespace

QList<QWidget *> Form2::botonesIntercambio() const
{
    // The buttons an exchange switches off. Exit, Receive, Transmit and Real time stay
    // as they are: the session refuses a second exchange and the window's closing.
    QList<QWidget *> list;
    for (const char *name : {"SSCommandAnterior", "SSCommandBorrar", "SSCommandBuscar", "SSCommandGrabar",
                             "SSCommandHelp", "SSCommandImprimir", "SSCommandIncidencias", "SSCommandSiguiente"})
        if (auto *b = findChild<QPushButton *>(QLatin1String(name)))
            list.append(b);
    return list;
}

void Form2::muestraPanel2(bool visible)
{
    m_panel2->setVisible(visible);
    if (visible) {
        m_animacion->start();
        repaint();
    } else {
        m_animacion->stop();
    }
}

void Form2::destinoProgramacion()
{
    Modulo1 &m = modulo1();
    const qint32 serie = m.NumeroSerieAparato;
    const QString pantalla = texto(QStringLiteral("MaskNumeroSerie"));
    if (destinoRecepcion(pantalla, serie, false) == DestinoRecepcion::FichaEnPantalla) {
        // The device of the sheet on screen: a new version alone marks the sheet.
        if (texto(QStringLiteral("MaskVersion")) != m.VersionAparato)
            m.FitxaModificada = true;
        setTexto(QStringLiteral("MaskVersion"), m.VersionAparato);
        ComparaPcAqt();
        return;
    }
    const Resultado<bool> guardada = hayFichaGuardada(m.ConexionBD, serie);
    if (!guardada) {
        ui::MsgBox(guardada.error().mensaje(), ui::Icon::Critical, ui::OkOnly, this);
        return;
    }
    // A sheet no device has filled yet holds only what the user typed there.
    const bool sinAparato = numeroSerie() == 0;
    if (*guardada) {
        // The stored sheet replaces what was typed on a new sheet: only when the user says so.
        if (sinAparato && hasContactData(fitxa()) &&
            ui::MsgBox(TextoPropio("This device already has a stored sheet, which now takes the place of the new "
                                   "one: the contact details and the note typed on the new sheet are not kept. "
                                   "Show the stored sheet?"),
                       ui::Icon::Question, ui::OkCancel, this) != ui::vbOK)
            return;
        // The stored sheet comes with its own version, which the comparison then follows.
        if (!CarregaProgramacio(serie))
            return;
        reloadSerials();
        ComparaPcAqt();
        return;
    }
    // A new sheet, dated today and not saved: past the last stored one.
    FitxaProgramacio f = fitxa();
    const EstadoFitxa estado = fichaNuevaDeAparato(f, serie, m.VersionAparato, m.ProgramacioRebuda,
                                                   sinAparato ? ContactFields::Kept : ContactFields::Empty);
    entrega(f, estado);
    setFitxa(f);
    m_pos = m_serials.isEmpty() ? -1 : int(m_serials.size());
}

void Form2::SSCommandRecibir_Click()
{
    // A click during an exchange starts nothing, not even the save offer.
    if (DeviceSession::running())
        return;
    try {
        recibir();
    } catch (const std::exception &e) {
        // The session has put the window back and ended the link on its way out.
        ui::MsgBox(QString::fromStdString(e.what()), ui::Icon::Critical, ui::OkOnly, this);
    }
}

void Form2::recibir()
{
    Modificat();
    SessionOptions options;
    options.enlace = ajustesEnlace(modulo1());
    options.telefono = texto(QStringLiteral("MaskTelefono"));
    options.watchdog = m_timer2;
    m_timer2->setInterval(linkTimings().vigilanteMs);
    DeviceSession session(options);
    SessionGuard guard(this, botonesIntercambio(), session);
    if (guard.start() != DeviceSession::Outcome::Ready)
        return;
    Modulo1 &m = modulo1();
    const Resultado<ProgramacioRebuda> copia = ProgrammingTransfer(session).lee(m.VersionAparato);
    if (copia) {
        m.ProgramacioRebuda = *copia;
        if (versionAlMenys(m.VersionAparato, firmware::kGlobalCorrection))
            campo(QStringLiteral("CheckApliCorrecioGlobal"))->setVisible(true);
        ui::MsgBox(oLocGuru().GetS(61), ui::Icon::Information, ui::OkOnly, this);
        destinoProgramacion();
    } else {
        // The receiver's own message, then text 62.
        if (const int texto = copia.error().texto)
            ui::MsgBox(oLocGuru().GetS(texto), ui::Icon::Critical, ui::OkOnly, this);
        ui::MsgBox(oLocGuru().GetS(62), ui::Icon::Critical, ui::OkOnly, this);
    }
    guard.finish();
}

void Form2::SSCommandTransmitir_Click()
{
    if (DeviceSession::running())
        return;
    try {
        transmitir();
    } catch (const std::exception &e) {
        ui::MsgBox(QString::fromStdString(e.what()), ui::Icon::Critical, ui::OkOnly, this);
    }
}

void Form2::transmitir()
{
    Modulo1 &m = modulo1();
    // A field out of its range is corrected or refused by its own check first, in view;
    // a sheet the device could not take is neither saved nor sent: its field is shown.
    if (!camposRevisados())
        return;
    if (const Resultado<QByteArray> codificada = CodificaProgramacio(fitxa(), m.VersionAparato); !codificada) {
        showFailure(codificada.error());
        return;
    }
    // The sheet is saved first; it stays saved when the exchange is then cancelled.
    if (numeroSerie() != 0 && GrabaProgramacio())
        reloadSerials();
    SessionOptions options;
    options.enlace = ajustesEnlace(modulo1());
    options.telefono = texto(QStringLiteral("MaskTelefono"));
    options.watchdog = m_timer2;
    // The type is checked after the mode and the serial number (compruebaEscritura).
    options.checkType = false;
    m_timer2->setInterval(linkTimings().vigilanteMs);
    GuardOptions look;
    look.busy = [this](bool on) { muestraPanel2(on); };
    DeviceSession session(options);
    SessionGuard guard(this, botonesIntercambio(), session, look);
    if (guard.start() != DeviceSession::Outcome::Ready)
        return;
    if (const auto refusal = compruebaEscritura(m.ModoAparato, texto(QStringLiteral("MaskNumeroSerie")),
                                                m.NumeroSerieAparato, m.TipoAparato)) {
        aviso(this, *refusal);
    } else {
        const Resultado<quint8> resultado = ProgrammingTransfer(session).EnviarProgramacion(fitxa(), m.VersionAparato);
        if (resultado)
            aviso(this, avisoEscritura(*resultado));
        else
            showFailure(resultado.error());
    }
    guard.finish();
}

void Form2::SSCommandRealTime_Click()
{
    if (DeviceSession::running())
        return;
    abreVentana(QStringLiteral("Form3"), true, this);
}

} // namespace slx
