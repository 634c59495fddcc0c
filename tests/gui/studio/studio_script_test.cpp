// SPDX-License-Identifier: GPL-3.0-or-later
// Script windows: checking with the message list, positions that follow
// edits, colouring, the keyword menu and help, the question templates, the
// Script menu's enabling and the SPSS export.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <Qsci/qscilexer.h>
#include <Qsci/qsciscintilla.h>

#include <gtest/gtest.h>

#include "guitestenv.h"
#include "shell/cp1250.h"
#include "shell/helpviewer.h"
#include "shell/langui.h"
#include "shell/modalrun.h"
#include "studio/langprefs.h"
#include "studio/ttydchild.h"

using namespace tallyra;
using namespace tallyra::gui;
using namespace tallyra::gui::test;

namespace {

// One error (line 2), warnings and a hint around it.
const char* const BrokenScript =
    "left='a' width=1 range=[1:5]*\r\n"
    "left='b' widht=2*\r\n"
    "left='c' width=1 range=[1:3] auto=7*\r\n";
const char* const WarningScript = "left='a' width=1 range=[1:5] auto=7*\r\n";
const char* const CorrectScript =
    "left='id' width=3 range=[1:999] auto=999 recid*\r\n"
    "left='a' width=1 range=[1:5] auto=5*\r\n";

class ScriptTest : public StudioTest {
protected:
    void Check() { Main->ScriptAction("Check_ScriptMenu")->trigger(); }
    bool Enabled(const char* name) {
        Main->UpdateScriptMenu();
        Main->UpdateToolbar();
        return Main->ScriptAction(name)->isEnabled();
    }
    static QStringList Lines(QListWidget* box) {
        QStringList l;
        for (int i = 0; i < box->count(); ++i)
            l << box->item(i)->text();
        return l;
    }
    static void ClickLine(QListWidget* box, int row, bool twice = false) {
        const QPoint at = box->visualItemRect(box->item(row)).center();
        if (twice)
            QTest::mouseDClick(box->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        else
            QTest::mouseClick(box->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }
};

// Types into an edit of the dialog, replacing its text.
void Type(QDialog* d, const char* name, const QString& text) {
    auto* e = d->findChild<QLineEdit*>(name);
    ASSERT_NE(e, nullptr) << name;
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Delete);
    QTest::keyClicks(e, text);
}

void Tick(QDialog* d, const char* name, bool on) {
    auto* b = d->findChild<QAbstractButton*>(name);
    ASSERT_NE(b, nullptr) << name;
    if (b->isChecked() != on) b->click();
}

void ClickOk(QDialog* d) {
    QTest::mouseClick(d->findChild<QPushButton*>("Done_Button"), Qt::LeftButton);
}

}  // namespace

TEST_F(ScriptTest, CheckWithAnErrorListsEveryMessageAndGoesToTheFirstError) {
    MakeMain();
    TTYDChild_Form* w = OpenScript("bad.slo", BrokenScript);
    EXPECT_EQ(Lines(w->InfoBox()), QStringList{"The file was not checked yet."});
    Check();
    const QStringList lines = Lines(w->InfoBox());
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], "The file is not correct:");
    EXPECT_TRUE(lines[2].startsWith("  (2) Error: ")) << lines[2].toStdString();
    EXPECT_TRUE(lines[1].startsWith("  (1) Warning: ")) << lines[1].toStdString();
    EXPECT_TRUE(lines[4].startsWith("  (4) Hint: ")) << lines[4].toStdString();
    // Line 2, column 15 (from 1) holds the error.
    EXPECT_EQ(w->Caret(), (TCaret{14, 1}));
    EXPECT_EQ(w->InfoBox()->currentRow(), 2);
    EXPECT_EQ(w->CurrentMessage(), 0);
    ASSERT_NE(w->CheckedScript(), nullptr);
    EXPECT_FALSE(w->ScriptUsable());
}

TEST_F(ScriptTest, WarningsOnlyLeaveTheCaretWhereItWas) {
    MakeMain();
    TTYDChild_Form* w = OpenScript("warn.slo", WarningScript);
    w->SetCaret({3, 0});
    Check();
    const QStringList lines = Lines(w->InfoBox());
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], "The file is almost correct, but:");
    EXPECT_EQ(w->Caret(), (TCaret{3, 0}));
    EXPECT_TRUE(w->ScriptUsable());
}

TEST_F(ScriptTest, ACorrectScriptShowsOneLineInBothLanguages) {
    MakeMain();
    TTYDChild_Form* w = OpenScript("ok.slo", CorrectScript);
    Check();
    EXPECT_EQ(Lines(w->InfoBox()), QStringList{"The file is correct."});
    Main->ChangeLanguage(2);
    QApplication::processEvents();
    EXPECT_EQ(Lines(w->InfoBox()), QStringList{"Plik jest poprawny."});
    EXPECT_TRUE(w->ScriptUsable());
}

TEST_F(ScriptTest, MessagePositionsFollowTypingBeforeThemButNotAfter) {
    MakeMain();
    TTYDChild_Form* w = OpenScript("bad.slo", BrokenScript);
    Check();
    // Three characters typed at the start of the error's line.
    w->SetCaret({0, 1});
    QTest::keyClicks(w->Editor(), "abc");
    w->SetCaret({0, 0});
    ClickLine(w->InfoBox(), 2);
    EXPECT_EQ(w->Caret(), (TCaret{17, 1}));
    // Typing after it (end of line 3) moves nothing before.
    w->SetCaret({10, 2});
    QTest::keyClicks(w->Editor(), "xy");
    ClickLine(w->InfoBox(), 2);
    EXPECT_EQ(w->Caret(), (TCaret{17, 1}));
    // A deletion in front moves it back.
    w->SetCaret({0, 1});
    QTest::keyClick(w->Editor(), Qt::Key_Delete);
    ClickLine(w->InfoBox(), 2, true);
    EXPECT_EQ(w->Caret(), (TCaret{16, 1}));
    EXPECT_EQ(w->CurrentMessage(), 1);
}

TEST_F(ScriptTest, ClickingTheSummaryLineChoosesTheFirstMessage) {
    MakeMain();
    TTYDChild_Form* w = OpenScript("bad.slo", BrokenScript);
    ClickLine(w->InfoBox(), 0);  // nothing checked: nothing happens
    EXPECT_EQ(w->Caret(), (TCaret{0, 0}));
    Check();
    ClickLine(w->InfoBox(), 0);
    EXPECT_EQ(w->CurrentMessage(), 0);
    EXPECT_EQ(w->Caret(), (TCaret{29, 0}));  // the first warning
    EXPECT_EQ(w->InfoBox()->currentRow(), 1);
}

TEST_F(ScriptTest, ScriptMenuEnablingFollowsTheMessages) {
    MakeMain();
    for (const char* n : {"Check_ScriptMenu", "PrevError_ScriptMenu", "NextError_ScriptMenu",
                          "MessageList_ScriptMenu", "Check_ToolButton"})
        EXPECT_FALSE(Enabled(n)) << n;
    TTYDChild_Form* w = OpenScript("bad.slo", BrokenScript);
    EXPECT_TRUE(Enabled("Check_ScriptMenu"));
    EXPECT_TRUE(Enabled("Check_ToolButton"));
    EXPECT_TRUE(Enabled("MessageList_ScriptMenu"));
    EXPECT_FALSE(Enabled("NextError_ScriptMenu"));  // never checked
    Check();
    EXPECT_FALSE(Enabled("PrevError_ScriptMenu"));
    for (int k = 0; k < 3; ++k) {
        EXPECT_TRUE(Enabled("NextError_ScriptMenu")) << k;
        EXPECT_TRUE(Enabled("NextError_ToolButton")) << k;
        Main->ScriptAction("NextError_ScriptMenu")->trigger();
        EXPECT_EQ(w->CurrentMessage(), k + 1);
        EXPECT_EQ(w->InfoBox()->currentRow(), k + 2);
    }
    EXPECT_FALSE(Enabled("NextError_ScriptMenu"));
    EXPECT_TRUE(Enabled("PrevError_ScriptMenu"));
    Main->ScriptAction("PrevError_ScriptMenu")->trigger();
    EXPECT_EQ(w->CurrentMessage(), 2);
    // The message list can be hidden; the next check shows it again.
    QAction* list = Main->ScriptAction("MessageList_ScriptMenu");
    Main->UpdateScriptMenu();
    EXPECT_TRUE(list->isChecked());
    list->trigger();
    EXPECT_FALSE(w->MessageListVisible());
    Check();
    EXPECT_TRUE(w->MessageListVisible());
    // The popup copies the Script menu.
    emit w->PopupMenu()->aboutToShow();
    QAction* next = w->PopupMenu()->findChild<QAction*>("NextError_Popup");
    ASSERT_NE(next, nullptr);
    EXPECT_TRUE(next->isEnabled());
    EXPECT_EQ(next->text(), Main->ScriptAction("NextError_ScriptMenu")->text());
}

TEST_F(ScriptTest, ReadingProgressReachesTheStatusBarAndEnds) {
    MakeMain();
    std::string big;
    for (int i = 0; i < 300; ++i)
        big += "left='a' width=1 range=[1:5] auto=5*\r\n";
    OpenScript("big.slo", big);
    std::vector<int> seen;
    // The progress message is delivered synchronously; record it through
    // the main window's handler by watching the messages sent to it.
    struct Probe : QObject {
        std::vector<int>* Seen;
        bool eventFilter(QObject*, QEvent* e) override {
            if (auto* m = dynamic_cast<TWindowMessage*>(e); m && m->Message == WM_ReadingProgress)
                Seen->push_back(int(m->WParam));
            return false;
        }
    } probe;
    probe.Seen = &seen;
    Main->installEventFilter(&probe);
    Check();
    Main->removeEventFilter(&probe);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen.back(), -1);
    EXPECT_GE(*std::max_element(seen.begin(), seen.end() - 1), 0);
}

TEST_F(ScriptTest, ColouringClassesOfTheEdgeCases) {
    MakeMain();
    TTYDChild_Form* w = OpenScript("c.slo",
                                   "LEFT='A'*\r\n{ one\r\ntwo } left\r\n12.5 12. -5 }\r\n"
                                   "varlab labels left_1 'it''s' 'abc\r\n\xBF"
                                   "a");
    QsciScintilla* e = w->Editor();
    e->SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0L, -1L);
    auto classes = [e](int line) {
        const long from = e->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line);
        const long to = e->SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, line);
        std::string s;
        for (long p = from; p < to; p = e->SendScintilla(QsciScintillaBase::SCI_POSITIONAFTER, p))
            s += char('0' + e->SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, p));
        return s;
    };
    EXPECT_EQ(classes(0), "666671117");
    EXPECT_EQ(classes(1), "22222");
    EXPECT_EQ(classes(2), "2222206666");
    EXPECT_EQ(classes(3), "5555044707407");
    EXPECT_EQ(classes(4), "666666033333303333330111111101111");
    EXPECT_EQ(classes(5), "73");  // a Polish letter is a delimiter
    // Closing the comment recolours the following line.
    w->SetCaret({5, 1});
    QTest::keyClicks(e, "}");
    e->SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0L, -1L);
    EXPECT_EQ(classes(1), "222222");
    EXPECT_EQ(classes(2), "3330706666");
}

TEST_F(ScriptTest, ColourElementsComeFromTheSettings) {
    MakeMain();
    Main->Lang.Colors[6].Foreground = 0x0000FF;  // red
    Main->Lang.Colors[6].Italic = 1;
    Main->Lang.Colors[2].Background = 0x00FF00;
    TTYDChild_Form* w = OpenScript("c.slo", "left*");
    QsciLexer* lexer = w->Editor()->lexer();
    ASSERT_NE(lexer, nullptr);
    EXPECT_EQ(lexer->color(6), QColor(255, 0, 0));
    EXPECT_TRUE(lexer->font(6).italic());
    EXPECT_TRUE(lexer->font(6).bold());  // the default stays
    EXPECT_EQ(lexer->paper(2), QColor(0, 255, 0));
    // Colour syntax off (editor option bit 4) removes the colouring.
    Main->EditorOptions &= ~(1u << 4);
    Main->ApplyLangSettings();
    EXPECT_EQ(w->Editor()->lexer(), nullptr);
}

TEST_F(ScriptTest, KeywordMenuInsertsAndPlacesTheCaret) {
    MakeMain();
    Main->Lang.DefTextWidth = 100;
    TTYDChild_Form* w = OpenScript("k.slo", "");
    w->RebuildShortcutMenu();
    QStringList captions;
    for (QAction* a : w->ShortcutMenu()->actions())
        captions << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(captions,
              (QStringList{"comment=''*", "comment='...'*", "page*", "-", "left='...'*",
                           "right='...'", "-", "auto=", "label=", "when=[...][]", "signal=[...][]",
                           "group=", "width=", "range=[...]", "left=' ' width= auto= range=[]",
                           "left=' ' text width=100 auto='\\ '"}));
    const struct {
        const char* Item;
        const char* Text;
        TCaret Caret;
    } cases[] = {
        {"kome1", "comment=''*\r\n", {0, 1}},
        {"kome2", "comment=''*", {9, 0}},
        {"stro1", "page*\r\n\r\n", {0, 2}},
        {"praw1", "right=''", {7, 0}},
        {"gdy1", "when=[][]", {6, 0}},
        {"zakr1", "range=[]", {7, 0}},
        {"auto1", "auto=", {5, 0}},
        {"text", "left='' text width=100 auto='\\ '*", {6, 0}},
        {"full", "left='' width= auto= range=[]*", {6, 0}},
    };
    for (const auto& c : cases) {
        w->Editor()->setText("XY");
        w->Editor()->setSelection(0, 0, 0, 2);  // the selection is replaced
        w->ShortcutMenu()->findChild<QAction*>(c.Item)->trigger();
        EXPECT_EQ(w->TextUtf8(), c.Text) << c.Item;
        EXPECT_EQ(w->Caret(), c.Caret) << c.Item;
    }
}

TEST_F(ScriptTest, KeywordHelpFindsTheContextOfTheWordAtTheCaret) {
    MakeMain();
    TTYDChild_Form* w = OpenScript("h.slo", "varlab='x'* labels=a xyz LEFT");
    const struct {
        int Col;
        int Context;
    } cases[] = {{2, 720}, {14, 703}, {22, 0}, {27, 701}, {7, 0}};
    for (const auto& c : cases) {
        w->SetCaret({c.Col, 0});
        EXPECT_EQ(w->KeywordHelpContext(), c.Context) << c.Col;
    }
    w->SetCaret({2, 0});
    w->HelpReservedWord();
    ASSERT_NE(Main->HelpViewer(), nullptr);
    EXPECT_TRUE(Main->HelpViewer()->isVisible());
    EXPECT_EQ(Main->HelpViewer()->CurrentPage(), "720.html");
    // The Help menu's language entries.
    Main->ScriptAction("LanguageDef_HelpMenu")->trigger();
    EXPECT_EQ(Main->HelpViewer()->CurrentPage(), "699.html");
    Main->ScriptAction("ReservedWords_HelpMenu")->trigger();
    EXPECT_EQ(Main->HelpViewer()->CurrentPage(), "700.html");
}

TEST_F(ScriptTest, GroupTemplateWritesTheWorkedExample) {
    MakeMain();
    TTYDChild_Form* w = OpenScript("t.slo", "");
    SetModalHandler([](QDialog* d) {
        Type(d, "Prefix_Edit", "q5");
        Type(d, "Number_Edit", "3");
        Type(d, "Width_Edit", "2");
        Type(d, "Label_Edit", "brand");
        Tick(d, "Numbers_Button", true);
        Tick(d, "Group_CheckBox", true);
        Tick(d, "Filter_CheckBox", false);
        ClickOk(d);
    });
    Main->ScriptAction("Group_InsertMenu")->trigger();
    EXPECT_EQ(w->TextUtf8(),
              "left='q5_1 brand' width=2 auto= range=[] group=q5_3*\r\n"
              "left='q5_2 brand'*\r\n"
              "left='q5_3 brand' label=q5_3*\r\n\r\n");
    EXPECT_EQ(w->Caret(), (TCaret{31, 0}));
    // One undo step takes the whole block away.
    w->Editor()->undo();
    EXPECT_EQ(w->TextUtf8(), "");
    // The values are remembered for the next opening.
    EXPECT_EQ(Main->GroupData.Prefix, "q5");
    EXPECT_EQ(Main->GroupData.Count, 3);
}

TEST_F(ScriptTest, MultiChoiceTemplateWritesTheWorkedExample) {
    MakeMain();
    TTYDChild_Form* w = OpenScript("t.slo", "");
    SetModalHandler([](QDialog* d) {
        Type(d, "Prefix_Edit", "q4");
        Type(d, "Number_Edit", "3");
        Type(d, "Other_Edit", "1");
        Type(d, "Label_Edit", "which");
        Tick(d, "None_CheckBox", true);
        Tick(d, "DontKnow_CheckBox", true);
        Tick(d, "Value_Button", true);
        Tick(d, "Numbers_Button", true);
        ClickOk(d);
    });
    Main->ScriptAction("Multi_InsertMenu")->trigger();
    EXPECT_EQ(w->TextUtf8(),
              "left='q4_5 D/K' width=1 auto=0 range=[0,1] when=[1][q4_1:q4_4T,q4_6]*\r\n"
              "left='q4_6 none' width=1 range=[0,1] when=[1][q4_1:q4_4T] label=q4_6*\r\n"
              "comment=''*\r\n"
              "left='q4_1 ' range=[0,1] width=1 auto=0 label=q4_1*\r\n"
              "left='q4_2 ' range=[0,2]*\r\n"
              "left='q4_3 ' range=[0,3]*\r\n"
              "left='q4_4 other' range=[0,4] width=1 when=[0][q4_4T]*\r\n"
              "left='q4_4T which' text width=40 label=q4_4T auto='\\ '*\r\n\r\n");
    EXPECT_EQ(w->Caret(), (TCaret{11, 3}));
}

TEST_F(ScriptTest, SingleChoiceAndOpenTemplatesWorkedExamples) {
    MakeMain();
    TTYDChild_Form* w = OpenScript("t.slo", "");
    SetModalHandler([](QDialog* d) {
        Type(d, "Prefix_Edit", "q3");
        Type(d, "Label_Edit", "other");
        Type(d, "Count_Edit", "5");
        Type(d, "TextCount_Edit", "1");
        Type(d, "TextPos_Edit", "3");
        ClickOk(d);
    });
    Main->ScriptAction("Single_InsertMenu")->trigger();
    EXPECT_EQ(w->TextUtf8(),
              "left='q3 ' width=1 auto=8 range=[1:5,8,9] when=[1:2,4:5][q3T]*\r\n"
              "left='q3T other' text width=40 auto='\\ ' label=q3T*\r\n\r\n");
    EXPECT_EQ(w->Caret(), (TCaret{9, 0}));

    w->Editor()->setText("");
    Main->Lang.DefTextWidth = 30;
    SetModalHandler([](QDialog* d) {
        // The first opening proposes the default text width.
        EXPECT_EQ(d->findChild<QLineEdit*>("Width_Edit")->text(), "30");
        Type(d, "Prefix_Edit", "q7");
        Type(d, "Label_Edit", "which");
        Type(d, "Number_Edit", "3");
        Type(d, "Width_Edit", "40");
        ClickOk(d);
    });
    Main->ScriptAction("Open_InsertMenu")->trigger();
    EXPECT_EQ(w->TextUtf8(),
              "left='q7_1 which' text width=40 group=q7*\r\n"
              "left='q7_2 which' text*\r\n"
              "left='q7_3 which' text label=q7*\r\n\r\n");
    EXPECT_EQ(w->Caret(), (TCaret{0, 4}));
    SetModalHandler([](QDialog* d) {
        EXPECT_EQ(d->findChild<QLineEdit*>("Width_Edit")->text(), "40");
        d->reject();
    });
    Main->ScriptAction("Open_InsertMenu")->trigger();
}

TEST_F(ScriptTest, TemplateValidationAndTheWarningQuestion) {
    MakeMain();
    TTYDChild_Form* w = OpenScript("t.slo", "");
    // Invalid: an error box, the dialog stays open, nothing is stored.
    bool stillOpen = false;
    SetModalHandler([&](QDialog* d) {
        Type(d, "Prefix_Edit", "   ");
        ClickOk(d);
        stillOpen = d->isVisible() && d->result() != QDialog::Accepted;
        d->reject();
    });
    Main->ScriptAction("Open_InsertMenu")->trigger();
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(Boxes().Count(TMsgKind::Error), 1);
    EXPECT_EQ(Boxes().Log.back().Text, "Variable prefix undefined.");
    EXPECT_EQ(w->TextUtf8(), "");

    // A warning (prefix starting with a digit): Yes keeps the dialog open
    // with every value as typed, No inserts.
    Boxes().Answers = {MsgResultYes, MsgResultNo};
    QString afterYes;
    SetModalHandler([&](QDialog* d) {
        Type(d, "Prefix_Edit", "1q");
        Type(d, "Label_Edit", "x");
        Type(d, "Number_Edit", "2");
        Type(d, "Width_Edit", "30");
        ClickOk(d);
        afterYes = d->isVisible() ? d->findChild<QLineEdit*>("Prefix_Edit")->text() : QString();
        ClickOk(d);
    });
    Main->ScriptAction("Open_InsertMenu")->trigger();
    EXPECT_EQ(afterYes, "1q");
    ASSERT_EQ(Boxes().Count(TMsgKind::Confirm), 2);
    EXPECT_NE(Boxes().Log.back().Text.find("Variable prefix does not start with a letter"),
              std::string::npos);
    EXPECT_EQ(w->TextUtf8(),
              "left='1q_1 x' text width=30 group=1q*\r\n"
              "left='1q_2 x' text label=1q*\r\n\r\n");

    // Cancel keeps the values for the next time but inserts nothing.
    w->Editor()->setText("");
    Boxes().Answers = {MsgResultCancel};
    SetModalHandler([&](QDialog* d) {
        Type(d, "Prefix_Edit", "2z");
        ClickOk(d);
    });
    Main->ScriptAction("Open_InsertMenu")->trigger();
    EXPECT_EQ(w->TextUtf8(), "");
    EXPECT_EQ(Main->OpenData.Prefix, "2z");
}

TEST_F(ScriptTest, ExportWritesTheSameBytesAsTheCommandLine) {
    MakeMain();
    const std::string script = ReadFile(TALLYRA_EXAMPLES_DIR "/household.slo");
    TTYDChild_Form* w = OpenScript("household.slo", script);
    Boxes().FileAnswers = {{PathOf("gui.sps")}};
    SetModalHandler([](QDialog* d) {
        Tick(d, "VarLab_CB", true);
        Tick(d, "Mis9_CB", true);
        ClickOk(d);
    });
    w->Export();
    ASSERT_EQ(Boxes().Count(TMsgKind::Error), 0);
    QProcess cli;
    cli.start(TALLYRA_CLI_PATH,
              {"spss", "--missing-9", QString::fromStdString(PathOf("household.slo")),
               QString::fromStdString(PathOf("cli.sps"))});
    ASSERT_TRUE(cli.waitForFinished(30000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    const std::string gui = ReadFile(PathOf("gui.sps"));
    // The data file named inside differs only by the target's name.
    std::string cliBytes = ReadFile(PathOf("cli.sps"));
    const std::string from = "cli.dat", to = "gui.dat";
    for (size_t p = cliBytes.find(from); p != std::string::npos; p = cliBytes.find(from, p))
        cliBytes.replace(p, from.size(), to);
    EXPECT_FALSE(gui.empty());
    EXPECT_EQ(gui, cliBytes);

    // A broken script exports nothing.
    w->Editor()->setText("left='a' widht=1*");
    Boxes().FileAnswers = {{PathOf("bad.sps")}};
    w->Export();
    EXPECT_FALSE(QFile::exists(QString::fromStdString(PathOf("bad.sps"))));
    ASSERT_EQ(Boxes().Count(TMsgKind::Error), 1);
    EXPECT_NE(Boxes().Log.back().Text.find("Errors found in script."), std::string::npos);
}

TEST_F(ScriptTest, PreferencesValidateTheTextWidthAndTheSpssLength) {
    MakeMain();
    const struct {
        const char* Width;
        bool LongText;
        const char* Size;
        bool Accepted;
    } cases[] = {
        {"100", false, "8", false}, {"100", true, "8", true}, {"0", true, "8", false},
        {"256", true, "8", false},  {"48", false, "8", true}, {"", false, "8", false},
        {"40", false, "0", false},  {"40", false, "", false}, {"40", false, "12", true},
    };
    for (const auto& c : cases) {
        Boxes().Log.clear();
        Main->Lang.Options = core::DefaultScriptOptions();
        Main->Lang.DefTextWidth = 40;
        Main->Lang.SPSSVarSize = 8;
        bool accepted = false;
        SetModalHandler([&](QDialog* d) {
            auto* p = static_cast<TLangPrefsDialog_Form*>(d);
            p->SelExtensions_ListBox->item(0)->setCheckState(c.LongText ? Qt::Checked
                                                                        : Qt::Unchecked);
            Type(d, "DefTextWidth_Edit", c.Width);
            Type(d, "SPSSVarSizeEdit", c.Size);
            ClickOk(d);
            accepted = d->result() == QDialog::Accepted;
            if (!accepted) {
                EXPECT_TRUE(d->isVisible());
                d->reject();
            }
        });
        Main->ShowPreferences();
        EXPECT_EQ(accepted, c.Accepted) << c.Width << " " << c.Size;
        if (c.Accepted) {
            EXPECT_EQ(Main->Lang.DefTextWidth, atoi(c.Width));
            EXPECT_EQ(Main->Lang.SPSSVarSize, atoi(c.Size));
            EXPECT_EQ(Boxes().Log.size(), 0u);
        } else {
            // Refused: one information box, nothing stored.
            ASSERT_EQ(Boxes().Count(TMsgKind::Information), 1) << c.Width << " " << c.Size;
            EXPECT_EQ(Boxes().Log[0].Text,
                      c.Size[0] == '8' ? "Invalid text field width" : "Invalid SPSS var length");
            EXPECT_EQ(Main->Lang.DefTextWidth, 40);
            EXPECT_EQ(Main->Lang.SPSSVarSize, 8);
            EXPECT_EQ(Main->Lang.Options.ExtLongText, 1);
        }
    }
}

TEST_F(ScriptTest, PreferencesCancelChangesNothing) {
    MakeMain();
    const core::TLangSettings before = Main->Lang;
    const uint32_t memo = Main->EditorOptions, strings = Main->TextOptions;
    SetModalHandler([](QDialog* d) {
        auto* p = static_cast<TLangPrefsDialog_Form*>(d);
        QTest::mouseClick(p->NoWarnings_Button, Qt::LeftButton);
        QTest::mouseClick(p->AllMessages_Button, Qt::LeftButton);
        Type(d, "DefTextWidth_Edit", "30");
        p->Element_ListBox->setCurrentRow(6);
        p->Italic_CheckBox->click();
        p->EditorBoxes[0]->click();
        // A refused OK first, then Cancel.
        Type(d, "SPSSVarSizeEdit", "0");
        ClickOk(d);
        d->reject();
    });
    Main->ShowPreferences();
    EXPECT_EQ(Main->Lang.Options, before.Options);
    EXPECT_EQ(Main->Lang.Colors, before.Colors);
    EXPECT_EQ(Main->Lang.DefTextWidth, before.DefTextWidth);
    EXPECT_EQ(Main->EditorOptions, memo);
    EXPECT_EQ(Main->TextOptions, strings);
}

TEST_F(ScriptTest, PreferencesPageGroupsErrorsColoursAndEditorSwitches) {
    MakeMain();
    TTYDChild_Form* w = OpenScript("p.slo", "left*");
    SetModalHandler([](QDialog* d) {
        auto* p = static_cast<TLangPrefsDialog_Form*>(d);
        auto checked = [](QListWidget* l) {
            QString s;
            for (int i = 0; i < l->count(); ++i)
                s += l->item(i)->checkState() == Qt::Checked ? '1' : '0';
            return s;
        };
        EXPECT_EQ(checked(p->SelWarnings_ListBox), "11101111111");
        EXPECT_EQ(checked(p->SelHints_ListBox), "1110");
        EXPECT_TRUE(p->SelWarnings_Button->isChecked());
        // None unchecks all; an item checked by hand switches to "selected".
        QTest::mouseClick(p->NoExtensions_Button, Qt::LeftButton);
        EXPECT_EQ(checked(p->SelExtensions_ListBox), "0000");
        QTest::mouseClick(p->AllHints_Button, Qt::LeftButton);
        EXPECT_EQ(checked(p->SelHints_ListBox), "1111");
        p->SelHints_ListBox->item(0)->setCheckState(Qt::Unchecked);
        EXPECT_TRUE(p->SelHints_Button->isChecked());
        EXPECT_EQ(checked(p->SelHints_ListBox), "0111");
        // The "selected" button brings back the stored states.
        QTest::mouseClick(p->AllWarnings_Button, Qt::LeftButton);
        QTest::mouseClick(p->SelWarnings_Button, Qt::LeftButton);
        EXPECT_EQ(checked(p->SelWarnings_ListBox), "11101111111");
        // Errors: the count's spinner steps by five and selects its button.
        QTest::mouseClick(p->NoMessages_Button, Qt::LeftButton);
        p->SomeMessages_Edit->stepUp();
        EXPECT_EQ(p->SomeMessages_Edit->value(), 105);
        EXPECT_TRUE(p->SomeMessages_Button->isChecked());
        // Colours: the element's values show in the grid; changes reach the
        // preview at once.
        p->Element_ListBox->setCurrentRow(6);
        EXPECT_TRUE(p->Bold_CheckBox->isChecked());
        p->Foreground_Grid->setCurrentIndex(p->Foreground_Grid->findData(0x0000FFu));
        p->Underline_CheckBox->click();
        EXPECT_EQ(p->Example_DCMemo->lexer()->color(6), QColor(255, 0, 0));
        EXPECT_TRUE(p->Example_DCMemo->lexer()->font(6).underline());
        EXPECT_EQ(p->Example_DCMemo->lexer()->color(1), QColor(0, 128, 0));
        // Editor switch: line numbers (off by default) on.
        for (QCheckBox* c : p->EditorBoxes)
            if (c->objectName() == "LineNumbers_CB") c->click();
        QTest::mouseClick(p->MultiNumber_Button, Qt::LeftButton);
        ClickOk(d);
    });
    Main->ShowPreferences();
    EXPECT_EQ(Main->Lang.Options.ExtLongText, 0);
    EXPECT_EQ(Main->Lang.Options.ExtHeight, 0);
    EXPECT_EQ(Main->Lang.Options.HintItem1, 0);
    EXPECT_EQ(Main->Lang.Options.HintInherited, 1);
    EXPECT_EQ(Main->Lang.Options.ErrorMode, 1);
    EXPECT_EQ(Main->Lang.Options.ErrorCount, 105);
    EXPECT_FALSE(Main->Lang.Multi1);
    EXPECT_EQ(Main->Lang.Colors[6].Foreground, 0x0000FFu);
    EXPECT_EQ(Main->Lang.Colors[6].Underline, 1);
    EXPECT_NE(Main->EditorOptions & (1u << 5), 0u);
    EXPECT_GT(w->Editor()->marginWidth(0), 0);
    // The open window follows: colours and the message limit.
    EXPECT_EQ(w->Editor()->lexer()->color(6), QColor(255, 0, 0));
    EXPECT_EQ(w->MessageList().Limit, 105);
}

namespace {

// Forwards to the test store and records the value names used under
// "Preferences", in order.
std::vector<std::string> PrefReads, PrefWrites;
class TLoggingStore : public core::TSettingsStore {
public:
    bool ReadValue(const std::string& k, const std::string& n, core::TSettingsValue& o) override {
        if (k.ends_with("Preferences")) PrefReads.push_back(n);
        return Store().ReadValue(k, n, o);
    }
    void WriteValue(const std::string& k, const std::string& n,
                    const core::TSettingsValue& v) override {
        if (k.ends_with("Preferences")) PrefWrites.push_back(n);
        Store().WriteValue(k, n, v);
    }
    void DeleteKeyTree(const std::string& k) override { Store().DeleteKeyTree(k); }
};

std::vector<std::string> Tail(const std::vector<std::string>& v, size_t n) {
    return n > v.size() ? v : std::vector<std::string>(v.end() - long(n), v.end());
}

}  // namespace

TEST_F(ScriptTest, PreferencesKeyIsReadAndWrittenInItsOrder) {
    SetSettingsStoreFactory([] { return std::make_unique<TLoggingStore>(); });
    PrefReads.clear();
    PrefWrites.clear();
    MakeMain();
    const std::vector<std::string> readOrder = {"Script",       "Hints",       "Warnings", "Errors",
                                                "DefTextWidth", "SPSSVarSize", "Multi1",   "Memo",
                                                "Strings",      "Colors"};
    EXPECT_EQ(Tail(PrefReads, readOrder.size()), readOrder);
    // A fresh store gives the defaults.
    EXPECT_EQ(Main->Lang.Options, core::DefaultScriptOptions());
    EXPECT_EQ(Main->Lang.Colors, core::DefaultColors());
    EXPECT_EQ(Main->Lang.DefTextWidth, 40);
    EXPECT_TRUE(Main->Lang.Multi1);
    Main->Lang.Options.WarnOverlap = 0;
    Main->Lang.Colors[3].Italic = 1;
    Main->Lang.DefTextWidth = 33;
    Main->Lang.Multi1 = false;
    DestroyMain();
    const std::vector<std::string> writeOrder = {"Script", "Hints",        "Warnings",    "Errors",
                                                 "Colors", "DefTextWidth", "SPSSVarSize", "Multi1",
                                                 "Memo",   "Strings"};
    EXPECT_EQ(Tail(PrefWrites, writeOrder.size()), writeOrder);
    MakeMain();
    EXPECT_EQ(Main->Lang.Options.WarnOverlap, 0);
    EXPECT_EQ(Main->Lang.Colors[3].Italic, 1);
    EXPECT_EQ(Main->Lang.DefTextWidth, 33);
    EXPECT_FALSE(Main->Lang.Multi1);
}

TEST_F(ScriptTest, CancelledExportLeavesAnExistingTargetInPlace) {
    MakeMain();
    TTYDChild_Form* w = OpenScript("ok.slo", CorrectScript);
    WriteFile(PathOf("old.sps"), "keep me");
    Boxes().FileAnswers = {{PathOf("old.sps")}};
    SetModalHandler([](QDialog* d) { d->reject(); });
    w->Export();
    EXPECT_EQ(ReadFile(PathOf("old.sps")), "keep me");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(PathOf("old.bak"))));
}

TEST_F(ScriptTest, WithoutTheUnderscoreExtensionLabelsTakeAnX) {
    MakeMain();
    Main->Lang.Options.ExtUnderscore = 0;
    TTYDChild_Form* w = OpenScript("u.slo", "");
    SetModalHandler([](QDialog* d) {
        Type(d, "Prefix_Edit", "q_7");
        Type(d, "Label_Edit", "which");
        Type(d, "Number_Edit", "2");
        Type(d, "Width_Edit", "30");
        ClickOk(d);
    });
    Main->ScriptAction("Open_InsertMenu")->trigger();
    // Left texts keep the underscore; labels and groups do not.
    EXPECT_EQ(w->TextUtf8(),
              "left='q_7_1 which' text width=30 group=qx7*\r\n"
              "left='q_7_2 which' text label=qx7*\r\n\r\n");
}

TEST_F(ScriptTest, CtrlWInTheEditorOpensTheKeywordMenu) {
    MakeMain();
    TTYDChild_Form* w = OpenScript("k.slo", "");
    Main->activateWindow();
    w->Editor()->setFocus();
    QApplication::processEvents();
    QTest::keyClick(w->Editor(), Qt::Key_W, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_TRUE(w->ShortcutMenu()->isVisible());
    w->ShortcutMenu()->hide();
}
