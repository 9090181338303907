#include "logs/FormasRegistro.h"

namespace slx::logs {

namespace {

QString dosCifras(int n)
{
    return QString::number(n).rightJustified(2, u'0');
}

QString textoActuacion(int ms)
{
    return ms == 125 ? QStringLiteral("Leq125ms") : QStringLiteral("Leq%1s").arg(ms / 1000);
}

} // namespace

QString textoFechaLarga(const QDate &d)
{
    return d.toString(QStringLiteral("dd/MM/yyyy"));
}

QString textoHoraMinuto(const QTime &t)
{
    return t.toString(QStringLiteral("hh:mm"));
}

QString textoHoraNoche(HoraTrama h)
{
    if (h.hora > 99 || h.minuto > 99)
        return QStringLiteral("");
    return dosCifras(h.hora) + u':' + dosCifras(h.minuto);
}

QString textoHoraEvento(HoraTrama h)
{
    return dosCifras(qMin(int(h.hora), 99)) + u':' + dosCifras(qMin(int(h.minuto), 99));
}

QString textoActuacionLocal(const Actuacion &a)
{
    return a ? textoActuacion(*a) : QString();
}

QString textoActuacionVecino(const Actuacion &a)
{
    return a ? textoActuacion(*a) : QStringLiteral("0");
}

} // namespace slx::logs
