// SPDX-License-Identifier: GPL-3.0-or-later
// The application main window layer: start-up (settings, logo, language),
// shut-down (settings written back), the changes prompt on a new version,
// help by context number and the run-time language switch.
//
// Two-phase life: a concrete main window calls Create() at the end of its
// constructor and Shutdown() at the start of its destructor, so that the
// settings hooks run with the whole class chain in place.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QMainWindow>
#include <QPointer>

#include "helpviewer.h"
#include "shell/settingsstore.h"
#include "tformgen.h"

namespace tallyra::gui {

// Opens the settings store for one read or write pass. The program installs
// the QSettings store; tests install an in-memory one.
using TStoreFactory = std::function<std::unique_ptr<core::TSettingsStore>()>;
void SetSettingsStoreFactory(TStoreFactory factory);
std::unique_ptr<core::TSettingsStore> OpenSettingsStore();

// Help contexts of the frame.
constexpr int HelpGlossary = 102;
constexpr int HelpChanges = 103;

// The least time the start-up logo stays on screen.
constexpr int LogoMinimumMs = 4000;

// The clock the start-up logo measures its time with: milliseconds on a
// monotonic clock, and a call made after a delay. The program uses the
// system's; tests put one in its place that they move forward themselves.
class TLogoClock {
public:
    virtual ~TLogoClock() = default;
    virtual qint64 Now() const = 0;
    // Calls `due` after `ms` milliseconds, unless `context` is gone by then.
    virtual void CallAfter(qint64 ms, QObject* context, std::function<void()> due) = 0;
};

class TAppGen_Form : public QMainWindow, public TFormGen_Form {
public:
    explicit TAppGen_Form(QWidget* parent = nullptr);
    ~TAppGen_Form() override;

    QWidget* Widget() override { return this; }

    // Application information: 0 family, 1 product, 2 full version, 3 version
    // of the first-run check, 5 maker, 6 legal line (tagged texts).
    virtual std::string AppInfo(int index) const = 0;

    void ApplyLanguage() override;
    void HandleObjectMessage(TWMVRKObject* object) override;

    // Opens a document; empty here, file main windows implement it.
    virtual void OpenFile(const std::string&) {}

    virtual bool LanguageAccepted(int language) const { return language == 1 || language == 2; }
    // Switches the current language when it differs and is accepted.
    void ChangeLanguage(int language);

    // Title: the product name with CR LF pairs made blanks.
    std::string TitleText() const;
    // "\Software\<family>\<product>\" in the first accepted language.
    std::string SettingsRoot() const;

    // Help: the viewer opens topics of the current language.
    void ShowHelpContext(int context);
    void ShowHelpContents();
    void ShowHelpIndex();
    void ShowHelpSearch();
    void ShowAbout();
    // The topic on using the help viewer itself.
    void ShowHelpOnHelp();
    void ShowChangesTopic() { ShowHelpContext(HelpChanges); }
    void CloseHelp();
    THelpViewer* HelpViewer() const { return Help; }
    // The help viewer, made on first use (titled with this program's name),
    // in the current language.
    THelpViewer& HelpWindow();
    // The help file name rule: program path without extension + "_" + code + ".hlp".
    const std::string& HelpFile() const { return HelpFileName; }

    // The logo window while it exists.
    QWidget* Logo() const { return LogoWindow; }
    // Milliseconds since the logo appeared (-1 without logo).
    qint64 LogoAge() const;

    // When false, no logo window is created (for windows inside tests that
    // do not look at it); set before Create().
    static void SetShowLogo(bool show);
    // The logo's clock (borrowed); nullptr: the system clock.
    static void SetLogoClock(TLogoClock* clock);

protected:
    // Start-up steps; call once at the end of the most derived constructor.
    void Create();
    // Writes the settings and closes help and logo; call at the start of the
    // most derived destructor (runs once).
    void Shutdown();

    // Reads and writes this layer's values; derived layers call the base first.
    virtual void Registry_DoRead(core::TSettingsStore& store);
    virtual void Registry_DoWrite(core::TSettingsStore& store);
    void ReadSettings();
    void WriteSettings();

    virtual void LanguageChanged(int previous);
    void SetHelpFile();
    virtual void StartupDone() {}
    void FirstActivation() override { StartupDone(); }
    // The question about the help topic on changes, shown on a new version.
    void ShowChangesPrompt();

    virtual bool Sizeable() const { return true; }
    // Windows that keep no settings and show no start-up logo (the script
    // test window) answer false.
    virtual bool UsesSettings() const { return true; }
    virtual bool ShowsLogo() const { return true; }
    // Windows that read their settings but never write them (the viewer).
    virtual bool WritesSettings() const { return UsesSettings(); }
    virtual QSize DesignedSize() const { return QSize(900, 640); }

    bool event(QEvent* e) override;

    // Closes and destroys the logo window now.
    void CloseLogo();

private:
    void ShowLogo();
    // Closes the logo once it has been shown for the minimum time.
    void CloseLogoWhenDue();

    QPointer<QWidget> LogoWindow;
    qint64 LogoShownAt = 0;  // on the logo clock
    QPointer<THelpViewer> Help;
    std::string HelpFileName;
    bool StartMaximized = true;
    bool Created = false;
    bool ShutDown = false;
};

// The application information every Tallyra window answers: family, the
// given product name, versions, maker and legal line (empty elsewhere).
std::string TallyraAppInfo(int index, const char* product);

// The program's small logo picture, drawn at the given size.
QPixmap AppLogoPixmap(int size);

}  // namespace tallyra::gui
