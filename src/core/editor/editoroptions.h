// SPDX-License-Identifier: GPL-3.0-or-later
// The two option sets of the script editor, stored as bit sets: "Memo" (how
// the editor looks and reacts to the mouse) and "Strings" (how typing and
// searching behave). Names for the bits and the tests on a set; all of it is
// constant arithmetic on values the caller owns, raising nothing. Bits
// without a name are stored and kept as they are.
#pragma once

#include <cstdint>

namespace tallyra::core {

// Bit numbers of the "Memo" set.
enum TMemoOption : int {
    moDrawMargin = 0,           // a vertical edge line at column 80
    moDrawGutter = 1,           // the bookmark margin
    moThumbTracking = 2,        // scroll while the thumb is dragged
    moDblClickLine = 3,         // a double click selects the whole line
    moColorSyntax = 4,          // syntax colouring
    moLineNumbers = 5,          // the line-number margin
    moOverwriteCaret = 6,       // a block caret in overwrite mode
    moLeftIndent = 7,           // a small blank strip left of the text
    moDisableDrag = 8,          // no dragging of selected text
    moSelectOnlyText = 9,       // selections end at the last character of a line
    moLineNumbersOnGutter = 10  // line numbers in the bookmark margin
};

// Bit numbers of the "Strings" set.
enum TStringsOption : int {
    soBackUnindents = 0,     // Backspace in indentation unindents
    soGroupUndo = 1,         // typing is undone in groups
    soBeyondFileEnd = 2,     // the view may scroll past the last line
    soForceCutCopy = 3,      // stored and kept; this editor has no use for it
    soAutoIndent = 4,        // a new line takes the previous indentation
    soSmartTab = 5,          // Tab in indentation indents
    soFindTextAtCursor = 6,  // Find proposes the word at the caret
    soCreateBackups = 7,     // stored and kept (saving always backs up)
    soPersistentBlocks = 8,  // stored and kept
    soOverwriteBlocks = 9,   // typing over a selection replaces it
    soLimitEOL = 10          // stored and kept
};

// The mask of one bit.
constexpr uint32_t OptionMask(int bit) {
    return 1u << bit;
}

// Whether bit `bit` is set in `set`.
constexpr bool HasOption(uint32_t set, int bit) {
    return (set & OptionMask(bit)) != 0;
}

// `set` with bit `bit` switched on or off; the other bits stay as they are.
constexpr uint32_t WithOption(uint32_t set, int bit, bool on) {
    return on ? (set | OptionMask(bit)) : (set & ~OptionMask(bit));
}

// The sets a new installation starts with.
constexpr uint32_t DefaultMemoOptions = OptionMask(moDrawGutter) | OptionMask(moThumbTracking) |
                                        OptionMask(moColorSyntax) | OptionMask(moOverwriteCaret) |
                                        OptionMask(moLineNumbersOnGutter);
constexpr uint32_t DefaultStringsOptions = OptionMask(soBackUnindents) | OptionMask(soGroupUndo) |
                                           OptionMask(soForceCutCopy) | OptionMask(soAutoIndent) |
                                           OptionMask(soSmartTab) | OptionMask(soFindTextAtCursor) |
                                           OptionMask(soOverwriteBlocks);
// What the settings of earlier versions were written with.
static_assert(DefaultMemoOptions == 0x456 && DefaultStringsOptions == 0x27B);

// Whether the editor shows line numbers: either of the two bits asks for them.
constexpr bool ShowsLineNumbers(uint32_t memo) {
    return HasOption(memo, moLineNumbers) || HasOption(memo, moLineNumbersOnGutter);
}

}  // namespace tallyra::core
