// SPDX-License-Identifier: GPL-3.0-or-later
// One table of entry scenarios played twice: through `tallyra enter` and
// through the real data entry window with QTest key events. Both must leave
// the same bytes in the data file and the same final position, and both must
// give the bytes the table expects.
#include <memory>
#include <string>

#include <QApplication>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include "data/keyscript.h"
#include "data/tpxdatahandler.h"
#include "entry/tapptygen.h"
#include "entry/tapptytest.h"
#include "entrytestwindow.h"
#include "guitestenv.h"
#include "script/tpxdictionary.h"
#include "shell/cp1250.h"
#include "shell/format.h"
#include "shell/langui.h"

namespace tallyra::gui::test {
namespace {

constexpr const char* Multi =
    "left='Age' width=2 range=[18:99]*left='Notes' text width=30 height=3*"
    "left='Rate' width=1 range=[1:5]*comment='End'*";
constexpr const char* Group =
    "left='g1' width=2 group=G3*left='g2' width=2*left='g3' width=2 label=G3*"
    "left='after' width=1*";
constexpr const char* Update = "left='a' width=1*left='b' width=1 update*left='c' width=1*";

struct TScenario {
    const char* Name;
    const char* Script;  // nullptr: the bundled household example
    bool HouseholdData;  // start from the example's data file, else an empty file
    const char* Keys;
    int Start;             // >= 0: the script test window from this instruction
    const char* Position;  // the final position line
    const char* Tail;      // the data file ends with these bytes
};

const TScenario Scenarios[] = {
    {"MaskBeepsAndFilter", nullptr, true, "a-<BS>x000051", -1,
     "REC: 00005  PG: 0002  FIELD: 6  IDEN: 00000000005",
     "Company car                             \r\n000050000000"},
    {"KeypadPlusFillsTheAutomaticValue", nullptr, true, "<KP+>0Fine<Enter>", -1,
     "REC: 00006  PG: 0001  FIELD: 2  IDEN: 00000000006",
     "0000500000000Fine                                   \r\n00006"},
    {"ForceQuestionNoThenYes", nullptr, true, "5<No><Esc>5<Yes>", -1,
     "REC: 00005  PG: 0002  FIELD: 4  IDEN: 00000000005", "\r\n000055"},
    {"CopyPrevious", nullptr, true, "<Ins>1<Ins><Ins>", -1,
     "REC: 00005  PG: 0002  FIELD: 6  IDEN: 00000000005", "\r\n000051202010"},
    {"CtrlEndGoesToTheEntryPosition", nullptr, true, "<C-Home><A-PgDn><A-PgDn><C-End>", -1,
     "REC: 00005  PG: 0001  FIELD: 2  IDEN: 00000000005", "\r\n00005"},
    {"AltPageDownOnTheLastFullRecord", nullptr, true, "<A-PgUp><C-Down><A-PgDn>", -1,
     "REC: 00004  PG: 0002  FIELD: 6  IDEN: 00000000004", "\r\n00005"},
    {"PageChanges", nullptr, true, "000081<PgUp><PgDn>", -1,
     "REC: 00005  PG: 0002  FIELD: 4  IDEN: 00000000005", "\r\n000050000000"},
    {"MultiLineEnterAccepts", Multi, false, "45Two lines<Enter>3", -1,
     "REC: 00002  PG: 0001  FIELD: 0  IDEN: -----------", "45Two lines                     3\r\n"},
    {"EscUndoesAndForceNo", Multi, false, "17<Enter><Yes>x<Esc>y<Enter>9<No><Esc>", -1,
     "REC: 00001  PG: 0001  FIELD: 2  IDEN: -----------", "17y                             "},
    {"GroupRestFilledAutomatically", Group, false, "01<KP+>5", -1,
     "REC: 00002  PG: 0001  FIELD: 0  IDEN: -----------", "0100005\r\n"},
    {"UpdateMode", Update, false, "134<F8>9<F8><C-End>", -1,
     "REC: 00002  PG: 0001  FIELD: 2  IDEN: -----------", "193\r\n4#"},
    {"TestWindowFromTheFourthInstruction", nullptr, false, "12Note<Enter>", 4,
     "REC: 00002  PG: 0002  FIELD: 6  IDEN: 00000000002",
     "00001000000012Note                                  \r\n000020000000"},
};

void PrintTo(const TScenario& sc, std::ostream* os) {
    *os << sc.Name;
}

std::string HouseholdScript() {
    return ReadFile(std::string(TALLYRA_EXAMPLES_DIR) + "/household.slo");
}

// Runs `tallyra enter`; returns its standard output.
std::string RunCli(const QStringList& args) {
    QProcess p;
    p.start(QString::fromUtf8(TALLYRA_CLI_PATH), QStringList{"enter"} + args);
    EXPECT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    return p.readAllStandardOutput().toStdString();
}

// The Qt key and text of one key of a key script.
void SendStroke(QWidget* target, const core::TKeyStroke& s) {
    using core::TKey;
    Qt::KeyboardModifiers mods;
    if (s.Ctrl) mods |= Qt::ControlModifier;
    if (s.Alt) mods |= Qt::AltModifier;
    if (s.Shift) mods |= Qt::ShiftModifier;
    Qt::Key key = Qt::Key_unknown;
    QString text;
    switch (s.Key) {
        case TKey::Char: {
            const char32_t code = core::Cp1250ToUnicode(static_cast<unsigned char>(s.Char));
            text = QString::fromUcs4(&code, 1);
            const QChar up = text.at(0).toUpper();
            if (up.unicode() < 128 && up.isPrint()) key = Qt::Key(up.unicode());
            break;
        }
        case TKey::Enter:
            key = Qt::Key_Return;
            text = "\r";
            break;
        case TKey::Esc:
            key = Qt::Key_Escape;
            text = "\x1b";
            break;
        case TKey::Tab:
            key = Qt::Key_Tab;
            text = "\t";
            break;
        case TKey::BS:
            key = Qt::Key_Backspace;
            text = "\b";
            break;
        case TKey::Del:
            key = Qt::Key_Delete;
            break;
        case TKey::Left:
            key = Qt::Key_Left;
            break;
        case TKey::Right:
            key = Qt::Key_Right;
            break;
        case TKey::Up:
            key = Qt::Key_Up;
            break;
        case TKey::Down:
            key = Qt::Key_Down;
            break;
        case TKey::Home:
            key = Qt::Key_Home;
            break;
        case TKey::End:
            key = Qt::Key_End;
            break;
        case TKey::PgUp:
            key = Qt::Key_PageUp;
            break;
        case TKey::PgDn:
            key = Qt::Key_PageDown;
            break;
        case TKey::Ins:
            key = Qt::Key_Insert;
            break;
        case TKey::KPPlus:
            key = Qt::Key_Plus;
            text = "+";
            mods |= Qt::KeypadModifier;
            break;
        default:
            key = Qt::Key(Qt::Key_F1 + (int(s.Key) - int(TKey::F1)));
            break;
    }
    QTest::sendKeyEvent(QTest::Click, target, key, text, mods);
}

class EntryScenarios : public ::testing::TestWithParam<TScenario> {
protected:
    void SetUp() override {
        ResetEnvironment();
        ASSERT_TRUE(Dir.isValid());
    }
    void TearDown() override { ResetEnvironment(); }
    std::string Path(const std::string& name) const { return S(Dir.filePath(Q(name))); }
    QTemporaryDir Dir;
};

// Plays the keys into the window: questions answered from the key's answers,
// every other box acknowledged.
std::string PlayInWindow(TAppTYGen_Form& window, const std::vector<core::TScriptKey>& keys) {
    std::deque<bool> answers;
    SetMsgHandler([&answers](TMsgKind kind, const std::string&) {
        if (kind != TMsgKind::YesNo) return MsgResultOk;
        const bool yes = !answers.empty() && answers.front();
        if (!answers.empty()) answers.pop_front();
        return yes ? MsgResultYes : MsgResultNo;
    });
    for (const core::TScriptKey& key : keys) {
        answers.assign(key.Answers.begin(), key.Answers.end());
        QWidget* target = QApplication::focusWidget();
        EXPECT_NE(target, nullptr) << core::KeyName(key.Stroke);
        if (!target) break;
        SendStroke(target, key.Stroke);
    }
    window.Store()->SaveRecord();
    const core::TPXDataContext& c = window.Store()->Context();
    return core::Format("REC: %.5d  PG: %.4d  FIELD: %d  IDEN: %s", c.Rec, c.Page, c.Cur,
                        window.Store()->RecordIdText().c_str());
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST_P(EntryScenarios, CommandLineAndWindowLeaveTheSameBytes) {
    const TScenario& sc = GetParam();
    const std::string script = Path("s.slo");
    WriteFile(script, sc.Script ? std::string(sc.Script) : HouseholdScript());
    const std::string initial =
        sc.HouseholdData ? ReadFile(std::string(TALLYRA_EXAMPLES_DIR) + "/household.dat") : "";
    WriteFile(Path("k.txt"), sc.Keys);
    std::string error;
    const auto keys = core::ParseKeyScript(sc.Keys, error);
    ASSERT_TRUE(keys) << error;

    // The command line.
    std::string cliPosition, cliBytes;
    if (sc.Start >= 0) {
        const std::string out =
            RunCli({Q(script), "--start", QString::number(sc.Start), "--keys", Q(Path("k.txt"))});
        const size_t eol = out.find('\n');
        ASSERT_NE(eol, std::string::npos) << out;
        cliPosition = out.substr(0, eol);
        cliBytes = out.substr(eol + 1);
    } else {
        WriteFile(Path("cli.dat"), initial);
        const std::string out = RunCli({Q(script), Q(Path("cli.dat")), "--keys", Q(Path("k.txt"))});
        cliPosition = out.substr(0, out.find('\n'));
        cliBytes = ReadFile(Path("cli.dat"));
    }
    EXPECT_EQ(cliPosition, sc.Position);
    EXPECT_TRUE(EndsWith(cliBytes, sc.Tail)) << cliBytes;

    // The window.
    core::TPXMessageList messages;
    core::TPXDictionary dictionary(ReadFile(script), core::DefaultScriptOptions(), messages,
                                   nullptr);
    std::string windowPosition, windowBytes;
    if (sc.Start >= 0) {
        TAppTYTest_Form window(nullptr, dictionary, sc.Start, Path(""));
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        windowPosition = PlayInWindow(window, *keys);
        windowBytes = ReadFile(window.TempFileName());
    } else {
        WriteFile(Path("win.dat"), initial);
        TEntryTestWindow window(dictionary, Path("win.dat"));
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        window.StartEntry();
        windowPosition = PlayInWindow(window, *keys);
        windowBytes = ReadFile(Path("win.dat"));
    }
    EXPECT_EQ(windowPosition, cliPosition);
    EXPECT_EQ(windowBytes, cliBytes);
}

INSTANTIATE_TEST_SUITE_P(Table, EntryScenarios, ::testing::ValuesIn(Scenarios),
                         [](const ::testing::TestParamInfo<TScenario>& info) {
                             return std::string(info.param.Name);
                         });

}  // namespace
}  // namespace tallyra::gui::test
