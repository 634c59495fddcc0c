// SPDX-License-Identifier: GPL-3.0-or-later
// `tallyra check-data`: the data entry window's data check over a data file.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tallyra::cli {

// Runs the sub-command with its arguments (without "check-data"); returns
// the exit status (0 data OK, 1 data errors found, 2 usage or I/O errors).
int RunCheckData(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char* const CheckDataHelp;

}  // namespace tallyra::cli
