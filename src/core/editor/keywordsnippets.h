// SPDX-License-Identifier: GPL-3.0-or-later
// The script editor's keyword menu and keyword help, as one table: the
// fourteen snippets the menu inserts (caption, text, where the caret goes),
// and the rule that finds the help topic of the keyword at the caret. Every
// function returns a fresh value and raises nothing; the snippets are plain
// ASCII, so their byte offsets are character offsets in the editor.
#pragma once

#include <string>
#include <string_view>

namespace tallyra::core {

constexpr int KeywordSnippetCount = 14;

// One menu item, made for a default text width.
struct TKeywordSnippet {
    const char* Name = "";         // the menu item's object name ("kome1")
    bool SeparatorBefore = false;  // a separator stands in front of it in the menu
    std::string Caption;           // what the menu shows (no accelerator mark)
    std::string Text;              // what is inserted (plain ASCII)
    int CaretAt = -1;              // the caret's offset into Text; -1 after the text
    int LineBreaks = 0;            // line breaks added after the text
};

// Snippet `index` (0..KeywordSnippetCount-1, in menu order) with
// `defTextWidth` written into the text-field snippet. An index outside the
// range gives an empty snippet (empty Name, Caption and Text).
TKeywordSnippet KeywordSnippet(int index, int defTextWidth);

// Whether `c` ends a word for keyword help: blanks, line ends and
// = : [ ] * '.
bool EndsHelpWord(char c);

// The word around byte `column` of `line` (column clamped to the line), in
// lower case: the bytes on both sides up to a character that ends a word.
std::string HelpWordAt(std::string_view line, size_t column);

// The help context of keyword help for a lower-case word: 700 plus the
// number of the first keyword (1..22) that begins the word, or 0 when none
// does (an empty word included).
int KeywordHelpContext(std::string_view word);

// The context of the first keyword's page; keyword k has HelpContextBase + k.
constexpr int HelpContextBase = 700;

}  // namespace tallyra::core
