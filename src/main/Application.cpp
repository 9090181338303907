#include "main/Application.h"

#include "base/DataFolder.h"
#include "base/Database.h"
#include "base/FormRegistry.h"
#include "base/MessageBox.h"
#include "base/Ventanas.h"
#include "main/Form1.h"
#include "main/RegistroVentanas.h"

#include <QApplication>

namespace slx {

int runApplication(QApplication &app)
{
    QApplication::setApplicationName(QStringLiteral("slx90"));
    QString error;
    if (!DataFolder::seed(&error)) {
        ui::MsgBox(error, ui::Icon::Critical);
        return 1;
    }
    registraVentanas();
    // The main window ends the program itself, after its shutdown.
    app.setQuitOnLastWindowClosed(false);
    auto *form = qobject_cast<Form1 *>(FormRegistry::load(QStringLiteral("Form1")));
    if (!form)
        return 1;
    form->Form_Load();
    const int rc = app.exec();
    delete FormRegistry::instance(QStringLiteral("Form1"));
    Database::close();
    return rc;
}

} // namespace slx
