#include "programming/Form2.h"

#include "base/DataFolder.h"
#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "base/Ventanas.h"
#include "link/LinkTimings.h"
#include "localization/LocGuru.h"
#include "programming/SheetChecks.h"
#include "programming/SheetSearch.h"
#include "widgets/BusyIndicator.h"
#include "widgets/SessionGuard.h"
#include "widgets/TDBGrid.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

namespace slx {

namespace {

enum class Key {
    None,          // no key handler
    Discard,       // every key discarded, sheet marked
    DiscardQuiet,  // every key discarded, sheet not marked
    Modified,      // marks the sheet
    BlankModified, // refuses a space, marks the sheet
    Signed,        // marks the sheet, takes a minus sign
};

enum class Focus { Keep, Name, Clear };

// What leaving the field does.
enum class Leave {
    Nothing,
    LimiteEmision,   // check of an emission limit
    LimiteRecepcion, // check of a reception limit
    Noche,           // check of the night period, which sets the day period
    Fecha,           // check of the sheet date
    MFast,
    TLeq,
    TempsAct,
    Atenuacion,
    Rings,
    Modified, // marks the sheet
};

struct FieldRule {
    const char *name;
    Key key;
    Focus focus;
    Leave leave = Leave::Nothing;
};

// How every field of the sheet treats keys, the focus and its leaving.
constexpr FieldRule kRules[] = {
    {"MaskNumeroSerie", Key::Discard, Focus::Name},
    {"MaskVersion", Key::DiscardQuiet, Focus::Name},
    {"MaskFecha", Key::BlankModified, Focus::Name, Leave::Fecha},
    {"MaskContacto", Key::Modified, Focus::Name},
    {"MaskLocal", Key::Modified, Focus::Name},
    {"MaskDireccion", Key::Modified, Focus::Name},
    {"MaskPoblacion", Key::Modified, Focus::Name},
    {"MaskTelefono", Key::Modified, Focus::Name},
    {"TextNota", Key::Modified, Focus::Keep},
    {"MaskDiaLocal", Key::BlankModified, Focus::Clear, Leave::LimiteEmision},
    {"MaskNitLocal", Key::BlankModified, Focus::Clear, Leave::LimiteEmision},
    {"MaskDiaVei", Key::BlankModified, Focus::Clear, Leave::LimiteRecepcion},
    {"MaskNitVei", Key::BlankModified, Focus::Clear, Leave::LimiteRecepcion},
    {"MaskEmpiezaNoche", Key::BlankModified, Focus::Clear, Leave::Noche},
    {"MaskTerminaNoche", Key::BlankModified, Focus::Clear, Leave::Noche},
    {"MaskEmpiezaDia", Key::None, Focus::Keep},
    {"MaskTerminaDia", Key::None, Focus::Keep},
    {"MaskTLeq", Key::Modified, Focus::Clear, Leave::TLeq},
    {"MaskMFast", Key::Modified, Focus::Clear, Leave::MFast},
    {"MaskTempsActLoc", Key::BlankModified, Focus::Keep, Leave::TempsAct},
    {"MaskTempsActVei", Key::BlankModified, Focus::Keep, Leave::TempsAct},
    {"MaskTiempoAtenuacion", Key::BlankModified, Focus::Clear, Leave::Atenuacion},
    {"MaskRings", Key::BlankModified, Focus::Clear, Leave::Rings},
    {"MaskOctava1", Key::Signed, Focus::Clear},
    {"MaskOctava2", Key::Signed, Focus::Clear},
    {"MaskOctava3", Key::Signed, Focus::Clear},
    {"MaskOctava4", Key::Signed, Focus::Clear},
    {"MaskOctava5", Key::Signed, Focus::Clear},
    {"MaskOctava6", Key::Signed, Focus::Clear},
    {"MaskOctava7", Key::Signed, Focus::Clear},
    {"MaskOctava8", Key::Signed, Focus::Clear},
    {"MaskOctava9", Key::Signed, Focus::Clear},
    {"CheckCambioHora", Key::None, Focus::Clear},
    {"CheckImpresion", Key::None, Focus::Keep},
    {"CheckApliCorrecioGlobal", Key::None, Focus::Keep},
    {"OptionEspañol", Key::None, Focus::Clear},
    {"OptionCatalan", Key::None, Focus::Clear},
    {"OptionIngles", Key::None, Focus::Clear},
    {"OptionAleman", Key::None, Focus::Clear},
    {"OptionFrances", Key::None, Focus::Clear, Leave::Modified},
    {"OptionItaliano", Key::None, Focus::Keep},
    {"OptionLocalLeq1s", Key::None, Focus::Clear},
    {"OptionLocalLeq125", Key::None, Focus::Clear},
    {"OptionVeiLeq1s", Key::None, Focus::Clear},
    {"OptionVeiLeq125", Key::None, Focus::Clear},
    {"OptionVeiNo", Key::None, Focus::Clear},
};

const FieldRule *ruleOf(const QString &name)
{
    for (const FieldRule &r : kRules)
        if (name == QString::fromUtf8(r.name))
            return &r;
    return nullptr;
}

// The buttons and the tab control that empty the search field when they get the focus.
const char *const kClearingButtons[] = {
    "SSCommandAnterior", "SSCommandBorrar",      "SSCommandExit",    "SSCommandGrabar",    "SSCommandHelp",
    "SSCommandImprimir", "SSCommandIncidencias", "SSCommandRecibir", "SSCommandSiguiente", "SSCommandTransmitir"};

const char *const kDias[] = {"Lunes", "Martes", "Miercoles", "Jueves", "Viernes", "Sabado", "Domingo"};

// A field the user cannot change: no typing, paste, drop or undo, and it looks so.
void soloLectura(QLineEdit *e)
{
    e->setReadOnly(true);
    QPalette p = e->palette();
    p.setColor(QPalette::Base, p.color(QPalette::Window));
    e->setPalette(p);
}

// Keys that move about or leave the window and change nothing of the sheet.
bool teclaDeNavegacion(const QKeyEvent *key)
{
    return key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->key() == Qt::Key_Escape;
}

QLabel *label(const QString &text, QWidget *buddy = nullptr)
{
    auto *l = new QLabel(text);
    if (buddy)
        l->setBuddy(buddy);
    return l;
}

} // namespace

Form2::Form2(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    m_matriz = new grid::MatrizInhabil(this);
    buildUi();
    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(1000);
    connect(m_timer1, &QTimer::timeout, this, &Form2::Timer1_Timer);
    // The watchdog switches itself off when it expires.
    m_timer2 = new QTimer(this);
    m_timer2->setObjectName(QStringLiteral("Timer2"));
    m_timer2->setSingleShot(true);
    m_timer2->setInterval(linkTimings().vigilanteMs);
    // The window cannot be closed under a running exchange (frame, Escape).
    protegeCierre(this);
    connect(m_matriz, &grid::MatrizInhabil::posted, this, &Form2::TDBGrid1_PostEvent);
    // Every stored cell changes the sheet, even when the window is closed before the grid loses the focus.
    connect(m_matriz, &grid::MatrizInhabil::edited, this, [this] {
        publicaIntervalos(m_matriz->handedOver());
        markModified();
    });
    // The grid loses the focus when it moves, inside this window, from the grid or its cell editor to
    // any other control; the focus event of the grid itself does not tell when the editor had it.
    m_focoAplicacion = connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
        const auto inGrid = [this](QWidget *w) { return w && (w == m_grid || m_grid->isAncestorOf(w)); };
        if (inGrid(old) && now && !inGrid(now) && now->window() == this)
            TDBGrid1_LostFocus();
        else if (inGrid(now) && now != m_grid)
            watch(now); // a cell editor takes the window's key filter
    });
}

Form2::~Form2()
{
    // The children are deleted after this body, and the focus moves as they go: the
    // handler must not run on a window that is half gone.
    disconnect(m_focoAplicacion);
    delete m_calendario;
}

QLineEdit *Form2::addLine(const QString &name, int maxLength, Length length)
{
    auto *e = new QLineEdit;
    e->setObjectName(name);
    // A field that also shows what the device sent bounds the typing by its validator
    // alone: a length limit would cut a wider value put in from the device.
    if (maxLength > 0 && length == Length::Limited)
        e->setMaxLength(maxLength);
    // Short fields are as wide as what they hold.
    const int chars = maxLength > 0 ? maxLength : 5;
    if (chars <= 8)
        e->setMaximumWidth(e->fontMetrics().horizontalAdvance(QLatin1Char('0')) * (chars + 2) + 16);
    m_fields.insert(name, e);
    watch(e);
    return e;
}

QPushButton *Form2::addButton(const QString &name, const QString &caption)
{
    auto *b = new QPushButton(caption);
    b->setObjectName(name);
    b->setAutoDefault(false);
    watch(b);
    return b;
}

void Form2::watch(QWidget *w)
{
    w->installEventFilter(this);
}

void Form2::buildUi()
{
    auto *root = new QVBoxLayout(this);
    root->addLayout(buildIdentity());
    root->addWidget(buildPages(), 1);
    root->addWidget(buildBusyPanel());
    root->addLayout(buildButtons());
    resize(860, 560);
}

// Identity of the sheet, always in view: serial number, version, date with its
// calendar, and the clock.
QLayout *Form2::buildIdentity()
{
    auto *top = new QHBoxLayout;
    QLineEdit *serie = addLine(QStringLiteral("MaskNumeroSerie"), 6, Length::Typed);
    QLineEdit *version = addLine(QStringLiteral("MaskVersion"), 5, Length::Typed);
    soloLectura(serie);
    soloLectura(version);
    // The date as typed, "dd/mm/yy"; its check runs when it is left. The calendar beside
    // it writes a date picked there.
    QLineEdit *fecha = addLine(QStringLiteral("MaskFecha"), 8);
    fecha->setInputMask(QStringLiteral("99/99/99;_"));
    auto *calendario = new QToolButton;
    calendario->setObjectName(QStringLiteral("CommandCalendario"));
    calendario->setArrowType(Qt::DownArrow);
    calendario->setFocusPolicy(Qt::NoFocus); // the date field keeps the focus
    // A window of its own (deleted with this one), outside the walk of the window's texts:
    // its month and year are the program's to set.
    m_calendario = new QCalendarWidget;
    m_calendario->setObjectName(QStringLiteral("CalendarioFecha"));
    m_calendario->setWindowFlags(Qt::Popup);
    m_calendario->setDateRange(QDate(1950, 1, 1), QDate(2049, 12, 31));
    connect(calendario, &QToolButton::clicked, this, [this, calendario, fecha] {
        if (const auto date = fechaFitxa(fecha->text()))
            m_calendario->setSelectedDate(*date);
        m_calendario->move(calendario->mapToGlobal(QPoint(0, calendario->height())));
        m_calendario->show();
    });
    connect(m_calendario, &QCalendarWidget::clicked, this, [this, fecha](QDate date) {
        m_calendario->hide();
        fecha->setText(textoFechaFitxa(date));
        markModified();
        fecha->setFocus(Qt::OtherFocusReason);
    });
    auto *labelSerie = label(QStringLiteral("N. Serie:"), serie);
    labelSerie->setObjectName(QStringLiteral("LabelNumeroSerie"));
    auto *labelVersion = label(QStringLiteral("Versión:"), version);
    labelVersion->setObjectName(QStringLiteral("LabelVersion"));
    auto *labelFecha = label(QStringLiteral("Fecha:"), fecha);
    labelFecha->setObjectName(QStringLiteral("LabelFecha"));
    top->addWidget(labelSerie);
    top->addWidget(serie);
    top->addWidget(labelVersion);
    top->addWidget(version);
    top->addWidget(labelFecha);
    top->addWidget(fecha);
    top->addWidget(calendario);
    top->addStretch();
    auto *textFecha = new QLabel;
    textFecha->setObjectName(QStringLiteral("TextFecha"));
    auto *textHora = new QLabel;
    textHora->setObjectName(QStringLiteral("TextHora"));
    top->addWidget(textFecha);
    top->addWidget(textHora);
    return top;
}

// The sheet's pages.
QWidget *Form2::buildPages()
{
    m_tab = new QTabWidget;
    m_tab->setObjectName(QStringLiteral("SSTab2"));
    m_tab->addTab(buildPaginaDatos(), QStringLiteral("Datos"));
    m_tab->addTab(buildPaginaAparato(), QStringLiteral("Aparato"));
    m_tab->addTab(buildPaginaHorario(), QStringLiteral("Horario"));
    m_tab->addTab(buildPaginaNormativa(), QStringLiteral("Normativa"));
    m_tab->addTab(buildPaginaOctavas(), QStringLiteral("Octavas"));
    m_tab->addTab(buildPaginaIntervalos(), QStringLiteral("Intervalos inhábiles"));
    m_tab->tabBar()->setObjectName(QStringLiteral("SSTab2Bar"));
    // A click on a tab gives the tab control the focus (the field left runs its check and the
    // search field is emptied), instead of the focus moving on to a field of the new page.
    m_tab->tabBar()->setFocusPolicy(Qt::StrongFocus);
    watch(m_tab->tabBar());
    watch(m_tab);
    return m_tab;
}

// The busy panel of a transmit, with its animation.
QWidget *Form2::buildBusyPanel()
{
    m_panel2 = new QFrame;
    m_panel2->setObjectName(QStringLiteral("SSPanel2"));
    static_cast<QFrame *>(m_panel2)->setFrameShape(QFrame::StyledPanel);
    auto *panel = new QHBoxLayout(m_panel2);
    m_animacion = new BusyIndicator;
    m_animacion->setObjectName(QStringLiteral("Animation1"));
    panel->addWidget(m_animacion);
    m_panel2->hide();
    return m_panel2;
}

// The window's buttons, each on its handler.
QLayout *Form2::buildButtons()
{
    auto *buttons = new QHBoxLayout;
    struct B {
        const char *name;
        const char *caption;
        void (Form2::*slot)();
    };
    const B list[] = {
        {"SSCommandAnterior", "<<", &Form2::SSCommandAnterior_Click},
        {"SSCommandSiguiente", ">>", &Form2::SSCommandSiguiente_Click},
        {"SSCommandBuscar", "Buscar", &Form2::SSCommandBuscar_Click},
        {"SSCommandGrabar", "Grabar", &Form2::SSCommandGrabar_Click},
        {"SSCommandBorrar", "Borrar", &Form2::SSCommandBorrar_Click},
        {"SSCommandRecibir", "Recibir", &Form2::SSCommandRecibir_Click},
        {"SSCommandTransmitir", "Transmitir", &Form2::SSCommandTransmitir_Click},
        {"SSCommandRealTime", "Tiempo real", &Form2::SSCommandRealTime_Click},
        {"SSCommandImprimir", "Imprimir", &Form2::SSCommandImprimir_Click},
        {"SSCommandIncidencias", "Incidencias", &Form2::SSCommandIncidencias_Click},
        {"SSCommandHelp", "Ayuda", &Form2::SSCommandHelp_Click},
        {"SSCommandExit", "Salir", &Form2::SSCommandExit_Click},
    };
    for (const B &b : list) {
        QPushButton *button = addButton(QString::fromLatin1(b.name), QString::fromUtf8(b.caption));
        if (b.slot == &Form2::SSCommandAnterior_Click)
            button->setToolTip(QStringLiteral("Ficha anterior"));
        else if (b.slot == &Form2::SSCommandSiguiente_Click)
            button->setToolTip(QStringLiteral("Ficha siguiente"));
        connect(button, &QPushButton::clicked, this, b.slot);
        buttons->addWidget(button);
    }
    return buttons;
}

QWidget *Form2::buildPaginaDatos()
{
    auto *page = new QWidget;
    auto *form = new QFormLayout(page);
    struct F {
        const char *name;
        const char *label;
        int length;
    };
    const F fields[] = {{"MaskContacto", "Contacto:", 30},
                        {"MaskLocal", "Local:", 30},
                        {"MaskDireccion", "Dirección:", 30},
                        {"MaskPoblacion", "Población:", 30},
                        {"MaskTelefono", "Teléfono:", 15}};
    for (const F &f : fields) {
        QLineEdit *e = addLine(QString::fromLatin1(f.name), f.length);
        auto *l = label(QString::fromUtf8(f.label), e);
        l->setObjectName(QStringLiteral("Label") + QString::fromLatin1(f.name).mid(4));
        form->addRow(l, e);
    }
    auto *phone = qobject_cast<QLineEdit *>(m_fields.value(QStringLiteral("MaskTelefono")));
    phone->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,15}")), phone));
    auto *nota = new QPlainTextEdit;
    nota->setObjectName(QStringLiteral("TextNota"));
    nota->setTabChangesFocus(true);
    m_fields.insert(nota->objectName(), nota);
    watch(nota);
    auto *l = label(QStringLiteral("Nota:"), nota);
    l->setObjectName(QStringLiteral("LabelNota"));
    form->addRow(l, nota);
    return page;
}

QWidget *Form2::buildPaginaAparato()
{
    auto *page = new QWidget;
    auto *grid = new QGridLayout(page);

    auto *idioma = new QGroupBox(QStringLiteral("Idioma"));
    idioma->setObjectName(QStringLiteral("FrameIdioma"));
    auto *il = new QVBoxLayout(idioma);
    auto *group = new QButtonGroup(this);
    const char *const idiomas[][2] = {{"OptionEspañol", "Español"},  {"OptionCatalan", "Català"},
                                      {"OptionIngles", "English"},   {"OptionAleman", "Deutsch"},
                                      {"OptionFrances", "Français"}, {"OptionItaliano", "Italiano"}};
    for (const auto &i : idiomas) {
        auto *o = new QRadioButton(QString::fromUtf8(i[1]));
        o->setObjectName(QString::fromUtf8(i[0]));
        o->setProperty("Tag", QStringLiteral("!")); // language names stay as they are
        group->addButton(o);
        il->addWidget(o);
        m_fields.insert(o->objectName(), o);
        watch(o);
        connect(o, &QRadioButton::clicked, this, [this] { markModified(); });
    }
    grid->addWidget(idioma, 0, 0, 4, 1);

    auto *form = new QFormLayout;
    QLineEdit *tleq = addLine(QStringLiteral("MaskTLeq"), 2, Length::Typed);
    tleq->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,2}")), tleq));
    auto *tleqRow = new QHBoxLayout;
    tleqRow->addWidget(tleq);
    tleqRow->addWidget(new QLabel(QStringLiteral("min")));
    tleqRow->addWidget(new QLabel(QStringLiteral("(de 2 a 60)")));
    tleqRow->addStretch();
    form->addRow(label(QStringLiteral("Tiempo de Leq:"), tleq), tleqRow);

    QLineEdit *rings = addLine(QStringLiteral("MaskRings"), 1, Length::Typed);
    rings->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]?")), rings));
    form->addRow(label(QStringLiteral("Rings:"), rings), rings);
    grid->addLayout(form, 0, 1);

    const char *const checks[][2] = {{"CheckImpresion", "Impresión continua"},
                                     {"CheckCambioHora", "Cambio horario verano/invierno"},
                                     {"CheckApliCorrecioGlobal", "Aplicar corrección global"}};
    int row = 1;
    for (const auto &c : checks) {
        auto *box = new QCheckBox(QString::fromUtf8(c[1]));
        box->setObjectName(QString::fromLatin1(c[0]));
        m_fields.insert(box->objectName(), box);
        watch(box);
        connect(box, &QCheckBox::clicked, this, [this] { markModified(); });
        grid->addWidget(box, row++, 1);
    }
    grid->setRowStretch(row, 1);
    return page;
}

QWidget *Form2::buildPaginaHorario()
{
    auto *page = new QWidget;
    auto *grid = new QGridLayout(page);
    const char *const nombres[] = {"Lunes", "Martes", "Miércoles", "Jueves", "Viernes", "Sábado", "Domingo"};
    grid->addWidget(new QLabel(QStringLiteral("Inicio")), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Final")), 0, 2);
    for (int d = 0; d < 7; ++d) {
        const QString dia = QString::fromLatin1(kDias[d]);
        QLineEdit *ini = addLine(QStringLiteral("Mask%1Ini").arg(dia), 5, Length::Typed);
        QLineEdit *fi = addLine(QStringLiteral("Mask%1Fi").arg(dia), 5, Length::Typed);
        for (QLineEdit *e : {ini, fi}) {
            soloLectura(e);
            e->setCursor(Qt::PointingHandCursor);
        }
        grid->addWidget(label(QString::fromUtf8(nombres[d]), ini), d + 1, 0);
        grid->addWidget(ini, d + 1, 1);
        grid->addWidget(fi, d + 1, 2);
    }
    grid->setRowStretch(8, 1);
    grid->setColumnStretch(3, 1);
    return page;
}

namespace {

// A field that takes up to n digits.
void digits(QLineEdit *e, int n)
{
    e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(n)), e));
}

} // namespace

QWidget *Form2::buildPaginaNormativa()
{
    auto *page = new QWidget;
    auto *grid = new QGridLayout(page);
    grid->addWidget(buildPeriods(), 0, 0);
    grid->addWidget(buildLimits(), 1, 0);
    grid->addWidget(buildActuations(), 2, 0);
    grid->addLayout(buildAttenuation(), 3, 0);
    grid->setRowStretch(4, 1);
    return page;
}

// The day period (the night's complement, not typed) and the night period.
QWidget *Form2::buildPeriods()
{
    auto *periodos = new QGroupBox(QStringLiteral("Periodos"));
    periodos->setObjectName(QStringLiteral("FramePeriodos"));
    auto *pl = new QGridLayout(periodos);
    const char *const horas[][2] = {{"MaskEmpiezaDia", "MaskTerminaDia"}, {"MaskEmpiezaNoche", "MaskTerminaNoche"}};
    const char *const nombres[] = {"Día:", "Noche:"};
    for (int i = 0; i < 2; ++i) {
        QLineEdit *a = addLine(QString::fromLatin1(horas[i][0]));
        QLineEdit *b = addLine(QString::fromLatin1(horas[i][1]));
        for (QLineEdit *e : {a, b})
            e->setInputMask(QStringLiteral("99:99;_"));
        if (i == 0) {
            soloLectura(a);
            soloLectura(b);
        }
        pl->addWidget(label(QString::fromUtf8(nombres[i]), a), i, 0);
        pl->addWidget(a, i, 1);
        auto *dash = new QLabel(QStringLiteral("-"));
        dash->setProperty("Tag", QStringLiteral("!"));
        pl->addWidget(dash, i, 2);
        pl->addWidget(b, i, 3);
    }
    pl->setColumnStretch(4, 1);
    return periodos;
}

// The day and night limits of emission and reception, and the LFmax limit.
QWidget *Form2::buildLimits()
{
    auto *limites = new QGroupBox(QStringLiteral("Límites LeqT (dBA)"));
    limites->setObjectName(QStringLiteral("FrameLimites"));
    auto *ll = new QGridLayout(limites);
    ll->addWidget(new QLabel(QStringLiteral("Día")), 0, 1);
    ll->addWidget(new QLabel(QStringLiteral("Noche")), 0, 2);
    const char *const lim[][3] = {{"Emisión:", "MaskDiaLocal", "MaskNitLocal"},
                                  {"Recepción:", "MaskDiaVei", "MaskNitVei"}};
    for (int i = 0; i < 2; ++i) {
        QLineEdit *dia = addLine(QString::fromLatin1(lim[i][1]), 3, Length::Typed);
        QLineEdit *noche = addLine(QString::fromLatin1(lim[i][2]), 3, Length::Typed);
        digits(dia, 3);
        digits(noche, 3);
        ll->addWidget(label(QString::fromUtf8(lim[i][0]), dia), i + 1, 0);
        ll->addWidget(dia, i + 1, 1);
        ll->addWidget(noche, i + 1, 2);
    }
    ll->addWidget(new QLabel(QStringLiteral("(de 60 a 120)")), 1, 3);
    QLineEdit *mfast = addLine(QStringLiteral("MaskMFast"), 3, Length::Typed);
    digits(mfast, 3);
    ll->addWidget(label(QStringLiteral("Límite LFmax:"), mfast), 3, 0);
    ll->addWidget(mfast, 3, 1);
    ll->addWidget(new QLabel(QStringLiteral("(de 60 a 120)")), 3, 3);
    ll->setColumnStretch(4, 1);
    return limites;
}

// The actuation of each limit: Leq over its seconds, Leq125ms, or (reception) none.
QWidget *Form2::buildActuations()
{
    auto *actuacion = new QGroupBox(QStringLiteral("Tipo de actuación"));
    actuacion->setObjectName(QStringLiteral("FrameActuacion"));
    auto *al = new QGridLayout(actuacion);
    auto option = [this](const char *name, const char *caption, QButtonGroup *group) {
        auto *o = new QRadioButton(QString::fromUtf8(caption));
        o->setObjectName(QString::fromLatin1(name));
        group->addButton(o);
        m_fields.insert(o->objectName(), o);
        watch(o);
        connect(o, &QRadioButton::clicked, this, [this] { markModified(); });
        return o;
    };
    auto *local = new QButtonGroup(this);
    auto *vei = new QButtonGroup(this);
    QLineEdit *tLoc = addLine(QStringLiteral("MaskTempsActLoc"), 2, Length::Typed);
    QLineEdit *tVei = addLine(QStringLiteral("MaskTempsActVei"), 2, Length::Typed);
    digits(tLoc, 2);
    digits(tVei, 2);
    // A new sheet leaves the seconds as they are: they start at the lowest valid value.
    tLoc->setText(QStringLiteral("01"));
    tVei->setText(QStringLiteral("01"));
    // One row per limit: its "Leq n s" option with the seconds, then "Leq125ms".
    auto row = [&](int r, const char *caption, const char *leq1s, QLineEdit *seconds, const char *leq125,
                   QButtonGroup *group) {
        al->addWidget(new QLabel(QString::fromUtf8(caption)), r, 0);
        QRadioButton *o = option(leq1s, "Leq", group);
        al->addWidget(o, r, 1);
        al->addWidget(seconds, r, 2);
        al->addWidget(new QLabel(QStringLiteral("s")), r, 3);
        al->addWidget(option(leq125, "Leq125ms", group), r, 4);
        return o;
    };
    QRadioButton *loc1 = row(0, "Emisión:", "OptionLocalLeq1s", tLoc, "OptionLocalLeq125", local);
    QRadioButton *vei1 = row(1, "Recepción:", "OptionVeiLeq1s", tVei, "OptionVeiLeq125", vei);
    al->addWidget(option("OptionVeiNo", "No actúa", vei), 1, 5);
    connect(loc1, &QRadioButton::clicked, this, [tLoc] { tLoc->setText(sheet::actuationLowerBound(tLoc->text())); });
    connect(vei1, &QRadioButton::clicked, this, [tVei] { tVei->setText(sheet::actuationLowerBound(tVei->text())); });
    al->setColumnStretch(6, 1);
    return actuacion;
}

QLayout *Form2::buildAttenuation()
{
    auto *aten = new QHBoxLayout;
    QLineEdit *tAten = addLine(QStringLiteral("MaskTiempoAtenuacion"), 4, Length::Typed);
    digits(tAten, 4);
    aten->addWidget(label(QStringLiteral("Tiempo de atenuación:"), tAten));
    aten->addWidget(tAten);
    aten->addWidget(new QLabel(QStringLiteral("s")));
    aten->addWidget(new QLabel(QStringLiteral("Debe ser de 2 a 9999.")));
    aten->addWidget(new QLabel(QStringLiteral("0 - Sin atenuación de 60dB")));
    aten->addStretch();
    return aten;
}

QWidget *Form2::buildPaginaOctavas()
{
    auto *page = new QWidget;
    auto *form = new QFormLayout(page);
    const char *const bandas[] = {"31,5 Hz", "63 Hz", "125 Hz", "250 Hz", "500 Hz", "1 kHz", "2 kHz", "4 kHz", "8 kHz"};
    for (int i = 0; i < 9; ++i) {
        QLineEdit *e = addLine(QStringLiteral("MaskOctava%1").arg(i + 1), 6, Length::Typed);
        e->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[0-9]{0,2}([.,][0-9]?)?")), e));
        auto *l = label(QString::fromLatin1(bandas[i]), e);
        l->setProperty("Tag", QStringLiteral("!"));
        form->addRow(l, e);
    }
    form->addRow(new QLabel(QStringLiteral("Correcciones en dB")));
    return page;
}

QWidget *Form2::buildPaginaIntervalos()
{
    auto *page = new QWidget;
    auto *v = new QVBoxLayout(page);
    auto *heads = new QHBoxLayout;
    auto *empieza = new QLabel(QStringLiteral("Empieza:"));
    empieza->setObjectName(QStringLiteral("SSPanelEmpieza"));
    auto *termina = new QLabel(QStringLiteral("Termina:"));
    termina->setObjectName(QStringLiteral("SSPanelTermina"));
    heads->addSpacing(40);
    heads->addWidget(empieza, 1, Qt::AlignHCenter);
    heads->addWidget(termina, 1, Qt::AlignHCenter);
    v->addLayout(heads);
    m_grid = new TDBGrid;
    m_grid->setObjectName(QStringLiteral("TDBGrid1"));
    m_grid->setModel(m_matriz);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_grid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_grid->setEditTriggers(QAbstractItemView::AllEditTriggers);
    watch(m_grid);
    v->addWidget(m_grid, 1);
    return page;
}

QWidget *Form2::campo(const QString &name) const
{
    return m_fields.value(name);
}

QString Form2::texto(const QString &name) const
{
    QWidget *w = m_fields.value(name);
    if (auto *e = qobject_cast<QLineEdit *>(w))
        return e->text();
    if (auto *t = qobject_cast<QPlainTextEdit *>(w))
        return t->toPlainText();
    return QString();
}

void Form2::setTexto(const QString &name, const QString &text)
{
    if (name == QLatin1String("MaskNumeroSerie") && valorInicial(text) != m_filaCargada)
        m_filaCargada = 0; // another device's sheet: no longer the stored row's
    QWidget *w = m_fields.value(name);
    if (auto *e = qobject_cast<QLineEdit *>(w)) {
        e->setText(text);
    } else if (auto *t = qobject_cast<QPlainTextEdit *>(w)) {
        t->setPlainText(text);
    }
}

namespace {

// The sheet's fields of the week's opening hours, Monday to Sunday.
const char *const kCamposHorario[horario::kDias][2] = {
    {"MaskLunesIni", "MaskLunesFi"},     {"MaskMartesIni", "MaskMartesFi"},   {"MaskMiercolesIni", "MaskMiercolesFi"},
    {"MaskJuevesIni", "MaskJuevesFi"},   {"MaskViernesIni", "MaskViernesFi"}, {"MaskSabadoIni", "MaskSabadoFi"},
    {"MaskDomingoIni", "MaskDomingoFi"},
};

} // namespace

horario::Semana Form2::horario() const
{
    horario::Semana semana;
    for (int d = 0; d < horario::kDias; ++d)
        semana[d] = {texto(QLatin1String(kCamposHorario[d][0])), texto(QLatin1String(kCamposHorario[d][1]))};
    return semana;
}

void Form2::setHorario(const horario::Semana &semana)
{
    for (int d = 0; d < horario::kDias; ++d) {
        setTexto(QLatin1String(kCamposHorario[d][0]), semana[d].inicio);
        setTexto(QLatin1String(kCamposHorario[d][1]), semana[d].fin);
    }
}

qint32 Form2::numeroSerie() const
{
    if (m_filaCargada != 0)
        return m_filaCargada; // the stored row on screen
    return static_cast<qint32>(valorInicial(texto(QStringLiteral("MaskNumeroSerie"))));
}

void Form2::markModified() const
{
    modulo1().FitxaModificada = true;
}

void Form2::publicaIntervalos(const std::array<FilaInhabil, grid::kRows> &filas) const
{
    std::ranges::copy(filas, modulo1().IntervalosInhabiles.begin());
}

void Form2::entrega(const FitxaProgramacio &f, const EstadoFitxa &estado) const
{
    publicaIntervalos(f.MatrizInhabil);
    modulo1().FitxaModificada = estado.modificada;
}

void Form2::focusField(const QString &name)
{
    QWidget *w = name == QLatin1String("TDBGrid1") ? m_grid : campo(name);
    if (!w)
        return;
    for (int i = 0; i < m_tab->count(); ++i)
        if (m_tab->widget(i)->isAncestorOf(w))
            m_tab->setCurrentIndex(i);
    // The field left on the way runs no check of its own: the user is sent here.
    m_inCheck = true;
    activateWindow();
    w->setFocus(Qt::OtherFocusReason);
    m_inCheck = false;
    if (auto *e = qobject_cast<QLineEdit *>(w))
        e->selectAll();
}

bool Form2::eventFilter(QObject *watched, QEvent *event)
{
    auto *w = qobject_cast<QWidget *>(watched);
    if (!w)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn: {
        // The field that has the focus when the window opens or comes back names itself too.
        if (static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason)
            onFocusIn(w == m_tab->tabBar() ? m_tab->objectName() : w->objectName());
        break;
    }
    case QEvent::FocusOut: {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            onFocusOut(w);
        break;
    }
    case QEvent::KeyPress:
        if (onKey(w, static_cast<QKeyEvent *>(event)))
            return true;
        break;
    case QEvent::MouseButtonRelease:
        if (w->objectName().startsWith(QLatin1String("Mask")) &&
            (w->objectName().endsWith(QLatin1String("Ini")) || w->objectName().endsWith(QLatin1String("Fi"))) &&
            qobject_cast<QLineEdit *>(w) && qobject_cast<QLineEdit *>(w)->isReadOnly() &&
            w->objectName() != QLatin1String("MaskNumeroSerie")) {
            QTimer::singleShot(0, this, &Form2::openTimetable);
        } else if (w->objectName() == QLatin1String("MaskNumeroSerie")) {
            auto *e = qobject_cast<QLineEdit *>(w);
            e->setCursorPosition(e->text().size());
        }
        break;
    default: break;
    }
    return QDialog::eventFilter(watched, event);
}

void Form2::onFocusIn(const QString &name)
{
    if (name == QLatin1String("SSTab2")) {
        CampActual.clear();
        return;
    }
    for (const char *b : kClearingButtons) {
        if (name == QLatin1String(b)) {
            CampActual.clear();
            return;
        }
    }
    if (const FieldRule *r = ruleOf(name)) {
        if (r->focus == Focus::Name)
            CampActual = name;
        else if (r->focus == Focus::Clear)
            CampActual.clear();
    }
}

bool Form2::onKey(QWidget *w, QKeyEvent *key)
{
    const QString text = key->text();
    if (text.isEmpty() || teclaDeNavegacion(key))
        return false;
    const QChar c = text.at(0);
    const FieldRule *r = ruleOf(w->objectName());
    if (!r) // the grid's cells and every other control of the window refuse "+" and "-" too
        return !sheet::acceptsKey(c, false, false);
    switch (r->key) {
    case Key::None: return !sheet::acceptsKey(c, false, false);
    case Key::Discard: markModified(); return true;
    case Key::DiscardQuiet: return true;
    case Key::Modified: markModified(); return !sheet::acceptsKey(c, false, false);
    case Key::BlankModified: markModified(); return !sheet::acceptsKey(c, true, false);
    case Key::Signed: markModified(); return !sheet::acceptsKey(c, false, true);
    }
    return false;
}

void Form2::applyCheck(QWidget *w, const QString &text, int message, bool focusBack, bool pageNormativa)
{
    if (auto *e = qobject_cast<QLineEdit *>(w)) {
        if (e->text() != text)
            e->setText(text);
    }
    if (message)
        ui::MsgBox(oLocGuru().GetS(message), ui::Icon::Critical, ui::OkOnly, this);
    if (focusBack) {
        // The field is left while the tab control may still be changing pages (Ctrl+Tab, a
        // tab pressed through the accessibility bus): the page, the tab bar and the focus
        // come back together once that change has ended, never in the middle of it.
        QPointer<QWidget> field(w);
        QTimer::singleShot(0, this, [this, field, pageNormativa] {
            if (!field)
                return;
            // The fields the focus passes on its way back run no check of their own.
            const bool inCheck = m_inCheck;
            m_inCheck = true;
            if (pageNormativa)
                m_tab->setCurrentIndex(sheet::kPaginaNormativa);
            // The window the message box left comes back to the front with the field.
            activateWindow();
            field->setFocus(Qt::OtherFocusReason);
            m_inCheck = inCheck;
            // The text is selected, so that the user types the value again over it.
            if (auto *e = qobject_cast<QLineEdit *>(field.data()))
                e->selectAll();
        });
    }
}

namespace {

// What the check of a field on its leaving gives for the text it holds now; the night
// period's check also gives the day period.
sheet::CheckResult resultadoDe(const Form2 &form, const QString &name, Leave leave)
{
    const QString text = form.texto(name);
    switch (leave) {
    case Leave::Nothing:
    case Leave::Modified: break;
    case Leave::LimiteEmision: return sheet::checkLimiteEmision(text);
    case Leave::LimiteRecepcion: return sheet::checkLimiteRecepcion(text);
    case Leave::Noche:
        return sheet::checkNoche(name == QLatin1String("MaskEmpiezaNoche"),
                                 form.texto(QStringLiteral("MaskEmpiezaNoche")),
                                 form.texto(QStringLiteral("MaskTerminaNoche")));
    case Leave::Fecha: {
        sheet::CheckResult r = sheet::checkFecha(text);
        r.text = text;
        return r;
    }
    case Leave::MFast: return sheet::checkMFast(text);
    case Leave::TLeq: return sheet::checkTLeq(text);
    case Leave::TempsAct: return sheet::checkTempsAct(text);
    case Leave::Atenuacion: return sheet::checkTiempoAtenuacion(text);
    case Leave::Rings: return sheet::checkRings(text);
    }
    return sheet::CheckResult{text};
}

} // namespace

void Form2::onFocusOut(QWidget *w)
{
    const FieldRule *rule = ruleOf(w->objectName());
    if (m_inCheck || !rule || rule->leave == Leave::Nothing)
        return;
    if (rule->leave == Leave::Modified) {
        markModified();
        return;
    }
    m_inCheck = true;
    const sheet::CheckResult r = resultadoDe(*this, w->objectName(), rule->leave);
    if (rule->leave == Leave::Noche && !r.message && r.dayPeriod) {
        setTexto(QStringLiteral("MaskEmpiezaDia"), r.dayPeriod->start);
        setTexto(QStringLiteral("MaskTerminaDia"), r.dayPeriod->end);
    }
    applyCheck(w, r.text, r.message, r.focusBack, r.pageNormativa);
    m_inCheck = false;
}

bool Form2::camposRevisados()
{
    for (const FieldRule &rule : kRules) {
        // The date is judged by the save itself, with the same message.
        if (rule.leave == Leave::Nothing || rule.leave == Leave::Modified || rule.leave == Leave::Fecha)
            continue;
        const QString name = QString::fromUtf8(rule.name);
        QWidget *w = campo(name);
        if (!w || !w->isEnabled())
            continue;
        // The seconds of an actuation count only with their "Leq" option.
        if (rule.leave == Leave::TempsAct) {
            const bool local = name == QLatin1String("MaskTempsActLoc");
            auto *leq = qobject_cast<QRadioButton *>(
                campo(local ? QStringLiteral("OptionLocalLeq1s") : QStringLiteral("OptionVeiLeq1s")));
            if (!leq || !leq->isChecked())
                continue;
        }
        const sheet::CheckResult r = resultadoDe(*this, name, rule.leave);
        if (!r.message && r.text == texto(name))
            continue;
        // The field's check has its say where the user sees it: the text it corrects, or
        // its message, with the field in front; nothing is stored or sent this time.
        m_inCheck = true;
        applyCheck(w, r.text, r.message, false, false);
        m_inCheck = false;
        focusField(name);
        return false;
    }
    return true;
}

void Form2::TDBGrid1_PostEvent(int code)
{
    const int text = grid::messageOf(code);
    if (text)
        ui::MsgBox(oLocGuru().GetS(text), ui::Icon::None, ui::OkOnly, this);
}

void Form2::TDBGrid1_LostFocus()
{
    markModified();
    publicaIntervalos(m_matriz->handedOver());
}

void Form2::Timer1_Timer()
{
    const QDateTime now = QDateTime::currentDateTime();
    if (auto *f = findChild<QLabel *>(QStringLiteral("TextFecha")))
        f->setText(now.toString(QStringLiteral("dd/MM/yy")));
    if (auto *h = findChild<QLabel *>(QStringLiteral("TextHora")))
        h->setText(now.toString(QStringLiteral("HH:mm:ss")));
}

void Form2::setCalendarNames()
{
    QCalendarWidget *cal = m_calendario;
    // Day names follow the language's locale; the month names are the program's own texts.
    const IdiomaPrograma *idioma = idiomaDeCodigo(modulo1().CodigoIdioma);
    cal->setLocale(QLocale(idioma ? idioma->locale : QLocale::Spanish));
    if (auto *month = cal->findChild<QToolButton *>(QStringLiteral("qt_calendar_monthbutton"))) {
        if (QMenu *menu = month->menu()) {
            const QList<QAction *> actions = menu->actions();
            for (int i = 0; i < actions.size() && i < 12; ++i)
                actions[i]->setText(oLocGuru().GetS(158 + i));
        }
    }
}

void Form2::openTimetable()
{
    abreVentana(QStringLiteral("Form10"), true, this);
}

void Form2::keyPressEvent(QKeyEvent *event)
{
    // Escape leaves the window as its frame does (the dialog would otherwise just hide itself).
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Form2::closeEvent(QCloseEvent *event)
{
    // Closing by the frame offers to save a changed sheet, as the Exit button does.
    // A cell still being edited belongs to the sheet that is offered for saving.
    m_grid->commitEdit();
    if (!m_closingByButton) {
        // A new sheet's typing the user keeps, or a save accepted that failed, keeps
        // the window open: the main window's exit and the language change stop here too.
        if (!mayLeaveNewSheet() || ofreceGuardarCambios() == Oferta::Fallida) {
            event->ignore();
            return;
        }
    }
    m_timer1->stop();
    QDialog::closeEvent(event);
}

} // namespace slx
