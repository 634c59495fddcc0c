// SPDX-License-Identifier: GPL-3.0-or-later
// PostgreSQL's binary COPY format: the rows of a COPY ... FROM STDIN written
// into a buffer, and the rows of a COPY ... TO STDOUT read back. Values go as
// bytes with their lengths, so no text of a record is ever escaped or
// interpreted on the way.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tallyra::core {

// Appends binary COPY data to a caller's buffer.
class TCopyBinaryWriter {
public:
    // The signature and header, once before the first row.
    static void Header(std::string& out);
    // The trailer, once after the last row.
    static void Trailer(std::string& out);

    // A row of `fields` values follows; then exactly that many calls below.
    static void BeginRow(std::string& out, int16_t fields);
    static void Null(std::string& out);
    static void Int4(std::string& out, int32_t value);
    static void Int8(std::string& out, int64_t value);
    // text (UTF-8) and bytea values alike.
    static void Bytes(std::string& out, std::string_view value);
    // timestamptz from microseconds since 1970-01-01 00:00 UTC.
    static void Timestamp(std::string& out, int64_t unixMicros);
};

// Reads binary COPY data handed over in pieces of any size: Feed appends,
// NextRow takes one complete row at a time.
class TCopyBinaryReader {
public:
    void Feed(std::string_view data);
    // The next complete row's fields (`null` set for SQL NULL), valid until
    // the next Feed or NextRow; false when no complete row is buffered (or
    // the trailer came). Raises EGeneric for data that is not binary COPY.
    bool NextRow(std::vector<std::string_view>& fields, std::vector<bool>& null);
    // The trailer has been read.
    bool Ended() const { return Done; }

    static int32_t ReadInt4(std::string_view bytes);
    static int64_t ReadInt8(std::string_view bytes);

private:
    std::string Buffer;
    size_t Pos = 0;
    bool HeaderRead = false;
    bool Done = false;
};

}  // namespace tallyra::core
