// SPDX-License-Identifier: GPL-3.0-or-later
#include "datafile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "../shell/errors.h"
#include "../shell/format.h"
#include "../shell/ioerror.h"
#include "../shell/langtext.h"

namespace tallyra::core {

namespace {

// Takes the exclusive lock without waiting; false when another holder has it.
bool TryLock(int fd) {
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        return false;
    }
    return true;
}

}  // namespace

std::string DataMismatchText(const std::string& path) {
    return FormatText(
        LangText("<EN>The data structure does not correspond with the script.\r\n%s\r\n\r\nCheck "
                 "whether you loaded the script and the data from the same survey.<PL>Struktura "
                 "danych nie odpowiada skryptowi.\r\n%s\r\n\r\nSprawdź, czy skrypt i dane "
                 "pochodzą z tego samego badania."),
        path.c_str());
}

bool TryOpenDataFileForReading(const std::string& path, TFd& fd, std::string& reason) {
    try {
        fd = OpenRegularFile(path, O_RDONLY);
    } catch (const ETallyraError& e) {
        reason = e.Text();
        return false;
    }
    while (::flock(fd.Get(), LOCK_SH | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        reason = errno == EWOULDBLOCK ? IOErrorText(32) : SystemErrorText(errno);
        fd = TFd();
        return false;
    }
    return true;
}

TFd OpenDataFileForReading(const std::string& path, TDataFileLock lock) {
    if (lock == TDataFileLock::HeldByCaller) {
        try {
            return OpenRegularFile(path, O_RDONLY);
        } catch (const ETallyraError& e) {
            throw EGeneric(FileErrorText(path, e.Text()));
        }
    }
    TFd fd;
    std::string reason;
    if (!TryOpenDataFileForReading(path, fd, reason)) throw EGeneric(FileErrorText(path, reason));
    return fd;
}

bool LockDataFileExclusive(int fd) {
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        return false;
    }
    return true;
}

TDataFile::~TDataFile() {
    Close();
}

void TDataFile::Open(const std::string& path) {
    Close();
    TFd fd;
    try {
        fd = OpenRegularFile(path, O_RDWR);
    } catch (const EGeneric&) {
        // A missing file is created; everything else (a folder, a device, no
        // right to write) is refused as it stands.
        struct stat info {};
        if (::lstat(path.c_str(), &info) == 0 || errno != ENOENT) throw;
        fd = OpenRegularFile(path, O_RDWR | O_CREAT | O_EXCL);
    }
    if (!TryLock(fd.Get())) {
        if (errno == EWOULDBLOCK) RaiseIOError(32);
        RaiseSystemError(errno);
    }
    Descriptor = std::move(fd);
    FilePath = path;
}

void TDataFile::OpenForReading(const std::string& path) {
    Close();
    TFd fd;
    std::string reason;
    if (!TryOpenDataFileForReading(path, fd, reason)) throw EGeneric(reason);
    Descriptor = std::move(fd);
    FilePath = path;
}

void TDataFile::CreateTemp(const std::string& folder) {
    Close();
    for (int attempt = 1; attempt <= 100; ++attempt) {
        const std::string name =
            folder + "/" + (attempt == 1 ? std::string("TYS.tmp") : Format("TYS-%d.tmp", attempt));
        int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST) {
            // A file of that name is either held by a live store (try the next
            // name) or left over from a run that did not end cleanly (replace).
            const int old = ::open(name.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
            if (old >= 0) {
                const bool stale = TryLock(old);
                if (stale) ::unlink(name.c_str());
                ::close(old);
                if (!stale) continue;
            } else if (errno != ENOENT) {
                ::unlink(name.c_str());  // a link or something else that is not ours to open
            }
            fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        }
        if (fd < 0) {
            if (errno == EEXIST) continue;
            RaiseSystemError(errno);
        }
        if (!TryLock(fd)) {
            ::close(fd);
            continue;
        }
        Descriptor = TFd(fd);
        FilePath = name;
        return;
    }
    RaiseIOError(32);
}

void TDataFile::Close(bool remove) {
    if (Descriptor.Get() < 0) return;
    // Deleting while the lock is still held keeps another store from opening
    // the name between the two steps.
    if (remove) ::unlink(FilePath.c_str());
    Descriptor = TFd();
}

int64_t TDataFile::Size() const {
    struct stat info {};
    if (::fstat(Descriptor.Get(), &info) != 0) RaiseSystemError(errno);
    return info.st_size;
}

size_t TDataFile::ReadAt(int64_t offset, char* buffer, size_t n) const {
    size_t done = 0;
    while (done < n) {
        const ssize_t got =
            ::pread(Descriptor.Get(), buffer + done, n - done, offset + int64_t(done));
        if (got < 0) {
            if (errno == EINTR) continue;
            RaiseSystemError(errno);
        }
        if (got == 0) break;
        done += size_t(got);
    }
    return done;
}

void TDataFile::WriteAt(int64_t offset, const char* buffer, size_t n) {
    PWriteFull(Descriptor.Get(), buffer, n, offset);
    if (::fdatasync(Descriptor.Get()) != 0 && errno != EINVAL) RaiseSystemError(errno);
}

void TDataFile::Truncate(int64_t size) {
    while (::ftruncate(Descriptor.Get(), size) != 0) {
        if (errno != EINTR) RaiseSystemError(errno);
    }
}

TRecordScanner::TRecordScanner(const TDataFile& file, int32_t recordLength, int32_t first,
                               int32_t last)
    : File(file), L(size_t(recordLength)), NextRecord(first), Last(last) {
    // About 256 KB per read, in whole records: small enough to stay in the
    // processor cache while it is checked, large enough to read sequentially.
    const size_t wanted = last >= first ? size_t(last - first) + 1 : 1;
    const size_t records = std::min(wanted, std::max<size_t>(1, (size_t(256) << 10) / L));
    Buffer.resize(records * L);
}

bool TRecordScanner::Next(const char*& data, size_t& size, int32_t& record) {
    if (NextRecord > Last) return false;
    if (Pos >= Filled) {
        const int64_t offset = int64_t(NextRecord - 1) * int64_t(L);
        const size_t want = std::min(Buffer.size(), size_t(Last - NextRecord + 1) * L);
        Filled = File.ReadAt(offset, Buffer.data(), want);
        Pos = 0;
        if (Filled == 0) return false;
    }
    data = Buffer.data() + Pos;
    size = std::min(L, Filled - Pos);
    record = NextRecord++;
    Pos += L;
    return true;
}

}  // namespace tallyra::core
