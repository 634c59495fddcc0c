// SPDX-License-Identifier: GPL-3.0-or-later
// Question templates: the script text of a whole questionnaire question
// (a group of numeric fields, a multi-choice question, a single-choice
// question with an "other" text field, a group of open-ended text fields)
// built from a few values, with the checks and warnings of their dialogs.
// Texts here are UTF-8 (they go into the editor); columns count characters.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tallyra::core {

constexpr int32_t nbLetters = 1;
constexpr int32_t nbNumbers = 2;

struct TInsGroup_Data {
    std::string Prefix;
    std::string Label;
    int32_t Count = 1;
    int32_t Width = 1;
    int32_t Numbering = nbNumbers;
    bool GroupFlag = false;
    bool Filtered = false;
};

struct TInsMulti_Data {
    std::string Prefix;
    std::string TextLabel;  // "which" in the language current at program start
    std::string FilterPrefix;
    int32_t Count = 1;
    int32_t TextCount = 0;
    int32_t Numbering = nbNumbers;
    bool NoneFlag = true;
    bool DontKnow = false;
    bool Segment = false;  // range kind: false value, true segment
    bool GroupFlag = false;
    bool Filtering = false;
    bool Filtered = false;
};

struct TInsSingle_Data {
    std::string Prefix;
    std::string TextLabel;  // "other" in the language current at program start
    int32_t Count = 3;
    int32_t TextCount = 1;
    int32_t TextPos = 3;
};

struct TInsOpen_Data {
    std::string Prefix;
    std::string TextLabel;
    int32_t Count = 4;
    int32_t Width = 40;
    bool FirstUse = true;
};

// The records with their program-start defaults (labels in the current language).
TInsMulti_Data DefaultMultiData();
TInsSingle_Data DefaultSingleData();

// The values as typed in a dialog's boxes.
struct TTemplateInput {
    std::string Prefix;
    std::string Label;
    std::string FilterPrefix;
    std::string Count;
    std::string TextCount;
    std::string Width;
    std::string TextPos;
};

// The outcome of checking a dialog's values: the first invalid value's text
// (empty when all are valid) with the box to focus, and the warnings.
enum class TTemplateBox { None, Prefix, Count, TextCount, Width, TextPos };
struct TTemplateCheck {
    std::string Error;
    TTemplateBox ErrorBox = TTemplateBox::None;
    std::vector<std::string> Warnings;  // each begins with "  - "
    bool Valid() const { return Error.empty(); }
};

// Each check reads the typed values into `data` (switches such as numbering
// are set by the caller beforehand) and reports.
TTemplateCheck CheckGroup(const TTemplateInput& input, TInsGroup_Data& data);
TTemplateCheck CheckMulti(const TTemplateInput& input, TInsMulti_Data& data);
TTemplateCheck CheckSingle(const TTemplateInput& input, TInsSingle_Data& data);
TTemplateCheck CheckOpen(const TTemplateInput& input, TInsOpen_Data& data);

// The warning question: the warnings joined (each after CR LF), cut to 150
// characters and "..." when longer than 153, inside the question text.
std::string WarningQuestion(const std::vector<std::string>& warnings);

// A generated block and where the caret goes afterwards: on line CaretLine of
// the block, at CaretColumn counted from the insertion column when
// ColumnFromInsertion (a caret on the block's first line), else from the
// start of that line.
struct TTemplateBlock {
    std::vector<std::string> Lines;
    int32_t CaretLine = 0;
    int32_t CaretColumn = 0;
    bool ColumnFromInsertion = true;
    // The text to insert: the lines with CR LF after each and one empty line.
    std::string Text() const;
};

// Builds the blocks. `underscore` is the underscore extension: without it
// every "_" of a label becomes "x".
TTemplateBlock GenerateGroup(const TInsGroup_Data& data, int32_t countDigitsTyped, bool underscore);
TTemplateBlock GenerateMulti(const TInsMulti_Data& data, bool multi1, int32_t defTextWidth,
                             bool underscore);
TTemplateBlock GenerateSingle(const TInsSingle_Data& data, int32_t defTextWidth, bool underscore);
TTemplateBlock GenerateOpen(const TInsOpen_Data& data, bool underscore);

// Number of characters of a UTF-8 text.
int32_t Utf8Length(const std::string& text);

}  // namespace tallyra::core
