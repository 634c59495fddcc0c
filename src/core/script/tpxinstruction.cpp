// SPDX-License-Identifier: GPL-3.0-or-later
#include "tpxinstruction.h"

#include "keywords.h"

namespace tallyra::core {

std::string TPXFieldInstruction::GetDefinition() const {
    // A field without left text starts with a blank: every piece but LEFT is
    // written with its leading blank.
    std::string out;
    if (!Left.empty()) {
        out += KeywordsLower[kwLeft];
        out += '=';
        out += Left;
    }
    const auto piece = [&](TKeyword k, const std::string* value) {
        out += ' ';
        out += KeywordsLower[k];
        if (value != nullptr) {
            out += '=';
            out += *value;
        }
    };
    if (!VarName.empty()) piece(kwVarName, &VarName);
    if (!VarLab.empty()) piece(kwVarLab, &VarLab);
    const std::string width = std::to_string(Width);
    piece(kwWidth, &width);
    if (Height > 1) {
        const std::string height = std::to_string(Height);
        piece(kwHeight, &height);
    }
    size_t first = 0;
    size_t last = Auto.size();
    while (first < last && Auto[first] == '\'')
        ++first;
    while (last > first && Auto[last - 1] == '\'')
        --last;
    const std::string bare = Auto.substr(first, last - first);
    if (IsText()) {
        const std::string quoted = "'" + bare + "'";
        piece(kwAuto, &quoted);
        piece(kwText, nullptr);
    } else {
        piece(kwAuto, &bare);
    }
    if (Flags & ffRecId) piece(kwRecId, nullptr);
    if (Flags & ffConst) piece(kwConst, nullptr);
    if (Flags & ffBeep) piece(kwBeep, nullptr);
    if (Flags & ffUpdate) piece(kwUpdate, nullptr);
    if (!Right.empty()) piece(kwRight, &Right);
    return out;
}

std::string TPXNumericInstruction::GetDefinition() const {
    std::string out = TPXFieldInstruction::GetDefinition();
    out += ' ';
    out += KeywordsLower[kwRange];
    out += '=';
    out += Range.ToText();
    if (!ValLabs.empty()) {
        out += ' ';
        out += KeywordsLower[kwValLab];
        out += "=[";
        for (size_t i = 0; i < ValLabs.size(); ++i) {
            if (i > 0) out += ' ';
            out += std::to_string(ValLabs[i].Value);
            out += ' ';
            out += ValLabs[i].Text;
        }
        out += ']';
    }
    return out;
}

void TPXFieldInstruction::WriteDefinition(std::vector<std::string>& lines) const {
    lines.push_back(GetDefinition() + "*");
}

std::string TPXFieldInstruction::AutoValue() const {
    std::string s = Auto;
    if (!s.empty() && s[0] == '\'') s = s.size() >= 2 ? s.substr(1, s.size() - 2) : std::string();
    if (!s.empty() && s[0] == '\\') {
        const char fill = s.size() > 1 ? s[1] : ' ';
        s.assign(static_cast<size_t>(Width > 0 ? Width : 0), fill);
    }
    if (!IsText() && static_cast<int32_t>(s.size()) < Width) {
        const size_t pad = static_cast<size_t>(Width) - s.size();
        if (!s.empty() && (s[0] == '+' || s[0] == '-'))
            s.insert(1, pad, '0');
        else
            s.insert(0, pad, '0');
    }
    return s;
}

TPXFieldInstruction* TPXInstructionList::Field(int32_t index) const {
    TPXGenericInstruction* instruction = Get(index);
    return instruction->Kind == ikField ? static_cast<TPXFieldInstruction*>(instruction) : nullptr;
}

TPXFieldInstruction* TPXInstructionList::FindRecId() const {
    for (auto it = Items.rbegin(); it != Items.rend(); ++it) {
        if ((*it)->Kind != ikField) continue;
        auto* field = static_cast<TPXFieldInstruction*>(it->get());
        if (field->Flags & ffRecId) return field;
    }
    return nullptr;
}

int32_t TPXInstructionList::LineLength() const {
    for (auto it = Items.rbegin(); it != Items.rend(); ++it) {
        if ((*it)->Kind != ikField) continue;
        const auto* field = static_cast<const TPXFieldInstruction*>(it->get());
        return field->Column + field->Width + 1;
    }
    return 0;
}

}  // namespace tallyra::core
