// SPDX-License-Identifier: GPL-3.0-or-later
// The entry navigation of a data store: the entry position (record, page,
// field, group, active filters), where keying of the incomplete record goes
// on, the record shown with the texts of its fields, the command dispatcher
// DoCommand with its moves, automatic values, filters and groups, and the
// moves to data errors.
//
// It owns the position and nothing else: the bytes are the record store's,
// where the fields lie is the layout's, and its store (IPXEntryHost) says
// whether a value may be left and may refine four moves. A move that raises
// (an I/O error of the record store) leaves the record being written in
// memory, unsaved.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "../script/tehlist.h"
#include "dataowner.h"
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

// Converts a whole field text to a 32-bit integer as the data engine reads
// numbers: leading blanks, an optional sign, decimal digits, nothing after
// them, within the 32-bit range. False for anything else (also "0x7").
bool DataStrToInt(std::string_view text, int32_t& value);

// What the navigation asks of its store: whether a value may be left, where
// the data errors it moves to are kept, and the moves a store may refine
// (a viewer stays on the complete records). A store that keeps the moves as
// they are calls the navigation's own (AdvanceField, NextRecordInFile,
// GoToEntryEnd).
class IPXEntryHost {
public:
    // Whether the current field's value may be left.
    virtual bool ValidateCurrent() = 0;
    // Whether the verifier of double entry accepts the current value (typed
    // by the operator, or filled by the store).
    virtual bool VerifyCurrent(bool typed) = 0;
    // The list of data errors (and script messages).
    virtual TEHList& MessageList() = 0;
    // Whether the record after the last full record may be entered.
    virtual bool CanAppend() const = 0;
    // cmdToEnd.
    virtual void GoToEnd() = 0;
    // cmdNextRecord.
    virtual void NextRecord() = 0;
    // The field advance; completes the incomplete record after its last field.
    virtual void NextField() = 0;

protected:
    ~IPXEntryHost() = default;
};

class TPXEntryNavigation {
public:
    // Everything is borrowed and must outlive the navigation; `owner` may be
    // null. The position stands on record 1 until Start.
    TPXEntryNavigation(const TPXFieldLayout& layout, TPXRecordStore& records, IPXEntryHost& host,
                       IPXDataOwner* owner);
    TPXEntryNavigation(const TPXEntryNavigation&) = delete;
    TPXEntryNavigation& operator=(const TPXEntryNavigation&) = delete;

    // Back to record 1 of an empty file, nothing entered (before a file is
    // opened).
    void Reset();
    // Stands on the record after the last complete one, after the record
    // store was opened; `incomplete` characters of an incomplete record were
    // read (0 for none). Fields before `autoBoundary` take no automatic value.
    void Start(int32_t incomplete, int32_t autoBoundary);

    // --- the record shown
    // Reads record Position().Rec as the record shown ("*" after the end of
    // the file).
    void LoadRecord();
    // Writes the record shown back (and flushes it) when it has unsaved
    // changes. On an I/O error the record stays in memory, still unsaved.
    void SaveRecord();
    // The text of field i in the current record (empty when never entered).
    std::string FieldText(int32_t i) const;
    void FieldTextInto(int32_t i, std::string& out) const;
    // FieldText as a view into the record shown, or into `scratch` when line
    // breaks had to be restored; valid until that record or scratch changes.
    std::string_view FieldView(int32_t i, std::string& scratch) const;
    // The text of field i in the last completed record.
    std::string PrevFieldText(int32_t i) const;
    // Stores a text into the current field Cur, padded or cut to its width.
    void StoreValue(std::string_view text);
    // 11 characters for the status bar: the identifier or "-----------".
    std::string RecordIdText() const;
    // Raises EPXData "Invalid record index." for numbers outside the file.
    void GoToRecord(int32_t n);
    // Whether the current record is the incomplete record.
    bool InIncomplete() const { return Records.FullRecords() < Context->Rec; }
    // Characters present in the incomplete record at opening (the position
    // of the entry field - 1); 0 when there is none.
    int32_t IncompleteLength() const;

    // --- moves
    // The command dispatcher: runs command a after validating the current
    // value when `validate` is set, then the automatic processing of new
    // ground. Queues OwnerRefresh. Raises EGeneric on I/O failures: a
    // completion that could not be written is not counted.
    void DoCommand(TPXCommand a, bool validate);
    // Moves to data error `index` of the message list; ignores bad indexes
    // and positions outside this file and script.
    void GoToError(int32_t index);
    // After a data check: no data error has been moved to yet.
    void ForgetErrorPosition() { ErrorIndex = -1; }

    // --- the moves a store may refine, as a data store makes them
    // The field advance: the next visitable field, across pages; after the
    // last field of the incomplete record the record is completed and
    // written, and the position goes to the new record.
    void AdvanceField();
    // To the next record, up to the incomplete one.
    void NextRecordInFile();
    // To the entry position of the incomplete record.
    void GoToEntryEnd();
    // To the last field that may be visited on the last page of the record.
    void EndOfRecord();

    // --- filters (also the data check's bookkeeping)
    // The filters defined by the current field's value, replacing its
    // earlier ones; with `afterEntry` only on new ground, and the ranges
    // ending at the field are closed.
    void EvaluateFilters(bool afterEntry);
    // Opens (starting) or closes the filter ranges whose first (last) label
    // is `label`; with `newRecordOnly` only in the incomplete record.
    void MarkRanges(const std::string& label, bool starting, bool newRecordOnly);

    // --- state
    TPXDataContext& Position() { return *Context; }
    const TPXDataContext& Position() const { return *Context; }
    int32_t EntryField() const { return EntryPos; }
    int32_t CurrentError() const { return ErrorIndex; }
    int32_t AutomaticBoundary() const { return AutoBoundary; }
    int64_t CompletedRecords() const { return Completions; }

private:
    // The entry position in an incomplete record of `n` characters read at
    // opening: the first field not wholly present (the last field when all
    // are), its characters read as not entered.
    void PlaceEntryInIncomplete(int32_t n);
    void ResetNewRecord();
    void SetEntryPosition(int32_t after);
    // The number of bytes of the current record that exist in the file:
    // all of them with the line end for a complete record, the characters
    // before the entry field for the incomplete one.
    size_t StoredBytes() const;
    const TPXFieldInstruction* FieldAt(int32_t i) const { return Layout.FieldAt(i); }
    const std::string& AutoText(int32_t i) const { return Layout.AutoText(i); }
    int32_t PageStartOf(int32_t i) const { return Layout.PageStartOf(i); }
    int32_t PageNumberOf(int32_t pageStart) const { return Layout.PageNumberOf(pageStart); }

    void PreviousField();
    void FirstFieldOnPage();
    void LastFieldOnPage();
    void FirstRecord();
    void FirstField();
    void PrevRecord_();
    void NextEntered();
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

    const TPXFieldLayout& Layout;
    const TPXInstructionList* Instructions;
    TPXRecordStore& Records;
    IPXEntryHost& Host;
    IPXDataOwner* Owner;
    std::unique_ptr<TPXDataContext> Context;
    int32_t EntryPos = 0;
    int32_t AutoBoundary = 0;
    int32_t ErrorIndex = -1;
    int64_t Completions = 0;
    bool TypedFill = false;  // AcceptTyped is filling the typed value
};

}  // namespace tallyra::core
