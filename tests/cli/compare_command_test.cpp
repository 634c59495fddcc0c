// SPDX-License-Identifier: GPL-3.0-or-later
// `tallyra compare` run in-process: exit statuses, the plain lines and the
// JSON object of a comparison of two keyings.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "comparecommand.h"
#include "shell/langtext.h"
#include "spsscommands.h"

namespace tallyra::cli {
namespace {

class CompareCommand : public ::testing::Test {
protected:
    void SetUp() override {
        core::SetCurrentLanguage(core::LangEnglish);
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tallyra-cli-XXXXXX").string();
        Dir = ::mkdtemp(pattern.data());
        // Variable names: IDENTIFI (from the left text), SEX (varname), NAME.
        Write("id.slo",
              "left='Identifier' width=3 recid*\r\n"
              "left='Sex' varname=sex width=1 range=[1:2]*\r\n"
              "left='Name of child' text width=4*\r\n");
        Write("noid.slo",
              "left='Identifier' width=3*\r\n"
              "left='Sex' varname=sex width=1 range=[1:2]*\r\n"
              "left='Name of child' text width=4*\r\n");
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(Dir, ec);
    }
    std::string Path(const std::string& name) { return Dir + "/" + name; }
    void Write(const std::string& name, const std::string& bytes) {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }
    int Run(std::vector<std::string> args) {
        Out.str("");
        Err.str("");
        return RunCompare(args, Out, Err);
    }
    int Compare(const std::string& script, const std::string& first, const std::string& second,
                std::vector<std::string> options = {}) {
        Write("a.dat", first);
        Write("b.dat", second);
        options.insert(options.begin(), {Path(script), Path("a.dat"), Path("b.dat")});
        return Run(options);
    }
    std::string Dir;
    std::ostringstream Out;
    std::ostringstream Err;
};

const char* const Agree =
    "Records: 2 in the first file, 2 in the second, 2 paired.\n"
    "Fields compared: 6, differences: 0 (0.00 per 10 000).\n"
    "The files agree.\n";

TEST_F(CompareCommand, PrintsOneLinePerFindingAndTheSummary) {
    const struct {
        const char* What;
        const char* Script;
        std::string First, Second;
        std::vector<std::string> Options;
        int Status;
        std::string Out;
    } cases[] = {
        {"identical files",
         "id.slo",
         "0011Anna\r\n0022Olek\r\n",
         "0011Anna\r\n0022Olek\r\n",
         {},
         0,
         Agree},
        {"one differing field",
         "id.slo",
         "0011Anna\r\n0022Olek\r\n",
         "0011Anna\r\n0022Olka\r\n",
         {},
         1,
         "record 002, NAME (column 5): first \"Olek\", second \"Olka\"\n"
         "Records: 2 in the first file, 2 in the second, 2 paired.\n"
         "Fields compared: 6, differences: 1 (1666.67 per 10 000).\n"
         "The files differ.\n"},
        {"a record only in the second file",
         "id.slo",
         "0011Anna\r\n",
         "0011Anna\r\n0031Ewa \r\n",
         {},
         1,
         "record 003 only in the second file\n"
         "Records: 1 in the first file, 2 in the second, 1 paired.\n"
         "Fields compared: 3, differences: 0 (0.00 per 10 000).\n"
         "Records only in the first file: 0, only in the second: 1.\n"
         "The files differ.\n"},
        {"a duplicate identifier in the first file",
         "id.slo",
         "0011Anna\r\n0022Olek\r\n0011Anna\r\n",
         "0011Anna\r\n0022Olek\r\n",
         {},
         1,
         "identifier 001 repeated in the first file, its records not paired\n"
         "Records: 3 in the first file, 2 in the second, 1 paired.\n"
         "Fields compared: 3, differences: 0 (0.00 per 10 000).\n"
         "Repeated identifiers: 1 in the first file, 0 in the second.\n"
         "The files differ.\n"},
        {"pairing by number without identifier",
         "noid.slo",
         "0011Anna\r\n0022Olek\r\n",
         "0021Anna\r\n0022Olek\r\n",
         {},
         1,
         "record 1, IDENTIFI (column 1): first \"001\", second \"002\"\n"
         "Records: 2 in the first file, 2 in the second, 2 paired.\n"
         "Fields compared: 6, differences: 1 (1666.67 per 10 000).\n"
         "The files differ.\n"},
        {"pairing by number asked for",
         "id.slo",
         "0011Anna\r\n0022Olek\r\n",
         "0022Olek\r\n0011Anna\r\n",
         {"--by", "number"},
         1,
         "record 1, IDENTIFI (column 1): first \"001\", second \"002\"\n"
         "record 1, SEX (column 4): first \"1\", second \"2\"\n"
         "record 1, NAME (column 5): first \"Anna\", second \"Olek\"\n"
         "record 2, IDENTIFI (column 1): first \"002\", second \"001\"\n"
         "record 2, SEX (column 4): first \"2\", second \"1\"\n"
         "record 2, NAME (column 5): first \"Olek\", second \"Anna\"\n"
         "Records: 2 in the first file, 2 in the second, 2 paired.\n"
         "Fields compared: 6, differences: 6 (10000.00 per 10 000).\n"
         "The files differ.\n"},
        {"an incomplete last record ignored",
         "id.slo",
         "0011Anna\r\n0022Olek\r\n003",
         "0011Anna\r\n0022Olek\r\n0031E",
         {"--by", "identifier"},
         0,
         Agree},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Compare(c.Script, c.First, c.Second, c.Options), c.Status) << c.What;
        EXPECT_EQ(Out.str(), c.Out) << c.What;
        EXPECT_EQ(Err.str(), "") << c.What;
    }
}

TEST_F(CompareCommand, JsonToTheByte) {
    EXPECT_EQ(Compare("id.slo", "0011Anna\r\n0022Olek\r\n0041Jan \r\n0051Ola \r\n0011Anna\r\n",
                      "0021Olka\r\n0031Ewa \r\n0041Jon \r\n0052Ola \r\n", {"--json"}),
              1);
    EXPECT_EQ(Out.str(),
              "{\"records_first\":5,\"records_second\":4,\"paired\":3,\"fields_compared\":9,"
              "\"differences\":["
              "{\"record\":\"002\",\"field\":\"SEX\",\"column\":4,\"first\":\"2\",\"second\":"
              "\"1\"},"
              "{\"record\":\"002\",\"field\":\"NAME\",\"column\":5,\"first\":\"Olek\","
              "\"second\":\"Olka\"},"
              "{\"record\":\"004\",\"field\":\"NAME\",\"column\":5,\"first\":\"Jan \","
              "\"second\":\"Jon \"},"
              "{\"record\":\"005\",\"field\":\"SEX\",\"column\":4,\"first\":\"1\",\"second\":"
              "\"2\"}],"
              "\"only_in_first\":[],\"only_in_second\":[\"003\"],"
              "\"duplicates_first\":[\"001\"],\"duplicates_second\":[],"
              "\"rate_per_10000\":4444.444444444444,"
              "\"by_field\":{\"SEX\":2,\"NAME\":2}}\n");
    EXPECT_EQ(Err.str(), "");
    // By number the keys are record numbers.
    EXPECT_EQ(Compare("noid.slo", "0011Anna\r\n0022Olek\r\n", "0011Anna\r\n", {"--json"}), 1);
    EXPECT_EQ(Out.str(),
              "{\"records_first\":2,\"records_second\":1,\"paired\":1,\"fields_compared\":3,"
              "\"differences\":[],\"only_in_first\":[\"2\"],\"only_in_second\":[],"
              "\"duplicates_first\":[],\"duplicates_second\":[],\"rate_per_10000\":0,"
              "\"by_field\":{}}\n");
}

// The names are those `tallyra vars` prints for the script.
TEST_F(CompareCommand, NamesFieldsAsTheVariableSetDoes) {
    std::ostringstream out, err;
    ASSERT_EQ(RunVars({Path("id.slo")}, out, err), 0);
    EXPECT_EQ(out.str().substr(0, 9), "IDENTIFI ");
    EXPECT_NE(out.str().find("\nSEX "), std::string::npos);
    EXPECT_NE(out.str().find("\nNAME "), std::string::npos);
}

TEST_F(CompareCommand, RefusesWrongFilesAndUsage) {
    const std::string mismatch = "The data structure does not correspond with the script.\n" +
                                 Path("b.dat") +
                                 "\n\nCheck whether you loaded the script and the data from the "
                                 "same survey.\n";
    EXPECT_EQ(Compare("id.slo", "0011Anna\r\n", "0011Ann\r\n"), 2);
    EXPECT_EQ(Err.str(), mismatch);
    EXPECT_EQ(Out.str(), "");
    EXPECT_EQ(Compare("id.slo", "0011Anna\r\n", "0011Anna\r\n", {"--by", "name"}), 2);
    EXPECT_EQ(Err.str(),
              "tallyra compare: --by takes identifier or number\nTry 'tallyra compare --help'.\n");
    EXPECT_EQ(Compare("noid.slo", "0011Anna\r\n", "0011Anna\r\n", {"--by", "identifier"}), 2);
    EXPECT_EQ(Err.str(), "tallyra compare: No record identifier in the script.\n");
    EXPECT_EQ(Run({Path("id.slo"), Path("a.dat"), Path("none.dat")}), 2);
    EXPECT_EQ(Err.str(), "tallyra compare: " + Path("none.dat") + ": File not found.\n");
    EXPECT_EQ(Run({Path("id.slo"), Path("a.dat"), Dir}), 2);
    EXPECT_EQ(Run({Path("id.slo"), Path("a.dat")}), 2);
    Write("bad.slo", "left='x' width=0*\r\n");
    EXPECT_EQ(Run({Path("bad.slo"), Path("a.dat"), Path("a.dat")}), 2);
    EXPECT_NE(Err.str().find("The script has errors and cannot be used."), std::string::npos);
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_NE(Out.str().find("Usage: tallyra compare"), std::string::npos);
}

TEST_F(CompareCommand, SpeaksPolish) {
    EXPECT_EQ(Compare("id.slo", "0011Anna\r\n", "0012Anna\r\n0031Ewa \r\n", {"--lang", "pl"}), 1);
    core::SetCurrentLanguage(core::LangEnglish);
    EXPECT_EQ(Out.str(),
              "rekord 001, SEX (kolumna 4): pierwszy \"1\", drugi \"2\"\n"
              "rekord 003 tylko w drugim pliku\n"
              "Rekordy: 1 w pierwszym pliku, 2 w drugim, 1 w parach.\n"
              "Porównane pola: 3, różnice: 1 (3333.33 na 10 000).\n"
              "Rekordy tylko w pierwszym pliku: 0, tylko w drugim: 1.\n"
              "Pliki się różnią.\n");
}

}  // namespace
}  // namespace tallyra::cli
