// SPDX-License-Identifier: GPL-3.0-or-later
// The --fields and --records arguments of the sub-commands that cut a
// selection out of a data file (subset, export): fields named by label,
// VARNAME, the variable name `vars` prints or instruction index, records as
// in the viewer's range dialog.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "script/tpxdictionary.h"

namespace tallyra::cli {

// The items of a comma-separated list, blanks and tabs trimmed.
std::vector<std::string> SplitCommas(const std::string& text);

// The fields of a --fields list as field numbers (0-based among the script's
// field instructions, the way the save counts them), in the order named.
// nullopt when an item names no field; `unknown` then holds that item.
std::optional<std::vector<int32_t>> ParseFieldList(const core::TPXDictionary& script,
                                                   const std::string& text, std::string& unknown);

// The record numbers of a --records range text, sorted, without repeats and
// limited to 1..fullCount; nullopt for a text the range dialog refuses.
std::optional<std::vector<int64_t>> ParseRecordList(const std::string& text, int64_t fullCount);

}  // namespace tallyra::cli
