// tallyra-station [SCRIPT [DATA]]: the operator's data station. With both
// arguments it opens the script and the data file at once; with only the
// script the open-data dialog follows; with none the open-script dialog.
#include <QApplication>
#include <QLocale>
#include <memory>

#include "shell/langtext.h"
#include "shell/msgbox.h"
#include "shell/qsettingsstore.h"
#include "station/tappstation.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tallyra Station");
    QApplication::setOrganizationName("Tallyra");
    using namespace tallyra;
    core::SetCurrentLanguage(
        core::StartupLanguage(QLocale::system().language() == QLocale::Polish ? 21 : 9));
    gui::SetSettingsStoreFactory([] { return std::make_unique<gui::TQSettingsStore>(); });
    try {
        auto window = std::make_unique<gui::TAppTYStation_Form>();
        window->show();
        return app.exec();
    } catch (const std::exception& e) {
        gui::MsgError(e.what());
        return 1;
    }
}
