#include "base/TextoCitado.h"

#include "base/TextoPropio.h"

namespace slx {

namespace {

// The first n characters of a text, never half of a UTF-16 pair.
QStringView primeros(QStringView texto, qsizetype n)
{
    qsizetype i = 0;
    for (qsizetype k = 0; k < n && i < texto.size(); ++k)
        i += texto.at(i).isHighSurrogate() && i + 1 < texto.size() && texto.at(i + 1).isLowSurrogate() ? 2 : 1;
    return texto.first(i);
}

// The characters a cut value keeps: three quarters of the most it may have, so that the
// size that follows them is worth the cut.
qsizetype guardados(qsizetype maximo)
{
    return qMax<qsizetype>(1, maximo * 3 / 4);
}

QString masDe(const QString &lista, qsizetype restantes, QChar separador)
{
    return lista + separador + TextoPropio("and %1 more").arg(numeroAgrupado(restantes));
}

} // namespace

qint64 caracteres(QStringView texto)
{
    qint64 n = texto.size();
    for (qsizetype i = 1; i < texto.size(); ++i)
        if (texto.at(i).isLowSurrogate() && texto.at(i - 1).isHighSurrogate())
            --n;
    return n;
}

QString citaInicio(QStringView inicio, qint64 total, qsizetype maximo)
{
    if (total <= maximo)
        return inicio.toString();
    // Both at once: a value that holds "%2" stays as it is.
    return TextoPropio("%1... (%2 characters)").arg(primeros(inicio, guardados(maximo)).toString(), numeroAgrupado(total));
}

QString citaValor(QStringView valor, qsizetype maximo)
{
    // Most values are short: counted only when they may be too long.
    if (valor.size() <= maximo)
        return valor.toString();
    return citaInicio(valor, caracteres(valor), maximo);
}

QString listaNombres(const QStringList &nombres)
{
    const QString lista = nombres.mid(0, kNombresMostrados).join(QLatin1String(", "));
    if (nombres.size() <= kNombresMostrados)
        return lista;
    return masDe(lista, nombres.size() - kNombresMostrados, QLatin1Char(' '));
}

QString listaLineas(const QStringList &lineas)
{
    QStringList mostradas;
    for (qsizetype i = 0; i < lineas.size() && i < kLineasMostradas; ++i)
        mostradas << citaValor(lineas.at(i), kLineaMaxima);
    const QString lista = mostradas.join(QLatin1Char('\n'));
    if (lineas.size() <= kLineasMostradas)
        return lista;
    return masDe(lista, lineas.size() - kLineasMostradas, QLatin1Char('\n'));
}

QString numeroAgrupado(qint64 n)
{
    const QString digitos = QString::number(n < 0 ? -(n + 1) + quint64(1) : quint64(n));
    // Groups of three digits from the right, joined as the open language joins them.
    const QString juntas = TextoPropio("%1,%2");
    const qsizetype primero = (digitos.size() - 1) % 3 + 1;
    QString out = digitos.left(primero);
    for (qsizetype i = primero; i < digitos.size(); i += 3)
        out = juntas.arg(out, digitos.mid(i, 3));
    return n < 0 ? QLatin1Char('-') + out : out;
}

} // namespace slx
