// SPDX-License-Identifier: GPL-3.0-or-later
// The rules of the script preferences: option bytes of the switch lists,
// the error limit, and the accepted text widths and SPSS name lengths.
#include "editor/scriptprefs.h"

#include <gtest/gtest.h>

#include "shell/langtext.h"

using namespace tallyra::core;

TEST(SwitchBytes, ExtensionsHintsAndWarningsCoverTheSwitchBytesInOrder) {
    EXPECT_EQ(SwitchBytes(TSwitchList::Extensions).First, 0);
    EXPECT_EQ(SwitchBytes(TSwitchList::Hints).First, 4);
    EXPECT_EQ(SwitchBytes(TSwitchList::Warnings).First, 8);
    int next = 0;
    for (TSwitchList l : {TSwitchList::Extensions, TSwitchList::Hints, TSwitchList::Warnings}) {
        EXPECT_EQ(SwitchBytes(l).First, next);
        next += SwitchBytes(l).Count;
    }
    EXPECT_EQ(next, ScriptOptionsSwitchCount);
}

TEST(ListSwitches, ReadTheFieldsOfEachList) {
    const TScriptOptions o = DefaultScriptOptions();
    EXPECT_EQ(ListSwitches(o, TSwitchList::Extensions), (std::vector<bool>{1, 1, 1, 1}));
    EXPECT_EQ(ListSwitches(o, TSwitchList::Hints), (std::vector<bool>{1, 1, 1, 0}));
    EXPECT_EQ(ListSwitches(o, TSwitchList::Warnings),
              (std::vector<bool>{1, 1, 1, 0, 1, 1, 1, 1, 1, 1, 1}));
}

TEST(SetListSwitches, ChangesOnlyTheBytesOfItsList) {
    TScriptOptions o = DefaultScriptOptions();
    o.ErrorCount = 321;
    SetListSwitches(o, TSwitchList::Hints, {false, true, false, true});
    EXPECT_EQ(o.HintItem1, 0);
    EXPECT_EQ(o.HintRepeat1, 1);
    EXPECT_EQ(o.HintNoDollar, 0);
    EXPECT_EQ(o.HintInherited, 1);
    TScriptOptions expected = DefaultScriptOptions();
    expected.ErrorCount = 321;
    expected.HintItem1 = 0;
    expected.HintNoDollar = 0;
    expected.HintInherited = 1;
    EXPECT_EQ(o, expected);
    // Fewer states than switches leave the rest; more are ignored.
    SetListSwitches(o, TSwitchList::Extensions, {false});
    EXPECT_EQ(ListSwitches(o, TSwitchList::Extensions), (std::vector<bool>{0, 1, 1, 1}));
    SetListSwitches(o, TSwitchList::Hints, std::vector<bool>(9, true));
    EXPECT_EQ(ListSwitches(o, TSwitchList::Hints), (std::vector<bool>{1, 1, 1, 1}));
    EXPECT_EQ(o.WarnOverlap, 1);  // the first warning byte, right after the hints
}

TEST(SetErrorLimit, StoresTheCountOnlyWithTheCountMode) {
    TScriptOptions o = DefaultScriptOptions();
    SetErrorLimit(o, 0, 5);
    EXPECT_EQ(o.ErrorMode, 0);
    EXPECT_EQ(o.ErrorCount, 100);
    SetErrorLimit(o, 1, 105);
    EXPECT_EQ(o.ErrorMode, 1);
    EXPECT_EQ(o.ErrorCount, 105);
    SetErrorLimit(o, 2, 7);
    EXPECT_EQ(o.ErrorMode, 2);
    EXPECT_EQ(o.ErrorCount, 105);
}

TEST(ParsePrefNumber, ReadsADecimalNumberBetweenBlanks) {
    const std::pair<const char*, int> cases[] = {
        {"40", 40},
        {" 40 ", 40},
        {"\t7\r\n", 7},
        {"007", 7},
        {"+5", 5},
        {"-3", -3},
        {"0", 0},
        {"", -1},
        {"   ", -1},
        {"4 0", -1},
        {"4a", -1},
        {"x", -1},
        {"+", -1},
        {"+-5", -1},
        {"2147483647", 2147483647},
        {"2147483648", -1},
        {"99999999999999999999", -1},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(ParsePrefNumber(text), value) << '"' << text << '"';
}

TEST(CheckPrefsNumbers, RefusesTheFirstBadFieldWithItsText) {
    SetCurrentLanguage(1);
    const struct {
        const char* Width;
        const char* Size;
        bool LongText;
        int Refused;  // -1 accepted, 0 the text width, 1 the SPSS length
    } cases[] = {
        {"48", "8", false, -1}, {"49", "8", false, 0}, {"49", "8", true, -1},
        {"255", "8", true, -1}, {"256", "8", true, 0}, {"1", "1", false, -1},
        {"0", "8", true, 0},    {"", "8", false, 0},   {"-1", "8", true, 0},
        {"40", "0", false, 1},  {"40", "", false, 1},  {"40", "999", false, -1},
        {"0", "0", false, 0},  // both bad: the width is named first
    };
    for (const auto& c : cases) {
        const auto refusal = CheckPrefsNumbers(c.Width, c.Size, c.LongText);
        const std::string where = std::string(c.Width) + "/" + c.Size;
        if (c.Refused < 0) {
            EXPECT_FALSE(refusal) << where;
            continue;
        }
        ASSERT_TRUE(refusal) << where;
        if (c.Refused == 0) {
            EXPECT_EQ(refusal->Field, TPrefsField::DefTextWidth) << where;
            EXPECT_EQ(refusal->Text, "Invalid text field width") << where;
        } else {
            EXPECT_EQ(refusal->Field, TPrefsField::SPSSVarSize) << where;
            EXPECT_EQ(refusal->Text, "Invalid SPSS var length") << where;
        }
    }
    SetCurrentLanguage(2);
    EXPECT_EQ(CheckPrefsNumbers("0", "8", false)->Text, "Nieprawidłowa szerokości pola tekstowego");
    EXPECT_EQ(CheckPrefsNumbers("8", "0", false)->Text, "Nieprawidłowa długość zmiennych SPSS");
    SetCurrentLanguage(1);
}

TEST(MaxDefTextWidth, DependsOnTheLongTextExtension) {
    EXPECT_EQ(MaxDefTextWidth(false), 48);
    EXPECT_EQ(MaxDefTextWidth(true), 255);
}
