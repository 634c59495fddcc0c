// SPDX-License-Identifier: GPL-3.0-or-later
// The field editor model: what the on-screen editing control of one field
// holds and how it reacts to editing keys. Numeric fields behave as a
// fixed-position masked edit (typing replaces the character at the caret and
// moves right; empty positions read back as blanks and show as "*"); text
// fields as a plain edit limited to the field's width, multi-line when the
// field is higher than one line. The Qt window mirrors this model on screen.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "../script/tpxinstruction.h"

namespace tallyra::core {

class TPXFieldEditor {
public:
    // `field` is borrowed (the script outlives the page); `fieldIndex` is its
    // instruction index.
    TPXFieldEditor(TPXFieldInstruction& field, int32_t fieldIndex);

    int32_t FieldIndex() const { return Index; }
    const TPXFieldInstruction& Field() const { return *FieldRef; }
    bool IsMasked() const { return Masked; }
    bool IsMultiLine() const { return MultiLine; }
    int32_t MaxLength() const { return MaxLen; }
    void SetMaxLength(int32_t n);

    // The text as read back (masked: MaxLength characters, blanks where
    // nothing was typed).
    const std::string& Text() const { return Value; }
    // What the control shows (masked: "*" in empty positions).
    std::string DisplayText() const;
    // Sets the text; clears the modified state and the selection, caret to 0,
    // and makes it the text Esc returns to.
    void SetText(std::string_view text);
    bool Modified() const { return IsModified; }
    void SetModified(bool modified) { IsModified = modified; }
    int32_t Caret() const { return SelStart; }
    void SetCaret(int32_t caret);
    int32_t SelectionLength() const { return SelLength; }
    void SelectAll();
    bool Enabled = true;

    // --- the control's own handling of keys
    // Types one character (the character filter has let it through). False
    // when the control refuses it (full, or a control character).
    bool TypeChar(char c);
    void Backspace();
    void Delete();
    void MoveLeft();
    void MoveRight();
    void MoveHome();
    void MoveEnd();
    void MoveUp();
    void MoveDown();
    // Esc: back to the text last set.
    void Undo();

    // --- operations the data entry window uses
    bool CaretOnFirstLine() const;
    bool CaretOnLastLine() const;
    // Multi-line only: removes trailing characters with codes up to 32 and
    // puts the caret at the end.
    void TrimToEnd();
    // Multi-line only: caret to 0.
    void Home();
    // The field's selection mark (aqua background when set).
    void SetMarked(bool marked) { FieldRef->Selected = marked ? 1 : 0; }
    bool Marked() const { return FieldRef->Selected != 0; }

private:
    void ReplaceSelection();
    int32_t LineOf(int32_t pos) const;
    int32_t LineStart(int32_t line) const;
    int32_t LineCount() const;

    TPXFieldInstruction* FieldRef;
    int32_t Index;
    bool Masked;
    bool MultiLine;
    int32_t MaxLen;
    std::string Value;
    std::string UndoValue;
    bool IsModified = false;
    int32_t SelStart = 0;
    int32_t SelLength = 0;
};

}  // namespace tallyra::core
