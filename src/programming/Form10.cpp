#include "programming/Form10.h"

#include "base/FormRegistry.h"
#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "localization/LocGuru.h"
#include "programming/Form2.h"
#include "widgets/Chart2D.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>
#include <QVBoxLayout>

namespace slx {

namespace {

using horario::kDias;

const char *const kPalabras[kDias] = {"Lunes", "Martes", "Miercoles", "Jueves", "Viernes", "Sabado", "Domingo"};
const char *const kNombres[kDias] = {"Lunes", "Martes", "Miércoles", "Jueves", "Viernes", "Sábado", "Domingo"};

QString palabra(int d)
{
    return QString::fromLatin1(kPalabras[d]);
}

// Colours of the timetable chart.
const QColor kColorAbierto(0, 160, 0);
const QColor kColorDia(255, 215, 0);
const QColor kColorNoche(25, 25, 112);
const QColor kColorColumna[2] = {QColor(232, 236, 250), QColor(212, 220, 242)};

} // namespace

CampoHora::CampoHora(QWidget *parent)
    : QLineEdit(parent)
{
    // What the user types takes the form "hh:nn": digits only, the colon after the hour.
    // Texts set from code stay as they are.
    connect(this, &QLineEdit::textEdited, this, [this](const QString &typed) {
        const int pos = cursorPosition();
        QString digits;
        int before = 0;
        for (int i = 0; i < typed.size(); ++i) {
            if (!typed.at(i).isDigit() || digits.size() == 4)
                continue;
            digits += typed.at(i);
            if (i < pos)
                ++before;
        }
        const QString text = digits.size() > 2 ? digits.left(2) + QLatin1Char(':') + digits.mid(2) : digits;
        if (text != typed) {
            setText(text);
            setCursorPosition(qMin(int(text.size()), before + (before > 2 ? 1 : 0)));
        }
    });
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize CampoHora::sizeHint() const
{
    // Room for any "hh:nn" and for "--:--" in the field's own font, with the cursor
    // after the last character, as a line edit lays out its text.
    ensurePolished();
    const QFontMetrics fm = fontMetrics();
    int ancho = 0;
    for (const QLatin1Char c : {QLatin1Char('0'), QLatin1Char('1'), QLatin1Char('2'), QLatin1Char('3'),
                                QLatin1Char('4'), QLatin1Char('5'), QLatin1Char('6'), QLatin1Char('7'),
                                QLatin1Char('8'), QLatin1Char('9'), QLatin1Char('-')})
        ancho = qMax(ancho, fm.horizontalAdvance(c));
    constexpr int kMargenLineEdit = 2; // the line edit's own margin on each side of its text
    const QMargins tm = textMargins();
    const QMargins cm = contentsMargins();
    const int w = 4 * ancho + fm.horizontalAdvance(QLatin1Char(':')) +
                  style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, this) + 2 * kMargenLineEdit +
                  tm.left() + tm.right() + cm.left() + cm.right();
    QStyleOptionFrame opt;
    initStyleOption(&opt);
    const QSize base = QLineEdit::sizeHint();
    return {style()->sizeFromContents(QStyle::CT_LineEdit, &opt, QSize(w, base.height()), this).width(),
            base.height()};
}

QSize CampoHora::minimumSizeHint() const
{
    return sizeHint();
}

Form10::Form10(QWidget *parent)
    : QDialog(parent)
{
    buildUi();
    buildChart();
}

void Form10::buildUi()
{
    auto *top = new QVBoxLayout(this);
    auto *titulo = new QLabel(QStringLiteral("HORARIOS DE SESION"));
    titulo->setObjectName(QStringLiteral("Label7"));
    QFont f = titulo->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.3);
    titulo->setFont(f);
    top->addWidget(titulo, 0, Qt::AlignHCenter);
    auto *intro = new QLabel(QStringLiteral("Introducir los horarios de sesión secuencialmente de lunes a domingo"));
    intro->setObjectName(QStringLiteral("Label8"));
    top->addWidget(intro);
    auto *pulsar = new QHBoxLayout;
    auto *label9 = new QLabel(QStringLiteral("Para aceptar y avanzar al siguiente día pulsar:"));
    label9->setObjectName(QStringLiteral("Label9"));
    const QIcon confirmIcon = style()->standardIcon(QStyle::SP_DialogApplyButton);
    auto *image1 = new QLabel;
    image1->setObjectName(QStringLiteral("Image1"));
    image1->setPixmap(confirmIcon.pixmap(16, 16));
    pulsar->addWidget(label9);
    pulsar->addWidget(image1);
    pulsar->addStretch(1);
    top->addLayout(pulsar);

    auto *dias = new QHBoxLayout;
    for (int d = 0; d < kDias; ++d) {
        const QString w = palabra(d);
        DiaUi &ui = m_dias[d];
        ui.frame = new QGroupBox(QString::fromUtf8(kNombres[d]));
        ui.frame->setObjectName(QStringLiteral("Frame") + w);
        auto *g = new QGridLayout(ui.frame);
        ui.tancat = new QRadioButton(QStringLiteral("Cerrado"));
        ui.tancat->setObjectName(QStringLiteral("OptionTancat") + w);
        ui.h24 = new QRadioButton(QStringLiteral("24h"));
        ui.h24->setObjectName(QStringLiteral("Option24") + w);
        ui.horario = new QRadioButton(QStringLiteral("Horario"));
        ui.horario->setObjectName(QStringLiteral("OptionHorario") + w);
        ui.ini = new CampoHora;
        ui.ini->setObjectName(QStringLiteral("Mask%1Ini").arg(w));
        ui.fi = new CampoHora;
        ui.fi->setObjectName(QStringLiteral("Mask%1Fi").arg(w));
        auto *entre = new QLabel(QStringLiteral("<->"));
        entre->setProperty("Tag", QStringLiteral("!"));
        ui.confirma = new QPushButton;
        ui.confirma->setObjectName(QStringLiteral("SSCommand") + w);
        ui.confirma->setIcon(confirmIcon);
        ui.confirma->setToolTip(QStringLiteral("Aceptar y avanzar al siguiente día"));
        ui.confirma->setAutoDefault(false);
        g->addWidget(ui.tancat, 0, 0, 1, 3);
        g->addWidget(ui.h24, 1, 0, 1, 3);
        g->addWidget(ui.horario, 2, 0, 1, 3);
        g->addWidget(ui.ini, 3, 0);
        g->addWidget(entre, 3, 1);
        g->addWidget(ui.fi, 3, 2);
        g->addWidget(ui.confirma, 4, 0, 1, 3, Qt::AlignHCenter);
        dias->addWidget(ui.frame);

        connect(ui.tancat, &QRadioButton::clicked, this, [this, d] { OptionTancat_Click(d); });
        connect(ui.h24, &QRadioButton::clicked, this, [this, d] { Option24_Click(d); });
        connect(ui.horario, &QRadioButton::clicked, this, [this, d] { OptionHorario_Click(d); });
        connect(ui.confirma, &QPushButton::clicked, this, [this, d] { SSCommandDia_Click(d); });
        ui.ini->installEventFilter(this);
        ui.fi->installEventFilter(this);
    }
    top->addLayout(dias);

    auto *panel = new QFrame;
    panel->setObjectName(QStringLiteral("SSPanel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    auto *pl = new QVBoxLayout(panel);
    Chart2D1 = new Chart2D;
    Chart2D1->setObjectName(QStringLiteral("Chart2D1"));
    Chart2D1->setMinimumSize(600, 220);
    pl->addWidget(Chart2D1);
    top->addWidget(panel, 1);

    auto *botones = new QHBoxLayout;
    SSCommandRetry = new QPushButton(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("Volver"));
    SSCommandRetry->setObjectName(QStringLiteral("SSCommandRetry"));
    SSCommandAceptar = new QPushButton(QStringLiteral("Aceptar"));
    SSCommandAceptar->setObjectName(QStringLiteral("SSCommandAceptar"));
    SSCommandExit = new QPushButton(QStringLiteral("Cancelar"));
    SSCommandExit->setObjectName(QStringLiteral("SSCommandExit"));
    for (QPushButton *b : {SSCommandRetry, SSCommandAceptar, SSCommandExit}) {
        b->setAutoDefault(false);
        botones->addWidget(b);
    }
    botones->insertStretch(1, 1);
    top->addLayout(botones);
    connect(SSCommandRetry, &QPushButton::clicked, this, &Form10::SSCommandRetry_Click);
    connect(SSCommandAceptar, &QPushButton::clicked, this, &Form10::SSCommandAceptar_Click);
    connect(SSCommandExit, &QPushButton::clicked, this, &Form10::SSCommandExit_Click);
}

void Form10::buildChart()
{
    chart::Model &m = Chart2D1->model();
    m.setGroupCount(2);
    m.setSeriesCount(1, 3);
    m.setSeriesCount(2, kDias);
    m.setPointCount(horario::kPuntos);
    m.group(1).kind = chart::Kind::Area;
    m.group(2).kind = chart::Kind::Area;
    const struct {
        const char *label;
        QColor color;
    } serie[3] = {{"Abierto", kColorAbierto}, {"Día", kColorDia}, {"Noche", kColorNoche}};
    for (int s = 1; s <= 3; ++s) {
        m.series(1, s).label = QString::fromUtf8(serie[s - 1].label);
        m.series(1, s).color = serie[s - 1].color;
    }
    for (int k = 1; k <= kDias; ++k)
        m.series(2, k).color = kColorColumna[(k - 1) % 2];
    m.autoX = false;
    m.xAxis.min = 1;
    m.xAxis.max = horario::kPuntos;
    m.xAxis.step = 0;
    m.yAxis.min = 0;
    m.yAxis.max = 4.2;
    m.yAxis.shown = false;
    m.setPointLabelAngle(90);
    m.headerSpansPlot = true; // each day name over its column, in the window's font
}

void Form10::Form_Load()
{
    oLocGuru().TranslateForm(this);
    setWindowTitle(ui::applicationTitle());
    // The picture buttons are named by their tool tips, for a screen reader.
    for (DiaUi &d : m_dias)
        d.confirma->setAccessibleName(d.confirma->toolTip());

    fijaActual(0);
    SSCommandAceptar->setEnabled(false);

    // Without the sheet (the text export), every day is closed.
    const auto *hoja = qobject_cast<Form2 *>(FormRegistry::instance(QStringLiteral("Form2")));
    horario::Semana semana;
    semana.fill({horario::kCerrado, horario::kCerrado});
    if (hoja)
        semana = hoja->horario();
    for (int d = 0; d < kDias; ++d) {
        m_dias[d].ini->setText(semana[d].inicio);
        m_dias[d].fi->setText(semana[d].fin);
        selecciona(d, horario::tipoDe(semana[d]));
    }
    if (hoja) {
        const FitxaProgramacio fitxa = hoja->fitxa();
        m_nocheInicio = fitxa.MaskEmpiezaNoche;
        m_nocheFin = fitxa.MaskTerminaNoche;
    }

    DibuixaDies();
    DibuixaNitDia();
    DibuixaSesions();
}

horario::Semana Form10::semana() const
{
    horario::Semana s;
    for (int d = 0; d < kDias; ++d)
        s[d] = {m_dias[d].ini->text(), m_dias[d].fi->text()};
    return s;
}

void Form10::selecciona(int dia, horario::Tipo tipo)
{
    DiaUi &d = m_dias[dia];
    switch (tipo) {
    case horario::Tipo::Cerrado:
        d.tancat->setChecked(true);
        OptionTancat_Click(dia);
        break;
    case horario::Tipo::Todo:
        d.h24->setChecked(true);
        Option24_Click(dia);
        break;
    case horario::Tipo::Horario:
        d.horario->setChecked(true);
        OptionHorario_Click(dia);
        break;
    }
}

void Form10::OptionTancat_Click(int dia)
{
    m_dias[dia].ini->setText(horario::kCerrado);
    m_dias[dia].fi->setText(horario::kCerrado);
}

void Form10::Option24_Click(int dia)
{
    m_dias[dia].ini->setText(QStringLiteral("00:00"));
    m_dias[dia].fi->setText(QStringLiteral("23:59"));
}

void Form10::OptionHorario_Click(int dia)
{
    m_dias[dia].ini->setEnabled(true);
    m_dias[dia].fi->setEnabled(true);
}

void Form10::fijaActual(int dia)
{
    m_actual = dia;
    for (int d = 0; d < kDias; ++d) {
        m_dias[d].frame->setEnabled(d == dia);
        m_dias[d].confirma->setEnabled(d == dia);
    }
}

void Form10::enfoca(QLineEdit *campo)
{
    QPointer<QLineEdit> c(campo);
    QTimer::singleShot(0, this, [this, c] {
        if (!c)
            return;
        activateWindow();
        // The field left on the way back is not checked: the user did not leave it.
        m_devolviendo = true;
        c->setFocus(Qt::OtherFocusReason);
        m_devolviendo = false;
        c->selectAll();
    });
}

void Form10::SSCommandDia_Click(int dia)
{
    if (dia != m_actual)
        return;
    const horario::Confirmacion c = horario::confirmaDia(semana(), dia);
    if (c.cerrar)
        selecciona(dia, horario::Tipo::Cerrado);
    if (c.mensaje) {
        ui::MsgBox(oLocGuru().GetS(c.mensaje), ui::Icon::Critical, ui::OkOnly, this);
        if (c.foco == horario::Confirmacion::Inicio)
            enfoca(m_dias[dia].ini);
        else if (c.foco == horario::Confirmacion::Fin)
            enfoca(m_dias[dia].fi);
        return;
    }
    if (!c.confirmado)
        return;
    if (dia < kDias - 1) {
        fijaActual(dia + 1);
    } else {
        fijaActual(kDias);
        SSCommandAceptar->setEnabled(true);
        DibuixaSesions();
    }
}

void Form10::SSCommandRetry_Click()
{
    fijaActual(0);
    SSCommandAceptar->setEnabled(false);
}

void Form10::SSCommandAceptar_Click()
{
    if (auto *hoja = qobject_cast<Form2 *>(FormRegistry::instance(QStringLiteral("Form2")))) {
        horario::Semana semana;
        for (int d = 0; d < kDias; ++d)
            semana[d] = {m_dias[d].ini->text(), m_dias[d].fi->text()};
        hoja->setHorario(semana);
    }
    modulo1().FitxaModificada = true;
    accept();
}

void Form10::SSCommandExit_Click()
{
    reject();
}

int Form10::diaDeCampo(QObject *campo) const
{
    for (int d = 0; d < kDias; ++d)
        if (m_dias[d].ini == campo || m_dias[d].fi == campo)
            return d;
    return -1;
}

void Form10::compruebaHora(CampoHora *campo)
{
    if (m_enComprobacion || horario::horaValida(campo->text()))
        return;
    m_enComprobacion = true;
    ui::MsgBox(oLocGuru().GetS(19), ui::Icon::Critical, ui::OkOnly, this);
    enfoca(campo);
    m_enComprobacion = false;
}

bool Form10::eventFilter(QObject *watched, QEvent *event)
{
    const int dia = diaDeCampo(watched);
    if (dia < 0)
        return QDialog::eventFilter(watched, event);
    auto *campo = static_cast<CampoHora *>(watched);
    switch (event->type()) {
    case QEvent::FocusIn:
        if (static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason &&
            static_cast<QFocusEvent *>(event)->reason() != Qt::ActiveWindowFocusReason)
            selecciona(dia, horario::Tipo::Horario);
        break;
    case QEvent::FocusOut: {
        // Only a move into another time field checks the time on the way out: the
        // buttons and the options stay free to use from a field that holds no time
        // (Cancel and the window's close leave, Closed and 24h set the day, Back starts
        // again), and a day's confirmation checks both of its times itself.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && isVisible() &&
            !m_devolviendo && campo->isEnabled() && m_dias[dia].frame->isEnabled() &&
            diaDeCampo(QApplication::focusWidget()) >= 0)
            compruebaHora(campo);
        break;
    }
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        const QString text = key->text();
        if (text.isEmpty() || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            break;
        // Every typed key marks the sheet, even when the window is cancelled later.
        modulo1().FitxaModificada = true;
        const QChar c = text.at(0);
        // A blank is discarded; so are the signs, which a time field never holds.
        if (c == QLatin1Char(' ') || c == QLatin1Char('+') || c == QLatin1Char('-'))
            return true;
        break;
    }
    default: break;
    }
    return QDialog::eventFilter(watched, event);
}

void Form10::DibuixaDies()
{
    Chart2D1->setBatched(true);
    chart::Model &m = Chart2D1->model();
    QStringList nombres;
    for (int t = 70; t <= 76; ++t)
        nombres << oLocGuru().GetS(t);
    m.header = QStringList{horario::lineaDias(nombres)};
    const auto columnas = horario::dibujoColumnas();
    for (int k = 1; k <= kDias; ++k)
        m.series(2, k).values = columnas[k - 1];
}

void Form10::DibuixaNitDia()
{
    Chart2D1->setBatched(true);
    chart::Model &m = Chart2D1->model();
    m.series(1, 2).values = horario::dibujoDia();
    const QVector<double> noche = horario::dibujoNoche(m_nocheInicio, m_nocheFin);
    for (int p = 1; p <= horario::kPuntos; ++p)
        if (noche[p - 1] != horario::kNoAbierto)
            m.setValue(1, 3, p, noche[p - 1]);
    const QStringList labels = horario::etiquetasNoche(m_nocheInicio, m_nocheFin);
    for (int p = 1; p <= horario::kPuntos; ++p)
        m.setPointLabel(p, labels[p - 1]);
    Chart2D1->setBatched(false);
}

void Form10::DibuixaSesions()
{
    Chart2D1->setBatched(true);
    Chart2D1->model().series(1, 1).values = horario::dibujoSesiones(semana());
    Chart2D1->setBatched(false);
}

void registraForm10()
{
    FormRegistry::add(QStringLiteral("Form10"), []() -> QWidget * {
        auto *form = new Form10;
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->Form_Load();
        return form;
    });
    FormRegistry::addDesign(QStringLiteral("Form10"), [] { return new Form10; });
}

} // namespace slx
