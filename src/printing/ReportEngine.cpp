#include "printing/ReportEngine.h"

#include "base/TextoPropio.h"
#include "printing/ReportLayout.h"
#include "printing/ReportXml.h"

namespace slx {

ReportEngine::ReportEngine(QObject *parent)
    : QObject(parent)
{
    m_temporizador.setSingleShot(true);
    m_temporizador.setInterval(0);
    connect(&m_temporizador, &QTimer::timeout, this, &ReportEngine::rebanada);
}

ReportEngine::~ReportEngine() = default;

Resultado<> ReportEngine::carga(const QString &fichero, const QString &nombre)
{
    cancela();
    m_informe.reset();
    auto cargado = cargaInforme(fichero, nombre);
    if (!cargado)
        return slx::fallo(cargado.error());
    m_informe = std::move(*cargado);
    return {};
}

Resultado<Informe *> ReportEngine::informe()
{
    if (!m_informe)
        return slx::fallo(TextoPropio("No report is loaded."));
    return m_informe.get();
}

Resultado<std::shared_ptr<const ModeloPaginas>> ReportEngine::render()
{
    cancela();
    const auto informe = this->informe();
    if (!informe)
        return slx::fallo(informe.error());
    auto maquetador = ReportLayout::crea((*informe)->copia());
    if (!maquetador)
        return slx::fallo(maquetador.error());
    m_modelo = (*maquetador)->modelo();
    // The first page at once.
    const auto primera = (*maquetador)->avanza(-1, 1);
    if (!primera)
        return slx::fallo(primera.error());
    if (*primera) {
        Q_EMIT avance(m_modelo->paginasListas());
        Q_EMIT terminado();
        return std::shared_ptr<const ModeloPaginas>(m_modelo);
    }
    m_layout = std::move(*maquetador);
    m_temporizador.start();
    return std::shared_ptr<const ModeloPaginas>(m_modelo);
}

Resultado<std::shared_ptr<const ModeloPaginas>> ReportEngine::renderCompleto()
{
    auto modelo = render();
    if (modelo && m_layout) {
        m_temporizador.stop();
        const auto hecho = m_layout->avanza(-1);
        m_layout.reset();
        if (!hecho)
            return slx::fallo(hecho.error());
        Q_EMIT avance(m_modelo->paginasListas());
        Q_EMIT terminado();
    }
    return modelo;
}

void ReportEngine::cancela()
{
    m_temporizador.stop();
    m_layout.reset();
}

void ReportEngine::rebanada()
{
    if (!m_layout)
        return;
    const auto fin = m_layout->avanza(kRebanada);
    if (!fin) {
        m_layout.reset();
        Q_EMIT fallo(fin.error().mensaje());
        return;
    }
    Q_EMIT avance(m_modelo->paginasListas());
    if (*fin) {
        m_layout.reset();
        Q_EMIT terminado();
        return;
    }
    m_temporizador.start();
}

} // namespace slx
