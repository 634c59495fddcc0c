// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktopmain.h"

#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <string_view>

#include <QApplication>
#include <QIcon>
#include <QLocale>
#include <QTextBrowser>
#include <QUrl>
#include <QWidget>

#include "helpviewer.h"
#include "langui.h"
#include "msgbox.h"
#include "qsettingsstore.h"
#include "qttranslations.h"
#include "shell/errors.h"
#include "shell/ioerror.h"
#include "shell/langtext.h"
#include "tallyra_version.h"
#include "tappgen.h"

namespace tallyra::gui {

namespace {

const char* const CommonOptions =
    "\n"
    "Options:\n"
    "  -h, --help           show this help\n"
    "  --version            show the version\n"
    "  --smoke-help TOPIC   open the help viewer on TOPIC (a context number or\n"
    "                       a page name such as \"contents\"), report whether\n"
    "                       the page loaded and exit (0 loaded, 1 not)\n";

// Opens one help page the way the program's help does and says what it
// found, for checking an installation without a window manager.
int SmokeHelp(const QString& topic) {
    THelpViewer viewer(nullptr, S(QCoreApplication::applicationName()));
    viewer.SetLanguage(core::CurrentLanguage());
    bool number = false;
    const int context = topic.toInt(&number);
    if (number)
        viewer.ShowContext(context);
    else
        viewer.ShowPage(topic.endsWith(".html") ? topic : topic + ".html");
    QCoreApplication::processEvents();
    const QTextBrowser* text = viewer.Browser();
    const bool loaded = viewer.PageFound() && text->source().isLocalFile() &&
                        !text->toPlainText().trimmed().isEmpty();
    std::printf("help root: %s\n", qUtf8Printable(THelpViewer::HelpRoot()));
    std::printf("page: %s\n", qUtf8Printable(loaded ? text->source().toLocalFile()
                                                    : QStringLiteral("(not found)")));
    std::printf("title: %s\n", qUtf8Printable(text->documentTitle()));
    std::printf("theme icon: %s\n", QIcon::hasThemeIcon("tallyra") ? "found" : "missing");
    std::printf("Qt's Cancel: %s\n",
                qUtf8Printable(QCoreApplication::translate("QPlatformTheme", "Cancel")));
    return loaded ? 0 : 1;
}

}  // namespace

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

int RunDesktopProgram(int& argc, char** argv, const char* applicationName, const char* usage,
                      const std::function<std::unique_ptr<QWidget>()>& makeWindow) {
    // Asking for the usage or the version needs no display.
    if (argc > 1) {
        const std::string_view option = argv[1];
        if (option == "--help" || option == "-h") {
            std::printf("%s%s", usage, CommonOptions);
            return 0;
        }
        if (option == "--version") {
            const std::string_view self = argv[0];
            std::printf("%s %s\n%s\n", std::string(self.substr(self.find_last_of('/') + 1)).c_str(),
                        TALLYRA_VERSION, TALLYRA_LICENCE_LINE);
            return 0;
        }
    }
    TDesktopApplication app(argc, argv);
    QApplication::setApplicationName(applicationName);
    QApplication::setOrganizationName("Tallyra");
    core::SetCurrentLanguage(
        core::StartupLanguage(QLocale::system().language() == QLocale::Polish ? 21 : 9));
    FollowLanguageInQt(core::CurrentLanguage());

    const QStringList args = QCoreApplication::arguments();
    if (args.size() > 1) {
        const QString& option = args.at(1);
        if (option == "--smoke-help") {
            if (args.size() != 3) {
                std::fprintf(stderr, "--smoke-help needs one TOPIC\n");
                return 2;
            }
            return SmokeHelp(args.at(2));
        }
    }

    SetSettingsStoreFactory([] { return std::make_unique<TQSettingsStore>(); });
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
