// SPDX-License-Identifier: GPL-3.0-or-later
#include "keywordsnippets.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "script/keywords.h"

namespace tallyra::core {

namespace {

// The menu in order. Captions and texts are patterns: "{name}" stands for
// the keyword of that (lower-case) name, "{#}" for the default text width,
// and "|" in a text for the caret's place after insertion.
struct TSnippetRow {
    const char* Name;
    bool SeparatorBefore;
    const char* Caption;
    const char* Text;
    int LineBreaks;
};

constexpr TSnippetRow SnippetRows[KeywordSnippetCount] = {
    {"kome1", false, "{comment}=''*", "{comment}=''*", 1},
    {"kome2", false, "{comment}='...'*", "{comment}='|'*", 0},
    {"stro1", false, "{page}*", "{page}*", 2},
    {"lewy1", true, "{left}='...'*", "{left}='|'*", 0},
    {"praw1", false, "{right}='...'", "{right}='|'", 0},
    {"auto1", true, "{auto}=", "{auto}=", 0},
    {"etyk1", false, "{label}=", "{label}=", 0},
    {"gdy1", false, "{when}=[...][]", "{when}=[|][]", 0},
    {"sygn", false, "{signal}=[...][]", "{signal}=[|][]", 0},
    {"grup1", false, "{group}=", "{group}=", 0},
    {"szer1", false, "{width}=", "{width}=", 0},
    {"zakr1", false, "{range}=[...]", "{range}=[|]", 0},
    {"full", false, "{left}=' ' {width}= {auto}= {range}=[]",
     "{left}='|' {width}= {auto}= {range}=[]*", 0},
    {"text", false, "{left}=' ' {text} {width}={#} {auto}='\\ '",
     "{left}='|' {text} {width}={#} {auto}='\\ '*", 0},
};

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// Writes a pattern out; `caret` (when given) receives the offset of "|".
std::string Expand(std::string_view pattern, int defTextWidth, int* caret) {
    std::string out;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '|' && caret) {
            *caret = int(out.size());
        } else if (c == '{') {
            const size_t end = pattern.find('}', i);
            if (end == std::string_view::npos) {
                out += pattern.substr(i);
                break;
            }
            const std::string_view name = pattern.substr(i + 1, end - i - 1);
            if (name == "#") {
                out += std::to_string(defTextWidth);
            } else {
                // A name that is no keyword stays as written, where a test sees it.
                const TKeyword k = FindKeyword(Upper(name));
                out += k != kwNone && name == KeywordsLower[k] ? std::string(KeywordsLower[k])
                                                               : "{" + std::string(name) + "}";
            }
            i = end;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

TKeywordSnippet KeywordSnippet(int index, int defTextWidth) {
    if (index < 0 || index >= KeywordSnippetCount) return {};
    const TSnippetRow& row = SnippetRows[index];
    TKeywordSnippet s;
    s.Name = row.Name;
    s.SeparatorBefore = row.SeparatorBefore;
    s.Caption = Expand(row.Caption, defTextWidth, nullptr);
    s.Text = Expand(row.Text, defTextWidth, &s.CaretAt);
    s.LineBreaks = row.LineBreaks;
    return s;
}

bool EndsHelpWord(char c) {
    return c == ' ' || c == '\t' || c == '=' || c == ':' || c == '[' || c == ']' || c == '*' ||
           c == '\'' || c == '\r' || c == '\n';
}

std::string HelpWordAt(std::string_view line, size_t column) {
    const size_t col = std::min(column, line.size());
    size_t from = col, to = col;
    while (from > 0 && !EndsHelpWord(line[from - 1]))
        --from;
    while (to < line.size() && !EndsHelpWord(line[to]))
        ++to;
    std::string word(line.substr(from, to - from));
    for (char& ch : word)
        ch = char(std::tolower(static_cast<unsigned char>(ch)));
    return word;
}

int KeywordHelpContext(std::string_view word) {
    for (int k = 1; k <= KeywordCount; ++k)
        if (word.starts_with(KeywordsLower[k])) return HelpContextBase + k;
    return 0;
}

}  // namespace tallyra::core
