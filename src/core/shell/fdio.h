// SPDX-License-Identifier: GPL-3.0-or-later
// Small POSIX file-descriptor helpers: a descriptor closed at scope exit,
// whole reads and writes that retry interrupted and short transfers, opening
// a file that must be a regular one, and an output written under a temporary
// name that takes the target's place only when complete. Every write of file
// content in the engine goes through WriteFull, PWriteFull or CopyRange, the
// one seam where tests make writes fail (SetWriteFault).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>

namespace tallyra::core {

// Owns a descriptor (-1 = none) and closes it on destruction.
struct TFd {
    int Fd = -1;
    TFd() = default;
    explicit TFd(int fd) : Fd(fd) {}
    TFd(TFd&& other) noexcept : Fd(other.Release()) {}
    TFd& operator=(TFd&& other) noexcept;
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    ~TFd();
    int Get() const { return Fd; }
    // Gives the descriptor up without closing it.
    int Release() {
        const int f = Fd;
        Fd = -1;
        return f;
    }
};

// Reads up to `size` bytes, retrying short reads; returns the count (less only
// at the end of the file). Raises EGeneric with the system's text.
size_t ReadFull(int fd, char* buffer, size_t size);

// Writes all `size` bytes at the file position. Raises EGeneric with the
// system's text (what was written before the failure stays written).
void WriteFull(int fd, const char* buffer, size_t size);

// Writes all `size` bytes at `offset` without moving the file position.
// Raises EGeneric with the system's text.
void PWriteFull(int fd, const char* buffer, size_t size, int64_t offset);

// Copies up to `size` bytes from `in` (at *inOffset, advancing it; at the file
// position when inOffset is null) to the file position of `out` inside the
// kernel. Returns the bytes copied (0 at the end of the input), or -1 with
// errno set when the kernel cannot copy between these files (EXDEV, ENOSYS,
// EINVAL, EOPNOTSUPP: the caller copies through a buffer instead). Raises
// EGeneric for any other failure.
ssize_t CopyRange(int in, off_t* inOffset, int out, size_t size);

// Test hook of the write seam: the `nth` write from now on (1 = the next
// one) fails with `err` (ENOSPC or EFBIG), and with `sticky` every later
// write too, as on a full disk. nth = 0 turns the fault off. Writes that
// fail this way change nothing on disk. Not for use outside tests.
void SetWriteFault(int64_t nth, int err, bool sticky = true);
// Writes attempted since the last SetWriteFault (counting the failed ones).
int64_t WritesSinceFault();

// The text for a file that is not a regular file: a folder, a device or a
// pipe (selected for the current language).
std::string NotRegularFileText(mode_t mode);

// Raises EGeneric naming `target` for a failure `err` (errno) to create it:
// a missing folder is said to be one, anything else has the system's text.
[[noreturn]] void RaiseCreateError(const std::string& target, int err);

// Opens `path` with `flags` (O_RDONLY or O_RDWR, plus O_CREAT etc.) without
// ever waiting on a pipe or a device, and makes sure it is a regular file.
// Raises EGeneric with NotRegularFileText for a folder, device or pipe, and
// the system's text for other failures. The descriptor is close-on-exec and
// blocking again when returned.
TFd OpenRegularFile(const std::string& path, int flags, mode_t mode = 0666);

// Creates a file named `pattern` with its last six characters ("XXXXXX")
// replaced, exclusively and never following a link (as mkstemp does), and
// holds an exclusive advisory lock on it while the descriptor is open: the
// mark of a temporary file being written (see RemoveStaleTemporaries).
// `pattern` gets the name made. Returns -1 in the TFd with errno set when
// the file cannot be created.
TFd CreateHeldTemporary(std::string& pattern);

// Removes the files of `folder` named `prefix` followed by six letters or
// digits that no process holds: the temporaries of a writer that was killed
// (CreateHeldTemporary). A temporary being written holds its lock and stays,
// and so do names of any other shape, links and what is not a regular file.
// Failures are ignored.
void RemoveStaleTemporaries(const std::string& folder, const std::string& prefix);

// A new output file written under a temporary name in the target's folder
// ("TARGET.tmp.XXXXXX", created exclusively and held, see
// CreateHeldTemporary; stale ones of the same target are removed first). Commit flushes it and
// renames it onto the target; without Commit the destructor removes it, so a failure never leaves a
// partial output and never destroys an existing target.
class TOutputFile {
public:
    // Raises EGeneric naming the target when it is a folder, a device or a
    // pipe, or when the temporary file cannot be created.
    explicit TOutputFile(std::string target);
    ~TOutputFile();
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;

    int Fd() const { return File.Get(); }
    // The temporary name (valid until Commit or destruction).
    const std::string& TempPath() const { return Temp; }
    const std::string& Target() const { return TargetPath; }
    void Write(const char* data, size_t n) { WriteFull(File.Get(), data, n); }
    // Flushes, closes and renames onto the target. Raises EGeneric on failure
    // (the temporary file is removed then).
    void Commit();
    // Removes the temporary file at once (failures ignored).
    void Discard();

private:
    std::string TargetPath;
    std::string Temp;
    TFd File;
};

}  // namespace tallyra::core
