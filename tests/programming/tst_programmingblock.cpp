// The programming block: decoding a read answer into the device copy, encoding the
// write frame from a sheet, and putting the device copy into a sheet.

#include "ProgrammingFixtures.h"
#include "TestSupport.h"
#include "base/Modulo1.h"
#include "programming/ProgrammingBlock.h"
#include "programming/SheetStorage.h"

#include <QtTest>

using namespace slx;

namespace {

const QDateTime kReloj(QDate(2026, 12, 10), QTime(10, 17, 36));

QByteArray bloqueDe(const QByteArray &trama)
{
    const int n = trama.size() == 377 ? 365 : 364;
    return trama.mid(10, n);
}

ProgramacioRebuda decodifica(const QByteArray &bloque, const QString &version)
{
    ProgramacioRebuda c;
    const bool ok = DecodificaProgramacio(fixtures::respuesta(bloque), version, c);
    if (!ok)
        qWarning("decode refused");
    return c;
}

// The identity and contact fields, which are no part of a device's programming.
void copiaIdentidad(const FitxaProgramacio &de, FitxaProgramacio &a)
{
    for (auto campo : {&FitxaProgramacio::TextFecha, &FitxaProgramacio::TextHora, &FitxaProgramacio::MaskNumeroSerie,
                       &FitxaProgramacio::MaskFecha, &FitxaProgramacio::MaskContacto, &FitxaProgramacio::MaskLocal,
                       &FitxaProgramacio::MaskDireccion, &FitxaProgramacio::MaskPoblacion,
                       &FitxaProgramacio::MaskTelefono, &FitxaProgramacio::TextNota, &FitxaProgramacio::MaskVersion})
        a.*campo = de.*campo;
}

// A sheet with every programming field set, for the given firmware.
FitxaProgramacio fitxaCompleta(const QString &version)
{
    FitxaProgramacio f = fixtures::fitxa100123();
    f.MaskVersion = version;
    const bool cuatro = versionAlMenys(version, 4.0);
    const bool segundos = versionAlMenys(version, 3.3);
    f.CheckApliCorrecioGlobalVisible = cuatro;
    f.CheckApliCorrecioGlobal = cuatro;
    f.MaskTempsActEnabled = segundos;
    f.OptionLocal = OpcionLocal::Leq1s;
    f.MaskTempsActLoc = segundos ? "07" : "01";
    f.OptionVei = OpcionVei::Leq1s;
    f.MaskTempsActVei = segundos ? "10" : "01";
    f.OptionIdioma = OpcionIdioma::Italiano;
    f.CheckImpresion = true;
    f.MaskTiempoAtenuacion = "9999";
    f.MaskOctava = {"-2.5", "12", "0.1", "-0.3", "0", "3.2", "-12.5", "100", "-100"};
    f.MatrizInhabil[2] = {3, "05/03/10", "07:05", "06/03/10", "23:59"};
    f.MatrizInhabil[29] = {30, "31/12/49", "00:00", "01/01/50", "00:01"};
    return f;
}

} // namespace

class TestProgrammingBlock : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { resetModulo1(); }

    void fixtureBlocksHaveTheirFirmwaresLength()
    {
        QCOMPARE(fixtures::bloque100123().size(), 365);
        QCOMPARE(fixtures::bloque204567().size(), 364);
        QCOMPARE(longitudRespuestaProgramacio("3.2"), 370);
        QCOMPARE(longitudRespuestaProgramacio("4.0"), 371);
    }

    void decodesTheAnswerOfDevice100123()
    {
        const ProgramacioRebuda c = decodifica(fixtures::bloque100123(), "4.1");
        QCOMPARE(c.Version, QString("4.1"));
        const QString horario[7][2] = {{"17:00", "23:59"}, {"--:--", "--:--"}, {"18:00", "02:00"}, {"18:00", "02:00"},
                                       {"18:00", "02:30"}, {"18:00", "05:00"}, {"17:30", "05:00"}};
        for (int d = 0; d < 7; ++d) {
            QCOMPARE(c.HorarioAparato[d][0], horario[d][0]);
            QCOMPARE(c.HorarioAparato[d][1], horario[d][1]);
        }
        QCOMPARE(c.NivelDiaLocalAparato, quint8(95));
        QCOMPARE(c.NivelDiaVecinoAparato, quint8(35));
        QCOMPARE(c.HoraEmpiezaNocheAparato, QString("22:00"));
        QCOMPARE(c.HoraTerminaNocheAparato, QString("08:00"));
        QCOMPARE(c.NivelNocheLocalAparato, quint8(90));
        QCOMPARE(c.NivelNocheVecinoAparato, quint8(30));
        QCOMPARE(c.CambioHoraAparato, quint8(1));
        QCOMPARE(c.TiempoAtenuacionAparato, qint16(120));
        QCOMPARE(c.TLeqAparato, quint8(15));
        QCOMPARE(c.MFastAparato, quint8(105));
        QCOMPARE(c.ImpresionAparato, quint8(0));
        QCOMPARE(c.IdiomaAparato, QString("Català"));
        QCOMPARE(c.RingsAparato, quint8(2));
        QCOMPARE(c.InhabilDiaEmpiezaAparato[0], QString("24/12/08"));
        QCOMPARE(c.InhabilHoraEmpiezaAparato[0], QString("22:00"));
        QCOMPARE(c.InhabilDiaTerminaAparato[0], QString("25/12/08"));
        QCOMPARE(c.InhabilHoraTerminaAparato[0], QString("08:00"));
        QCOMPARE(c.InhabilDiaEmpiezaAparato[1], QString("31/12/08"));
        QCOMPARE(c.InhabilDiaTerminaAparato[1], QString("01/01/09"));
        QCOMPARE(c.InhabilHoraTerminaAparato[1], QString("09:00"));
        for (int k = 2; k < 30; ++k) {
            QCOMPARE(c.InhabilDiaEmpiezaAparato[k], QString("00/00/00"));
            QCOMPARE(c.InhabilHoraEmpiezaAparato[k], QString("00:00"));
            QCOMPARE(c.InhabilDiaTerminaAparato[k], QString("00/00/00"));
            QCOMPARE(c.InhabilHoraTerminaAparato[k], QString("00:00"));
        }
        QCOMPARE(c.TipoActuacionLocalAparato, QString("Leq5s"));
        QCOMPARE(c.TipoActuacionVecinoAparato, QString("Leq125ms"));
        const float octavas[9] = {1.5f, 1.0f, 0.5f, 0.0f, 0.0f, 0.0f, 0.5f, 1.0f, 2.0f};
        for (int j = 1; j <= 9; ++j)
            QCOMPARE(c.OctavasAparato[j], octavas[j - 1]);
        QCOMPARE(c.CorreccionGlobalAparato, quint8(1));
    }

    void decodesTheAnswerOfDevice204567()
    {
        const ProgramacioRebuda c = decodifica(fixtures::bloque204567(), "3.2");
        QCOMPARE(c.HorarioAparato[0][0], QString("--:--"));
        QCOMPARE(c.HorarioAparato[3][0], QString("20:00"));
        QCOMPARE(c.HorarioAparato[3][1], QString("01:00"));
        QCOMPARE(c.HorarioAparato[6][1], QString("03:00"));
        QCOMPARE(c.IdiomaAparato, QString("Español"));
        QCOMPARE(c.TiempoAtenuacionAparato, qint16(60));
        QCOMPARE(c.ImpresionAparato, quint8(1));
        QCOMPARE(c.TipoActuacionLocalAparato, QString("Leq1s"));
        QCOMPARE(c.TipoActuacionVecinoAparato, QString("0"));
        QCOMPARE(c.CorreccionGlobalAparato, quint8(0));
    }

    void shortAnswerIsRefusedAndChangesNothing_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("longitud");
        QTest::addColumn<bool>("aceptada");
        QTest::newRow("3.2 whole") << "3.2" << 370 << true;
        QTest::newRow("3.2 one short") << "3.2" << 369 << false;
        QTest::newRow("4.0 without the global byte") << "4.0" << 370 << false;
        QTest::newRow("4.0 whole") << "4.0" << 371 << true;
        QTest::newRow("identification-sized") << "4.1" << 20 << false;
    }
    void shortAnswerIsRefusedAndChangesNothing()
    {
        QFETCH(QString, version);
        QFETCH(int, longitud);
        QFETCH(bool, aceptada);
        ProgramacioRebuda c = decodifica(fixtures::bloque204567(), "3.2");
        const ProgramacioRebuda antes = c;
        QByteArray otro = fixtures::bloque100123();
        QCOMPARE(DecodificaProgramacio(fixtures::respuesta(otro, longitud), version, c), aceptada);
        if (aceptada) {
            QCOMPARE(c.IdiomaAparato, QString("Català"));
        } else {
            QCOMPARE(c.IdiomaAparato, antes.IdiomaAparato);
            QCOMPARE(c.HorarioAparato, antes.HorarioAparato);
            QCOMPARE(c.Version, QString("3.2"));
        }
    }

    void valuesTheBlockDoesNotCarryAreNotTheLastDevices()
    {
        ProgramacioRebuda c = decodifica(fixtures::bloque100123(), "4.1");
        QCOMPARE(c.CorreccionGlobalAparato, quint8(1));
        // A language byte above 5 names no language, whatever the previous device said.
        QByteArray b = fixtures::bloque100123();
        b[42] = 6;
        QVERIFY(DecodificaProgramacio(fixtures::respuesta(b), "4.1", c));
        QCOMPARE(c.IdiomaAparato, QString());
        // Below 4.0 the block carries no global-correction byte.
        QVERIFY(DecodificaProgramacio(fixtures::respuesta(b.left(364)), "3.5", c));
        QCOMPARE(c.CorreccionGlobalAparato, quint8(0));

        // Such a copy leaves the sheet's language as it was.
        FitxaProgramacio f;
        f.OptionIdioma = OpcionIdioma::Frances;
        QVERIFY(CarregaProgAqt(c, f).modificada);
        QCOMPARE(f.OptionIdioma, OpcionIdioma::Frances);
    }

    void actuationBytes_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("local");
        QTest::addColumn<int>("vecino");
        QTest::addColumn<QString>("textoLocal");
        QTest::addColumn<QString>("textoVecino");
        QTest::newRow("3.2 zero") << "3.2" << 0 << 0 << "Leq125ms"
                                  << "0";
        QTest::newRow("3.2 one") << "3.2" << 1 << 1 << "Leq1s"
                                 << "Leq1s";
        QTest::newRow("3.2 two") << "3.2" << 2 << 2 << "Leq125ms"
                                 << "Leq125ms";
        QTest::newRow("3.2 five") << "3.2" << 5 << 5 << "Leq125ms"
                                  << "Leq125ms";
        QTest::newRow("3.2 125") << "3.2" << 125 << 125 << "Leq125ms"
                                 << "Leq125ms";
        QTest::newRow("3.3 zero") << "3.3" << 0 << 0 << "Leq125ms"
                                  << "0";
        QTest::newRow("3.3 five") << "3.3" << 5 << 5 << "Leq5s"
                                  << "Leq5s";
        QTest::newRow("3.3 ten") << "3.3" << 10 << 1 << "Leq10s"
                                 << "Leq1s";
        QTest::newRow("3.3 eleven") << "3.3" << 11 << 2 << "Leq125ms"
                                    << "Leq2s";
        QTest::newRow("3.3 125") << "3.3" << 125 << 125 << "Leq125ms"
                                 << "Leq125ms";
        QTest::newRow("4.1 five") << "4.1" << 5 << 0 << "Leq5s"
                                  << "0";
    }
    void actuationBytes()
    {
        QFETCH(QString, version);
        QFETCH(int, local);
        QFETCH(int, vecino);
        QByteArray b = fixtures::bloque100123().left(versionAlMenys(version, 4.0) ? 365 : 364);
        b[344] = char(local);
        b[345] = char(vecino);
        const ProgramacioRebuda c = decodifica(b, version);
        QTEST(c.TipoActuacionLocalAparato, "textoLocal");
        QTEST(c.TipoActuacionVecinoAparato, "textoVecino");
    }

    void decodeEdgeCases()
    {
        QByteArray b = fixtures::bloque204567();
        // Sunday: start closed, end 20:00 (start and end are tested separately).
        b.replace(0, 4, QByteArray::fromHex("2D2D1400"));
        // Interval 1 with the year byte 110; interval 2 with bytes no date forms.
        b.replace(44, 10,
                  QByteArray::fromHex("05036E0705"
                                      "06036E1700"));
        b.replace(54, 10,
                  QByteArray::fromHex("1F0263FF00"
                                      "00000000"
                                      "00"));
        // Octave 31.5 Hz -2.5 dB, 63 Hz +12 dB; attenuation 0x8000 is negative.
        b.replace(346, 4, QByteArray::fromHex("FFE70078"));
        b.replace(37, 2, QByteArray::fromHex("8000"));
        const ProgramacioRebuda c = decodifica(b, "3.2");
        QCOMPARE(c.HorarioAparato[0][0], QString("--:--"));
        QCOMPARE(c.HorarioAparato[0][1], QString("20:00"));
        QCOMPARE(c.InhabilDiaEmpiezaAparato[0], QString("05/03/10"));
        QCOMPARE(c.InhabilHoraEmpiezaAparato[0], QString("07:05"));
        QCOMPARE(c.InhabilDiaTerminaAparato[0], QString("06/03/10"));
        QCOMPARE(c.InhabilDiaEmpiezaAparato[1], QString("31/02/99"));
        QCOMPARE(c.InhabilHoraEmpiezaAparato[1], QString("255:00"));
        QVERIFY(!fechaFitxa(c.InhabilDiaEmpiezaAparato[1]));
        QVERIFY(!horaFitxa(c.InhabilHoraEmpiezaAparato[1]));
        QCOMPARE(c.InhabilDiaTerminaAparato[1], QString("00/00/00"));
        QCOMPARE(c.OctavasAparato[1], -2.5f);
        QCOMPARE(c.OctavasAparato[2], 12.0f);
        QCOMPARE(c.TiempoAtenuacionAparato, qint16(-32768));
    }

    void encodesTheSheetOfDevice100123()
    {
        const FitxaProgramacio f = fixtures::fitxa100123();
        fixtures::publica(f);
        const auto trama = TramaEnviaProgramacio(f, "4.1", kReloj);
        QVERIFY2(trama, qPrintable(trama ? QString() : trama.error().detail + ": " + trama.error().mensaje()));
        QCOMPARE(trama->size(), 377);
        // STX, length 377, command 8, clock 10/12/2026 10:17:36 (year byte 126).
        QCOMPARE(trama->left(10).toHex(), QByteArray("020179080a0c7e0a1124"));
        QCOMPARE(bloqueDe(*trama).toHex(), fixtures::bloque100123().toHex());
        QCOMPARE(quint8(trama->at(375)), quint8(0x03));
        quint8 x = 0;
        for (int i = 0; i < 376; ++i)
            x ^= quint8(trama->at(i));
        QCOMPARE(quint8(trama->at(376)), x);
    }

    void encodesTheSheetOfDevice204567()
    {
        FitxaProgramacio f;
        QVERIFY(CreaProgramacio(f).modificada);
        f.MaskVersion = "3.2";
        f.CheckCambioHora = false;
        for (int d : {0, 1, 2}) {
            f.inicio(d) = "--:--";
            f.fin(d) = "--:--";
        }
        for (int d : {3, 4}) {
            f.inicio(d) = "20:00";
            f.fin(d) = "01:00";
        }
        for (int d : {5, 6}) {
            f.inicio(d) = "20:00";
            f.fin(d) = "03:00";
        }
        f.MaskDiaLocal = "85";
        f.MaskDiaVei = "32";
        f.MaskNitLocal = "80";
        f.MaskNitVei = "27";
        f.MaskTiempoAtenuacion = "60";
        f.MaskTLeq = "5";
        f.MaskMFast = "100";
        f.CheckImpresion = true;
        f.MaskRings = "1";
        f.OptionLocal = OpcionLocal::Leq1s;
        f.MaskTempsActLoc = "01";
        f.OptionVei = OpcionVei::No;
        const auto trama = TramaEnviaProgramacio(f, "3.2", kReloj);
        QVERIFY(trama);
        QCOMPARE(trama->size(), 376);
        QCOMPARE(trama->left(3).toHex(), QByteArray("020178"));
        QCOMPARE(bloqueDe(*trama).toHex(), fixtures::bloque204567().toHex());
        QCOMPARE(quint8(trama->at(374)), quint8(0x03));
    }

    void encodeEdgeCases()
    {
        FitxaProgramacio f = fixtures::fitxa100123();
        f.MaskLunesIni = "--:--";
        f.MaskLunesFi = "20:00"; // a closed start wins over its end
        f.MaskTiempoAtenuacion = "9999";
        f.MaskOctava[0] = "-2.5";
        f.MaskOctava[1] = "12.0";
        f.MaskOctava[2] = "0,5"; // either decimal separator
        f.MatrizInhabil[0] = {1, "05/03/10", "07:05", "31/12/49", "23:59"};
        f.MatrizInhabil[1] = {2, "01/01/50", "00:00", "02/01/50", "00:00"};
        f.MatrizInhabil[2] = {3, "00/00/00", "12:00", "05/05/05", "12:00"}; // no start date: empty slot
        f.MatrizInhabil[3] = {4, "31/02/09", "12:00", "05/05/05", "12:00"}; // not a date: empty slot
        // The frame is the sheet's: the shared arrays may hold anything else.
        modulo1().IntervalosInhabiles[2].DiaEmpieza = "05/05/05";
        modulo1().IntervalosInhabiles[2].DiaTermina = "06/05/05";
        const auto trama = TramaEnviaProgramacio(f, "4.1", kReloj);
        QVERIFY(trama);
        const QByteArray b = bloqueDe(*trama);
        QCOMPARE(b.mid(4, 4).toHex(), QByteArray("2d2d2d2d"));
        QCOMPARE(b.mid(37, 2).toHex(), QByteArray("270f"));
        QCOMPARE(b.mid(346, 6).toHex(), QByteArray("ffe700780005"));
        QCOMPARE(b.mid(44, 10).toHex(), QByteArray("05036e0705"
                                                   "1f0c95173b"));
        QCOMPARE(b.mid(54, 10).toHex(), QByteArray("0101320000"
                                                   "0201320000"));
        QCOMPARE(b.mid(64, 20), QByteArray(20, '\0'));
    }

    void attenuationTravelsAsSixteenBits_data()
    {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("none") << "0" << QByteArray("0000");
        QTest::newRow("two seconds") << "2" << QByteArray("0002");
        QTest::newRow("largest") << "9999" << QByteArray("270f");
        // What a device's 0xFFFF and 0x8000 decode to goes back as those bytes.
        QTest::newRow("minus one") << "-1" << QByteArray("ffff");
        QTest::newRow("most negative") << "-32768" << QByteArray("8000");
    }
    void attenuationTravelsAsSixteenBits()
    {
        QFETCH(QString, texto);
        FitxaProgramacio f = fixtures::fitxa100123();
        f.MaskTiempoAtenuacion = texto;
        fixtures::publica(f);
        const auto trama = TramaEnviaProgramacio(f, "4.1", kReloj);
        QVERIFY(trama);
        QTEST(bloqueDe(*trama).mid(37, 2).toHex(), "bytes");
    }

    void blockDecodedIntoASheetEncodesBack_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QByteArray>("atenuacion");
        QTest::newRow("4.1") << "4.1" << QByteArray("0078");
        QTest::newRow("4.1, attenuation above 0x7FFF") << "4.1" << QByteArray("8000");
        QTest::newRow("3.3, attenuation 0xFFFF") << "3.3" << QByteArray("ffff");
    }
    void blockDecodedIntoASheetEncodesBack()
    {
        QFETCH(QString, version);
        QFETCH(QByteArray, atenuacion);
        QByteArray bloque = fixtures::bloque100123().left(versionAlMenys(version, 4.0) ? 365 : 364);
        bloque.replace(37, 2, QByteArray::fromHex(atenuacion));
        const ProgramacioRebuda c = decodifica(bloque, version);
        FitxaProgramacio f;
        QVERIFY(CreaProgramacio(f).modificada);
        f.MaskVersion = version;
        QVERIFY(CarregaProgAqt(c, f).modificada);
        const auto trama = TramaEnviaProgramacio(f, version, kReloj);
        QVERIFY(trama);
        QCOMPARE(bloqueDe(*trama).toHex(), bloque.toHex());
    }

    void frameLengthFollowsTheSheetAndActuationTheDevice_data()
    {
        QTest::addColumn<QString>("hoja");
        QTest::addColumn<QString>("aparato");
        QTest::addColumn<int>("longitud");
        QTest::addColumn<int>("leq125");
        QTest::newRow("sheet 4.0, device 3.5") << "4.0"
                                               << "3.5" << 377 << 125;
        QTest::newRow("sheet 3.5, device 4.0") << "3.5"
                                               << "4.0" << 376 << 125;
        QTest::newRow("sheet 3.2, device 3.2") << "3.2"
                                               << "3.2" << 376 << 2;
        QTest::newRow("sheet 4.0, device 3.2") << "4.0"
                                               << "3.2" << 377 << 2;
        QTest::newRow("sheet 3.3, device 3.3") << "3.3"
                                               << "3.3" << 376 << 125;
    }
    void frameLengthFollowsTheSheetAndActuationTheDevice()
    {
        QFETCH(QString, hoja);
        QFETCH(QString, aparato);
        QFETCH(int, longitud);
        QFETCH(int, leq125);
        FitxaProgramacio f = fixtures::fitxa100123();
        f.MaskVersion = hoja;
        f.OptionLocal = OpcionLocal::Leq125;
        f.OptionVei = OpcionVei::Leq1s;
        f.MaskTempsActVei = "07";
        fixtures::publica(f);
        const auto trama = TramaEnviaProgramacio(f, aparato, kReloj);
        QVERIFY(trama);
        QCOMPARE(trama->size(), longitud);
        QCOMPARE(int(quint8(trama->at(1))) * 256 + quint8(trama->at(2)), longitud);
        QCOMPARE(int(quint8(trama->at(10 + 344))), leq125);
        QCOMPARE(int(quint8(trama->at(10 + 345))), 7);
        QCOMPARE(quint8(trama->at(longitud - 2)), quint8(0x03));
        if (longitud == 377)
            QCOMPARE(int(quint8(trama->at(10 + 364))), 1); // CheckApliCorrecioGlobal
    }

    void languageAndChecksEncode_data()
    {
        QTest::addColumn<int>("idioma");
        for (int i = 0; i < 6; ++i)
            QTest::newRow(qPrintable(QString::fromUtf16(kOpcionesIdioma[i]))) << i;
    }
    void languageAndChecksEncode()
    {
        QFETCH(int, idioma);
        FitxaProgramacio f = fixtures::fitxa100123();
        f.OptionIdioma = static_cast<OpcionIdioma>(idioma);
        f.CheckCambioHora = idioma % 2;
        f.CheckImpresion = !(idioma % 2);
        f.CheckApliCorrecioGlobal = idioma % 2;
        fixtures::publica(f);
        const auto trama = CodificaProgramacio(f, "4.1");
        QVERIFY(trama);
        const QByteArray b = bloqueDe(*trama);
        QCOMPARE(int(b[42]), idioma);
        QCOMPARE(int(b[36]), idioma % 2);
        QCOMPARE(int(b[41]), int(!(idioma % 2)));
        QCOMPARE(int(b[364]), idioma % 2);
    }

    void sheetThatCannotBeEncodedIsRefused_data()
    {
        QTest::addColumn<QString>("campo");
        QTest::addColumn<QString>("valor");
        QTest::addColumn<QString>("descripcion");
        QTest::newRow("empty level") << "MaskDiaLocal"
                                     << ""
                                     << "Type mismatch";
        QTest::newRow("level too big") << "MaskNitVei"
                                       << "300"
                                       << "Overflow";
        QTest::newRow("closed end under an open start") << "MaskMartesFi"
                                                        << "--:--"
                                                        << "Type mismatch";
        QTest::newRow("incomplete night") << "MaskEmpiezaNoche"
                                          << "2_:__"
                                          << "Type mismatch";
        QTest::newRow("attenuation too big") << "MaskTiempoAtenuacion"
                                             << "70000"
                                             << "Overflow";
        QTest::newRow("empty octave") << "MaskOctava4"
                                      << ""
                                      << "Type mismatch";
        QTest::newRow("octave out of 16 bits") << "MaskOctava9"
                                               << "4000"
                                               << "Overflow";
        QTest::newRow("end date not a date") << "TDBGrid1"
                                             << "00/00/00"
                                             << "Type mismatch";
        QTest::newRow("start time not a number") << "TDBGrid1"
                                                 << "ab:cd"
                                                 << "Type mismatch";
        QTest::newRow("actuation seconds empty") << "MaskTempsActLoc"
                                                 << ""
                                                 << "Type mismatch";
    }
    void sheetThatCannotBeEncodedIsRefused()
    {
        QFETCH(QString, campo);
        QFETCH(QString, valor);
        FitxaProgramacio f = fixtures::fitxa100123();
        if (campo == "MaskDiaLocal")
            f.MaskDiaLocal = valor;
        else if (campo == "MaskNitVei")
            f.MaskNitVei = valor;
        else if (campo == "MaskMartesFi")
            f.MaskMartesFi = valor;
        else if (campo == "MaskEmpiezaNoche")
            f.MaskEmpiezaNoche = valor;
        else if (campo == "MaskTiempoAtenuacion")
            f.MaskTiempoAtenuacion = valor;
        else if (campo == "MaskOctava4")
            f.MaskOctava[3] = valor;
        else if (campo == "MaskOctava9")
            f.MaskOctava[8] = valor;
        else if (campo == "MaskTempsActLoc")
            f.MaskTempsActLoc = valor;
        else if (valor.contains(':'))
            f.MatrizInhabil[1].HoraEmpieza = valor;
        else
            f.MatrizInhabil[1].DiaTermina = valor;
        fixtures::publica(f);
        const Resultado<QByteArray> trama = CodificaProgramacio(f, "4.1");
        QVERIFY(!trama);
        QCOMPARE(trama.error().detail, campo);
        QTEST(trama.error().mensaje(), "descripcion");
    }

    void carregaProgAqtFillsTheSheet()
    {
        FitxaProgramacio f;
        QVERIFY(CreaProgramacio(f).modificada);
        modulo1().FitxaModificada = false;
        const ProgramacioRebuda copia = decodifica(fixtures::bloque100123(), "4.1");
        const EstadoFitxa estado = CarregaProgAqt(copia, f);
        FitxaProgramacio esperada = fixtures::fitxa100123();
        copiaIdentidad(f, esperada); // no part of the device's programming
        QCOMPARE(f.MaskEmpiezaDia, f.MaskTerminaNoche);
        QCOMPARE(f.MaskTerminaDia, f.MaskEmpiezaNoche);
        QVERIFY(f == esperada);
        // The sheet's new state comes back, its intervals in the grid rows; the shared
        // state is the window's to write.
        QVERIFY(estado.modificada);
        QCOMPARE(f.MatrizInhabil[0].DiaEmpieza, QString("24/12/08"));
        QCOMPARE(f.MatrizInhabil[1].HoraTermina, QString("09:00"));
        QCOMPARE(f.MatrizInhabil[2].DiaEmpieza, QString("00/00/00"));
        QVERIFY(!modulo1().FitxaModificada);
        QVERIFY(modulo1().IntervalosInhabiles[0].DiaEmpieza.isEmpty());
    }

    void carregaProgAqtFollowsTheCopysFirmware_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("segundos");
        QTest::addColumn<bool>("global");
        QTest::newRow("3.2") << "3.2" << false << false;
        QTest::newRow("3.3") << "3.3" << true << false;
        QTest::newRow("4.0") << "4.0" << true << true;
    }
    void carregaProgAqtFollowsTheCopysFirmware()
    {
        QFETCH(QString, version);
        QFETCH(bool, segundos);
        QFETCH(bool, global);
        QByteArray b = fixtures::bloque100123().left(global ? 365 : 364);
        const ProgramacioRebuda c = decodifica(b, version);
        // The sheet window's version governs nothing here: the copy's own does.
        modulo1().VersionAparato = "9.9";
        FitxaProgramacio f;
        f.CheckApliCorrecioGlobal = false;
        f.CheckApliCorrecioGlobalVisible = !global;
        f.MaskTempsActEnabled = !segundos;
        QVERIFY(CarregaProgAqt(c, f).modificada);
        QCOMPARE(f.MaskTempsActEnabled, segundos);
        QCOMPARE(f.CheckApliCorrecioGlobalVisible, global);
        QCOMPARE(f.CheckApliCorrecioGlobal, global);
        QCOMPARE(f.OptionLocal, segundos ? OpcionLocal::Leq1s : OpcionLocal::Leq125);
        if (segundos)
            QCOMPARE(f.MaskTempsActLoc, QString("05"));
    }

    void roundTripSheetFrameCopySheet_data()
    {
        QTest::addColumn<QString>("version");
        QTest::newRow("3.2") << "3.2";
        QTest::newRow("3.3") << "3.3";
        QTest::newRow("4.0") << "4.0";
    }
    void roundTripSheetFrameCopySheet()
    {
        QFETCH(QString, version);
        const FitxaProgramacio original = fitxaCompleta(version);
        fixtures::publica(original);
        const auto trama = TramaEnviaProgramacio(original, version, kReloj);
        QVERIFY(trama);
        QCOMPARE(trama->size(), version == "4.0" ? 377 : 376);

        // The device answers a read with the same block.
        ProgramacioRebuda c;
        QVERIFY(DecodificaProgramacio(fixtures::respuesta(bloqueDe(*trama)), version, c));
        FitxaProgramacio vuelta;
        QVERIFY(CreaProgramacio(vuelta).modificada);
        copiaIdentidad(original, vuelta);
        QVERIFY(CarregaProgAqt(c, vuelta).modificada);
        for (int k = 0; k < 30; ++k)
            QCOMPARE(vuelta.MatrizInhabil[k], original.MatrizInhabil[k]);
        QCOMPARE(vuelta.MaskOctava, original.MaskOctava);
        QVERIFY(vuelta == original);

        // And the same sheet gives the same bytes again.
        const auto otra = TramaEnviaProgramacio(vuelta, version, kReloj);
        QVERIFY(otra);
        QCOMPARE(otra->toHex(), trama->toHex());
    }
};

QTEST_GUILESS_MAIN(TestProgrammingBlock)
#include "tst_programmingblock.moc"
