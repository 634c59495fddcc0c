// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the SPSS and merge tests: a scratch folder removed afterwards,
// and whole-file reading and writing.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "../otherprocesslock.h"

namespace tallyra::core::testing {

class TScratch {
public:
    TScratch() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tallyra-test-XXXXXX").string();
        Path = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    }
    ~TScratch() {
        std::error_code ec;
        std::filesystem::remove_all(Path, ec);
    }
    TScratch(const TScratch&) = delete;
    TScratch& operator=(const TScratch&) = delete;
    std::string operator/(const std::string& name) const { return Path + "/" + name; }

    std::string Path;
};

inline std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
}

}  // namespace tallyra::core::testing
