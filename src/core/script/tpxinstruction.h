// SPDX-License-Identifier: GPL-3.0-or-later
// The instruction model of a read script: page breaks, comments and data
// fields (text or numeric), and the owning instruction list.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tnrangelist.h"

namespace tallyra::core {

constexpr uint8_t ikPage = 1;
constexpr uint8_t ikComment = 2;
constexpr uint8_t ikField = 3;

// Field switches (Flags bits).
constexpr uint8_t ffText = 1;
constexpr uint8_t ffRecId = 2;
constexpr uint8_t ffConst = 4;
constexpr uint8_t ffBeep = 8;
constexpr uint8_t ffUpdate = 16;

struct TPXValLab {
    int32_t Value = 0;
    std::string Text;  // as written, apostrophes included
};
using TPXValLabs = std::vector<TPXValLab>;

class TPXGenericInstruction {
public:
    explicit TPXGenericInstruction(uint8_t kind) : Kind(kind) {}
    virtual ~TPXGenericInstruction() = default;
    TPXGenericInstruction(const TPXGenericInstruction&) = delete;
    TPXGenericInstruction& operator=(const TPXGenericInstruction&) = delete;

    const uint8_t Kind;  // ikPage, ikComment or ikField
};

class TPXPageInstruction : public TPXGenericInstruction {
public:
    TPXPageInstruction() : TPXGenericInstruction(ikPage) {}
};

// An instruction that may carry a label (comments and fields).
class TPXRefInstruction : public TPXGenericInstruction {
public:
    using TPXGenericInstruction::TPXGenericInstruction;
    std::string Label;  // upper case, at most 8 characters; empty = none
};

class TPXCommentInstruction : public TPXRefInstruction {
public:
    TPXCommentInstruction() : TPXRefInstruction(ikComment) {}
    std::string Text;  // as written, apostrophes included
};

class TPXFieldInstruction : public TPXRefInstruction {
public:
    TPXFieldInstruction() : TPXRefInstruction(ikField) {}

    bool IsText() const { return (Flags & ffText) != 0; }

    // The field as one line of script text without the asterisk.
    virtual std::string GetDefinition() const;
    // Appends GetDefinition() + "*" as one new line.
    void WriteDefinition(std::vector<std::string>& lines) const;
    // The automatic value as data characters (padded with zeros for numeric
    // fields, never cut).
    std::string AutoValue() const;

    std::string Left;
    std::string Right;
    std::string Auto;
    std::string VarName;
    std::string VarLab;
    std::string Group;  // on the first field of a group: the label of its last field
    int32_t Column = 0;
    int32_t Width = 1;
    int32_t Height = 1;
    uint8_t Flags = 0;
    uint8_t Selected = 0;
};

class TPXTextInstruction : public TPXFieldInstruction {
public:
    TPXTextInstruction() { Flags = ffText; }
};

class TPXNumericInstruction : public TPXFieldInstruction {
public:
    std::string GetDefinition() const override;

    TNRangeList Range;                     // at least one interval in a read script
    std::unique_ptr<TFilterList> Filters;  // absent when the field has no filter
    TPXValLabs ValLabs;
};

// The instructions of a script in script order; owns them.
class TPXInstructionList {
public:
    int32_t Count() const { return static_cast<int32_t>(Items.size()); }
    TPXGenericInstruction* Get(int32_t index) const {
        return Items[static_cast<size_t>(index)].get();
    }
    // Field at index, or nullptr when that instruction is not a field.
    TPXFieldInstruction* Field(int32_t index) const;
    void Add(std::unique_ptr<TPXGenericInstruction> instruction) {
        Items.push_back(std::move(instruction));
    }
    // The last field, searching from the end, that carries ffRecId; nullptr if none.
    TPXFieldInstruction* FindRecId() const;
    // Column + Width + 1 of the last field (record characters plus CR LF); 0 without fields.
    int32_t LineLength() const;

    std::vector<std::unique_ptr<TPXGenericInstruction>> Items;
};

}  // namespace tallyra::core
