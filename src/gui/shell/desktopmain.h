// The start of every Tallyra desktop program: the application object, the
// start-up language from the system, the QSettings store, the main window
// and the event loop.
#pragma once

#include <functional>
#include <memory>

class QWidget;

namespace tallyra::gui {

// Runs the program whose main window `makeWindow` creates, named
// `applicationName` for the settings; returns the exit status. A failure
// while the window is created or runs is shown in an error box (status 1).
int RunDesktopProgram(int& argc, char** argv, const char* applicationName,
                      const std::function<std::unique_ptr<QWidget>()>& makeWindow);

}  // namespace tallyra::gui
