// SPDX-License-Identifier: GPL-3.0-or-later
// `tallyra spss`, `tallyra vars` and `tallyra merge`: the SPSS export of a
// script, the variable set of any supported source, and the data file merger.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tallyra::cli {

// Each runs its sub-command with its arguments (without the command word)
// and returns the exit status: 0 done, 1 failed (the system's error text was
// printed), 2 usage error.
int RunSpss(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunVars(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunMerge(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char* const SpssHelp;
extern const char* const VarsHelp;
extern const char* const MergeHelp;

}  // namespace tallyra::cli
