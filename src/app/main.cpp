// tallyra-studio: creates the script editor main window, opens the files
// named on the command line and runs the event loop until it closes.
#include <QApplication>
#include <QLocale>
#include <memory>

#include "shell/errors.h"
#include "shell/langtext.h"
#include "shell/msgbox.h"
#include "shell/qsettingsstore.h"
#include "shell/tappgen.h"
#include "studio/tappmain.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tallyra Studio");
    QApplication::setOrganizationName("Tallyra");
    using namespace tallyra;
    core::SetCurrentLanguage(
        core::StartupLanguage(QLocale::system().language() == QLocale::Polish ? 21 : 9));
    gui::SetSettingsStoreFactory([] { return std::make_unique<gui::TQSettingsStore>(); });
    try {
        auto window = std::make_unique<gui::TAppMain_Form>();
        window->show();
        return app.exec();
    } catch (const std::exception& e) {
        gui::MsgError(e.what());
        return 1;
    }
}
