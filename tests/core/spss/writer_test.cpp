// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "shell/errors.h"
#include "shell/privatetemp.h"
#include "spss/spssexport.h"
#include "spss/tvarcoll.h"
#include "testutil.h"

namespace tallyra::core {
namespace {

using testing::ReadAll;
using testing::TScratch;

std::unique_ptr<TVar> MakeVar(const std::string& name, int32_t start, int32_t width, bool text,
                              const std::string& label = "") {
    auto v = std::make_unique<TVar>();
    v->Name = name;
    v->Start = start;
    v->Width = width;
    v->VarType = text ? vtString : vtNumeric;
    v->Format = (text ? "A" : "F") + std::to_string(width);
    v->Label = label;
    return v;
}

// SEX, AGE and CITY of the export's worked example.
void FillWorkedExample(TVarColl& vars, int32_t cityWidth = 20) {
    auto sex = MakeVar("SEX", 1, 1, false, "Sex of respondent");
    sex->ValueLabels.Add({"male", 1});
    sex->ValueLabels.Add({"female", 2});
    vars.Add(std::move(sex));
    vars.Add(MakeVar("AGE", 2, 2, false, "Age"));
    vars.Add(MakeVar("CITY", 4, cityWidth, true, "City"));
}

TEST(SPSSWriter, WorkedExampleIsWrittenToTheByte) {
    TScratch dir;
    TVarColl vars;
    FillWorkedExample(vars);
    const std::string target = dir / "WAVE1.sps";
    WriteSPSExport(vars, target, {true, true, true});
    // The first MISSING VALUES block has no leading "/": PSPP refuses one there.
    EXPECT_EQ(ReadAll(target), "DATA LIST FILE='" + dir.Path +
                                   "/WAVE1.dat' /SEX 1\r\n"
                                   "AGE 2-3\r\n"
                                   "CITY 4-23 (A)\r\n"
                                   ".\r\n"
                                   "VARIABLE LABELS\r\n"
                                   " SEX 'Sex of respondent'\r\n"
                                   " AGE 'Age'\r\n"
                                   " CITY 'City'\r\n"
                                   ".\r\n"
                                   "VALUE LABELS\r\n"
                                   " /SEX\r\n"
                                   "  1 'male'\r\n"
                                   "  2 'female'\r\n"
                                   ".\r\n"
                                   "MISSING VALUES\r\n"
                                   " SEX (8, 9)\r\n"
                                   " /AGE (98, 99)\r\n"
                                   ".\r\n");
}

TEST(SPSSWriter, LongRecordsGetAFileHandleDecidedByTheLastVariable) {
    struct Case {
        std::vector<std::pair<int32_t, int32_t>> columns;  // start, width of each variable
        std::string firstLines;
    };
    const std::string dat = "/s/wave.1.dat";
    const Case cases[] = {
        {{{1, 1}, {2, 998}}, "DATA LIST FILE='/s/wave.1.dat' /V1 1\r\n"},
        {{{1, 1}, {2, 999}},
         "FILE HANDLE wave /name='/s/wave.1.dat' /lrecl=1000.\r\nDATA LIST FILE=wave /V1 1\r\n"},
        // An earlier variable reaching further right does not count.
        {{{1, 2000}, {5, 10}}, "DATA LIST FILE='/s/wave.1.dat' /V1 1-2000\r\n"},
    };
    for (const Case& c : cases) {
        TVarColl vars;
        for (const auto& [start, width] : c.columns)
            vars.Add(MakeVar("V" + std::to_string(vars.Count() + 1), start, width, false));
        EXPECT_EQ(vars.DataListText(dat).substr(0, c.firstLines.size()), c.firstLines);
    }
}

TEST(SPSSWriter, ApostrophesAreDoubledInLabelsAndPaths) {
    TVarColl vars;
    auto v = MakeVar("NAME", 1, 3, false, "O'Brien");
    v->ValueLabels.Add({"Tom's", 1});
    vars.Add(std::move(v));
    EXPECT_EQ(vars.DataListText("/d/it's.dat"), "DATA LIST FILE='/d/it''s.dat' /NAME 1-3\r\n.\r\n");
    EXPECT_EQ(vars.VariableLabelsText(), "VARIABLE LABELS\r\n NAME 'O''Brien'\r\n.\r\n");
    EXPECT_EQ(vars.ValueLabelsText(), "VALUE LABELS\r\n /NAME\r\n  1 'Tom''s'\r\n.\r\n");
}

TEST(SPSSWriter, CommandsWithoutContentAreLeftOut) {
    TScratch dir;
    TVarColl vars;
    vars.Add(MakeVar("A", 1, 2, false));
    vars.Add(MakeVar("B", 3, 4, true));
    const std::string target = dir / "x.sps";
    WriteSPSExport(vars, target, {true, false, false});
    EXPECT_EQ(ReadAll(target),
              "DATA LIST FILE='" + dir.Path + "/x.dat' /A 1-2\r\nB 3-6 (A)\r\n.\r\n");
}

TEST(SPSSWriter, AppendingToAMissingFileFails) {
    TScratch dir;
    TVarColl vars;
    vars.Add(MakeVar("A", 1, 2, false, "a"));
    EXPECT_THROW(vars.WriteVariableLabels(dir / "none.sps", TWriteMode::Append), EGeneric);
    EXPECT_THROW(vars.WriteDataList(dir / "no/such/folder.sps", ".dat", TWriteMode::Create),
                 EGeneric);
}

TEST(SPSSWriter, ValueLabelsTooWideForTheVariableAreWrittenAsAsterisks) {
    TVarColl vars;
    auto v = MakeVar("Q", 1, 2, false);
    v->ValueLabels.Add({"big", 123});
    v->ValueLabels.Add({"neg", -5});
    vars.Add(std::move(v));
    EXPECT_EQ(vars.ValueLabelsText(), "VALUE LABELS\r\n /Q\r\n  ** 'big'\r\n  -5 'neg'\r\n.\r\n");
    EXPECT_TRUE(vars.Get(0)->Overflow);
}

TEST(SPSSWriter, DecimalsAreWrittenInDataList) {
    TVarColl vars;
    auto v = MakeVar("X", 3, 5, false);
    v->Decimals = 2;
    vars.Add(std::move(v));
    EXPECT_EQ(vars.DataListText("/a.dat"), "DATA LIST FILE='/a.dat' /X 3-7 (2)\r\n.\r\n");
}

TEST(TVar, FormatValueFitsTheWidthOrOverflows) {
    struct Case {
        double value;
        int32_t width, decimals;
        std::string text;
        bool overflow;
    };
    const Case cases[] = {
        {1234, 3, 0, "***", true},
        {0.25, 3, 2, ".25", false},
        {-0.5, 3, 1, "-.5", false},
        {12.5, 5, 2, "12.50", false},
        {7, 1, 0, "7", false},
        {-7, 1, 0, "*", true},
        {99999999999.0, 11, 0, "99999999999", false},
        {SPSSLowest, 1, 0, "LOWEST", false},
        {SPSSHighest, 1, 0, "HIGHEST", false},
        {1e300, 8, 0, "********", true},
    };
    for (const Case& c : cases) {
        TVar v;
        v.Width = c.width;
        v.Decimals = c.decimals;
        EXPECT_EQ(v.FormatValue(c.value), c.text) << c.value;
        EXPECT_EQ(v.Overflow, c.overflow) << c.value;
    }
}

TEST(TVar, MissingValuesAreWrittenAndRecognised) {
    TVar v;
    v.Width = 3;
    v.MissingRange = true;
    v.MissingCount = 3;
    v.MissingValues = {1, 5, 9};
    EXPECT_EQ(v.MissingText(), "1 thru 5, 9");
    EXPECT_TRUE(v.IsMissing(3));
    EXPECT_TRUE(v.IsMissing(9));
    EXPECT_FALSE(v.IsMissing(6));
    // Overflowed values show as one asterisk, except the range's low bound.
    v.MissingValues = {1000, 2000, 3000};
    EXPECT_EQ(v.MissingText(), "*** thru *, *");
    v.MissingRange = false;
    v.MissingCount = 2;
    v.MissingValues = {8, 9, 0};
    EXPECT_EQ(v.MissingText(), "8, 9");
    EXPECT_FALSE(v.IsMissing(0));
}

TEST(SPSSExport, NinesMissingValuesForEveryNumericWidth) {
    struct Case {
        int32_t width;
        bool m8, m9;
        std::string text;
    };
    const Case cases[] = {
        {1, true, true, "8, 9"},
        {3, false, true, "999"},
        {3, true, false, "998"},
        {10, true, true, "9999999998, 9999999999"},
        {11, true, true, "99999999998, 99999999999"},
    };
    for (const Case& c : cases) {
        TVarColl vars;
        vars.Add(MakeVar("N", 1, c.width, false));
        vars.Add(MakeVar("S", c.width + 1, 4, true));
        ApplyNinesMissing(vars, c.m8, c.m9);
        EXPECT_EQ(vars.Get(0)->MissingText(), c.text) << c.width;
        EXPECT_EQ(vars.Get(1)->MissingCount, 0) << "string variables get no missing values";
    }
}

TEST(SPSSExport, ScriptWithErrorsIsNotExported) {
    TScratch dir;
    const std::string target = dir / "out.sps";
    try {
        ExportScriptToSPS(dir / "bad.slo", "left='a' width=0*", DefaultScriptOptions(), target, {},
                          8);
        FAIL() << "no error";
    } catch (const EGeneric& e) {
        EXPECT_EQ(e.Text(), "Cannot export script to an .sps file.\r\nErrors found in script.");
    }
    EXPECT_FALSE(std::filesystem::exists(target));
}

TEST(SPSSExport, TheScriptOrTheDataFileIsNeverTheTarget) {
    TScratch dir;
    testing::WriteAll(dir / "s.slo", "left='a' width=1 auto=0*");
    testing::WriteAll(dir / "s.dat", "1\r\n");
    for (const char* name : {"s.slo", "s.dat"}) {
        try {
            ExportScriptToSPS(dir / "s.slo", ReadAll(dir / "s.slo"), DefaultScriptOptions(),
                              dir / name, {}, 8);
            ADD_FAILURE() << name;
        } catch (const EGeneric& e) {
            EXPECT_EQ(e.Text(), "The SPSS syntax file \"" + dir / name +
                                    "\" would replace the script or the data file.");
        }
    }
    EXPECT_EQ(ReadAll(dir / "s.slo"), "left='a' width=1 auto=0*");
    EXPECT_EQ(ReadAll(dir / "s.dat"), "1\r\n");
}

TEST(SPSSExport, ScriptIsExportedThroughATemporaryCopyThatIsRemoved) {
    TScratch dir;
    const std::string target = dir / "out.sps";
    ExportScriptToSPS(dir / "survey.slo",
                      "left='Sex' width=1 range=[1:2] vallab=[1 'male' 2 'female'] auto=1*\n"
                      "left='Town' text width=10 auto='\\ '*\n",
                      DefaultScriptOptions(), target, {true, false, true}, 8);
    EXPECT_EQ(ReadAll(target), "DATA LIST FILE='" + dir.Path +
                                   "/out.dat' /SEX 1\r\nTOWN 2-11 (A)\r\n.\r\n"
                                   "VARIABLE LABELS\r\n SEX 'Sex'\r\n TOWN 'Town'\r\n.\r\n"
                                   "VALUE LABELS\r\n /SEX\r\n  1 'male'\r\n  2 'female'\r\n.\r\n"
                                   "MISSING VALUES\r\n SEX (9)\r\n.\r\n");
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(PrivateTempFolder(), ec))
        EXPECT_NE(entry.path().filename().string().rfind("survey", 0), 0u) << entry.path();
}

}  // namespace
}  // namespace tallyra::core
