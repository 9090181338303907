#pragma once
// The real-time monitor: the device of the sheet on screen shows its date and
// time, session, day or night, mains, sensor and disabled-interval state, level
// and attenuation, one answer after another, until the user stops.

#include "programming/FitxaProgramacio.h"
#include "programming/RealTimeDisplay.h"

#include <QDialog>
#include <QPointer>
#include <optional>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace slx {

class DeviceSession;

class Form3 : public QDialog {
    Q_OBJECT
public:
    explicit Form3(QWidget *parent = nullptr);
    ~Form3() override;

    // Translation, the sheet window switched off, the position, the telephone
    // number.
    void Form_Load();

    // Exit was pressed while a run was active: the run closes the window when it
    // ends.
    bool SalirAlTerminar = false;
    // True while the run handler is active.
    bool ejecutando() const { return m_ejecutando; }

    // Shows one answer (the Displays of the monitor).
    void muestra(const RealTimeDisplay &vista);

public Q_SLOTS:
    void SSCommandRun_Click();
    void SSCommandStop_Click();
    void SSCommandExit_Click();
    void SSCommandHelp_Click();
    // Escape and every other way a dialog is dismissed act as Exit.
    void reject() override;

Q_SIGNALS:
    // An answer was shown (before its pause and ACK).
    void mostrado();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildUi();
    QLabel *etiqueta(const QString &name, const QString &text);
    void run();
    void idle();
    void colocaSobreFicha();
    QWidget *ficha() const;
    // The sheet on screen; nothing when there is no sheet window.
    std::optional<FitxaProgramacio> fichaEnPantalla() const;

    QPushButton *m_run = nullptr;
    QPushButton *m_stop = nullptr;
    QPushButton *m_exit = nullptr;
    QPushButton *m_help = nullptr;
    QLabel *m_fecha = nullptr;
    QLabel *m_hora = nullptr;
    QLabel *m_sesion = nullptr;
    QLabel *m_noche = nullptr;
    QLabel *m_red = nullptr;
    QLabel *m_sensor = nullptr;
    QLabel *m_inhabil = nullptr;
    QLabel *m_nivel = nullptr;
    QLabel *m_atenuador = nullptr;
    QProgressBar *m_barra = nullptr;
    QTimer *m_timer2 = nullptr; // watchdog of the link
    QTimer *m_timer3 = nullptr; // pause between answers
    QPointer<QWidget> m_ficha;  // the sheet window switched off while the monitor is open
    bool m_ejecutando = false;
    DeviceSession *m_session = nullptr; // the run's session, which Stop cancels
};

// Registers the window's factory with the window registry.
void registraForm3();

} // namespace slx
