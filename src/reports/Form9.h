#pragma once
// The charts window: the Leq intervals of the device shown in the incidents window as two
// charts over 50 consecutive intervals, the levels with their limits, percentiles and gaps
// above and one flag per event counter below; a slider and two arrows move the 50 over
// the whole log, a click on either chart shows the values of that interval, the popup
// copies a chart or shows and hides series, and Imprimir prints both charts in the
// device's frame.

#include "reports/Graficas.h"
#include "reports/VentanaIntervalos.h"

#include <QWidget>
#include <array>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSlider;

namespace slx {

class Chart2D;
class ReportEngine;

class Form9 : public QWidget {
    Q_OBJECT
public:
    explicit Form9(QWidget *parent = nullptr);

    void Form_Load();
    // Refills both charts for the slider's value.
    void Dibuixa();
    // Fills, places and shows both value labels for point pt; y is the upper label's height
    // when the upper chart was clicked.
    void MostraEtiquetes(qint32 &pt, double &y);
    static QString UndOrUp(float &nivel) { return graficas::UndOrUp(nivel); }
    static QString UndOrUp2(float &nivel) { return graficas::UndOrUp2(nivel); }

    // The window's rows (tests, the benchmark).
    const graficas::VentanaIntervalos &ventana() const { return m_ventana; }
    // True once loading has reached the first row (the slider then redraws).
    bool tieneOrigen() const { return m_origen; }

    QGroupBox *Frame9 = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *TextNumeroSerie = nullptr;
    QLabel *Label6 = nullptr;
    QLineEdit *TextLocal = nullptr;
    QLabel *Label10 = nullptr;
    QLineEdit *TextFecha = nullptr;
    Chart2D *Chart2D1 = nullptr;
    Chart2D *Chart2D2 = nullptr;
    QSlider *Slider1 = nullptr;
    QPushButton *SSCommandSliderLeft = nullptr;
    QPushButton *SSCommandSliderRight = nullptr;
    QPushButton *SSCommandImprimir = nullptr;
    QPushButton *SSCommandHelp = nullptr;
    QPushButton *SSCommandExit = nullptr;
    QMenu *PopUp = nullptr;
    std::array<QMenu *, 2> PopUpMnu0{};
    std::array<QAction *, 4> PopUpMnu1{};
    std::array<QAction *, 10> PopUpMnu2{};
    ReportEngine *VSReport1 = nullptr; // the chart report

    // The chart report's layout and its two pictures (upper and lower chart), in the data folder.
    static const char *const kLayout;
    static const char *const kImagenArriba;
    static const char *const kImagenAbajo;

public Q_SLOTS:
    void Chart2D1_Event(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint &pixel);
    void Chart2D2_Event(Qt::MouseButton button, Qt::KeyboardModifiers shift, const QPoint &pixel);
    void PopUpMnu1_Click(int index);
    void PopUpMnu2_Click(int index);
    void Slider1_Event();
    void SSCommandSliderLeft_Click();
    void SSCommandSliderRight_Click();
    void SSCommandImprimir_Click();
    void SSCommandHelp_Click();
    void SSCommandExit_Click();

private:
    void buildUi();
    void disenyaGraficas();
    void alineaGraficas();
    void chartEvent(int grafica, Qt::MouseButton button, const QPoint &pixel);
    void ocultaEtiquetas(bool vacia);
    // The incidents window's wait panel hidden and its animation stopped.
    void paraEspera();

    graficas::VentanaIntervalos m_ventana;
    bool m_origen = false; // the first row has been reached (the recordset's bookmark)
    std::array<graficas::Contadores, graficas::kPuntos> m_contadores{};
};

QWidget *creaForm9();
// Registers the window's factory under "Form9".
void registraForm9();

} // namespace slx
