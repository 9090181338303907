// The programming sheet window's Receive and Transmit against the device emulator:
// the three places a programming read goes, the write of a sheet and what the
// device then holds, every refusal with its message and icon, the modem call kept
// and hung up, and after every path the buttons back and the port closed.

#include "ExchangeFixture.h"
#include "link/DeviceSession.h"
#include "localization/LocGuru.h"
#include "programming/SheetStorage.h"
#include "widgets/BusyIndicator.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QSqlQuery>
#include <QTabWidget>
#include <QtTest>

using namespace slx;

namespace {

const char *const kSwitched[] = {"SSCommandAnterior",    "SSCommandBorrar",   "SSCommandBuscar",
                                 "SSCommandGrabar",      "SSCommandHelp",     "SSCommandImprimir",
                                 "SSCommandIncidencias", "SSCommandSiguiente"};

QString text(int n)
{
    return oLocGuru().GetS(n);
}

int stored()
{
    QSqlQuery q(modulo1().ConexionBD);
    q.exec(QStringLiteral("SELECT COUNT(*) FROM Programacion"));
    q.next();
    return q.value(0).toInt();
}

// A stored sheet of device 100123, with changes.
void storeSheet(const QString &serial, const QString &version, const QString &tleq)
{
    FitxaProgramacio f = fixtures::fitxa100123();
    f.MaskNumeroSerie = serial;
    f.MaskVersion = version;
    f.MaskTLeq = tleq;
    fixtures::publica(f);
    QVERIFY(GrabaProgramacio(modulo1().ConexionBD, f));
}

} // namespace

class TestExchange : public QObject {
    Q_OBJECT

    std::unique_ptr<slxtest::ExchangeFixture> fx;
    QPointer<Form2> form;

    Form2 *open(qint32 serial = 0)
    {
        modulo1().NumeroSerieAparato = serial;
        form = new Form2;
        if (!form->Form_Load())
            return nullptr;
        FormRegistry::setInstance(QStringLiteral("Form2"), form);
        form->show();
        return form;
    }
    QPushButton *button(const char *name) { return form->findChild<QPushButton *>(QLatin1String(name)); }
    // Every message shown so far: text and icon.
    QList<QPair<QString, ui::Icon>> shown() const
    {
        QList<QPair<QString, ui::Icon>> out;
        for (const ui::Request &r : fx->answers.shown())
            out << qMakePair(r.text, r.icon);
        return out;
    }
    static QPair<QString, ui::Icon> msg(int n, ui::Icon icon) { return qMakePair(text(n), icon); }
    // The window and the port as they were before the exchange.
    void checkRestored()
    {
        for (const char *b : kSwitched)
            QVERIFY2(button(b)->isEnabled(), b);
        for (const char *b : {"SSCommandExit", "SSCommandRecibir", "SSCommandTransmitir", "SSCommandRealTime"})
            QVERIFY2(button(b)->isEnabled(), b);
        QVERIFY(!form->testAttribute(Qt::WA_SetCursor) || form->cursor().shape() != Qt::WaitCursor);
        QVERIFY(form->findChild<QWidget *>("SSPanel2")->isHidden());
        QVERIFY(!form->findChild<BusyIndicator *>("Animation1")->isRunning());
        if (!modulo1().ModemConectado)
            QVERIFY(!MSComm1().PortOpen());
        QVERIFY(!DeviceSession::running());
    }

private Q_SLOTS:
    void init()
    {
        fx = std::make_unique<slxtest::ExchangeFixture>();
        QVERIFY(fx->ok);
    }
    void cleanup()
    {
        if (form) {
            modulo1().FitxaModificada = false;
            form->close();
            delete form;
        }
        fx.reset();
    }

    void receiveIntoANewSheet_data()
    {
        QTest::addColumn<bool>("fromAnotherDevice");
        // Another device's sheet gives no contact data to the new one; a new sheet keeps what was typed.
        QTest::newRow("after another device's sheet") << true;
        QTest::newRow("after a new sheet") << false;
    }
    void receiveIntoANewSheet()
    {
        QFETCH(bool, fromAnotherDevice);
        if (fromAnotherDevice)
            storeSheet("204567", "3.2", "5");
        fx->device("100123", 4, 1, fixtures::bloque100123());
        QVERIFY(open(fromAnotherDevice ? 204567 : 0));
        if (!fromAnotherDevice)
            form->setTexto("MaskTelefono", "555");
        modulo1().FitxaModificada = false;
        modulo1().IntervalosInhabiles[1] = {};
        const QDate dayBefore = QDate::currentDate();
        form->SSCommandRecibir_Click();
        const QDate dayAfter = QDate::currentDate(); // the run may cross midnight

        QCOMPARE(shown(), (QList{msg(15, ui::Icon::Information), msg(61, ui::Icon::Information)}));
        // One CAN before the identification, then the programming request.
        const QByteArray got = fx->link.emulator.received();
        QVERIFY(got.startsWith(QByteArray::fromHex("18020006010306")));
        QVERIFY(got.endsWith(QByteArray::fromHex("020006040303")));

        const FitxaProgramacio f = form->fitxa();
        QCOMPARE(f.MaskNumeroSerie, QString("100123"));
        QCOMPARE(f.MaskVersion, QString("4.1"));
        QVERIFY2(f.MaskFecha == dayBefore.toString("dd/MM/yy") || f.MaskFecha == dayAfter.toString("dd/MM/yy"),
                 qPrintable(f.MaskFecha));
        if (fromAnotherDevice)
            QVERIFY(f.MaskContacto.isEmpty() && f.MaskLocal.isEmpty() && f.MaskTelefono.isEmpty() &&
                    f.TextNota.isEmpty());
        else
            QCOMPARE(f.MaskTelefono, QString("555"));
        QCOMPARE(f.MaskTLeq, QString("15"));
        QCOMPARE(f.MaskTempsActLoc, QString("05"));
        QCOMPARE(f.OptionIdioma, OpcionIdioma::Catalan);
        QCOMPARE(f.MatrizInhabil[1], (FilaInhabil{2, "31/12/08", "20:00", "01/01/09", "09:00"}));
        QVERIFY(f.CheckApliCorrecioGlobalVisible && f.CheckApliCorrecioGlobal);
        // A new sheet, marked as changed and not saved, its intervals handed over.
        QVERIFY(modulo1().FitxaModificada);
        QCOMPARE(modulo1().IntervalosInhabiles[1], (FilaInhabil{2, "31/12/08", "20:00", "01/01/09", "09:00"}));
        QCOMPARE(stored(), fromAnotherDevice ? 1 : 0);
        checkRestored();
    }

    void receiveIntoTheSheetOnScreen_data()
    {
        QTest::addColumn<bool>("take");
        QTest::newRow("taken") << true;
        QTest::newRow("refused") << false;
    }
    void receiveIntoTheSheetOnScreen()
    {
        QFETCH(bool, take);
        storeSheet("100123", "4.1", "30");
        fx->device("100123", 4, 1, fixtures::bloque100123());
        QVERIFY(open(100123));
        QCOMPARE(form->texto("MaskTLeq"), QString("30"));
        modulo1().IntervalosInhabiles[1] = {};
        fx->answers.then(int(ui::vbOK)).then(int(ui::vbOK)).then(int(take ? ui::vbOK : ui::vbCancel));
        form->SSCommandRecibir_Click();

        const auto s = shown();
        QCOMPARE(s.size(), 3);
        QCOMPARE(s[2].second, ui::Icon::Question);
        QVERIFY(s[2].first.contains(QString("30 <-> 15")));
        QCOMPARE(form->texto("MaskTLeq"), take ? QString("15") : QString("30"));
        // The same version: only taking the device's values changes the sheet, and hands its
        // intervals over.
        QCOMPARE(modulo1().FitxaModificada, take);
        QCOMPARE(modulo1().IntervalosInhabiles[1],
                 take ? (FilaInhabil{2, "31/12/08", "20:00", "01/01/09", "09:00"}) : FilaInhabil{});
        checkRestored();
    }

    void receiveANewVersionMarksTheSheet()
    {
        storeSheet("100123", "4.0", "15");
        fx->device("100123", 4, 1, fixtures::bloque100123());
        QVERIFY(open(100123));
        form->SSCommandRecibir_Click();
        QCOMPARE(form->texto("MaskVersion"), QString("4.1"));
        QVERIFY(modulo1().FitxaModificada);
        QCOMPARE(shown().size(), 2); // nothing else differs: no comparison box
        checkRestored();
    }

    void receiveIntoAnotherStoredSheet_data()
    {
        QTest::addColumn<bool>("take");
        QTest::newRow("taken") << true;
        QTest::newRow("refused") << false;
    }
    void receiveIntoAnotherStoredSheet()
    {
        QFETCH(bool, take);
        storeSheet("100123", "4.0", "30");
        storeSheet("204567", "3.2", "5");
        fx->device("100123", 4, 1, fixtures::bloque100123());
        QVERIFY(open(204567));
        modulo1().IntervalosInhabiles[1] = {};
        fx->answers.then(int(ui::vbOK)).then(int(ui::vbOK)).then(int(take ? ui::vbOK : ui::vbCancel));
        form->SSCommandRecibir_Click();

        QCOMPARE(shown().size(), 3);
        QCOMPARE(shown()[2].second, ui::Icon::Question);
        // The stored sheet of the device is on screen, with its own version.
        QCOMPARE(form->texto("MaskNumeroSerie"), QString("100123"));
        QCOMPARE(form->texto("MaskVersion"), QString("4.0"));
        QCOMPARE(form->texto("MaskTLeq"), take ? QString("15") : QString("30"));
        QCOMPARE(modulo1().FitxaModificada, take);
        // The stored sheet's load made it the current device, with its version and intervals.
        QCOMPARE(modulo1().NumeroSerieAparato, 100123);
        QCOMPARE(modulo1().VersionAparato, QString("4.0"));
        QCOMPARE(modulo1().IntervalosInhabiles[1], (FilaInhabil{2, "31/12/08", "20:00", "01/01/09", "09:00"}));
        // Moving on from it follows the table's order.
        form->SSCommandSiguiente_Click();
        QCOMPARE(form->texto("MaskNumeroSerie"), QString("204567"));
        checkRestored();
    }

    void aDatabaseFailureAfterTheReadPutsEverythingBack()
    {
        fx->device("100123", 4, 1, fixtures::bloque100123());
        QVERIFY(open());
        const FitxaProgramacio before = form->fitxa();
        modulo1().FitxaModificada = false;
        modulo1().ConexionBD.close();
        form->SSCommandRecibir_Click();
        const auto s = shown();
        QCOMPARE(s.size(), 3);
        QCOMPARE(s[1], msg(61, ui::Icon::Information));
        QCOMPARE(s[2].second, ui::Icon::Critical);
        QVERIFY(form->fitxa() == before);
        checkRestored();
    }

    void receiveFailures_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("fault");
        QTest::addColumn<QList<int>>("texts");
        QTest::addColumn<bool>("requested");
        // The receiver's message, then text 62.
        QTest::newRow("bad check") << 42 << int(slxemu::Fault::WrongCheck) << QList<int>{15, 62, 62} << true;
        QTest::newRow("silence") << 42 << int(slxemu::Fault::Silence) << QList<int>{15, 31, 62} << true;
        QTest::newRow("short") << 42 << int(slxemu::Fault::LengthOutOfRange) << QList<int>{15, 62, 62} << true;
        // A type 4 is an SLX-90; type 3 is not, told with the critical icon.
        QTest::newRow("type 3") << 3 << int(slxemu::Fault::None) << QList<int>{15, 30} << false;
    }
    void receiveFailures()
    {
        QFETCH(int, type);
        QFETCH(int, fault);
        QFETCH(QList<int>, texts);
        QFETCH(bool, requested);
        fx->device("100123", 4, 1, fixtures::bloque100123(), quint8(type));
        slxemu::FaultPlan plan;
        plan.kind = slxemu::Fault(fault);
        plan.command = 0x04;
        plan.length = 100; // a whole frame, shorter than the block
        fx->link.emulator.setFault(plan);
        QVERIFY(open());
        const FitxaProgramacio before = form->fitxa();
        form->SSCommandRecibir_Click();

        QStringList got;
        for (const auto &s : shown()) {
            got << s.first;
            if (s.first != text(15))
                QCOMPARE(s.second, ui::Icon::Critical);
        }
        QStringList want;
        for (int n : texts)
            want << text(n);
        QCOMPARE(got, want);
        QCOMPARE(fx->requests(0x04).size(), requested ? 1 : 0);
        QVERIFY(form->fitxa() == before);
        checkRestored();
    }

    void transmit_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("frameSize");
        QTest::addColumn<QByteArray>("block");
        // From 4.0: the global-correction byte, Leq125ms sent as 125.
        QTest::newRow("377 bytes, 4.1") << "4.1" << 377 << fixtures::bloque100123();
        // Below 3.3, Leq125ms is sent as 2; no global-correction byte.
        QByteArray old = fixtures::bloque100123().left(364);
        old[345] = 2;
        QTest::newRow("376 bytes, 3.2") << "3.2" << 376 << old;
    }
    void transmit()
    {
        QFETCH(QString, version);
        QFETCH(int, frameSize);
        QFETCH(QByteArray, block);
        storeSheet("100123", version, "15");
        fx->device("100123", quint8(version.left(1).toInt()), quint8(version.mid(2).toInt()));
        QVERIFY(open(100123));
        const QDateTime before = QDateTime::currentDateTime();
        form->SSCommandTransmitir_Click();

        QCOMPARE(shown(), (QList{msg(15, ui::Icon::Information), msg(61, ui::Icon::Information)}));
        const QList<QByteArray> writes = fx->link.emulator.writes();
        QCOMPARE(writes.size(), 1);
        QCOMPARE(writes[0].size(), frameSize);
        QCOMPARE(fx->link.emulator.programming().left(block.size()).toHex(), block.toHex());
        // The device's clock is the PC's (to the second) when the frame was built.
        const QDateTime clock = fx->link.emulator.scenario().clock;
        QVERIFY2(qAbs(clock.secsTo(before)) <= 2, qPrintable(clock.toString()));
        checkRestored();
    }

    void transmitRefusals_data()
    {
        QTest::addColumn<QByteArray>("serial");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("answer"); // -1: the device's own, -2: silence
        QTest::addColumn<int>("message");
        QTest::addColumn<int>("icon");
        QTest::addColumn<bool>("written");
        QTest::newRow("not in programming mode")
            << QByteArray("100123") << 42 << 0 << -1 << 64 << int(ui::Icon::Critical) << false;
        QTest::newRow("mode first, then serial")
            << QByteArray("999999") << 3 << 0 << -1 << 64 << int(ui::Icon::Critical) << false;
        QTest::newRow("another device") << QByteArray("999999") << 42 << 1 << -1 << 63 << int(ui::Icon::Information)
                                        << false;
        QTest::newRow("not an SLX-90") << QByteArray("100123") << 3 << 1 << -1 << 30 << int(ui::Icon::Information)
                                       << false;
        QTest::newRow("NAK") << QByteArray("100123") << 42 << 1 << 0x15 << 62 << int(ui::Icon::Critical) << true;
        QTest::newRow("silence") << QByteArray("100123") << 42 << 1 << -2 << 31 << int(ui::Icon::Critical) << true;
        QTest::newRow("type 4 accepted") << QByteArray("100123") << 4 << 1 << -1 << 61 << int(ui::Icon::Information)
                                         << true;
    }
    void transmitRefusals()
    {
        QFETCH(QByteArray, serial);
        QFETCH(int, type);
        QFETCH(int, mode);
        QFETCH(int, answer);
        QFETCH(int, message);
        QFETCH(int, icon);
        QFETCH(bool, written);
        storeSheet("100123", "4.1", "15");
        fx->device(serial, 4, 1, {}, quint8(type), quint8(mode));
        if (answer >= 0) {
            fx->link.emulator.setCommand(
                0x08, [answer](slxemu::Session &s, quint8, const QByteArray &, const QByteArray &frame) {
                    s.keepWrite(frame);
                    s.sendAnswerByte(quint8(answer));
                });
        } else if (answer == -2) {
            slxemu::FaultPlan plan;
            plan.kind = slxemu::Fault::Silence;
            plan.command = 0x08;
            fx->link.emulator.setFault(plan);
        }
        QVERIFY(open(100123));
        form->SSCommandTransmitir_Click();

        QCOMPARE(shown(), (QList{msg(15, ui::Icon::Information), msg(message, ui::Icon(icon))}));
        QCOMPARE(fx->link.emulator.writes().size(), written ? 1 : 0);
        checkRestored();
    }

    void transmitShowsTheBusyPanelWhileItRuns()
    {
        storeSheet("100123", "4.1", "15");
        fx->device("100123", 4, 1);
        QVERIFY(open(100123));
        bool busyAtEnd = false;
        ui::setResponder([&](const ui::Request &r) -> QVariant {
            if (r.text == text(61))
                busyAtEnd = !form->findChild<QWidget *>("SSPanel2")->isHidden() &&
                            form->findChild<BusyIndicator *>("Animation1")->isRunning() &&
                            !button("SSCommandGrabar")->isEnabled();
            return int(ui::vbOK);
        });
        form->SSCommandTransmitir_Click();
        QVERIFY(busyAtEnd);
        checkRestored();
    }

    void clicksDuringAnExchangeStartNothing()
    {
        storeSheet("100123", "4.1", "15");
        fx->device("100123", 4, 1);
        linkTimings().pausaEscrituraMs = 5; // about 2 s of writing
        QVERIFY(open(100123));
        bool tried = false;
        QTimer::singleShot(300, form, [&] {
            tried = true;
            button("SSCommandRecibir")->click();
            button("SSCommandTransmitir")->click();
            button("SSCommandRealTime")->click();
            button("SSCommandExit")->click();
            form->close();
            QTest::keyClick(form, Qt::Key_Escape);
        });
        form->SSCommandTransmitir_Click();
        QVERIFY(tried);
        QVERIFY(form && form->isVisible());
        QCOMPARE(shown(), (QList{msg(15, ui::Icon::Information), msg(61, ui::Icon::Information)}));
        QCOMPARE(fx->link.emulator.writes().size(), 1);
        QCOMPARE(fx->requests(0x01).size(), 1);
        checkRestored();
    }

    void cancelAtThePromptKeepsTheSheetSaved()
    {
        fx->device("100123", 4, 1);
        QVERIFY(open());
        FitxaProgramacio f = fixtures::fitxa100123();
        form->setFitxa(f);
        fx->answers.then(int(ui::vbCancel));
        form->SSCommandTransmitir_Click();
        QCOMPARE(shown(), (QList{msg(15, ui::Icon::Information)}));
        QCOMPARE(stored(), 1);
        QVERIFY(fx->link.emulator.received().isEmpty());
        checkRestored();
    }

    // A sheet the device could not take is caught before it is saved or sent: the
    // message of the field's own check, the field focused on its page.
    void aSheetThatCannotBeEncodedIsCaughtFirst_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("message");
        QTest::newRow("empty level") << "MaskDiaLocal"
                                     << "" << 60;
        QTest::newRow("empty actuation seconds") << "MaskTempsActLoc"
                                                 << "" << 106;
        QTest::newRow("incomplete night end") << "MaskTerminaNoche"
                                              << "0_:__" << 26;
    }
    void aSheetThatCannotBeEncodedIsCaughtFirst()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(int, message);
        storeSheet("100123", "4.1", "15");
        fx->device("100123", 4, 1);
        QVERIFY(open(100123));
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        form->setTexto(field, value);
        form->SSCommandTransmitir_Click();
        QCOMPARE(shown(), (QList{msg(message, ui::Icon::Critical)}));
        QTRY_COMPARE(QApplication::focusWidget(), form->campo(field));
        QVERIFY(form->findChild<QTabWidget *>("SSTab2")->currentWidget()->isAncestorOf(form->campo(field)));
        // Nothing saved, no link opened.
        FitxaProgramacio stored;
        QVERIFY(CarregaProgramacio(modulo1().ConexionBD, stored, 100123));
        QVERIFY(!stored.MaskDiaLocal.isEmpty() && !stored.MaskTempsActLoc.isEmpty());
        QVERIFY(fx->link.emulator.received().isEmpty());
        checkRestored();
    }

    // The sheet a new user builds: typed on a new sheet, filled by Recibir, saved and sent by Transmitir.
    void aNewSheetKeepsWhatWasTypedAndCanBeTransmitted()
    {
        fx->device("100123", 4, 1, fixtures::bloque100123());
        QVERIFY(open());
        QCOMPARE(form->texto("MaskTempsActLoc"), QString("01"));
        QCOMPARE(form->texto("MaskTempsActVei"), QString("01"));
        form->setTexto("MaskContacto", "Anna Vidal");
        form->setTexto("MaskLocal", "Sala Apolo");
        form->setTexto("MaskDireccion", "C/ Nou, 3");
        form->setTexto("MaskPoblacion", "Lleida");
        form->setTexto("MaskTelefono", "973000111");
        form->setTexto("TextNota", "Primera\nSegunda");
        form->SSCommandRecibir_Click();
        QCOMPARE(shown(), (QList{msg(15, ui::Icon::Information), msg(61, ui::Icon::Information)}));
        FitxaProgramacio f = form->fitxa();
        QCOMPARE(f.MaskNumeroSerie, QString("100123"));
        QCOMPARE(f.MaskTLeq, QString("15")); // the device's programming
        QCOMPARE(f.MaskContacto, QString("Anna Vidal"));
        QCOMPARE(f.MaskLocal, QString("Sala Apolo"));
        QCOMPARE(f.MaskDireccion, QString("C/ Nou, 3"));
        QCOMPARE(f.MaskPoblacion, QString("Lleida"));
        QCOMPARE(f.MaskTelefono, QString("973000111"));
        QCOMPARE(f.TextNota, QString("Primera\r\nSegunda"));
        QCOMPARE(stored(), 0);

        ui::clearRequests();
        form->SSCommandTransmitir_Click();
        QCOMPARE(shown(), (QList{msg(15, ui::Icon::Information), msg(61, ui::Icon::Information)}));
        QCOMPARE(fx->link.emulator.writes().size(), 1);
        QCOMPARE(stored(), 1);
        FitxaProgramacio saved;
        QVERIFY(CarregaProgramacio(modulo1().ConexionBD, saved, 100123));
        QCOMPARE(saved.MaskLocal, QString("Sala Apolo"));
        QCOMPARE(saved.TextNota, QString("Primera\r\nSegunda"));
        checkRestored();
    }

    // A new sheet with typed contact details, or a typed note alone, gives way to the device's stored sheet only
    // when the user says so.
    void aStoredSheetReplacesTypingOnlyWhenAccepted_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("accept");
        QTest::newRow("contact, accepted") << "MaskLocal" << true;
        QTest::newRow("contact, refused") << "MaskLocal" << false;
        QTest::newRow("note, accepted") << "TextNota" << true;
        QTest::newRow("note, refused") << "TextNota" << false;
    }
    void aStoredSheetReplacesTypingOnlyWhenAccepted()
    {
        QFETCH(QString, field);
        QFETCH(bool, accept);
        storeSheet("100123", "4.1", "15");
        fx->device("100123", 4, 1, fixtures::bloque100123());
        QVERIFY(open(555)); // no such sheet: a new one
        QCOMPARE(form->texto("MaskNumeroSerie"), QString("0"));
        const QString stored = form->texto(field);
        form->campo(field)->setFocus(Qt::MouseFocusReason);
        QTest::keyClicks(form->campo(field), "Sala Apolo");
        fx->answers.then(int(ui::vbOK)).then(int(ui::vbOK)).then(int(accept ? ui::vbOK : ui::vbCancel));
        form->SSCommandRecibir_Click();
        const auto s = shown();
        QCOMPARE(s.size(), 3);
        QCOMPARE(s[2].second, ui::Icon::Question);
        QCOMPARE(form->texto("MaskNumeroSerie"), accept ? QString("100123") : QString("0"));
        if (accept)
            QVERIFY(!form->texto(field).contains("Sala Apolo"));
        else
            QCOMPARE(form->texto(field), stored + "Sala Apolo");
        if (field == "MaskLocal" && accept)
            QCOMPARE(form->texto(field), QString("Discoteca Nova"));
        checkRestored();
    }

    // A device whose Leq time, rings, attenuation and first octave are wider than their fields: the comparison
    // and the sheet show them whole; each field's check then corrects it with the field shown, one at a time,
    // before the sheet is stored or sent, and no cut value is ever stored.
    void wideDeviceValuesAreShownWholeAndCheckedBeforeTheyLeave()
    {
        storeSheet("100123", "4.1", "15");
        QByteArray block = fixtures::bloque100123();
        block[37] = char(0x75); // attenuation 30000 s
        block[38] = char(0x30);
        block[39] = char(120);   // Leq time 120 min
        block[43] = char(14);    // 14 rings
        block[346] = char(0x80); // octave 31.5 Hz: -32768 tenths
        block[347] = char(0x00);
        fx->device("100123", 4, 1, block);
        QVERIFY(open(100123));
        fx->answers.then(int(ui::vbOK)).then(int(ui::vbOK)).then(int(ui::vbOK));
        form->SSCommandRecibir_Click();
        const auto s = shown();
        QCOMPARE(s.size(), 3);
        for (const char *line : {"15 <-> 120", "2 <-> 14", "120 <-> 30000", "1.5 <-> -3276.8"})
            QVERIFY2(s[2].first.contains(QLatin1String(line)), line);
        QCOMPARE(form->texto("MaskTLeq"), QString("120"));
        QCOMPARE(form->texto("MaskRings"), QString("14"));
        QCOMPARE(form->texto("MaskTiempoAtenuacion"), QString("30000"));
        QCOMPARE(form->texto("MaskOctava1"), QString("-3276.8"));
        QCOMPARE(form->fitxa().MaskTLeq, QString("120"));
        checkRestored();

        // Transmit: the first field out of its range is corrected in view, and nothing is sent or stored.
        const qsizetype frames = fx->link.emulator.frames().size();
        form->SSCommandTransmitir_Click();
        QCOMPARE(fx->link.emulator.frames().size(), frames);
        QCOMPARE(form->texto("MaskTLeq"), QString("60"));
        QTRY_COMPARE(QApplication::focusWidget(), form->campo("MaskTLeq"));
        QVERIFY(form->findChild<QTabWidget *>("SSTab2")->currentWidget()->isAncestorOf(form->campo("MaskTLeq")));

        // Grabar: the next ones, one at a time, each in view; the row keeps what it held until all pass.
        const QStringList order = {"MaskTiempoAtenuacion", "MaskRings"};
        const QStringList corrected = {"0", "1"};
        for (int i = 0; i < order.size(); ++i) {
            fx->answers.then(int(ui::vbOK));
            form->SSCommandGrabar_Click();
            QCOMPARE(form->texto(order[i]), corrected[i]);
            QTRY_COMPARE(QApplication::focusWidget(), form->campo(order[i]));
            FitxaProgramacio row;
            QVERIFY(CarregaProgramacio(modulo1().ConexionBD, row, 100123));
            QCOMPARE(row.MaskTLeq, QString("15"));
            QCOMPARE(row.MaskRings, QString("2"));
            QCOMPARE(row.MaskTiempoAtenuacion, QString("120"));
        }
        fx->answers.then(int(ui::vbOK));
        form->SSCommandGrabar_Click();
        FitxaProgramacio row;
        QVERIFY(CarregaProgramacio(modulo1().ConexionBD, row, 100123));
        QCOMPARE(row.MaskTLeq, QString("60"));
        QCOMPARE(row.MaskRings, QString("1"));
        QCOMPARE(row.MaskTiempoAtenuacion, QString("0"));
        QCOMPARE(row.MaskOctava[0], QString("-3276.8"));
        QVERIFY(!modulo1().FitxaModificada);
    }

    void aPortThatCannotBeOpened()
    {
        QVERIFY(GrabaIni("Ports", "COM1", "/dev/slx90-no-such-port", DataFolder::file("slx90.ini")));
        QVERIFY(open());
        form->SSCommandRecibir_Click();
        const auto s = shown();
        QCOMPARE(s.size(), 2);
        QVERIFY(s[1].first.contains("/dev/slx90-no-such-port"));
        QCOMPARE(s[1].second, ui::Icon::Critical);
        checkRestored();
    }

    void modemCallKeptThenHungUp()
    {
        slxemu::ModemConfig modem;
        modem.enabled = true;
        modem.connectDelayMs = 50;
        modem.guardMs = 10;
        fx->link.emulator.setModem(modem);
        modulo1().TipoConexion = 1;
        storeSheet("100123", "4.1", "15");
        fx->device("100123", 4, 1, fixtures::bloque100123());
        QVERIFY(open(100123));

        // First exchange: the prompt and the dial, then No to hanging up.
        fx->answers.then(int(ui::vbOK)).then(int(ui::vbOK)).then(int(ui::vbNo));
        form->SSCommandTransmitir_Click();
        QCOMPARE(shown(),
                 (QList{msg(33, ui::Icon::Information), msg(61, ui::Icon::Information), msg(112, ui::Icon::Question)}));
        QVERIFY(modulo1().ModemConectado);
        QVERIFY(MSComm1().PortOpen());
        QCOMPARE(fx->link.emulator.modemLines().size(), 1);
        checkRestored();

        // Second: no prompt, no dial; Yes hangs up.
        fx->answers.then(int(ui::vbOK)).then(int(ui::vbYes));
        ui::clearRequests();
        form->SSCommandRecibir_Click();
        QCOMPARE(shown(), (QList{msg(61, ui::Icon::Information), msg(112, ui::Icon::Question)}));
        QCOMPARE(fx->link.emulator.modemLines().size(), 1);
        QVERIFY(!modulo1().ModemConectado);
        QVERIFY(!MSComm1().PortOpen());
        checkRestored();
    }

    void modemWithoutATelephoneNumber()
    {
        modulo1().TipoConexion = 1;
        QVERIFY(open());
        form->setTexto("MaskTelefono", "");
        form->SSCommandRecibir_Click();
        QCOMPARE(shown(), (QList{msg(34, ui::Icon::Critical)}));
        QVERIFY(fx->link.emulator.received().isEmpty());
        checkRestored();
    }
};

QTEST_MAIN(TestExchange)
#include "tst_exchange.moc"
