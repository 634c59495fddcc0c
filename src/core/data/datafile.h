// SPDX-License-Identifier: GPL-3.0-or-later
// Byte-addressed access to one data file for the record store: the file is
// opened once and held under an exclusive advisory lock for the store's
// lifetime; records are read and written in place with positioned I/O, and a
// written record is flushed to disk before the call returns. Also a
// sequential reader for bulk passes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "../shell/fdio.h"
#include "../shell/privatetemp.h"

namespace tallyra::core {

// The text for a data file that does not fit its script (the station's
// refusal), naming the file.
std::string DataMismatchText(const std::string& path);

// The reader lock: how every reader of a data file that is not its record
// store (the merger, save selection, the data check and frequencies of the
// command line, comparison and export) opens it. Opens `path` read-only,
// refuses anything but a regular file without waiting on it, and takes a
// shared advisory lock without waiting: readers share a file with each other,
// while a record store, which holds the exclusive lock for its whole
// lifetime, keeps them out (and a held reader lock keeps a store from
// opening). The lock lasts as long as the returned descriptor stays open.
// Raises EGeneric "PATH: TEXT", where TEXT is the "in use" I/O text (code 32)
// when a store holds the file, NotRegularFileText for a folder, device or
// pipe, and the system's text otherwise ("File not found." and so on).
// How a reader opens a data file: under the reader lock, or without it when
// the caller's own record store holds the file (the viewer saving a
// selection of the file it shows). That store's exclusive lock keeps every
// other store and reader off the file meanwhile.
enum class TDataFileLock { Take, HeldByCaller };

TFd OpenDataFileForReading(const std::string& path, TDataFileLock lock = TDataFileLock::Take);

// OpenDataFileForReading without raising: false with `reason` set to the
// bare text (not naming the file) when the file cannot be opened or locked.
bool TryOpenDataFileForReading(const std::string& path, TFd& fd, std::string& reason);

// Turns the reader lock held on `fd` into the exclusive lock without
// waiting, as needed before the reader changes the file (the merger
// shortening a partial last record). False when another reader or a store
// holds the file; the conversion is not atomic, so the caller then stops
// using the file (its shared lock may be gone) and reports it as in use.
bool LockDataFileExclusive(int fd);

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
    // Opens an existing `path` read-only under the reader lock (see
    // OpenDataFileForReading, whose failures it raises without the file
    // name); writes then fail.
    void OpenForReading(const std::string& path);
    // Creates a new file exclusively in `folder` (never following a link):
    // "TYS.tmp", or "TYS-2.tmp" and so on while a name is held by another
    // live store; a stale file of an earlier run is replaced. Locks it.
    void CreateTemp(const std::string& folder);
    // Closes the file (and with it the lock); deletes it first when
    // `remove` is set. Failures are ignored.
    void Close(bool remove = false);

    bool IsOpen() const { return Descriptor.Get() >= 0; }
    const std::string& Path() const { return FilePath; }
    // The open descriptor (for copying the file); -1 when closed.
    int Handle() const { return Descriptor.Get(); }
    int64_t Size() const;
    // Reads up to `n` bytes at `offset`; returns the number read (short only
    // at the end of the file). Raises EGeneric on I/O errors.
    size_t ReadAt(int64_t offset, char* buffer, size_t n) const;
    // Writes all `n` bytes at `offset` and flushes them to the disk. Raises
    // EGeneric on I/O errors (the caller keeps its buffer).
    void WriteAt(int64_t offset, const char* buffer, size_t n);
    void Truncate(int64_t size);

private:
    TFd Descriptor;
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
