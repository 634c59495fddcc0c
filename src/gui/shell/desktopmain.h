// The start of every Tallyra desktop program: the application object, the
// start-up language from the system, the QSettings store, the main window
// and the event loop.
#pragma once

#include <QApplication>
#include <functional>
#include <memory>
#include <string>

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
// `applicationName` for the settings; returns the exit status. A failure
// while the window is created is shown in an error box (status 1; 2 when out
// of memory). An exception out of an event handler abandons that handler's
// work and is shown once the event is over; the program goes on.
int RunDesktopProgram(int& argc, char** argv, const char* applicationName,
                      const std::function<std::unique_ptr<QWidget>()>& makeWindow);

}  // namespace tallyra::gui
