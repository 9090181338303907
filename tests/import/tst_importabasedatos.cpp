// The database merge over Access files of the original program and SQLite
// databases of this program.

#include "OrdinaryUser.h"
#include "TestSupport.h"
#include "VerificaResultado.h"
#include "base/Database.h"
#include "base/Modulo1.h"
#include "base/TextoPropio.h"
#include "import/ImportaBaseDatos.h"
#include "import/NombresDatos.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QtTest>
#include <clocale>
#include <sys/stat.h>
#include <unistd.h>

using namespace slx;

namespace {

const QStringList kTablas = {"Programacion", "IntervaloInhabil", "Intervalos",     "Sesiones",
                             "DiaBorrado",   "DiaFinalBateria",  "DiaReprogramado"};

QString legacyA()
{
    return slxtest::fixture("access/legacy-a.mdb");
}

int cuenta(const QString &tabla, QSqlDatabase db = modulo1().ConexionBD)
{
    QSqlQuery q(db);
    if (!q.exec(QString("SELECT COUNT(*) FROM \"%1\"").arg(tabla)) || !q.next())
        return -1;
    return q.value(0).toInt();
}

QVariant valor(const QString &sql, const QVariantList &binds = {})
{
    QSqlQuery q(modulo1().ConexionBD);
    q.prepare(sql);
    for (const QVariant &b : binds)
        q.addBindValue(b);
    if (!q.exec() || !q.next())
        return QVariant(QStringLiteral("<no row: %1>").arg(q.lastError().text()));
    return q.value(0);
}

// Puts the process's numeric locale on one with a decimal comma, as a Spanish or Catalan
// desktop has it; when none is installed, one is compiled into folder. False when neither works.
bool numerosConComa(const QString &folder)
{
    const auto prueba = [] {
        for (const char *name : {"es_ES.UTF-8", "ca_ES.UTF-8", "de_DE.UTF-8", "fr_FR.UTF-8"})
            if (setlocale(LC_NUMERIC, name) && localeconv()->decimal_point == QByteArray(","))
                return true;
        return false;
    };
    if (prueba())
        return true;
    const QString localedef = QStandardPaths::findExecutable("localedef");
    if (localedef.isEmpty() || !QFile::exists("/usr/share/i18n/locales/es_ES"))
        return false;
    QProcess p;
    p.start(localedef, {"-i", "es_ES", "-f", "UTF-8", folder + "/es_ES.UTF-8"});
    if (!p.waitForFinished(60000))
        return false;
    qputenv("LOCPATH", QFile::encodeName(folder));
    return prueba();
}

// An SQLite database of this program, built from the schema, with its own connection.
class Fuente {
public:
    explicit Fuente(const QString &path)
        : m_path(path)
    {
        QFile::remove(path);
        SLX_VERIFY_OK(Database::create(path));
        m_db = QSqlDatabase::addDatabase("QSQLITE", "test-source");
        m_db.setDatabaseName(path);
        QVERIFY(m_db.open());
    }
    ~Fuente()
    {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase("test-source");
    }
    bool exec(const QString &sql, const QVariantList &binds = {})
    {
        QSqlQuery q(m_db);
        q.prepare(sql);
        for (const QVariant &b : binds)
            q.addBindValue(b);
        if (!q.exec()) {
            qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
            return false;
        }
        return true;
    }
    void cierra() { m_db.close(); }
    QString path() const { return m_path; }

private:
    QString m_path;
    QSqlDatabase m_db;
};

bool insertaIntervalo(QSqlDatabase db, int serie, const QString &fecha, const QString &hora, double leq)
{
    QSqlQuery q(db);
    q.prepare("INSERT INTO Intervalos (LNumeroSerie, DFechaInicio, THoraInicio, SLeqLocal, BoRS232) "
              "VALUES (?, ?, ?, ?, 0)");
    q.addBindValue(serie);
    q.addBindValue(fecha);
    q.addBindValue(hora);
    q.addBindValue(leq);
    return q.exec();
}

// A source table filled by a recursive count: n rows of DiaBorrado, one per minute of
// a day from 00:00 (n at most 1440). Joined, not formatted: printf's "%02d" would be
// taken for a place of QString::arg.
QString eventos(int n, const QString &tabla = "DiaBorrado")
{
    return "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " + QString::number(n - 1) +
           ") INSERT INTO " + tabla +
           " (LNumeroSerie, DFecha, THora) SELECT 5, '2009-01-01', printf('%02d:%02d', i / 60, i % 60) FROM n";
}

// n rows of Intervalos, 15 minutes apart from 1 January 2009.
QString intervalos(int n, const QString &extra = QString(), const QString &valorExtra = QString())
{
    return "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " + QString::number(n - 1) +
           ") INSERT INTO Intervalos (LNumeroSerie, DFechaInicio, THoraInicio, SLeqLocal" +
           (extra.isEmpty() ? QString() : ", " + extra) +
           ") SELECT 5, date('2009-01-01', '+' || (i / 96) || ' days'), "
           "printf('%02d:%02d', (i % 96) / 4, (i % 4) * 15), 60 + i % 40" +
           (valorExtra.isEmpty() ? QString() : ", " + valorExtra) + " FROM n";
}

// While it lives, the process reads files as a user without rights on them: the owner
// of a file whose permissions are cleared, bound by them even as the super-user.
class SinPermiso {
public:
    explicit SinPermiso(const QString &path)
        : m_path(path)
    {
        QFile::setPermissions(path, QFileDevice::Permissions());
    }
    ~SinPermiso() { QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner); }
    bool holds() const { return m_usuario.holds(); }

private:
    QString m_path;
    slxtest::OrdinaryUser m_usuario;
};

// legacy-a.mdb with the definition page of one table spoilt: the page that holds the
// name of one of its columns loses its page type.
QByteArray accessConTablaDanada(const QString &columna)
{
    QFile mdb(legacyA());
    if (!mdb.open(QIODevice::ReadOnly))
        return {};
    QByteArray d = mdb.readAll();
    const QByteArray nombre(reinterpret_cast<const char *>(columna.utf16()), columna.size() * 2);
    const qsizetype i = d.indexOf(nombre);
    if (i < 0)
        return {};
    d[(i / 4096) * 4096] = 0;
    return d;
}

} // namespace

class TestImportaBaseDatos : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void tellsSourcesApartByContent()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        QCOMPARE(tipoBaseDatos(legacyA()).value_or(TipoBaseDatos::SQLite), TipoBaseDatos::Access);
        // A copy made by SQLite itself: a file of the database opened by us would drop its locks.
        QSqlQuery copia(modulo1().ConexionBD);
        QVERIFY(copia.exec(QString("VACUUM INTO '%1'").arg(home.file("copia.db"))));
        QCOMPARE(tipoBaseDatos(home.file("copia.db")).value_or(TipoBaseDatos::Access), TipoBaseDatos::SQLite);
        // The program's own database is never opened to be looked at.
        const Resultado<TipoBaseDatos> propia = tipoBaseDatos(home.file("slx90.db"));
        QVERIFY(!propia);
        QCOMPARE(propia.error().text,
                 TextoPropio("The file %1 is the program's own database or one of its logs: it cannot be "
                             "imported into it.")
                     .arg(home.file("slx90.db")));
        // The name does not decide: an Access file called .db is still read as Access.
        QVERIFY(QFile::copy(legacyA(), home.file("renamed.db")));
        QCOMPARE(tipoBaseDatos(home.file("renamed.db")).value_or(TipoBaseDatos::SQLite), TipoBaseDatos::Access);
        QVERIFY(!tipoBaseDatos(home.file("slx90.ini")));
    }

    void accessFixtureMergedWhole()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        const ResultadoFusion r = ImportaBaseDatos(legacyA(), modulo1().ConexionBD);
        QVERIFY2(r.empezada(), qPrintable(r.error));
        QVERIFY2(r.sinPerdidas(), qPrintable(r.resumen()));
        const QList<int> esperadas = {2, 60, 200, 20, 3, 3, 3};
        for (int i = 0; i < kTablas.size(); ++i)
            QCOMPARE(cuenta(kTablas[i]), esperadas[i]);
        QCOMPARE(r.anadidas, qint64(291));
        QCOMPARE(r.duplicadas, qint64(0));
        // The settings row is never copied.
        QCOMPARE(cuenta("Configuracion"), 1);
        QCOMPARE(valor("SELECT TUsuario FROM Configuracion").toString(), QString());

        // Stored forms: ISO dates, times of day as text, Booleans -1/0, Singles as written.
        const QString prog = "SELECT %1 FROM Programacion WHERE LNumeroSerie = 100123";
        QCOMPARE(valor(prog.arg("DFecha")).toString(), QString("2008-10-20"));
        QCOMPARE(valor(prog.arg("TLocal")).toString(), QString("Discoteca Nova"));
        const QString nota = valor(prog.arg("TNota")).toString();
        QVERIFY(nota.contains("\r\n"));
        QVERIFY(nota.contains(QString::fromUtf8("l·l")));
        QVERIFY(nota.contains(QString::fromUtf8("ò")));
        QCOMPARE(valor(prog.arg("BoCambioHora")).toInt(), -1);
        QCOMPARE(valor(prog.arg("BoImpresion")).toInt(), 0);
        QCOMPARE(valor(prog.arg("CMI")).toInt(), -1);
        QCOMPARE(valor(prog.arg("TIdioma")).toString(), QString::fromUtf8("Català"));
        QCOMPARE(valor(prog.arg("\"SOctava31,5Hz\"")).toDouble(), 1.5);
        QCOMPARE(valor(prog.arg("DFechaTotales")).toString(), QString("2009-03-15"));
        QCOMPARE(valor(prog.arg("THoraTotales")).toString(), QString("14:32:10"));
        QCOMPARE(valor(prog.arg("LPasadasLocal")).toInt(), 15873);
        QCOMPARE(valor("SELECT TTipoActuacionVecino FROM Programacion WHERE LNumeroSerie = 204567").toString(),
                 QString("0"));
        const QString inhabil = "SELECT %1 FROM IntervaloInhabil WHERE LNumeroSerie = 100123 AND ByIntervalo = %2";
        QCOMPARE(valor(inhabil.arg("TDiaEmpiezaInt").arg(1)).toString(), QString("24/12/08"));
        QCOMPARE(valor(inhabil.arg("THoraEmpiezaInt").arg(1)).toString(), QString("22:00:00"));
        QCOMPARE(valor(inhabil.arg("TDiaTerminaInt").arg(2)).toString(), QString("01/01/09"));
        QCOMPARE(valor(inhabil.arg("THoraTerminaInt").arg(2)).toString(), QString("09:00:00"));
        QCOMPARE(valor(inhabil.arg("TDiaEmpiezaInt").arg(3)).toString(), QString("00/00/00"));
        QCOMPARE(valor(inhabil.arg("THoraEmpiezaInt").arg(3)).toString(), QString("00:00:00"));
        const QString interval = "SELECT %1 FROM Intervalos WHERE LNumeroSerie = 100123 AND DFechaInicio = "
                                 "'2009-03-13' AND THoraInicio = '12:00'";
        QCOMPARE(valor(interval.arg("SMaxLeq1min")).toDouble(), 62.7);
        QCOMPARE(valor(interval.arg("TFechaMaxLeq1min")).toString(), QString("13/03/2009"));
        QCOMPARE(valor(interval.arg("DFechaFinal")).toString(), QString("2009-03-13"));
        // The gap of the fixture stays a gap.
        QCOMPARE(valor("SELECT COUNT(*) FROM Intervalos WHERE DFechaInicio = '2009-03-14' AND THoraInicio = '12:15'")
                     .toInt(),
                 0);
        QCOMPARE(valor("SELECT COUNT(*) FROM Sesiones WHERE LNumeroSerie = 204567").toInt(), 6);
        QCOMPARE(valor("SELECT DFecha || ' ' || THora FROM DiaReprogramado WHERE LNumeroSerie = 204567").toString(),
                 QString("2007-05-03 ") +
                     valor("SELECT THora FROM DiaReprogramado WHERE LNumeroSerie = 204567").toString());
    }

    void accessIntervalsMatchWhatMdbExportReads()
    {
        const QString tool = QStandardPaths::findExecutable("mdb-export");
        if (tool.isEmpty())
            QSKIP("mdb-export is not installed");
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        QVERIFY(ImportaBaseDatos(legacyA(), modulo1().ConexionBD).sinPerdidas());
        QProcess p;
        p.start(tool, {"-T", "%Y-%m-%d %H:%M:%S", legacyA(), "Intervalos"});
        QVERIFY(p.waitForFinished(30000));
        const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 201); // header and 200 rows
        const QStringList header = lines.first().split(',');
        const int iFecha = header.indexOf("DFechaInicio"), iHora = header.indexOf("THoraInicio");
        const int iLeq = header.indexOf("SLeqLocal"), iVecino = header.indexOf("SLeqVecino");
        const int iFast = header.indexOf("SMaxFast"), iRs = header.indexOf("BoRS232");
        for (int i = 1; i < lines.size(); ++i) {
            QStringList f = lines[i].split(',');
            for (QString &s : f)
                s.remove('"');
            const QString fecha = f[iFecha].left(10);
            QSqlQuery q(modulo1().ConexionBD);
            q.prepare("SELECT SLeqLocal, SLeqVecino, SMaxFast, BoRS232 FROM Intervalos "
                      "WHERE LNumeroSerie = 100123 AND DFechaInicio = ? AND THoraInicio = ?");
            q.addBindValue(fecha);
            q.addBindValue(f[iHora]);
            QVERIFY(q.exec());
            QVERIFY2(q.next(), qPrintable(lines[i]));
            QCOMPARE(float(q.value(0).toDouble()), f[iLeq].toFloat());
            QCOMPARE(float(q.value(1).toDouble()), f[iVecino].toFloat());
            QCOMPARE(float(q.value(2).toDouble()), f[iFast].toFloat());
            QCOMPARE(q.value(3).toInt(), f[iRs].toInt() ? -1 : 0);
        }
    }

    // libmdb writes numbers through the process's locale: under a decimal comma every
    // Single still arrives as its number and no row is refused.
    void accessMergedUnderADecimalComma()
    {
        QTemporaryDir folder;
        const QByteArray anterior = setlocale(LC_NUMERIC, nullptr);
        const QByteArray locpath = qgetenv("LOCPATH");
        const auto restaura = qScopeGuard([&] {
            if (locpath.isEmpty())
                qunsetenv("LOCPATH");
            else
                qputenv("LOCPATH", locpath);
            setlocale(LC_NUMERIC, anterior.constData());
        });
        if (!numerosConComa(folder.path()))
            QSKIP("no locale with a decimal comma can be set on this machine");
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        const ResultadoFusion r = ImportaBaseDatos(legacyA(), modulo1().ConexionBD);
        QVERIFY2(r.sinPerdidas(), qPrintable(r.resumen()));
        QCOMPARE(r.anadidas, qint64(291));
        QCOMPARE(valor("SELECT COUNT(*) FROM Intervalos WHERE typeof(SLeqLocal) <> 'real'").toInt(), 0);
        QCOMPARE(valor("SELECT COUNT(*) FROM Programacion WHERE typeof(\"SOctava31,5Hz\") = 'text'").toInt(), 0);
    }

    void mergingTwiceAddsNothing()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        QVERIFY(ImportaBaseDatos(legacyA(), modulo1().ConexionBD).sinPerdidas());
        const ResultadoFusion r = ImportaBaseDatos(legacyA(), modulo1().ConexionBD);
        QVERIFY2(r.sinPerdidas(), qPrintable(r.resumen()));
        QCOMPARE(r.anadidas, qint64(0));
        QCOMPARE(r.duplicadas, qint64(291));
        QCOMPARE(cuenta("Intervalos"), 200);
    }

    void databaseIntoACopyOfItselfStoresNothing()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        QVERIFY(ImportaBaseDatos(legacyA(), modulo1().ConexionBD).sinPerdidas());
        // A copy of it, made by SQLite; its own file is refused before it is opened.
        QSqlQuery copia(modulo1().ConexionBD);
        QVERIFY(copia.exec(QString("VACUUM INTO '%1'").arg(home.file("copia.db"))));
        QVERIFY(!ImportaBaseDatos(home.file("slx90.db"), modulo1().ConexionBD).empezada());
        const ResultadoFusion r = ImportaBaseDatos(home.file("copia.db"), modulo1().ConexionBD);
        QVERIFY2(r.sinPerdidas(), qPrintable(r.resumen()));
        QCOMPARE(r.anadidas, qint64(0));
        QCOMPARE(r.duplicadas, qint64(291));
    }

    void sqliteSourceAddsOnlyMissingRows()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        {
            Fuente src(home.file("other.db"));
            for (int i = 0; i < 10; ++i)
                QVERIFY(insertaIntervalo(QSqlDatabase::database("test-source"), 555, "2010-01-02",
                                         QString("%1:00").arg(10 + i, 2, 10, QChar('0')), 70 + i));
            QVERIFY(src.exec("INSERT INTO Programacion (LNumeroSerie, DFecha, TLocal, BoCambioHora) VALUES (555, "
                             "'2010-01-01', 'Source venue', -1)"));
            QVERIFY(src.exec("UPDATE Configuracion SET TUsuario = 'source footer'"));
        }
        // The destination already holds 4 of the intervals, with other values, and the sheet.
        for (int i : {0, 3, 4, 9})
            QVERIFY(insertaIntervalo(modulo1().ConexionBD, 555, "2010-01-02",
                                     QString("%1:00").arg(10 + i, 2, 10, QChar('0')), 1));
        QSqlQuery q(modulo1().ConexionBD);
        QVERIFY(q.exec("INSERT INTO Programacion (LNumeroSerie, TLocal) VALUES (555, 'Own venue')"));

        const ResultadoFusion r = ImportaBaseDatos(home.file("other.db"), modulo1().ConexionBD);
        QVERIFY2(r.sinPerdidas(), qPrintable(r.resumen()));
        QCOMPARE(r.anadidas, qint64(6));
        QCOMPARE(r.duplicadas, qint64(5));
        QCOMPARE(cuenta("Intervalos"), 10);
        // Existing rows are never overwritten.
        QCOMPARE(valor("SELECT SLeqLocal FROM Intervalos WHERE THoraInicio = '13:00'").toDouble(), 1.0);
        QCOMPARE(valor("SELECT SLeqLocal FROM Intervalos WHERE THoraInicio = '11:00'").toDouble(), 71.0);
        QCOMPARE(valor("SELECT TLocal FROM Programacion").toString(), QString("Own venue"));
        QCOMPARE(valor("SELECT TUsuario FROM Configuracion").toString(), QString());
    }

    // An attached source is read under SQLite's defences for files from elsewhere; the
    // program's connection gets its own settings back after the merge.
    void attachedSourceReadUnderDefencesGivenBackAfter()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        {
            Fuente src(home.file("other.db"));
            QVERIFY(src.exec(intervalos(30)));
        }
        const auto confiado = [] { return valor("PRAGMA trusted_schema").toInt(); };
        QCOMPARE(confiado(), 1);
        QList<int> durante;
        const ResultadoFusion r =
            ImportaBaseDatos(home.file("other.db"), modulo1().ConexionBD, [&] { durante << confiado(); });
        QVERIFY2(r.sinPerdidas(), qPrintable(r.resumen()));
        QCOMPARE(r.anadidas, qint64(30));
        QVERIFY(!durante.isEmpty());
        QVERIFY2(!durante.contains(1), "the source's schema was trusted while it was read");
        QCOMPARE(confiado(), 1);
    }

    void columnsMatchedByNameAndForeignTablesSkipped()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        const QString path = home.file("partial.db");
        // Columns in another order, most missing, names in other letter cases.
        QVERIFY(slxtest::creaBaseSQLite(
            path, {
                      "CREATE TABLE intervalos (SLeqLocal REAL, thorainicio TEXT, LNumeroSerie INTEGER, "
                      "DFechaInicio TEXT, Extra TEXT)",
                      "INSERT INTO intervalos VALUES (80.5, '23:45', 7, '2011-05-06', 'x')",
                      "CREATE TABLE Notas (Texto TEXT)",
                      "INSERT INTO Notas VALUES ('n')",
                      "CREATE TABLE CONFIGURACION (TUsuario TEXT)",
                      "INSERT INTO CONFIGURACION VALUES ('not me')",
                  }));
        const ResultadoFusion r = ImportaBaseDatos(path, modulo1().ConexionBD);
        QVERIFY(r.empezada());
        QCOMPARE(r.anadidas, qint64(1));
        QCOMPARE(r.tablasOmitidas, QStringList{"Notas"});
        // A table the program does not have is reported, but it is no loss.
        QVERIFY(r.sinPerdidas());
        QVERIFY(r.resumen().contains("Notas"));
        QCOMPARE(valor("SELECT SLeqLocal || '|' || THoraInicio || '|' || DFechaInicio || '|' || "
                       "IFNULL(SLeqVecino, 'null') FROM Intervalos WHERE LNumeroSerie = 7")
                     .toString(),
                 QString("80.5|23:45|2011-05-06|null"));
        QCOMPARE(cuenta("Configuracion"), 1);
        QCOMPARE(valor("SELECT TUsuario FROM Configuracion").toString(), QString());
    }

    // The summary quotes what the source holds short, whatever its size: a refused 2 MB value,
    // a table named by 1 MB, 2,000 tables the program does not have.
    void longValuesAndListsQuotedShort()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        const QString path = home.file("long.db");
        QStringList sql = {"CREATE TABLE Programacion (LNumeroSerie, TLocal)",
                           "INSERT INTO Programacion VALUES (1, 'good')",
                           "INSERT INTO Programacion VALUES (printf('%.*c', 2097152, '7'), 'long serial')",
                           "CREATE TABLE \"" + QString(1 << 20, 'T') + "\" (x)", "BEGIN"};
        for (int i = 0; i < 2000; ++i)
            sql << QString("CREATE TABLE Notas%1 (x)").arg(i);
        sql << "COMMIT";
        QVERIFY(slxtest::creaBaseSQLite(path, sql));
        const ResultadoFusion r = ImportaBaseDatos(path, modulo1().ConexionBD);
        QVERIFY(r.empezada());
        QCOMPARE(r.anadidas, qint64(1));
        QCOMPARE(r.rechazadas, qint64(1));
        const QString text = r.resumen();
        QVERIFY2(text.size() < 1500, qPrintable(QString::number(text.size()) + ": " + text.left(1500)));
        QVERIFY2(text.contains("777777777777... (2,097,152 characters)\" is not a whole number"), qPrintable(text));
        QVERIFY2(text.contains("TTTTTTTTTTTT... (1,048,576 characters)"), qPrintable(text));
        QVERIFY2(text.contains(" and 1,991 more"), qPrintable(text));
    }

    void rowsThatCannotBeStoredAreRefusedAndReported()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        const QString path = home.file("bad.db");
        // Loose column types, so that the source can hold values our schema refuses.
        QVERIFY(slxtest::creaBaseSQLite(
            path, {
                      "CREATE TABLE Programacion (LNumeroSerie, ByTLeq, DFecha, BoCambioHora, TLocal)",
                      "INSERT INTO Programacion VALUES (1, 15, '2009-01-01', -1, 'good')",
                      "INSERT INTO Programacion VALUES (2, 300, '2009-01-01', 0, 'byte out of range')",
                      "INSERT INTO Programacion VALUES ('abc', 15, '2009-01-01', 0, 'serial not a number')",
                      "INSERT INTO Programacion VALUES (4, 15, '31/12/2009', 0, 'date not ISO')",
                      "INSERT INTO Programacion VALUES (5, 15.5, '2009-01-01', 0, 'byte with a fraction')",
                      "INSERT INTO Programacion VALUES (6, 15, '2009-01-01', 'yes', 'Boolean as a word')",
                      "INSERT INTO Programacion VALUES (7, '20', '2009-01-01', '1', 'numbers as text')",
                  }));
        const ResultadoFusion r = ImportaBaseDatos(path, modulo1().ConexionBD);
        QVERIFY(r.empezada());
        QCOMPARE(r.anadidas, qint64(2));
        QCOMPARE(r.rechazadas, qint64(5));
        QCOMPARE(r.motivos.size(), 5);
        QVERIFY(!r.sinPerdidas());
        QVERIFY(r.resumen().contains("Rows refused: 5"));
        QCOMPARE(valor("SELECT group_concat(LNumeroSerie) FROM (SELECT LNumeroSerie FROM Programacion "
                       "ORDER BY 1)")
                     .toString(),
                 QString("1,7"));
        QCOMPARE(valor("SELECT ByTLeq || '|' || BoCambioHora FROM Programacion WHERE LNumeroSerie = 7").toString(),
                 QString("20|-1"));
    }

    void rowsNeedingConversionAreStoredWithTheOthers()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        const QString path = home.file("mixed.db");
        QVERIFY(slxtest::creaBaseSQLite(
            path, {
                      "CREATE TABLE Sesiones (LNumeroSerie, DFechaInicio, THoraInicio, SLeq, ByNivelDiaLocal)",
                      "INSERT INTO Sesiones VALUES (1, '2009-02-27', '18:00', 94.5, 95)",
                      "INSERT INTO Sesiones VALUES ('2', '2009-02-28', '17:30', '95.25', '90')",
                      "INSERT INTO Sesiones VALUES (3, '2009-03-01 00:00:00', '18:00', 80, 95)",
                      "INSERT INTO Sesiones VALUES (4, '2009-03-02', '18:00', 'loud', 95)",
                  }));
        QSqlQuery own(modulo1().ConexionBD);
        QVERIFY(own.exec("INSERT INTO Sesiones (LNumeroSerie, DFechaInicio, THoraInicio) VALUES (3, '2009-03-01', "
                         "'18:00')"));
        const ResultadoFusion r = ImportaBaseDatos(path, modulo1().ConexionBD);
        QCOMPARE(r.anadidas, qint64(2));
        QCOMPARE(r.duplicadas, qint64(1)); // the date with a midnight time is the same key
        QCOMPARE(r.rechazadas, qint64(1));
        // Named as the windows name the table and the column.
        QVERIFY2(r.motivos.first().startsWith(nombreTabla("Sesiones") + ": " + nombreColumna("SLeq") + ": "),
                 qPrintable(r.motivos.first()));
        QCOMPARE(valor("SELECT typeof(LNumeroSerie) || typeof(SLeq) || typeof(ByNivelDiaLocal) || ':' || SLeq "
                       "FROM Sesiones WHERE LNumeroSerie = 2")
                     .toString(),
                 QString("integerrealinteger:95.25"));
        QCOMPARE(cuenta("Sesiones"), 3);
    }

    // The times of the disabled intervals are stored as "hh:mm:ss" whichever form the source holds.
    void intervalTimesTakeOneStoredForm()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        const QString path = home.file("times.db");
        QVERIFY(slxtest::creaBaseSQLite(
            path, {
                      "CREATE TABLE IntervaloInhabil (LNumeroSerie, ByIntervalo, TDiaEmpiezaInt, THoraEmpiezaInt, "
                      "TDiaTerminaInt, THoraTerminaInt)",
                      "INSERT INTO IntervaloInhabil VALUES (7, 1, '24/12/08', '22:00', '25/12/08', '8:05')",
                      "INSERT INTO IntervaloInhabil VALUES (7, 2, '31/12/08', '20:00:00', '01/01/09', "
                      "'1899-12-30 09:00:00')",
                      "INSERT INTO IntervaloInhabil VALUES (7, 3, '00/00/00', 'noon', '00/00/00', '00:00')",
                  }));
        const ResultadoFusion r = ImportaBaseDatos(path, modulo1().ConexionBD);
        QCOMPARE(r.anadidas, qint64(2));
        QCOMPARE(r.rechazadas, qint64(1));
        QCOMPARE(valor("SELECT group_concat(THoraEmpiezaInt || '-' || THoraTerminaInt, ' ') FROM "
                       "(SELECT * FROM IntervaloInhabil WHERE LNumeroSerie = 7 ORDER BY ByIntervalo)")
                     .toString(),
                 QString("22:00:00-08:05:00 20:00:00-09:00:00"));
    }

    // An Access file cut short at any page is never taken for a whole one: it is refused
    // before anything is written, or the tables it cannot read whole are reported.
    void accessCutAtEvery4KiB()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        QFile mdb(legacyA());
        QVERIFY(mdb.open(QIODevice::ReadOnly));
        const QByteArray whole = mdb.readAll();
        const QString path = home.file("cut.mdb");
        for (qsizetype cut = 4096; cut < whole.size(); cut += 4096) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(whole.left(cut));
            f.close();
            const ResultadoFusion r = ImportaBaseDatos(path, modulo1().ConexionBD);
            QVERIFY2(!r.sinPerdidas(), qPrintable(QString("cut at %1: %2").arg(cut).arg(r.resumen())));
            if (!r.empezada())
                QVERIFY2(r.error.contains(path), qPrintable(r.error));
        }
    }

    // Damaged Access files that crash the Access library: the program goes on and the file
    // is reported as damaged.
    void accessFilesThatCrashTheLibrary_data()
    {
        QTest::addColumn<QByteArray>("content");
        QFile mdb(legacyA());
        mdb.open(QIODevice::ReadOnly);
        const QByteArray whole = mdb.readAll();
        // One case per line: "offset:hex-bytes ..." changes to the fixture.
        QFile corpus(slxtest::sourceFile("tests/import/corpus/access-crashes.txt"));
        QVERIFY(corpus.open(QIODevice::ReadOnly | QIODevice::Text));
        int n = 0;
        while (!corpus.atEnd()) {
            const QByteArray line = corpus.readLine().trimmed();
            if (line.isEmpty() || line.startsWith('#'))
                continue;
            QByteArray content = whole;
            for (const QByteArray &patch : line.split(' ')) {
                const QList<QByteArray> parts = patch.split(':');
                const QByteArray bytes = QByteArray::fromHex(parts.at(1));
                content.replace(parts.at(0).toLongLong(), bytes.size(), bytes);
            }
            QTest::newRow(qPrintable(QString("case %1").arg(++n))) << content;
        }
        QVERIFY(n > 0);
    }
    void accessFilesThatCrashTheLibrary()
    {
        QFETCH(QByteArray, content);
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        const QString path = home.file("damaged.mdb");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        const ResultadoFusion r = ImportaBaseDatos(path, modulo1().ConexionBD);
        QVERIFY(!r.sinPerdidas());
        const QString damaged =
            TextoPropio("the file is damaged: its reader stopped after %1 rows").section("%1", 0, 0);
        const QString refused = TextoPropio("The file %1 is damaged: %2.").section("%1", 1, 1).section("%2", 0, 0);
        QVERIFY2(r.error.contains(refused) || r.tablasIlegibles.join('\n').contains(damaged), qPrintable(r.resumen()));
    }

    void nullKeyPartsAreRefused()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        const QString path = home.file("nulls.db");
        QVERIFY(slxtest::creaBaseSQLite(
            path, {
                      "CREATE TABLE Programacion (LNumeroSerie, TLocal)",
                      "INSERT INTO Programacion VALUES (NULL, 'no serial')",
                      "INSERT INTO Programacion VALUES (5, 'good')",
                      "CREATE TABLE Intervalos (LNumeroSerie, DFechaInicio, THoraInicio, SLeqLocal)",
                      "INSERT INTO Intervalos VALUES (5, '2009-01-01', NULL, 60)",
                      "INSERT INTO Intervalos VALUES (5, '2009-01-01', '10:00', 61)",
                      "CREATE TABLE DiaBorrado (LNumeroSerie, DFecha)",
                      "INSERT INTO DiaBorrado VALUES (5, '2009-01-01')",
                  }));
        const ResultadoFusion r = ImportaBaseDatos(path, modulo1().ConexionBD);
        QVERIFY(r.empezada());
        QCOMPARE(r.anadidas, qint64(2));
        QCOMPARE(r.rechazadas, qint64(3));
        for (const QString &m : r.motivos)
            QVERIFY2(m.contains(TextoPropio("the key column %1 is empty").section("%1", 0, 0)), qPrintable(m));
        // No made-up device.
        QCOMPARE(valor("SELECT group_concat(LNumeroSerie) FROM Programacion").toString(), QString("5"));
        QCOMPARE(cuenta("Intervalos"), 1);
        QCOMPARE(cuenta("DiaBorrado"), 0);
    }

    // A database of this program is read without writing beside it: no -wal or -shm
    // appears, and the file stays as it was (as on read-only media).
    void sqliteSourceReadWithoutWritingBesideIt()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        const QString path = home.file("backup.db");
        QVERIFY(slxtest::creaBaseSQLite(path, {"PRAGMA journal_mode=WAL",
                                               "CREATE TABLE DiaBorrado (LNumeroSerie, DFecha, THora)",
                                               "INSERT INTO DiaBorrado VALUES (5, '2009-01-01', '10:00')"}));
        QVERIFY(!QFile::exists(path + "-wal"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray before = f.readAll();
        f.close();
        const ResultadoFusion r = ImportaBaseDatos(path, modulo1().ConexionBD);
        QVERIFY2(r.sinPerdidas(), qPrintable(r.resumen()));
        QCOMPARE(r.anadidas, qint64(1));
        QVERIFY(!QFile::exists(path + "-wal"));
        QVERIFY(!QFile::exists(path + "-shm"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
    }

    // A copy of a database taken with its write-ahead log: the rows in the log are merged too.
    void sqliteSourceWithItsLog()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        const QString live = home.file("live.db");
        {
            Fuente src(live);
            QVERIFY(src.exec("PRAGMA journal_mode=WAL"));
            QVERIFY(src.exec("PRAGMA wal_autocheckpoint=0"));
            for (int i = 0; i < 5; ++i)
                QVERIFY(src.exec("INSERT INTO DiaBorrado VALUES (?, '2009-01-01', '10:00')", {i + 1}));
            QVERIFY(QFile::exists(live + "-wal"));
            QVERIFY(QFile::copy(live, home.file("copy.db")));
            QVERIFY(QFile::copy(live + "-wal", home.file("copy.db-wal")));
        }
        const ResultadoFusion r = ImportaBaseDatos(home.file("copy.db"), modulo1().ConexionBD);
        QVERIFY2(r.sinPerdidas(), qPrintable(r.resumen()));
        QCOMPARE(r.anadidas, qint64(5));
    }

    void destinationThatCannotBeWrittenIsToldOnce()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        const QString other = home.file("readonly.db");
        SLX_VERIFY_OK(Database::create(other));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "readonly-destination");
            db.setDatabaseName(other);
            db.setConnectOptions("QSQLITE_OPEN_READONLY");
            QVERIFY(db.open());
            const ResultadoFusion r = ImportaBaseDatos(legacyA(), db);
            QVERIFY(!r.empezada());
            QVERIFY2(
                r.error.startsWith(TextoPropio("The program's database cannot be written: %1").section("%1", 0, 0)),
                qPrintable(r.error));
            QSqlQuery q(db);
            QVERIFY(q.exec("SELECT COUNT(*) FROM Intervalos") && q.next());
            QCOMPARE(q.value(0).toInt(), 0);
        }
        QSqlDatabase::removeDatabase("readonly-destination");
    }

    // A source of another program (none of the program's tables) is refused before anything is written.
    void sourceWithNoneOfTheTables()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        const QString path = home.file("foreign.db");
        QVERIFY(slxtest::creaBaseSQLite(path, {"CREATE TABLE Notas (Texto)", "INSERT INTO Notas VALUES ('n')"}));
        const ResultadoFusion r = ImportaBaseDatos(path, modulo1().ConexionBD);
        QVERIFY(!r.empezada());
        QCOMPARE(r.error, TextoPropio("The file %1 holds none of the program's tables: it is damaged or it is not a "
                                      "database of the program.")
                              .arg(path));
    }

    // Sources that the bulk copy once read wrong or without end: a real column that hides
    // the row number, row numbers far apart or at the ends of their range, a table
    // without them, rows that need the conversion or that the destination refuses
    // inside a block, key parts that are blank. Each is read whole, through the source
    // attached to the program's connection and through one of its own.
    void sqliteSourcesMergedWhole_data()
    {
        QTest::addColumn<QStringList>("sql");
        QTest::addColumn<bool>("adjunta");
        QTest::addColumn<QString>("tabla");
        QTest::addColumn<int>("anadidas");
        QTest::addColumn<int>("duplicadas");
        QTest::addColumn<int>("rechazadas");
        QTest::addColumn<int>("repetidas");
        struct Caso {
            const char *nombre;
            QStringList sql;
            const char *tabla;
            int anadidas, duplicadas, rechazadas, repetidas = 0;
        };
        const QString dia = "CREATE TABLE DiaBorrado (LNumeroSerie, DFecha, THora)";
        const QString intervalo = "CREATE TABLE Intervalos (LNumeroSerie, DFechaInicio, THoraInicio, SLeqLocal%1)";
        const QList<Caso> casos = {
            {"ordinary column named rowid",
             {intervalo.arg(", rowid"), intervalos(600, "rowid", "7")},
             "Intervalos",
             600,
             0,
             0},
            {"rowid, _rowid_ and oid all columns",
             {"CREATE TABLE DiaBorrado (LNumeroSerie, DFecha, THora, rowid, _rowid_, oid)", eventos(30)},
             "DiaBorrado",
             30,
             0,
             0},
            {"row number 2^62",
             {dia, "INSERT INTO DiaBorrado (rowid, LNumeroSerie, DFecha, THora) VALUES (1, 5, '2009-01-01', '10:00')",
              "INSERT INTO DiaBorrado (rowid, LNumeroSerie, DFecha, THora) VALUES (4611686018427387904, 5, "
              "'2009-01-01', '10:01')",
              "INSERT INTO DiaBorrado (rowid, LNumeroSerie, DFecha, THora) VALUES (4611686018427387905, 5, "
              "'2009-01-01', '10:02')"},
             "DiaBorrado",
             3,
             0,
             0},
            {"row numbers at both ends of their range",
             {dia,
              "INSERT INTO DiaBorrado (rowid, LNumeroSerie, DFecha, THora) VALUES (-9223372036854775808, 5, "
              "'2009-01-01', '10:00')",
              "INSERT INTO DiaBorrado (rowid, LNumeroSerie, DFecha, THora) VALUES (9223372036854775807, 5, "
              "'2009-01-01', '10:01')"},
             "DiaBorrado",
             2,
             0,
             0},
            {"table without row numbers",
             {"CREATE TABLE DiaBorrado (LNumeroSerie, DFecha, THora, PRIMARY KEY (LNumeroSerie, DFecha, THora)) "
              "WITHOUT ROWID",
              eventos(40)},
             "DiaBorrado",
             40,
             0,
             0},
            {"rows to convert and one to refuse inside long blocks",
             {intervalo.arg(QString()), intervalos(45000),
              "UPDATE Intervalos SET SLeqLocal = '61.5' WHERE rowid IN (3, 20000, 20001, 44999)",
              "UPDATE Intervalos SET SLeqLocal = 'loud' WHERE rowid = 30000"},
             "Intervalos",
             44999,
             0,
             1},
            {"a refusal of the destination inside a block",
             {"CREATE TABLE Intervalos (LNumeroSerie, DFechaInicio, THoraInicio, ByTLeq)",
              "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 29) INSERT INTO Intervalos "
              "SELECT 5, '2009-01-01', '10:' || substr('0' || i, -2), CASE i WHEN 12 THEN 300 ELSE 15 END FROM n"},
             "Intervalos",
             29,
             0,
             1},
            // The clock readings the download keeps for an event: two digits each, no time of day.
            {"events at clock readings that are no time of day",
             {dia, eventos(5), "INSERT INTO DiaBorrado VALUES (5, '2009-01-02', '25:00')",
              "INSERT INTO DiaBorrado VALUES (5, '2009-01-02', '08:61')",
              "INSERT INTO DiaBorrado VALUES (5, '2009-01-02', '8:61x')"},
             "DiaBorrado",
             7,
             0,
             1},
            // Not "already in the database": the destination held none of them.
            {"the same key twice in the source",
             {dia, eventos(10), "INSERT INTO DiaBorrado VALUES (5, '2009-01-01', '00:03')"},
             "DiaBorrado",
             10,
             0,
             0,
             1},
            {"the same key twice in the source, the second after a refusal",
             {"CREATE TABLE DiaBorrado (LNumeroSerie, DFecha, THora, ByTLeq)", eventos(10),
              "INSERT INTO DiaBorrado VALUES (5, '2009-01-01', '00:03', 1)",
              "INSERT INTO DiaBorrado VALUES (5, '2009-01-01', 'zz', 1)"},
             "DiaBorrado",
             10,
             0,
             1,
             1},
            // A real column that takes a name of the row number, in another letter case, with NULLs.
            {"ordinary column spelled RowId holding NULLs",
             {"CREATE TABLE DiaBorrado (LNumeroSerie, DFecha, THora, RowId)", eventos(30),
              "UPDATE DiaBorrado SET RowId = CASE WHEN _rowid_ % 3 = 0 THEN _rowid_ END"},
             "DiaBorrado",
             30,
             0,
             0},
            {"ordinary columns spelled _ROWID_ and RowId holding NULLs",
             {"CREATE TABLE DiaBorrado (LNumeroSerie, DFecha, THora, _ROWID_, RowId)", eventos(30),
              "UPDATE DiaBorrado SET _ROWID_ = CASE WHEN oid % 3 = 0 THEN oid END, RowId = CASE WHEN oid % 2 = 0 "
              "THEN oid END"},
             "DiaBorrado",
             30,
             0,
             0},
            {"blank key parts",
             {dia, eventos(3), "INSERT INTO DiaBorrado VALUES (5, '2009-01-02', '')",
              "INSERT INTO DiaBorrado VALUES (5, '2009-01-03', '   ')",
              "INSERT INTO DiaBorrado VALUES (5, '2009-01-04', NULL)",
              "INSERT INTO DiaBorrado VALUES (5, '2009-01-05', char(9))"},
             "DiaBorrado",
             3,
             0,
             4},
            {"blank start times of intervals",
             {intervalo.arg(QString()), intervalos(5), "UPDATE Intervalos SET THoraInicio = '' WHERE rowid = 2",
              "UPDATE Intervalos SET THoraInicio = ' ' WHERE rowid = 4"},
             "Intervalos",
             3,
             0,
             2},
        };
        for (const Caso &c : casos)
            for (bool adjunta : {true, false})
                QTest::newRow(qPrintable(QString("%1, %2").arg(c.nombre, adjunta ? "attached" : "own connection")))
                    << c.sql << adjunta << QString(c.tabla) << c.anadidas << c.duplicadas << c.rechazadas
                    << c.repetidas;
    }
    void sqliteSourcesMergedWhole()
    {
        QFETCH(QStringList, sql);
        QFETCH(bool, adjunta);
        QFETCH(QString, tabla);
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        const QString path = home.file("source.db");
        QVERIFY(slxtest::creaBaseSQLite(path, sql));
        // A connection that takes no file URIs cannot attach the source: it is read on
        // a connection of its own.
        QSqlDatabase destino = modulo1().ConexionBD;
        if (!adjunta) {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "destination-without-uri");
            db.setDatabaseName(home.file("slx90.db"));
            QVERIFY(db.open());
            destino = db;
        }
        const ResultadoFusion r = ImportaBaseDatos(path, destino);
        if (!adjunta) {
            destino.close();
            destino = QSqlDatabase();
            QSqlDatabase::removeDatabase("destination-without-uri");
        }
        QVERIFY2(r.empezada(), qPrintable(r.error));
        QVERIFY2(r.tablasIlegibles.isEmpty(), qPrintable(r.resumen()));
        QTEST(int(r.anadidas), "anadidas");
        QTEST(int(r.duplicadas), "duplicadas");
        QTEST(int(r.rechazadas), "rechazadas");
        QTEST(int(r.repetidas), "repetidas");
        QTEST(cuenta(tabla), "anadidas");
        // Nothing with a blank key, and converted values in their stored form.
        QCOMPARE(valor(QString("SELECT COUNT(*) FROM %1 WHERE trim(%2, ' ' || char(9)) = ''")
                           .arg(tabla, tabla == "Intervalos" ? "THoraInicio" : "THora"))
                     .toInt(),
                 0);
        if (tabla == "Intervalos")
            QCOMPARE(valor("SELECT COUNT(*) FROM Intervalos WHERE typeof(SLeqLocal) NOT IN ('real', 'integer', "
                           "'null')")
                         .toInt(),
                     0);
    }

    // A pipe waits for a writer when opened; a device or a folder is no database: each is
    // refused at once, with the reason.
    void nonRegularFilesRefusedAtOnce_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("pipe") << "pipe";
        QTest::newRow("folder") << "folder";
        QTest::newRow("device") << "device";
    }
    void nonRegularFilesRefusedAtOnce()
    {
        QFETCH(QString, kind);
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        QString path = home.file("other.db");
        if (kind == "pipe")
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == "folder")
            QVERIFY(QDir(home.path()).mkdir("other.db"));
        else
            path = "/dev/null";
        QVERIFY(!tipoBaseDatos(path));
        const ResultadoFusion r = ImportaBaseDatos(path, modulo1().ConexionBD);
        QCOMPARE(r.error, TextoPropio("The file %1 is not a regular file (it is a folder, a device or a pipe): it "
                                      "cannot be imported.")
                              .arg(path));
    }

    void unreadableFileSaysPermissionDenied_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("sqlite") << "other.db";
        QTest::newRow("access") << "other.mdb";
    }
    void unreadableFileSaysPermissionDenied()
    {
        QFETCH(QString, name);
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        const QString path = home.file(name);
        if (name.endsWith(".mdb"))
            QVERIFY(QFile::copy(legacyA(), path));
        else
            QVERIFY(slxtest::creaBaseSQLite(path, {"CREATE TABLE DiaBorrado (LNumeroSerie, DFecha, THora)"}));
        ResultadoFusion r;
        {
            SinPermiso sin(path);
            QVERIFY(sin.holds());
            QFile probe(path);
            QVERIFY(!probe.open(QIODevice::ReadOnly));
            r = ImportaBaseDatos(path, modulo1().ConexionBD);
        }
        QCOMPARE(r.error, TextoPropio("The file %1 cannot be opened: you have no permission to read it.").arg(path));
        QCOMPARE(cuenta("DiaBorrado"), 0);
    }

    // An Access file with a damaged table: a table the merge never reads (the settings, a
    // system table) is listed and the others are merged; a damaged data table is a loss.
    void accessWithADamagedTable_data()
    {
        QTest::addColumn<QString>("columna");
        QTest::addColumn<QString>("tabla");
        QTest::addColumn<int>("anadidas");
        QTest::addColumn<bool>("leida");
        QTest::newRow("settings") << "IModemSpeed"
                                  << "Configuracion" << 291 << false;
        QTest::newRow("system table") << "Expression"
                                      << "MSysQueries" << 291 << false;
        QTest::newRow("intervals") << "IPasMaxFast"
                                   << "Intervalos" << 91 << true;
    }
    void accessWithADamagedTable()
    {
        QFETCH(QString, columna);
        QFETCH(QString, tabla);
        QFETCH(bool, leida);
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        const QByteArray content = accessConTablaDanada(columna);
        QVERIFY(!content.isEmpty());
        const QString path = home.file("damaged.mdb");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        const ResultadoFusion r = ImportaBaseDatos(path, modulo1().ConexionBD);
        QVERIFY2(r.empezada(), qPrintable(r.error));
        QVERIFY(!r.sinPerdidas());
        QTEST(int(r.anadidas), "anadidas");
        const QStringList &lista = leida ? r.tablasIlegibles : r.tablasDanadas;
        QCOMPARE(lista.size(), 1);
        QVERIFY2(lista.first().startsWith(nombreTabla(tabla) + ": "), qPrintable(lista.first()));
        QVERIFY(r.resumen().contains(lista.first()));
        QCOMPARE((leida ? r.tablasDanadas : r.tablasIlegibles).size(), 0);
    }

    // A walk of the row numbers whose full block ends at the largest row number ends there.
    void blockEndingAtTheLastRowNumberEndsTheWalk()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        const QString path = home.file("source.db");
        QVERIFY(slxtest::creaBaseSQLite(
            path, {"CREATE TABLE DiaBorrado (LNumeroSerie, DFecha, THora)",
                   "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 19999) "
                   "INSERT INTO DiaBorrado (rowid, LNumeroSerie, DFecha, THora) SELECT 9223372036854775807 - 19999 + "
                   "i, 5, date('2009-01-01', '+' || (i / 1440) || ' days'), printf('%02d:%02d', (i % 1440) / 60, i "
                   "% 60) FROM n"}));
        int avisos = 0;
        const ResultadoFusion r = ImportaBaseDatos(path, modulo1().ConexionBD, [&] {
            // A walk that starts again from the first row numbers never ends: stop the test.
            if (++avisos > 1000)
                qFatal("the walk of the row numbers does not end");
        });
        QVERIFY2(r.empezada(), qPrintable(r.error));
        QCOMPARE(r.anadidas, qint64(20000));
        QCOMPARE(r.duplicadas + r.repetidas, qint64(0));
        QCOMPARE(cuenta("DiaBorrado"), 20000);
    }

    // Values outside their stored forms are refused whichever way their row goes: in a
    // block copied whole, in a block copied row by row after a refusal, or read on a
    // connection of the source's own.
    void storedFormsRefusedInEveryBlock_data()
    {
        QTest::addColumn<QString>("tabla");
        QTest::addColumn<QString>("columna");
        QTest::addColumn<QString>("expresion");
        QTest::addColumn<QString>("camino");
        struct Caso {
            const char *tabla, *columna, *valor;
        };
        const QList<Caso> casos = {
            {"Intervalos", "THoraInicio", "'-1'"},
            {"Intervalos", "THoraInicio", "'25:99'"},
            {"Intervalos", "THoraFinal", "'zz'"},
            {"Intervalos", "THoraMaxLeq1min", "'q7:50'"},
            {"Intervalos", "SLeqLocal", "9e999"},
            {"Intervalos", "SLeqLocal", "-9e999"},
            {"Intervalos", "SLeqLocal", "1e300"},
            {"Intervalos", "DFechaFinal", "'True'"},
            {"Intervalos", "DFechaFinal", "'256'"},
            {"Intervalos", "TTipoActuacionLocal", "'Leq' || char(0) || '05s'"},
            {"Intervalos", "TTipoActuacionLocal", "CAST(X'4C6571C328' AS TEXT)"},
            {"Intervalos", "TTipoActuacionLocal", "CAST(X'4C65FF71' AS TEXT)"},
            {"IntervaloInhabil", "THoraEmpiezaInt", "'24:00:00'"},
        };
        for (const Caso &c : casos)
            for (const char *camino : {"block", "row by row", "own connection"})
                QTest::newRow(qPrintable(QString("%1 %2, %3").arg(c.columna, c.valor, camino)))
                    << QString(c.tabla) << QString(c.columna) << QString(c.valor) << QString(camino);
    }
    void storedFormsRefusedInEveryBlock()
    {
        QFETCH(QString, tabla);
        QFETCH(QString, columna);
        QFETCH(QString, expresion);
        QFETCH(QString, camino);
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        const QString path = home.file("source.db");
        const QString n = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 30) ";
        QStringList sql;
        if (tabla == "Intervalos")
            sql << "CREATE TABLE Intervalos (LNumeroSerie, DFechaInicio, THoraInicio, DFechaFinal, THoraFinal, "
                   "SLeqLocal, THoraMaxLeq1min, TTipoActuacionLocal, ByTLeq)"
                << n + "INSERT INTO Intervalos SELECT 5, date('2009-01-01', '+' || i || ' days'), '10:00', "
                       "'2009-01-02', '10:15', 60.5, '07:50', 'Leq05s', 15 FROM n";
        else
            sql << "CREATE TABLE IntervaloInhabil (LNumeroSerie, ByIntervalo, THoraEmpiezaInt, THoraTerminaInt)"
                << n + "INSERT INTO IntervaloInhabil SELECT 5, i, '22:00:00', '08:00:00' FROM n";
        sql << QString("UPDATE %1 SET %2 = %3 WHERE rowid = 10").arg(tabla, columna, expresion);
        // A value the destination refuses sends the whole block row by row.
        const bool otraRechazada = camino == "row by row";
        if (otraRechazada)
            sql << QString("UPDATE %1 SET %2 = 300 WHERE rowid = 20")
                       .arg(tabla, tabla == "Intervalos" ? "ByTLeq" : "ByIntervalo");
        QVERIFY(slxtest::creaBaseSQLite(path, sql));
        QSqlDatabase destino = modulo1().ConexionBD;
        if (camino == "own connection") {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "destination-without-uri");
            db.setDatabaseName(home.file("slx90.db"));
            QVERIFY(db.open());
            destino = db;
        }
        const ResultadoFusion r = ImportaBaseDatos(path, destino);
        if (camino == "own connection") {
            destino.close();
            destino = QSqlDatabase();
            QSqlDatabase::removeDatabase("destination-without-uri");
        }
        QVERIFY2(r.empezada(), qPrintable(r.error));
        const int rechazadas = otraRechazada ? 2 : 1;
        QCOMPARE(r.rechazadas, qint64(rechazadas));
        QCOMPARE(r.anadidas, qint64(30 - rechazadas));
        QCOMPARE(cuenta(tabla), 30 - rechazadas);
        QVERIFY(!r.sinPerdidas());
        bool nombrada = false;
        for (const QString &m : r.motivos)
            nombrada = nombrada || m.contains(nombreColumna(columna));
        QVERIFY2(nombrada, qPrintable(r.motivos.join('\n')));
        // Every value stored is the one the good rows hold.
        const QHash<QString, QVariant> buenos = {
            {"THoraInicio", "10:00"},        {"THoraFinal", "10:15"},
            {"THoraMaxLeq1min", "07:50"},    {"SLeqLocal", 60.5},
            {"DFechaFinal", "2009-01-02"},   {"TTipoActuacionLocal", "Leq05s"},
            {"THoraEmpiezaInt", "22:00:00"},
        };
        QCOMPARE(
            valor(QString("SELECT COUNT(*) FROM %1 WHERE \"%2\" IS NOT ?").arg(tabla, columna), {buenos.value(columna)})
                .toInt(),
            0);
    }

    // An SQLite file with a damaged page: what can be read is merged, the file is named as
    // damaged, and rows its damage shows twice are not taken for rows of the database.
    void sqliteWithADamagedPage_data()
    {
        QTest::addColumn<bool>("adjunta");
        QTest::newRow("attached") << true;
        QTest::newRow("own connection") << false;
    }
    void sqliteWithADamagedPage()
    {
        QFETCH(bool, adjunta);
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        const QString path = home.file("damaged.db");
        QVERIFY(slxtest::creaBaseSQLite(path, {"PRAGMA page_size = 4096",
                                               "CREATE TABLE Intervalos (LNumeroSerie, DFechaInicio, THoraInicio, "
                                               "SLeqLocal, TNota)",
                                               intervalos(2000, "TNota", "'some words of a note'")}));
        // The table's root is an interior page: its second child, a leaf, becomes a copy of the first.
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QByteArray db = f.readAll();
        QSqlQuery raiz(modulo1().ConexionBD);
        QVERIFY(raiz.exec(QString("ATTACH DATABASE '%1' AS probe").arg(path)));
        QVERIFY(raiz.exec("SELECT rootpage FROM probe.sqlite_master WHERE name = 'Intervalos'") && raiz.next());
        const int root = raiz.value(0).toInt();
        raiz.finish();
        QVERIFY(raiz.exec("DETACH DATABASE probe"));
        const auto u16 = [&](qsizetype o) { return (quint8(db[o]) << 8) | quint8(db[o + 1]); };
        const auto u32 = [&](qsizetype o) { return (quint32(u16(o)) << 16) | quint32(u16(o + 2)); };
        const qsizetype page = qsizetype(root - 1) * 4096;
        QCOMPARE(int(quint8(db[page])), 0x05);
        QVERIFY(u16(page + 3) >= 2);
        const quint32 primera = u32(page + u16(page + 12));
        const quint32 segunda = u32(page + u16(page + 14));
        QCOMPARE(int(quint8(db[qsizetype(primera - 1) * 4096])), 0x0D);
        db.replace(qsizetype(segunda - 1) * 4096, 4096, db.mid(qsizetype(primera - 1) * 4096, 4096));
        QVERIFY(f.seek(0));
        QCOMPARE(f.write(db), db.size());
        f.close();

        QSqlDatabase destino = modulo1().ConexionBD;
        if (!adjunta) {
            QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "destination-without-uri");
            other.setDatabaseName(home.file("slx90.db"));
            QVERIFY(other.open());
            destino = other;
        }
        const ResultadoFusion r = ImportaBaseDatos(path, destino);
        if (!adjunta) {
            destino.close();
            destino = QSqlDatabase();
            QSqlDatabase::removeDatabase("destination-without-uri");
        }
        QVERIFY2(r.empezada(), qPrintable(r.error));
        QVERIFY2(!r.danos.isEmpty(), qPrintable(r.resumen()));
        QVERIFY(!r.sinPerdidas());
        QVERIFY(r.resumen().contains(r.danos.first()));
        QCOMPARE(r.duplicadas, qint64(0));
        QVERIFY(r.repetidas > 0);
        QVERIFY(r.anadidas > 1000 && r.anadidas < 2000);
        QCOMPARE(qint64(cuenta("Intervalos")), r.anadidas);
    }

    // A source whose schema computes a column is refused for that table: nothing it
    // computes is stored, and the program's database stays small.
    void generatedColumnsOfASourceAreNotComputed_data()
    {
        QTest::addColumn<QString>("generada");
        QTest::newRow("virtual") << "VIRTUAL";
        QTest::newRow("stored") << "STORED";
    }
    void generatedColumnsOfASourceAreNotComputed()
    {
        QFETCH(QString, generada);
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        const QString path = home.file("computed.db");
        const bool almacenada = generada == "STORED";
        QVERIFY(slxtest::creaBaseSQLite(
            path, {QString("CREATE TABLE Programacion (LNumeroSerie INTEGER PRIMARY KEY, TLocal, TNota TEXT "
                           "GENERATED ALWAYS AS (printf('%.*c', %1, 'x')) %2)")
                       .arg(almacenada ? 1000 : 50000000)
                       .arg(generada),
                   "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20) "
                   "INSERT INTO Programacion (LNumeroSerie, TLocal) SELECT i, 'Bar' FROM n",
                   "CREATE TABLE DiaBorrado (LNumeroSerie, DFecha, THora)", eventos(5)}));
        const ResultadoFusion r = ImportaBaseDatos(path, modulo1().ConexionBD);
        QVERIFY2(r.empezada(), qPrintable(r.error));
        QCOMPARE(r.anadidas, qint64(5));
        QCOMPARE(cuenta("Programacion"), 0);
        QCOMPARE(r.tablasIlegibles.size(), 1);
        QVERIFY2(r.tablasIlegibles.first().startsWith(nombreTabla("Programacion") + ": "),
                 qPrintable(r.tablasIlegibles.first()));
        QVERIFY(r.tablasIlegibles.first().contains(nombreColumna("TNota")));
        QVERIFY(!r.sinPerdidas());
        QSqlQuery q(modulo1().ConexionBD);
        QVERIFY(q.exec("PRAGMA wal_checkpoint(TRUNCATE)"));
        q.finish();
        QVERIFY(QFileInfo(home.file("slx90.db")).size() < 1024 * 1024);
    }

    // legacy-a.mdb with one byte of its list of tables changed: the tables whose entries
    // libmdb cannot read are named, the others merged, and the file is not called whole.
    void accessWithADamagedListOfTables()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        QFile mdb(legacyA());
        QVERIFY(mdb.open(QIODevice::ReadOnly));
        QByteArray d = mdb.readAll();
        // A byte of the catalogue's definition page (page 2).
        QCOMPARE(int(quint8(d[8352])), 0x08);
        d[8352] = char(0x48);
        const QString path = home.file("damaged.mdb");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(d);
        f.close();
        const ResultadoFusion r = ImportaBaseDatos(path, modulo1().ConexionBD);
        QVERIFY2(r.empezada(), qPrintable(r.error));
        QVERIFY(!r.sinPerdidas());
        QVERIFY2(!r.danos.isEmpty(), qPrintable(r.resumen()));
        QStringList nombradas;
        for (const QString &t : r.tablasIlegibles)
            nombradas << t.section(": ", 0, 0);
        QStringList perdidas;
        for (const QString &t : kTablas)
            if (cuenta(t) == 0)
                perdidas << nombreTabla(t);
        QVERIFY(!perdidas.isEmpty());
        for (const QString &t : perdidas)
            QVERIFY2(nombradas.contains(t), qPrintable(r.resumen()));
        QCOMPARE(cuenta("Programacion"), 2);
        QVERIFY(r.resumen().contains(r.danos.first()));
    }

    void badSourcesWriteNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("exists");
        QTest::newRow("missing") << QByteArray() << false;
        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("text") << QByteArray("[Configuration]\r\nSerialPort=1\r\n") << true;
        QFile mdb(slxtest::fixture("access/legacy-a.mdb"));
        mdb.open(QIODevice::ReadOnly);
        QTest::newRow("access cut short") << mdb.read(8192) << true;
        QByteArray sqlite("SQLite format 3\0", 16);
        sqlite += QByteArray(4080, '\xA5');
        QTest::newRow("damaged sqlite") << sqlite << true;
    }
    void badSourcesWriteNothing()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, exists);
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        const QString path = home.file("source.mdb");
        if (exists) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        const ResultadoFusion r = ImportaBaseDatos(path, modulo1().ConexionBD);
        QVERIFY(!r.empezada());
        QVERIFY(!r.error.isEmpty());
        QVERIFY(r.error.contains(path));
        for (const QString &t : kTablas)
            QCOMPARE(cuenta(t), 0);
    }
};

QTEST_GUILESS_MAIN(TestImportaBaseDatos)
#include "tst_importabasedatos.moc"
