#include "main/Form7.h"

#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "base/TextoPropio.h"
#include "localization/LocGuru.h"
#include "main/Arranque.h"
#include "main/Form1.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace slx {

namespace {

const qint16 kCodigos[7] = {1000, 2000, 3000, 4000, 5000, 6000, 7000};

// The flag shown beside a language, drawn at the given size.
QPixmap bandera(qint16 codigo, QSize size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const qreal w = size.width(), h = size.height();
    // Stripes across (horizontal) or along (vertical), with their relative widths.
    auto franjas = [&](bool horizontal, std::initializer_list<std::pair<QColor, qreal>> bandas) {
        qreal total = 0;
        for (const auto &b : bandas)
            total += b.second;
        qreal at = 0;
        for (const auto &b : bandas) {
            const qreal len = b.second / total * (horizontal ? h : w);
            p.setBrush(b.first);
            p.drawRect(horizontal ? QRectF(0, at, w, len) : QRectF(at, 0, len, h));
            at += len;
        }
    };
    const QColor rojo(0xC6, 0x0B, 0x1E), amarillo(0xFF, 0xC4, 0x00), verde(0x00, 0x8C, 0x45);
    switch (codigo) {
    case 1000: franjas(true, {{rojo, 1}, {amarillo, 2}, {rojo, 1}}); break;
    case 2000:
        franjas(true, {{amarillo, 1},
                       {rojo, 1},
                       {amarillo, 1},
                       {rojo, 1},
                       {amarillo, 1},
                       {rojo, 1},
                       {amarillo, 1},
                       {rojo, 1},
                       {amarillo, 1}});
        break;
    case 3000: {
        p.fillRect(QRectF(0, 0, w, h), QColor(0x01, 0x21, 0x69));
        p.setPen(QPen(Qt::white, h / 5));
        p.drawLine(QPointF(0, 0), QPointF(w, h));
        p.drawLine(QPointF(0, h), QPointF(w, 0));
        p.setPen(QPen(rojo, h / 12));
        p.drawLine(QPointF(0, 0), QPointF(w, h));
        p.drawLine(QPointF(0, h), QPointF(w, 0));
        p.setPen(Qt::NoPen);
        p.fillRect(QRectF(0, h * 0.35, w, h * 0.3), Qt::white);
        p.fillRect(QRectF(w / 2 - h * 0.15, 0, h * 0.3, h), Qt::white);
        p.fillRect(QRectF(0, h * 0.42, w, h * 0.16), rojo);
        p.fillRect(QRectF(w / 2 - h * 0.08, 0, h * 0.16, h), rojo);
        break;
    }
    case 4000: franjas(true, {{Qt::black, 1}, {QColor(0xDD, 0x00, 0x00), 1}, {amarillo, 1}}); break;
    case 5000: franjas(false, {{QColor(0x00, 0x23, 0x95), 1}, {Qt::white, 1}, {QColor(0xED, 0x29, 0x39), 1}}); break;
    case 6000: franjas(false, {{verde, 1}, {Qt::white, 1}, {QColor(0xCE, 0x2B, 0x37), 1}}); break;
    case 7000:
        franjas(false, {{QColor(0x04, 0x6A, 0x38), 2}, {QColor(0xDA, 0x29, 0x1C), 3}});
        p.setBrush(amarillo);
        p.drawEllipse(QPointF(w * 0.4, h / 2), h * 0.28, h * 0.28);
        break;
    default: break;
    }
    p.setPen(QPen(Qt::darkGray, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, w - 1, h - 1));
    return pixmap;
}

} // namespace

Form7::Form7(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form7"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Idioma"));

    auto *frame = new QGroupBox(QStringLiteral("Idioma"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto *lf = new QGridLayout(frame);
    lf->setColumnStretch(1, 1);
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
        const qint16 codigo = kCodigos[i];
        // The flag beside the option.
        auto *picture = new QLabel(frame);
        picture->setObjectName(QStringLiteral("Image%1").arg(i + 1));
        picture->setPixmap(bandera(codigo, QSize(24, 16)));
        picture->setProperty("Tag", QStringLiteral("!"));
        lf->addWidget(picture, i, 0);
        lf->addWidget(option, i, 1);
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
        ui::MsgBox(TextoPropio("The settings file %1 cannot be written.").arg(ficheroIni()), ui::Icon::Critical,
                   ui::OkOnly, this);
    // The caller restarts the main window once the dialog is gone.
    accept();
    return true;
}

void Form7::SSCommandCancelar_Click()
{
    reject();
}

} // namespace slx
