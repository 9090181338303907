// Storage of programming sheets on a real database file: new sheets, saving,
// loading, the unsaved-changes prompt, and rows that other installations wrote.

#include "ProgrammingFixtures.h"
#include "TestSupport.h"
#include "base/Modulo1.h"
#include "programming/SheetStorage.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

using namespace slx;

namespace {

const QDateTime kAra(QDate(2026, 12, 10), QTime(10, 17, 36));

QVariant valor(const QString &sql, const QVariantList &args = {})
{
    QSqlQuery q(modulo1().ConexionBD);
    q.prepare(sql);
    for (const QVariant &a : args)
        q.addBindValue(a);
    if (!q.exec() || !q.next()) {
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return {};
    }
    return q.value(0);
}

bool ejecuta(const QString &sql, const QVariantList &args = {})
{
    QSqlQuery q(modulo1().ConexionBD);
    q.prepare(sql);
    for (const QVariant &a : args)
        q.addBindValue(a);
    if (!q.exec()) {
        qWarning("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return false;
    }
    return true;
}

int filas(const QString &tabla)
{
    return valor(QStringLiteral("SELECT count(*) FROM \"%1\"").arg(tabla)).toInt();
}

// Device 204567 as the legacy database holds it, written as another installation's
// import would: every column, ISO dates, "hh:mm" interval times, Booleans -1 / 0.
void insertaFila204567()
{
    QVERIFY(ejecuta(
        "INSERT INTO \"Programacion\" VALUES (204567, '2007-05-03', 'Marta Ferrer', 'Pub El Racó', 'Pl. Prim, 4', "
        "'Reus', '977301122', 'Aparell antic. Sense mòdem.', '3.2', 'SLX90', 0, 'Español', 5, 100, -1, "
        "'--:--', '--:--', '--:--', '--:--', '20:00', '01:00', '20:00', '01:00', '20:00', '03:00', '20:00', "
        "'03:00', '--:--', '--:--', 85, 32, '22:00', '08:00', 80, 27, 60, 'Leq01s', '0', 0, 0, 0, 0, 0, 0, 0, 0, 0, "
        "1, '2009-03-10', '11:05:00', 820, 112, 0, 0, 0, 0)"));
    for (int k = 1; k <= 30; ++k)
        QVERIFY(ejecuta("INSERT INTO \"IntervaloInhabil\" VALUES (204567, ?, '00/00/00', '00:00', '00/00/00', '00:00')",
                        {k}));
}

} // namespace

class TestSheetStorage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void newSheetDefaults()
    {
        slxtest::DataHome home;
        FitxaProgramacio f = fixtures::fitxa100123();
        f.MaskTempsActLoc = "07";
        f.MaskTempsActVei = "09";
        f.MaskTempsActEnabled = false;
        f.CheckApliCorrecioGlobal = true;
        f.CheckApliCorrecioGlobalVisible = true;
        modulo1().NumeroSerieAparato = 100123;
        modulo1().VersionAparato = "4.1";
        modulo1().IntervalosInhabiles[3] = {4, "24/12/08", "22:00", "25/12/08", "08:00"};
        const EstadoFitxa estado = CreaProgramacio(f, kAra);

        QCOMPARE(f.TextFecha, QString("10/12/26"));
        QCOMPARE(f.TextHora, QString("10:17:36"));
        QCOMPARE(f.MaskNumeroSerie, QString("0"));
        QCOMPARE(f.MaskFecha, QString("10/12/26"));
        for (const QString *s : {&f.MaskContacto, &f.MaskLocal, &f.MaskDireccion, &f.MaskPoblacion, &f.MaskTelefono})
            QCOMPARE(*s, QString(" "));
        QCOMPARE(f.TextNota, QString());
        QCOMPARE(f.MaskVersion, QString("0.0"));
        QVERIFY(f.CheckCambioHora);
        QVERIFY(!f.CheckImpresion);
        QCOMPARE(f.OptionLocal, OpcionLocal::Leq1s);
        QCOMPARE(f.OptionVei, OpcionVei::Leq1s);
        QCOMPARE(f.OptionIdioma, OpcionIdioma::Espanol);
        QCOMPARE(f.MaskTLeq, QString("2"));
        QCOMPARE(f.MaskMFast, QString("80"));
        for (int d = 0; d < 7; ++d) {
            QCOMPARE(f.inicio(d), QString("00:00"));
            QCOMPARE(f.fin(d), QString("00:23"));
        }
        QCOMPARE(f.MaskDiaLocal, QString("80"));
        QCOMPARE(f.MaskDiaVei, QString("30"));
        QCOMPARE(f.MaskEmpiezaNoche, QString("22:00"));
        QCOMPARE(f.MaskTerminaNoche, QString("08:00"));
        QCOMPARE(f.MaskEmpiezaDia, QString("08:00"));
        QCOMPARE(f.MaskTerminaDia, QString("22:00"));
        QCOMPARE(f.MaskNitLocal, QString("75"));
        QCOMPARE(f.MaskNitVei, QString("25"));
        QCOMPARE(f.MaskTiempoAtenuacion, QString("2"));
        QCOMPARE(f.MaskRings, QString("2"));
        for (const QString &o : f.MaskOctava)
            QCOMPARE(o, QString("0"));
        // The intervals to hand over are the sheet's rows, and the sheet is now modified; the
        // shared state is the window's to write.
        for (int k = 0; k < 30; ++k) {
            QCOMPARE(f.MatrizInhabil[k], (FilaInhabil{k + 1, "00/00/00", "00:00", "00/00/00", "00:00"}));
            QCOMPARE(f.MatrizInhabil[k].DiaEmpieza, QString("00/00/00"));
            QCOMPARE(f.MatrizInhabil[k].HoraTermina, QString("00:00"));
        }
        QVERIFY(estado.modificada);
        QVERIFY(!modulo1().FitxaModificada);
        QCOMPARE(modulo1().IntervalosInhabiles[3], (FilaInhabil{4, "24/12/08", "22:00", "25/12/08", "08:00"}));
        // Left as they were.
        QCOMPARE(f.MaskTempsActLoc, QString("07"));
        QCOMPARE(f.MaskTempsActVei, QString("09"));
        QVERIFY(!f.MaskTempsActEnabled);
        QVERIFY(f.CheckApliCorrecioGlobal);
        QVERIFY(f.CheckApliCorrecioGlobalVisible);
        QCOMPARE(modulo1().NumeroSerieAparato, 100123);
        QCOMPARE(modulo1().VersionAparato, QString("4.1"));
    }

    void savingANewSerialThenAgain()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        slxtest::Answers answers;
        FitxaProgramacio f = fixtures::fitxa100123();
        fixtures::publica(f);
        // A save says nothing but its success; the window then clears FitxaModificada.
        modulo1().FitxaModificada = true;
        QVERIFY(GrabaProgramacio(modulo1().ConexionBD, f, kAra));
        QVERIFY(modulo1().FitxaModificada);
        QCOMPARE(filas("Programacion"), 1);
        QCOMPARE(filas("IntervaloInhabil"), 30);
        QCOMPARE(valor("SELECT group_concat(\"ByIntervalo\") FROM (SELECT \"ByIntervalo\" FROM \"IntervaloInhabil\" "
                       "ORDER BY 1)")
                     .toString(),
                 QString("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,30"));
        QCOMPARE(valor("SELECT \"DFechaTotales\" || ' ' || \"THoraTotales\" || ' ' || \"LPasadasLocal\" || "
                       "\"LPasadasVecino\" || \"LE3\" || \"LCB\" FROM \"Programacion\"")
                     .toString(),
                 QString("2026-12-10 10:17:36 0000"));

        // The download wrote totals since; a second save keeps them and adds no row.
        QVERIFY(ejecuta("UPDATE \"Programacion\" SET \"DFechaTotales\" = '2009-03-15', \"THoraTotales\" = "
                        "'14:32:10', \"LPasadasLocal\" = 15873, \"LPasadasVecino\" = 4021, \"LE3\" = 37, \"LCB\" = 2, "
                        "\"ByVelocidad\" = 3"));
        f.MaskLocal = "Discoteca Nova 2";
        QVERIFY(GrabaProgramacio(modulo1().ConexionBD, f, kAra.addDays(1)));
        QCOMPARE(filas("Programacion"), 1);
        QCOMPARE(filas("IntervaloInhabil"), 30);
        QCOMPARE(valor("SELECT \"DFechaTotales\" || ' ' || \"THoraTotales\" || ' ' || \"LPasadasLocal\" || ',' || "
                       "\"LPasadasVecino\" || ',' || \"LE3\" || ',' || \"LCB\" || ',' || \"ByVelocidad\" || ',' || "
                       "\"TLocal\" FROM \"Programacion\"")
                     .toString(),
                 QString("2009-03-15 14:32:10 15873,4021,37,2,3,Discoteca Nova 2"));
        QVERIFY(answers.shown().isEmpty());
    }

    void storedForms()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        FitxaProgramacio f = fixtures::fitxa100123();
        f.MaskOctava[8] = "2,5";                      // either decimal separator
        f.MatrizInhabil[0].DiaTermina = "25/12/2008"; // longer than its format: cut to 8
        fixtures::publica(f);
        QVERIFY(GrabaProgramacio(modulo1().ConexionBD, f, kAra));
        QSqlQuery q(modulo1().ConexionBD);
        QVERIFY(q.exec("SELECT * FROM \"Programacion\""));
        QVERIFY(q.next());
        QCOMPARE(q.value("LNumeroSerie").toInt(), 100123);
        QCOMPARE(q.value("DFecha").toString(), QString("2008-10-20"));
        QCOMPARE(q.value("TModelo").toString(), QString("SLX90"));
        QCOMPARE(q.value("BoCambioHora").toInt(), -1);
        QCOMPARE(q.value("BoImpresion").toInt(), 0);
        QCOMPARE(q.value("CMI").toInt(), -1);
        QCOMPARE(q.value("TIdioma").toString(), QString("Català"));
        QCOMPARE(q.value("TTipoActuacionLocal").toString(), QString("Leq05s"));
        QCOMPARE(q.value("TTipoActuacionVecino").toString(), QString("Leq125ms"));
        QCOMPARE(q.value("TLunesInicio").toString(), QString("--:--"));
        QCOMPARE(q.value("TDomingoFin").toString(), QString("23:59"));
        QCOMPARE(q.value("ByTLeq").toInt(), 15);
        QCOMPARE(q.value("ITiempoAtenuacion").toInt(), 120);
        QCOMPARE(q.value("SOctava31,5Hz").toDouble(), 1.5);
        QCOMPARE(q.value("SOctava8kHz").toDouble(), 2.5);
        QCOMPARE(q.value("TNota").toString(), f.TextNota);
        QVERIFY(q.value("ByVelocidad").isNull());
        QCOMPARE(valor("SELECT \"TDiaEmpiezaInt\" || ' ' || \"THoraEmpiezaInt\" || ' ' || \"TDiaTerminaInt\" || ' ' || "
                       "\"THoraTerminaInt\" FROM \"IntervaloInhabil\" WHERE \"ByIntervalo\" = 1")
                     .toString(),
                 QString("24/12/08 22:00:00 25/12/20 08:00:00"));
    }

    void savedSheetLoadsFieldForField_data()
    {
        QTest::addColumn<QString>("version");
        QTest::newRow("4.1") << "4.1";
        QTest::newRow("3.3") << "3.3";
        QTest::newRow("3.2") << "3.2";
    }
    void savedSheetLoadsFieldForField()
    {
        QFETCH(QString, version);
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        FitxaProgramacio f = fixtures::fitxa100123();
        f.MaskVersion = version;
        f.CheckApliCorrecioGlobalVisible = versionAlMenys(version, 4.0);
        f.MaskTempsActEnabled = versionAlMenys(version, 3.3);
        f.OptionVei = OpcionVei::Leq1s;
        f.MaskTempsActVei = "10";
        f.MaskOctava = {"-2.5", "12", "0.1", "-0.3", "0", "3.2", "-12.5", "100", "-100"};
        f.MatrizInhabil[29] = {30, "31/12/49", "23:59", "01/01/50", "00:01"};
        // The sheet's own rows are saved, whatever the shared arrays hold.
        modulo1().IntervalosInhabiles[29].DiaEmpieza = "01/01/01";
        QVERIFY(GrabaProgramacio(modulo1().ConexionBD, f, kAra));

        FitxaProgramacio cargada;
        QVERIFY(CreaProgramacio(cargada, kAra.addDays(3)).modificada);
        cargada.CheckApliCorrecioGlobal = true; // kept below 4.0, from CMI otherwise
        resetModulo1();
        modulo1().ConexionBD = QSqlDatabase::database(QStringLiteral("ConexionBD"));
        modulo1().FitxaModificada = true;
        const Resultado<FitxaCargada> carga = CarregaProgramacio(modulo1().ConexionBD, cargada, 100123, kAra);
        QVERIFY(carga);
        QVERIFY(cargada == f);
        // The load gives the current device and the sheet's state; the intervals are the
        // loaded sheet's rows. The shared state is left as it was.
        QCOMPARE(carga->numeroSerie, 100123);
        QCOMPARE(carga->version, version);
        QVERIFY(!carga->modificada);
        for (int k = 0; k < 30; ++k) {
            QCOMPARE(cargada.MatrizInhabil[k].DiaEmpieza, f.MatrizInhabil[k].DiaEmpieza);
            QCOMPARE(cargada.MatrizInhabil[k].HoraEmpieza, f.MatrizInhabil[k].HoraEmpieza);
            QCOMPARE(cargada.MatrizInhabil[k].DiaTermina, f.MatrizInhabil[k].DiaTermina);
            QCOMPARE(cargada.MatrizInhabil[k].HoraTermina, f.MatrizInhabil[k].HoraTermina);
        }
        QCOMPARE(modulo1().NumeroSerieAparato, 0);
        QVERIFY(modulo1().VersionAparato.isEmpty());
        QVERIFY(modulo1().FitxaModificada);
        QVERIFY(modulo1().IntervalosInhabiles[29].DiaEmpieza.isEmpty());
    }

    void globalCorrectionFollowsTheVersion()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        FitxaProgramacio f = fixtures::fitxa100123();
        fixtures::publica(f);
        // Below 4.0 a new row gets CMI off, and a later save leaves it as it is.
        f.MaskVersion = "3.5";
        f.CheckApliCorrecioGlobal = true;
        QVERIFY(GrabaProgramacio(modulo1().ConexionBD, f, kAra));
        QCOMPARE(valor("SELECT \"CMI\" FROM \"Programacion\"").toInt(), 0);
        QVERIFY(ejecuta("UPDATE \"Programacion\" SET \"CMI\" = -1"));
        f.CheckApliCorrecioGlobal = false;
        QVERIFY(GrabaProgramacio(modulo1().ConexionBD, f, kAra));
        QCOMPARE(valor("SELECT \"CMI\" FROM \"Programacion\"").toInt(), -1);
        // From 4.0 it follows the check box.
        f.MaskVersion = "4.0";
        QVERIFY(GrabaProgramacio(modulo1().ConexionBD, f, kAra));
        QCOMPARE(valor("SELECT \"CMI\" FROM \"Programacion\"").toInt(), 0);
    }

    void loadingShowsTheFieldsOfItsFirmware_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("segundos");
        QTest::addColumn<bool>("global");
        QTest::newRow("3.2") << "3.2" << false << false;
        QTest::newRow("3.3") << "3.3" << true << false;
        QTest::newRow("4.0") << "4.0" << true << true;
    }
    void loadingShowsTheFieldsOfItsFirmware()
    {
        QFETCH(QString, version);
        QFETCH(bool, segundos);
        QFETCH(bool, global);
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        insertaFila204567();
        QVERIFY(ejecuta("UPDATE \"Programacion\" SET \"TVersion\" = ?, \"CMI\" = -1", {version}));
        FitxaProgramacio f;
        f.CheckApliCorrecioGlobal = false;
        f.CheckApliCorrecioGlobalVisible = !global;
        f.MaskTempsActEnabled = !segundos;
        QVERIFY(CarregaProgramacio(modulo1().ConexionBD, f, 204567, kAra));
        QCOMPARE(f.MaskTempsActEnabled, segundos);
        QCOMPARE(f.CheckApliCorrecioGlobalVisible, global);
        QCOMPARE(f.CheckApliCorrecioGlobal, global); // below 4.0 the box keeps its value
    }

    void loadsTheRowOfDevice204567()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        insertaFila204567();
        FitxaProgramacio f;
        f.MaskTempsActVei = "04";
        QVERIFY(CarregaProgramacio(modulo1().ConexionBD, f, 204567, kAra));
        QCOMPARE(f.MaskNumeroSerie, QString("204567"));
        QCOMPARE(f.MaskFecha, QString("03/05/07"));
        QCOMPARE(f.MaskLocal, QString("Pub El Racó"));
        QCOMPARE(f.MaskVersion, QString("3.2"));
        QVERIFY(!f.CheckCambioHora);
        QVERIFY(f.CheckImpresion);
        QCOMPARE(f.OptionIdioma, OpcionIdioma::Espanol);
        QCOMPARE(f.OptionLocal, OpcionLocal::Leq1s);
        QCOMPARE(f.MaskTempsActLoc, QString("01"));
        QCOMPARE(f.OptionVei, OpcionVei::No);
        QCOMPARE(f.MaskTempsActVei, QString("04")); // "0" leaves the seconds as they were
        QCOMPARE(f.MaskTLeq, QString("5"));
        QCOMPARE(f.MaskMFast, QString("100"));
        QCOMPARE(f.MaskLunesIni, QString("--:--"));
        QCOMPARE(f.MaskMiercolesIni, QString("20:00"));
        QCOMPARE(f.MaskSabadoFi, QString("03:00"));
        QCOMPARE(f.MaskEmpiezaDia, QString("08:00"));
        QCOMPARE(f.MaskTerminaDia, QString("22:00"));
        QCOMPARE(f.MaskTiempoAtenuacion, QString("60"));
        QCOMPARE(f.MaskRings, QString("1"));
        QCOMPARE(f.MaskOctava[0], QString("0"));
    }

    void actuationAndLanguageTexts()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        insertaFila204567();
        QVERIFY(ejecuta("UPDATE \"Programacion\" SET \"TTipoActuacionLocal\" = 'Leq125ms', "
                        "\"TTipoActuacionVecino\" = 'Leq07s', \"TIdioma\" = 'Klingon'"));
        FitxaProgramacio f;
        f.OptionIdioma = OpcionIdioma::Aleman;
        QVERIFY(CarregaProgramacio(modulo1().ConexionBD, f, 204567, kAra));
        QCOMPARE(f.OptionLocal, OpcionLocal::Leq125);
        QCOMPARE(f.OptionVei, OpcionVei::Leq1s);
        QCOMPARE(f.MaskTempsActVei, QString("07"));
        QCOMPARE(f.OptionIdioma, OpcionIdioma::Aleman); // an unknown name changes no option
        // The next save stores the option that was on, and seconds as two digits.
        f.OptionLocal = OpcionLocal::Leq1s;
        f.MaskTempsActLoc = "7";
        QVERIFY(GrabaProgramacio(modulo1().ConexionBD, f, kAra));
        QCOMPARE(valor("SELECT \"TIdioma\" || ' ' || \"TTipoActuacionLocal\" || ' ' || \"TTipoActuacionVecino\" "
                       "FROM \"Programacion\"")
                     .toString(),
                 QString("Deutsch Leq07s Leq07s"));
    }

    void actuationTextsOfImportedRows_data()
    {
        QTest::addColumn<QVariant>("local");
        QTest::addColumn<QVariant>("vecino");
        QTest::addColumn<int>("opcionLocal");
        QTest::addColumn<QString>("segundosLocal");
        QTest::addColumn<int>("opcionVecino");
        QTest::addColumn<QString>("segundosVecino");
        const int leq1s = int(OpcionLocal::Leq1s);
        QTest::newRow("stored by a save")
            << QVariant("Leq07s") << QVariant("Leq10s") << leq1s << "07" << int(OpcionVei::Leq1s) << "10";
        QTest::newRow("one digit") << QVariant("Leq5s") << QVariant("Leq125ms") << leq1s << "5"
                                   << int(OpcionVei::Leq125) << "04";
        // Empty or too short for "Leq", a digit and "s": a new sheet's actuation, the
        // seconds fields as they were.
        QTest::newRow("empty") << QVariant("") << QVariant(QString()) << leq1s << "03" << int(OpcionVei::Leq1s) << "04";
        QTest::newRow("short") << QVariant("0") << QVariant("Leqs") << leq1s << "03" << int(OpcionVei::Leq1s) << "04";
        QTest::newRow("reception does not act")
            << QVariant("Leq") << QVariant("0") << leq1s << "03" << int(OpcionVei::No) << "04";
    }
    void actuationTextsOfImportedRows()
    {
        QFETCH(QVariant, local);
        QFETCH(QVariant, vecino);
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        insertaFila204567();
        QVERIFY(ejecuta("UPDATE \"Programacion\" SET \"TTipoActuacionLocal\" = ?, \"TTipoActuacionVecino\" = ?",
                        {local, vecino}));
        FitxaProgramacio f;
        f.OptionLocal = OpcionLocal::Leq125;
        f.MaskTempsActLoc = "03";
        f.OptionVei = OpcionVei::Leq125;
        f.MaskTempsActVei = "04";
        QVERIFY(CarregaProgramacio(modulo1().ConexionBD, f, 204567, kAra));
        QTEST(int(f.OptionLocal), "opcionLocal");
        QTEST(f.MaskTempsActLoc, "segundosLocal");
        QTEST(int(f.OptionVei), "opcionVecino");
        QTEST(f.MaskTempsActVei, "segundosVecino");
    }

    void missingAndOddIntervalRows()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        insertaFila204567();
        QVERIFY(ejecuta("DELETE FROM \"IntervaloInhabil\" WHERE \"ByIntervalo\" > 3"));
        QVERIFY(ejecuta("UPDATE \"IntervaloInhabil\" SET \"TDiaEmpiezaInt\" = '24/12/08', \"THoraEmpiezaInt\" = "
                        "'08:30:45', \"TDiaTerminaInt\" = '25/12/08', \"THoraTerminaInt\" = '1899-12-30 22:00:00' "
                        "WHERE \"ByIntervalo\" = 1"));
        QVERIFY(ejecuta("UPDATE \"IntervaloInhabil\" SET \"TDiaEmpiezaInt\" = NULL, \"THoraEmpiezaInt\" = '', "
                        "\"TDiaTerminaInt\" = '1/1/09', \"THoraTerminaInt\" = NULL WHERE \"ByIntervalo\" = 2"));
        FitxaProgramacio f;
        QVERIFY(CarregaProgramacio(modulo1().ConexionBD, f, 204567, kAra));
        QCOMPARE(f.MatrizInhabil[0], (FilaInhabil{1, "24/12/08", "08:30", "25/12/08", "22:00"}));
        QCOMPARE(f.MatrizInhabil[1], (FilaInhabil{2, "00/00/00", "00:00", "00/00/00", "00:00"}));
        for (int k = 3; k < 30; ++k)
            QCOMPARE(f.MatrizInhabil[k], (FilaInhabil{k + 1, "00/00/00", "00:00", "00/00/00", "00:00"}));
        QVERIFY(GrabaProgramacio(modulo1().ConexionBD, f, kAra));
        QCOMPARE(valor("SELECT count(*) FROM \"IntervaloInhabil\" WHERE \"LNumeroSerie\" = 204567").toInt(), 30);
        QCOMPARE(valor("SELECT \"THoraEmpiezaInt\" FROM \"IntervaloInhabil\" WHERE \"ByIntervalo\" = 1").toString(),
                 QString("08:30:00"));
    }

    void emptyImportedColumnsLoadAsNewSheetDefaults()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        // Only the key, and a few columns empty or shorter than their format.
        QVERIFY(
            ejecuta("INSERT INTO \"Programacion\" (\"LNumeroSerie\", \"TLunesInicio\", \"THoraEmpiezaNoche\", "
                    "\"ByTLeq\", \"TVersion\", \"DFecha\", \"TIdioma\") VALUES (777, '8:00', '', NULL, '', '20', '')"));
        FitxaProgramacio f = fixtures::fitxa100123();
        f.MaskTempsActLoc = "03";
        const Resultado<FitxaCargada> carga = CarregaProgramacio(modulo1().ConexionBD, f, 777, kAra);
        QVERIFY(carga);
        FitxaProgramacio nueva = fixtures::fitxa100123();
        nueva.MaskTempsActLoc = "03";
        QVERIFY(CreaProgramacio(nueva, kAra).modificada);
        nueva.MaskNumeroSerie = "777";
        nueva.CheckApliCorrecioGlobalVisible = false;
        nueva.MaskTempsActEnabled = false; // version "0.0"
        QCOMPARE(f.MaskLunesIni, QString("00:00"));
        QCOMPARE(f.MaskEmpiezaNoche, QString("22:00"));
        QCOMPARE(f.MaskTerminaDia, QString("22:00"));
        QCOMPARE(f.MaskTLeq, QString("2"));
        QCOMPARE(f.MaskFecha, QString("10/12/26"));
        QCOMPARE(f.MaskContacto, QString(" "));
        QVERIFY(f == nueva);
        QCOMPARE(carga->version, QString("0.0"));
    }

    void failedSaveWritesNothing_data()
    {
        QTest::addColumn<QString>("caso");
        QTest::addColumn<QString>("campo"); // empty: the database refuses it
        QTest::addColumn<QString>("mensaje");
        QTest::newRow("empty level") << "level"
                                     << "MaskDiaLocal"
                                     << "Type mismatch";
        QTest::newRow("serial not a number") << "serial"
                                             << "MaskNumeroSerie"
                                             << "Type mismatch";
        QTest::newRow("serial out of range") << "serialrange"
                                             << "MaskNumeroSerie"
                                             << "Overflow";
        QTest::newRow("octave beyond a single") << "octave"
                                                << "MaskOctava5"
                                                << "Overflow";
        QTest::newRow("date by position") << "date"
                                          << "MaskFecha"
                                          << "Type mismatch";
        QTest::newRow("time of the last interval") << "interval"
                                                   << "TDBGrid1"
                                                   << "Type mismatch";
        QTest::newRow("text the column refuses") << "long"
                                                 << ""
                                                 << "";
    }
    void failedSaveWritesNothing()
    {
        QFETCH(QString, caso);
        QFETCH(QString, campo);
        QFETCH(QString, mensaje);
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        slxtest::Answers answers;
        // An existing sheet of another device stays as it is.
        insertaFila204567();
        FitxaProgramacio f = fixtures::fitxa100123();
        fixtures::publica(f);
        if (caso == "level")
            f.MaskDiaLocal = "";
        else if (caso == "serial")
            f.MaskNumeroSerie = "10012a";
        else if (caso == "serialrange")
            f.MaskNumeroSerie = "3000000000";
        else if (caso == "octave")
            f.MaskOctava[4] = "1" + QString(39, '0');
        else if (caso == "date")
            f.MaskFecha = "10/20/08"; // month 20: dates go day first, whatever the system says
        else if (caso == "interval")
            f.MatrizInhabil[29].HoraTermina = "24:00";
        else
            f.MaskContacto = QString(31, 'x');
        modulo1().FitxaModificada = true;
        const Resultado<> grabacion = GrabaProgramacio(modulo1().ConexionBD, f, kAra);
        QVERIFY(!grabacion);
        const Fallo &failure = grabacion.error();
        QVERIFY(modulo1().FitxaModificada);
        QCOMPARE(filas("Programacion"), 1);
        QCOMPARE(filas("IntervaloInhabil"), 30);
        // The storage tells the failure and shows nothing: the window decides how to show it.
        QVERIFY(answers.shown().isEmpty());
        QCOMPARE(failure.detail, campo);
        if (!mensaje.isEmpty())
            QCOMPARE(failure.mensaje(), mensaje);
        else
            QVERIFY(!failure.mensaje().isEmpty());
        // The connection is usable afterwards.
        f = fixtures::fitxa100123();
        fixtures::publica(f);
        QVERIFY(GrabaProgramacio(modulo1().ConexionBD, f, kAra));
        QCOMPARE(filas("Programacion"), 2);
    }

    void failedRewriteKeepsTheStoredSheet()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        slxtest::Answers answers;
        FitxaProgramacio f = fixtures::fitxa100123();
        fixtures::publica(f);
        QVERIFY(GrabaProgramacio(modulo1().ConexionBD, f, kAra));
        f.MaskLocal = "Renamed";
        f.MatrizInhabil[0].DiaEmpieza = "01/01/01";
        f.MatrizInhabil[29].HoraEmpieza = "nonsense";
        QVERIFY(!GrabaProgramacio(modulo1().ConexionBD, f, kAra));
        QCOMPARE(valor("SELECT \"TLocal\" FROM \"Programacion\"").toString(), QString("Discoteca Nova"));
        QCOMPARE(valor("SELECT \"TDiaEmpiezaInt\" FROM \"IntervaloInhabil\" WHERE \"ByIntervalo\" = 1").toString(),
                 QString("24/12/08"));
    }

    void failureOfTheLastIntervalWithdrawsTheWholeSheet()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        slxtest::Answers answers;
        QVERIFY(ejecuta("CREATE TRIGGER lleno BEFORE INSERT ON \"IntervaloInhabil\" WHEN NEW.\"ByIntervalo\" = 30 "
                        "BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
        FitxaProgramacio f = fixtures::fitxa100123();
        fixtures::publica(f);
        modulo1().FitxaModificada = true;
        const Resultado<> grabacion = GrabaProgramacio(modulo1().ConexionBD, f, kAra);
        QVERIFY(!grabacion);
        QCOMPARE(filas("Programacion"), 0);
        QCOMPARE(filas("IntervaloInhabil"), 0);
        QVERIFY(modulo1().FitxaModificada);
        QVERIFY(grabacion.error().detail.isEmpty());
        QVERIFY(grabacion.error().mensaje().contains("disk full"));
    }

    void datesByPosition_data()
    {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QString>("iso");
        QTest::newRow("2049") << "31/12/49"
                              << "2049-12-31";
        QTest::newRow("1950") << "01/01/50"
                              << "1950-01-01";
        QTest::newRow("leap day") << "29/02/08"
                                  << "2008-02-29";
        QTest::newRow("no leap day") << "29/02/09"
                                     << "";
        QTest::newRow("day zero") << "00/03/09"
                                  << "";
        QTest::newRow("month thirteen") << "01/13/09"
                                        << "";
        QTest::newRow("four-digit year") << "01/03/2009"
                                         << "";
        QTest::newRow("other separator") << "01-03-09"
                                         << "";
        QTest::newRow("mask prompt") << "1_/03/09"
                                     << "";
    }
    void datesByPosition()
    {
        QFETCH(QString, texto);
        QFETCH(QString, iso);
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        slxtest::Answers answers;
        FitxaProgramacio f = fixtures::fitxa100123();
        fixtures::publica(f);
        f.MaskFecha = texto;
        QCOMPARE(GrabaProgramacio(modulo1().ConexionBD, f, kAra).has_value(), !iso.isEmpty());
        if (!iso.isEmpty()) {
            QCOMPARE(valor("SELECT \"DFecha\" FROM \"Programacion\"").toString(), iso);
            FitxaProgramacio g;
            QVERIFY(CarregaProgramacio(modulo1().ConexionBD, g, 100123, kAra));
            QCOMPARE(g.MaskFecha, texto);
        }
    }

    void failedLoadChangesNothing()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        slxtest::Answers answers;
        FitxaProgramacio f = fixtures::fitxa100123();
        fixtures::publica(f);
        modulo1().NumeroSerieAparato = 100123;
        modulo1().VersionAparato = "4.1";
        modulo1().FitxaModificada = true;
        const FitxaProgramacio antes = f;
        const Resultado<FitxaCargada> carga = CarregaProgramacio(modulo1().ConexionBD, f, 999999, kAra);
        QVERIFY(!carga);
        QVERIFY(f == antes);
        QVERIFY(carga.error().detail.isEmpty());
        QCOMPARE(carga.error().mensaje(), QString("The sheet of device 999999 is not in the database."));
        QCOMPARE(modulo1().NumeroSerieAparato, 100123);
        QCOMPARE(modulo1().IntervalosInhabiles[0].DiaEmpieza, QString("24/12/08"));
        QVERIFY(modulo1().FitxaModificada);
        QCOMPARE(filas("Programacion"), 0);

        // A failure of the database itself (the table is gone) changes nothing either.
        insertaFila204567();
        QCOMPARE(filas("Programacion"), 1);
        QVERIFY(ejecuta("DROP TABLE \"IntervaloInhabil\""));
        const Resultado<FitxaCargada> sinTabla = CarregaProgramacio(modulo1().ConexionBD, f, 204567, kAra);
        QVERIFY(!sinTabla);
        QVERIFY(f == antes);
        QCOMPARE(modulo1().NumeroSerieAparato, 100123);
        QVERIFY(sinTabla.error().detail.isEmpty() && !sinTabla.error().mensaje().isEmpty());
        QVERIFY(answers.shown().isEmpty());
    }

    void withoutADatabaseNothingIsPretended()
    {
        slxtest::DataHome home; // no database opened
        slxtest::Answers answers;
        FitxaProgramacio f = fixtures::fitxa100123();
        fixtures::publica(f);
        modulo1().FitxaModificada = true;
        const Resultado<> saved = GrabaProgramacio(modulo1().ConexionBD, f, kAra);
        const Resultado<FitxaCargada> loaded = CarregaProgramacio(modulo1().ConexionBD, f, 100123, kAra);
        QVERIFY(!saved);
        QVERIFY(!loaded);
        QVERIFY(modulo1().FitxaModificada);
        for (const Fallo &r : {saved.error(), loaded.error()}) {
            QVERIFY(r.detail.isEmpty());
            QVERIFY(!r.mensaje().trimmed().isEmpty());
        }
    }

    void offeredOnlyForAChangedSheetWithASerial_data()
    {
        QTest::addColumn<QString>("serie");
        QTest::addColumn<bool>("modificada");
        QTest::addColumn<bool>("ofrece");
        QTest::newRow("new sheet") << "0" << true << false;
        QTest::newRow("unchanged") << "100123" << false << false;
        QTest::newRow("changed") << "100123" << true << true;
    }
    void offeredOnlyForAChangedSheetWithASerial()
    {
        QFETCH(QString, serie);
        QFETCH(bool, modificada);
        FitxaProgramacio f = fixtures::fitxa100123();
        f.MaskNumeroSerie = serie;
        QTEST(offersToSave(f, modificada), "ofrece");
    }
};

QTEST_GUILESS_MAIN(TestSheetStorage)
#include "tst_sheetstorage.moc"
