#pragma once
// The date-range dialog of a log download: the period whose intervals and sessions
// are asked of the device, or the download given up. It returns the period to its
// caller, and also leaves it in the shared RangoFechas and CancelaRangoFechas.
//
// The start it proposes is the start of the newest record received by the device's
// last download that ran to its end (LogStorage.h: a download that failed or was
// stopped does not move it, so accepting the proposal fetches whatever it left
// behind); the newest stored interval's start for a device downloaded before that
// was kept; sixty days ago for a device with no stored interval.

#include "logs/LogFrames.h"

#include <QDateTime>
#include <QDialog>
#include <optional>

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

    // The period accepted by Aceptar; nothing before it or after Cancelar.
    const std::optional<logs::RangoFechas> &periodo() const { return m_periodo; }

protected:
    // Closing by the frame or Escape gives the download up, as Cancelar does.
    void reject() override;

private:
    std::optional<logs::RangoFechas> m_periodo;
};

// Shows the dialog modally: the period accepted, or nothing when it was given up.
std::optional<logs::RangoFechas> pideRangoFechas(QWidget *parent);
// Registers the dialog's factory under "Form8" (the translation walk loads it so).
void registraForm8();

} // namespace slx
