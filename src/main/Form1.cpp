#include "main/Form1.h"

#include "link/DeviceSession.h"
#include "link/SerialControl.h"

#include "base/DataFolder.h"
#include "base/Database.h"
#include "base/FicheroRegular.h"
#include "base/FormRegistry.h"
#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "base/TextoPropio.h"
#include "base/Ventanas.h"
#include "import/ImportaBaseDatos.h"
#include "localization/LocGuru.h"
#include "main/Arranque.h"
#include "main/CopiaSeguridad.h"
#include "widgets/HelpWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace slx {

namespace {

struct LineaComandosRun {
    bool fijada = false;
    QString texto;
    bool atendida = false;
};

LineaComandosRun &lineaRun()
{
    static LineaComandosRun r;
    return r;
}

QPushButton *boton(QWidget *parent, const char *name, const QString &caption, const QString &tip)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    if (!tip.isEmpty())
        b->setToolTip(tip);
    b->setMinimumHeight(48);
    return b;
}

} // namespace

Form1::Form1(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(ui::applicationTitle());
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("Frame1"));
    setCentralWidget(central);

    SSCommandProgramacion = boton(central, "SSCommandProgramacion", QStringLiteral("Programación"),
                                  QStringLiteral("Fichas de programación de los SLX-90"));
    SSCommandIncidencias = boton(central, "SSCommandIncidencias", QStringLiteral("Incidencias"),
                                 QStringLiteral("Registros descargados de los SLX-90"));
    SSCommand1 = boton(central, "SSCommand1", QStringLiteral("Importar datos"),
                       QStringLiteral("Importar datos de otra instalación"));
    SSCommandPort =
        boton(central, "SSCommandPort", QStringLiteral("Comunicaciones"), QStringLiteral("Puerto serie y módem"));
    SSCommandIdioma =
        boton(central, "SSCommandIdioma", QStringLiteral("Idioma"), QStringLiteral("Idioma de la aplicación"));
    SSCommandUsuario = boton(central, "SSCommandUsuario", QStringLiteral("Pie de página"),
                             QStringLiteral("Texto del pie de página de los informes"));
    SSCommandHelp = boton(central, "SSCommandHelp", QStringLiteral("Ayuda"), QString());
    SSCommandExit = boton(central, "SSCommandExit", QStringLiteral("Salir"), QString());
    CommandExportar = new QPushButton(QStringLiteral("Exportar textos"), central);
    CommandExportar->setObjectName(QStringLiteral("CommandExportar"));
    CommandExportar->setToolTip(QStringLiteral("Exportar los textos a la base de datos de idiomas y salir"));

    SSPanel1 = new QLabel(QStringLiteral("Importando datos"), central);
    SSPanel1->setObjectName(QStringLiteral("SSPanel1"));
    SSPanel1->setAlignment(Qt::AlignCenter);
    SSPanel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    SSPanel1->setLineWidth(2);
    SSPanel1->setMinimumHeight(40);
    QFont f = SSPanel1->font();
    f.setBold(true);
    SSPanel1->setFont(f);
    SSPanel1->setVisible(false);

    auto *grid = new QGridLayout;
    grid->addWidget(SSCommandProgramacion, 0, 0);
    grid->addWidget(SSCommandIncidencias, 0, 1);
    grid->addWidget(SSCommand1, 1, 0);
    grid->addWidget(SSCommandUsuario, 1, 1);
    grid->addWidget(SSCommandPort, 2, 0);
    grid->addWidget(SSCommandIdioma, 2, 1);
    grid->addWidget(SSCommandHelp, 3, 0);
    grid->addWidget(SSCommandExit, 3, 1);
    auto *layout = new QVBoxLayout(central);
    layout->addLayout(grid);
    layout->addWidget(SSPanel1);
    layout->addStretch();
    layout->addWidget(CommandExportar, 0, Qt::AlignRight);
    resize(480, 320);

    connect(SSCommandProgramacion, &QPushButton::clicked, this, &Form1::SSCommandProgramacion_Click);
    connect(SSCommandIncidencias, &QPushButton::clicked, this, &Form1::SSCommandIncidencias_Click);
    connect(SSCommand1, &QPushButton::clicked, this, &Form1::SSCommand1_Click);
    connect(SSCommandPort, &QPushButton::clicked, this, &Form1::SSCommandPort_Click);
    connect(SSCommandIdioma, &QPushButton::clicked, this, &Form1::SSCommandIdioma_Click);
    connect(SSCommandUsuario, &QPushButton::clicked, this, &Form1::SSCommandUsuario_Click);
    connect(SSCommandHelp, &QPushButton::clicked, this, &Form1::SSCommandHelp_Click);
    connect(SSCommandExit, &QPushButton::clicked, this, &Form1::SSCommandExit_Click);
    connect(CommandExportar, &QPushButton::clicked, this, &Form1::CommandExportar_Click);
}

void Form1::fijaLineaComandos(const QString &linea)
{
    lineaRun() = LineaComandosRun{true, linea, false};
}

void Form1::Form_Load()
{
    Modulo1 &m = modulo1();
    m.ModemConectado = false;
    // Without its settings file the start-up stops and the program ends, unless the user
    // has the default one written (asked in the language the folder last spoke).
    if (!ExisteFichero(ficheroIni()) && !OfreceIniPorDefecto()) {
        m_sinCierre = true;
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        return;
    }

    // Settings file: a numeric key that is missing or not a number takes its default.
    const LecturaIni lectura = LeeConfiguracion(ficheroIni());
    const Idioma idioma = idiomaDeIni(lectura.idioma);
    m.CodigoIdioma = idioma.codigo;
    LocGuruP_BAS::SetupLanguage(DataFolder::file(QStringLiteral("Language.db")), idioma.nombre);
    m.CodigoIdioma = CalculaCodigoIdioma(idioma.nombre);
    if (!lectura.erroneas.isEmpty())
        ui::MsgBox(lectura.mensaje(), ui::Icon::Critical, ui::OkOnly, this);
    // The link's port number; the port itself stays closed (an open one keeps its call).
    if (!MSComm1().PortOpen())
        MSComm1().setCommPort(m.PuertoSerie);

    // The database; without it the commands that need it stay disabled.
    Resultado<void> base = Database::open();
    if (base)
        base = LeeFilaConfiguracion(m.ConexionBD);
    const bool baseAbierta = base.has_value();
    if (!baseAbierta) {
        Database::close();
        ui::MsgBox(base.error().mensaje(), ui::Icon::Critical, ui::OkOnly, this);
    }
    m_cargada = true;
    habilitaBotones(baseAbierta);

    setWindowTitle(ui::applicationTitle());
    if (!FuentesPequenas())
        ui::MsgBox(oLocGuru().GetS(177), ui::Icon::Critical, ui::OkOnly, this);
    oLocGuru().TranslateForm(this);

    if (baseAbierta)
        ImportaCopiaSeguridad();

    // The command line, acted on once per run, by the first start-up that has the
    // database (a restart after a language change does not act on it again).
    LineaComandosRun &run = lineaRun();
    if (!run.atendida && baseAbierta) {
        run.atendida = true;
        m.LineaComandos = LeeLineaComandos(run.fijada ? run.texto : lineaComandosDelPrograma());
        if (!m.LineaComandos.isEmpty()) {
            if (esFicheroIntercambio(m.LineaComandos)) {
                m.FicheroImportar = m.LineaComandos;
                abreVentana(QStringLiteral("Form16"), true, this);
                m.FicheroImportar.clear();
            } else {
                abreVentana(QStringLiteral("Form2"), true, this);
            }
        }
    }
    show();
}

bool Form1::OfreceIniPorDefecto()
{
    const ConfiguracionGuardada guardada = LeeConfiguracionGuardada();
    LocGuruP_BAS::SetupLanguage(DataFolder::file(QStringLiteral("Language.db")), guardada.idioma.nombre);
    const QString ini = ficheroIni();
    if (ui::MsgBox(TextoPropio("The settings file %1 is missing. Write a new one with the default settings and "
                               "start? The language and the report footer are kept; the link settings (serial "
                               "port, cable or modem) take their default values: check them with Communications.")
                       .arg(QDir::toNativeSeparators(ini)),
                   ui::Icon::Question, ui::YesNo, this) != ui::vbYes)
        return false;
    if (const Resultado<void> escrito = EscribeIniPorDefecto(ini, guardada); !escrito) {
        ui::MsgBox(escrito.error().mensaje(), ui::Icon::Critical, ui::OkOnly, this);
        return false;
    }
    return true;
}

void Form1::Form_Unload()
{
    if (!m_cargada)
        return;
    m_cargada = false;
    Modulo1 &m = modulo1();
    if (m.ConexionBD.isOpen()) {
        if (const Resultado<void> grabada = GrabaConfiguracion(m.ConexionBD); !grabada)
            ui::MsgBox(grabada.error().mensaje(), ui::Icon::Critical, ui::OkOnly, this);
    }
    Database::close();
}

void Form1::habilitaBotones(bool on)
{
    // Without the database only the settings, the help and the exit are offered.
    for (QPushButton *b : {SSCommandProgramacion, SSCommandIncidencias, SSCommand1, SSCommandUsuario})
        b->setEnabled(on);
}

bool Form1::CierraOtrasVentanas(QWidget *except)
{
    QWidget *main = FormRegistry::instance(QStringLiteral("Form1"));
    // Closing one window may release others (its own dialogs): held weakly.
    QList<QPointer<QWidget>> windows;
    for (QWidget *w : QApplication::topLevelWidgets())
        windows << w;
    for (const QPointer<QWidget> &w : windows) {
        if (!w || w == main || w == except || !w->isVisible() || !w->isWindow())
            continue;
        if (!w->close() && w->isVisible())
            return false;
    }
    CuelgaModem();
    return true;
}

void Form1::CuelgaModem()
{
    // Hanging up is dropping DTR and closing the port.
    if (MSComm1().PortOpen())
        MSComm1().hangUp();
    modulo1().ModemConectado = false;
}

void Form1::ReiniciaVentana()
{
    Form_Unload();
    hide();
    FormRegistry::setInstance(QStringLiteral("Form1"), nullptr);
    auto *nuevo = qobject_cast<Form1 *>(FormRegistry::load(QStringLiteral("Form1")));
    deleteLater();
    if (nuevo)
        nuevo->Form_Load();
}

void Form1::closeEvent(QCloseEvent *event)
{
    if (m_sinCierre) {
        event->accept();
        return;
    }
    // The window frame still closes while a merge keeps the window painted; the
    // merge needs the database to its end.
    if (m_fusionando) {
        event->ignore();
        return;
    }
    if (rehusaDuranteIntercambio()) {
        event->ignore();
        return;
    }
    // Closing the main window ends the program: the other windows close first, so
    // that none is left acting on a closed database.
    if (!CierraOtrasVentanas()) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
    QCoreApplication::quit();
}

bool Form1::fusiona(const QString &fichero, ResultadoFusion *resultado)
{
    // The commands wait for the merge; the panel itself stays active, so that it is
    // not drawn greyed out.
    const QList<QPushButton *> botones = centralWidget()->findChildren<QPushButton *>();
    QList<bool> enabled;
    for (QPushButton *b : botones) {
        enabled << b->isEnabled();
        b->setEnabled(false);
    }
    SSPanel1->setVisible(true);
    m_fusionando = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    *resultado = slx::ImportaBaseDatos(fichero, modulo1().ConexionBD,
                                       [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
    QApplication::restoreOverrideCursor();
    m_fusionando = false;
    for (qsizetype i = 0; i < botones.size(); ++i)
        botones.at(i)->setEnabled(enabled.at(i));
    SSPanel1->setVisible(false);
    return resultado->empezada();
}

void Form1::muestraResumen(const ResultadoFusion &r)
{
    ui::MsgBox(oLocGuru().GetS(144) + QLatin1String("\n\n") + r.resumen(),
               r.sinPerdidas() ? ui::Icon::Information : ui::Icon::Critical, ui::OkOnly, this);
}

void Form1::ImportaBaseDatos()
{
    ResultadoFusion r;
    if (!fusiona(modulo1().FicheroImportar, &r)) {
        ui::MsgBox(r.error, ui::Icon::Critical, ui::OkOnly, this);
        return;
    }
    muestraResumen(r);
}

void Form1::ImportaCopiaSeguridad()
{
    Modulo1 &m = modulo1();
    // A merge of a backup that a previous run started and never ended is told once.
    if (const auto inacabada = CopiaSeguridad::fusionInacabada()) {
        show();
        ui::MsgBox(oLocGuru().GetS(178) + QLatin1String("\n\n") +
                       TextoPropio("The merge of the backup %1 that started on %2 did not end (the program was stopped "
                                   "during it): some of its rows may be missing from the database. The backup is kept "
                                   "as %3.")
                           .arg(QStringLiteral("backupSLX90.bak"),
                                inacabada->inicio.toLocalTime().toString(QStringLiteral("dd/MM/yyyy HH:mm")),
                                inacabada->aparte),
                   ui::Icon::Critical, ui::OkOnly, this);
    }
    const QString copia = DataFolder::file(QStringLiteral("backupSLX90.bak"));
    if (!ExisteFichero(copia))
        return;
    show();
    // Moved aside under a dated name, with its logs, before its merge starts, so that no
    // start runs it twice (a merge that cannot end does not come back at every start).
    const Resultado<QString> apartada = CopiaSeguridad::aparta(copia);
    if (!apartada) {
        ui::MsgBox(oLocGuru().GetS(178) + QLatin1String("\n\n") +
                       TextoPropio("The backup %1 cannot be moved aside before its merge, so it is not merged: %2")
                           .arg(copia, apartada.error().mensaje()),
                   ui::Icon::Critical, ui::OkOnly, this);
        return;
    }
    const QString aparte = *apartada;
    CopiaSeguridad::marcaFusion(aparte);
    m.FicheroImportar = aparte;
    ResultadoFusion r;
    const bool empezada = fusiona(aparte, &r);
    m.FicheroImportar.clear();
    CopiaSeguridad::quitaMarca();
    // Deleted when every row of it is in the database, and the summary shown as the
    // import command shows it; otherwise it stays aside and the user is told once where
    // it is and why.
    if (empezada && r.sinPerdidas()) {
        if (!CopiaSeguridad::borra(aparte))
            ui::MsgBox(TextoPropio("The file %1 could not be deleted.").arg(aparte), ui::Icon::Critical, ui::OkOnly,
                       this);
        muestraResumen(r);
        return;
    }
    ui::MsgBox(oLocGuru().GetS(178) + QLatin1String("\n\n") + (empezada ? r.resumen() : r.error) +
                   QLatin1String("\n\n") +
                   TextoPropio("The backup %1 could not be merged whole; it is kept as %2.")
                       .arg(QFileInfo(copia).fileName(), aparte),
               ui::Icon::Critical, ui::OkOnly, this);
}

void Form1::SSCommandProgramacion_Click()
{
    abreVentana(QStringLiteral("Form2"), false, this);
}

void Form1::SSCommandIncidencias_Click()
{
    abreVentana(QStringLiteral("Form5"), false, this);
}

void Form1::SeleccionaFichero()
{
    Modulo1 &m = modulo1();
    // The first filter, the one the dialog opens on, shows every kind of file the program imports.
    const QString filtros = TextoPropio("Files the program imports") +
                            QStringLiteral(" (*.mdb *.MDB *.db *.DB *.qv90 *.QV90);;") +
                            TextoPropio("Microsoft Access databases") + QStringLiteral(" (*.mdb *.MDB);;") +
                            TextoPropio("NUVEX TALOMI SLX90 File") + QStringLiteral(" (*.qv90 *.QV90);;") +
                            TextoPropio("SLX-90 databases") + QStringLiteral(" (*.db *.DB);;") +
                            TextoPropio("All Files") + QStringLiteral(" (*)");
    m.FicheroImportar = ui::GetOpenFileName(QString(), filtros, DataFolder::path(), this);
    if (m.FicheroImportar.isEmpty())
        return;
    // The program's own database (or its log) is refused before anything opens it.
    if (const Resultado<void> propia = rehusaBaseDatosDelPrograma(m.FicheroImportar); !propia) {
        ui::MsgBox(propia.error().mensaje(), ui::Icon::Critical, ui::OkOnly, this);
        m.FicheroImportar.clear();
        return;
    }
    const QString upper = m.FicheroImportar.toUpper();
    if (!upper.endsWith(QLatin1String(".QV90")) && !upper.endsWith(QLatin1String(".MDB")) &&
        !upper.endsWith(QLatin1String(".DB"))) {
        ui::MsgBox(oLocGuru().GetS(143), ui::Icon::Critical, ui::OkOnly, this);
        m.FicheroImportar.clear();
    }
}

bool Form1::rehusaDuranteIntercambio()
{
    if (!DeviceSession::running())
        return false;
    ui::MsgBox(DeviceSession::busyText(), ui::Icon::Information, ui::OkOnly, this);
    return true;
}

void Form1::SSCommand1_Click()
{
    if (rehusaDuranteIntercambio())
        return;
    Modulo1 &m = modulo1();
    if (m.FicheroImportar.isEmpty())
        SeleccionaFichero();
    if (!m.FicheroImportar.isEmpty()) {
        const QString upper = m.FicheroImportar.toUpper();
        if (upper.endsWith(QLatin1String(".MDB")) || upper.endsWith(QLatin1String(".DB")))
            ImportaBaseDatos();
        else if (esFicheroIntercambio(m.FicheroImportar))
            abreVentana(QStringLiteral("Form16"), true, this);
    }
    m.FicheroImportar.clear();
}

void Form1::SSCommandPort_Click()
{
    if (rehusaDuranteIntercambio())
        return;
    abreVentana(QStringLiteral("Form4"), true, this);
}

void Form1::SSCommandIdioma_Click()
{
    if (rehusaDuranteIntercambio())
        return;
    auto *dialog = qobject_cast<QDialog *>(FormRegistry::load(QStringLiteral("Form7")));
    if (!dialog) {
        abreVentana(QStringLiteral("Form7"), true, this);
        return;
    }
    if (dialog->exec() == QDialog::Accepted)
        ReiniciaVentana();
}

void Form1::SSCommandUsuario_Click()
{
    Modulo1 &m = modulo1();
    bool ok = false;
    const QString answer = ui::InputBox(oLocGuru().GetS(22), oLocGuru().GetS(21), m.PiePagina, &ok, this, 50);
    if (!ok)
        return; // Cancel changes nothing.
    m.PiePagina = answer.left(50);
    if (!GrabaIni(QLatin1String(kSeccionIni), QStringLiteral("User"), m.PiePagina, ficheroIni()))
        ui::MsgBox(TextoPropio("The settings file %1 cannot be written.").arg(ficheroIni()), ui::Icon::Critical,
                   ui::OkOnly, this);
    if (const Resultado<void> grabado = GrabaUsuario(m.ConexionBD, m.PiePagina); !grabado)
        ui::MsgBox(grabado.error().mensaje(), ui::Icon::Critical, ui::OkOnly, this);
}

void Form1::SSCommandHelp_Click()
{
    AbreAyuda(modulo1().CodigoIdioma, this);
}

void Form1::SSCommandExit_Click()
{
    close();
}

void Form1::CommandExportar_Click()
{
    if (rehusaDuranteIntercambio())
        return;
    // The program ends after the export: a window's unsaved changes are offered first.
    if (!ofrecenGuardarVentanas(this))
        return;
    LocGuruP_BAS::ExportAllFormStrings();
    // The program ends at once; the shutdown does not run.
    m_sinCierre = true;
    m_cargada = false;
    QCoreApplication::exit(0);
}

} // namespace slx
