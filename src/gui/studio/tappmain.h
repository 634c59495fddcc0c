// SPDX-License-Identifier: GPL-3.0-or-later
// The script editor main window ("Tallyra Studio"): a file main window whose
// children are script windows. It owns the one colouring tokenizer and the
// script settings (check options, colours, template width, SPSS name
// length), and adds the Script and Data menus, the template and keyword
// entries of Edit > Insert, the language help entries and the reading
// progress in the status bar.
#pragma once

#include <functional>
#include <memory>

#include <QStringList>

#include "script/readingprogress.h"
#include "script/templates.h"
#include "script/tpxparser.h"
#include "script/tscriptoptions.h"
#include "tappedit.h"

namespace tallyra::gui {

class TChldEdit_Form;
class TTYDChild_Form;

class TAppMain_Form : public TAppEdit_Form {
public:
    explicit TAppMain_Form(QWidget* parent = nullptr);
    ~TAppMain_Form() override;

    std::string AppInfo(int index) const override;
    std::string OpenFilter() const override;
    std::string OpenDefaultExt() const override { return "slo"; }
    std::string ExportFilter() const override;
    std::string ExportDefaultExt() const override { return "sps"; }

    // Script settings (Memo and Strings live in EditorOptions/TextOptions).
    core::TLangSettings Lang;
    // Remembered template values for this program run.
    core::TInsGroup_Data GroupData;
    core::TInsMulti_Data MultiData;
    core::TInsSingle_Data SingleData;
    core::TInsOpen_Data OpenData;

    const core::TPXParser& Parser() const { return *ColourParser; }
    // Where script reading reports its progress (window message 1464).
    core::IReadingProgress* ReadingProgress() { return Progress.get(); }

    // The active window when it is a script window, or null.
    TTYDChild_Form* ActiveScript() const;

    // Entries by component name ("Check_ScriptMenu", "MergeData_DataMenu",
    // "Group_InsertMenu", "LanguageDef_HelpMenu", "Check_ToolButton").
    QAction* ScriptAction(const char* name) const;
    QMenu* ScriptMenu() const { return Script_Menu; }
    QMenu* DataMenu() const { return Data_Menu; }
    // Enabling of the Script and Data menus (also done when they open).
    void UpdateScriptMenu();
    void UpdateDataMenu();
    void UpdateToolbar() override;

    // Commands.
    void ToggleMessageList();
    // Data > Merge data: check, both file dialogs, then the progress window.
    void MergeData();
    // Test script (F10) and Test script at cursor (F11): check, then the test
    // window of the active script window.
    void TestScript(bool atCursor);
    // Preview data: check, then the viewer on the checked script.
    void PreviewData();
    // Enter data: check, save the script when needed, then start the data
    // station on the script file.
    void EnterData();
    // Starts the station program (replaceable for tests); false when it
    // could not be started.
    static std::function<bool(const QString&, const QStringList&)>& StationStarter();
    // Edit > Preferences: the language preferences dialog.
    void ShowPreferences() override;
    // Applies the check limit, colours and options to every script window.
    void ApplyLangSettings();

protected:
    TChldGen_Form* CreateChild() override;
    void Registry_DoRead(core::TSettingsStore& store) override;
    void Registry_DoWrite(core::TSettingsStore& store) override;
    bool HandleWindowMessage(TWindowMessage* m) override;
    void ActiveChildChanged() override;

private:
    void CreateInsertEntries();
    void CreateScriptMenu();
    void CreateDataMenu();
    void CreateLanguageHelpEntries();
    void CreateScriptToolButtons();

    std::unique_ptr<core::TPXParser> ColourParser;
    std::unique_ptr<core::IReadingProgress> Progress;
    QMenu* Script_Menu = nullptr;
    QMenu* Data_Menu = nullptr;
    QList<QAction*> ScriptButtons;
};

}  // namespace tallyra::gui
