// SPDX-License-Identifier: GPL-3.0-or-later
#include "tappgen.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "helpviewer.h"
#include "langui.h"
#include "msgbox.h"
#include "qttranslations.h"
#include "shell/errors.h"
#include "shell/langtext.h"
#include "tallyra_version.h"

namespace tallyra::gui {

namespace {

TStoreFactory& Factory() {
    static TStoreFactory factory;
    return factory;
}

bool& ShowLogoFlag() {
    static bool show = true;
    return show;
}

class TSystemLogoClock : public TLogoClock {
public:
    TSystemLogoClock() { Started.start(); }
    qint64 Now() const override { return Started.elapsed(); }
    void CallAfter(qint64 ms, QObject* context, std::function<void()> due) override {
        QTimer::singleShot(int(ms), Qt::PreciseTimer, context, std::move(due));
    }

private:
    QElapsedTimer Started;
};

TLogoClock*& InstalledLogoClock() {
    static TLogoClock* clock = nullptr;
    return clock;
}

TLogoClock& LogoClock() {
    static TSystemLogoClock system;
    return InstalledLogoClock() ? *InstalledLogoClock() : system;
}

const char* const MainWindowKey = "Main Window";

}  // namespace

void SetSettingsStoreFactory(TStoreFactory factory) {
    Factory() = std::move(factory);
}

std::unique_ptr<core::TSettingsStore> OpenSettingsStore() {
    if (Factory()) return Factory()();
    return std::make_unique<core::TMemorySettingsStore>();
}

void TAppGen_Form::SetShowLogo(bool show) {
    ShowLogoFlag() = show;
}

void TAppGen_Form::SetLogoClock(TLogoClock* clock) {
    InstalledLogoClock() = clock;
}

std::string TallyraAppInfo(int index, const char* product) {
    switch (index) {
        case 0:
            return "Tallyra Systems";
        case 1:
            return product;
        case 2:
            return TALLYRA_VERSION;
        case 3:
            return TALLYRA_RELEASE;
        case 5:
            return "QRV Software";
        case 6:
            return "<EN>Free software for keying survey questionnaires, under the GNU General "
                   "Public License, version 3 or later (GPL-3.0-or-later).<PL>Wolne "
                   "oprogramowanie do wprowadzania ankiet, na licencji GNU General Public "
                   "License w wersji 3 lub późniejszej (GPL-3.0-or-later).";
        default:
            return "";
    }
}

QPixmap AppLogoPixmap(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0x1f, 0x4e, 0x9a));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(0, 0, size, size), size / 6.0, size / 6.0);
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(qMax(6, size * 2 / 3));
    p.setFont(f);
    p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, "T");
    return pm;
}

TAppGen_Form::TAppGen_Form(QWidget* parent) : QMainWindow(parent) {}

TAppGen_Form::~TAppGen_Form() {
    Shutdown();
}

void TAppGen_Form::Create() {
    if (Created) return;
    Created = true;
    // 1. base creation
    PostFirstActivation();
    ApplyLanguage();
    // 2. language support
    if (!LanguageAccepted(1) && !LanguageAccepted(2))
        throw core::EGeneric(core::LangText(
            "<EN>Error in application language support.<PL>Błąd aplikacji w obsłudze języków"));
    // 3. settings
    ReadSettings();
    // 4. an unaccepted language gives way to the first accepted one
    if (!LanguageAccepted(core::CurrentLanguage()))
        core::SetCurrentLanguage(LanguageAccepted(1) ? 1 : 2);
    // 5. icon and logo
    // The installed icon set's drawing; the build tree has only the logo.
    setWindowIcon(QIcon::fromTheme("tallyra", QIcon(AppLogoPixmap(64))));
    ShowLogo();
    // 6. captions, Qt's own texts among them
    FollowLanguageInQt(core::CurrentLanguage());
    ApplyLanguage();
    // 7. help file
    SetHelpFile();
}

void TAppGen_Form::Shutdown() {
    if (ShutDown || !Created) return;
    ShutDown = true;
    WriteSettings();
    CloseHelp();
    CloseLogo();
}

void TAppGen_Form::ReadSettings() {
    if (!UsesSettings()) return;
    try {
        auto store = OpenSettingsStore();
        Registry_DoRead(*store);
    } catch (...) {
        // Settings failures never reach the user: the defaults stay.
    }
}

void TAppGen_Form::WriteSettings() {
    if (!WritesSettings()) return;
    try {
        auto store = OpenSettingsStore();
        Registry_DoWrite(*store);
    } catch (...) {
    }
}

void TAppGen_Form::Registry_DoRead(core::TSettingsStore& s) {
    const std::string root = SettingsRoot();
    core::SetCurrentLanguage(
        s.ReadInt(core::SubKey(root, "Languages"), "Current", core::CurrentLanguage()));
    const std::string mk = core::SubKey(root, MainWindowKey);
    const QSize size = DesignedSize();
    const int x = s.ReadInt(mk, "xPos", 80);
    const int y = s.ReadInt(mk, "yPos", 60);
    int w = size.width(), h = size.height();
    if (Sizeable()) {
        w = s.ReadInt(mk, "xSize", w);
        h = s.ReadInt(mk, "ySize", h);
        StartMaximized = s.ReadBool(mk, "Maximized", true);
    } else {
        StartMaximized = false;
    }
    setGeometry(x, y, qBound(200, w, 10000), qBound(150, h, 10000));
    if (StartMaximized) setWindowState(windowState() | Qt::WindowMaximized);
    const std::string version = s.ReadStr(root, "Version", "");
    // A window that never stores the version would ask on every opening.
    if (WritesSettings() && version != core::LangTextFor(AppInfo(3), 1))
        PostObject(this, std::make_unique<TWMVRKHelpChanges_Handler>());
}

void TAppGen_Form::Registry_DoWrite(core::TSettingsStore& s) {
    const std::string root = SettingsRoot();
    s.WriteInt(core::SubKey(root, "Languages"), "Current", core::CurrentLanguage());
    const std::string mk = core::SubKey(root, MainWindowKey);
    const QRect g = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    s.WriteInt(mk, "xPos", g.x());
    s.WriteInt(mk, "yPos", g.y());
    if (Sizeable()) {
        s.WriteInt(mk, "xSize", g.width());
        s.WriteInt(mk, "ySize", g.height());
        s.WriteBool(mk, "Maximized", isMaximized() || (StartMaximized && !isVisible()));
    }
    s.WriteStr(root, "Version", core::LangTextFor(AppInfo(3), 1));
}

std::string TAppGen_Form::SettingsRoot() const {
    const int l = LanguageAccepted(1) ? 1 : 2;
    return "\\Software\\" + core::LangTextFor(AppInfo(0), l) + "\\" +
           core::LangTextFor(AppInfo(1), l) + "\\";
}

std::string TAppGen_Form::TitleText() const {
    std::string t = core::LangText(AppInfo(1));
    for (size_t p; (p = t.find("\r\n")) != std::string::npos;)
        t.replace(p, 2, " ");
    return t;
}

void TAppGen_Form::ApplyLanguage() {
    ApplyLanguageTo(this);
    setWindowTitle(Q(TitleText()));
}

void TAppGen_Form::ChangeLanguage(int language) {
    const int previous = core::CurrentLanguage();
    if (language == previous || !LanguageAccepted(language)) return;
    core::SetCurrentLanguage(language);
    FollowLanguageInQt(language);
    LanguageChanged(previous);
}

void TAppGen_Form::LanguageChanged(int) {
    ApplyLanguage();
    SetHelpFile();
}

void TAppGen_Form::SetHelpFile() {
    std::string exe = S(QCoreApplication::applicationFilePath());
    const size_t slash = exe.find_last_of('/');
    const size_t dot = exe.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) exe.erase(dot);
    HelpFileName = exe + "_" + core::LangRecs[core::CurrentLanguage()].Code + ".hlp";
    if (Help) Help->SetLanguage(core::CurrentLanguage());
}

THelpViewer& TAppGen_Form::HelpWindow() {
    if (!Help) Help = new THelpViewer(this, AppInfo(1));
    Help->SetLanguage(core::CurrentLanguage());
    return *Help;
}

void TAppGen_Form::ShowHelpContext(int context) {
    HelpWindow().ShowContext(context);
}

void TAppGen_Form::ShowHelpContents() {
    HelpWindow().ShowContents();
}

void TAppGen_Form::ShowHelpIndex() {
    HelpWindow().ShowIndex();
}

void TAppGen_Form::ShowHelpSearch() {
    HelpWindow().ShowSearch(std::string());
}

void TAppGen_Form::ShowHelpOnHelp() {
    HelpWindow().ShowUsingHelp();
}

void TAppGen_Form::ShowAbout() {
    std::string text = TitleText() + "\n" + core::LangText("<EN>Version<PL>Wersja") + " " +
                       core::LangText(AppInfo(2)) + "\n\n" + core::LangText(AppInfo(5));
    const std::string legal = core::LangText(AppInfo(6));
    if (!legal.empty()) text += "\n" + legal;
    MsgInformation(text);
}

void TAppGen_Form::CloseHelp() {
    if (Help) {
        Help->close();
        delete Help;
    }
}

void TAppGen_Form::ShowChangesPrompt() {
    const int answer = MsgConfirm(core::LangText(
        "<EN>You have opened this version of the application for the first time.\r\n\r\n"
        "Would you like to read the help topic on changes, to see what has been added or "
        "changed in the program?"
        "<PL>Ta wersja aplikacji została uruchomiona po raz pierwszy.\r\n\r\n"
        "Czy chcesz przeczytać w pomocy, co w programie dodano lub zmieniono?"));
    if (answer == MsgResultYes) ShowChangesTopic();
}

void TAppGen_Form::ShowLogo() {
    if (!ShowLogoFlag() || !ShowsLogo()) return;
    auto* logo = new QWidget(this, Qt::SplashScreen | Qt::FramelessWindowHint);
    logo->setObjectName("Logo_Form");
    logo->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(logo);
    auto* pic = new QLabel(logo);
    pic->setPixmap(AppLogoPixmap(72));
    pic->setAlignment(Qt::AlignCenter);
    auto* name = new QLabel(Q(TitleText()), logo);
    QFont f = name->font();
    f.setPointSize(f.pointSize() + 8);
    f.setBold(true);
    name->setFont(f);
    name->setAlignment(Qt::AlignCenter);
    auto* version =
        new QLabel(Q(core::LangText(AppInfo(2)) + "  " + core::LangText(AppInfo(5))), logo);
    version->setAlignment(Qt::AlignCenter);
    layout->addWidget(pic);
    layout->addWidget(name);
    layout->addWidget(version);
    logo->setStyleSheet("#Logo_Form { background: white; border: 2px solid #1f4e9a; }");
    logo->resize(360, 200);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect r = screen->availableGeometry();
        logo->move(r.center() - QPoint(180, 100));
    }
    logo->show();
    LogoWindow = logo;
    LogoShownAt = LogoClock().Now();
    PostObject(this, std::make_unique<TWMVRKLogo_Handler>());
}

void TAppGen_Form::CloseLogoWhenDue() {
    if (!LogoWindow) return;
    const qint64 rest = LogoMinimumMs - (LogoClock().Now() - LogoShownAt);
    if (rest <= 0) {
        CloseLogo();
        return;
    }
    // Timers may fire a little early; the check runs again until it is due,
    // and the window keeps working meanwhile.
    LogoClock().CallAfter(rest + 1, this, [this] { CloseLogoWhenDue(); });
}

qint64 TAppGen_Form::LogoAge() const {
    return LogoWindow ? LogoClock().Now() - LogoShownAt : -1;
}

void TAppGen_Form::CloseLogo() {
    if (LogoWindow) {
        LogoWindow->close();
        delete LogoWindow;
    }
}

void TAppGen_Form::HandleObjectMessage(TWMVRKObject* object) {
    if (dynamic_cast<TWMVRKLogo_Handler*>(object)) {
        // Never earlier than the minimum time after the logo appeared; the
        // wait runs on a timer so the window keeps working meanwhile.
        CloseLogoWhenDue();
        return;
    }
    if (dynamic_cast<TWMVRKHelpChanges_Handler*>(object)) {
        ShowChangesPrompt();
        return;
    }
    TFormGen_Form::HandleObjectMessage(object);
}

bool TAppGen_Form::event(QEvent* e) {
    if (DispatchWindowEvent(e)) return true;
    return QMainWindow::event(e);
}

}  // namespace tallyra::gui
