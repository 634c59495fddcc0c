// SPDX-License-Identifier: GPL-3.0-or-later
// The 22 keywords of the script language, in both cases, and keyword
// recognition: an identifier stands for the first keyword that begins it.
#pragma once

#include <string_view>

namespace tallyra::core {

enum TKeyword : int {
    kwNone = 0,
    kwLeft = 1,
    kwRange,
    kwLabel,
    kwWidth,
    kwComment,
    kwAuto,
    kwText,
    kwRight,
    kwPage,
    kwGroup,
    kwWhen,
    kwBeep,
    kwSignal,
    kwRecId,
    kwConst,
    kwRepeat,
    kwItem,
    kwUpdate,
    kwVarName,
    kwVarLab,
    kwValLab,
    kwHeight,
};
constexpr int KeywordCount = 22;

// Lower-case table (used when script text is written), indexed 1..22; [0] is "".
inline constexpr const char* KeywordsLower[KeywordCount + 1] = {
    "",       "left", "range",  "label",   "width",  "comment", "auto",   "text",
    "right",  "page", "group",  "when",    "beep",   "signal",  "recid",  "const",
    "repeat", "item", "update", "varname", "varlab", "vallab",  "height",
};
// Upper-case table (matching, message texts), indexed 1..22; [0] is "".
inline constexpr const char* KeywordsUpper[KeywordCount + 1] = {
    "",       "LEFT", "RANGE",  "LABEL",   "WIDTH",  "COMMENT", "AUTO",   "TEXT",
    "RIGHT",  "PAGE", "GROUP",  "WHEN",    "BEEP",   "SIGNAL",  "RECID",  "CONST",
    "REPEAT", "ITEM", "UPDATE", "VARNAME", "VARLAB", "VALLAB",  "HEIGHT",
};

// The keyword whose upper-case text begins `upperText`, or kwNone.
TKeyword FindKeyword(std::string_view upperText);

// Converts a whole string to a 32-bit integer: leading spaces, then either a
// hexadecimal form ("$", "x", "X" or "0x"/"0X" and 1..8 hex digits, read as a
// two's-complement pattern) or an optionally signed decimal within the 32-bit
// range. Returns false (leaving `value` unchanged) for anything else.
bool StrToIntPX(std::string_view text, int& value);

}  // namespace tallyra::core
