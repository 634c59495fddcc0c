// SPDX-License-Identifier: GPL-3.0-or-later
// Check options: defaults, the fixed reading options, the stored blocks and
// the neighbouring settings.
#include <algorithm>

#include <gtest/gtest.h>

#include "scripttest.h"

namespace tallyra::core {
namespace {

TEST(TScriptOptions, DefaultAndFixedOptionsRoundTripThroughBytes) {
    const std::array<uint8_t, 22> expected = {1, 1, 1, 1, 1, 1, 1, 0, 1, 1,   1,
                                              0, 1, 1, 1, 1, 1, 1, 1, 1, 100, 0};
    EXPECT_EQ(DefaultScriptOptions().ToBytes(), expected);
    EXPECT_EQ(TScriptOptions::FromBytes(expected), DefaultScriptOptions());
    const std::array<uint8_t, 22> fixed = {1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0,
                                           0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0};
    EXPECT_EQ(FixedReadingOptions().ToBytes(), fixed);
    TScriptOptions o;
    o.ErrorCount = 0x1234;
    EXPECT_EQ(o.ToBytes()[20], 0x34);
    EXPECT_EQ(o.ToBytes()[21], 0x12);
}

TEST(TScriptOptions, BlocksRoundTripAndRefuseWrongSizes) {
    const TScriptOptions d = DefaultScriptOptions();
    EXPECT_EQ(OptionsBlock(d, TOptionsBlock::Script), (std::vector<uint8_t>{1, 1, 1, 1}));
    EXPECT_EQ(OptionsBlock(d, TOptionsBlock::Hints), (std::vector<uint8_t>{1, 1, 1, 0}));
    EXPECT_EQ(OptionsBlock(d, TOptionsBlock::Warnings),
              (std::vector<uint8_t>{1, 1, 1, 0, 1, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(OptionsBlock(d, TOptionsBlock::Errors), (std::vector<uint8_t>{1, 100, 0}));
    TScriptOptions o = d;
    EXPECT_TRUE(SetOptionsBlock(o, TOptionsBlock::Errors, {2, 0x10, 0x27}));
    EXPECT_EQ(o.ErrorMode, 2);
    EXPECT_EQ(o.ErrorCount, 10000);
    EXPECT_FALSE(SetOptionsBlock(o, TOptionsBlock::Hints, {1, 1}));
    EXPECT_EQ(o.HintItem1, 1);
}

TEST(TScriptOptions, EverySwitchIsFoundByItsName) {
    TScriptOptions o;
    for (int i = 0; i < ScriptOptionsSwitchCount; ++i) {
        uint8_t* flag = o.SwitchByName(ScriptOptionsSwitchNames[i]);
        ASSERT_NE(flag, nullptr);
        *flag = 7;
        EXPECT_EQ(o.ToBytes()[size_t(i)], 7) << ScriptOptionsSwitchNames[i];
    }
    EXPECT_EQ(o.SwitchByName("ErrorMode"), nullptr);
}

TEST(TScriptOptions, DefaultsReportWarningsAndHintsButNotInheritance) {
    // Every default warning except 0x4009, the three switched hints, none of 0x6005-0x6007.
    const auto r = test::Read(
        "left='Q' repeat=1 item=1 width=2 range=[1:5,3:200,9:8] when=[300][x]*"
        "left='Q' width=2 range=[1:5,3:200,9:8] auto=9 when=[1:5,3:200,9:8][y]*"
        "label=x*label=y*left='a b' label=z*left='a c'*",
        DefaultScriptOptions());
    const auto w = r.Only('W');
    const auto h = r.Only('H');
    for (const char* code :
         {"W4001", "W4002", "W4003", "W4004", "W4005", "W4006", "W4007", "W4008", "W400A", "W400B"})
        EXPECT_NE(std::find(w.begin(), w.end(), code), w.end()) << code;
    EXPECT_EQ(std::find(w.begin(), w.end(), "W4009"), w.end());
    for (const char* code : {"H6002", "H6003", "H6004"})
        EXPECT_NE(std::find(h.begin(), h.end(), code), h.end()) << code;
    for (const char* code : {"H6005", "H6006", "H6007"})
        EXPECT_EQ(std::find(h.begin(), h.end(), code), h.end()) << code;
}

TEST(TScriptOptions, NoExtensionsRefuseWideNumbersAndUnderscores) {
    TScriptOptions o = test::Quiet();
    o.ExtLongText = o.ExtUnderscore = o.ExtWideNumbers = o.ExtHeight = 0;
    EXPECT_EQ(test::Read("width=9*", o).Only('E'), (test::Strings{"E2026", "E2032"}));
    EXPECT_EQ(test::Read("left='x' label=a_b*", o).Only('E'), (test::Strings{"E2006", "E2032"}));
}

TEST(TScriptOptions, VariableNameLengthCutsNamesAndDefaultsToEight) {
    SetSPSSVarSize(0);
    EXPECT_EQ(SPSSVarSize(), DefaultSPSSVarSize);
    SetSPSSVarSize(3);
    const auto r = test::Read("varname=abcdef*");
    EXPECT_EQ(r.Field(0)->VarName, "ABC");
    SetSPSSVarSize(-4);
    EXPECT_EQ(SPSSVarSize(), 8);
}

TEST(TLangSettings, DefaultsHoldAndColoursRoundTripThroughBytes) {
    const TLangSettings s;
    EXPECT_EQ(s.DefTextWidth, 40);
    EXPECT_EQ(s.SPSSVarSize, 8);
    EXPECT_TRUE(s.Multi1);
    EXPECT_EQ(s.Memo, 0x456u);
    EXPECT_EQ(s.Strings, 0x27Bu);
    const std::vector<uint8_t> bytes = ColorsToBytes(s.Colors);
    ASSERT_EQ(bytes.size(), 96u);
    // String element: green text on white, no attributes.
    const std::vector<uint8_t> string(bytes.begin() + 12, bytes.begin() + 24);
    EXPECT_EQ(string, (std::vector<uint8_t>{0, 128, 0, 0, 255, 255, 255, 0, 0, 0, 0, 0}));
    EXPECT_EQ(bytes[6 * 12 + 8], 1);  // reserved words bold
    EXPECT_EQ(bytes[2 * 12 + 0], 128);
    EXPECT_EQ(ColorsFromBytes(bytes), s.Colors);
    EXPECT_EQ(ColorsFromBytes(std::vector<uint8_t>(95)), std::nullopt);
}

}  // namespace
}  // namespace tallyra::core
