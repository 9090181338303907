#pragma once
// The main window: its load is the program's start-up, its unload the shutdown, and
// its buttons open the rest of the program.

#include <QMainWindow>

class QLabel;
class QPushButton;

namespace slx {

struct ResultadoFusion;

class Form1 : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(QWidget *parent = nullptr);

    QPushButton *SSCommandProgramacion;
    QPushButton *SSCommandIncidencias;
    QPushButton *SSCommand1;
    QPushButton *SSCommandPort;
    QPushButton *SSCommandIdioma;
    QPushButton *SSCommandUsuario;
    QPushButton *SSCommandHelp;
    QPushButton *SSCommandExit;
    QPushButton *CommandExportar;
    QLabel *SSPanel1;

    // The start-up: settings file, language, database, backup import, command line;
    // shows the window at its end.
    void Form_Load();
    // The shutdown: the settings row Configuracion and the database are closed.
    // Runs once per load.
    void Form_Unload();

    // The command line the start-up acts on (by default the program's own); acted on
    // once per run, not again when the window restarts.
    static void fijaLineaComandos(const QString &linea);

    // Closes every other window of the program through its own close; false when one
    // stays open. except is left alone.
    static bool CierraOtrasVentanas(QWidget *except = nullptr);
    // Ends a kept modem call.
    static void CuelgaModem();
    // Unloads the main window and loads it again (after a language change).
    void ReiniciaVentana();

    // The merge of FicheroImportar under the busy panel; the result is shown.
    void ImportaBaseDatos();
    // The backup left in the data folder, merged at start-up and deleted when all of
    // it is in the database; a merge of one that never ended is told at the next start.
    void ImportaCopiaSeguridad();

public Q_SLOTS:
    void SSCommandProgramacion_Click();
    void SSCommandIncidencias_Click();
    void SSCommand1_Click();
    void SSCommandPort_Click();
    void SSCommandIdioma_Click();
    void SSCommandUsuario_Click();
    void SSCommandHelp_Click();
    void SSCommandExit_Click();
    void CommandExportar_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void SeleccionaFichero();
    // While a device exchange runs, the commands that would pull the ground from
    // under it (exit, language, link settings, import, text export) refuse with a
    // message: true when refused.
    bool rehusaDuranteIntercambio();
    void habilitaBotones(bool on);
    bool fusiona(const QString &fichero, ResultadoFusion *resultado);
    // The summary of a merge, as the import command and the start-up show it.
    void muestraResumen(const ResultadoFusion &r);
    // The settings file is missing: asks whether to write the default one; true once it is
    // written, false when the user declines or it cannot be written.
    bool OfreceIniPorDefecto();

    bool m_cargada = false;    // Form_Load ran and Form_Unload has not
    bool m_sinCierre = false;  // the program ends without the shutdown (text export)
    bool m_fusionando = false; // a merge is running: the window does not close
};

} // namespace slx
