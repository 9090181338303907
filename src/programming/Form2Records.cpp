// The programming sheet window's records: opening, navigation, search, deletion,
// save and the ways out.

#include "base/BuscaFicha.h"
#include "base/FormRegistry.h"
#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "base/TextoPropio.h"
#include "localization/LocGuru.h"
#include "programming/Form2.h"
#include "programming/ProgrammingExchange.h"
#include "programming/SheetChecks.h"
#include "programming/SheetSearch.h"
#include "programming/SheetStorage.h"
#include "widgets/HelpWindow.h"
#include "widgets/SessionGuard.h"
#include "widgets/TDBGrid.h"

#include <QApplication>
#include <QTimer>

namespace slx {

bool Form2::Form_Load()
{
    Modulo1 &m = modulo1();
    oLocGuru().TranslateForm(this);
    m.FitxaModificada = false;
    setWindowTitle(ui::applicationTitle());
    setCalendarNames();
    Timer1_Timer();
    m_timer1->start();

    if (!m.ConexionBD.isOpen()) {
        ui::MsgBox(TextoPropio("The database is not open."), ui::Icon::Critical, ui::OkOnly, this);
        return false;
    }
    Resultado<QVector<qint32>> serials = serialesProgramacion(m.ConexionBD);
    if (!serials) {
        ui::MsgBox(serials.error().mensaje(), ui::Icon::Critical, ui::OkOnly, this);
        return false;
    }
    m_serials = std::move(*serials);

    // The command line names a device once per run.
    const QString linea = m.LineaComandos;
    if (!linea.isEmpty() && !m.LineaComandosUsada && !linea.right(5).toUpper().endsWith(QLatin1String(".QV90"))) {
        m.LineaComandosUsada = true;
        // The serial number as written, matched literally (never as a pattern).
        for (int at = 0; at < m_serials.size(); ++at) {
            if (QString::number(m_serials.at(at)) == linea) {
                m_pos = at;
                return CarregaProgramacio(m_serials.at(at));
            }
        }
    }
    if (m_serials.isEmpty()) {
        m_pos = -1;
        CreaProgramacio();
        return true;
    }
    if (m.NumeroSerieAparato < 1) {
        m_pos = 0;
        return CarregaProgramacio(m_serials.first());
    }
    const int at = m_serials.indexOf(m.NumeroSerieAparato);
    if (at < 0) {
        // Past the last sheet: Siguiente does nothing, Anterior shows the last sheet.
        m_pos = m_serials.size();
        CreaProgramacio();
        return true;
    }
    m_pos = at;
    return CarregaProgramacio(m.NumeroSerieAparato);
}

bool Form2::reloadSerials()
{
    Resultado<QVector<qint32>> serials = serialesProgramacion(modulo1().ConexionBD);
    if (!serials) {
        // The sheets could not be read again: the failure is shown, the sheet on screen and
        // the rows known stay.
        ui::MsgBox(serials.error().mensaje(), ui::Icon::Critical, ui::OkOnly, this);
        return false;
    }
    m_serials = std::move(*serials);
    const int at = m_serials.indexOf(numeroSerie());
    m_pos = at >= 0 ? at : (m_serials.isEmpty() ? -1 : 0);
    return true;
}

bool Form2::mayLeaveNewSheet()
{
    if (numeroSerie() != 0 || !hasContactData(fitxa()))
        return true;
    return ui::MsgBox(TextoPropio("This new sheet has no serial number yet and cannot be saved: the contact details "
                                  "and the note typed on it will be lost. Leave it?"),
                      ui::Icon::Question, ui::OkCancel, this) == ui::vbOK;
}

void Form2::moveAndLoad(int step)
{
    // Where the move goes from the row on screen; nothing when it goes nowhere.
    const auto destino = [this, step]() -> std::optional<int> {
        if (m_serials.isEmpty() || m_pos < 0 || (step > 0 && m_pos >= m_serials.size()))
            return std::nullopt;
        return m_pos + step;
    };
    const auto antes = destino();
    if (antes && *antes >= 0 && *antes < m_serials.size() && !mayLeaveNewSheet())
        return;
    // A sheet saved here joins the rows: the move starts from it. A save that failed
    // keeps the sheet on screen with the field's message.
    if (ofreceGuardarCambios() == Oferta::Fallida)
        return;
    const auto next = destino();
    if (!next)
        return;
    if (*next < 0 || *next >= m_serials.size()) {
        QApplication::beep();
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_pos = *next;
    CarregaProgramacio(m_serials.at(m_pos));
    QApplication::restoreOverrideCursor();
}

void Form2::SSCommandSiguiente_Click()
{
    moveAndLoad(+1);
}

void Form2::SSCommandAnterior_Click()
{
    moveAndLoad(-1);
}

void Form2::SSCommandBuscar_Click()
{
    if (CampActual.isEmpty())
        return;
    const int etiqueta = sheet::etiquetaBusqueda(CampActual);
    if (!etiqueta)
        return;
    bool ok = false;
    const QString prompt = oLocGuru().GetS(20) + QLatin1Char(' ') + oLocGuru().GetS(etiqueta);
    const QString texto = ui::InputBox(prompt, oLocGuru().GetS(32), QString(), &ok, this);
    if (!ok || texto.isEmpty())
        return;
    if (!mayLeaveNewSheet() || ofreceGuardarCambios() == Oferta::Fallida)
        return;
    const Resultado<std::optional<qint32>> busqueda = sheet::buscaFicha(modulo1().ConexionBD, CampActual, texto);
    if (!busqueda) {
        ui::MsgBox(busqueda.error().mensaje(), ui::Icon::Critical, ui::OkOnly, this);
        return;
    }
    const std::optional<qint32> found = *busqueda;
    reloadSerials();
    if (!found) {
        // Nothing found: the sheet stays, and the next move starts from the first sheet.
        m_pos = m_serials.isEmpty() ? -1 : 0;
        return;
    }
    m_pos = m_serials.indexOf(*found);
    CarregaProgramacio(*found);
}

void Form2::SSCommandBorrar_Click()
{
    const qint32 serial = numeroSerie();
    if (serial == 0)
        return;
    Modificat();
    if (ui::MsgBox(oLocGuru().GetS(27), ui::Icon::Question, ui::OkCancel, this) != ui::vbOK)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Resultado<> borrado = sheet::borraAparato(modulo1().ConexionBD, serial);
    QApplication::restoreOverrideCursor();
    if (!borrado) {
        ui::MsgBox(borrado.error().mensaje(), ui::Icon::Critical, ui::OkOnly, this);
        return;
    }
    Resultado<QVector<qint32>> serials = serialesProgramacion(modulo1().ConexionBD);
    if (!serials) {
        // The device is gone, but the table could not be read again: the failure is shown, and
        // the sheets known before stand for the table, instead of a new sheet for an empty one.
        ui::MsgBox(serials.error().mensaje(), ui::Icon::Critical, ui::OkOnly, this);
        m_serials.removeAll(serial);
    } else {
        m_serials = std::move(*serials);
    }
    if (m_serials.isEmpty()) {
        m_pos = -1;
        CreaProgramacio();
    } else {
        m_pos = 0;
        CarregaProgramacio(m_serials.first());
    }
}

void Form2::SSCommandGrabar_Click()
{
    if (numeroSerie() == 0) {
        // A sheet is stored under its device's serial number, which only the device gives.
        ui::MsgBox(TextoPropio("This sheet has no serial number yet: the serial number comes from the device. "
                               "Connect the device and press Receive first, then save the sheet."),
                   ui::Icon::Information, ui::OkOnly, this);
        return;
    }
    if (ui::MsgBox(oLocGuru().GetS(23), ui::Icon::Question, ui::OkCancel, this) == ui::vbOK) {
        if (GrabaProgramacio())
            reloadSerials();
    }
}

bool Form2::OfreceGuardar()
{
    m_grid->commitEdit();
    if (!offersToSave(fitxaPerGuardar(), modulo1().FitxaModificada))
        return true;
    if (ui::MsgBox(oLocGuru().GetS(23), ui::Icon::Question, ui::OkCancel, this) != ui::vbOK)
        return false;
    return GrabaProgramacio();
}

bool Form2::cierraPorBoton()
{
    if (!mayLeaveNewSheet())
        return false;
    // A save that failed keeps the window, with the typing and the field's message.
    if (ofreceGuardarCambios() == Oferta::Fallida)
        return false;
    m_closingByButton = true;
    close();
    return true;
}

void Form2::SSCommandExit_Click()
{
    if (WindowGuard::blocksClose(this))
        return;
    if (!cierraPorBoton())
        return;
    if (QWidget *main = FormRegistry::instance(QStringLiteral("Form1")))
        main->show();
}

void Form2::SSCommandIncidencias_Click()
{
    if (!cierraPorBoton())
        return;
    if (QWidget *incidencias = FormRegistry::load(QStringLiteral("Form5")))
        incidencias->show();
}

void Form2::SSCommandHelp_Click()
{
    AbreAyuda(modulo1().CodigoIdioma, this);
}

void registraForm2()
{
    FormRegistry::add(QStringLiteral("Form2"), []() -> QWidget * {
        auto *form = new Form2;
        if (!form->Form_Load()) {
            delete form;
            return nullptr;
        }
        return form;
    });
}

} // namespace slx
