// SPDX-License-Identifier: GPL-3.0-or-later
// `tallyra export`: its refusals, and round trips through the programs
// analysts read the files with (PSPP for sav, zsav and por, pandas for dta,
// Python's csv module for CSV), compared with the data file field by field.
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "../core/spss/testutil.h"
#include "codebookcommand.h"
#include "exportcommand.h"
#include "psppcsv.h"
#include "shell/cp1250.h"
#include "shell/langtext.h"
#include "spss/spssexport.h"
#include "spss/tvarcoll.h"

namespace tallyra::cli {
namespace {

using core::testing::ReadAll;
using core::testing::TScratch;
using core::testing::WriteAll;
using testing::CsvTables;
using testing::HavePSPP;
using testing::TTable;

const std::string Source = TALLYRA_SOURCE_DIR;
const std::string Household = Source + "/examples/household";
const std::string Fixture = Source + "/tests/cli/fixtures/export";
const char* const Python = "/usr/bin/python3";

struct TRun {
    int Status;
    std::string Out, Err;
};

TRun Export(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = RunExport(args, out, err);
    core::SetCurrentLanguage(core::LangEnglish);
    return {status, out.str(), err.str()};
}

bool HavePandas() {
    return std::system((std::string(Python) + " -c 'import pandas' >/dev/null 2>&1").c_str()) == 0;
}

// The base letters the portable format gets for the Polish letters (UTF-8).
std::string FoldPolish(std::string text) {
    static const std::pair<const char*, const char*> letters[] = {
        {"ą", "a"}, {"ć", "c"}, {"ę", "e"}, {"ł", "l"}, {"ń", "n"}, {"ó", "o"},
        {"ś", "s"}, {"ź", "z"}, {"ż", "z"}, {"Ą", "A"}, {"Ć", "C"}, {"Ę", "E"},
        {"Ł", "L"}, {"Ń", "N"}, {"Ó", "O"}, {"Ś", "S"}, {"Ź", "Z"}, {"Ż", "Z"}};
    for (const auto& [from, to] : letters)
        for (size_t at; (at = text.find(from)) != std::string::npos;)
            text.replace(at, std::string(from).size(), to);
    return text;
}

// What a reader should find: the script's variables, and every full record
// of the data file read field by field here on its own terms: numbers as
// decimal integers ("." for blank, never-entered and "#" fields), texts
// without trailing blanks, in UTF-8 (folded for the portable format).
struct TExpected {
    std::vector<std::string> Names, Labels;
    std::vector<bool> Strings;
    std::vector<std::vector<std::pair<long long, std::string>>> ValueLabels;
    TTable Rows;
};

TExpected ExpectedFrom(const std::string& script, const std::string& data, bool fold) {
    const auto text = [&](const std::string& cp1250) {
        const std::string utf8 = core::Cp1250ToUtf8(cp1250);
        return fold ? FoldPolish(utf8) : utf8;
    };
    TExpected expected;
    const core::TVarColl vars(script, 8);
    for (const auto& v : vars.Items) {
        expected.Names.push_back(v->Name);
        expected.Labels.push_back(text(v->Label));
        expected.Strings.push_back(v->IsString());
        expected.ValueLabels.emplace_back();
        for (const core::TVal& label : v->ValueLabels.Items)
            expected.ValueLabels.back().push_back(
                {static_cast<long long>(label.Value), text(label.Text)});
    }
    const std::string bytes = ReadAll(data);
    const core::TVar& last = *vars.Get(vars.Count() - 1);
    const size_t length = static_cast<size_t>(last.Start + last.Width + 1);
    for (size_t r = 0; (r + 1) * length <= bytes.size(); ++r) {
        std::vector<std::string> row;
        for (const auto& v : vars.Items) {
            std::string field = bytes.substr(r * length + static_cast<size_t>(v->Start - 1),
                                             static_cast<size_t>(v->Width));
            if (v->IsString()) {
                while (!field.empty() && field.back() == ' ')
                    field.pop_back();
                row.push_back(text(field));
            } else if (field.find_first_not_of(" *") == std::string::npos ||
                       field.find_first_not_of('#') == std::string::npos) {
                row.push_back(".");
            } else {
                row.push_back(std::to_string(std::stoll(field)));
            }
        }
        expected.Rows.push_back(row);
    }
    return expected;
}

// PSPP's view of a .sav, .zsav or .por file: LIST and DISPLAY DICTIONARY.
void ExpectPSPPReads(const TScratch& dir, const std::string& file, const TExpected& expected,
                     const std::vector<std::string>& missing) {
    const bool portable = file.ends_with(".por");
    WriteAll(dir / "read.sps", std::string(portable ? "IMPORT" : "GET") + " FILE='" + file +
                                   "'.\nLIST.\nDISPLAY DICTIONARY.\n");
    const std::string command = "pspp -o '" + dir / "read.csv" + "' '" + dir / "read.sps" +
                                "' > '" + dir / "pspp.log" + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << ReadAll(dir / "pspp.log");
    auto tables = CsvTables(ReadAll(dir / "read.csv"));
    const TTable& list = tables["Data List"];
    ASSERT_FALSE(list.empty()) << ReadAll(dir / "read.csv");
    EXPECT_EQ(list[0], expected.Names) << file;
    EXPECT_EQ(TTable(list.begin() + 1, list.end()), expected.Rows) << file;

    const TTable& dictionary = tables["Variables"];
    ASSERT_EQ(dictionary.size(), expected.Names.size() + 1) << file;
    const auto cell = [&](size_t row, const std::string& title) {
        for (size_t c = 0; c < dictionary[0].size(); ++c)
            if (dictionary[0][c] == title) return dictionary[row][c];
        return std::string();
    };
    for (size_t i = 0; i < expected.Names.size(); ++i) {
        EXPECT_EQ(cell(i + 1, "Name"), expected.Names[i]) << file;
        EXPECT_EQ(cell(i + 1, "Label"), expected.Labels[i]) << file;
        EXPECT_EQ(cell(i + 1, "Missing Values"), missing[i]) << file << " " << expected.Names[i];
        // A system file says how each variable is measured: codes with value
        // labels and strings are categories, other numbers measurements.
        if (!portable) {
            EXPECT_EQ(cell(i + 1, "Measurement Level"),
                      expected.Strings[i] || !expected.ValueLabels[i].empty() ? "Nominal" : "Scale")
                << file << " " << expected.Names[i];
        }
    }
    std::vector<std::string> want, read;
    for (size_t i = 0; i < expected.Names.size(); ++i)
        for (const auto& [value, label] : expected.ValueLabels[i])
            want.push_back((expected.Labels[i].empty() ? expected.Names[i] : expected.Labels[i]) +
                           "|" + std::to_string(value) + "|" + label);
    std::string variable;
    const TTable& labels = tables["Value Labels"];
    for (size_t r = 1; r < labels.size(); ++r) {
        if (!labels[r][0].empty()) variable = labels[r][0];
        read.push_back(variable + "|" + labels[r][1] + "|" + labels[r][2]);
    }
    EXPECT_EQ(read, want) << file;
}

// Runs a Python script that prints tab-separated lines and returns them.
TTable PythonLines(const TScratch& dir, const std::string& program) {
    WriteAll(dir / "read.py", program);
    const std::string command = std::string(Python) + " '" + dir / "read.py" + "' > '" +
                                dir / "py.out" + "' 2> '" + dir / "py.log" + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << ReadAll(dir / "py.log");
    TTable lines;
    std::istringstream in(ReadAll(dir / "py.out"));
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields(1);
        for (const char c : line)
            if (c == '\t')
                fields.emplace_back();
            else
                fields.back() += c;
        lines.push_back(fields);
    }
    return lines;
}

// pandas' view of a .dta file: "N name label", "L name value label" and
// "D value..." lines (numbers as integers, "." for missing).
void ExpectPandasReads(const TScratch& dir, const std::string& file, const TExpected& expected) {
    const TTable lines = PythonLines(dir, R"(import math, pandas
reader = pandas.io.stata.StataReader(')" + file +
                                              R"(')
frame = reader.read(convert_categoricals=False)
labels = reader.variable_labels()
sets = reader.value_labels()
for name in frame.columns:
    print('N\t%s\t%s' % (name, labels.get(name, '')))
    for value, text in sorted(sets.get(name, {}).items()):
        print('L\t%s\t%d\t%s' % (name, value, text))
for row in frame.itertuples(index=False):
    cells = []
    for v in row:
        if isinstance(v, str): cells.append(v)
        elif math.isnan(v): cells.append('.')
        else: cells.append(str(int(v)))
    print('D\t' + '\t'.join(cells))
)");
    std::vector<std::string> names, labels, valueLabels, want;
    TTable rows;
    for (const auto& line : lines) {
        if (line[0] == "N") {
            names.push_back(line.at(1));
            labels.push_back(line.at(2));
        } else if (line[0] == "L") {
            valueLabels.push_back(line.at(1) + "|" + line.at(2) + "|" + line.at(3));
        } else if (line[0] == "D") {
            rows.emplace_back(line.begin() + 1, line.end());
        }
    }
    for (size_t i = 0; i < expected.Names.size(); ++i)
        for (const auto& [value, label] : expected.ValueLabels[i])
            want.push_back(expected.Names[i] + "|" + std::to_string(value) + "|" + label);
    EXPECT_EQ(names, expected.Names);
    EXPECT_EQ(labels, expected.Labels);
    EXPECT_EQ(valueLabels, want);
    EXPECT_EQ(rows, expected.Rows);
}

// Python's csv module's view of a CSV file: the header, then the rows ("."
// stands for an empty cell of a numeric column).
void ExpectCsvReads(const TScratch& dir, const std::string& file, const TExpected& expected) {
    const TTable lines = PythonLines(dir, R"(import csv
with open(')" + file + R"(', newline='', encoding='utf-8-sig') as f:
    for row in csv.reader(f, strict=True):
        print('\t'.join(row))
)");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], expected.Names);
    TTable rows(lines.begin() + 1, lines.end());
    for (auto& row : rows)
        for (size_t c = 0; c < row.size() && c < expected.Rows[0].size(); ++c)
            if (row[c].empty() && !expected.Rows.empty())
                for (const auto& e : expected.Rows)
                    if (e[c] == ".") {  // a numeric column holding missing values
                        row[c] = ".";
                        break;
                    }
    EXPECT_EQ(rows, expected.Rows);
}

struct TRoundTrip {
    const char* Name;
    std::string Script, Data;
    std::vector<std::string> Missing;  // PSPP's texts with --missing-8 --missing-9
};

class ExportRoundTrip : public ::testing::TestWithParam<TRoundTrip> {};

TEST_P(ExportRoundTrip, ReadersFindEveryValueAndLabel) {
    const TRoundTrip& trip = GetParam();
    TScratch dir;
    for (const char* format : {"sav", "zsav", "por", "dta", "csv"}) {
        SCOPED_TRACE(format);
        const std::string out = dir / (std::string("out.") + format);
        const TRun run = Export({trip.Script, trip.Data, out, "--missing-8", "--missing-9"});
        ASSERT_EQ(run.Status, 0) << run.Err;
        const std::string f = format;
        const TExpected expected = ExpectedFrom(trip.Script, trip.Data, f == "por");
        if (f == "sav" || f == "zsav" || f == "por") {
            // The test command installs PSPP (tools/bootstrap): without it the check fails.
            ASSERT_TRUE(HavePSPP()) << "pspp is not installed (run tools/bootstrap)";
            ExpectPSPPReads(dir, out, expected, trip.Missing);
        } else if (f == "dta") {
            ASSERT_TRUE(HavePandas()) << "python3-pandas is not installed (tools/bootstrap)";
            ExpectPandasReads(dir, out, expected);
        } else {
            ASSERT_EQ(
                std::system((std::string(Python) + " -c 'import csv' >/dev/null 2>&1").c_str()), 0)
                << "python3 is not installed (tools/bootstrap)";
            ExpectCsvReads(dir, out, expected);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, ExportRoundTrip,
    ::testing::Values(TRoundTrip{"Household",
                                 Household + ".slo",
                                 Household + ".dat",
                                 {"99998; 99999", "8; 9", "98; 99", "9998; 9999", ""}},
                      TRoundTrip{"PolishLabelsWideNumbersUndefinedAndBlank",
                                 Fixture + ".slo",
                                 Fixture + ".dat",
                                 {"8; 9", "99999999998; 99999999999", "998; 999", ""}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(ExportCommand, CsvLabelsChosenFieldsAndRecords) {
    TScratch dir;
    const TRun run = Export({Fixture + ".slo", Fixture + ".dat", dir / "out.csv", "--labels",
                             "--fields", "plec,3", "--records", "1,3-"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "3 records, 2 variables written to " + dir / "out.csv" + ".\n");
    EXPECT_EQ(ReadAll(dir / "out.csv"),
              "\xEF\xBB\xBFPLEC,MIASTO\r\nmężczyzna,Łódź\r\n,\r\nmężczyzna,Gdańsk\r\n");
}

TEST(ExportCommand, RefusesWithoutTouchingFiles) {
    TScratch dir;
    WriteAll(dir / "out.sav", "keep me");
    TRun run = Export({Household + ".slo", Household + ".dat", dir / "out.sav"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err,
              "tallyra export: " + dir / "out.sav" + " exists already (--force replaces it)\n");
    EXPECT_EQ(ReadAll(dir / "out.sav"), "keep me");
    run = Export({Household + ".slo", Household + ".dat", dir / "out.sav", "--force"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_TRUE(ReadAll(dir / "out.sav").starts_with("$FL2"));

    WriteAll(dir / "h.dat", ReadAll(Household + ".dat"));
    run = Export({Household + ".slo", dir / "h.dat", dir / "h.dat", "--format", "csv", "--force"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("is one of the input files"), std::string::npos) << run.Err;
    EXPECT_EQ(ReadAll(dir / "h.dat"), ReadAll(Household + ".dat"));

    // A value that is no number names its record and variable; --lenient counts it.
    std::string bad = ReadAll(Household + ".dat");
    bad[54 + 5] = 'x';  // "Owns a car" of record 2
    WriteAll(dir / "bad.dat", bad);
    run = Export({Household + ".slo", dir / "bad.dat", dir / "bad.dta"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err, "tallyra export: Record 2, variable OWNS: \"x\" is not a number.\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "bad.dta"));
    run = Export({Household + ".slo", dir / "bad.dat", dir / "bad.dta", "--lenient"});
    EXPECT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "4 records, 5 variables written to " + dir / "bad.dta" +
                           ".\nValues that are not numbers, written as system-missing: 1.\n");

    WriteAll(dir / "short.dat", "00001");
    run = Export({Household + ".slo", dir / "short.dat", dir / "short.sav"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err, "tallyra export: There are no FULL records in the data.\n");
    run = Export({Household + ".slo", Household + ".dat", dir / "r.sav", "--records", "9"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err, "tallyra export: No records selected.\n");
}

TEST(ExportCommand, NamesAFormatCannotHoldStopTheExport) {
    TScratch dir;
    WriteAll(dir / "n.slo",
             "left='Q' varname=q123456789012345678901234567890123 width=1 auto=1*\r\n");
    WriteAll(dir / "n.dat", "1\r\n");
    for (const char* format : {"por", "dta"}) {
        const TRun run = Export(
            {dir / "n.slo", dir / "n.dat", dir / "n.out", "--format", format, "--var-size", "40"});
        EXPECT_EQ(run.Status, 1) << format;
        EXPECT_NE(run.Err.find("variable Q123456789012345678901234567890123"), std::string::npos)
            << run.Err;
        EXPECT_FALSE(std::filesystem::exists(dir / "n.out"));
    }
    const TRun run = Export({dir / "n.slo", dir / "n.dat", dir / "n.sav", "--var-size", "40"});
    EXPECT_EQ(run.Status, 0) << run.Err;
}

TEST(ExportCommand, ReportsProgressOnlyForFilesOverOneHundredThousandRecords) {
    TScratch dir;
    WriteAll(dir / "p.slo", "left='Q' width=1 auto=1*\r\n");
    for (const int records : {100000, 100001}) {
        std::string data;
        for (int r = 0; r < records; ++r)
            data += "1\r\n";
        WriteAll(dir / "p.dat", data);
        const TRun run = Export({dir / "p.slo", dir / "p.dat", dir / "p.csv", "--force"});
        EXPECT_EQ(run.Status, 0) << run.Err;
        if (records > 100000)
            EXPECT_TRUE(run.Err.starts_with("\rExporting: ") && run.Err.ends_with("100%\n"))
                << run.Err;
        else
            EXPECT_EQ(run.Err, "");
    }
}

TEST(ExportCommand, LongTextsWithinEachFormatsLimits) {
    TScratch dir;
    // A 300-character text field, and a value label of 119 letters and an "ó"
    // (121 bytes in UTF-8, one more than a system file's value label holds).
    WriteAll(dir / "t.slo", "left='Q' width=1 auto=1 vallab=[1 '" + std::string(119, 'x') +
                                "\xF3']*\r\nleft='T' text width=300*\r\n");
    WriteAll(dir / "t.dat", "1" + std::string(299, 'a') + "\xF3\r\n");
    TRun run = Export({dir / "t.slo", dir / "t.dat", dir / "t.por"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_EQ(run.Err,
              "tallyra export: Cannot write the data set: variable T: this format holds strings of "
              "at most 255 bytes (leave the field out with --fields).\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "t.por"));
    run = Export({dir / "t.slo", dir / "t.dat", dir / "t.por", "--fields", "0"});
    EXPECT_EQ(run.Status, 0) << run.Err;

    // The system file keeps the long string whole (its very-long-string
    // record), widened to the value's 301 UTF-8 bytes; the label is cut
    // before the character that does not fit.
    run = Export({dir / "t.slo", dir / "t.dat", dir / "t.sav"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    const core::TVarColl vars(dir / "t.sav", 8);
    ASSERT_EQ(vars.Count(), 2);
    EXPECT_EQ(vars.Get(1)->Name, "T");
    EXPECT_EQ(vars.Get(1)->Width, 301);
    EXPECT_EQ(vars.Get(1)->Start, 2);
    ASSERT_EQ(vars.Get(0)->ValueLabels.Count(), 1);
    EXPECT_EQ(vars.Get(0)->ValueLabels.Get(0).Text, std::string(119, 'x'));
}

// A system file's string holds 32767 bytes: a text field that wide whose
// value takes more in UTF-8 (Polish letters take two) is refused with its
// variable named, or cut at a character boundary with --cut-texts, which
// says how many values it cut.
TEST(ExportCommand, TextsLongerThanASystemFileHoldsAreRefusedOrCutOnRequest) {
    TScratch dir;
    WriteAll(dir / "w.slo", "left='Q' width=1 auto=1*\r\nleft='Opis' text width=32767*\r\n");
    // Record 1: 20 000 "ż" (40 000 bytes in UTF-8); record 2: short.
    WriteAll(dir / "w.dat", "1" + std::string(20000, '\xBF') + std::string(12767, ' ') + "\r\n2ok" +
                                std::string(32765, ' ') + "\r\n");
    for (const char* format : {"sav", "zsav"}) {
        const std::string out = dir / (std::string("w.") + format);
        TRun run = Export({dir / "w.slo", dir / "w.dat", out});
        EXPECT_EQ(run.Status, 1) << format;
        EXPECT_EQ(run.Err,
                  "tallyra export: Cannot write the data set: variable OPIS: a value takes 40000 "
                  "bytes in UTF-8 (a Polish letter takes two), more than the 32767 bytes a system "
                  "file's string holds (leave the field out with --fields, or cut such values with "
                  "--cut-texts).\n");
        EXPECT_FALSE(std::filesystem::exists(out));
        run = Export({dir / "w.slo", dir / "w.dat", out, "--cut-texts"});
        ASSERT_EQ(run.Status, 0) << run.Err;
        EXPECT_EQ(run.Out,
                  "2 records, 2 variables written to " + out +
                      ".\nTexts cut to the 32767 bytes a system file's string holds: 1.\n");
        // PSPP sees one string of 32767 bytes (not a hundred pieces), the cut
        // value ending on a whole letter.
        ASSERT_TRUE(HavePSPP()) << "pspp is not installed (run tools/bootstrap)";
        WriteAll(dir / "r.sps", "GET FILE='" + out +
                                    "'.\nDISPLAY DICTIONARY.\nCOMPUTE n = "
                                    "LENGTH(RTRIM(opis)).\nFORMATS n (F6.0).\nLIST q n.\n");
        const std::string command = "pspp -o '" + dir / "r.csv" + "' '" + dir / "r.sps" + "' > '" +
                                    dir / "pspp.log" + "' 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << ReadAll(dir / "pspp.log");
        auto tables = CsvTables(ReadAll(dir / "r.csv"));
        const TTable& variables = tables["Variables"];
        ASSERT_EQ(variables.size(), 3u) << ReadAll(dir / "r.csv");
        EXPECT_EQ(variables[2][0], "OPIS");
        const TTable& list = tables["Data List"];
        ASSERT_EQ(list.size(), 3u) << ReadAll(dir / "r.csv");
        EXPECT_EQ(list[1], (std::vector<std::string>{"1", "32766"}));
        EXPECT_EQ(list[2], (std::vector<std::string>{"2", "2"}));
    }
    // Values that fit need nothing cut, however wide the field.
    WriteAll(dir / "s.dat", "2ok" + std::string(32765, ' ') + "\r\n");
    TRun run = Export({dir / "w.slo", dir / "s.dat", dir / "s.sav"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    const core::TVarColl vars(dir / "s.sav", 8);
    ASSERT_EQ(vars.Count(), 2);
    EXPECT_EQ(vars.Get(1)->Width, 32767);
}

TEST(ExportCommand, CsvTextsThatSpreadsheetsWouldRunStayTextsUnlessRaw) {
    TScratch dir;
    WriteAll(dir / "f.slo",
             "left='Q' width=2 range=[-9:9] vallab=[1 '=1+1']*\r\n"
             "left='T' text width=12*\r\n");
    WriteAll(dir / "f.dat", " 1=cmd|' /C'! \r\n-2-5          \r\n");
    TRun run = Export({dir / "f.slo", dir / "f.dat", dir / "f.csv", "--labels"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(ReadAll(dir / "f.csv"), "\xEF\xBB\xBFQ,T\r\n'=1+1,'=cmd|' /C'!\r\n-2,-5\r\n");
    run = Export({dir / "f.slo", dir / "f.dat", dir / "f.csv", "--labels", "--raw", "--force"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(ReadAll(dir / "f.csv"), "\xEF\xBB\xBFQ,T\r\n=1+1,=cmd|' /C'!\r\n-2,-5\r\n");
}

TEST(ExportCommand, SaysThatTheIncompleteLastRecordIsLeftOut) {
    TScratch dir;
    WriteAll(dir / "h.dat", ReadAll(Household + ".dat") + "00005");
    const TRun run = Export({Household + ".slo", dir / "h.dat", dir / "h.csv"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "4 records, 5 variables written to " + dir / "h.csv" +
                           ".\nThe incomplete last record of " + dir / "h.dat" +
                           " was left out.\n");
}

TEST(ExportCommand, UsageErrorsExitWithTwo) {
    TScratch dir;
    const std::vector<std::vector<std::string>> cases = {
        {Household + ".slo", Household + ".dat"},
        {Household + ".slo", Household + ".dat", dir / "out.txt"},
        {Household + ".slo", Household + ".dat", dir / "out.sav", "--format", "xls"},
        {Household + ".slo", Household + ".dat", dir / "out.sav", "--labels"},
        {Household + ".slo", Household + ".dat", dir / "out.sav", "--raw"},
        {Household + ".slo", Household + ".dat", dir / "out.csv", "--cut-texts"},
        {Household + ".slo", Household + ".dat", dir / "out.sav", "--fields", "nothing"},
        {Household + ".slo", Household + ".dat", dir / "out.sav", "--bogus"},
    };
    for (const auto& args : cases) {
        const TRun run = Export(args);
        EXPECT_EQ(run.Status, 2) << args.back();
        EXPECT_NE(run.Err.find("Try 'tallyra export --help'"), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "out.sav"));
}

TRun Codebook(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = RunCodebook(args, out, err);
    core::SetCurrentLanguage(core::LangEnglish);
    return {status, out.str(), err.str()};
}

TEST(CodebookCommand, WritesThePageWithOrWithoutData) {
    TScratch dir;
    TRun run = Codebook({Household + ".slo", Household + ".dat", dir / "cb.html"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    const std::string page = ReadAll(dir / "cb.html");
    EXPECT_TRUE(page.starts_with("<!DOCTYPE html>\n<html lang=\"en\">"));
    EXPECT_NE(page.find("Data household.dat: 4 full records."), std::string::npos);
    EXPECT_NE(page.find("<span class=\"name\">HOUSEHOL</span>"), std::string::npos);

    run = Codebook({Household + ".slo", dir / "cb.html"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("exists already"), std::string::npos);
    EXPECT_EQ(ReadAll(dir / "cb.html"), page);
    run = Codebook({"--lang", "pl", Household + ".slo", dir / "cb.html", "--force"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    const std::string polish = ReadAll(dir / "cb.html");
    EXPECT_NE(polish.find("<h1>Książka kodów</h1>"), std::string::npos);
    EXPECT_EQ(polish.find("class=\"grid freq\""), std::string::npos);

    // A data file without full records still gives the page, each field saying so.
    WriteAll(dir / "empty.dat", "");
    run = Codebook({Household + ".slo", dir / "empty.dat", dir / "e.html"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(ReadAll(dir / "e.html").find("There are no records in the data for this field."),
              std::string::npos);

    EXPECT_EQ(Codebook({Household + ".slo"}).Status, 2);
    EXPECT_EQ(Codebook({Household + ".slo", Household + ".dat", dir / "x.html", "--bogus"}).Status,
              2);
    EXPECT_EQ(Codebook({Household + ".slo", dir / "none.dat", dir / "y.html"}).Status, 1);
    EXPECT_EQ(Codebook({Household + ".slo", Household + ".slo", "--force"}).Status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "y.html"));
}

}  // namespace
}  // namespace tallyra::cli
