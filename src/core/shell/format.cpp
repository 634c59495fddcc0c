// SPDX-License-Identifier: GPL-3.0-or-later
#include "format.h"

#include <cstdarg>
#include <cstdio>

namespace tallyra::core {

std::string Format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    va_list copy;
    va_copy(copy, args);
    const int size = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    std::string result;
    if (size > 0) {
        result.resize(static_cast<size_t>(size));
        std::vsnprintf(result.data(), result.size() + 1, fmt, args);
    }
    va_end(args);
    return result;
}

}  // namespace tallyra::core
