// SPDX-License-Identifier: GPL-3.0-or-later
// `tallyra stats` run in-process: the per-operator table, the JSON object
// and broken lines reported by number.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "jsonwriter.h"
#include "shell/langtext.h"
#include "statscommand.h"
#include "verify/operatorlog.h"

namespace tallyra::cli {
namespace {

class StatsCommand : public ::testing::Test {
protected:
    void SetUp() override {
        core::SetCurrentLanguage(core::LangEnglish);
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tallyra-cli-XXXXXX").string();
        Dir = ::mkdtemp(pattern.data());
        Log = Dir + "/d.dat.log";
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(Dir, ec);
    }
    void Write(const std::string& bytes) { std::ofstream(Log, std::ios::binary) << bytes; }
    int Run(std::vector<std::string> args) {
        Out.str("");
        Err.str("");
        return RunStats(args, Out, Err);
    }
    std::string Dir, Log;
    std::ostringstream Out;
    std::ostringstream Err;
};

const std::string Lines =
    "anna,2026-12-10T08:00:00Z,2026-12-10T10:00:00Z,40,9000,4500,3,1,,\r\n"
    "\"Żak, Ola\",2026-12-10T08:00:00Z,2026-12-10T09:00:00Z,30,5000,5000,0,0,4,2\r\n"
    "anna,2026-12-10T11:00:00Z,2026-12-10T12:00:00Z,20,4500,4500,1,0,1,0\r\n";

TEST_F(StatsCommand, SumsPerOperator) {
    Write(core::OperatorLogHeader() + Lines);
    EXPECT_EQ(Run({Log}), 0) << Err.str();
    EXPECT_EQ(Out.str(),
              "operator  sessions  records  keystrokes  hours  per hour  Esc  forced  first-entry "
              "errors  verifier slips\n"
              "anna             2       60       13500   3.00      4500    4       1             "
              "      1               0\n"
              "Żak, Ola         1       30        5000   1.00      5000    0       0             "
              "      4               2\n");
    EXPECT_EQ(Err.str(), "");
    EXPECT_EQ(Run({Log, "--json"}), 0);
    EXPECT_EQ(Out.str(),
              "{\"operators\":["
              "{\"operator\":\"anna\",\"sessions\":2,\"seconds\":10800,\"records\":60,"
              "\"keystrokes\":13500,\"keystrokes_per_hour\":4500,\"esc_changes\":4,"
              "\"forced_values\":1,\"verify_sessions\":1,\"first_entry_errors\":1,"
              "\"verifier_slips\":0},"
              "{\"operator\":\"Żak, Ola\",\"sessions\":1,\"seconds\":3600,\"records\":30,"
              "\"keystrokes\":5000,\"keystrokes_per_hour\":5000,\"esc_changes\":0,"
              "\"forced_values\":0,\"verify_sessions\":1,\"first_entry_errors\":4,"
              "\"verifier_slips\":2}],"
              "\"sessions\":3,\"broken_lines\":0}\n");
    Write(core::OperatorLogHeader());
    EXPECT_EQ(Run({Log, "--lang", "pl"}), 0);
    core::SetCurrentLanguage(core::LangEnglish);
    EXPECT_EQ(Out.str(), "W dzienniku nie ma żadnej sesji.\n");
}

TEST_F(StatsCommand, ReportsBrokenLinesAndRefusesOtherFiles) {
    Write(core::OperatorLogHeader() + Lines + "anna,2026-12-10T13:00:00Z,2026-12-10T14:00\r\n");
    EXPECT_EQ(Run({Log}), 1);
    EXPECT_EQ(Err.str(), Log + ":5: wrong number of columns: 3 instead of 10\n");
    EXPECT_NE(Out.str().find("anna             2       60"), std::string::npos);

    Write("0011Anna\r\n");
    EXPECT_EQ(Run({Log}), 2);
    EXPECT_EQ(Err.str(), Log +
                             ":1: this is not an operator log: the first line is not "
                             "\"operator,start,end,records,keystrokes,keystrokes_per_hour,"
                             "esc_changes,forced_values,first_entry_errors,verifier_slips\"\n");
    EXPECT_EQ(Out.str(), "");
    // An empty file is no operator log.
    Write("");
    EXPECT_EQ(Run({Log}), 2);
    EXPECT_EQ(Err.str(), Log +
                             ":1: this is not an operator log: it has no header line "
                             "\"operator,start,end,records,keystrokes,keystrokes_per_hour,"
                             "esc_changes,forced_values,first_entry_errors,verifier_slips\"\n");
    EXPECT_EQ(Out.str(), "");
    EXPECT_EQ(Run({Dir + "/none.log"}), 2);
    EXPECT_EQ(Err.str(), "tallyra stats: " + Dir + "/none.log: File not found.\n");
    EXPECT_EQ(Run({}), 2);
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_NE(Out.str().find("Usage: tallyra stats"), std::string::npos);
}

// Whatever a log holds, --json is UTF-8 text: a name that is not is a
// broken line, and the JSON writer itself never lets a malformed byte out.
TEST_F(StatsCommand, JsonHoldsOnlyUtf8Text) {
    Write(core::OperatorLogHeader() + "Za\xBF\xF3\xB3\xE6" +
          ",2026-12-10T14:00:00Z,2026-12-10T15:00:00Z,1,2,2,0,0,,\r\n");
    EXPECT_EQ(Run({Log, "--json"}), 1);
    EXPECT_EQ(Out.str(), "{\"operators\":[],\"sessions\":0,\"broken_lines\":1}\n");
    EXPECT_EQ(Err.str(),
              Log + ":2: the operator's name is not UTF-8 text (or holds control characters)\n");
    EXPECT_EQ(JsonQuote("Za\xBF\xF3 \xC5\xBC\xF0\x9F\x98\x80\xC5"),
              "\"Za\xEF\xBF\xBD\xEF\xBF\xBD \xC5\xBC\xF0\x9F\x98\x80\xEF\xBF\xBD\"");
}

}  // namespace
}  // namespace tallyra::cli
