// SPDX-License-Identifier: GPL-3.0-or-later
// `tallyra db init | publish | status | pull`: collecting many stations'
// records in a PostgreSQL database.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tallyra::cli {

// Runs `tallyra db` with its arguments (without "db"; the first names the
// sub-command). Returns the exit status: 0 done, 1 refused or failed (the
// reason is printed: the server cannot be reached, the login was refused,
// the layout does not fit ...), 2 usage errors.
int RunDb(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char* const DbHelp;

}  // namespace tallyra::cli
