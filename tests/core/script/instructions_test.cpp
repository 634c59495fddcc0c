// SPDX-License-Identifier: GPL-3.0-or-later
// Interval lists, automatic values and written definitions of fields.
#include <gtest/gtest.h>

#include "script/tpxinstruction.h"
#include "scripttest.h"

namespace tallyra::core {
namespace {

TEST(TNRangeList, AnyValueListExcludesTheSmallestInteger) {
    const TNRangeList any = TNRangeList::AnyValue();
    EXPECT_TRUE(any.Contains(-2147483647));
    EXPECT_TRUE(any.Contains(2147483647));
    EXPECT_FALSE(any.Contains(-2147483647 - 1));
    EXPECT_EQ(any.ToText(), "[]");
}

TEST(TNRangeList, WritesItsTextFormAndComparesLists) {
    TNRangeList a;
    a.Add(1, 1);
    a.Add(3, 5);
    a.Add(7, 9);
    EXPECT_EQ(a.ToText(), "[1,3:5,7:9]");
    TNRangeList open;
    open.Add(RANGE_MIN, 4);
    open.Add(7, 7);
    EXPECT_EQ(open.ToText(), "[,7]");
    TNRangeList b;
    b.Add(3, 5);
    b.Add(1, 1);
    b.Add(7, 9);
    EXPECT_FALSE(a.SameAs(b));
    TNRangeList c = a;  // an independent copy
    EXPECT_TRUE(a.SameAs(c));
    c.Add(10, 10);
    EXPECT_FALSE(a.SameAs(c));
    TNRangeList reversed;
    reversed.Add(5, 1);
    EXPECT_FALSE(reversed.Contains(3));
    EXPECT_EQ(reversed.ToText(), "[5:1]");
}

// The overlap count and the index against their plain definitions, on small
// hand-picked lists and on random ones (reversed and open-ended intervals too).
TEST(TNRangeList, OverlapCountAndIndexAgreeWithThePlainDefinitions) {
    const auto plainCount = [](const TNRangeList& r) {
        int32_t count = 0;
        for (int32_t j = 1; j < r.Count(); ++j)
            for (int32_t i = j - 1; i >= 0; --i)
                if (r[j].Lo <= r[i].Hi && r[j].Hi >= r[i].Lo) {
                    ++count;
                    break;
                }
        return count;
    };
    std::vector<TNRangeList> lists;
    const std::vector<std::vector<TNRange>> fixed = {
        {},
        {{1, 1}},
        {{1, 1}, {1, 1}},
        {{1, 3}, {4, 6}, {2, 2}},
        {{5, 1}, {3, 3}},
        {{3, 3}, {5, 1}},
        {{RANGE_MIN, 4}, {RANGE_MAX, RANGE_MAX}, {-3, RANGE_MAX}},
        {{10, 20}, {0, 9}, {21, 30}, {15, 15}, {31, 31}},
    };
    for (const auto& items : fixed) {
        TNRangeList list;
        for (const TNRange& r : items)
            list.Add(r.Lo, r.Hi);
        lists.push_back(list);
    }
    uint32_t seed = 12345;
    const auto next = [&seed](int32_t span) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int32_t>((seed >> 8) % static_cast<uint32_t>(span)) - span / 2;
    };
    for (int n = 0; n < 200; ++n) {
        TNRangeList list;
        const int count = 1 + (n % 40);
        for (int k = 0; k < count; ++k) {
            const int32_t lo = next(100);
            list.Add(lo, k % 5 == 0 ? lo : lo + next(20));
        }
        lists.push_back(list);
    }
    const auto plainContains = [](const TNRangeList& r, int32_t v) {
        for (const TNRange& i : r.Items)
            if (i.Lo <= v && v <= i.Hi) return true;
        return false;
    };
    for (TNRangeList& list : lists) {
        EXPECT_EQ(list.OverlappingCount(), plainCount(list)) << list.ToText();
        for (int round = 0; round < 2; ++round) {
            const TNRangeIndex index(list);
            for (int32_t v : {RANGE_MIN - 1, RANGE_MIN, RANGE_MAX}) {
                EXPECT_EQ(index.Contains(v), plainContains(list, v)) << list.ToText() << " " << v;
                EXPECT_EQ(list.Contains(v), plainContains(list, v)) << list.ToText() << " " << v;
            }
            for (int32_t v = -80; v <= 80; ++v) {
                EXPECT_EQ(index.Contains(v), plainContains(list, v)) << list.ToText() << " " << v;
                EXPECT_EQ(list.Contains(v), plainContains(list, v)) << list.ToText() << " " << v;
            }
            // A list that grows after its first question answers for the new
            // intervals too.
            list.Add(70 + round, 75);
        }
    }
}

TEST(TPXFieldInstruction, AutoValueFillsTheField) {
    struct Case {
        const char* Auto;
        int Width;
        bool Text;
        const char* Expected;
    };
    const Case cases[] = {
        {"0", 3, false, "000"},       {"-5", 3, false, "-05"},    {"+7", 4, false, "+007"},
        {"12345", 3, false, "12345"}, {"'\\ '", 4, true, "    "}, {"'\\*'", 2, false, "**"},
        {"'abc'", 3, true, "abc"},    {"'07'", 4, false, "0007"}, {"'ab'", 4, true, "ab"},
    };
    for (const Case& c : cases) {
        std::unique_ptr<TPXFieldInstruction> field;
        if (c.Text)
            field = std::make_unique<TPXTextInstruction>();
        else
            field = std::make_unique<TPXNumericInstruction>();
        field->Auto = c.Auto;
        field->Width = c.Width;
        EXPECT_EQ(field->AutoValue(), c.Expected) << c.Auto;
    }
}

TEST(TPXFieldInstruction, DefinitionWritesEveryAttributeSet) {
    TPXNumericInstruction numeric;
    numeric.Width = 2;
    numeric.Auto = "0";
    numeric.Range.Add(1, 5);
    EXPECT_EQ(numeric.GetDefinition(), " width=2 auto=0 range=[1:5]");

    numeric.Left = "'Sex'";
    numeric.VarName = "SEX";
    numeric.VarLab = "'Sex of respondent'";
    numeric.Auto = "'07'";
    numeric.Flags = ffRecId | ffConst | ffBeep | ffUpdate;
    numeric.Right = "'(1-2)'";
    numeric.ValLabs = {{1, "'man'"}, {2, "'woman'"}};
    std::vector<std::string> lines;
    numeric.WriteDefinition(lines);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0],
              "left='Sex' varname=SEX varlab='Sex of respondent' width=2 auto=07 recid const beep "
              "update right='(1-2)' range=[1:5] vallab=[1 'man' 2 'woman']*");

    TPXTextInstruction text;
    text.Left = "'Name'";
    text.Width = 20;
    text.Height = 3;
    text.Auto = "'\\ '";
    EXPECT_EQ(text.GetDefinition(), "left='Name' width=20 height=3 auto='\\ ' text");
}

TEST(TPXInstructionList, FindsTheRecordIdentifierAndTheLineLength) {
    TPXInstructionList list;
    list.Add(std::make_unique<TPXPageInstruction>());
    list.Add(std::make_unique<TPXCommentInstruction>());
    EXPECT_EQ(list.LineLength(), 0);
    EXPECT_EQ(list.FindRecId(), nullptr);
    auto field = std::make_unique<TPXNumericInstruction>();
    field->Column = 4;
    field->Width = 3;
    field->Flags = ffRecId;
    TPXFieldInstruction* recId = field.get();
    list.Add(std::move(field));
    list.Add(std::make_unique<TPXCommentInstruction>());
    EXPECT_EQ(list.LineLength(), 8);
    EXPECT_EQ(list.FindRecId(), recId);
    EXPECT_EQ(list.Field(1), nullptr);
}

TEST(TPXFieldInstruction, ReadDefinitionsReadBackAlike) {
    // A written definition, read again, gives the same definition.
    const auto r = test::Read(
        "left='A' width=3 range=[1:5,7] vallab=[1 'x'] varname=a varlab='L' beep right='r'*"
        "left='T' text width=5 height=2 auto='\\-' update*");
    ASSERT_EQ(r.Count(), 2);
    std::string text;
    for (int i = 0; i < 2; ++i)
        text += r.Field(i)->GetDefinition() + "*";
    const auto again = test::Read(text);
    ASSERT_EQ(again.Count(), 2);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(again.Field(i)->GetDefinition(), r.Field(i)->GetDefinition());
}

}  // namespace
}  // namespace tallyra::core
