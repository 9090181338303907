#include "main/Application.h"

#include "main/DataFolder.h"
#include "main/Database.h"
#include "main/Form1.h"
#include "main/MessageBox.h"

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
    if (!Database::open(&error))
        ui::MsgBox(error, ui::Icon::Critical);
    int rc = 0;
    {
        Form1 form;
        form.show();
        rc = app.exec();
    }
    Database::close();
    return rc;
}

} // namespace slx
