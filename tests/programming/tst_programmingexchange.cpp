// The rules of the programming exchange that need no port: where a programming read
// from a device goes, the new sheet made from it, the checks before a write and
// what the device's answer to a write means.

#include "ProgrammingFixtures.h"
#include "TestSupport.h"
#include "base/Modulo1.h"
#include "programming/ProgrammingBlock.h"
#include "programming/ProgrammingExchange.h"
#include "programming/SheetStorage.h"

#include <QtTest>

using namespace slx;

Q_DECLARE_METATYPE(slx::DestinoRecepcion)
Q_DECLARE_METATYPE(std::optional<slx::AvisoIntercambio>)

class TestProgrammingExchange : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readRequest() { QCOMPARE(tramaDemanaProgramacio(), QByteArray::fromHex("020006040303")); }

    void destination_data()
    {
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<int>("device");
        QTest::addColumn<bool>("stored");
        QTest::addColumn<DestinoRecepcion>("expected");
        QTest::newRow("same device") << "100123" << 100123 << true << DestinoRecepcion::FichaEnPantalla;
        QTest::newRow("same, leading zeros") << "000123" << 123 << false << DestinoRecepcion::FichaEnPantalla;
        QTest::newRow("other stored") << "100123" << 204567 << true << DestinoRecepcion::FichaGuardada;
        QTest::newRow("other not stored") << "100123" << 204567 << false << DestinoRecepcion::FichaNueva;
        QTest::newRow("new sheet on screen") << "0" << 204567 << false << DestinoRecepcion::FichaNueva;
        QTest::newRow("serial field no number") << "12a" << 12 << true << DestinoRecepcion::FichaGuardada;
    }
    void destination()
    {
        QFETCH(QString, sheet);
        QFETCH(int, device);
        QFETCH(bool, stored);
        QFETCH(DestinoRecepcion, expected);
        QCOMPARE(destinoRecepcion(sheet, device, stored), expected);
    }

    void storedSheetIsFoundByKey()
    {
        slxtest::DataHome home;
        QVERIFY(home.openDatabase());
        FitxaProgramacio f = fixtures::fitxa100123();
        fixtures::publica(f);
        QVERIFY(GrabaProgramacio(modulo1().ConexionBD, f));
        QSqlDatabase &db = modulo1().ConexionBD;
        const Resultado<bool> hay = hayFichaGuardada(db, 100123);
        QVERIFY(hay);
        QCOMPARE(*hay, true);
        const Resultado<bool> otro = hayFichaGuardada(db, 10012);
        QVERIFY(otro);
        QCOMPARE(*otro, false);
        db.close();
        const Resultado<bool> cerrada = hayFichaGuardada(db, 100123);
        QVERIFY(!cerrada);
        QVERIFY(!cerrada.error().mensaje().isEmpty());
    }

    void newSheetFromTheDevice_data()
    {
        QTest::addColumn<int>("contacto");
        QTest::newRow("after another device's sheet") << int(ContactFields::Empty);
        QTest::newRow("after a sheet no device filled") << int(ContactFields::Kept);
    }
    void newSheetFromTheDevice()
    {
        QFETCH(int, contacto);
        const bool kept = contacto == int(ContactFields::Kept);
        resetModulo1();
        ProgramacioRebuda copia;
        QVERIFY(DecodificaProgramacio(fixtures::respuesta(fixtures::bloque100123()), "4.1", copia));
        // The sheet on screen was another device's, with its contact data and intervals.
        FitxaProgramacio f = fixtures::fitxa100123();
        f.MaskNumeroSerie = "204567";
        f.MaskVersion = "3.2";
        f.MaskTLeq = "5";
        f.MatrizInhabil[5] = {6, "01/02/09", "10:00", "02/02/09", "11:00"};
        fixtures::publica(f);
        const QDateTime ara(QDate(2026, 3, 5), QTime(9, 8, 7));
        const EstadoFitxa estado = fichaNuevaDeAparato(f, 100123, "4.1", copia, ContactFields(contacto), ara);

        QCOMPARE(f.MaskNumeroSerie, QString("100123"));
        QCOMPARE(f.MaskVersion, QString("4.1"));
        QCOMPARE(f.MaskFecha, QString("05/03/26"));
        QCOMPARE(f.TextFecha, QString("05/03/26"));
        QCOMPARE(f.TextHora, QString("09:08:07"));
        const FitxaProgramacio antes = fixtures::fitxa100123();
        QCOMPARE(f.MaskContacto, kept ? antes.MaskContacto : QString());
        QCOMPARE(f.MaskLocal, kept ? antes.MaskLocal : QString());
        QCOMPARE(f.MaskDireccion, kept ? antes.MaskDireccion : QString());
        QCOMPARE(f.MaskPoblacion, kept ? antes.MaskPoblacion : QString());
        QCOMPARE(f.MaskTelefono, kept ? antes.MaskTelefono : QString());
        QCOMPARE(f.TextNota, kept ? antes.TextNota : QString());
        QCOMPARE(hasContactData(f), kept);
        // The programming is the device's, intervals included, and the sheet is marked as changed.
        QCOMPARE(f.MaskTLeq, QString("15"));
        QCOMPARE(f.MatrizInhabil[0], (FilaInhabil{1, "24/12/08", "22:00", "25/12/08", "08:00"}));
        QCOMPARE(f.MatrizInhabil[5], (FilaInhabil{6, "00/00/00", "00:00", "00/00/00", "00:00"}));
        QCOMPARE(f.MatrizInhabil[5].DiaEmpieza, QString("00/00/00"));
        QVERIFY(f.CheckApliCorrecioGlobalVisible);
        QVERIFY(estado.modificada);
        // The shared state is the window's to write: left as it was.
        QCOMPARE(modulo1().IntervalosInhabiles[5].DiaEmpieza, QString("01/02/09"));
        QVERIFY(!modulo1().FitxaModificada);
    }

    void contactDataIsMoreThanBlanks()
    {
        FitxaProgramacio f;
        QVERIFY(CreaProgramacio(f).modificada); // one blank in each contact field
        QVERIFY(!hasContactData(f));
        f.TextNota = "\r\n";
        QVERIFY(!hasContactData(f));
        f.MaskPoblacion = " Reus";
        QVERIFY(hasContactData(f));
    }

    void writeChecks_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<int>("type");
        QTest::addColumn<std::optional<AvisoIntercambio>>("expected");
        const std::optional<AvisoIntercambio> none;
        const AvisoIntercambio modo{64, ui::Icon::Critical};
        const AvisoIntercambio otro{63, ui::Icon::Information};
        const AvisoIntercambio tipo{30, ui::Icon::Information};
        QTest::newRow("type 42") << 1 << "100123" << 42 << none;
        QTest::newRow("type 4") << 1 << "100123" << 4 << none;
        QTest::newRow("type 3") << 1 << "100123" << 3 << std::optional(tipo);
        // The mode comes first: its serial and type are not looked at.
        QTest::newRow("mode 0") << 0 << "100123" << 42 << std::optional(modo);
        QTest::newRow("mode 0, other, type 3") << 0 << "204567" << 3 << std::optional(modo);
        QTest::newRow("mode 2") << 2 << "100123" << 42 << std::optional(modo);
        // Then the serial number, before the type.
        QTest::newRow("other device") << 1 << "204567" << 42 << std::optional(otro);
        QTest::newRow("other device, type 3") << 1 << "204567" << 3 << std::optional(otro);
        QTest::newRow("serial no number") << 1 << "" << 42 << std::optional(otro);
    }
    void writeChecks()
    {
        QFETCH(int, mode);
        QFETCH(QString, sheet);
        QFETCH(int, type);
        QFETCH(std::optional<AvisoIntercambio>, expected);
        QCOMPARE(compruebaEscritura(quint8(mode), sheet, 100123, quint8(type)), expected);
    }

    void writeAnswer_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("text");
        QTest::addColumn<int>("icon");
        QTest::newRow("ACK") << QByteArray("\x06", 1) << 6 << 61 << int(ui::Icon::Information);
        QTest::newRow("ACK then more") << QByteArray("\x06\x15", 2) << 6 << 61 << int(ui::Icon::Information);
        QTest::newRow("NAK") << QByteArray("\x15", 1) << 21 << 62 << int(ui::Icon::Critical);
        QTest::newRow("zero") << QByteArray(1, '\0') << 21 << 62 << int(ui::Icon::Critical);
        QTest::newRow("nothing") << QByteArray() << 24 << 31 << int(ui::Icon::Critical);
    }
    void writeAnswer()
    {
        QFETCH(QByteArray, answer);
        QFETCH(int, result);
        QFETCH(int, text);
        QFETCH(int, icon);
        QCOMPARE(int(resultadoEscritura(answer)), result);
        QCOMPARE(avisoEscritura(quint8(result)), (AvisoIntercambio{text, ui::Icon(icon)}));
    }
};

QTEST_MAIN(TestProgrammingExchange)
#include "tst_programmingexchange.moc"
