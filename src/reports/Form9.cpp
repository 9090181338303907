#include "reports/Form9.h"

#include "base/FormRegistry.h"
#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "base/TextFormats.h"
#include "base/TextoPropio.h"
#include "base/VistaIncidencias.h"
#include "localization/LocGuru.h"
#include "widgets/Chart2D.h"
#include "widgets/HelpWindow.h"

#include <QAction>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <exception>

namespace slx {

using namespace graficas;

namespace {

const QString kOnBar = QStringLiteral("OnBar");

struct DisenoSerie {
    const char *etiqueta;
    QRgb color;
    bool discontinua;
};

// Upper chart, group 1: levels and limits.
constexpr DisenoSerie kNiveles[kSeriesNivel] = {{"LeqT(emisión)", qRgb(0, 0, 255), false},
                                                {"LeqT(recepción)", qRgb(165, 42, 42), false},
                                                {"LFmax", qRgb(0, 255, 255), false},
                                                {"Límte LeqT(emisión)", qRgb(0, 0, 255), true},
                                                {"Límite LeqT(recepción)", qRgb(165, 42, 42), true},
                                                {"Límite LFmax", qRgb(0, 255, 255), true},
                                                {"Leq1'max", qRgb(255, 255, 0), false},
                                                {"Leq1'min", qRgb(0, 255, 0), false}};
// Upper chart, group 2: percentiles and gaps.
constexpr DisenoSerie kPercentiles[kSeriesPercentil] = {
    {"L1", qRgb(165, 42, 42), false},    {"L5", qRgb(250, 128, 114), false}, {"L10", qRgb(255, 0, 255), false},
    {"L50", qRgb(127, 255, 212), false}, {"L90", qRgb(95, 158, 160), false}, {"Sin datos", qRgb(255, 0, 0), false}};
// Lower chart: event flags.
constexpr DisenoSerie kEventos[kSeriesEvento] = {{"Desconexiones", qRgb(255, 0, 255), false},
                                                 {"Pasadas (emisión)", qRgb(0, 0, 255), false},
                                                 {"Pasadas (recepción)", qRgb(165, 42, 42), false},
                                                 {"Sensor inhábil", qRgb(255, 0, 0), false},
                                                 {"P.MaxFast", qRgb(0, 255, 255), false},
                                                 {"Línea insuficiente", qRgb(0, 255, 0), false},
                                                 {"D.N.A.", qRgb(255, 165, 0), false},
                                                 {"E.N.A.", qRgb(255, 255, 0), false}};

void disena(chart::Series &s, const DisenoSerie &d)
{
    s.label = QString::fromUtf8(d.etiqueta);
    s.color = QColor(d.color);
    s.penStyle = d.discontinua ? Qt::DashLine : Qt::SolidLine;
    s.lineWidth = d.discontinua ? 1 : 2;
}

chart::Anchor ancla(Lado lado)
{
    switch (lado) {
    case Lado::Derecha: return chart::Anchor::NorthEast;
    case Lado::Centro: return chart::Anchor::North;
    case Lado::Izquierda: break;
    }
    return chart::Anchor::NorthWest;
}

bool desde30()
{
    return valorVersion(modulo1().VersionAparato) >= 3.0;
}

QString texto(int n)
{
    return oLocGuru().GetS(n);
}

// Repainting of a chart suspended for the object's life.
class Lote {
public:
    explicit Lote(Chart2D *c)
        : m_c(c)
    {
        m_c->setBatched(true);
    }
    ~Lote() { m_c->setBatched(false); }
    Lote(const Lote &) = delete;
    Lote &operator=(const Lote &) = delete;

private:
    Chart2D *m_c;
};

} // namespace

Form9::Form9(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Form9"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildUi();
    disenyaGraficas();
}

void Form9::buildUi()
{
    resize(1100, 780);
    auto *root = new QVBoxLayout(this);

    Frame9 = new QGroupBox(QStringLiteral("SLX-90"));
    Frame9->setObjectName(QStringLiteral("Frame9"));
    auto *cabecera = new QHBoxLayout(Frame9);
    const auto campo = [&](QLabel *&etiqueta, const char *nombreEtiqueta, const QString &caption, QLineEdit *&caja,
                           const char *nombreCaja, int ancho) {
        caja = new QLineEdit;
        caja->setObjectName(QString::fromLatin1(nombreCaja));
        // What the window shows of the device; the print-out reads the serial from here.
        caja->setReadOnly(true);
        etiqueta = new QLabel(caption);
        etiqueta->setObjectName(QString::fromLatin1(nombreEtiqueta));
        etiqueta->setBuddy(caja);
        cabecera->addWidget(etiqueta);
        cabecera->addWidget(caja, ancho);
    };
    campo(Label3, "Label3", QStringLiteral("N. Serie:"), TextNumeroSerie, "TextNumeroSerie", 1);
    campo(Label6, "Label6", QStringLiteral("Local:"), TextLocal, "TextLocal", 3);
    campo(Label10, "Label10", QStringLiteral("Fecha:"), TextFecha, "TextFecha", 1);
    root->addWidget(Frame9);

    Chart2D1 = new Chart2D;
    Chart2D1->setObjectName(QStringLiteral("Chart2D1"));
    Chart2D2 = new Chart2D;
    Chart2D2->setObjectName(QStringLiteral("Chart2D2"));
    root->addWidget(Chart2D1, 5);
    root->addWidget(Chart2D2, 2);
    connect(Chart2D1, &Chart2D::mouseEvent, this, &Form9::Chart2D1_Event);
    connect(Chart2D2, &Chart2D::mouseEvent, this, &Form9::Chart2D2_Event);

    auto *desliza = new QHBoxLayout;
    const auto boton = [](const char *name, const QString &caption) {
        auto *b = new QPushButton(caption);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    SSCommandSliderLeft = boton("SSCommandSliderLeft", QStringLiteral("<"));
    SSCommandSliderRight = boton("SSCommandSliderRight", QStringLiteral(">"));
    for (QPushButton *b : {SSCommandSliderLeft, SSCommandSliderRight})
        b->setFixedWidth(32);
    Slider1 = new QSlider(Qt::Horizontal);
    Slider1->setObjectName(QStringLiteral("Slider1"));
    Slider1->setSingleStep(1);
    Slider1->setPageStep(kPuntos);
    desliza->addWidget(SSCommandSliderLeft);
    desliza->addWidget(Slider1, 1);
    desliza->addWidget(SSCommandSliderRight);
    root->addLayout(desliza);

    auto *botones = new QHBoxLayout;
    SSCommandImprimir = boton("SSCommandImprimir", QStringLiteral("Imprimir"));
    SSCommandHelp = boton("SSCommandHelp", QStringLiteral("Ayuda"));
    SSCommandExit = boton("SSCommandExit", QStringLiteral("Volver"));
    botones->addStretch(1);
    for (QPushButton *b : {SSCommandImprimir, SSCommandHelp, SSCommandExit})
        botones->addWidget(b);
    root->addLayout(botones);

    connect(Slider1, &QSlider::valueChanged, this, &Form9::Slider1_Event);
    connect(SSCommandSliderLeft, &QPushButton::clicked, this, &Form9::SSCommandSliderLeft_Click);
    connect(SSCommandSliderRight, &QPushButton::clicked, this, &Form9::SSCommandSliderRight_Click);
    connect(SSCommandImprimir, &QPushButton::clicked, this, &Form9::SSCommandImprimir_Click);
    connect(SSCommandHelp, &QPushButton::clicked, this, &Form9::SSCommandHelp_Click);
    connect(SSCommandExit, &QPushButton::clicked, this, &Form9::SSCommandExit_Click);

    // The popup of both charts.
    PopUp = new QMenu(QStringLiteral("Copiar al clipboard"), this);
    PopUp->setObjectName(QStringLiteral("PopUp"));
    PopUpMnu0[0] = PopUp->addMenu(QStringLiteral("Copiar"));
    PopUpMnu0[1] = PopUp->addMenu(QStringLiteral("Ocultar/Mostrar"));
    for (int i = 0; i < 2; ++i)
        PopUpMnu0[i]->setObjectName(QStringLiteral("PopUpMnu0(%1)").arg(i));
    const char *const copias[] = {"Bitmap", "Metafile", "Enhanced Metafile", "Standard Metafile"};
    for (int i = 0; i < 4; ++i) {
        PopUpMnu1[i] = PopUpMnu0[0]->addAction(QString::fromLatin1(copias[i]));
        PopUpMnu1[i]->setObjectName(QStringLiteral("PopUpMnu1(%1)").arg(i));
        connect(PopUpMnu1[i], &QAction::triggered, this, [this, i] { PopUpMnu1_Click(i); });
    }
    PopUpMnu2[0] = PopUpMnu0[1]->addAction(QStringLiteral("Cursor"));
    for (int i = 1; i <= 8; ++i)
        PopUpMnu2[i] =
            PopUpMnu0[1]->addAction(QString::fromUtf8(i == 4 ? "Límite LeqT(emisión)" : kNiveles[i - 1].etiqueta));
    PopUpMnu2[9] = PopUpMnu0[1]->addAction(QStringLiteral("Sin datos"));
    for (int i = 0; i < 10; ++i) {
        PopUpMnu2[i]->setObjectName(QStringLiteral("PopUpMnu2(%1)").arg(i));
        PopUpMnu2[i]->setCheckable(i > 0);
        PopUpMnu2[i]->setChecked(i > 0);
        connect(PopUpMnu2[i], &QAction::triggered, this, [this, i] { PopUpMnu2_Click(i); });
    }
}

void Form9::disenyaGraficas()
{
    chart::Model &m = Chart2D1->model();
    m.setGroupCount(2);
    m.group(1).kind = chart::Kind::Lines;
    m.group(2).kind = chart::Kind::Area;
    m.setSeriesCount(1, kSeriesNivel);
    m.setSeriesCount(2, kSeriesPercentil);
    m.setPointCount(kPuntos);
    for (int s = 1; s <= kSeriesNivel; ++s)
        disena(m.series(1, s), kNiveles[s - 1]);
    for (int s = 1; s <= kSeriesPercentil; ++s)
        disena(m.series(2, s), kPercentiles[s - 1]);
    m.series(2, SinDatos).fillStyle = Qt::BDiagPattern;
    m.yAxis.min = 20;
    m.yAxis.max = 121;
    m.yAxis.step = 10;
    m.yAxis.title = QStringLiteral("dBA");
    m.yAxis.grid = true;
    m.setPointLabelAngle(90);

    chart::Model &e = Chart2D2->model();
    e.setGroupCount(1);
    e.group(1).kind = chart::Kind::StackedBars;
    e.setSeriesCount(1, kSeriesEvento);
    e.setPointCount(kPuntos);
    for (int s = 1; s <= kSeriesEvento; ++s)
        disena(e.series(1, s), kEventos[s - 1]);
    e.yAxis.min = 0;
    e.yAxis.max = 8;
    e.yAxis.step = 1;
    e.yAxis.grid = true;
}

void Form9::alineaGraficas()
{
    // The points of both charts stand one above the other: both plots take the wider of
    // the two margins (axis annotations on the left, legend on the right).
    qreal izquierda = 0, derecha = 0;
    for (Chart2D *c : {Chart2D1, Chart2D2}) {
        c->model().plotLeftMin = 0;
        c->model().plotRightMin = 0;
        const chart::Layout lay = c->chartLayout();
        izquierda = qMax(izquierda, lay.plot.left());
        derecha = qMax(derecha, lay.bounds.right() - lay.plot.right());
    }
    for (Chart2D *c : {Chart2D1, Chart2D2}) {
        c->model().plotLeftMin = izquierda;
        c->model().plotRightMin = derecha;
    }
}

void Form9::paraEspera()
{
    if (const auto vista = vistaIncidencias())
        vista->paraEspera();
}

void Form9::Form_Load()
{
    // Whatever happens below, the incidents window's wait panel does not keep running.
    struct Espera {
        Form9 *f;
        ~Espera() { f->paraEspera(); }
    } espera{this};
    try {
        Modulo1 &m = modulo1();
        oLocGuru().TranslateForm(this);
        setWindowTitle(ui::applicationTitle());
        alineaGraficas();
        TextNumeroSerie->setText(QString::number(m.NumeroSerieAparato));
        TextFecha->setText(m.FechaAparato);
        TextLocal->setText(m.LocalAparato);

        if (const auto abierta = m_ventana.abre(m.ConexionBD, m.NumeroSerieAparato); !abierta) {
            ui::MsgBox(abierta.error().mensaje(), ui::Icon::Critical, ui::OkOnly, this);
            return;
        }
        const RangoDeslizador rango = rangoDeslizador(m_ventana.total());
        Slider1->setRange(rango.minimo, rango.maximo);
        Slider1->setValue(rango.valor);
        // The origin every window is counted from; a device without intervals has none.
        m_origen = m_ventana.total() > 0;

        for (Chart2D *c : {Chart2D1, Chart2D2}) {
            chart::Label &l = c->label(kOnBar);
            l.background = QColor(0, 255, 255);
            l.text.clear();
            l.distance = 10;
            l.shown = false;
        }
        {
            Lote lote(Chart2D1);
            for (int s = L1; s <= L90; ++s)
                Chart2D1->setSeriesShown(2, s, false);
        }
        const bool nuevos = desde30();
        for (int s = 6; s <= 8; ++s)
            Chart2D2->setSeriesShown(1, s, nuevos);
        Dibuixa();
    } catch (const std::exception &e) {
        ui::MsgBox(QString::fromLocal8Bit(e.what()), ui::Icon::Critical, ui::OkOnly, this);
    }
}

void Form9::Dibuixa()
{
    const auto leidas = m_ventana.lee(Slider1->value());
    if (!leidas) {
        ui::MsgBox(leidas.error().mensaje(), ui::Icon::Critical, ui::OkOnly, this);
        return;
    }
    const QVector<FilaIntervalo> &filas = *leidas;
    const Valores v = valores(filas, desde30());
    Lote arriba(Chart2D1);
    Lote abajo(Chart2D2);
    chart::Model &m = Chart2D1->model();
    chart::Model &e = Chart2D2->model();
    for (int p = 1; p <= kPuntos; ++p) {
        m.setPointLabel(p, v.etiquetas[p - 1]);
        for (int s = 1; s <= kSeriesNivel; ++s)
            m.setValue(1, s, p, v.niveles[s - 1][p - 1]);
        for (int s = 1; s <= kSeriesPercentil; ++s)
            m.setValue(2, s, p, v.percentiles[s - 1][p - 1]);
        for (int s = 1; s <= kSeriesEvento; ++s)
            e.setValue(1, s, p, v.eventos[s - 1][p - 1]);
    }
    m_contadores = v.contadores;
}

void Form9::MostraEtiquetes(qint32 &pt, double &y)
{
    if (pt < 1 || pt > kPuntos)
        return;
    std::array<double, kSeriesNivel> niveles;
    std::array<double, kSeriesPercentil> percentiles;
    for (int s = 1; s <= kSeriesNivel; ++s)
        niveles[s - 1] = Chart2D1->value(1, s, pt);
    for (int s = 1; s <= kSeriesPercentil; ++s)
        percentiles[s - 1] = Chart2D1->value(2, s, pt);
    {
        Lote lote(Chart2D1);
        chart::Label &l = Chart2D1->label(kOnBar);
        l.shown = true;
        l.text = textoSuperior(niveles, percentiles, texto);
        l.x = pt;
        l.y = modulo1().GraficaActiva == 1 ? y : 21;
        l.anchor = ancla(ladoSuperior(pt));
    }
    {
        Lote lote(Chart2D2);
        chart::Label &l = Chart2D2->label(kOnBar);
        l.shown = true;
        l.text = textoInferior(m_contadores[pt - 1], desde30(), texto);
        l.x = pt;
        l.y = 0;
        l.anchor = ancla(ladoInferior(pt));
    }
}

void Form9::ocultaEtiquetas(bool vacia)
{
    for (Chart2D *c : {Chart2D1, Chart2D2}) {
        chart::Label &l = c->label(kOnBar);
        l.shown = false;
        if (vacia)
            l.text.clear();
    }
}

void Form9::chartEvent(int grafica, Qt::MouseButton button, const QPoint &pixel)
{
    modulo1().GraficaActiva = quint8(grafica);
    Chart2D *c = grafica == 1 ? Chart2D1 : Chart2D2;
    if (button == Qt::RightButton) {
        PopUp->popup(c->mapToGlobal(pixel));
        return;
    }
    const chart::Hit hit = c->hitTest(pixel);
    if (hit.region == chart::Region::Plot && hit.x > 0) {
        qint32 pt = hit.point;
        if (pt >= 1 && pt <= kPuntos) {
            double y = hit.y;
            if (grafica == 1 && y < 20)
                y = 20;
            MostraEtiquetes(pt, y);
        }
        return;
    }
    ocultaEtiquetas(true);
}

void Form9::Chart2D1_Event(Qt::MouseButton button, Qt::KeyboardModifiers, const QPoint &pixel)
{
    chartEvent(1, button, pixel);
}

void Form9::Chart2D2_Event(Qt::MouseButton button, Qt::KeyboardModifiers, const QPoint &pixel)
{
    chartEvent(2, button, pixel);
}

void Form9::PopUpMnu1_Click(int index)
{
    if (index < 0 || index > 3)
        return;
    Chart2D *c = modulo1().GraficaActiva == 1 ? Chart2D1 : Chart2D2;
    c->copyToClipboard(index + 1);
}

void Form9::PopUpMnu2_Click(int index)
{
    if (index < 0 || index > 9)
        return;
    Lote lote(Chart2D1);
    if (index == 0) {
        ocultaEtiquetas(true);
        return;
    }
    const int grupo = index == 9 ? 2 : 1;
    const int serie = index == 9 ? int(SinDatos) : index;
    const bool mostrar = !Chart2D1->isSeriesShown(grupo, serie);
    Chart2D1->setSeriesShown(grupo, serie, mostrar);
    PopUpMnu2[index]->setChecked(mostrar);
}

void Form9::Slider1_Event()
{
    if (Slider1->minimum() == -1)
        return;
    if (!m_origen)
        return;
    ocultaEtiquetas(false);
    Dibuixa();
}

void Form9::SSCommandSliderLeft_Click()
{
    if (Slider1->value() > 0)
        Slider1->setValue(Slider1->value() - 1);
}

void Form9::SSCommandSliderRight_Click()
{
    if (Slider1->value() < Slider1->maximum())
        Slider1->setValue(Slider1->value() + 1);
}

void Form9::SSCommandHelp_Click()
{
    AbreAyuda(modulo1().CodigoIdioma, this);
}

void Form9::SSCommandExit_Click()
{
    close();
}

QWidget *creaForm9()
{
    auto *form = new Form9;
    form->Form_Load();
    return form;
}

void registraForm9()
{
    FormRegistry::add(QStringLiteral("Form9"), [] { return creaForm9(); });
}

} // namespace slx
