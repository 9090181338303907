#include "programming/HorarioSemanal.h"

namespace slx::horario {

namespace {

constexpr int kDiaMin = 24 * 60;

int minutos(const QString &t)
{
    return t.left(2).toInt() * 60 + t.right(2).toInt();
}

// Minutes from Monday 00:00 of the chart's week at point p (point 169 the next Monday).
int minutoDePunto(int p)
{
    return (p - 1) * 60;
}

bool abierto(const Dia &d)
{
    return d.inicio != kCerrado && horaValida(d.inicio) && horaValida(d.fin);
}

// A day's open interval placed on its own date, in minutes from that date's 00:00.
struct Tramo {
    int desde;
    int hasta;
};

Tramo tramo(const Dia &d)
{
    bool pasa = d.fin <= d.inicio; // "hh:nn" texts compare as the times they hold
    const int s = minutos(RoundHora(d.inicio));
    const int e = minutos(RoundHora(d.fin));
    const bool empiezaDespues = s == 0 && pasa;
    if (e == 0)
        pasa = true;
    return {s + (empiezaDespues ? kDiaMin : 0), e + (pasa ? kDiaMin : 0)};
}

// The join of a day with the next one: the next day's start must come after the end of
// the day before, when that day runs past midnight.
bool pasaUnion(const Dia &anterior, const QString &inicioSiguiente)
{
    if (!abierto(anterior) || !horaValida(inicioSiguiente))
        return true;
    const int s = minutos(anterior.inicio);
    int e = minutos(anterior.fin);
    if (e < s)
        e += kDiaMin;
    return minutos(inicioSiguiente) + kDiaMin > e;
}

} // namespace

bool horaValida(const QString &t)
{
    if (t.size() != 5 || t.at(2) != QLatin1Char(':'))
        return false;
    for (int i : {0, 1, 3, 4})
        if (t.at(i) < QLatin1Char('0') || t.at(i) > QLatin1Char('9'))
            return false;
    return t.left(2).toInt() <= 23 && t.right(2).toInt() <= 59;
}

Tipo tipoDe(const Dia &d)
{
    if (d.inicio == kCerrado)
        return Tipo::Cerrado;
    if (d.inicio == QLatin1String("00:00") && d.fin == QLatin1String("23:59"))
        return Tipo::Todo;
    return Tipo::Horario;
}

QString RoundHora(const QString &t)
{
    const int r = ((minutos(t) + 30) / 60) % 24;
    return QStringLiteral("%1:00").arg(r, 2, 10, QLatin1Char('0'));
}

Confirmacion confirmaDia(const Semana &semana, int d)
{
    Confirmacion c;
    if (d < 0 || d >= kDias)
        return c;
    const Dia &dia = semana[d];
    if (dia.inicio == kCerrado) {
        c.confirmado = true;
        c.cerrar = true;
        return c;
    }
    if (!horaValida(dia.inicio)) {
        c.mensaje = 19;
        c.foco = Confirmacion::Inicio;
        return c;
    }
    // The end reaches the joins and the drawing: it must be a time too.
    if (!horaValida(dia.fin)) {
        c.mensaje = 19;
        c.foco = Confirmacion::Fin;
        return c;
    }
    if (dia.fin == dia.inicio) {
        c.mensaje = 97;
        c.foco = Confirmacion::Inicio;
        return c;
    }
    if (d > 0 && !pasaUnion(semana[d - 1], dia.inicio)) {
        c.mensaje = 91 + (d - 1);
        return c;
    }
    if (d == kDias - 1 && !pasaUnion(dia, semana[0].inicio)) {
        c.mensaje = 91;
        return c;
    }
    c.confirmado = true;
    return c;
}

int diaDePunto(int punto)
{
    return qBound(0, (punto - 1) / 24, kDias - 1);
}

QVector<double> dibujoSesiones(const Semana &semana)
{
    QVector<double> v(kPuntos, kNoAbierto);
    std::array<bool, kDias> open{};
    std::array<Tramo, kDias> tramos{};
    for (int d = 0; d < kDias; ++d) {
        open[d] = abierto(semana[d]);
        if (open[d])
            tramos[d] = tramo(semana[d]);
    }
    for (int p = 1; p <= kPuntos; ++p) {
        const int d = diaDePunto(p);
        const int anterior = (d + kDias - 1) % kDias;
        // The time of day on the point's own date; point 169 is 00:00 of the day after Sunday.
        const int t = minutoDePunto(p) - (p == kPuntos ? kDias : d) * kDiaMin;
        const bool hoy = open[d] && t >= tramos[d].desde && t <= tramos[d].hasta;
        const int ayer = t + kDiaMin;
        const bool deAyer = open[anterior] && ayer >= tramos[anterior].desde && ayer <= tramos[anterior].hasta;
        v[p - 1] = hoy || deAyer ? kAbierto : kNoAbierto;
    }
    return v;
}

QVector<double> dibujoDia()
{
    return QVector<double>(kPuntos, kBanda);
}

QVector<double> dibujoNoche(const QString &inicio, const QString &fin)
{
    QVector<double> v(kPuntos, kNoAbierto);
    if (!horaValida(inicio) || !horaValida(fin))
        return v;
    const int ns = minutos(RoundHora(inicio));
    const int ne = minutos(RoundHora(fin));
    for (int p = 1; p <= kPuntos; ++p) {
        const int t = minutoDePunto(p);
        const int fecha = t / kDiaMin * kDiaMin;
        int s = fecha + ns;
        int e = fecha + ne;
        if (e < s)
            e += kDiaMin;
        if ((s <= t && t <= e) || (s - kDiaMin <= t && t <= e - kDiaMin))
            v[p - 1] = kBanda;
    }
    return v;
}

QStringList etiquetasNoche(const QString &inicio, const QString &fin)
{
    QStringList labels;
    const QString ns = horaValida(inicio) ? RoundHora(inicio) : QString();
    const QString ne = horaValida(fin) ? RoundHora(fin) : QString();
    for (int p = 1; p <= kPuntos; ++p) {
        const int t = minutoDePunto(p) % kDiaMin;
        const QString hora =
            QStringLiteral("%1:%2").arg(t / 60, 2, 10, QLatin1Char('0')).arg(t % 60, 2, 10, QLatin1Char('0'));
        if (hora == ns)
            labels << inicio;
        else if (hora == ne)
            labels << fin;
        else
            labels << QStringLiteral(" ");
    }
    return labels;
}

std::array<QVector<double>, kDias> dibujoColumnas()
{
    std::array<QVector<double>, kDias> series;
    for (int k = 1; k <= kDias; ++k) {
        series[k - 1] = QVector<double>(kPuntos, kNoAbierto);
        for (int p = 24 * (k - 1) + 1; p <= 24 * k + 1; ++p)
            series[k - 1][p - 1] = kColumna;
    }
    return series;
}

QString lineaDias(const QStringList &nombres)
{
    QString linea;
    for (const QString &n : nombres)
        linea += n.leftJustified(23, QLatin1Char(' '));
    return linea;
}

} // namespace slx::horario
