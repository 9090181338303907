#pragma once

class QApplication;

namespace slx {

// Sets up the data folder and the database, shows the main window and runs the
// event loop. Returns the process exit code.
int runApplication(QApplication &app);

} // namespace slx
