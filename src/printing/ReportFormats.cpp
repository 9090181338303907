#include "printing/ReportFormats.h"

#include "base/TextFormats.h"

#include <QTime>
#include <cmath>

namespace slx::informe {

namespace {

bool esPatronNumero(const QString &p)
{
    if (p.isEmpty())
        return false;
    int puntos = 0;
    for (QChar c : p) {
        if (c == QLatin1Char('.'))
            ++puntos;
        else if (c != QLatin1Char('0') && c != QLatin1Char('#'))
            return false;
    }
    return puntos <= 1;
}

} // namespace

QString formatoNumero(double valor, const QString &patron)
{
    const qsizetype punto = patron.indexOf(QLatin1Char('.'));
    const QString entera = punto < 0 ? patron : patron.left(punto);
    const QString decimal = punto < 0 ? QString() : patron.mid(punto + 1);
    const int decimales = int(decimal.size());
    const int minimosEnteros = int(entera.count(QLatin1Char('0')));

    // Round half away from zero on the decimal value, not on the binary one.
    const double escala = std::pow(10.0, decimales);
    double redondeado = std::round(std::fabs(valor) * escala + 1e-9) / escala;
    const bool negativo = valor < 0 && redondeado != 0;
    QString texto = QString::number(redondeado, 'f', decimales);
    QString enteros = texto;
    QString fraccion;
    const qsizetype p = texto.indexOf(QLatin1Char('.'));
    if (p >= 0) {
        enteros = texto.left(p);
        fraccion = texto.mid(p + 1);
    }
    if (enteros == QLatin1String("0"))
        enteros.clear();
    while (enteros.size() < minimosEnteros)
        enteros.prepend(QLatin1Char('0'));
    QString out = enteros;
    if (punto >= 0)
        out += QLatin1Char('.') + fraccion;
    if (out.isEmpty())
        out = QStringLiteral("0"); // a pattern of "#" alone and a zero value
    return negativo ? QLatin1Char('-') + out : out;
}

std::optional<QDate> fechaAlmacenada(const QString &texto)
{
    const QString t = texto.trimmed();
    if (t.size() >= 10 && t.at(4) == QLatin1Char('-') && t.at(7) == QLatin1Char('-')) {
        const QDate d = QDate::fromString(t.left(10), QStringLiteral("yyyy-MM-dd"));
        if (d.isValid())
            return d;
        return std::nullopt;
    }
    const QStringList partes = t.split(QLatin1Char('/'));
    if (partes.size() != 3)
        return std::nullopt;
    bool ok1 = false, ok2 = false, ok3 = false;
    const int dia = partes[0].toInt(&ok1);
    const int mes = partes[1].toInt(&ok2);
    int anyo = partes[2].toInt(&ok3);
    if (!ok1 || !ok2 || !ok3)
        return std::nullopt;
    if (partes[2].size() == 2)
        anyo += anyo < 50 ? 2000 : 1900;
    else if (partes[2].size() != 4)
        return std::nullopt;
    const QDate d(anyo, mes, dia);
    if (!d.isValid())
        return std::nullopt;
    return d;
}

QString textoFechaCorta(const QDate &fecha)
{
    return fecha.toString(QStringLiteral("dd/MM/yyyy"));
}

bool formatoValido(const QString &formato)
{
    return formato.isEmpty() || esPatronNumero(formato) || formato.startsWith(QLatin1String("date:")) ||
           formato.startsWith(QLatin1String("time:")) || formato == QLatin1String("limit");
}

QString formatoValor(const QVariant &valor, const QString &formato)
{
    if (valor.isNull() || !valor.isValid())
        return QString();
    if (formato.startsWith(QLatin1String("date:"))) {
        const QString t = valor.toString();
        if (const auto d = fechaAlmacenada(t))
            return d->toString(formato.mid(5));
        return t;
    }
    if (formato == QLatin1String("limit")) {
        bool ok = false;
        const int v = valor.toString().trimmed().toInt(&ok);
        return ok && v == 255 ? QStringLiteral("---") : formatoValor(valor, QString());
    }
    if (formato.startsWith(QLatin1String("time:"))) {
        const QString t = valor.toString().trimmed();
        // A time of day, alone or after a date.
        const QString hora = t.size() > 8 ? t.section(QLatin1Char(' '), -1) : t;
        if (const auto h = horaFitxa(hora))
            return h->toString(formato.mid(5));
        return t;
    }
    const auto tipo = valor.metaType().id();
    const bool numero = tipo == QMetaType::Double || tipo == QMetaType::Float || tipo == QMetaType::Int ||
                        tipo == QMetaType::LongLong || tipo == QMetaType::UInt || tipo == QMetaType::ULongLong;
    if (!formato.isEmpty()) {
        bool ok = numero;
        double v = valor.toDouble();
        if (!numero)
            v = valor.toString().trimmed().toDouble(&ok);
        return ok ? formatoNumero(v, formato) : valor.toString();
    }
    if (tipo == QMetaType::Double || tipo == QMetaType::Float) {
        const double v = valor.toDouble();
        if (v == std::floor(v) && std::fabs(v) < 1e15)
            return QString::number(qint64(v));
        return textoSingle(float(v));
    }
    return valor.toString();
}

} // namespace slx::informe
