// SPDX-License-Identifier: GPL-3.0-or-later
// `tallyra subset`: saves a selection of fields and records of a data file as
// a new data file with its own script and SPSS syntax, as the viewer's Save
// selection does.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tallyra::cli {

// Exit status: 0 saved, 1 refused or failed (the reason is printed), 2 usage.
int RunSubset(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char* const SubsetHelp;

}  // namespace tallyra::cli
