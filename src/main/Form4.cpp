#include "main/Form4.h"

#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "base/TextoPropio.h"
#include "link/SerialControl.h"
#include "localization/LocGuru.h"
#include "main/AjustesEnlaceIni.h"
#include "main/Arranque.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace slx {

namespace {

template <typename T> T *named(T *w, const char *name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}

// The list of port numbers shows each number with the device file it opens.
class PortDelegate : public QStyledItemDelegate {
public:
    PortDelegate(const Form4 *form, QObject *parent)
        : QStyledItemDelegate(parent)
        , m_form(form)
    {
    }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        bool ok = false;
        const int n = index.data().toString().toInt(&ok);
        if (ok)
            option->text = m_form->textoPuerto(n);
    }

private:
    const Form4 *m_form;
};

bool existe(const QString &device)
{
    return QFileInfo::exists(device);
}

QString marcado(const QString &device)
{
    return existe(device) ? device : TextoPropio("%1 (not found)").arg(device);
}

} // namespace

Form4::Form4(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form4"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Comunicaciones"));

    auto *labelPort = named(new QLabel(QStringLiteral("Puerto serie:"), this), "Label1");
    ComboPort = named(new QComboBox(this), "ComboPort");
    ComboPort->setEditable(true);
    ComboPort->setToolTip(QStringLiteral("Número del puerto serie del PC"));
    labelPort->setBuddy(ComboPort);
    ComboPort->setItemDelegate(new PortDelegate(this, ComboPort));
    LabelDispositivo = named(new QLabel(this), "LabelDispositivo");
    LabelDispositivo->setProperty("Tag", QStringLiteral("!"));
    LabelDispositivo->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *labelPuertos = named(new QLabel(QStringLiteral("Puertos del sistema:"), this), "Label3");
    ListPuertos = named(new QListWidget(this), "ListPuertos");
    ListPuertos->setToolTip(QStringLiteral("Elija un puerto para que el número de puerto lo abra"));
    ListPuertos->setMaximumHeight(ListPuertos->fontMetrics().height() * 6);
    labelPuertos->setBuddy(ListPuertos);

    auto *frameConexion = named(new QGroupBox(QStringLiteral("Conexión"), this), "Frame1");
    OptionRs = named(new QRadioButton(QStringLiteral("Cable RS-232"), frameConexion), "OptionRs");
    OptionModem = named(new QRadioButton(QStringLiteral("Módem"), frameConexion), "OptionModem");
    auto *lc = new QVBoxLayout(frameConexion);
    lc->addWidget(OptionRs);
    lc->addWidget(OptionModem);

    auto *frameMarcacion = named(new QGroupBox(QStringLiteral("Marcación"), this), "Frame2");
    OptionTonos = named(new QRadioButton(QStringLiteral("Tonos"), frameMarcacion), "OptionTonos");
    OptionPulsos = named(new QRadioButton(QStringLiteral("Pulsos"), frameMarcacion), "OptionPulsos");
    auto *labelPrefijo = named(new QLabel(QStringLiteral("Prefijo:"), frameMarcacion), "Label2");
    MaskPrefijo = named(new QLineEdit(frameMarcacion), "MaskPrefijo");
    MaskPrefijo->setMaxLength(3);
    MaskPrefijo->setToolTip(QStringLiteral("Prefijo de marcación (hasta 3 caracteres)"));
    labelPrefijo->setBuddy(MaskPrefijo);
    auto *lm = new QGridLayout(frameMarcacion);
    lm->addWidget(OptionTonos, 0, 0);
    lm->addWidget(OptionPulsos, 0, 1);
    lm->addWidget(labelPrefijo, 1, 0);
    lm->addWidget(MaskPrefijo, 1, 1);

    SSCommandAceptar = named(new QPushButton(QStringLiteral("Aceptar"), this), "SSCommandAceptar");
    SSCommandExit = named(new QPushButton(QStringLiteral("Cancelar"), this), "SSCommandExit");
    SSCommandAceptar->setDefault(true);

    auto *top = new QGridLayout;
    top->addWidget(labelPort, 0, 0);
    top->addWidget(ComboPort, 0, 1);
    top->addWidget(LabelDispositivo, 1, 1);
    top->addWidget(labelPuertos, 2, 0, 1, 2);
    top->addWidget(ListPuertos, 3, 0, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(SSCommandAceptar);
    buttons->addWidget(SSCommandExit);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(frameConexion);
    layout->addWidget(frameMarcacion);
    layout->addLayout(buttons);

    connect(SSCommandAceptar, &QPushButton::clicked, this, [this] { SSCommandAceptar_Click(); });
    connect(SSCommandExit, &QPushButton::clicked, this, &Form4::SSCommandExit_Click);
    connect(ComboPort, &QComboBox::currentTextChanged, this, &Form4::muestraDispositivo);
    connect(ListPuertos, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { eligePuertoSistema(ListPuertos->row(item)); });
    connect(ListPuertos, &QListWidget::itemActivated, this,
            [this](QListWidgetItem *item) { eligePuertoSistema(ListPuertos->row(item)); });
    Form_Load();
}

void Form4::Form_Load()
{
    const Modulo1 &m = modulo1();
    oLocGuru().TranslateForm(this);
    setWindowTitle(ui::applicationTitle());
    ComboPort->clear();
    for (int i = 1; i <= 99; ++i)
        ComboPort->addItem(QString::number(i));
    ComboPort->setEditText(QString::number(m.PuertoSerie));
    if (m.TipoConexion != 0)
        OptionModem->setChecked(true);
    else
        OptionRs->setChecked(true);
    if (m.TonoPulso == 1)
        OptionTonos->setChecked(true);
    else
        OptionPulsos->setChecked(true);
    MaskPrefijo->setText(m.PrefijoMarcacion);
    m_elegidos.clear();
    fijaPuertosSistema(systemPorts());
    muestraDispositivo();
}

QString Form4::dispositivo(int n) const
{
    return m_elegidos.value(n, PortDevice(n));
}

QString Form4::textoPuerto(int n) const
{
    return QStringLiteral("%1    %2").arg(n).arg(marcado(dispositivo(n)));
}

void Form4::fijaPuertosSistema(const QList<SystemPort> &ports)
{
    m_puertos = ports;
    ListPuertos->clear();
    for (const SystemPort &p : ports) {
        QString text = marcado(p.device);
        if (!p.description.isEmpty())
            text += QLatin1String(" - ") + p.description;
        ListPuertos->addItem(text);
    }
    // The numbers' list is as wide as its widest line.
    int ancho = 0;
    for (int i = 0; i < ComboPort->count(); ++i)
        ancho = qMax(ancho, ComboPort->fontMetrics().horizontalAdvance(textoPuerto(i + 1)));
    ComboPort->view()->setMinimumWidth(ancho + 40);
}

void Form4::eligePuertoSistema(int row)
{
    if (row < 0 || row >= m_puertos.size())
        return;
    const QString device = m_puertos.at(row).device;
    // A number that opens it already is taken as it is.
    for (int n = 1; n <= ComboPort->count(); ++n) {
        if (dispositivo(n) == device) {
            ComboPort->setEditText(QString::number(n));
            muestraDispositivo();
            return;
        }
    }
    bool ok = false;
    const int n = ComboPort->currentText().trimmed().toInt(&ok);
    const int numero = ok && n >= 1 && n <= 255 ? n : 1;
    m_elegidos.insert(numero, device);
    ComboPort->setEditText(QString::number(numero));
    muestraDispositivo();
}

void Form4::muestraDispositivo()
{
    bool ok = false;
    const int n = ComboPort->currentText().trimmed().toInt(&ok);
    if (!ok || n < 1 || n > 255) {
        LabelDispositivo->clear();
        return;
    }
    const QString device = dispositivo(n);
    LabelDispositivo->setText(marcado(device));
    // A missing device file stands out.
    QPalette pal = LabelDispositivo->palette();
    pal.setColor(QPalette::WindowText, existe(device) ? palette().color(QPalette::WindowText) : QColor(190, 0, 0));
    LabelDispositivo->setPalette(pal);
}

bool Form4::SSCommandAceptar_Click()
{
    // The port is a whole number from 1 to 255; anything else is refused here.
    const QString texto = ComboPort->currentText().trimmed();
    bool ok = !texto.isEmpty();
    for (QChar c : texto)
        ok = ok && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    const int puerto = ok ? texto.toInt(&ok) : 0;
    if (!ok || puerto < 1 || puerto > 255) {
        ui::MsgBox(oLocGuru().GetS(106), ui::Icon::Critical, ui::OkOnly, this);
        ComboPort->setFocus();
        return false;
    }
    // The settings as they will be; the shared ones change only once the settings
    // file has taken them, so that a refusal leaves everything as it was.
    AjustesEnlace ajustes;
    ajustes.puertoSerie = quint8(puerto);
    ajustes.prefijoMarcacion = MaskPrefijo->text();
    ajustes.tonoPulso = OptionPulsos->isChecked() ? 0 : 1;
    ajustes.velocidadModem = 19200;
    ajustes.tipoConexion = OptionModem->isChecked() ? 1 : 0;

    const QString ini = ficheroIni();
    Resultado<void> escrito = grabaAjustesEnlace(ajustes, ini);
    // The ports chosen from the system's list, each under its number.
    for (auto it = m_elegidos.cbegin(); escrito && it != m_elegidos.cend(); ++it)
        if (!GrabaIni(QStringLiteral("Ports"), QStringLiteral("COM%1").arg(it.key()), it.value(), ini))
            escrito = fallo(TextoPropio("The settings file %1 cannot be written.").arg(ini));
    if (!escrito) {
        ui::MsgBox(escrito.error().mensaje(), ui::Icon::Critical, ui::OkOnly, this);
        return false;
    }
    Modulo1 &m = modulo1();
    aplicaAjustesEnlace(ajustes, m);
    // The link's port number; a kept modem call keeps its open port, and the link
    // takes the new number when it next opens the port.
    if (!MSComm1().PortOpen())
        MSComm1().setCommPort(m.PuertoSerie);
    accept();
    return true;
}

void Form4::SSCommandExit_Click()
{
    reject();
}

} // namespace slx
