// SPDX-License-Identifier: GPL-3.0-or-later
// `tallyra check`: reads scripts as the script editor's Check does and
// reports their messages.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tallyra::cli {

// Runs the sub-command with its arguments (without "check"); returns the
// exit status (0 no errors, 1 errors found, 2 usage or I/O errors).
int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char* const CheckHelp;

}  // namespace tallyra::cli
