#include "tnrangelist.h"

namespace tallyra::core {

bool TNRangeList::Contains(int32_t v) const {
    for (const TNRange& r : Items)
        if (r.Lo <= v && v <= r.Hi) return true;
    return false;
}

bool TNRangeList::SameAs(const TNRangeList& other) const {
    if (Items.size() != other.Items.size()) return false;
    for (size_t i = 0; i < Items.size(); ++i)
        if (Items[i].Lo != other.Items[i].Lo || Items[i].Hi != other.Items[i].Hi) return false;
    return true;
}

std::string TNRangeList::ToText() const {
    std::string text = "[";
    for (size_t i = 0; i < Items.size(); ++i) {
        if (i > 0) text += ',';
        const TNRange& r = Items[i];
        if (r.Lo == RANGE_MIN) continue;
        text += std::to_string(r.Lo);
        if (r.Lo != r.Hi) text += ':' + std::to_string(r.Hi);
    }
    text += ']';
    return text;
}

}  // namespace tallyra::core
