// SPDX-License-Identifier: GPL-3.0-or-later
// The keyboard model of the data entry window: the editors of the current
// page, the refresh that keeps them in step with the store, and the
// translation of every key into field-editor changes and DoCommand calls
// (character filter, key-down table, EditorChanged, update mode, sound, the
// check and error commands). The Qt window and the command-line player both
// drive the store through this one model.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "keyscript.h"
#include "tpxdatahandler.h"
#include "tpxfieldeditor.h"

namespace tallyra::core {

class TEntryKeyboard {
public:
    // `store` and `owner` are borrowed and must outlive the model. The owner
    // is expected to forward OwnerRefresh to QueueRefresh, OwnerRefreshNow to
    // Refresh, and to answer OwnerUpdateMode / apply OwnerSound from
    // UpdateMode / SoundOn.
    TEntryKeyboard(TPXDataHandler& store, IPXDataOwner& owner);

    // StartEntry: the start position (the entry position of the incomplete
    // record, or the first record for the viewer), then the first refresh.
    void StartEntry(bool viewer = false);
    // One key, with everything the window does for it, including the queued
    // EditorChanged and refreshes. Store errors (EPXData, EGeneric) are shown
    // to the owner as error boxes.
    void Press(const TKeyStroke& key);

    // The queued and the immediate page refresh.
    void QueueRefresh();
    void Refresh();
    // Runs queued events until none is left.
    void ProcessQueue();

    // The editors of the current page in field order, and the focused one
    // (nullptr when none).
    const std::vector<std::unique_ptr<TPXFieldEditor>>& Editors() const { return PageEditors; }
    TPXFieldEditor* Focused() const;
    // Grows whenever the page's editors are rebuilt; a window compares it to
    // know when to rebuild its controls.
    uint64_t PageGeneration() const { return Generation; }
    // Whether a data check has run since the model was created.
    bool DataChecked() const { return Checked; }

    // F8, F7, F9, F10, F11, F12 (also reachable from menus).
    void ToggleUpdateMode();
    void ToggleSound() { SoundOn = !SoundOn; }
    void CheckAll();
    void CheckCurrent();
    void PrevError();
    void NextError();
    bool PrevErrorEnabled();
    bool NextErrorEnabled();

    // Whether the window may close (a modified current editor must validate).
    bool CanClose();

    // The error panel and status bar texts.
    std::string ErrorInfoText();
    std::string StatusText() const;

    // Keys pressed, and changes of a field taken back with Esc, since the
    // model was created (the operator log's figures).
    int64_t Keystrokes() const { return KeyCount; }
    int64_t EscChanges() const { return EscCount; }

    bool UpdateMode = false;
    bool SoundOn = true;
    uint8_t CheckMask = CheckMaskAll;
    bool KeypadPlus = false;

private:
    enum class TEvent { EditorChanged, Refresh };
    void KeyDown(const TKeyStroke& key, TPXFieldEditor* editor);
    void CharFilter(char c, TPXFieldEditor* editor);
    void ControlKey(const TKeyStroke& key, TPXFieldEditor* editor);
    void EditorChanged();
    void BuildPage();
    void Command(TPXCommand a, bool validate);
    void RunCheck(bool all);

    TPXDataHandler& Store;
    IPXDataOwner& Owner;
    std::vector<std::unique_ptr<TPXFieldEditor>> PageEditors;
    int32_t FocusIndex = -1;
    uint64_t Generation = 0;  // grows whenever the page's editors are rebuilt
    std::deque<TEvent> Queue;
    int32_t LastRec = -1;
    int32_t LastPageStart = -1;
    int32_t LastCur = -1;
    bool UpdateKnown = false;
    bool HasUpdateFields = false;
    bool Checked = false;
    int64_t KeyCount = 0;
    int64_t EscCount = 0;
};

// Texts shared by the window, the keyboard model and the command-line tools.
std::string NoFullRecordsText();
// The error panel before any data check: "Data not checked yet.".
std::string DataNotCheckedText();
// "The data is OK!" or "The data is not ok.\r\nErrors found: %d.".
std::string CheckResultText(int32_t errors);

}  // namespace tallyra::core
