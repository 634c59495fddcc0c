// SPDX-License-Identifier: GPL-3.0-or-later
// The colouring tokenizer: classes per character and the comment state.
#include "script/tpxparser.h"

#include <gtest/gtest.h>

namespace tallyra::core {
namespace {

// One digit per character: the class of each.
std::string Classes(const std::string& line, int state = psNormal, int* endState = nullptr) {
    std::vector<uint8_t> classes;
    const int end = TPXParser().ParseLine(line, state, classes);
    if (endState != nullptr) *endState = end;
    std::string digits;
    for (const uint8_t c : classes)
        digits += char('0' + c);
    return digits;
}

TEST(TPXParser, ClassifiesEveryCharacterOfALine) {
    struct Case {
        const char* Line;
        const char* Classes;
    };
    const Case cases[] = {
        {"LEFT='A'*", "666671117"},
        {"left_1 varlab labels", "33333306666660333333"},
        {"12 12.5 1e3 2E 12.", "440555505550550447"},
        {"'it''s'", "1111111"},
        {"'abc", "1111"},
        {"-5", "74"},
        {"} x", "703"},
        {"'a'#13#$0A'b' c", "111111111111103"},
        {"'a'#", "1111"},
        {"\x9C\xB3"
         "a",
         "773"},
        {"{ c } x", "2222203"},
        {"1.e5", "4733"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Classes(c.Line), c.Classes) << c.Line;
}

TEST(TPXParser, CommentsSpanLines) {
    int state = psNormal;
    EXPECT_EQ(Classes("x { one", psNormal, &state), "3022222");
    EXPECT_EQ(state, psComment);
    EXPECT_EQ(Classes("  still", state, &state), "0022222");
    EXPECT_EQ(state, psComment);
    EXPECT_EQ(Classes("two } left", state, &state), "2222206666");
    EXPECT_EQ(state, psNormal);
    // an empty line keeps the state
    EXPECT_EQ(Classes("", psComment, &state), "");
    EXPECT_EQ(state, psComment);
}

}  // namespace
}  // namespace tallyra::core
