#include "main/Application.h"

#include "localization/FormRegistry.h"
#include "main/DataFolder.h"
#include "main/Database.h"
#include "main/Form1.h"
#include "main/MessageBox.h"
#include "main/Ventanas.h"

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
