// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstdlib>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

#include "../core/spss/testutil.h"
#include "data/datafile.h"
#include "psppcsv.h"
#include "script/tpxdictionary.h"
#include "script/tpxmessage.h"
#include "shell/cp1250.h"
#include "shell/langtext.h"
#include "spss/saveselection.h"
#include "spss/spssexport.h"
#include "spss/tvarcoll.h"
#include "spsscommands.h"

namespace tallyra::cli {
namespace {

using core::testing::ReadAll;
using core::testing::TScratch;
using core::testing::WriteAll;
using testing::CsvTables;
using testing::HavePSPP;
using testing::TTable;

const std::string Source = TALLYRA_SOURCE_DIR;

struct TRun {
    int status;
    std::string out, err;
};

TRun RunCommand(int (*command)(const std::vector<std::string>&, std::ostream&, std::ostream&),
                const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = command(args, out, err);
    core::SetCurrentLanguage(core::LangEnglish);
    return {status, out.str(), err.str()};
}

// ---- PSPP as the consumer of what Tallyra writes ----

std::string RTrim(std::string text) {
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

// Runs PSPP on the syntax file followed by LIST and DISPLAY DICTIONARY and
// compares what it read with the data file, field by field, and with the
// variables of `script`: labels, value labels and missing values.
void ExpectPSPPReadsAsWritten(const TScratch& dir, const std::string& syntax,
                              const std::string& data, const std::string& script,
                              const std::vector<std::string>& missing,
                              bool valueLabelsWritten = true) {
    WriteAll(dir / "run.sps", ReadAll(syntax) + "LIST.\r\nDISPLAY DICTIONARY.\r\n");
    const std::string command = "pspp --syntax-encoding=windows-1250 -o '" + dir / "out.csv" +
                                "' '" + dir / "run.sps" + "' > '" + dir / "pspp.log" + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << ReadAll(dir / "pspp.log") << ReadAll(syntax);
    auto tables = CsvTables(ReadAll(dir / "out.csv"));
    const core::TVarColl vars(script, 8);

    const TTable& list = tables["Data List"];
    ASSERT_FALSE(list.empty()) << ReadAll(dir / "out.csv");
    std::vector<std::string> names;
    for (const auto& v : vars.Items)
        names.push_back(v->Name);
    EXPECT_EQ(list[0], names);
    const std::string bytes = ReadAll(data);
    const size_t length = static_cast<size_t>(vars.Get(vars.Count() - 1)->Start +
                                              vars.Get(vars.Count() - 1)->Width + 1);
    ASSERT_EQ(bytes.size() % length, 0u);
    ASSERT_EQ(list.size() - 1, bytes.size() / length);
    for (size_t r = 0; r + 1 < list.size(); ++r) {
        for (int32_t i = 0; i < vars.Count(); ++i) {
            const core::TVar& v = *vars.Get(i);
            const std::string field = bytes.substr(r * length + static_cast<size_t>(v.Start - 1),
                                                   static_cast<size_t>(v.Width));
            const std::string& read = list[r + 1][static_cast<size_t>(i)];
            if (v.IsString())
                EXPECT_EQ(read, core::Cp1250ToUtf8(RTrim(field))) << v.Name << " record " << r + 1;
            else
                EXPECT_EQ(std::stod(read), std::stod(field)) << v.Name << " record " << r + 1;
        }
    }

    const TTable& dictionary = tables["Variables"];
    ASSERT_EQ(dictionary.size(), static_cast<size_t>(vars.Count()) + 1);
    // A column PSPP leaves out (no variable has missing values) reads as empty.
    const auto cell = [&](size_t row, const std::string& title) {
        for (size_t c = 0; c < dictionary[0].size(); ++c)
            if (dictionary[0][c] == title) return dictionary[row][c];
        return std::string();
    };
    for (int32_t i = 0; i < vars.Count(); ++i) {
        const size_t row = static_cast<size_t>(i) + 1;
        EXPECT_EQ(cell(row, "Name"), vars.Get(i)->Name);
        EXPECT_EQ(cell(row, "Label"), core::Cp1250ToUtf8(vars.Get(i)->Label));
        EXPECT_EQ(cell(row, "Missing Values"), missing[static_cast<size_t>(i)])
            << vars.Get(i)->Name;
    }

    // Value labels: rows "variable (label or name), value, label"; the
    // variable is named only on its first row.
    std::vector<std::string> expected, read;
    for (const auto& v : vars.Items)
        for (const core::TVal& label :
             valueLabelsWritten ? v->ValueLabels.Items : std::vector<core::TVal>())
            expected.push_back(core::Cp1250ToUtf8(v->Label.empty() ? v->Name : v->Label) + "|" +
                               std::to_string(static_cast<long long>(label.Value)) + "|" +
                               core::Cp1250ToUtf8(label.Text));
    std::string variable;
    const TTable& labels = tables["Value Labels"];
    for (size_t r = 1; r < labels.size(); ++r) {
        if (!labels[r][0].empty()) variable = labels[r][0];
        read.push_back(variable + "|" + labels[r][1] + "|" + labels[r][2]);
    }
    EXPECT_EQ(read, expected);
}

TEST(PSPP, ReadsTheSyntaxOfTheBundledExampleAsWritten) {
    // The test command installs PSPP (tools/bootstrap): without it the check fails.
    ASSERT_TRUE(HavePSPP()) << "pspp is not installed (Debian package pspp; run tools/bootstrap)";
    TScratch dir;
    WriteAll(dir / "household.dat", ReadAll(Source + "/examples/household.dat"));
    const TRun run = RunCommand(RunSpss, {Source + "/examples/household.slo", dir / "household.sps",
                                          "--missing-8", "--missing-9"});
    ASSERT_EQ(run.status, 0) << run.err;
    ExpectPSPPReadsAsWritten(dir, dir / "household.sps", dir / "household.dat",
                             Source + "/examples/household.slo",
                             {"99998; 99999", "8; 9", "98; 99", "9998; 9999", ""});
}

TEST(PSPP, ReadsPolishLabelsValueLabelsAndWideMissingValues) {
    // The test command installs PSPP (tools/bootstrap): without it the check fails.
    ASSERT_TRUE(HavePSPP()) << "pspp is not installed (Debian package pspp; run tools/bootstrap)";
    TScratch dir;
    WriteAll(dir / "labels.dat", ReadAll(Source + "/tests/cli/fixtures/labels.dat"));
    const TRun run = RunCommand(RunSpss, {Source + "/tests/cli/fixtures/labels.slo",
                                          dir / "labels.sps", "--missing-8", "--missing-9"});
    ASSERT_EQ(run.status, 0) << run.err;
    ExpectPSPPReadsAsWritten(dir, dir / "labels.sps", dir / "labels.dat",
                             Source + "/tests/cli/fixtures/labels.slo",
                             {"8; 9", "998; 999", "99999999998; 99999999999", ""});
}

TEST(PSPP, ReadsLongRecordsThroughTheFileHandle) {
    // The test command installs PSPP (tools/bootstrap): without it the check fails.
    ASSERT_TRUE(HavePSPP()) << "pspp is not installed (Debian package pspp; run tools/bootstrap)";
    TScratch dir;
    WriteAll(dir / "wave1.slo",
             "left='Sex' width=1 auto=1*\r\nleft='Age' width=2 auto=0*\r\n"
             "left='City' text width=1000 auto='\\ '*\r\n");
    WriteAll(dir / "wave1.dat", "134Warsaw" + std::string(993, ' ') + "X\r\n251Krakow" +
                                    std::string(994, ' ') + "\r\n");
    const TRun run = RunCommand(RunSpss, {dir / "wave1.slo", dir / "wave1.sps"});
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(ReadAll(dir / "wave1.sps").rfind("FILE HANDLE wave1 /name='", 0), 0u);
    ExpectPSPPReadsAsWritten(dir, dir / "wave1.sps", dir / "wave1.dat", dir / "wave1.slo",
                             {"", "", ""});
}

TEST(PSPP, ReadsASavedSelectionAsWritten) {
    // The test command installs PSPP (tools/bootstrap): without it the check fails.
    ASSERT_TRUE(HavePSPP()) << "pspp is not installed (Debian package pspp; run tools/bootstrap)";
    TScratch dir;
    core::TPXMessageList messages;
    const core::TPXDictionary script(
        core::JoinLinesCRLF(ReadAll(Source + "/tests/cli/fixtures/labels.slo")),
        core::FixedReadingOptions(), messages);
    ASSERT_EQ(messages.CountKinds({core::mkError}), 0);
    core::SaveSelection(script, Source + "/tests/cli/fixtures/labels.dat", {0, 2, 3},
                        core::RecordsFromSortedList({1, 3}), dir / "part.dat", 8);
    ExpectPSPPReadsAsWritten(dir, dir / "part.sps", dir / "part.dat", dir / "part.slo",
                             {"", "", ""}, false);
}

// ---- the sub-commands ----

TEST(SpssCommand, UsageErrorsExitWithTwo) {
    for (const auto& args : std::vector<std::vector<std::string>>{{},
                                                                  {"only.slo"},
                                                                  {"a.slo", "b.sps", "--bogus"},
                                                                  {"a", "b", "--var-size", "x"},
                                                                  {"a", "b", "--lang", "de"}})
        EXPECT_EQ(RunCommand(RunSpss, args).status, 2);
    EXPECT_EQ(RunCommand(RunVars, {}).status, 2);
    EXPECT_EQ(RunCommand(RunMerge, {"s.slo", "out.dat"}).status, 2);
    EXPECT_EQ(RunCommand(RunSpss, {"--help"}).status, 0);
}

TEST(SpssCommand, FailuresPrintTheSystemsTextsAndExitWithOne) {
    TScratch dir;
    WriteAll(dir / "bad.slo", "left='a' width=0 auto=0*");
    const TRun english = RunCommand(RunSpss, {dir / "bad.slo", dir / "bad.sps"});
    EXPECT_EQ(english.status, 1);
    EXPECT_EQ(english.err,
              "tallyra spss: Cannot export script to an .sps file.\nErrors found in script.\n");
    const TRun polish = RunCommand(RunSpss, {"--lang", "pl", dir / "bad.slo", dir / "bad.sps"});
    EXPECT_EQ(polish.err,
              "tallyra spss: Nie można wyeksportować skryptu do pliku .sps.\nZnaleziono błędy w "
              "skrypcie.\n");
    const TRun missing = RunCommand(RunSpss, {dir / "none.slo", dir / "x.sps"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "tallyra spss: " + dir / "none.slo" + ": File not found.\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "bad.sps"));
}

TEST(VarsCommand, PrintsVariablesAsTextAndJson) {
    TScratch dir;
    WriteAll(dir / "c.sps",
             "DATA LIST FILE='c.dat' /SEX 1 CITY 2-21 (A) INC 22-30 (2).\r\n"
             "VARIABLE LABELS SEX 'P\xB3"
             "e\xE6'.\r\n"
             "VALUE LABELS SEX 1 'male' 2 'female'.\r\n"
             "MISSING VALUES INC (LOWEST THRU -1, 99).\r\n");
    const TRun text = RunCommand(RunVars, {dir / "c.sps"});
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out,
              "SEX  numeric  1-1  width 1  decimals 0  F1  'Płeć'\n"
              "    1 = 'male'\n"
              "    2 = 'female'\n"
              "CITY  string  2-21  width 20  decimals 0  A20\n"
              "INC  numeric  22-30  width 9  decimals 2  F9.2\n"
              "    missing: LOWEST thru -1, 99\n");
    const TRun json = RunCommand(RunVars, {"--json", dir / "c.sps"});
    EXPECT_EQ(json.status, 0);
    EXPECT_NE(json.out.find(
                  "{\"name\":\"INC\",\"type\":\"numeric\",\"start\":22,\"width\":9,\"decimals\":2,"
                  "\"format\":\"F9.2\",\"label\":\"\",\"valueLabels\":[],"
                  "\"missing\":{\"range\":true,\"values\":[\"LOWEST\",-1,99]}}"),
              std::string::npos)
        << json.out;
    const TRun bad = RunCommand(RunVars, {"--lang", "pl", dir / "none.cdb"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err, "tallyra vars: " + dir / "none.cdb" + ": Plik nie został znaleziony.\n");
}

TEST(VarsCommand, ShowsLongNamesAndUtf8LabelsOfModernSystemFiles) {
    const TRun run = RunCommand(RunVars, {Source + "/tests/core/spss/fixtures/utf8_long.sav"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "plec_respondenta  numeric  1-1  width 1  decimals 0  F1  'Płeć respondenta'\n"
              "    1 = 'mężczyzna'\n"
              "    2 = 'kobieta'\n"
              "dochod_gospodarstwa  numeric  2-12  width 11  decimals 0  F11  'Dochód "
              "gospodarstwa domowego'\n"
              "    0 = 'brak dochodu'\n"
              "    missing: 99999999999\n"
              "miasto_zamieszkania  string  13-32  width 20  decimals 0  A20  'Miasto "
              "zamieszkania (żółć)'\n");
}

// A label is shown, not obeyed: an ESC sequence or a bell in it is printed
// escaped. What the model cannot hold (texts as values of string
// variables) is named, and Polish names read as the labels are.
TEST(VarsCommand, EscapesControlCharactersAndNamesWhatItLeavesOut) {
    TScratch dir;
    WriteAll(dir / "e.sps",
             "DATA LIST FILE='e.dat' /A 1 S 2-3 (A).\r\n"
             "VARIABLE LABELS A 'red \x1b[31mtext\x07' /S 'C1 \x81'.\r\n"
             "VALUE LABELS A 1 '\x1b]0;title\x07' /S 'x' 'ex'.\r\n");
    const TRun text = RunCommand(RunVars, {dir / "e.sps"});
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out,
              "A  numeric  1-1  width 1  decimals 0  F1  'red \\x1b[31mtext\\x07'\n"
              "    1 = '\\x1b]0;title\\x07'\n"
              "S  string  2-3  width 2  decimals 0  A2  'C1 \\u0081'\n"
              "Value labels and missing values of string variables are not read (only numbers "
              "are): S.\n");
    EXPECT_EQ(text.err, "");
    const TRun json = RunCommand(RunVars, {"--json", dir / "e.sps"});
    EXPECT_EQ(json.status, 0);
    EXPECT_NE(json.out.find("\"label\":\"red \\u001b[31mtext\\u0007\""), std::string::npos)
        << json.out;
    EXPECT_EQ(json.err,
              "Value labels and missing values of string variables are not read (only numbers "
              "are): S.\n");

    const TRun polish = RunCommand(RunVars, {Source + "/tests/core/spss/fixtures/polish.sav"});
    EXPECT_EQ(polish.status, 0) << polish.err;
    EXPECT_EQ(polish.out,
              "zażółć  numeric  1-2  width 2  decimals 0  F2  'Gęślą jaźń'\n"
              "    1 = 'tak'\n"
              "    2 = 'nie'\n"
              "wiek  numeric  3-5  width 3  decimals 0  F3\n"
              "    missing: 999\n"
              "miasto  string  6-13  width 8  decimals 0  A8  'Miasto'\n"
              "Value labels and missing values of string variables are not read (only numbers "
              "are): miasto.\n");
}

// A merge whose inputs all fail (here its only input is being keyed) leaves
// no empty output behind; a killed merge's temporary of the same output
// goes when it is merged again.
TEST(MergeCommand, NothingMergedWritesNoOutputAndStaleTemporariesGo) {
    TScratch dir;
    WriteAll(dir / "s.slo", "left='a' width=2 auto=0*");
    WriteAll(dir / "a.dat", "11\r\n12\r\n");
    WriteAll(dir / "m.dat.tmp.Ab12Cd", "11\r\n");
    {
        core::TDataFile store;
        store.Open(dir / "a.dat");
        const TRun run = RunCommand(RunMerge, {dir / "s.slo", dir / "m.dat", dir / "a.dat"});
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.out.find("No input file could be merged: the output file was not written."),
                  std::string::npos)
            << run.out;
        EXPECT_FALSE(std::filesystem::exists(dir / "m.dat"));
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "m.dat.tmp.Ab12Cd"));
    const TRun run = RunCommand(RunMerge, {dir / "s.slo", dir / "m.dat", dir / "a.dat"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadAll(dir / "m.dat"), "11\r\n12\r\n");
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path))
        ++entries;
    EXPECT_EQ(entries, 3);  // s.slo, a.dat, m.dat
}

TEST(MergeCommand, MergesAndReportsOrRefuses) {
    TScratch dir;
    WriteAll(dir / "s.slo", "left='a' width=2 auto=0*");
    WriteAll(dir / "a.dat", "11\r\n12\r\n");
    WriteAll(dir / "b.dat", "21\r\n2");
    const TRun run =
        RunCommand(RunMerge, {dir / "s.slo", dir / "out.dat", dir / "a.dat", dir / "b.dat"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "Creating output file \"" + dir / "out.dat" + "\"...\n\nMerging files...\n    " +
                  dir / "a.dat" + " - 2\n    " + dir / "b.dat" +
                  " - 1 (partial record removed)\n\nNumber of records in output file: 3\n");
    EXPECT_EQ(ReadAll(dir / "out.dat"), "11\r\n12\r\n21\r\n");
    const TRun refused = RunCommand(RunMerge, {dir / "s.slo", dir / "a.dat", dir / "a.dat"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "tallyra merge: The output file \"" + dir / "a.dat" +
                               "\" is also one of the input files.\n");
    // The script is never replaced; an existing output only with --force.
    const struct {
        std::vector<std::string> Args;
        int Status;
        std::string Err;
    } refusals[] = {
        {{dir / "s.slo", dir / "s.slo", dir / "a.dat"},
         1,
         "tallyra merge: The output file \"" + dir / "s.slo" + "\" is the script.\n"},
        {{"--force", dir / "s.slo", dir / "./s.slo", dir / "a.dat"},
         1,
         "tallyra merge: The output file \"" + dir / "./s.slo" + "\" is the script.\n"},
        {{dir / "s.slo", dir / "out.dat", dir / "a.dat"},
         1,
         "tallyra merge: The output file \"" + dir / "out.dat" +
             "\" exists already (--force replaces it).\n"},
    };
    for (const auto& r : refusals) {
        const TRun run = RunCommand(RunMerge, r.Args);
        EXPECT_EQ(run.status, r.Status);
        EXPECT_EQ(run.err, r.Err);
    }
    EXPECT_EQ(ReadAll(dir / "s.slo"), "left='a' width=2 auto=0*");
    EXPECT_EQ(ReadAll(dir / "out.dat"), "11\r\n12\r\n21\r\n");
    const TRun forced =
        RunCommand(RunMerge, {"--force", dir / "s.slo", dir / "out.dat", dir / "a.dat"});
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_EQ(ReadAll(dir / "out.dat"), "11\r\n12\r\n");
    // An input that could not be merged makes the merge fail.
    const TRun missing =
        RunCommand(RunMerge, {dir / "s.slo", dir / "m.dat", dir / "a.dat", dir / "none.dat"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "tallyra merge: 1 of the input files could not be merged.\n");
    EXPECT_EQ(ReadAll(dir / "m.dat"), "11\r\n12\r\n");
    WriteAll(dir / "bad.slo", "left='a' width=0 auto=0*");
    const TRun badScript = RunCommand(RunMerge, {dir / "bad.slo", dir / "o.dat", dir / "a.dat"});
    EXPECT_EQ(badScript.status, 1);
    EXPECT_NE(badScript.err.find("The file is not correct:"), std::string::npos) << badScript.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "o.dat"));
}

}  // namespace
}  // namespace tallyra::cli
