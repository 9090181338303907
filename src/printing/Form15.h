#pragma once
// The print preview: shows the report it is given, prints it and closes. It chooses no layout and touches no data; it is the one window that is not
// translated (its buttons read "Imprimir", "Volver" and "Ayuda" in every language).
//
// With the environment variable SLX90_PRINT_PDF set to a file path, "Imprimir" writes
// that PDF file without the print dialog (unattended printing).

#include "printing/PageView.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QPagedPaintDevice;
class QSpinBox;
class QToolButton;
class QComboBox;

namespace slx {

class ReportEngine;

class Form15 : public QDialog {
    Q_OBJECT
public:
    explicit Form15(QWidget *parent = nullptr);
    ~Form15() override;

    // Caption, then the layout of the report unless its engine is busy; a failure (no
    // report included) is shown as a critical message and the window opens all the same.
    void Form_Load(ReportEngine *informe);

    PageView *VSPrinter1 = nullptr;

    // Shows the preview of the report modally and returns when it is closed.
    static void muestra(ReportEngine *informe, QWidget *parent);

public Q_SLOTS:
    void SSCommandImprimir_Click();
    void SSCommandExit_Click();
    void SSCommandHelp_Click();

protected:
    void done(int result) override;
    void showEvent(QShowEvent *event) override;

private:
    void actualizaBarra();
    // Prints pages desde to hasta of the model on the device; shows a failure.
    void imprime(QPagedPaintDevice &dispositivo, int desde, int hasta);

    QPointer<ReportEngine> m_motor;
    QToolButton *m_imprimir = nullptr;
    QSpinBox *m_pagina = nullptr;
    QLabel *m_paginas = nullptr;
    QComboBox *m_zoom = nullptr;
    bool m_actualizando = false;
};

// Registers the window's factory under "Form15" (its load runs as it opens).
void registraForm15();

} // namespace slx
