// SPDX-License-Identifier: GPL-3.0-or-later
// Interval lists of the instruction model: numeric intervals (ranges, filter
// values), label ranges (filter targets, pending references) and filters.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tallyra::core {

// Open ends of a numeric interval. The any-value list is RANGE_MIN..RANGE_MAX
// and does not hold -2147483648.
constexpr int32_t RANGE_MIN = -2147483647;
constexpr int32_t RANGE_MAX = 2147483647;

struct TNRange {
    int32_t Lo;
    int32_t Hi;
};

class TNRangeIndex;

// Closed integer intervals in the order written (no merging, no ordering; an
// interval with Lo > Hi holds nothing but stays). A value type: copying it is
// the CopyOf creation. Items grow only at the end (Add); a long list keeps a
// sorted index for Contains, built when first asked (not thread-safe).
class TNRangeList {
public:
    TNRangeList() = default;
    static TNRangeList AnyValue() {
        TNRangeList list;
        list.Add(RANGE_MIN, RANGE_MAX);
        return list;
    }

    void Add(int32_t lo, int32_t hi) { Items.push_back({lo, hi}); }
    int32_t Count() const { return static_cast<int32_t>(Items.size()); }
    const TNRange& operator[](int32_t i) const { return Items[static_cast<size_t>(i)]; }

    // True when some interval holds v. O(log n) on long lists after the first
    // question, so checking many values against a range of many single
    // values stays n log n.
    bool Contains(int32_t v) const;
    // The number of intervals (after the first) that meet an earlier one:
    // interval j counts when some i < j has Lo[j] <= Hi[i] and Hi[j] >= Lo[i].
    // O(n log n) in the number of intervals.
    int32_t OverlappingCount() const;
    // Same count and equal bounds at every index (order matters).
    bool SameAs(const TNRangeList& other) const;
    // The bracketed form: [1,3:5,7:9]; an interval from RANGE_MIN writes nothing
    // but its separator, so the any-value list gives [].
    std::string ToText() const;

    std::vector<TNRange> Items;

private:
    mutable std::shared_ptr<const TNRangeIndex> Index;  // shared by copies; never changed
    mutable size_t IndexedCount = 0;                    // Items.size() when Index was built
};

// A sorted, merged copy of a range list for many membership questions:
// Contains answers as TNRangeList::Contains does, in O(log n).
class TNRangeIndex {
public:
    explicit TNRangeIndex(const TNRangeList& list);
    bool Contains(int32_t v) const;

private:
    std::vector<TNRange> Merged;  // disjoint, ascending, each with Lo <= Hi
};

struct TIRange {
    std::string FromLabel;  // upper case, at most 8 characters; empty once resolved
    std::string ToLabel;    // equal to FromLabel for a single label
    int32_t FromPos = 0;    // script position just after FromLabel
    int32_t ToPos = 0;      // script position just after ToLabel
};

// Label ranges in the order written.
class TIRangeList {
public:
    void Add(const TIRange& item) { Items.push_back(item); }
    void Delete(int32_t index) { Items.erase(Items.begin() + index); }
    int32_t Count() const { return static_cast<int32_t>(Items.size()); }
    TIRange& operator[](int32_t i) { return Items[static_cast<size_t>(i)]; }
    const TIRange& operator[](int32_t i) const { return Items[static_cast<size_t>(i)]; }

    std::vector<TIRange> Items;
};

constexpr uint8_t fkWhen = 0;
constexpr uint8_t fkSignal = 1;

// One WHEN or SIGNAL attribute: the filter acts when the owning field's value
// lies in Values; it governs the fields named by Targets.
struct TFilterItem {
    uint8_t Kind = fkWhen;
    TNRangeList Values;
    TIRangeList Targets;
};

// The filters of one numeric field, in the order written.
using TFilterList = std::vector<TFilterItem>;

}  // namespace tallyra::core
