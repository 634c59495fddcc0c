// SPDX-License-Identifier: GPL-3.0-or-later
// The script reader: turns a script text into its instruction list in one
// pass and checks it on the way, adding every problem to a message list the
// caller owns. After construction the object only holds results.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "../shell/filebytes.h"  // NormalizeLineEnds, for the readers of scripts
#include "readingprogress.h"
#include "tehlist.h"
#include "tpxinstruction.h"
#include "tscriptoptions.h"

namespace tallyra::core {

class TPXCompiler;
struct TPXReadState;

// The longest record a script may define. Simultaneous definitions multiply
// fields, so without a bound a few bytes of script could ask for millions of
// fields; a data record of a megabyte is far beyond any questionnaire.
constexpr int32_t MaxRecordLength = 1048576;

class TPXDictionary {
public:
    // Reads a script file: its lines joined with CR LF after every line, with
    // the fixed reading options. Raises EGeneric "Error opening script file"
    // with the full path when the file cannot be opened. `messages` and
    // `progress` are borrowed; progress may be null.
    TPXDictionary(const std::string& fileName, TEHList& messages,
                  IReadingProgress* progress = nullptr);
    // Reads a text with the given options.
    TPXDictionary(std::string_view text, const TScriptOptions& options, TEHList& messages,
                  IReadingProgress* progress = nullptr);
    virtual ~TPXDictionary();
    TPXDictionary(const TPXDictionary&) = delete;
    TPXDictionary& operator=(const TPXDictionary&) = delete;

    // The reading loop with its error recovery; ends with the end-of-script
    // checks unless the message list filled up.
    virtual void Read(std::string_view text, TEHList& messages);
    // Post-processing: drops a trailing page, fills the counts.
    void Finish();
    // Resolves a caret reference ("^name" or "name") to the last earlier
    // instruction with that label. Raises ECompilerError mcUndefinedLabel. Only valid
    // while reading.
    TPXRefInstruction* FindLabel(std::string_view reference);

    TPXInstructionList Instructions;
    TEHList* Messages = nullptr;  // borrowed
    int32_t PageCount = 1;
    int32_t RecordLength = 0;
    int32_t LineLength = 2;
    int32_t RecIdIndex = -1;
    TScriptOptions Options;

private:
    void Step();
    // The attribute a keyword starts, one step per keyword (each gets the
    // keyword that chose it); the token after the keyword is the next read.
    void ReadKeyword(int keyword);
    void ReadLeftOrComment(int keyword);
    void ReadRightOrVarLab(int keyword);
    void ReadRange(int keyword);
    void ReadLabel(int keyword);
    void ReadSize(int keyword);  // WIDTH, HEIGHT
    void ReadAuto(int keyword);
    void ReadTextFlag(int keyword);
    void ReadFlag(int keyword);  // PAGE, RECID, BEEP, CONST, UPDATE
    void ReadGroup(int keyword);
    void ReadFilter(int keyword);  // WHEN, SIGNAL
    void ReadCount(int keyword);   // REPEAT, ITEM
    void ReadVarName(int keyword);
    void ReadValLab(int keyword);
    void ReadNumRanges(std::unique_ptr<TNRangeList>& target);
    void ReadLabelRanges(TIRangeList& target);
    void ReadValueLabels(TPXValLabs& target);
    // The current token starts a reference ("^name"); the field or numeric
    // field it names.
    bool TokenIsRef() const;
    TPXFieldInstruction* RefField();
    TPXNumericInstruction* RefNumeric();
    void AddHint(int32_t code);
    void AddWarning(int32_t code);
    // Completion of an instruction at its asterisk, and the end checks.
    void Complete();
    // The steps of a field's completion: what it takes over from the last
    // field of its kind, then the checks of its attributes against each other.
    void CompleteField();
    void InheritFromPrevious(bool text);
    void CheckWidthLimit(bool text);
    void CheckCombinedAttributes();  // REPEAT, ITEM, RECID, CONST together
    void CheckRangeFits();           // the range against the width and the filters
    void CheckAutoFits(bool text);   // the automatic value against the field
    // The label of the instruction ends the references that wait for it.
    void ResolveLabel();
    void EndChecks();
    void CreateInstructions();
    std::unique_ptr<TPXFieldInstruction> BuildField();
    void CheckVarName(const std::string& left);
    void ReportProgress(int percent);

    IReadingProgress* Progress = nullptr;  // borrowed
    std::unique_ptr<TPXReadState> S;       // lives for one reading
};

// Joins the lines of a file's bytes with CR LF after every line (lines end
// at CR LF, LF or CR; a final line break adds no empty line).
std::string JoinLinesCRLF(std::string_view bytes);

// Line and column (both from 0) of a 0-based text offset, as the script
// editor places its caret for a message at offset + 1.
struct TCaret {
    int32_t Column;
    int32_t Line;
};
TCaret OffsetToCaret(std::string_view text, int32_t offset);

// The same for many offsets into one text: the line starts are found once.
class TLineIndex {
public:
    explicit TLineIndex(std::string_view text);
    TCaret Caret(int32_t offset) const;

private:
    std::vector<int64_t> Starts;  // offset of each line's first character
};

}  // namespace tallyra::core
