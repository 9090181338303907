#include "programming/RealTimeDisplay.h"

#include <QDate>
#include <QTime>

namespace slx {

namespace {

QString dosCifras(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

} // namespace

std::optional<RealTimeDisplay> realTimeDisplay(std::span<const quint8> t, const QString &dia, const QString &noche)
{
    if (t.size() < std::size_t(kLongitudTiempoReal))
        return std::nullopt;
    RealTimeDisplay v;

    // The year byte is the year minus 1900; two digits are shown.
    const QDate fecha(1900 + t[6], t[5], t[4]);
    v.LbFecha = fecha.isValid() ? dosCifras(t[4]) + QLatin1Char('/') + dosCifras(t[5]) + QLatin1Char('/') +
                                      dosCifras(fecha.year() % 100)
                                : QStringLiteral("--/--/--");
    const QTime hora(t[7], t[8], t[9]);
    v.LbHora = hora.isValid() ? hora.toString(QStringLiteral("HH:mm:ss")) : QStringLiteral("--:--:--");

    v.LbSesion = t[10] == 1;
    v.LbNoche = QLatin1Char('(') + (t[11] == 1 ? noche : dia) + QLatin1Char(')');

    // Mains disconnected: the device attenuates fully, shown as 60 dB.
    int atenuacion = t[17];
    v.LbRed = t[12] == 1;
    if (v.LbRed)
        atenuacion = 60;
    v.LbSensor = t[13] == 1;
    v.LbInhabil = t[14] == 1;

    if (t[13] != 0) {
        v.LbNivel = QStringLiteral("---");
    } else {
        const qint16 nivel = static_cast<qint16>((t[15] << 8) | t[16]);
        if (nivel < 600)
            v.LbNivel = QStringLiteral("UND");
        else if (nivel > 1200)
            v.LbNivel = QStringLiteral("UP");
        else
            v.LbNivel = QString::number(nivel / 10) + QLatin1Char('.') + QString::number(nivel % 10);
    }

    if (t[12] != 0)
        v.LbAtenuador = QStringLiteral("-60");
    else if (atenuacion == 0)
        v.LbAtenuador = QStringLiteral("  0");
    else
        v.LbAtenuador = QLatin1Char('-') + QString::number(atenuacion);

    v.ProgressBar1Visible = atenuacion != 0;
    v.ProgressBar1 = v.ProgressBar1Visible ? qMin(atenuacion, kMaximoBarra) : 0;
    return v;
}

} // namespace slx
