// SPDX-License-Identifier: GPL-3.0-or-later
// Completing instructions at their asterisk and the end-of-script checks.
#include <algorithm>

#include <gtest/gtest.h>

#include "scripttest.h"

namespace tallyra::core::test {
namespace {

TEST(TPXChecker, EmptyTextDrawsThreeMessagesAtPositionOne) {
    EXPECT_EQ(Read("", DefaultScriptOptions()).Codes(), (Strings{"W2015@1", "H6001@1", "E2032@1"}));
}

TEST(TPXChecker, TwoAsterisksAreTwoDefaultFields) {
    const TRead r = Read("**");
    ASSERT_EQ(r.Count(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(r.Field(i)->Column, i + 1);
        EXPECT_EQ(r.Field(i)->Width, 1);
        EXPECT_EQ(r.Field(i)->Auto, "0");
        EXPECT_FALSE(r.Field(i)->IsText());
        EXPECT_EQ(r.Numeric(i)->Range.ToText(), "[]");
    }
}

TEST(TPXChecker, SimultaneousDefinitionNumbersItsFields) {
    const TRead r =
        Read("left='Q$' repeat=3 item=5 range=[0,1] when=[1][z] group=z* left='z' label=z*");
    EXPECT_TRUE(r.Only('E').empty()) << ::testing::PrintToString(r.Codes());
    ASSERT_EQ(r.Count(), 4);
    const char* lefts[] = {"'Q5'", "'Q6'", "'Q7'"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(r.Field(i)->Left, lefts[i]);
        EXPECT_EQ(r.Field(i)->Column, i + 1);
        EXPECT_EQ(r.Numeric(i)->Range.ToText(), "[0,1]");
    }
    // only the first gets the filters and the group
    EXPECT_NE(r.Numeric(0)->Filters, nullptr);
    EXPECT_EQ(r.Numeric(1)->Filters, nullptr);
    EXPECT_EQ(r.Field(0)->Group, "Z");
    EXPECT_EQ(r.Field(1)->Group, "");
}

TEST(TPXChecker, OnlyTheLastRepeatedFieldIsLabelled) {
    TScriptOptions o = Quiet();
    o.HintNoDollar = 1;
    const TRead r = Read("left='Q' repeat=2 label=q*", o);
    ASSERT_EQ(r.Count(), 2);
    EXPECT_EQ(r.Field(0)->Label, "");
    EXPECT_EQ(r.Field(1)->Label, "Q");
    EXPECT_EQ(r.Only('H'), (Strings{"H6004", "H6001"}));
}

TEST(TPXChecker, RefusesConflictingAttributesAtTheAsterisk) {
    struct Case {
        const char* Text;
        Strings Errors;
    };
    const Case cases[] = {
        {"item=3*", {"E201F", "E2032"}},
        {"repeat=2 recid*", {"E2023", "E2032"}},
        {"const recid*", {"E2019", "E2032"}},
        {"group=x recid* left='x' label=x*", {"E201D"}},
        {"width=2 auto=123*", {"E202D", "E2032"}},
        {"width=3 auto='12'*", {"E202F", "E2032"}},
        {"width=2 auto='1x'*", {"E202C", "E2032"}},
        {"text auto=5*", {"E202E", "E2032"}},
        {"text width=40 auto='\\ '*", {}},
        {"text width=40 auto='abc'*", {"E202F", "E2032"}},
        {"width=3 auto=-12*", {}},
        {"width=2 auto=-12*", {"E202D", "E2032"}},
        {"width=1 auto=0x0A*", {"E202D", "E2032"}},
        // the written form must fit too, or the value would spill over
        {"width=1 auto=007*", {"E202D", "E2032"}},
        {"width=1 auto=+7*", {"E202D", "E2032"}},
        {"width=2 auto=0x1F*", {"E202D", "E2032"}},
        {"width=2 auto=+7*", {}},
        {"width=4 auto=0x1F*", {}},
        {"left='a' label=x* left='b' when=[1][x]*", {"E2012"}},
        {"comment='c' group=g*", {"E200F", "E2032"}},
        {"left='a' when=[1][c]* comment='x' label=c*", {"E2024"}},
        {"when=[1][a:b]* left='r' recid* label=a* label=b*", {}},
        {"when=[1][a:b]* left='a' label=a* recid* label=b*", {"E2031"}},
        {"when=[1][a:b]* recid label=a* label=b*", {"E2031"}},
        {"recid when=[1][a]* label=a*", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Read(c.Text).Only('E'), c.Errors) << c.Text;
    }
}

TEST(TPXChecker, WidthLimitsFollowTheExtensions) {
    TScriptOptions plain = Quiet();
    plain.ExtWideNumbers = 0;
    plain.ExtLongText = 0;
    struct Case {
        const char* Text;
        bool Extended;
        Strings Errors;
    };
    const Case cases[] = {
        {"width=9*", false, {"E2026", "E2032"}},
        {"width=8*", false, {}},
        {"width=11*", true, {}},
        {"width=12*", true, {"E2025", "E2032"}},
        {"text width=49*", false, {"E2029", "E2032"}},
        {"text width=48*", false, {}},
        {"text width=32767*", true, {}},
        {"text width=32768*", true, {"E2028", "E2032"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Read(c.Text, c.Extended ? Quiet() : plain).Only('E'), c.Errors) << c.Text;
}

TEST(TPXChecker, ReversedRangeIsReportedAtTheReference) {
    const TRead r = Read("when=[1][b:a]* left='x' label=a* left='y' label=b*");
    // "range does not exist" where b was written; the field labelled A is discarded, so the
    // range's last label is still undefined at the end
    EXPECT_EQ(r.Codes(), (Strings{"E201B@11", "H6001@51", "E2013@13"}));
}

TEST(TPXChecker, UnendedGroupIsReportedTwiceAtItsLabel) {
    const TRead r = Read("group=x*");
    EXPECT_EQ(r.Only('E'), (Strings{"E2013", "E201C"}));
    EXPECT_EQ(r.Codes()[1], "E2013@8");
    EXPECT_EQ(r.Codes()[2], "E201C@8");
}

TEST(TPXChecker, UnusedLabelsUntilReferenced) {
    TScriptOptions o = Quiet();
    o.WarnUnusedLabel = 1;
    EXPECT_EQ(Read("left='a' label=x*", o).Codes(), (Strings{"H6001@18", "W4006@17"}));
    EXPECT_EQ(Read("left='a' label=x* width=^x*", o).Only('W'), Strings{});
}

TEST(TPXChecker, FieldsWithoutNamesDrawNameWarnings) {
    TScriptOptions o = Quiet();
    o.WarnNoLeft = 1;
    o.WarnBadVarName = 1;
    o.WarnVarRepeated = 1;
    EXPECT_EQ(Read("**", o).Only('W'), (Strings{"W4007", "W400A", "W4007", "W400A", "W400B"}));
}

TEST(TPXChecker, WarnsOfBadAndRepeatedVariableNames) {
    TScriptOptions o = Quiet();
    o.WarnBadVarName = 1;
    o.WarnVarRepeated = 1;
    struct Case {
        const char* Text;
        int Warnings;  // number of 0x400A
        int Repeated;  // number of 0x400B
    };
    const Case cases[] = {
        {"left='Age'*", 0, 0},
        {"left='  Age group'*", 0, 0},
        {"left='1st'*", 1, 0},
        {"left='A-b.c'*", 2, 0},
        {"left='A-b.c' varname=ok*", 0, 0},
        {"left='abcdefghij-k'*", 0, 0},  // cut to 8 characters before checking
        {"left='Age'* left='age'*", 0, 1},
        {"left='Age x'* left='AGE y'*", 0, 1},
        {"left='Agent007x'* left='Agent007y'*", 0, 1},
        {"left='a' varname=v* left='b' varname=v*", 0, 1},
    };
    for (const Case& c : cases) {
        const Strings w = Read(c.Text, o).Only('W');
        EXPECT_EQ(std::count(w.begin(), w.end(), "W400A"), c.Warnings) << c.Text;
        EXPECT_EQ(std::count(w.begin(), w.end(), "W400B"), c.Repeated) << c.Text;
    }
}

TEST(TPXChecker, TrailingPageDrawsTheWarningAndIsDropped) {
    const TRead r = Read("left='a'* page*");
    EXPECT_EQ(r.Codes(), (Strings{"W2015@16", "H6001@16"}));
    EXPECT_EQ(r.Count(), 1);
    EXPECT_EQ(r.Script->PageCount, 1);
}

TEST(TPXChecker, FieldsInheritFromTheLastOfTheirKindWithHints) {
    TScriptOptions o = Quiet();
    o.HintInherited = 1;
    const TRead r = Read(
        "width=3 auto=5 range=[1:9]*"
        "width=3 auto=5 range=[1:9]*"
        "text width=4*"
        "*",
        o);
    EXPECT_EQ(r.Only('H'), (Strings{"H6005", "H6006", "H6007", "H6001"}));
    EXPECT_EQ(r.Field(2)->Auto, "'\\ '");  // the first text field inherits the default
    EXPECT_EQ(r.Field(3)->Width, 3);       // numeric fields inherit from numeric fields only
    EXPECT_EQ(r.Field(3)->Column, 11);
    EXPECT_EQ(r.Numeric(3)->Range.ToText(), "[1:9]");
}

TEST(TPXChecker, WarnsOfRangesAndAutoValuesThatDoNotFit) {
    struct Case {
        const char* Text;
        const char* Switch;
        Strings Warnings;
    };
    const Case cases[] = {
        {"width=2 range=[1:100]*", "WarnRangeWider", {"W4004"}},
        {"width=2 range=[1:10000,5:999]*", "WarnRangeWider", {"W4004"}},
        {"width=2 range=[1:99]*", "WarnRangeWider", {}},
        {"width=3 range=[1:99]*", "WarnWidthWider", {"W4009"}},
        {"width=2 range=[1:99]*", "WarnWidthWider", {}},
        {"width=1 range=[1:5]*", "WarnAutoOutside", {"W4003"}},
        {"width=1 range=[1:5] auto='0'*", "WarnAutoOutside", {"W4003"}},
        {"range=[1:5] when=[6][a]* label=a*", "WarnFilterOutside", {"W4005"}},
        {"range=[1:5] when=[1:5][a]* label=a*", "WarnFilterMatches", {"W4008"}},
    };
    for (const Case& c : cases) {
        TScriptOptions o = Quiet();
        *o.SwitchByName(c.Switch) = 1;
        EXPECT_EQ(Read(c.Text, o).Only('W'), c.Warnings) << c.Text;
    }
}

TEST(TPXChecker, OverlongRecordIsRefused) {
    // A megabyte of record is the most a script may define: 32 fields of
    // 32767 characters fit, the 33rd does not; nor do the repeats past it.
    std::string text;
    for (int i = 0; i < 33; ++i)
        text += "text width=32767*";
    text += "repeat=999* repeat=999*";
    const TRead r = Read(text, Quiet(), 10);
    EXPECT_EQ(r.Only('E'), (Strings{"E2033", "E2033", "E2033"}));
    EXPECT_EQ(r.Script->RecordLength, MaxRecordLength);
    EXPECT_EQ(r.Count(), 32 + 32);  // the repeat keeps the fields made before it failed
    EXPECT_EQ(PXMessageText(0x2033), "record too long (max. 1048576 characters)");
}

}  // namespace
}  // namespace tallyra::core::test
