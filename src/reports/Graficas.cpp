#include "reports/Graficas.h"

#include "base/TextFormats.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <cmath>
#include <limits>

namespace slx::graficas {

namespace {

// A stored level: NULL draws nothing, the stored 59 is under range.
double nivel(double v)
{
    if (std::isnan(v))
        return kSinValor;
    return float(v) == 59.0f ? kBajoRango : v;
}

// A level drawn as stored (the reception level has no under-range code).
double tal(double v)
{
    return std::isnan(v) ? kSinValor : v;
}

// The start of an interval; the times carry no zone, so none is applied.
QDateTime inicio(const FilaIntervalo &f)
{
    const QDate d = QDate::fromString(f.fechaInicio, Qt::ISODate);
    const std::optional<QTime> t = horaFitxa(f.horaInicio);
    if (!d.isValid() || !t)
        return {};
    return QDateTime(d, *t, Qt::UTC);
}

QString etiqueta(const FilaIntervalo &f)
{
    const QDate d = QDate::fromString(f.fechaInicio, Qt::ISODate);
    const QString fecha = d.isValid() ? d.toString(QStringLiteral("dd.MM.yy")) : f.fechaInicio;
    return fecha + QStringLiteral("  ") + f.horaInicio + QStringLiteral(" <> ") + f.horaFinal;
}

double bandera(bool activa)
{
    return activa ? 1 : 0;
}

bool byteActivo(quint8 v)
{
    return v >= 1 && v <= 254;
}

QString decimal(float nivel)
{
    QLocale l;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return l.toString(double(nivel), 'f', 1);
}

} // namespace

Valores valores(const QVector<FilaIntervalo> &filas, bool desde30)
{
    Valores v;
    const int n = int(qMin<qsizetype>(filas.size(), kPuntos));
    QDateTime esperado = n > 0 ? inicio(filas.at(0)) : QDateTime();
    for (int i = 0; i < kPuntos; ++i) {
        if (i >= n) {
            v.etiquetas[i] = QStringLiteral(" ");
            for (Serie &s : v.niveles)
                s[i] = kSinValor;
            for (Serie &s : v.percentiles)
                s[i] = kSinValor;
            for (Serie &s : v.eventos)
                s[i] = 0;
            v.contadores[i] = {};
            continue;
        }
        const FilaIntervalo &f = filas.at(i);

        // A start other than the one expected opens a gap between this point and the last.
        const QDateTime actual = inicio(f);
        if (actual != esperado) {
            v.percentiles[SinDatos - 1][i] = kBanda;
            if (i > 0)
                v.percentiles[SinDatos - 1][i - 1] = kBanda;
            esperado = actual;
        } else {
            v.percentiles[SinDatos - 1][i] = kSinValor;
        }
        v.etiquetas[i] = etiqueta(f);

        const bool inactivo = f.e3 != 0;
        v.niveles[LeqLocal - 1][i] = inactivo ? kSinValor : nivel(f.leqLocal);
        v.niveles[LeqVecino - 1][i] = inactivo ? kSinValor : tal(f.leqVecino);
        v.niveles[MaxFast - 1][i] = inactivo ? kSinValor : nivel(f.maxFast);
        v.niveles[LimiteLocal - 1][i] = f.nivelLeqLocal == 255 ? kSinValor : f.nivelLeqLocal;
        // The reception limit goes with the emission one: both are absent when it is.
        v.niveles[LimiteVecino - 1][i] = f.nivelLeqLocal == 255 ? kSinValor : f.nivelLeqVecino;
        v.niveles[LimiteMFast - 1][i] = f.nivelMFast;
        v.niveles[MaxLeq1 - 1][i] = inactivo ? kSinValor : nivel(f.maxLeq1);
        v.niveles[MinLeq1 - 1][i] = inactivo ? kSinValor : nivel(f.minLeq1);
        const double percentiles[] = {f.l1, f.l5, f.l10, f.l50, f.l90};
        for (int s = 0; s < 5; ++s)
            v.percentiles[s][i] = inactivo ? kSinValor : nivel(percentiles[s]);

        Contadores &c = v.contadores[i];
        c.desco = f.desco;
        c.pasadasLocal = f.pasadasLocal;
        c.pasadasVecino = f.pasadasVecino;
        c.e3 = f.e3;
        c.pasMaxFast = f.pasMaxFast;
        if (desde30) {
            c.lineaInsuficiente = f.lineaInsuficiente;
            c.dna = f.dna;
            c.ena = f.ena;
        }
        v.eventos[0][i] = bandera(c.desco >= 1);
        v.eventos[1][i] = bandera(c.pasadasLocal >= 1);
        v.eventos[2][i] = bandera(c.pasadasVecino >= 1);
        v.eventos[3][i] = bandera(c.e3 >= 1);
        v.eventos[4][i] = bandera(c.pasMaxFast >= 1);
        v.eventos[5][i] = bandera(byteActivo(c.lineaInsuficiente));
        v.eventos[6][i] = bandera(byteActivo(c.dna));
        v.eventos[7][i] = bandera(byteActivo(c.ena));

        // The next interval is expected one Leq time of its own after this one.
        if (i + 1 < n && esperado.isValid())
            esperado = esperado.addSecs(qint64(filas.at(i + 1).tLeq) * 60);
    }
    return v;
}

QString UndOrUp(float nivel)
{
    if (nivel == -1.0f || nivel == 0.0f)
        return QStringLiteral("---");
    if (nivel < 60.0f)
        return QStringLiteral("UND");
    if (nivel > 120.0f)
        return QStringLiteral("UP");
    return decimal(nivel);
}

QString UndOrUp2(float nivel)
{
    if (nivel == -1.0f)
        return QStringLiteral("---");
    if (nivel > 120.0f)
        return QStringLiteral("UP");
    return decimal(nivel);
}

QString textoSuperior(const std::array<double, kSeriesNivel> &n, const std::array<double, kSeriesPercentil> &p,
                      const Textos &texto)
{
    const auto dos = QStringLiteral(":");
    const auto f = [](double v) { return float(v); };
    return texto(55) + dos + UndOrUp(f(n[LeqLocal - 1])) + u' ' + texto(58) + dos + UndOrUp2(f(n[LeqVecino - 1])) +
           u' ' + texto(14) + dos + UndOrUp(f(n[MaxFast - 1])) + u' ' + texto(12) + dos + UndOrUp(f(n[MaxLeq1 - 1])) +
           u' ' + texto(13) + dos + UndOrUp(f(n[MinLeq1 - 1])) + QStringLiteral("\r\r") + QStringLiteral("L1:") +
           UndOrUp(f(p[L1 - 1])) + QStringLiteral(" L5:") + UndOrUp(f(p[L5 - 1])) + QStringLiteral(" L10:") +
           UndOrUp(f(p[L10 - 1])) + QStringLiteral(" L50:") + UndOrUp(f(p[L50 - 1])) + QStringLiteral(" L90:") +
           UndOrUp(f(p[L90 - 1]));
}

QString textoInferior(const Contadores &c, bool desde30, const Textos &texto)
{
    QString t = texto(50) + QString::number(c.desco) + u' ' + texto(51) + QString::number(c.pasadasLocal) + u' ' +
                texto(52) + QString::number(c.pasadasVecino) + u' ' + texto(53) + QString::number(c.e3) + u' ' +
                texto(54) + QString::number(c.pasMaxFast);
    if (!desde30)
        return t;
    if (c.lineaInsuficiente == 255)
        return t + u' ' + texto(110) + QStringLiteral("--") + u' ' + texto(108) + QStringLiteral(":--") + u' ' +
               texto(109) + QStringLiteral(":--");
    return t + u' ' + texto(110) + QString::number(c.lineaInsuficiente) + u' ' + texto(108) + u':' +
           QString::number(c.dna) + u'\'' + u' ' + texto(109) + u':' + QString::number(c.ena) + u'\'';
}

Lado ladoSuperior(int punto)
{
    return punto <= 21 ? Lado::Derecha : punto <= 28 ? Lado::Centro : Lado::Izquierda;
}

Lado ladoInferior(int punto)
{
    return punto <= 19 ? Lado::Derecha : punto <= 29 ? Lado::Centro : Lado::Izquierda;
}

RangoDeslizador rangoDeslizador(qint64 total)
{
    if (total >= kPuntos + 1) {
        const int maximo = int(qMin<qint64>(total - kPuntos, std::numeric_limits<int>::max()));
        return {0, maximo, maximo};
    }
    return {-1, 0, 0};
}

} // namespace slx::graficas
