#include "base/Modulo1.h"

#include "base/IniFile.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>

namespace slx {

Modulo1 &modulo1()
{
    static Modulo1 instance;
    return instance;
}

AjustesEnlace ajustesEnlace(const Modulo1 &m)
{
    return {m.PuertoSerie, m.TipoConexion, m.TonoPulso, m.PrefijoMarcacion, m.VelocidadModem, m.ModemConectado};
}

void resetModulo1()
{
    modulo1() = Modulo1{};
}

QString LeerIni(const QString &seccion, const QString &clave, const QString &defecto, const QString &fichero)
{
    // The profile call copies at most 254 characters into its 255-character buffer.
    return IniFile::read(fichero, seccion, clave, defecto).left(254);
}

bool GrabaIni(const QString &seccion, const QString &clave, const QString &valor, const QString &fichero)
{
    return IniFile::write(fichero, seccion, clave, valor);
}

bool ExisteFichero(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

bool FuentesPequenasParaAltura(int alturaPixeles)
{
    if (alturaPixeles <= 0)
        return true;
    return alturaPixeles < 17;
}

bool FuentesPequenas()
{
    // The character height of the system font on the primary screen, in pixels:
    // 8-point MS Sans Serif is 16 pixels at 96 DPI and 20 at 120 DPI.
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return true;
    const qreal dpi = screen->logicalDotsPerInchY();
    if (dpi <= 0)
        return true;
    const int altura = qRound(16.0 * dpi / 96.0);
    return FuentesPequenasParaAltura(altura);
}

} // namespace slx
