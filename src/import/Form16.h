#pragma once
// The exchange-file import window: shown modally on the file in FicheroImportar, it
// imports the file once per showing, shows the progress of the current table and offers
// Cancel; at the end it shows what was stored and closes.

#include "import/CarregaCsv.h"

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace slx {

class Form16 : public QDialog {
    Q_OBJECT
public:
    explicit Form16(QWidget *parent = nullptr);

    QFrame *fraPrincipal;
    QLabel *lblText;
    QLabel *lblFitxer;
    QPushButton *sscmdCancel;

    // The caption of lblText when the import started; the progress text begins with it.
    QString TextoProgreso;
    bool ImportacionCancelada = false;

    // The last import's result (tests).
    const ResultadoIntercambio &resultado() const { return m_resultado; }

public Q_SLOTS:
    void Form_Load();
    void Form_Activate();
    void ImportaDades();
    void sscmdCancel_Click();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    bool m_activada = false;
    bool m_importando = false;
    ResultadoIntercambio m_resultado;
};

QWidget *creaForm16();
// Registers the window's factory under "Form16".
void registraForm16();

} // namespace slx
