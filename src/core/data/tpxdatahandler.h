// The data store of one data file under one checked script: what windows,
// the command line and tools call. It is a facade over parts with one job
// each:
//   - the records (recordstore.h): the file, its lock and backup, the record
//     buffers and the count of complete records;
//   - the entry navigation (tpxnavigation.cpp): the entry position, the
//     command dispatcher DoCommand and its moves, automatic values, filters
//     and groups;
//   - validation (tpxvalidation.cpp): whether a value may be left, the
//     verifier of double entry, the data check rules of one record, and the
//     moves to data errors;
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
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "../script/tehlist.h"
#include "../script/tpxdictionary.h"
#include "../script/tpxmessage.h"
#include "dataowner.h"
#include "datafile.h"
#include "entryverifier.h"
#include "fieldlayout.h"
#include "recordstore.h"
#include "tpxdatacontext.h"

namespace tallyra::core {

// DoCommand codes, the vocabulary between windows and the store.
enum TPXCommand : int {
    cmdFillConst = 0,
    cmdNextEntered = 1,
    cmdAcceptTyped = 2,
    cmdFirstError = 3,
    cmdLastError = 4,
    cmdNextError = 5,
    cmdPrevError = 6,
    cmdConfirmNext = 7,
    cmdToEnd = 8,
    cmdFirstRecord = 9,
    cmdFillFiltered = 10,
    cmdFillAuto = 11,
    cmdMarkUndefined = 12,
    cmdFillIdentifier = 13,
    cmdCopyPrevious = 14,
    cmdNextPage = 15,
    cmdLastFieldOnPage = 16,
    cmdFirstFieldOnPage = 17,
    cmdPrevPage = 18,
    cmdNextRecord = 19,
    cmdEndOfRecord = 20,
    cmdFirstField = 21,
    cmdPrevRecord = 22,
    cmdPrevField = 23,
};

// Data check mask bits (one per kind of data error, mcUndefinedValue to mcAutomaticOutsideGroup).
constexpr uint8_t CheckMaskAll = 255;

// Converts a whole field text to a 32-bit integer as the data engine reads
// numbers: leading blanks, an optional sign, decimal digits, nothing after
// them, within the 32-bit range. False for anything else (also "0x7").
bool DataStrToInt(std::string_view text, int32_t& value);

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

// One entry of the frequency list: the value text (with " (label)" appended
// for labelled numbers) and its count.
struct TFreqEntry {
    std::string Value;
    int32_t Count = 0;
};
using TFreqList = std::vector<TFreqEntry>;

class TPXDataHandler {
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

    // --- virtual operations (the viewer's handler overrides 0, 1, 2 and 4)
    // Whether the record after the last full record may be entered.
    virtual bool CanAppend() const { return true; }
    // cmdToEnd: the entry position of the incomplete record.
    virtual void GoToEnd();
    // cmdNextRecord.
    virtual void NextRecord();
    // The field advance; completes the incomplete record after its last field.
    virtual void NextField();

    // --- records (tpxdatahandler.cpp, over TPXRecordStore): field texts of
    // the record shown and moves between records
    // Reads record Position().Rec as the record shown ("*" after the end of
    // the file).
    void LoadRecord();
    // Writes the record shown back (and flushes it) when it has unsaved
    // changes. On an I/O error the record stays in memory, still unsaved.
    void SaveRecord();
    // The text of field i in the current record (empty when never entered).
    std::string FieldText(int32_t i) const;
    // The text of field i in the last completed record.
    std::string PrevFieldText(int32_t i) const;
    // Stores a text into the current field Cur, padded or cut to its width.
    void StoreValue(std::string_view text);
    // 11 characters for the status bar: the identifier or "-----------".
    std::string RecordIdText() const;
    // Raises EPXData "Invalid record index." for numbers outside the file.
    void GoToRecord(int32_t n);

    // --- entry navigation (tpxnavigation.cpp): changes the position, the
    // record shown and, on completing a record, the file
    // The command dispatcher: runs command a after validating the current
    // value when `validate` is set, then the automatic processing of new
    // ground. Queues OwnerRefresh. Raises EGeneric on I/O failures: the
    // record being written stays in memory, unsaved, and a completion that
    // could not be written is not counted.
    void DoCommand(TPXCommand a, bool validate);
    // Moves to data error `index` of the message list; ignores bad indexes
    // and positions outside this file and script.
    void GoToError(int32_t index);

    // --- validation (tpxvalidation.cpp): asks, changes nothing but the
    // forced-value count
    // Whether the current field's value may be left (asks the owner whether
    // to force an out-of-range number).
    bool ValidateCurrent();
    // Asks the verifier about the current field's value when the current
    // record is the incomplete one; true without a verifier.
    bool VerifyCurrent(bool typed);

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

    // --- helpers for windows and tools
    // The store's message list (the script's, or the store's own when the
    // script has none).
    TEHList& MessageList();
    // Whether the current record is the incomplete record.
    bool InIncomplete() const { return Records.FullRecords() < Context->Rec; }
    // The field at instruction index i, or nullptr.
    const TPXFieldInstruction* FieldAt(int32_t i) const { return Layout.FieldAt(i); }
    int32_t InstructionCount() const { return Instructions->Count(); }
    const TPXInstructionList& InstructionList() const { return *Instructions; }
    // Characters present in the incomplete record at opening (the position
    // of the EntryPos field - 1); 0 when there is none.
    int32_t IncompleteLength() const;
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
    int64_t CompletedRecords() const { return Completions; }
    // Number of out-of-range values the owner chose to force since the store
    // was created.
    int64_t ForcedValues() const { return Forced; }
    // The verifier asked about every value of the incomplete record before it
    // is left (verify mode); borrowed, null for none.
    void SetVerifier(IPXEntryVerifier* verifier) { Verifier = verifier; }
    IPXEntryVerifier* EntryVerifier() const { return Verifier; }
    // Whether the file on disk holds more than its full records (the
    // incomplete record). Raises EGeneric on I/O errors.
    bool HasPartialRecord() const;
    // Cuts the file to its full records and forgets the incomplete record's
    // changes (nothing unsaved is left); the position moves to the new record.
    // Raises EGeneric on I/O errors (the file is then left as it was).
    void CutToFullRecords();

    // --- state, read through what it is
    // The number of complete records in the file.
    int32_t FullRecords() const { return Records.FullRecords(); }
    // The bytes of the record shown (L of them; "*" where nothing is entered).
    const std::string& CurrentRecord() const { return Records.Current(); }
    // The bytes of the last complete record (copy-previous, next identifier).
    const std::string& PreviousRecord() const { return Records.Previous(); }
    // Whether the record shown holds changes not yet written to the file.
    bool HasUnsavedChanges() const { return Records.Unsaved(); }
    // The instruction index of the field where keying of the incomplete
    // record goes on (past the last field when it is complete).
    int32_t EntryField() const { return EntryPos; }
    // The index of the data error last moved to in MessageList, -1 for none.
    int32_t CurrentError() const { return ErrorIndex; }
    // Fields before this instruction index take no automatic value while
    // keying (the tester's start at the cursor); 0 for a data file.
    int32_t AutomaticBoundary() const { return AutoBoundary; }
    // The entry position: record, page, field, group and active filters.
    // Windows and tools may move the field (Cur) directly; every other move
    // goes through DoCommand and the record calls.
    TPXDataContext& Position() { return *Context; }
    const TPXDataContext& Position() const { return *Context; }
    // The checked script the store works under (borrowed).
    TPXDictionary& Script() const { return *Dictionary; }
    // The window or tool asked about values and told about changes; may be
    // null.
    IPXDataOwner* DataOwner() const { return Owner; }

protected:
    TPXDataHandler(TPXDictionary& dictionary, IPXDataOwner* owner);
    // The opening algorithm of CreateForFile.
    void OpenFile(const std::string& fileName, bool makeBackup, bool readOnly = false);
    void OpenTemp(int32_t autoBoundary, const std::string& folder);
    // The entry position in an incomplete record of `n` characters read at
    // opening: the first field not wholly present (the last field when all
    // are), its characters read as not entered.
    void PlaceEntryInIncomplete(int32_t n);
    // Allocation and reset.
    void InitStore();
    void ResetNewRecord();
    void SetEntryPosition(int32_t after);

    // Entry navigation pieces (tpxnavigation.cpp).
    void PreviousField();
    void FirstFieldOnPage();
    void LastFieldOnPage();
    void FirstRecord();
    void FirstField();
    void PrevRecord_();
    void EndOfRecord();
    void NextEntered();
    void EvaluateFilters(bool afterEntry);
    void MarkRanges(const std::string& label, bool starting, bool newRecordOnly);
    void RebuildFilters();
    bool Visitable(int32_t i) const;
    bool QualifiesInMode(const TPXFieldInstruction& f) const;
    bool UpdateMode() const;
    void Execute(TPXCommand a);
    void FillValue(const std::string& text);
    void AcceptTail();
    void AcceptTyped();
    void FillIdentifier();
    void CopyPrevious();
    void MarkUndefined();
    void Refresh();
    void RefreshNow();
    void Sound(int kind);
    int32_t PageStartOf(int32_t i) const { return Layout.PageStartOf(i); }
    int32_t PageNumberOf(int32_t pageStart) const { return Layout.PageNumberOf(pageStart); }

    // The number of bytes of the current record that exist in the file:
    // all of them with the line end for a complete record, the characters
    // before the entry field for the incomplete one.
    size_t StoredBytes() const;
    // The one scan of the bulk passes: each complete record first..last in
    // file order loaded as the current record (Context->Rec set), then
    // `visit(record)`; stops early when it returns false. The record shown is
    // written first; the position and the record shown are not restored (see
    // TKeptPosition).
    template <class TVisit>
    void ScanRecords(int32_t first, int32_t last, TVisit&& visit);
    struct TKeptPosition;
    void FieldTextInto(int32_t i, std::string& out) const;
    // FieldText as a view into the record shown, or into `scratch` when line
    // breaks had to be restored; valid until that record or scratch changes.
    std::string_view FieldView(int32_t i, std::string& scratch) const;
    void AddDataError(int32_t record, int32_t field, int32_t code);
    void CheckRecord(int32_t record, uint8_t mask, std::vector<std::string_view>& texts,
                     std::vector<std::string>& scratch);

private:
    IPXDataOwner* Owner = nullptr;  // borrowed, may be null
    TPXDictionary* Dictionary;      // borrowed
    const TPXInstructionList* Instructions;
    TPXFieldLayout Layout;
    TPXRecordStore Records;
    std::unique_ptr<TPXDataContext> Context;
    int32_t ErrorIndex = -1;
    int32_t EntryPos = 0;
    int32_t AutoBoundary = 0;
    int64_t Completions = 0;
    int64_t Forced = 0;
    IPXEntryVerifier* Verifier = nullptr;
    bool TypedFill = false;  // AcceptTyped is filling the typed value
    std::unique_ptr<TPXMessageList> OwnMessages;
};

}  // namespace tallyra::core
