// SPDX-License-Identifier: GPL-3.0-or-later
// `tallyra codebook`: the HTML codebook of a script, with frequencies when a
// data file is given.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tallyra::cli {

// Exit status: 0 written, 1 refused or failed (the reason is printed), 2 usage.
int RunCodebook(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char* const CodebookHelp;

}  // namespace tallyra::cli
