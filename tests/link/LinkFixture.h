#pragma once
// A device on a pseudo-terminal for the link tests: a private data folder whose
// settings file points COM1 at the emulator, short timings, and the emulator.

#include "Emulator.h"
#include "TestSupport.h"
#include "base/DataFolder.h"
#include "base/Modulo1.h"
#include "link/Link.h"
#include "link/LinkTimings.h"

#include <QTest>
#include <QTimer>
#include <memory>

namespace slxtest {

class LinkFixture {
public:
    // One second of Espera and the watchdog, in the tests' time.
    static constexpr int kSecondMs = 20;
    static constexpr int kWatchdogMs = 250;

    LinkFixture()
    {
        slx::resetLinkTimings();
        slx::linkTimings().segundoEsperaMs = kSecondMs;
        slx::linkTimings().respuestaModemMs = 1500;
        QString error;
        ok = emulator.start(&error);
        if (!ok) {
            qWarning("%s", qPrintable(error));
            return;
        }
        ok = slx::GrabaIni(QStringLiteral("Ports"), QStringLiteral("COM1"), emulator.slavePath(),
                           slx::DataFolder::file(QStringLiteral("slx90.ini")));
        slx::modulo1().PuertoSerie = 1;
        watchdog.setSingleShot(true);
        watchdog.setInterval(kWatchdogMs);
    }

    ~LinkFixture()
    {
        slx::MSComm1().setPortOpen(false);
        slx::MSComm1().setInputLen(1);
        emulator.stop();
        slx::resetLinkTimings();
    }

    // The cable set-up: the settings' port at "19200,n,8,1", opened.
    bool open()
    {
        slx::SerialControl &port = slx::MSComm1();
        return port.setCommPort(slx::modulo1().PuertoSerie) && port.setSettings(QStringLiteral("19200,n,8,1")) &&
               (port.PortOpen() || port.setPortOpen(true));
    }

    // The emulator spoils its next answer so.
    void fault(slxemu::Fault kind, int at = 6, int pauseMs = 6000)
    {
        slxemu::FaultPlan plan;
        plan.kind = kind;
        plan.at = at;
        plan.pauseMs = pauseMs;
        emulator.setFault(plan);
    }

    // The emulator spoils only the frame-th answer to that command (a record in the
    // middle of a transfer) so.
    void faultAt(slxemu::Fault kind, quint8 command, int frame, int at = 20)
    {
        slxemu::FaultPlan plan;
        plan.kind = kind;
        plan.command = command;
        plan.frame = frame;
        plan.at = at;
        emulator.setFault(plan);
    }

    // Opens the cable port and sends the identification request.
    bool askIdentification()
    {
        if (!open())
            return false;
        slx::DemanaIdentificacio(slx::MSComm1());
        return true;
    }

    // Every byte the emulator got so far, once it has got at least n of them.
    QByteArray receivedAtLeast(int n, int ms = 2000)
    {
        static_cast<void>(QTest::qWaitFor([&] { return emulator.received().size() >= n; }, ms));
        return emulator.received();
    }

    DataHome home;
    slxemu::Emulator emulator;
    QTimer watchdog;
    bool ok = false;
};

} // namespace slxtest
