// SPDX-License-Identifier: GPL-3.0-or-later
// Frequencies, the field and context information texts, the field editor
// model and the viewer's handler with its record range texts.
#include "data/tpxdatainfo.h"
#include "data_fixture.h"

namespace tallyra::core::testing {
namespace {

TEST(CountValues, CountsValuesWithTheirLabels) {
    TScript script("left='v' width=1 range=[1:2] vallab=[1 'yes' 2 'no']*");
    TTempDir dir;
    WriteAll(dir.File("d.dat"), "1\r\n2\r\n1\r\n1\r\n");
    auto store =
        TPXDataHandler::CreateForFile(*script.Dictionary, false, nullptr, dir.File("d.dat"));
    store->GoToRecord(3);
    const auto rows = FreqRows(store->CountValues(0));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (TFreqRow{"1 (yes)", "3", "75.0%", "75.0%"}));
    EXPECT_EQ(rows[1], (TFreqRow{"2 (no)", "1", "25.0%", "100.0%"}));
    EXPECT_EQ(store->Context().Rec, 3);
    EXPECT_EQ(FreqTitles()[3], "Cumulative pct.");
}

TEST(CountValues, LetterCaseIsIgnoredAndEmptyValuesCount) {
    TScript script("left='t' text width=2*");
    TTempDir dir;
    WriteAll(dir.File("d.dat"), "Ab\r\nb \r\nab\r\nAB\r\n**\r\n\xa5\xb9\r\n\xb9\xb9\r\n");
    auto store =
        TPXDataHandler::CreateForFile(*script.Dictionary, false, nullptr, dir.File("d.dat"));
    const TFreqList list = store->CountValues(0);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].Value, "");
    EXPECT_EQ(list[1].Value, "Ab");
    EXPECT_EQ(list[1].Count, 3);
    EXPECT_EQ(list[2].Value, "b ");
    EXPECT_EQ(list[3].Value, "\xa5\xb9");  // Polish A-ogonek in both cases
    EXPECT_EQ(list[3].Count, 2);
}

TEST(InfoTexts, DescribeTheFieldAndTheContext) {
    TScript script("left='n' width=4 recid*left='Name' text width=20*left='k' width=1 const*");
    TTempDir dir;
    auto store =
        TPXDataHandler::CreateForFile(*script.Dictionary, false, nullptr, dir.File("d.dat"));
    EXPECT_EQ(FieldInfoText(*store, 1),
              "Field text 'Name'\r\nPosition in the record: 5\r\nWidth: 20\r\nAutomatic value: "
              "'\\ '\r\n\r\nNumber of full records in the file: 0\r\nCurrent record: 1\r\nNumber "
              "of pages in a record: 1\r\nNumber of fields in a record: 3\r\n  numeric: 2\r\n  "
              "text: 1\r\nNumber of characters in a record: 25");
    const std::string id = FieldInfoText(*store, 0);
    EXPECT_NE(id.find("Range of valid values: []\r\nThis field is the record identifier.\r\n"),
              std::string::npos)
        << id;
    EXPECT_NE(FieldInfoText(*store, 2).find("This field is a constant field.\r\n"),
              std::string::npos);
    EXPECT_EQ(ContextInfoText(*store), "Active group: [none]\r\n\r\nActive filters: [none]");
}

TEST(InfoTexts, ContextListsGroupAndEveryFilterRange) {
    TScript script(
        "left='f' width=1 when=[1][A:B,C] signal=[2][C]*"
        "left='a' width=1 label=A group=C*left='b' width=1 label=B*left='c' width=1 label=C*");
    TTempDir dir;
    TScriptedOwner owner;
    auto store =
        TPXDataHandler::CreateForFile(*script.Dictionary, false, &owner, dir.File("d.dat"));
    store->DoCommand(cmdToEnd, false);
    store->StoreValue("2");
    store->DoCommand(cmdConfirmNext, false);
    store->StoreValue("5");
    store->DoCommand(cmdConfirmNext, false);
    EXPECT_EQ(store->Context().Cur, 2);
    EXPECT_EQ(ContextInfoText(*store), "Active group: C\r\n\r\nActive filters: \r\n  C..C");
}

TEST(FindRecord, FindsByIndexOrIdentifier) {
    TScript script("left='id' width=3 recid*left='v' width=1*");
    TTempDir dir;
    WriteAll(dir.File("d.dat"), "0011\r\n0072\r\n0033\r\n");
    auto store =
        TPXDataHandler::CreateForFile(*script.Dictionary, false, nullptr, dir.File("d.dat"));
    const struct {
        bool ById;
        const char* Text;
        const char* Error;
        int32_t Rec;
    } cases[] = {
        {false, "2", "", 2},
        {false, "0", "Invalid record index.", 2},
        {false, "5", "Invalid record index.", 2},
        {false, "4", "", 4},
        {false, "x1", "Invalid number.", 4},
        {true, "7", "", 2},
        {true, "8", "Given record identifier not found.", 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindRecord(*store, c.ById, c.Text), c.Error) << c.Text;
        EXPECT_EQ(store->Context().Rec, c.Rec) << c.Text;
    }
}

TEST(FieldEditor, MaskedEditReplacesAtTheCaret) {
    TPXNumericInstruction field;
    field.Width = 3;
    TPXFieldEditor e(field, 0);
    EXPECT_EQ(e.DisplayText(), "***");
    EXPECT_TRUE(e.TypeChar('4'));
    EXPECT_TRUE(e.TypeChar('2'));
    EXPECT_EQ(e.Text(), "42 ");
    e.MoveHome();
    e.TypeChar('7');
    EXPECT_EQ(e.Text(), "72 ");
    e.MoveEnd();
    EXPECT_EQ(e.Caret(), 2);
    e.Backspace();
    EXPECT_EQ(e.Text(), "7  ");
    e.SetText("123");
    e.SetCaret(3);
    EXPECT_FALSE(e.TypeChar('9'));
    e.SelectAll();
    e.TypeChar('5');
    EXPECT_EQ(e.Text(), "5  ");
    EXPECT_TRUE(e.Modified());
    field.Selected = 1;
    EXPECT_TRUE(e.Marked());
    e.SetMarked(false);
    EXPECT_EQ(field.Selected, 0);
}

TEST(FieldEditor, TellsTheCaretsLineInAMultiLineField) {
    TPXTextInstruction field;
    field.Width = 20;
    field.Height = 3;
    TPXFieldEditor e(field, 0);
    ASSERT_TRUE(e.IsMultiLine());
    e.SetText("ab\r\ncd\r\n  ");
    EXPECT_TRUE(e.CaretOnFirstLine());
    e.MoveDown();
    EXPECT_EQ(e.Caret(), 4);
    EXPECT_FALSE(e.CaretOnFirstLine());
    EXPECT_FALSE(e.CaretOnLastLine());
    e.TrimToEnd();
    EXPECT_EQ(e.Text(), "ab\r\ncd");
    EXPECT_TRUE(e.CaretOnLastLine());
    e.MoveUp();
    EXPECT_EQ(e.Caret(), 2);
    e.Home();
    EXPECT_EQ(e.Caret(), 0);
}

TEST(RangeText, ParsesRangesAndRefusesBadText) {
    using R = TRecordRanges;
    const std::pair<const char*, std::optional<R>> cases[] = {
        {"1,3,5-12", R{{1, 1}, {3, 3}, {5, 12}}},
        {" 7 - 9 ,2", R{{7, 9}, {2, 2}}},
        {"4-", R{{4, 10}}},
        {"\t3\t", R{{3, 3}}},
        {"12-5", std::nullopt},
        {"a", std::nullopt},
        {",3", std::nullopt},
        {"   ", std::nullopt},
        {"", std::nullopt},
        {"1-x", std::nullopt},
        {"-4", std::nullopt},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ParseRangeText(text, 10), expected) << text;
    EXPECT_EQ(InvalidRangeText(), "Invalid range.");
}

TEST(TPDDataHandler, SelectionAndRangesOnAViewerStore) {
    TScript script("left='v' width=1*");
    TTempDir dir;
    std::string data;
    for (int i = 0; i < 20; ++i)
        data += "1\r\n";
    WriteAll(dir.File("d.dat"), data);
    auto store =
        TPDDataHandler::CreateForFile(*script.Dictionary, false, nullptr, dir.File("d.dat"));
    store->SetSelected(15, true);
    store->ApplyRanges(*ParseRangeText("1,3,5-12,40-50", store->FullCount()));
    EXPECT_EQ(store->SelectedCount(), 11);
    EXPECT_TRUE(store->IsSelected(15));
    store->InvertSelection();
    EXPECT_EQ(store->SelectedCount(), 9);
    EXPECT_THROW(store->GoToRecord(21), EPXData);
    EXPECT_THROW(store->FindByIdentifier("1"), EPXData);
}

TEST(TPDDataHandler, LastFieldOfTheLastRecordGoesNowhere) {
    TScript script("left='v' width=1*left='w' width=1*comment='the end'*");
    TTempDir dir;
    WriteAll(dir.File("d.dat"), "12\r\n34\r\n");
    TSession s(script, dir.File("d.dat"), true);
    s.Keys("<C-End>");
    EXPECT_EQ(s.C().Rec, 2);
    EXPECT_EQ(s.C().Cur, 1);
    s.Keys("5<Enter>9");
    EXPECT_EQ(s.C().Rec, 2);
    EXPECT_EQ(s.Store->FullCount(), 2);
    EXPECT_EQ(ReadAll(dir.File("d.dat")).size(), 8u);
}

TEST(TPDDataHandler, EmptyFileIsRefused) {
    TScript script("left='v' width=1*");
    TTempDir dir;
    WriteAll(dir.File("d.dat"), "");
    try {
        TPDDataHandler::CreateForFile(*script.Dictionary, false, nullptr, dir.File("d.dat"));
        FAIL();
    } catch (const EPXData& e) {
        EXPECT_EQ(e.Text(), "No records in data.");
    }
}

}  // namespace
}  // namespace tallyra::core::testing
