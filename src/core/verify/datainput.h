// SPDX-License-Identifier: GPL-3.0-or-later
// Read-only access to a data file for the passes of double entry (comparing
// two keyings, writing a resolved file): the file is read front to back
// through one large buffer in whole records, every block put through the
// record store's structure test, and single records can be read by number.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "../shell/fdio.h"

namespace tallyra::core {

class TDataInput {
public:
    // Opens `fileName` read-only for records of `lineLength` bytes (>= 3);
    // nothing is ever written to it. Raises EGeneric with the system's text
    // when it cannot be opened or is not a regular file, and EPXData carrying
    // DataMismatchText(fileName) when it holds more records than a store
    // accepts.
    TDataInput(const std::string& fileName, int32_t lineLength);
    TDataInput(const TDataInput&) = delete;
    TDataInput& operator=(const TDataInput&) = delete;

    // The next complete record (lineLength bytes, valid until the next call),
    // or false at the end of the file. An incomplete last record, and a single
    // Ctrl-Z byte after the records, are passed over. Raises EPXData carrying
    // DataMismatchText(fileName) when the file does not fit the script's
    // record length (checked block by block as the store checks it at
    // opening), EGeneric on read errors.
    bool Next(const char*& record);

    // Starts the scan again from the first record.
    void Rewind();

    // Complete records in the file when it was opened.
    int32_t FullCount() const { return Count; }
    // Number (from 1) of the record Next returned last; 0 before the first.
    int32_t Position() const { return Delivered; }
    // Reads `count` complete records from record `first` on (all within
    // 1..FullCount) into `out` (count x lineLength bytes). Raises EGeneric on
    // read errors or when the file has shrunk below them.
    void ReadRecords(int32_t first, int32_t count, char* out) const;
    const std::string& FileName() const { return Name; }

private:
    [[noreturn]] void Mismatch() const;
    bool Fill();

    std::string Name;
    TFd File;
    size_t L;
    int64_t Size = 0;  // at opening: the scan never reads past it
    int32_t Count = 0;
    int32_t Delivered = 0;
    std::vector<char> Buffer;
    size_t Filled = 0;  // complete records' bytes in Buffer
    size_t Pos = 0;
    int64_t Offset = 0;  // file offset of the next block
    bool TailChecked = false;
};

}  // namespace tallyra::core
