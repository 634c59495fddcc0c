// SPDX-License-Identifier: GPL-3.0-or-later
// The outcome of adjudicating two keyings: a new data file holding the full
// records of one of the compared files with the values the adjudicator chose
// put in place of the differing ones. A chosen value passes its field's own
// rules, as in data entry, and it lands only in the record it was chosen
// for: the compared files are held under the reader lock while they are
// adjudicated and checked again before anything is written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "../shell/fdio.h"
#include "datacompare.h"

namespace tallyra::core {

class TPXDictionary;
class TPXFieldInstruction;

// How a chosen value stands against its field's rules.
enum class TChosenKind {
    Valid,       // may be written as it is
    Invalid,     // refused: Reason says why
    OutOfRange,  // a number outside the field's range: written only when forced
};

struct TChosenCheck {
    TChosenKind Kind = TChosenKind::Valid;
    // The field's characters the value becomes (code page 1250, the field's
    // width); set unless the value is Invalid.
    std::string Text;
    // Why the value is refused (selected for the current language); for
    // OutOfRange, the refusal when it is not forced.
    std::string Reason;
    // OutOfRange: the force question of data entry, with the field's range.
    std::string Question;
};

// Checks a value chosen for `field` (code page 1250) by the rules data entry
// applies when a field is left. A `typed` value is first made the field's
// characters as entry makes them: a number without its blanks is padded
// with leading zeros (after its sign), a text with blanks on the right, and
// a line break of a text becomes the stored "\n". A keying's value is taken
// as its characters. Then: longer than the field is Invalid; for a numeric
// field, all "#" (undefined) and the field's automatic value are Valid, a
// number inside the range is Valid, outside it OutOfRange, and anything else
// (blanks, letters, "1 2") Invalid. Texts are always Valid when they fit.
TChosenCheck CheckChosenValue(const TPXFieldInstruction& field, const std::string& text,
                              bool typed);

// One chosen value: field `FieldIndex` (instruction index) of record
// `Record` (from 1) of the base file gets `Text`.
struct TResolvedValue {
    int32_t Record = 0;
    int32_t FieldIndex = 0;
    std::string Text;  // the field's characters, code page 1250 (a text may be shorter)
    // The adjudicator forced this out-of-range number (CheckChosenValue
    // said OutOfRange); other out-of-range numbers are refused.
    bool Forced = false;
    // What the compared record held, checked before anything is written
    // when set: the characters of the record identifier field, and those of
    // this field.
    std::optional<std::string> Identifier;
    std::optional<std::string> Compared;
};

// The value of a difference chosen for a base file that is the first
// (`baseIsFirst`) or the second of the compared files, with what the base
// record held when it was compared (its identifier when records were paired
// by identifier, the field's characters in every case).
TResolvedValue ResolveDifference(const TFieldDifference& difference, TPairBy by, bool baseIsFirst,
                                 std::string text, bool forced = false);

// The two compared files held under the reader lock from before their
// comparison until the resolved file is written: no record store (the
// station, `tallyra enter`) can open them meanwhile, and anything else that
// changes them (an editor, a copy over them) is noticed by CheckUnchanged.
class TComparedFiles {
public:
    // Opens both files as every reader does (OpenDataFileForReading) and
    // notes what each is. Raises its EGeneric ("PATH: in use" and so on).
    TComparedFiles(const std::string& first, const std::string& second);
    TComparedFiles(const TComparedFiles&) = delete;
    TComparedFiles& operator=(const TComparedFiles&) = delete;

    const std::string& First() const { return Files[0].Name; }
    const std::string& Second() const { return Files[1].Name; }
    // Raises EGeneric naming the file when a name leads to another file now
    // or a file was written, cut or replaced since it was opened.
    void CheckUnchanged() const;

private:
    struct THeld {
        std::string Name;
        TFd Fd;
        dev_t Device = 0;
        ino_t Inode = 0;
        off_t Size = 0;
        int64_t Modified = 0;  // nanoseconds
        int64_t Changed = 0;
    };
    THeld Files[2];
};

// What WriteResolvedFile wrote.
struct TResolvedSummary {
    int64_t Records = 0;  // full records of the base file
    int64_t Values = 0;   // chosen values put in
    int64_t Forced = 0;   // of them forced out of range
};

// Writes `target`: every full record of `baseFile` in order (an incomplete
// last record is left out) with each resolved value in place. A text field's
// value is padded on the right with blanks to the field's width; a numeric
// value must fill the width exactly and pass CheckChosenValue (an
// out-of-range number only when Forced). The file is written under a
// temporary name in the target's folder and flushed; then an existing target
// is moved to its ".bak" name and the new file takes the target's name, so a
// failure never leaves a half-written target. `inputs` are the compared
// files (the base is added to them): a target or a backup name that is one
// of them is refused, so an input is never replaced; every input is held
// under the reader lock for the call. Before the new file takes its name,
// each record given a value must still hold the Identifier and Compared
// characters of its value, and `held` (borrowed; may be null) must find its
// files unchanged. `script` is borrowed for the call. Raises EGeneric for
// those refusals, for a value outside the base file's records or fields, for
// a value that does not fit its field or breaks its rules, for two values
// for one field, and on I/O errors (the system's text); EPXData with the
// station's mismatch text when the base file does not fit the script.
// Nothing is changed on failure.
TResolvedSummary WriteResolvedFile(const TPXDictionary& script, const std::string& baseFile,
                                   std::vector<TResolvedValue> values, const std::string& target,
                                   const std::vector<std::string>& inputs,
                                   const TComparedFiles* held = nullptr);

}  // namespace tallyra::core
