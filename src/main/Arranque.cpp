#include "main/Arranque.h"

#include "base/DataFolder.h"
#include "base/Database.h"
#include "base/Modulo1.h"
#include "base/TextoPropio.h"
#include "import/OrigenFusion.h"
#include "main/AjustesEnlaceIni.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

namespace slx {

namespace {

const QString kSeccion = QLatin1String(kSeccionIni);

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
    const LecturaEnlace enlace = leeAjustesEnlace(ini);
    aplicaAjustesEnlace(enlace.ajustes, m);
    LecturaIni r;
    r.erroneas = enlace.erroneas;
    m.PiePagina = LeerIni(kSeccion, QStringLiteral("User"), QString(), ini);
    r.idioma = LeerIni(kSeccion, QStringLiteral("Language"), QString(), ini);
    return r;
}

ConfiguracionGuardada LeeConfiguracionGuardada()
{
    ConfiguracionGuardada r;
    const QString base = Database::path();
    if (!QFile::exists(base) || !Database::looksLikeSqlite(base))
        return r;
    const QString conexion = QStringLiteral("slx90-configuracion-guardada");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), conexion);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
        db.setDatabaseName(fusion::uriOrigenSQLite(base));
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("SELECT \"IIdioma\", \"TUsuario\" FROM \"Configuracion\" WHERE rowid = ") +
                       kFilaConfiguracion) &&
                q.next()) {
                if (const IdiomaPrograma *e = idiomaDeCodigo(qint16(q.value(0).toInt())))
                    r.idioma = Idioma{QString::fromUtf16(e->nombre), e->codigo};
                r.usuario = q.value(1).toString();
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(conexion);
    return r;
}

Resultado<void> EscribeIniPorDefecto(const QString &ini, const ConfiguracionGuardada &guardada)
{
    QFile defecto(DataFolder::defaultFile(QStringLiteral("slx90.ini")));
    const QByteArray bytes = defecto.open(QIODevice::ReadOnly) ? defecto.readAll() : QByteArray();
    QSaveFile out(ini);
    const bool escrito = !bytes.isEmpty() && out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() &&
                         out.commit() &&
                         GrabaIni(kSeccion, QStringLiteral("Language"), lcidDeCodigo(guardada.idioma.codigo), ini) &&
                         GrabaIni(kSeccion, QStringLiteral("User"), guardada.usuario, ini);
    if (!escrito) {
        QFile::remove(ini);
        return fallo(TextoPropio("Cannot write %1").arg(ini));
    }
    return {};
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

Resultado<void> GrabaConfiguracion(QSqlDatabase db)
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
    if (!q.exec())
        return fallo(q.lastError().text());
    if (q.numRowsAffected() < 1)
        return fallo(TextoPropio("The settings row of the table Configuracion is missing."));
    return {};
}

Resultado<void> GrabaUsuario(QSqlDatabase db, const QString &usuario)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("UPDATE \"Configuracion\" SET \"TUsuario\" = ? WHERE rowid = ") + kFilaConfiguracion);
    q.addBindValue(usuario);
    if (!q.exec())
        return fallo(q.lastError().text());
    if (q.numRowsAffected() < 1)
        return fallo(TextoPropio("The settings row of the table Configuracion is missing."));
    return {};
}

Resultado<void> LeeFilaConfiguracion(QSqlDatabase db)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT * FROM \"Configuracion\" LIMIT 1")))
        return fallo(q.lastError().text());
    return {};
}

} // namespace slx
