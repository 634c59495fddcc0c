// SPDX-License-Identifier: GPL-3.0-or-later
// A survey as the collection server holds it: its name, the columns its
// records table gets from the script's variable model (one per field, typed
// numeric or text) and the field layout that identifies the survey's
// version. A script whose layout differs from the one a survey was set up
// with belongs to another version of the survey and is refused.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tallyra::core {

class TPXDictionary;

// How a field's value is stored: numeric fields as integer (up to 9
// characters) or bigint (wider: a script's numbers have at most 11); text
// fields as text.
enum class TColumnType { Integer, BigInt, Text };

struct TSurveyColumn {
    std::string Variable;  // the variable name `tallyra vars` prints ("AGE")
    std::string Name;      // the column: the variable name in lower case ("age")
    int32_t Column = 0;    // first character in the record, from 1
    int32_t Width = 0;
    TColumnType Type = TColumnType::Text;
    bool Identifier = false;  // the record identifier field
};

// The most fields a survey can have: the server's tables hold at most 1600
// columns, nine of which are the collection's own.
constexpr size_t MaxSurveyFields = 1591;

// The longest survey name: the history table adds "_history" to it within
// the server's 63 bytes of a name.
constexpr size_t MaxSurveyNameLength = 55;

class TSurveyLayout {
public:
    // The layout of `script` (a checked script with fields) under the name
    // `survey` (see SurveyNameProblem). Variable names are those of the
    // variable model with the default name length, whatever --var-size or a
    // setting says, so a survey's columns never depend on a user's choice.
    // Raises EGeneric for an invalid name, for more than MaxSurveyFields
    // fields and for a variable model that does not validate (an illegal or
    // repeated variable name), naming the name.
    TSurveyLayout(const TPXDictionary& script, std::string survey);

    const std::string& Survey() const { return Name; }
    const std::vector<TSurveyColumn>& Columns() const { return Fields; }
    // Bytes of one complete record, CR LF included.
    int32_t LineLength() const { return Length; }
    // The identifier column's index in Columns(), -1 when the script has none.
    int32_t IdentifierColumn() const { return Identifier; }
    // The layout as the survey catalog stores it: "record L" and then one
    // line per field, "NAME COLUMN WIDTH number|text", " recid" added for
    // the record identifier.
    const std::string& Text() const { return LayoutText; }

    // The record identifier of a record (UTF-8, as stored); nullopt when the
    // script has none or the field is blank or was never entered.
    std::optional<std::string> IdentifierOf(std::string_view record) const;

private:
    std::string Name;
    std::vector<TSurveyColumn> Fields;
    int32_t Length = 0;
    int32_t Identifier = -1;
    std::string LayoutText;
};

// The default survey name of a script: its file name without folder and
// extension, in lower case, with every character other than a-z, 0-9 and
// "_" made "_", cut to MaxSurveyNameLength.
std::string SurveyNameFromScript(const std::string& scriptPath);

// Why `name` cannot name a survey (a selected text), empty when it can: 1 to
// MaxSurveyNameLength characters of a-z, 0-9 and "_", not starting with
// "tallyra_" (the catalog's own tables).
std::string SurveyNameProblem(std::string_view name);

// The first difference of two layouts in words (selected text), for the
// refusal of a script whose layout changed: the field and both versions of
// it. Empty when they are the same.
std::string LayoutDifference(std::string_view stored, std::string_view script);

// The value of one field as its column stores it: nullopt for SQL NULL.
// Numbers (see ColumnNumber) as decimal text without leading zeros. Texts: NULL when never
// entered (all "*"); otherwise the text in UTF-8 with "\n" as a line break
// (CR LF) and trailing blanks removed; NUL bytes, which the server's text
// cannot hold, become U+FFFD.
std::optional<std::string> ColumnValue(const TSurveyColumn& column, std::string_view field);

// A numeric field's value: nullopt for a field of blanks and "*" (never
// entered), all "#" (undefined), and one that holds no number of at most 18
// digits (leading blanks, an optional sign and digits; the raw record keeps
// whatever it holds).
std::optional<int64_t> ColumnNumber(std::string_view field);

}  // namespace tallyra::core
