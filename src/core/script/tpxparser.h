// SPDX-License-Identifier: GPL-3.0-or-later
// The colouring tokenizer of the script editor: classifies every character of
// a line into one of eight classes (one text style each), carrying the state
// "inside a comment" from line to line. It never reports errors.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tallyra::core {

enum TPXTokenClass : uint8_t {
    tcWhitespace = 0,
    tcString = 1,
    tcComment = 2,
    tcIdentifier = 3,
    tcInteger = 4,
    tcFloat = 5,
    tcReserved = 6,
    tcDelimiter = 7,
};
constexpr int TokenClassCount = 8;

// The element names of the colour settings, by class (not translated).
extern const char* const TokenClassNames[TokenClassCount];

constexpr int psNormal = 0;
constexpr int psComment = 1;  // inside a comment that began on an earlier line

class TPXParser {
public:
    // Classifies the characters of one line (1250 bytes, without its line
    // end; CR and LF are treated as the line's end). `classes` gets one entry
    // per byte. Returns the state at the end of the line.
    int ParseLine(std::string_view line, int state, std::vector<uint8_t>& classes) const;
};

}  // namespace tallyra::core
