// SPDX-License-Identifier: GPL-3.0-or-later
// `tallyra enter`: plays a key script through the data entry window's
// keyboard model on a data file (as the data station or the viewer) or on a
// temporary file (as the script test window).
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tallyra::cli {

// Runs the sub-command with its arguments (without "enter"); returns the
// exit status (0 done, 2 usage or I/O errors).
int RunEnter(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char* const EnterHelp;

}  // namespace tallyra::cli
