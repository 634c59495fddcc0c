// SPDX-License-Identifier: GPL-3.0-or-later
#include "tspsparser.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

#include "../script/tpxdictionary.h"
#include "../shell/errors.h"
#include "../shell/format.h"
#include "../shell/langtext.h"

namespace tallyra::core {

namespace {

// No source may make the set grow past this many variables.
constexpr int64_t MaxVariables = 1000000;
// Nor make the commands after DATA LIST touch more variables and labels.
constexpr int64_t MaxWork = 5000000;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A whole decimal number of at most 18 digits; false for anything else.
bool ParseDecimal(std::string_view text, int64_t& value) {
    if (text.empty() || text.size() > 18) return false;
    value = 0;
    for (char c : text) {
        if (!IsDigit(c)) return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

}  // namespace

TSPSParser::TSPSParser(TVarColl& vars, std::string_view source)
    : Vars(vars), Source(JoinLinesCRLF(source)) {}

void TSPSParser::Run() {
    FindDataList();
    SkipDataListOptions();
    ReadDataList();
    ReadCommands();
}

char TSPSParser::Current() const {
    return Pos >= 1 && static_cast<size_t>(Pos) <= Source.size()
               ? Source[static_cast<size_t>(Pos - 1)]
               : '\0';
}

void TSPSParser::Advance() {
    const char c = Current();
    if (c != '\r' && c != '\n') ++Column;
    ++Pos;
    if (Current() == '\r' && static_cast<size_t>(Pos) <= Source.size()) {
        ++Line;
        Column = 1;
    }
}

bool TSPSParser::AtCommentCommand() const {
    // At the start of a line...
    if (Column != 1 || static_cast<size_t>(Pos) > Source.size()) return false;
    const std::string_view rest = std::string_view(Source).substr(static_cast<size_t>(Pos - 1));
    const bool star = rest.starts_with('*');
    bool word = rest.size() >= 7;
    for (size_t i = 0; word && i < 7; ++i)
        word = (rest[i] & ~0x20) == "COMMENT"[i];
    word = word && (rest.size() == 7 || rest[7] == ' ' || rest[7] == '\t' || rest[7] == '\r' ||
                    rest[7] == '\n');
    if (!star && !word) return false;
    // ...where a command begins: at the file's start, after a command's
    // closing "." or after a blank line.
    size_t i = static_cast<size_t>(Pos - 1);
    int breaks = 0;
    while (i > 0) {
        const char c = Source[i - 1];
        if (c == '\n') ++breaks;
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return c == '.' || breaks > 1;
        --i;
    }
    return true;
}

void TSPSParser::SkipCommentCommand() {
    // Line by line up to one ending in "." (blanks after it allowed), or up
    // to a blank line or a line that starts a command in its first column.
    const size_t size = Source.size();
    bool firstLine = true;
    while (static_cast<size_t>(Pos) <= size) {
        const size_t start = static_cast<size_t>(Pos - 1);
        size_t end = Source.find_first_of("\r\n", start);
        if (end == std::string::npos) end = size;
        const std::string_view line = std::string_view(Source).substr(start, end - start);
        const size_t last = line.find_last_not_of(" \t");
        if (!firstLine && (last == std::string_view::npos || (line[0] != ' ' && line[0] != '\t')))
            return;
        while (static_cast<size_t>(Pos) <= size && Current() != '\r' && Current() != '\n')
            Advance();
        if (last != std::string_view::npos && line[last] == '.') return;
        while (static_cast<size_t>(Pos) <= size && (Current() == '\r' || Current() == '\n'))
            Advance();
        firstLine = false;
    }
}

void TSPSParser::SkipBlanks() {
    for (;;) {
        const size_t size = Source.size();
        const char c = Current();
        if (AtCommentCommand()) {
            SkipCommentCommand();
        } else if (static_cast<size_t>(Pos) <= size &&
                   (c == '\t' || c == '\n' || c == '\r' || c == ' ')) {
            Advance();
        } else if (static_cast<size_t>(Pos) < size && c == '*' &&
                   Source[static_cast<size_t>(Pos)] == '*') {
            while (static_cast<size_t>(Pos) <= size && Current() != '\r' && Current() != '\n')
                Advance();
        } else {
            return;
        }
    }
}

void TSPSParser::Error(const std::string& message) const {
    throw EParserError(
        FormatText(LangText("<EN>%s\r\nLine %d, column %d.<PL>%s\r\nLinia %d, kolumna %d."),
                   message.c_str(), Line, Column));
}

void TSPSParser::SyntaxError() const {
    Error(LangText("<EN>Syntax error.<PL>Błąd syntaktyczny."));
}

void TSPSParser::NextToken(bool allowDot) {
    if (Kind == tkEnd) return;
    SkipBlanks();
    const size_t size = Source.size();
    if (static_cast<size_t>(Pos) > size) {
        Kind = tkEnd;
        return;
    }
    const char c = Current();
    const char next = static_cast<size_t>(Pos) < size ? Source[static_cast<size_t>(Pos)] : '\0';
    if (c == '\'' || c == '"') {
        Token.assign(1, c);
        Advance();
        for (;;) {
            const char d = Current();
            if (static_cast<size_t>(Pos) > size || d == '\r' || d == '\n')
                Error(
                    LangText("<EN>Unterminated string: the quoted text does not end before "
                             "the end of the line.<PL>Niezakończony tekst: tekst w cudzysłowie nie "
                             "kończy się przed końcem linii."));
            Advance();
            if (d == c) {
                if (Current() == c && static_cast<size_t>(Pos) <= size) {
                    Token += c;
                    Advance();
                    continue;
                }
                Token += c;
                break;
            }
            Token += d;
        }
        Kind = tkString;
        return;
    }
    // A number may also start with its decimal point (".5"), as the writers
    // write values below one.
    if (IsDigit(c) || (c == '.' && allowDot && IsDigit(next))) {
        std::string text;
        char previous = 0;
        while (static_cast<size_t>(Pos) <= size) {
            const char d = Current();
            const bool take = IsDigit(d) || IsLetter(d) || d == '_' || (d == '.' && allowDot) ||
                              ((d == '+' || d == '-') && (previous == 'E' || previous == 'e'));
            if (!take) break;
            text += d;
            previous = d;
            Advance();
        }
        Token = text;
        if (text.find('.') == std::string::npos && text.find('E') == std::string::npos) {
            if (!ParseDecimal(text, IntValue))
                Error(LangText("<EN>Invalid integer.<PL>Nieprawidłowa liczba całkowita."));
            Kind = tkInteger;
        } else {
            errno = 0;
            char* end = nullptr;
            RealValue = std::strtold(text.c_str(), &end);
            const bool hexOrWord = text.find_first_of("xXnNiIpP") != std::string::npos;
            if (end == nullptr || *end != '\0' || errno == ERANGE || hexOrWord)
                Error(LangText("<EN>Invalid float.<PL>Nieprawidłowa liczba rzeczywista."));
            Kind = tkReal;
        }
        return;
    }
    if (IsLetter(c) || c == '_') {
        Token.clear();
        while (static_cast<size_t>(Pos) <= size) {
            char d = Current();
            if (!(IsLetter(d) || IsDigit(d) || d == '_' || d == '$')) break;
            if (d >= 'a' && d <= 'z') d = static_cast<char>(d - 32);
            Token += d;
            Advance();
        }
        Kind = tkIdent;
        return;
    }
    Symbol = c;
    Kind = tkSymbol;
    Advance();
}

double TSPSParser::NumberValue() const {
    return Kind == tkInteger ? static_cast<double>(IntValue) : static_cast<double>(RealValue);
}

void TSPSParser::FindDataList() {
    int matched = 0;  // how many of DATA, LIST, FILE followed each other
    while (matched < 3) {
        NextToken(true);
        if (Kind == tkEnd)
            Error(
                LangText("<EN>Unexpected end of file (no variables listed)."
                         "<PL>Nieoczekiwany koniec pliku (nie ma zmiennych)."));
        static const char* const Words[] = {"DATA", "LIST", "FILE"};
        if (IsIdent(Words[matched]))
            ++matched;
        else
            matched = IsIdent("DATA") ? 1 : 0;
    }
}

void TSPSParser::SkipDataListOptions() {
    NextToken(true);
    if (Kind == tkSymbol) {
        if (Symbol != '/' && Symbol != '=') SyntaxError();
        NextToken(true);
    }
    if (Kind != tkIdent && Kind != tkString) SyntaxError();
    for (;;) {
        NextToken(true);
        if (Kind == tkEnd)
            Error(
                LangText("<EN>Unexpected end of file (no variables listed)."
                         "<PL>Nieoczekiwany koniec pliku (nie ma zmiennych)."));
        if (IsSymbol('/')) return;
    }
}

void TSPSParser::ReadDataList() {
    NextToken(false);
    while (Kind != tkEnd && !IsSymbol('.')) {
        TDataListItem item;
        ReadDataListNames(item);
        ReadDataListColumns(item);
        ReadDataListFormat(item);
        if (item.Count() > 0) AddDataListVariables(item);
    }
}

void TSPSParser::ReadDataListNames(TDataListItem& item) {
    if (Kind != tkIdent) SyntaxError();
    item.First = Token;
    NextToken(false);
    if (IsIdent("TO")) {
        NextToken(false);
        if (Kind != tkIdent) SyntaxError();
        item.Second = Token;
        NextToken(false);
    }
    item.Prefix = item.First;
    if (item.Second.empty()) return;
    // The names share a prefix and end in the first and the last number.
    const std::string& first = item.First;
    const std::string& second = item.Second;
    size_t common = 0;
    while (common < first.size() && common < second.size() && first[common] == second[common])
        ++common;
    while (common > 0 && IsDigit(first[common - 1]))
        --common;
    item.Prefix = first.substr(0, common);
    if (!ParseDecimal(std::string_view(first).substr(common), item.FirstNumber) ||
        !ParseDecimal(std::string_view(second).substr(common), item.LastNumber))
        Error(LangText("<EN>Incorrectly defined variable range: "
                       "<PL>Niepoprawnie zdefiniowany przedział zmiennych: ") +
              first + " TO " + second + ".");
}

void TSPSParser::ReadDataListColumns(TDataListItem& item) {
    if (Kind != tkInteger) SyntaxError();
    item.Start = IntValue;
    item.End = item.Start;
    NextToken(false);
    if (IsSymbol('-')) {
        NextToken(false);
        if (Kind != tkInteger) SyntaxError();
        item.End = IntValue;
        CheckDataListColumns(item);
        NextToken(false);
    } else {
        CheckDataListColumns(item);
    }
}

void TSPSParser::CheckDataListColumns(const TDataListItem& item) const {
    // Columns must fit the record model's 32-bit positions.
    if (item.Start < 1 || item.End > std::numeric_limits<int32_t>::max() - 1) SyntaxError();
    const int64_t total = item.Columns();
    const int64_t count = item.Count();
    if (total >= 1 && (count <= 0 || total % count == 0)) return;
    std::string text = FormatText(LangText("<EN>Incorrect position range length: %s."
                                           "<PL>Niepoprawnia długość przedziału pozycji: %s."),
                                  std::to_string(total).c_str());
    text += "\r\n";
    if (!item.Second.empty())
        text += LangText("<EN>Variables <PL>Zmienne ") + item.First + " TO " + item.Second;
    else
        text += LangText("<EN>Variable <PL>Zmienna ") + item.First;
    Error(text + ".");
}

void TSPSParser::ReadDataListFormat(TDataListItem& item) {
    if (!IsSymbol('(')) return;
    NextToken(false);
    if (IsIdent("A")) {
        item.IsString = true;
    } else if (IsIdent("F")) {
        item.DecimalsGiven = true;
    } else if (Kind == tkInteger && IntValue <= 255) {
        item.DecimalsGiven = true;
        item.Decimals = IntValue;
    } else {
        SyntaxError();
    }
    NextToken(false);
    if (!IsSymbol(')')) SyntaxError();
    NextToken(false);
}

void TSPSParser::AddDataListVariables(const TDataListItem& item) {
    const int64_t count = item.Count();
    if (Vars.Count() + count > MaxVariables)
        Error(LangText("<EN>Too many variables.<PL>Zbyt wiele zmiennych."));
    const int64_t width = item.Columns() / count;
    int64_t column = item.Start;
    for (int64_t number = item.FirstNumber; number <= item.LastNumber; ++number) {
        auto v = Vars.NewVar();
        v->Name = item.Second.empty() ? item.First : item.Prefix + std::to_string(number);
        v->Start = static_cast<int32_t>(column);
        v->Width = static_cast<int32_t>(width);
        v->Decimals = static_cast<int32_t>(item.Decimals);
        column += width;
        const std::string w = std::to_string(width);
        if (item.IsString) {
            v->VarType = vtString;
            v->Format = "A" + w;
        } else {
            v->VarType = vtNumeric;
            v->Format =
                item.DecimalsGiven ? "F" + w + "." + std::to_string(item.Decimals) : "F" + w;
        }
        Vars.Add(std::move(v));
    }
}

void TSPSParser::ReadCommands() {
    for (;;) {
        NextToken(true);
        if (Kind == tkEnd) return;
        if (Kind != tkIdent) SyntaxError();
        if (Token == "VARIABLE")
            ReadVariableLabels();
        else if (Token == "VALUE")
            ReadValueLabels();
        else if (Token == "MISSING")
            ReadMissingValues();
        else
            return;
    }
}

void TSPSParser::ReadVariableLabels() {
    NextToken(true);
    if (!IsIdent("LABELS")) SyntaxError();
    for (;;) {
        NextToken(true);
        if (Kind == tkEnd || IsSymbol('.')) return;
        if (IsSymbol('/')) continue;
        if (Kind != tkIdent) SyntaxError();
        TVar* v = Vars.FindByName(Token);
        if (v == nullptr) SyntaxError();
        NextToken(true);
        if (Kind != tkString) SyntaxError();
        v->Label = Token.substr(1, Token.size() - 2);
    }
}

void TSPSParser::AddWork(size_t amount) {
    Work += static_cast<int64_t>(amount);
    if (Work > MaxWork)
        Error(
            LangText("<EN>Too many variables or value labels."
                     "<PL>Zbyt wiele zmiennych lub etykiet wartości."));
}

int32_t TSPSParser::IndexOf(const TVar* v) const {
    for (int32_t i = 0; i < Vars.Count(); ++i)
        if (Vars.Get(i) == v) return i;
    return -1;
}

std::vector<TVar*> TSPSParser::ReadVariableList(bool numberStops) {
    std::vector<TVar*> list;
    for (;;) {
        if (Kind == tkIdent) {
            TVar* v = Vars.FindByName(Token);
            if (v == nullptr) SyntaxError();
            NextToken(true);
            if (IsIdent("TO")) {
                NextToken(true);
                if (Kind != tkIdent) SyntaxError();
                TVar* last = Vars.FindByName(Token);
                if (last == nullptr) SyntaxError();
                const int32_t from = IndexOf(v), to = IndexOf(last);
                if (to <= from) SyntaxError();
                for (int32_t i = from; i <= to; ++i)
                    list.push_back(Vars.Get(i));
                NextToken(true);
            } else {
                AddWork(1);
                list.push_back(v);
            }
        } else if (IsSymbol(',')) {
            NextToken(true);
        } else if (numberStops ? (IsNumber() || IsSymbol('-') || Kind == tkString)
                               : IsSymbol('(')) {
            return list;
        } else {
            SyntaxError();
        }
    }
}

void TSPSParser::ReadValueLabels() {
    NextToken(true);
    if (!IsIdent("LABELS")) SyntaxError();
    NextToken(true);
    for (;;) {
        if (Kind == tkEnd || IsSymbol('.')) return;
        if (IsSymbol('/')) {
            NextToken(true);
            continue;
        }
        const std::vector<TVar*> list = ReadVariableList(true);
        // Labels of text values belong to string variables; the model's
        // values are numbers, so they are left out, and said so.
        while (Kind == tkString) {
            for (TVar* v : list)
                if (!v->IsString()) SyntaxError();
            NextToken(true);
            if (Kind != tkString) SyntaxError();
            AddWork(list.size());
            for (TVar* v : list)
                Vars.NoteStringValuesLeftOut(v->Name);
            NextToken(true);
        }
        // Pairs of value and text; a value may carry a minus sign, as the
        // writers write negative values.
        while (IsNumber() || IsSymbol('-')) {
            const bool negative = IsSymbol('-');
            if (negative) {
                NextToken(true);
                if (!IsNumber()) SyntaxError();
            }
            const double value = negative ? -NumberValue() : NumberValue();
            NextToken(true);
            if (Kind != tkString) SyntaxError();
            TVal label;
            label.Value = value;
            label.Text = Token.substr(1, Token.size() - 2);
            AddWork(list.size());
            // Zero has one key whatever its sign, as == compares it.
            const double key = value == 0 ? 0.0 : value;
            for (TVar* v : list) {
                auto known = LabelIndex.find(v);
                if (known == LabelIndex.end()) {
                    known = LabelIndex.emplace(v, std::unordered_map<double, size_t>()).first;
                    for (int32_t k = v->ValueLabels.Count() - 1; k >= 0; --k) {
                        const double existing = v->ValueLabels.Get(k).Value;
                        known->second[existing == 0 ? 0.0 : existing] = static_cast<size_t>(k);
                    }
                }
                const auto at = known->second.find(key);
                if (at != known->second.end()) {
                    v->ValueLabels.Items[at->second].Text = label.Text;
                } else {
                    known->second.emplace(key, v->ValueLabels.Items.size());
                    v->ValueLabels.Add(label);
                }
            }
            NextToken(true);
        }
    }
}

void TSPSParser::ReadMissingValues() {
    NextToken(true);
    if (!IsIdent("VALUES")) SyntaxError();
    NextToken(true);
    for (;;) {
        if (Kind == tkEnd || IsSymbol('.')) return;
        if (IsSymbol('/')) {
            NextToken(true);
            continue;
        }
        const std::vector<TVar*> list = ReadVariableList(false);
        for (TVar* v : list) {
            v->MissingCount = 0;
            v->MissingRange = false;
        }
        NextToken(true);
        // One bound: LOWEST or HIGHEST where `keyword` allows it, or a number
        // with an optional minus sign.
        const auto readValue = [&](const char* keyword, double keywordValue) {
            if (IsIdent(keyword)) {
                NextToken(true);
                return keywordValue;
            }
            const bool negative = IsSymbol('-');
            if (negative) NextToken(true);
            if (!IsNumber()) SyntaxError();
            const double value = negative ? -NumberValue() : NumberValue();
            NextToken(true);
            return value;
        };
        while (!IsSymbol(')')) {
            // A text is a missing value of string variables, which the model
            // cannot hold: left out, and said so.
            if (Kind == tkString) {
                AddWork(list.size());
                for (TVar* v : list) {
                    if (!v->IsString()) SyntaxError();
                    Vars.NoteStringValuesLeftOut(v->Name);
                }
                NextToken(true);
                if (IsSymbol(',')) NextToken(true);
                if (Kind == tkEnd) SyntaxError();
                continue;
            }
            const double low = readValue("LOWEST", SPSSLowest);
            bool range = false;
            double high = low;
            if (IsIdent("THRU")) {
                NextToken(true);
                high = readValue("HIGHEST", SPSSHighest);
                if (high < low) SyntaxError();
                range = high != low;
            } else if (low == SPSSLowest) {
                SyntaxError();
            }
            AddWork(list.size());
            for (TVar* v : list) {
                if (!range) {
                    if (v->MissingCount >= 3) SyntaxError();
                    v->MissingValues[v->MissingCount] = low;
                    ++v->MissingCount;
                } else {
                    if (v->MissingCount > 1) SyntaxError();
                    if (v->MissingCount == 1) v->MissingValues[2] = v->MissingValues[0];
                    v->MissingRange = true;
                    v->MissingValues[0] = low;
                    v->MissingValues[1] = high;
                    v->MissingCount = static_cast<uint8_t>(v->MissingCount + 2);
                }
            }
            if (IsSymbol(',')) NextToken(true);
            if (Kind == tkEnd) SyntaxError();
        }
        NextToken(true);
    }
}

}  // namespace tallyra::core
