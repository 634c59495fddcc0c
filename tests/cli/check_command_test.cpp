// SPDX-License-Identifier: GPL-3.0-or-later
// `tallyra check` run in-process on small script files.
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "checkcommand.h"
#include "shell/langtext.h"

namespace tallyra::cli {
namespace {

namespace fs = std::filesystem;

class CheckCommand : public ::testing::Test {
protected:
    void SetUp() override {
        Dir = fs::temp_directory_path() / ("tallyra_check_" + std::to_string(::getpid()));
        fs::create_directories(Dir);
        core::SetCurrentLanguage(core::LangEnglish);
    }
    void TearDown() override {
        fs::remove_all(Dir);
        core::SetCurrentLanguage(core::LangEnglish);
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        const fs::path path = Dir / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }
    int Run(std::vector<std::string> args) {
        std::ostringstream out, err;
        const int status = RunCheck(args, out, err);
        Out = out.str();
        Err = err.str();
        return status;
    }
    fs::path Dir;
    std::string Out, Err;
};

TEST_F(CheckCommand, BundledExampleIsCorrect) {
    EXPECT_EQ(Run({std::string(TALLYRA_SOURCE_DIR) + "/examples/household.slo"}), 0);
    EXPECT_EQ(Out, "The file is correct.\n");
}

TEST_F(CheckCommand, ReportsLinesAndColumnsInTextOrder) {
    // LF line ends become CR LF, as in the editor.
    const std::string file =
        Write("broken.slo", "left='a' label=x*\nleft='b' width=0*\n  lab=1*\n");
    EXPECT_EQ(Run({file}), 1);
    EXPECT_EQ(Out, file + ":1:17: warning 0x4006: label never used\n" + file +
                       ":2:17: error 0x202A: field width must be greater than zero\n" + file +
                       ":3:6: error 0x2003: unknown reserved word\n" + file +
                       ":4:1: hint 0x6001: record identifier not defined\n"
                       "The file is not correct:\n");
}

TEST_F(CheckCommand, OptionsChooseWhatIsReported) {
    const std::string file = Write("w.slo", "left='a' label=x* width=10*");
    EXPECT_EQ(Run({"--fixed", file}), 0);
    EXPECT_EQ(Out, file +
                       ":1:28: hint 0x6001: record identifier not defined\n"
                       "The file is almost correct, but:\n");
    // --fixed stops at the first error, which would push the warning out
    EXPECT_EQ(Run({"--fixed", "--set", "ExtWideNumbers=0", "--set", "WarnUnusedLabel=1",
                   "--error-mode", "2", file}),
              1);
    EXPECT_NE(Out.find("error 0x2026: invalid width of a numeric field (max. 8 characters)"),
              std::string::npos);
    EXPECT_NE(Out.find("warning 0x4006"), std::string::npos);
}

TEST_F(CheckCommand, ErrorModeLimitsTheList) {
    const std::string file = Write("e.slo", "width=0* width=0* width=0* width=0*");
    EXPECT_EQ(Run({"--error-mode", "0", "--format", "list", file}), 1);
    EXPECT_EQ(Out,
              "The file is not correct:\n"
              "  (1) Error: field width must be greater than zero.\n"
              "  (2) Error: too many errors, the rest will be ignored.\n");
    EXPECT_EQ(Run({"--error-mode", "1", "--error-count", "3", "--format", "list", file}), 1);
    EXPECT_NE(Out.find("(4) Error: too many errors"), std::string::npos);
    EXPECT_EQ(Run({"--error-mode", "2", "--format", "list", file}), 1);
    EXPECT_NE(Out.find("(5) Warning: there must be at least one field on a page."),
              std::string::npos);
    EXPECT_NE(Out.find("(7) Error: a script must have"), std::string::npos);
}

TEST_F(CheckCommand, LangPlPrintsPolishMessages) {
    const std::string file = Write("p.slo", "width=0*");
    EXPECT_EQ(Run({"--lang", "pl", "--format", "list", file}), 1);
    EXPECT_EQ(Out.substr(0, Out.find('\n')), "Plik nie jest poprawny:");
    EXPECT_NE(Out.find("(1) Błąd: szerokość pola musi być większa od zera."), std::string::npos);
}

TEST_F(CheckCommand, JsonCarriesMessagesAndTheReadScript) {
    const std::string file =
        Write("j.slo",
              "comment='Za\xBF\xF3\xB3\xE6' label=c*\r\n"
              "left='\xA3\xF3\x64\xBF' varname=lodz width=2 auto=1 range=[1:5] vallab=[1 'tak'] "
              "when=[1][t] "
              "signal=[2,3:4][t:t] recid beep*\r\n"
              "page*left='T' text width=3 auto='\\-' label=t update*");
    EXPECT_EQ(Run({"--json", file}), 0);
    const std::string expected =
        "{\"file\":\"" + file +
        "\",\"messages\":[{\"kind\":\"warning\",\"code\":16390,\"position\":25,\"line\":1,"
        "\"column\":25,\"text\":\"label never used\"}],"
        "\"pageCount\":2,\"recordLength\":5,\"lineLength\":7,\"recIdIndex\":1,\"instructions\":["
        "{\"kind\":\"comment\",\"text\":\"'Zażółć'\",\"label\":\"C\"},"
        "{\"kind\":\"field\",\"type\":\"numeric\",\"label\":\"\",\"left\":\"'Łódż'\",\"right\":"
        "\"\","
        "\"auto\":\"1\",\"varname\":\"LODZ\",\"varlab\":\"\",\"group\":\"\",\"column\":1,"
        "\"width\":2,\"height\":1,\"flags\":[\"recid\",\"beep\"],\"autoValue\":\"01\",\"range\":\"["
        "1:5]\","
        "\"filters\":[{\"kind\":\"when\",\"values\":\"[1]\",\"targets\":[\"T\"]},"
        "{\"kind\":\"signal\",\"values\":\"[2,3:4]\",\"targets\":[\"T\"]}],"
        "\"vallabs\":[[1,\"'tak'\"]]},"
        "{\"kind\":\"page\"},"
        "{\"kind\":\"field\",\"type\":\"text\",\"label\":\"T\",\"left\":\"'T'\",\"right\":\"\","
        "\"auto\":\"'\\\\-'\",\"varname\":\"\",\"varlab\":\"\",\"group\":\"\",\"column\":3,"
        "\"width\":3,\"height\":1,\"flags\":[\"text\",\"update\"],\"autoValue\":\"---\"}]}\n";
    EXPECT_EQ(Out, expected);
}

TEST_F(CheckCommand, UsageAndInputErrorsExitWithTwoAndHelpWithZero) {
    EXPECT_EQ(Run({}), 2);
    EXPECT_EQ(Run({"--set", "Nothing=1", "x.slo"}), 2);
    EXPECT_NE(Err.find("unknown switch 'Nothing'"), std::string::npos);
    EXPECT_EQ(Run({"--error-mode", "3", "x.slo"}), 2);
    EXPECT_EQ(Run({"--bogus", "x.slo"}), 2);
    const std::string good = Write("g.slo", "left='a' recid* left='b'*");
    const std::string missing = (Dir / "missing.slo").string();
    EXPECT_EQ(Run({good, missing}), 2);
    EXPECT_EQ(Err, "tallyra: " + missing + ": File not found.\n");
    EXPECT_EQ(Out, "The file is correct.\n");  // the readable file is still checked
    EXPECT_EQ(Run({Dir.string()}), 2);
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_NE(Out.find("Usage: tallyra check"), std::string::npos);
}

}  // namespace
}  // namespace tallyra::cli
