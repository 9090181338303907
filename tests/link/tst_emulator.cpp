// The emulator's own framing, pinned on the literal byte strings of the protocol,
// and the emulator answering over its pseudo-terminal to a plain file descriptor.

#include "DeviceFrame.h"
#include "Emulator.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

class TestEmulator : public QObject {
    Q_OBJECT

private slots:
    void encode_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("identification request") << 0x01 << QByteArray() << QByteArray::fromHex("020006010306");
        QTest::newRow("totals request") << 0x02 << QByteArray() << QByteArray::fromHex("020006020305");
        QTest::newRow("event dates request") << 0x03 << QByteArray() << QByteArray::fromHex("020006030304");
        QTest::newRow("programming request") << 0x04 << QByteArray() << QByteArray::fromHex("020006040303");
        QTest::newRow("real-time request") << 0x09 << QByteArray() << QByteArray::fromHex("02000609030e");
        QTest::newRow("identification answer") << 0x01
                                               << QByteArray("\x2A\x04\x0A"
                                                             "000123\x01",
                                                             10)
                                               << QByteArray::fromHex("020010012a040a303030313233010335");
    }

    void encode()
    {
        QFETCH(int, command);
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, frame);
        QCOMPARE(slxemu::encodeFrame(quint8(command), data), frame);
        slxemu::RequestParser p;
        slxemu::RequestParser::Event e = slxemu::RequestParser::Event::None;
        for (char c : frame)
            e = p.feed(quint8(c));
        QCOMPARE(e, slxemu::RequestParser::Event::Frame);
        QCOMPARE(p.frame(), frame);
    }

    void controlBytesAndBadFrames()
    {
        slxemu::RequestParser p;
        QCOMPARE(p.feed(0x18), slxemu::RequestParser::Event::Control);
        QCOMPARE(int(p.control()), 0x18);
        slxemu::RequestParser::Event e = slxemu::RequestParser::Event::None;
        for (char c : QByteArray::fromHex("020006010307"))
            e = p.feed(quint8(c));
        QCOMPARE(e, slxemu::RequestParser::Event::BadFrame);
        p.feed(0x02);
        p.feed(0xFF);
        QCOMPARE(p.feed(0xFF), slxemu::RequestParser::Event::BadFrame);
        QVERIFY(!p.inFrame());
    }

    void answersOverThePty()
    {
        QTemporaryDir dir;
        slxemu::Emulator emu;
        QString error;
        QVERIFY2(emu.start(&error), qPrintable(error));
        const QString link = dir.filePath(QStringLiteral("ttySLX%1").arg(QCoreApplication::applicationPid()));
        QVERIFY(emu.makeLink(link, &error));
        QCOMPARE(QFileInfo(link).symLinkTarget(), emu.slavePath());
        QVERIFY(emu.makeLink(link, &error)); // an old link is replaced

        const int fd = ::open(QFile::encodeName(link).constData(), O_RDWR | O_NOCTTY);
        QVERIFY(fd >= 0);
        termios t{};
        ::tcgetattr(fd, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(fd, TCSANOW, &t);
        const QByteArray request = QByteArray::fromHex("18020006010306");
        QCOMPARE(::write(fd, request.constData(), size_t(request.size())), ssize_t(request.size()));
        QByteArray answer;
        while (answer.size() < 16) {
            pollfd p{fd, POLLIN, 0};
            QVERIFY(::poll(&p, 1, 2000) > 0);
            char buf[64];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            QVERIFY(n > 0);
            answer.append(buf, int(n));
        }
        ::close(fd);
        QCOMPARE(answer, QByteArray::fromHex("020010012a040a303030313233010335"));
        QTRY_COMPARE(emu.received(), request);
        QTRY_COMPARE(emu.sent(), answer);

        // Every byte both ways is in the log with its time.
        int fromPc = 0, toPc = 0;
        for (const auto &e : emu.log()) {
            fromPc += e.kind == slxemu::LogEntry::FromPc;
            toPc += e.kind == slxemu::LogEntry::ToPc;
            QVERIFY(!e.clock.isEmpty());
        }
        QCOMPARE(fromPc, 7);
        QCOMPARE(toPc, 16);
        emu.stop();
        QVERIFY(!emu.running());
    }
};

QTEST_GUILESS_MAIN(TestEmulator)
#include "tst_emulator.moc"
