// SPDX-License-Identifier: GPL-3.0-or-later
// `tallyra compare`: double data entry on the command line, the comparison
// of two keyings of the same questionnaires under one script.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tallyra::cli {

// Runs the sub-command with its arguments (without "compare"); returns the
// exit status (0 no difference, 1 differences, records in one file only or
// repeated identifiers found, 2 usage or I/O errors or a file that does not
// fit the script).
int RunCompare(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char* const CompareHelp;

}  // namespace tallyra::cli
