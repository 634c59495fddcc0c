// SPDX-License-Identifier: GPL-3.0-or-later
// The checksum of a record's bytes (SHA-256, OpenSSL's libcrypto): stored
// with every row, compared before a record is sent again and checked when
// rows are pulled back.
#pragma once

#include <string>
#include <string_view>

struct evp_md_ctx_st;

namespace tallyra::core {

constexpr size_t ChecksumLength = 32;

class TChecksum {
public:
    TChecksum();
    ~TChecksum();
    TChecksum(const TChecksum&) = delete;
    TChecksum& operator=(const TChecksum&) = delete;

    // The 32 bytes of the checksum of `bytes`.
    std::string Of(std::string_view bytes);

private:
    evp_md_ctx_st* Context;
};

}  // namespace tallyra::core
