// SPDX-License-Identifier: GPL-3.0-or-later
// `tallyra freq`: the frequency table of one field over a data file.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tallyra::cli {

// Runs the sub-command with its arguments (without "freq"); returns the exit
// status (0 table printed, 2 usage or I/O errors or nothing to count).
int RunFreq(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char* const FreqHelp;

}  // namespace tallyra::cli
