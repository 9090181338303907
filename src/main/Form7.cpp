#include "main/Form7.h"

#include "localization/LocGuru.h"
#include "main/Arranque.h"
#include "main/Form1.h"
#include "main/MessageBox.h"
#include "main/Modulo1.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace slx {

namespace {

const qint16 kCodigos[7] = {1000, 2000, 3000, 4000, 5000, 6000, 7000};

} // namespace

Form7::Form7(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form7"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Idioma"));

    auto *frame = new QGroupBox(QStringLiteral("Idioma"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto *lf = new QVBoxLayout(frame);
    const struct {
        QRadioButton **field;
        const char *name;
        const char16_t *caption;
    } opciones[7] = {
        {&OptionEspañol, "OptionEspañol", u"Español"},      {&OptionCatalan, "OptionCatalan", u"Català"},
        {&OptionIngles, "OptionIngles", u"English"},        {&OptionAleman, "OptionAleman", u"Deutsch"},
        {&OptionFrances, "OptionFrances", u"Français"},     {&OptionItaliano, "OptionItaliano", u"Italiano"},
        {&OptionPortugues, "OptionPortugues", u"Português"}};
    for (int i = 0; i < 7; ++i) {
        auto *option = new QRadioButton(QString::fromUtf16(opciones[i].caption), frame);
        option->setObjectName(QString::fromUtf8(opciones[i].name));
        *opciones[i].field = option;
        m_options[i] = option;
        lf->addWidget(option);
        const qint16 codigo = kCodigos[i];
        connect(option, &QRadioButton::clicked, this, [this, codigo] { IdiomaSeleccionado = codigo; });
        connect(option, &QRadioButton::toggled, this, [this, codigo](bool on) {
            if (on)
                IdiomaSeleccionado = codigo;
        });
    }

    SSCommandAceptar = new QPushButton(QStringLiteral("Aceptar"), this);
    SSCommandAceptar->setObjectName(QStringLiteral("SSCommandAceptar"));
    SSCommandAceptar->setDefault(true);
    SSCommandCancelar = new QPushButton(QStringLiteral("Cancelar"), this);
    SSCommandCancelar->setObjectName(QStringLiteral("SSCommandCancelar"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(SSCommandAceptar);
    buttons->addWidget(SSCommandCancelar);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);

    connect(SSCommandAceptar, &QPushButton::clicked, this, [this] { SSCommandAceptar_Click(); });
    connect(SSCommandCancelar, &QPushButton::clicked, this, &Form7::SSCommandCancelar_Click);
    Form_Load();
}

void Form7::Form_Load()
{
    oLocGuru().TranslateForm(this);
    IdiomaSeleccionado = 0;
    for (int i = 0; i < 7; ++i)
        if (kCodigos[i] == modulo1().CodigoIdioma)
            m_options[i]->setChecked(true);
}

bool Form7::SSCommandAceptar_Click()
{
    // The other windows close first, through their own close (a changed sheet offers
    // to save); one that stays open keeps everything as it was.
    if (!Form1::CierraOtrasVentanas(this))
        return false;
    Modulo1 &m = modulo1();
    m.CodigoIdioma = IdiomaSeleccionado;
    const QString lcid = lcidDeCodigo(m.CodigoIdioma);
    if (!lcid.isEmpty() && !GrabaIni(QLatin1String(kSeccionIni), QStringLiteral("Language"), lcid, ficheroIni()))
        ui::MsgBox(QCoreApplication::translate("Arranque", "The settings file %1 cannot be written.").arg(ficheroIni()),
                   ui::Icon::Critical, ui::OkOnly, this);
    // The caller restarts the main window once the dialog is gone.
    accept();
    return true;
}

void Form7::SSCommandCancelar_Click()
{
    reject();
}

} // namespace slx
