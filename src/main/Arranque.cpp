#include "main/Arranque.h"

#include "localization/TextoPropio.h"
#include "main/DataFolder.h"
#include "main/Modulo1.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

namespace slx {

namespace {

const QString kSeccion = QLatin1String(kSeccionIni);

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

const QString kFilaConfiguracion = QStringLiteral("(SELECT MIN(rowid) FROM \"Configuracion\")");

} // namespace

QString ficheroIni()
{
    return DataFolder::file(QStringLiteral("slx90.ini"));
}

QString LecturaIni::mensaje() const
{
    if (erroneas.isEmpty())
        return QString();
    return TextoPropio("The settings file %1 has no valid number for %2 in section [%3]; the default value is used.")
        .arg(ficheroIni(), erroneas.join(QLatin1String(", ")), kSeccion);
}

LecturaIni LeeConfiguracion(const QString &ini)
{
    Modulo1 &m = modulo1();
    LecturaIni r;
    auto numero = [&](const char *clave, int min, int max, int defecto) {
        int v = defecto;
        if (!entero(LeerIni(kSeccion, QLatin1String(clave), QString(), ini), min, max, &v)) {
            r.erroneas << QLatin1String(clave);
            v = defecto;
        }
        return v;
    };
    // In the order of the file's keys.
    m.PuertoSerie = quint8(numero("SerialPort", 0, 255, 1));
    m.PiePagina = LeerIni(kSeccion, QStringLiteral("User"), QString(), ini);
    r.idioma = LeerIni(kSeccion, QStringLiteral("Language"), QString(), ini);
    m.TipoConexion = quint8(numero("Modem", 0, 255, 0));
    m.TonoPulso = quint8(numero("TonePulse", 0, 255, 1));
    m.PrefijoMarcacion = LeerIni(kSeccion, QStringLiteral("DialCode"), QString(), ini);
    m.VelocidadModem = qint16(numero("ModemSpeed", -32768, 32767, 19200));
    return r;
}

Idioma idiomaDeIni(const QString &lcid)
{
    static const struct {
        const char *lcid;
        const char16_t *nombre;
        qint16 codigo;
    } tabla[] = {{"1034", u"Español", 1000},  {"1027", u"Català", 2000},   {"1033", u"English", 3000},
                 {"1031", u"Deutsch", 4000},  {"1036", u"Français", 5000}, {"1040", u"Italiano", 6000},
                 {"2070", u"Português", 7000}};
    for (const auto &e : tabla)
        if (lcid == QLatin1String(e.lcid))
            return {QString::fromUtf16(e.nombre), e.codigo};
    return {QStringLiteral("English"), 3000};
}

QString lcidDeCodigo(qint16 codigo)
{
    switch (codigo) {
    case 1000: return QStringLiteral("1034");
    case 2000: return QStringLiteral("1027");
    case 3000: return QStringLiteral("1033");
    case 4000: return QStringLiteral("1031");
    case 5000: return QStringLiteral("1036");
    case 6000: return QStringLiteral("1040");
    case 7000: return QStringLiteral("2070");
    default: return QString();
    }
}

QString LeeLineaComandos(const QString &linea)
{
    QString s = linea.trimmed();
    if (s.isEmpty())
        return s;
    const qsizetype first = s.indexOf(QLatin1Char('"'));
    if (first >= 0) {
        s.remove(first, 1);
        const qsizetype second = s.indexOf(QLatin1Char('"'));
        if (second >= 0)
            s.remove(second, 1);
    }
    return s;
}

QString lineaComandosDelPrograma()
{
    QStringList args = QCoreApplication::arguments();
    if (!args.isEmpty())
        args.removeFirst();
    return args.join(QLatin1Char(' '));
}

bool esFicheroIntercambio(const QString &fichero)
{
    return fichero.right(5).toUpper() == QLatin1String(".QV90");
}

bool GrabaConfiguracion(QSqlDatabase db, QString *error)
{
    Modulo1 &m = modulo1();
    if (m.PrefijoMarcacion.isEmpty())
        m.PrefijoMarcacion = QStringLiteral(" ");
    QSqlQuery q(db);
    q.prepare(QStringLiteral("UPDATE \"Configuracion\" SET \"ByCom\" = ?, \"IIdioma\" = ?, \"ByTono\" = ?, "
                             "\"ByModem\" = ?, \"TPrefijo\" = ?, \"IModemSpeed\" = ?, \"TUsuario\" = ? "
                             "WHERE rowid = ") +
              kFilaConfiguracion);
    q.addBindValue(int(m.PuertoSerie));
    q.addBindValue(int(m.CodigoIdioma));
    q.addBindValue(int(m.TonoPulso));
    q.addBindValue(int(m.TipoConexion));
    q.addBindValue(m.PrefijoMarcacion);
    q.addBindValue(int(m.VelocidadModem));
    q.addBindValue(m.PiePagina);
    if (!q.exec()) {
        *error = q.lastError().text();
        return false;
    }
    if (q.numRowsAffected() < 1) {
        *error = TextoPropio("The settings row of the table Configuracion is missing.");
        return false;
    }
    return true;
}

bool GrabaUsuario(QSqlDatabase db, const QString &usuario, QString *error)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("UPDATE \"Configuracion\" SET \"TUsuario\" = ? WHERE rowid = ") + kFilaConfiguracion);
    q.addBindValue(usuario);
    if (!q.exec()) {
        *error = q.lastError().text();
        return false;
    }
    if (q.numRowsAffected() < 1) {
        *error = TextoPropio("The settings row of the table Configuracion is missing.");
        return false;
    }
    return true;
}

bool LeeFilaConfiguracion(QSqlDatabase db, QString *error)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT * FROM \"Configuracion\" LIMIT 1"))) {
        *error = q.lastError().text();
        return false;
    }
    return true;
}

QString ficheroAyuda(qint16 codigo)
{
    switch (codigo) {
    case 1000: return QStringLiteral("SLX-90_ESP.html");
    case 2000: return QStringLiteral("SLX-90_CAT.html");
    case 4000: return QStringLiteral("SLX-90_DEU.html");
    case 5000: return QStringLiteral("SLX-90_FRA.html");
    case 6000: return QStringLiteral("SLX-90_ITA.html");
    case 7000: return QStringLiteral("SLX-90_PTR.html");
    default: return QStringLiteral("SLX-90_ENG.html");
    }
}

bool AbreAyuda()
{
    const QString path = DataFolder::file(ficheroAyuda(modulo1().CodigoIdioma));
    if (!ExisteFichero(path))
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace slx
