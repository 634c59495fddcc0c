// SPDX-License-Identifier: GPL-3.0-or-later
// Private to the script reader: the attribute collector of the current
// instruction and the state that lives for one reading.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "tnrangelist.h"
#include "tpxcompiler.h"
#include "tpxinstruction.h"

namespace tallyra::core {

// What has been read of the current instruction.
struct TPXInstruction {
    uint8_t State = 0;  // 0 undecided, 1 page, 2 comment, 3 field
    std::string Text, Left, Right, Auto, VarName, VarLab;
    TPXValLabs ValLabs;
    std::string Label, Group;
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t Repeat = -1;
    int32_t Item = -1;
    std::unique_ptr<TNRangeList> Range;
    std::unique_ptr<TFilterList> Filters;
    uint8_t Flags = 0;
};

// Labels are at most 8 characters, so one 64-bit number holds each exactly;
// the indexes below hash those numbers instead of strings.
using TLabelKey = uint64_t;
inline TLabelKey LabelKey(std::string_view label) {
    TLabelKey key = 0;
    for (size_t i = 0; i < label.size() && i < 8; ++i)
        key |= TLabelKey(static_cast<unsigned char>(label[i])) << (8 * i);
    return key;
}

// A label-range list in insertion order whose entries can be found by label
// without scanning the list. Removed entries are tombstoned, so indexes stay
// stable and list order is kept.
class TIndexedRanges {
public:
    int32_t Add(const TIRange& range) {
        const auto index = static_cast<int32_t>(Items.size());
        Items.push_back(range);
        Alive.push_back(true);
        ByLabel[LabelKey(range.FromLabel)].push_back(index);
        if (range.ToLabel != range.FromLabel && !range.ToLabel.empty())
            ByLabel[LabelKey(range.ToLabel)].push_back(index);
        return index;
    }
    bool Matches(int32_t i, const std::string& label) const {
        return Alive[size_t(i)] &&
               (Items[size_t(i)].FromLabel == label || Items[size_t(i)].ToLabel == label);
    }
    // Indexes that were added under `label` (check Matches before use).
    const std::vector<int32_t>* Candidates(const std::string& label) const {
        const auto it = ByLabel.find(LabelKey(label));
        return it == ByLabel.end() ? nullptr : &it->second;
    }
    void Remove(int32_t i) { Alive[size_t(i)] = false; }
    void Forget(const std::string& label) { ByLabel.erase(LabelKey(label)); }

    std::vector<TIRange> Items;
    std::vector<bool> Alive;

private:
    std::unordered_map<TLabelKey, std::vector<int32_t>> ByLabel;
};

struct TPXReadState {
    explicit TPXReadState(std::string_view text) : Compiler(text) {
        DefaultText.Auto = "'\\ '";
        DefaultText.Width = 1;
        DefaultText.Column = 0;
        DefaultNumeric.Auto = "0";
        DefaultNumeric.Range = TNRangeList::AnyValue();
        DefaultNumeric.Width = 1;
        DefaultNumeric.Column = 0;
    }

    TPXCompiler Compiler;
    TPXInstruction Collector;
    bool InProgress = false;
    bool FieldOnPage = false;
    TPXFieldInstruction* RecIdField = nullptr;
    TPXFieldInstruction* OpenGroup = nullptr;
    TPXTextInstruction DefaultText;
    TPXNumericInstruction DefaultNumeric;
    TPXFieldInstruction* PrevText = &DefaultText;
    TPXNumericInstruction* PrevNumeric = &DefaultNumeric;
    // Variable names derived so far (upper case). Only membership is asked.
    std::unordered_set<std::string> VarNames;
    int32_t LabelPos = 0;

    // Every labelled comment and field so far; labels are unique among them.
    std::unordered_map<TLabelKey, TPXRefInstruction*> Labelled;
    TPXRefInstruction* FindLabelled(const std::string& label) const {
        const auto it = Labelled.find(LabelKey(label));
        return it == Labelled.end() ? nullptr : it->second;
    }
    bool IsLabelled(const std::string& label) const { return Labelled.count(LabelKey(label)) > 0; }
    // Filter targets and group ends whose labels are not yet defined.
    TIndexedRanges PendingRefs;
    // Alive pending entries whose first label is resolved and last is not:
    // fields completed now lie inside that range.
    int32_t InsideRanges = 0;
    // Labels that matched no pending reference when defined.
    TIndexedRanges UnreferencedLabels;
};

}  // namespace tallyra::core
