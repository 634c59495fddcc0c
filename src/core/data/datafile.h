// Byte-addressed access to one data file for the record store: the file is
// opened once and held under an exclusive advisory lock for the store's
// lifetime; records are read and written in place with positioned I/O, and a
// written record is flushed to disk before the call returns. Also a
// sequential reader for bulk passes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "../shell/privatetemp.h"

namespace tallyra::core {

class TDataFile {
public:
    TDataFile() = default;
    ~TDataFile();
    TDataFile(const TDataFile&) = delete;
    TDataFile& operator=(const TDataFile&) = delete;

    // Opens `path` for reading and writing, creating it empty when it does
    // not exist, and takes the exclusive lock. Raises EGeneric with the "in
    // use" I/O text (code 32) when another store holds the lock, and the
    // system's error text for any other failure (nothing is created then).
    void Open(const std::string& path);
    // Creates a new file exclusively in `folder` (never following a link):
    // "TYS.tmp", or "TYS-2.tmp" and so on while a name is held by another
    // live store; a stale file of an earlier run is replaced. Locks it.
    void CreateTemp(const std::string& folder);
    // Closes the file (and with it the lock); deletes it first when
    // `remove` is set. Failures are ignored.
    void Close(bool remove = false);

    bool IsOpen() const { return Fd >= 0; }
    const std::string& Path() const { return FilePath; }
    // The open descriptor (for copying the file); -1 when closed.
    int Handle() const { return Fd; }
    int64_t Size() const;
    // Reads up to `n` bytes at `offset`; returns the number read (short only
    // at the end of the file). Raises EGeneric on I/O errors.
    size_t ReadAt(int64_t offset, char* buffer, size_t n) const;
    // Writes all `n` bytes at `offset` and flushes them to the disk. Raises
    // EGeneric on I/O errors (the caller keeps its buffer).
    void WriteAt(int64_t offset, const char* buffer, size_t n);
    void Truncate(int64_t size);

private:
    int Fd = -1;
    std::string FilePath;
};

// Reads a file front to back through one large buffer in whole records of
// `recordLength` bytes; the last record handed out may be shorter.
class TRecordScanner {
public:
    // Scans records `first`..`last` (1-based, inclusive) of `file`.
    TRecordScanner(const TDataFile& file, int32_t recordLength, int32_t first, int32_t last);
    // The next record's bytes, or false at the end. `data` stays valid until
    // the next call.
    bool Next(const char*& data, size_t& size, int32_t& record);

private:
    const TDataFile& File;
    size_t L;
    int32_t NextRecord;
    int32_t Last;
    std::vector<char> Buffer;
    size_t Filled = 0;
    size_t Pos = 0;
};

}  // namespace tallyra::core
