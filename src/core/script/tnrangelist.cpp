// SPDX-License-Identifier: GPL-3.0-or-later
#include "tnrangelist.h"

#include <algorithm>

namespace tallyra::core {

bool TNRangeList::Contains(int32_t v) const {
    // A walk is quickest over the few intervals most ranges have.
    if (Items.size() <= 16) {
        for (const TNRange& r : Items)
            if (r.Lo <= v && v <= r.Hi) return true;
        return false;
    }
    if (!Index || IndexedCount != Items.size()) {
        Index = std::make_shared<const TNRangeIndex>(*this);
        IndexedCount = Items.size();
    }
    return Index->Contains(v);
}

int32_t TNRangeList::OverlappingCount() const {
    if (Items.size() < 2) return 0;
    // Interval j meets an earlier i when Lo[i] <= Hi[j] and Hi[i] >= Lo[j]:
    // the largest Hi among the earlier intervals whose Lo is at most Hi[j]
    // answers it. A Fenwick tree over the sorted Lo values keeps those
    // prefix maxima as the intervals come in order.
    std::vector<int32_t> los;
    los.reserve(Items.size());
    for (const TNRange& r : Items)
        los.push_back(r.Lo);
    std::sort(los.begin(), los.end());
    los.erase(std::unique(los.begin(), los.end()), los.end());
    const size_t n = los.size();
    std::vector<int64_t> tree(n + 1, INT64_MIN);
    int32_t count = 0;
    for (size_t j = 0; j < Items.size(); ++j) {
        const TNRange& r = Items[j];
        if (j > 0) {
            // Lo values at most Hi[j]: the first k sorted ones.
            size_t k =
                static_cast<size_t>(std::upper_bound(los.begin(), los.end(), r.Hi) - los.begin());
            int64_t best = INT64_MIN;
            for (; k > 0; k &= k - 1)
                best = std::max(best, tree[k]);
            if (best >= r.Lo) ++count;
        }
        size_t at =
            static_cast<size_t>(std::lower_bound(los.begin(), los.end(), r.Lo) - los.begin()) + 1;
        for (; at <= n; at += at & (~at + 1))
            tree[at] = std::max<int64_t>(tree[at], r.Hi);
    }
    return count;
}

TNRangeIndex::TNRangeIndex(const TNRangeList& list) {
    for (const TNRange& r : list.Items)
        if (r.Lo <= r.Hi) Merged.push_back(r);
    std::sort(Merged.begin(), Merged.end(),
              [](const TNRange& a, const TNRange& b) { return a.Lo < b.Lo; });
    size_t out = 0;
    for (size_t i = 0; i < Merged.size(); ++i) {
        if (out > 0 && int64_t(Merged[i].Lo) <= int64_t(Merged[out - 1].Hi) + 1)
            Merged[out - 1].Hi = std::max(Merged[out - 1].Hi, Merged[i].Hi);
        else
            Merged[out++] = Merged[i];
    }
    Merged.resize(out);
}

bool TNRangeIndex::Contains(int32_t v) const {
    // The last interval starting at or before v.
    auto it = std::upper_bound(Merged.begin(), Merged.end(), v,
                               [](int32_t value, const TNRange& r) { return value < r.Lo; });
    if (it == Merged.begin()) return false;
    --it;
    return v <= it->Hi;
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
