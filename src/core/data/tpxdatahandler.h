// SPDX-License-Identifier: GPL-3.0-or-later
// The data store of one data file under one checked script: what windows,
// the command line and tools call. It is a facade over parts with one job
// each:
//   - the field layout (fieldlayout.h): where the fields lie, built once;
//   - the records (recordstore.h): the file, its lock and backup, the record
//     buffers and the count of complete records;
//   - the entry navigation (entrynavigation.h): the entry position, the
//     record shown with its field texts, the command dispatcher DoCommand
//     and its moves, automatic values, filters and groups;
//   - validation (tpxvalidation.cpp): whether a value may be left, the
//     verifier of double entry, and the data check rules of one record;
//   - the bulk passes (bulkpasses.cpp): the data check, frequencies and the
//     search by identifier, over one scan of the complete records that
//     leaves the entry position as it found it (the search excepted, which
//     moves to the record found).
// Each part changes only the state it names; a call that raises leaves the
// position where it was unless its comment says otherwise.
//
// Field texts: "*" marks a character not entered, "#" the undefined value, and
// "\n" inside a text field stands for a line break.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "../script/tehlist.h"
#include "../script/tpxdictionary.h"
#include "../script/tpxmessage.h"
#include "datafile.h"
#include "datamessage.h"
#include "dataowner.h"
#include "entrynavigation.h"
#include "entryverifier.h"
#include "fieldlayout.h"
#include "recordstore.h"
#include "tpxdatacontext.h"

namespace tallyra::core {

// Data check mask bits (one per kind of data error, mcUndefinedValue to mcAutomaticOutsideGroup).
constexpr uint8_t CheckMaskAll = 255;

// One entry of the frequency list: the value text (with " (label)" appended
// for labelled numbers) and its count.
struct TFreqEntry {
    std::string Value;
    int32_t Count = 0;
};
using TFreqList = std::vector<TFreqEntry>;

class TPXDataHandler : private IPXEntryHost {
public:
    // Opens or creates the data file and stands on the record after the last
    // full one. `dictionary` and `owner` are borrowed and must outlive the
    // store; owner may be null. With `makeBackup`, a non-empty file is first
    // copied to the same name with the extension ".bak". Raises EPXData (empty
    // text) for a file that does not fit the script, EGeneric for I/O
    // failures (the "in use" text when another store holds the file).
    static std::unique_ptr<TPXDataHandler> CreateForFile(TPXDictionary& dictionary, bool makeBackup,
                                                         IPXDataOwner* owner,
                                                         const std::string& fileName);
    // A store that only reads an existing data file (the data check and
    // frequencies of the command line): the file is opened under the reader
    // lock (OpenDataFileForReading), so it is refused with the "in use" text
    // while a store holds it and keeps stores out while it lives. No backup
    // is made and the file is never changed (a final Ctrl-Z is only
    // skipped); writing a record raises EGeneric. Raises as CreateForFile.
    static std::unique_ptr<TPXDataHandler> CreateForReading(TPXDictionary& dictionary,
                                                            IPXDataOwner* owner,
                                                            const std::string& fileName);
    // A store on a new empty temporary file "TYS.tmp" in the user's private
    // temporary folder (or in `folder` when given); the file is deleted when
    // the store is destroyed.
    static std::unique_ptr<TPXDataHandler> CreateTemp(TPXDictionary& dictionary,
                                                      int32_t autoBoundary, IPXDataOwner* owner,
                                                      const std::string& folder = std::string());
    virtual ~TPXDataHandler();
    TPXDataHandler(const TPXDataHandler&) = delete;
    TPXDataHandler& operator=(const TPXDataHandler&) = delete;

    // --- virtual operations (the viewer's store, TPDDataHandler, overrides
    // CanAppend, GoToEnd, NextRecord and NextField); the navigation makes
    // these moves through them
    // Whether the record after the last full record may be entered.
    bool CanAppend() const override { return true; }
    // cmdToEnd: the entry position of the incomplete record.
    void GoToEnd() override { Navigation.GoToEntryEnd(); }
    // cmdNextRecord: the next record, up to the incomplete one.
    void NextRecord() override { Navigation.NextRecordInFile(); }
    // Allocation and reset before a file is opened: both record buffers "*",
    // no complete record, nothing unsaved, the position on record 1.
    virtual void InitStore();
    // The field advance; completes the incomplete record after its last field.
    void NextField() override { Navigation.AdvanceField(); }

    // --- the record shown (the entry navigation)
    // Reads record Context().Rec as the record shown ("*" after the end of
    // the file).
    void LoadRecord() { Navigation.LoadRecord(); }
    // Writes the record shown back (and flushes it) when it has unsaved
    // changes. On an I/O error the record stays in memory, still unsaved.
    void SaveRecord() { Navigation.SaveRecord(); }
    // The text of field i in the current record (empty when never entered).
    std::string FieldText(int32_t i) const { return Navigation.FieldText(i); }
    // The text of field i in the last completed record.
    std::string PrevFieldText(int32_t i) const { return Navigation.PrevFieldText(i); }
    // Stores a text into the current field Cur, padded or cut to its width.
    void StoreValue(std::string_view text) { Navigation.StoreValue(text); }
    // 11 characters for the status bar: the identifier or "-----------".
    std::string RecordIdText() const { return Navigation.RecordIdText(); }
    // Raises EPXData "Invalid record index." for numbers outside the file.
    void GoToRecord(int32_t n) { Navigation.GoToRecord(n); }
    // Whether the current record is the incomplete record.
    bool InIncomplete() const { return Navigation.InIncomplete(); }
    // Characters present in the incomplete record at opening (the position
    // of the entry field - 1); 0 when there is none.
    int32_t IncompleteLength() const { return Navigation.IncompleteLength(); }

    // --- moves (the entry navigation): change the position, the record shown
    // and, on completing a record, the file
    // The command dispatcher: runs command a after validating the current
    // value when `validate` is set, then the automatic processing of new
    // ground. Queues OwnerRefresh. Raises EGeneric on I/O failures: the
    // record being written stays in memory, unsaved, and a completion that
    // could not be written is not counted.
    void DoCommand(TPXCommand a, bool validate) { Navigation.DoCommand(a, validate); }
    // Moves to data error `index` of the message list; ignores bad indexes
    // and positions outside this file and script.
    void GoToError(int32_t index) { Navigation.GoToError(index); }

    // --- validation (tpxvalidation.cpp): asks, changes nothing but the
    // forced-value count
    // Whether the current field's value may be left (asks the owner whether
    // to force an out-of-range number).
    bool ValidateCurrent() override;
    // Asks the verifier about the current field's value when the current
    // record is the incomplete one; true without a verifier.
    bool VerifyCurrent(bool typed) override;

    // --- bulk passes (bulkpasses.cpp): one scan of the complete records each;
    // the record shown is written first
    // Checks every full record (all) or the current one against the script;
    // the data errors replace the store's messages (at most 16000 are kept)
    // and the position moves to the first of them. Bits of `mask` choose the
    // eight kinds of error. On an I/O error the position is as it was.
    void CheckData(bool all, uint8_t mask);
    // Frequencies of field `field`'s values over all full records, in
    // case-insensitive order. The position is left unchanged, also when it
    // raises.
    TFreqList CountValues(int32_t field);
    // Moves to the record whose identifier is `text` (zero-padded to the
    // field's width), the incomplete record included. Raises EPXData when
    // there is no identifier field or no record holds it (the store then
    // stands where it started).
    void FindByIdentifier(std::string_view text);

    // --- the script and the file
    // The store's message list (the script's, or the store's own when the
    // script has none).
    TEHList& MessageList() override;
    // The field at instruction index i, or nullptr.
    const TPXFieldInstruction* FieldAt(int32_t i) const { return Layout.FieldAt(i); }
    int32_t InstructionCount() const { return Layout.Count(); }
    const TPXInstructionList& InstructionList() const { return Layout.Instructions(); }
    // Characters per record without CR LF.
    int32_t RecordChars() const { return Records.LineLength() - 2; }
    int32_t LineLength() const { return Records.LineLength(); }
    const std::string& FileName() const { return Records.Path(); }
    // The cached AutoValue of field i.
    const std::string& AutoText(int32_t i) const { return Layout.AutoText(i); }
    // Whether writing a record to the file has failed (a full disk, a file
    // size limit): the record is kept in memory and the text naming the file
    // was raised; a caller without a window ends its work on it.
    bool WriteFailed() const { return Records.WriteFailed(); }
    // Number of records completed since the store was created.
    int64_t CompletedRecords() const { return Navigation.CompletedRecords(); }
    // Number of out-of-range values the owner chose to force since the store
    // was created.
    int64_t ForcedValues() const { return Forced; }
    // The verifier asked about every value of the incomplete record before it
    // is left (verify mode); borrowed, null for none.
    void SetVerifier(IPXEntryVerifier* verifier) { Verifier = verifier; }
    IPXEntryVerifier* EntryVerifier() const { return Verifier; }
    // Whether the file on disk holds more than its full records (the
    // incomplete record). Raises EGeneric on I/O errors.
    bool HasPartialRecord() const { return Records.HasPartialRecord(); }
    // Cuts the file to its full records and forgets the incomplete record's
    // changes (nothing unsaved is left); the position moves to the new record.
    // Raises EGeneric on I/O errors (the file is then left as it was).
    void CutToFullRecords();

    // --- state, read through what it is
    // The number of complete records in the file.
    int32_t FullCount() const { return Records.FullRecords(); }
    // The bytes of the record shown (L of them; "*" where nothing is entered).
    const std::string& CurRecord() const { return Records.Current(); }
    // The bytes of the last complete record (copy-previous, next identifier).
    const std::string& PrevRecord() const { return Records.Previous(); }
    // Whether the record shown holds changes not yet written to the file.
    bool Dirty() const { return Records.Unsaved(); }
    // The instruction index of the first field not yet entered in the
    // incomplete record (the number of instructions + 1 when there is none).
    int32_t EntryPos() const { return Navigation.EntryField(); }
    // The index of the data error last moved to in MessageList, -1 for none.
    int32_t ErrorIndex() const { return Navigation.CurrentError(); }
    // Fields before this instruction index take no automatic value while
    // keying (the tester's start at the cursor); 0 for a data file.
    int32_t AutoBoundary() const { return Navigation.AutomaticBoundary(); }
    // The entry position: record, page, field, group and active filters.
    // Windows and tools may move the field (Cur) directly; every other move
    // goes through DoCommand and the record calls.
    TPXDataContext& Context() { return Navigation.Position(); }
    const TPXDataContext& Context() const { return Navigation.Position(); }
    // The checked script the store works under (borrowed).
    TPXDictionary& Dictionary() const { return *Script; }
    // The window or tool asked about values and told about changes; may be
    // null.
    IPXDataOwner* Owner() const { return DataOwner; }

protected:
    TPXDataHandler(TPXDictionary& dictionary, IPXDataOwner* owner);
    // The opening algorithm of CreateForFile.
    void OpenFile(const std::string& fileName, bool makeBackup, bool readOnly = false);
    // For the viewer's moves.
    void EndOfRecord() { Navigation.EndOfRecord(); }

private:
    void OpenTemp(int32_t autoBoundary, const std::string& folder);

    // The one scan of the bulk passes: each complete record first..last in
    // file order loaded as the current record (Context().Rec set), then
    // `visit(record)`; stops early when it returns false. The position and
    // the record shown are not restored (see TKeptPosition).
    template <class TVisit>
    void ScanRecords(int32_t first, int32_t last, TVisit&& visit);
    struct TKeptPosition;
    void AddDataError(int32_t record, int32_t field, int32_t code);
    // The data check rules over one record loaded as the record shown.
    void CheckRecord(int32_t record, uint8_t mask, std::vector<std::string_view>& texts,
                     std::vector<std::string>& scratch);

    IPXDataOwner* DataOwner = nullptr;  // borrowed, may be null
    TPXDictionary* Script;              // borrowed
    TPXFieldLayout Layout;
    TPXRecordStore Records;
    TPXEntryNavigation Navigation;
    int64_t Forced = 0;
    IPXEntryVerifier* Verifier = nullptr;
    std::unique_ptr<TPXMessageList> OwnMessages;
};

}  // namespace tallyra::core
