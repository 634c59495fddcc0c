// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "shell/errors.h"
#include "spss/spssexport.h"
#include "spss/tspsparser.h"
#include "spss/tvarcoll.h"

namespace tallyra::core {
namespace {

std::string Describe(const TVar& v) {
    std::string text =
        v.Name + " " + std::to_string(v.Start) + "+" + std::to_string(v.Width) + " " + v.Format;
    if (!v.Label.empty()) text += " '" + v.Label + "'";
    for (const TVal& label : v.ValueLabels.Items) {
        TVar copy = v;
        copy.Width = 20;
        text += " [" + copy.FormatValue(label.Value) + "=" + label.Text + "]";
    }
    if (v.MissingCount > 0) {
        TVar copy = v;
        copy.Width = 30;
        text += " (" + copy.MissingText() + ")";
    }
    return text;
}

std::vector<std::string> Read(const std::string& source) {
    TVarColl vars;
    vars.ReadSyntaxText(source);
    std::vector<std::string> lines;
    for (const auto& v : vars.Items)
        lines.push_back(Describe(*v));
    return lines;
}

TEST(ReadSyntax, DataListSeriesFormatsAndCommands) {
    struct Case {
        std::string source;
        std::vector<std::string> vars;
    };
    const Case cases[] = {
        {"DATA LIST FILE='a.dat' /V1 TO V3 1-6 Q 7 (A).",
         {"V1 1+2 F2", "V2 3+2 F2", "V3 5+2 F2", "Q 7+1 A1"}},
        {"data list file=h /Q08 TO Q10 1-3 X 4-9 (2) Y 10 (F).",
         {"Q8 1+1 F1", "Q9 2+1 F1", "Q10 3+1 F1", "X 4+6 F6.2", "Y 10+1 F1.0"}},
        // Comments start with two asterisks; one asterisk is not a comment.
        {"** a comment 'with an open quote\r\nDATA LIST FILE='a' /A 1\r\n.\r\n** VARIABLE LABELS A "
         "'x'.",
         {"A 1+1 F1"}},
        {"DATA LIST FILE='a' /A 1 B 2.\r\nVARIABLE LABELS A 'It''s' /B \"Say \"\"hi\"\"\".",
         {"A 1+1 F1 'It's'", "B 2+1 F1 'Say \"hi\"'"}},
        {"DATA LIST FILE='a' /A 1 B 2 C 3 D 4.\r\n"
         "VALUE LABELS A 1 'yes' 2 'no' /B TO D 9 'refused'.\r\n"
         "VALUE LABELS A 1 'YES'.",
         {"A 1+1 F1 [1=YES] [2=no]", "B 2+1 F1 [9=refused]", "C 3+1 F1 [9=refused]",
          "D 4+1 F1 [9=refused]"}},
        {"DATA LIST FILE='a' /A 1 B 2 C 3.\r\nMISSING VALUES A B (8, 9) /C (LOWEST THRU 0).",
         {"A 1+1 F1 (8, 9)", "B 2+1 F1 (8, 9)", "C 3+1 F1 (LOWEST thru 0)"}},
        {"DATA LIST FILE='a' /A 1-2 B 3-4 C 5-6.\r\n"
         "MISSING VALUES A (9 1 THRU 5) B (1 THRU HIGHEST) C (7 THRU 7 8).",
         {"A 1+2 F2 (1 thru 5, 9)", "B 3+2 F2 (1 thru HIGHEST)", "C 5+2 F2 (7, 8)"}},
        // Values as the writers write them: negative and below one.
        {"DATA LIST FILE='a' /X 1-4 (2).\r\nVALUE LABELS X -1 'neg' .5 'half'.\r\nMISSING VALUES X "
         "(-.25).",
         {"X 1+4 F4.2 [-1.00=neg] [.50=half] (-.25)"}},
        // SPSS comment commands, "*" or COMMENT where a command begins, run
        // to a line ending in ".", a blank line or the next line starting in
        // its first column; quotes in them mean nothing.
        {"* Household survey, don't edit.\r\n* Made by hand\r\n  over two lines.\r\n"
         "DATA LIST FILE='a' /A 1 B 2.\r\n* VARIABLE LABELS A 'x'.\r\n"
         "COMMENT labels follow, it's fine\r\nVARIABLE LABELS B 'b'.\r\n"
         "*comment without its dot\r\n\r\nVALUE LABELS A 1 'one'.",
         {"A 1+1 F1 [1=one]", "B 2+1 F1 'b'"}},
        // Reading stops at any other command.
        {"DATA LIST FILE='a' /A 1.\r\nLIST.\r\nVARIABLE LABELS nonsense", {"A 1+1 F1"}},
        // A series running backwards creates nothing.
        {"DATA LIST FILE='a' /V3 TO V1 1-3 A 4.", {"A 4+1 F1"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Read(c.source), c.vars) << c.source;
}

TEST(ReadSyntax, ErrorsCarryTheirTextLineAndColumn) {
    struct Case {
        std::string source, message;
    };
    const Case cases[] = {
        {"DATA LIST FILE='a' /V1 TO V3 1-7.",
         "Incorrect position range length: 7.\r\nVariables V1 TO V3.\r\nLine 1, column 33."},
        {"DATA LIST FILE='a' /V 1-0.",
         "Incorrect position range length: 0.\r\nVariable V.\r\nLine 1, column 26."},
        // Arriving at a CR counts as the start of the next line.
        {"DATA LIST FILE='a' /A 1.\r\nVARIABLE LABELS A 'open\r\n",
         "Unterminated string: the quoted text does not end before the end of the line.\r\n"
         "Line 3, column 1."},
        // An asterisk inside a command does not start a comment command.
        {"DATA LIST FILE='a' /A 1\r\n* B 2.", "Syntax error.\r\nLine 2, column 2."},
        {"DATA LIST FILE='a' /VA TO VB 1-2.",
         "Incorrectly defined variable range: VA TO VB.\r\nLine 1, column 31."},
        {"LIST.", "Unexpected end of file (no variables listed).\r\nLine 2, column 1."},
        {"DATA LIST FILE='a' A 1.",
         "Unexpected end of file (no variables listed).\r\nLine 2, column 1."},
        {"DATA LIST FILE='a' /A 1 (X).", "Syntax error.\r\nLine 1, column 27."},
        {"DATA LIST FILE='a' /A 12ab.", "Invalid integer.\r\nLine 1, column 27."},
        {"DATA LIST FILE='a' /A 1.\r\nVALUE LABELS A 1.5.5 'x'.",
         "Invalid float.\r\nLine 2, column 21."},
        {"DATA LIST FILE='a' /A 1.\r\nVARIABLE LABELS B 'x'.",
         "Syntax error.\r\nLine 2, column 18."},
        {"DATA LIST FILE='a' /A 1.\r\nMISSING VALUES A (1, 2, 3, 4).",
         "Syntax error.\r\nLine 2, column 30."},
        {"DATA LIST FILE='a' /A 1.\r\nMISSING VALUES A (1, 2, 3 THRU 4).",
         "Syntax error.\r\nLine 2, column 34."},
        {"DATA LIST FILE='a' /A 1.\r\nMISSING VALUES A (5 THRU 3).",
         "Syntax error.\r\nLine 2, column 28."},
        {"DATA LIST FILE='a' /A 1 B 2.\r\nVALUE LABELS B TO A 1 'x'.",
         "Syntax error.\r\nLine 2, column 20."},
        {"DATA LIST FILE='a' /A 1.\r\nMISSING VALUES A (1", "Syntax error.\r\nLine 3, column 1."},
    };
    for (const Case& c : cases) {
        try {
            Read(c.source);
            ADD_FAILURE() << "no error: " << c.source;
        } catch (const EParserError& e) {
            EXPECT_EQ(e.Text(), c.message) << c.source;
        }
    }
}

// Labels and missing values that are texts belong to string variables,
// which the model's numbers cannot hold: they are left out, and the set
// names the variables instead of dropping them silently.
TEST(ReadSyntax, TextValuesOfStringVariablesAreLeftOutAndNamed) {
    TVarColl vars;
    vars.ReadSyntaxText(
        "DATA LIST FILE='a' /N 1 S 2-9 (A) T 10-12 (A).\r\n"
        "VALUE LABELS N 1 'one' /S 'abc' 'the abc' 'x' 'ex' /T 'a' 'b'.\r\n"
        "MISSING VALUES S ('zz', 'yy') N (9).\r\n");
    std::vector<std::string> lines;
    for (const auto& v : vars.Items)
        lines.push_back(Describe(*v));
    EXPECT_EQ(lines, (std::vector<std::string>{"N 1+1 F1 [1=one] (9)", "S 2+8 A8", "T 10+3 A3"}));
    EXPECT_EQ(vars.StringValuesLeftOut, (std::vector<std::string>{"S", "T"}));
    // A text value for a numeric variable stays an error.
    EXPECT_THROW(Read("DATA LIST FILE='a' /N 1.\r\nVALUE LABELS N 'a' 'b'."), EParserError);
    EXPECT_THROW(Read("DATA LIST FILE='a' /N 1.\r\nMISSING VALUES N ('a')."), EParserError);
}

TEST(ReadSyntax, HugeSeriesAreRefusedInsteadOfAllocated) {
    EXPECT_THROW(Read("DATA LIST FILE='a' /V1 TO V999999999 1-999999999."), EParserError);
    EXPECT_THROW(Read("DATA LIST FILE='a' /A 1-99999999999."), EParserError);
}

TEST(ReadSyntax, WhatTheWritersWriteReadsBack) {
    TVarColl vars;
    vars.ReadScriptText(
        "left='Sex' width=1 range=[1:2] vallab=[1 'male' 2 'female'] auto=1*"
        " left='Score' width=3 range=[-99:999] vallab=[-1 'none'] auto=0*"
        " left='Town' text width=10 auto='\\ '*",
        8);
    ApplyNinesMissing(vars, true, true);
    const std::string text = vars.DataListText("/x/a.dat") + vars.VariableLabelsText() +
                             vars.ValueLabelsText() + vars.MissingValuesText();
    TVarColl back;
    back.ReadSyntaxText(text);
    ASSERT_EQ(back.Count(), vars.Count()) << text;
    for (int32_t i = 0; i < vars.Count(); ++i)
        EXPECT_EQ(Describe(*back.Get(i)), Describe(*vars.Get(i))) << text;
}

}  // namespace
}  // namespace tallyra::core
