// SPDX-License-Identifier: GPL-3.0-or-later
// The checking layer of a script window: the message list (InfoBox) under
// the editor with its summary line, the check command, choosing messages
// and stepping through them, and message positions that follow edits.
#pragma once

#include <cstdint>
#include <memory>

#include "script/tpxmessage.h"
#include "tchldedit.h"

class QListWidget;
class QSplitter;

namespace tallyra::gui {

class TChldComp_Form : public TChldEdit_Form {
    Q_OBJECT
public:
    // `mainForm` is borrowed and outlives the window. Derived constructors
    // must call CreateMessageList.
    explicit TChldComp_Form(TAppEdit_Form* mainForm);
    ~TChldComp_Form() override;

    // Messages of the last check (owned by the window, never null after
    // construction).
    core::TPXMessageList& MessageList() const { return *Messages; }
    int32_t CurrentMessage() const { return Current; }
    bool CheckDone() const { return Checked; }
    QListWidget* InfoBox() const { return Info; }
    QSplitter* Splitter() const { return Split; }

    // Moves every message after `position` by `delta`.
    void ShiftMessages(int32_t position, int32_t delta) override;

    // The Check command: reads the text and lists the messages.
    void CheckScript();
    // Fills InfoBox from the message list (summary line first).
    void ShowMessages();
    // Makes message k (clamped) the current one, moves the caret to it and
    // selects its line; nothing when there are no messages.
    void SelectMessage(int32_t k);
    // SelectMessage and focus the editor.
    void GotoMessage(int32_t k);
    void PreviousMessage() { GotoMessage(Current - 1); }
    void NextMessage() { GotoMessage(Current + 1); }
    bool CanGoPrevious() const { return Messages->Count() > 0 && Current > 0; }
    bool CanGoNext() const { return Messages->Count() > 0 && Current < Messages->Count() - 1; }

    // The message list with its splitter handle shown or hidden.
    bool MessageListVisible() const;
    void SetMessageListVisible(bool visible);

    // Applies the main window's info font to InfoBox.
    void ApplyInfoFont();

protected:
    // Reads the editor text into the message list.
    virtual void CompileScript() = 0;
    // Creates the message list with the current limit.
    virtual void CreateMessageList() = 0;
    // The main window's Script menu entry with the given component name.
    virtual QAction* ScriptTwin(const char* name) const = 0;
    // Lets the main window recompute its menus and toolbar.
    virtual void UpdateMain() {}

    void ApplyLanguage() override;
    void RefreshPopup() override;
    bool HandleWindowMessage(TWindowMessage* m) override;

    std::unique_ptr<core::TPXMessageList> Messages;

private:
    void CopyPopupEntries();
    void SelectInfoLine(int line);

    QSplitter* Split;
    QListWidget* Info;
    int32_t Current = 0;
    bool Checked = false;
};

}  // namespace tallyra::gui
