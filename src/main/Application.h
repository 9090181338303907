#pragma once

class QApplication;

namespace slx {

class DataFolderLock;

// Takes the data folder for this run. False when another program already runs on it,
// after saying so in the language of the folder's settings file. A folder that takes no
// lock file (read-only) is left to the start-up, which reports what fails there.
bool tomaCarpetaDatos(DataFolderLock &lock);

// Sets up the data folder and the database, shows the main window and runs the
// event loop. Returns the process exit code.
int runApplication(QApplication &app);

} // namespace slx
