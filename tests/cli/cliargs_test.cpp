// SPDX-License-Identifier: GPL-3.0-or-later
// The option table every sub-command reads its command line with.
#include "cliargs.h"

#include <sstream>

#include <gtest/gtest.h>

#include "cliutil.h"
#include "script/tscriptoptions.h"
#include "shell/langtext.h"

namespace tallyra::cli {
namespace {

const char* const DemoHelp = "Usage: tallyra demo [OPTIONS] FILE...\n";

struct TCase {
    const char* Title;
    std::vector<std::string> Args;
    bool NumbersArePositional;
    std::optional<int> Exit;
    std::vector<std::string> Positional;
    std::string Out, Err;
    bool Json;
    std::optional<std::string> Name;
    long long Count;
};

std::string Usage(const std::string& message) {
    return "tallyra demo: " + message + "\nTry 'tallyra demo --help'.\n";
}

TEST(CliArgs, ReadsTheCommandLineAgainstTheOptionTable) {
    const TCase cases[] = {
        {"positional arguments keep their order among the options",
         {"a", "--json", "b", "--count", "7", "c"},
         false,
         std::nullopt,
         {"a", "b", "c"},
         "",
         "",
         true,
         std::nullopt,
         7},
        {"a value is the next argument whatever it looks like",
         {"--name", "--json", "x"},
         false,
         std::nullopt,
         {"x"},
         "",
         "",
         false,
         "--json",
         -1},
        {"an empty value is a value",
         {"--name", ""},
         false,
         std::nullopt,
         {},
         "",
         "",
         false,
         "",
         -1},
        {"a lone dash is positional",
         {"-", "a"},
         false,
         std::nullopt,
         {"-", "a"},
         "",
         "",
         false,
         std::nullopt,
         -1},
        {"an unknown option",
         {"a", "--bogus", "b"},
         false,
         ExitUsage,
         {"a"},
         "",
         Usage("unknown option '--bogus'"),
         false,
         std::nullopt,
         -1},
        {"a short option other than -h is unknown",
         {"-j"},
         false,
         ExitUsage,
         {},
         "",
         Usage("unknown option '-j'"),
         false,
         std::nullopt,
         -1},
        {"no --name=value form",
         {"--name=x"},
         false,
         ExitUsage,
         {},
         "",
         Usage("unknown option '--name=x'"),
         false,
         std::nullopt,
         -1},
        {"no -- end of the options",
         {"--", "a"},
         false,
         ExitUsage,
         {},
         "",
         Usage("unknown option '--'"),
         false,
         std::nullopt,
         -1},
        {"a missing value, default text",
         {"a", "--name"},
         false,
         ExitUsage,
         {"a"},
         "",
         Usage("--name needs a value"),
         false,
         std::nullopt,
         -1},
        {"a missing value, the option's text",
         {"--count"},
         false,
         ExitUsage,
         {},
         "",
         Usage("--count takes 1 to 9"),
         false,
         std::nullopt,
         -1},
        {"a value out of range",
         {"--count", "10"},
         false,
         ExitUsage,
         {},
         "",
         Usage("--count takes 1 to 9"),
         false,
         std::nullopt,
         -1},
        {"a value that is no number",
         {"--count", "3x"},
         false,
         ExitUsage,
         {},
         "",
         Usage("--count takes 1 to 9"),
         false,
         std::nullopt,
         -1},
        {"help ends the command",
         {"--json", "-h", "--bogus"},
         false,
         ExitOk,
         {},
         DemoHelp,
         "",
         true,
         std::nullopt,
         -1},
        {"the long help", {"--help"}, false, ExitOk, {}, DemoHelp, "", false, std::nullopt, -1},
        {"an error before the help",
         {"--bogus", "--help"},
         false,
         ExitUsage,
         {},
         "",
         Usage("unknown option '--bogus'"),
         false,
         std::nullopt,
         -1},
        {"a negative number is an option",
         {"-3"},
         false,
         ExitUsage,
         {},
         "",
         Usage("unknown option '-3'"),
         false,
         std::nullopt,
         -1},
        {"a negative number as an argument",
         {"-3", "+4", "-x"},
         true,
         ExitUsage,
         {"-3", "+4"},
         "",
         Usage("unknown option '-x'"),
         false,
         std::nullopt,
         -1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Title);
        bool json = false;
        std::optional<std::string> name;
        long long count = -1;
        const std::vector<TCliOption> options = {
            FlagOption("--json", json),
            TextOption("--name", name),
            NumberOption("--count", 1, 9, count, "--count takes 1 to 9"),
        };
        std::vector<std::string> positional;
        std::ostringstream out, err;
        const TCliCommand command{"demo", DemoHelp, c.NumbersArePositional};
        EXPECT_EQ(ReadCommandLine(command, options, c.Args, positional, out, err), c.Exit);
        EXPECT_EQ(positional, c.Positional);
        EXPECT_EQ(out.str(), c.Out);
        EXPECT_EQ(err.str(), c.Err);
        EXPECT_EQ(json, c.Json);
        EXPECT_EQ(name, c.Name);
        EXPECT_EQ(count, c.Count);
    }
}

// The shared options check their values and apply them as they come.
TEST(CliArgs, SharedOptionsApplyTheirValues) {
    const TCliCommand command{"demo", DemoHelp};
    const std::vector<TCliOption> options = {LanguageOption(), VarSizeOption()};
    const struct {
        std::vector<std::string> Args;
        std::string Err;
        int Language;
        int VarSize;  // 0: unchanged
    } cases[] = {
        {{"--lang", "pl", "--var-size", "12"}, "", core::LangPolish, 12},
        {{"--lang", "EN"}, "", core::LangEnglish, 0},
        {{"--lang", "de"}, Usage("--lang takes en or pl"), core::LangEnglish, 0},
        {{"--lang"}, Usage("--lang takes en or pl"), core::LangEnglish, 0},
        {{"--var-size", "0"}, Usage("--var-size takes a positive number"), core::LangEnglish, 0},
        {{"--var-size", "1000001"},
         Usage("--var-size takes a positive number"),
         core::LangEnglish,
         0},
        {{"--var-size"}, Usage("--var-size takes a positive number"), core::LangEnglish, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Args.front() + " " + (c.Args.size() > 1 ? c.Args[1] : ""));
        core::SetCurrentLanguage(core::LangEnglish);
        core::SetSPSSVarSize(0);
        const int defaultVarSize = core::SPSSVarSize();
        std::vector<std::string> positional;
        std::ostringstream out, err;
        const auto exit = ReadCommandLine(command, options, c.Args, positional, out, err);
        EXPECT_EQ(exit, c.Err.empty() ? std::nullopt : std::optional<int>(ExitUsage));
        EXPECT_EQ(err.str(), c.Err);
        EXPECT_EQ(core::CurrentLanguage(), c.Language);
        EXPECT_EQ(core::SPSSVarSize(), c.VarSize == 0 ? defaultVarSize : c.VarSize);
    }
    core::SetCurrentLanguage(core::LangEnglish);
    core::SetSPSSVarSize(0);
}

}  // namespace
}  // namespace tallyra::cli
