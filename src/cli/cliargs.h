// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of a sub-command read against a table of its options.
// Every sub-command shares the rules: options and arguments may come in any
// order and are taken in the order given; an option that takes a value takes
// the argument after it, whatever it is; -h or --help prints the help and
// ends the command; any other argument that starts with '-' (other than "-"
// itself) is an unknown option; everything else is a positional argument.
#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tallyra::cli {

// The sub-command whose arguments are read: its name as messages give it
// ("tallyra NAME: ...") and its help text.
struct TCliCommand {
    const char* Name;
    const char* Help;
    // A negative number ("-1") is a positional argument, not an option.
    bool NumbersArePositional = false;
};

// One option of the table.
struct TCliOption {
    std::string Name;  // "--json"
    bool TakesValue = false;
    std::function<void()> Set;  // a flag: what it does
    // An option with a value: applies it; an empty text when it was taken,
    // otherwise the usage error to report.
    std::function<std::string(const std::string& value)> Take;
    // The usage error when the value is missing; empty: "NAME needs a value".
    std::string Missing;
};

// A flag that sets `target`; a flag that runs `set`.
TCliOption FlagOption(std::string name, bool& target);
TCliOption FlagOption(std::string name, std::function<void()> set);
// An option whose value `take` applies (see TCliOption::Take).
TCliOption ValueOption(std::string name, std::function<std::string(const std::string&)> take,
                       std::string missing = {});
// An option whose value is kept as given.
TCliOption TextOption(std::string name, std::optional<std::string>& target,
                      std::string missing = {});
// A whole number from `low` to `high`; `invalid` is the usage error for a
// missing value or any other.
TCliOption NumberOption(std::string name, long long low, long long high, long long& target,
                        std::string invalid);
// The options several sub-commands share.
TCliOption LanguageOption();  // --lang en|pl: the current language
TCliOption VarSizeOption();   // --var-size N: the SPSS variable name length

// Reads `args` against `options`, applying each option as it comes and
// collecting the positional arguments in order. An exit status when the
// command ends here: ExitOk after printing the help to `out`, ExitUsage
// after printing a usage error to `err`.
std::optional<int> ReadCommandLine(const TCliCommand& command,
                                   const std::vector<TCliOption>& options,
                                   const std::vector<std::string>& args,
                                   std::vector<std::string>& positional, std::ostream& out,
                                   std::ostream& err);

// Prints a usage error of the command with the hint to its help; returns
// ExitUsage.
int UsageError(const TCliCommand& command, const std::string& message, std::ostream& err);

}  // namespace tallyra::cli
