#include "import/Form16.h"

#include "base/FormRegistry.h"
#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "localization/LocGuru.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace slx {

Form16::Form16(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form16"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(ui::applicationTitle());

    fraPrincipal = new QFrame(this);
    fraPrincipal->setObjectName(QStringLiteral("fraPrincipal"));
    fraPrincipal->setFrameShape(QFrame::StyledPanel);
    lblText = new QLabel(QStringLiteral("Importando datos"), fraPrincipal);
    lblText->setObjectName(QStringLiteral("lblText"));
    lblFitxer = new QLabel(fraPrincipal);
    lblFitxer->setObjectName(QStringLiteral("lblFitxer"));
    lblFitxer->setProperty("Tag", QStringLiteral("!")); // a file name, never translated
    sscmdCancel = new QPushButton(QStringLiteral("Cancelar"), fraPrincipal);
    sscmdCancel->setObjectName(QStringLiteral("sscmdCancel"));
    lblText->setMinimumWidth(320);

    auto *botones = new QHBoxLayout;
    botones->addStretch();
    botones->addWidget(sscmdCancel);
    auto *marco = new QVBoxLayout(fraPrincipal);
    marco->addWidget(lblFitxer);
    marco->addWidget(lblText);
    marco->addLayout(botones);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(fraPrincipal);

    connect(sscmdCancel, &QPushButton::clicked, this, &Form16::sscmdCancel_Click);
    Form_Load();
}

void Form16::Form_Load()
{
    oLocGuru().TranslateForm(this);
}

void Form16::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // One import per showing, once the window is on screen.
    if (!m_activada) {
        m_activada = true;
        QTimer::singleShot(0, this, &Form16::Form_Activate);
    }
}

void Form16::Form_Activate()
{
    TextoProgreso = lblText->text();
    ImportacionCancelada = false;
    ImportaDades();
}

void Form16::ImportaDades()
{
    const QString fichero = modulo1().FicheroImportar;
    lblFitxer->setText(QFileInfo(fichero).fileName());
    m_importando = true;
    QApplication::setOverrideCursor(Qt::BusyCursor);
    QCoreApplication::processEvents();
    m_resultado = importaIntercambio(fichero, modulo1().ConexionBD, [this](const ProgresoIntercambio &p) {
        lblText->setText(QStringLiteral("%1   %2 / %3").arg(TextoProgreso).arg(p.hechas).arg(p.total));
        QCoreApplication::processEvents();
        return !ImportacionCancelada;
    });
    QApplication::restoreOverrideCursor();
    m_importando = false;

    // One box says what became of the file.
    const ResultadoIntercambio &r = m_resultado;
    ui::Icon icono = ui::Icon::Information;
    if (!r.empezada || !r.error.isEmpty())
        icono = ui::Icon::Critical;
    else if (r.conAvisos())
        icono = ui::Icon::Exclamation;
    ui::MsgBox(r.resumen(), icono, ui::OkOnly, this);
    close();
}

void Form16::sscmdCancel_Click()
{
    modulo1().FicheroImportar.clear();
    ImportacionCancelada = true;
}

void Form16::closeEvent(QCloseEvent *event)
{
    // Closing the window while it imports cancels the import; the window closes at its end.
    if (m_importando) {
        sscmdCancel_Click();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void Form16::reject()
{
    if (m_importando) {
        sscmdCancel_Click();
        return;
    }
    QDialog::reject();
}

QWidget *creaForm16()
{
    return new Form16;
}

void registraForm16()
{
    FormRegistry::add(QStringLiteral("Form16"), [] { return creaForm16(); });
}

} // namespace slx
