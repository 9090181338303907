#pragma once
// The programming sheet window and the real-time monitor against the device
// emulator on a pseudo-terminal: a private data folder with its database, COM1
// pointed at the emulator, short link timings, and the message boxes answered.

#include "LinkFixture.h"
#include "ProgrammingFixtures.h"
#include "TestSupport.h"
#include "base/DataFolder.h"
#include "base/FormRegistry.h"
#include "base/Modulo1.h"
#include "link/SerialControl.h"
#include "link/LinkTimings.h"
#include "programming/Form2.h"

#include <QPushButton>
#include <QTest>

namespace slxtest {

struct ExchangeFixture {
    ExchangeFixture()
    {
        if (!link.ok || !link.home.openDatabase())
            return;
        // The settings file may have been seeded over the fixture's: point COM1 at the emulator again.
        ok = slx::GrabaIni(QStringLiteral("Ports"), QStringLiteral("COM1"), link.emulator.slavePath(),
                           slx::DataFolder::file(QStringLiteral("slx90.ini")));
        auto &t = slx::linkTimings();
        t.vigilanteMs = 400;
        t.pausaEscrituraMs = 1;
        t.respuestaEscrituraMs = 500;
        auto &m = slx::modulo1();
        m.PuertoSerie = 1;
        m.TipoConexion = 0;
        m.VelocidadModem = 9600;
    }
    ~ExchangeFixture()
    {
        slx::MSComm1().setPortOpen(false);
        slx::modulo1().ModemConectado = false;
    }

    // The device: identity and programming block.
    void device(const QByteArray &serial, quint8 major, quint8 minor, const QByteArray &block = {}, quint8 type = 42,
                quint8 mode = 1)
    {
        slxemu::Scenario s = link.emulator.scenario();
        s.identity.serial = serial;
        s.identity.major = major;
        s.identity.minor = minor;
        s.identity.type = type;
        s.identity.mode = mode;
        if (!block.isEmpty()) {
            s.programming = block;
            s.programming.resize(slxemu::kProgrammingBlockSize, '\0');
        }
        link.emulator.setScenario(s);
    }

    // The request frames the device got, by command byte.
    QList<QByteArray> requests(quint8 command) const
    {
        QList<QByteArray> out;
        for (const QByteArray &f : link.emulator.frames())
            if (f.size() > 3 && quint8(f.at(3)) == command)
                out << f;
        return out;
    }

    LinkFixture link;
    Answers answers;
    bool ok = false;
};

} // namespace slxtest
