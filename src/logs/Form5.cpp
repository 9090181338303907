#include "logs/Form5.h"

#include "base/BuscaFicha.h"
#include "base/Firmware.h"
#include "base/FormRegistry.h"
#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "base/TextFormats.h"
#include "base/TextoPropio.h"
#include "base/Ventanas.h"
#include "base/VistaIncidencias.h"
#include "localization/LocGuru.h"
#include "logs/Form5Grids.h"
#include "widgets/BusyIndicator.h"
#include "widgets/HelpWindow.h"
#include "widgets/SessionGuard.h"
#include "widgets/TDBGrid.h"
#include "widgets/WindowedSqlModel.h"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace slx {

using logs::Rejilla;

namespace {

constexpr Rejilla kRejillas[] = {Rejilla::Intervalos, Rejilla::Sesiones, Rejilla::Bateria, Rejilla::Borrat,
                                 Rejilla::Repro};

struct CampoBusqueda {
    const char *control;
    const char *columna;
    int etiqueta;
};
constexpr CampoBusqueda kCampos[] = {{"TextNumeroSerie", "LNumeroSerie", 2},
                                     {"TextVersion", "TVersion", 3},
                                     {"TextFecha", "DFecha", 4},
                                     {"TextLocal", "TLocal", 6}};

const CampoBusqueda *campoDe(const QString &control)
{
    for (const CampoBusqueda &c : kCampos)
        if (control == QLatin1String(c.control))
            return &c;
    return nullptr;
}

QString cabecera(const logs::Cabecera &c)
{
    return rejillas::textoCabecera(c, [](int n) { return oLocGuru().GetS(n); });
}

} // namespace

Form5::Form5(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Form5"));
    setAttribute(Qt::WA_DeleteOnClose);
    for (int i = 0; i < 5; ++i)
        m_modelos[i] = new WindowedSqlModel(this);
    m_modelos[0]->setColumns(logs::disenoIntervalos());
    m_modelos[1]->setColumns(logs::disenoSesiones());
    for (int i = 2; i < 5; ++i)
        m_modelos[i]->setColumns(logs::disenoEventos());
    buildUi();
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(15000);
    // The receive watchdog: it goes off once per wait (the link restarts it on every byte).
    Timer2->setSingleShot(true);
    protegeCierre(this);
    VistaIncidencias vista;
    vista.cajas = [this] {
        return CajasIncidencias{MaskFechaTotales->text(), MaskHoraTotales->text(), TextVersion->text()};
    };
    vista.paraEspera = [this] {
        SSPanel1->hide();
        Animation1->stop();
    };
    publicaVistaIncidencias(this, std::move(vista));
}

Form5::~Form5()
{
    // The grids go before the rows they show.
    for (TDBGrid *g : m_rejillas)
        delete g;
}

QLineEdit *Form5::caja(const QString &name)
{
    auto *e = new QLineEdit;
    e->setObjectName(name);
    e->installEventFilter(this);
    return e;
}

QPushButton *Form5::boton(const QString &name, const QString &caption)
{
    auto *b = new QPushButton(caption);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

namespace {

QLabel *etiqueta(const char *name, const QString &text, QWidget *buddy)
{
    auto *l = new QLabel(text);
    l->setObjectName(QString::fromLatin1(name));
    l->setBuddy(buddy);
    return l;
}

} // namespace

void Form5::buildUi()
{
    resize(1180, 760);
    auto *root = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    top->addWidget(buildIdentity(), 3);
    top->addWidget(buildTotals(), 4);
    root->addLayout(top);
    root->addLayout(buildGrids(), 1);
    root->addWidget(buildWaitPanel());
    root->addLayout(buildButtons());
}

QWidget *Form5::buildIdentity()
{
    Frame9 = new QGroupBox(QStringLiteral("SLX-90"));
    Frame9->setObjectName(QStringLiteral("Frame9"));
    auto *identidad = new QGridLayout(Frame9);
    TextNumeroSerie = caja(QStringLiteral("TextNumeroSerie"));
    TextVersion = caja(QStringLiteral("TextVersion"));
    TextFecha = caja(QStringLiteral("TextFecha"));
    TextLocal = caja(QStringLiteral("TextLocal"));
    identidad->addWidget(etiqueta("LabelNumeroSerie", QStringLiteral("N. Serie:"), TextNumeroSerie), 0, 0);
    identidad->addWidget(TextNumeroSerie, 0, 1);
    identidad->addWidget(etiqueta("LabelVersion", QStringLiteral("Versión:"), TextVersion), 0, 2);
    identidad->addWidget(TextVersion, 0, 3);
    identidad->addWidget(etiqueta("LabelFecha", QStringLiteral("Fecha:"), TextFecha), 1, 0);
    identidad->addWidget(TextFecha, 1, 1);
    identidad->addWidget(etiqueta("LabelLocal", QStringLiteral("Local:"), TextLocal), 1, 2);
    identidad->addWidget(TextLocal, 1, 3);
    return Frame9;
}

QWidget *Form5::buildTotals()
{
    Frame2 = new QGroupBox(QStringLiteral("TOTALES"));
    Frame2->setObjectName(QStringLiteral("Frame2"));
    auto *totales = new QGridLayout(Frame2);
    MaskFechaTotales = caja(QStringLiteral("MaskFechaTotales"));
    MaskHoraTotales = caja(QStringLiteral("MaskHoraTotales"));
    LbPasadasLocal = caja(QStringLiteral("LbPasadasLocal"));
    LbPasadasVei = caja(QStringLiteral("LbPasadasVei"));
    MaskE3 = caja(QStringLiteral("MaskE3"));
    MaskCB = caja(QStringLiteral("MaskCB"));
    for (QLineEdit *e : {MaskFechaTotales, MaskHoraTotales, LbPasadasLocal, LbPasadasVei, MaskE3, MaskCB})
        e->setReadOnly(true);
    totales->addWidget(MaskFechaTotales, 0, 0);
    totales->addWidget(MaskHoraTotales, 1, 0);
    totales->addWidget(etiqueta("LabelPasadasLocal", QStringLiteral("Pasadas emisión:"), LbPasadasLocal), 0, 1);
    totales->addWidget(LbPasadasLocal, 0, 2);
    totales->addWidget(etiqueta("LabelPasadasVei", QStringLiteral("Pasadas recepción:"), LbPasadasVei), 1, 1);
    totales->addWidget(LbPasadasVei, 1, 2);
    totales->addWidget(etiqueta("LabelE3", QStringLiteral("Sensor inactivo:"), MaskE3), 0, 3);
    totales->addWidget(MaskE3, 0, 4);
    totales->addWidget(etiqueta("LabelCB", QStringLiteral("Borrados:"), MaskCB), 1, 3);
    totales->addWidget(MaskCB, 1, 4);
    return Frame2;
}

QLayout *Form5::buildGrids()
{
    static const char *const kNombres[] = {"TDBGridIntervalos", "TDBGridSesiones", "TDBGridBateria", "TDBGridBorrat",
                                           "TDBGridRepro"};
    for (int i = 0; i < 5; ++i) {
        auto *g = new TDBGrid;
        g->setObjectName(QString::fromLatin1(kNombres[i]));
        g->setDataSource(m_modelos[i]);
        m_rejillas[i] = g;
    }
    TDBGridIntervalos = m_rejillas[0];
    TDBGridSesiones = m_rejillas[1];
    TDBGridBateria = m_rejillas[2];
    TDBGridBorrat = m_rejillas[3];
    TDBGridRepro = m_rejillas[4];
    TDBGridIntervalos->setHeadLines(2);
    TDBGridIntervalos->setSplits(1, 4, QStringLiteral("REGISTROS LeqT Inicio <> Final"), QStringLiteral("INCIDENCIAS"));
    TDBGridSesiones->setHeadLines(2);
    TDBGridSesiones->setSplits(1, 4, QStringLiteral("REGISTROS SESION Inicio <> Final"), QStringLiteral("INCIDENCIAS"));
    TDBGridRepro->setCaption(QStringLiteral("REPROGRAMACIONES"));
    TDBGridBorrat->setCaption(QStringLiteral("BORRADOS"));
    TDBGridBateria->setCaption(QStringLiteral("FINALES BATERIA"));
    connect(TDBGridIntervalos, &TDBGrid::HeadClick, this, &Form5::TDBGridIntervalos_HeadClick);
    connect(TDBGridSesiones, &TDBGrid::HeadClick, this, &Form5::TDBGridSesiones_HeadClick);
    connect(TDBGridBateria, &TDBGrid::HeadClick, this, &Form5::TDBGridBateria_HeadClick);
    connect(TDBGridBorrat, &TDBGrid::HeadClick, this, &Form5::TDBGridBorrat_HeadClick);
    connect(TDBGridRepro, &TDBGrid::HeadClick, this, &Form5::TDBGridRepro_HeadClick);

    auto *middle = new QHBoxLayout;
    auto *large = new QVBoxLayout;
    large->addWidget(TDBGridIntervalos, 1);
    large->addWidget(TDBGridSesiones, 1);
    middle->addLayout(large, 1);
    auto *events = new QVBoxLayout;
    for (TDBGrid *g : {TDBGridRepro, TDBGridBorrat, TDBGridBateria}) {
        g->setFixedWidth(330);
        events->addWidget(g, 1);
    }
    middle->addLayout(events);
    return middle;
}

// The wait panel of a download (and of the charts window's loading).
QWidget *Form5::buildWaitPanel()
{
    SSPanel1 = new QWidget;
    SSPanel1->setObjectName(QStringLiteral("SSPanel1"));
    auto *panel = new QHBoxLayout(SSPanel1);
    Frame17 = new QGroupBox;
    Frame17->setObjectName(QStringLiteral("Frame17"));
    auto *frame17 = new QHBoxLayout(Frame17);
    Animation1 = new BusyIndicator;
    Animation1->setObjectName(QStringLiteral("Animation1"));
    frame17->addWidget(Animation1);
    LbRegistro = new QLabel;
    LbRegistro->setObjectName(QStringLiteral("LbRegistro"));
    LbRegistro->setProperty("Tag", QStringLiteral("!")); // a date set while running
    frame17->addWidget(LbRegistro);
    panel->addWidget(Frame17);
    SSPanel1->hide();
    return SSPanel1;
}

QLayout *Form5::buildButtons()
{
    auto *buttons = new QHBoxLayout;
    SSCommandAnterior = boton(QStringLiteral("SSCommandAnterior"), QStringLiteral("<<"));
    SSCommandAnterior->setToolTip(QStringLiteral("Ficha anterior"));
    SSCommandSiguiente = boton(QStringLiteral("SSCommandSiguiente"), QStringLiteral(">>"));
    SSCommandSiguiente->setToolTip(QStringLiteral("Ficha siguiente"));
    SSCommandBuscar = boton(QStringLiteral("SSCommandBuscar"), QStringLiteral("Buscar"));
    SSCommandRecibir = boton(QStringLiteral("SSCommandRecibir"), QStringLiteral("Recibir"));
    SSCommandStop = boton(QStringLiteral("SSCommandStop"), QStringLiteral("Parar"));
    SSCommandStop->hide();
    SSCommandGrafica = boton(QStringLiteral("SSCommandGrafica"), QStringLiteral("Gráficas"));
    SSCommandImprimir = boton(QStringLiteral("SSCommandImprimir"), QStringLiteral("Imprimir"));
    SSCommandProgramacion = boton(QStringLiteral("SSCommandProgramacion"), QStringLiteral("Programación"));
    SSCommandHelp = boton(QStringLiteral("SSCommandHelp"), QStringLiteral("Ayuda"));
    SSCommandExit = boton(QStringLiteral("SSCommandExit"), QStringLiteral("Salir"));
    for (QPushButton *b : {SSCommandAnterior, SSCommandSiguiente, SSCommandBuscar})
        buttons->addWidget(b);
    buttons->addStretch(1);
    for (QPushButton *b : {SSCommandRecibir, SSCommandStop, SSCommandGrafica, SSCommandImprimir, SSCommandProgramacion})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(SSCommandHelp);
    buttons->addWidget(SSCommandExit);

    connect(SSCommandAnterior, &QPushButton::clicked, this, &Form5::SSCommandAnterior_Click);
    connect(SSCommandSiguiente, &QPushButton::clicked, this, &Form5::SSCommandSiguiente_Click);
    connect(SSCommandBuscar, &QPushButton::clicked, this, &Form5::SSCommandBuscar_Click);
    connect(SSCommandRecibir, &QPushButton::clicked, this, &Form5::SSCommandRecibir_Click);
    connect(SSCommandStop, &QPushButton::clicked, this, &Form5::SSCommandStop_Click);
    connect(SSCommandGrafica, &QPushButton::clicked, this, &Form5::SSCommandGrafica_Click);
    connect(SSCommandImprimir, &QPushButton::clicked, this, &Form5::SSCommandImprimir_Click);
    connect(SSCommandProgramacion, &QPushButton::clicked, this, &Form5::SSCommandProgramacion_Click);
    connect(SSCommandHelp, &QPushButton::clicked, this, &Form5::SSCommandHelp_Click);
    connect(SSCommandExit, &QPushButton::clicked, this, &Form5::SSCommandExit_Click);
    return buttons;
}

WindowedSqlModel *Form5::modelo(Rejilla r) const
{
    return m_modelos[int(r)];
}

TDBGrid *Form5::rejilla(Rejilla r) const
{
    return m_rejillas[int(r)];
}

void Form5::Form_Load()
{
    Modulo1 &m = modulo1();
    oLocGuru().TranslateForm(this);
    setWindowTitle(ui::applicationTitle());

    if (!m.ConexionBD.isOpen()) {
        ui::MsgBox(TextoPropio("The database is not open."), ui::Icon::Critical, ui::OkOnly, this);
        return;
    }
    Resultado<QVector<qint32>> serials = serialesProgramacion(m.ConexionBD);
    if (!serials) {
        ui::MsgBox(serials.error().mensaje(), ui::Icon::Critical, ui::OkOnly, this);
        return;
    }
    m_serials = std::move(*serials);
    CampActual = QStringLiteral("TextNumeroSerie");
    for (int c = rejillas::kFirstFirmware30Column; c <= rejillas::kLastFirmware30Column; ++c)
        TDBGridIntervalos->Columns(c).valueItems[0].display = oLocGuru().GetS(111);
    DisenyaGrids();

    if (m_serials.isEmpty()) {
        m_pos = -1;
        return;
    }
    // A device no longer in the table gives way to the first one.
    const int at = m.NumeroSerieAparato != 0 ? int(m_serials.indexOf(m.NumeroSerieAparato)) : -1;
    m_pos = at >= 0 ? at : 0;
    CarregaDades();
}

void Form5::DisenyaGrids()
{
    TDBGridIntervalos->setScrollTrack(true);
    for (const logs::Cabecera &c : logs::cabecerasIntervalos())
        TDBGridIntervalos->setColumnCaption(c.columna, cabecera(c));
    for (int c = rejillas::kFirstFirmware30Column; c <= rejillas::kLastFirmware30Column; ++c)
        TDBGridIntervalos->setColumnCaption(c, TDBGridIntervalos->columnCaption(c) + QStringLiteral("\rmin"));
    for (int c = 5; c <= rejillas::kLastFirmware30Column; ++c) {
        const logs::Colores colores = logs::coloresIntervalos(c);
        TDBGridIntervalos->Columns(c).back = colores.celda;
        TDBGridIntervalos->Columns(c).headBack = colores.cabecera;
    }
    TDBGridIntervalos->columnsChanged();

    for (TDBGrid *g : {TDBGridBateria, TDBGridRepro, TDBGridBorrat}) {
        g->setScrollTrack(true);
        for (int c = 0; c < g->columnCount(); ++c) {
            g->Columns(c).back = logs::coloresEventos().celda;
            g->Columns(c).headBack = logs::coloresEventos().cabecera;
        }
        g->columnsChanged();
    }

    TDBGridSesiones->setScrollTrack(true);
    for (const logs::Cabecera &c : logs::cabecerasSesiones())
        TDBGridSesiones->setColumnCaption(c.columna, cabecera(c));
    for (int c = 5; c <= 30; ++c) {
        const logs::Colores colores = logs::coloresSesiones(c);
        TDBGridSesiones->Columns(c).back = colores.celda;
        TDBGridSesiones->Columns(c).headBack = colores.cabecera;
    }
    TDBGridSesiones->columnsChanged();
}

void Form5::CarregaDades()
{
    if (m_pos < 0 || m_pos >= m_serials.size())
        return;
    Modulo1 &m = modulo1();
    const qint32 serial = m_serials.at(m_pos);
    const Resultado<std::optional<logs::FichaIncidencias>> leida = logs::leeFicha(m.ConexionBD, serial);
    if (!leida || !*leida) {
        ui::MsgBox(leida ? TextoPropio("The device is no longer in the database.") : leida.error().mensaje(),
                   ui::Icon::Critical, ui::OkOnly, this);
        return;
    }
    const logs::FichaIncidencias *ficha = &**leida;
    m_shown = ficha->serie;
    m.NumeroSerieAparato = ficha->serie;
    TextNumeroSerie->setText(QString::number(ficha->serie));
    TextFecha->setText(ficha->fecha);
    m.FechaAparato = ficha->fecha;
    TextLocal->setText(ficha->local);
    m.LocalAparato = ficha->local;
    TextVersion->setText(ficha->version);
    m.VersionAparato = ficha->version;
    m.TelefonoAparato = ficha->telefono;
    MaskFechaTotales->setText(ficha->fechaTotales);
    MaskHoraTotales->setText(ficha->horaTotales);
    LbPasadasLocal->setText(ficha->pasadasLocal);
    LbPasadasVei->setText(ficha->pasadasVecino);
    MaskE3->setText(ficha->e3);
    MaskCB->setText(ficha->cb);

    const Resultado<std::array<logs::Inhabil, 30>> leidos = logs::leeInhabiles(m.ConexionBD, serial);
    // Unread, the device's slots are shown empty rather than another device's (the failure
    // is shown once the window is filled).
    const std::array<logs::Inhabil, 30> inhabiles = leidos.value_or(filasInhabilesVacias());
    for (int i = 0; i < 30; ++i)
        m.IntervalosInhabiles[i] = inhabiles[i];

    for (Rejilla r : kRejillas) {
        m_descendente[int(r)] = true;
        if (const auto leido = modelo(r)->setSource(m.ConexionBD, logs::tablaDe(r), QStringLiteral("LNumeroSerie"),
                                                    serial, logs::ordenInicial(r));
            !leido)
            ui::MsgBox(leido.error().mensaje(), ui::Icon::Critical, ui::OkOnly, this);
    }
    const bool dna = versionAlMenys(m.VersionAparato, firmware::kNewIntervalRecord);
    for (int c = rejillas::kFirstFirmware30Column; c <= rejillas::kLastFirmware30Column; ++c)
        TDBGridIntervalos->Columns(c).visible = dna;
    TDBGridIntervalos->columnsChanged();
    if (!leidos)
        ui::MsgBox(leidos.error().mensaje(), ui::Icon::Critical, ui::OkOnly, this);
}

void Form5::mueve(int paso)
{
    if (m_pos < 0 || m_pos >= m_serials.size())
        return; // before the first row or past the last
    const int next = m_pos + paso;
    if (next < 0 || next >= m_serials.size()) {
        QApplication::beep();
        return;
    }
    m_pos = next;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    CarregaDades();
    QApplication::restoreOverrideCursor();
}

void Form5::SSCommandAnterior_Click()
{
    mueve(-1);
}

void Form5::SSCommandSiguiente_Click()
{
    mueve(+1);
}

void Form5::SSCommandBuscar_Click()
{
    if (CampActual.isEmpty())
        return;
    const CampoBusqueda *campo = campoDe(CampActual);
    if (!campo)
        return;
    bool ok = false;
    const QString prompt = oLocGuru().GetS(20) + QLatin1Char(' ') + oLocGuru().GetS(campo->etiqueta);
    const QString texto = ui::InputBox(prompt, oLocGuru().GetS(32), QString(), &ok, this);
    if (!ok || texto.isEmpty())
        return;
    Modulo1 &m = modulo1();
    const Resultado<std::optional<qint32>> busqueda =
        buscaFichaPorCampo(m.ConexionBD, QString::fromLatin1(campo->columna), texto);
    if (!busqueda) {
        ui::MsgBox(busqueda.error().mensaje(), ui::Icon::Critical, ui::OkOnly, this);
        return;
    }
    const std::optional<qint32> found = *busqueda;
    Resultado<QVector<qint32>> serials = serialesProgramacion(m.ConexionBD);
    if (!serials) {
        // The screen and the moves stay as they were.
        ui::MsgBox(serials.error().mensaje(), ui::Icon::Critical, ui::OkOnly, this);
        return;
    }
    m_serials = std::move(*serials);
    const int at = found ? int(m_serials.indexOf(*found)) : -1;
    if (at < 0) {
        // Nothing found: the screen stays, the next move starts from the first device.
        m_pos = m_serials.isEmpty() ? -1 : 0;
        return;
    }
    m_pos = at;
    CarregaDades();
}

bool Form5::sinIntervalos()
{
    const QVariant fecha = TDBGridIntervalos->valorActual(1);
    if (!fecha.isValid() || fecha.isNull() || fecha.toString().isEmpty()) {
        ui::MsgBox(oLocGuru().GetS(59), ui::Icon::Critical, ui::OkOnly, this);
        return true;
    }
    return false;
}

void Form5::SSCommandGrafica_Click()
{
    if (sinIntervalos())
        return;
    Frame17->setTitle(QString());
    Animation1->start();
    SSPanel1->show();
    repaint();
    abreVentana(QStringLiteral("Form9"), true, this);
    // The charts window hides the panel once loaded; a window that did not open leaves it here.
    SSPanel1->hide();
    Animation1->stop();
}

void Form5::SSCommandImprimir_Click()
{
    if (sinIntervalos())
        return;
    abreVentana(QStringLiteral("Form6"), true, this);
}

void Form5::SSCommandProgramacion_Click()
{
    close();
    abreVentana(QStringLiteral("Form2"), false);
}

void Form5::SSCommandHelp_Click()
{
    AbreAyuda(modulo1().CodigoIdioma, this);
}

void Form5::SSCommandExit_Click()
{
    if (WindowGuard::blocksClose(this))
        return;
    close();
}

void Form5::ordenaCabecera(Rejilla r, int colIndex)
{
    WindowedSqlModel *m = modelo(r);
    TDBGrid *g = rejilla(r);
    if (m->table().isEmpty() || colIndex < 0 || colIndex >= m->columnCount())
        return;
    const bool desc = !m_descendente[int(r)];
    const QVector<WindowedSqlModel::Orden> orden =
        logs::ordenCabecera(r, colIndex, m->column(colIndex).dataField, desc);
    if (orden.isEmpty())
        return;
    const bool large = r == Rejilla::Intervalos || r == Rejilla::Sesiones;
    const int leftCol = large ? g->leftCol() : -1;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto ok = m->setOrder(orden);
    QApplication::restoreOverrideCursor();
    if (!ok) {
        ui::MsgBox(ok.error().mensaje(), ui::Icon::Critical, ui::OkOnly, this);
        return;
    }
    m_descendente[int(r)] = desc;
    if (large)
        g->setLeftCol(leftCol);
}

void Form5::TDBGridIntervalos_HeadClick(int colIndex)
{
    ordenaCabecera(Rejilla::Intervalos, colIndex);
}

void Form5::TDBGridSesiones_HeadClick(int colIndex)
{
    ordenaCabecera(Rejilla::Sesiones, colIndex);
}

void Form5::TDBGridBateria_HeadClick(int colIndex)
{
    ordenaCabecera(Rejilla::Bateria, colIndex);
}

void Form5::TDBGridBorrat_HeadClick(int colIndex)
{
    ordenaCabecera(Rejilla::Borrat, colIndex);
}

void Form5::TDBGridRepro_HeadClick(int colIndex)
{
    ordenaCabecera(Rejilla::Repro, colIndex);
}

void Form5::TextFecha_LostFocus()
{
    // Nothing to check while no device is shown, nor in an empty box.
    if (m_checking || m_shown == 0 || TextFecha->text().isEmpty())
        return;
    if (logs::fechaCaja(TextFecha->text()))
        return;
    m_checking = true;
    ui::MsgBox(oLocGuru().GetS(18), ui::Icon::Critical, ui::OkOnly, this);
    m_checking = false;
    QTimer::singleShot(0, TextFecha, [this] { TextFecha->setFocus(Qt::OtherFocusReason); });
}

bool Form5::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn && campoDe(watched->objectName()))
        CampActual = watched->objectName();
    else if (event->type() == QEvent::FocusOut && watched == TextFecha)
        TextFecha_LostFocus();
    return QWidget::eventFilter(watched, event);
}

QWidget *creaForm5()
{
    auto *form = new Form5;
    form->Form_Load();
    return form;
}

void registraForm5()
{
    FormRegistry::add(QStringLiteral("Form5"), [] { return creaForm5(); });
    FormRegistry::addDesign(QStringLiteral("Form5"), [] { return new Form5; });
}

} // namespace slx
