// SPDX-License-Identifier: GPL-3.0-or-later
#include "checksum.h"

#include <new>
#include <openssl/evp.h>

#include "../shell/errors.h"
#include "../shell/langtext.h"

namespace tallyra::core {

TChecksum::TChecksum() : Context(EVP_MD_CTX_new()) {
    if (!Context) throw std::bad_alloc();
}

TChecksum::~TChecksum() {
    EVP_MD_CTX_free(Context);
}

std::string TChecksum::Of(std::string_view bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    // One context for every record: the digest's set-up is paid once.
    if (EVP_DigestInit_ex(Context, EVP_sha256(), nullptr) != 1 ||
        EVP_DigestUpdate(Context, bytes.data(), bytes.size()) != 1 ||
        EVP_DigestFinal_ex(Context, digest, &length) != 1 || length != ChecksumLength)
        throw EGeneric(
            LangText("<EN>The checksum (SHA-256) of a record could not be computed."
                     "<PL>Nie można obliczyć sumy kontrolnej (SHA-256) rekordu."));
    return std::string(reinterpret_cast<const char*>(digest), length);
}

}  // namespace tallyra::core
