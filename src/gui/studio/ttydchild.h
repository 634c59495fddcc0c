// SPDX-License-Identifier: GPL-3.0-or-later
// The script window the main window creates: reads its text as a script
// with the main window's check options (keeping the result as
// CheckedScript), colours it, offers the keyword menu and help on the
// keyword at the cursor, inserts question templates and exports the script
// as SPSS syntax.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "script/templates.h"
#include "script/tpxdictionary.h"
#include "spss/spssexport.h"
#include "tchldcomp.h"

class QMenu;

namespace tallyra::gui {

class TAppMain_Form;
class TPXLexer;

class TTYDChild_Form : public TChldComp_Form {
    Q_OBJECT
public:
    // `mainForm` is borrowed and outlives the window.
    explicit TTYDChild_Form(TAppMain_Form* mainForm);
    ~TTYDChild_Form() override;

    TAppMain_Form* MainForm() const { return AppMain; }
    // The script read by the last check, or null before the first check.
    // Owned by the window; a new check replaces it.
    core::TPXDictionary* CheckedScript() const { return Checked.get(); }
    // A check ran, found no error and the script has an instruction.
    bool ScriptUsable() const;
    // Test script / Test script at cursor (after a check): opens the test
    // window modally on CheckedScript when it is usable; at the cursor, the
    // fields of every instruction before the one holding the caret are filled
    // automatically. Does nothing for an unusable script.
    void RunTest(bool atCursor);
    // Preview data (after a check): the viewer modally on CheckedScript when
    // it is usable.
    void ShowPreview();
    // The number of instructions that end before the instruction holding the
    // caret (read from the text up to the last "*" before it).
    int32_t StartIndexAtCursor() const;
    // Where the test window keeps its temporary file; empty = the private
    // temporary folder (tests set their own).
    static std::string& TestFolder();

    // Colour elements of the main window on the eight text styles (colouring
    // switched off by the editor options removes the lexer).
    void ApplyColors();
    TPXLexer* Lexer() const { return Colouring; }

    // The keyword menu: captions rebuilt from the keyword table each time
    // it opens; ShowShortcutMenu opens it at the mouse pointer.
    QMenu* ShortcutMenu() const { return Shortcut_Menu; }
    void RebuildShortcutMenu();
    void ShowShortcutMenu();
    // Inserts keyword item `index` (0..13 in menu order) at the caret,
    // replacing the selection.
    void InsertKeyword(int index);

    // The word at the caret (ended by blanks and = : [ ] * ') and the help
    // context it selects (701..722), or 0 when no keyword begins it.
    std::string WordAtCaret() const;
    int KeywordHelpContext() const;
    void HelpReservedWord();

    // Inserts a generated block (UTF-8 lines) plus one empty line at the
    // caret as one undo step, replacing the selection, and places the caret
    // as the block says.
    void InsertBlock(const core::TTemplateBlock& block);

    // Question templates: the dialog on the main window's remembered
    // values, then the generated text (nothing on Cancel).
    void InsertGroup();
    void InsertMultiChoice();
    void InsertSingleChoice();
    void InsertOpen();

    // SPSS export: PrepareExport checks the script and asks for the
    // options (before the target is backed up, so a refused export moves
    // nothing); ExportFile writes with those options, preparing first when
    // called on its own. Nothing is written when the check failed.
    bool PrepareExport() override;
    void ExportFile(const std::string& name) override;
    bool CanExport() const override { return true; }

protected:
    void CompileScript() override;
    void CreateMessageList() override;
    QAction* ScriptTwin(const char* name) const override;
    void UpdateMain() override;
    bool HandleWindowMessage(TWindowMessage* m) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    TAppMain_Form* AppMain;
    std::unique_ptr<core::TPXDictionary> Checked;
    TPXLexer* Colouring = nullptr;
    QMenu* Shortcut_Menu = nullptr;
    std::optional<core::TSPSExportOptions> ExportChoices;
};

}  // namespace tallyra::gui
