// Small helpers shared by the sub-commands of the command-line program.
#pragma once

#include <optional>
#include <string>
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

// Sets the current language from "en" or "pl"; false for anything else.
bool SetLanguageOption(const std::string& value);

// The options several sub-commands share, at args[i] (the option itself):
// each takes the value that follows (advancing i) and applies it; false when
// the value is missing or invalid.
bool TakeLanguageOption(const std::vector<std::string>& args, size_t& i);  // --lang en|pl
bool TakeVarSizeOption(const std::vector<std::string>& args, size_t& i);   // --var-size N

}  // namespace tallyra::cli
