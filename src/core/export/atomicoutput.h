// SPDX-License-Identifier: GPL-3.0-or-later
// An output file that appears under its name only when it is complete: the
// bytes go to a new temporary file beside the target (".NAME.tmp.XXXXXX",
// held under a lock while it is written), which is renamed into place on
// Commit; anything else removes it, so a failed export never leaves a
// partial file or touches an existing one. The temporaries of killed exports
// of the same target, which no process holds, are removed when it is next
// written.
#pragma once

#include <string>
#include <vector>

#include "../shell/fdio.h"

namespace tallyra::core {

class TAtomicOutput {
public:
    // Creates the temporary file exclusively in the target's folder. Raises
    // EGeneric naming the target when it is a folder, a device or a pipe, or
    // with the system's text (missing folder, no permission).
    explicit TAtomicOutput(const std::string& target);
    // Removes the temporary file unless Commit succeeded.
    ~TAtomicOutput();
    TAtomicOutput(const TAtomicOutput&) = delete;
    TAtomicOutput& operator=(const TAtomicOutput&) = delete;

    // The descriptor to write to (owned by this object).
    int Fd() const { return File.Get(); }
    // Flushes the bytes to the disk, closes the file and renames it to the
    // target, replacing a file of that name. Raises EGeneric naming the
    // target on failure (the temporary file is then removed and the target
    // left as it was).
    void Commit();

private:
    std::string Target;
    std::string TempName;
    TFd File;
    bool Done = false;
};

// Raises EGeneric when `target` is one of `inputs` (the same path or the same
// file under another name).
void RefuseInputAsOutput(const std::string& target, const std::vector<std::string>& inputs);

// An existing target moved to its backup name (".bak", as for every file we
// overwrite) for the time of a write, and put back unless the write was kept,
// so a failed export leaves the old file where it was. Refuses (EGeneric) a
// target or a backup name that is one of `inputs` before anything moves.
class TBackedUpTarget {
public:
    TBackedUpTarget(const std::string& target, const std::vector<std::string>& inputs);
    ~TBackedUpTarget();
    TBackedUpTarget(const TBackedUpTarget&) = delete;
    TBackedUpTarget& operator=(const TBackedUpTarget&) = delete;
    // The new file is in place: the backup stays as it is.
    void Keep() { Kept = true; }

private:
    std::string Target;
    bool Moved = false;
    bool Kept = false;
};

}  // namespace tallyra::core
