// SPDX-License-Identifier: GPL-3.0-or-later
// The readers of TVarColl for SPSS listings (.lst text, .spo RTF) and column
// lists (.cdb), and the RTF letter decoder.
#include <cmath>
#include <cstdlib>
#include <limits>

#include "../shell/errors.h"
#include "../shell/format.h"
#include "../shell/langtext.h"
#include "tspsparser.h"
#include "tvarcoll.h"

namespace tallyra::core {

namespace {

// Lines of a text: they end at CR LF, LF or CR; a final line break adds no
// empty line.
class TLineSource {
public:
    explicit TLineSource(std::string_view text) : Text(text) {}
    bool Next(std::string& line) {
        if (Pos >= Text.size()) return false;
        const size_t end = Text.find_first_of("\r\n", Pos);
        const size_t stop = end == std::string_view::npos ? Text.size() : end;
        line.assign(Text.substr(Pos, stop - Pos));
        Pos = stop;
        if (Pos < Text.size() && Text[Pos] == '\r') ++Pos;
        if (Pos < Text.size() && Text[Pos] == '\n') ++Pos;
        return true;
    }

private:
    std::string_view Text;
    size_t Pos = 0;
};

std::string TrimBlanks(std::string_view text, const char* blanks = " ") {
    const size_t b = text.find_first_not_of(blanks);
    if (b == std::string_view::npos) return std::string();
    const size_t e = text.find_last_not_of(blanks);
    return std::string(text.substr(b, e - b + 1));
}

std::string UpperAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return text;
}

bool ParseInt(std::string_view text, int64_t& value) {
    if (text.empty() || text.size() > 18) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

// A decimal number as a listing writes it; a decimal comma is read as a point.
bool ParseListingNumber(std::string text, double& value) {
    if (text.empty() || text.size() > 64) return false;
    for (char& c : text) {
        if (c == ',') c = '.';
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'E' || c == 'e'))
            return false;
    }
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end != nullptr && *end == '\0' && std::isfinite(value);
}

constexpr std::string_view Indent = "          ";  // 10 blanks

// The listing reader's line cursor.
class TListingLines {
public:
    explicit TListingLines(std::string_view text) : Lines(text) {}
    // Moves to the next line that is not empty after removing trailing
    // blanks and leading form feeds; false (the last line staying current)
    // at the end.
    bool Next() {
        std::string raw;
        while (Lines.Next(raw)) {
            ++Number;
            while (!raw.empty() && raw.back() == ' ')
                raw.pop_back();
            size_t feeds = 0;
            while (feeds < raw.size() && raw[feeds] == 12)
                ++feeds;
            raw.erase(0, feeds);
            if (raw.starts_with("\\par "))
                raw = TVarColl::DecodeRtfLetters(raw.substr(5));
            else if (raw == "\\par")
                raw.clear();
            if (raw.empty()) continue;
            Current = raw;
            return true;
        }
        AtEnd = true;
        return false;
    }

    std::string Current;
    int32_t Number = 0;
    bool AtEnd = false;

private:
    TLineSource Lines;
};

// The name on the first line of a variable's block and the label after it
// (without the position figures at the end of the line).
void ReadListingName(TVar& v, const std::string& first) {
    const size_t blank = first.find(' ');
    v.Name = UpperAscii(first.substr(0, blank));
    if (blank != std::string::npos) {
        std::string rest = first.substr(blank);
        while (!rest.empty() && rest.back() >= '0' && rest.back() <= '9')
            rest.pop_back();
        v.Label = TrimBlanks(rest);
    }
}

// The type the write format gives the variable, and the size part of the
// format ("8.2" of F8.2).
std::string ListingFormatSize(TVar& v, const std::string& format) {
    int64_t digits = 0;
    if (format.size() > 1 && format[0] == 'A' && ParseInt(format.substr(1), digits)) {
        v.VarType = vtString;
        return format.substr(1);
    }
    v.VarType = vtNumeric;
    size_t drop = 0;
    if (format.starts_with("COMMA"))
        drop = 5;
    else if (format.starts_with("DOLLAR"))
        drop = 6;
    else if (format.starts_with("DOT"))
        drop = 3;
    else if (format.starts_with("CC"))
        drop = 3;
    else if (format.starts_with("F") || format.starts_with("E"))
        drop = 1;
    else
        while (drop < format.size() && ((format[drop] >= 'A' && format[drop] <= 'Z') ||
                                        (format[drop] >= 'a' && format[drop] <= 'z')))
            ++drop;
    return drop < format.size() ? format.substr(drop) : std::string();
}

// The write format of the line: the variable's type, width and decimals,
// placed at `column`, which moves past it.
void ReadListingFormat(TVar& v, const TListingLines& lines, int64_t& column) {
    const std::string format = TrimBlanks(lines.Current.substr(lines.Current.find(':') + 1));
    const std::string size = ListingFormatSize(v, format);
    const size_t dot = size.find('.');
    int64_t width = 0, decimals = 0;
    const bool sizeOk = ParseInt(size.substr(0, dot), width) &&
                        (dot == std::string::npos || ParseInt(size.substr(dot + 1), decimals)) &&
                        width >= 1 && width <= 1000000 && decimals <= 255 &&
                        column + width < std::numeric_limits<int32_t>::max();
    if (!sizeOk)
        throw EGeneric(FormatText(LangText("<EN>Incorrect variable size %s in line %d."
                                           "<PL>Nieprawidłowa wielkość zmiennej %s w linii %d."),
                                  v.Name.c_str(), lines.Number));
    v.Width = static_cast<int32_t>(width);
    v.Decimals = static_cast<int32_t>(decimals);
    v.Start = static_cast<int32_t>(column);
    v.Format = format;
    column += width;
}

// The "Missing Values:" line: up to three values or a THRU range.
void ReadListingMissing(TVar& v, const TListingLines& lines) {
    const std::string& line = lines.Current;
    const size_t colon = line.find(": ");
    std::string rest = colon == std::string::npos ? std::string() : line.substr(colon + 2);
    int count = 0;
    size_t pos = 0;
    while (count < 3 && pos < rest.size()) {
        const size_t b = rest.find_first_not_of(' ', pos);
        if (b == std::string::npos) break;
        const size_t e = rest.find(' ', b);
        std::string word = rest.substr(b, e == std::string::npos ? std::string::npos : e - b);
        pos = e == std::string::npos ? rest.size() : e;
        if (!word.empty() && (word.back() == ',' || word.back() == ';')) word.pop_back();
        word = UpperAscii(word);
        if (word == "THRU") {
            v.MissingRange = true;
            continue;
        }
        double value = 0;
        if (word == "LOWEST")
            value = SPSSLowest;
        else if (word == "HIGHEST")
            value = SPSSHighest;
        else if (word != "*" && !ParseListingNumber(word, value))
            throw EGeneric(FormatText(LangText("<EN>Error reading missing values, line %d."
                                               "<PL>Błąd czytania missingów, linia %d."),
                                      lines.Number));
        if (word != "*") v.MissingValues[static_cast<size_t>(count)] = value;
        ++count;
    }
    v.MissingCount = static_cast<uint8_t>(count);
}

// The indented lines under "Value    Label", from the line after it; false
// when the text ended.
bool ReadListingValueLabels(TVar& v, TListingLines& lines) {
    bool inBlock = lines.Next();
    while (inBlock && lines.Current.starts_with(' ')) {
        const std::string entry = TrimBlanks(lines.Current);
        const size_t gap = entry.find(' ');
        double value = 0;
        if (!ParseListingNumber(entry.substr(0, gap), value))
            throw EGeneric(FormatText(LangText("<EN>Error reading labeled values, line %d."
                                               "<PL>Błąd czytania opisanych wartości, linia %d."),
                                      lines.Number));
        TVal label = v.NewVal();
        label.Value = value;
        label.Text = gap == std::string::npos ? std::string() : TrimBlanks(entry.substr(gap));
        const size_t mark = label.Text.find("M ");
        if (v.IsMissing(value) && mark != std::string::npos)
            label.Text = TrimBlanks(label.Text.substr(mark + 2));
        v.ValueLabels.Add(label);
        inBlock = lines.Next();
    }
    return inBlock;
}

// Moves to the first line of the first variable's block; false when the
// list is empty. Raises EGeneric when the text holds no list of variables.
bool FindListingVariables(TListingLines& lines) {
    const auto noInformation = [] {
        throw EGeneric(
            LangText("<EN>No information about variables in .LST/.SPO file."
                     "<PL>Brak informacji o zmiennych w pliku .LST/.SPO."));
    };
    const std::string title = "            List of variables on the working file";
    const std::string header = "Name" + std::string(67, ' ') + "Position";
    do {
        if (!lines.Next()) noInformation();
    } while (lines.Current.find(title) == std::string::npos);
    do {
        if (!lines.Next()) noInformation();
    } while (lines.Current.find(header) == std::string::npos);
    return lines.Next();
}

}  // namespace

std::string TVarColl::DecodeRtfLetters(std::string_view line) {
    static constexpr std::string_view Letters[] = {"b9", "e6", "ea", "b3", "f1", "f3",
                                                   "9c", "9f", "bf", "a5", "c6", "ca",
                                                   "a3", "d1", "d3", "8c", "8f", "af"};
    std::string out;
    out.reserve(line.size());
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 3 < line.size() + 0 && line[i + 1] == '\'') {
            const std::string_view hex = line.substr(i + 2, 2);
            bool known = false;
            for (std::string_view letter : Letters)
                known = known || hex == letter;
            if (known) {
                out += static_cast<char>(std::strtol(std::string(hex).c_str(), nullptr, 16));
                i += 3;
                continue;
            }
        }
        out += line[i];
    }
    return out;
}

void TVarColl::ReadListing(const std::string& fileName) {
    ReadListingText(LoadSourceFile(fileName));
}

void TVarColl::ReadListingText(std::string_view text) {
    TListingLines lines(text);
    if (!FindListingVariables(lines)) return;
    const std::string measurement = std::string(Indent) + "Measurement Level:";
    const std::string columnWidth = std::string(Indent) + "Column Width:";
    const std::string printFormat = std::string(Indent) + "Print Format:";
    const std::string writeFormat = std::string(Indent) + "Write Format:";
    const std::string missingValues = std::string(Indent) + "Missing Values:";
    const std::string valueLabel = std::string(Indent) + "Value    Label";
    int64_t column = 1;
    while (!lines.AtEnd) {
        auto v = NewVar();
        ReadListingName(*v, lines.Current);
        if (!lines.Next()) break;
        if (lines.Current.starts_with(measurement) && !lines.Next()) break;
        if (lines.Current.starts_with(columnWidth) && !lines.Next()) break;
        if (!lines.Current.starts_with(printFormat)) continue;  // the block is dropped
        const bool more = lines.Next();
        if (!more || !lines.Current.starts_with(writeFormat))
            throw EGeneric(FormatText(
                LangText("<EN>Syntax error in .LST/.SPO file, line %d, text\r\n%s"
                         "<PL>Błąd syntaktyczny w pliku .LST/.SPO, linia %d, text\r\n%s"),
                lines.Number, lines.Current.c_str()));
        ReadListingFormat(*v, lines, column);

        bool inBlock = lines.Next();
        while (inBlock && lines.Current.starts_with(' ')) {
            if (lines.Current.starts_with(missingValues)) {
                ReadListingMissing(*v, lines);
                inBlock = lines.Next();
            } else if (lines.Current.starts_with(valueLabel)) {
                inBlock = ReadListingValueLabels(*v, lines);
            } else {
                break;
            }
        }
        Add(std::move(v));
        if (!inBlock) break;
    }
}

void TVarColl::ReadColumnList(const std::string& fileName) {
    ReadColumnListText(LoadSourceFile(fileName));
}

void TVarColl::ReadColumnListText(std::string_view text) {
    TLineSource lines(text);
    std::string line;
    int32_t number = 0;
    const char* const blanks = " \t";
    while (lines.Next(line)) {
        ++number;
        const auto fail = [&](const std::string& message) {
            throw EGeneric(
                message + "\r\n" +
                FormatText(LangText("<EN>Line number: %d.<PL>Numer linii: %d."), number));
        };
        const auto integer = [&](const std::string& part) {
            int64_t value = 0;
            if (!ParseInt(part, value) || value > std::numeric_limits<int32_t>::max() - 1)
                fail(FormatText(LangText("<EN>\"%s\" is not a valid integer value."
                                         "<PL>\"%s\" nie jest poprawną liczbą całkowitą."),
                                part.c_str()));
            return value;
        };
        const size_t dash = line.find('-');
        const int64_t start = integer(TrimBlanks(line.substr(0, dash), blanks));
        std::string rest =
            dash == std::string::npos ? std::string() : TrimBlanks(line.substr(dash + 1), blanks);
        size_t blank = rest.find(' ');
        const int64_t end = integer(TrimBlanks(rest.substr(0, blank), blanks));
        rest = blank == std::string::npos ? std::string() : TrimBlanks(rest.substr(blank), blanks);
        blank = rest.find(' ');
        const std::string name = TrimBlanks(rest.substr(0, blank), blanks);
        std::string label =
            blank == std::string::npos ? std::string() : TrimBlanks(rest.substr(blank), blanks);
        std::erase(label, '\'');
        if (start < 1 || end < start)
            fail(LangText("<EN>Invalid column range.<PL>Nieprawidłowy przedział kolumn."));
        auto v = NewVar();
        v->Name = name;
        v->Label = label;
        v->Start = static_cast<int32_t>(start);
        v->Width = static_cast<int32_t>(end - start + 1);
        v->Decimals = 0;
        v->VarType = vtNumeric;
        v->Format = "F" + std::to_string(v->Width);
        Add(std::move(v));
    }
}

void TVarColl::ReadSyntax(const std::string& fileName) {
    ReadSyntaxText(LoadSourceFile(fileName));
}

void TVarColl::ReadSyntaxText(std::string_view text) {
    TSPSParser parser(*this, text);
    parser.Run();
}

}  // namespace tallyra::core
