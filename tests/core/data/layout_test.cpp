// SPDX-License-Identifier: GPL-3.0-or-later
// The field layout of the data store: where fields, pages and the record
// identifier lie in a script with comments and pages.
#include <gtest/gtest.h>

#include "data/fieldlayout.h"
#include "data_fixture.h"

namespace tallyra::core::testing {
namespace {

// 0 comment, 1 field a, 2 page, 3 comment, 4 field id, 5 field b, 6 page,
// 7 field c, 8 comment.
const char* const Layout =
    "comment='Title'*"
    "left='a' width=1 auto=7*"
    "page*"
    "comment='Part two'*"
    "left='id' width=3 recid*"
    "left='b' width=2 text auto='xy'*"
    "page*"
    "left='c' width=1*"
    "comment='The end'*";

TEST(TPXFieldLayout, FindsFieldsPagesAndTheIdentifierAroundCommentsAndPages) {
    TScript script(Layout);
    const TPXFieldLayout layout(script.Dictionary->Instructions);
    ASSERT_EQ(layout.Count(), 9);
    for (int32_t i : {-1, 0, 2, 3, 6, 8, 9})
        EXPECT_EQ(layout.FieldAt(i), nullptr) << i;
    for (int32_t i : {1, 4, 5, 7})
        EXPECT_NE(layout.FieldAt(i), nullptr) << i;
    EXPECT_EQ(layout.AutoText(1), "7");
    EXPECT_EQ(layout.AutoText(5), "xy");
    EXPECT_EQ(layout.LastField(), 7);
    EXPECT_EQ(layout.IdentifierIndex(), 4);

    // FieldAfter: the next field, or one past the end when none is left.
    const std::pair<int32_t, int32_t> after[] = {{-1, 1}, {0, 1},  {1, 4}, {2, 4},
                                                 {5, 7},  {7, 10}, {8, 10}};
    for (const auto& [from, field] : after)
        EXPECT_EQ(layout.FieldAfter(from), field) << from;

    // Pages start after each page instruction and count from 1.
    const std::pair<int32_t, int32_t> starts[] = {{0, 0}, {2, 0}, {3, 3}, {5, 3},
                                                  {7, 7}, {8, 7}, {20, 7}};
    for (const auto& [i, start] : starts)
        EXPECT_EQ(layout.PageStartOf(i), start) << i;
    EXPECT_EQ(layout.PageNumberOf(0), 1);
    EXPECT_EQ(layout.PageNumberOf(3), 2);
    EXPECT_EQ(layout.PageNumberOf(7), 3);
}

TEST(TPXFieldLayout, ScriptWithoutIdentifierHasNone) {
    TScript script("left='a' width=1*left='b' width=1*");
    EXPECT_EQ(TPXFieldLayout(script.Dictionary->Instructions).IdentifierIndex(), -1);
}

TEST(TPXFieldLayout, RefusesAScriptWithoutFields) {
    // The checker refuses such a script; the store must not rely on it.
    TScript script("comment='Only a comment'*comment='Another'*", true);
    try {
        TPXFieldLayout layout(script.Dictionary->Instructions);
        ADD_FAILURE() << "a layout without fields was built";
    } catch (const EPXData& e) {
        EXPECT_EQ(e.Text(), "The script defines no fields.");
    }
}

}  // namespace
}  // namespace tallyra::core::testing
