// SPDX-License-Identifier: GPL-3.0-or-later
// Where the fields of a checked script lie, as the data store needs it: the
// field at each instruction index with its cached automatic value, the pages,
// the record identifier. Built once from the instruction list and never
// changed; every call is a lookup that raises nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "../script/tpxinstruction.h"

namespace tallyra::core {

class TPXFieldLayout {
public:
    // `instructions` is borrowed and must outlive the layout. Raises EPXData
    // for a script without fields and for records too long for data entry
    // (the store keeps two record buffers and the editors one text per
    // field, and a script may declare fields of any width).
    explicit TPXFieldLayout(const TPXInstructionList& instructions);

    const TPXInstructionList& Instructions() const { return *List; }
    int32_t Count() const { return int32_t(Fields.size()); }
    // The field at instruction index i, or nullptr (a comment, a page, an
    // index outside the script).
    const TPXFieldInstruction* FieldAt(int32_t i) const {
        return i >= 0 && i < int32_t(Fields.size()) ? Fields[size_t(i)] : nullptr;
    }
    // The automatic value of field i as the store writes it.
    const std::string& AutoText(int32_t i) const { return AutoValues[size_t(i)]; }
    // The first field after instruction index `after`; Count() + 1 when none.
    int32_t FieldAfter(int32_t after) const;
    // The last field of the script.
    int32_t LastField() const { return Last; }
    // The instruction index of the record identifier field, -1 for none.
    int32_t IdentifierIndex() const { return Identifier; }
    // The nearest page start at or before instruction i.
    int32_t PageStartOf(int32_t i) const;
    // The page number (from 1) of the page starting at `pageStart`.
    int32_t PageNumberOf(int32_t pageStart) const;

private:
    const TPXInstructionList* List;  // borrowed
    std::vector<const TPXFieldInstruction*> Fields;
    std::vector<std::string> AutoValues;
    int32_t Last = -1;
    int32_t Identifier = -1;
};

}  // namespace tallyra::core
