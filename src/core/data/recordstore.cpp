// SPDX-License-Identifier: GPL-3.0-or-later
#include "recordstore.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "../shell/errors.h"
#include "../shell/fdio.h"
#include "../shell/format.h"
#include "../shell/ioerror.h"
#include "../shell/langtext.h"

namespace tallyra::core {

namespace {

// The backup name of a data file: its extension replaced by ".bak".
std::string BackupTarget(const std::string& dataName) {
    std::filesystem::path bak(dataName);
    bak.replace_extension(".bak");
    return bak.string();
}

// Removes copies "NAME.bak.XXXXXX" that a store killed while writing its
// backup left behind. A copy being written is locked by its writer (two data
// files that differ only in their extension share one backup name), so only
// copies nobody holds go.
void RemoveStaleBackupCopies(const std::string& dataName) {
    const std::filesystem::path target(BackupTarget(dataName));
    RemoveStaleTemporaries(target.parent_path().string(), target.filename().string() + ".");
}

// Writes a backup copy next to the data file: into a new file first, which
// replaces the old ".bak" only when the copy is complete, so that a failed
// copy never destroys an earlier backup.
class TBackupWriter {
public:
    explicit TBackupWriter(const std::string& dataName) {
        namespace fs = std::filesystem;
        Target = BackupTarget(dataName);
        // A data file whose own name ends in ".bak" would be its own backup.
        std::error_code ec;
        if (fs::exists(Target, ec) && fs::equivalent(Target, dataName, ec)) return;
        if (Target == dataName) return;
        // The lock marks the copy as being written (see RemoveStaleBackupCopies).
        std::string pattern = Target + ".XXXXXX";
        Fd = CreateHeldTemporary(pattern);
        if (Fd.Get() < 0) RaiseFileError(Target, errno);
        TempName = pattern;
    }
    ~TBackupWriter() { Discard(); }

    // Copies the first `n` bytes of the file open as `fd` (in the kernel when
    // the system can, else through a buffer).
    void CopyFrom(int fd, int64_t n) {
        if (Fd.Get() < 0) return;
        off_t in = 0;
        try {
            while (in < n) {
                const ssize_t put = CopyRange(fd, &in, Fd.Get(), size_t(n - in));
                if (put > 0) continue;
                if (put == 0) break;
                std::vector<char> buffer(size_t(1) << 20);
                while (in < n) {
                    const ssize_t got = ::pread(
                        fd, buffer.data(), std::min<size_t>(buffer.size(), size_t(n - in)), in);
                    if (got < 0 && errno == EINTR) continue;
                    if (got <= 0) RaiseSystemError(got < 0 ? errno : EIO);
                    WriteFull(Fd.Get(), buffer.data(), size_t(got));
                    in += got;
                }
            }
        } catch (const EGeneric& e) {
            Discard();
            throw EGeneric(FileErrorText(Target, e.Text()));
        }
    }
    // Puts the finished copy in place of the old backup. The data file itself
    // is never touched, so the copy is not forced to disk first.
    void Commit() {
        if (Fd.Get() < 0) return;
        // The close is checked: a failed close may mean a copy never written.
        if (::close(Fd.Release()) != 0 || ::rename(TempName.c_str(), Target.c_str()) != 0) {
            const int err = errno;
            ::unlink(TempName.c_str());
            RaiseFileError(Target, err);
        }
    }
    void Discard() {
        if (Fd.Get() < 0) return;
        ::unlink(TempName.c_str());
        Fd = TFd();
    }

private:
    std::string Target;
    std::string TempName;
    TFd Fd;
};

}  // namespace

void CheckBlock(const char* data, size_t n, size_t L) {
    if (n == L && (data[L - 2] != '\r' || data[L - 1] != '\n')) throw EPXData(std::string());
    const size_t body = std::min(n, L - 2);
    if (std::memchr(data, '\r', body) != nullptr || std::memchr(data, '\n', body) != nullptr)
        throw EPXData(std::string());
}

// A valid file holds exactly two line-end bytes per record, both at its end:
// counting them over the whole run is one pass the compiler vectorises; only
// a run that fails the count is checked record by record for the error.
void CheckRecords(const char* data, size_t count, size_t L) {
    const size_t n = count * L;
    // Sixteen bytes at a time in the compiler's portable vector type (one
    // instruction each on processors with vector units): every lane counts
    // the line-end bytes it sees, and the lanes are added up before any of
    // them could pass 255.
    typedef uint8_t TBytes __attribute__((vector_size(16)));
    size_t lineBytes = 0;
    size_t i = 0;
    while (n - i >= 16) {
        const size_t chunks = std::min<size_t>((n - i) / 16, 255);
        const size_t stop = i + chunks * 16;
        TBytes lanes = {};
        for (; i < stop; i += 16) {
            TBytes x;
            std::memcpy(&x, data + i, 16);
            // A match is all ones (-1): subtracting it adds one.
            lanes -= reinterpret_cast<TBytes>((x == 13) | (x == 10));
        }
        for (int k = 0; k < 16; ++k)
            lineBytes += lanes[k];
    }
    for (; i < n; ++i)
        lineBytes += size_t(data[i] == '\r') + size_t(data[i] == '\n');
    bool ends = lineBytes == 2 * count;
    for (size_t r = 0; ends && r < count; ++r)
        ends = data[r * L + L - 2] == '\r' && data[r * L + L - 1] == '\n';
    if (ends) return;
    for (size_t r = 0; r < count; ++r)
        CheckBlock(data + r * L, L, L);
}

TPXRecordStore::~TPXRecordStore() {
    File.Close(DeleteOnClose);
}

TPXRecordStore::TPXRecordStore(int32_t lineLength)
    : L(lineLength), CurrentBytes(size_t(L), '*'), PreviousBytes(size_t(L), '*') {}

void TPXRecordStore::Reset() {
    ClearBuffers();
    Full = 0;
    UnsavedChanges = false;
}

void TPXRecordStore::ClearBuffers() {
    std::fill(PreviousBytes.begin(), PreviousBytes.end(), '*');
    std::fill(CurrentBytes.begin(), CurrentBytes.end(), '*');
}

size_t TPXRecordStore::Open(const std::string& fileName, bool makeBackup, bool readOnly) {
    if (readOnly)
        File.OpenForReading(fileName);
    else
        File.Open(fileName);
    if (!readOnly) RemoveStaleBackupCopies(fileName);
    const int64_t size = File.Size();
    if (size / L >= std::numeric_limits<int32_t>::max() - 1) throw EPXData(std::string());
    if (size == 0) return 0;
    std::unique_ptr<TBackupWriter> backup;
    if (makeBackup) backup = std::make_unique<TBackupWriter>(fileName);
    // About 256 KB per read (it stays in the cache), in whole records, and no
    // more than the file.
    const size_t fileRecords = size_t(size / L) + 1;
    const size_t records =
        std::min(fileRecords, std::max<size_t>(1, (size_t(256) << 10) / size_t(L)));
    std::vector<char> buffer(records * size_t(L));
    int64_t offset = 0;
    size_t tail = 0;  // bytes of a final incomplete block
    const char* tailData = nullptr;
    for (;;) {
        const size_t got = File.ReadAt(offset, buffer.data(), buffer.size());
        if (got == 0) break;
        const size_t whole = got / size_t(L);
        CheckRecords(buffer.data(), whole, size_t(L));
        Full += int32_t(whole);
        tail = got - whole * size_t(L);
        size_t keep = got;
        if (tail == 1 && buffer[whole * size_t(L)] == 26) {
            // A single Ctrl-Z after the records is an old end-of-file mark.
            if (!readOnly) File.Truncate(offset + int64_t(whole) * L);
            tail = 0;
            keep = whole * size_t(L);
        }
        if (tail > 0) {
            tailData = buffer.data() + whole * size_t(L);
            CheckBlock(tailData, tail, size_t(L));
        }
        offset += int64_t(keep);
        if (got < buffer.size()) break;
    }
    if (tail > 0) std::memcpy(CurrentBytes.data(), tailData, tail);
    if (backup) {
        backup->CopyFrom(File.Handle(), offset);
        backup->Commit();
    }
    if (Full > 0) File.ReadAt(int64_t(Full - 1) * L, PreviousBytes.data(), size_t(L));
    return tail;
}

void TPXRecordStore::OpenTemp(const std::string& folder) {
    File.CreateTemp(folder);
    File.Truncate(0);
    DeleteOnClose = true;
}

void TPXRecordStore::Load(int32_t record) {
    const size_t got = File.ReadAt(int64_t(record - 1) * L, CurrentBytes.data(), size_t(L));
    std::fill(CurrentBytes.begin() + long(got), CurrentBytes.end(), '*');
    UnsavedChanges = false;
}

void TPXRecordStore::LoadBytes(const char* data, size_t size) {
    std::memcpy(CurrentBytes.data(), data, size);
    std::fill(CurrentBytes.begin() + long(size), CurrentBytes.end(), '*');
    UnsavedChanges = false;
}

void TPXRecordStore::Write(int32_t record, size_t bytes) {
    const int64_t offset = int64_t(record - 1) * L;
    try {
        if (bytes < size_t(L)) {
            if (bytes > 0) File.WriteAt(offset, CurrentBytes.data(), bytes);
        } else {
            CurrentBytes[size_t(L - 2)] = '\r';
            CurrentBytes[size_t(L - 1)] = '\n';
            File.WriteAt(offset, CurrentBytes.data(), size_t(L));
        }
    } catch (const EGeneric& e) {
        WriteFailure = true;
        throw EGeneric(FormatText(LangText("<EN>The data file \"%s\" could not be written: "
                                           "%s<PL>Nie udało się zapisać pliku danych \"%s\": %s"),
                                  File.Path().c_str(), e.Text().c_str()));
    }
    UnsavedChanges = false;
}

bool TPXRecordStore::HasPartialRecord() const {
    return File.Size() != int64_t(L) * Full;
}

void TPXRecordStore::CutToFullRecords() {
    File.Truncate(int64_t(L) * Full);
    UnsavedChanges = false;
}

}  // namespace tallyra::core
