#pragma once
// The values of the two charts of the charts window for a window of 50 intervals, and the
// texts of its two value labels, without any widget.
//
// Value codes: -1 no value (nothing drawn), -2 a level stored as 59 (under range, drawn
// below the axis), 120 the full-height gap band of "Sin datos", 0 and 1 the event flags,
// any other number a level or limit in dB(A) (121 over range).

#include "reports/VentanaIntervalos.h"

#include <QString>
#include <QVector>
#include <array>
#include <functional>

namespace slx::graficas {

inline constexpr int kPuntos = VentanaIntervalos::kPuntos;
inline constexpr double kSinValor = -1;
inline constexpr double kBajoRango = -2;
inline constexpr double kBanda = 120;

// Series of the upper chart's first group (levels and limits), numbered from 1.
enum SerieNivel { LeqLocal = 1, LeqVecino, MaxFast, LimiteLocal, LimiteVecino, LimiteMFast, MaxLeq1, MinLeq1 };
// Series of its second group (percentiles and gaps).
enum SeriePercentil { L1 = 1, L5, L10, L50, L90, SinDatos };
inline constexpr int kSeriesNivel = 8;
inline constexpr int kSeriesPercentil = 6;
inline constexpr int kSeriesEvento = 8;

// The counters of one point, as the lower label reads them.
struct Contadores {
    qint16 desco = 0, pasadasLocal = 0, pasadasVecino = 0, e3 = 0, pasMaxFast = 0;
    quint8 lineaInsuficiente = 0, dna = 0, ena = 0;
};

using Serie = std::array<double, kPuntos>; // index 0 is point 1

struct Valores {
    std::array<Serie, kSeriesNivel> niveles{};         // upper chart, group 1
    std::array<Serie, kSeriesPercentil> percentiles{}; // upper chart, group 2
    std::array<Serie, kSeriesEvento> eventos{};        // lower chart
    std::array<QString, kPuntos> etiquetas;            // the points' labels under the axis
    std::array<Contadores, kPuntos> contadores{};
};

// The charts' values for the rows of a window (oldest first, at most 50). desde30: the
// device's firmware is 3.0 or later (its line-insufficient, D.N.A. and E.N.A. counters
// exist). A gap band stands at both points around a start that is not the start before
// it plus that interval's Leq time; points after the last row have no values, flags 0
// and the label " ".
Valores valores(const QVector<FilaIntervalo> &filas, bool desde30);

// The level texts of the labels: "---", "UND", "UP" or the level with one decimal in the
// system's form. UndOrUp2 is for the reception level, which has no under-range code.
QString UndOrUp(float nivel);
QString UndOrUp2(float nivel);

// The texts of the two value labels. texto gives a catalogue text by number.
using Textos = std::function<QString(int)>;
// niveles: the upper chart's group 1 values at the point (series 1 to 8); percentiles:
// group 2 series 1 to 5.
QString textoSuperior(const std::array<double, kSeriesNivel> &niveles,
                      const std::array<double, kSeriesPercentil> &percentiles, const Textos &texto);
QString textoInferior(const Contadores &c, bool desde30, const Textos &texto);

// Where a label lies beside its point.
enum class Lado { Derecha, Centro, Izquierda };
Lado ladoSuperior(int punto);
Lado ladoInferior(int punto);

// The slider over a log of n intervals: its minimum, maximum and the value it opens at
// (the newest 50). 50 intervals or fewer: -1 to 0 at 0, no scrolling.
struct RangoDeslizador {
    int minimo = -1, maximo = 0, valor = 0;
};
RangoDeslizador rangoDeslizador(qint64 total);

} // namespace slx::graficas
