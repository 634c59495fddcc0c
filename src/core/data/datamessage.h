// SPDX-License-Identifier: GPL-3.0-or-later
// The data errors of the data check, as items of the message list.
#pragma once

#include <cstdint>
#include <memory>

#include "../script/tpxmessage.h"

namespace tallyra::core {

// A data error: a script message whose Position packs the record (low 16
// bits) and the field index (high 16 bits), carrying both in full as well so
// that files of more than 65535 records are navigated correctly.
class TPXDataMessage : public TPXMessage {
public:
    TPXDataMessage(int32_t record, int32_t fieldIndex, int32_t code);
    std::unique_ptr<TEHMessage> CreateCopy() const override;

    int32_t Record;
    int32_t FieldIndex;
};

}  // namespace tallyra::core
