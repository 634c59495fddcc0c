// SPDX-License-Identifier: GPL-3.0-or-later
// Verify mode of double entry: a second operator keys the questionnaires
// again into a new data file while the first keying is the reference. Every
// value the verifier keys is compared with the same field of the reference
// record before the cursor leaves it:
// - equal: accepted;
// - different: the verifier hears the beep and is asked to key it again;
//   a second keying equal to the reference is the verifier's slip, a second
//   keying equal to the verifier's first one is a correction of the first
//   entry (recorded as a finding), anything else is asked for once more.
// Values the store fills itself (automatic, constant, filtered fields) are
// compared too; a difference there is a first-entry error without a question.
//
// The reference record is found by the record identifier once its field has
// a value (fields before the identifier field are then not compared), or by
// record number for a script without identifier. A record the reference
// does not hold (or holds twice) is keyed without verification after one
// information box at its first typed value.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "../data/entryverifier.h"
#include "datacompare.h"
#include "datainput.h"

namespace tallyra::core {

// A discrepancy between the two keyings that verify mode settled.
struct TVerifyFinding {
    enum class TKind {
        FirstEntryError,  // the verifier confirmed a value the first keying does not hold
        VerifierSlip,     // the verifier's first value was wrong; the reference stood
        Automatic,        // a value filled by the store differs from the reference
    };
    TKind Kind = TKind::FirstEntryError;
    std::string Key;         // identifier text, or record number in decimal
    int32_t Record = 0;      // record number in the file being keyed
    int32_t FieldIndex = 0;  // instruction index of the field
    std::string Reference;   // the first keying's characters, as stored
    std::string Keyed;       // the verifier's first (slip) or accepted value
};

class TEntryVerifier : public IPXEntryVerifier {
public:
    // Reads the first keying `referenceFile` once (under the reader lock, so
    // no store may hold it), checking that it fits `script` (borrowed, must
    // outlive the verifier), and indexes its identifiers when pairing by
    // identifier. Raises EPXData carrying DataMismatchText for a file that
    // does not fit, EGeneric with the system's text on I/O errors and for
    // pairing by identifier in a script without one.
    TEntryVerifier(const TPXDictionary& script, const std::string& referenceFile, TPairBy by);

    bool VerifyValue(TPXDataHandler& store, int32_t field, bool typed) override;

    TPairBy Pairing() const { return By; }
    const std::string& ReferenceName() const { return Reference.FileName(); }
    int32_t ReferenceRecords() const { return Reference.FullCount(); }
    // Values compared so far (typed and filled).
    int64_t Compared() const { return ComparedCount; }
    // Discrepancies that were the first keying's (corrections and automatic
    // values) and those that were the verifier's.
    int64_t FirstEntryErrors() const { return FirstErrors; }
    int64_t VerifierSlips() const { return Slips; }
    const std::vector<TVerifyFinding>& Findings() const { return Found; }
    // "Verified: N values, first entry errors: E, verifier slips: S" (the
    // current language).
    std::string SummaryText() const;

private:
    // The reference record (1-based) of the store's current record, or 0
    // when it has none (yet); informs the owner once per record, at the
    // first typed value.
    int32_t ReferenceOf(TPXDataHandler& store, int32_t field, bool typed);
    std::string RecordKey(const TPXDataHandler& store) const;

    const TPXDictionary& Script;
    TDataInput Reference;
    TPairBy By;
    int32_t IdentifierIndex = -1;
    // Identifier text -> record number; -1 for identifiers held twice.
    std::unordered_map<std::string, int32_t> Index;

    int32_t ForRecord = -1;  // the store record the reference below is for
    int32_t RefRecord = 0;
    bool Told = false;     // the owner heard that this record has no reference
    std::string RefBytes;  // the reference record's bytes
    // The verifier's first different value of the field asked again.
    int32_t PendingRecord = -1;
    int32_t PendingField = -1;
    std::string PendingValue;

    int64_t ComparedCount = 0;
    int64_t FirstErrors = 0;
    int64_t Slips = 0;
    std::vector<TVerifyFinding> Found;
};

}  // namespace tallyra::core
