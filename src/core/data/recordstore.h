// SPDX-License-Identifier: GPL-3.0-or-later
// The records of one open data file: the file and its lock, the record
// length, the buffer of the record being shown and of the last complete
// record, the number of complete records, and whether the shown record has
// changes not yet written.
//
// It knows bytes and records only, never fields or scripts: the data store
// above it decides which record is shown and how many of its bytes exist.
//
// Data file: complete records of L = characters + 2 bytes ending in CR LF,
// then at most one incomplete record (a prefix without CR LF). "*" marks a
// character not entered.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "datafile.h"

namespace tallyra::core {

// The structure test of data file bytes read at opening, for the store and
// every other reader of data files: a block of n bytes (a complete record
// when n = L, else an incomplete last record) must end in CR LF when complete
// and hold no CR or LF among its first min(n, L - 2) bytes. Raises EPXData
// with an empty text otherwise.
void CheckBlock(const char* data, size_t n, size_t L);
// CheckBlock for `count` complete records of L bytes in a row.
void CheckRecords(const char* data, size_t count, size_t L);

class TPXRecordStore {
public:
    // No file yet; both buffers are `lineLength` "*" characters.
    explicit TPXRecordStore(int32_t lineLength);
    // Both buffers "*" again, no complete record, nothing unsaved.
    void Reset();
    // Closes the file; a temporary file is deleted.
    ~TPXRecordStore();
    TPXRecordStore(const TPXRecordStore&) = delete;
    TPXRecordStore& operator=(const TPXRecordStore&) = delete;

    // Opens `fileName` (read-only under the reader lock with `readOnly`),
    // checks the structure of every byte, counts the complete records and
    // copies the last one into the previous-record buffer. An incomplete last
    // record is copied to the front of the current buffer; its length is
    // returned (0 for none). With `makeBackup` a non-empty file is first
    // copied to NAME.bak (replaced only when the copy is complete); copies of
    // a backup a killed store left behind are removed. A single Ctrl-Z after
    // the records is dropped (the file is cut unless read-only).
    // Raises EPXData (empty text) for bytes that do not fit the record
    // length, EGeneric for I/O failures and a file held by another store.
    size_t Open(const std::string& fileName, bool makeBackup, bool readOnly);
    // A new empty temporary file "TYS.tmp" in `folder`, deleted on close.
    // Raises EGeneric when it cannot be made.
    void OpenTemp(const std::string& folder);

    // Reads record `record` (1-based) into the current buffer; the bytes
    // past the end of the file read "*". Clears the unsaved mark. Raises
    // EGeneric on I/O errors.
    void Load(int32_t record);
    // The current buffer from bytes already read (bulk passes); the rest
    // reads "*". Clears the unsaved mark.
    void LoadBytes(const char* data, size_t size);
    // Writes the first `bytes` bytes of the current buffer as record `record`
    // and flushes them; `bytes` = L writes the whole record with its line
    // end, which the buffer gets first. Clears the unsaved mark. On a failure
    // the buffer and the mark stay, WriteFailed() becomes true and EGeneric
    // names the data file.
    void Write(int32_t record, size_t bytes);

    // The current record's bytes (L of them).
    const std::string& Current() const { return CurrentBytes; }
    // For the store's own changes of the current record; callers mark them
    // with MarkUnsaved.
    std::string& Current() { return CurrentBytes; }
    // The last complete record: the source of copy-previous and of the next
    // identifier.
    const std::string& Previous() const { return PreviousBytes; }
    // The current record becomes the source of copy-previous.
    void KeepCurrentAsPrevious() { PreviousBytes = CurrentBytes; }
    // Both buffers read "*" again.
    void ClearBuffers();

    // Whether the current buffer holds changes not yet written.
    bool Unsaved() const { return UnsavedChanges; }
    void MarkUnsaved() { UnsavedChanges = true; }
    void ForgetChanges() { UnsavedChanges = false; }

    // The number of complete records.
    int32_t FullRecords() const { return Full; }
    // A record was completed (or the completion is taken back after a failed
    // write).
    void AddFullRecord() { ++Full; }
    void DropFullRecord() { --Full; }

    int32_t LineLength() const { return L; }
    const std::string& Path() const { return File.Path(); }
    // The file, for sequential readers of its complete records.
    const TDataFile& DataFile() const { return File; }
    bool WriteFailed() const { return WriteFailure; }

    // Whether the file holds more bytes than its complete records. Raises
    // EGeneric on I/O errors.
    bool HasPartialRecord() const;
    // Cuts the file to its complete records and forgets unsaved changes.
    // Raises EGeneric on I/O errors (the file is then left as it was).
    void CutToFullRecords();

private:
    TDataFile File;
    int32_t L = 0;
    std::string CurrentBytes;
    std::string PreviousBytes;
    int32_t Full = 0;
    bool UnsavedChanges = false;
    bool WriteFailure = false;
    bool DeleteOnClose = false;
};

}  // namespace tallyra::core
