// SPDX-License-Identifier: GPL-3.0-or-later
// The merge of data files from Studio's Data menu: the file dialogs, the
// progress window and its report, and what stops the merge before it starts.
#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <Qsci/qsciscintilla.h>

#include <gtest/gtest.h>

#include "guitestenv.h"
#include "merge/progresswindows.h"
#include "shell/langui.h"
#include "shell/modalrun.h"
#include "studio/ttydchild.h"

using namespace tallyra;
using namespace tallyra::gui;
using namespace tallyra::gui::test;

namespace {

using MergeWindowTest = StudioTest;

}  // namespace

TEST_F(MergeWindowTest, MergeOfThreeInputsThroughTheWindow) {
    MakeMain();
    Main->UpdateDataMenu();
    EXPECT_FALSE(Main->ScriptAction("MergeData_DataMenu")->isEnabled());
    OpenScript("m.slo", "left='a' text width=20*\r\n");
    Main->UpdateDataMenu();
    EXPECT_TRUE(Main->ScriptAction("MergeData_DataMenu")->isEnabled());
    const std::string record = "abcdefghijklmnopqrst\r\n";
    std::string a, b;
    for (int i = 0; i < 3; ++i)
        a += record;
    for (int i = 0; i < 5; ++i)
        b += record;
    WriteFile(PathOf("a.dat"), a);
    WriteFile(PathOf("b.dat"), b + "0123456789");
    Boxes().FileAnswers = {{PathOf("a.dat"), PathOf("b.dat"), PathOf("c.dat")},
                           {PathOf("out.dat")}};
    QString shown, button;
    SetModalHandler([&](QDialog* d) {
        auto* p = dynamic_cast<TProgressChecker_Form*>(d);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->windowTitle(), "Merging data...");
        for (int i = 0; i < 1000 && !p->MergeDone(); ++i)
            QApplication::processEvents();
        ASSERT_TRUE(p->MergeDone());
        shown = p->Memo->toPlainText();
        button = p->Cancel_Button->text();
        QTest::mouseClick(p->Cancel_Button, Qt::LeftButton);
        EXPECT_FALSE(p->isVisible());
    });
    Main->ScriptAction("MergeData_DataMenu")->trigger();
    EXPECT_EQ(button, "OK");
    const QString expected =
        QString(
            "Creating output file \"%1\"...\n\nMerging files...\n"
            "    %2 - 3\n    %3 - 5 (partial record removed)\n"
            "    %4 (file not found)\n\n"
            "Number of records in output file: 8")
            .arg(Q(PathOf("out.dat")), Q(PathOf("a.dat")), Q(PathOf("b.dat")), Q(PathOf("c.dat")));
    EXPECT_EQ(shown.trimmed(), expected);
    EXPECT_EQ(ReadFile(PathOf("out.dat")), a + b);
    EXPECT_EQ(ReadFile(PathOf("b.dat")), b);  // the partial record is gone
    EXPECT_EQ(Main->OpenDir, Dir.path().toStdString());
    ASSERT_EQ(Boxes().FileRequests.size(), 2u);
    EXPECT_EQ(Boxes().FileRequests[0].Title, "Merge data files");
    EXPECT_EQ(Boxes().FileRequests[1].Title, "Output data file");

    // Cancelling the output dialog merges nothing.
    Boxes().FileAnswers = {{PathOf("a.dat")}, {}};
    SetModalHandler([](QDialog*) { ADD_FAILURE() << "no progress window expected"; });
    Main->ScriptAction("MergeData_DataMenu")->trigger();
    // A script with an error stops before the dialogs.
    Boxes().FileRequests.clear();
    qobject_cast<TTYDChild_Form*>(Main->ActiveChild())->Editor()->setText("left='a' widht=1*");
    Main->ScriptAction("MergeData_DataMenu")->trigger();
    EXPECT_TRUE(Boxes().FileRequests.empty());
}
