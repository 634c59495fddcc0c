// SPDX-License-Identifier: GPL-3.0-or-later
// The second opinion a record store asks while a record is keyed (the verify
// mode of double entry): before the value of a field of the incomplete record
// is left, the verifier compares it with the first keying and may keep the
// cursor on the field. Implemented in verify/entryverify.h.
#pragma once

#include <cstdint>

namespace tallyra::core {

class TPXDataHandler;

class IPXEntryVerifier {
public:
    virtual ~IPXEntryVerifier() = default;
    // Field `field` of the current (incomplete) record of `store` holds the
    // value about to be accepted: typed by the operator when `typed`, else
    // filled by the store (automatic, constant, filtered or identifier
    // values). False keeps the cursor on the field (only for typed values).
    virtual bool VerifyValue(TPXDataHandler& store, int32_t field, bool typed) = 0;
};

}  // namespace tallyra::core
