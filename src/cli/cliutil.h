// SPDX-License-Identifier: GPL-3.0-or-later
// Small helpers shared by the sub-commands of the command-line program.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallyra::cli {

// Exit statuses.
constexpr int ExitOk = 0;
constexpr int ExitFound = 1;  // errors found in the input
constexpr int ExitUsage = 2;  // usage or I/O errors

// Reads a whole file of at most core::MaxDocumentBytes (a folder, device or
// pipe is refused without reading). On failure returns nullopt and sets
// `error` to the reason (selected for the current language, not naming the
// file).
std::optional<std::string> ReadFileBytes(const std::string& path, std::string& error);

// Parses a whole decimal integer (optional sign); nullopt for anything else.
std::optional<long long> ParseInteger(const std::string& text);

// A message for the terminal: CR LF line ends become LF.
std::string ConsoleText(const std::string& text);

// A text from a file (UTF-8) made safe to print on a terminal: control
// characters, which a terminal would obey (ESC sequences, bells, line
// breaks inside a label), are shown escaped: "\x1b" for C0 and DEL, "\u009b"
// for the C1 controls. Everything else stays as it is.
std::string TerminalText(std::string_view utf8);

// Sets the current language from "en" or "pl"; false for anything else.
bool SetLanguageOption(const std::string& value);

// Sets the maximum length of SPSS variable names from a number of 1 to
// 1000000; false for anything else.
bool SetVarSizeOption(const std::string& value);

}  // namespace tallyra::cli
