#include "programming/ProgrammingExchange.h"

#include "base/TextFormats.h"
#include "link/Trama.h"
#include "programming/ProgrammingBlock.h"

#include <QSqlError>
#include <QSqlQuery>

namespace slx {

QByteArray tramaDemanaProgramacio()
{
    return trama(0x04);
}

std::optional<qint32> numeroSerieFitxa(const QString &maskNumeroSerie)
{
    const Resultado<qint64> n = enteroTexto(maskNumeroSerie, 0, 2147483647);
    if (!n)
        return std::nullopt;
    return static_cast<qint32>(*n);
}

DestinoRecepcion destinoRecepcion(const QString &maskNumeroSerie, qint32 serie, bool guardada)
{
    if (numeroSerieFitxa(maskNumeroSerie) == serie)
        return DestinoRecepcion::FichaEnPantalla;
    return guardada ? DestinoRecepcion::FichaGuardada : DestinoRecepcion::FichaNueva;
}

Resultado<bool> hayFichaGuardada(const QSqlDatabase &db, qint32 serie)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT 1 FROM \"Programacion\" WHERE \"LNumeroSerie\" = ?"));
    query.addBindValue(serie);
    if (!query.exec())
        return fallo(query.lastError().text());
    return query.next();
}

EstadoFitxa fichaNuevaDeAparato(FitxaProgramacio &f, qint32 serie, const QString &version,
                                const ProgramacioRebuda &copia, ContactFields contacto, const QDateTime &ara)
{
    f.TextFecha = textoFechaFitxa(ara.date());
    f.TextHora = ara.time().toString(QStringLiteral("HH:mm:ss"));
    f.MaskNumeroSerie = QString::number(serie);
    f.MaskFecha = textoFechaFitxa(ara.date());
    if (contacto == ContactFields::Empty) {
        for (QString *t :
             {&f.MaskContacto, &f.MaskLocal, &f.MaskDireccion, &f.MaskPoblacion, &f.MaskTelefono, &f.TextNota})
            t->clear();
    }
    f.MaskVersion = version;
    return CarregaProgAqt(copia, f);
}

bool hasContactData(const FitxaProgramacio &f)
{
    for (const QString *t :
         {&f.MaskContacto, &f.MaskLocal, &f.MaskDireccion, &f.MaskPoblacion, &f.MaskTelefono, &f.TextNota})
        if (!t->trimmed().isEmpty())
            return true;
    return false;
}

bool esSLX90(quint8 tipo)
{
    return tipo == 42 || tipo == 4;
}

std::optional<AvisoIntercambio> compruebaEscritura(quint8 modo, const QString &maskNumeroSerie, qint32 serie,
                                                   quint8 tipo)
{
    if (modo != 1)
        return AvisoIntercambio{64, ui::Icon::Critical};
    if (numeroSerieFitxa(maskNumeroSerie) != serie)
        return AvisoIntercambio{63, ui::Icon::Information};
    if (!esSLX90(tipo))
        return AvisoIntercambio{30, ui::Icon::Information};
    return std::nullopt;
}

quint8 resultadoEscritura(const QByteArray &respuesta)
{
    if (respuesta.isEmpty())
        return kEscrituraSinRespuesta;
    return static_cast<quint8>(respuesta.at(0)) == 0x06 ? kEscrituraAceptada : kEscrituraRechazada;
}

AvisoIntercambio avisoEscritura(quint8 resultado)
{
    switch (resultado) {
    case kEscrituraAceptada: return {61, ui::Icon::Information};
    case kEscrituraRechazada: return {62, ui::Icon::Critical};
    default: return {31, ui::Icon::Critical};
    }
}

} // namespace slx
