#include "desktopmain.h"

#include <QApplication>
#include <QLocale>
#include <QWidget>
#include <exception>
#include <new>

#include "msgbox.h"
#include "qsettingsstore.h"
#include "tappgen.h"
#include "shell/errors.h"
#include "shell/ioerror.h"
#include "shell/langtext.h"

namespace tallyra::gui {

bool TDesktopApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc&) {
        ShowLater(NotEnoughMemoryText());
    } catch (const core::ETallyraError& e) {
        ShowLater(e.Text());
    } catch (const std::exception& e) {
        ShowLater(e.what());
    } catch (...) {
        ShowLater(
            core::LangText("<EN>An unexpected error stopped the last action."
                           "<PL>Nieoczekiwany błąd przerwał ostatnią czynność."));
    }
    return false;
}

std::string TDesktopApplication::NotEnoughMemoryText() {
    return core::IOErrorText(8) + "\r\n" +
           core::LangText(
               "<EN>The last action was not completed.<PL>Ostatnia czynność nie "
               "została dokończona.");
}

void TDesktopApplication::ShowLater(const std::string& text) {
    // The box opens once the failed event is over: a box inside the failing
    // event would run a nested loop in the middle of it.
    QMetaObject::invokeMethod(
        this, [text] { MsgError(text); }, Qt::QueuedConnection);
}

int RunDesktopProgram(int& argc, char** argv, const char* applicationName,
                      const std::function<std::unique_ptr<QWidget>()>& makeWindow) {
    TDesktopApplication app(argc, argv);
    QApplication::setApplicationName(applicationName);
    QApplication::setOrganizationName("Tallyra");
    core::SetCurrentLanguage(
        core::StartupLanguage(QLocale::system().language() == QLocale::Polish ? 21 : 9));
    SetSettingsStoreFactory([] { return std::make_unique<TQSettingsStore>(); });
    // Nothing leaves main: a failure while the window is made (or one the
    // event loop lets out) is shown and ends the program; running out of
    // memory ends it with status 2 as on the command line.
    try {
        std::unique_ptr<QWidget> window = makeWindow();
        window->show();
        return app.exec();
    } catch (const std::bad_alloc&) {
        MsgError(core::IOErrorText(8));
        return 2;
    } catch (const core::ETallyraError& e) {
        MsgError(e.Text());
    } catch (const std::exception& e) {
        MsgError(e.what());
    }
    return 1;
}

}  // namespace tallyra::gui
