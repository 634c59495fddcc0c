// SPDX-License-Identifier: GPL-3.0-or-later
// The data entry window as a user meets it: the page layout in pixels, the
// ruler, the masked editors, the status panels, data checking with the
// options dialog and error stepping, the information dialogs, the stored
// settings and closing.
#include <memory>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <gtest/gtest.h>

#include "entry/checkoptdlg.h"
#include "entry/infodialogs.h"
#include "entrytestwindow.h"
#include "guitestenv.h"
#include "script/tpxdictionary.h"
#include "shell/langtext.h"
#include "shell/langui.h"
#include "shell/modalrun.h"

namespace tallyra::gui::test {
namespace {

class EntryWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEnvironment();
        ASSERT_TRUE(Dir.isValid());
    }
    void TearDown() override {
        Window.reset();
        SetModalHandler({});
        QApplication::processEvents();
        core::SetCurrentLanguage(1);
        ResetEnvironment();
    }
    std::string Path(const std::string& name) const { return S(Dir.filePath(Q(name))); }

    // Opens a window on `script` and a data file holding `data`.
    TEntryTestWindow& Open(const std::string& script, const std::string& data,
                           QSize size = QSize(900, 600)) {
        Window.reset();
        Messages = std::make_unique<core::TPXMessageList>();
        Dictionary = std::make_unique<core::TPXDictionary>(script, core::DefaultScriptOptions(),
                                                           *Messages, nullptr);
        WriteFile(Path("d.dat"), data);
        Window = std::make_unique<TEntryTestWindow>(*Dictionary, Path("d.dat"));
        Window->resize(size);
        Window->show();
        Window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(Window.get()));
        Window->StartEntry();
        return *Window;
    }
    QWidget* Focus() const { return QApplication::focusWidget(); }
    void Type(const QString& text) {
        for (QChar c : text)
            QTest::keyClick(Focus(), c.toLatin1());
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(Focus(), key, mods);
    }
    QString Shown(int editor) const {
        TPXEdit* e = Window->Editors().at(size_t(editor)).get();
        return e->SingleLine() ? e->SingleLine()->text() : e->MultiLine()->toPlainText();
    }

    QTemporaryDir Dir;
    std::unique_ptr<core::TPXMessageList> Messages;
    std::unique_ptr<core::TPXDictionary> Dictionary;
    std::unique_ptr<TEntryTestWindow> Window;
};

TEST_F(EntryWindowTest, PageLayoutFollowsThePixelRules) {
    TEntryTestWindow& w = Open(
        "comment='Visit'*left='Num' width=2 right='years'*left='Notes' text width=20 height=3*",
        "");
    const int cw = w.CharWidth();
    const int lh = w.LineHeight();
    ASSERT_GE(cw, 1);
    ASSERT_EQ(w.PageControls().size(), 6);  // comment, left, editor, right, left, editor
    auto* comment = qobject_cast<QLabel*>(w.PageControls().at(0));
    ASSERT_NE(comment, nullptr);
    EXPECT_TRUE(comment->font().bold());
    EXPECT_EQ(comment->geometry(), QRect(10, 10, 600, lh));
    EXPECT_EQ(comment->text(), "Visit");
    ASSERT_EQ(w.Editors().size(), 2u);
    QWidget* number = w.Editors()[0]->Control();
    EXPECT_EQ(number->geometry(), QRect(200, 10 + lh - 3, 2 * cw + 8, lh));
    EXPECT_EQ(w.LeftLabels().at(0)->geometry(), QRect(10, 10 + lh, 180, lh));
    ASSERT_NE(w.RightLabels().at(0), nullptr);
    EXPECT_EQ(w.RightLabels().at(0)->text(), "years");
    EXPECT_EQ(w.RightLabels().at(0)->geometry(),
              QRect(w.MarkerLeft() + 2 * cw + 8 + 10, 10 + lh, 390 - (2 * cw + 8), lh));
    EXPECT_EQ(w.RightLabels().at(1), nullptr);
    TPXEdit* notes = w.Editors()[1].get();
    ASSERT_NE(notes->MultiLine(), nullptr);
    EXPECT_EQ(notes->Control()->height(), 3 * lh);
    EXPECT_EQ(w.ErrorInfoPanel()->text(), "Data not checked yet.");
}

TEST_F(EntryWindowTest, NarrowWindowShrinksEditorsToWholeCharacters) {
    TEntryTestWindow& w = Open("left='Long' text width=250*", "", QSize(600, 400));
    const int cw = w.CharWidth();
    const auto expected = [&] {
        const int fit =
            cw * ((w.ScrollBox()->width() - w.MarkerLeft() - w.RulerHalf() - 100) / cw) + 8;
        return std::max(std::min(250 * cw + 8, fit), cw + 8);
    };
    const int shrunk = w.Editors()[0]->Control()->width();
    EXPECT_EQ(shrunk, expected());
    EXPECT_LT(shrunk, 250 * cw + 8);
    EXPECT_EQ((shrunk - 8) % cw, 0);
    // With the editors' column beyond the window's edge, one character stays.
    w.MoveMarker(w.ScrollBox()->width());
    w.BuildPage();
    EXPECT_EQ(w.Editors()[0]->Control()->width(), cw + 8);
}

TEST_F(EntryWindowTest, DraggingTheRulerMovesEditorsAndShortensLabels) {
    TEntryTestWindow& w = Open("left='Q' width=2 right='r'*", "");
    TRulerMarker* marker = w.Ruler();
    const int half = w.RulerHalf();
    QWidget* panel = marker->parentWidget();
    const auto dragTo = [&](int x) {
        QTest::mousePress(marker, Qt::LeftButton, {}, QPoint(half, 3));
        QMouseEvent move(QEvent::MouseMove, QPointF(x - marker->x(), 3),
                         panel->mapToGlobal(QPointF(x, 3)), Qt::LeftButton, Qt::LeftButton, {});
        QApplication::sendEvent(marker, &move);
        QTest::mouseRelease(marker, Qt::LeftButton, {}, QPoint(half, 3));
    };
    dragTo(300);
    QWidget* editor = w.Editors()[0]->Control();
    EXPECT_EQ(editor->x(), 300);
    EXPECT_EQ(w.RightLabels().at(0)->x(), editor->width() + 300 + 10);
    EXPECT_EQ(w.LeftLabels().at(0)->width(), 180);  // room enough: untouched
    dragTo(150);
    EXPECT_EQ(editor->x(), 150);
    EXPECT_EQ(w.LeftLabels().at(0)->width(), 150 - 10 - 20);
}

TEST_F(EntryWindowTest, NumericEditorShowsAsterisksAndBeepsOnLetters) {
    TEntryTestWindow& w = Open("left='n' width=3 range=[0:999]*left='t' text width=5*", "");
    EXPECT_EQ(Shown(0), "***");
    Type("4");
    EXPECT_EQ(Shown(0), "4**");
    EXPECT_EQ(w.Store()->CurRecord().substr(0, 3), "4  ");
    const int beeps = w.BeepCount;
    Type("x");
    EXPECT_EQ(w.BeepCount, beeps + 1);
    EXPECT_EQ(Shown(0), "4**");
    Type("2");
    EXPECT_EQ(w.Store()->Context().Cur, 0);  // not full yet
    Type("7");
    EXPECT_EQ(w.Store()->Context().Cur, 1);  // the third digit moved on
    EXPECT_EQ(Focus(), w.Editors()[1]->Control());
    EXPECT_FALSE(w.Editors()[0]->Control()->isEnabled());
    // The "+" of the main keyboard types a "+" into a text field.
    QTest::keyClick(Focus(), Qt::Key_Plus, Qt::NoModifier);
    EXPECT_EQ(Shown(1), "+");
}

TEST_F(EntryWindowTest, MarkedEditorIsAqua) {
    TEntryTestWindow& w = Open("left='n' width=3*", "");
    TPXEdit& e = *w.Editors()[0];
    const auto base = [&] {
        return e.Control()->palette().color(QPalette::Active, QPalette::Base);
    };
    EXPECT_EQ(base(), QColor(Qt::white));
    e.SetMarked(true);
    EXPECT_EQ(base(), QColor(0, 255, 255));
    e.SetMarked(false);
    EXPECT_EQ(base(), QColor(Qt::white));
}

TEST_F(EntryWindowTest, StatusPanelsFollowTheCaretOnIdle) {
    TEntryTestWindow& w = Open("left='id' width=3 recid*left='v' width=4*", "0071234\r\n");
    w.RefreshStatus();
    EXPECT_EQ(w.StatusPanel(0)->text(), "REC: 00002");
    EXPECT_EQ(w.StatusPanel(1)->text(), "PG: 0001");
    EXPECT_EQ(w.StatusPanel(2)->text(), "COL: 00004");  // the identifier was filled: on v
    EXPECT_EQ(w.StatusPanel(3)->text(), "IDEN: 00000000008");
    Type("1");
    {
        // An event loop that runs dry: idle.
        QEventLoop loop;
        QTimer::singleShot(30, &loop, &QEventLoop::quit);
        loop.exec();
    }
    EXPECT_EQ(w.StatusPanel(2)->text(), "COL: 00005");
    core::SetCurrentLanguage(2);
    w.ApplyLanguage();
    w.RefreshStatus();
    EXPECT_EQ(w.StatusPanel(0)->text(), "REK: 00002");
    EXPECT_EQ(w.StatusPanel(1)->text(), "STR: 0001");
}

TEST_F(EntryWindowTest, StatusPanelsKeepThePositionWhileADialogHasTheFocus) {
    TEntryTestWindow& w = Open("left='id' width=3 recid*left='v' width=4*", "0071234\r\n");
    QDialog box(&w);
    QLineEdit field(&box);
    box.show();
    box.activateWindow();
    field.setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == &field; }));
    w.RefreshStatus();
    EXPECT_EQ(w.StatusPanel(0)->text(), "REC: 00002");
    EXPECT_EQ(w.StatusPanel(1)->text(), "PG: 0001");
    EXPECT_EQ(w.StatusPanel(2)->text(), "COL: 00004");
    EXPECT_EQ(w.StatusPanel(3)->text(), "IDEN: 00000000008");
}

constexpr const char* CheckScript = "left='a' width=1 range=[1:5]*left='b' width=1 range=[1:5]*";

TEST_F(EntryWindowTest, CheckAllListsErrorsAndStepsThroughThem) {
    TEntryTestWindow& w = Open(CheckScript, "11\r\n91\r\n19\r\n");
    std::string question;
    SetModalHandler([&](QDialog* d) {
        auto* dlg = dynamic_cast<TDlgCheckOpt_Form*>(d);
        ASSERT_NE(dlg, nullptr);
        question = S(dlg->ComeLabel()->text());
        EXPECT_EQ(dlg->Boxes().size(), 8);
        EXPECT_EQ(S(dlg->Boxes().at(3)->text()), "value outside of the allowed range");
        dlg->OkButton()->click();
    });
    QTest::keyClick(Focus(), Qt::Key_F9);
    EXPECT_EQ(question, "Check ALL the data?");
    ASSERT_FALSE(Boxes().Log.empty());
    EXPECT_EQ(Boxes().Log.back().Text, "The data is not ok.\r\nErrors found: 2.");
    EXPECT_EQ(S(w.ErrorInfoPanel()->text()), "Error 1/2: value outside of the allowed range");
    EXPECT_EQ(w.Store()->Context().Rec, 2);
    EXPECT_EQ(w.Store()->Context().Cur, 0);
    EXPECT_FALSE(w.Action("PrevError_Action")->isEnabled());
    EXPECT_TRUE(w.Action("NextError_Action")->isEnabled());
    QTest::keyClick(Focus(), Qt::Key_F12);
    EXPECT_EQ(w.Store()->Context().Rec, 3);
    EXPECT_EQ(w.Store()->Context().Cur, 1);
    EXPECT_EQ(S(w.ErrorInfoPanel()->text()), "Error 2/2: value outside of the allowed range");
    EXPECT_TRUE(w.Action("PrevError_Action")->isEnabled());
    EXPECT_FALSE(w.Action("NextError_Action")->isEnabled());
    QTest::keyClick(Focus(), Qt::Key_F11);
    EXPECT_EQ(w.Store()->Context().Rec, 2);
}

TEST_F(EntryWindowTest, CheckOptionsChooseTheKindsAndCancelRunsNothing) {
    TEntryTestWindow& w = Open(CheckScript, "91\r\n");
    // Clearing "outside the range" leaves nothing to report.
    SetModalHandler([](QDialog* d) {
        auto* dlg = dynamic_cast<TDlgCheckOpt_Form*>(d);
        dlg->Boxes().at(3)->click();
        dlg->OkButton()->click();
    });
    w.CheckAll();
    EXPECT_EQ(w.CheckMask, 255 & ~8);
    EXPECT_EQ(Boxes().Log.back().Text, "The data is OK!");
    EXPECT_EQ(S(w.ErrorInfoPanel()->text()), "No errors found in data.");
    const size_t shown = Boxes().Log.size();
    SetModalHandler([](QDialog* d) { dynamic_cast<TDlgCheckOpt_Form*>(d)->reject(); });
    w.CheckAll();
    EXPECT_EQ(Boxes().Log.size(), shown);  // no result box
    // Checking the current record is refused in the incomplete record.
    w.CheckCurrent();
    EXPECT_EQ(Boxes().Log.back().Text,
              "You are currently in an incomplete record.\r\nMove to one of the earlier ones.");
}

TEST_F(EntryWindowTest, CheckWithoutFullRecordsIsRefused) {
    TEntryTestWindow& w = Open(CheckScript, "");
    w.CheckAll();
    EXPECT_EQ(Boxes().Log.back().Text, "There are no FULL records in the data.");
}

TEST_F(EntryWindowTest, SettingsHoldTheCheckMaskAndTheSoundOption) {
    Store().WriteInt("\\Software\\Tallyra Systems\\Tallyra Entry\\Check", "Flag", 5);
    Store().WriteBool("\\Software\\Tallyra Systems\\Tallyra Entry\\Options", "Sound", false);
    {
        TEntryTestWindow& w = Open(CheckScript, "");
        EXPECT_EQ(w.CheckMask, 5);
        EXPECT_FALSE(w.SoundOn());
        QTest::keyClick(Focus(), Qt::Key_F7);
        EXPECT_TRUE(w.SoundOn());
        w.CheckMask = 17;
        Window.reset();
    }
    EXPECT_EQ(Store().ReadInt("\\Software\\Tallyra Systems\\Tallyra Entry\\Check", "Flag", 0), 17);
    EXPECT_TRUE(
        Store().ReadBool("\\Software\\Tallyra Systems\\Tallyra Entry\\Options", "Sound", false));
}

TEST_F(EntryWindowTest, SoundOffSilencesSignalsButNotBeeps) {
    TEntryTestWindow& w = Open("left='a' width=1 range=[1:5]*page*left='b' width=1 beep*", "");
    QTest::keyClick(Focus(), Qt::Key_F7);  // sound off
    ASSERT_FALSE(w.SoundOn());
    Boxes().Answers.push_back(MsgResultYes);
    Type("7");  // out of range, forced; then the page change
    EXPECT_EQ(w.Store()->Context().Cur, 2);
    EXPECT_EQ(w.SoundCount, 0);
    EXPECT_GT(w.BeepCount, 0);  // the beep field still beeps
}

TEST_F(EntryWindowTest, UpdateModeWithoutUpdateFieldsStaysOff) {
    TEntryTestWindow& w = Open(CheckScript, "11\r\n");
    QTest::keyClick(Focus(), Qt::Key_F8);
    EXPECT_FALSE(w.UpdateModeOn());
    EXPECT_FALSE(w.Action("UpdateMode_Action")->isChecked());
    EXPECT_EQ(Boxes().Log.back().Text, "No fields marked for update.");
}

TEST_F(EntryWindowTest, ClosingWaitsForAValidValue) {
    TEntryTestWindow& w = Open("left='n' width=3 range=[1:5]*", "");
    Type("-");
    EXPECT_FALSE(w.close());
    EXPECT_EQ(Boxes().Log.back().Text, "Invalid value.");
    EXPECT_TRUE(w.isVisible());
    Key(Qt::Key_Escape);
    EXPECT_TRUE(w.close());
    EXPECT_EQ(w.Store(), nullptr);
}

TEST_F(EntryWindowTest, InformationDialogsDescribeTheFieldAndTheContext) {
    TEntryTestWindow& w = Open("left='id' width=3 recid*left='Opinion' text width=20*",
                               "001abc                 \r\n");
    std::string memo;
    SetModalHandler([&](QDialog* d) {
        auto* dlg = dynamic_cast<TMemoInfo_Form*>(d);
        ASSERT_NE(dlg, nullptr);
        EXPECT_FALSE(dlg->CancelButton()->isVisible());
        memo = S(dlg->Memo()->toPlainText());
        dlg->accept();
    });
    w.FieldInfo();
    EXPECT_EQ(memo.rfind("Field text 'Opinion'\nPosition in the record: 4\nWidth: 20\nAutomatic "
                         "value: ",
                         0),
              0u)
        << memo;
    EXPECT_EQ(memo.find("Range of valid values"), std::string::npos);
    EXPECT_NE(memo.find("Number of full records in the file: 1\nCurrent record: 2"),
              std::string::npos);
    w.ContextInfo();
    EXPECT_EQ(memo, "Active group: [none]\n\nActive filters: [none]");
    core::SetCurrentLanguage(2);
    w.ContextInfo();
    EXPECT_EQ(memo, "Aktywna grupa: [brak]\n\nAktywne filtry: [brak]");
}

TEST_F(EntryWindowTest, FrequencyDialogListsValuesWithTheirLabels) {
    TEntryTestWindow& w =
        Open("left='q' width=1 range=[1:2] vallab=[1 'yes' 2 'no']*", "1\r\n1\r\n2\r\n1\r\n");
    std::vector<std::vector<std::string>> rows;
    SetModalHandler([&](QDialog* d) {
        auto* dlg = dynamic_cast<TFreqInfo_Form*>(d);
        ASSERT_NE(dlg, nullptr);
        QTableWidget* g = dlg->Grid();
        EXPECT_EQ(S(g->horizontalHeaderItem(3)->text()), "Cumulative pct.");
        for (int r = 0; r < g->rowCount(); ++r) {
            rows.emplace_back();
            for (int c = 0; c < 4; ++c)
                rows.back().push_back(S(g->item(r, c)->text()));
        }
        dlg->accept();
    });
    w.FreqInfo();
    const std::vector<std::vector<std::string>> expected = {{"1 (yes)", "3", "75.0%", "75.0%"},
                                                            {"2 (no)", "1", "25.0%", "100.0%"}};
    EXPECT_EQ(rows, expected);
}

TEST_F(EntryWindowTest, FrequenciesWithoutRecordsAreRefused) {
    TEntryTestWindow& w = Open(CheckScript, "");
    w.FreqInfo();
    EXPECT_EQ(Boxes().Log.back().Text, "There are no records in the data for this field.");
}

TEST_F(EntryWindowTest, FindRecordByIndexAndByIdentifier) {
    TEntryTestWindow& w =
        Open("left='id' width=3 recid*left='v' width=1*", "001a\r\n007b\r\n010c\r\n");
    w.SetFindVisible(true);
    struct TCase {
        bool ById;
        const char* Text;
        const char* Error;  // empty: found
        int Rec;
    };
    const TCase cases[] = {{false, "0", "Invalid record index.", 4},
                           {false, "x1", "Invalid number.", 4},
                           {false, "9", "Invalid record index.", 4},
                           {true, "7", "", 2},
                           {false, "3", "", 3}};
    for (const TCase& c : cases) {
        Boxes().Log.clear();
        bool stayedOpen = false;
        SetModalHandler([&](QDialog* d) {
            auto* dlg = dynamic_cast<TTYSSearchData_Form*>(d);
            ASSERT_NE(dlg, nullptr);
            (c.ById ? dlg->IdentifierButton() : dlg->IndexButton())->setChecked(true);
            dlg->ValueEdit()->setText(c.Text);
            dlg->OkButton()->click();
            stayedOpen = dlg->result() != QDialog::Accepted;
            if (stayedOpen) dlg->reject();
        });
        w.FindRecord();
        EXPECT_EQ(stayedOpen, *c.Error != 0) << c.Text;
        if (*c.Error) {
            ASSERT_FALSE(Boxes().Log.empty()) << c.Text;
            EXPECT_EQ(Boxes().Log.back().Text, c.Error) << c.Text;
        }
        EXPECT_EQ(w.Store()->Context().Rec, c.Rec) << c.Text;
    }
    // The dialog remembers the last mode and text.
    SetModalHandler([](QDialog* d) {
        auto* dlg = dynamic_cast<TTYSSearchData_Form*>(d);
        EXPECT_TRUE(dlg->IndexButton()->isChecked());
        EXPECT_EQ(S(dlg->ValueEdit()->text()), "3");
        dlg->reject();
    });
    w.FindRecord();
}

}  // namespace
}  // namespace tallyra::gui::test

namespace tallyra::gui::test {
namespace {

TEST_F(EntryWindowTest, F1OpensTheKeyboardPageInTheCurrentLanguage) {
    for (int language : {1, 2}) {
        TEntryTestWindow& w = Open(CheckScript, "");
        core::SetCurrentLanguage(language);
        QTest::keyClick(Focus(), Qt::Key_F1);
        ASSERT_NE(w.HelpViewer(), nullptr);
        EXPECT_EQ(w.HelpViewer()->CurrentPage(), "600.html");
        const QString shown = w.HelpViewer()->Browser()->toPlainText();
        EXPECT_TRUE(shown.contains(language == 1 ? "Keyboard in data entry"
                                                 : "Klawiatura przy wprowadzaniu danych"))
            << S(shown.left(200));
    }
}

}  // namespace
}  // namespace tallyra::gui::test
