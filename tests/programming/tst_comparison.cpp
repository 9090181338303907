// The comparison report of a sheet against the device copy just read.

#include "ProgrammingFixtures.h"
#include "TestSupport.h"
#include "base/Modulo1.h"
#include "localization/LocGuru.h"
#include "programming/Comparison.h"
#include "programming/ProgrammingBlock.h"

#include <QtTest>

using namespace slx;

namespace {

const QString kCabecera = QString("               PC <-> SLX90") + QChar(13) + QChar(13);
const QString kPregunta =
    QString(QChar(13)) + "¿Desea reemplazar la programación existente por la recibida?" + QChar(13);

ProgramacioRebuda copia100123()
{
    ProgramacioRebuda c;
    DecodificaProgramacio(fixtures::respuesta(fixtures::bloque100123()), "4.1", c);
    return c;
}

// The sheet of device 100123, with its intervals shared.
FitxaProgramacio fitxa()
{
    FitxaProgramacio f = fixtures::fitxa100123();
    fixtures::publica(f);
    return f;
}

} // namespace

class TestComparison : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { resetModulo1(); }

    void equalSheetShowsNothing()
    {
        FitxaProgramacio f = fitxa();
        f.MaskTempsActLoc = "5"; // "05" and "5" are both Leq5s
        f.MaskOctava[0] = "1.50";
        bool difiere = true;
        QCOMPARE(TextoComparacion(f, copia100123(), &difiere), kCabecera + QChar(13) + kPregunta);
        QVERIFY(!difiere);
    }

    void onlyTheLeqTimeDiffers()
    {
        FitxaProgramacio f = fitxa();
        ProgramacioRebuda c = copia100123();
        f.MaskTLeq = "30";
        c.TLeqAparato = 15;
        bool difiere = false;
        const QString esperado = kCabecera + "Tiempo de Leq: \t30 <-> 15" + QChar(13) + QChar(13) + kPregunta;
        QCOMPARE(TextoComparacion(f, c, &difiere), esperado);
        QVERIFY(difiere);
    }

    // The intervals compared are the sheet's own rows, whatever the shared arrays hold.
    void intervalsAreTheSheets()
    {
        FitxaProgramacio f = fitxa();
        ProgramacioRebuda c = copia100123();
        modulo1().IntervalosInhabiles[0].DiaEmpieza = "01/01/01";
        bool difiere = true;
        TextoComparacion(f, c, &difiere);
        QVERIFY(!difiere);
        f.MatrizInhabil[2].HoraTermina = "10:00";
        QVERIFY(TextoComparacion(f, c, &difiere).contains(oLocGuru().GetS(81) + "\t  3" + QChar(13)));
        QVERIFY(difiere);
    }

    void everyLineInReportOrder()
    {
        FitxaProgramacio f = fitxa();
        ProgramacioRebuda c = copia100123();
        f.CheckCambioHora = true;
        c.CambioHoraAparato = 0;
        f.MaskTempsActLoc = "07";
        f.OptionVei = OpcionVei::No;
        c.IdiomaAparato = "English";
        c.MFastAparato = 100;
        f.CheckImpresion = true;
        c.HorarioAparato[1][1] = "01:00"; // Monday's end
        c.HorarioAparato[0][0] = "16:00"; // Sunday's start
        c.NivelDiaLocalAparato = 96;
        c.NivelDiaVecinoAparato = 36;
        c.HoraEmpiezaNocheAparato = "23:00";
        c.HoraTerminaNocheAparato = "07:00";
        c.NivelNocheLocalAparato = 91;
        c.NivelNocheVecinoAparato = 31;
        c.TiempoAtenuacionAparato = 0;
        c.RingsAparato = 4;
        c.CorreccionGlobalAparato = 0;
        c.OctavasAparato[1] = -2.5f;
        c.OctavasAparato[9] = 2.1f;
        c.InhabilDiaEmpiezaAparato[0] = "00/00/00";
        bool difiere = false;
        const QString cr(QChar(13));
        const QString esperado =
            kCabecera + "Cambio de hora:\tSí<->No" + cr + "Tipo de actuación(emisión):\tLeq7s <-> Leq5s" + cr +
            "Tipo de actuación(recepción):\t0 <-> Leq125ms" + cr + "Idioma: \tCatalà <-> English" + cr +
            "Límite LFmax: \t105 <-> 100" + cr + "Impresión continua: \tSí <-> No" + cr +
            "Sesión lunes: \t--:-----:-- <-> --:---01:00" + cr + "Sesión domingo: \t17:00-23:59 <-> 16:00-23:59" + cr +
            "Límite día(emisión): \t95 <-> 96" + cr + "Límite día(recepción): \t35 <-> 36" + cr +
            "Empieza horario noche: \t22:00 <-> 23:00" + cr + "Termina horario noche: \t08:00 <-> 07:00" + cr +
            "Límite noche(emisión): \t90 <-> 91" + cr + "Límite noche(recepción): \t30 <-> 31" + cr +
            "Tiempo atenuación: \t120 <-> 0" + cr + "Rings: \t2 <-> 4" + cr + "AVIR\tSí<->No" + cr +
            "Octava 31.5Hz: \t1.5 <-> -2.5" + cr + "Octava 8kHz: \t2 <-> 2.1" + cr +
            "Intervalos inhábiles diferentes:\t  1" + cr + kPregunta;
        QCOMPARE(TextoComparacion(f, c, &difiere), esperado);
        QVERIFY(difiere);
    }

    void printingLineShowsTheOtherWord()
    {
        FitxaProgramacio f = fitxa();
        ProgramacioRebuda c = copia100123();
        c.ImpresionAparato = 1;
        const QString texto = TextoComparacion(f, c);
        QVERIFY(texto.contains(QString("Impresión continua: \tNo <-> Sí") + QChar(13)));
    }

    void everyTextOfAnIntervalCounts_data()
    {
        QTest::addColumn<int>("columna");
        QTest::newRow("start date") << 0;
        QTest::newRow("start time") << 1;
        QTest::newRow("end date") << 2;
        QTest::newRow("end time") << 3;
    }
    void everyTextOfAnIntervalCounts()
    {
        QFETCH(int, columna);
        FitxaProgramacio f = fitxa();
        ProgramacioRebuda c = copia100123();
        std::array<QString, 30> *campos[4] = {&c.InhabilDiaEmpiezaAparato, &c.InhabilHoraEmpiezaAparato,
                                              &c.InhabilDiaTerminaAparato, &c.InhabilHoraTerminaAparato};
        (*campos[columna])[4] = columna % 2 ? "12:00" : "05/05/09";
        (*campos[columna])[16] = columna % 2 ? "12:00" : "05/05/09";
        bool difiere = false;
        const QString texto = TextoComparacion(f, c, &difiere);
        QVERIFY(difiere);
        QCOMPARE(texto, kCabecera + "Intervalos inhábiles diferentes:\t  5  17" + QChar(13) + kPregunta);
    }

    void octavesCompareInTenths_data()
    {
        QTest::addColumn<QString>("hoja");
        QTest::addColumn<float>("aparato");
        QTest::addColumn<bool>("difiere");
        QTest::newRow("same") << "1.5" << 1.5f << false;
        QTest::newRow("comma") << "1,5" << 1.5f << false;
        QTest::newRow("a tenth the single cannot hold") << "0.1" << 0.1f << false;
        QTest::newRow("negative") << "-0.3" << -0.3f << false;
        QTest::newRow("one tenth apart") << "1.6" << 1.5f << true;
        QTest::newRow("not a number") << "" << 0.0f << true;
    }
    void octavesCompareInTenths()
    {
        QFETCH(QString, hoja);
        QFETCH(float, aparato);
        FitxaProgramacio f = fitxa();
        ProgramacioRebuda c = copia100123();
        f.MaskOctava[3] = hoja;
        c.OctavasAparato[4] = aparato;
        bool difiere = false;
        const QString texto = TextoComparacion(f, c, &difiere);
        QTEST(difiere, "difiere");
        if (difiere)
            QVERIFY(texto.contains("Octava 250Hz: \t" + hoja + " <-> "));
    }

    void globalCorrectionOnlyFromVersion4()
    {
        ProgramacioRebuda c = copia100123();
        c.CorreccionGlobalAparato = 1;
        FitxaProgramacio f = fitxa();
        f.CheckApliCorrecioGlobal = false;
        f.MaskVersion = "3.3";
        QVERIFY(!TextoComparacion(f, c).contains("AVIR"));
        f.MaskVersion = "4.0";
        QVERIFY(TextoComparacion(f, c).contains("AVIR\tNo<->S"));
    }

    void actuationSecondsCompareAsPlainNumbers()
    {
        FitxaProgramacio f = fitxa();
        ProgramacioRebuda c = copia100123();
        f.OptionVei = OpcionVei::Leq1s;
        f.MaskTempsActVei = "01";
        c.TipoActuacionVecinoAparato = "Leq1s";
        bool difiere = true;
        TextoComparacion(f, c, &difiere);
        QVERIFY(!difiere);
    }

    void labelsComeFromTheCatalogue()
    {
        // Numbers in the sheet that are not numbers are shown unchanged and differ.
        FitxaProgramacio f = fitxa();
        ProgramacioRebuda c = copia100123();
        f.MaskRings = "x";
        const QString texto = TextoComparacion(f, c);
        QVERIFY(texto.contains(oLocGuru().GetS(155) + "\tx <-> 2" + QChar(13)));
    }
};

QTEST_GUILESS_MAIN(TestComparison)
#include "tst_comparison.moc"
