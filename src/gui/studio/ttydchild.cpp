#include "ttydchild.h"

#include <QAction>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <Qsci/qsciscintilla.h>
#include <algorithm>
#include <cctype>

#include "editor/editoroptions.h"
#include "script/keywords.h"
#include "shell/cp1250.h"
#include "shell/errors.h"
#include "shell/format.h"
#include "shell/langtext.h"
#include "shell/langui.h"
#include "shell/msgbox.h"
#include "shell/objectmessages.h"
#include "spss/spssexport.h"
#include "exportsps.h"
#include "shell/modalrun.h"
#include "entry/tapptytest.h"
#include "station/tapptypd.h"
#include "templatedlg.h"
#include "tappmain.h"
#include "tpxlexer.h"

namespace tallyra::gui {

namespace {

using Sci = QsciScintillaBase;
using core::KeywordsLower;

const char* Kw(core::TKeyword k) {
    return KeywordsLower[k];
}

// One keyword item: what it inserts, where the caret goes inside it (-1:
// after the text) and how many line breaks follow it.
struct TKeywordInsert {
    std::string Text;
    int CaretAt = -1;
    int LineBreaks = 0;
};

TKeywordInsert KeywordItem(int index, int defTextWidth) {
    using namespace core;
    const std::string left = Kw(kwLeft);
    switch (index) {
        case 0:
            return {std::string(Kw(kwComment)) + "=''*", -1, 1};
        case 1:
            return {std::string(Kw(kwComment)) + "=''*",
                    int(std::string(Kw(kwComment)).size()) + 2};
        case 2:
            return {std::string(Kw(kwPage)) + "*", -1, 2};
        case 3:
            return {left + "=''*", int(left.size()) + 2};
        case 4:
            return {std::string(Kw(kwRight)) + "=''", int(std::string(Kw(kwRight)).size()) + 2};
        case 5:
            return {std::string(Kw(kwAuto)) + "="};
        case 6:
            return {std::string(Kw(kwLabel)) + "="};
        case 7:
            return {std::string(Kw(kwWhen)) + "=[][]", int(std::string(Kw(kwWhen)).size()) + 2};
        case 8:
            return {std::string(Kw(kwSignal)) + "=[][]", int(std::string(Kw(kwSignal)).size()) + 2};
        case 9:
            return {std::string(Kw(kwGroup)) + "="};
        case 10:
            return {std::string(Kw(kwWidth)) + "="};
        case 11:
            return {std::string(Kw(kwRange)) + "=[]", int(std::string(Kw(kwRange)).size()) + 2};
        case 12:
            return {left + "='' " + Kw(kwWidth) + "= " + Kw(kwAuto) + "= " + Kw(kwRange) + "=[]*",
                    int(left.size()) + 2};
        case 13:
            return {left + "='' " + Kw(kwText) + " " + Kw(kwWidth) + "=" +
                        std::to_string(defTextWidth) + " " + Kw(kwAuto) + "='\\ '*",
                    int(left.size()) + 2};
        default:
            return {};
    }
}

std::string KeywordCaption(int index, int defTextWidth) {
    using namespace core;
    switch (index) {
        case 0:
            return Format("%s=''*", Kw(kwComment));
        case 1:
            return Format("%s='...'*", Kw(kwComment));
        case 2:
            return Format("%s*", Kw(kwPage));
        case 3:
            return Format("%s='...'*", Kw(kwLeft));
        case 4:
            return Format("%s='...'", Kw(kwRight));
        case 5:
            return Format("%s=", Kw(kwAuto));
        case 6:
            return Format("%s=", Kw(kwLabel));
        case 7:
            return Format("%s=[...][]", Kw(kwWhen));
        case 8:
            return Format("%s=[...][]", Kw(kwSignal));
        case 9:
            return Format("%s=", Kw(kwGroup));
        case 10:
            return Format("%s=", Kw(kwWidth));
        case 11:
            return Format("%s=[...]", Kw(kwRange));
        case 12:
            return Format("%s=' ' %s= %s= %s=[]", Kw(kwLeft), Kw(kwWidth), Kw(kwAuto), Kw(kwRange));
        case 13:
            return Format("%s=' ' %s %s=%d %s='\\ '", Kw(kwLeft), Kw(kwText), Kw(kwWidth),
                          defTextWidth, Kw(kwAuto));
        default:
            return {};
    }
}

constexpr const char* KeywordItemNames[14] = {"kome1", "kome2", "stro1", "lewy1", "praw1",
                                              "auto1", "etyk1", "gdy1",  "sygn",  "grup1",
                                              "szer1", "zakr1", "full",  "text"};

bool EndsWord(char c) {
    return c == ' ' || c == '\t' || c == '=' || c == ':' || c == '[' || c == ']' || c == '*' ||
           c == '\'' || c == '\r' || c == '\n';
}

}  // namespace

TTYDChild_Form::TTYDChild_Form(TAppMain_Form* mainForm)
    : TChldComp_Form(mainForm), AppMain(mainForm) {
    setObjectName("TYDChild_Form");
    CreateMessageList();
    Colouring = new TPXLexer(mainForm ? &mainForm->Parser() : nullptr, Editor());
    ApplyColors();

    Shortcut_Menu = new QMenu(this);
    Shortcut_Menu->setObjectName("ShortcutMenu");
    for (int i = 0; i < 14; ++i) {
        if (i == 3 || i == 5) Shortcut_Menu->addSeparator();
        QAction* a = Shortcut_Menu->addAction(QString());
        a->setObjectName(KeywordItemNames[i]);
        connect(a, &QAction::triggered, this, [this, i] { InsertKeyword(i); });
    }
    connect(Shortcut_Menu, &QMenu::aboutToShow, this, [this] { RebuildShortcutMenu(); });
    RebuildShortcutMenu();

    // Ctrl+F1 belongs to the window (Ctrl+W is the main window's entry).
    auto* help = new QAction(this);
    help->setObjectName("HelpReservedWord_Action");
    help->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F1));
    help->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(help, &QAction::triggered, this, [this] { HelpReservedWord(); });
    addAction(help);
}

TTYDChild_Form::~TTYDChild_Form() = default;

bool TTYDChild_Form::ScriptUsable() const {
    return Checked && MessageList().CountKinds({core::mkError}) == 0 &&
           Checked->Instructions.Count() > 0;
}

std::string& TTYDChild_Form::TestFolder() {
    static std::string folder;
    return folder;
}

int32_t TTYDChild_Form::StartIndexAtCursor() const {
    const std::string text = TextBytes();
    const int32_t p = CaretOffset(Caret());
    // 1-based positions: step back to just after the last "*" before the
    // caret; a "*" standing there belongs to what is read.
    int32_t i = std::clamp(p, int32_t(1), std::max(int32_t(text.size()), int32_t(1)));
    while (i > 1 && text[size_t(i - 2)] != '*')
        --i;
    if (i <= int32_t(text.size()) && text[size_t(i - 1)] == '*') ++i;
    i = std::min(i, int32_t(text.size()));
    core::TPXMessageList scratch;
    const core::TScriptOptions options =
        AppMain ? AppMain->Lang.Options : core::DefaultScriptOptions();
    try {
        core::TPXDictionary part(text.substr(0, size_t(i)), options, scratch, nullptr);
        return part.Instructions.Count();
    } catch (const core::ETallyraError&) {
        return 0;
    }
}

void TTYDChild_Form::RunTest(bool atCursor) {
    if (!ScriptUsable()) return;
    int32_t start = 0;
    try {
        if (atCursor) start = StartIndexAtCursor();
    } catch (const core::ETallyraError& e) {
        MsgError(e.Text());
        return;
    }
    // The test window reports its data errors into the script's list.
    MessageList().Clear();
    auto window = std::make_unique<TAppTYTest_Form>(this, *Checked, start, TestFolder());
    RunModalWindow(window.get());
    window.reset();
    UpdateMain();
}

void TTYDChild_Form::ShowPreview() {
    if (!ScriptUsable()) return;
    MessageList().Clear();
    auto viewer = std::make_unique<TAppTYPD_Form>(
        AppMain ? static_cast<QWidget*>(AppMain) : static_cast<QWidget*>(this), *Checked);
    RunModalWindow(viewer.get());
    viewer.reset();
    UpdateMain();
}

void TTYDChild_Form::CreateMessageList() {
    Messages = std::make_unique<core::TPXMessageList>();
    if (AppMain)
        Messages->Limit = core::LimitForErrorMode(AppMain->Lang.Options.ErrorMode,
                                                  AppMain->Lang.Options.ErrorCount);
}

void TTYDChild_Form::CompileScript() {
    if (!MessageListVisible()) SetMessageListVisible(true);
    Checked.reset();
    const std::string text = TextBytes();  // raises EGeneric for unstorable characters
    const core::TScriptOptions options =
        AppMain ? AppMain->Lang.Options : core::DefaultScriptOptions();
    Checked = std::make_unique<core::TPXDictionary>(text, options, MessageList(),
                                                    AppMain ? AppMain->ReadingProgress() : nullptr);
}

QAction* TTYDChild_Form::ScriptTwin(const char* name) const {
    return AppMain ? AppMain->ScriptAction(name) : nullptr;
}

void TTYDChild_Form::UpdateMain() {
    if (AppMain && AppMain->ActiveChild() == this) {
        AppMain->UpdateScriptMenu();
        AppMain->UpdateToolbar();
    }
}

void TTYDChild_Form::ApplyColors() {
    if (!AppMain) return;
    const bool colour = core::HasOption(AppMain->EditorOptions, core::moColorSyntax);
    Colouring->ApplyColors(AppMain->Lang.Colors, ToQFont(AppMain->EditFont, true));
    if (colour) {
        if (Editor()->lexer() != Colouring) Editor()->setLexer(Colouring);
        Editor()->recolor();
    } else if (Editor()->lexer()) {
        Editor()->setLexer(nullptr);
        ApplyEditFont();
    }
}

bool TTYDChild_Form::HandleWindowMessage(TWindowMessage* m) {
    const bool handled = TChldComp_Form::HandleWindowMessage(m);
    if (m->Message == WM_FontsChanged) ApplyColors();
    return handled;
}

bool TTYDChild_Form::eventFilter(QObject* watched, QEvent* e) {
    return TChldComp_Form::eventFilter(watched, e);
}

// ---- keyword menu ----

void TTYDChild_Form::RebuildShortcutMenu() {
    const int width = AppMain ? AppMain->Lang.DefTextWidth : 40;
    int i = 0;
    for (QAction* a : Shortcut_Menu->actions()) {
        if (a->isSeparator()) continue;
        // An ampersand would become an accelerator mark; the captions hold none.
        a->setText(Q(KeywordCaption(i, width)));
        ++i;
    }
}

void TTYDChild_Form::ShowShortcutMenu() {
    RebuildShortcutMenu();
    Shortcut_Menu->popup(QCursor::pos());
}

void TTYDChild_Form::InsertKeyword(int index) {
    const TKeywordInsert item = KeywordItem(index, AppMain ? AppMain->Lang.DefTextWidth : 40);
    if (item.Text.empty()) return;
    QsciScintilla* e = Editor();
    e->beginUndoAction();
    e->removeSelectedText();
    const long start = e->SendScintilla(Sci::SCI_GETCURRENTPOS);
    // Keyword texts are plain ASCII: bytes and characters agree.
    e->SendScintilla(Sci::SCI_ADDTEXT, item.Text.size(), item.Text.c_str());
    for (int n = 0; n < item.LineBreaks; ++n)
        e->SendScintilla(Sci::SCI_NEWLINE);
    e->endUndoAction();
    if (item.CaretAt >= 0) e->SendScintilla(Sci::SCI_GOTOPOS, start + item.CaretAt);
    ShowPositionPanel();
    e->setFocus();
}

// ---- keyword help ----

std::string TTYDChild_Form::WordAtCaret() const {
    const TCaret c = Caret();
    const std::string line =
        core::Utf8ToCp1250(S(Editor()->text(c.Line)));  // unmapped characters are dropped
    const size_t col = std::min<size_t>(size_t(std::max(0, c.Col)), line.size());
    size_t from = col, to = col;
    while (from > 0 && !EndsWord(line[from - 1]))
        --from;
    while (to < line.size() && !EndsWord(line[to]))
        ++to;
    std::string word = line.substr(from, to - from);
    for (char& ch : word)
        ch = char(std::tolower(static_cast<unsigned char>(ch)));
    return word;
}

int TTYDChild_Form::KeywordHelpContext() const {
    const std::string word = WordAtCaret();
    for (int k = 1; k <= core::KeywordCount; ++k)
        if (word.rfind(KeywordsLower[k], 0) == 0) return 700 + k;
    return 0;
}

void TTYDChild_Form::HelpReservedWord() {
    const int context = KeywordHelpContext();
    if (context && AppMain) AppMain->ShowHelpContext(context);
}

// ---- templates ----

void TTYDChild_Form::InsertBlock(const core::TTemplateBlock& block) {
    QsciScintilla* e = Editor();
    e->beginUndoAction();
    e->removeSelectedText();
    const TCaret at = Caret();
    const std::string text = block.Text();
    e->SendScintilla(Sci::SCI_ADDTEXT, text.size(), text.c_str());
    e->endUndoAction();
    if (block.ColumnFromInsertion && block.CaretLine == 0)
        SetCaret({at.Col + block.CaretColumn, at.Line});
    else if (block.ColumnFromInsertion)
        SetCaret({at.Col + block.CaretColumn, at.Line + block.CaretLine});
    else
        SetCaret({block.CaretColumn, at.Line + block.CaretLine});
    e->setFocus();
}

void TTYDChild_Form::InsertGroup() {
    if (!AppMain) return;
    TInsGroup_Form dialog(this, AppMain->GroupData);
    if (RunModal(&dialog) != QDialog::Accepted) return;
    InsertBlock(core::GenerateGroup(AppMain->GroupData, dialog.CountDigitsTyped(),
                                    AppMain->Lang.Options.ExtUnderscore != 0));
}

void TTYDChild_Form::InsertMultiChoice() {
    if (!AppMain) return;
    TInsMulti_Form dialog(this, AppMain->MultiData);
    if (RunModal(&dialog) != QDialog::Accepted) return;
    InsertBlock(core::GenerateMulti(AppMain->MultiData, AppMain->Lang.Multi1,
                                    AppMain->Lang.DefTextWidth,
                                    AppMain->Lang.Options.ExtUnderscore != 0));
}

void TTYDChild_Form::InsertSingleChoice() {
    if (!AppMain) return;
    TInsSingle_Form dialog(this, AppMain->SingleData);
    if (RunModal(&dialog) != QDialog::Accepted) return;
    InsertBlock(core::GenerateSingle(AppMain->SingleData, AppMain->Lang.DefTextWidth,
                                     AppMain->Lang.Options.ExtUnderscore != 0));
}

void TTYDChild_Form::InsertOpen() {
    if (!AppMain) return;
    TInsOpen_Form dialog(this, AppMain->OpenData, AppMain->Lang.DefTextWidth);
    if (RunModal(&dialog) != QDialog::Accepted) return;
    InsertBlock(core::GenerateOpen(AppMain->OpenData, AppMain->Lang.Options.ExtUnderscore != 0));
}

// ---- export ----

bool TTYDChild_Form::PrepareExport() {
    ExportChoices.reset();
    CheckScript();
    if (!Checked || MessageList().CountKinds({core::mkError}) > 0) {
        MsgError(
            core::LangText("<EN>Cannot export script to an .sps file.\r\nErrors found in "
                           "script.<PL>Nie można wyeksportować skryptu do pliku .sps.\r\n"
                           "Znaleziono błędy w skrypcie."));
        return false;
    }
    core::TSPSExportOptions choices;
    if (!TExportSPS_Form::Ask(this, choices)) return false;
    ExportChoices = choices;
    return true;
}

void TTYDChild_Form::ExportFile(const std::string& name) {
    if (!ExportChoices && !PrepareExport()) return;
    const core::TSPSExportOptions choices = *ExportChoices;
    ExportChoices.reset();
    const std::string text = TextBytes();
    // A failure raises EGeneric, which the framework's Export shows.
    core::ExportScriptToSPS(GetFileName(), text,
                            AppMain ? AppMain->Lang.Options : core::DefaultScriptOptions(), name,
                            choices, core::SPSSVarSize());
}

}  // namespace tallyra::gui
