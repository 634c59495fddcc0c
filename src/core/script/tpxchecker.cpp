// SPDX-License-Identifier: GPL-3.0-or-later
// The checking half of the script reader: what happens at an instruction's
// terminating asterisk (defaults, inheritance, checks, label resolution,
// creation and placement of fields) and the checks at the end of the script.

#include "../shell/errors.h"
#include "keywords.h"
#include "messagecodes.h"
#include "tpxdictionary.h"
#include "tpxreadstate.h"

namespace tallyra::core {

namespace {

size_t DecimalLength(int32_t v) {
    return std::to_string(v).size();
}

bool IsUpperLetter(char c) {
    return c >= 'A' && c <= 'Z';
}

void UpperInPlace(std::string& s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = char(c - 32);
}

// The name the repeated-variable warning compares: VARNAME, or the left text
// without its apostrophes, cut to the name length and before its first blank.
std::string RepetitionName(const TPXFieldInstruction& field) {
    std::string n;
    if (!field.VarName.empty()) {
        n = field.VarName;
    } else {
        size_t first = 0;
        size_t last = field.Left.size();
        while (first < last && field.Left[first] == '\'')
            ++first;
        while (last > first && field.Left[last - 1] == '\'')
            --last;
        n = field.Left.substr(first, last - first).substr(0, static_cast<size_t>(SPSSVarSize()));
        const size_t blank = n.find(' ');
        if (blank != std::string::npos) n.resize(blank);
    }
    UpperInPlace(n);
    return n;
}

}  // namespace

void TPXDictionary::Complete() {
    TPXInstruction& col = S->Collector;
    if (col.State == 0) col.State = 3;
    if (col.State == 3) CompleteField();
    if (!col.Label.empty()) ResolveLabel();
    CreateInstructions();
}

void TPXDictionary::CompleteField() {
    TPXInstruction& col = S->Collector;
    S->FieldOnPage = true;
    const bool text = (col.Flags & ffText) != 0;
    InheritFromPrevious(text);
    CheckWidthLimit(text);
    CheckCombinedAttributes();
    if (col.Range) CheckRangeFits();
    CheckAutoFits(text);
    if ((col.Flags & ffRecId) && S->InsideRanges > 0) throw ECompilerError(mcIdentifierInFilter);
}

void TPXDictionary::InheritFromPrevious(bool text) {
    TPXInstruction& col = S->Collector;
    const TPXFieldInstruction* prev =
        text ? S->PrevText : static_cast<const TPXFieldInstruction*>(S->PrevNumeric);
    if (!col.Auto.empty() && col.Auto == prev->Auto && Options.HintInherited)
        AddHint(mcInheritedAuto);
    if (col.Auto.empty()) col.Auto = prev->Auto;
    if (col.Width == prev->Width && Options.HintInherited) AddHint(mcInheritedWidth);
    if (col.Width == 0) col.Width = prev->Width;
    if (!text) {
        const TNRangeList& prevRange = S->PrevNumeric->Range;
        if (!col.Range) {
            if (prevRange.Count() > 0) col.Range = std::make_unique<TNRangeList>(prevRange);
        } else if (col.Range->SameAs(prevRange) && Options.HintInherited) {
            AddHint(mcInheritedRange);
        }
        if (col.Height > 1) throw ECompilerError(mcNumberHeight);
    }
}

void TPXDictionary::CheckWidthLimit(bool text) {
    const int32_t width = S->Collector.Width;
    if (!text) {
        if (Options.ExtWideNumbers && width > 11) throw ECompilerError(mcWideNumberTooWide);
        if (!Options.ExtWideNumbers && width > 8) throw ECompilerError(mcNumberTooWide);
    } else {
        if (width > 48 && !Options.ExtLongText) throw ECompilerError(mcTextTooWide);
        if (width > 32767) throw ECompilerError(mcTextWidth);
    }
}

void TPXDictionary::CheckCombinedAttributes() {
    TPXInstruction& col = S->Collector;
    if (col.Item >= 0 && col.Repeat < 0) throw ECompilerError(mcItemNeedsRepeat);
    if (col.Repeat >= 0 && col.Item < 0) col.Item = 1;
    if (col.Repeat >= 0) {
        if (col.Flags & ffRecId) throw ECompilerError(mcIllegalHere);
        if (col.Left.find('$') == std::string::npos && Options.HintNoDollar)
            AddHint(mcNoDollarInLeft);
    }
    if ((col.Flags & ffConst) && (col.Flags & ffRecId)) throw ECompilerError(mcConstantIdentifier);
}

void TPXDictionary::CheckRangeFits() {
    const TPXInstruction& col = S->Collector;
    const TNRangeList& range = *col.Range;
    const size_t width = static_cast<size_t>(col.Width);
    if (Options.WarnRangeWider) {
        for (const TNRange& r : range.Items) {
            if (r.Lo == RANGE_MIN || r.Hi == RANGE_MAX) continue;
            if (DecimalLength(r.Lo) > width || DecimalLength(r.Hi) > width) {
                AddWarning(mcRangeTooWide);
                break;
            }
        }
    }
    if (Options.WarnWidthWider && range.Count() > 0) {
        const TNRange& last = range.Items.back();
        if (std::max(DecimalLength(last.Lo), DecimalLength(last.Hi)) < width)
            AddWarning(mcWiderThanMaximum);
    }
    if (!col.Filters) return;
    const TNRangeIndex index(range);
    for (const TFilterItem& filter : *col.Filters) {
        if (Options.WarnFilterOutside) {
            for (const TNRange& v : filter.Values.Items) {
                if (!index.Contains(v.Lo) || !index.Contains(v.Hi)) {
                    AddWarning(mcFilterOutOfRange);
                    break;
                }
            }
        }
        if (Options.WarnFilterMatches && filter.Values.SameAs(range)) AddWarning(mcFilterIsRange);
    }
}

void TPXDictionary::CheckAutoFits(bool text) {
    const TPXInstruction& col = S->Collector;
    int v;
    if (StrToIntPX(col.Auto, v)) {
        if (text) throw ECompilerError(mcNumericAutoInText);
        // The value goes into the record as written (zero-padded, never
        // cut), so the written form must fit as well: +7, 007 or 0x1F in a
        // one-character field would spill into the next field.
        if (DecimalLength(v) > static_cast<size_t>(col.Width) ||
            col.Auto.size() > static_cast<size_t>(col.Width))
            throw ECompilerError(mcAutoTooWide);
        if (col.Range && !col.Range->Contains(v) && Options.WarnAutoOutside)
            AddWarning(mcAutoOutOfRange);
    } else if (col.Auto.size() >= 2 && col.Auto[1] == '\\') {
        if (col.Auto.size() != 4) throw ECompilerError(mcInvalidAuto);
    } else {
        if (static_cast<int64_t>(col.Auto.size()) - 2 != col.Width)
            throw ECompilerError(mcAutoWidthDiffers);
        if (!text) {
            if (!StrToIntPX(std::string_view(col.Auto).substr(1, col.Auto.size() - 2), v))
                throw ECompilerError(mcInvalidAuto);
            if (col.Range && !col.Range->Contains(v) && Options.WarnAutoOutside)
                AddWarning(mcAutoOutOfRange);
        }
    }
}

void TPXDictionary::ResolveLabel() {
    const TPXInstruction& col = S->Collector;
    const std::string& label = col.Label;
    if (col.Filters) {
        for (const TFilterItem& filter : *col.Filters)
            for (const TIRange& target : filter.Targets.Items)
                if (target.FromLabel == label || target.ToLabel == label)
                    throw ECompilerError(mcLabelDefined);
    }
    bool matched = false;
    TIndexedRanges& pending = S->PendingRefs;
    if (const auto* candidates = pending.Candidates(label)) {
        for (auto it = candidates->rbegin(); it != candidates->rend(); ++it) {
            const int32_t i = *it;
            if (!pending.Matches(i, label)) continue;
            TIRange& ref = pending.Items[size_t(i)];
            matched = true;
            if (ref.FromLabel == label) {
                ref.FromLabel.clear();
                if (!ref.ToLabel.empty()) ++S->InsideRanges;
            }
            if (ref.ToLabel == label) {
                if (!ref.FromLabel.empty()) throw ECompilerError(mcNoSuchRange);
                ref.ToLabel.clear();
                --S->InsideRanges;
            }
            if (ref.FromLabel.empty() && ref.ToLabel.empty()) pending.Remove(i);
            if (col.State == 2) throw ECompilerError(mcFieldLabelExpected);
            if (col.Flags & ffRecId) throw ECompilerError(mcIdentifierInFilter);
        }
    }
    if (!matched) S->UnreferencedLabels.Add({label, std::string(), S->LabelPos, 0});
}

void TPXDictionary::CreateInstructions() {
    TPXInstruction& col = S->Collector;
    for (;;) {
        std::unique_ptr<TPXGenericInstruction> instruction;
        TPXRefInstruction* ref = nullptr;
        try {
            if (col.State == 1) {
                instruction = std::make_unique<TPXPageInstruction>();
            } else if (col.State == 2) {
                auto comment = std::make_unique<TPXCommentInstruction>();
                comment->Text = col.Text;
                comment->Label = col.Label;
                ref = comment.get();
                instruction = std::move(comment);
            } else {
                auto field = BuildField();
                ref = field.get();
                instruction = std::move(field);
            }
            // A group ends at the instruction that carries its end label.
            if (ref != nullptr && S->OpenGroup != nullptr && ref->Label == S->OpenGroup->Group) {
                S->OpenGroup = nullptr;
                if (col.State != 3) throw ECompilerError(mcFieldLabelExpected);
            }
        } catch (...) {
            if (ref != nullptr && S->RecIdField == ref) S->RecIdField = nullptr;
            if (ref != nullptr && S->OpenGroup == ref) S->OpenGroup = nullptr;
            throw;
        }
        if (ref != nullptr && !ref->Label.empty()) S->Labelled[LabelKey(ref->Label)] = ref;
        if (col.State == 3) {
            auto* field = static_cast<TPXFieldInstruction*>(ref);
            if (field->IsText())
                S->PrevText = field;
            else
                S->PrevNumeric = static_cast<TPXNumericInstruction*>(field);
        }
        Instructions.Add(std::move(instruction));
        if (col.Repeat >= 2) {
            --col.Repeat;
            ++col.Item;
            continue;
        }
        break;
    }
}

std::unique_ptr<TPXFieldInstruction> TPXDictionary::BuildField() {
    TPXInstruction& col = S->Collector;
    std::unique_ptr<TPXFieldInstruction> field;
    if (col.Flags & ffText) {
        field = std::make_unique<TPXTextInstruction>();
    } else {
        auto numeric = std::make_unique<TPXNumericInstruction>();
        if (col.Range) {
            if (col.Repeat < 2)
                numeric->Range = std::move(*col.Range);
            else
                numeric->Range = *col.Range;
        }
        numeric->Filters = std::move(col.Filters);
        numeric->ValLabs = col.ValLabs;
        field = std::move(numeric);
    }

    std::string left = col.Left;
    if (left.empty() && Options.WarnNoLeft) AddWarning(mcLeftTextMissing);
    if (col.Repeat > 0) {
        const size_t dollar = left.find('$');
        if (dollar != std::string::npos) left.replace(dollar, 1, std::to_string(col.Item));
    }
    if (Options.WarnBadVarName) CheckVarName(left);

    field->Left = std::move(left);
    field->Right = col.Right;
    field->Auto = col.Auto;
    field->VarName = col.VarName;
    field->VarLab = col.VarLab;
    if (col.Repeat == -1 || col.Repeat == 1) field->Label = col.Label;
    field->Group = std::move(col.Group);
    col.Group.clear();

    // The field starts right after the field created last.
    const TPXFieldInstruction* prevText = S->PrevText;
    const TPXFieldInstruction* prevNumeric = S->PrevNumeric;
    const TPXFieldInstruction* prev =
        prevText->Column < prevNumeric->Column ? prevNumeric : prevText;
    const int64_t column = int64_t(prev->Column) + prev->Width;
    if (column + col.Width - 1 > MaxRecordLength) throw ECompilerError(mcRecordTooLong);
    field->Column = static_cast<int32_t>(column);
    field->Width = col.Width;
    field->Height = std::max(1, col.Height);
    field->Flags = col.Flags;

    if (field->Flags & ffRecId) S->RecIdField = field.get();
    if (!field->Group.empty()) {
        S->OpenGroup = field.get();
        if (field->Flags & ffRecId) {
            S->RecIdField = nullptr;
            S->OpenGroup = nullptr;
            throw ECompilerError(mcIdentifierInGroup);
        }
    }

    if (Options.WarnVarRepeated) {
        std::string name = RepetitionName(*field);
        if (!S->VarNames.insert(std::move(name)).second) AddWarning(mcVarNameRepeated);
    }
    return field;
}

void TPXDictionary::CheckVarName(const std::string& left) {
    const TPXInstruction& col = S->Collector;
    std::string n;
    if (!col.VarName.empty())
        n = col.VarName;
    else if (left.size() >= 2)
        n = left.substr(1, left.size() - 2);
    const size_t start = n.find_first_not_of(' ');
    if (start == std::string::npos) {
        AddWarning(mcIllegalVarName);
        return;
    }
    n.erase(0, start);
    const size_t blank = n.find(' ');
    if (blank != std::string::npos) n.resize(blank);
    n = n.substr(0, static_cast<size_t>(SPSSVarSize()));
    UpperInPlace(n);
    if (!IsUpperLetter(n[0]) && n[0] != '_') {
        AddWarning(mcIllegalVarName);
        return;
    }
    for (size_t i = 1; i < n.size(); ++i) {
        const char c = n[i];
        if (!(IsUpperLetter(c) || (c >= '0' && c <= '9') || c == '_')) AddWarning(mcIllegalVarName);
    }
}

void TPXDictionary::EndChecks() {
    const int32_t position = S->Compiler.Position;
    if (S->InProgress) Messages->AddMessage(mkError, position, mcMissingAsterisk);
    if (!S->FieldOnPage) Messages->AddMessage(mkWarning, position, mcEmptyPage);
    if (S->RecIdField == nullptr) Messages->AddMessage(mkHint, position, mcNoIdentifier);
    const TIndexedRanges& pending = S->PendingRefs;
    for (size_t i = 0; i < pending.Items.size(); ++i) {
        if (!pending.Alive[i]) continue;
        const TIRange& ref = pending.Items[i];
        if (!ref.FromLabel.empty()) Messages->AddMessage(mkError, ref.FromPos, mcUndefinedLabel);
        if (!ref.ToLabel.empty() && ref.ToLabel != ref.FromLabel)
            Messages->AddMessage(mkError, ref.ToPos, mcUndefinedLabel);
    }
    if (Options.WarnUnusedLabel) {
        const TIndexedRanges& unused = S->UnreferencedLabels;
        for (size_t i = 0; i < unused.Items.size(); ++i)
            if (unused.Alive[i])
                Messages->AddMessage(mkWarning, unused.Items[i].FromPos, mcLabelUnused);
    }
    if (S->OpenGroup != nullptr) {
        for (size_t i = 0; i < pending.Items.size(); ++i) {
            if (pending.Alive[i] && pending.Items[i].FromLabel == S->OpenGroup->Group) {
                Messages->AddMessage(mkError, pending.Items[i].FromPos, mcGroupNotEnded);
                break;
            }
        }
    }
    bool dataField = false;
    for (const auto& instruction : Instructions.Items) {
        if (instruction->Kind != ikField) continue;
        if ((static_cast<const TPXFieldInstruction*>(instruction.get())->Flags &
             (ffRecId | ffConst)) == 0) {
            dataField = true;
            break;
        }
    }
    if (!dataField) Messages->AddMessage(mkError, position, mcNoDataField);
}

}  // namespace tallyra::core
