// SPDX-License-Identifier: GPL-3.0-or-later
#include "selectionargs.h"

#include <algorithm>

#include "data/tpddatahandler.h"
#include "datautil.h"
#include "shell/cp1250.h"

namespace tallyra::cli {

using namespace tallyra::core;

std::vector<std::string> SplitCommas(const std::string& text) {
    std::vector<std::string> items;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        std::string item =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const size_t first = item.find_first_not_of(" \t");
        const size_t last = item.find_last_not_of(" \t");
        items.push_back(first == std::string::npos ? std::string()
                                                   : item.substr(first, last - first + 1));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return items;
}

std::optional<std::vector<int32_t>> ParseFieldList(const TPXDictionary& script,
                                                   const std::string& text, std::string& unknown) {
    // Field names become field numbers: the save counts fields, not instructions.
    std::vector<int32_t> fields;
    const TFieldFinder finder(script);
    std::vector<int32_t> ordinals(size_t(script.Instructions.Count()), -1);
    int32_t count = 0;
    for (int32_t i = 0; i < script.Instructions.Count(); ++i)
        if (script.Instructions.Field(i) != nullptr) ordinals[size_t(i)] = count++;
    for (const std::string& name : SplitCommas(text)) {
        const int32_t index = finder.Find(Utf8ToCp1250(name));
        if (index < 0) {
            unknown = name;
            return std::nullopt;
        }
        fields.push_back(ordinals[size_t(index)]);
    }
    return fields;
}

std::optional<std::vector<int64_t>> ParseRecordList(const std::string& text, int64_t fullCount) {
    const auto ranges = ParseRangeText(text, int32_t(std::min<int64_t>(fullCount, INT32_MAX)));
    if (!ranges) return std::nullopt;
    std::vector<int64_t> records;
    for (const auto& [from, to] : *ranges)
        for (int64_t r = std::max<int64_t>(from, 1); r <= std::min<int64_t>(to, fullCount); ++r)
            records.push_back(r);
    std::sort(records.begin(), records.end());
    records.erase(std::unique(records.begin(), records.end()), records.end());
    return records;
}

}  // namespace tallyra::cli
