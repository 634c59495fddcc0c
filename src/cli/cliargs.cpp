// SPDX-License-Identifier: GPL-3.0-or-later
#include "cliargs.h"

#include <algorithm>

#include "cliutil.h"

namespace tallyra::cli {

TCliOption FlagOption(std::string name, bool& target) {
    return FlagOption(std::move(name), [&target] { target = true; });
}

TCliOption FlagOption(std::string name, std::function<void()> set) {
    TCliOption option;
    option.Name = std::move(name);
    option.Set = std::move(set);
    return option;
}

TCliOption ValueOption(std::string name, std::function<std::string(const std::string&)> take,
                       std::string missing) {
    TCliOption option;
    option.Name = std::move(name);
    option.TakesValue = true;
    option.Take = std::move(take);
    option.Missing = std::move(missing);
    return option;
}

TCliOption TextOption(std::string name, std::optional<std::string>& target, std::string missing) {
    return ValueOption(
        std::move(name),
        [&target](const std::string& value) {
            target = value;
            return std::string();
        },
        std::move(missing));
}

TCliOption NumberOption(std::string name, long long low, long long high, long long& target,
                        std::string invalid) {
    return ValueOption(
        std::move(name),
        [low, high, &target, invalid](const std::string& value) {
            const auto n = ParseInteger(value);
            if (!n || *n < low || *n > high) return invalid;
            target = *n;
            return std::string();
        },
        invalid);
}

TCliOption LanguageOption() {
    const std::string invalid = "--lang takes en or pl";
    return ValueOption(
        "--lang",
        [invalid](const std::string& value) {
            return SetLanguageOption(value) ? std::string() : invalid;
        },
        invalid);
}

TCliOption VarSizeOption() {
    const std::string invalid = "--var-size takes a positive number";
    return ValueOption(
        "--var-size",
        [invalid](const std::string& value) {
            return SetVarSizeOption(value) ? std::string() : invalid;
        },
        invalid);
}

std::optional<int> ReadCommandLine(const TCliCommand& command,
                                   const std::vector<TCliOption>& options,
                                   const std::vector<std::string>& args,
                                   std::vector<std::string>& positional, std::ostream& out,
                                   std::ostream& err) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            out << command.Help;
            return ExitOk;
        }
        const auto option = std::find_if(options.begin(), options.end(),
                                         [&](const TCliOption& o) { return o.Name == arg; });
        if (option == options.end()) {
            const bool number = command.NumbersArePositional && ParseInteger(arg);
            if (arg.size() > 1 && arg[0] == '-' && !number)
                return UsageError(command, "unknown option '" + arg + "'", err);
            positional.push_back(arg);
        } else if (!option->TakesValue) {
            option->Set();
        } else if (i + 1 >= args.size()) {
            return UsageError(
                command, option->Missing.empty() ? arg + " needs a value" : option->Missing, err);
        } else if (const std::string error = option->Take(args[++i]); !error.empty()) {
            return UsageError(command, error, err);
        }
    }
    return std::nullopt;
}

int UsageError(const TCliCommand& command, const std::string& message, std::ostream& err) {
    err << "tallyra " << command.Name << ": " << message << "\nTry 'tallyra " << command.Name
        << " --help'.\n";
    return ExitUsage;
}

}  // namespace tallyra::cli
