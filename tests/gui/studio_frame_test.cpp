// The main window frame driven like a user would: files, children, menus.
#include <QAction>
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

namespace {

class StudioTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEnvironment();
        ASSERT_TRUE(Dir.isValid());
    }
    void TearDown() override {
        Main.reset();
        QApplication::processEvents();
    }
    TAppMain_Form* MakeMain() {
        Main = std::make_unique<TAppMain_Form>();
        Main->show();
        QApplication::processEvents();
        return Main.get();
    }
    std::string PathOf(const std::string& name) const {
        return Dir.filePath(QString::fromStdString(name)).toStdString();
    }
    TChldEdit_Form* Editor(int i) const {
        return qobject_cast<TChldEdit_Form*>(Main->ChildWindows().at(i));
    }
    QTemporaryDir Dir;
    std::unique_ptr<TAppMain_Form> Main;
};

}  // namespace

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
