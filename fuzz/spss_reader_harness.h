// SPDX-License-Identifier: GPL-3.0-or-later
// The common body of the SPSS reader fuzz targets: a reader fills a variable
// set from the input, and the set read is then validated and written out as
// syntax text, as the export would. Any input must end in a variable set or a
// clear error (an ETallyraError, which the harness swallows); anything else —
// another exception, a crash, a hang, a sanitizer report — reaches the fuzzer
// as a finding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "shell/errors.h"
#include "spss/tvarcoll.h"

namespace tallyra::fuzz {

// Runs `read(vars, input)` on the fuzzer's bytes and everything the export
// does with a variable set after it. Always returns 0 (libFuzzer's "keep going").
template <typename Reader>
int RunSpssReader(const uint8_t* data, size_t size, Reader read) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    core::TVarColl vars;
    try {
        read(vars, input);
        vars.Validate();
        vars.DataListText("/fuzz/out.dat");
        vars.VariableLabelsText();
        vars.ValueLabelsText();
        vars.MissingValuesText();
    } catch (const core::ETallyraError&) {
    }
    return 0;
}

}  // namespace tallyra::fuzz
