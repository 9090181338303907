#pragma once
// The weekly timetable editor: the seven days of the sheet open in Form2, confirmed one
// at a time from Monday to Sunday, and a chart of the week hour by hour. The rules are in
// programming/HorarioSemanal.h; the window shows them. It reads the sheet when it loads
// and writes the fourteen texts back only on Accept.

#include "programming/HorarioSemanal.h"

#include <QDialog>
#include <QLineEdit>
#include <array>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace slx {

class Chart2D;

// A time field: shows and returns "hh:nn" as typed (digits only, the colon put in
// place), or the text set from code as it stands ("--:--", or a sheet's text that is no
// time, for the checks to refuse).
class CampoHora : public QLineEdit {
    Q_OBJECT
public:
    explicit CampoHora(QWidget *parent = nullptr);
    // Wide enough for "22:00" and "--:--" in the field's font.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
};

class Form10 : public QDialog {
    Q_OBJECT
public:
    explicit Form10(QWidget *parent = nullptr);

    // Translation, confirmation state from Monday, the sheet's texts, the chart.
    void Form_Load();

    // The day being confirmed (0 Monday .. 6 Sunday), 7 once Sunday is confirmed.
    int diaActual() const { return m_actual; }
    horario::Semana semana() const;

    Chart2D *Chart2D1 = nullptr;
    QPushButton *SSCommandRetry = nullptr;
    QPushButton *SSCommandAceptar = nullptr;
    QPushButton *SSCommandExit = nullptr;

    void DibuixaDies();
    void DibuixaNitDia();
    void DibuixaSesions();

public Q_SLOTS:
    void OptionTancat_Click(int dia);
    void Option24_Click(int dia);
    void OptionHorario_Click(int dia);
    void SSCommandDia_Click(int dia);
    void SSCommandRetry_Click();
    void SSCommandAceptar_Click();
    void SSCommandExit_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct DiaUi {
        QGroupBox *frame = nullptr;
        QRadioButton *tancat = nullptr;
        QRadioButton *h24 = nullptr;
        QRadioButton *horario = nullptr;
        CampoHora *ini = nullptr;
        CampoHora *fi = nullptr;
        QPushButton *confirma = nullptr;
    };
    void buildUi();
    void buildChart();
    void fijaActual(int dia);
    int diaDeCampo(QObject *campo) const;
    void compruebaHora(CampoHora *campo);
    void enfoca(QLineEdit *campo);
    // Selects an option from code: its click rule runs as for the user's click.
    void selecciona(int dia, horario::Tipo tipo);

    std::array<DiaUi, horario::kDias> m_dias;
    QString m_nocheInicio;
    QString m_nocheFin;
    int m_actual = 0;
    bool m_enComprobacion = false;
    bool m_devolviendo = false; // the focus goes back to a refused field
};

// Registers the window's factory: created on first use, released when it closes.
void registraForm10();

} // namespace slx
