// SPDX-License-Identifier: GPL-3.0-or-later
#include "copybinary.h"

#include <cstring>

#include "../shell/errors.h"
#include "../shell/langtext.h"

namespace tallyra::core {

namespace {

constexpr char Signature[] = "PGCOPY\n\377\r\n";  // and a NUL: 11 bytes
constexpr size_t SignatureLength = 11;
// Microseconds from 1970-01-01 to 2000-01-01, the server's epoch.
constexpr int64_t ServerEpochMicros = 946684800LL * 1000000;

void Put16(std::string& out, uint16_t v) {
    out += char(v >> 8);
    out += char(v & 0xFF);
}

void Put32(std::string& out, uint32_t v) {
    char b[4] = {char(v >> 24), char((v >> 16) & 0xFF), char((v >> 8) & 0xFF), char(v & 0xFF)};
    out.append(b, 4);
}

void Put64(std::string& out, uint64_t v) {
    Put32(out, uint32_t(v >> 32));
    Put32(out, uint32_t(v & 0xFFFFFFFFu));
}

uint32_t Get32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return (uint32_t(u[0]) << 24) | (uint32_t(u[1]) << 16) | (uint32_t(u[2]) << 8) | u[3];
}

[[noreturn]] void NotCopyData() {
    throw EGeneric(
        LangText("<EN>The database server sent data that is not in the binary COPY "
                 "format.<PL>Serwer bazy danych przysłał dane, które nie są w "
                 "binarnym formacie COPY."));
}

}  // namespace

void TCopyBinaryWriter::Header(std::string& out) {
    out.append(Signature, SignatureLength);
    Put32(out, 0);  // flags
    Put32(out, 0);  // no header extension
}

void TCopyBinaryWriter::Trailer(std::string& out) {
    Put16(out, 0xFFFF);
}

void TCopyBinaryWriter::BeginRow(std::string& out, int16_t fields) {
    Put16(out, uint16_t(fields));
}

void TCopyBinaryWriter::Null(std::string& out) {
    Put32(out, 0xFFFFFFFFu);
}

void TCopyBinaryWriter::Int4(std::string& out, int32_t value) {
    Put32(out, 4);
    Put32(out, uint32_t(value));
}

void TCopyBinaryWriter::Int8(std::string& out, int64_t value) {
    Put32(out, 8);
    Put64(out, uint64_t(value));
}

void TCopyBinaryWriter::Bytes(std::string& out, std::string_view value) {
    Put32(out, uint32_t(value.size()));
    out.append(value.data(), value.size());
}

void TCopyBinaryWriter::Timestamp(std::string& out, int64_t unixMicros) {
    Int8(out, unixMicros - ServerEpochMicros);
}

void TCopyBinaryReader::Feed(std::string_view data) {
    // Rows already taken are dropped before more is added.
    if (Pos > 0) {
        Buffer.erase(0, Pos);
        Pos = 0;
    }
    Buffer.append(data.data(), data.size());
}

bool TCopyBinaryReader::NextRow(std::vector<std::string_view>& fields, std::vector<bool>& null) {
    if (Done) return false;
    const char* p = Buffer.data();
    const size_t size = Buffer.size();
    if (!HeaderRead) {
        if (size - Pos < SignatureLength + 8) return false;
        if (std::memcmp(p + Pos, Signature, SignatureLength) != 0) NotCopyData();
        const uint32_t extension = Get32(p + Pos + SignatureLength + 4);
        if (size - Pos < SignatureLength + 8 + extension) return false;
        Pos += SignatureLength + 8 + extension;
        HeaderRead = true;
    }
    if (size - Pos < 2) return false;
    const int16_t count = int16_t((uint16_t(uint8_t(p[Pos])) << 8) | uint8_t(p[Pos + 1]));
    if (count == -1) {
        Done = true;
        return false;
    }
    if (count < 0) NotCopyData();
    size_t at = Pos + 2;
    fields.assign(size_t(count), std::string_view());
    null.assign(size_t(count), false);
    for (int16_t i = 0; i < count; ++i) {
        if (size - at < 4) return false;
        const int32_t length = int32_t(Get32(p + at));
        at += 4;
        if (length == -1) {
            null[size_t(i)] = true;
            continue;
        }
        if (length < 0) NotCopyData();
        if (size - at < size_t(length)) return false;
        fields[size_t(i)] = std::string_view(p + at, size_t(length));
        at += size_t(length);
    }
    Pos = at;
    return true;
}

int32_t TCopyBinaryReader::ReadInt4(std::string_view bytes) {
    if (bytes.size() != 4) NotCopyData();
    return int32_t(Get32(bytes.data()));
}

int64_t TCopyBinaryReader::ReadInt8(std::string_view bytes) {
    if (bytes.size() != 8) NotCopyData();
    return int64_t((uint64_t(Get32(bytes.data())) << 32) | Get32(bytes.data() + 4));
}

}  // namespace tallyra::core
