// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the SPSS listing reader, after the conversion the file reader
// applies.
#include "spss_reader_harness.h"

using tallyra::core::TVarColl;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return tallyra::fuzz::RunSpssReader(data, size, [](TVarColl& vars, std::string_view input) {
        vars.ReadListingText(tallyra::core::ConvertListingBytes(input));
    });
}
