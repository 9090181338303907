#include "printing/ReportEngine.h"

#include "base/TextoPropio.h"
#include "printing/ReportLayout.h"
#include "printing/ReportXml.h"

namespace slx {

MotorInforme::MotorInforme(QObject *parent)
    : QObject(parent)
{
    m_temporizador.setSingleShot(true);
    m_temporizador.setInterval(0);
    connect(&m_temporizador, &QTimer::timeout, this, &MotorInforme::rebanada);
}

MotorInforme::~MotorInforme() = default;

void MotorInforme::carga(const QString &fichero, const QString &nombre)
{
    cancela();
    m_informe.reset();
    m_informe = cargaInforme(fichero, nombre);
}

Informe &MotorInforme::informe()
{
    if (!m_informe)
        throw FalloInforme{TextoPropio("No report is loaded.")};
    return *m_informe;
}

std::shared_ptr<const ModeloPaginas> MotorInforme::render()
{
    cancela();
    auto maquetador = std::make_unique<Maquetador>(informe().copia());
    m_modelo = maquetador->modelo();
    // The first page at once.
    if (maquetador->avanza(-1, 1)) {
        Q_EMIT avance(m_modelo->paginasListas());
        Q_EMIT terminado();
        return m_modelo;
    }
    m_maquetador = std::move(maquetador);
    m_temporizador.start();
    return m_modelo;
}

std::shared_ptr<const ModeloPaginas> MotorInforme::renderCompleto()
{
    auto modelo = render();
    if (m_maquetador) {
        m_temporizador.stop();
        try {
            m_maquetador->avanza(-1);
        } catch (...) {
            m_maquetador.reset();
            throw;
        }
        m_maquetador.reset();
        Q_EMIT avance(m_modelo->paginasListas());
        Q_EMIT terminado();
    }
    return modelo;
}

void MotorInforme::cancela()
{
    m_temporizador.stop();
    m_maquetador.reset();
}

void MotorInforme::rebanada()
{
    if (!m_maquetador)
        return;
    try {
        const bool fin = m_maquetador->avanza(kRebanada);
        Q_EMIT avance(m_modelo->paginasListas());
        if (fin) {
            m_maquetador.reset();
            Q_EMIT terminado();
            return;
        }
        m_temporizador.start();
    } catch (const FalloInforme &f) {
        m_maquetador.reset();
        Q_EMIT fallo(f.descripcion);
    }
}

} // namespace slx
