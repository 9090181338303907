#pragma once
// The programming sheet window: one device's sheet at a time, record navigation,
// search, save, deletion of a device, the field checks and the disabled-interval grid.

#include "base/Resultado.h"
#include "programming/MatrizInhabil.h"
#include "programming/FitxaProgramacio.h"
#include "programming/HorarioSemanal.h"

#include <QDialog>
#include <QHash>
#include <QPointer>
#include <QVector>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPlainTextEdit;
class QCalendarWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTimer;

namespace slx {

class BusyIndicator;
class ReportEngine;
class TDBGrid;

class Form2 : public QDialog {
    Q_OBJECT
public:
    explicit Form2(QWidget *parent = nullptr);
    ~Form2() override;

    // Opening: translation, calendar names, records, the first sheet. False (after
    // showing the failure) when the window cannot work; the caller then drops it.
    bool Form_Load();

    // The searchable field that last had the focus, or empty.
    QString CampActual;

    grid::MatrizInhabil *MatrizInhabil() const { return m_matriz; }
    // The sheet field (line edit, date edit, check box, option...) of that name.
    QWidget *campo(const QString &name) const;
    QString texto(const QString &name) const;
    void setTexto(const QString &name, const QString &text);
    // The serial number of the sheet: the stored row's when it was loaded from one.
    qint32 numeroSerie() const;

    // The sheet on screen as a value, and the screen from a value.
    FitxaProgramacio fitxa() const;
    void setFitxa(const FitxaProgramacio &f);
    // The week's opening hours as the sheet shows them (Monday to Sunday), and the
    // timetable dialog's week written back into them.
    horario::Semana horario() const;
    void setHorario(const horario::Semana &semana);

    // The sheet storage on this window's fields; a failure is shown here.
    void CreaProgramacio();
    bool CarregaProgramacio(qint32 serial);
    bool GrabaProgramacio();
    // Offers to save a changed sheet with a serial number (text 23, OK / Cancel) and
    // saves on OK. True when it saved the sheet.
    bool Modificat();
    // Shows why the sheet could not be saved, loaded or written: a field's failure as
    // the message of the field's own check with the field focused on its page, a
    // failure of the database as its description.
    void showFailure(const Fallo &failure);

    // Compares the sheet on screen with the device copy modulo1().ProgramacioRebuda:
    // the report goes to modulo1().TextoComparacion; from a sheet version of 4.0 the
    // global-correction check box is shown. When something differs the report is
    // offered (OK / Cancel) and OK puts the device's programming on screen.
    void ComparaPcAqt();

    // Offers to save a changed sheet (text 23, OK / Cancel), as before the text export:
    // true when nothing is left unsaved, false on Cancel or a failed save.
    Q_INVOKABLE bool OfreceGuardar();

public Q_SLOTS:
    void SSCommandAnterior_Click();
    void SSCommandSiguiente_Click();
    void SSCommandBuscar_Click();
    void SSCommandBorrar_Click();
    void SSCommandGrabar_Click();
    void SSCommandExit_Click();
    void SSCommandIncidencias_Click();
    void SSCommandHelp_Click();
    // The programming exchange with the device and the real-time monitor.
    void SSCommandRecibir_Click();
    void SSCommandTransmitir_Click();
    void SSCommandRealTime_Click();
    void SSCommandImprimir_Click();
    void Timer1_Timer();
    void TDBGrid1_PostEvent(int code);
    void TDBGrid1_LostFocus();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildUi();
    QLayout *buildIdentity();
    QWidget *buildPages();
    QWidget *buildBusyPanel();
    QLayout *buildButtons();
    QWidget *buildPaginaDatos();
    QWidget *buildPaginaAparato();
    QWidget *buildPaginaHorario();
    QWidget *buildPaginaNormativa();
    QWidget *buildPeriods();
    QWidget *buildLimits();
    QWidget *buildActuations();
    QLayout *buildAttenuation();
    QWidget *buildPaginaOctavas();
    QWidget *buildPaginaIntervalos();
    // Limited: the field never holds more than maxLength characters. Typed: maxLength
    // sizes the field and its validator bounds the typing, while a text put in whole
    // (a device's value) stays whole for the checks to judge.
    enum class Length { Limited, Typed };
    QLineEdit *addLine(const QString &name, int maxLength = 0, Length length = Length::Limited);
    QPushButton *addButton(const QString &name, const QString &caption);
    void setCalendarNames();
    void watch(QWidget *w);
    void onFocusIn(const QString &name);
    void onFocusOut(QWidget *w);
    bool onKey(QWidget *w, QKeyEvent *key);
    void applyCheck(QWidget *w, const QString &text, int message, bool focusBack, bool pageNormativa);
    // The checks of the fields that are judged on their leaving, run over the whole
    // sheet before it is stored or sent: a text no check has judged yet (a device's
    // value) is corrected or refused there, with the field shown. False, and nothing
    // is to be stored or sent, when a check changed or refused a text.
    bool camposRevisados();
    void markModified() const;
    // Hands the intervals of the grid, or of a sheet just filled and its state, over to
    // the windows' shared state (IntervalosInhabiles, FitxaModificada).
    void publicaIntervalos(const std::array<FilaInhabil, grid::kRows> &filas) const;
    void entrega(const FitxaProgramacio &f, const EstadoFitxa &estado) const;
    void focusField(const QString &name);
    FitxaProgramacio fitxaPerGuardar() const; // the sheet a save writes
    // What the offer to save a changed sheet came to: nothing to offer, saved, Cancel
    // (the changes are left), or the save the user accepted failed and showed why.
    enum class Oferta { SinCambios, Guardada, Rehusada, Fallida };
    Oferta ofreceGuardarCambios();
    void guardada(const FitxaProgramacio &f); // after a save
    // Reads the table's sheets again; false (after showing the failure) when they
    // cannot be read, and the rows known stay.
    bool reloadSerials();
    void moveAndLoad(int step);
    // The save offer, then the window closes without asking again; false when the
    // user keeps a new sheet's typing or the save accepted failed.
    bool cierraPorBoton();
    // A sheet no device has filled cannot be saved: leaving it with typed contact
    // details or a note asks first. True when the sheet may be left.
    bool mayLeaveNewSheet();
    void openTimetable();

    ReportEngine *VSReport1 = nullptr; // the report of the sheet's print-out
    QTabWidget *m_tab = nullptr;
    TDBGrid *m_grid = nullptr;
    grid::MatrizInhabil *m_matriz = nullptr;
    QTimer *m_timer1 = nullptr;
    QCalendarWidget *m_calendario = nullptr;  // the date field's calendar
    QMetaObject::Connection m_focoAplicacion; // the application's focus changes, cut before the window goes
    qint32 m_filaCargada = 0;                 // serial number of the stored row on screen, 0 = a new sheet
    QString m_notaCargada;                    // the note as stored, and as the notes box showed it
    QString m_notaMostrada;
    // The programming exchange (Form2Exchange.cpp).
    QList<QWidget *> botonesIntercambio() const;
    void recibir();
    void transmitir();
    void destinoProgramacion();
    void muestraPanel2(bool visible);
    QTimer *m_timer2 = nullptr;           // the link's watchdog
    QWidget *m_panel2 = nullptr;          // SSPanel2, the busy panel of a transmit
    BusyIndicator *m_animacion = nullptr; // Animation1 inside it
    QHash<QString, QWidget *> m_fields;
    QVector<qint32> m_serials; // the table's sheets, in its order
    int m_pos = -1;            // current row of the sheets, -1 = none, m_serials.size() = past the last
    bool m_closingByButton = false;
    bool m_inCheck = false;
};

// Registers the window's factory: a window whose opening fails is not kept.
void registraForm2();

} // namespace slx
