// SPDX-License-Identifier: GPL-3.0-or-later
// Temporary files: a private per-user folder under
// the system's temporary folder, and files created there exclusively (never
// through a link) that are removed when their owner goes.
#pragma once

#include <string>
#include <string_view>

#include "fdio.h"

namespace tallyra::core {

// The private folder: $TMPDIR (or /tmp) + "/tallyra-" + the user id, made
// with mode 0700 when missing. Raises EGeneric when it cannot be made or when
// what is there is not a folder of this user closed to others (a link or
// someone else's folder is never used).
std::string PrivateTempFolder();

// A new file in the private folder, created exclusively. Its name is
// `fileName` (without folder) or, when that is taken, the same with "-1",
// "-2", ... before the extension. The file is removed on destruction.
class TPrivateTempFile {
public:
    explicit TPrivateTempFile(std::string_view fileName);
    ~TPrivateTempFile();
    TPrivateTempFile(const TPrivateTempFile&) = delete;
    TPrivateTempFile& operator=(const TPrivateTempFile&) = delete;

    // Writes all bytes; raises EGeneric with the system's error text.
    void Write(std::string_view bytes);
    // Closes the descriptor (the file stays until destruction); raises
    // EGeneric when the close reports a write failure.
    void Close();
    const std::string& Path() const { return FilePath; }

private:
    std::string FilePath;
    TFd File;
};

}  // namespace tallyra::core
