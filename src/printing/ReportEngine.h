#pragma once
// The report engine object of a printing window (its VSReport1): it holds one loaded
// report, which the window fills, and lays it out when the print preview asks for it.
// The shared reference InformeVistaPrevia points at it.
//
//   ReportEngine motor;
//   if (auto r = motor.carga(DataFolder::file("XML/slx90_1.xml"), "SLX90_1"); !r) ...
//   Informe &informe = **motor.informe();
//   informe.setConexion(db);
//   informe.setOrigen("SELECT * FROM Programacion WHERE LNumeroSerie = ?", {serial});
//   if (auto c = informe.campo("TNSerie")) (*c)->setTexto(...);
//   auto modelo = motor.render();   // record sources run now; first page ready
//
// Every failure (a layout that cannot be read, a name the layout lacks, a record source
// that fails) is a Resultado holding its description, the text shown to the user.
//
// While the layout goes on (in slices on the event loop) ocupado() is true.

#include "base/Resultado.h"
#include "printing/Informe.h"
#include "printing/ModeloPaginas.h"

#include <QObject>
#include <QTimer>
#include <memory>

namespace slx {

class ReportLayout;

class ReportEngine : public QObject {
    Q_OBJECT
public:
    explicit ReportEngine(QObject *parent = nullptr);
    ~ReportEngine() override;

    // Loads a report from a layout file; replaces whatever was held (also when the
    // load fails: then nothing is held).
    Resultado<> carga(const QString &fichero, const QString &nombre);
    bool cargado() const { return bool(m_informe); }
    // The loaded report (never null); a failure when none is.
    Resultado<Informe *> informe();

    // True while the report is being laid out.
    bool ocupado() const { return bool(m_layout); }

    // Lays the report out from its current content: runs its record sources and
    // returns the page model with its first page complete; the other pages follow on
    // the event loop (avance, then terminado or fallo). A failure when the layout fails
    // before its first page (modelo() then holds what was laid out). An earlier layout
    // still running is dropped.
    Resultado<std::shared_ptr<const ModeloPaginas>> render();
    // Lays the whole report out before returning (tests, benchmarks).
    Resultado<std::shared_ptr<const ModeloPaginas>> renderCompleto();
    // The last model laid out (whole or in progress), or none.
    std::shared_ptr<const ModeloPaginas> modelo() const { return m_modelo; }
    // Stops a layout in progress; the model keeps the pages laid out.
    void cancela();

    // Milliseconds of work in each slice of the layout.
    static constexpr int kRebanada = 25;

Q_SIGNALS:
    void avance(int paginasListas);
    void terminado();
    void fallo(const QString &descripcion);

private:
    void rebanada();

    std::shared_ptr<Informe> m_informe;
    std::unique_ptr<ReportLayout> m_layout;
    std::shared_ptr<ModeloPaginas> m_modelo;
    QTimer m_temporizador;
};

} // namespace slx
