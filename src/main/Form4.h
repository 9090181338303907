#pragma once
// The link settings dialog: serial port, cable or modem, tone or pulse dialling and
// the dial prefix. Accept changes the shared settings and writes the settings file.

#include <QDialog>

class QComboBox;
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

public Q_SLOTS:
    void Form_Load();
    // Returns whether the settings were taken (a bad port or an unwritable settings
    // file keeps the dialog open).
    bool SSCommandAceptar_Click();
    void SSCommandExit_Click();
};

} // namespace slx
