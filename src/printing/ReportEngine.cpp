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

void ReportEngine::carga(const QString &fichero, const QString &nombre)
{
    cancela();
    m_informe.reset();
    m_informe = cargaInforme(fichero, nombre);
}

Informe &ReportEngine::informe()
{
    if (!m_informe)
        throw FalloInforme{TextoPropio("No report is loaded.")};
    return *m_informe;
}

std::shared_ptr<const ModeloPaginas> ReportEngine::render()
{
    cancela();
    auto maquetador = std::make_unique<ReportLayout>(informe().copia());
    m_modelo = maquetador->modelo();
    // The first page at once.
    if (maquetador->avanza(-1, 1)) {
        Q_EMIT avance(m_modelo->paginasListas());
        Q_EMIT terminado();
        return m_modelo;
    }
    m_layout = std::move(maquetador);
    m_temporizador.start();
    return m_modelo;
}

std::shared_ptr<const ModeloPaginas> ReportEngine::renderCompleto()
{
    auto modelo = render();
    if (m_layout) {
        m_temporizador.stop();
        try {
            m_layout->avanza(-1);
        } catch (...) {
            m_layout.reset();
            throw;
        }
        m_layout.reset();
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
    try {
        const bool fin = m_layout->avanza(kRebanada);
        Q_EMIT avance(m_modelo->paginasListas());
        if (fin) {
            m_layout.reset();
            Q_EMIT terminado();
            return;
        }
        m_temporizador.start();
    } catch (const FalloInforme &f) {
        m_layout.reset();
        Q_EMIT fallo(f.descripcion);
    }
}

} // namespace slx
