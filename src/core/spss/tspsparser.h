// SPDX-License-Identifier: GPL-3.0-or-later
// The SPSS syntax tokenizer and parser: reads DATA LIST, VARIABLE LABELS,
// VALUE LABELS and MISSING VALUES into a variable set.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "tvarcoll.h"

namespace tallyra::core {

constexpr uint8_t tkEnd = 1;
constexpr uint8_t tkIdent = 2;
constexpr uint8_t tkSymbol = 3;
constexpr uint8_t tkString = 4;
constexpr uint8_t tkInteger = 5;
constexpr uint8_t tkReal = 6;

class TSPSParser {
public:
    // `vars` is borrowed and filled; `source` is the whole file, which the
    // parser reads with its lines joined by CR LF.
    TSPSParser(TVarColl& vars, std::string_view source);
    TSPSParser(const TSPSParser&) = delete;
    TSPSParser& operator=(const TSPSParser&) = delete;

    // FindDataList, SkipDataListOptions, ReadDataList, ReadCommands. Raises
    // EParserError with the message, line and column.
    void Run();

    void NextToken(bool allowDot);
    void FindDataList();
    void SkipDataListOptions();
    void ReadDataList();
    void ReadCommands();
    void ReadVariableLabels();
    void ReadValueLabels();
    void ReadMissingValues();

    TVarColl& Vars;
    int32_t Pos = 1;
    int32_t Line = 1;
    int32_t Column = 1;
    std::string Source;
    uint8_t Kind = 0;
    std::string Token;
    char Symbol = 0;
    int64_t IntValue = 0;
    long double RealValue = 0;

private:
    // One entry of the DATA LIST: a name or "FIRST TO LAST", its columns and
    // its optional format.
    struct TDataListItem {
        std::string First, Second;  // Second: the name after TO, if any
        std::string Prefix;         // what the names of a TO list share
        int64_t FirstNumber = 1, LastNumber = 1;
        int64_t Start = 0, End = 0;  // columns
        bool IsString = false, DecimalsGiven = false;
        int64_t Decimals = 0;
        int64_t Count() const { return LastNumber - FirstNumber + 1; }
        int64_t Columns() const { return End - Start + 1; }
    };
    void ReadDataListNames(TDataListItem& item);
    // The columns are checked as soon as they are known: after the end
    // column, or after the token that shows there is none.
    void ReadDataListColumns(TDataListItem& item);
    void CheckDataListColumns(const TDataListItem& item) const;
    void ReadDataListFormat(TDataListItem& item);
    void AddDataListVariables(const TDataListItem& item);

    char Current() const;
    void Advance();
    // Blanks, "**" comments and SPSS comment commands: "*" or COMMENT at the
    // start of a line where a command begins, up to a line ending in ".", a
    // blank line or a line starting in its first column (the next command).
    void SkipBlanks();
    bool AtCommentCommand() const;
    void SkipCommentCommand();
    [[noreturn]] void Error(const std::string& message) const;
    [[noreturn]] void SyntaxError() const;
    bool IsSymbol(char c) const { return Kind == tkSymbol && Symbol == c; }
    bool IsIdent(std::string_view word) const { return Kind == tkIdent && Token == word; }
    bool IsNumber() const { return Kind == tkInteger || Kind == tkReal; }
    double NumberValue() const;
    // A variable list; ends at the first token for which `stop` holds.
    std::vector<TVar*> ReadVariableList(bool numberStops);
    int32_t IndexOf(const TVar* v) const;
    // Counts work done for variable lists, labels and missing values; raises
    // when a file asks for more than any real dictionary needs.
    void AddWork(size_t amount);

    int64_t Work = 0;
    // Per variable: value -> index of its value label, built when first needed.
    std::unordered_map<const TVar*, std::unordered_map<double, size_t>> LabelIndex;
};

}  // namespace tallyra::core
