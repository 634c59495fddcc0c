// SPDX-License-Identifier: GPL-3.0-or-later
// The editing layer of a script window: a QScintilla editor holding the
// script as Unicode, loaded from and saved to code-page-1250 bytes with CR
// LF line ends; caret, selection, undo, clipboard, find and replace, go to
// line, ten bookmarks, Insert file, Save block, the status panels and the
// editor fonts and options. Checking scripts is added by a derived layer.
//
// Editor options ("Memo" bits, core::TMemoOption) and text options
// ("Strings" bits, core::TStringsOption) as this editor applies them:
//   moDrawMargin          -> a vertical edge line at column 80
//   moDrawGutter          -> the bookmark margin is shown
//   moThumbTracking       -> always on (Qt scroll bars track)
//   moDblClickLine        -> a double click selects the whole line
//   moColorSyntax         -> kept for the colouring layer
//   moLineNumbers         -> the line-number margin is shown
//   moOverwriteCaret      -> a block caret in overwrite mode
//   moLeftIndent          -> a small blank strip left of the text
//   moDisableDrag         -> kept; the component always allows dragging
//   moSelectOnlyText      -> kept (no effect in this component)
//   moLineNumbersOnGutter -> the line-number margin is shown
//   soBackUnindents       -> Backspace in indentation unindents
//   soGroupUndo           -> kept (typing is grouped by the component)
//   soBeyondFileEnd       -> the view may scroll past the last line
//   soAutoIndent          -> new lines take the previous indentation
//   soSmartTab            -> Tab in indentation indents
//   soFindTextAtCursor    -> Find proposes the word at the caret
//   other bits are stored and kept unchanged.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include <QPoint>

#include "shell/tchldgen.h"

class QsciScintilla;
class QMenu;

namespace tallyra::gui {

class TAppEdit_Form;

// Caret as column and line from 0 (columns count characters).
struct TCaret {
    int32_t Col = 0;
    int32_t Line = 0;
    bool operator==(const TCaret&) const = default;
};

class TChldEdit_Form : public TChldGen_Form {
    Q_OBJECT
public:
    // `mainForm` is borrowed and outlives the window.
    explicit TChldEdit_Form(TAppEdit_Form* mainForm);
    ~TChldEdit_Form() override;

    QsciScintilla* Editor() const { return DictEdit; }
    TAppEdit_Form* EditMain() const;

    // Document state.
    bool IsModified() const override;
    void SetModified(bool flag) override;
    void Saved() override;
    void Reload() override;
    void LoadFile(const std::string& name) override;
    std::string WriteDocument() const override;

    // The text as code-page-1250 bytes (CR LF line ends), by the save policy
    // of core/editor/editorsave.h; raises EGeneric when the text holds
    // characters the code page cannot store.
    std::string TextBytes() const;
    // Replaces the text with the given 1250 bytes (undo history emptied).
    void SetTextBytes(const std::string& bytes);
    // The text as UTF-8 (what the editor holds).
    std::string TextUtf8() const;

    TCaret Caret() const;
    void SetCaret(TCaret caret);
    std::string SelectedTextUtf8() const;

    // Status panels (shown when this window is the active one).
    void ShowPositionPanel();
    void ShowModifiedPanel();
    void ShowInsertPanel();
    void RefreshPanels();
    bool InsertMode() const { return InsertModeFlag; }
    void ToggleInsertMode();

    // Bookmarks 1..10.
    void SetBookmark(int n);
    void GotoBookmark(int n);
    bool MarkerSet(int n) const { return n >= 1 && n <= 10 && MarkerSetFlags[n - 1]; }
    // Fills the bookmark menu for setting (true) or going to (false);
    // ShowMarkerMenu also opens it at the mouse pointer.
    void BuildMarkerMenu(bool setMode);
    void ShowMarkerMenu(bool setMode);
    QMenu* MarkerMenu() const { return Marker_Menu; }
    bool MarkerSetMode() const { return SetMode; }

    // Edit commands.
    void InsertFile(const std::string& name);
    // Saves the selection to `target` by the editor's save policy (refused
    // characters, line ends, backup); errors are shown.
    void SaveBlockTo(const std::string& target);
    void SaveBlock();  // asks for the target
    void Find();
    void Replace();
    void FindNext();
    void GotoLine();
    // Searches for `text` from the caret; true when found (and selected).
    bool FindText(const std::string& text, bool caseSensitive, bool wholeWord, bool forward);
    // Replaces every occurrence; the number replaced.
    int ReplaceAll(const std::string& text, const std::string& with, bool caseSensitive,
                   bool wholeWord);

    // Prints the text through the print dialog, with the stored margins.
    void Print() override;

    // Fonts and options from the main window.
    void ApplyEditFont();
    void ApplyOptions(uint32_t editorOptions, uint32_t textOptions);

    // Called for every insertion (delta > 0) and deletion (delta < 0) of
    // text: `position` is the number of characters (CR and LF counted) in
    // front of the change, so a message whose 1-based position is greater
    // than `position` moves by `delta`. Empty here; the checking layer moves
    // its messages.
    virtual void ShiftMessages(int32_t /*position*/, int32_t /*delta*/) {}
    // Remembers the caret and text length after a change notification.
    void TrackChange();
    // 1-based offset of a caret in the CR LF text.
    int32_t CaretOffset(TCaret caret) const;

protected:
    void Activated() override;
    bool HandleWindowMessage(TWindowMessage* m) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void RefreshPopup() override;

private:
    void CreateCommands();
    void TrackModification(int position, int type, int length);
    void UpdateMainMenus();
    void RemoveKeyConflicts();

    QsciScintilla* DictEdit;
    QMenu* Marker_Menu;
    bool InsertModeFlag = true;
    std::array<bool, 10> MarkerSetFlags{};
    std::array<int, 10> MarkerHandles{};
    std::array<int, 10> MarkerColumns{};
    bool SetMode = false;
    TCaret PrevCaret;
    int32_t PrevTextLength = 0;
    bool ForcedModified = false;
    uint32_t EditorOpts = DefaultOptionsUnset;
    uint32_t TextOpts = DefaultOptionsUnset;
    // Last search, for Find next.
    std::string LastFind;
    bool LastCase = false, LastWord = false, LastForward = true;
    static constexpr uint32_t DefaultOptionsUnset = 0xFFFFFFFF;
};

}  // namespace tallyra::gui
