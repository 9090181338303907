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
#include <QFileInfo>

namespace slx {

bool tomaCarpetaDatos(DataFolderLock &lock)
{
    const DataFolderLock::Result r = lock.take();
    if (r == DataFolderLock::Result::Taken)
        return true;
    const Idioma idioma =
        idiomaDeIni(LeerIni(QLatin1String(kSeccionIni), QStringLiteral("Language"), QString(), ficheroIni()));
    // A folder that was never seeded (it cannot even be made) says it in English.
    const QString idiomas = DataFolder::file(QStringLiteral("Language.db"));
    if (QFileInfo(idiomas).isFile())
        LocGuruP_BAS::SetupLanguage(idiomas, idioma.nombre);
    const QString carpeta = QDir::toNativeSeparators(DataFolder::path());
    if (r == DataFolderLock::Result::Running)
        ui::MsgBox(TextoPropio("The program is already running on the data folder %1.").arg(carpeta),
                   ui::Icon::Exclamation);
    else
        // No other program holds the folder, but nothing would keep a second one out.
        ui::MsgBox(TextoPropio("The program cannot use the data folder %1: its lock file %2 cannot be made there (the "
                               "folder is missing or read-only, or something else has that name).")
                       .arg(carpeta, QDir::toNativeSeparators(lock.fileName())),
                   ui::Icon::Critical);
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
    if (const Resultado<void> sembrada = DataFolder::seed(); !sembrada) {
        ui::MsgBox(sembrada.error().mensaje(), ui::Icon::Critical);
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
