// SPDX-License-Identifier: GPL-3.0-or-later
// The main window for file documents: the File menu with its enabling, the
// child list and untitled names, opening (dialog, command line, dropped
// files), Save all and Close all, the recent-files list, the toolbar, the
// status bar with hint, logo and progress, and the settings of these parts.
#pragma once

#include <string>

#include <QList>
#include <QStringList>

#include "shell/pagesetup.h"
#include "shell/recents.h"
#include "tappmdi.h"

class QPrinter;
class QToolBar;

namespace tallyra::gui {

class TChldGen_Form;
class THintPanel;
class TLogoPanel;

class TAppCmplx_Form : public TAppMDI_Form {
public:
    explicit TAppCmplx_Form(QWidget* parent = nullptr);
    ~TAppCmplx_Form() override;

    // Remembered folders of the Open, Save as and Export dialogs.
    std::string OpenDir, SaveAsDir, ExportDir;
    core::TPageSetup PageSetup;

    core::TRecents_Handler& Recents() { return RecentFiles; }

    // Next untitled name: "NoName" (selected) + the incremented counter.
    std::string NextUntitledName();

    // The registered document windows in registration order.
    const QList<TChldGen_Form*>& Files() const { return FileList; }
    void RegisterChild(TChldGen_Form* child);

    // File commands.
    TChldGen_Form* NewFile();
    void OpenFiles();  // the Open dialog
    void OpenFile(const std::string& name) override;
    void Duplicate();
    void SaveAll();
    void CloseActive();
    void CloseAll();
    void Print();

    // The File menu entry with the given component name ("Save_FileMenu").
    QAction* FileAction(const char* name) const;
    QMenu* FileMenu() const { return File_Menu; }
    QMenu* RecentsMenu() const { return Recents_Menu; }
    QMenu* HelpMenu() const { return Help_Menu; }
    QToolBar* ToolBar() const { return Tool_Bar; }
    // Recomputes the File menu's enabling (also done when it opens).
    void UpdateFileMenu();
    // Rebuilds the Recents submenu (done each time it opens).
    void BuildRecentsMenu();
    // Enables the toolbar buttons for the current children.
    virtual void UpdateToolbar();

    // Status bar.
    THintPanel* HintPanel() const { return Hint; }
    void SetProgress(const std::string& hint, int percent);
    // Inserts a panel before the hint panel (derived windows' panels).
    void AddStatusPanel(QWidget* panel);

    // Document formats ("Name (*.x)|*.x|..." filters, selected).
    virtual std::string OpenFilter() const = 0;
    virtual std::string OpenDefaultExt() const = 0;
    virtual std::string ExportFilter() const { return {}; }
    virtual std::string ExportDefaultExt() const { return {}; }

    // Files opened at first activation, in order: the program's arguments
    // unless given here (before the first activation) or switched off.
    void SetCommandLineFiles(const QStringList& files) {
        CommandLine = files;
        CommandLineSet = true;
    }
    static bool& UseProcessArguments();

    // The printer shared by the printing commands (created on first use).
    QPrinter* Printer();
    // Puts the stored margins on a printer.
    void ApplyPageSetup(QPrinter* printer) const;
    // The Page setup command: margins chosen in the dialog are stored.
    void PageSetupDialog();

    // Whether a printer is installed (replaceable for tests).
    static void SetPrinterCheck(std::function<bool()> check);

protected:
    // Creates an empty document window (not shown); owned by its sub-window.
    virtual TChldGen_Form* CreateChild() = 0;
    void ShowChild(TChldGen_Form* child);

    // Menus, in menu-bar order: File, then the derived windows' menus, then
    // Window and Help, built by CreateMenus.
    void CreateFileMenu();
    void CreateHelpMenu();
    virtual void CreateMenus();
    void CreateToolBar();

    void Registry_DoRead(core::TSettingsStore& store) override;
    void Registry_DoWrite(core::TSettingsStore& store) override;
    void LanguageChanged(int previous) override;
    void ApplyLanguage() override;
    void StartupDone() override;
    bool HandleWindowMessage(TWindowMessage* m) override;
    void ActiveChildChanged() override;
    void ChildDestroyed(const TChildMDI_Form* child) override;
    void PadAllMenus();

    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

    QAction* AddMenuAction(QMenu* menu, const char* name, const char* caption, const char* hint,
                           const QKeySequence& shortcut = {});

private:
    bool PrinterAvailable();

    core::TRecents_Handler RecentFiles{26, 'A'};
    std::unique_ptr<QPrinter> SharedPrinter;
    QList<TChldGen_Form*> FileList;
    int UntitledCounter = 0;
    int PanelCount = 0;
    QStringList CommandLine;
    bool CommandLineSet = false;
    QMenu* File_Menu = nullptr;
    QMenu* Recents_Menu = nullptr;
    QMenu* Help_Menu = nullptr;
    QToolBar* Tool_Bar = nullptr;
    THintPanel* Hint = nullptr;
    TLogoPanel* LogoPanel = nullptr;
    QAction* StatusBar_Action = nullptr;
    QAction* ToolBar_Action = nullptr;
};

}  // namespace tallyra::gui
