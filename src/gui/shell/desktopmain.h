// The start of every Tallyra desktop program: the application object, the
// start-up language from the system, Qt's own texts in that language, the
// QSettings store, the main window and the event loop; also the options
// every desktop program understands (--help, --version, --smoke-help).
#pragma once

#include <functional>
#include <memory>

class QWidget;

namespace tallyra::gui {

// Runs the program whose main window `makeWindow` creates, named
// `applicationName` for the settings; returns the exit status. `usage` is
// the first lines of --help (the program's name and arguments). A failure
// while the window is created or runs is shown in an error box (status 1).
//
// Options taken before any window exists:
//   --help, -h          prints `usage` and the common options (status 0)
//   --version           prints the program's name and version (status 0)
//   --smoke-help TOPIC  opens the help viewer on TOPIC (a context number or a
//                       page name such as "contents") in the start-up
//                       language, prints the page's file and title,
//                       whether the icon theme has the program's icon and
//                       Qt's own Cancel caption, and exits: 0 when the page
//                       was found and shows text, 1 when not, 2 without TOPIC
int RunDesktopProgram(int& argc, char** argv, const char* applicationName, const char* usage,
                      const std::function<std::unique_ptr<QWidget>()>& makeWindow);

}  // namespace tallyra::gui
