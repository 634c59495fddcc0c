// SPDX-License-Identifier: GPL-3.0-or-later
// The start of every Tallyra desktop program: the application object, the
// start-up language from the system, Qt's own texts in that language, the
// QSettings store, the main window and the event loop; also the options
// every desktop program understands (--help, --version, --smoke-help).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QApplication>

class QWidget;

namespace tallyra::gui {

// The application object of the desktop programs. An exception that an
// event handler lets through never unwinds into Qt's event loop (which is
// not made for it): the handler's work is abandoned, its stack unwound (so
// temporary files go), the reason is shown in an error box once the event is
// over, and the program goes on. Keyed records are already on disk; an
// editor's text stays as it was. Running out of memory is shown as
// NotEnoughMemoryText.
class TDesktopApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override;
    static std::string NotEnoughMemoryText();

private:
    void ShowLater(const std::string& text);
};

// Runs the program whose main window `makeWindow` creates, named
// `applicationName` for the settings; returns the exit status. `usage` is
// the first lines of --help (the program's name and arguments). A failure
// while the window is created is shown in an error box (status 1; 2 when out
// of memory). An exception out of an event handler abandons that handler's
// work and is shown once the event is over; the program goes on.
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
