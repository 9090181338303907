// The programming read and write without a window, against the device emulator: the
// read hands back the device's block decoded for its firmware, every failed receive
// with the receiver's own text; the write leaves the sheet and the given clock in the
// device, gives the device's answer, and a sheet that cannot be encoded sends nothing.

#include "ExchangeFixture.h"
#include "link/DeviceSession.h"
#include "programming/ProgrammingExchange.h"
#include "programming/ProgrammingTransfer.h"

#include <QtTest>

using namespace slx;

class TestProgrammingTransfer : public QObject {
    Q_OBJECT

    std::unique_ptr<slxtest::ExchangeFixture> fx;
    std::unique_ptr<DeviceSession> session;

    // A session opened without a window on the identified device.
    bool open()
    {
        SessionOptions o;
        o.enlace = ajustesEnlace(modulo1());
        o.sendCan = false;
        session = std::make_unique<DeviceSession>(o);
        return session->open() == DeviceSession::Outcome::Ready;
    }

private Q_SLOTS:
    void init()
    {
        fx = std::make_unique<slxtest::ExchangeFixture>();
        QVERIFY(fx->ok);
    }
    void cleanup()
    {
        if (session)
            session->finish();
        session.reset();
        fx.reset();
    }

    void readDecodesTheDevicesBlock_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("correction");
        // From 4.0 the block carries the global-correction byte; below, the copy holds 0.
        QTest::newRow("4.1") << "4.1" << 1;
        QTest::newRow("3.2") << "3.2" << 0;
    }
    void readDecodesTheDevicesBlock()
    {
        QFETCH(QString, version);
        QFETCH(int, correction);
        fx->device("100123", quint8(version.left(1).toInt()), quint8(version.mid(2).toInt()), fixtures::bloque100123());
        QVERIFY(open());
        const Resultado<ProgramacioRebuda> copia = ProgrammingTransfer(*session).lee(version);
        QVERIFY(copia);
        // One request, 02 00 06 04 03 03.
        const QList<QByteArray> requests = fx->requests(0x04);
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests[0].toHex(), QByteArray("020006040303"));
        QCOMPARE(copia->Version, version);
        QCOMPARE(copia->HorarioAparato[0][0], QString("17:00"));
        QCOMPARE(copia->HorarioAparato[1][1], QString("--:--"));
        QCOMPARE(copia->HoraEmpiezaNocheAparato, QString("22:00"));
        QCOMPARE(int(copia->NivelDiaLocalAparato), 95);
        QCOMPARE(copia->TiempoAtenuacionAparato, qint16(120));
        QCOMPARE(int(copia->TLeqAparato), 15);
        QCOMPARE(copia->IdiomaAparato, nombreIdioma(OpcionIdioma::Catalan));
        QCOMPARE(copia->InhabilDiaEmpiezaAparato[1], QString("31/12/08"));
        QCOMPARE(copia->InhabilHoraTerminaAparato[1], QString("09:00"));
        QCOMPARE(int(copia->CorreccionGlobalAparato), correction);
    }

    void aFailedReadCarriesTheReceiversText_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("texto");
        QTest::newRow("bad check") << int(slxemu::Fault::WrongCheck) << 62;
        QTest::newRow("silence") << int(slxemu::Fault::Silence) << 31;
        // A whole frame, shorter than the firmware's block.
        QTest::newRow("short") << int(slxemu::Fault::LengthOutOfRange) << 62;
    }
    void aFailedReadCarriesTheReceiversText()
    {
        QFETCH(int, fault);
        QFETCH(int, texto);
        fx->device("100123", 4, 1, fixtures::bloque100123());
        slxemu::FaultPlan plan;
        plan.kind = slxemu::Fault(fault);
        plan.command = 0x04;
        plan.length = 100;
        fx->link.emulator.setFault(plan);
        QVERIFY(open());
        const Resultado<ProgramacioRebuda> copia = ProgrammingTransfer(*session).lee(QStringLiteral("4.1"));
        QVERIFY(!copia);
        QCOMPARE(copia.error().texto, texto);
        QCOMPARE(fx->requests(0x04).size(), 1);
    }

    void writeLeavesTheSheetAndTheClockInTheDevice_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<QByteArray>("block");
        QTest::newRow("4.1") << "4.1" << 377 << fixtures::bloque100123();
        // Below 3.3, Leq125ms is sent as 2; no global-correction byte.
        QByteArray old = fixtures::bloque100123().left(364);
        old[345] = 2;
        QTest::newRow("3.2") << "3.2" << 376 << old;
    }
    void writeLeavesTheSheetAndTheClockInTheDevice()
    {
        QFETCH(QString, version);
        QFETCH(int, frameSize);
        QFETCH(QByteArray, block);
        fx->device("100123", quint8(version.left(1).toInt()), quint8(version.mid(2).toInt()));
        QVERIFY(open());
        FitxaProgramacio f = fixtures::fitxa100123();
        f.MaskVersion = version;
        const QDateTime reloj(QDate(2027, 3, 28), QTime(1, 59, 30));
        const Resultado<quint8> r = ProgrammingTransfer(*session).EnviarProgramacion(f, version, reloj);
        QVERIFY(r);
        QCOMPARE(*r, kEscrituraAceptada);
        const QList<QByteArray> writes = fx->link.emulator.writes();
        QCOMPARE(writes.size(), 1);
        QCOMPARE(writes[0].size(), frameSize);
        QCOMPARE(fx->link.emulator.programming().left(block.size()).toHex(), block.toHex());
        QCOMPARE(fx->link.emulator.scenario().clock, reloj);
    }

    void writeGivesTheDevicesAnswer_data()
    {
        QTest::addColumn<int>("answer"); // -1: silence
        QTest::addColumn<int>("result");
        QTest::newRow("ACK") << 0x06 << int(kEscrituraAceptada);
        QTest::newRow("NAK") << 0x15 << int(kEscrituraRechazada);
        QTest::newRow("any other byte") << 0x41 << int(kEscrituraRechazada);
        QTest::newRow("silence") << -1 << int(kEscrituraSinRespuesta);
    }
    void writeGivesTheDevicesAnswer()
    {
        QFETCH(int, answer);
        QFETCH(int, result);
        fx->device("100123", 4, 1);
        if (answer >= 0) {
            fx->link.emulator.setCommand(
                0x08, [answer](slxemu::Session &s, quint8, const QByteArray &, const QByteArray &frame) {
                    s.keepWrite(frame);
                    s.sendAnswerByte(quint8(answer));
                });
        } else {
            slxemu::FaultPlan plan;
            plan.kind = slxemu::Fault::Silence;
            plan.command = 0x08;
            fx->link.emulator.setFault(plan);
        }
        QVERIFY(open());
        const Resultado<quint8> r =
            ProgrammingTransfer(*session).EnviarProgramacion(fixtures::fitxa100123(), QStringLiteral("4.1"));
        QVERIFY(r);
        QCOMPARE(int(*r), result);
        QCOMPARE(fx->link.emulator.writes().size(), 1);
    }

    void aSheetThatCannotBeEncodedSendsNothing_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::newRow("empty level") << "MaskDiaLocal"
                                     << "";
        QTest::newRow("incomplete night end") << "MaskTerminaNoche"
                                              << "0_:__";
    }
    void aSheetThatCannotBeEncodedSendsNothing()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        fx->device("100123", 4, 1);
        QVERIFY(open());
        FitxaProgramacio f = fixtures::fitxa100123();
        if (field == "MaskDiaLocal")
            f.MaskDiaLocal = value;
        else
            f.MaskTerminaNoche = value;
        const QByteArray before = fx->link.emulator.received();
        const Resultado<quint8> r = ProgrammingTransfer(*session).EnviarProgramacion(f, QStringLiteral("4.1"));
        QVERIFY(!r);
        // The field goes with the failure, for the window to name and focus it.
        QCOMPARE(r.error().detail, field);
        QTest::qWait(100);
        QCOMPARE(fx->link.emulator.received(), before);
        QVERIFY(fx->link.emulator.writes().isEmpty());
    }
};

QTEST_MAIN(TestProgrammingTransfer)
#include "tst_programmingtransfer.moc"
