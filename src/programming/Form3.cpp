#include "programming/Form3.h"

#include "base/FormRegistry.h"
#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "link/DeviceSession.h"
#include "link/LinkTimings.h"
#include "localization/LocGuru.h"
#include "programming/Form2.h"
#include "programming/ProgrammingExchange.h"
#include "programming/RealTimeMonitor.h"
#include "widgets/HelpWindow.h"
#include "widgets/SessionGuard.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QScopeGuard>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace slx {

Form3::Form3(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form3"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildUi();
    m_timer2 = new QTimer(this);
    m_timer2->setObjectName(QStringLiteral("Timer2"));
    m_timer2->setSingleShot(true);
    m_timer2->setInterval(linkTimings().vigilanteMs);
    m_timer3 = new QTimer(this);
    m_timer3->setObjectName(QStringLiteral("Timer3"));
    m_timer3->setSingleShot(true);
    m_timer3->setTimerType(Qt::PreciseTimer);
    m_timer3->setInterval(linkTimings().pausaTiempoRealMs);
}

Form3::~Form3()
{
    if (m_ficha)
        m_ficha->setEnabled(true);
}

QLabel *Form3::etiqueta(const QString &name, const QString &text)
{
    auto *l = new QLabel(text);
    l->setObjectName(name);
    return l;
}

void Form3::buildUi()
{
    auto *root = new QVBoxLayout(this);

    // Values set at run time: kept out of the translation and of the text export.
    const auto valor = [this](const QString &name) {
        QLabel *l = etiqueta(name, QString());
        l->setProperty("Tag", QStringLiteral("!"));
        return l;
    };
    // Status labels keep their place when hidden, so that nothing jumps while
    // values come.
    const auto estado = [this](const QString &name, const QString &text) {
        QLabel *l = etiqueta(name, text);
        QSizePolicy p = l->sizePolicy();
        p.setRetainSizeWhenHidden(true);
        l->setSizePolicy(p);
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
        l->hide();
        return l;
    };

    auto *top = new QHBoxLayout;
    m_fecha = valor(QStringLiteral("LbFecha"));
    m_hora = valor(QStringLiteral("LbHora"));
    m_noche = valor(QStringLiteral("LbNoche"));
    top->addWidget(m_fecha);
    top->addWidget(m_hora);
    top->addWidget(m_noche);
    top->addStretch();
    root->addLayout(top);

    auto *flags = new QGridLayout;
    m_sesion = estado(QStringLiteral("LbSesion"), QStringLiteral("SESIÓN"));
    m_red = estado(QStringLiteral("LbRed"), QStringLiteral("RED DESCONECTADA"));
    m_sensor = estado(QStringLiteral("LbSensor"), QStringLiteral("SENSOR INACTIVO"));
    m_inhabil = estado(QStringLiteral("LbInhabil"), QStringLiteral("INTERVALO INHÁBIL"));
    flags->addWidget(m_sesion, 0, 0);
    flags->addWidget(m_red, 0, 1);
    flags->addWidget(m_sensor, 1, 0);
    flags->addWidget(m_inhabil, 1, 1);
    root->addLayout(flags);

    auto *values = new QGridLayout;
    m_nivel = valor(QStringLiteral("LbNivel"));
    m_atenuador = valor(QStringLiteral("LbAtenuador"));
    QFont big = m_nivel->font();
    big.setPointSizeF(big.pointSizeF() * 2);
    big.setBold(true);
    m_nivel->setFont(big);
    m_atenuador->setFont(big);
    // Monospaced digits would move less, but the attenuation's own blanks ("  0")
    // keep it steady.
    m_nivel->setMinimumWidth(m_nivel->fontMetrics().horizontalAdvance(QStringLiteral("000.0")));
    m_atenuador->setMinimumWidth(m_atenuador->fontMetrics().horizontalAdvance(QStringLiteral("-000")));
    m_nivel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_atenuador->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QLabel *nivel = etiqueta(QStringLiteral("LabelNivel"), QStringLiteral("Nivel (dBA):"));
    nivel->setBuddy(m_nivel);
    QLabel *atenuacion = etiqueta(QStringLiteral("LabelAtenuador"), QStringLiteral("Atenuación (dB):"));
    atenuacion->setBuddy(m_atenuador);
    m_barra = new QProgressBar;
    m_barra->setObjectName(QStringLiteral("ProgressBar1"));
    m_barra->setRange(0, kMaximoBarra);
    m_barra->setTextVisible(false);
    QSizePolicy keep = m_barra->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_barra->setSizePolicy(keep);
    m_barra->hide();
    values->addWidget(nivel, 0, 0);
    values->addWidget(m_nivel, 0, 1);
    values->addWidget(atenuacion, 1, 0);
    values->addWidget(m_atenuador, 1, 1);
    values->addWidget(m_barra, 2, 0, 1, 3);
    values->setColumnStretch(2, 1);
    root->addLayout(values);
    root->addStretch();

    auto *buttons = new QHBoxLayout;
    const auto boton = [this, buttons](const QString &name, const QString &caption, void (Form3::*slot)()) {
        auto *b = new QPushButton(caption);
        b->setObjectName(name);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, slot);
        buttons->addWidget(b);
        return b;
    };
    m_run = boton(QStringLiteral("SSCommandRun"), QStringLiteral("Iniciar"), &Form3::SSCommandRun_Click);
    m_stop = boton(QStringLiteral("SSCommandStop"), QStringLiteral("Parar"), &Form3::SSCommandStop_Click);
    m_exit = boton(QStringLiteral("SSCommandExit"), QStringLiteral("Salir"), &Form3::SSCommandExit_Click);
    m_help = boton(QStringLiteral("SSCommandHelp"), QStringLiteral("Ayuda"), &Form3::SSCommandHelp_Click);
    m_stop->hide();
    root->addLayout(buttons);
    setMinimumWidth(360);
}

QWidget *Form3::ficha() const
{
    return FormRegistry::instance(QStringLiteral("Form2"));
}

std::optional<FitxaProgramacio> Form3::fichaEnPantalla() const
{
    if (auto *sheet = qobject_cast<Form2 *>(m_ficha.data()))
        return sheet->fitxa();
    return std::nullopt;
}

void Form3::Form_Load()
{
    oLocGuru().TranslateForm(this);
    setWindowTitle(ui::applicationTitle());
    // The sheet stays off while the monitor is open; it may be missing (the text
    // export).
    m_ficha = ficha();
    if (m_ficha && m_ficha != this) {
        m_ficha->setEnabled(false);
        colocaSobreFicha();
        if (const auto f = fichaEnPantalla())
            modulo1().TelefonoAparato = f->MaskTelefono;
    } else {
        m_ficha = nullptr;
    }
    SalirAlTerminar = false;
    m_atenuador->setText(QStringLiteral("0"));
    m_nivel->setText(QStringLiteral("---"));
}

void Form3::colocaSobreFicha()
{
    // 100 twips inside the sheet's upper right corner.
    adjustSize();
    const int inset = qRound(100.0 * logicalDpiX() / 1440.0);
    const QRect sheet = m_ficha->frameGeometry();
    move(sheet.x() + sheet.width() - frameGeometry().width() - inset, sheet.y() + inset);
}

void Form3::muestra(const RealTimeDisplay &v)
{
    m_fecha->setText(v.LbFecha);
    m_hora->setText(v.LbHora);
    m_sesion->setVisible(v.LbSesion);
    m_noche->setText(v.LbNoche);
    m_red->setVisible(v.LbRed);
    m_sensor->setVisible(v.LbSensor);
    m_inhabil->setVisible(v.LbInhabil);
    m_nivel->setText(v.LbNivel);
    m_atenuador->setText(v.LbAtenuador);
    if (v.ProgressBar1Visible)
        m_barra->setValue(v.ProgressBar1);
    m_barra->setVisible(v.ProgressBar1Visible);
}

void Form3::idle()
{
    m_run->show();
    m_stop->hide();
    m_help->setEnabled(true);
    m_exit->setEnabled(true);
}

void Form3::SSCommandRun_Click()
{
    if (m_ejecutando || DeviceSession::running())
        return;
    m_ejecutando = true;
    QPointer<Form3> self(this);
    try {
        run();
    } catch (const std::exception &e) {
        // The session has put the window and the port back on its way out.
        if (self)
            ui::MsgBox(QString::fromLocal8Bit(e.what()), ui::Icon::Critical, ui::OkOnly, this);
    }
    if (!self)
        return;
    m_ejecutando = false;
    if (SalirAlTerminar) {
        close();
        return;
    }
    idle();
}

void Form3::run()
{
    Modulo1 &m = modulo1();
    SessionOptions options;
    options.enlace = ajustesEnlace(m);
    options.telefono = m.TelefonoAparato;
    options.sendCan = false;
    options.watchdog = m_timer2;
    m_timer2->setInterval(linkTimings().vigilanteMs);
    m_timer3->setInterval(linkTimings().pausaTiempoRealMs);
    GuardOptions look;
    look.busy = [this](bool on) {
        if (!on)
            return;
        m_run->hide();
        m_stop->show();
        repaint();
    };
    DeviceSession session(options);
    // Stop cancels this session, from the dial on.
    m_session = &session;
    const auto forget = qScopeGuard([this] { m_session = nullptr; });
    // Exit and Help are off while the run connects; Stop gives Exit back.
    SessionGuard guard(this, {m_exit, m_help}, session, look);
    if (guard.start() != DeviceSession::Outcome::Ready)
        return;

    // The device must be the one of the sheet; a serial field that is no number
    // is another device.
    const auto f = fichaEnPantalla();
    if (numeroSerieFitxa(f ? f->MaskNumeroSerie : QString()) != m.NumeroSerieAparato) {
        m_stop->hide();
        m_run->show();
        ui::MsgBox(oLocGuru().GetS(63), ui::Icon::Critical, ui::OkOnly, this);
        return;
    }

    RealTimeMonitor monitor(session, oLocGuru().GetS(98), oLocGuru().GetS(99), m_timer3);
    RealTimeMonitor::Handlers handlers;
    handlers.shown = [this](const RealTimeDisplay &vista) {
        muestra(vista);
        emit mostrado();
    };
    handlers.failed = [this, &guard](int texto) {
        guard.report(texto);
        m_run->show();
        m_stop->hide();
    };
    monitor.run(handlers);
    idle();
}

void Form3::SSCommandStop_Click()
{
    m_stop->hide();
    m_run->show();
    m_exit->setEnabled(true);
    // Ends the dial, a receive under way or the loop after the answer being shown.
    if (m_session)
        m_session->cancel();
}

void Form3::SSCommandExit_Click()
{
    if (m_ejecutando) {
        // As Stop, then the run closes the window when it ends.
        m_stop->hide();
        m_run->show();
        SalirAlTerminar = true;
        if (m_session)
            m_session->cancel();
        return;
    }
    close();
}

void Form3::reject()
{
    // Escape and every other way a dialog is dismissed leave as Exit does (also
    // during a run).
    SSCommandExit_Click();
}

void Form3::SSCommandHelp_Click()
{
    AbreAyuda(modulo1().CodigoIdioma, this);
}

void Form3::closeEvent(QCloseEvent *event)
{
    // Closing by the frame during a run acts as Exit: the run closes the window
    // when it ends.
    if (m_ejecutando) {
        event->ignore();
        SSCommandExit_Click();
        return;
    }
    if (m_ficha) {
        m_ficha->setEnabled(true);
        m_ficha = nullptr;
    }
    // Not the dialog's own handling, which would reject() (and so come back to Exit).
    event->accept();
}

void registraForm3()
{
    FormRegistry::add(QStringLiteral("Form3"), []() -> QWidget * {
        auto *form = new Form3;
        form->Form_Load();
        return form;
    });
    // The window as designed, for the text export.
    FormRegistry::addDesign(QStringLiteral("Form3"), [] { return new Form3; });
}

} // namespace slx
