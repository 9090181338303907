#include "reports/Form6.h"

#include "base/ColumnasRegistro.h"
#include "base/Firmware.h"
#include "base/FormRegistry.h"
#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "base/TextFormats.h"
#include "base/TextoPropio.h"
#include "localization/LocGuru.h"
#include "reports/InformesPeriodo.h"
#include "reports/Selectores.h"
#include "widgets/ColumnasIntervalos.h"
#include "widgets/HelpWindow.h"
#include "widgets/Iconos.h"
#include "widgets/TDBGrid.h"
#include "widgets/WindowedSqlModel.h"

#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSqlError>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace slx {

namespace {

QToolButton *boton(QWidget *parent, const char *nombre, QStyle::StandardPixmap icono, const QString &consejo)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(nombre));
    b->setIcon(parent->style()->standardIcon(icono));
    b->setIconSize(QSize(32, 32));
    // A picture button: its word is its tool tip and the name screen readers read.
    b->setText(consejo);
    b->setToolTip(consejo);
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    b->setAutoRaise(false);
    return b;
}

const QVector<WindowedSqlModel::Orden> kOrden = {{registro::nombre(registro::Intervalo::dFechaInicio), false},
                                                 {registro::nombre(registro::Intervalo::tHoraInicio), false}};

} // namespace

Form6::Form6(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form6"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    m_modelos[0] = new WindowedSqlModel(this);
    m_modelos[0]->setColumns(informes::disenoSelector(informes::Selector::Inicio));
    m_modelos[1] = new WindowedSqlModel(this);
    m_modelos[1]->setColumns(informes::disenoSelector(informes::Selector::Fin));
    buildUi();
}

Form6::~Form6()
{
    // The grids go before the rows they show.
    delete TDBGridInici;
    delete TDBGridFi;
}

void Form6::buildUi()
{
    resize(1100, 720);
    auto *root = new QVBoxLayout(this);

    auto *top = new QHBoxLayout;
    auto *SSPanel2 = new QFrame(this);
    SSPanel2->setObjectName(QStringLiteral("SSPanel2"));
    SSPanel2->setFrameShape(QFrame::StyledPanel);
    auto *panel = new QHBoxLayout(SSPanel2);
    auto *Image1 = new QLabel(SSPanel2);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(style()->standardIcon(QStyle::SP_FileDialogDetailedView).pixmap(32, 32));
    panel->addWidget(Image1);
    OptionIntervalos = new QRadioButton(QStringLiteral("REGISTROS LeqT"), SSPanel2);
    OptionIntervalos->setObjectName(QStringLiteral("OptionIntervalos"));
    OptionIntervalos->setChecked(true);
    OptionSesiones = new QRadioButton(QStringLiteral("REGISTROS Sesión"), SSPanel2);
    OptionSesiones->setObjectName(QStringLiteral("OptionSesiones"));
    panel->addWidget(OptionIntervalos);
    panel->addSpacing(24);
    panel->addWidget(OptionSesiones);
    panel->addStretch(1);
    auto *Image2 = new QLabel(SSPanel2);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setPixmap(style()->standardIcon(QStyle::SP_FileDialogContentsView).pixmap(32, 32));
    panel->addWidget(Image2);
    top->addWidget(SSPanel2, 1);
    root->addLayout(top);

    const auto selector = [this](const char *nombre, WindowedSqlModel *modelo) {
        auto *g = new TDBGrid(this);
        g->setObjectName(QString::fromLatin1(nombre));
        g->setDataSource(modelo);
        g->setHeadLines(2);
        g->setSplits(1, 4, QStringLiteral("REGISTROS LeqT Inicio <> Final"), QStringLiteral("INCIDENCIAS"));
        g->setScrollTrack(true);
        g->split(0)->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        g->split(0)->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        return g;
    };
    TDBGridInici = selector("TDBGridInici", m_modelos[0]);
    TDBGridFi = selector("TDBGridFi", m_modelos[1]);
    root->addWidget(TDBGridInici, 1);
    root->addWidget(TDBGridFi, 1);

    auto *buttons = new QHBoxLayout;
    SSCommandImprimir = boton(this, "SSCommandImprimir", QStyle::SP_DialogSaveButton, QStringLiteral("Imprimir"));
    SSCommandImprimir->setIcon(iconoImprimir());
    SSCommandExit = boton(this, "SSCommandExit", QStyle::SP_ArrowBack, QStringLiteral("Volver"));
    SSCommandHelp = boton(this, "SSCommandHelp", QStyle::SP_MessageBoxQuestion, QStringLiteral("Ayuda"));
    SSCommandHelp->setIcon(iconoAyuda());
    buttons->addStretch(1);
    buttons->addWidget(SSCommandImprimir);
    buttons->addWidget(SSCommandExit);
    buttons->addWidget(SSCommandHelp);
    root->addLayout(buttons);

    connect(SSCommandImprimir, &QToolButton::clicked, this, &Form6::SSCommandImprimir_Click);
    connect(SSCommandExit, &QToolButton::clicked, this, &Form6::SSCommandExit_Click);
    connect(SSCommandHelp, &QToolButton::clicked, this, &Form6::SSCommandHelp_Click);
}

void Form6::Form_Load()
{
    Modulo1 &m = modulo1();
    oLocGuru().TranslateForm(this);
    setWindowTitle(ui::applicationTitle());
    // What fails ends the load with its description; the window opens all the same.
    const auto falla = [this](const QString &descripcion) {
        ui::MsgBox(descripcion, ui::Icon::Critical, ui::OkOnly, this);
    };
    if (!m.ConexionBD.isOpen()) {
        falla(TextoPropio("The database is not open."));
        return;
    }
    for (WindowedSqlModel *modelo : m_modelos) {
        if (const auto leido = modelo->setSource(m.ConexionBD, QStringLiteral("Intervalos"),
                                                 QStringLiteral("LNumeroSerie"), m.NumeroSerieAparato, kOrden);
            !leido) {
            falla(leido.error().mensaje());
            return;
        }
    }
    const bool contadores = versionAlMenys(m.VersionAparato, firmware::kNewIntervalRecord);
    for (TDBGrid *g : {TDBGridInici, TDBGridFi}) {
        for (int c = rejillas::kFirstFirmware30Column; c <= rejillas::kLastFirmware30Column; ++c)
            g->Columns(c).visible = contadores;
        g->columnsChanged();
    }
    DisenyaGrids();
    // The first picker on the oldest interval, the second on the newest; a device
    // without intervals leaves both empty.
    TDBGridInici->setCurrentRow(0);
    TDBGridFi->setCurrentRow(TDBGridFi->rows() - 1);
}

void Form6::DisenyaGrids()
{
    const auto texto = [](int n) { return oLocGuru().GetS(n); };
    for (TDBGrid *g : {TDBGridInici, TDBGridFi}) {
        for (const rejillas::Cabecera &c : rejillas::cabecerasIntervalos())
            g->setColumnCaption(c.columna, rejillas::textoCabecera(c, texto));
        for (int c = rejillas::kFirstFirmware30Column; c <= rejillas::kLastFirmware30Column; ++c) {
            const QString actual = g->columnCaption(c);
            if (!actual.endsWith(QStringLiteral("\rmin")))
                g->setColumnCaption(c, actual + QStringLiteral("\rmin"));
        }
        for (int c = 5; c <= rejillas::kLastFirmware30Column; ++c) {
            const rejillas::Colores colores = rejillas::coloresIntervalos(c);
            g->Columns(c).back = colores.celda;
            g->Columns(c).headBack = colores.cabecera;
        }
        g->columnsChanged();
    }
}

QList<ReglaRegistro> Form6::CreaScriptDetall() const
{
    LocGuru &loc = oLocGuru();
    return informes::reglasDetalle(loc.GetS(111), loc.GetS(68), loc.GetS(69));
}

void Form6::SSCommandExit_Click()
{
    close();
}

void Form6::SSCommandHelp_Click()
{
    AbreAyuda(modulo1().CodigoIdioma, this);
}

QWidget *creaForm6()
{
    auto *form = new Form6;
    form->Form_Load();
    return form;
}

void registraForm6()
{
    FormRegistry::add(QStringLiteral("Form6"), [] { return creaForm6(); });
    FormRegistry::addDesign(QStringLiteral("Form6"), [] { return new Form6; });
}

} // namespace slx
