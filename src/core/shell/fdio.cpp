// SPDX-License-Identifier: GPL-3.0-or-later
#include "fdio.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "errors.h"
#include "ioerror.h"
#include "langtext.h"

namespace tallyra::core {

namespace {

// The write fault of the test hook; FaultAt = 0 means none.
std::atomic<int64_t> FaultAt{0};
std::atomic<int64_t> WriteCount{0};
std::atomic<int> FaultErr{0};
std::atomic<bool> FaultSticky{false};

// Counts one write and tells whether the hook makes it fail.
bool FaultHits() {
    const int64_t at = FaultAt.load(std::memory_order_relaxed);
    if (at == 0) return false;
    const int64_t n = ++WriteCount;
    return n == at || (n > at && FaultSticky.load(std::memory_order_relaxed));
}

}  // namespace

TFd& TFd::operator=(TFd&& other) noexcept {
    if (this != &other) {
        if (Fd >= 0) ::close(Fd);
        Fd = other.Release();
    }
    return *this;
}

TFd::~TFd() {
    if (Fd >= 0) ::close(Fd);
}

size_t ReadFull(int fd, char* buffer, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, buffer + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            RaiseSystemError(errno);
        }
        if (n == 0) break;
        done += static_cast<size_t>(n);
    }
    return done;
}

void WriteFull(int fd, const char* buffer, size_t size) {
    while (size > 0) {
        if (FaultHits()) RaiseSystemError(FaultErr.load());
        const ssize_t n = ::write(fd, buffer, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            RaiseSystemError(errno);
        }
        buffer += n;
        size -= static_cast<size_t>(n);
    }
}

void PWriteFull(int fd, const char* buffer, size_t size, int64_t offset) {
    while (size > 0) {
        if (FaultHits()) RaiseSystemError(FaultErr.load());
        const ssize_t n = ::pwrite(fd, buffer, size, offset);
        if (n < 0) {
            if (errno == EINTR) continue;
            RaiseSystemError(errno);
        }
        buffer += n;
        offset += n;
        size -= static_cast<size_t>(n);
    }
}

ssize_t CopyRange(int in, off_t* inOffset, int out, size_t size) {
    for (;;) {
        if (FaultHits()) RaiseSystemError(FaultErr.load());
        const ssize_t n = ::copy_file_range(in, inOffset, out, nullptr, size, 0);
        if (n >= 0) return n;
        if (errno == EINTR) continue;
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP) return -1;
        RaiseSystemError(errno);
    }
}

void SetWriteFault(int64_t nth, int err, bool sticky) {
    FaultErr = err;
    FaultSticky = sticky;
    WriteCount = 0;
    FaultAt = nth;
}

int64_t WritesSinceFault() {
    return WriteCount.load();
}

std::string NotRegularFileText(mode_t mode) {
    if (S_ISDIR(mode))
        return LangText("<EN>This is a folder, not a file.<PL>To jest folder, a nie plik.");
    return LangText(
        "<EN>Not a regular file (a device or a pipe).<PL>To nie jest zwykły plik (to urządzenie "
        "lub potok).");
}

void RaiseCreateError(const std::string& target, int err) {
    if (err == ENOENT || err == ENOTDIR) {
        const size_t slash = target.find_last_of('/');
        const std::string folder = slash == std::string::npos ? "."
                                   : slash == 0               ? "/"
                                                              : target.substr(0, slash);
        struct stat info {};
        if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
            throw EGeneric(FileErrorText(
                target, LangText("<EN>The folder for this file does not exist.<PL>Folder dla "
                                 "tego pliku nie istnieje.")));
        // The folder is there but takes no new files (a system folder).
        throw EGeneric(FileErrorText(
            target, LangText("<EN>No file can be created in this folder.<PL>W tym folderze nie "
                             "można utworzyć pliku.")));
    }
    RaiseFileError(target, err);
}

TFd OpenRegularFile(const std::string& path, int flags, mode_t mode) {
    // O_NONBLOCK keeps open() from waiting for the other end of a pipe.
    TFd fd(::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, mode));
    if (fd.Get() < 0) {
        const int err = errno;
        // A pipe without a reader (ENXIO), a folder opened for writing: what
        // the thing is says more than the system's number.
        struct stat existing {};
        if (err == EISDIR) throw EGeneric(NotRegularFileText(S_IFDIR));
        if (::stat(path.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode))
            throw EGeneric(NotRegularFileText(existing.st_mode));
        RaiseSystemError(err);
    }
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) RaiseSystemError(errno);
    if (!S_ISREG(info.st_mode)) throw EGeneric(NotRegularFileText(info.st_mode));
    const int status = ::fcntl(fd.Get(), F_GETFL);
    if (status < 0 || ::fcntl(fd.Get(), F_SETFL, status & ~O_NONBLOCK) != 0)
        RaiseSystemError(errno);
    return fd;
}

TFd CreateHeldTemporary(std::string& pattern) {
    // Another writer's clean-up may take the new file in the moment before it
    // is locked; then the name leads elsewhere and a new one is made.
    const std::string shape = pattern;
    for (int attempt = 0; attempt < 100; ++attempt) {
        pattern = shape;
        TFd fd(::mkostemp(pattern.data(), O_CLOEXEC));
        if (fd.Get() < 0) return fd;
        struct stat held {
        }, named{};
        if (::flock(fd.Get(), LOCK_EX | LOCK_NB) == 0 && ::fstat(fd.Get(), &held) == 0 &&
            ::lstat(pattern.c_str(), &named) == 0 && held.st_ino == named.st_ino &&
            held.st_dev == named.st_dev)
            return fd;
    }
    errno = EEXIST;
    return TFd();
}

void RemoveStaleTemporaries(const std::string& folder, const std::string& prefix) {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        if (!std::all_of(name.begin() + long(prefix.size()), name.end(),
                         [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
            continue;
        const std::string path = it->path().string();
        TFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat info {};
        if (fd.Get() < 0 || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        if (::flock(fd.Get(), LOCK_EX | LOCK_NB) == 0) ::unlink(path.c_str());
    }
}

TOutputFile::TOutputFile(std::string target) : TargetPath(std::move(target)) {
    // A folder, a device or a pipe is never replaced by an output: renaming
    // onto it would put a file in place of the device.
    struct stat existing {};
    if (::stat(TargetPath.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode))
        throw EGeneric(FileErrorText(TargetPath, NotRegularFileText(existing.st_mode)));
    const std::filesystem::path path(TargetPath);
    RemoveStaleTemporaries(path.parent_path().string(), path.filename().string() + ".tmp.");
    std::string pattern = TargetPath + ".tmp.XXXXXX";
    File = CreateHeldTemporary(pattern);
    if (File.Get() < 0) RaiseCreateError(TargetPath, errno);
    Temp = pattern;
    // mkstemp makes the file private; an output is an ordinary document.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(File.Get(), 0666 & ~mask);
}

TOutputFile::~TOutputFile() {
    Discard();
}

void TOutputFile::Commit() {
    if (Temp.empty()) return;
    const int fd = File.Release();
    int err = 0;
    if (::fdatasync(fd) != 0 && errno != EINVAL) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0 && ::rename(Temp.c_str(), TargetPath.c_str()) != 0) err = errno;
    if (err != 0) {
        ::unlink(Temp.c_str());
        Temp.clear();
        RaiseSystemError(err);
    }
    Temp.clear();
}

void TOutputFile::Discard() {
    if (File.Get() >= 0) ::close(File.Release());
    if (!Temp.empty()) ::unlink(Temp.c_str());
    Temp.clear();
}

}  // namespace tallyra::core
