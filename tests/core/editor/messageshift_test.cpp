// SPDX-License-Identifier: GPL-3.0-or-later
// Message positions that follow insertions and deletions in the editor.
#include "editor/messageshift.h"

#include <gtest/gtest.h>

#include "script/tpxmessage.h"

using namespace tallyra::core;

TEST(ShiftedPosition, MovesOnlyMessagesAfterTheEditAndNeverIntoItsFront) {
    const struct {
        int32_t Message, Position, Delta, Expected;
    } cases[] = {
        // Insertions: in front of the message (it moves), right behind it or
        // further on (it stays).
        {5, 4, 3, 8},  // typed just before the message's character
        {5, 0, 1, 6},  // typed at the start of the text
        {5, 5, 2, 5},  // typed right after the message's character
        {5, 9, 2, 5},  // typed further on
        // Deletions in front of the message.
        {10, 4, -3, 7},  // characters 5..7 deleted
        {10, 6, -3, 7},  // characters 7..9, up to the message
        // Deletions that take the message's character along: it points at
        // what now follows the deletion.
        {10, 7, -3, 8},   // characters 8..10
        {10, 9, -1, 10},  // only character 10
        {3, 0, -10, 1},   // all of the first ten characters
        // A deletion behind the message leaves it.
        {10, 10, -5, 10},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShiftedPosition(c.Message, c.Position, c.Delta), c.Expected)
            << c.Message << " " << c.Position << " " << c.Delta;
}

TEST(ShiftMessagePositions, MovesEveryMessageOfTheListAndKeepsTheRest) {
    TPXMessageList list;
    list.AddMessage(mkError, 3, 0x2014);
    list.AddMessage(mkWarning, 12, 0x3001);
    list.AddMessage(mkHint, 20, 0x4001);
    ShiftMessagePositions(list, 10, 4);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Get(0)->Position, 3);
    EXPECT_EQ(list.Get(1)->Position, 16);
    EXPECT_EQ(list.Get(2)->Position, 24);
    EXPECT_EQ(list.Get(1)->Kind, mkWarning);
    EXPECT_EQ(list.Get(1)->Code, 0x3001);
    ShiftMessagePositions(list, 2, -20);  // characters 3..22 deleted
    EXPECT_EQ(list.Get(0)->Position, 3);
    EXPECT_EQ(list.Get(1)->Position, 3);
    EXPECT_EQ(list.Get(2)->Position, 4);
}
