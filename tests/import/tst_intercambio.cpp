// The exchange-file import: the file's layout, each table's key and overwrite rules, the
// conversions, bad files, cancel, and the import window.

#include "OrdinaryUser.h"
#include "TestSupport.h"
#include "base/Cp1252.h"
#include "base/FormRegistry.h"
#include "base/Modulo1.h"
#include "base/TextoPropio.h"
#include "base/Ventanas.h"
#include "import/CarregaCsv.h"
#include "import/FicheroIntercambio.h"
#include "import/Form16.h"
#include "import/NombresDatos.h"
#include "localization/LocGuru.h"
#include "main/RegistroVentanas.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>
#include <QtTest>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <sqlite3.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace slx;

namespace {

// The columns of each CSV table, as the exchange file carries them.
const QString kEvento = "LNumeroSerie;DFecha;THora";
const QString kInhabil = "LNumeroSerie;ByIntervalo;TDiaEmpiezaInt;THoraEmpiezaInt;TDiaTerminaInt;THoraTerminaInt";
const QString kIntervalos =
    "LNumeroSerie;DFechaInicio;DFechaFinal;ByTLeq;SLeqLocal;SLeqVecino;TTipoActuacionLocal;TTipoActuacionVecino;"
    "ByNivelLeqLocal;ByNivelLeqVecino;SMaxLeq1min;TFechaMaxLeq1min;THoraMaxLeq1min;SMinLeq1min;TFechaMinLeq1min;"
    "THoraMinLeq1min;SMaxFast;ByNivelMFast;IPasMaxFast;SL1;SL5;SL10;SL50;SL90;BoRS232;BoProgramacion;IDesco;"
    "IPasadasLocal;IPasadasVecino;IE3;ByDNA;ByENA;ByLineaInsuficiente";
const QString kProgramacion =
    "LNumeroSerie;DFecha;TContacto;TLocal;TDireccion;TPoblacion;TTelefono;TNota;TVersion;TModelo;BoCambioHora;"
    "TIdioma;ByTLeq;ByMFast;BoImpresion;TLunesInicio;TLunesFin;TMartesInicio;TMartesFin;TMiercolesInicio;"
    "TMiercolesFin;TJuevesInicio;TJuevesFin;TViernesInicio;TViernesFin;TSabadoInicio;TSabadoFin;TDomingoInicio;"
    "TDomingoFin;ByNivelDiaLocal;ByNivelDiaVecino;THoraEmpiezaNoche;THoraTerminaNoche;ByNivelNocheLocal;"
    "ByNivelNocheVecino;ITiempoAtenuacion;TTipoActuacionLocal;TTipoActuacionVecino;SOctava31,5Hz;SOctava63Hz;"
    "SOctava125Hz;SOctava250Hz;SOctava500Hz;SOctava1kHz;SOctava2kHz;SOctava4kHz;SOctava8kHz;ByRings;DFechaTotales;"
    "THoraTotales;LPasadasLocal;LPasadasVecino;LE3;LCB;ByVelocidad;CMI";
const QString kSesiones =
    "LNumeroSerie;DFechaInicio;DFechaFinal;SLeq;ByNivelDiaLocal;ByNivelDiaVecino;THoraInicioNoche;THoraFinalNoche;"
    "ByNivelNocheLocal;ByNivelNocheVecino;ITiempoAtenuacion;LDesco;LPasadasLocal;LPasadasVecino;LE3;SMaxFast;"
    "ByNivelMFast;LPasMaxFast;SMaxLeq1min;TFechaMaxLeq1min;THoraMaxLeq1min;SMinLeq1min;TFechaMinLeq1min;"
    "THoraMinLeq1min;SL1;SL5;SL10;SL50;SL90";

// A CSV row over a header: the named fields set, every other one empty.
QString fila(const QString &cabecera, const QMap<QString, QString> &campos)
{
    QStringList out;
    const QStringList nombres = cabecera.split(';');
    for (int i = 0; i < nombres.size(); ++i) {
        // The octave band's name holds a comma, never a semicolon.
        out << campos.value(nombres.at(i));
    }
    for (auto it = campos.begin(); it != campos.end(); ++it)
        if (!nombres.contains(it.key()))
            qFatal("no column %s", qPrintable(it.key()));
    return out.join(';');
}

QString seccion(const QString &nombre, const QString &cabecera, const QStringList &filas)
{
    return "//" + nombre + "//\r\n" + cabecera + "\r\n" + (filas.isEmpty() ? QString() : filas.join("\r\n") + "\r\n");
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

int cuenta(const QString &tabla)
{
    return valor(QString("SELECT COUNT(*) FROM \"%1\"").arg(tabla)).toInt();
}

bool ejecuta(const QString &sql)
{
    QSqlQuery q(modulo1().ConexionBD);
    if (!q.exec(sql)) {
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return false;
    }
    return true;
}

QString escribe(const slxtest::DataHome &home, const QString &nombre, const QByteArray &contenido)
{
    const QString path = home.file(nombre);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    f.write(contenido);
    return path;
}

const RecuentoTabla *recuento(const ResultadoIntercambio &r, const QString &tabla)
{
    for (const RecuentoTabla &t : r.tablas)
        if (t.tabla == tabla)
            return &t;
    return nullptr;
}

// added, overwritten, unchanged, refused
QList<qint64> cifras(const ResultadoIntercambio &r, const QString &tabla)
{
    const RecuentoTabla *t = recuento(r, tabla);
    if (!t)
        return {};
    return {t->anadidas, t->sobrescritas, t->iguales, t->rechazadas};
}

const QList<qint64> kNinguna = {};

// Stands by while the program reads a pipe: when the reading has not ended within a few
// seconds, the pipe is opened for writing and closed again, which ends a wait for a writer
// (or for data), so that the test fails on its assertion instead of hanging.
class VigiaTuberia {
public:
    explicit VigiaTuberia(const QString &path)
        : m_path(QFile::encodeName(path))
        , m_hilo([this] { vigila(); })
    {
    }
    ~VigiaTuberia() { termina(); }
    VigiaTuberia(const VigiaTuberia &) = delete;
    VigiaTuberia &operator=(const VigiaTuberia &) = delete;

    // The reading has ended: whether it had to be released.
    bool termina()
    {
        {
            std::lock_guard<std::mutex> l(m_m);
            m_fin = true;
        }
        m_cv.notify_all();
        if (m_hilo.joinable())
            m_hilo.join();
        return m_liberada;
    }

private:
    void vigila()
    {
        using namespace std::chrono_literals;
        std::unique_lock<std::mutex> l(m_m);
        if (m_cv.wait_for(l, 5s, [this] { return m_fin; }))
            return;
        while (!m_fin) {
            // Opens only while someone has the pipe open for reading (or waits to).
            const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                ::close(fd);
                m_liberada = true;
            }
            m_cv.wait_for(l, 100ms, [this] { return m_fin; });
        }
    }

    const QByteArray m_path;
    std::mutex m_m;
    std::condition_variable m_cv;
    bool m_fin = false;
    bool m_liberada = false;
    std::thread m_hilo;
};

// A file that is changed between the two readings of the import.
void cambia(const QString &path, const QString &como, qint64 corte)
{
    const QByteArray nativo = QFile::encodeName(path);
    if (como.startsWith("cut")) {
        QCOMPARE(::truncate(nativo.constData(), corte), 0);
    } else if (como == "grown") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::Append));
        f.write("7;2010-01-01;10:00\r\n");
    } else if (como == "rewritten") {
        // The same size, another row, and the time of the change set apart from the first
        // reading's whatever the clock's grain.
        struct stat st {};
        QCOMPARE(::stat(nativo.constData(), &st), 0);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.seek(corte));
        f.write("9");
        f.close();
        const timespec veces[2] = {st.st_atim, {st.st_mtim.tv_sec - 3600, st.st_mtim.tv_nsec}};
        QCOMPARE(::utimensat(AT_FDCWD, nativo.constData(), veces, 0), 0);
    }
}

} // namespace

class TestIntercambio : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { registraVentanas(); }
    void init()
    {
        m_home = std::make_unique<slxtest::DataHome>();
        QVERIFY(m_home->openDatabase());
    }
    void cleanup() { m_home.reset(); }

    // The seven tables of a hand-made file, against stored rows: each key rule, the
    // overwrites, the conversions, "0000-00-00" and empty fields.
    void everyTableWithItsRules()
    {
        // Already stored: an event, a disabled interval, a sheet, two intervals and a session.
        QVERIFY(ejecuta("INSERT INTO DiaBorrado VALUES (100123, '2008-10-20', '12:40')"));
        QVERIFY(ejecuta("INSERT INTO IntervaloInhabil VALUES (100123, 1, '01/01/01', '01:00:00', '02/01/01', "
                        "'02:00:00')"));
        QVERIFY(ejecuta("INSERT INTO IntervaloInhabil VALUES (100123, 2, '31/12/08', '20:00:00', '01/01/09', "
                        "'09:00:00')"));
        QVERIFY(ejecuta("INSERT INTO Programacion (LNumeroSerie, TLocal, LPasadasLocal, ByVelocidad, CMI, TNota) "
                        "VALUES (204567, 'Old venue', 999, 3, -1, 'old note')"));
        QVERIFY(ejecuta("INSERT INTO Intervalos (LNumeroSerie, DFechaInicio, THoraInicio, DFechaFinal, THoraFinal, "
                        "SLeqLocal, SL90) VALUES (100123, '2009-03-13', '12:00', '2009-03-13', '12:15', 1, 5)"));
        QVERIFY(ejecuta("INSERT INTO Intervalos (LNumeroSerie, DFechaInicio, THoraInicio, DFechaFinal, THoraFinal, "
                        "SLeqLocal) VALUES (100123, '2009-03-13', '12:30', '2009-03-13', '12:40', 2)"));
        QVERIFY(ejecuta("INSERT INTO Sesiones (LNumeroSerie, DFechaInicio, THoraInicio, DFechaFinal, THoraFinal, "
                        "SLeq) VALUES (100123, '2009-02-27', '18:00', '2009-02-28', '02:00', 94.5)"));

        QString file;
        // Sections in another order than the import's; the event section comes twice.
        file += seccion("Sesiones", kSesiones,
                        {fila(kSesiones, {{"LNumeroSerie", "100123"},
                                          {"DFechaInicio", "2009-02-27 18:00:00"},
                                          {"DFechaFinal", "2009-02-28 02:00:00"},
                                          {"SLeq", "94,5"}}),
                         fila(kSesiones, {{"LNumeroSerie", "100123"},
                                          {"DFechaInicio", "2009-02-28 17:30:00"},
                                          {"DFechaFinal", "2009-03-01 05:00:00"},
                                          {"SLeq", "95.25"},
                                          {"THoraInicioNoche", "22:00"},
                                          {"LPasMaxFast", "70000"},
                                          {"TFechaMaxLeq1min", "28/02/09"},
                                          {"THoraMaxLeq1min", "3:01"},
                                          {"SL90", "59"}})});
        file += seccion("diaborrado", kEvento,
                        {"100123;2008-10-20;12:40", "100123;2009-01-10;9:05", "204567;2008-06-02;00:00"});
        file += seccion("IntervaloInhabil", kInhabil,
                        {"100123;1;2008-12-24;22:00:00;2008-12-25;08:00:00",
                         "100123;2;2008-12-31;20:00:00;2009-01-01;09:00:00",
                         "100123;3;0000-00-00;00:00:00;0000-00-00;00:00:00",
                         "100123;30;2009-03-07;1899-12-30 07:30:00;2009-03-08;7:45"});
        file += seccion("Intervalos", kIntervalos,
                        {// Same start and end as a stored row, seconds in the times: overwrites it.
                         fila(kIntervalos, {{"LNumeroSerie", "100123"},
                                            {"DFechaInicio", "2009-03-13 12:00:30"},
                                            {"DFechaFinal", "2009-03-13 12:15:00"},
                                            {"SLeqLocal", "62,7"},
                                            {"TFechaMaxLeq1min", "2009-03-13"},
                                            {"THoraMaxLeq1min", "12:07"},
                                            {"BoRS232", "1"},
                                            {"BoProgramacion", "False"},
                                            {"ByDNA", "255"}}),
                         // New, across midnight.
                         fila(kIntervalos, {{"LNumeroSerie", "1234"},
                                            {"DFechaInicio", "2009-12-31 23:45:00"},
                                            {"DFechaFinal", "2010-01-01 00:00:00"},
                                            {"SLeqLocal", "121"},
                                            {"TTipoActuacionLocal", "Leq5s"},
                                            {"TFechaMinLeq1min", "31/12/2009"},
                                            {"IPasMaxFast", "-5"},
                                            {"BoRS232", "-1"}}),
                         // Start stored with another end: refused, the import goes on.
                         fila(kIntervalos, {{"LNumeroSerie", "100123"},
                                            {"DFechaInicio", "2009-03-13 12:30:00"},
                                            {"DFechaFinal", "2009-03-13 12:45:00"},
                                            {"SLeqLocal", "80"}})});
        file += seccion("Programacion", kProgramacion,
                        {fila(kProgramacion, {{"LNumeroSerie", "204567"},
                                              {"DFecha", "2007-05-03"},
                                              {"TLocal", "\"Pub El Racó\""},
                                              {"TNota", "\"Line one; \"\"quoted\"\"\r\nline two\""},
                                              {"TIdioma", "Español"},
                                              {"BoCambioHora", "0"},
                                              {"SOctava31,5Hz", "1,5"},
                                              {"DFechaTotales", "0000-00-00"},
                                              {"THoraTotales", "14:32:10"},
                                              {"LPasadasLocal", "15873"},
                                              {"ByVelocidad", "2"},
                                              {"CMI", "0"},
                                              {"TLunesInicio", "--:--"}}),
                         fila(kProgramacion, {{"LNumeroSerie", "100123"},
                                              {"DFecha", "2008-10-20"},
                                              {"TLocal", "Discoteca Nova"},
                                              {"TContacto", "\"\""},
                                              {"TIdioma", "Català"},
                                              {"CMI", "-1"}})});
        file += seccion("DiaBorrado", kEvento, {"100123;2008-10-20;12:41"});
        file += seccion("DiaFinalBateria", kEvento, {"100123;2008-11-03;09:40"});
        file += seccion("DiaReprogramado", kEvento, {"100123;2009-03-14;16:20:00", "100123;2009-03-14;16:20"});
        file += seccion("Extra", "a;b", {"1;2"});
        const QString path = escribe(*m_home, "obra.qv90", toCp1252(file));

        QStringList tablasVistas;
        const ResultadoIntercambio r =
            importaIntercambio(path, modulo1().ConexionBD, [&](const ProgresoIntercambio &p) {
                if (tablasVistas.isEmpty() || tablasVistas.last() != p.tabla)
                    tablasVistas << p.tabla;
                return true;
            });
        QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        QVERIFY(r.empezada);
        // The import's order of tables, whatever the file's.
        QCOMPARE(tablasVistas, QStringList({"DiaBorrado", "DiaFinalBateria", "DiaReprogramado", "IntervaloInhabil",
                                            "Intervalos", "Programacion", "Sesiones"}));
        QCOMPARE(cifras(r, "DiaBorrado"), QList<qint64>({3, 0, 1, 0}));
        QCOMPARE(cifras(r, "DiaFinalBateria"), QList<qint64>({1, 0, 0, 0}));
        QCOMPARE(cifras(r, "DiaReprogramado"), QList<qint64>({1, 0, 1, 0}));
        QCOMPARE(cifras(r, "IntervaloInhabil"), QList<qint64>({2, 1, 1, 0}));
        QCOMPARE(cifras(r, "Intervalos"), QList<qint64>({1, 1, 0, 1}));
        QCOMPARE(cifras(r, "Programacion"), QList<qint64>({1, 1, 0, 0}));
        QCOMPARE(cifras(r, "Sesiones"), QList<qint64>({1, 0, 1, 0}));
        QCOMPARE(r.seccionesIgnoradas, QStringList{"\"Extra\""});
        QCOMPARE(r.motivos.size(), 1);
        QVERIFY2(
            r.motivos.first().startsWith(TextoPropio("%1, line %2: %3").arg(nombreTabla("Intervalos")).arg(20).arg("")),
            qPrintable(r.motivos.first()));
        QVERIFY(r.motivos.first().contains("12:40"));

        // Events: one time form, so that "9:05" is the same event as "09:05".
        QCOMPARE(valor("SELECT group_concat(DFecha || ' ' || THora, ',') FROM (SELECT * FROM DiaBorrado ORDER BY "
                       "DFecha, THora)")
                     .toString(),
                 QString("2008-06-02 00:00,2008-10-20 12:40,2008-10-20 12:41,2009-01-10 09:05"));
        QCOMPARE(valor("SELECT group_concat(DFecha || ' ' || THora) FROM DiaReprogramado").toString(),
                 QString("2009-03-14 16:20"));

        // Disabled intervals: "dd/mm/yy" and "hh:mm:ss"; the empty slot of "0000-00-00".
        const QString inhabil = "SELECT TDiaEmpiezaInt || '|' || THoraEmpiezaInt || '|' || TDiaTerminaInt || '|' || "
                                "THoraTerminaInt FROM IntervaloInhabil WHERE LNumeroSerie = 100123 AND ByIntervalo = ?";
        QCOMPARE(valor(inhabil, {1}).toString(), QString("24/12/08|22:00:00|25/12/08|08:00:00"));
        QCOMPARE(valor(inhabil, {2}).toString(), QString("31/12/08|20:00:00|01/01/09|09:00:00"));
        QCOMPARE(valor(inhabil, {3}).toString(), QString("00/00/00|00:00:00|00/00/00|00:00:00"));
        QCOMPARE(valor(inhabil, {30}).toString(), QString("07/03/09|07:30:00|08/03/09|07:45:00"));
        QCOMPARE(cuenta("IntervaloInhabil"), 4);

        // Intervals: the overwritten row takes every column of the file, empty ones as NULL.
        const QString stored = "SELECT %1 FROM Intervalos WHERE LNumeroSerie = 100123 AND DFechaInicio = "
                               "'2009-03-13' AND THoraInicio = '12:00'";
        QCOMPARE(valor(stored.arg("SLeqLocal")).toDouble(), 62.7);
        QVERIFY(valor(stored.arg("SL90")).isNull());
        QCOMPARE(valor(stored.arg("TFechaMaxLeq1min")).toString(), QString("13/03/2009"));
        QCOMPARE(valor(stored.arg("THoraMaxLeq1min")).toString(), QString("12:07"));
        QCOMPARE(valor(stored.arg("BoRS232 || BoProgramacion || ByDNA")).toString(), QString("-10255"));
        QCOMPARE(valor(stored.arg("THoraFinal")).toString(), QString("12:15"));
        const QString nuevo = "SELECT %1 FROM Intervalos WHERE LNumeroSerie = 1234";
        QCOMPARE(valor(nuevo.arg("DFechaInicio || ' ' || THoraInicio || ' ' || DFechaFinal || ' ' || THoraFinal"))
                     .toString(),
                 QString("2009-12-31 23:45 2010-01-01 00:00"));
        QCOMPARE(valor(nuevo.arg("TFechaMinLeq1min || IPasMaxFast || BoRS232 || TTipoActuacionLocal")).toString(),
                 QString("31/12/2009-5-1Leq5s"));
        QCOMPARE(valor(nuevo.arg("typeof(SLeqLocal) || typeof(SMaxFast)")).toString(), QString("realnull"));
        // The refused row left the stored one as it was.
        QCOMPARE(valor("SELECT SLeqLocal || THoraFinal FROM Intervalos WHERE THoraInicio = '12:30'").toString(),
                 QString("2.012:40"));

        // Sheets: every column of a stored sheet is overwritten, totals and CMI included.
        const QString prog = "SELECT %1 FROM Programacion WHERE LNumeroSerie = 204567";
        QCOMPARE(valor(prog.arg("TLocal")).toString(), QString::fromUtf8("Pub El Racó"));
        QCOMPARE(valor(prog.arg("TNota")).toString(), QString("Line one; \"quoted\"\r\nline two"));
        QCOMPARE(valor(prog.arg("TIdioma")).toString(), QString::fromUtf8("Español"));
        QCOMPARE(valor(prog.arg("\"SOctava31,5Hz\"")).toDouble(), 1.5);
        QCOMPARE(valor(prog.arg("LPasadasLocal || '|' || ByVelocidad || '|' || CMI || '|' || BoCambioHora")).toString(),
                 QString("15873|2|0|0"));
        QCOMPARE(valor(prog.arg("DFecha || '|' || THoraTotales || '|' || TLunesInicio")).toString(),
                 QString("2007-05-03|14:32:10|--:--"));
        QVERIFY(valor(prog.arg("DFechaTotales")).isNull());
        QVERIFY(valor(prog.arg("TContacto")).isNull());
        QCOMPARE(valor("SELECT TContacto FROM Programacion WHERE LNumeroSerie = 100123").toString(), QString(""));
        QVERIFY(valor("SELECT TDireccion FROM Programacion WHERE LNumeroSerie = 100123").isNull());
        QCOMPARE(valor("SELECT TIdioma FROM Programacion WHERE LNumeroSerie = 100123").toString(),
                 QString::fromUtf8("Català"));

        // Sessions.
        const QString sesion = "SELECT %1 FROM Sesiones WHERE DFechaInicio = '2009-02-28'";
        QCOMPARE(valor(sesion.arg("THoraInicio || ' ' || DFechaFinal || ' ' || THoraFinal")).toString(),
                 QString("17:30 2009-03-01 05:00"));
        QCOMPARE(valor(sesion.arg("SLeq || '|' || LPasMaxFast || '|' || TFechaMaxLeq1min || '|' || THoraMaxLeq1min"))
                     .toString(),
                 QString("95.25|70000|28/02/2009|03:01"));
        QCOMPARE(cuenta("Sesiones"), 2);

        // The same file again: nothing added and nothing overwritten.
        const ResultadoIntercambio otra = importaIntercambio(path, modulo1().ConexionBD);
        QCOMPARE(otra.guardadas(), qint64(0));
        QCOMPARE(otra.rechazadas(), qint64(1));
        QVERIFY(!otra.resumen().isEmpty());
    }

    // Rows that do not read for their columns are refused with their line; the others go in.
    void rowsRefusedWithTheirLine_data()
    {
        QTest::addColumn<QString>("row");
        QTest::addColumn<QString>("reason");
        QTest::newRow("bad date") << "1;2009-02-30;10:00"
                                  << TextoPropio("%1: \"%2\" is not a date").arg(nombreColumna("DFecha"), "2009-02-30");
        QTest::newRow("apostrophe in a time")
            << "1;2009-02-03;12'00" << TextoPropio("%1: \"%2\" is not a time").arg(nombreColumna("THora"), "12'00");
        QTest::newRow("quoted semicolon in a time")
            << "1;2009-02-03;\"12;00\"" << TextoPropio("%1: \"%2\" is not a time").arg(nombreColumna("THora"), "12;00");
        QTest::newRow("empty key part") << "1;2009-02-03;"
                                        << TextoPropio("the key column %1 is empty").arg(nombreColumna("THora"));
        QTest::newRow("empty serial") << ";2009-02-03;10:00"
                                      << TextoPropio("the key column %1 is empty").arg(nombreColumna("LNumeroSerie"));
        QTest::newRow("serial out of range") << "2147483648;2009-02-03;10:00"
                                             << TextoPropio("%1: \"%2\" is not a whole number from %3 to %4")
                                                    .arg(nombreColumna("LNumeroSerie"), "2147483648")
                                                    .arg(-2147483648LL)
                                                    .arg(2147483647);
        QTest::newRow("too many fields") << "1;2009-02-03;10:00;x"
                                         << TextoPropio("%1 fields where the header names %2").arg(4).arg(3);
        QTest::newRow("cut short") << "1;2009-0" << TextoPropio("%1 fields where the header names %2").arg(2).arg(3);
        QTest::newRow("quote not closed") << "1;2009-02-03;\"10:00" << TextoPropio("a quoted field is not closed");
        QTest::newRow("text after a quote")
            << "1;\"2009-02-03\"x;10:00" << TextoPropio("text follows the closing quote of field %1").arg(2);
    }
    void rowsRefusedWithTheirLine()
    {
        QFETCH(QString, row);
        QFETCH(QString, reason);
        const QByteArray file = "//DiaBorrado//\r\nLNumeroSerie;DFecha;THora\r\n1;2009-01-01;10:00\r\n" +
                                row.toLatin1() + "\r\n1;2009-01-01;11:00\r\n";
        QVERIFY(ejecuta("INSERT INTO DiaBorrado VALUES (1, '2009-02-03', '10:00')"));
        const ResultadoIntercambio r = importaIntercambio(escribe(*m_home, "f.qv90", file), modulo1().ConexionBD);
        QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        QCOMPARE(cifras(r, "DiaBorrado"), QList<qint64>({2, 0, 0, 1}));
        QCOMPARE(r.motivos,
                 QStringList{TextoPropio("%1, line %2: %3").arg(nombreTabla("DiaBorrado")).arg(4).arg(reason)});
        QCOMPARE(cuenta("DiaBorrado"), 3);
        // A refused row never writes over a stored one.
        QCOMPARE(valor("SELECT THora FROM DiaBorrado WHERE DFecha = '2009-02-03'").toString(), QString("10:00"));
    }

    // An event's time as a device's clock gave it, "hh:mm" of two digits each that is no
    // time of day, is the form the download stores: it is taken as it is. Any other text
    // that is no time is refused.
    void eventTimesAsTheDeviceGaveThem_data()
    {
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("stored"); // empty: refused
        QTest::newRow("a time of day") << "9:05"
                                       << "09:05";
        QTest::newRow("hour 25") << "25:00"
                                 << "25:00";
        QTest::newRow("minute 61") << "08:61"
                                   << "08:61";
        QTest::newRow("99:99") << "99:99"
                               << "99:99";
        QTest::newRow("one digit short") << "25:0"
                                         << "";
        QTest::newRow("three digits") << "100:00"
                                      << "";
        QTest::newRow("seconds") << "25:00:00"
                                 << "";
    }
    void eventTimesAsTheDeviceGaveThem()
    {
        QFETCH(QString, time);
        QFETCH(QString, stored);
        const QByteArray file = "//DiaReprogramado//\r\nLNumeroSerie;DFecha;THora\r\n1;2026-02-02;" + time.toLatin1() +
                                "\r\n1;2026-02-02;" + time.toLatin1() + "\r\n";
        const ResultadoIntercambio r = importaIntercambio(escribe(*m_home, "f.qv90", file), modulo1().ConexionBD);
        QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        if (stored.isEmpty()) {
            QCOMPARE(cifras(r, "DiaReprogramado"), QList<qint64>({0, 0, 0, 2}));
            QCOMPARE(r.motivos.first(),
                     TextoPropio("%1, line %2: %3")
                         .arg(nombreTabla("DiaReprogramado"))
                         .arg(3)
                         .arg(TextoPropio("%1: \"%2\" is not a time").arg(nombreColumna("THora"), time)));
            QCOMPARE(cuenta("DiaReprogramado"), 0);
        } else {
            QCOMPARE(cifras(r, "DiaReprogramado"), QList<qint64>({1, 0, 1, 0})); // the second is the same event
            QCOMPARE(valor("SELECT group_concat(THora) FROM DiaReprogramado").toString(), stored);
        }
    }

    // Rows repeated in the file count the same whether their table held rows when the
    // import began or not: the first is added, a copy is unchanged, other values overwrite,
    // another end is refused. Texts beyond plain ASCII keep their width in characters.
    void rowsRepeatedInTheFile_data()
    {
        QTest::addColumn<bool>("otherRowsStored");
        QTest::newRow("tables empty") << false;
        QTest::newRow("tables holding other rows") << true;
    }
    void rowsRepeatedInTheFile()
    {
        QFETCH(bool, otherRowsStored);
        if (otherRowsStored) {
            QVERIFY(ejecuta("INSERT INTO Intervalos (LNumeroSerie, DFechaInicio, THoraInicio) VALUES (9, "
                            "'2001-01-01', '00:00')"));
            QVERIFY(ejecuta("INSERT INTO IntervaloInhabil (LNumeroSerie, ByIntervalo) VALUES (9, 1)"));
        }
        const auto intervalo = [](const QString &fin, const QString &leq, const QString &actuacion = "Leq5s") {
            return fila(kIntervalos, {{"LNumeroSerie", "1"},
                                      {"DFechaInicio", "2009-01-01 10:00:00"},
                                      {"DFechaFinal", fin},
                                      {"SLeqLocal", leq},
                                      {"TTipoActuacionLocal", actuacion}});
        };
        QString file;
        file += seccion("Intervalos", kIntervalos,
                        {intervalo("2009-01-01 10:15:00", "60"),                   // line 3: added
                         intervalo("2009-01-01 10:15", "60,0"),                    // 4: the same values
                         intervalo("2009-01-01 10:15:00", "61"),                   // 5: overwrites
                         intervalo("2009-01-01 10:30:00", "62"),                   // 6: another end
                         intervalo("2009-01-01 10:15:00", "61", "\"Ñàé\"\"íóç\""), // 7: 8 characters
                         intervalo("2009-01-01 10:15:00", "63", "Ñàéíóúüçø"),      // 8: 9 characters
                         fila(kIntervalos, {{"LNumeroSerie", "1"},
                                            {"DFechaInicio", "2009-01-01 10:15:00"},
                                            {"DFechaFinal", "2009-01-01 10:30:00"}})}); // 9: added
        file += seccion("IntervaloInhabil", kInhabil,
                        {"1;5;2009-01-01;01:00:00;2009-01-02;02:00:00", "1;5;2009-01-01;01:00;2009-01-02;02:00:00",
                         "1;5;2009-01-01;01:00:00;2009-01-02;03:00:00"});
        const ResultadoIntercambio r =
            importaIntercambio(escribe(*m_home, "r.qv90", toCp1252(file)), modulo1().ConexionBD);
        QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        QCOMPARE(cifras(r, "Intervalos"), QList<qint64>({2, 2, 1, 2}));
        QCOMPARE(cifras(r, "IntervaloInhabil"), QList<qint64>({1, 1, 1, 0}));
        QCOMPARE(r.motivos,
                 QStringList({TextoPropio("%1, line %2: %3")
                                  .arg(nombreTabla("Intervalos"))
                                  .arg(6)
                                  .arg(TextoPropio("the row that starts at %1 is stored with another end (%2)")
                                           .arg("2009-01-01 10:00", "2009-01-01 10:15")),
                              TextoPropio("%1, line %2: %3")
                                  .arg(nombreTabla("Intervalos"))
                                  .arg(8)
                                  .arg(TextoPropio("%1: \"%2\" is longer than %3 characters")
                                           .arg(nombreColumna("TTipoActuacionLocal"), QString::fromUtf8("Ñàéíóúüçø"))
                                           .arg(8))}));
        const QString stored = "SELECT %1 FROM Intervalos WHERE LNumeroSerie = 1 AND THoraInicio = '10:00'";
        QCOMPARE(valor(stored.arg("SLeqLocal || '|' || THoraFinal")).toString(), QString("61.0|10:15"));
        QCOMPARE(valor(stored.arg("TTipoActuacionLocal")).toString(), QString::fromUtf8("Ñàé\"íóç"));
        QCOMPARE(cuenta("Intervalos"), otherRowsStored ? 3 : 2);
        QCOMPARE(valor("SELECT THoraTerminaInt FROM IntervaloInhabil WHERE LNumeroSerie = 1").toString(),
                 QString("03:00:00"));
    }

    // Files that are no exchange file, or whose layout is broken, fail before anything is
    // written, with their message.
    void badFilesWriteNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        const QByteArray eventos = "//DiaBorrado//\r\nLNumeroSerie;DFecha;THora\r\n1;2009-01-01;10:00\r\n";
        QTest::newRow("empty") << QByteArray() << TextoPropio("The file %1 is empty: it holds no data to import.");
        QTest::newRow("only a BOM and blank lines")
            << QByteArray("\xEF\xBB\xBF\r\n\r\n") << TextoPropio("The file %1 is empty: it holds no data to import.");
        QTest::newRow("no first marker")
            << "LNumeroSerie;DFecha;THora\r\n" + eventos
            << TextoPropio("The file %1 does not begin with a section marker (a line such as \"//Programacion//\"): "
                           "it is not an exchange file.");
        QTest::newRow("marker of three characters")
            << eventos + "//x\r\n1;2\r\n"
            << TextoPropio("Line %1 of the file %2: the section marker \"%3\" is too short; a marker is \"//\", the "
                           "table's name and \"//\".");
        QTest::newRow("unknown sections only")
            << QByteArray("//Extra//\r\na;b\r\n1;2\r\n////\r\nx\r\n")
            << TextoPropio("The file %1 holds none of the program's tables (its sections: %2).");
        QTest::newRow("wrong header") << eventos +
                                             "//DiaFinalBateria//\r\nLNumeroSerie;Fecha;THora\r\n1;2009-01-01;10:00\r\n"
                                      << TextoPropio("The file %1: %2");
        QTest::newRow("header missing a column")
            << QByteArray("//Sesiones//\r\nLNumeroSerie;DFechaInicio\r\n1;2009-01-01 10:00:00\r\n")
            << TextoPropio("The file %1: %2");
        QTest::newRow("rows without a header")
            << QByteArray("//DiaBorrado//\r\n\r\n1;2009-01-01;10:00\r\n") << TextoPropio("The file %1: %2");
    }
    void badFilesWriteNothing()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        const QString path = escribe(*m_home, "bad.qv90", content);
        const ResultadoIntercambio r = importaIntercambio(path, modulo1().ConexionBD);
        QVERIFY(!r.empezada);
        const QString prefix = message.section(QLatin1Char('%'), 0, 0);
        QVERIFY2(r.error.startsWith(prefix), qPrintable(r.error));
        QVERIFY2(r.error.contains("bad.qv90"), qPrintable(r.error));
        QCOMPARE(r.resumen(), r.error);
        for (const char *t : {"DiaBorrado", "DiaFinalBateria", "Sesiones"})
            QCOMPARE(cuenta(t), 0);
    }

    void fileThatCannotBeOpened()
    {
        const ResultadoIntercambio r = importaIntercambio(m_home->file("missing.qv90"), modulo1().ConexionBD);
        QVERIFY(!r.empezada);
        QVERIFY(r.error.contains("missing.qv90"));
    }

    // UTF-8 with its BOM, LF line ends, a four-character marker (an empty name) and a
    // section name in another letter case.
    void utf8AndLineFeeds()
    {
        const QByteArray file = "\xEF\xBB\xBF//PROGRAMACION//\n" + kProgramacion.toUtf8() + "\n" +
                                fila(kProgramacion, {{"LNumeroSerie", "7"}, {"TLocal", "Racó l·l"}}).toUtf8() +
                                "\n////\nx;y\n//Notes·//\n1\n";
        const ResultadoIntercambio r = importaIntercambio(escribe(*m_home, "u.qv90", file), modulo1().ConexionBD);
        QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        QCOMPARE(cifras(r, "Programacion"), QList<qint64>({1, 0, 0, 0}));
        QCOMPARE(valor("SELECT TLocal FROM Programacion").toString(), QString::fromUtf8("Racó l·l"));
        QCOMPARE(r.seccionesIgnoradas, QStringList({"\"\"", QString::fromUtf8("\"Notes·\"")}));
    }

    // Cancel halfway: the rows before it stay, and are what the result counts.
    void cancelHalfway()
    {
        QByteArray file = "//DiaBorrado//\r\nLNumeroSerie;DFecha;THora\r\n";
        const int total = 150000;
        for (int i = 0; i < total; ++i)
            file += QByteArray::number(i) + ";2009-01-01;10:00\r\n";
        int avisos = 0;
        const ResultadoIntercambio r =
            importaIntercambio(escribe(*m_home, "big.qv90", file), modulo1().ConexionBD,
                               [&](const ProgresoIntercambio &p) { return ++avisos < 3 || p.hechas == 0; });
        QVERIFY(r.cancelada);
        QVERIFY(r.error.isEmpty());
        const qint64 guardadas = r.guardadas();
        QVERIFY(guardadas > 0);
        QVERIFY(guardadas < total);
        QCOMPARE(cuenta("DiaBorrado"), int(guardadas));
        QVERIFY(r.resumen().startsWith(
            TextoPropio("The import was cancelled: %1 rows were stored before it.").arg(guardadas)));
    }

    // The window: the file's name, the progress text, one summary box, nothing written to
    // the data folder (files of the old temporary names stay as they are).
    void windowImportsOnceAndLeavesTheDataFolderAlone()
    {
        const QByteArray mine = "my own notes\r\n";
        escribe(*m_home, "Intervalos.csv", mine);
        escribe(*m_home, "schema.ini", mine);
        const QString path = escribe(*m_home, "obra.qv90",
                                     "//DiaBorrado//\r\nLNumeroSerie;DFecha;THora\r\n1;2009-01-01;10:00\r\n"
                                     "2;2009-01-01;10:00\r\n3;2009-01-01;10:00\r\n");
        // The database's own files aside, the folder keeps the files it had.
        const auto ficheros = [&] {
            QStringList l = QDir(m_home->path()).entryList(QDir::Files);
            l.removeIf([](const QString &n) { return n.startsWith("slx90.db"); });
            return l;
        };
        const QStringList antes = ficheros();
        modulo1().FicheroImportar = path;
        slxtest::Answers answers;
        QString fitxer, texto;
        ui::setResponder([&](const ui::Request &) {
            auto *f = qobject_cast<Form16 *>(FormRegistry::instance("Form16"));
            if (f) {
                fitxer = f->lblFitxer->text();
                texto = f->lblText->text();
            }
            return QVariant(int(ui::vbOK));
        });
        abreVentana("Form16", true);
        ui::setResponder(nullptr);
        QCOMPARE(fitxer, QString("obra.qv90"));
        QCOMPARE(texto, QString("Importando datos   3 / 3"));
        QCOMPARE(cuenta("DiaBorrado"), 3);
        QCOMPARE(ficheros(), antes);
        for (const char *n : {"Intervalos.csv", "schema.ini"}) {
            QFile f(m_home->file(n));
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), mine);
        }
        QVERIFY(!FormRegistry::instance("Form16"));
    }

    void windowCancel()
    {
        QByteArray file = "//DiaBorrado//\r\nLNumeroSerie;DFecha;THora\r\n";
        const int total = 300000;
        for (int i = 0; i < total; ++i)
            file += QByteArray::number(i) + ";2009-01-01;10:00\r\n";
        modulo1().FicheroImportar = escribe(*m_home, "big.qv90", file);
        slxtest::Answers answers;
        QTimer::singleShot(0, [] {
            // Pressed once the import runs (the first progress has been shown).
            auto *timer = new QTimer;
            QObject::connect(timer, &QTimer::timeout, [timer] {
                auto *f = qobject_cast<Form16 *>(FormRegistry::instance("Form16"));
                if (f && f->lblText->text().contains(" / ")) {
                    timer->stop();
                    timer->deleteLater();
                    QTest::mouseClick(f->sscmdCancel, Qt::LeftButton);
                }
            });
            timer->start(5);
        });
        abreVentana("Form16", true);
        QVERIFY(modulo1().FicheroImportar.isEmpty());
        QCOMPARE(answers.shown().size(), 1);
        const int stored = cuenta("DiaBorrado");
        QVERIFY(stored < total);
        QVERIFY2(answers.shown().first().text.startsWith(
                     TextoPropio("The import was cancelled: %1 rows were stored before it.").arg(stored)),
                 qPrintable(answers.shown().first().text));
        QCOMPARE(answers.shown().first().icon, ui::Icon::Exclamation);
    }

    void windowShowsAFailure()
    {
        modulo1().FicheroImportar = escribe(*m_home, "empty.qv90", QByteArray());
        slxtest::Answers answers;
        abreVentana("Form16", true);
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown().first().icon, ui::Icon::Critical);
        QCOMPARE(answers.shown().first().text,
                 TextoPropio("The file %1 is empty: it holds no data to import.").arg("empty.qv90"));
    }

    // A file that may have been cut is no plain success: the box warns, with its icon.
    void windowWarnsOfACutFile()
    {
        modulo1().FicheroImportar =
            escribe(*m_home, "cut.qv90", "//DiaBorrado//\r\nLNumeroSerie;DFecha;THora\r\n1;2009-01-01;10:0");
        slxtest::Answers answers;
        abreVentana("Form16", true);
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown().first().icon, ui::Icon::Exclamation);
        QVERIFY2(answers.shown().first().text.endsWith(
                     TextoPropio("The file may be incomplete: its last line (line %1) has no line end, so its last "
                                 "value may have been cut short.")
                         .arg(3)),
                 qPrintable(answers.shown().first().text));
    }

    void windowTranslated()
    {
        Form16 w;
        const QStringList missing = slxtest::missingTranslations({&w}, m_home->file("Language.db"));
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(" | ")));
    }

    // Small files, each showing one way a file is read: its encoding, a cut last line, a
    // header that ends with ";", the edges of a time.
    void smallFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("query"); // what the file stored
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("refused"); // reasons, with their lines
        QTest::addColumn<qint64>("cutLine");      // the line the summary warns of, 0 = none
        const QByteArray eventos = "//DiaBorrado//\r\nLNumeroSerie;DFecha;THora\r\n";
        const QString horas = "SELECT group_concat(THora, ' ') FROM (SELECT THora FROM DiaBorrado ORDER BY 1)";
        const auto noEsHora = [](int linea, const char *t) {
            return TextoPropio("%1, line %2: %3")
                .arg(nombreTabla("DiaBorrado"))
                .arg(linea)
                .arg(TextoPropio("%1: \"%2\" is not a time").arg(nombreColumna("THora"), t));
        };
        const auto intervalo = [](const QString &linea) {
            return fila(kIntervalos, {{"LNumeroSerie", "1"},
                                      {"DFechaInicio", "2009-01-01 10:00:00"},
                                      {"DFechaFinal", "2009-01-01 10:15:00"},
                                      {"ByLineaInsuficiente", linea}})
                .toLatin1();
        };
        const QByteArray intervalos = "//Intervalos//\r\n" + kIntervalos.toLatin1() + "\r\n";
        const QString linea = "SELECT ByLineaInsuficiente FROM Intervalos";
        QTest::newRow("cut inside its last field")
            << intervalos + intervalo("25") << linea << "25" << QStringList() << qint64(3);
        QTest::newRow("cut after its CR")
            << intervalos + intervalo("255") + "\r" << linea << "255" << QStringList() << qint64(3);
        QTest::newRow("whole") << intervalos + intervalo("255") + "\r\n"
                               << linea << "255" << QStringList() << qint64(0);
        QTest::newRow("whole with LF") << intervalos + intervalo("255") + "\n"
                                       << linea << "255" << QStringList() << qint64(0);

        const QString local = "SELECT TLocal FROM Programacion";
        const QString catala = QString::fromUtf8("Català 1€");
        const QByteArray programacion = "//Programacion//\r\n" + kProgramacion.toLatin1() + "\r\n";
        const QString sheet = fila(kProgramacion, {{"LNumeroSerie", "7"}, {"TLocal", catala}}) + "\r\n";
        QTest::newRow("UTF-8 without a BOM")
            << programacion + sheet.toUtf8() << local << catala << QStringList() << qint64(0);
        QTest::newRow("UTF-8 with a BOM")
            << "\xEF\xBB\xBF" + programacion + sheet.toUtf8() << local << catala << QStringList() << qint64(0);
        QTest::newRow("Windows-1252") << programacion + toCp1252(sheet) << local << catala << QStringList()
                                      << qint64(0);
        // Valid UTF-8 up to a byte that is not: the whole file is Windows-1252.
        QTest::newRow("Windows-1252 beginning like UTF-8")
            << programacion + toCp1252(fila(kProgramacion, {{"LNumeroSerie", "7"}, {"TLocal", "Ã©"}}) + "\r\n") +
                   toCp1252(fila(kProgramacion, {{"LNumeroSerie", "8"}, {"TLocal", "é"}}) + "\r\n")
            << local + " WHERE LNumeroSerie = 7" << QString::fromUtf8("Ã©") << QStringList() << qint64(0);

        QTest::newRow("header ending with a semicolon")
            << QByteArray("//DiaBorrado//\r\nLNumeroSerie;DFecha;THora;\r\n1;2009-01-01;10:00;\r\n"
                          "1;2009-01-01;11:00\r\n1;2009-01-01;12:00;;\r\n")
            << horas << "10:00 11:00"
            << QStringList{TextoPropio("%1, line %2: %3")
                               .arg(nombreTabla("DiaBorrado"))
                               .arg(5)
                               .arg(TextoPropio("%1 fields where the header names %2").arg(5).arg(4))}
            << qint64(0);
        QTest::newRow("times at their edges")
            << eventos + "1;2009-01-01;23:59\r\n1;2009-01-01;24:00\r\n1;2009-01-01;00:00\r\n1;2009-01-01;10:60\r\n"
                         "1;2009-01-01;9:05\r\n1;2009-01-01;1000\r\n"
            << horas << "00:00 09:05 10:60 23:59 24:00" // a device clock's 24:00 and 10:60 are kept as read
            << QStringList{noEsHora(8, "1000")} << qint64(0);
    }
    void smallFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, query);
        QFETCH(QString, stored);
        QFETCH(QStringList, refused);
        QFETCH(qint64, cutLine);
        const ResultadoIntercambio r = importaIntercambio(escribe(*m_home, "s.qv90", content), modulo1().ConexionBD);
        QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        QCOMPARE(valor(query).toString(), stored);
        QCOMPARE(r.motivos, refused);
        QCOMPARE(r.lineaSinFin, cutLine);
        const QString aviso = TextoPropio("The file may be incomplete: its last line (line %1) has no line end, so "
                                          "its last value may have been cut short.")
                                  .arg(cutLine);
        QCOMPARE(r.resumen().contains(aviso), cutLine > 0);
        QCOMPARE(r.conAvisos(), cutLine > 0 || !refused.isEmpty());
    }

    // Values longer than the database stores refuse their row, with its line; the row after
    // them goes in. A long row that fits is read whole across the blocks the file is read in.
    void longValues_data()
    {
        QTest::addColumn<int>("limit");      // the database's length limit, 0 = as it is
        QTest::addColumn<int>("length");     // of the note in the file
        QTest::addColumn<QString>("reason"); // "" = stored, "value" or "row" = refused for it
        QTest::newRow("long note stored") << 0 << 3 * 1024 * 1024 << "";
        QTest::newRow("note over the limit") << 1000 << 2000 << "value";
        QTest::newRow("row over what can be stored") << 1000 << 3 * 1024 * 1024 << "row";
    }
    void longValues()
    {
        QFETCH(int, limit);
        QFETCH(int, length);
        QFETCH(QString, reason);
        QVERIFY(ejecuta("INSERT INTO Programacion (LNumeroSerie, TNota) VALUES (5, 'old note')"));
        if (limit) {
            const QVariant h = modulo1().ConexionBD.driver()->handle();
            QVERIFY(h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0);
            sqlite3_limit(*static_cast<sqlite3 *const *>(h.constData()), SQLITE_LIMIT_LENGTH, limit);
        }
        // A quoted note whose lines and doubled quotes run across the blocks of the reading.
        QByteArray nota = "\"";
        while (nota.size() < length - 8)
            nota += "ab\"\"c\r\nd;";
        nota += "\"";
        QByteArray texto = nota.mid(1, nota.size() - 2);
        texto.replace("\"\"", "\"");
        const QByteArray filaLarga =
            fila(kProgramacion, {{"LNumeroSerie", "5"}, {"TNota", "@"}}).toLatin1().replace("@", nota);
        const QByteArray file = "//Programacion//\r\n" + kProgramacion.toLatin1() + "\r\n" + filaLarga + "\r\n" +
                                fila(kProgramacion, {{"LNumeroSerie", "6"}, {"TNota", "next"}}).toLatin1() + "\r\n" +
                                fila(kProgramacion, {{"LNumeroSerie", "x7"}, {"TNota", "bad"}}).toLatin1() + "\r\n";
        // The line of the bad row after them: the long row's own lines counted.
        const int lineaMala = 3 + int(filaLarga.count('\n')) + 2;
        const QString enLineaMala = TextoPropio("%1, line %2: %3").arg(nombreTabla("Programacion")).arg(lineaMala);
        const ResultadoIntercambio r = importaIntercambio(escribe(*m_home, "l.qv90", file), modulo1().ConexionBD);
        QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        // The row after the long one, on its own line.
        QCOMPARE(valor("SELECT TNota FROM Programacion WHERE LNumeroSerie = 6").toString(), QString("next"));
        const QString nota5 = "SELECT TNota FROM Programacion WHERE LNumeroSerie = 5";
        QVERIFY(!r.motivos.isEmpty());
        QVERIFY2(r.motivos.last().startsWith(enLineaMala.section("%3", 0, 0)), qPrintable(r.motivos.last()));
        if (reason.isEmpty()) {
            QCOMPARE(r.motivos.size(), 1);
            QCOMPARE(valor(nota5).toByteArray(), texto);
            QCOMPARE(cifras(r, "Programacion"), QList<qint64>({1, 1, 0, 1}));
            return;
        }
        const QString motivo =
            reason == "value"
                ? TextoPropio("%1: the value is longer than the database can store (%2 bytes)")
                      .arg(nombreColumna("TNota"))
                      .arg(texto.size())
                : TextoPropio("the row is longer than the database can store (%1 bytes)").arg(filaLarga.size());
        QCOMPARE(r.motivos.size(), 2);
        QCOMPARE(r.motivos.first(), TextoPropio("%1, line %2: %3").arg(nombreTabla("Programacion")).arg(3).arg(motivo));
        // The stored note stays as it was.
        QCOMPARE(valor(nota5).toString(), QString("old note"));
        QCOMPARE(cifras(r, "Programacion"), QList<qint64>({1, 0, 0, 2}));
        QVERIFY(r.conAvisos());
    }

    // A value or a list the box quotes from the file is cut short, with its size, however
    // long it is: the box is a few lines (and comes at once).
    void longValuesQuotedShort_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("quoted"); // what the box holds of it
        QTest::newRow("1 MB venue name") << "" << "venue" << qint64(1) << "xxxxxxxxxxxx... (1,048,576 characters)";
        QTest::newRow("100 MB venue name")
            << "" << "venue" << qint64(100) << "xxxxxxxxxxxx... (104,857,600 characters)";
        QTest::newRow("1 MB venue name, in German")
            << "Deutsch" << "venue" << qint64(1) << "xxxxxxxxxxxx... (1.048.576 Zeichen)";
        QTest::newRow("1 MB venue name in UTF-8")
            << "" << "venue utf-8" << qint64(1)
            << QString::fromUtf8("ééééééééééé... (524,288 characters)");
        QTest::newRow("1 MB venue name with doubled quotes")
            << "" << "venue quotes" << qint64(1) << "x\"x\"x\"x\"x\"x\"... (699,050 characters)";
        QTest::newRow("1 MB serial number") << "" << "serial" << qint64(1) << "1111111111... (1,048,576 characters)";
        QTest::newRow("1 MB section name") << "" << "section" << qint64(1) << "SSSSSSSS... (1,048,576 characters)\"";
        QTest::newRow("20,000 section names") << "" << "sections" << qint64(20000) << "\"Extra9\" and 19,990 more";
        QTest::newRow("20,000 section names, in French")
            << "Français" << "sections" << qint64(20000) << QString::fromUtf8("\"Extra9\" et 19\u202f990 de plus");
        QTest::newRow("20,000 sections, none a table")
            << "" << "no table" << qint64(20000) << "\"Extra9\" and 19,990 more";
        QTest::newRow("5,000 unknown columns") << "" << "columns" << qint64(5000) << "\"C9\" and 4,990 more";
    }
    void longValuesQuotedShort()
    {
        QFETCH(QString, language);
        QFETCH(QString, kind);
        QFETCH(qint64, size);
        QFETCH(QString, quoted);
        const qint64 mb = size << 20;
        const QByteArray cabecera = "//DiaBorrado//\r\n" + kEvento.toLatin1() + "\r\n";
        QByteArray file;
        if (kind.startsWith("venue") || kind == "serial") {
            QByteArray campo;
            if (kind == "venue")
                campo = QByteArray(mb, 'x');
            else if (kind == "venue utf-8")
                campo = QString(mb / 2, QChar(0xE9)).toUtf8();
            else if (kind == "venue quotes") {
                // 1 MB of x"" inside quotes: a third of its characters are doubled quotes.
                campo.reserve(mb + 2);
                campo += '"';
                while (campo.size() < mb)
                    campo += "x\"\"";
                campo += '"';
            } else {
                campo = QByteArray(mb, '1');
            }
            const QByteArray f =
                kind == "serial"
                    ? fila(kProgramacion, {{"LNumeroSerie", "@"}}).toLatin1()
                    : fila(kProgramacion, {{"LNumeroSerie", "5"}, {"TLocal", "@"}}).toLatin1();
            const qsizetype at = f.indexOf('@');
            file = "//Programacion//\r\n" + kProgramacion.toLatin1() + "\r\n" + f.left(at) + campo + f.mid(at + 1) +
                   "\r\n";
        } else if (kind == "section") {
            file = cabecera + "//" + QByteArray(mb, 'S') + "//\r\n";
        } else if (kind == "sections" || kind == "no table") {
            if (kind == "sections")
                file = cabecera;
            for (qint64 i = 0; i < size; ++i)
                file += "//Extra" + QByteArray::number(i) + "//\r\n";
        } else if (kind == "columns") {
            file = "//DiaBorrado//\r\n" + kEvento.toLatin1();
            for (qint64 i = 0; i < size; ++i)
                file += ";C" + QByteArray::number(i);
            file += "\r\n";
        }
        if (!language.isEmpty())
            QVERIFY(LocGuruP_BAS::SetupLanguage(m_home->file("Language.db"), language));
        modulo1().FicheroImportar = escribe(*m_home, "long.qv90", file);
        file.clear();
        slxtest::Answers answers;
        abreVentana("Form16", true);
        if (!language.isEmpty())
            oLocGuru().CloseLanguageDatabase();
        QCOMPARE(answers.shown().size(), 1);
        const QString text = answers.shown().first().text;
        // A few short lines, the value's start and its size among them.
        QVERIFY2(text.size() < 1500, qPrintable(QString::number(text.size()) + ": " + text.left(1500)));
        QVERIFY2(text.contains(quoted), qPrintable(text));
    }

    // A file that another program cuts or writes to between the two readings of the import is
    // no import of that file: a failure, whatever was stored before the change was seen.
    void fileChangedWhileRead_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("stored"); // erasure dates stored before it was seen
        QTest::newRow("cut at a line end") << "cut" << 399;
        QTest::newRow("cut between two sections") << "cut before a section" << 1000;
        QTest::newRow("grown") << "grown" << 1000;
        QTest::newRow("rewritten in place") << "rewritten" << 1000;
    }
    void fileChangedWhileRead()
    {
        QFETCH(QString, change);
        QFETCH(int, stored);
        QByteArray file = "//DiaBorrado//\r\n" + kEvento.toLatin1() + "\r\n";
        qint64 linea400 = 0;
        for (int i = 0; i < 1000; ++i) {
            if (i == 399)
                linea400 = file.size();
            file += QString("1;2009-01-01;%1:%2\r\n").arg(i / 60, 2, 10, QChar('0')).arg(i % 60, 2, 10, QChar('0')).toLatin1();
        }
        const qint64 segunda = file.size();
        file += "//DiaFinalBateria//\r\n" + kEvento.toLatin1() + "\r\n";
        for (int i = 0; i < 10; ++i)
            file += "2;2009-01-0" + QByteArray::number(i) + ";10:00\r\n";
        const QString path = escribe(*m_home, "changed.qv90", file);
        intercambio::FicheroIntercambio f;
        const Resultado<> abierto = f.abre(path);
        QVERIFY2(abierto, qPrintable(abierto ? QString() : abierto.error().text));
        cambia(path, change, change == "cut" ? linea400 : change == "rewritten" ? segunda - 20 : segunda);
        if (QTest::currentTestFailed())
            return;
        const ResultadoIntercambio r = CarregaCsv(f, modulo1().ConexionBD);
        const QString cambiado = TextoPropio("The file %1 changed while it was being read (another program cut it "
                                             "short or wrote to it), so what was read is not the whole file. Import "
                                             "it again once it is complete.")
                                     .arg("changed.qv90");
        QVERIFY(r.empezada);
        QCOMPARE(r.error, cambiado);
        QCOMPARE(cuenta("DiaBorrado"), stored);
        QVERIFY2(r.resumen().startsWith(cambiado + "\n" + TextoPropio("%1 rows were stored before it.").arg(r.guardadas())),
                 qPrintable(r.resumen()));
    }

    // The same in the window: the box is a failure's, with its icon.
    void windowReportsAFileCutWhileRead()
    {
        QByteArray file = "//DiaBorrado//\r\n" + kEvento.toLatin1() + "\r\n";
        qint64 corte = 0;
        for (int i = 0; i < 1000; ++i) {
            if (i == 400)
                corte = file.size();
            file += QByteArray::number(i) + ";2009-01-01;10:00\r\n";
        }
        const QString path = escribe(*m_home, "cut.qv90", file);
        modulo1().FicheroImportar = path;
        slxtest::Answers answers;
        // Cut once the first reading is over: the first progress of the rows is shown.
        QTimer corta;
        connect(&corta, &QTimer::timeout, [&] {
            auto *f = qobject_cast<Form16 *>(FormRegistry::instance("Form16"));
            if (f && f->lblText->text().contains(" / ")) {
                corta.stop();
                QCOMPARE(::truncate(QFile::encodeName(path).constData(), corte), 0);
            }
        });
        corta.start(0);
        abreVentana("Form16", true);
        QVERIFY(!corta.isActive());
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown().first().icon, ui::Icon::Critical);
        QVERIFY2(answers.shown().first().text.startsWith(
                     TextoPropio("The file %1 changed while it was being read (another program cut it short or wrote "
                                 "to it), so what was read is not the whole file. Import it again once it is complete.")
                         .arg("cut.qv90")),
                 qPrintable(answers.shown().first().text));
        QCOMPARE(cuenta("DiaBorrado"), 400);
    }

    // Only a regular file is read: a pipe, a folder or a device is refused at once with a
    // message (a pipe with no writer would otherwise block the program), as is a file the
    // user may not read.
    void notARegularFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        const QString irregular = TextoPropio("The file %1 is not a regular file (it is a folder, a device or a "
                                              "pipe): it cannot be imported.");
        QTest::newRow("pipe") << "fifo" << irregular;
        QTest::newRow("folder") << "folder" << irregular;
        QTest::newRow("link to an endless device") << "zero" << irregular;
        QTest::newRow("no permission") << "locked"
                                       << TextoPropio(
                                              "The file %1 cannot be opened: you have no permission to read it.");
        QTest::newRow("missing") << "missing" << TextoPropio("The file %1 does not exist.");
    }
    void notARegularFile()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        const QString path = m_home->file(kind + ".qv90");
        const QByteArray nativo = QFile::encodeName(path);
        if (kind == "fifo")
            QCOMPARE(::mkfifo(nativo.constData(), 0600), 0);
        else if (kind == "folder")
            QVERIFY(QDir().mkdir(path));
        else if (kind == "zero")
            QVERIFY(QFile::link("/dev/zero", path));
        else if (kind == "locked") {
            escribe(*m_home, "locked.qv90", "//DiaBorrado//\r\nLNumeroSerie;DFecha;THora\r\n");
            QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
        }
        slxtest::OrdinaryUser comoUsuario;
        QVERIFY(comoUsuario.holds());
        std::optional<VigiaTuberia> vigia;
        if (kind == "fifo")
            vigia.emplace(path);
        const ResultadoIntercambio r = importaIntercambio(path, modulo1().ConexionBD);
        QVERIFY2(!vigia || !vigia->termina(), "the import waited on the pipe");
        QVERIFY(!r.empezada);
        QCOMPARE(r.error, message.arg(path));
    }

    // The summary names tables and columns as the windows do, in the user's language.
    void namesAsTheWindows_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<bool>("table");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        QTest::newRow("en table") << "English" << true << "DiaBorrado"
                                  << "Erasure dates";
        QTest::newRow("en window caption") << "English" << true << "IntervaloInhabil"
                                           << "Disabled intervals";
        QTest::newRow("en label") << "English" << false << "LNumeroSerie"
                                  << "Serial no.";
        QTest::newRow("en time") << "English" << false << "THora"
                                 << "Time";
        QTest::newRow("en start") << "English" << false << "THoraInicio"
                                  << "Time (Start)";
        QTest::newRow("en heading") << "English" << false << "TFechaMaxLeq1min"
                                    << "Leq1'max (Date)";
        QTest::newRow("en heading without unit") << "English" << false << "ByNivelLeqLocal"
                                                 << "LeqT limit (emission)";
        QTest::newRow("en two-line heading") << "English" << false << "BoRS232"
                                             << "RS-232 connection";
        QTest::newRow("en session day") << "English" << false << "TLunesFin"
                                        << "Monday session (End)";
        QTest::newRow("es table") << "Español" << true << "Intervalos"
                                  << "Intervalos Leq";
        QTest::newRow("es label") << "Español" << false << "TContacto"
                                  << "Contacto";
        QTest::newRow("de table") << "Deutsch" << true << "Sesiones"
                                  << "Sitzungen";
        QTest::newRow("de label") << "Deutsch" << false << "LNumeroSerie"
                                  << "Seriennr.";
        QTest::newRow("fr column in another case")
            << "Français" << false << "lnumeroserie" << QString::fromUtf8("N° de série");
        QTest::newRow("not a table of the program") << "English" << true << "Extra"
                                                    << "Extra";
        QTest::newRow("not a column of the program") << "English" << false << "Extra"
                                                     << "Extra";
    }
    void namesAsTheWindows()
    {
        QFETCH(QString, language);
        QFETCH(bool, table);
        QFETCH(QString, name);
        QFETCH(QString, shown);
        QVERIFY(LocGuruP_BAS::SetupLanguage(m_home->file("Language.db"), language));
        const QString got = table ? nombreTabla(name) : nombreColumna(name);
        oLocGuru().CloseLanguageDatabase();
        QCOMPARE(got, shown);
    }

    // Every table and column a summary can name has a name of its own in every language,
    // and a refused row's reason reads in the user's language.
    void everyNameTranslated()
    {
        for (const QString &language : slxtest::languageColumns()) {
            QVERIFY(LocGuruP_BAS::SetupLanguage(m_home->file("Language.db"), language));
            for (const intercambio::Tabla &t : intercambio::tablas()) {
                const QString tabla = QLatin1String(t.nombre);
                // The English names all differ from the database's (Spanish ones may be the same).
                const bool propio = language != "English" || nombreTabla(tabla) != tabla;
                QVERIFY2(propio && !nombreTabla(tabla).isEmpty(), qPrintable(language + ": " + tabla));
                for (const intercambio::Columna &c : t.columnas)
                    for (const char *n : {c.nombre, c.segunda}) {
                        if (!n)
                            continue;
                        const QString nombre = nombreColumna(QLatin1String(n));
                        QVERIFY2((language != "English" || nombre != QLatin1String(n)) && !nombre.isEmpty() &&
                                     !nombre.contains('\r') && !nombre.endsWith(':'),
                                 qPrintable(language + ": " + n + " -> " + nombre));
                    }
            }
        }
        QVERIFY(LocGuruP_BAS::SetupLanguage(m_home->file("Language.db"), "Deutsch"));
        const QByteArray file = "//DiaBorrado//\r\nLNumeroSerie;DFecha;THora\r\n1;2009-01-01;10:6\r\n";
        const ResultadoIntercambio r = importaIntercambio(escribe(*m_home, "de.qv90", file), modulo1().ConexionBD);
        const QString text = r.resumen();
        oLocGuru().CloseLanguageDatabase();
        QVERIFY2(text.contains(QString::fromUtf8("Löschdaten, Zeile 3: Uhrzeit: \"10:6\" ist keine Uhrzeit")),
                 qPrintable(text));
        QVERIFY2(!text.contains("DiaBorrado") && !text.contains("THora"), qPrintable(text));
    }

private:
    std::unique_ptr<slxtest::DataHome> m_home;
};

QTEST_MAIN(TestIntercambio)
#include "tst_intercambio.moc"
