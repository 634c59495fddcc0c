// SPDX-License-Identifier: GPL-3.0-or-later
#include "datainput.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

#include "../data/datafile.h"
#include "../data/tpxdatahandler.h"
#include "../shell/errors.h"
#include "../shell/ioerror.h"

namespace tallyra::core {

namespace {

// Reads up to n bytes at offset; short only at the end of the file.
size_t ReadAt(int fd, int64_t offset, char* buffer, size_t n) {
    size_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(fd, buffer + done, n - done, offset + int64_t(done));
        if (got < 0) {
            if (errno == EINTR) continue;
            RaiseSystemError(errno);
        }
        if (got == 0) break;
        done += size_t(got);
    }
    return done;
}

}  // namespace

TDataInput::TDataInput(const std::string& fileName, int32_t lineLength)
    : Name(fileName), L(size_t(lineLength)) {
    // The reader lock keeps a record store off the file while it is read.
    File = OpenDataFileForReading(fileName);
    struct stat info {};
    if (::fstat(File.Fd, &info) != 0) RaiseSystemError(errno);
    Size = info.st_size;
    // The store's bound on the number of records.
    if (Size / int64_t(L) >= std::numeric_limits<int32_t>::max() - 1) Mismatch();
    Count = int32_t(Size / int64_t(L));
    // About 256 KB per read (it stays in the cache), in whole records, and no
    // more than the file.
    const size_t records =
        std::min(size_t(Count) + 1, std::max<size_t>(1, (size_t(256) << 10) / L));
    Buffer.resize(records * L);
}

void TDataInput::Rewind() {
    Count = int32_t(Size / int64_t(L));
    Delivered = 0;
    Filled = Pos = 0;
    Offset = 0;
    TailChecked = false;
}

void TDataInput::Mismatch() const {
    throw EPXData(DataMismatchText(Name));
}

bool TDataInput::Fill() {
    const int64_t end = int64_t(Count) * int64_t(L);
    const size_t want = size_t(std::min<int64_t>(int64_t(Buffer.size()), end - Offset));
    size_t got = want > 0 ? ReadAt(File.Fd, Offset, Buffer.data(), want) : 0;
    if (got < want) {
        // The file was shortened while it was read: what is left is its end.
        Count = Delivered + int32_t(got / L);
        TailChecked = true;
    }
    got -= got % L;
    try {
        CheckRecords(Buffer.data(), got / L, L);
    } catch (const EPXData&) {
        Mismatch();
    }
    Offset += int64_t(got);
    Filled = got;
    Pos = 0;
    return got > 0;
}

bool TDataInput::Next(const char*& record) {
    if (Pos >= Filled && !(Delivered < Count && Fill())) {
        if (!TailChecked) {
            TailChecked = true;
            const int64_t start = int64_t(Count) * int64_t(L);
            const size_t tail = size_t(std::max<int64_t>(0, Size - start));
            std::vector<char> bytes(tail);
            const size_t got = ReadAt(File.Fd, start, bytes.data(), tail);
            // A single Ctrl-Z after the records is an old end-of-file mark.
            if (got > 0 && !(got == 1 && bytes[0] == 26)) {
                try {
                    CheckBlock(bytes.data(), got, L);
                } catch (const EPXData&) {
                    Mismatch();
                }
            }
        }
        return false;
    }
    record = Buffer.data() + Pos;
    Pos += L;
    ++Delivered;
    return true;
}

void TDataInput::ReadRecords(int32_t first, int32_t count, char* out) const {
    const size_t bytes = size_t(count) * L;
    if (first < 1 || count < 1 || first > Count - count + 1 ||
        ReadAt(File.Fd, int64_t(first - 1) * int64_t(L), out, bytes) != bytes)
        RaiseSystemError(EIO);
}

}  // namespace tallyra::core
