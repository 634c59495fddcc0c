// SPDX-License-Identifier: GPL-3.0-or-later
// printf-style formatting into std::string, used after a tagged text has been
// selected with LangText ("select first, format second").
#pragma once

#include <string>

namespace tallyra::core {

// Formats like snprintf. The format must come from the program's own texts,
// never from user input.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// The same for a selected text held in a std::string.
template <class... Args>
std::string FormatText(const std::string& fmt, Args... args) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
    return Format(fmt.c_str(), args...);
#pragma GCC diagnostic pop
}

}  // namespace tallyra::core
