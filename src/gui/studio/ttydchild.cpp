// SPDX-License-Identifier: GPL-3.0-or-later
#include "ttydchild.h"

#include <algorithm>

#include <QAction>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <Qsci/qsciscintilla.h>

#include "editor/editoroptions.h"
#include "editor/keywordsnippets.h"
#include "entry/tapptytest.h"
#include "exportsps.h"
#include "shell/cp1250.h"
#include "shell/errors.h"
#include "shell/langtext.h"
#include "shell/langui.h"
#include "shell/modalrun.h"
#include "shell/msgbox.h"
#include "shell/objectmessages.h"
#include "spss/spssexport.h"
#include "station/tapptypd.h"
#include "tappmain.h"
#include "templatedlg.h"
#include "tpxlexer.h"

namespace tallyra::gui {

namespace {

using Sci = QsciScintillaBase;

}  // namespace

TTYDChild_Form::TTYDChild_Form(TAppMain_Form* mainForm)
    : TChldComp_Form(mainForm), AppMain(mainForm) {
    setObjectName("TYDChild_Form");
    CreateMessageList();
    Colouring = new TPXLexer(mainForm ? &mainForm->Parser() : nullptr, Editor());
    ApplyColors();

    Shortcut_Menu = new QMenu(this);
    Shortcut_Menu->setObjectName("ShortcutMenu");
    for (int i = 0; i < core::KeywordSnippetCount; ++i) {
        const core::TKeywordSnippet snippet = core::KeywordSnippet(i, 0);
        if (snippet.SeparatorBefore) Shortcut_Menu->addSeparator();
        QAction* a = Shortcut_Menu->addAction(QString());
        a->setObjectName(snippet.Name);
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
        a->setText(Q(core::KeywordSnippet(i, width).Caption));
        ++i;
    }
}

void TTYDChild_Form::ShowShortcutMenu() {
    RebuildShortcutMenu();
    Shortcut_Menu->popup(QCursor::pos());
}

void TTYDChild_Form::InsertKeyword(int index) {
    const core::TKeywordSnippet item =
        core::KeywordSnippet(index, AppMain ? AppMain->Lang.DefTextWidth : 40);
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
    return core::HelpWordAt(line, size_t(std::max(0, c.Col)));
}

int TTYDChild_Form::KeywordHelpContext() const {
    return core::KeywordHelpContext(WordAtCaret());
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
