// SPDX-License-Identifier: GPL-3.0-or-later
// Saving a selection of a data file without its dialogs: the chosen records,
// and in each of them only the chosen fields packed side by side, go to a new
// data file, with a script describing exactly those fields and SPSS syntax
// (DATA LIST and VARIABLE LABELS) for it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "data/datafile.h"

namespace tallyra::core {

class TPXDictionary;

// The three files written under one chosen name N: N itself, N with ".slo"
// and N with ".sps" in place of its extension.
struct TSaveSelectionNames {
    std::string Data;
    std::string Script;
    std::string Syntax;
};
TSaveSelectionNames SaveSelectionNames(const std::string& outputName);

// Which records are kept: called with record numbers from 1 to FullCount,
// in ascending order.
using TRecordSelection = std::function<bool(int64_t record)>;
// A selection from a sorted list of record numbers (from 1); numbers past the
// last full record select nothing.
TRecordSelection RecordsFromSortedList(std::vector<int64_t> records);

struct TSaveSelectionSummary {
    int32_t Fields = 0;     // j: kept fields
    int32_t AllFields = 0;  // k: all field instructions
    int64_t Records = 0;    // i: kept records
    int64_t FullCount = 0;  // full records of the data file
    // The information text shown before the save ("Selected: ... fields, ...").
    std::string Information() const;
};

// The names of the files that already exist, in the order data, script,
// syntax, joined by "," and CR LF; empty when none exists. The caller asks
// before replacing them.
std::string ExistingSaveSelectionFiles(const TSaveSelectionNames& names);
// The Yes/No question for that list (title: LangText("<EN>Confirm<PL>Potwierdź"));
// anything but Yes leaves every file untouched.
std::string SaveSelectionOverwriteQuestion(const std::string& existing);

// Counts the selection and applies the refusals before any file is touched:
// raises EGeneric with "No records selected.", "No fields selected.",
// "All fields and all records selected.", for a field index outside the
// fields, for a data file that cannot be opened under the reader lock (the
// "in use" text while a store holds it), and for an output name that is the
// data file itself or the script `scriptFile` (when given), or that clashes
// with the new script or syntax name. `lock` says how the data file is
// opened (TDataFileLock::HeldByCaller when the caller's own store holds it).
TSaveSelectionSummary CheckSaveSelection(const TPXDictionary& script, const std::string& dataFile,
                                         const std::vector<int32_t>& fieldIndexes,
                                         const TRecordSelection& records,
                                         const std::string& outputName,
                                         const std::string& scriptFile = std::string(),
                                         TDataFileLock lock = TDataFileLock::Take);

// The whole save. The caller first writes any pending changes of the record
// being edited. `script` is a checked script with at least one field;
// fieldIndexes count the script's field instructions (text and numeric) from
// 0, in any order, repeats ignored; the kept fields keep the script's order.
// The data file is read under the reader lock and must fit the script as
// it does for the record store. The data file, then the script, then the
// syntax are each written under a temporary name that replaces the file only
// when it is complete: a failure leaves no partial file, and the files
// completed before it stay.
// Raises EGeneric (refusals as CheckSaveSelection, the station's mismatch
// text for a data file that does not fit the script, I/O errors naming the
// file, variable set errors such as a repeated variable name).
TSaveSelectionSummary SaveSelection(const TPXDictionary& script, const std::string& dataFile,
                                    const std::vector<int32_t>& fieldIndexes,
                                    const TRecordSelection& records, const std::string& outputName,
                                    int maxNameLength,
                                    const std::string& scriptFile = std::string(),
                                    TDataFileLock lock = TDataFileLock::Take);

}  // namespace tallyra::core
