#pragma once
// The date-range dialog of a log download: the period whose intervals and sessions
// are asked of the device, or the download given up. It leaves its result in the
// shared RangoFechas and CancelaRangoFechas.

#include "logs/LogFrames.h"

#include <QDateTime>
#include <QDialog>

class QDateTimeEdit;
class QPushButton;
class QLabel;

namespace slx {

class Form8 : public QDialog {
    Q_OBJECT
public:
    // cargar: run Form_Load (translation, names, default period) as a showing does.
    explicit Form8(QWidget *parent = nullptr, bool cargar = true);

    QDateTimeEdit *MaskFechaIni;
    QDateTimeEdit *MaskFechaFi;
    QLabel *SSPanel1;
    QLabel *SSPanel2;
    QPushButton *CommandVolver;
    QPushButton *SSCommandCancelar;

    // The ten bytes of a period: day, month, two-digit year, hour, minute of each end.
    static logs::RangoFechas rangoDe(const QDateTime &inicio, const QDateTime &fin);

    void Form_Load();
    bool CommandVolver_Click();
    void SSCommandCancelar_Click();

protected:
    // Closing by the frame or Escape gives the download up, as Cancelar does.
    void reject() override;
};

// Shows the dialog modally; true when a period was accepted (RangoFechas holds it).
bool pideRangoFechas(QWidget *parent);
// Registers the dialog's factory under "Form8" (the translation walk loads it so).
void registraForm8();

} // namespace slx
