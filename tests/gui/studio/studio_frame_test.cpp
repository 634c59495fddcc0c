// SPDX-License-Identifier: GPL-3.0-or-later
// The main window frame driven like a user would: files, children, menus.
#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTest>
#include <Qsci/qsciscintilla.h>

#include <gtest/gtest.h>

#include "guitestenv.h"
#include "shell/langtext.h"
#include "studio/tappmain.h"
#include "studio/tchldedit.h"

using namespace tallyra::gui;
using namespace tallyra::gui::test;

TEST_F(StudioTest, OpensCommandLineFilesAtFirstActivation) {
    WriteFile(PathOf("a.slo"), "comment='A'*\r\n");
    WriteFile(PathOf("b.slo"), "comment='B'*\r\n");
    Main = std::make_unique<TAppMain_Form>();
    Main->SetCommandLineFiles(
        {QString::fromStdString(PathOf("a.slo")), QString::fromStdString(PathOf("b.slo"))});
    Main->show();
    QApplication::processEvents();
    ASSERT_EQ(Main->ChildWindows().size(), 2);
    EXPECT_EQ(Editor(0)->TextUtf8(), "comment='A'*\r\n");
    EXPECT_EQ(Editor(1)->GetFileName(), PathOf("b.slo"));
    EXPECT_FALSE(Editor(1)->IsModified());
    EXPECT_TRUE(Editor(1)->isVisible());
    EXPECT_EQ(Main->ActiveChild(), Editor(1));
}

namespace {

bool Enabled(TAppMain_Form* m, const char* name) {
    QAction* a = m->FileAction(name);
    if (!a) a = m->EditAction(name);
    EXPECT_NE(a, nullptr) << name;
    return a && a->isEnabled();
}

// A bare child offering a chosen command list.
class TBareChild : public TChildMDI_Form {
public:
    TBareChild(TAppMDI_Form* main, std::initializer_list<const char*> names)
        : TChildMDI_Form(main) {
        for (const char* n : names) {
            QAction* a = AddCommand(n);
            QObject::connect(a, &QAction::triggered, [this, n] { Ran.push_back(n); });
        }
    }
    std::vector<std::string> Ran;
};

}  // namespace

TEST_F(StudioTest, FileMenuEnablingFollowsOpenChildren) {
    MakeMain();
    const char* childOnly[] = {"Save_FileMenu",  "SaveAs_FileMenu", "SaveAll_FileMenu",
                               "Print_FileMenu", "Close_FileMenu",  "CloseAll_FileMenu"};
    Main->UpdateFileMenu();
    for (const char* n : childOnly)
        EXPECT_FALSE(Enabled(Main.get(), n)) << n;
    EXPECT_TRUE(Enabled(Main.get(), "New_FileMenu"));
    EXPECT_TRUE(Enabled(Main.get(), "Open_FileMenu"));
    EXPECT_FALSE(Main->FileAction("Find_FileMenu")->isVisible());
    EXPECT_FALSE(Main->FileAction("Send_FileMenu")->isVisible());

    Main->NewFile();
    QApplication::processEvents();
    Main->UpdateFileMenu();
    for (const char* n : childOnly)
        EXPECT_TRUE(Enabled(Main.get(), n)) << n;
    // Script windows export SPSS syntax.
    EXPECT_TRUE(Enabled(Main.get(), "Export_FileMenu"));

    Main->CloseAll();
    QApplication::processEvents();
    Main->UpdateFileMenu();
    for (const char* n : childOnly)
        EXPECT_FALSE(Enabled(Main.get(), n)) << n;
}

TEST_F(StudioTest, EditMenuEnablingFollowsEditorState) {
    MakeMain();
    Main->UpdateEditMenu();
    for (const char* n : {"Undo_EditMenu", "Copy_EditMenu", "SelectAll_EditMenu", "Find_EditMenu",
                          "GotoLine_EditMenu"})
        EXPECT_FALSE(Enabled(Main.get(), n)) << n;

    TChldEdit_Form* e = OpenNew("e.slo", "page*\r\n");
    Main->UpdateEditMenu();
    for (const char* n : {"Undo_EditMenu", "Redo_EditMenu", "Copy_EditMenu", "Cut_EditMenu",
                          "Clear_EditMenu", "SaveBlock_EditMenu"})
        EXPECT_FALSE(Enabled(Main.get(), n)) << n;
    for (const char* n : {"SelectAll_EditMenu", "Find_EditMenu", "FindNext_EditMenu",
                          "Replace_EditMenu", "InsertFile_EditMenu", "GotoLine_EditMenu"})
        EXPECT_TRUE(Enabled(Main.get(), n)) << n;

    e->Editor()->setFocus();
    QTest::keyClicks(e->Editor(), "ab");
    e->Editor()->selectAll(true);
    Main->UpdateEditMenu();
    for (const char* n :
         {"Undo_EditMenu", "Copy_EditMenu", "Cut_EditMenu", "Clear_EditMenu", "SaveBlock_EditMenu"})
        EXPECT_TRUE(Enabled(Main.get(), n)) << n;
    EXPECT_FALSE(Enabled(Main.get(), "Redo_EditMenu"));

    // The placeholder runs the active editor's command.
    Main->EditAction("Clear_EditMenu")->trigger();
    EXPECT_EQ(e->TextUtf8(), "");
    Main->EditAction("Undo_EditMenu")->trigger();
    EXPECT_EQ(e->TextUtf8(), "abpage*\r\n");
}

TEST_F(StudioTest, BindingLeavesMissingPlaceholdersDisabledAndIgnoresExtraCommands) {
    MakeMain();
    QAction* help = Main->HelpMenu()->findChild<QAction*>("Contents_HelpMenu");
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->shortcut(), QKeySequence(Qt::Key_F1));
    auto* child = new TBareChild(Main.get(), {"Zz_Unknown", "Save_FileMenu", "Undo_EditMenu"});
    QMdiSubWindow* sub = Main->MdiArea()->addSubWindow(child);
    sub->show();
    Main->MdiArea()->setActiveSubWindow(sub);
    QApplication::processEvents();
    ASSERT_EQ(Main->ActiveChild(), child);

    QAction* save = Main->FileAction("Save_FileMenu");
    EXPECT_TRUE(save->isEnabled());
    EXPECT_EQ(Main->BoundCommand(save), child->Child_ActionList()[1]);
    EXPECT_EQ(Main->BoundCommand(Main->EditAction("Undo_EditMenu")), child->Child_ActionList()[2]);
    for (const char* n : {"SaveAs_FileMenu", "Export_FileMenu", "Print_FileMenu", "Copy_EditMenu",
                          "Paste_EditMenu", "GotoLine_EditMenu"}) {
        QAction* a = Main->FileAction(n) ? Main->FileAction(n) : Main->EditAction(n);
        EXPECT_FALSE(a->isEnabled()) << n;
        EXPECT_EQ(Main->BoundCommand(a), nullptr) << n;
    }
    // Menu opening keeps the rule: a missing command stays disabled.
    Main->UpdateFileMenu();
    EXPECT_FALSE(Main->FileAction("SaveAs_FileMenu")->isEnabled());
    EXPECT_FALSE(Main->FileAction("Print_FileMenu")->isEnabled());
    EXPECT_TRUE(help->shortcut().isEmpty());
    save->trigger();
    EXPECT_EQ(child->Ran, (std::vector<std::string>{"Save_FileMenu"}));

    // A disabled child command binds disabled.
    child->Child_ActionList()[1]->setEnabled(false);
    Main->BindChildCommands(child->Child_ActionList());
    EXPECT_FALSE(save->isEnabled());

    sub->close();
    QApplication::processEvents();
    EXPECT_EQ(Main->BoundCommand(save), nullptr);
    EXPECT_EQ(Main->BoundCommand(Main->EditAction("Undo_EditMenu")), nullptr);
    EXPECT_EQ(help->shortcut(), QKeySequence(Qt::Key_F1));
}

TEST_F(StudioTest, SavingTwiceLeavesOneBackupWithThePreviousContent) {
    MakeMain();
    TChldEdit_Form* e = OpenNew("twice.slo", "v1*\r\n");
    e->Editor()->setText("v2*\r\n");
    e->Save();
    EXPECT_FALSE(e->IsModified());
    EXPECT_EQ(ReadFile(PathOf("twice.slo")), "v2*\r\n");
    EXPECT_EQ(ReadFile(PathOf("twice.bak")), "v1*\r\n");
    e->Editor()->setText("v3*\r\n");
    e->Save();
    EXPECT_EQ(ReadFile(PathOf("twice.slo")), "v3*\r\n");
    EXPECT_EQ(ReadFile(PathOf("twice.bak")), "v2*\r\n");
    int baks = 0;
    for (const QString& f : QDir(Dir.path()).entryList(QDir::Files))
        if (f.endsWith(".bak")) ++baks;
    EXPECT_EQ(baks, 1);
    EXPECT_EQ(Main->SaveAsDir, Dir.path().toStdString());
    EXPECT_EQ(Boxes().Log.size(), 0u);
}

TEST_F(StudioTest, CloseQuestionYesOnUntitledRunsSaveAsAndCancelKeepsWindow) {
    MakeMain();
    auto* e = qobject_cast<TChldEdit_Form*>(Main->NewFile());
    EXPECT_EQ(e->GetFileName(), "NoName1");
    EXPECT_FALSE(e->IsModified());  // a new empty script closes without a question
    e->Editor()->setText("x*");
    ASSERT_TRUE(e->IsModified());

    Boxes().Answers = {MsgResultYes};  // save now? yes -> Save as, whose dialog is cancelled
    EXPECT_FALSE(e->SubWindow()->close());
    QApplication::processEvents();
    ASSERT_EQ(Boxes().Count(TMsgKind::Confirm), 1);
    EXPECT_NE(Boxes().Log[0].Text.find("Changes in file not saved:\r\n\"NoName1\"."),
              std::string::npos);
    ASSERT_EQ(Boxes().FileRequests.size(), 1u);
    EXPECT_EQ(Boxes().FileRequests[0].Title, "Save file as...");
    EXPECT_EQ(Boxes().FileRequests[0].FileName, "");
    EXPECT_EQ(Main->ChildWindows().size(), 1);

    Boxes().Answers = {MsgResultCancel};
    EXPECT_FALSE(e->SubWindow()->close());
    EXPECT_EQ(Main->ChildWindows().size(), 1);

    // Yes again, now the dialog names a file: saved and closed.
    Boxes().Answers = {MsgResultYes};
    Boxes().FileAnswers = {{PathOf("named.slo")}};
    EXPECT_TRUE(e->SubWindow()->close());
    QApplication::processEvents();
    EXPECT_EQ(ReadFile(PathOf("named.slo")), "x*");
    EXPECT_TRUE(Main->ChildWindows().isEmpty());
    // The closed file went to the recent list.
    ASSERT_FALSE(Main->Recents().List().Items.empty());
    EXPECT_EQ(Main->Recents().List().Items[0].Path, PathOf("named.slo"));
    EXPECT_FALSE(Main->Recents().List().Items[0].Open);
}

TEST_F(StudioTest, CloseQuestionNoClosesWithoutSaving) {
    MakeMain();
    TChldEdit_Form* e = OpenNew("keep.slo", "old*");
    e->Editor()->setText("new*");
    Boxes().Answers = {MsgResultNo};
    EXPECT_TRUE(e->SubWindow()->close());
    QApplication::processEvents();
    EXPECT_EQ(ReadFile(PathOf("keep.slo")), "old*");
    EXPECT_TRUE(Main->ChildWindows().isEmpty());
}

TEST_F(StudioTest, SaveAllStopsAtTheFirstFailure) {
    MakeMain();
    TChldEdit_Form* a = OpenNew("a.slo", "a");
    TChldEdit_Form* b = OpenNew("b.slo", "b");
    TChldEdit_Form* c = OpenNew("c.slo", "c");
    for (TChldEdit_Form* e : {a, b, c})
        e->Editor()->setText("changed");
    b->SetFileName(PathOf("missing-folder/b.slo"));
    Main->SaveAll();
    EXPECT_FALSE(a->IsModified());
    EXPECT_EQ(ReadFile(PathOf("a.slo")), "changed");
    EXPECT_TRUE(b->IsModified());
    EXPECT_TRUE(c->IsModified());
    EXPECT_EQ(ReadFile(PathOf("c.slo")), "c");
    ASSERT_EQ(Boxes().Count(TMsgKind::Error), 1);
    EXPECT_EQ(Boxes().Log[0].Text.rfind(
                  "Error saving file:\r\n\"" + PathOf("missing-folder/b.slo") + "\".\r\n\r\n", 0),
              0u);
}

TEST_F(StudioTest, CloseAllStopsAtACancel) {
    MakeMain();
    TChldEdit_Form* a = OpenNew("a.slo", "a");
    TChldEdit_Form* b = OpenNew("b.slo", "b");
    TChldEdit_Form* c = OpenNew("c.slo", "c");
    for (TChldEdit_Form* e : {a, b, c})
        e->Editor()->setText("changed");
    // From the last: c answered No (closes), b answered Cancel (stays), a never asked.
    Boxes().Answers = {MsgResultNo, MsgResultCancel};
    Main->CloseAll();
    QApplication::processEvents();
    EXPECT_EQ(Boxes().Count(TMsgKind::Confirm), 2);
    ASSERT_EQ(Main->ChildWindows().size(), 2);
    EXPECT_EQ(Main->ChildWindows()[0], a);
    EXPECT_EQ(Main->ChildWindows()[1], b);
}

TEST_F(StudioTest, FileTimeWatchAsksOncePerChange) {
    MakeMain();
    TChldEdit_Form* a = OpenNew("watched.slo", "one*");
    TChldEdit_Form* b = OpenNew("other.slo", "x");
    WriteFile(PathOf("watched.slo"), "two*");
    const QDateTime later = QDateTime::currentDateTime().addSecs(30);
    {
        QFile f(QString::fromStdString(PathOf("watched.slo")));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(later, QFileDevice::FileModificationTime));
    }
    Boxes().Answers = {MsgResultNo};
    Main->ActivateChild(a);
    QApplication::processEvents();
    Main->ActivateChild(b);
    Main->ActivateChild(a);
    QApplication::processEvents();
    ASSERT_EQ(Boxes().Count(TMsgKind::Confirm), 1);
    EXPECT_NE(Boxes().Log[0].Text.find("File's time/date has changed:"), std::string::npos);
    EXPECT_EQ(Boxes().Log[0].Text.find("Warning:"), std::string::npos);
    EXPECT_EQ(a->TextUtf8(), "one*");

    // The next change with local edits: the warning line, and Yes reloads.
    a->Editor()->setText("edited");
    {
        QFile f(QString::fromStdString(PathOf("watched.slo")));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(later.addSecs(30), QFileDevice::FileModificationTime));
    }
    Boxes().Answers = {MsgResultYes};
    a->CheckFileTime();
    a->CheckFileTime();
    ASSERT_EQ(Boxes().Count(TMsgKind::Confirm), 2);
    EXPECT_NE(Boxes().Log[1].Text.find("Warning: any current changes"), std::string::npos);
    EXPECT_EQ(a->TextUtf8(), "two*");
    EXPECT_FALSE(a->IsModified());
}

TEST_F(StudioTest, RecentsMenuHidesOpenFilesAndShowsNoFilesWhenEmpty) {
    MakeMain();
    Main->BuildRecentsMenu();
    QList<QAction*> items = Main->RecentsMenu()->actions();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0]->text(), "[no files]");
    EXPECT_FALSE(items[0]->isEnabled());

    TChldEdit_Form* a = OpenNew("r1.slo", "a");
    OpenNew("r2.slo", "b");
    Main->BuildRecentsMenu();
    EXPECT_EQ(Main->RecentsMenu()->actions().size(), 1);  // both open: nothing listed

    a->SubWindow()->close();
    QApplication::processEvents();
    Main->BuildRecentsMenu();
    items = Main->RecentsMenu()->actions();
    ASSERT_EQ(items.size(), 4);
    EXPECT_TRUE(items[0]->text().startsWith("&A    "));
    EXPECT_TRUE(items[0]->text().contains("r1.slo"));
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_EQ(items[2]->text(), "Remove obsolete...");
    EXPECT_EQ(items[3]->text(), "Remove all...");

    // Choosing the entry opens the file again; it leaves the menu.
    items[0]->trigger();
    QApplication::processEvents();
    EXPECT_EQ(Main->ChildWindows().size(), 2);
    Main->BuildRecentsMenu();
    EXPECT_EQ(Main->RecentsMenu()->actions().size(), 1);
}

TEST_F(StudioTest, TwentySevenClosedFilesLeaveTwentySixRecents) {
    MakeMain();
    for (int i = 0; i < 27; ++i) {
        TChldEdit_Form* e = OpenNew("f" + std::to_string(i) + ".slo", "x");
        e->SubWindow()->close();
        QApplication::processEvents();
    }
    const auto& items = Main->Recents().List().Items;
    ASSERT_EQ(items.size(), 26u);
    EXPECT_EQ(items.front().Path, PathOf("f26.slo"));
    EXPECT_EQ(items.back().Path, PathOf("f1.slo"));
    // Opening a listed file under another letter case moves it to the top.
    Main->Recents().AddClosed(QString::fromStdString(PathOf("F5.SLO")).toStdString());
    EXPECT_EQ(items.size(), 26u);
    EXPECT_EQ(items.front().Path, PathOf("f5.slo"));
}

TEST_F(StudioTest, WindowMenuEnablingCountsMinimisedChildren) {
    MakeMain();
    auto state = [this] {
        Main->UpdateWindowMenu();
        std::string s;
        for (const char* n : {"Cascade_WindowMenu", "TileH_WindowMenu", "Arrange_WindowMenu",
                              "Previous_WindowMenu", "Next_WindowMenu", "List_WindowMenu"})
            s += Main->WindowAction(n)->isEnabled() ? '1' : '0';
        return s;
    };
    EXPECT_EQ(state(), "000000");
    TChldEdit_Form* a = OpenNew("a.slo", "a");
    OpenNew("b.slo", "b");
    TChldEdit_Form* c = OpenNew("c.slo", "c");
    a->SubWindow()->showNormal();
    c->SubWindow()->showMinimized();
    QApplication::processEvents();
    EXPECT_EQ(state(), "111111");
    a->SubWindow()->showMinimized();
    QApplication::processEvents();
    EXPECT_EQ(state(), "111001");
}

TEST_F(StudioTest, OpeningAMissingFileNamesItUntitledFree) {
    MakeMain();
    Main->OpenFile(PathOf("not-there.slo"));
    QApplication::processEvents();
    ASSERT_EQ(Main->ChildWindows().size(), 1);
    EXPECT_FALSE(Editor(0)->IsUntitled());
    EXPECT_EQ(Editor(0)->TextUtf8(), "");
    EXPECT_EQ(Boxes().Log.size(), 0u);
}

TEST_F(StudioTest, ExportProposesTheNameWithoutItsLastExtension) {
    EXPECT_EQ(TChldGen_Form::ExportProposal("/d/a.b.slo", false), "a.b");
    EXPECT_EQ(TChldGen_Form::ExportProposal("NoName1", true), "");
}

TEST_F(StudioTest, PrintingCommandsNeedAPrinter) {
    MakeMain();
    OpenNew("print.slo", "x");
    Main->UpdateFileMenu();
    for (const char* n : {"Print_FileMenu", "PrinterSetup_FileMenu", "PageSetup_FileMenu"}) {
        Boxes().Log.clear();
        Main->FileAction(n)->trigger();
        ASSERT_EQ(Boxes().Log.size(), 1u) << n;
        EXPECT_EQ(Boxes().Log[0].Kind, TMsgKind::Error);
        EXPECT_EQ(Boxes().Log[0].Text, "No printers installed.");
    }
}

TEST_F(StudioTest, NoTwoMenuEntriesShareAShortcut) {
    MakeMain();
    std::map<QString, QString> seen;
    for (QAction* a : Main->findChildren<QAction*>()) {
        for (const QKeySequence& k : a->shortcuts()) {
            const QString key = k.toString();
            auto [it, fresh] = seen.emplace(key, a->objectName());
            EXPECT_TRUE(fresh) << key.toStdString() << ": " << a->objectName().toStdString()
                               << " and " << it->second.toStdString();
        }
    }
    EXPECT_EQ(seen.count("Ctrl+Q"), 1u);
    EXPECT_EQ(seen["Ctrl+Q"], "GotoMarker_EditMenu");
}

TEST_F(StudioTest, AcceleratorsAreUniqueInEveryMenuInBothLanguages) {
    MakeMain();
    for (int language : {1, 2}) {
        Main->ChangeLanguage(language);
        QList<QMenu*> menus = Main->findChildren<QMenu*>();
        ASSERT_GT(menus.size(), 5);
        for (QMenu* menu : menus) {
            if (menu->objectName() == "Recents_Menu") continue;  // letters A..Z by design
            std::map<QChar, QString> seen;
            for (QAction* a : menu->actions()) {
                if (!a->isVisible() || a->isSeparator()) continue;
                // The English captions of Check and Test script at cursor are
                // fixed texts that share their letter; F9 and F11 reach them.
                if (language == 1 && a->objectName() == "TestCursor_ScriptMenu") continue;
                const QString text = a->text();
                const qsizetype amp = text.indexOf('&');
                if (amp < 0 || amp + 1 >= text.size()) continue;
                const QChar key = text[amp + 1].toLower();
                auto [it, fresh] = seen.emplace(key, text);
                EXPECT_TRUE(fresh)
                    << "language " << language << ", menu " << menu->objectName().toStdString()
                    << ": " << text.toStdString() << " / " << it->second.toStdString();
            }
        }
    }
}

TEST_F(StudioTest, AClosedScriptWindowIsDestroyedWithTheToolbarUpdated) {
    MakeMain();
    Main->NewFile();
    QApplication::processEvents();
    ASSERT_EQ(Main->ChildWindows().size(), 1);
    EXPECT_TRUE(Main->ScriptAction("Check_ToolButton")->isEnabled());
    ASSERT_TRUE(Main->ChildWindows().front()->SubWindow()->close());
    // The sub-window is deleted later, as in the event loop; the child then
    // tells the main window it is gone while its sub-window is half destroyed.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    EXPECT_TRUE(Main->ChildWindows().isEmpty());
    EXPECT_FALSE(Main->ScriptAction("Check_ToolButton")->isEnabled());
}
