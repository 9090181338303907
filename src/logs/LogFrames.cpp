#include "logs/LogFrames.h"

#include "base/Firmware.h"
#include "base/TextFormats.h"
#include "link/Trama.h"

namespace slx::logs {

namespace {

QByteArray tramaRango(quint8 comando, const RangoFechas &rango)
{
    QByteArray datos;
    for (int i = 0; i < 10; ++i) {
        quint8 b = rango[i];
        if ((i == 2 || i == 7) && b < 50)
            b = quint8(b + 100);
        datos.append(char(b));
    }
    return trama(comando, datos);
}

quint8 u8(const QByteArray &f, int i)
{
    return quint8(f[i]);
}
int u16(const QByteArray &f, int i)
{
    return (u8(f, i) << 8) | u8(f, i + 1);
}
int s16(const QByteArray &f, int i)
{
    return qint16(quint16(u16(f, i)));
}
int u24(const QByteArray &f, int i)
{
    return (u8(f, i) << 16) | (u8(f, i + 1) << 8) | u8(f, i + 2);
}
qint32 s32(const QByteArray &f, int i)
{
    return qint32((quint32(u8(f, i)) << 24) | (quint32(u8(f, i + 1)) << 16) | (quint32(u8(f, i + 2)) << 8) |
                  quint32(u8(f, i + 3)));
}

bool enRango(int v, int minimo, int maximo)
{
    return v >= minimo && v <= maximo;
}

// An hour and a minute of two bytes as "hh:mm", taken as they are: the device's
// night hours are kept whatever they hold ("24:00" too), never the reason to drop
// the record that carries them. A byte of 100 or more has no such form: the text is
// left empty (an empty text, not a missing one) and the record is stored all the same.
QString horaBytes(const QByteArray &f, int i)
{
    if (u8(f, i) > 99 || u8(f, i + 1) > 99)
        return QStringLiteral("");
    return QStringLiteral("%1:%2").arg(u8(f, i), 2, 10, QLatin1Char('0')).arg(u8(f, i + 1), 2, 10, QLatin1Char('0'));
}

// The time of an event date as the device gave it, "hh:mm" two digits each, whether or
// not it is a time of day: the day is the event's, and a clock that read 25:00 or 08:61
// keeps that reading (two such events of one day stay two rows, and the text sorts where
// its digits put it: 25:00 after the day's last real time, 08:61 after 08:59). A byte of
// 100 or more has no two digits and is written 99.
QString horaEvento(const QByteArray &f, int i)
{
    const auto dos = [&](int at) { return QString::number(qMin(int(u8(f, at)), 99)).rightJustified(2, u'0'); };
    return dos(i) + u':' + dos(i + 1);
}

// Record lengths: the last byte each reader takes.
constexpr int kUltimoTotales = 19;
constexpr int kUltimoFechas = 153;
constexpr int kUltimoIntervalo = 57;
constexpr int kUltimoSesion = 67;

} // namespace

QByteArray tramaDemanaTotals()
{
    return trama(0x02, {});
}

QByteArray tramaDemanaDates()
{
    return trama(0x03, {});
}

QByteArray tramaDemanaIntervals(const RangoFechas &rango)
{
    return tramaRango(0x05, rango);
}

QByteArray tramaDemanaSesions(const RangoFechas &rango)
{
    return tramaRango(0x06, rango);
}

QDateTime inicioRango(const RangoFechas &rango)
{
    const int yy = rango[2];
    const QDate d(yy < 50 ? 2000 + yy : 1900 + yy, rango[1], rango[0]);
    if (!d.isValid() || rango[3] > 23 || rango[4] > 59)
        return {};
    return QDateTime(d, QTime(rango[3], rango[4]), Qt::UTC);
}

double UndOrUp(int decimas)
{
    if (decimas < 600)
        return 59.0;
    if (decimas > 1200)
        return 121.0;
    return double(decimas) / 10.0;
}

std::optional<QDateTime> fechaTrama(const QByteArray &frame, int offset, bool mesF4EsEnero)
{
    if (frame.size() < offset + 5)
        return std::nullopt;
    const int dia = u8(frame, offset);
    int mes = u8(frame, offset + 1);
    if (mesF4EsEnero && mes == 0xF4)
        mes = 1;
    const QDate d(1900 + u8(frame, offset + 2), mes, dia);
    const int h = u8(frame, offset + 3), m = u8(frame, offset + 4);
    if (!d.isValid() || h > 23 || m > 59)
        return std::nullopt;
    return QDateTime(d, QTime(h, m), Qt::UTC);
}

QString textoFechaLarga(const QDate &d)
{
    return d.toString(QStringLiteral("dd/MM/yyyy"));
}

QString textoHoraMinuto(const QTime &t)
{
    return t.toString(QStringLiteral("hh:mm"));
}

std::optional<Totales> decodificaTotales(const QByteArray &frame)
{
    if (frame.size() <= kUltimoTotales)
        return std::nullopt;
    return Totales{s32(frame, 4), s32(frame, 8), s32(frame, 12), s32(frame, 16)};
}

std::optional<std::vector<Evento>> decodificaFechas(const QByteArray &frame)
{
    if (frame.size() <= kUltimoFechas)
        return std::nullopt;
    std::vector<Evento> eventos;
    for (int lista = 0; lista < 3; ++lista) {
        for (int k = 0; k < 10; ++k) {
            const int at = 4 + 50 * lista + 5 * k;
            const QDate dia(1900 + u8(frame, at + 2), u8(frame, at + 1), u8(frame, at));
            if (dia.isValid())
                eventos.push_back({ListaEventos(lista), dia, horaEvento(frame, at + 3)});
        }
    }
    return eventos;
}

FormatoIntervalo formatoDeVersion(const QString &version)
{
    return versionAlMenys(version, firmware::kNewIntervalRecord) ? FormatoIntervalo::Desde30
                                                                 : FormatoIntervalo::AntesDe30;
}

namespace {

QString actuacion(int n)
{
    return n == 125 ? QStringLiteral("Leq125ms") : QStringLiteral("Leq%1s").arg(n);
}

// The actuation codes of the layout before 3.0: 0 none, 1 one second, 2 125 ms.
QString actuacionAntigua(int n, bool vecino)
{
    switch (n) {
    case 1: return QStringLiteral("Leq1s");
    case 2: return QStringLiteral("Leq125ms");
    default: return vecino ? QStringLiteral("0") : QString();
    }
}

} // namespace

ResultadoIntervalo decodificaIntervalo(const QByteArray &frame, FormatoIntervalo formato, const QDateTime &inicio)
{
    ResultadoIntervalo res{Veredicto::Invalido, {}};
    if (frame.size() > 4 && u8(frame, 4) == 0)
        return {Veredicto::Fin, {}};
    if (frame.size() <= kUltimoIntervalo)
        return {Veredicto::Corta, {}};
    const auto fin = fechaTrama(frame, 4, true);
    if (!fin)
        return res;
    if (inicio.isValid() && *fin < inicio)
        return {Veredicto::Anterior, {}};

    RegistroIntervalo &r = res.registro;
    const int desco = s16(frame, 9), pasVei = s16(frame, 11), pasLoc = s16(frame, 13), e3 = s16(frame, 15);
    const int leqVei = s16(frame, 17), leqLoc = s16(frame, 19);
    for (int v : {desco, pasVei, pasLoc, e3})
        if (!enRango(v, 0, 4000))
            return res;
    if (!enRango(leqVei, 0, 1400) || !enRango(leqLoc, 0, 1400))
        return res;
    r.byNivelLeqVecino = u8(frame, 21);
    r.byNivelLeqLocal = u8(frame, 22);
    r.byTLeq = u8(frame, 23);
    const int max1 = s16(frame, 24);
    if (!enRango(max1, 0, 1400))
        return res;
    const auto momentoMax = fechaTrama(frame, 26);
    if (!momentoMax)
        return res;
    const int min1 = s16(frame, 31);
    if (!enRango(min1, 0, 1400))
        return res;
    const auto momentoMin = fechaTrama(frame, 33);
    if (!momentoMin)
        return res;
    const int fast = s16(frame, 38);
    if (!enRango(fast, 0, 1400))
        return res;
    r.byNivelMFast = u8(frame, 40);
    const int pasFast = s16(frame, 41);
    if (!enRango(pasFast, 0, 4000))
        return res;
    std::array<int, 5> percentiles{};
    for (int i = 0; i < 5; ++i) {
        percentiles[i] = s16(frame, 43 + 2 * i);
        if (!enRango(percentiles[i], 0, 1400))
            return res;
    }
    const int b53 = u8(frame, 53), b54 = u8(frame, 54), b55 = u8(frame, 55), b56 = u8(frame, 56), b57 = u8(frame, 57);
    if (formato == FormatoIntervalo::AntesDe30) {
        if (b53 > 1 || b54 > 1 || b55 > 1 || b56 > 2 || b57 > 2)
            return res;
        r.boRS232 = b54 == 1;
        r.boProgramacion = b55 == 1;
        r.tTipoActuacionLocal = actuacionAntigua(b56, false);
        r.tTipoActuacionVecino = actuacionAntigua(b57, true);
    } else {
        r.boRS232 = b54 & 0x80;
        r.boProgramacion = b55 & 0x80;
        r.byDNA = quint8(b53);
        r.byENA = quint8(b53 == 255 ? 255 : b54 & 0x7F);
        r.byLineaInsuficiente = quint8(b53 == 255 ? 255 : b55 & 0x7F);
        r.tTipoActuacionLocal = actuacion(b56);
        r.tTipoActuacionVecino = b57 == 0 ? QStringLiteral("0") : actuacion(b57);
    }

    r.fin = *fin;
    r.dFechaFinal = fin->date();
    r.tHoraFinal = textoHoraMinuto(fin->time());
    r.inicio = fin->addSecs(-60 * qint64(r.byTLeq));
    r.dFechaInicio = r.inicio.date();
    r.tHoraInicio = textoHoraMinuto(r.inicio.time());
    r.tFechaMaxLeq1min = textoFechaLarga(momentoMax->date());
    r.tHoraMaxLeq1min = textoHoraMinuto(momentoMax->time());
    r.tFechaMinLeq1min = textoFechaLarga(momentoMin->date());
    r.tHoraMinLeq1min = textoHoraMinuto(momentoMin->time());
    r.iDesco = qint16(desco);
    r.iE3 = qint16(e3);
    r.iPasMaxFast = qint16(pasFast);
    r.sMaxFast = UndOrUp(fast);
    if (e3 != 0) {
        // The sensor was inactive: its levels and passes mean nothing.
        r.sLeqLocal = r.sLeqVecino = r.sMaxLeq1min = r.sMinLeq1min = 0;
        r.sL.fill(0);
        r.iPasadasLocal = r.iPasadasVecino = 0;
    } else {
        r.sLeqLocal = UndOrUp(leqLoc);
        r.sLeqVecino = double(leqVei) / 10.0;
        r.sMaxLeq1min = UndOrUp(max1);
        r.sMinLeq1min = UndOrUp(min1);
        for (int i = 0; i < 5; ++i)
            r.sL[i] = UndOrUp(percentiles[i]);
        r.iPasadasLocal = qint16(pasLoc);
        r.iPasadasVecino = qint16(pasVei);
    }
    res.veredicto = Veredicto::Valido;
    return res;
}

ResultadoSesion decodificaSesion(const QByteArray &frame, const QDateTime &inicio)
{
    ResultadoSesion res{Veredicto::Invalido, {}};
    if (frame.size() > 4 && u8(frame, 4) == 0)
        return {Veredicto::Fin, {}};
    if (frame.size() <= kUltimoSesion)
        return {Veredicto::Corta, {}};
    const auto start = fechaTrama(frame, 4);
    if (!start)
        return res;
    const auto end = fechaTrama(frame, 9);
    if (!end)
        return res;
    if (inicio.isValid() && *end < inicio)
        return {Veredicto::Anterior, {}};

    RegistroSesion &r = res.registro;
    r.byNivelDiaLocal = u8(frame, 14);
    r.byNivelDiaVecino = u8(frame, 15);
    r.byNivelNocheLocal = u8(frame, 20);
    r.byNivelNocheVecino = u8(frame, 21);
    const int atenuacion = u16(frame, 22);
    if (atenuacion > 9000)
        return res;
    std::array<int, 4> contadores{};
    for (int i = 0; i < 4; ++i) {
        contadores[i] = u24(frame, 24 + 3 * i);
        if (contadores[i] > 90000)
            return res;
    }
    const int leq = u16(frame, 36), max1 = u16(frame, 38);
    if (leq > 1400 || max1 > 1400)
        return res;
    const auto momentoMax = fechaTrama(frame, 40);
    if (!momentoMax)
        return res;
    const int min1 = u16(frame, 45);
    if (min1 > 1400)
        return res;
    const auto momentoMin = fechaTrama(frame, 47);
    if (!momentoMin)
        return res;
    const int fast = u16(frame, 52);
    if (fast > 1400)
        return res;
    r.byNivelMFast = u8(frame, 54);
    const int pasFast = u24(frame, 55);
    if (pasFast > 90000)
        return res;
    std::array<int, 5> percentiles{};
    for (int i = 0; i < 5; ++i) {
        percentiles[i] = u16(frame, 58 + 2 * i);
        if (percentiles[i] > 1400)
            return res;
    }

    r.inicio = *start;
    r.dFechaInicio = start->date();
    r.tHoraInicio = textoHoraMinuto(start->time());
    r.dFechaFinal = end->date();
    r.tHoraFinal = textoHoraMinuto(end->time());
    r.tHoraInicioNoche = horaBytes(frame, 16);
    r.tHoraFinalNoche = horaBytes(frame, 18);
    r.iTiempoAtenuacion = qint16(atenuacion);
    r.lDesco = contadores[0];
    r.lPasadasLocal = contadores[1];
    r.lPasadasVecino = contadores[2];
    r.lE3 = contadores[3];
    r.lPasMaxFast = pasFast;
    r.tFechaMaxLeq1min = textoFechaLarga(momentoMax->date());
    r.tHoraMaxLeq1min = textoHoraMinuto(momentoMax->time());
    r.tFechaMinLeq1min = textoFechaLarga(momentoMin->date());
    r.tHoraMinLeq1min = textoHoraMinuto(momentoMin->time());
    const bool inactivo = r.lE3 != 0;
    auto nivel = [inactivo](int decimas) { return inactivo ? 0.0 : UndOrUp(decimas); };
    r.sLeq = nivel(leq);
    r.sMaxFast = nivel(fast);
    r.sMaxLeq1min = nivel(max1);
    r.sMinLeq1min = nivel(min1);
    for (int i = 0; i < 5; ++i)
        r.sL[i] = nivel(percentiles[i]);
    res.veredicto = Veredicto::Valido;
    return res;
}

} // namespace slx::logs
