// The device session and its window's guard against the emulator over a
// pseudo-terminal, with a small real window whose state must come back as it was
// after every way out.

#include "LinkFixture.h"
#include "OrdinaryUser.h"
#include "base/IniFile.h"
#include "link/DeviceSession.h"
#include "localization/LocGuru.h"
#include "widgets/SessionGuard.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPushButton>
#include <stdexcept>

#include <sys/stat.h>
#include <unistd.h>

using namespace slx;
using slxtest::LinkFixture;

namespace {

QString T(int n)
{
    return oLocGuru().GetS(n);
}

// The window a session is handed: one button on, one off, a cursor of its own.
struct Window {
    Window()
    {
        on = new QPushButton(QStringLiteral("on"), &w);
        off = new QPushButton(QStringLiteral("off"), &w);
        off->setEnabled(false);
        w.setCursor(Qt::CrossCursor);
        w.show();
    }
    QList<QWidget *> buttons() const { return {on, off}; }
    // As the window had it before the session.
    bool asBefore() const
    {
        return on->isEnabled() && !off->isEnabled() && w.testAttribute(Qt::WA_SetCursor) &&
               w.cursor().shape() == Qt::CrossCursor;
    }
    bool locked() const { return !on->isEnabled() && !off->isEnabled() && w.cursor().shape() == Qt::WaitCursor; }
    QDialog w;
    QPushButton *on;
    QPushButton *off;
};

slxemu::ModemConfig modem(const QByteArray &result)
{
    slxemu::ModemConfig c;
    c.enabled = true;
    c.result = result;
    c.connectDelayMs = 150;
    c.echo = false;
    c.guardMs = LinkFixture::kSecondMs / 2;
    return c;
}

// A session and its window's guard, as a window's handler makes them.
struct Exchange {
    Exchange(Window &win, const SessionOptions &options, const GuardOptions &look = {})
        : session(options)
        , guard(&win.w, win.buttons(), session, look)
    {
    }
    DeviceSession::Outcome start() { return guard.start(); }
    DeviceSession session;
    SessionGuard<DeviceSession> guard;
};

QByteArray identificationRequest()
{
    return QByteArray::fromHex("020006010306");
}

} // namespace

class TestDeviceSession : public QObject {
    Q_OBJECT

private:
    // Options of the tests' sessions: the fixture's short watchdog.
    static SessionOptions options(LinkFixture &f, const QString &telefono = QStringLiteral("933000000"))
    {
        SessionOptions o;
        o.enlace = ajustesEnlace(modulo1());
        o.watchdog = &f.watchdog;
        o.telefono = telefono;
        return o;
    }

private slots:
    void init() { resetModulo1(); }
    void cable_data();
    void cable();
    void modemHangUp_data();
    void modemHangUp();
    void keptCallSkipsPromptAndDial();
    void keptCallWithItsPortLostIsDialledAgain();
    void failedDial();
    void emptyTelephone_data();
    void emptyTelephone();
    void portCannotOpen();
    void portWithoutPermission();
    void thrownErrorInTheMiddle();
    void secondExchangeRefused();
    void windowRefusesToClose();
    void cancelEndsTheWaits();
    void pacedWriteAndAnswerByte();
    void receiveReturnsTheFrame();
    void openedWithoutAskingOnTheModem();
};

void TestDeviceSession::cable_data()
{
    QTest::addColumn<int>("prompt");       // answer to text 15
    QTest::addColumn<int>("fault");        // slxemu::Fault
    QTest::addColumn<int>("type");         // device type the emulator reports
    QTest::addColumn<int>("outcome");      // DeviceSession::Outcome
    QTest::addColumn<QList<int>>("texts"); // catalogue texts shown, in order
    QTest::addColumn<bool>("sends");       // the CAN and the request went out

    const int ok = ui::vbOK;
    const int none = int(slxemu::Fault::None);
    using O = DeviceSession::Outcome;
    QTest::newRow("identified") << ok << none << 42 << int(O::Ready) << QList<int>{15} << true;
    QTest::newRow("type 4 is an SLX-90 too") << ok << none << 4 << int(O::Ready) << QList<int>{15} << true;
    QTest::newRow("wrong type") << ok << none << 3 << int(O::WrongType) << QList<int>{15, 30} << true;
    QTest::newRow("time-out") << ok << int(slxemu::Fault::Silence) << 42 << int(O::NotIdentified) << QList<int>{15, 31}
                              << true;
    QTest::newRow("bad check") << ok << int(slxemu::Fault::WrongCheck) << 42 << int(O::NotIdentified)
                               << QList<int>{15, 62} << true;
    QTest::newRow("cancel at the prompt")
        << int(ui::vbCancel) << none << 42 << int(O::Cancelled) << QList<int>{15} << false;
}

void TestDeviceSession::cable()
{
    QFETCH(int, prompt);
    QFETCH(int, fault);
    QFETCH(int, type);
    QFETCH(int, outcome);
    QFETCH(QList<int>, texts);
    QFETCH(bool, sends);

    slxtest::Answers answers;
    answers.then(prompt);
    LinkFixture f;
    QVERIFY(f.ok);
    slxemu::Identity id;
    id.type = quint8(type);
    f.emulator.setIdentity(id);
    if (fault != int(slxemu::Fault::None))
        f.fault(slxemu::Fault(fault));
    Window win;
    QList<bool> busy;
    GuardOptions cb;
    cb.busy = [&](bool on) {
        busy << on;
        if (on)
            QVERIFY(win.locked()); // the window is locked before it shows busy
    };
    {
        Exchange s(win, options(f), cb);
        QCOMPARE(int(s.start()), outcome);
        if (outcome == int(DeviceSession::Outcome::Ready)) {
            QVERIFY(MSComm1().PortOpen());
            QVERIFY(win.locked());
            QCOMPARE(modulo1().TipoAparato, quint8(type));
            QCOMPARE(modulo1().NumeroSerieAparato, 123);
            QCOMPARE(modulo1().VersionAparato, QStringLiteral("4.10"));
            QCOMPARE(modulo1().ModoAparato, quint8(1));
        }
    }
    QVERIFY(win.asBefore());
    QVERIFY(!MSComm1().PortOpen());
    QCOMPARE(busy, (sends ? QList<bool>{true, false} : QList<bool>{}));
    QStringList shown;
    for (int n : texts)
        shown << T(n);
    QCOMPARE(answers.texts(), shown);
    QCOMPARE(answers.shown().first().icon, ui::Icon::Information);
    QCOMPARE(answers.shown().first().buttons, ui::OkCancel);
    if (texts.size() > 1)
        QCOMPARE(answers.shown().last().icon, ui::Icon::Critical);
    if (sends)
        QCOMPARE(f.receivedAtLeast(7), QByteArray(1, char(CAN)) + identificationRequest());
    else
        QVERIFY(f.emulator.received().isEmpty());
}

void TestDeviceSession::modemHangUp_data()
{
    QTest::addColumn<int>("answer"); // to text 112
    QTest::newRow("yes hangs up") << int(ui::vbYes);
    QTest::newRow("no keeps the call") << int(ui::vbNo);
}

void TestDeviceSession::modemHangUp()
{
    QFETCH(int, answer);
    slxtest::Answers answers;
    answers.then(ui::vbOK).then(answer);
    LinkFixture f;
    QVERIFY(f.ok);
    f.emulator.setModem(modem("1"));
    auto &m = modulo1();
    m.TipoConexion = 1;
    m.VelocidadModem = 19200;
    m.TonoPulso = 1;
    m.PrefijoMarcacion = QStringLiteral("0");
    Window win;
    {
        Exchange s(win, options(f));
        QCOMPARE(s.start(), DeviceSession::Outcome::Ready);
        QVERIFY(s.session.dialled());
        QVERIFY(m.ModemConectado);
        QCOMPARE(MSComm1().Settings(), QStringLiteral("19200,n,8,1"));
    }
    QVERIFY(win.asBefore());
    QCOMPARE(answers.texts(), (QStringList{T(33), T(112)}));
    QCOMPARE(answers.shown().last().icon, ui::Icon::Question);
    QCOMPARE(answers.shown().last().buttons, ui::YesNo);
    QCOMPARE(f.emulator.modemLines(), QList<QByteArray>{"ATE0V0X0DT0,933000000\r"});
    const bool kept = answer == ui::vbNo;
    QCOMPARE(m.ModemConectado, kept);
    QCOMPARE(MSComm1().PortOpen(), kept);
}

void TestDeviceSession::keptCallSkipsPromptAndDial()
{
    slxtest::Answers answers;
    answers.then(ui::vbOK).then(ui::vbNo).then(ui::vbYes);
    LinkFixture f;
    QVERIFY(f.ok);
    f.emulator.setModem(modem("1"));
    auto &m = modulo1();
    m.TipoConexion = 1;
    m.VelocidadModem = 19200;
    Window win;
    {
        Exchange s(win, options(f));
        QCOMPARE(s.start(), DeviceSession::Outcome::Ready);
    }
    QVERIFY(m.ModemConectado);
    f.emulator.clear();
    {
        // No telephone needed either: the call is up.
        Exchange s(win, options(f, QString()));
        QCOMPARE(s.start(), DeviceSession::Outcome::Ready);
        QVERIFY(!s.session.dialled());
    }
    QVERIFY(win.asBefore());
    QCOMPARE(answers.texts(), (QStringList{T(33), T(112), T(112)}));
    QVERIFY(f.emulator.modemLines().isEmpty());
    QCOMPARE(f.receivedAtLeast(7), QByteArray(1, char(CAN)) + identificationRequest());
    QVERIFY(!m.ModemConectado);
    QVERIFY(!MSComm1().PortOpen());
}

void TestDeviceSession::keptCallWithItsPortLostIsDialledAgain()
{
    slxtest::Answers answers;
    answers.then(ui::vbOK).then(ui::vbNo).then(ui::vbOK).then(ui::vbYes);
    LinkFixture f;
    QVERIFY(f.ok);
    f.emulator.setModem(modem("1"));
    auto &m = modulo1();
    m.TipoConexion = 1;
    m.VelocidadModem = 19200;
    Window win;
    {
        Exchange s(win, options(f));
        QCOMPARE(s.start(), DeviceSession::Outcome::Ready);
    }
    QVERIFY(m.ModemConectado);
    // Between the two exchanges the port goes (an adapter pulled out): no call is left.
    MSComm1().setPortOpen(false);
    {
        Exchange s(win, options(f));
        QCOMPARE(s.start(), DeviceSession::Outcome::Ready);
        QVERIFY(s.session.dialled());
    }
    QVERIFY(win.asBefore());
    QCOMPARE(answers.texts(), (QStringList{T(33), T(112), T(33), T(112)}));
    QCOMPARE(f.emulator.modemLines().size(), 2);
    QVERIFY(!m.ModemConectado);
    QVERIFY(!MSComm1().PortOpen());
}

void TestDeviceSession::failedDial()
{
    slxtest::Answers answers;
    answers.then(ui::vbOK);
    LinkFixture f;
    QVERIFY(f.ok);
    f.emulator.setModem(modem("3"));
    modulo1().TipoConexion = 1;
    modulo1().VelocidadModem = 19200;
    Window win;
    {
        Exchange s(win, options(f));
        QCOMPARE(s.start(), DeviceSession::Outcome::DialFailed);
        QCOMPARE(s.session.dial().outcome, DialResult::Failed);
        QCOMPARE(s.session.dial().code.left(1), QByteArray("3"));
    }
    QVERIFY(win.asBefore());
    QCOMPARE(answers.texts(), (QStringList{T(33), T(35)}));
    QVERIFY(!modulo1().ModemConectado);
    QVERIFY(!MSComm1().PortOpen());
}

void TestDeviceSession::emptyTelephone_data()
{
    QTest::addColumn<QString>("telefono");
    QTest::newRow("empty") << QString();
    QTest::newRow("a new sheet's blank") << QStringLiteral(" ");
}

void TestDeviceSession::emptyTelephone()
{
    QFETCH(QString, telefono);
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    f.emulator.setModem(modem("1"));
    modulo1().TipoConexion = 1;
    modulo1().VelocidadModem = 19200;
    Window win;
    bool busy = false;
    GuardOptions cb;
    cb.busy = [&](bool) { busy = true; };
    {
        Exchange s(win, options(f, telefono), cb);
        QCOMPARE(s.start(), DeviceSession::Outcome::NoTelephone);
    }
    QVERIFY(win.asBefore());
    QVERIFY(!busy);
    QCOMPARE(answers.texts(), QStringList{T(34)});
    QCOMPARE(answers.shown().first().icon, ui::Icon::Critical);
    QVERIFY(!MSComm1().PortOpen());
    QVERIFY(f.emulator.received().isEmpty());
}

void TestDeviceSession::portCannotOpen()
{
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    const QString missing = f.home.file(QStringLiteral("no-such-tty"));
    QVERIFY(GrabaIni(QStringLiteral("Ports"), QStringLiteral("COM1"), missing,
                     DataFolder::file(QStringLiteral("slx90.ini"))));
    Window win;
    {
        Exchange s(win, options(f));
        QCOMPARE(s.start(), DeviceSession::Outcome::PortFailed);
    }
    QVERIFY(win.asBefore());
    QCOMPARE(answers.texts().size(), 2);
    const QString message = answers.texts().last();
    QVERIFY2(message.contains(missing), qPrintable(message));
    QVERIFY2(!message.contains(QLatin1String("dialout")), qPrintable(message));
    QCOMPARE(answers.shown().last().icon, ui::Icon::Critical);
    QVERIFY(!MSComm1().PortOpen());
}

void TestDeviceSession::portWithoutPermission()
{
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    const QString tty = f.emulator.slavePath();
    // The port's mode takes the permission away; the super-user meets it as an ordinary
    // user would while the port is opened.
    QVERIFY(::chmod(QFile::encodeName(tty).constData(), 0) == 0);
    Window win;
    {
        Exchange s(win, options(f));
        auto outcome = DeviceSession::Outcome::Ready;
        {
            slxtest::OrdinaryUser usuario;
            QVERIFY(usuario.holds());
            outcome = s.start();
        }
        QCOMPARE(outcome, DeviceSession::Outcome::PortFailed);
    }
    QVERIFY(win.asBefore());
    const QString message = answers.texts().last();
    QVERIFY2(message.contains(tty), qPrintable(message));
    QVERIFY2(message.contains(QLatin1String("dialout")), qPrintable(message));
    QVERIFY(!MSComm1().PortOpen());
}

void TestDeviceSession::thrownErrorInTheMiddle()
{
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    Window win;
    bool caught = false;
    try {
        Exchange s(win, options(f));
        QCOMPARE(s.start(), DeviceSession::Outcome::Ready);
        QVERIFY(win.locked());
        throw std::runtime_error("a field that is not a number");
    } catch (const std::runtime_error &) {
        caught = true;
        // Restored before the handler shows the error.
        QVERIFY(win.asBefore());
        QVERIFY(!MSComm1().PortOpen());
        QVERIFY(!DeviceSession::running());
    }
    QVERIFY(caught);
}

void TestDeviceSession::secondExchangeRefused()
{
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    Window win;
    Window other;
    Exchange s(win, options(f));
    QCOMPARE(s.start(), DeviceSession::Outcome::Ready);
    QVERIFY(DeviceSession::running());
    QVERIFY(WindowGuard::blocksClose(&win.w));
    const qsizetype shown = answers.shown().size();
    {
        Exchange second(other, options(f));
        QCOMPARE(second.start(), DeviceSession::Outcome::Refused);
    }
    // Nothing asked, the other window untouched, the first exchange's port still open.
    QCOMPARE(answers.shown().size(), shown);
    QVERIFY(other.asBefore());
    QVERIFY(MSComm1().PortOpen());
    QVERIFY(WindowGuard::blocksClose(&win.w));
    QVERIFY(!WindowGuard::blocksClose(&other.w));
    s.guard.finish();
    QVERIFY(win.asBefore());
    QVERIFY(!MSComm1().PortOpen());
}

void TestDeviceSession::windowRefusesToClose()
{
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    Window win;
    protegeCierre(&win.w);
    {
        Exchange s(win, options(f));
        QCOMPARE(s.start(), DeviceSession::Outcome::Ready);
        QVERIFY(WindowGuard::blocksClose(&win.w));
        QVERIFY(!win.w.close());
        QTest::keyClick(&win.w, Qt::Key_Escape);
        QVERIFY(win.w.isVisible());
        QVERIFY(!WindowGuard::blocksClose(nullptr));
    }
    QVERIFY(!WindowGuard::blocksClose(&win.w));
    QTest::keyClick(&win.w, Qt::Key_Escape);
    QVERIFY(!win.w.isVisible());
}

void TestDeviceSession::cancelEndsTheWaits()
{
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    Window win;
    Exchange s(win, options(f));
    QCOMPARE(s.start(), DeviceSession::Outcome::Ready);
    f.watchdog.setInterval(20000);
    QTimer::singleShot(100, [&] { s.session.cancel(); });
    QElapsedTimer t;
    t.start();
    QCOMPARE(s.session.receive().result, FrameResult::Cancelled);
    QVERIFY(t.elapsed() < 5000);
    QVERIFY(!s.guard.receiveOrReport().received()); // still cancelled: silent
    QCOMPARE(answers.texts(), QStringList{T(15)});
    QCOMPARE(s.session.waitByte(10000).outcome, ByteResult::Cancelled);
    QVERIFY(!s.session.sendPaced(trama(0x04), 10));
    s.guard.finish();
    QVERIFY(!s.session.cancelled());
}

void TestDeviceSession::pacedWriteAndAnswerByte()
{
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    Window win;
    Exchange s(win, options(f));
    QCOMPARE(s.start(), DeviceSession::Outcome::Ready);
    f.emulator.clear();

    // An unframed byte, then none.
    f.emulator.sendRaw({QByteArray(1, char(ACK))});
    const ByteResult got = s.session.waitByte(2000);
    QCOMPARE(got.outcome, ByteResult::Byte);
    QCOMPARE(got.byte, ACK);
    QElapsedTimer t;
    t.start();
    QCOMPARE(s.session.waitByte(150).outcome, ByteResult::TimedOut);
    QVERIFY(t.elapsed() >= 140);

    // Twenty bytes up to the ETX at 10 ms each: the schedule holds, the check byte
    // follows at once.
    QByteArray data(15, '\x00');
    for (int i = 0; i < data.size(); ++i)
        data[i] = char(0x10 + i);
    const QByteArray frame = trama(0x08, data);
    QCOMPARE(frame.size(), 21);
    t.restart();
    QVERIFY(s.session.sendPaced(frame, 10));
    const qint64 took = t.elapsed();
    QVERIFY2(took >= 195 && took < 1000, qPrintable(QString::number(took)));
    QCOMPARE(f.receivedAtLeast(21), frame);
}

void TestDeviceSession::receiveReturnsTheFrame()
{
    // The frame comes back whole (STX to check byte) from the session's own buffer,
    // leaving the shared one alone; a failed receive returns no bytes, and the session
    // shows nothing: the guard reports it. The device type is judged from the
    // identification the session holds, whatever the shared state says since.
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    Window win;
    Exchange s(win, options(f));
    QCOMPARE(s.start(), DeviceSession::Outcome::Ready);
    QVERIFY(s.session.typeAccepted());
    modulo1().TipoAparato = 7;
    QVERIFY(s.session.typeAccepted());
    modulo1().BufferTrama.fill(0xEE);
    const QByteArray frame = trama(0x09, QByteArray::fromHex("0a0b0c"));
    f.emulator.sendRaw({QByteArray::fromHex("5555") + frame});
    const ReceivedFrame got = s.session.receive();
    QVERIFY(got.received());
    QCOMPARE(got.bytes, frame);
    QCOMPARE(int(got.span().size()), int(frame.size()));
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(modulo1().BufferTrama.data()), frame.size()),
             QByteArray(frame.size(), char(0xEE)));

    const QByteArray spoilt = trama(0x09).chopped(1) + char(0x7F); // a wrong check byte
    f.emulator.sendRaw({spoilt});
    const ReceivedFrame bad = s.session.receive();
    QCOMPARE(bad.result, FrameResult::BadCheck);
    QVERIFY(bad.bytes.isEmpty());
    QCOMPARE(answers.texts(), QStringList{T(15)});

    f.emulator.sendRaw({spoilt});
    QCOMPARE(s.guard.receiveOrReport().result, FrameResult::BadCheck);
    QCOMPARE(answers.texts(), (QStringList{T(15), T(62)}));
    QCOMPARE(answers.shown().last().icon, ui::Icon::Critical);
    QCOMPARE(answers.shown().last().buttons, ui::OkOnly);
}

void TestDeviceSession::openedWithoutAskingOnTheModem()
{
    // A session opened with no window to ask (the log download's tests, the
    // benchmarks) dials at the modem's speed all the same. It runs with the settings
    // it was given, whatever the shared state says since, and gives the call back.
    slxtest::Answers answers;
    LinkFixture f;
    QVERIFY(f.ok);
    f.emulator.setModem(modem("1"));
    auto &m = modulo1();
    m.TipoConexion = 1;
    m.VelocidadModem = 9600;
    {
        DeviceSession s(options(f));
        m.TipoConexion = 0;
        m.VelocidadModem = 1200;
        m.PuertoSerie = 9;
        QCOMPARE(s.open(), DeviceSession::Outcome::Ready);
        QVERIFY(s.dialled());
        QCOMPARE(MSComm1().Settings(), QStringLiteral("9600,n,8,1"));
        QVERIFY(s.modemConectado());
        // With no one to ask, the end keeps the call.
        QVERIFY(s.finish());
        QVERIFY(s.modemConectado());
    }
    QVERIFY(!m.ModemConectado); // the shared state is the window's to keep
    QVERIFY(MSComm1().PortOpen());
    QVERIFY(answers.texts().isEmpty());
}

QTEST_MAIN(TestDeviceSession)
#include "tst_devicesession.moc"
