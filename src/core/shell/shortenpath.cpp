// SPDX-License-Identifier: GPL-3.0-or-later
#include "shortenpath.h"

namespace tallyra::core {

std::string ShortenPath(std::string path, size_t n) {
    const char sep = path.find('\\') != std::string::npos ? '\\' : '/';
    const std::string dots = std::string("...") + sep;
    while (path.size() > n) {
        const size_t dotsAt = path.find(dots);
        if (dotsAt != std::string::npos) {
            // Drop the folder after "...\" together with its separator.
            const size_t from = dotsAt + dots.size();
            const size_t next = path.find(sep, from);
            if (next == std::string::npos) break;
            path.erase(from, next + 1 - from);
            continue;
        }
        const size_t first = path.find(sep);
        if (first == std::string::npos) break;
        const bool drive = path.size() >= 2 && path[1] == ':';
        if (drive || path[0] == sep) {
            const size_t root = drive ? 2 : 0;
            // Only the root's separator left: nothing to shorten.
            if (path.find(sep, root + 1) == std::string::npos) break;
            const size_t folder = root + 1;
            const size_t end = path.find(sep, folder);
            path.replace(folder, end - folder, "...");
        } else {
            const bool only = path.find(sep, first + 1) == std::string::npos;
            path.replace(0, first, "...");
            if (only) break;
        }
    }
    if (path.size() > n) path.resize(n);
    return path;
}

}  // namespace tallyra::core
