// SPDX-License-Identifier: GPL-3.0-or-later
// Double data entry: the comparison of two keyings of the same
// questionnaires, two data files written under one checked script. Full
// records are paired by the record identifier (or by record number) and
// compared field by field; the result is a plain value that the command line
// prints and an adjudication window can show and resolve.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tallyra::core {

class TPXDictionary;

// How the records of the two files are paired.
enum class TPairBy {
    Identifier,  // equal identifier text in both files (the script's recid field)
    Number,      // record n of the first file with record n of the second
};

// A record in one file: its key (the identifier's characters as stored, or
// the record number in decimal when pairing by number) and its number there.
struct TRecordKey {
    std::string Key;
    int32_t Record = 0;
};

// One field that differs between a pair of records.
struct TFieldDifference {
    std::string Key;           // the pair's record key
    int32_t RecordFirst = 0;   // record number (from 1) in the first file
    int32_t RecordSecond = 0;  // record number in the second file
    int32_t FieldIndex = 0;    // instruction index of the field
    std::string First;         // the field's characters as stored (code page 1250)
    std::string Second;
};

struct TComparisonResult {
    TPairBy By = TPairBy::Number;
    int32_t RecordsFirst = 0;  // full records of each file
    int32_t RecordsSecond = 0;
    int32_t Paired = 0;
    int32_t FieldCount = 0;      // field instructions (text and numeric) of the script
    int64_t FieldsCompared = 0;  // Paired x FieldCount
    // In the order of the first file's records, fields in script order.
    std::vector<TFieldDifference> Differences;
    // Records whose key the other file does not hold at all, each list in
    // its file's order.
    std::vector<TRecordKey> OnlyInFirst;
    std::vector<TRecordKey> OnlyInSecond;
    // Identifiers held by more than one record of a file, in the order of
    // their first occurrence. No record with such an identifier is paired,
    // nor listed as only in one file.
    std::vector<std::string> DuplicatesFirst;
    std::vector<std::string> DuplicatesSecond;

    // True when nothing at all was found: no difference, no record in one
    // file only, no repeated identifier.
    bool Agree() const;
    // Differences x 10 000 / FieldsCompared; 0 when nothing was compared.
    double RatePer10000() const;
};

// Called now and then with the records read so far out of the total of both
// files (for a progress gauge).
using TCompareProgress = std::function<void(int64_t done, int64_t total)>;

// The pairing used when none is asked for: by identifier when the script has
// a record identifier field, else by number.
TPairBy DefaultPairing(const TPXDictionary& script);

// Compares the full records of `first` and `second` under `script` (checked,
// borrowed for the call). Both files are only read: sequentially through a
// large buffer each, memory staying flat apart from the findings. Pairing by
// identifier takes one merging pass while both files hold their identifiers
// in ascending order; otherwise an index of the identifiers (about the
// identifier's width + 17 bytes per record of each file) finds the pairs, and
// pairs not at the same position in both files are read again by number.
// Incomplete last records are ignored. Raises EPXData carrying the station's
// mismatch text (DataMismatchText) for a file that does not fit the script,
// EGeneric with the system's text on I/O errors, EGeneric "No record
// identifier in the script." when pairing by identifier without one, and
// EGeneric when the script defines no data field.
TComparisonResult CompareDataFiles(const TPXDictionary& script, const std::string& first,
                                   const std::string& second, TPairBy by,
                                   const TCompareProgress& progress = nullptr);

// The summary of a comparison as lines ending in CR LF, selected for the
// current language.
std::string ComparisonSummaryText(const TComparisonResult& result);

// The variable names of the script's fields indexed by instruction index
// (empty for page breaks and comments), derived from the script file exactly
// as its variable set is (maxNameLength limits names derived from labels).
// Raises EGeneric when the file cannot be read again or no longer matches
// `script`.
std::vector<std::string> FieldVariableNames(const std::string& scriptFile,
                                            const TPXDictionary& script, int maxNameLength);

}  // namespace tallyra::core
