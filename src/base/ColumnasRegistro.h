#pragma once
// The columns of the log tables (Intervalos, Sesiones) in one place. Each column has
// one member below, named as the field of a decoded record that fills it, in the order
// the storage writes the row; its stored name is given by nombre(). Code that reads or
// writes these tables names a column through its member, never by spelling its name,
// so that a list of columns and the values bound to them cannot fall out of step.

#include <QLatin1String>
#include <QString>
#include <QStringList>
#include <array>
#include <cstddef>

namespace slx::registro {

// The columns of an Intervalos row, in the order the storage writes them.
enum class Intervalo : int {
    lNumeroSerie,
    dFechaInicio,
    tHoraInicio,
    dFechaFinal,
    tHoraFinal,
    byTLeq,
    sLeqLocal,
    sLeqVecino,
    tTipoActuacionLocal,
    tTipoActuacionVecino,
    byNivelLeqLocal,
    byNivelLeqVecino,
    sMaxLeq1min,
    tFechaMaxLeq1min,
    tHoraMaxLeq1min,
    sMinLeq1min,
    tFechaMinLeq1min,
    tHoraMinLeq1min,
    sMaxFast,
    byNivelMFast,
    iPasMaxFast,
    sL1,
    sL5,
    sL10,
    sL50,
    sL90,
    boRS232,
    boProgramacion,
    iDesco,
    iPasadasLocal,
    iPasadasVecino,
    iE3,
    // Only the record layout of firmware 3.0 and later carries the last three.
    byDNA,
    byENA,
    byLineaInsuficiente,
};
inline constexpr int kColumnasIntervalo = int(Intervalo::byLineaInsuficiente) + 1;
// The columns the layout before 3.0 carries: the first 32.
inline constexpr int kColumnasIntervaloAntiguo = int(Intervalo::byDNA);

// The columns of a Sesiones row, in the order the storage writes them.
enum class Sesion : int {
    lNumeroSerie,
    dFechaInicio,
    tHoraInicio,
    dFechaFinal,
    tHoraFinal,
    sLeq,
    byNivelDiaLocal,
    byNivelDiaVecino,
    tHoraInicioNoche,
    tHoraFinalNoche,
    byNivelNocheLocal,
    byNivelNocheVecino,
    iTiempoAtenuacion,
    lDesco,
    lPasadasLocal,
    lPasadasVecino,
    lE3,
    sMaxFast,
    byNivelMFast,
    lPasMaxFast,
    sMaxLeq1min,
    tFechaMaxLeq1min,
    tHoraMaxLeq1min,
    sMinLeq1min,
    tFechaMinLeq1min,
    tHoraMinLeq1min,
    sL1,
    sL5,
    sL10,
    sL50,
    sL90,
};
inline constexpr int kColumnasSesion = int(Sesion::sL90) + 1;

// The stored name of a column ("SMaxLeq1min").
const char *nombreC(Intervalo c);
const char *nombreC(Sesion c);
inline QString nombre(Intervalo c)
{
    return QLatin1String(nombreC(c));
}
inline QString nombre(Sesion c)
{
    return QLatin1String(nombreC(c));
}

// The names of the first n columns of the table, in the storage's order.
QStringList nombresIntervalo(int n = kColumnasIntervalo);
QStringList nombresSesion(int n = kColumnasSesion);

// The names of the given columns joined with ", " (a SELECT's column list).
template <typename Columna, std::size_t N> QString lista(const std::array<Columna, N> &columnas)
{
    QStringList out;
    for (Columna c : columnas)
        out << nombre(c);
    return out.join(QLatin1String(", "));
}

// The position of a column in a list of columns (the index of its value in a row read
// with that list); -1 when it is not in it.
template <typename Columna, std::size_t N> constexpr int posicion(const std::array<Columna, N> &columnas, Columna c)
{
    for (std::size_t i = 0; i < N; ++i)
        if (columnas[i] == c)
            return int(i);
    return -1;
}

} // namespace slx::registro
