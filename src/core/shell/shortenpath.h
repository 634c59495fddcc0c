// SPDX-License-Identifier: GPL-3.0-or-later
// Shortening of file paths for status lines: folders nearest the root give
// way to "..." until the path fits, the file name and its nearest folders
// stay.
#pragma once

#include <cstddef>
#include <string>

namespace tallyra::core {

// The path shortened to at most `n` characters. Backslash paths (with a
// drive "X:" or starting at the root "\") and slash paths are both handled:
// "C:\Data\Survey2005\Wave1\file.dat" to 24 becomes "C:\...\Wave1\file.dat".
// A path without folders is only cut to n characters.
std::string ShortenPath(std::string path, size_t n);

}  // namespace tallyra::core
