// SPDX-License-Identifier: GPL-3.0-or-later
// The viewer: it asks for an existing data file, shows the first record,
// marks fields and records with the Select menu and the range dialog, and
// saves the selection as three files. Preview data and Enter data in Studio.
#include <memory>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "guitestenv.h"
#include "script/tpxdictionary.h"
#include "shell/langui.h"
#include "shell/modalrun.h"
#include "station/rangedlg.h"
#include "station/tapptypd.h"
#include "studio/ttydchild.h"
#include "verify/operatorlog.h"

namespace tallyra::gui::test {
namespace {

// Ten fields (instruction indexes 0..9), widths 2, 5, 1 for the first three.
std::string TenFields() {
    std::string s =
        "left='a' width=2 range=[0:99] varlab='Age'*left='b' text width=5*"
        "left='c' width=1 range=[0:9]*";
    for (int i = 3; i < 10; ++i)
        s += "left='f" + std::to_string(i) + "' width=1 range=[0:9]*";
    return s;
}

std::string Record(int n) {
    return "1" + std::to_string(n) + "name" + std::to_string(n) + std::to_string(n) + "1234567\r\n";
}

class ViewerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEnvironment();
        ASSERT_TRUE(Dir.isValid());
    }
    void TearDown() override {
        Window.reset();
        SetModalHandler({});
        QApplication::processEvents();
        ResetEnvironment();
    }
    std::string Path(const std::string& name) const { return S(Dir.filePath(Q(name))); }
    TAppTYPD_Form& Open(int records) {
        std::string data;
        for (int r = 1; r <= records; ++r)
            data += Record(r % 10);
        WriteFile(Path("d.dat"), data);
        Dictionary = std::make_unique<core::TPXDictionary>(
            TenFields(), core::DefaultScriptOptions(), Messages, nullptr);
        Boxes().FileAnswers.push_back({Path("d.dat")});
        Window = std::make_unique<TAppTYPD_Form>(nullptr, *Dictionary);
        Window->show();
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
        Window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(Window.get()));
        return *Window;
    }
    std::vector<int> SelectedFields() const {
        std::vector<int> out;
        for (int32_t i = 0; i < Dictionary->Instructions.Count(); ++i)
            if (static_cast<core::TPXFieldInstruction*>(Dictionary->Instructions.Get(i))->Selected)
                out.push_back(i);
        return out;
    }
    std::vector<int> SelectedRecords() const {
        std::vector<int> out;
        for (int r = 1; r <= Window->Viewer()->FullCount(); ++r)
            if (Window->Viewer()->IsSelected(r)) out.push_back(r);
        return out;
    }
    // Moves to field `f` of the current record (Up to the first, Down on).
    void GoToField(int f) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up, Qt::ControlModifier);
        for (int i = 0; i < f; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        ASSERT_EQ(Window->Store()->Context().Cur, f);
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, mods);
    }

    QTemporaryDir Dir;
    core::TPXMessageList Messages;
    std::unique_ptr<core::TPXDictionary> Dictionary;
    std::unique_ptr<TAppTYPD_Form> Window;
};

TEST_F(ViewerTest, AsksForAnExistingFileAndShowsTheFirstRecord) {
    TAppTYPD_Form& w = Open(5);
    ASSERT_EQ(Boxes().FileRequests.size(), 1u);
    EXPECT_EQ(Boxes().FileRequests[0].DialogMode, TFileDialogRequest::Mode::Open);
    ASSERT_NE(w.Viewer(), nullptr);
    EXPECT_EQ(w.Store()->Context().Rec, 1);
    EXPECT_EQ(w.windowTitle(), "Tallyra Viewer");
    EXPECT_FALSE(w.FileMenu()->actions().contains(w.Action("OpenDict_Action")));
    // Ctrl+End stays on the last full record: no new records here.
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(w.Store()->Context().Rec, 5);
    // Nobody keys here: no verify mode, no operator log.
    ASSERT_NE(w.Action("VerifyData_Action"), nullptr);
    EXPECT_FALSE(w.Action("VerifyData_Action")->isVisible());
    const std::string data = w.Store()->FileName();
    w.CloseData();
    EXPECT_FALSE(QFileInfo::exists(Q(core::OperatorLogName(data))));
}

TEST_F(ViewerTest, AnEmptyFileIsAMismatch) {
    WriteFile(Path("e.dat"), "");
    Dictionary = std::make_unique<core::TPXDictionary>(TenFields(), core::DefaultScriptOptions(),
                                                       Messages, nullptr);
    Boxes().FileAnswers.push_back({Path("e.dat")});
    Window = std::make_unique<TAppTYPD_Form>(nullptr, *Dictionary);
    Window->show();
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
    EXPECT_EQ(Window->Store(), nullptr);
    ASSERT_FALSE(Boxes().Log.empty());
    EXPECT_EQ(Boxes().Log.back().Text.rfind("The data structure does not correspond", 0), 0u);
}

TEST_F(ViewerTest, F6MarksFieldsAndCtrlF6MarksTheStretchBetween) {
    TAppTYPD_Form& w = Open(3);
    EXPECT_FALSE(w.Action("RangeSel_Action")->isEnabled());  // no F6 yet
    GoToField(2);
    Key(Qt::Key_F6);
    EXPECT_EQ(SelectedFields(), (std::vector<int>{2}));
    TPXEdit* edit = w.CurrentEdit();
    EXPECT_EQ(edit->Control()->palette().color(QPalette::Base), QColor(0, 255, 255));
    GoToField(9);
    w.UpdateCommands();
    EXPECT_TRUE(w.Action("RangeSel_Action")->isEnabled());
    Key(Qt::Key_F6, Qt::ControlModifier);
    EXPECT_EQ(SelectedFields(), (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9}));
    // From the other side: F6 on 9 (unmarks it), Ctrl+F6 on 2 marks 2..9.
    Key(Qt::Key_F6);
    GoToField(0);
    Key(Qt::Key_F6, Qt::ControlModifier);
    EXPECT_EQ(SelectedFields(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    w.SelectAllFields(false);
    EXPECT_TRUE(SelectedFields().empty());
    w.Action("FieldSel_Action")->trigger();  // field 0
    w.InvertFields();
    w.InvertFields();
    EXPECT_EQ(SelectedFields(), (std::vector<int>{0}));
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(SelectedFields().size(), 10u);
}

TEST_F(ViewerTest, RecordSelectionAndTheRangeDialog) {
    TAppTYPD_Form& w = Open(20);
    Key(Qt::Key_F6, Qt::ShiftModifier);  // record 1
    w.RefreshStatus();
    EXPECT_TRUE(w.StatusPanel(0)->font().bold());
    const struct {
        const char* Text;
        const char* Error;
        std::vector<int> Records;  // after applying, on top of record 1
    } cases[] = {
        {"1,3,5-12", "", {1, 3, 5, 6, 7, 8, 9, 10, 11, 12}},
        {" 7 - 9 ,2", "", {1, 2, 7, 8, 9}},
        {"18-", "", {1, 18, 19, 20}},
        {"12-5", "Invalid range.", {1}},
        {"a", "Invalid range.", {1}},
        {",3", "Invalid range.", {1}},
        {"   ", "Invalid range.", {1}},
    };
    for (const auto& c : cases) {
        w.Viewer()->SelectAll(false);
        w.Viewer()->SetSelected(1, true);
        Boxes().Log.clear();
        SetModalHandler([&](QDialog* d) {
            auto* dlg = dynamic_cast<TRange_Form*>(d);
            ASSERT_NE(dlg, nullptr);
            dlg->Edit()->setText(c.Text);
            dlg->OkButton()->click();
            if (dlg->result() != QDialog::Accepted) dlg->reject();
        });
        w.SelectRecordRanges();
        EXPECT_EQ(SelectedRecords(), c.Records) << c.Text;
        if (*c.Error) {
            ASSERT_FALSE(Boxes().Log.empty()) << c.Text;
            EXPECT_EQ(Boxes().Log.back().Text, c.Error);
        }
    }
    w.InvertRecords();
    EXPECT_EQ(SelectedRecords().size(), 19u);
    Key(Qt::Key_A, Qt::ShiftModifier);
    EXPECT_EQ(SelectedRecords().size(), 20u);
    w.SelectAllRecords(false);
    EXPECT_TRUE(SelectedRecords().empty());
}

TEST_F(ViewerTest, SaveSelectionWritesThreeFilesAfterAskingAboutTwo) {
    TAppTYPD_Form& w = Open(5);
    // Nothing selected: refused before any dialog.
    w.SaveSelection();
    EXPECT_EQ(Boxes().Log.back().Text, "No records selected.");
    for (int f : {0, 1, 2})
        static_cast<core::TPXFieldInstruction*>(Dictionary->Instructions.Get(f))->Selected = 1;
    w.Viewer()->SetSelected(2, true);
    w.Viewer()->SetSelected(4, true);
    WriteFile(Path("out.dat"), "old");
    WriteFile(Path("out.slo"), "old");
    Boxes().Log.clear();
    Boxes().FileAnswers.push_back({Path("out.dat")});
    Boxes().Answers.push_back(MsgResultNo);
    w.SaveSelection();
    ASSERT_GE(Boxes().Log.size(), 2u);
    EXPECT_EQ(Boxes().Log[0].Text,
              "Selected:\r\n               3 of 10 fields,\r\n               2 of 5 records.");
    EXPECT_EQ(Boxes().Log[1].Kind, TMsgKind::YesNo);
    EXPECT_EQ(Boxes().Log[1].Text, Path("out.dat") + ",\r\n" + Path("out.slo") +
                                       " already exist.\r\nDo you want to replace them?");
    EXPECT_EQ(ReadFile(Path("out.dat")), "old");  // No leaves everything
    Boxes().FileAnswers.push_back({Path("out.dat")});
    Boxes().Answers.push_back(MsgResultYes);
    w.SaveSelection();
    EXPECT_EQ(ReadFile(Path("out.dat")), "12name22\r\n14name44\r\n");
    EXPECT_EQ(ReadFile(Path("out.slo")),
              "left='a' varlab='Age' width=2 auto=0 range=[0:99]*\r\n"
              "left='b' width=5 auto='\\ ' text*\r\nleft='c' width=1 auto=0 range=[0:9]*\r\n");
    const std::string sps = ReadFile(Path("out.sps"));
    EXPECT_NE(sps.find("DATA LIST"), std::string::npos) << sps;
    EXPECT_NE(sps.find("out.dat"), std::string::npos) << sps;
    EXPECT_NE(sps.find("VARIABLE LABELS"), std::string::npos) << sps;
}

TEST_F(ViewerTest, ExportSelectionWritesTheMarkedFieldsOfTheMarkedRecords) {
    TAppTYPD_Form& w = Open(5);
    ASSERT_TRUE(w.Action("ExportSel_Action")->isEnabled());
    // Nothing marked: refused before any dialog.
    w.ExportSelection();
    EXPECT_EQ(Boxes().Log.back().Text, "No records selected.");
    EXPECT_TRUE(Boxes().FileRequests.empty() ||
                Boxes().FileRequests.back().Title != "Export selection");
    for (int f : {0, 1})
        static_cast<core::TPXFieldInstruction*>(Dictionary->Instructions.Get(f))->Selected = 1;
    w.Viewer()->SetSelected(2, true);
    w.Viewer()->SetSelected(4, true);
    WriteFile(Path("out.csv"), "old");
    Boxes().FileAnswers.push_back({Path("out.csv")});
    w.ExportSelection();
    ASSERT_EQ(Boxes().FileRequests.back().Title, "Export selection");
    EXPECT_EQ(Boxes().Log.back().Text,
              "2 records, 2 variables written to " + Path("out.csv") + ".");
    // The variables as the script's text names them; the old file kept.
    EXPECT_EQ(ReadFile(Path("out.csv")),
              "\xEF\xBB\xBF"
              "AGE,B\r\n12,name2\r\n14,name4\r\n");
    EXPECT_EQ(ReadFile(Path("out.bak")), "old");
    // A name without a data set extension is refused; nothing is written.
    Boxes().FileAnswers.push_back({Path("out.txt")});
    w.ExportSelection();
    EXPECT_EQ(Boxes().Log.back().Kind, TMsgKind::Error);
    EXPECT_NE(Boxes().Log.back().Text.find(".sav, .zsav, .por, .dta or .csv"), std::string::npos);
    EXPECT_FALSE(QFileInfo::exists(Q(Path("out.txt"))));
    // A system file through ReadStat while the viewer holds the data file.
    Boxes().FileAnswers.push_back({Path("out.sav")});
    w.ExportSelection();
    EXPECT_EQ(Boxes().Log.back().Text,
              "2 records, 2 variables written to " + Path("out.sav") + ".");
    EXPECT_EQ(ReadFile(Path("out.sav")).substr(0, 4), "$FL2");
}

class StudioDataTest : public StudioTest {
protected:
    void TearDown() override {
        SetModalWindowHandler({});
        TAppMain_Form::StationStarter() = [](const QString& program, const QStringList& args) {
            return QProcess::startDetached(program, args);
        };
        StudioTest::TearDown();
    }
};

TEST_F(StudioDataTest, PreviewDataRefusesAScriptWithErrors) {
    MakeMain();
    OpenNew("bad.slo", "left='a' widht=2*\r\n");
    bool opened = false;
    SetModalWindowHandler([&](QWidget*) { opened = true; });
    Main->ScriptAction("PreviewData_DataMenu")->trigger();
    EXPECT_FALSE(opened);
    OpenNew("good.slo", TenFields());
    WriteFile(PathOf("d.dat"), Record(1));
    Boxes().FileAnswers.push_back({PathOf("d.dat")});
    int records = -1;
    SetModalWindowHandler([&](QWidget* window) {
        auto* v = dynamic_cast<TAppTYPD_Form*>(window);
        ASSERT_NE(v, nullptr);
        for (int i = 0; i < 5 && !v->Store(); ++i)
            QApplication::processEvents();
        records = v->Store() ? v->Store()->FullCount() : -1;
        EXPECT_TRUE(v->close());
    });
    Main->ScriptAction("PreviewData_DataMenu")->trigger();
    EXPECT_EQ(records, 1);
}

TEST_F(StudioDataTest, EnterDataStartsTheStationOnTheSavedScript) {
    MakeMain();
    QString program;
    QStringList args;
    TAppMain_Form::StationStarter() = [&](const QString& p, const QStringList& a) {
        program = p;
        args = a;
        return true;
    };
    OpenNew("good.slo", TenFields());
    Main->ScriptAction("EnterData_DataMenu")->trigger();
    EXPECT_TRUE(program.endsWith("/tallyra-station")) << S(program);
    EXPECT_EQ(args, QStringList{Q(PathOf("good.slo"))});
}

}  // namespace
}  // namespace tallyra::gui::test
