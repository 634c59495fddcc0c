// SPDX-License-Identifier: GPL-3.0-or-later
#include "tpxparser.h"

#include "keywords.h"

namespace tallyra::core {

const char* const TokenClassNames[TokenClassCount] = {
    "Whitespace", "String", "Comment",        "Identifier",
    "Integer",    "Float",  "Reserved words", "Delimiters",
};

namespace {

bool IsLetter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
bool IsHexDigit(unsigned char c) {
    return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}
bool IsLineEnd(unsigned char c) {
    return c == '\r' || c == '\n';
}

bool IsReservedWord(std::string_view word) {
    for (int k = 1; k <= KeywordCount; ++k) {
        const std::string_view keyword = KeywordsLower[k];
        if (keyword.size() != word.size()) continue;
        bool same = true;
        for (size_t i = 0; i < word.size() && same; ++i) {
            const unsigned char c = static_cast<unsigned char>(word[i]);
            same = static_cast<char>((c >= 'A' && c <= 'Z') ? c + 32 : c) == keyword[i];
        }
        if (same) return true;
    }
    return false;
}

}  // namespace

int TPXParser::ParseLine(std::string_view line, int state, std::vector<uint8_t>& classes) const {
    const size_t n = line.size();
    classes.assign(n, tcWhitespace);
    const auto at = [&](size_t i) { return static_cast<unsigned char>(line[i]); };
    const auto mark = [&](size_t from, size_t to, uint8_t cls) {
        for (size_t k = from; k < to; ++k)
            classes[k] = cls;
    };
    size_t i = 0;
    // Scans a comment from `from` to its "}" or the line end; returns the end.
    const auto comment = [&](size_t from) {
        size_t j = from;
        while (j < n && !IsLineEnd(at(j)) && at(j) != '}')
            ++j;
        if (j < n && at(j) == '}') {
            state = psNormal;
            ++j;
        } else {
            state = psComment;
        }
        mark(from, j, tcComment);
        return j;
    };
    while (i < n) {
        const unsigned char c = at(i);
        if (IsLineEnd(c)) break;
        if (c < 33) {
            ++i;
            continue;
        }
        if (state == psComment) {
            i = comment(i);
            continue;
        }
        const size_t start = i;
        if (c == '\'') {
            // A string; two apostrophes together continue it, and "#" with
            // digits (or "#$" with hex digits) joins character codes to it.
            for (;;) {
                ++i;
                while (i < n && !IsLineEnd(at(i)) && at(i) != '\'')
                    ++i;
                if (i < n && at(i) == '\'') {
                    ++i;
                    if (i < n && at(i) == '\'') continue;
                }
                bool joined = false;
                while (i < n && at(i) == '#') {
                    ++i;
                    if (i < n && at(i) == '$') {
                        ++i;
                        while (i < n && IsHexDigit(at(i)))
                            ++i;
                    } else {
                        while (i < n && IsDigit(at(i)))
                            ++i;
                    }
                    if (i < n && at(i) == '\'') {
                        joined = true;
                        break;
                    }
                }
                if (!joined) break;
            }
            mark(start, i, tcString);
        } else if (c == '{') {
            i = comment(i);
        } else if (IsLetter(c) || c == '_') {
            ++i;
            while (i < n && (IsLetter(at(i)) || IsDigit(at(i)) || at(i) == '_'))
                ++i;
            mark(start, i,
                 IsReservedWord(line.substr(start, i - start)) ? tcReserved : tcIdentifier);
        } else if (IsDigit(c)) {
            bool real = false;
            while (i < n && IsDigit(at(i)))
                ++i;
            if (i + 1 < n && at(i) == '.' && IsDigit(at(i + 1))) {
                real = true;
                ++i;
                while (i < n && IsDigit(at(i)))
                    ++i;
            }
            if (i < n && (at(i) == 'E' || at(i) == 'e')) {
                real = true;
                ++i;
                if (i < n && (at(i) == '+' || at(i) == '-')) ++i;
                while (i < n && IsDigit(at(i)))
                    ++i;
            }
            mark(start, i, real ? tcFloat : tcInteger);
        } else {
            classes[i] = tcDelimiter;
            ++i;
        }
    }
    return state;
}

}  // namespace tallyra::core
