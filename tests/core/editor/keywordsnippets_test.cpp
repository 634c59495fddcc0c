// SPDX-License-Identifier: GPL-3.0-or-later
// The keyword menu's snippets and the help topic of the word at the caret.
#include "editor/keywordsnippets.h"

#include <gtest/gtest.h>

using namespace tallyra::core;

TEST(KeywordSnippet, TheMenuInOrderWithCaptionsTextsAndCaretPlaces) {
    const struct {
        const char* Name;
        bool Separator;
        const char* Caption;
        const char* Text;
        int CaretAt;
        int LineBreaks;
    } cases[KeywordSnippetCount] = {
        {"kome1", false, "comment=''*", "comment=''*", -1, 1},
        {"kome2", false, "comment='...'*", "comment=''*", 9, 0},
        {"stro1", false, "page*", "page*", -1, 2},
        {"lewy1", true, "left='...'*", "left=''*", 6, 0},
        {"praw1", false, "right='...'", "right=''", 7, 0},
        {"auto1", true, "auto=", "auto=", -1, 0},
        {"etyk1", false, "label=", "label=", -1, 0},
        {"gdy1", false, "when=[...][]", "when=[][]", 6, 0},
        {"sygn", false, "signal=[...][]", "signal=[][]", 8, 0},
        {"grup1", false, "group=", "group=", -1, 0},
        {"szer1", false, "width=", "width=", -1, 0},
        {"zakr1", false, "range=[...]", "range=[]", 7, 0},
        {"full", false, "left=' ' width= auto= range=[]", "left='' width= auto= range=[]*", 6, 0},
        {"text", false, "left=' ' text width=37 auto='\\ '", "left='' text width=37 auto='\\ '*", 6,
         0},
    };
    for (int i = 0; i < KeywordSnippetCount; ++i) {
        const TKeywordSnippet s = KeywordSnippet(i, 37);
        const auto& c = cases[i];
        EXPECT_STREQ(s.Name, c.Name) << i;
        EXPECT_EQ(s.SeparatorBefore, c.Separator) << i;
        EXPECT_EQ(s.Caption, c.Caption) << i;
        EXPECT_EQ(s.Text, c.Text) << i;
        EXPECT_EQ(s.CaretAt, c.CaretAt) << i;
        EXPECT_EQ(s.LineBreaks, c.LineBreaks) << i;
    }
}

TEST(KeywordSnippet, AnIndexOutsideTheMenuGivesAnEmptySnippet) {
    for (int i : {-1, KeywordSnippetCount, 1000}) {
        const TKeywordSnippet s = KeywordSnippet(i, 40);
        EXPECT_STREQ(s.Name, "") << i;
        EXPECT_TRUE(s.Caption.empty()) << i;
        EXPECT_TRUE(s.Text.empty()) << i;
    }
}

TEST(KeywordSnippet, TheTextWidthIsWrittenAsItStands) {
    EXPECT_EQ(KeywordSnippet(13, 255).Text, "left='' text width=255 auto='\\ '*");
    EXPECT_EQ(KeywordSnippet(13, 1).Caption, "left=' ' text width=1 auto='\\ '");
}

TEST(HelpWordAt, TakesTheWordAroundTheColumnInLowerCase) {
    const std::string_view line = "varlab='x'* labels=a xyz LEFT\tWhen[";
    const struct {
        size_t Column;
        const char* Word;
    } cases[] = {
        {0, "varlab"}, {2, "varlab"}, {6, "varlab"},  // the end of a word still takes it
        {7, ""},       {8, "x"},      {14, "labels"}, {20, "a"}, {27, "left"},
        {29, "left"},  {31, "when"},  {35, ""},       {500, ""},  // past the end: clamped to the
                                                                  // end
    };
    for (const auto& c : cases)
        EXPECT_EQ(HelpWordAt(line, c.Column), c.Word) << c.Column;
    EXPECT_EQ(HelpWordAt("", 0), "");
    EXPECT_EQ(HelpWordAt("range:", 3), "range");
}

TEST(KeywordHelpContext, TheFirstKeywordThatBeginsTheWord) {
    const std::pair<const char*, int> cases[] = {
        {"left", 701},   {"leftover", 701}, {"labels", 703}, {"varlab", 720},
        {"vallab", 721}, {"height", 722},   {"recid", 714},  {"lef", 0},
        {"xyz", 0},      {"", 0},           {"LEFT", 0},  // the word is lower case already
    };
    for (const auto& [word, context] : cases)
        EXPECT_EQ(KeywordHelpContext(word), context) << word;
}
