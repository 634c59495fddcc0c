// SPDX-License-Identifier: GPL-3.0-or-later
#include "messageshift.h"

#include <algorithm>

#include "script/tehlist.h"

namespace tallyra::core {

int32_t ShiftedPosition(int32_t messagePosition, int32_t position, int32_t delta) {
    if (messagePosition <= position) return messagePosition;
    // Deleted text takes its messages along to where it was: they point at
    // what now follows the deletion.
    return std::max(messagePosition + delta, position + 1);
}

void ShiftMessagePositions(TEHList& messages, int32_t position, int32_t delta) {
    for (auto& m : messages.Items)
        m->Position = ShiftedPosition(m->Position, position, delta);
}

}  // namespace tallyra::core
