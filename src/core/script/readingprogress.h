// SPDX-License-Identifier: GPL-3.0-or-later
// How script reading reports its progress to a window that shows it.
#pragma once

namespace tallyra::core {

class IReadingProgress {
public:
    virtual ~IReadingProgress() = default;
    // Percentage read (0..100) while reading; -1 once reading is over.
    virtual void ReadingProgress(int percent) = 0;
};

}  // namespace tallyra::core
