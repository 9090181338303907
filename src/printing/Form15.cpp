#include "printing/Form15.h"

#include "base/FormRegistry.h"
#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "base/TextoPropio.h"
#include "base/Ventanas.h"
#include "printing/PagePainter.h"
#include "printing/ReportEngine.h"
#include "widgets/HelpWindow.h"
#include "widgets/Iconos.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPdfWriter>
#include <QPrinter>
#include <QProgressDialog>
#include <QSpinBox>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace slx {

namespace {

QToolButton *boton(QWidget *parent, const QString &nombre, QStyle::StandardPixmap icono, const QString &consejo,
                   bool propio)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(nombre);
    b->setIcon(parent->style()->standardIcon(icono));
    b->setToolTip(consejo);
    b->setAutoRaise(true);
    b->setIconSize(QSize(24, 24));
    if (propio) // the preview's own controls stay out of the text export
        b->setProperty("Tag", QStringLiteral("!"));
    return b;
}

} // namespace

Form15::Form15(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form15"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    auto *raiz = new QVBoxLayout(this);
    raiz->setContentsMargins(4, 4, 4, 4);
    auto *barra = new QHBoxLayout;

    m_imprimir = boton(this, QStringLiteral("SSCommandImprimir"), QStyle::SP_DialogSaveButton,
                       QStringLiteral("Imprimir"), false);
    m_imprimir->setIcon(iconoImprimir());
    auto *volver = boton(this, QStringLiteral("SSCommandExit"), QStyle::SP_ArrowBack, QStringLiteral("Volver"), false);
    auto *ayuda =
        boton(this, QStringLiteral("SSCommandHelp"), QStyle::SP_DialogHelpButton, QStringLiteral("Ayuda"), false);
    ayuda->setIcon(iconoAyuda());
    connect(m_imprimir, &QToolButton::clicked, this, &Form15::SSCommandImprimir_Click);
    connect(volver, &QToolButton::clicked, this, &Form15::SSCommandExit_Click);
    connect(ayuda, &QToolButton::clicked, this, &Form15::SSCommandHelp_Click);
    barra->addWidget(m_imprimir);
    barra->addWidget(volver);
    barra->addWidget(ayuda);
    barra->addSpacing(16);

    VSPrinter1 = new PageView(this);
    VSPrinter1->setObjectName(QStringLiteral("VSPrinter1"));

    auto *primera =
        boton(this, QStringLiteral("Primera"), QStyle::SP_MediaSkipBackward, TextoPropio("First page"), true);
    auto *anterior =
        boton(this, QStringLiteral("Anterior"), QStyle::SP_MediaSeekBackward, TextoPropio("Previous page"), true);
    m_pagina = new QSpinBox(this);
    m_pagina->setObjectName(QStringLiteral("Pagina"));
    m_pagina->setProperty("Tag", QStringLiteral("!"));
    m_pagina->setRange(0, 0);
    m_pagina->setKeyboardTracking(false);
    m_paginas = new QLabel(this);
    m_paginas->setObjectName(QStringLiteral("Paginas"));
    m_paginas->setProperty("Tag", QStringLiteral("!"));
    auto *siguiente =
        boton(this, QStringLiteral("Siguiente"), QStyle::SP_MediaSeekForward, TextoPropio("Next page"), true);
    auto *ultima = boton(this, QStringLiteral("Ultima"), QStyle::SP_MediaSkipForward, TextoPropio("Last page"), true);
    for (QWidget *w :
         {static_cast<QWidget *>(primera), static_cast<QWidget *>(anterior), static_cast<QWidget *>(m_pagina),
          static_cast<QWidget *>(m_paginas), static_cast<QWidget *>(siguiente), static_cast<QWidget *>(ultima)})
        barra->addWidget(w);
    barra->addSpacing(16);
    connect(primera, &QToolButton::clicked, VSPrinter1, [this] { VSPrinter1->irAPagina(0); });
    connect(anterior, &QToolButton::clicked, VSPrinter1,
            [this] { VSPrinter1->irAPagina(VSPrinter1->paginaActual() - 1); });
    connect(siguiente, &QToolButton::clicked, VSPrinter1,
            [this] { VSPrinter1->irAPagina(VSPrinter1->paginaActual() + 1); });
    connect(ultima, &QToolButton::clicked, VSPrinter1, [this] { VSPrinter1->irAPagina(VSPrinter1->paginas() - 1); });
    connect(m_pagina, &QSpinBox::valueChanged, this, [this](int v) {
        if (!m_actualizando && v > 0)
            VSPrinter1->irAPagina(v - 1);
    });

    auto *alejar = boton(this, QStringLiteral("Alejar"), QStyle::SP_ArrowDown, TextoPropio("Zoom out"), true);
    m_zoom = new QComboBox(this);
    m_zoom->setObjectName(QStringLiteral("Zoom"));
    m_zoom->setProperty("Tag", QStringLiteral("!"));
    m_zoom->setEditable(false);
    m_zoom->addItem(TextoPropio("Fit width"));
    m_zoom->addItem(TextoPropio("Fit page"));
    for (int z : {25, 50, 75, 100, 125, 150, 200, 300, 400})
        m_zoom->addItem(QStringLiteral("%1 %").arg(z), z);
    auto *acercar = boton(this, QStringLiteral("Acercar"), QStyle::SP_ArrowUp, TextoPropio("Zoom in"), true);
    connect(alejar, &QToolButton::clicked, VSPrinter1, &PageView::aleja);
    connect(acercar, &QToolButton::clicked, VSPrinter1, &PageView::acerca);
    connect(m_zoom, &QComboBox::activated, this, [this](int i) {
        if (i == 0)
            VSPrinter1->setAjuste(PageView::Ajuste::Ancho);
        else if (i == 1)
            VSPrinter1->setAjuste(PageView::Ajuste::Pagina);
        else if (m_zoom->itemData(i).toInt() > 0)
            VSPrinter1->setZoom(m_zoom->itemData(i).toInt() / 100.0);
        VSPrinter1->setFocus();
    });
    barra->addWidget(alejar);
    barra->addWidget(m_zoom);
    barra->addWidget(acercar);
    barra->addStretch();
    raiz->addLayout(barra);
    raiz->addWidget(VSPrinter1, 1);
    connect(VSPrinter1, &PageView::cambio, this, &Form15::actualizaBarra);
    resize(900, 1000);
    actualizaBarra();
}

void Form15::showEvent(QShowEvent *event)
{
    // The whole window, its buttons included, on the screen it opens on.
    if (QScreen *pantalla = screen() ? screen() : QGuiApplication::primaryScreen()) {
        const QRect libre = pantalla->availableGeometry();
        const QMargins marco = frameGeometry().isValid() && frameGeometry() != geometry()
                                   ? QMargins(geometry().left() - frameGeometry().left(),
                                              geometry().top() - frameGeometry().top(),
                                              frameGeometry().right() - geometry().right(),
                                              frameGeometry().bottom() - geometry().bottom())
                                   : QMargins(4, 30, 4, 4);
        const QRect cabe = libre.marginsRemoved(marco);
        resize(std::min(width(), cabe.width()), std::min(height(), cabe.height()));
        QRect g = geometry();
        g.moveCenter(cabe.center());
        g.moveTop(std::max(cabe.top(), std::min(g.top(), cabe.bottom() - g.height())));
        move(g.topLeft() - QPoint(marco.left(), marco.top()));
    }
    QDialog::showEvent(event);
}

Form15::~Form15() = default;

void Form15::muestra(ReportEngine *informe, QWidget *parent)
{
    auto *f = new Form15(parent);
    f->Form_Load(informe);
    muestraModal(f);
}

void Form15::Form_Load(ReportEngine *informe)
{
    setWindowTitle(ui::applicationTitle());
    m_motor = informe;
    if (!m_motor) {
        ui::MsgBox(TextoPropio("There is no report to show."), ui::Icon::Critical, ui::OkOnly, this);
        return;
    }
    if (m_motor->ocupado())
        return;
    connect(m_motor, &ReportEngine::avance, this, [this] { VSPrinter1->actualiza(); });
    connect(m_motor, &ReportEngine::terminado, this, [this] { VSPrinter1->actualiza(); });
    connect(m_motor, &ReportEngine::fallo, this, [this](const QString &descripcion) {
        VSPrinter1->actualiza();
        ui::MsgBox(descripcion, ui::Icon::Critical, ui::OkOnly, this);
    });
    if (const auto modelo = m_motor->render())
        VSPrinter1->setModelo(*modelo);
    else
        ui::MsgBox(modelo.error().mensaje(), ui::Icon::Critical, ui::OkOnly, this);
}

void Form15::actualizaBarra()
{
    m_actualizando = true;
    const int n = VSPrinter1->paginas();
    const bool completo = VSPrinter1->modelo() && VSPrinter1->modelo()->completo();
    m_pagina->setRange(n > 0 ? 1 : 0, n);
    m_pagina->setValue(n > 0 ? VSPrinter1->paginaActual() + 1 : 0);
    // While the layout goes on the count is not final.
    m_paginas->setText(
        QStringLiteral("/ %1%2").arg(n).arg(completo || !VSPrinter1->modelo() ? QString() : QStringLiteral("…")));
    const auto ajuste = VSPrinter1->ajuste();
    const int porCiento = qRound(VSPrinter1->zoom() * 100);
    // A zoom of no preset shows in an item of its own, the last one.
    const int propio = m_zoom->findData(-1);
    if (ajuste == PageView::Ajuste::Ancho) {
        m_zoom->setCurrentIndex(0);
    } else if (ajuste == PageView::Ajuste::Pagina) {
        m_zoom->setCurrentIndex(1);
    } else if (const int i = m_zoom->findData(porCiento); i >= 2) {
        m_zoom->setCurrentIndex(i);
    } else {
        const QString texto = QStringLiteral("%1 %").arg(porCiento);
        if (propio < 0)
            m_zoom->addItem(texto, -1);
        else
            m_zoom->setItemText(propio, texto);
        m_zoom->setCurrentIndex(m_zoom->findData(-1));
    }
    m_zoom->setToolTip(QStringLiteral("%1 %").arg(porCiento));
    m_actualizando = false;
}

void Form15::imprime(QPagedPaintDevice &dispositivo, int desde, int hasta)
{
    const auto modelo = VSPrinter1->modelo();
    QProgressDialog progreso(TextoPropio("Printing..."), TextoPropio("Cancel"), 0, hasta - desde + 1, this);
    progreso.setWindowTitle(ui::applicationTitle());
    progreso.setWindowModality(Qt::WindowModal);
    progreso.setMinimumDuration(400);
    const auto impreso = imprimeModelo(
        *modelo, dispositivo, desde, hasta,
        [&](int n) {
            progreso.setValue(n - 1);
            QApplication::processEvents();
            return !progreso.wasCanceled();
        });
    progreso.setValue(hasta - desde + 1);
    if (!impreso && !impresionCancelada(impreso.error()))
        ui::MsgBox(impreso.error().mensaje(), ui::Icon::Critical, ui::OkOnly, this);
}

void Form15::SSCommandImprimir_Click()
{
    // A report still being laid out is not printed.
    if (!m_motor || m_motor->ocupado())
        return;
    const auto modelo = VSPrinter1->modelo();
    if (!modelo || modelo->paginas() == 0)
        return;
    const QString pdf = qEnvironmentVariable("SLX90_PRINT_PDF");
    if (!pdf.isEmpty()) {
        QPdfWriter escritor(pdf);
        escritor.setResolution(600);
        escritor.setCreator(ui::applicationTitle());
        escritor.setTitle(ui::applicationTitle());
        imprime(escritor, 1, modelo->paginas());
        return;
    }
    QPrinter impresora(QPrinter::HighResolution);
    impresora.setDocName(ui::applicationTitle());
    impresora.setFullPage(true);
    int desde = 1;
    int hasta = modelo->paginas();
    if (!ui::PrintDialog(impresora, modelo->paginas(), &desde, &hasta, this))
        return;
    imprime(impresora, desde, hasta);
}

void Form15::SSCommandExit_Click()
{
    close();
}

void Form15::SSCommandHelp_Click()
{
    AbreAyuda(modulo1().CodigoIdioma, this);
}

void Form15::done(int result)
{
    // A layout still going on is of no use once the preview is gone.
    if (m_motor)
        m_motor->cancela();
    QDialog::done(result);
}

void registraForm15()
{
    FormRegistry::addDesign(QStringLiteral("Form15"), [] { return static_cast<QWidget *>(new Form15); });
    FormRegistry::add(QStringLiteral("Form15"), [] {
        // Opened by name, it shows the report of the last print-out.
        auto *f = new Form15;
        f->Form_Load(qobject_cast<ReportEngine *>(modulo1().InformeVistaPrevia.data()));
        return static_cast<QWidget *>(f);
    });
}

} // namespace slx
