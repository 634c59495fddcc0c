// SPDX-License-Identifier: GPL-3.0-or-later
// Message boxes with tagged titles and button captions in both languages,
// and the file dialogs the windows use. Both can be replaced by scripted
// answers (tests install a handler; no modal dialog then appears).
#pragma once

#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace tallyra::gui {

// Results of the boxes, as callers compare them.
constexpr int MsgResultOk = 1;
constexpr int MsgResultYes = 6;
constexpr int MsgResultNo = 7;
constexpr int MsgResultCancel = 2;

// YesNo is the question with Yes and No only, No the default (the
// force-value question of data entry); it is titled like Confirm.
enum class TMsgKind { Information, Confirm, Warning, Error, YesNo };

// Each takes an already-selected text (UTF-8) and returns the button pressed.
int MsgInformation(const std::string& text);
int MsgConfirm(const std::string& text);  // 6 Yes, 7 No, 2 Cancel
int MsgWarning(const std::string& text);
int MsgError(const std::string& text);
int MsgAskYesNo(const std::string& text);  // 6 Yes, 7 No (Esc answers No)

// The selected title of a kind ("Information", "Confirm", "Warning", "Error").
std::string MsgTitle(TMsgKind kind);

// Replaces every box with `handler` (kind, text) -> result; an empty
// function restores the real boxes.
using TMsgHandler = std::function<int(TMsgKind, const std::string&)>;
void SetMsgHandler(TMsgHandler handler);

// A file dialog request: title and filter are selected texts; the filter
// is in "Name (*.a;*.b)|*.a;*.b|..." form.
struct TFileDialogRequest {
    enum class Mode { Open, OpenMulti, Save };
    Mode DialogMode = Mode::Open;
    std::string Title;
    std::string Folder;
    std::string FileName;
    std::string Filter;
    std::string DefaultExt;
    // Save mode: whether the dialog itself asks before an existing file is
    // chosen (off where choosing an existing file is the normal case).
    bool ConfirmOverwrite = true;
};

// Shows the dialog; the chosen full paths, empty on cancel.
std::vector<std::string> RunFileDialog(QWidget* parent, const TFileDialogRequest& request);

using TFileDialogHandler = std::function<std::vector<std::string>(const TFileDialogRequest&)>;
void SetFileDialogHandler(TFileDialogHandler handler);

// The filter of the dialogs that choose a data file ("Data (*.dat)" and
// "All files"), selected for the current language.
std::string DataFileFilter();

// Converts a "Name|*.a;*.b|..." filter to Qt's "Name (*.a *.b);;..." form.
std::string QtFilterOf(const std::string& filter);

}  // namespace tallyra::gui
