#pragma once
// The frames of a log download: the four requests (totals, event dates, Leq
// intervals, sessions) and the decoding of their answers into values. No I/O, no
// database and no stored texts: a frame goes in, a decoded record or a verdict comes
// out. The records' fields and ranges are one table each, in LogFrames.cpp.
//
// Device date-times are naive (no time zone): they are compared and shifted as plain
// calendar values, so a record logged on the night the clocks change is neither lost
// nor moved.

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <array>
#include <optional>
#include <vector>

namespace slx::logs {

// The period of a download as the date-range dialog leaves it: start day, month,
// two-digit year, hour, minute, then the same for the end.
using RangoFechas = std::array<quint8, 10>;

// --- Requests (whole frames, check byte included) ---
QByteArray tramaDemanaTotals(); // 02 00 06 02 03 05
QByteArray tramaDemanaDates();  // 02 00 06 03 03 04
// Commands 0x05 (intervals) and 0x06 (sessions): the ten range bytes, each year
// byte below 50 plus 100 (years since 1900).
QByteArray tramaDemanaIntervals(const RangoFechas &rango);
QByteArray tramaDemanaSesions(const RangoFechas &rango);

// The start of the period (bytes 0 to 4), years 00 to 49 being 2000 to 2049; an
// invalid date-time when the bytes form none.
QDateTime inicioRango(const RangoFechas &rango);

// A level in tenths of dB as stored: below 60 dB 59, above 120 dB 121, else the
// tenths divided by ten, the decimal value the device sent (65.3, never a widened
// single 65.3000030517578). The bounds are tested on the whole tenths.
double UndOrUp(int decimas);

// A device date-time of five bytes (day, month, year minus 1900, hour, minute);
// nothing when the bytes form no date and time.
std::optional<QDateTime> fechaTrama(const QByteArray &frame, int offset, bool mesF4EsEnero = false);

// --- Totals ---
struct Totales {
    qint32 pasadasLocal = 0;
    qint32 e3 = 0;
    qint32 cb = 0;
    qint32 pasadasVecino = 0;
};
// Nothing when the frame is too short for the four counters.
std::optional<Totales> decodificaTotales(const QByteArray &frame);

// The hour and minute bytes of a device time, as the device sent them: the night hours
// of a session and the time of an event date are kept whatever they hold (24:00, 08:61,
// a byte over 99); their stored texts are the storage's (FormasRegistro.h).
struct HoraTrama {
    quint8 hora = 0, minuto = 0;
    bool operator==(const HoraTrama &) const = default;
};

// --- Event dates ---
enum class ListaEventos { Borrado = 0, FinalBateria = 1, Reprogramado = 2 };
struct Evento {
    ListaEventos lista;
    QDate fecha;
    HoraTrama hora; // a time of day or not ("25:00")
};
// The slots of the three lists whose date is a date, in the order of the frame (a slot
// whose date is no date, day 0 in particular, is empty). The time is not tested. Nothing
// when the frame is too short for the thirty slots.
std::optional<std::vector<Evento>> decodificaFechas(const QByteArray &frame);

// --- Records of the interval and session transfers ---
enum class Veredicto {
    Fin,      // the end of the data: no reply
    Corta,    // the frame is shorter than the record: a transmission fault
    Invalido, // a value out of range: acknowledged, not stored
    Anterior, // it is older than the period: CAN, the transfer is over
    Valido,   // store it and acknowledge
};

enum class FormatoIntervalo { AntesDe30, Desde30 };
// The record layout of a firmware version text ("2.9", "3.0").
FormatoIntervalo formatoDeVersion(const QString &version);

// The integration time of a level's actuation in milliseconds (125, 1000, 10000...);
// nothing when the record gives none.
using Actuacion = std::optional<int>;

// Levels are in dB as stored (UndOrUp), date-times naive as the device gave them.
struct RegistroIntervalo {
    QDateTime inicio, fin; // start (the end less byTLeq minutes) and end of the interval
    quint8 byTLeq = 0;
    double sLeqLocal = 0, sLeqVecino = 0;
    Actuacion actuacionLocal, actuacionVecino;
    quint8 byNivelLeqLocal = 0, byNivelLeqVecino = 0;
    double sMaxLeq1min = 0;
    QDateTime momentoMaxLeq1min;
    double sMinLeq1min = 0;
    QDateTime momentoMinLeq1min;
    double sMaxFast = 0;
    quint8 byNivelMFast = 0;
    qint16 iPasMaxFast = 0;
    std::array<double, 5> sL{}; // L1, L5, L10, L50, L90
    bool boRS232 = false, boProgramacion = false;
    qint16 iDesco = 0, iPasadasLocal = 0, iPasadasVecino = 0, iE3 = 0;
    // Only the layout from 3.0 carries them.
    std::optional<quint8> byDNA, byENA, byLineaInsuficiente;
};
struct ResultadoIntervalo {
    Veredicto veredicto;
    RegistroIntervalo registro; // filled when Valido
};
ResultadoIntervalo decodificaIntervalo(const QByteArray &frame, FormatoIntervalo formato, const QDateTime &inicio);

struct RegistroSesion {
    QDateTime inicio, fin;
    double sLeq = 0;
    quint8 byNivelDiaLocal = 0, byNivelDiaVecino = 0;
    HoraTrama horaInicioNoche, horaFinalNoche;
    quint8 byNivelNocheLocal = 0, byNivelNocheVecino = 0;
    qint16 iTiempoAtenuacion = 0;
    qint32 lDesco = 0, lPasadasLocal = 0, lPasadasVecino = 0, lE3 = 0;
    double sMaxFast = 0;
    quint8 byNivelMFast = 0;
    qint32 lPasMaxFast = 0;
    double sMaxLeq1min = 0;
    QDateTime momentoMaxLeq1min;
    double sMinLeq1min = 0;
    QDateTime momentoMinLeq1min;
    std::array<double, 5> sL{};
};
struct ResultadoSesion {
    Veredicto veredicto;
    RegistroSesion registro;
};
// A session is in the period when it ends at or after its start (a session that
// began before the start and ran into it is taken too).
ResultadoSesion decodificaSesion(const QByteArray &frame, const QDateTime &inicio);

} // namespace slx::logs
