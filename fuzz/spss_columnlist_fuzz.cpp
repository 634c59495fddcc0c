// Fuzz target: the column list (.cdb) reader. Any input must end in a
// variable set or a clear error; the set read is then validated and written
// out as syntax text, as the export would.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "shell/errors.h"
#include "spss/tvarcoll.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    tallyra::core::TVarColl vars;
    try {
        vars.ReadColumnListText(input);
        vars.Validate();
        vars.DataListText("/fuzz/out.dat");
        vars.VariableLabelsText();
        vars.ValueLabelsText();
        vars.MissingValuesText();
    } catch (const tallyra::core::ETallyraError&) {
    }
    return 0;
}
