// SPDX-License-Identifier: GPL-3.0-or-later
// The data station as an operator meets it: start-up with and without file
// names, the incomplete-record warning and the closing question, the
// mismatch box, a script with errors, and the status line.
#include <memory>

#include <QApplication>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include "guitestenv.h"
#include "shell/helpviewer.h"
#include "shell/langui.h"
#include "shell/modalrun.h"
#include "station/tappstation.h"
#include "verify/operatorlog.h"

namespace tallyra::gui::test {
namespace {

// The fourth record's first field is 10 wide and its second 5 wide.
constexpr const char* Script =
    "left='id' width=10 recid range=[1:999999]*left='b' text width=5*left='c' width=3 "
    "range=[0:999]*";
constexpr const char* Record = "0000000001aaaaa123\r\n";

class StationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEnvironment();
        ASSERT_TRUE(Dir.isValid());
        WriteFile(Path("s.slo"), Script);
    }
    void TearDown() override {
        Window.reset();
        QApplication::processEvents();
        ResetEnvironment();
    }
    std::string Path(const std::string& name) const { return S(Dir.filePath(Q(name))); }
    // A station started with `files` as its command line; start-up runs at
    // the first activation.
    TAppTYStation_Form& Start(const QStringList& files) {
        Window = std::make_unique<TAppTYStation_Form>();
        Window->SetStartupFiles(files);
        Window->resize(900, 600);
        Window->show();
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
        return *Window;
    }
    bool Shown(const std::string& text) const {
        for (const auto& b : Boxes().Log)
            if (b.Text == text) return true;
        return false;
    }
    QTemporaryDir Dir;
    std::unique_ptr<TAppTYStation_Form> Window;
};

TEST_F(StationTest, ScriptAndDataOnTheCommandLineOpenWithoutDialogs) {
    WriteFile(Path("d.dat"), std::string(Record) + Record);
    TAppTYStation_Form& w = Start({Q(Path("s.slo")), Q(Path("d.dat"))});
    EXPECT_TRUE(Boxes().FileRequests.empty());
    EXPECT_TRUE(Shown("The script is loaded and ok.\r\n" + Path("s.slo") +
                      "\r\n\r\nYou may start entering data."));
    ASSERT_NE(w.Store(), nullptr);
    EXPECT_EQ(w.Store()->FullCount(), 2);
    EXPECT_EQ(w.Store()->Context().Rec, 3);
    EXPECT_TRUE(S(w.StatusLine()).rfind("Data: ", 0) == 0) << S(w.StatusLine());
    // The station holds the file: a second store on it is refused.
    EXPECT_TRUE(QFileInfo::exists(Q(Path("d.bak"))));
    EXPECT_EQ(w.windowTitle(), "Tallyra Station");
}

TEST_F(StationTest, HelpWindowIsTitledWithTheStationsName) {
    TAppTYStation_Form& w = Start({});
    w.ShowHelpContents();
    ASSERT_NE(w.HelpViewer(), nullptr);
    EXPECT_EQ(S(w.HelpViewer()->windowTitle()), "Tallyra Station help");
    w.ChangeLanguage(2);
    EXPECT_EQ(S(w.HelpViewer()->windowTitle()), "Pomoc Tallyra Station");
}

TEST_F(StationTest, ScriptAloneAsksForTheDataAndMayCreateIt) {
    Boxes().FileAnswers.push_back({Path("new.dat")});
    TAppTYStation_Form& w = Start({Q(Path("s.slo"))});
    ASSERT_EQ(Boxes().FileRequests.size(), 1u);
    EXPECT_EQ(Boxes().FileRequests[0].Title, "Open data");
    EXPECT_EQ(Boxes().FileRequests[0].DialogMode, TFileDialogRequest::Mode::Save);
    ASSERT_NE(w.Store(), nullptr);
    EXPECT_TRUE(QFileInfo::exists(Q(Path("new.dat"))));
    EXPECT_EQ(w.Store()->FullCount(), 0);
}

TEST_F(StationTest, NoArgumentsAsksForTheScriptThenTheData) {
    Boxes().FileAnswers.push_back({Path("s.slo")});
    Boxes().FileAnswers.push_back({});  // the data dialog is cancelled
    TAppTYStation_Form& w = Start({});
    ASSERT_EQ(Boxes().FileRequests.size(), 2u);
    EXPECT_EQ(Boxes().FileRequests[0].Title, "Open script");
    EXPECT_EQ(Boxes().FileRequests[1].Title, "Open data");
    EXPECT_NE(w.Script(), nullptr);
    EXPECT_EQ(w.Store(), nullptr);
    EXPECT_TRUE(w.Action("OpenData_Action")->isEnabled());
    EXPECT_FALSE(w.Action("CloseData_Action")->isEnabled());
}

TEST_F(StationTest, AScriptWithErrorsIsRefused) {
    WriteFile(Path("bad.slo"), "left='a' widht=2*");
    TAppTYStation_Form& w = Start({Q(Path("bad.slo"))});
    EXPECT_TRUE(Shown("The script has errors and cannot be used.\r\n" + Path("bad.slo") +
                      "\r\n\r\nContact the manager or select another file."));
    EXPECT_EQ(w.Script(), nullptr);
    EXPECT_FALSE(w.Action("OpenData_Action")->isEnabled());
}

TEST_F(StationTest, AMismatchingFileIsRefusedAndTheScriptStays) {
    WriteFile(Path("d.dat"), "too short\r\n");
    TAppTYStation_Form& w = Start({Q(Path("s.slo")), Q(Path("d.dat"))});
    EXPECT_TRUE(Shown("The data structure does not correspond with the script.\r\n" +
                      Path("d.dat") +
                      "\r\n\r\nCheck whether you loaded the script and the data from the same "
                      "survey."));
    EXPECT_EQ(w.Store(), nullptr);
    EXPECT_NE(w.Script(), nullptr);
}

TEST_F(StationTest, IncompleteLastRecordIsReportedAndAskedAboutOnClosing) {
    const std::string full = std::string(Record) + Record + Record;
    const std::string partial = full + "0000000004ab";
    const struct {
        int Answer;
        bool Closed;
        std::string Left;
    } cases[] = {{MsgResultYes, true, full},
                 {MsgResultNo, true, partial},
                 {MsgResultCancel, false, partial}};
    for (const auto& c : cases) {
        ResetEnvironment();
        WriteFile(Path("d.dat"), partial);
        TAppTYStation_Form& w = Start({Q(Path("s.slo")), Q(Path("d.dat"))});
        EXPECT_TRUE(
            Shown("The last record in the opened file is incomplete.\r\nIt consists of "
                  "10 characters out of 18."));
        Boxes().Answers.push_back(c.Answer);
        w.CloseDataCommand();
        EXPECT_TRUE(Shown("The lest record is not full.\r\nSave only completed records?"));
        EXPECT_EQ(w.Store() == nullptr, c.Closed) << c.Answer;
        EXPECT_EQ(ReadFile(Path("d.dat")), c.Left) << c.Answer;
        if (!c.Closed) {
            // Cancel keeps the window open as well.
            Boxes().Answers.push_back(MsgResultCancel);
            EXPECT_FALSE(w.close());
            EXPECT_TRUE(w.isVisible());
            Boxes().Answers.push_back(MsgResultNo);
        }
        Window.reset();
    }
}

TEST_F(StationTest, KeyedRecordsAreOnDiskBeforeTheCursorLeavesThem) {
    WriteFile(Path("d.dat"), "");
    TAppTYStation_Form& w = Start({Q(Path("s.slo")), Q(Path("d.dat"))});
    ASSERT_NE(w.Store(), nullptr);
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    for (const char* keys : {"0000000001", "abcde", "123"})
        for (const char* k = keys; *k; ++k)
            QTest::keyClick(QApplication::focusWidget(), *k);
    // Without closing anything, the completed record is in the file.
    EXPECT_EQ(ReadFile(Path("d.dat")).substr(0, 20), "0000000001abcde123\r\n");
}

// Two fields, no identifier: the records of the two keyings pair by number.
constexpr const char* VerifyScript = "left='a' width=1 range=[0:9]*left='b' width=2 range=[0:99]*";

TEST_F(StationTest, VerifyModeHoldsTheKeysAgainstTheFirstKeyingAndLogsTheSession) {
    qputenv("TALLYRA_OPERATOR", "Verifier One");
    WriteFile(Path("v.slo"), VerifyScript);
    WriteFile(Path("first.dat"), "142\r\n375\r\n163\r\n");
    TAppTYStation_Form& w =
        Start({"--verify", Q(Path("first.dat")), Q(Path("v.slo")), Q(Path("second.dat"))});
    ASSERT_NE(w.Store(), nullptr);
    ASSERT_NE(w.Verifier(), nullptr);
    EXPECT_TRUE(S(w.StatusLine()).rfind("Verify: ", 0) == 0) << S(w.StatusLine());
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    const auto type = [](const char* keys) {
        for (const char* k = keys; *k; ++k)
            QTest::keyClick(QApplication::focusWidget(), *k);
    };
    const auto asked = [] { return Boxes().Count(TMsgKind::Warning); };
    type("142");  // as the first keying
    EXPECT_EQ(asked(), 0);
    const int beeps = w.BeepCount;
    type("374");  // 74 against 75: asked again
    EXPECT_EQ(asked(), 1);
    EXPECT_EQ(w.BeepCount, beeps + 1);
    EXPECT_EQ(Boxes().Log.back().Text,
              "The value differs from the first keying.\r\nCheck the questionnaire and key the "
              "value again.");
    type("75");   // the reference: the verifier's slip
    type("164");  // 64 against 63: asked, keyed again the same: a correction
    EXPECT_EQ(asked(), 2);
    type("64");
    EXPECT_EQ(asked(), 2);
    EXPECT_EQ(ReadFile(Path("second.dat")).substr(0, 15), "142\r\n375\r\n164\r\n");
    EXPECT_EQ(w.Verifier()->VerifierSlips(), 1);
    EXPECT_EQ(w.Verifier()->FirstEntryErrors(), 1);

    // Closing the data appends the session to the operator log.
    w.CloseDataCommand();
    const std::string log = ReadFile(Path("second.dat.log"));
    ASSERT_EQ(log.rfind(core::OperatorLogHeader(), 0), 0u) << log;
    std::string line = log.substr(core::OperatorLogHeader().size());
    ASSERT_GE(line.size(), 2u);
    line.resize(line.size() - 2);
    core::TOperatorSession session;
    std::string error;
    ASSERT_TRUE(core::ParseOperatorLogLine(line, session, error)) << error << ": " << line;
    EXPECT_EQ(session.Operator, "Verifier One");
    EXPECT_EQ(session.Records, 3);
    EXPECT_EQ(session.Keystrokes, 13);
    EXPECT_TRUE(session.Verify);
    EXPECT_EQ(session.FirstEntryErrors, 1);
    EXPECT_EQ(session.VerifierSlips, 1);
    qunsetenv("TALLYRA_OPERATOR");
}

TEST_F(StationTest, VerifyDataAsksForBothFilesAndRefusesUnfitReferences) {
    WriteFile(Path("v.slo"), VerifyScript);
    WriteFile(Path("d.dat"), "");
    TAppTYStation_Form& w = Start({Q(Path("v.slo")), Q(Path("d.dat"))});
    ASSERT_NE(w.Store(), nullptr);
    ASSERT_TRUE(w.Action("VerifyData_Action")->isEnabled());
    // A first keying that does not fit the script: the station's mismatch
    // box names it, and nothing stays open.
    WriteFile(Path("bad.dat"), "12345\r\n");
    Boxes().FileRequests.clear();
    Boxes().FileAnswers = {{Path("bad.dat")}, {Path("second.dat")}};
    w.VerifyDataCommand();
    ASSERT_EQ(Boxes().FileRequests.size(), 2u);
    EXPECT_EQ(Boxes().FileRequests[0].Title, "Verify data: the first keying");
    EXPECT_EQ(Boxes().FileRequests[0].DialogMode, TFileDialogRequest::Mode::Open);
    EXPECT_EQ(Boxes().FileRequests[1].Title, "Verify data: the file to key");
    EXPECT_EQ(Boxes().FileRequests[1].DialogMode, TFileDialogRequest::Mode::Save);
    EXPECT_TRUE(Shown("The data structure does not correspond with the script.\r\n" +
                      Path("bad.dat") +
                      "\r\n\r\nCheck whether you loaded the script and the data from the same "
                      "survey."));
    EXPECT_EQ(w.Store(), nullptr);
    EXPECT_EQ(w.Verifier(), nullptr);
    EXPECT_FALSE(QFileInfo::exists(Q(Path("second.dat"))));
    // The first keying as the file to key as well: refused.
    WriteFile(Path("first.dat"), "142\r\n");
    Boxes().FileAnswers = {{Path("first.dat")}, {Path("first.dat")}};
    w.VerifyDataCommand();
    EXPECT_EQ(w.Store(), nullptr);
    EXPECT_EQ(Boxes().Log.back().Text.rfind("The first keying and the file to key", 0), 0u)
        << Boxes().Log.back().Text;
    EXPECT_EQ(ReadFile(Path("first.dat")), "142\r\n");
}

}  // namespace
}  // namespace tallyra::gui::test
