// SPDX-License-Identifier: GPL-3.0-or-later
// The data sub-commands run in-process: enter, check-data and freq.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include <gtest/gtest.h>

#include "checkdatacommand.h"
#include "entercommand.h"
#include "freqcommand.h"
#include "shell/langtext.h"

namespace tallyra::cli {
namespace {

class DataCommands : public ::testing::Test {
protected:
    void SetUp() override {
        core::SetCurrentLanguage(core::LangEnglish);
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tallyra-cli-XXXXXX").string();
        Dir = ::mkdtemp(pattern.data());
        setenv("TMPDIR", Dir.c_str(), 1);
        Write("s.slo",
              "left='id' width=3 recid auto=1*\r\n"
              "left='Sex' varname=sex width=1 range=[1:2] vallab=[1 'man' 2 'woman'] "
              "label=SEX*\r\n"
              "left='Age' width=2 range=[18:99]*\r\n");
    }
    void TearDown() override {
        unsetenv("TMPDIR");
        std::error_code ec;
        std::filesystem::remove_all(Dir, ec);
    }
    std::string Path(const std::string& name) { return Dir + "/" + name; }
    void Write(const std::string& name, const std::string& bytes) {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }
    std::string Read(const std::string& name) {
        std::ifstream in(Path(name), std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    int Run(int (*command)(const std::vector<std::string>&, std::ostream&, std::ostream&),
            std::vector<std::string> args) {
        Out.str("");
        Err.str("");
        return command(args, Out, Err);
    }
    std::string Dir;
    std::ostringstream Out;
    std::ostringstream Err;
};

TEST_F(DataCommands, EnterKeysRecordsAndPrintsThePosition) {
    Write("k.txt", "145\r\n2<Enter>3<Enter><Yes>");
    EXPECT_EQ(Run(RunEnter, {Path("s.slo"), Path("d.dat"), "--keys", Path("k.txt")}), 0)
        << Err.str();
    EXPECT_EQ(Read("d.dat"), "001145\r\n002203\r\n003");
    EXPECT_EQ(Out.str(), "REC: 00003  PG: 0001  FIELD: 1  IDEN: 00000000003\n");
    // Enter on the empty age asks first (no answer given: No), then 03 is forced.
    EXPECT_EQ(Err.str(),
              "Value out of range\n[18:99].\n\nForce value?\nValue out of range\n[18:99]."
              "\n\nForce value?\n");
}

TEST_F(DataCommands, EnterReportsAnIncompleteRecordAndMakesABackup) {
    Write("d.dat", "001145\r\n0022");
    Write("k.txt", "30");
    EXPECT_EQ(Run(RunEnter, {Path("s.slo"), Path("d.dat"), "--keys", Path("k.txt")}), 0);
    EXPECT_EQ(Err.str(),
              "The last record in the opened file is incomplete.\nIt consists of 4 characters "
              "out of 6.\n");
    EXPECT_EQ(Read("d.bak"), "001145\r\n0022");
    EXPECT_EQ(Read("d.dat"), "001145\r\n002230\r\n003");
}

TEST_F(DataCommands, EnterStartRunsTheTestWindowOnATemporaryFile) {
    Write("k.txt", "25");
    EXPECT_EQ(Run(RunEnter, {Path("s.slo"), "--start", "2", "--keys", Path("k.txt")}), 0)
        << Err.str();
    // Fields before instruction 2 are automatic: the identifier and Sex.
    EXPECT_EQ(Out.str(), "REC: 00002  PG: 0001  FIELD: 2  IDEN: 00000000002\n001125\r\n0021");
    EXPECT_EQ(Err.str(), "");
    const auto folder = std::filesystem::path(Dir) / ("tallyra-" + std::to_string(getuid()));
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

TEST_F(DataCommands, EnterViewerNeverAppends) {
    Write("d.dat", "001145\r\n");
    Write("k.txt", "<C-End><Up>2<A-PgDn>");
    EXPECT_EQ(Run(RunEnter, {Path("s.slo"), Path("d.dat"), "--viewer", "--keys", Path("k.txt")}),
              0);
    EXPECT_EQ(Read("d.dat"), "001245\r\n");
    EXPECT_EQ(Out.str(), "REC: 00001  PG: 0001  FIELD: 2  IDEN: 00000000001\n");
}

TEST_F(DataCommands, EnterRefusesAMismatchedFileAndBadKeys) {
    Write("d.dat", "0011\r\n");
    Write("k.txt", "1");
    EXPECT_EQ(Run(RunEnter, {Path("s.slo"), Path("d.dat"), "--keys", Path("k.txt")}), 2);
    EXPECT_NE(Err.str().find("The data structure does not correspond with the script."),
              std::string::npos);
    Write("k.txt", "<Bogus>");
    EXPECT_EQ(Run(RunEnter, {Path("s.slo"), Path("e.dat"), "--keys", Path("k.txt")}), 2);
    EXPECT_NE(Err.str().find("unknown key <Bogus> at offset 1"), std::string::npos);
    EXPECT_EQ(Run(RunEnter, {Path("s.slo"), Path("e.dat")}), 2);
}

TEST_F(DataCommands, CheckDataPrintsErrorsAndResult) {
    Write("d.dat", "001145\r\n002310\r\n003###\r\n");
    EXPECT_EQ(Run(RunCheckData, {Path("s.slo"), Path("d.dat"), "--mask", "127"}), 1);
    const std::string d = Path("d.dat");
    EXPECT_EQ(Out.str(), d + ":2:1: 'Sex': 0x2068: value outside of the allowed range\n" + d +
                             ":2:2: 'Age': 0x2068: value outside of the allowed range\n" + d +
                             ":3:1: 'Sex': 0x2065: undefined value\n" + d +
                             ":3:2: 'Age': 0x2065: undefined value\nThe data is not ok.\nErrors "
                             "found: 4.\n");
    EXPECT_EQ(Run(RunCheckData, {Path("s.slo"), Path("d.dat"), "--mask", "0"}), 0);
    EXPECT_EQ(Out.str(), "The data is OK!\n");
    EXPECT_EQ(Run(RunCheckData, {Path("s.slo"), Path("d.dat"), "--record", "3", "--json"}), 1);
    EXPECT_NE(Out.str().find("\"record\":3,\"field\":1,\"left\":\"'Sex'\",\"code\":8293"),
              std::string::npos)
        << Out.str();
    EXPECT_EQ(Run(RunCheckData, {Path("s.slo"), Path("d.dat"), "--lang", "pl", "--mask", "1"}), 1);
    EXPECT_NE(Out.str().find("Dane nie są ok.\nZnaleziono błędów: 2."), std::string::npos);
}

TEST_F(DataCommands, CheckDataNeedsFullRecordsAndAnExistingFile) {
    EXPECT_EQ(Run(RunCheckData, {Path("s.slo"), Path("none.dat")}), 2);
    EXPECT_FALSE(std::filesystem::exists(Path("none.dat")));
    Write("d.dat", "0011");
    EXPECT_EQ(Run(RunCheckData, {Path("s.slo"), Path("d.dat")}), 2);
    EXPECT_EQ(Err.str(), "tallyra check-data: " + Path("d.dat") +
                             ": There are no FULL records in the data.\n");
    // A record past the full ones: the message names the file, the record and
    // the number of full records, in either language.
    struct Case {
        const char* Data;
        const char* Record;
        const char* Lang;
        std::string Expected;
    };
    const Case cases[] = {
        {"001145\r\n0011", "2", "en", ": record 2 is incomplete (the file has 1 full records).\n"},
        {"001145\r\n0011", "3", "en", ": there is no record 3 (the file has 1 full records).\n"},
        {"001145\r\n002145\r\n003145\r\n004145\r\n", "5", "en",
         ": there is no record 5 (the file has 4 full records).\n"},
        {"001145\r\n002145\r\n003145\r\n004145\r\n", "5", "pl",
         ": nie ma rekordu 5 (plik zawiera 4 pełnych rekordów).\n"},
        {"001145\r\n0011", "2", "pl",
         ": rekord 2 jest niepełny (plik zawiera 1 pełnych rekordów).\n"},
    };
    for (const Case& c : cases) {
        Write("d.dat", c.Data);
        EXPECT_EQ(Run(RunCheckData,
                      {Path("s.slo"), Path("d.dat"), "--record", c.Record, "--lang", c.Lang}),
                  2);
        EXPECT_EQ(Err.str(), "tallyra check-data: " + Path("d.dat") + c.Expected);
    }
}

TEST_F(DataCommands, FreqByLabelVarnameOrIndex) {
    Write("d.dat", "001145\r\n002220\r\n003130\r\n004199\r\n");
    for (const char* field : {"SEX", "sex", "1"}) {
        EXPECT_EQ(Run(RunFreq, {Path("s.slo"), Path("d.dat"), field}), 0) << field;
        EXPECT_EQ(Out.str(),
                  "Value\tFrequency\tPercent\tCumulative pct.\n"
                  "1 (man)\t3\t75.0%\t75.0%\n"
                  "2 (woman)\t1\t25.0%\t100.0%\n");
    }
    EXPECT_EQ(Run(RunFreq, {Path("s.slo"), Path("d.dat"), "2", "--json"}), 0);
    EXPECT_EQ(Out.str().substr(0, 60),
              "{\"field\":2,\"rows\":[{\"value\":\"20\",\"count\":1,\"percent\":\"25.0%\"");
    EXPECT_EQ(Run(RunFreq, {Path("s.slo"), Path("d.dat"), "nosuch"}), 2);
    // A file without full records: named with the reason.
    Write("e.dat", "0011");
    EXPECT_EQ(Run(RunFreq, {Path("s.slo"), Path("e.dat"), "SEX"}), 2);
    EXPECT_EQ(Err.str(), "tallyra freq: " + Path("e.dat") +
                             ": There are no records in the data for this field.\n");
}

// The names `vars` prints for fields without VARNAME (the left text cut to
// the name length and before its first blank) name fields as well.
TEST_F(DataCommands, FreqTakesTheVariableNamesVarsPrints) {
    Write("h.slo",
          "left='Household number' width=2 recid*\r\n"
          "left='Car type' width=1 range=[0:9]*\r\n"
          "left='Car colour' width=1 range=[0:9]*\r\n");
    Write("h.dat", "0112\r\n0213\r\n");
    const struct {
        const char* Name;
        const char* FirstRow;
    } cases[] = {{"HOUSEHOL", "01\t1\t50.0%\t50.0%\n"},
                 {"househol", "01\t1\t50.0%\t50.0%\n"},
                 {"CAR", "1\t2\t100.0%\t100.0%\n"},
                 // The second "Car" would be CAR as well: it gets its number.
                 {"V3", "2\t1\t50.0%\t50.0%\n"}};
    for (const auto& c : cases) {
        EXPECT_EQ(Run(RunFreq, {Path("h.slo"), Path("h.dat"), c.Name}), 0) << c.Name << Err.str();
        EXPECT_EQ(Out.str().substr(Out.str().find('\n') + 1, std::string(c.FirstRow).size()),
                  c.FirstRow)
            << c.Name << "\n"
            << Out.str();
    }
}

}  // namespace
}  // namespace tallyra::cli
