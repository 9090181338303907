#include "main/Application.h"

#include "base/DataFolder.h"
#include "base/DataFolderLock.h"
#include "base/Database.h"
#include "base/FormRegistry.h"
#include "base/MessageBox.h"
#include "base/Modulo1.h"
#include "base/TextoPropio.h"
#include "base/Ventanas.h"
#include "localization/LocGuru.h"
#include "main/Arranque.h"
#include "main/Form1.h"
#include "main/RegistroVentanas.h"

#include <QApplication>
#include <QDir>

namespace slx {

bool tomaCarpetaDatos(DataFolderLock &lock)
{
    if (lock.take() != DataFolderLock::Result::Running)
        return true;
    const Idioma idioma =
        idiomaDeIni(LeerIni(QLatin1String(kSeccionIni), QStringLiteral("Language"), QString(), ficheroIni()));
    LocGuruP_BAS::SetupLanguage(DataFolder::file(QStringLiteral("Language.db")), idioma.nombre);
    ui::MsgBox(TextoPropio("The program is already running on the data folder %1.")
                   .arg(QDir::toNativeSeparators(DataFolder::path())),
               ui::Icon::Exclamation);
    return false;
}

int runApplication(QApplication &app)
{
    QApplication::setApplicationName(QStringLiteral("slx90"));
    // One program per data folder, held until the program ends; taken before the folder
    // is seeded, so that two starts never seed one folder at once.
    QDir().mkpath(DataFolder::path());
    DataFolderLock lock(DataFolder::path());
    if (!tomaCarpetaDatos(lock))
        return 1;
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
