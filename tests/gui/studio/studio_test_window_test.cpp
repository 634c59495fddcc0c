// SPDX-License-Identifier: GPL-3.0-or-later
// Test script and Test script at cursor from the script editor: the check
// first, the modal test window on the checked script, the start index from
// the text before the cursor, and the temporary file gone after closing.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <Qsci/qsciscintilla.h>

#include <gtest/gtest.h>

#include "entry/checkoptdlg.h"
#include "entry/tapptytest.h"
#include "guitestenv.h"
#include "shell/langui.h"
#include "shell/modalrun.h"
#include "studio/ttydchild.h"

namespace tallyra::gui::test {
namespace {

class TestWindowTest : public StudioTest {
protected:
    void SetUp() override {
        StudioTest::SetUp();
        TTYDChild_Form::TestFolder() = PathOf("tmp");
        QDir().mkpath(Q(PathOf("tmp")));
        MakeMain();
    }
    void TearDown() override {
        SetModalWindowHandler({});
        TTYDChild_Form::TestFolder().clear();
        StudioTest::TearDown();
    }
    TTYDChild_Form* Script(const std::string& bytes) {
        return qobject_cast<TTYDChild_Form*>(OpenNew("s.slo", bytes));
    }
    QStringList TempFiles() const {
        return QDir(Q(PathOf("tmp"))).entryList({"TYS*.tmp"}, QDir::Files);
    }
    bool Enabled(const char* name) {
        Main->UpdateScriptMenu();
        Main->UpdateToolbar();
        return Main->ScriptAction(name)->isEnabled();
    }
};

// Twelve one-character fields, one instruction per line; field k (from 0)
// has the automatic value k % 10.
std::string TwelveFields() {
    std::string s;
    for (int k = 0; k < 12; ++k)
        s += "left='f" + std::to_string(k) + "' width=1 auto=" + std::to_string(k % 10) + "*\r\n";
    return s;
}

TEST_F(TestWindowTest, BrokenScriptListsErrorsAndOpensNothing) {
    TTYDChild_Form* w = Script("left='a' widht=2*\r\n");
    bool opened = false;
    SetModalWindowHandler([&](QWidget*) { opened = true; });
    QTest::keyClick(static_cast<QWidget*>(w->Editor()), Qt::Key_F10);
    EXPECT_FALSE(opened);
    EXPECT_GT(w->MessageList().Count(), 0);
    EXPECT_TRUE(w->CheckDone());
}

TEST_F(TestWindowTest, TestScriptKeysIntoATemporaryFileThatGoesAway) {
    EXPECT_FALSE(Enabled("TestScript_ScriptMenu"));
    EXPECT_FALSE(Enabled("TestCursor_ToolButton"));
    Script("left='a' width=1 range=[1:5]*left='b' width=2 range=[0:99]*\r\n");
    EXPECT_TRUE(Enabled("TestScript_ScriptMenu"));
    EXPECT_TRUE(Enabled("TestCursor_ToolButton"));
    std::string temp, bytes, title;
    int startIndex = -1;
    SetModalWindowHandler([&](QWidget* window) {
        auto* t = dynamic_cast<TAppTYTest_Form*>(window);
        ASSERT_NE(t, nullptr);
        title = S(t->windowTitle());
        startIndex = t->StartIndex();
        temp = t->TempFileName();
        EXPECT_TRUE(t->Action("Find_Action")->isVisible());

        for (const char* keys : {"3", "42", "1", "07"})
            for (const char* k = keys; *k; ++k)
                QTest::keyClick(t->CurrentEdit()->Control(), *k);
        t->Store()->SaveRecord();
        bytes = ReadFile(temp);
        EXPECT_TRUE(t->close());
    });
    Main->ScriptAction("TestScript_ScriptMenu")->trigger();
    EXPECT_EQ(title, "Tallyra Tester");
    EXPECT_EQ(startIndex, 0);
    EXPECT_EQ(bytes, "342\r\n107\r\n");
    EXPECT_FALSE(temp.empty());
    EXPECT_FALSE(QFileInfo::exists(Q(temp)));
    EXPECT_TRUE(TempFiles().isEmpty()) << S(TempFiles().join(","));
    // No settings were read or written by the test window.
    EXPECT_FALSE(Store().HasKey("\\Software\\Tallyra Systems\\Tallyra Tester"));
}

TEST_F(TestWindowTest, TestAtCursorInTheTenthInstructionFillsTheEarlierFields) {
    TTYDChild_Form* w = Script(TwelveFields());
    w->SetCaret(TCaret{4, 9});  // inside the tenth instruction's line
    EXPECT_EQ(w->StartIndexAtCursor(), 9);
    int cur = -1;
    std::string record;
    SetModalWindowHandler([&](QWidget* window) {
        auto* t = dynamic_cast<TAppTYTest_Form*>(window);
        ASSERT_NE(t, nullptr);
        cur = t->Store()->Context().Cur;
        record = t->Store()->CurRecord().substr(0, 9);
        EXPECT_TRUE(t->close());
    });
    QTest::keyClick(static_cast<QWidget*>(w->Editor()), Qt::Key_F11);
    EXPECT_EQ(cur, 9);
    EXPECT_EQ(record, "012345678");
    EXPECT_TRUE(TempFiles().isEmpty());
}

TEST_F(TestWindowTest, StartIndexCountsTheInstructionsBeforeTheCursor) {
    const struct {
        TCaret Caret;
        int Start;
    } cases[] = {{{0, 0}, 0}, {{3, 0}, 0}, {{0, 1}, 1}, {{3, 11}, 11}, {{30, 11}, 12}};
    TTYDChild_Form* w = Script(TwelveFields());
    for (const auto& c : cases) {
        w->SetCaret(c.Caret);
        EXPECT_EQ(w->StartIndexAtCursor(), c.Start) << c.Caret.Line << ":" << c.Caret.Col;
    }
}

}  // namespace
}  // namespace tallyra::gui::test

namespace tallyra::gui::test {
namespace {

TEST_F(TestWindowTest, CheckAllInTheTestWindowShowsTheFirstError) {
    Script("left='id' width=3 recid auto=1 range=[1:999]*left='a' width=1 range=[0:1] auto=0*\r\n");
    std::string panel;
    SetModalWindowHandler([&](QWidget* window) {
        auto* t = dynamic_cast<TAppTYTest_Form*>(window);
        ASSERT_NE(t, nullptr);
        for (const char* k = "10"; *k; ++k)
            QTest::keyClick(t->CurrentEdit()->Control(), *k);
        SetModalHandler([](QDialog* d) {
            for (QCheckBox* box : dynamic_cast<TDlgCheckOpt_Form*>(d)->Boxes())
                box->click();
            dynamic_cast<TDlgCheckOpt_Form*>(d)->OkButton()->click();
        });
        t->Action("CheckAll_Action")->trigger();
        SetModalHandler({});
        panel = S(t->ErrorInfoPanel()->text());
        EXPECT_TRUE(t->close());
    });
    Main->ScriptAction("TestScript_ScriptMenu")->trigger();
    EXPECT_EQ(panel, "Error 1/1: automatic value outside of a filter/group");
}

}  // namespace
}  // namespace tallyra::gui::test
