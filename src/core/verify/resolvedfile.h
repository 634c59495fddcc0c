// SPDX-License-Identifier: GPL-3.0-or-later
// The outcome of adjudicating two keyings: a new data file holding the full
// records of one of the compared files with the values the adjudicator chose
// put in place of the differing ones.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tallyra::core {

class TPXDictionary;
struct TFieldDifference;

// One chosen value: field `FieldIndex` (instruction index) of record
// `Record` (from 1) of the base file gets `Text`.
struct TResolvedValue {
    int32_t Record = 0;
    int32_t FieldIndex = 0;
    std::string Text;  // code page 1250; a text field's CR LF is stored as "\n"
};

// The value of a difference chosen for a base file that is the first
// (`baseIsFirst`) or the second of the compared files.
TResolvedValue ResolveDifference(const TFieldDifference& difference, bool baseIsFirst,
                                 std::string text);

// Writes `target`: every full record of `baseFile` in order (an incomplete
// last record is left out) with each resolved value in place. A text field's
// value is padded on the right with blanks to the field's width; a numeric
// value must fill the width exactly. The file is written under a temporary
// name in the target's folder and flushed; then an existing target is moved
// to its ".bak" name and the new file takes the target's name, so a failure
// never leaves a half-written target. `inputs` are the compared files (the
// base is added to them): a target or a backup name that is one of them is
// refused, so an input is never replaced. `script` is borrowed for the call.
// Raises EGeneric for those refusals, for a value outside the base file's
// records or fields, for a value that does not fit its field, for two values
// for one field, and on I/O errors (the system's text); EPXData with the
// station's mismatch text when the base file does not fit the script.
// Nothing is changed on failure.
void WriteResolvedFile(const TPXDictionary& script, const std::string& baseFile,
                       std::vector<TResolvedValue> values, const std::string& target,
                       const std::vector<std::string>& inputs);

}  // namespace tallyra::core
