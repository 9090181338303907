#pragma once
// The main window loaded on a fresh data folder, as a person finds it after the
// start-up: the test classes of the main window derive from it, call abre() in their
// init() and cierra() in their cleanup().

#include "Helpers.h"
#include "TestSupport.h"
#include "base/FormRegistry.h"
#include "base/Modulo1.h"
#include "main/Form1.h"
#include "main/RegistroVentanas.h"

#include <QCoreApplication>
#include <QObject>
#include <QTest>
#include <memory>

namespace slxtest {

class MainWindowFixture : public QObject {
protected:
    std::unique_ptr<DataHome> home;
    std::unique_ptr<slx::Form1> form;

    // A seeded data folder with that settings file, no command line, the main window
    // loaded (its boxes answered) on its database. A failure fails the current test.
    void abre(const QByteArray &ini)
    {
        home = std::make_unique<DataHome>();
        QVERIFY(home->seed());
        escribeIni(home->file("slx90.ini"), ini);
        slx::Form1::fijaLineaComandos(QString());
        form = std::make_unique<slx::Form1>();
        slx::FormRegistry::setInstance("Form1", form.get());
        {
            Answers quiet;
            form->Form_Load();
        }
        QVERIFY(slx::modulo1().ConexionBD.isOpen());
    }

    // Unloads the main window, lets its windows go and removes the data folder.
    void cierra()
    {
        if (form)
            form->Form_Unload();
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        home.reset();
    }
};

} // namespace slxtest
