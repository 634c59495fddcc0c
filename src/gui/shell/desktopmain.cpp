#include "desktopmain.h"

#include <QApplication>
#include <QLocale>
#include <QWidget>
#include <exception>

#include "msgbox.h"
#include "qsettingsstore.h"
#include "tappgen.h"
#include "shell/langtext.h"

namespace tallyra::gui {

int RunDesktopProgram(int& argc, char** argv, const char* applicationName,
                      const std::function<std::unique_ptr<QWidget>()>& makeWindow) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(applicationName);
    QApplication::setOrganizationName("Tallyra");
    core::SetCurrentLanguage(
        core::StartupLanguage(QLocale::system().language() == QLocale::Polish ? 21 : 9));
    SetSettingsStoreFactory([] { return std::make_unique<TQSettingsStore>(); });
    try {
        std::unique_ptr<QWidget> window = makeWindow();
        window->show();
        return app.exec();
    } catch (const std::exception& e) {
        MsgError(e.what());
        return 1;
    }
}

}  // namespace tallyra::gui
