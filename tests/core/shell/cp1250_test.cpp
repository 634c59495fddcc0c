// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/cp1250.h"

#include <set>

#include <gtest/gtest.h>

namespace tallyra::core {
namespace {

TEST(Cp1250, EveryByteRoundTripsThroughUtf8) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string utf8 = Cp1250ToUtf8(all);
    std::vector<char32_t> unmapped;
    EXPECT_EQ(Utf8ToCp1250(utf8, &unmapped), all);
    EXPECT_TRUE(unmapped.empty());
    std::set<char32_t> codePoints;
    for (int b = 0; b < 256; ++b)
        codePoints.insert(Cp1250ToUnicode(static_cast<unsigned char>(b)));
    EXPECT_EQ(codePoints.size(), 256u);
}

TEST(Cp1250, PolishLettersHaveTheirCodePage) {
    // ą ć ę ł ń ó ś ź ż and their capitals.
    const std::string bytes =
        "\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF";
    EXPECT_EQ(Cp1250ToUtf8(bytes), "ąćęłńóśźżĄĆĘŁŃÓŚŹŻ");
    EXPECT_EQ(Utf8ToCp1250("Zażółć gęślą jaźń"), "Za\xBF\xF3\xB3\xE6 g\xEA\x9C\x6C\xB9 ja\x9F\xF1");
    EXPECT_EQ(Cp1250ToUtf8("\x80"), "€");
}

TEST(Cp1250, CharactersOutsideTheCodePageAreReported) {
    std::vector<char32_t> unmapped;
    EXPECT_EQ(Utf8ToCp1250("a€b漢c", &unmapped),
              "a\x80"
              "b?c");
    ASSERT_EQ(unmapped.size(), 1u);
    EXPECT_EQ(unmapped[0], U'漢');
    unmapped.clear();
    // A broken sequence is reported as U+FFFD, never dropped silently.
    EXPECT_EQ(Utf8ToCp1250("x\xC3", &unmapped), "x?");
    ASSERT_EQ(unmapped.size(), 1u);
    EXPECT_EQ(unmapped[0], 0xFFFDu);
}

}  // namespace
}  // namespace tallyra::core
