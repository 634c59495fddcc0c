// SPDX-License-Identifier: GPL-3.0-or-later
// `tallyra stats`: the figures of a data file's operator log summed per
// operator.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tallyra::cli {

// Runs the sub-command with its arguments (without "stats"); returns the
// exit status (0 every line summed, 1 broken lines were reported and passed
// over, 2 usage or I/O errors or a file that is not an operator log).
int RunStats(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char* const StatsHelp;

}  // namespace tallyra::cli
