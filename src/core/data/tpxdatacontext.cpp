// SPDX-License-Identifier: GPL-3.0-or-later
#include "tpxdatacontext.h"

#include "../script/tpxinstruction.h"

namespace tallyra::core {

void TActiveFilters::Add(int32_t fieldIndex, int32_t filterIndex, int32_t rangeIndex,
                         uint8_t active) {
    Items.push_back({fieldIndex, filterIndex, rangeIndex, active, 0});
}

void TActiveFilters::DeleteOwnedBy(int32_t fieldIndex) {
    for (size_t i = Items.size(); i-- > 0;)
        if (Items[i].FieldIndex == fieldIndex) Items.erase(Items.begin() + long(i));
}

bool TActiveFilters::IsStrong(const TActiveFilterItem& item) const {
    const auto* field =
        static_cast<const TPXNumericInstruction*>(Instructions->Get(item.FieldIndex));
    return (*field->Filters)[size_t(item.FilterIndex)].Kind == fkWhen;
}

bool TActiveFilters::IsFiltered() const {
    bool weakSeen = false;
    bool weakInactive = false;
    for (const TActiveFilterItem& item : Items) {
        if (item.InEffect != 1) continue;
        if (IsStrong(item)) {
            if (item.Active == 1) return true;
        } else {
            weakSeen = true;
            if (item.Active == 0) weakInactive = true;
        }
    }
    return weakSeen && !weakInactive;
}

}  // namespace tallyra::core
