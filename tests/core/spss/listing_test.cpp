// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "shell/errors.h"
#include "spss/tvarcoll.h"

namespace tallyra::core {
namespace {

const std::string Head =
    "\x0c"
    "Some title\r\n"
    "            List of variables on the working file\r\n"
    "\r\n"
    "Name" +
    std::string(67, ' ') +
    "Position\r\n"
    "\r\n";

TEST(ReadListing, ReadsEveryPartOfAVariableBlock) {
    const std::string text =
        Head +
        "SEX      Sex of respondent                                             1\r\n"
        "          Measurement Level: Scale\r\n"
        "          Column Width: 8  Alignment: Right\r\n"
        "          Print Format: F1\r\n"
        "          Write Format: F1\r\n"
        "          Missing Values: 9\r\n"
        "\r\n"
        "          Value    Label\r\n"
        "\r\n"
        "              1    male\r\n"
        "              2    female\r\n"
        "              9 M  refused\r\n"
        "             10\r\n"
        "NOFORMAT dropped block                                                 2\r\n"
        "          Measurement Level: Scale\r\n"
        "INCOME   Income                                                        3\r\n"
        "          Print Format: COMMA9.2\r\n"
        "          Write Format: COMMA9.2\r\n"
        "          Missing Values: LOWEST THRU 0\r\n"
        "city     City                                                          4\r\n"
        "          Print Format: A20\r\n"
        "          Write Format: A20\r\n"
        "Q        \r\n"
        "          Print Format: F5,2\r\n"
        "          Write Format: DOLLAR5.1\r\n"
        "          Missing Values: 1,5 THRU 3; *\r\n";
    TVarColl vars;
    vars.ReadListingText(text);
    ASSERT_EQ(vars.Count(), 4);
    const TVar& sex = *vars.Get(0);
    EXPECT_EQ(sex.Name, "SEX");
    EXPECT_EQ(sex.Label, "Sex of respondent");
    EXPECT_EQ(sex.Format, "F1");
    EXPECT_EQ(sex.Start, 1);
    ASSERT_EQ(sex.MissingCount, 1);
    EXPECT_EQ(sex.MissingValues[0], 9);
    ASSERT_EQ(sex.ValueLabels.Count(), 4);
    EXPECT_EQ(sex.ValueLabels.Get(1).Text, "female");
    EXPECT_EQ(sex.ValueLabels.Get(2).Text, "refused");  // the missing mark "M " is cut
    EXPECT_EQ(sex.ValueLabels.Get(3).Value, 10);
    EXPECT_EQ(sex.ValueLabels.Get(3).Text, "");
    const TVar& income = *vars.Get(1);
    EXPECT_EQ(income.Name, "INCOME");
    EXPECT_EQ(income.Start, 2);
    EXPECT_EQ(income.Width, 9);
    EXPECT_EQ(income.Decimals, 2);
    EXPECT_EQ(income.Format, "COMMA9.2");
    EXPECT_TRUE(income.MissingRange);
    EXPECT_EQ(income.MissingCount, 2);
    EXPECT_EQ(income.MissingValues[0], SPSSLowest);
    EXPECT_EQ(income.MissingValues[1], 0);
    const TVar& city = *vars.Get(2);
    EXPECT_EQ(city.Name, "CITY");
    EXPECT_EQ(city.VarType, vtString);
    EXPECT_EQ(city.Start, 11);
    EXPECT_EQ(city.Width, 20);
    const TVar& q = *vars.Get(3);
    EXPECT_EQ(q.Label, "");
    EXPECT_EQ(q.Width, 5);
    EXPECT_EQ(q.Decimals, 1);
    EXPECT_EQ(q.MissingCount, 3);
    EXPECT_TRUE(q.MissingRange);
    EXPECT_EQ(q.MissingValues[0], 1.5);
    EXPECT_EQ(q.MissingValues[1], 3);
}

TEST(ReadListing, RtfLinesAreDecoded) {
    EXPECT_EQ(TVarColl::DecodeRtfLetters("P\\'b3e\\'e6 \\'41 \\'B3 \\'a"),
              "P\xB3"
              "e\xE6 \\'41 \\'B3 \\'a");
    const std::string text =
        "{\\rtf1\\ansi\r\n\\par             List of variables on the working file\r\n"
        "\\par Name" +
        std::string(67, ' ') +
        "Position\r\n\\par\r\n"
        "\\par PLEC P\\'b3e\\'e6 1\r\n\\par           Print Format: F1\r\n"
        "\\par           Write Format: F1\r\n}\r\n";
    TVarColl vars;
    vars.ReadListingText(text);
    ASSERT_EQ(vars.Count(), 1);
    EXPECT_EQ(vars.Get(0)->Label,
              "P\xB3"
              "e\xE6");
}

TEST(ReadListing, ErrorsNameTheLine) {
    struct Case {
        std::string body, message;
    };
    const Case cases[] = {
        {"A x 1\r\n          Print Format: F1\r\n          Oops: F1\r\n",
         "Syntax error in .LST/.SPO file, line 8, text\r\n          Oops: F1"},
        {"A x 1\r\n          Print Format: F1\r\n          Write Format: Fx\r\n",
         "Incorrect variable size A in line 8."},
        {"A x 1\r\n          Print Format: F1\r\n          Write Format: F1\r\n"
         "          Missing Values: 1x\r\n",
         "Error reading missing values, line 9."},
        {"A x 1\r\n          Print Format: F1\r\n          Write Format: F1\r\n"
         "          Value    Label\r\n             abc  text\r\n",
         "Error reading labeled values, line 10."},
    };
    for (const Case& c : cases) {
        TVarColl vars;
        try {
            vars.ReadListingText(Head + c.body);
            ADD_FAILURE() << c.body;
        } catch (const EGeneric& e) {
            EXPECT_EQ(e.Text(), c.message);
        }
    }
    TVarColl vars;
    try {
        vars.ReadListingText("no list here\r\n");
        FAIL();
    } catch (const EGeneric& e) {
        EXPECT_EQ(e.Text(), "No information about variables in .LST/.SPO file.");
    }
}

TEST(ReadColumnList, LinesGiveColumnsNamesAndLabels) {
    TVarColl vars;
    vars.ReadColumnListText("5-7 AGE Age in years\r\n8-8 Q1 Tom's age\r\n\t9 -  12 \tX\r\n");
    ASSERT_EQ(vars.Count(), 3);
    EXPECT_EQ(vars.Get(0)->Start, 5);
    EXPECT_EQ(vars.Get(0)->Width, 3);
    EXPECT_EQ(vars.Get(0)->Label, "Age in years");
    EXPECT_EQ(vars.Get(0)->Format, "F3");
    EXPECT_EQ(vars.Get(1)->Label, "Toms age");
    EXPECT_EQ(vars.Get(2)->Name, "X");
    EXPECT_EQ(vars.Get(2)->Width, 4);
}

TEST(ReadColumnList, BadLinesNameTheirNumber) {
    const std::pair<std::string, std::string> cases[] = {
        {"1-2 A\r\n\r\n", "\"\" is not a valid integer value.\r\nLine number: 2."},
        {"1-x A\r\n", "\"x\" is not a valid integer value.\r\nLine number: 1."},
        {"1-2 A\r\n5-3 B\r\n", "Invalid column range.\r\nLine number: 2."},
    };
    for (const auto& [text, message] : cases) {
        TVarColl vars;
        try {
            vars.ReadColumnListText(text);
            ADD_FAILURE() << text;
        } catch (const EGeneric& e) {
            EXPECT_EQ(e.Text(), message);
        }
    }
}

}  // namespace
}  // namespace tallyra::core
