// SPDX-License-Identifier: GPL-3.0-or-later
// `tallyra export`: writes chosen fields and records of a data file as a data
// set analysts open directly (SPSS .sav/.zsav/.por, Stata .dta, CSV).
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tallyra::cli {

// Exit status: 0 written, 1 refused or failed (the reason is printed), 2 usage.
int RunExport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char* const ExportHelp;

}  // namespace tallyra::cli
