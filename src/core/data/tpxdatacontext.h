// SPDX-License-Identifier: GPL-3.0-or-later
// The entry position of a record store: record, page, current field, group
// being entered, and the filter ranges that currently apply (the active
// filters of the incomplete record).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tallyra::core {

class TPXInstructionList;

// One label range of one filter of a field that has been entered. Indexes
// are kept in 32 bits so that large scripts cannot wrap them.
struct TActiveFilterItem {
    int32_t FieldIndex = 0;   // instruction index of the field defining the filter
    int32_t FilterIndex = 0;  // index of the filter in that field's filter list
    int32_t RangeIndex = 0;   // index of the label range in that filter
    uint8_t Active = 0;       // the defining field's value lies in the filter's values
    uint8_t InEffect = 0;     // the range's first label has been reached
};

class TActiveFilters {
public:
    // `instructions` is borrowed; it must outlive the list.
    explicit TActiveFilters(const TPXInstructionList& instructions) : Instructions(&instructions) {}

    // Appends an item with InEffect = 0.
    void Add(int32_t fieldIndex, int32_t filterIndex, int32_t rangeIndex, uint8_t active);
    void Clear() { Items.clear(); }
    void Delete(int32_t index) { Items.erase(Items.begin() + index); }
    // Deletes every item defined by the field, scanning from the end.
    void DeleteOwnedBy(int32_t fieldIndex);
    // Whether the field at the cursor lies under a filter and must take its
    // automatic value: one strong filter in effect and active is enough; weak
    // filters in effect must all be active (and there must be one).
    bool IsFiltered() const;
    // Whether the item belongs to a strong (WHEN) filter.
    bool IsStrong(const TActiveFilterItem& item) const;
    int32_t Count() const { return static_cast<int32_t>(Items.size()); }

    const TPXInstructionList* Instructions;  // borrowed
    std::vector<TActiveFilterItem> Items;
};

// Copyable: a copy duplicates the active filters item by item.
struct TPXDataContext {
    explicit TPXDataContext(const TPXInstructionList& instructions) : ActiveFilters(instructions) {}

    int32_t Rec = 1;
    int32_t Page = 1;
    int32_t LastWritten = -1;
    int32_t Cur = 0;
    int32_t PageStart = 0;
    std::string GroupLabel;
    TActiveFilters ActiveFilters;
};

}  // namespace tallyra::core
