// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "shell/errors.h"
#include "shell/privatetemp.h"
#include "spss/tvarcoll.h"
#include "testutil.h"

namespace tallyra::core {
namespace {

using testing::TScratch;
using testing::WriteAll;

std::vector<std::string> NamesOf(const TVarColl& vars) {
    std::vector<std::string> names;
    for (const auto& v : vars.Items)
        names.push_back(v->Name);
    return names;
}

TEST(ReadScript, NamesAreDerivedFromLabels) {
    struct Case {
        std::string script;
        int maxLength;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"left='Age of respondent' width=2 auto=0*", 8, {"AGE"}},
        {"left='Household number' width=5 auto=1*", 8, {"HOUSEHOL"}},
        {"left='Household number' width=5 auto=1*", 3, {"HOU"}},
        // A label beginning with a digit gives V and the 1-based position.
        {"left='a' width=1 auto=0* left='b' width=1 auto=0* left='2nd wave' width=1 auto=0*",
         8,
         {"A", "B", "V3"}},
        // Only ASCII letters are upper-cased; Polish letters become "_".
        {"left='P\xB3"
         "e\xE6' width=1 auto=0*",
         8,
         {"P_E_"}},
        // A repeated name gives way to V and the position; the first keeps it.
        {"left='Income now' width=1 auto=0* left='Income before' width=1 auto=0*",
         8,
         {"INCOME", "V2"}},
        // VARNAME wins and has no length limit; VARLAB is preferred to LEFT.
        {"left='Question' varname=q1a varlab='Label' width=1 auto=0*", 2, {"Q1A"}},
        {"left='Left text' varlab='Varlab text' width=1 auto=0*", 8, {"VARLAB"}},
        {"width=1 auto=0* left='' width=1 auto=0*", 8, {"V1", "V2"}},
        {"left='x-y z' width=1 auto=0*", 8, {"X_Y"}},
    };
    for (const Case& c : cases) {
        TVarColl vars;
        vars.ReadScriptText(c.script, c.maxLength);
        EXPECT_EQ(NamesOf(vars), c.names) << c.script;
    }
}

TEST(ReadScript, FieldsBecomeVariablesWithColumnsTypesAndLabels) {
    TVarColl vars;
    vars.ReadScriptText(
        "comment='Intro'*\n"
        "left='Sex' varlab='Sex of respondent' width=1 range=[1:2] "
        "vallab=[1 'male' 2 'female'] auto=1*\n"
        "left='Town' text width=12 auto='\\ '*\n",
        8);
    ASSERT_EQ(vars.Count(), 2);
    const TVar& sex = *vars.Get(0);
    EXPECT_EQ(sex.Label, "Sex of respondent");
    EXPECT_EQ(sex.Format, "F1");
    EXPECT_EQ(sex.Start, 1);
    ASSERT_EQ(sex.ValueLabels.Count(), 2);
    EXPECT_EQ(sex.ValueLabels.Get(1).Text, "female");
    EXPECT_EQ(sex.ValueLabels.Get(1).Value, 2);
    const TVar& town = *vars.Get(1);
    EXPECT_EQ(town.VarType, vtString);
    EXPECT_EQ(town.Format, "A12");
    EXPECT_EQ(town.Start, 2);
    EXPECT_EQ(town.Width, 12);
}

TEST(ReadScript, ScriptErrorsAreReportedWithTheirPosition) {
    TVarColl vars;
    try {
        vars.ReadScriptText("left='a' width=1 auto=0*\r\nleft='b' width=0 auto=0*", 8);
        FAIL();
    } catch (const EGeneric& e) {
        EXPECT_EQ(e.Text().rfind("Error reading .SLO file.\r\n", 0), 0u) << e.Text();
        EXPECT_NE(e.Text().find("Line 2, column"), std::string::npos) << e.Text();
    }
}

TEST(TVarColl, ValidateRejectsEmptySetsBadAndRepeatedNames) {
    struct Case {
        std::string script;
        std::string message;  // empty: valid
    };
    const Case cases[] = {
        {"left='_x' width=1 auto=0*", "Illegal variable name \"_X\"."},
        {"left='with' width=1 auto=0*", "Illegal variable name \"WITH\"."},
        // A derived V2 meets an explicit V2 of a later field.
        {"left='a' width=1 auto=0* left='9' width=1 auto=0* varname=v2 width=1 auto=0*",
         "Repeated variable name \"V2\"."},
        {"left='a' width=1 auto=0* left='b' width=1 auto=0*", ""},
    };
    try {
        TVarColl().Validate();
        ADD_FAILURE();
    } catch (const EGeneric& e) {
        EXPECT_EQ(e.Text(), "No variables were defined in this file.");
    }
    for (const Case& c : cases) {
        TVarColl vars;
        vars.ReadScriptText(c.script, 8);
        try {
            vars.Validate();
            EXPECT_EQ(c.message, "") << c.script;
        } catch (const EGeneric& e) {
            EXPECT_EQ(e.Text(), c.message) << c.script;
        }
    }
}

TEST(TVarColl, RefusesReservedWordsAndBadCharactersInNames) {
    const std::pair<const char*, bool> cases[] = {
        {"A", true},
        {"q1a", true},
        {"A#$.@_9", true},
        {"", false},
        {"1A", false},
        {"_A", false},
        {"A.", false},
        {"A-B", false},
        {"WITH", false},
        {"and", false},
        {"WITHIN", true},
        // Letters of code page 1250 are letters, as in names SPSS and PSPP
        // write in Unicode; its signs are not.
        {"P\xB3"
         "e\xE6",
         true},
        {"\xAF"
         "ona",
         true},
        {"A\xD7"
         "B",
         false},
        {"\xF7", false},
        {"A\xA7", false},
    };
    for (const auto& [name, valid] : cases)
        EXPECT_EQ(TVarColl::IsValidName(name), valid) << name;
}

TEST(TVarColl, FindByNameIgnoresCaseAndWrapsAround) {
    TVarColl vars;
    for (const char* name : {"A", "B", "C"}) {
        auto v = std::make_unique<TVar>();
        v->Name = name;
        vars.Add(std::move(v));
    }
    EXPECT_EQ(vars.FindByName("c"), vars.Get(2));
    EXPECT_EQ(vars.FindByName("a"), vars.Get(0));  // from the cursor on C, wrapping
    EXPECT_EQ(vars.FindByName("b"), vars.Get(1));
    EXPECT_EQ(vars.FindByName("D"), nullptr);
    // With a repeated name the search goes on from the last match.
    auto again = std::make_unique<TVar>();
    again->Name = "A";
    vars.Add(std::move(again));
    EXPECT_EQ(vars.FindByName("A"), vars.Get(3));
    EXPECT_EQ(vars.FindByName("A"), vars.Get(3));
    EXPECT_EQ(vars.FindByName("B"), vars.Get(1));
    EXPECT_EQ(vars.FindByName("A"), vars.Get(3));
    EXPECT_EQ(vars.FindByName("C"), vars.Get(2));
    vars.Items.erase(vars.Items.begin() + 3);
    const TVarColl copy(vars);
    EXPECT_EQ(copy.Count(), 3);
    EXPECT_NE(copy.Get(0), vars.Get(0));
}

TEST(KindDetection, FileNamesAndFirstLinesChooseTheReader) {
    struct Case {
        std::string name, head;
        TVarSourceKind kind;
    };
    using K = TVarSourceKind;
    const Case cases[] = {
        {"a.cdb", "left='x'*", K::ColumnList},
        {"a.CDB", "1-2 A label", K::Listing},
        {"a.sav", std::string("$FL2@(#) SPSS DATA FILE MS WINDOWS RELEASE 7\x02\0\0\0", 48),
         K::SystemFile},
        {"a.sav", "$FL2@(#) SPSS DATA FILE GNU pspp 1.6.2", K::SystemFile},
        {"a.zsav", "$FL3@(#) SPSS DATA FILE IBM SPSS STATISTICS", K::SystemFile},
        {"a.sps", "\r\n  data list file='x.dat' /A 1\r\n", K::Syntax},
        {"a.sps", "FILE HANDLE h /name='x'", K::Syntax},
        {"a.lst", "\x0c      List of variables", K::Listing},
        {"a.slo", "left='a' width=1*", K::Script},
        {"a.slo", "comment='a'*", K::Script},
        {"a.slo", "page*", K::Script},
        // The first line of an instruction spread over lines is taken for a listing.
        {"a.slo", "width=1\r\nauto=0*", K::Listing},
        // A comment closed on its first line: that line decides.
        {"a.slo", "{ note } width=1\r\nleft='a'*", K::Listing},
        // A comment left open on its first line: the second line decides.
        {"a.slo", "{ note\r\nleft='a'*", K::Script},
        {"a.slo", "{ note }\r\nleft='a'*", K::Script},
        {"a.slo", " \r\n\r\n", K::Empty},
        // A system file cut inside its first record, under any name, and
        // anything named .sav: the system file reader says what is wrong.
        {"cut.dat", "$FL2@(#) SPSS", K::SystemFile},
        {"cut.dat", "$FL", K::SystemFile},
        {"a.lst", "$F", K::Listing},
        {"a.sav", "", K::SystemFile},
        {"a.SAV", "1-2 A label", K::SystemFile},
        // SPSS comment commands before DATA LIST: still syntax.
        {"a.sps", "* Survey 2026, don't edit.\r\n\r\nDATA LIST FILE='x.dat' /A 1.", K::Syntax},
        {"a.txt", "COMMENT two\r\n  lines.\r\n* more\r\nFILE HANDLE h /name='x'", K::Syntax},
        {"a.slo", "* not syntax\r\nleft='a' width=1*", K::Script},
        // Portable files, by name or by their mark.
        {"a.por", "anything", K::PortableFile},
        {"a.dat", std::string(200, 'A') + std::string(256, '0') + "SPSSPORT", K::PortableFile},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DetectVarSourceKind(c.name, c.head), c.kind) << c.head;
}

TEST(KindDetection, EveryKindIsReadFromItsFile) {
    TScratch dir;
    struct Case {
        std::string name, content, firstName;
    };
    const Case cases[] = {
        {"s.slo", "left='Age' width=2 auto=0*", "AGE"},
        {"s.sps", "DATA LIST FILE='x.dat' /Q1 1-2\r\n.", "Q1"},
        {"s.cdb", "1-2 Q7 Question seven", "Q7"},
        {"s.lst",
         "            List of variables on the working file\r\n"
         "Name" +
             std::string(67, ' ') +
             "Position\r\n\r\n"
             "AGE    Age in years       1\r\n"
             "          Print Format: F3\r\n"
             "          Write Format: F3\r\n",
         "AGE"},
    };
    for (const Case& c : cases) {
        WriteAll(dir / c.name, c.content);
        const TVarColl vars(dir / c.name, 8);
        ASSERT_GE(vars.Count(), 1) << c.name;
        EXPECT_EQ(vars.Get(0)->Name, c.firstName) << c.name;
    }
    // The listing's temporary copy is gone.
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(PrivateTempFolder(), ec))
        EXPECT_NE(entry.path().filename(), "s.$$$") << entry.path();
}

TEST(KindDetection, UnreadableAndEmptySourcesFailClearly) {
    TScratch dir;
    EXPECT_THROW(TVarColl(dir / "missing.slo", 8), EGeneric);
    WriteAll(dir / "empty.slo", "");
    try {
        TVarColl vars(dir / "empty.slo", 8);
        FAIL();
    } catch (const EGeneric& e) {
        EXPECT_EQ(e.Text(), "No variables were defined in this file.");
    }
    // A portable file is refused, saying how to make a system file of it.
    WriteAll(dir / "p.por", std::string(200, 'A') + std::string(256, '0') + "SPSSPORT");
    try {
        TVarColl vars(dir / "p.por", 8);
        FAIL();
    } catch (const EGeneric& e) {
        EXPECT_EQ(e.Text(),
                  "SPSS portable files (.por) are not read. Open the system file (.sav), or make "
                  "one with PSPP: IMPORT FILE='file.por'. SAVE OUTFILE='file.sav'.");
    }
    // A failed listing read also removes its temporary copy.
    WriteAll(dir / "bad.lst", "nothing useful here\r\n");
    EXPECT_THROW(TVarColl(dir / "bad.lst", 8), EGeneric);
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(PrivateTempFolder(), ec))
        EXPECT_NE(entry.path().filename(), "bad.$$$");
}

TEST(ListingConversion, ControlZAndBackslashLineEndsWithinABlock) {
    EXPECT_EQ(ConvertListingBytes(std::string("a\x1a"
                                              "b\\\nc",
                                              6)),
              std::string("a\0b\r\nc", 6));
    // A backslash ending a 32768-byte block is not joined with the next block's LF.
    std::string bytes(32767, 'x');
    bytes += "\\\n";
    EXPECT_EQ(ConvertListingBytes(bytes).substr(32767), "\\\n");
}

}  // namespace
}  // namespace tallyra::core
