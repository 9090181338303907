#include "reports/InformesPeriodo.h"

#include "base/ColumnasRegistro.h"
#include "base/DataFolder.h"
#include "base/Database.h"
#include "printing/ReportEngine.h"

#include <QSqlError>
#include <QSqlQuery>

namespace slx::informes {

namespace {

using I = registro::Intervalo;
using S = registro::Sesion;

enum class Clase { Nivel, Cero, Minutos, Marca };

struct Regla {
    const char *columna;
    Clase clase;
};

// In the order the rules run.
const Regla kReglas[] = {
    {registro::nombreC(I::sL1), Clase::Nivel},
    {registro::nombreC(I::sL5), Clase::Nivel},
    {registro::nombreC(I::sL10), Clase::Nivel},
    {registro::nombreC(I::sL50), Clase::Nivel},
    {registro::nombreC(I::sL90), Clase::Nivel},
    {registro::nombreC(I::byENA), Clase::Minutos},
    {registro::nombreC(I::byLineaInsuficiente), Clase::Minutos},
    {registro::nombreC(I::boProgramacion), Clase::Marca},
    {registro::nombreC(I::byDNA), Clase::Minutos},
    {registro::nombreC(I::sMaxFast), Clase::Nivel},
    {registro::nombreC(I::sMaxLeq1min), Clase::Nivel},
    {registro::nombreC(I::sMinLeq1min), Clase::Nivel},
    {registro::nombreC(I::sLeqLocal), Clase::Nivel},
    {registro::nombreC(I::sLeqVecino), Clase::Cero},
    {registro::nombreC(S::sLeq), Clase::Nivel},
};

QString tabla(Tipo tipo)
{
    return tipo == Tipo::Intervalos ? QStringLiteral("Intervalos") : QStringLiteral("Sesiones");
}

// Row values compare the start (date, time) with both ends, as the key orders it.
QString condicion()
{
    const QString serie = Database::quoteIdentifier(registro::nombre(I::lNumeroSerie));
    const QString inicio = QStringLiteral("(%1, %2)")
                               .arg(Database::quoteIdentifier(registro::nombre(I::dFechaInicio)),
                                    Database::quoteIdentifier(registro::nombre(I::tHoraInicio)));
    return QStringLiteral("%1 = ? AND %2 >= (?, ?) AND %2 <= (?, ?)").arg(serie, inicio);
}

} // namespace

QList<ReglaRegistro> reglasDetalle(const QString &sinCalibrar, const QString &si, const QString &no)
{
    QList<ReglaRegistro> out;
    for (const Regla &r : kReglas) {
        const QString columna = QString::fromLatin1(r.columna);
        const QString campo = QLatin1Char('L') + columna;
        switch (r.clase) {
        case Clase::Nivel: out << ReglaRegistro::nivel(columna, campo); break;
        case Clase::Cero: out << ReglaRegistro::cero(columna, campo); break;
        case Clase::Minutos: out << ReglaRegistro::minutos(columna, campo, sinCalibrar); break;
        case Clase::Marca: out << ReglaRegistro::marca(columna, campo, si, no); break;
        }
    }
    return out;
}

QString sqlLista(Tipo tipo)
{
    return QStringLiteral("SELECT * FROM \"%1\" WHERE %2 ORDER BY %3, %4")
        .arg(tabla(tipo), condicion(), Database::quoteIdentifier(registro::nombre(I::dFechaInicio)),
             Database::quoteIdentifier(registro::nombre(I::tHoraInicio)));
}

QVariantList valoresLista(qint32 serial, const Periodo &periodo)
{
    return {serial, periodo.fechaInicio, periodo.horaInicio, periodo.fechaFin, periodo.horaFin};
}

Resultado<bool> hayRegistros(QSqlDatabase db, Tipo tipo, qint32 serial, const Periodo &periodo)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT 1 FROM \"%1\" WHERE %2 LIMIT 1").arg(tabla(tipo), condicion()));
    for (const QVariant &v : valoresLista(serial, periodo))
        q.addBindValue(v);
    if (!q.exec())
        return fallo(q.lastError().text());
    return q.next();
}

QString ficheroDisposicion(Tipo tipo)
{
    return DataFolder::file(tipo == Tipo::Intervalos ? QStringLiteral("XML/slx90_2.xml")
                                                     : QStringLiteral("XML/slx90_3.xml"));
}

QString nombreInforme(Tipo tipo)
{
    return tipo == Tipo::Intervalos ? QStringLiteral("SLX90_2") : QStringLiteral("SLX90_3");
}

QString listaDe(Tipo tipo)
{
    return QString::fromLatin1(tipo == Tipo::Intervalos ? marco::kListaIntervalos : marco::kListaSesiones);
}

Resultado<> preparaInforme(ReportEngine &motor, QSqlDatabase db, Tipo tipo, marco::DatosMarco datos,
                           const Periodo &periodo, const QList<ReglaRegistro> &reglas,
                           const std::function<QString(int)> &texto)
{
    if (const auto cargado = motor.carga(ficheroDisposicion(tipo), nombreInforme(tipo)); !cargado)
        return cargado;
    const auto informe = motor.informe();
    if (!informe)
        return fallo(informe.error());
    datos.lista = tipo == Tipo::Intervalos ? marco::Lista::Intervalos : marco::Lista::Sesiones;
    if (const auto relleno = marco::rellenaMarco(**informe, db, datos, texto); !relleno)
        return relleno;
    const auto lista = (*informe)->subinforme(listaDe(tipo));
    if (!lista)
        return fallo(lista.error());
    (*lista)->setOrigen(sqlLista(tipo), valoresLista(datos.serial, periodo));
    const auto detalle = (*lista)->seccion(QStringLiteral("Detail"));
    if (!detalle)
        return fallo(detalle.error());
    (*detalle)->setReglas(reglas);
    return {};
}

} // namespace slx::informes
