#include "logs/Form8.h"

#include "base/FormRegistry.h"
#include "base/Idiomas.h"
#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "localization/LocGuru.h"
#include "logs/LogStorage.h"
#include "widgets/CalendarNames.h"

#include <QCalendarWidget>
#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace slx {

namespace {

const QString kFormato = QStringLiteral("dd/MM/yy HH:mm");

QDateTimeEdit *picker(QWidget *parent, const char *name)
{
    auto *p = new QDateTimeEdit(parent);
    p->setObjectName(QLatin1String(name));
    p->setDisplayFormat(kFormato);
    p->setCalendarPopup(true);
    p->setTimeSpec(Qt::UTC); // device times are naive: no time zone, no daylight saving
    p->setDateTimeRange(QDateTime(QDate(1950, 1, 1), QTime(0, 0), Qt::UTC),
                        QDateTime(QDate(2049, 12, 31), QTime(23, 59), Qt::UTC));
    return p;
}

// The current local date and time as a naive value, to the minute.
QDateTime ahora()
{
    const QDateTime now = QDateTime::currentDateTime();
    return QDateTime(now.date(), QTime(now.time().hour(), now.time().minute()), Qt::UTC);
}

} // namespace

Form8::Form8(QWidget *parent, bool cargar)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(ui::applicationTitle());
    SSPanel1 = new QLabel(QStringLiteral("INICIO"), this);
    SSPanel1->setObjectName(QStringLiteral("SSPanel1"));
    SSPanel1->setAlignment(Qt::AlignCenter);
    SSPanel2 = new QLabel(QStringLiteral("FIN"), this);
    SSPanel2->setObjectName(QStringLiteral("SSPanel2"));
    SSPanel2->setAlignment(Qt::AlignCenter);
    for (QLabel *panel : {SSPanel1, SSPanel2})
        panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    MaskFechaIni = picker(this, "MaskFechaIni");
    MaskFechaFi = picker(this, "MaskFechaFi");
    SSPanel1->setBuddy(MaskFechaIni);
    SSPanel2->setBuddy(MaskFechaFi);
    CommandVolver = new QPushButton(QStringLiteral("Aceptar"), this);
    CommandVolver->setObjectName(QStringLiteral("CommandVolver"));
    CommandVolver->setDefault(true);
    SSCommandCancelar = new QPushButton(QStringLiteral("Cancelar"), this);
    SSCommandCancelar->setObjectName(QStringLiteral("SSCommandCancelar"));

    auto *fields = new QHBoxLayout;
    for (auto [panel, field] : {std::pair{SSPanel1, MaskFechaIni}, std::pair{SSPanel2, MaskFechaFi}}) {
        auto *column = new QVBoxLayout;
        column->addWidget(panel);
        column->addWidget(field);
        fields->addLayout(column);
    }
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CommandVolver);
    buttons->addWidget(SSCommandCancelar);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    connect(CommandVolver, &QPushButton::clicked, this, [this] { CommandVolver_Click(); });
    connect(SSCommandCancelar, &QPushButton::clicked, this, &Form8::SSCommandCancelar_Click);
    if (cargar)
        Form_Load();
}

void Form8::Form_Load()
{
    LocGuru &loc = oLocGuru();
    loc.TranslateForm(this);
    QStringList months;
    for (int i = 0; i < 12; ++i)
        months << loc.GetS(158 + i);
    const IdiomaPrograma *idioma = idiomaDeCodigo(modulo1().CodigoIdioma);
    for (QDateTimeEdit *p : {MaskFechaIni, MaskFechaFi})
        ponNombresCalendario(p->calendarWidget(), idioma ? idioma->locale : QLocale::Spanish, months);

    const QDateTime now = ahora();
    MaskFechaFi->setDateTime(now);
    const Modulo1 &m = modulo1();
    const auto propuesto = m.NumeroSerieAparato != 0 && m.ConexionBD.isOpen()
                               ? logs::proposedStart(m.ConexionBD, m.NumeroSerieAparato)
                               : std::nullopt;
    MaskFechaIni->setDateTime(propuesto ? *propuesto : now.addDays(-60));
}

logs::RangoFechas Form8::rangoDe(const QDateTime &inicio, const QDateTime &fin)
{
    logs::RangoFechas r{};
    int i = 0;
    for (const QDateTime &dt : {inicio, fin}) {
        r[i++] = quint8(dt.date().day());
        r[i++] = quint8(dt.date().month());
        r[i++] = quint8(dt.date().year() % 100);
        r[i++] = quint8(dt.time().hour());
        r[i++] = quint8(dt.time().minute());
    }
    return r;
}

bool Form8::CommandVolver_Click()
{
    const QDateTime inicio = MaskFechaIni->dateTime();
    const QDateTime fin = MaskFechaFi->dateTime();
    if (fin <= inicio) {
        ui::MsgBox(oLocGuru().GetS(24), ui::Icon::None, ui::OkOnly, this);
        MaskFechaIni->setFocus();
        return false;
    }
    m_periodo = rangoDe(inicio, fin);
    Modulo1 &m = modulo1();
    m.CancelaRangoFechas = false;
    m.RangoFechas = *m_periodo;
    accept();
    return true;
}

void Form8::SSCommandCancelar_Click()
{
    m_periodo.reset();
    modulo1().CancelaRangoFechas = true;
    QDialog::reject();
}

void Form8::reject()
{
    SSCommandCancelar_Click();
}

std::optional<logs::RangoFechas> pideRangoFechas(QWidget *parent)
{
    Form8 dialog(parent);
    dialog.exec();
    return dialog.periodo();
}

void registraForm8()
{
    FormRegistry::add(QStringLiteral("Form8"), [] { return new Form8; });
    FormRegistry::addDesign(QStringLiteral("Form8"), [] { return new Form8(nullptr, false); });
}

} // namespace slx
