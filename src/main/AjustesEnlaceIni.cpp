#include "main/AjustesEnlaceIni.h"

#include "base/Modulo1.h"
#include "base/TextoPropio.h"
#include "main/Arranque.h"

namespace slx {

namespace {

// A whole decimal number from min to max, or false.
bool entero(const QString &texto, int min, int max, int *out)
{
    const QString t = texto.trimmed();
    if (t.isEmpty())
        return false;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (!(c >= QLatin1Char('0') && c <= QLatin1Char('9')) &&
            !(i == 0 && (c == QLatin1Char('-') || c == QLatin1Char('+'))))
            return false;
    }
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok);
    if (!ok || v < min || v > max)
        return false;
    *out = int(v);
    return true;
}

} // namespace

LecturaEnlace leeAjustesEnlace(const QString &ini)
{
    const QString seccion = QLatin1String(kSeccionIni);
    LecturaEnlace r;
    auto numero = [&](const char *clave, int min, int max, int defecto) {
        int v = defecto;
        if (!entero(LeerIni(seccion, QLatin1String(clave), QString(), ini), min, max, &v)) {
            r.erroneas << QLatin1String(clave);
            v = defecto;
        }
        return v;
    };
    // Port 0 does not exist: the link settings dialog takes 1 to 255.
    r.ajustes.puertoSerie = quint8(numero("SerialPort", 1, 255, 1));
    r.ajustes.tipoConexion = quint8(numero("Modem", 0, 255, 0));
    r.ajustes.tonoPulso = quint8(numero("TonePulse", 0, 255, 1));
    r.ajustes.prefijoMarcacion = LeerIni(seccion, QStringLiteral("DialCode"), QString(), ini);
    r.ajustes.velocidadModem = qint16(numero("ModemSpeed", -32768, 32767, 19200));
    return r;
}

Resultado<void> grabaAjustesEnlace(const AjustesEnlace &ajustes, const QString &ini)
{
    const QString seccion = QLatin1String(kSeccionIni);
    const bool escrito =
        GrabaIni(seccion, QStringLiteral("SerialPort"), QString::number(ajustes.puertoSerie), ini) &&
        GrabaIni(seccion, QStringLiteral("Modem"), QString::number(ajustes.tipoConexion), ini) &&
        GrabaIni(seccion, QStringLiteral("TonePulse"), QString::number(ajustes.tonoPulso), ini) &&
        GrabaIni(seccion, QStringLiteral("DialCode"), ajustes.prefijoMarcacion, ini) &&
        GrabaIni(seccion, QStringLiteral("ModemSpeed"), QString::number(ajustes.velocidadModem), ini);
    if (!escrito)
        return fallo(TextoPropio("The settings file %1 cannot be written.").arg(ini));
    return {};
}

void aplicaAjustesEnlace(const AjustesEnlace &ajustes, Modulo1 &m)
{
    m.PuertoSerie = ajustes.puertoSerie;
    m.TipoConexion = ajustes.tipoConexion;
    m.TonoPulso = ajustes.tonoPulso;
    m.PrefijoMarcacion = ajustes.prefijoMarcacion;
    m.VelocidadModem = ajustes.velocidadModem;
}

} // namespace slx
