// SPDX-License-Identifier: GPL-3.0-or-later
// Reading scripts: instruction kinds, keyword syntax and immediate checks,
// error recovery, references, progress and the file form.
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "scripttest.h"
#include "shell/errors.h"
#include "shell/langtext.h"

namespace tallyra::core::test {
namespace {

const char* const Household =
    "comment='Household survey'*\r\n"
    "left='Household number' width=5 range=[1:99998] auto=1 recid*\r\n"
    "left='Owns a car' width=1 range=[0,1] auto=0 when=[0][cartype:caryear]*\r\n"
    "page*\r\n"
    "left='Car type' width=2 range=[0:20] label=cartype*\r\n"
    "left='Year bought' width=4 range=[0,1950:2010] label=caryear*\r\n"
    "left='Remarks' text width=40 auto='\\ '*\r\n";

TEST(TPXDictionary, MinimalScriptIsOneNumericField) {
    const TRead r = Read("left='Age' width=3 range=[0:120]*", DefaultScriptOptions());
    EXPECT_EQ(r.Codes(), (Strings{"H6001@34"}));
    ASSERT_EQ(r.Count(), 1);
    EXPECT_EQ(r.Field(0)->Column, 1);
    EXPECT_EQ(r.Field(0)->Width, 3);
    EXPECT_EQ(r.Field(0)->Auto, "0");
    EXPECT_EQ(r.Numeric(0)->Range.ToText(), "[0:120]");
    EXPECT_EQ(r.Script->RecordLength, 3);
    EXPECT_EQ(r.Script->LineLength, 5);
    EXPECT_EQ(r.Script->RecIdIndex, -1);
}

TEST(TPXDictionary, HouseholdExampleDrawsNoMessage) {
    const TRead r = Read(Household, DefaultScriptOptions());
    EXPECT_TRUE(r.Codes().empty()) << ::testing::PrintToString(r.Codes());
    ASSERT_EQ(r.Count(), 7);
    EXPECT_EQ(r.Script->PageCount, 2);
    EXPECT_EQ(r.Script->RecIdIndex, 1);
    EXPECT_EQ(r.Script->RecordLength, 52);
    EXPECT_EQ(r.Script->LineLength, 54);
    const int columns[] = {0, 1, 6, 0, 7, 9, 13};
    for (int i : {1, 2, 4, 5, 6})
        EXPECT_EQ(r.Field(i)->Column, columns[i]) << i;
    EXPECT_EQ(r.Field(4)->Auto, "0");  // inherited from the field before
    EXPECT_EQ(r.Field(4)->Label, "CARTYPE");
    EXPECT_EQ(r.Field(6)->AutoValue(), std::string(40, ' '));
    const TFilterList& filters = *r.Numeric(2)->Filters;
    ASSERT_EQ(filters.size(), 1u);
    EXPECT_EQ(filters[0].Values.ToText(), "[0]");
    EXPECT_EQ(filters[0].Targets[0].FromLabel, "CARTYPE");
    EXPECT_EQ(filters[0].Targets[0].ToLabel, "CARYEAR");
}

// Errors (kind 'E' only, codes in hex) of small scripts read with quiet options.
TEST(TPXDictionary, RefusesMisplacedInstructionsAndKeywords) {
    struct Case {
        const char* Text;
        Strings Errors;
    };
    const Case cases[] = {
        {"page* left='a'*", {"E2015"}},
        {"left='a'* page* page* left='b'*", {"E2015"}},
        {"comment='x'* page* left='a'*", {"E2015"}},
        {"left='a' page*", {"E200E", "E2032"}},
        {"comment='x' width=3* left='a'*", {"E200F"}},
        {"left='a'* page page*", {"E200B"}},
        {"comment='x' comment='y'* left='a'*", {"E200B"}},
        {"text range=[1:2]*", {"E2018", "E2032"}},
        {"range=[1:2] text*", {"E2017", "E2032"}},
        {"auto=5 text*", {"E2017", "E2032"}},
        {"auto='5' text*", {}},
        {"range=[] range=[1:2]*", {"E200B", "E2032"}},
        {"left='a' left='b'*", {"E200B", "E2032"}},
        {"when=[][a]*", {"E2030", "E2032"}},
        {"when=[1][]*", {"E2030", "E2032"}},
        {"vallab=[1 'a' 2]*", {"E200C", "E2032"}},
        {"vallab=[1 'a']*", {}},
        {"width=^x*", {"E2013", "E2032"}},
        {"repeat=1000*", {"E2020", "E2032"}},
        {"item=0*", {"E2021", "E2032"}},
        {"left='a'", {"E2008", "E2032"}},
        {"lab=x*", {"E2003", "E2032"}},
        {"5*", {"E2007", "E2032"}},
        {"left=5*", {"E200C", "E2032"}},
        {"left 'a'*", {"E2009", "E2032"}},
        {"width=x*", {"E200D", "E2032"}},
        {"range=1*", {"E2010", "E2032"}},
        {"range=[1;2]*", {"E2006", "E2032"}},
        {"range=[1 2]*", {"E2011", "E2032"}},
        {"range=[1:x]*", {"E200D", "E2032"}},
        {"width=0*", {"E202A", "E2032"}},
        {"height=0 text*", {"E202B", "E2032"}},
        {"recid* recid*", {"E201A", "E2032"}},
        {"group=a* group=b* left='x' label=a*", {"E201C"}},
        {"label=1x*", {"E2001", "E2032"}},
        {"left='a' label=x* left='b' label=x*", {"E2012"}},
        {"auto='\\ab' text*", {"E202C", "E2032"}},
        {"auto=^ 5*", {"E200A", "E2032"}},
        {"auto=[*", {"E200C", "E2032"}},
        {"signal=[1][a:b:c]*", {"E2011", "E2032"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Read(c.Text).Only('E'), c.Errors) << c.Text;
}

TEST(TPXDictionary, LabelStandsInCommentsAndFields) {
    const TRead r = Read("label=x comment='y'* left='a' when=[1][f]* label=f*");
    EXPECT_TRUE(r.Only('E').empty());
    ASSERT_EQ(r.Script->Instructions.Get(0)->Kind, ikComment);
    const auto* comment = static_cast<const TPXCommentInstruction*>(r.Script->Instructions.Get(0));
    EXPECT_EQ(comment->Label, "X");
    EXPECT_EQ(comment->Text, "'y'");
}

TEST(TPXDictionary, WarnsOfOverlappingAndBadRanges) {
    TScriptOptions o = Quiet();
    o.WarnOverlap = 1;
    o.WarnBadRange = 1;
    EXPECT_EQ(Read("range=[1:5,3:8,4:6]*", o).Only('W'), (Strings{"W4001", "W4001"}));
    EXPECT_EQ(Read("range=[5:5]*", o).Only('W'), (Strings{"W4002"}));
    EXPECT_EQ(Read("range=[6:5,1]*", o).Only('W'), (Strings{"W4002"}));
    EXPECT_TRUE(Read("range=[1:5,6:9]*", o).Only('W').empty());
}

TEST(TPXDictionary, FiltersAreCollectedInOrder) {
    const TRead r = Read("when=[1][a:b] signal=[2,4:5][c]* label=a* label=b* label=c*");
    EXPECT_TRUE(r.Only('E').empty()) << ::testing::PrintToString(r.Codes());
    const TFilterList& filters = *r.Numeric(0)->Filters;
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_EQ(filters[0].Kind, fkWhen);
    EXPECT_EQ(filters[1].Kind, fkSignal);
    EXPECT_EQ(filters[1].Values.ToText(), "[2,4:5]");
    EXPECT_EQ(filters[0].Targets[0].FromPos, 11);
    EXPECT_EQ(filters[0].Targets[0].ToPos, 13);
}

TEST(TPXDictionary, FilterMayNotGovernEarlierFields) {
    EXPECT_EQ(Read("left='a' label=x* left='b' when=[1][x]*").Only('E'), (Strings{"E2012"}));
    // nor itself
    EXPECT_EQ(Read("when=[1][x] label=x*").Only('E'), (Strings{"E2012", "E2013", "E2032"}));
}

TEST(TPXDictionary, CaretReferencesCopyFromEarlierInstructions) {
    const TRead r = Read(
        "comment='Intro' label=c*"
        "left='N' width=3 auto=7 range=[1:9] vallab=[1 'one'] varlab='V' right='R' label=n*"
        "left=^c width=^n auto=^n range=^n vallab=^n varlab=^n right=^n*"
        "text width=4 auto='\\-' label=t*"
        "left=^n text width=^t auto=^t*");
    EXPECT_TRUE(r.Only('E').empty()) << ::testing::PrintToString(r.Codes());
    const TPXNumericInstruction* copy = r.Numeric(2);
    EXPECT_EQ(copy->Left, "'Intro'");
    EXPECT_EQ(copy->Width, 3);
    EXPECT_EQ(copy->Auto, "'007'");
    EXPECT_EQ(copy->Range.ToText(), "[1:9]");
    ASSERT_EQ(copy->ValLabs.size(), 1u);
    EXPECT_EQ(copy->ValLabs[0].Text, "'one'");
    EXPECT_EQ(copy->VarLab, "'V'");
    EXPECT_EQ(copy->Right, "'R'");
    EXPECT_EQ(r.Field(4)->Auto, "'----'");
    EXPECT_EQ(r.Field(4)->Left, "'N'");
}

TEST(TPXDictionary, NegativeReferencedAutoIsPaddedAfterTheSign) {
    const TRead r = Read("width=4 auto=-5 label=n* auto=^n*");
    EXPECT_EQ(r.Field(1)->Auto, "'-005'");
}

TEST(TPXDictionary, RefusesReferencesToLaterOrUnfitInstructions) {
    struct Case {
        const char* Text;
        Strings Errors;
    };
    const Case cases[] = {
        // a later label cannot be referenced
        {"width=^x* label=x*", {"E2013"}},
        {"text label=t* range=^t*", {"E201E"}},
        {"comment='c' label=c* vallab=^c*", {"E201E", "E2032"}},
        // a comment has nothing to give but its text
        {"comment='c' label=c* right=^c*", {"E2014", "E2032"}},
        {"comment='c' label=c* auto=^c*", {"E2014", "E2032"}},
        {"comment='c' label=c* width=^c*", {"E2014", "E2032"}},
        {"comment='c' label=c* comment=^c*", {"E2032"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Read(c.Text).Only('E'), c.Errors) << c.Text;
}

TEST(TPXDictionary, HeightNeedsItsExtension) {
    TScriptOptions o = Quiet();
    o.ExtHeight = 0;
    EXPECT_EQ(Read("text height=2*", o).Only('E'), (Strings{"E2035", "E2032"}));
    EXPECT_EQ(Read("text height=1*").Only('H'), (Strings{"H6008", "H6001"}));
    const TRead r = Read("text height=3*");
    EXPECT_EQ(r.Field(0)->Height, 3);
    EXPECT_EQ(Read("height=2*").Only('E'), (Strings{"E2027", "E2032"}));
}

TEST(TPXDictionary, HintsAtRepeatAndItemOfOne) {
    TScriptOptions o = Quiet();
    o.HintItem1 = 1;
    o.HintRepeat1 = 1;
    EXPECT_EQ(Read("left='$' repeat=1 item=1*", o).Only('H'), (Strings{"H6003", "H6002", "H6001"}));
}

TEST(TPXDictionary, RecoversAfterTheFailedInstruction) {
    const TRead a = Read("left='a' width=99*left='b'*");
    EXPECT_EQ(a.Codes(), (Strings{"E2025@19", "H6001@28"}));
    ASSERT_EQ(a.Count(), 1);
    EXPECT_EQ(a.Field(0)->Left, "'b'");

    const TRead b = Read("left='a'*#left='b'*");
    EXPECT_EQ(b.Codes(), (Strings{"E2006@11", "H6001@20"}));
    EXPECT_EQ(b.Count(), 2);

    const TRead c = Read("left='abc\r\nwidth=2* left='d'*");
    EXPECT_EQ(c.Codes()[0], "E2002@10");
    ASSERT_EQ(c.Count(), 1);
    EXPECT_EQ(c.Field(0)->Left, "'d'");
}

TEST(TPXDictionary, UnderscoreStartingAnIdentifierDoesNotStopReading) {
    TScriptOptions o = Quiet();
    o.ExtUnderscore = 0;
    const TRead r = Read("left='a'*_x left='b'*left='c' label=a_1*", o);
    EXPECT_EQ(r.Only('E'), (Strings{"E2006", "E2003", "E2006"}));
    EXPECT_EQ(r.Codes()[0], "E2006@10");
    EXPECT_EQ(r.Count(), 1);
}

TEST(TPXDictionary, ErrorModeZeroStopsAtTheSecondError) {
    TScriptOptions o = DefaultScriptOptions();
    const TRead r = Read("left='a'* width=0* width=-1* width=99*", o, LimitForErrorMode(0, 0));
    EXPECT_EQ(r.Codes(), (Strings{"E202A@18", "E0000@28"}));
    EXPECT_EQ(r.Count(), 1);
}

class ProgressLog : public IReadingProgress {
public:
    void ReadingProgress(int percent) override { Log.push_back(percent); }
    std::vector<int> Log;
};

TEST(TPXDictionary, ProgressFollowsTheFirstInstructionAndEnds) {
    ProgressLog log;
    TPXMessageList messages;
    const std::string text = "left='a'* left='b'*";
    TPXDictionary script(text, Quiet(), messages, &log);
    // The attribute left='a' is read while no instruction exists (9 of 19 characters);
    // after the asterisk there is one instruction and nothing more is reported.
    EXPECT_EQ(log.Log, (std::vector<int>{47, -1}));
}

TEST(TPXDictionary, FileFormJoinsLinesAndUsesFixedOptions) {
    const auto path = std::filesystem::temp_directory_path() / "tallyra_reader_test.slo";
    {
        std::ofstream out(path, std::ios::binary);
        out << "left='a'\nwidth=9*\rleft='b' label=x*";  // no final line break
    }
    TPXMessageList messages;
    TPXDictionary script(path.string(), messages);
    std::filesystem::remove(path);
    EXPECT_EQ(script.Options, FixedReadingOptions());
    // fixed options: wide numbers on, no warnings or hints but the always-on hint
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Get(0)->Code, 0x6001);
    EXPECT_EQ(messages.Get(0)->Position,
              40);  // "left='a'\r\nwidth=9*\r\nleft='b' label=x*\r\n" + 1
    EXPECT_EQ(script.Instructions.Count(), 2);
}

TEST(TPXDictionary, MissingFileRaisesWithTheFullPath) {
    const int saved = CurrentLanguage();
    SetCurrentLanguage(LangEnglish);
    TPXMessageList messages;
    try {
        TPXDictionary script(std::string("no-such-dir/none.slo"), messages);
        FAIL() << "no exception";
    } catch (const EGeneric& e) {
        const std::string text = e.what();
        EXPECT_EQ(text.rfind("Error opening script file:\r\n\"/", 0), 0u) << text;
        EXPECT_NE(text.find("no-such-dir/none.slo\"."), std::string::npos) << text;
    }
    SetCurrentLanguage(saved);
}

TEST(TPXDictionary, LineEndsBecomeCRLF) {
    EXPECT_EQ(JoinLinesCRLF("a\nb\r\nc\rd"), "a\r\nb\r\nc\r\nd\r\n");
    EXPECT_EQ(JoinLinesCRLF("a\r\n"), "a\r\n");
    EXPECT_EQ(JoinLinesCRLF(""), "");
    EXPECT_EQ(NormalizeLineEnds("a\nb\r\nc\rd"), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(NormalizeLineEnds("\n\n"), "\r\n\r\n");
}

TEST(TPXDictionary, OffsetToCaretPlacesMessagesOnLinesAndColumns) {
    const std::string text = "ab\r\ncde\r\n\r\nf";
    struct Case {
        int Offset, Line, Column;
    };
    const Case cases[] = {{0, 0, 0}, {2, 0, 2},  {3, 0, 3},  {4, 1, 0}, {6, 1, 2},
                          {9, 2, 0}, {11, 3, 0}, {12, 3, 1}, {20, 3, 9}};
    for (const Case& c : cases) {
        const TCaret caret = OffsetToCaret(text, c.Offset);
        EXPECT_EQ(caret.Line, c.Line) << c.Offset;
        EXPECT_EQ(caret.Column, c.Column) << c.Offset;
    }
}

}  // namespace
}  // namespace tallyra::core::test
