#pragma once
// The rules of the weekly timetable, without a window: a day's kind, the confirmation of
// a day with its joins, and the three drawings of the timetable chart as arrays of the
// 169 hourly points of a week (point p is hour p - 1 from Monday 00:00; point 169 is the
// next Monday 00:00 and is drawn as a Sunday hour).
//
// Times are "hh:nn" texts; "--:--" is a closed day. A day's end at or before its start
// runs past midnight.

#include <QString>
#include <QStringList>
#include <QVector>
#include <array>

namespace slx::horario {

constexpr int kPuntos = 169;
constexpr int kDias = 7;
inline const QString kCerrado = QStringLiteral("--:--");

// Chart values.
constexpr double kAbierto = 3.5;    // group 1 series 1 at open hours
constexpr double kBanda = 2.0;      // group 1 series 2 (day) and 3 (night)
constexpr double kColumna = 4.0;    // group 2, the column of a weekday
constexpr double kNoAbierto = -1.0; // the chart's hole

struct Dia {
    QString inicio;
    QString fin;
};
using Semana = std::array<Dia, kDias>; // Monday to Sunday

enum class Tipo { Cerrado, Todo, Horario };

// "hh:nn" with hours 00..23 and minutes 00..59.
bool horaValida(const QString &t);

// The kind a day opens with: start "--:--" closed, 00:00 to 23:59 all day, else a timetable.
Tipo tipoDe(const Dia &d);

// The whole hour nearest to a valid time: "07:29" "07:00", "07:30" "08:00", "23:30" "00:00".
QString RoundHora(const QString &t);

// Result of confirming a day.
struct Confirmacion {
    enum Campo { Ninguno, Inicio, Fin };
    bool confirmado = false;
    bool cerrar = false;  // the day is closed: its closed option is selected (both "--:--")
    int mensaje = 0;      // catalogue text to show (19, 91..97), 0 for none
    Campo foco = Ninguno; // the field that gets the focus back after the message
};

// Confirms day d (0 Monday .. 6 Sunday) of the week: its start, its end, its join with
// the day before and, for Sunday, the join with the following Monday.
Confirmacion confirmaDia(const Semana &semana, int d);

// The weekday (0 Monday .. 6 Sunday) a point is drawn for: by its number, never by the
// date of the chart's reference week (which begins on a Tuesday).
int diaDePunto(int punto);

// The three drawings. Index 0 is point 1.
QVector<double> dibujoSesiones(const Semana &semana);                   // group 1 series 1
QVector<double> dibujoDia();                                            // group 1 series 2
QVector<double> dibujoNoche(const QString &inicio, const QString &fin); // group 1 series 3
QStringList etiquetasNoche(const QString &inicio, const QString &fin);  // point labels
std::array<QVector<double>, kDias> dibujoColumnas();                    // group 2 series 1..7
// The title line: each day name padded with blanks to 23 characters, joined.
QString lineaDias(const QStringList &nombres);

} // namespace slx::horario
