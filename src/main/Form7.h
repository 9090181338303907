#pragma once
// The language dialog: one of seven user-interface languages. Accept writes the
// choice into the settings file; the main window then restarts in that language.

#include <QDialog>
#include <array>

class QRadioButton;
class QPushButton;

namespace slx {

class Form7 : public QDialog {
    Q_OBJECT
public:
    explicit Form7(QWidget *parent = nullptr);

    QRadioButton *OptionEspañol;
    QRadioButton *OptionCatalan;
    QRadioButton *OptionIngles;
    QRadioButton *OptionAleman;
    QRadioButton *OptionFrances;
    QRadioButton *OptionItaliano;
    QRadioButton *OptionPortugues;
    QPushButton *SSCommandAceptar;
    QPushButton *SSCommandCancelar;

    // The code of the option clicked last (0 when none).
    qint16 IdiomaSeleccionado = 0;

public Q_SLOTS:
    void Form_Load();
    // Returns whether the language was taken; false when another window refused to
    // close (the dialog then stays open and nothing changes).
    bool SSCommandAceptar_Click();
    void SSCommandCancelar_Click();

private:
    std::array<QRadioButton *, 7> m_options{};
};

} // namespace slx
