// SPDX-License-Identifier: GPL-3.0-or-later
#include "surveylayout.h"

#include <algorithm>
#include <filesystem>

#include "../script/tpxdictionary.h"
#include "../script/tscriptoptions.h"
#include "../shell/cp1250.h"
#include "../shell/errors.h"
#include "../shell/format.h"
#include "../shell/langtext.h"
#include "../spss/tvarcoll.h"

namespace tallyra::core {

namespace {

std::string LowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return text;
}

TColumnType NumericType(int32_t width) {
    // Nine characters always fit an integer, sign or not.
    return width <= 9 ? TColumnType::Integer : TColumnType::BigInt;
}

std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace

TSurveyLayout::TSurveyLayout(const TPXDictionary& script, std::string survey)
    : Name(std::move(survey)), Length(script.LineLength) {
    if (const std::string problem = SurveyNameProblem(Name); !problem.empty())
        throw EGeneric(problem);
    TVarColl vars;
    vars.ReadScriptFields(script, DefaultSPSSVarSize);
    if (size_t(vars.Count()) > MaxSurveyFields)
        throw EGeneric(FormatText(LangText("<EN>The script has %d fields; a survey in the "
                                           "database can hold at most %d.<PL>Skrypt ma %d pól; "
                                           "badanie w bazie danych może mieć najwyżej %d."),
                                  int(vars.Count()), int(MaxSurveyFields)));
    vars.Validate();
    int32_t ordinal = 0;
    for (int32_t i = 0; i < script.Instructions.Count(); ++i) {
        const TPXFieldInstruction* f = script.Instructions.Field(i);
        if (!f || ordinal >= vars.Count()) continue;
        const TVar& v = *vars.Get(ordinal++);
        TSurveyColumn c;
        c.Variable = v.Name;
        c.Name = LowerAscii(v.Name);
        c.Column = f->Column;
        c.Width = f->Width;
        c.Type = f->IsText() ? TColumnType::Text : NumericType(f->Width);
        c.Identifier = i == script.RecIdIndex;
        if (c.Identifier) Identifier = int32_t(Fields.size());
        Fields.push_back(std::move(c));
    }
    LayoutText = "record " + std::to_string(Length) + "\n";
    for (const TSurveyColumn& c : Fields)
        LayoutText += c.Variable + " " + std::to_string(c.Column) + " " + std::to_string(c.Width) +
                      (c.Type == TColumnType::Text ? " text" : " number") +
                      (c.Identifier ? " recid" : "") + "\n";
}

std::optional<std::string> TSurveyLayout::IdentifierOf(std::string_view record) const {
    if (Identifier < 0) return std::nullopt;
    const TSurveyColumn& c = Fields[size_t(Identifier)];
    if (size_t(c.Column - 1 + c.Width) > record.size()) return std::nullopt;
    const std::string_view field = record.substr(size_t(c.Column - 1), size_t(c.Width));
    if (field.find_first_not_of(" *") == std::string_view::npos) return std::nullopt;
    return Cp1250ToUtf8(field);
}

std::string SurveyNameFromScript(const std::string& scriptPath) {
    std::string stem = std::filesystem::path(scriptPath).stem().string();
    std::string name;
    for (const char c : LowerAscii(stem))
        name += (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ? c : '_';
    if (name.size() > MaxSurveyNameLength) name.resize(MaxSurveyNameLength);
    if (name.empty()) name = "survey";
    if (name.rfind("tallyra_", 0) == 0) name = "survey_" + name.substr(0, MaxSurveyNameLength - 7);
    return name;
}

std::string SurveyNameProblem(std::string_view name) {
    bool valid = !name.empty() && name.size() <= MaxSurveyNameLength;
    for (const char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')) valid = false;
    if (valid && name.rfind("tallyra_", 0) != 0) return {};
    return FormatText(LangText("<EN>\"%s\" cannot name a survey: use 1 to %d lower-case letters "
                               "a-z, digits and \"_\", not starting with \"tallyra_\"."
                               "<PL>\"%s\" nie może być nazwą badania: dozwolone jest od 1 do %d "
                               "małych liter a-z, cyfr i znaków \"_\", bez początku "
                               "\"tallyra_\"."),
                      std::string(name).c_str(), int(MaxSurveyNameLength));
}

std::string LayoutDifference(std::string_view stored, std::string_view script) {
    const std::vector<std::string> a = Lines(stored), b = Lines(script);
    const std::string none = LangText("<EN>(none)<PL>(brak)");
    const auto line = [&none](const std::vector<std::string>& lines,
                              size_t i) -> const std::string& {
        return i < lines.size() ? lines[i] : none;
    };
    // The fields first: a changed field also changes the record's length.
    for (size_t i = 1; i < std::max(a.size(), b.size()); ++i)
        if (line(a, i) != line(b, i))
            return FormatText(LangText("<EN>Field %d: the database has \"%s\", the script \"%s\"."
                                       "<PL>Pole %d: w bazie danych jest \"%s\", w skrypcie "
                                       "\"%s\"."),
                              int(i), line(a, i).c_str(), line(b, i).c_str());
    if (line(a, 0) != line(b, 0))
        return FormatText(LangText("<EN>The database has \"%s\", the script \"%s\"."
                                   "<PL>W bazie danych jest \"%s\", w skrypcie \"%s\"."),
                          line(a, 0).c_str(), line(b, 0).c_str());
    return {};
}

std::optional<int64_t> ColumnNumber(std::string_view field) {
    if (field.find_first_not_of(" *") == std::string_view::npos) return std::nullopt;
    size_t i = field.find_first_not_of(' ');
    const bool negative = field[i] == '-';
    if (field[i] == '+' || field[i] == '-') ++i;
    if (i >= field.size() || field.size() - i > 18) return std::nullopt;
    int64_t value = 0;
    for (; i < field.size(); ++i) {
        if (field[i] < '0' || field[i] > '9') return std::nullopt;
        value = value * 10 + (field[i] - '0');
    }
    return negative ? -value : value;
}

std::optional<std::string> ColumnValue(const TSurveyColumn& column, std::string_view field) {
    if (column.Type != TColumnType::Text) {
        const auto n = ColumnNumber(field);
        if (!n) return std::nullopt;
        return std::to_string(*n);
    }
    if (field.find_first_not_of('*') == std::string_view::npos) return std::nullopt;
    std::string bytes;
    bytes.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 1 < field.size() && field[i + 1] == 'n') {
            bytes += "\r\n";
            ++i;
        } else {
            bytes += field[i];
        }
    }
    const size_t end = bytes.find_last_not_of(' ');
    bytes.resize(end == std::string::npos ? 0 : end + 1);
    if (bytes.find('\0') == std::string::npos) return Cp1250ToUtf8(bytes);
    std::string utf8;
    for (const char c : Cp1250ToUtf8(bytes)) {
        if (c == '\0')
            utf8 += "\xEF\xBF\xBD";
        else
            utf8 += c;
    }
    return utf8;
}

}  // namespace tallyra::core
