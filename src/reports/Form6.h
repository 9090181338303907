#pragma once
// The reports window: the Leq intervals or the sessions of one device over a period
// picked from the device's own intervals in two record pickers, built into a report
// and handed to the print preview.

#include "printing/Informe.h"

#include <QDialog>
#include <QList>

class QRadioButton;
class QToolButton;

namespace slx {

class ReportEngine;
class TDBGrid;
class WindowedSqlModel;

class Form6 : public QDialog {
    Q_OBJECT
public:
    explicit Form6(QWidget *parent = nullptr);
    ~Form6() override;

    void Form_Load();
    // Headings and colours of columns 5 to 34 of both pickers.
    void DisenyaGrids();
    // The per-record rules of the lists, in the language of the moment.
    QList<ReglaRegistro> CreaScriptDetall() const;

    QRadioButton *OptionIntervalos = nullptr;
    QRadioButton *OptionSesiones = nullptr;
    TDBGrid *TDBGridInici = nullptr;
    TDBGrid *TDBGridFi = nullptr;
    QToolButton *SSCommandImprimir = nullptr;
    QToolButton *SSCommandExit = nullptr;
    QToolButton *SSCommandHelp = nullptr;
    ReportEngine *VSReport1 = nullptr;

    WindowedSqlModel *modeloInici() const { return m_modelos[0]; }
    WindowedSqlModel *modeloFi() const { return m_modelos[1]; }

public Q_SLOTS:
    void SSCommandImprimir_Click();
    void SSCommandExit_Click();
    void SSCommandHelp_Click();

private:
    void buildUi();

    WindowedSqlModel *m_modelos[2] = {};
};

QWidget *creaForm6();
// Registers the window's factory and its design under "Form6".
void registraForm6();

} // namespace slx
