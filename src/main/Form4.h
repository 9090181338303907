#pragma once
// The link settings dialog: serial port, cable or modem, tone or pulse dialling and
// the dial prefix. Accept changes the shared settings and writes the settings file.

#include "link/SystemPort.h"

#include <QDialog>
#include <QList>
#include <QMap>

class QComboBox;
class QLabel;
class QListWidget;
class QLineEdit;
class QRadioButton;
class QPushButton;

namespace slx {

class Form4 : public QDialog {
    Q_OBJECT
public:
    explicit Form4(QWidget *parent = nullptr);

    QComboBox *ComboPort;
    QRadioButton *OptionRs;
    QRadioButton *OptionModem;
    QRadioButton *OptionTonos;
    QRadioButton *OptionPulsos;
    QLineEdit *MaskPrefijo;
    QPushButton *SSCommandAceptar;
    QPushButton *SSCommandExit;
    // The device file the port number opens, marked when it is missing.
    QLabel *LabelDispositivo;
    // The serial ports of the system; choosing one makes the port number open it.
    QListWidget *ListPuertos;

    // The device file port n opens with the dialog's choices: the port chosen for it from
    // the list, else [Ports] of the settings file, else /dev/ttyS<n-1>.
    QString dispositivo(int n) const;
    // A port number and its device file as the list of numbers shows them.
    QString textoPuerto(int n) const;
    // Fills the list of the system's ports (the load gives it the system's own).
    void fijaPuertosSistema(const QList<SystemPort> &ports);
    // The system's port at that row of the list is chosen: the port number that opens
    // it is selected, or the number on show takes it (written to [Ports] on Accept).
    void eligePuertoSistema(int row);

public Q_SLOTS:
    void Form_Load();
    // Returns whether the settings were taken (a bad port or an unwritable settings
    // file keeps the dialog open).
    bool SSCommandAceptar_Click();
    void SSCommandExit_Click();

private:
    void muestraDispositivo();

    QList<SystemPort> m_puertos;
    QMap<int, QString> m_elegidos; // port number -> device chosen from the list
};

} // namespace slx
