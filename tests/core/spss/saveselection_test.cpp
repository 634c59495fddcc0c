// SPDX-License-Identifier: GPL-3.0-or-later
#include "spss/saveselection.h"

#include <gtest/gtest.h>

#include "script/tpxdictionary.h"
#include "script/tpxmessage.h"
#include "shell/errors.h"
#include "testutil.h"

namespace tallyra::core {
namespace {

using testing::ReadAll;
using testing::TScratch;
using testing::WriteAll;

// Ten fields; fields 1, 4 and 8 (from 0) have widths 2, 5 and 1.
const char* const TenFields =
    "left='f0' width=1 auto=0*\n"
    "left='Age' varlab='Age in years' width=2 auto=0*\n"
    "left='f2' width=1 auto=0*\n"
    "left='f3' width=1 auto=0*\n"
    "varname=town text width=5 auto='\\ '*\n"
    "left='f5' width=1 auto=0*\n"
    "left='f6' width=1 auto=0*\n"
    "left='f7' width=1 auto=0*\n"
    "varname=sex width=1 range=[1:2] vallab=[1 'male' 2 'female'] auto=1*\n"
    "left='f9' width=1 auto=0*\n";

class SaveSelectionTest : public ::testing::Test {
protected:
    SaveSelectionTest() : Script(TenFields, FixedReadingOptions(), Messages) {
        // Records of 15 data characters: the record number repeated, with
        // the kept fields' columns marked.
        for (int n = 1; n <= 5; ++n) {
            const std::string d(1, static_cast<char>('0' + n));
            Data += d + "A" + d + d + d + "T" + d + d + d + d + d + d + d + "S" + d + "\r\n";
        }
        WriteAll(Dir / "src.dat", Data + "12345");  // and a partial sixth record
    }

    TScratch Dir;
    TPXMessageList Messages;
    TPXDictionary Script;
    std::string Data;
};

TEST_F(SaveSelectionTest, KeptFieldsArePackedInScriptOrder) {
    ASSERT_EQ(Messages.CountKinds({mkError}), 0);
    ASSERT_EQ(Script.Instructions.LineLength(), 17);
    const TSaveSelectionSummary summary = SaveSelection(
        Script, Dir / "src.dat", {8, 1, 4}, RecordsFromSortedList({2, 4, 9}), Dir / "part.dat", 8);
    EXPECT_EQ(summary.Fields, 3);
    EXPECT_EQ(summary.AllFields, 10);
    EXPECT_EQ(summary.Records, 2);
    EXPECT_EQ(summary.FullCount, 5);
    EXPECT_EQ(summary.Information(),
              "Selected:\r\n               3 of 10 fields,\r\n               2 of 5 records.");
    // Columns 2-3, 5-9 and 13 of records 2 and 4.
    EXPECT_EQ(ReadAll(Dir / "part.dat"), "A2T2222S\r\nA4T4444S\r\n");
    EXPECT_EQ(ReadAll(Dir / "part.slo"),
              "left='Age' varlab='Age in years' width=2 auto=0 range=[]*\r\n"
              " varname=TOWN width=5 auto='\\ ' text*\r\n"
              " varname=SEX width=1 auto=1 range=[1:2] vallab=[1 'male' 2 'female']*\r\n");
    EXPECT_EQ(ReadAll(Dir / "part.sps"), "DATA LIST FILE='" + Dir / "part.dat" +
                                             "' /AGE 1-2\r\nTOWN 3-7 (A)\r\nSEX 8\r\n.\r\n"
                                             "VARIABLE LABELS\r\n AGE 'Age in years'\r\n.\r\n");
}

TEST_F(SaveSelectionTest, OtherExtensionsAreKeptAndNoLabelsWritten) {
    SaveSelection(
        Script, Dir / "src.dat", {4}, [](int64_t) { return true; }, Dir / "t.txt", 8);
    EXPECT_EQ(ReadAll(Dir / "t.txt"), "T1111\r\nT2222\r\nT3333\r\nT4444\r\nT5555\r\n");
    EXPECT_EQ(ReadAll(Dir / "t.sps"),
              "DATA LIST FILE='" + Dir / "t.txt" + "' /TOWN 1-5 (A)\r\n.\r\n");
    EXPECT_TRUE(std::filesystem::exists(Dir / "t.slo"));
}

TEST_F(SaveSelectionTest, RefusalsComeBeforeAnyFileIsTouched) {
    const std::vector<int32_t> all = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    struct Case {
        std::vector<int32_t> fields;
        std::vector<int64_t> records;
        std::string output, message;
    };
    const Case cases[] = {
        {{1}, {6, 7}, "o.dat", "No records selected."},
        {{}, {1}, "o.dat", "No fields selected."},
        {all, {1, 2, 3, 4, 5}, "o.dat", "All fields and all records selected."},
        {{10}, {1}, "o.dat", "There is no field number 10."},
        {{1}, {1}, "src.dat", "The file \"" + Dir / "src.dat" + "\" is the data file being read."},
        {{1}, {1}, "src.sps", "The file \"" + Dir / "src.sps" + "\" is the data file being read."},
        {{1},
         {1},
         "o.slo",
         "The data file \"" + Dir / "o.slo" +
             "\" would be overwritten by its script or SPSS syntax."},
    };
    for (const Case& c : cases) {
        const std::string output = Dir / c.output;
        try {
            if (c.output == "src.sps") {
                // A data file named like the new syntax file.
                WriteAll(Dir / "src.sps", Data);
                SaveSelection(Script, Dir / "src.sps", c.fields, RecordsFromSortedList(c.records),
                              Dir / "src.dat", 8);
            } else {
                SaveSelection(Script, Dir / "src.dat", c.fields, RecordsFromSortedList(c.records),
                              output, 8);
            }
            ADD_FAILURE() << c.message;
        } catch (const EGeneric& e) {
            EXPECT_EQ(e.Text(), c.message);
        }
        EXPECT_FALSE(std::filesystem::exists(Dir / "o.dat"));
    }
    EXPECT_EQ(ReadAll(Dir / "src.dat"), Data + "12345");
    // All fields of some records, or some fields of all records, are accepted.
    EXPECT_NO_THROW(
        SaveSelection(Script, Dir / "src.dat", all, RecordsFromSortedList({1}), Dir / "a.dat", 8));
    EXPECT_NO_THROW(SaveSelection(Script, Dir / "src.dat", {1},
                                  RecordsFromSortedList({1, 2, 3, 4, 5}), Dir / "b.dat", 8));
}

TEST_F(SaveSelectionTest, ExistingFilesAreListedForTheQuestion) {
    WriteAll(Dir / "n.dat", "");
    WriteAll(Dir / "n.slo", "");
    EXPECT_EQ(ExistingSaveSelectionFiles(SaveSelectionNames(Dir / "n.dat")),
              Dir / "n.dat" + ",\r\n" + Dir / "n.slo");
    EXPECT_EQ(ExistingSaveSelectionFiles(SaveSelectionNames(Dir / "m.dat")), "");
    EXPECT_EQ(SaveSelectionOverwriteQuestion("a,\r\nb"),
              "a,\r\nb already exist.\r\nDo you want to replace them?");
}

// The syntax is built before any file takes its name: a clash in it leaves
// no file behind.
TEST_F(SaveSelectionTest, ARepeatedVariableNameLeavesNoFileBehind) {
    TPXMessageList messages;
    const TPXDictionary script("left='Income a' width=1 auto=0* varname=income width=1 auto=0*",
                               FixedReadingOptions(), messages);
    WriteAll(Dir / "i.dat", "12\r\n34\r\n");
    // Only record 2 of all fields: INCOME (derived) and INCOME (varname) clash.
    EXPECT_THROW(
        SaveSelection(script, Dir / "i.dat", {0, 1}, RecordsFromSortedList({2}), Dir / "j.dat", 8),
        EGeneric);
    EXPECT_FALSE(std::filesystem::exists(Dir / "j.dat"));
    EXPECT_FALSE(std::filesystem::exists(Dir / "j.slo"));
    EXPECT_FALSE(std::filesystem::exists(Dir / "j.sps"));
}

}  // namespace
}  // namespace tallyra::core
