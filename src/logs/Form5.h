#pragma once
// The incidents window: one device at a time, its identity and last totals, and in five
// grids its Leq intervals, sessions, battery ends, erasures and re-programmings; record
// navigation, search, header sorting, and the ways to the charts, the reports and the
// programming sheet. The download of the logs (Recibir, Parar) builds on it.

#include "logs/Incidencias.h"
#include "logs/LogFrames.h"

#include <QElapsedTimer>
#include <QVector>
#include <QWidget>

class QGroupBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QTimer;

namespace slx {

class BusyIndicator;
class TDBGrid;
class WindowedSqlModel;

class Form5 : public QWidget {
    Q_OBJECT
public:
    explicit Form5(QWidget *parent = nullptr);
    ~Form5() override;

    void Form_Load();
    // Shows the device of the current row and reloads everything that depends on it.
    void CarregaDades();
    // Headings, colours and scrolling of the five grids.
    void DisenyaGrids();

    // The identity box that last had the focus; the search looks in its field.
    QString CampActual;

    QGroupBox *Frame9 = nullptr;
    QLineEdit *TextNumeroSerie = nullptr;
    QLineEdit *TextVersion = nullptr;
    QLineEdit *TextFecha = nullptr;
    QLineEdit *TextLocal = nullptr;
    QGroupBox *Frame2 = nullptr;
    QLineEdit *MaskFechaTotales = nullptr;
    QLineEdit *MaskHoraTotales = nullptr;
    QLineEdit *LbPasadasLocal = nullptr;
    QLineEdit *LbPasadasVei = nullptr;
    QLineEdit *MaskE3 = nullptr;
    QLineEdit *MaskCB = nullptr;
    TDBGrid *TDBGridIntervalos = nullptr;
    TDBGrid *TDBGridSesiones = nullptr;
    TDBGrid *TDBGridBateria = nullptr;
    TDBGrid *TDBGridBorrat = nullptr;
    TDBGrid *TDBGridRepro = nullptr;
    QPushButton *SSCommandAnterior = nullptr;
    QPushButton *SSCommandSiguiente = nullptr;
    QPushButton *SSCommandBuscar = nullptr;
    QPushButton *SSCommandRecibir = nullptr;
    QPushButton *SSCommandStop = nullptr;
    QPushButton *SSCommandGrafica = nullptr;
    QPushButton *SSCommandImprimir = nullptr;
    QPushButton *SSCommandProgramacion = nullptr;
    QPushButton *SSCommandHelp = nullptr;
    QPushButton *SSCommandExit = nullptr;
    QWidget *SSPanel1 = nullptr;         // wait panel, hidden at rest
    QGroupBox *Frame17 = nullptr;        // its caption counts the frames of a download
    BusyIndicator *Animation1 = nullptr; // turns while the wait panel is shown
    QLabel *LbRegistro = nullptr;        // date of the record a download is receiving
    QTimer *Timer2 = nullptr;            // receive watchdog of a download

    // The grid's rows (tests, the download).
    WindowedSqlModel *modelo(logs::Rejilla r) const;
    TDBGrid *rejilla(logs::Rejilla r) const;

public Q_SLOTS:
    void SSCommandAnterior_Click();
    void SSCommandSiguiente_Click();
    void SSCommandBuscar_Click();
    void SSCommandGrafica_Click();
    void SSCommandImprimir_Click();
    void SSCommandProgramacion_Click();
    void SSCommandHelp_Click();
    void SSCommandExit_Click();
    void SSCommandRecibir_Click();
    void SSCommandStop_Click();
    void TDBGridIntervalos_HeadClick(int colIndex);
    void TDBGridSesiones_HeadClick(int colIndex);
    void TDBGridBateria_HeadClick(int colIndex);
    void TDBGridBorrat_HeadClick(int colIndex);
    void TDBGridRepro_HeadClick(int colIndex);
    void TextFecha_LostFocus();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildUi();
    QWidget *buildIdentity();
    QWidget *buildTotals();
    QLayout *buildGrids();
    QWidget *buildWaitPanel();
    QLayout *buildButtons();
    QLineEdit *caja(const QString &name);
    QPushButton *boton(const QString &name, const QString &caption);
    void mueve(int paso);
    void ordenaCabecera(logs::Rejilla r, int colIndex);
    bool sinIntervalos();
    // The download's steps once the device is identified; false when one failed or
    // Stop ended the intervals (no success message then).
    // *omitidos: the records skipped.
    bool descarga(class DeviceSession &session, const logs::RangoFechas &periodo, int *omitidos);
    // Shows the device of that serial when it is in the table; false when it is not, a
    // failure when the table cannot be read.
    Resultado<bool> muestraSerie(qint32 serial);
    // The frame count and the record's date; at most ten times a second unless final.
    void muestraProgreso(int tramas, const QDateTime &fecha, bool final);

    WindowedSqlModel *m_modelos[5] = {};
    TDBGrid *m_rejillas[5] = {};
    bool m_descendente[5] = {true, true, true, true, true}; // the last order word of each grid's query
    QVector<qint32> m_serials;                              // the devices in the table's order
    int m_pos = -1;     // current row: -1 before the first, m_serials.size() past the last
    qint32 m_shown = 0; // the device on screen (0 = none)
    bool m_checking = false;
    class DeviceSession *m_sesion = nullptr; // the download running, which Stop cancels
    QElapsedTimer m_progresoMostrado;        // since the progress was last shown
};

QWidget *creaForm5();
// Registers the window's factory under "Form5".
void registraForm5();

} // namespace slx
