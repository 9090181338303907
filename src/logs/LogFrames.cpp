#include "logs/LogFrames.h"

#include "base/Firmware.h"
#include "base/TextFormats.h"
#include "link/Trama.h"

#include <climits>

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

// One field of a record frame: its first byte, its width (1 to 4 bytes, the most
// significant first), whether it is signed, and the range its value must lie in for the
// record to be stored.
struct Campo {
    int offset;
    int ancho;
    bool signo = false;
    int minimo = 0;
    int maximo = 255;
};

int valor(const QByteArray &f, const Campo &c)
{
    switch (c.ancho) {
    case 1: return u8(f, c.offset);
    case 2: return c.signo ? s16(f, c.offset) : u16(f, c.offset);
    case 3: return u24(f, c.offset);
    default: return s32(f, c.offset);
    }
}

// n fields of the first one's kind, one after the other.
template <std::size_t n> constexpr std::array<Campo, n> seguidos(Campo primero)
{
    std::array<Campo, n> campos{};
    for (std::size_t i = 0; i < n; ++i) {
        campos[i] = primero;
        campos[i].offset = primero.offset + int(i) * primero.ancho;
    }
    return campos;
}

// The field's value, or nothing when it is out of its range.
std::optional<int> lee(const QByteArray &f, const Campo &c)
{
    const int v = valor(f, c);
    if (v < c.minimo || v > c.maximo)
        return std::nullopt;
    return v;
}

// The values of a run of fields, or nothing when one is out of its range.
template <std::size_t n> std::optional<std::array<int, n>> lee(const QByteArray &f, const std::array<Campo, n> &campos)
{
    std::array<int, n> valores{};
    for (std::size_t i = 0; i < n; ++i) {
        const auto v = lee(f, campos[i]);
        if (!v)
            return std::nullopt;
        valores[i] = *v;
    }
    return valores;
}

// The hour and minute bytes at i.
HoraTrama horaTrama(const QByteArray &f, int i)
{
    return {u8(f, i), u8(f, i + 1)};
}

// The interval record. Its end is the date-time of bytes 4 to 8 (a month byte of 0xF4
// is January); the moments of the maximum and minimum 1-minute Leq are five bytes each.
namespace intervalo {
constexpr int kFin = 4;
constexpr Campo kDesco{9, 2, true, 0, 4000};
constexpr Campo kPasadasVecino{11, 2, true, 0, 4000};
constexpr Campo kPasadasLocal{13, 2, true, 0, 4000};
constexpr Campo kE3{15, 2, true, 0, 4000};
constexpr Campo kLeqVecino{17, 2, true, 0, 1400};
constexpr Campo kLeqLocal{19, 2, true, 0, 1400};
constexpr Campo kNivelLeqVecino{21, 1};
constexpr Campo kNivelLeqLocal{22, 1};
constexpr Campo kTLeq{23, 1};
constexpr Campo kMaxLeq1min{24, 2, true, 0, 1400};
constexpr int kMomentoMax = 26;
constexpr Campo kMinLeq1min{31, 2, true, 0, 1400};
constexpr int kMomentoMin = 33;
constexpr Campo kMaxFast{38, 2, true, 0, 1400};
constexpr Campo kNivelMFast{40, 1};
constexpr Campo kPasMaxFast{41, 2, true, 0, 4000};
// L1, L5, L10, L50, L90.
constexpr auto kPercentiles = seguidos<5>({43, 2, true, 0, 1400});
// Bytes 53 to 57. Before 3.0: a flag, RS-232, programming (0 or 1 each), the local and
// the reception actuation codes (0 to 2). From 3.0, any value: D.N.A.; E.N.A. with RS-232
// in bit 7; the insufficient line with programming in bit 7; the two actuation codes.
constexpr Campo kBanderaAntigua{53, 1, false, 0, 1};
constexpr Campo kRS232Antiguo{54, 1, false, 0, 1};
constexpr Campo kProgramacionAntigua{55, 1, false, 0, 1};
constexpr Campo kActuacionLocalAntigua{56, 1, false, 0, 2};
constexpr Campo kActuacionVecinoAntigua{57, 1, false, 0, 2};
constexpr Campo kDNA{53, 1};
constexpr Campo kENA{54, 1};
constexpr Campo kLinea{55, 1};
constexpr Campo kActuacionLocal{56, 1};
constexpr Campo kActuacionVecino{57, 1};
constexpr int kUltimo = 57;
} // namespace intervalo

// The session record: its start (bytes 4 to 8) and end (9 to 13) date-times, the night
// hours as hour and minute bytes, the moments of the 1-minute Leq extremes five bytes each.
namespace sesion {
constexpr int kInicio = 4;
constexpr int kFin = 9;
constexpr Campo kNivelDiaLocal{14, 1};
constexpr Campo kNivelDiaVecino{15, 1};
constexpr int kHoraInicioNoche = 16;
constexpr int kHoraFinalNoche = 18;
constexpr Campo kNivelNocheLocal{20, 1};
constexpr Campo kNivelNocheVecino{21, 1};
constexpr Campo kAtenuacion{22, 2, false, 0, 9000};
// Disconnections, local passes, neighbour passes, sensor inactive.
constexpr auto kContadores = seguidos<4>({24, 3, false, 0, 90000});
constexpr Campo kLeq{36, 2, false, 0, 1400};
constexpr Campo kMaxLeq1min{38, 2, false, 0, 1400};
constexpr int kMomentoMax = 40;
constexpr Campo kMinLeq1min{45, 2, false, 0, 1400};
constexpr int kMomentoMin = 47;
constexpr Campo kMaxFast{52, 2, false, 0, 1400};
constexpr Campo kNivelMFast{54, 1};
constexpr Campo kPasMaxFast{55, 3, false, 0, 90000};
constexpr auto kPercentiles = seguidos<5>({58, 2, false, 0, 1400});
constexpr int kUltimo = 67;
} // namespace sesion

// The totals: four counters of four bytes.
namespace totales {
constexpr Campo kPasadasLocal{4, 4, true, INT_MIN, INT_MAX};
constexpr Campo kE3{8, 4, true, INT_MIN, INT_MAX};
constexpr Campo kCB{12, 4, true, INT_MIN, INT_MAX};
constexpr Campo kPasadasVecino{16, 4, true, INT_MIN, INT_MAX};
constexpr int kUltimo = 19;
} // namespace totales

// The event dates: three lists of ten slots of five bytes (day, month, year minus 1900,
// hour, minute) from byte 4, fifty bytes a list.
constexpr int kUltimoFechas = 153;

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

std::optional<Totales> decodificaTotales(const QByteArray &frame)
{
    if (frame.size() <= totales::kUltimo)
        return std::nullopt;
    return Totales{valor(frame, totales::kPasadasLocal), valor(frame, totales::kE3), valor(frame, totales::kCB),
                   valor(frame, totales::kPasadasVecino)};
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
                eventos.push_back({ListaEventos(lista), dia, horaTrama(frame, at + 3)});
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

// The actuation codes from 3.0: 125 is 125 ms, any other its seconds.
int actuacion(int n)
{
    return n == 125 ? 125 : 1000 * n;
}

// The actuation codes before 3.0: 0 none, 1 one second, 2 125 ms.
Actuacion actuacionAntigua(int n)
{
    switch (n) {
    case 1: return 1000;
    case 2: return 125;
    default: return std::nullopt;
    }
}

} // namespace

ResultadoIntervalo decodificaIntervalo(const QByteArray &frame, FormatoIntervalo formato, const QDateTime &inicio)
{
    using namespace intervalo;
    const ResultadoIntervalo invalido{Veredicto::Invalido, {}};
    if (frame.size() > kFin && u8(frame, kFin) == 0)
        return {Veredicto::Fin, {}};
    if (frame.size() <= kUltimo)
        return {Veredicto::Corta, {}};
    const auto fin = fechaTrama(frame, kFin, true);
    if (!fin)
        return invalido;
    if (inicio.isValid() && *fin < inicio)
        return {Veredicto::Anterior, {}};

    const auto desco = lee(frame, kDesco), pasVei = lee(frame, kPasadasVecino), pasLoc = lee(frame, kPasadasLocal),
               e3 = lee(frame, kE3), leqVei = lee(frame, kLeqVecino), leqLoc = lee(frame, kLeqLocal),
               max1 = lee(frame, kMaxLeq1min), min1 = lee(frame, kMinLeq1min), fast = lee(frame, kMaxFast),
               pasFast = lee(frame, kPasMaxFast);
    const auto momentoMax = fechaTrama(frame, kMomentoMax), momentoMin = fechaTrama(frame, kMomentoMin);
    const auto percentiles = lee(frame, kPercentiles);
    if (!desco || !pasVei || !pasLoc || !e3 || !leqVei || !leqLoc || !max1 || !min1 || !fast || !pasFast ||
        !momentoMax || !momentoMin || !percentiles)
        return invalido;

    ResultadoIntervalo res{Veredicto::Valido, {}};
    RegistroIntervalo &r = res.registro;
    if (formato == FormatoIntervalo::AntesDe30) {
        const auto bandera = lee(frame, kBanderaAntigua), rs232 = lee(frame, kRS232Antiguo),
                   programacion = lee(frame, kProgramacionAntigua), local = lee(frame, kActuacionLocalAntigua),
                   vecino = lee(frame, kActuacionVecinoAntigua);
        if (!bandera || !rs232 || !programacion || !local || !vecino)
            return invalido;
        r.boRS232 = *rs232 == 1;
        r.boProgramacion = *programacion == 1;
        r.actuacionLocal = actuacionAntigua(*local);
        r.actuacionVecino = actuacionAntigua(*vecino);
    } else {
        const int dna = valor(frame, kDNA), ena = valor(frame, kENA), linea = valor(frame, kLinea);
        r.boRS232 = ena & 0x80;
        r.boProgramacion = linea & 0x80;
        r.byDNA = quint8(dna);
        r.byENA = quint8(dna == 255 ? 255 : ena & 0x7F);
        r.byLineaInsuficiente = quint8(dna == 255 ? 255 : linea & 0x7F);
        r.actuacionLocal = actuacion(valor(frame, kActuacionLocal));
        const int vecino = valor(frame, kActuacionVecino);
        r.actuacionVecino = vecino == 0 ? Actuacion() : actuacion(vecino);
    }
    r.byNivelLeqVecino = quint8(valor(frame, kNivelLeqVecino));
    r.byNivelLeqLocal = quint8(valor(frame, kNivelLeqLocal));
    r.byTLeq = quint8(valor(frame, kTLeq));
    r.byNivelMFast = quint8(valor(frame, kNivelMFast));
    r.fin = *fin;
    r.inicio = fin->addSecs(-60 * qint64(r.byTLeq));
    r.momentoMaxLeq1min = *momentoMax;
    r.momentoMinLeq1min = *momentoMin;
    r.iDesco = qint16(*desco);
    r.iE3 = qint16(*e3);
    r.iPasMaxFast = qint16(*pasFast);
    r.sMaxFast = UndOrUp(*fast);
    if (*e3 != 0) {
        // The sensor was inactive: its levels and passes mean nothing.
        r.sLeqLocal = r.sLeqVecino = r.sMaxLeq1min = r.sMinLeq1min = 0;
        r.sL.fill(0);
        r.iPasadasLocal = r.iPasadasVecino = 0;
    } else {
        r.sLeqLocal = UndOrUp(*leqLoc);
        r.sLeqVecino = double(*leqVei) / 10.0;
        r.sMaxLeq1min = UndOrUp(*max1);
        r.sMinLeq1min = UndOrUp(*min1);
        for (int i = 0; i < 5; ++i)
            r.sL[i] = UndOrUp((*percentiles)[i]);
        r.iPasadasLocal = qint16(*pasLoc);
        r.iPasadasVecino = qint16(*pasVei);
    }
    return res;
}

ResultadoSesion decodificaSesion(const QByteArray &frame, const QDateTime &inicio)
{
    using namespace sesion;
    const ResultadoSesion invalido{Veredicto::Invalido, {}};
    if (frame.size() > kInicio && u8(frame, kInicio) == 0)
        return {Veredicto::Fin, {}};
    if (frame.size() <= kUltimo)
        return {Veredicto::Corta, {}};
    const auto start = fechaTrama(frame, kInicio);
    if (!start)
        return invalido;
    const auto end = fechaTrama(frame, kFin);
    if (!end)
        return invalido;
    if (inicio.isValid() && *end < inicio)
        return {Veredicto::Anterior, {}};

    const auto atenuacion = lee(frame, kAtenuacion), leq = lee(frame, kLeq), max1 = lee(frame, kMaxLeq1min),
               min1 = lee(frame, kMinLeq1min), fast = lee(frame, kMaxFast), pasFast = lee(frame, kPasMaxFast);
    const auto momentoMax = fechaTrama(frame, kMomentoMax), momentoMin = fechaTrama(frame, kMomentoMin);
    const auto contadores = lee(frame, kContadores);
    const auto percentiles = lee(frame, kPercentiles);
    if (!atenuacion || !leq || !max1 || !min1 || !fast || !pasFast || !momentoMax || !momentoMin || !contadores ||
        !percentiles)
        return invalido;

    ResultadoSesion res{Veredicto::Valido, {}};
    RegistroSesion &r = res.registro;
    r.inicio = *start;
    r.fin = *end;
    r.byNivelDiaLocal = quint8(valor(frame, kNivelDiaLocal));
    r.byNivelDiaVecino = quint8(valor(frame, kNivelDiaVecino));
    r.byNivelNocheLocal = quint8(valor(frame, kNivelNocheLocal));
    r.byNivelNocheVecino = quint8(valor(frame, kNivelNocheVecino));
    r.byNivelMFast = quint8(valor(frame, kNivelMFast));
    r.horaInicioNoche = horaTrama(frame, kHoraInicioNoche);
    r.horaFinalNoche = horaTrama(frame, kHoraFinalNoche);
    r.iTiempoAtenuacion = qint16(*atenuacion);
    r.lDesco = (*contadores)[0];
    r.lPasadasLocal = (*contadores)[1];
    r.lPasadasVecino = (*contadores)[2];
    r.lE3 = (*contadores)[3];
    r.lPasMaxFast = *pasFast;
    r.momentoMaxLeq1min = *momentoMax;
    r.momentoMinLeq1min = *momentoMin;
    const bool inactivo = r.lE3 != 0;
    auto nivel = [inactivo](int decimas) { return inactivo ? 0.0 : UndOrUp(decimas); };
    r.sLeq = nivel(*leq);
    r.sMaxFast = nivel(*fast);
    r.sMaxLeq1min = nivel(*max1);
    r.sMinLeq1min = nivel(*min1);
    for (int i = 0; i < 5; ++i)
        r.sL[i] = nivel((*percentiles)[i]);
    return res;
}

} // namespace slx::logs
