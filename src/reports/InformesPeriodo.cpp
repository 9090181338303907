#include "reports/InformesPeriodo.h"

#include "base/DataFolder.h"
#include "printing/ReportEngine.h"

#include <QSqlError>
#include <QSqlQuery>

namespace slx::informes {

namespace {

enum class Clase { Nivel, Cero, Minutos, Marca };

struct Regla {
    const char *columna;
    Clase clase;
};

// In the order the rules run.
constexpr Regla kReglas[] = {
    {"SL1", Clase::Nivel},
    {"SL5", Clase::Nivel},
    {"SL10", Clase::Nivel},
    {"SL50", Clase::Nivel},
    {"SL90", Clase::Nivel},
    {"ByENA", Clase::Minutos},
    {"ByLineaInsuficiente", Clase::Minutos},
    {"BoProgramacion", Clase::Marca},
    {"ByDNA", Clase::Minutos},
    {"SMaxFast", Clase::Nivel},
    {"SMaxLeq1min", Clase::Nivel},
    {"SMinLeq1min", Clase::Nivel},
    {"SLeqLocal", Clase::Nivel},
    {"SLeqVecino", Clase::Cero},
    {"SLeq", Clase::Nivel},
};

QString tabla(Tipo tipo)
{
    return tipo == Tipo::Intervalos ? QStringLiteral("Intervalos") : QStringLiteral("Sesiones");
}

// Row values compare the start (date, time) with both ends, as the key orders it.
QString condicion()
{
    return QStringLiteral("\"LNumeroSerie\" = ? AND (\"DFechaInicio\", \"THoraInicio\") >= (?, ?) AND "
                          "(\"DFechaInicio\", \"THoraInicio\") <= (?, ?)");
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
    return QStringLiteral("SELECT * FROM \"%1\" WHERE %2 ORDER BY \"DFechaInicio\", \"THoraInicio\"")
        .arg(tabla(tipo), condicion());
}

QVariantList valoresLista(qint32 serial, const Periodo &periodo)
{
    return {serial, periodo.fechaInicio, periodo.horaInicio, periodo.fechaFin, periodo.horaFin};
}

std::optional<bool> hayRegistros(QSqlDatabase db, Tipo tipo, qint32 serial, const Periodo &periodo, QString *error)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT 1 FROM \"%1\" WHERE %2 LIMIT 1").arg(tabla(tipo), condicion()));
    for (const QVariant &v : valoresLista(serial, periodo))
        q.addBindValue(v);
    if (!q.exec()) {
        if (error)
            *error = q.lastError().text();
        return std::nullopt;
    }
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

void preparaInforme(ReportEngine &motor, QSqlDatabase db, Tipo tipo, marco::DatosMarco datos, const Periodo &periodo,
                    const QList<ReglaRegistro> &reglas, const std::function<QString(int)> &texto)
{
    motor.carga(ficheroDisposicion(tipo), nombreInforme(tipo));
    Informe &informe = motor.informe();
    datos.lista = tipo == Tipo::Intervalos ? marco::Lista::Intervalos : marco::Lista::Sesiones;
    marco::rellenaMarco(informe, db, datos, texto);
    Informe &lista = informe.subinforme(listaDe(tipo));
    lista.setOrigen(sqlLista(tipo), valoresLista(datos.serial, periodo));
    lista.seccion(QStringLiteral("Detail")).setReglas(reglas);
}

} // namespace slx::informes
