// SPDX-License-Identifier: GPL-3.0-or-later
// Message positions that follow edits: after text is inserted or deleted in
// the editor, the messages of the last check keep pointing at the characters
// they were found at. Only positions change; nothing here raises.
#pragma once

#include <cstdint>

namespace tallyra::core {

class TEHList;

// Where a message at 1-based `messagePosition` stands after an edit at
// `position` (the number of characters in front of the change) that inserted
// (`delta` > 0) or deleted (`delta` < 0) |delta| characters. A message at
// or in front of `position` stays; one after it moves by `delta`, except
// that a message inside deleted text goes to the first character after the
// deletion (position + 1) instead of in front of the place of the edit.
int32_t ShiftedPosition(int32_t messagePosition, int32_t position, int32_t delta);

// Applies ShiftedPosition to every message of `messages`; nothing else of
// the list changes (order, kinds, codes and texts stay).
void ShiftMessagePositions(TEHList& messages, int32_t position, int32_t delta);

}  // namespace tallyra::core
