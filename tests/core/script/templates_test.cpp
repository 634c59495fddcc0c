// SPDX-License-Identifier: GPL-3.0-or-later
// Question templates: the generated text of the worked examples, caret
// places, the checks and warnings of the four dialogs.
#include "script/templates.h"

#include <gtest/gtest.h>

#include "shell/langtext.h"

namespace tallyra::core {
namespace {

using Lines = std::vector<std::string>;

class Templates : public ::testing::Test {
protected:
    void SetUp() override { SetCurrentLanguage(LangEnglish); }
};

TEST_F(Templates, GroupWritesNumericFieldsUnderOneLabel) {
    TInsGroup_Data d;
    d.Prefix = "q5";
    d.Label = "brand";
    d.Count = 3;
    d.Width = 2;
    d.GroupFlag = true;
    TTemplateBlock b = GenerateGroup(d, 1, true);
    EXPECT_EQ(b.Lines, (Lines{"left='q5_1 brand' width=2 auto= range=[] group=q5_3*",
                              "left='q5_2 brand'*", "left='q5_3 brand' label=q5_3*"}));
    EXPECT_EQ(b.CaretLine, 0);
    EXPECT_EQ(b.CaretColumn, 31);  // right after "auto="
    EXPECT_TRUE(b.ColumnFromInsertion);
    EXPECT_EQ(b.Text(),
              "left='q5_1 brand' width=2 auto= range=[] group=q5_3*\r\n"
              "left='q5_2 brand'*\r\nleft='q5_3 brand' label=q5_3*\r\n\r\n");

    d.Numbering = nbLetters;
    d.Filtered = true;
    d.GroupFlag = false;
    b = GenerateGroup(d, 1, false);
    EXPECT_EQ(b.Lines, (Lines{"left='q5_a brand' width=2 auto= range=[] label=q5xa*",
                              "left='q5_b brand' label=q5xb*", "left='q5_c brand' label=q5xc*"}));
}

TEST_F(Templates, GroupNumbersItsFieldsWithDigitsOrLetters) {
    TInsGroup_Data d;
    d.Prefix = "p";
    d.Count = 5;
    EXPECT_EQ(GenerateGroup(d, 2, true).Lines[4].substr(0, 10), "left='p_05");
    EXPECT_EQ(GenerateGroup(d, 1, true).Lines[4].substr(0, 9), "left='p_5");
    d.Count = 28;
    d.Numbering = nbLetters;
    const Lines lines = GenerateGroup(d, 2, true).Lines;
    EXPECT_EQ(lines[25].substr(0, 9), "left='p_z");
    EXPECT_EQ(lines[26].substr(0, 10), "left='p_aa");
    EXPECT_EQ(lines[27].substr(0, 10), "left='p_ab");
}

TEST_F(Templates, MultiChoiceWritesItsFieldsFiltersAndLabels) {
    TInsMulti_Data d = DefaultMultiData();
    d.Prefix = "q4";
    d.Count = 3;
    d.TextCount = 1;
    d.DontKnow = true;
    TTemplateBlock b = GenerateMulti(d, true, 40, true);
    EXPECT_EQ(b.Lines, (Lines{
                           "left='q4_5 D/K' width=1 auto=0 range=[0,1] when=[1][q4_1:q4_4T,q4_6]*",
                           "left='q4_6 none' width=1 range=[0,1] when=[1][q4_1:q4_4T] label=q4_6*",
                           "comment=''*",
                           "left='q4_1 ' range=[0,1] width=1 auto=0 label=q4_1*",
                           "left='q4_2 ' range=[0,2]*",
                           "left='q4_3 ' range=[0,3]*",
                           "left='q4_4 other' range=[0,4] width=1 when=[0][q4_4T]*",
                           "left='q4_4T which' text width=40 label=q4_4T auto='\\ '*",
                       }));
    EXPECT_EQ(b.CaretLine, 3);
    EXPECT_EQ(b.CaretColumn, 11);
    EXPECT_FALSE(b.ColumnFromInsertion);

    d.Numbering = nbLetters;
    d.Segment = true;
    d.DontKnow = false;
    d.GroupFlag = true;
    d.Filtering = true;
    d.FilterPrefix = "f";
    b = GenerateMulti(d, false, 40, true);
    EXPECT_EQ(b.Lines, (Lines{
                           "left='q4_e none' width=1 auto=0 range=[0,5] when=[5][q4_a:q4_dT]*",
                           "comment=''*",
                           "left='q4_a ' range=[1:3,9] width=1 auto=9 group=q4_c label=q4_a "
                           "when=[0][f_a]*",
                           "left='q4_b ' range=[2:3,9] when=[0][f_b]*",
                           "left='q4_c ' range=[3,9] label=q4_c when=[0][f_c]*",
                           "left='q4_d other' range=[4,9] width=1 when=[9][q4_dT] when=[0][f_d]*",
                           "left='q4_dT which' text width=40 label=q4_dT auto='\\ '*",
                       }));
}

TEST_F(Templates, MultiChoiceWidensCodesPastNine) {
    TInsMulti_Data d = DefaultMultiData();
    d.Prefix = "m";
    d.Count = 6;
    d.TextCount = 1;
    d.DontKnow = true;
    const Lines lines = GenerateMulti(d, false, 40, true).Lines;
    EXPECT_EQ(lines[0], "left='m_08 D/K' width=2 auto=0 range=[0,8] when=[8][m_01:m_07T,m_09]*");
    EXPECT_EQ(lines[1], "left='m_09 none' width=2 range=[0,9] when=[9][m_01:m_07T] label=m_09*");
    EXPECT_EQ(lines[3], "left='m_01 ' range=[0,01] width=2 auto=0 label=m_01*");
    EXPECT_EQ(lines[8], "left='m_06 ' range=[0,06]*");
    EXPECT_EQ(lines[9], "left='m_07 other' range=[0,07] width=2 when=[0][m_07T]*");

    TInsMulti_Data one = DefaultMultiData();
    one.Prefix = "p";
    one.NoneFlag = false;
    const TTemplateBlock b = GenerateMulti(one, true, 40, true);
    EXPECT_EQ(b.Lines, (Lines{"left='p_1 ' range=[0,1] width=1 auto=0 label=p_1*"}));
    EXPECT_EQ(b.CaretLine, 0);
    EXPECT_TRUE(b.ColumnFromInsertion);
}

TEST_F(Templates, SingleChoiceFiltersTheOtherTextAroundItsCode) {
    TInsSingle_Data d = DefaultSingleData();
    d.Prefix = "q3";
    d.Count = 5;
    TTemplateBlock b = GenerateSingle(d, 40, true);
    EXPECT_EQ(b.Lines, (Lines{"left='q3 ' width=1 auto=8 range=[1:5,8,9] when=[1:2,4:5][q3T]*",
                              "left='q3T other' text width=40 auto='\\ ' label=q3T*"}));
    EXPECT_EQ(b.CaretColumn, 9);
    d.TextPos = 5;
    EXPECT_NE(GenerateSingle(d, 40, true).Lines[0].find("when=[1:4][q3T]"), std::string::npos);
    d.TextPos = 1;
    EXPECT_NE(GenerateSingle(d, 40, true).Lines[0].find("when=[2:5][q3T]"), std::string::npos);
    d.Count = 8;
    d.TextPos = 3;
    EXPECT_NE(GenerateSingle(d, 40, true).Lines[0].find("width=2 auto=98 range=[1:8,98,99]"),
              std::string::npos);
}

TEST_F(Templates, OpenEndedGroupsItsTextFields) {
    TInsOpen_Data d;
    d.Prefix = "q_7";
    d.TextLabel = "which";
    d.Count = 3;
    const TTemplateBlock b = GenerateOpen(d, false);
    EXPECT_EQ(b.Lines, (Lines{"left='q_7_1 which' text width=40 group=qx7*",
                              "left='q_7_2 which' text*", "left='q_7_3 which' text label=qx7*"}));
    EXPECT_EQ(b.CaretLine, 4);
    EXPECT_EQ(b.CaretColumn, 0);
    d.Count = 1;
    EXPECT_EQ(GenerateOpen(d, true).Lines, (Lines{"left='q_7_1 which' text width=40*"}));
}

TEST_F(Templates, ChecksStopAtTheFirstInvalidValue) {
    struct Case {
        int Dialog;  // 0 group, 1 multi, 2 single, 3 open
        TTemplateInput Input;
        const char* Error;
        TTemplateBox Box;
    };
    const Case cases[] = {
        {0, {"  ", "", "", "3", "", "1", ""}, "Variable prefix undefined.", TTemplateBox::Prefix},
        {0, {"q", "", "", "0", "", "1", ""}, "Invalid number of fields.", TTemplateBox::Count},
        {0, {"q", "", "", "2", "", "x", ""}, "Invalid field widths.", TTemplateBox::Width},
        {1, {"", "", "", "a", "", "", ""}, "Invalid number of fields.", TTemplateBox::Count},
        {1,
         {"q", "", "", "2", "-1", "", ""},
         "Invalid number of text fields.",
         TTemplateBox::TextCount},
        {1, {" ", "", "", "2", "0", "", ""}, "Variable prefix undefined.", TTemplateBox::Prefix},
        {2, {"q", "", "", "1", "1", "", "1"}, "Invalid value.", TTemplateBox::Count},
        {2, {"", "", "", "5", "1", "", "1"}, "Variable prefix undefined.", TTemplateBox::Prefix},
        {2, {"q", "", "", "5", "5", "", "1"}, "Invalid value.", TTemplateBox::TextCount},
        {2, {"q", "", "", "5", "2", "", "5"}, "Invalid value.", TTemplateBox::TextPos},
        {3, {"q", "", "", "2", "", "0", ""}, "Invalid field widths.", TTemplateBox::Width},
    };
    for (const Case& c : cases) {
        TInsGroup_Data g;
        TInsMulti_Data m;
        TInsSingle_Data s;
        TInsOpen_Data o;
        const TTemplateCheck check = c.Dialog == 0   ? CheckGroup(c.Input, g)
                                     : c.Dialog == 1 ? CheckMulti(c.Input, m)
                                     : c.Dialog == 2 ? CheckSingle(c.Input, s)
                                                     : CheckOpen(c.Input, o);
        EXPECT_EQ(check.Error, c.Error) << c.Dialog << " " << c.Input.Count;
        EXPECT_EQ(check.ErrorBox, c.Box) << c.Dialog << " " << c.Input.Count;
    }
}

TEST_F(Templates, WarningsInTheirOrder) {
    TInsGroup_Data g;
    const TTemplateCheck group =
        CheckGroup({" 1a-b ", "a label that's far too long", "", "31", "", "6", ""}, g);
    ASSERT_TRUE(group.Valid());
    EXPECT_EQ(group.Warnings,
              (Lines{"  - Variable prefix does not start with a letter or an underline.",
                     "  - Variable prefix has illegal characters.",
                     "  - More than 30 variables defined.", "  - Fields wider than 5 characters.",
                     "  - Variable label longer than 20 characters.",
                     "  - Apostrophe illegal in a label."}));
    EXPECT_EQ(g.Prefix, "1a-b");
    EXPECT_EQ(g.Count, 31);

    TInsMulti_Data m;
    EXPECT_TRUE(CheckMulti({"q", "", "", "3", "0", "", ""}, m).Warnings.empty());
    EXPECT_EQ(
        CheckMulti({"q", "", "", "1", "6", "", ""}, m).Warnings,
        (Lines{"  - Only one numeric variable defined.", "  - More than 5 text variables defined.",
               "  - Variable label not defined."}));
    TInsSingle_Data s;
    EXPECT_EQ(CheckSingle({"q", "x", "", "2", "1", "", "1"}, s).Warnings,
              (Lines{"  - Number variable will have only two values."}));
    TInsOpen_Data o;
    EXPECT_EQ(CheckOpen({"q", "x", "", "11", "", "49", ""}, o).Warnings,
              (Lines{"  - More than 10 variables defined.", "  - Unusual field widths."}));
}

TEST_F(Templates, LongWarningTextIsCut) {
    const Lines warnings(5, "  - Variable prefix has illegal characters.");
    const std::string question = WarningQuestion(warnings);
    const std::string head = "Please take a look at the following warnings:\r\n";
    const std::string tail = "\r\n\r\nDo you want to change anything?";
    ASSERT_EQ(question.substr(0, head.size()), head);
    const std::string collected =
        question.substr(head.size(), question.size() - head.size() - tail.size());
    EXPECT_EQ(collected.size(), 153u);
    EXPECT_EQ(collected.substr(150), "...");
    EXPECT_EQ(WarningQuestion({"  - Only one variable defined."}),
              head + "\r\n  - Only one variable defined." + tail);
}

TEST_F(Templates, DefaultTextsFollowThePolishLanguage) {
    SetCurrentLanguage(LangPolish);
    TInsMulti_Data d = DefaultMultiData();
    EXPECT_EQ(d.TextLabel, "jakie");
    EXPECT_EQ(DefaultSingleData().TextLabel, "inne");
    d.Prefix = "p";
    d.DontKnow = true;
    const Lines lines = GenerateMulti(d, true, 40, true).Lines;
    EXPECT_EQ(lines[0].substr(0, 19), "left='p_2 nie wiem'");
    EXPECT_EQ(lines[1].substr(0, 17), "left='p_3 żadne'");
    SetCurrentLanguage(LangEnglish);
}

}  // namespace
}  // namespace tallyra::core
