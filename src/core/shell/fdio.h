// Small POSIX file-descriptor helpers: a descriptor closed at scope exit and
// whole reads and writes that retry interrupted and short transfers.
#pragma once

#include <cstddef>

namespace tallyra::core {

// Owns a descriptor (-1 = none) and closes it on destruction.
struct TFd {
    int Fd = -1;
    TFd() = default;
    explicit TFd(int fd) : Fd(fd) {}
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

// Writes all `size` bytes. Raises EGeneric with the system's text.
void WriteFull(int fd, const char* buffer, size_t size);

}  // namespace tallyra::core
