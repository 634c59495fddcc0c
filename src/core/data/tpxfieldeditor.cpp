// SPDX-License-Identifier: GPL-3.0-or-later
#include "tpxfieldeditor.h"

#include <algorithm>

namespace tallyra::core {

TPXFieldEditor::TPXFieldEditor(TPXFieldInstruction& field, int32_t fieldIndex)
    : FieldRef(&field),
      Index(fieldIndex),
      Masked(!field.IsText()),
      MultiLine(field.IsText() && field.Height > 1),
      MaxLen(std::max(field.Width, 1)) {
    SetText(std::string_view());
}

void TPXFieldEditor::SetMaxLength(int32_t n) {
    MaxLen = std::max(n, 1);
    SetText(Value);
}

std::string TPXFieldEditor::DisplayText() const {
    if (!Masked) return Value;
    std::string shown = Value;
    std::replace(shown.begin(), shown.end(), ' ', '*');
    return shown;
}

void TPXFieldEditor::SetText(std::string_view text) {
    Value.assign(text);
    if (Masked) Value.resize(size_t(MaxLen), ' ');
    UndoValue = Value;
    IsModified = false;
    SelStart = 0;
    SelLength = 0;
}

void TPXFieldEditor::SetCaret(int32_t caret) {
    SelStart = std::clamp(caret, 0, int32_t(Value.size()));
    SelLength = 0;
}

void TPXFieldEditor::SelectAll() {
    SelStart = 0;
    SelLength = int32_t(Value.size());
}

void TPXFieldEditor::ReplaceSelection() {
    if (SelLength <= 0) return;
    if (Masked)
        std::fill_n(Value.begin() + SelStart, SelLength, ' ');
    else
        Value.erase(size_t(SelStart), size_t(SelLength));
    SelLength = 0;
    IsModified = true;
}

bool TPXFieldEditor::TypeChar(char c) {
    if (static_cast<unsigned char>(c) < 32) return false;
    if (Masked) {
        if (SelLength <= 0 && SelStart >= MaxLen) return false;
        ReplaceSelection();
        Value[size_t(SelStart)] = c;
        ++SelStart;
    } else {
        const int32_t after = int32_t(Value.size()) - std::max(SelLength, 0);
        if (after >= MaxLen) return false;
        ReplaceSelection();
        Value.insert(size_t(SelStart), 1, c);
        ++SelStart;
    }
    IsModified = true;
    return true;
}

void TPXFieldEditor::Backspace() {
    if (SelLength > 0) {
        ReplaceSelection();
        return;
    }
    if (SelStart == 0) return;
    int32_t from = SelStart - 1;
    int32_t count = 1;
    if (!Masked && from > 0 && Value[size_t(from)] == '\n' && Value[size_t(from - 1)] == '\r') {
        --from;
        count = 2;
    }
    Value.erase(size_t(from), size_t(count));
    if (Masked) Value.resize(size_t(MaxLen), ' ');
    SelStart = from;
    IsModified = true;
}

void TPXFieldEditor::Delete() {
    if (SelLength > 0) {
        ReplaceSelection();
        return;
    }
    if (SelStart >= int32_t(Value.size())) return;
    int32_t count = 1;
    if (!Masked && Value[size_t(SelStart)] == '\r' && SelStart + 1 < int32_t(Value.size()) &&
        Value[size_t(SelStart + 1)] == '\n')
        count = 2;
    Value.erase(size_t(SelStart), size_t(count));
    if (Masked) Value.resize(size_t(MaxLen), ' ');
    IsModified = true;
}

void TPXFieldEditor::MoveLeft() {
    if (SelLength > 0) {
        SelLength = 0;
        return;
    }
    if (SelStart > 0) --SelStart;
    if (SelStart > 0 && Value[size_t(SelStart)] == '\n' && Value[size_t(SelStart - 1)] == '\r')
        --SelStart;
}

void TPXFieldEditor::MoveRight() {
    if (SelLength > 0) {
        SelStart += SelLength;
        SelLength = 0;
        return;
    }
    if (SelStart < int32_t(Value.size())) ++SelStart;
    if (SelStart < int32_t(Value.size()) && Value[size_t(SelStart)] == '\n' &&
        Value[size_t(SelStart - 1)] == '\r')
        ++SelStart;
}

void TPXFieldEditor::MoveHome() {
    SetCaret(MultiLine ? LineStart(LineOf(SelStart)) : 0);
}

void TPXFieldEditor::MoveEnd() {
    if (Masked) {
        int32_t end = int32_t(Value.size());
        while (end > 0 && Value[size_t(end - 1)] == ' ')
            --end;
        SetCaret(end);
    } else if (MultiLine) {
        const int32_t line = LineOf(SelStart);
        const size_t end = Value.find("\r\n", size_t(LineStart(line)));
        SetCaret(end == std::string::npos ? int32_t(Value.size()) : int32_t(end));
    } else {
        SetCaret(int32_t(Value.size()));
    }
}

int32_t TPXFieldEditor::LineOf(int32_t pos) const {
    int32_t line = 0;
    for (size_t p = 0; (p = Value.find("\r\n", p)) != std::string::npos && int32_t(p) + 2 <= pos;
         p += 2)
        ++line;
    return line;
}

int32_t TPXFieldEditor::LineStart(int32_t line) const {
    size_t pos = 0;
    for (int32_t k = 0; k < line; ++k) {
        const size_t next = Value.find("\r\n", pos);
        if (next == std::string::npos) break;
        pos = next + 2;
    }
    return int32_t(pos);
}

int32_t TPXFieldEditor::LineCount() const {
    int32_t lines = 1;
    for (size_t pos = 0; (pos = Value.find("\r\n", pos)) != std::string::npos; pos += 2)
        ++lines;
    return lines;
}

void TPXFieldEditor::MoveUp() {
    if (!MultiLine) return;
    const int32_t line = LineOf(SelStart);
    if (line == 0) return;
    const int32_t column = SelStart - LineStart(line);
    const int32_t start = LineStart(line - 1);
    SetCaret(std::min(start + column, LineStart(line) - 2));
}

void TPXFieldEditor::MoveDown() {
    if (!MultiLine) return;
    const int32_t line = LineOf(SelStart);
    if (line + 1 >= LineCount()) return;
    const int32_t column = SelStart - LineStart(line);
    const int32_t start = LineStart(line + 1);
    const size_t end = Value.find("\r\n", size_t(start));
    const int32_t lineEnd = end == std::string::npos ? int32_t(Value.size()) : int32_t(end);
    SetCaret(std::min(start + column, lineEnd));
}

void TPXFieldEditor::Undo() {
    if (Value == UndoValue) return;
    Value = UndoValue;
    SelStart = 0;
    SelLength = 0;
    IsModified = true;
}

bool TPXFieldEditor::CaretOnFirstLine() const {
    return !MultiLine || LineOf(SelStart) == 0;
}

bool TPXFieldEditor::CaretOnLastLine() const {
    return !MultiLine || LineOf(SelStart) == LineCount() - 1;
}

void TPXFieldEditor::TrimToEnd() {
    if (!MultiLine) return;
    while (!Value.empty() && static_cast<unsigned char>(Value.back()) <= 32)
        Value.pop_back();
    SetCaret(int32_t(Value.size()));
}

void TPXFieldEditor::Home() {
    if (MultiLine) SetCaret(0);
}

}  // namespace tallyra::core
