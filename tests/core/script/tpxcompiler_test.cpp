// SPDX-License-Identifier: GPL-3.0-or-later
#include "script/tpxcompiler.h"

#include <gtest/gtest.h>

#include "script/keywords.h"
#include "script/tehlist.h"
#include "script/tpxdictionary.h"
#include "shell/errors.h"

namespace tallyra::core {
namespace {

// The tokens of a text as "kind:text", an error as "!CODE@POSITION"; reading
// goes on after an error as the tokenizer leaves it.
std::vector<std::string> Tokens(const std::string& text) {
    TPXCompiler c(text);
    std::vector<std::string> tokens;
    for (int guard = 0; guard < 100; ++guard) {
        try {
            c.NextToken();
        } catch (const ECompilerError& e) {
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "!%X@%d", e.Code, c.Position);
            tokens.push_back(buffer);
            continue;
        }
        if (c.TokenKind == tkEnd) break;
        tokens.push_back(std::string(1, c.TokenKind) + ":" + c.TokenText);
    }
    return tokens;
}

using Strings = std::vector<std::string>;

TEST(TPXCompiler, CutsTokensWithoutBlanks) {
    EXPECT_EQ(Tokens("left='a'*left='b'*"),
              (Strings{"i:left", "s:=", "t:'a'", "s:*", "i:left", "s:=", "t:'b'", "s:*"}));
}

TEST(TPXCompiler, TellsTokenKindsAndPlacesTokenErrors) {
    struct Case {
        const char* Text;
        Strings Expected;
    };
    const Case cases[] = {
        {"{ a { b } c }", {"i:c", "!2005@14"}},
        {"x { open", {"i:x", "!2004@9"}},
        {"'abc\r\n*", {"!2002@5", "s:*"}},
        {"'abc", {"!2002@5"}},
        {"''", {"t:''"}},
        {"0x0A", {"n:0x0A"}},
        {"0a", {"!2001@3"}},
        {"12ab 1-2 --5 +7", {"!2001@5", "!2001@9", "!2001@13", "n:+7"}},
        {"-2147483648 2147483647", {"n:-2147483648", "n:2147483647"}},
        {"2147483648", {"!2001@11"}},
        {"-2147483649", {"!2001@12"}},
        {"$ff x10 0XFFFFFFFF", {"!2006@2", "i:ff", "i:x10", "n:0XFFFFFFFF"}},
        {"#", {"!2006@2"}},
        {"ł", {"!2006@2", "!2006@3"}},
        {"^ , : [ ]", {"s:^", "s:,", "s::", "s:[", "s:]"}},
        {"\t\r\n a", {"i:a"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Tokens(c.Text), c.Expected) << c.Text;
}

TEST(TPXCompiler, UpperTextOnlyForIdentifiers) {
    TPXCompiler c(std::string_view("Recid1 'x'"));
    c.NextToken();
    EXPECT_EQ(c.UpperText, "RECID1");
    c.NextToken();
    EXPECT_EQ(c.UpperText, "");
}

TEST(TPXCompiler, LongTextIsCutTo255Characters) {
    const std::string text = "'" + std::string(298, 'a') + "'";
    TPXCompiler c(text);
    c.NextToken();
    EXPECT_EQ(c.TokenKind, tkText);
    EXPECT_EQ(c.TokenText.size(), 255u);
    EXPECT_EQ(c.TokenText.back(), 'a');  // the closing apostrophe is lost
    EXPECT_EQ(c.Position, 301);
}

TEST(TPXCompiler, FailedTokenKeepsTheKindBefore) {
    TPXCompiler c(std::string_view("= 0a"));
    c.NextToken();
    EXPECT_THROW(c.NextToken(), ECompilerError);
    EXPECT_EQ(c.TokenKind, tkSymbol);
    EXPECT_EQ(c.TokenText, "0a");  // a failed number has replaced the text
}

TEST(TPXCompiler, SkipToEndStopsAfterTheAsterisk) {
    TPXCompiler c(std::string_view("width=9 'x*y' range=[1]*next"));
    c.NextToken();
    c.SkipToEnd();  // the asterisk inside the text ends the instruction as well
    c.NextToken();
    EXPECT_EQ(c.TokenText, "y");
    c.SkipToEnd();
    c.NextToken();
    EXPECT_EQ(c.TokenText, "next");
}

TEST(TPXCompiler, ExpectHelpersTakeTheirTokenOrRaiseTheirError) {
    struct Case {
        const char* Text;
        int Helper;  // 0 ExpectEquals, 1 ExpectIdent, 2 ExpectNumber, 3 NumberOrRef, 4 TextOrRef
        int Code;    // expected error, 0 for success
        const char* TokenText;
    };
    const Case cases[] = {
        {"=", 0, 0, "="},
        {"x", 0, 0x2009, "x"},
        {"abc", 1, 0, "abc"},
        {"5", 1, 0x200A, "5"},
        {"5", 2, 0, "5"},
        {"'5'", 2, 0x200D, "'5'"},
        {"^ {c} lab", 3, 0, "^lab"},
        {"7", 3, 0, "7"},
        {"^ 7", 3, 0x200A, "7"},
        {"'t'", 4, 0, "'t'"},
        {"^q", 4, 0, "^q"},
        {"7", 4, 0x200C, "7"},
    };
    for (const Case& k : cases) {
        TPXCompiler c{std::string_view(k.Text)};
        int code = 0;
        try {
            switch (k.Helper) {
                case 0:
                    c.ExpectEquals();
                    break;
                case 1:
                    c.ExpectIdent();
                    break;
                case 2:
                    c.ExpectNumber();
                    break;
                case 3:
                    c.ExpectNumberOrRef();
                    break;
                case 4:
                    c.ExpectTextOrRef();
                    break;
            }
        } catch (const ECompilerError& e) {
            code = e.Code;
        }
        EXPECT_EQ(code, k.Code) << k.Text;
        EXPECT_EQ(c.TokenText, k.TokenText) << k.Text;
    }
}

TEST(Keywords, RecognisedByPrefixWithoutRegardToCase) {
    EXPECT_EQ(FindKeyword("LEFTTEXT"), kwLeft);
    EXPECT_EQ(FindKeyword("WIDTHS"), kwWidth);
    EXPECT_EQ(FindKeyword("RECID1"), kwRecId);
    EXPECT_EQ(FindKeyword("LABELS"), kwLabel);
    EXPECT_EQ(FindKeyword("LAB"), kwNone);
    EXPECT_EQ(FindKeyword("HEIGHT"), kwHeight);
    for (int k = 1; k <= KeywordCount; ++k)
        EXPECT_EQ(FindKeyword(KeywordsUpper[k]), k);
}

TEST(Keywords, ReadsDecimalAndHexIntegers) {
    struct Case {
        const char* Text;
        bool Ok;
        int Value;
    };
    const Case cases[] = {
        {"12", true, 12},
        {"  -5", true, -5},
        {"+7", true, 7},
        {"$1F", true, 31},
        {"x1f", true, 31},
        {"0xFFFFFFFF", true, -1},
        {"0x80000000", true, INT32_MIN},
        {"0x123456789", false, 0},
        {"0x", false, 0},
        {"", false, 0},
        {"   ", false, 0},
        {"-", false, 0},
        {"1 ", false, 0},
        {"12a", false, 0},
        {"-2147483648", true, INT32_MIN},
        {"2147483648", false, 0},
        {"99999999999999999999", false, 0},
    };
    for (const Case& c : cases) {
        int value = 0;
        EXPECT_EQ(StrToIntPX(c.Text, value), c.Ok) << c.Text;
        if (c.Ok) {
            EXPECT_EQ(value, c.Value) << c.Text;
        }
    }
}

}  // namespace
}  // namespace tallyra::core
