// SPDX-License-Identifier: GPL-3.0-or-later
#include "keywords.h"

#include <cstdint>

namespace tallyra::core {

namespace {

// The two tables must agree row by row without regard to case.
constexpr bool TablesAgree() {
    for (int i = 0; i <= KeywordCount; ++i) {
        const char* a = KeywordsLower[i];
        const char* b = KeywordsUpper[i];
        for (; *a != '\0' || *b != '\0'; ++a, ++b) {
            const char ua = (*a >= 'a' && *a <= 'z') ? char(*a - 32) : *a;
            if (ua != *b) return false;
        }
    }
    return true;
}
static_assert(TablesAgree(), "keyword tables of the script language disagree");

}  // namespace

TKeyword FindKeyword(std::string_view upperText) {
    if (upperText.empty()) return kwNone;
    // Only keywords with the same first letter can match; the table order
    // still decides among them.
    const char first = upperText[0];
    for (int k = 1; k <= KeywordCount; ++k) {
        if (KeywordsUpper[k][0] != first) continue;
        const std::string_view keyword = KeywordsUpper[k];
        if (upperText.substr(0, keyword.size()) == keyword) return static_cast<TKeyword>(k);
    }
    return kwNone;
}

bool StrToIntPX(std::string_view text, int& value) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i >= text.size()) return false;
    const char c = text[i];
    size_t hexStart = 0;
    if (c == '$' || c == 'x' || c == 'X')
        hexStart = i + 1;
    else if (c == '0' && i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X'))
        hexStart = i + 2;
    if (hexStart != 0) {
        const size_t digits = text.size() - hexStart;
        if (digits < 1 || digits > 8) return false;
        uint32_t result = 0;
        for (size_t j = hexStart; j < text.size(); ++j) {
            const char h = text[j];
            uint32_t d;
            if (h >= '0' && h <= '9')
                d = uint32_t(h - '0');
            else if (h >= 'a' && h <= 'f')
                d = uint32_t(h - 'a' + 10);
            else if (h >= 'A' && h <= 'F')
                d = uint32_t(h - 'A' + 10);
            else
                return false;
            result = (result << 4) | d;
        }
        value = static_cast<int32_t>(result);
        return true;
    }
    bool negative = false;
    if (c == '-' || c == '+') {
        negative = c == '-';
        ++i;
    }
    if (i >= text.size()) return false;
    int64_t result = 0;
    for (; i < text.size(); ++i) {
        const char d = text[i];
        if (d < '0' || d > '9') return false;
        result = result * 10 + (d - '0');
        if (result > 2147483648LL) return false;
    }
    if (negative) result = -result;
    if (result > 2147483647LL || result < -2147483648LL) return false;
    value = static_cast<int>(result);
    return true;
}

}  // namespace tallyra::core
