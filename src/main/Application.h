#pragma once

class QApplication;

namespace slx {

class DataFolderLock;

// Takes the data folder for this run. False when another program already runs on it, or
// when the folder takes no lock file (read-only, missing, a folder under the lock file's
// name), after saying which in the language of the folder's settings file.
bool tomaCarpetaDatos(DataFolderLock &lock);

// Sets up the data folder and the database, shows the main window and runs the
// event loop. Returns the process exit code.
int runApplication(QApplication &app);

} // namespace slx
