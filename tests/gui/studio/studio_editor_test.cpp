// SPDX-License-Identifier: GPL-3.0-or-later
// The editing layer of script windows: code page 1250 files, bookmarks,
// blocks, status panels, fonts and options.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>
#include <Qsci/qsciscintilla.h>

#include <gtest/gtest.h>

#include "guitestenv.h"
#include "shell/cp1250.h"
#include "shell/windowlist.h"
#include "studio/prefedit.h"

using namespace tallyra;
using namespace tallyra::gui;
using namespace tallyra::gui::test;

TEST_F(StudioTest, EveryByteOfA1250FileSurvivesLoadAndSave) {
    MakeMain();
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        if (b != '\r' && b != '\n') bytes += char(b);
    bytes += "\r\nline two\r\n";
    TChldEdit_Form* e = OpenNew("all.slo", bytes);
    EXPECT_FALSE(e->IsModified());
    EXPECT_EQ(e->TextUtf8(), core::Cp1250ToUtf8(bytes));
    e->SetModified(true);
    e->Save();
    EXPECT_EQ(ReadFile(PathOf("all.slo")), bytes);
    EXPECT_EQ(ReadFile(PathOf("all.bak")), bytes);
}

TEST_F(StudioTest, PolishLettersShowAsUnicodeAndLoneLineEndsBecomeCrLf) {
    MakeMain();
    // "Żółć" in code page 1250, with LF-only and CR-only line ends.
    TChldEdit_Form* e = OpenNew("pl.slo", "\xAF\xF3\xB3\xE6\nb\rc");
    EXPECT_EQ(e->TextUtf8(), "Żółć\r\nb\r\nc");
    e->Editor()->setCursorPosition(0, 0);
    QTest::sendKeyEvent(QTest::Click, e->Editor(), Qt::Key_unknown, QString::fromUtf8("ą"),
                        Qt::NoModifier);
    e->Save();
    EXPECT_EQ(ReadFile(PathOf("pl.slo")), "\xB9\xAF\xF3\xB3\xE6\r\nb\r\nc");
}

TEST_F(StudioTest, TextOutsideTheCodePageIsRefusedAndTheFileKept) {
    MakeMain();
    TChldEdit_Form* e = OpenNew("u.slo", "old");
    e->Editor()->setText(QString::fromUtf8("new \u20AC \u4E2D"));  // euro fits, CJK does not
    e->Save();
    EXPECT_TRUE(e->IsModified());
    EXPECT_EQ(ReadFile(PathOf("u.slo")), "old");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(PathOf("u.bak"))));
    ASSERT_EQ(Boxes().Count(TMsgKind::Error), 1);
    EXPECT_NE(Boxes().Log[0].Text.find("U+4E2D"), std::string::npos);
}

TEST_F(StudioTest, BookmarkMenusFollowTheSetBookmarks) {
    MakeMain();
    TChldEdit_Form* e = OpenNew("bm.slo", "l0\r\nl1\r\nl2\r\nl3 long line\r\n");
    e->BuildMarkerMenu(false);
    QList<QAction*> items = e->MarkerMenu()->actions();
    ASSERT_EQ(items.size(), 10);
    for (QAction* a : items)
        EXPECT_FALSE(a->isEnabled());
    EXPECT_EQ(items[0]->text().trimmed(), "Bookmark &1");
    EXPECT_EQ(items[9]->text().trimmed(), "Bookmark &0");
    EXPECT_EQ(items[9]->statusTip(), "Move the cursor to the bookmark number 0");

    e->SetCaret({2, 3});
    e->BuildMarkerMenu(true);
    for (QAction* a : e->MarkerMenu()->actions())
        EXPECT_TRUE(a->isEnabled());
    EXPECT_EQ(items[2]->statusTip(), "Set the bookmark number 3 at the cursor");
    items[2]->trigger();  // bookmark 3 at line 3, column 2
    e->SetCaret({1, 1});
    items[9]->trigger();  // the tenth item sets bookmark 10
    EXPECT_TRUE(e->MarkerSet(3));
    EXPECT_TRUE(e->MarkerSet(10));

    e->BuildMarkerMenu(false);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(items[i]->isEnabled(), i == 2 || i == 9) << i;
    e->SetCaret({0, 0});
    items[2]->trigger();
    EXPECT_EQ(e->Caret(), (TCaret{2, 3}));
    items[9]->trigger();
    EXPECT_EQ(e->Caret(), (TCaret{1, 1}));
    // The bookmark follows its line when lines are inserted above it.
    e->SetCaret({0, 0});
    e->Editor()->insert("new\r\n");
    items[2]->trigger();
    EXPECT_EQ(e->Caret(), (TCaret{2, 4}));
}

TEST_F(StudioTest, SaveBlockWritesTheSelectionAndBacksUpTheTarget) {
    MakeMain();
    TChldEdit_Form* e = OpenNew("src.slo", "first\r\nsecond \xA3\xF3\x64\x9F\r\nthird");
    WriteFile(PathOf("block.slo"), "previous");
    e->Editor()->setSelection(1, 0, 2, 0);
    Boxes().FileAnswers = {{PathOf("block.slo")}};
    Main->EditAction("SaveBlock_EditMenu")->setEnabled(true);
    Main->EditAction("SaveBlock_EditMenu")->trigger();
    EXPECT_EQ(ReadFile(PathOf("block.slo")), "second \xA3\xF3\x64\x9F\r\n");
    EXPECT_EQ(ReadFile(PathOf("block.bak")), "previous");
    EXPECT_EQ(Boxes().FileRequests.at(0).FileName, "");

    // A target in a missing folder reports the write error.
    e->SaveBlockTo(PathOf("nope/x.slo"));
    ASSERT_EQ(Boxes().Count(TMsgKind::Error), 1);
    EXPECT_EQ(
        Boxes().Log[0].Text.rfind("File write error.\r\n" + PathOf("src.slo") + "\r\n\r\n", 0), 0u);
}

TEST_F(StudioTest, SaveBlockRefusesTextOutsideTheCodePageAndKeepsTheTarget) {
    MakeMain();
    TChldEdit_Form* e = OpenNew("src.slo", "ok");
    e->Editor()->setText(QString::fromUtf8("line \u4E2D\r\nnext"));
    WriteFile(PathOf("block.slo"), "previous");
    e->Editor()->setSelection(0, 0, 1, 2);
    e->SaveBlockTo(PathOf("block.slo"));
    EXPECT_EQ(ReadFile(PathOf("block.slo")), "previous");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(PathOf("block.bak"))));
    // The same refusal as saving the whole document, after the write error's heading.
    ASSERT_EQ(Boxes().Count(TMsgKind::Error), 1);
    EXPECT_EQ(Boxes().Log[0].Text,
              "File write error.\r\n" + PathOf("src.slo") +
                  "\r\n\r\nThe text holds 1 character(s) that code page 1250 cannot store "
                  "(U+4E2D); the file was not changed");
}

TEST_F(StudioTest, InsertFileSelectsTheInsertedText) {
    MakeMain();
    TChldEdit_Form* e = OpenNew("host.slo", "ab");
    WriteFile(PathOf("part.slo"), "X\nY");
    e->SetCaret({1, 0});
    e->InsertFile(PathOf("part.slo"));
    EXPECT_EQ(e->TextUtf8(), "aX\r\nYb");
    EXPECT_EQ(e->SelectedTextUtf8(), "X\r\nY");
    EXPECT_TRUE(e->IsModified());
    e->Editor()->undo();
    EXPECT_EQ(e->TextUtf8(), "ab");
}

TEST_F(StudioTest, StatusPanelsShowPositionModifiedAndInsertMode) {
    MakeMain();
    TChldEdit_Form* e = OpenNew("p.slo", "abc\r\ndef");
    EXPECT_EQ(Main->PositionPanel()->text(), "Pos 1: 1");
    EXPECT_EQ(Main->ModifiedPanel()->text(), "");
    e->SetCaret({2, 1});
    EXPECT_EQ(Main->PositionPanel()->text(), "Pos 2: 3");
    e->Editor()->setFocus();
    QTest::keyClick(e->Editor(), Qt::Key_X);
    EXPECT_EQ(Main->ModifiedPanel()->text(), "MOD");
    QTest::keyClick(e->Editor(), Qt::Key_Insert);
    EXPECT_EQ(Main->InsertPanel()->text(), "OVR");
    EXPECT_FALSE(e->InsertMode());
    QTest::keyClick(e->Editor(), Qt::Key_Y);  // overwrites the "f"
    EXPECT_EQ(e->TextUtf8(), "abc\r\ndexy");
    QTest::keyClick(e->Editor(), Qt::Key_Insert);
    EXPECT_EQ(Main->InsertPanel()->text(), "INS");
    e->Save();
    EXPECT_EQ(Main->ModifiedPanel()->text(), "");
}

TEST_F(StudioTest, PasteKeepsTheCaretInFrontOfThePastedText) {
    MakeMain();
    TChldEdit_Form* e = OpenNew("paste.slo", "ab");
    QApplication::clipboard()->setText("XY");
    e->SetCaret({1, 0});
    Main->UpdateEditMenu();
    ASSERT_TRUE(Main->EditAction("Paste_EditMenu")->isEnabled());
    Main->EditAction("Paste_EditMenu")->trigger();
    EXPECT_EQ(e->TextUtf8(), "aXYb");
    EXPECT_EQ(e->Caret(), (TCaret{1, 0}));
}

TEST_F(StudioTest, FindAndReplaceAll) {
    MakeMain();
    TChldEdit_Form* e = OpenNew("f.slo", "width=1 Width=2 width=3");
    EXPECT_TRUE(e->FindText("width", true, true, true));
    EXPECT_EQ(e->SelectedTextUtf8(), "width");
    EXPECT_TRUE(e->FindText("width", true, true, true));  // the next one (case-sensitive)
    EXPECT_EQ(e->Caret(), (TCaret{21, 0}));
    EXPECT_FALSE(e->FindText("height", false, false, true));
    EXPECT_EQ(e->ReplaceAll("width", "w", false, true), 3);
    EXPECT_EQ(e->TextUtf8(), "w=1 w=2 w=3");
}

TEST_F(StudioTest, FontsAndOptionsReachOpenWindows) {
    MakeMain();
    TChldEdit_Form* e = OpenNew("font.slo", "x");
    TPrefEdit_Form prefs(Main.get());
    QFont big = prefs.EditExample()->font();
    big.setPointSize(17);
    prefs.EditExample()->setFont(big);
    prefs.accept();
    EXPECT_EQ(Main->EditFont.Size, 17);
    EXPECT_EQ(Main->EditFont.CharSet, 238);
    QApplication::processEvents();  // window message 1130
    // The size the editor paints its text with (the colouring styles too).
    EXPECT_EQ(e->Editor()->SendScintilla(QsciScintillaBase::SCI_STYLEGETSIZE, 0UL), 17);
    EXPECT_EQ(e->Editor()->SendScintilla(QsciScintillaBase::SCI_STYLEGETSIZE, 6UL), 17);

    // Line numbers come from option bits 5 and 10, the bookmark gutter from bit 1.
    EXPECT_GT(e->Editor()->marginWidth(0), 0);
    EXPECT_GT(e->Editor()->marginWidth(1), 0);
    Main->EditorOptions = 0;
    Main->TextOptions = 0;
    Main->ApplyOptionsToChildren();
    EXPECT_EQ(e->Editor()->marginWidth(0), 0);
    EXPECT_EQ(e->Editor()->marginWidth(1), 0);
    EXPECT_FALSE(e->Editor()->autoIndent());
    Main->TextOptions = 1u << 4;
    Main->ApplyOptionsToChildren();
    EXPECT_TRUE(e->Editor()->autoIndent());
}

TEST_F(StudioTest, PopupMenuMirrorsTheFileMenu) {
    MakeMain();
    TChldEdit_Form* e = OpenNew("pop.slo", "x");
    emit e->PopupMenu()->aboutToShow();
    QAction* save = e->PopupMenu()->findChild<QAction*>("Save_FileMenu");
    QAction* dup = e->PopupMenu()->findChild<QAction*>("Duplicate_FileMenu");
    QAction* exportEntry = e->PopupMenu()->findChild<QAction*>("Export_FileMenu");
    ASSERT_TRUE(save && dup && exportEntry);
    EXPECT_TRUE(save->isEnabled());
    EXPECT_FALSE(dup->isVisible());         // hidden in this main window
    EXPECT_TRUE(exportEntry->isEnabled());  // SPSS export of the script
    e->Editor()->setText("changed");
    save->trigger();
    EXPECT_EQ(ReadFile(PathOf("pop.slo")), "changed");
}

namespace {

// An editor window that records the message shifts of change tracking.
class TShiftRecorder : public TChldEdit_Form {
public:
    using TChldEdit_Form::TChldEdit_Form;
    void ShiftMessages(int32_t position, int32_t delta) override {
        Shifts.push_back({position, delta});
    }
    std::vector<std::pair<int32_t, int32_t>> Shifts;
};

}  // namespace

TEST_F(StudioTest, ChangeTrackingReportsWhereAndHowMuchTheTextMoved) {
    MakeMain();
    auto* e = new TShiftRecorder(Main.get());
    QMdiSubWindow* sub = Main->MdiArea()->addSubWindow(e);
    sub->show();
    Main->MdiArea()->setActiveSubWindow(sub);
    e->SetTextBytes("ab\r\ncd*\r\n");
    e->TrackChange();
    e->Shifts.clear();
    e->SetCaret({0, 1});
    EXPECT_EQ(e->CaretOffset(e->Caret()), 5);  // "ab" + CR LF, then the first character
    e->Editor()->setFocus();
    QTest::keyClicks(e->Editor(), "xyz");
    ASSERT_EQ(e->Shifts.size(), 3u);
    // Messages after offset 4 (the line's first character is at 5) move.
    EXPECT_EQ(e->Shifts[0], (std::pair<int32_t, int32_t>{4, 1}));
    EXPECT_EQ(e->Shifts[2], (std::pair<int32_t, int32_t>{6, 1}));
    QTest::keyClick(e->Editor(), Qt::Key_Backspace);
    EXPECT_EQ(e->Shifts.back(), (std::pair<int32_t, int32_t>{6, -1}));
    // A click elsewhere before typing: the shift is where the typing is.
    e->SetCaret({1, 0});
    QTest::keyClick(e->Editor(), Qt::Key_Q);
    EXPECT_EQ(e->Shifts.back(), (std::pair<int32_t, int32_t>{1, 1}));
    // Deleting a selection of several characters (a Polish letter counts one).
    e->SetTextBytes(
        "ab\xB9"
        "cd");
    e->Shifts.clear();
    e->Editor()->setSelection(0, 1, 0, 4);  // "b", "ą" (two bytes), "c"
    QTest::keyClick(e->Editor(), Qt::Key_Delete);
    EXPECT_EQ(e->TextUtf8(), "ad");
    ASSERT_FALSE(e->Shifts.empty());
    EXPECT_EQ(e->Shifts.back(), (std::pair<int32_t, int32_t>{1, -3}));
}

TEST_F(StudioTest, MarkerShortcutsReachTheMainWindowFromTheEditor) {
    MakeMain();
    TChldEdit_Form* e = OpenNew("keys.slo", "abc");
    e->Editor()->setFocus();
    QApplication::setActiveWindow(Main.get());
    QTest::keyClick(e->Editor(), Qt::Key_K, Qt::ControlModifier);
    EXPECT_TRUE(e->MarkerMenu()->isVisible());
    EXPECT_TRUE(e->MarkerSetMode());
    e->MarkerMenu()->close();
    QTest::keyClick(e->Editor(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(e->MarkerMenu()->isVisible());
    EXPECT_FALSE(e->MarkerSetMode());
    e->MarkerMenu()->close();
    // Ctrl+D clears the selection instead of the component's line duplication.
    e->Editor()->selectAll(true);
    QTest::keyClick(e->Editor(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(e->TextUtf8(), "");
}

TEST_F(StudioTest, DroppedFilesAreOpened) {
    MakeMain();
    WriteFile(PathOf("drop1.slo"), "1");
    WriteFile(PathOf("drop2.slo"), "2");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(PathOf("drop1.slo"))),
                  QUrl::fromLocalFile(QString::fromStdString(PathOf("drop2.slo")))});
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Main.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Main.get(), &drop);
    QApplication::processEvents();
    ASSERT_EQ(Main->ChildWindows().size(), 2);
    EXPECT_EQ(Editor(0)->GetFileName(), PathOf("drop1.slo"));
    EXPECT_EQ(Editor(1)->TextUtf8(), "2");
}

TEST_F(StudioTest, WindowListShowsEveryChildWithItsState) {
    MakeMain();
    {
        TWindowList_Form list(Main.get());
        ASSERT_EQ(list.List()->topLevelItemCount(), 1);
        EXPECT_EQ(list.List()->topLevelItem(0)->text(0), "[no windows open]");
    }
    OpenNew("w1.slo", "a");
    TChldEdit_Form* b = OpenNew("w2.slo", "b");
    b->Editor()->setText("changed");
    TWindowList_Form list(Main.get());
    ASSERT_EQ(list.List()->topLevelItemCount(), 2);
    EXPECT_EQ(list.List()->headerItem()->text(0), "window");
    EXPECT_EQ(list.List()->topLevelItem(0)->text(1), "saved");
    EXPECT_EQ(list.List()->topLevelItem(1)->text(1), "modified");
    // Save from the list: the chosen row's window is saved.
    list.List()->topLevelItem(1)->setSelected(true);
    QTest::mouseClick(list.findChild<QPushButton*>("Save_Button"), Qt::LeftButton);
    EXPECT_EQ(ReadFile(PathOf("w2.slo")), "changed");
    EXPECT_EQ(list.List()->topLevelItem(1)->text(1), "saved");
}
