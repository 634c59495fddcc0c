// SPDX-License-Identifier: GPL-3.0-or-later
#include "tchldedit.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QPrintDialog>
#include <QVBoxLayout>
#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>
#include <Qsci/qsciprinter.h>
#include <Qsci/qsciscintilla.h>

#include "editor/editoroptions.h"
#include "editor/editorsave.h"
#include "finddialogs.h"
#include "shell/filebytes.h"
#include "shell/format.h"
#include "shell/langtext.h"
#include "shell/langui.h"
#include "shell/msgbox.h"
#include "tappedit.h"

namespace tallyra::gui {

namespace {

using Sci = QsciScintillaBase;

// Editor markers 1..10 carry the bookmarks; margin 1 shows them.
constexpr int BookmarkMargin = 1;
constexpr int LineNumberMargin = 0;

using core::HasOption;

std::string TextOf(const QsciScintilla* e, long from, long to) {
    std::string s;
    if (to <= from) return s;
    const char* p = reinterpret_cast<const char*>(e->SendScintilla(Sci::SCI_GETCHARACTERPOINTER));
    if (p) s.assign(p + from, static_cast<size_t>(to - from));
    return s;
}

std::string ErrorWithFile(const char* tagged, const std::string& file, const char* what) {
    return core::LangText(tagged) + "\r\n" + file + "\r\n\r\n" + what;
}

}  // namespace

TChldEdit_Form::TChldEdit_Form(TAppEdit_Form* mainForm) : TChldGen_Form(mainForm) {
    setObjectName("Edit_Form");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    DictEdit = new QsciScintilla(this);
    DictEdit->setObjectName("DictEdit");
    DictEdit->setUtf8(true);
    DictEdit->setEolMode(QsciScintilla::EolWindows);
    DictEdit->setContextMenuPolicy(Qt::NoContextMenu);
    DictEdit->SendScintilla(Sci::SCI_SETPASTECONVERTENDINGS, 1);
    layout->addWidget(DictEdit);
    setFocusProxy(DictEdit);
    for (int n = 1; n <= 10; ++n) {
        DictEdit->markerDefine(char('0' + n % 10), n);
        DictEdit->setMarkerForegroundColor(QColor(0x1f, 0x4e, 0x9a), n);
        MarkerHandles[n - 1] = -1;
    }
    DictEdit->setMarginType(BookmarkMargin, QsciScintilla::SymbolMargin);
    DictEdit->setMarginMarkerMask(BookmarkMargin, 0x7FE);  // markers 1..10
    DictEdit->installEventFilter(this);
    DictEdit->viewport()->installEventFilter(this);
    RemoveKeyConflicts();

    Marker_Menu = new QMenu(this);
    Marker_Menu->setObjectName("Marker_Menu");
    for (int n = 1; n <= 10; ++n) {
        auto* a = Marker_Menu->addAction(QString());
        a->setObjectName(QString("Bookmark%1_MarkerMenu").arg(n));
        connect(a, &QAction::triggered, this, [this, n] {
            if (SetMode)
                SetBookmark(n);
            else
                GotoBookmark(n);
        });
    }
    CreateCommands();

    connect(DictEdit, &QsciScintilla::cursorPositionChanged, this,
            [this](int, int) { ShowPositionPanel(); });
    connect(DictEdit, &QsciScintilla::textChanged, this, [this] {
        ShowModifiedPanel();
        TrackChange();
    });
    connect(DictEdit, &QsciScintilla::modificationChanged, this,
            [this](bool) { ShowModifiedPanel(); });
    connect(DictEdit, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int position, int type, const char*, int length, int, int, int, int, int, int) {
                TrackModification(position, type, length);
            });
    // Shortcuts of disabled menu entries do nothing: the Edit menu's
    // enabling follows the selection and the undo state as they change.
    connect(DictEdit, &QsciScintilla::selectionChanged, this, [this] { UpdateMainMenus(); });
    connect(DictEdit, &QsciScintilla::textChanged, this, [this] { UpdateMainMenus(); });

    // Creation: caret home, fonts and options of the main window, and a new
    // empty window that closes without a question.
    SetCaret({0, 0});
    ApplyEditFont();
    if (mainForm) ApplyOptions(mainForm->EditorOptions, mainForm->TextOptions);
    PrevCaret = Caret();
    PrevTextLength = 0;
    InsertModeFlag = true;
    SetModified(false);
    RefreshPanels();
}

TChldEdit_Form::~TChldEdit_Form() = default;

TAppEdit_Form* TChldEdit_Form::EditMain() const {
    return static_cast<TAppEdit_Form*>(FileMain());
}

void TChldEdit_Form::CreateCommands() {
    auto cmd = [this](const char* name, auto fn) {
        connect(AddCommand(name), &QAction::triggered, this, fn);
    };
    cmd("Undo_EditMenu", [this] { DictEdit->undo(); });
    cmd("Redo_EditMenu", [this] { DictEdit->redo(); });
    cmd("Cut_EditMenu", [this] { DictEdit->cut(); });
    cmd("Copy_EditMenu", [this] { DictEdit->copy(); });
    cmd("Paste_EditMenu", [this] {
        // The caret stays in front of the pasted text.
        const TCaret before = Caret();
        DictEdit->paste();
        SetCaret(before);
    });
    cmd("Clear_EditMenu", [this] { DictEdit->removeSelectedText(); });
    cmd("SaveBlock_EditMenu", [this] { SaveBlock(); });
    cmd("SelectAll_EditMenu", [this] { DictEdit->selectAll(true); });
    cmd("Find_EditMenu", [this] { Find(); });
    cmd("Replace_EditMenu", [this] { Replace(); });
    cmd("FindNext_EditMenu", [this] { FindNext(); });
    cmd("InsertFile_EditMenu", [this] {
        TAppEdit_Form* m = EditMain();
        if (!m) return;
        TFileDialogRequest r;
        r.DialogMode = TFileDialogRequest::Mode::Open;
        r.Title = core::LangText("<EN>Open file...<PL>Otwórz plik...");
        r.Folder = m->OpenDir;
        r.Filter = m->OpenFilter();
        r.DefaultExt = m->OpenDefaultExt();
        const auto chosen = RunFileDialog(this, r);
        if (!chosen.empty()) InsertFile(chosen.front());
    });
    cmd("InsertMarker_EditMenu", [this] { ShowMarkerMenu(true); });
    cmd("GotoMarker_EditMenu", [this] { ShowMarkerMenu(false); });
    cmd("GotoLine_EditMenu", [this] { GotoLine(); });
}

void TChldEdit_Form::RemoveKeyConflicts() {
    // Keys of the main window's menus win over the component's own bindings.
    QsciCommandSet* set = DictEdit->standardCommands();
    const QKeyCombination keys[] = {Qt::CTRL | Qt::Key_D,
                                    Qt::CTRL | Qt::Key_L,
                                    Qt::CTRL | Qt::Key_K,
                                    Qt::CTRL | Qt::Key_Q,
                                    Qt::CTRL | Qt::Key_F,
                                    Qt::CTRL | Qt::Key_H,
                                    Qt::CTRL | Qt::Key_W,
                                    Qt::CTRL | Qt::Key_G,
                                    Qt::CTRL | Qt::Key_M,
                                    Qt::CTRL | Qt::Key_I,
                                    Qt::CTRL | Qt::Key_T,
                                    Qt::CTRL | Qt::SHIFT | Qt::Key_L,
                                    Qt::CTRL | Qt::SHIFT | Qt::Key_T,
                                    QKeyCombination(Qt::Key_F3)};
    for (const QKeyCombination combination : keys) {
        const int key = combination.toCombined();
        while (QsciCommand* c = set->boundTo(key)) {
            if (c->key() == key) c->setKey(0);
            if (c->alternateKey() == key) c->setAlternateKey(0);
        }
    }
}

// ---- text and caret ----

std::string TChldEdit_Form::TextUtf8() const {
    return TextOf(DictEdit, 0, DictEdit->SendScintilla(Sci::SCI_GETLENGTH));
}

std::string TChldEdit_Form::TextBytes() const {
    return core::EditorTextToFileBytes(TextUtf8());
}

std::string TChldEdit_Form::WriteDocument() const {
    return TextBytes();
}

void TChldEdit_Form::SetTextBytes(const std::string& bytes) {
    const std::string utf8 = core::EditorTextFromFileBytes(bytes);
    // Appended with its length, so NUL and every other byte survive.
    DictEdit->SendScintilla(Sci::SCI_CLEARALL);
    DictEdit->SendScintilla(Sci::SCI_APPENDTEXT, static_cast<uintptr_t>(utf8.size()), utf8.data());
    DictEdit->SendScintilla(Sci::SCI_EMPTYUNDOBUFFER);
    DictEdit->SendScintilla(Sci::SCI_GOTOPOS, 0);
}

TCaret TChldEdit_Form::Caret() const {
    const long pos = DictEdit->SendScintilla(Sci::SCI_GETCURRENTPOS);
    const long line = DictEdit->SendScintilla(Sci::SCI_LINEFROMPOSITION, pos);
    const long start = DictEdit->SendScintilla(Sci::SCI_POSITIONFROMLINE, line);
    const long col = DictEdit->SendScintilla(Sci::SCI_COUNTCHARACTERS, start, pos);
    return {static_cast<int32_t>(col), static_cast<int32_t>(line)};
}

void TChldEdit_Form::SetCaret(TCaret caret) {
    const long lines = DictEdit->SendScintilla(Sci::SCI_GETLINECOUNT);
    const long line = qBound<long>(0L, long(caret.Line), lines - 1);
    const long start = DictEdit->SendScintilla(Sci::SCI_POSITIONFROMLINE, line);
    const long end = DictEdit->SendScintilla(Sci::SCI_GETLINEENDPOSITION, line);
    long pos = DictEdit->SendScintilla(Sci::SCI_POSITIONRELATIVE, start, long(caret.Col));
    if (pos == 0 && caret.Col > 0) pos = end;  // past the document end
    if (pos > end) pos = end;
    DictEdit->SendScintilla(Sci::SCI_GOTOPOS, pos);
    ShowPositionPanel();
}

std::string TChldEdit_Form::SelectedTextUtf8() const {
    return TextOf(DictEdit, DictEdit->SendScintilla(Sci::SCI_GETSELECTIONSTART),
                  DictEdit->SendScintilla(Sci::SCI_GETSELECTIONEND));
}

int32_t TChldEdit_Form::CaretOffset(TCaret caret) const {
    const long start = DictEdit->SendScintilla(Sci::SCI_POSITIONFROMLINE, long(caret.Line));
    const long before = DictEdit->SendScintilla(Sci::SCI_COUNTCHARACTERS, 0, start);
    return static_cast<int32_t>(1 + before + caret.Col);
}

// ---- document state ----

bool TChldEdit_Form::IsModified() const {
    return ForcedModified || DictEdit->isModified();
}

void TChldEdit_Form::SetModified(bool flag) {
    TChldGen_Form::SetModified(flag);
    if (!DictEdit) return;
    ForcedModified = flag;
    if (!flag) DictEdit->setModified(false);
    ShowModifiedPanel();
}

void TChldEdit_Form::Saved() {
    TChldGen_Form::Saved();
    RefreshPanels();
}

void TChldEdit_Form::Reload() {
    DictEdit->clear();
    LoadFile(GetFileName());
}

void TChldEdit_Form::LoadFile(const std::string& name) {
    SetFileName(name);
    setWindowTitle(Q(name).toLower());
    SetUntitled(false);
    if (core::FileExists(name)) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        repaint();
        try {
            SetTextBytes(core::ReadFileBytes(name));
            QApplication::restoreOverrideCursor();
            SetModified(false);
        } catch (const std::exception& e) {
            QApplication::restoreOverrideCursor();
            MsgError(ErrorWithFile("<EN>File open error.<PL>Błąd otwarcia pliku.", GetFileName(),
                                   e.what()));
            DictEdit->clear();
            SetModified(true);
        }
    }
    ShowModifiedPanel();
    TrackChange();
    RememberFileTime();
}

// ---- status panels ----

void TChldEdit_Form::ShowPositionPanel() {
    TAppEdit_Form* m = EditMain();
    if (!m || m->ActiveChild() != this) return;
    const TCaret c = Caret();
    m->PositionPanel()->setText(
        Q(core::FormatText(core::LangText("<EN>Pos %s<PL>Poz %s"),
                           core::Format("%d: %d", int(c.Line + 1), int(c.Col + 1)).c_str())));
}

void TChldEdit_Form::ShowModifiedPanel() {
    TAppEdit_Form* m = EditMain();
    if (!m || m->ActiveChild() != this) return;
    m->ModifiedPanel()->setText(IsModified() ? LT("<EN>MOD<PL>ZM") : QString());
}

void TChldEdit_Form::ShowInsertPanel() {
    TAppEdit_Form* m = EditMain();
    if (!m || m->ActiveChild() != this) return;
    m->InsertPanel()->setText(InsertModeFlag ? LT("<EN>INS<PL>WST") : LT("<EN>OVR<PL>NAD"));
}

void TChldEdit_Form::RefreshPanels() {
    ShowPositionPanel();
    ShowModifiedPanel();
    ShowInsertPanel();
}

void TChldEdit_Form::ToggleInsertMode() {
    InsertModeFlag = !InsertModeFlag;
    const bool blockCaret = !InsertModeFlag && HasOption(EditorOpts, core::moOverwriteCaret);
    DictEdit->SendScintilla(Sci::SCI_SETCARETSTYLE,
                            blockCaret ? long(Sci::CARETSTYLE_BLOCK) : long(Sci::CARETSTYLE_LINE));
    ShowInsertPanel();
}

void TChldEdit_Form::Activated() {
    TChldGen_Form::Activated();
    RefreshPanels();
}

void TChldEdit_Form::TrackChange() {
    PrevCaret = Caret();
    PrevTextLength = static_cast<int32_t>(DictEdit->SendScintilla(
        Sci::SCI_COUNTCHARACTERS, 0, DictEdit->SendScintilla(Sci::SCI_GETLENGTH)));
}

void TChldEdit_Form::TrackModification(int position, int type, int length) {
    // The component reports the exact place of every change, so messages
    // follow edits made anywhere, also after the caret was moved by a click.
    const bool insert = type & QsciScintillaBase::SC_MOD_INSERTTEXT;
    const bool remove = type & QsciScintillaBase::SC_MOD_BEFOREDELETE;
    if ((!insert && !remove) || length <= 0) return;
    const long from = position;
    const long to = from + length;
    const int32_t before =
        static_cast<int32_t>(DictEdit->SendScintilla(Sci::SCI_COUNTCHARACTERS, 0L, from));
    const int32_t count =
        static_cast<int32_t>(DictEdit->SendScintilla(Sci::SCI_COUNTCHARACTERS, from, to));
    ShiftMessages(before, insert ? count : -count);
}

void TChldEdit_Form::UpdateMainMenus() {
    TAppEdit_Form* m = EditMain();
    if (m && m->ActiveChild() == this) m->UpdateEditMenu();
}

// ---- bookmarks ----

void TChldEdit_Form::SetBookmark(int n) {
    if (n < 1 || n > 10) return;
    if (MarkerHandles[n - 1] >= 0) DictEdit->markerDeleteHandle(MarkerHandles[n - 1]);
    const TCaret c = Caret();
    MarkerHandles[n - 1] = DictEdit->markerAdd(c.Line, n);
    MarkerColumns[n - 1] = c.Col;
    MarkerSetFlags[n - 1] = true;
}

void TChldEdit_Form::GotoBookmark(int n) {
    if (n < 1 || n > 10 || MarkerHandles[n - 1] < 0) return;
    const int line = DictEdit->markerLine(MarkerHandles[n - 1]);
    if (line < 0) return;
    SetCaret({MarkerColumns[n - 1], line});
    DictEdit->ensureCursorVisible();
}

void TChldEdit_Form::BuildMarkerMenu(bool setMode) {
    SetMode = setMode;
    const QList<QAction*> items = Marker_Menu->actions();
    for (int n = 1; n <= 10 && n <= items.size(); ++n) {
        QAction* a = items[n - 1];
        const int shown = n % 10;
        a->setText(Q(core::FormatText(core::LangText("<EN>Bookmark &%d<PL>Zakładka &%d"), shown)));
        a->setStatusTip(Q(core::FormatText(
            setMode ? core::LangText("<EN>Set the bookmark number %d at the cursor<PL>Wstawia "
                                     "zakładkę nr %d w punkcie edycji")
                    : core::LangText("<EN>Move the cursor to the bookmark number %d<PL>Przesuwa "
                                     "punkt edycji do zakładki nr %d"),
            shown)));
        a->setEnabled(setMode || MarkerSetFlags[n - 1]);
    }
    PadMenuCaptions(Marker_Menu);
}

void TChldEdit_Form::ShowMarkerMenu(bool setMode) {
    BuildMarkerMenu(setMode);
    Marker_Menu->popup(QCursor::pos());
}

// ---- edit commands ----

void TChldEdit_Form::InsertFile(const std::string& name) {
    try {
        if (!core::FileExists(name)) return;
        const std::string utf8 = core::EditorTextFromFileBytes(core::ReadFileBytes(name));
        const long start = DictEdit->SendScintilla(Sci::SCI_GETCURRENTPOS);
        SetModified(true);
        // Added with its length (NUL-safe); the caret ends after the text.
        DictEdit->SendScintilla(Sci::SCI_BEGINUNDOACTION);
        DictEdit->SendScintilla(Sci::SCI_ADDTEXT, static_cast<uintptr_t>(utf8.size()), utf8.data());
        DictEdit->SendScintilla(Sci::SCI_ENDUNDOACTION);
        const long end = DictEdit->SendScintilla(Sci::SCI_GETCURRENTPOS);
        DictEdit->SendScintilla(Sci::SCI_SETSEL, start, end);
    } catch (const std::exception& e) {
        MsgError(
            ErrorWithFile("<EN>File open error.<PL>Błąd otwarcia pliku.", GetFileName(), e.what()));
    }
}

void TChldEdit_Form::SaveBlock() {
    TAppEdit_Form* m = EditMain();
    if (!m) return;
    TFileDialogRequest r;
    r.DialogMode = TFileDialogRequest::Mode::Save;
    r.Title = core::LangText("<EN>Save file as...<PL>Zapisz plik jako...");
    r.Folder = m->SaveAsDir;
    r.Filter = m->OpenFilter();
    r.DefaultExt = m->OpenDefaultExt();
    const auto chosen = RunFileDialog(this, r);
    if (!chosen.empty()) SaveBlockTo(chosen.front());
}

void TChldEdit_Form::SaveBlockTo(const std::string& target) {
    try {
        core::SaveEditorText(target, SelectedTextUtf8());
    } catch (const std::exception& e) {
        MsgError(
            ErrorWithFile("<EN>File write error.<PL>Błąd zapisu pliku.", GetFileName(), e.what()));
    }
}

bool TChldEdit_Form::FindText(const std::string& text, bool caseSensitive, bool wholeWord,
                              bool forward) {
    LastFind = text;
    LastCase = caseSensitive;
    LastWord = wholeWord;
    LastForward = forward;
    if (text.empty()) return false;
    // A backward search starts in front of the current selection.
    int line = -1, index = -1;
    if (!forward && DictEdit->hasSelectedText()) {
        int l1, i1, l2, i2;
        DictEdit->getSelection(&l1, &i1, &l2, &i2);
        line = l1;
        index = i1;
    }
    return DictEdit->findFirst(Q(text), false, caseSensitive, wholeWord, false, forward, line,
                               index);
}

int TChldEdit_Form::ReplaceAll(const std::string& text, const std::string& with, bool caseSensitive,
                               bool wholeWord) {
    if (text.empty()) return 0;
    int count = 0;
    DictEdit->beginUndoAction();
    bool found =
        DictEdit->findFirst(Q(text), false, caseSensitive, wholeWord, false, true, 0, 0, false);
    while (found) {
        DictEdit->replace(Q(with));
        ++count;
        found = DictEdit->findNext();
    }
    DictEdit->endUndoAction();
    return count;
}

void TChldEdit_Form::Find() {
    std::string proposal = LastFind;
    if (HasOption(TextOpts, core::soFindTextAtCursor)) {
        const QString word = DictEdit->wordAtLineIndex(Caret().Line, Caret().Col);
        if (!word.isEmpty()) proposal = S(word);
    }
    TFindDialog dialog(this, false, proposal);
    if (dialog.exec() != QDialog::Accepted) return;
    if (!FindText(dialog.FindText(), dialog.CaseSensitive(), dialog.WholeWord(), dialog.Forward()))
        MsgInformation(core::FormatText(
            core::LangText("<EN>Text not found: \"%s\".<PL>Nie znaleziono tekstu: \"%s\"."),
            dialog.FindText().c_str()));
}

void TChldEdit_Form::Replace() {
    TFindDialog dialog(this, true, LastFind);
    if (dialog.exec() != QDialog::Accepted) return;
    if (dialog.Chosen() == TFindDialog::Result::ReplaceAll) {
        const int n = ReplaceAll(dialog.FindText(), dialog.ReplaceText(), dialog.CaseSensitive(),
                                 dialog.WholeWord());
        MsgInformation(core::FormatText(core::LangText("<EN>Replaced: %d.<PL>Zamieniono: %d."), n));
        return;
    }
    if (FindText(dialog.FindText(), dialog.CaseSensitive(), dialog.WholeWord(), dialog.Forward()))
        DictEdit->replace(Q(dialog.ReplaceText()));
    else
        MsgInformation(core::FormatText(
            core::LangText("<EN>Text not found: \"%s\".<PL>Nie znaleziono tekstu: \"%s\"."),
            dialog.FindText().c_str()));
}

void TChldEdit_Form::FindNext() {
    if (LastFind.empty()) {
        Find();
        return;
    }
    if (!FindText(LastFind, LastCase, LastWord, LastForward)) QApplication::beep();
}

void TChldEdit_Form::GotoLine() {
    const int lines = DictEdit->lines();
    bool ok = false;
    const int line = QInputDialog::getInt(this, LT("<EN>Go to line<PL>Przejdź do wiersza"),
                                          LT("<EN>Line number:<PL>Numer wiersza:"),
                                          Caret().Line + 1, 1, qMax(1, lines), 1, &ok);
    if (!ok) return;
    SetCaret({0, line - 1});
    DictEdit->ensureCursorVisible();
}

void TChldEdit_Form::Print() {
    TAppEdit_Form* m = EditMain();
    QsciPrinter printer(QPrinter::HighResolution);
    if (m) {
        printer.setPrinterName(m->Printer()->printerName());
        m->ApplyPageSetup(&printer);
    }
    printer.setDocName(Q(GetFileName()));
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted) printer.printRange(DictEdit);
}

// ---- fonts and options ----

void TChldEdit_Form::ApplyEditFont() {
    TAppEdit_Form* m = EditMain();
    const QFont f = ToQFont(m ? m->EditFont : TFontSpec{"Courier New", 10, 238}, true);
    DictEdit->setFont(f);
    DictEdit->setMarginsFont(f);
    if (core::ShowsLineNumbers(EditorOpts))
        DictEdit->setMarginWidth(LineNumberMargin, QStringLiteral("99999"));
}

void TChldEdit_Form::ApplyOptions(uint32_t editorOptions, uint32_t textOptions) {
    EditorOpts = editorOptions;
    TextOpts = textOptions;
    DictEdit->setEdgeMode(HasOption(editorOptions, core::moDrawMargin) ? QsciScintilla::EdgeLine
                                                                       : QsciScintilla::EdgeNone);
    DictEdit->setEdgeColumn(80);
    DictEdit->setMarginWidth(BookmarkMargin, HasOption(editorOptions, core::moDrawGutter) ? 16 : 0);
    const bool numbers = core::ShowsLineNumbers(editorOptions);
    DictEdit->setMarginLineNumbers(LineNumberMargin, numbers);
    DictEdit->setMarginWidth(LineNumberMargin, numbers ? QStringLiteral("99999") : QString());
    if (!numbers) DictEdit->setMarginWidth(LineNumberMargin, 0);
    DictEdit->SendScintilla(Sci::SCI_SETMARGINLEFT, 0,
                            HasOption(editorOptions, core::moLeftIndent) ? 6L : 1L);
    DictEdit->SendScintilla(Sci::SCI_SETCARETSTYLE,
                            (!InsertModeFlag && HasOption(editorOptions, core::moOverwriteCaret))
                                ? long(Sci::CARETSTYLE_BLOCK)
                                : long(Sci::CARETSTYLE_LINE));
    DictEdit->setBackspaceUnindents(HasOption(textOptions, core::soBackUnindents));
    DictEdit->SendScintilla(Sci::SCI_SETENDATLASTLINE,
                            HasOption(textOptions, core::soBeyondFileEnd) ? 0L : 1L);
    DictEdit->setAutoIndent(HasOption(textOptions, core::soAutoIndent));
    DictEdit->setTabIndents(HasOption(textOptions, core::soSmartTab));
}

// ---- events ----

bool TChldEdit_Form::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress && watched == DictEdit) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Insert && k->modifiers() == Qt::NoModifier) {
            ToggleInsertMode();  // the component switches its own overtype mode
        } else if (k->key() == Qt::Key_F10 && k->modifiers() == Qt::ShiftModifier) {
            ShowPopupMenu(QPoint(10, 10));
            return true;
        }
    } else if (e->type() == QEvent::MouseButtonDblClick && watched == DictEdit->viewport() &&
               HasOption(EditorOpts, core::moDblClickLine)) {
        // Double click selects the whole line.
        QMetaObject::invokeMethod(
            this,
            [this] {
                const int line = Caret().Line;
                DictEdit->setSelection(line, 0, line + 1, 0);
            },
            Qt::QueuedConnection);
    } else if (e->type() == QEvent::ContextMenu && watched == DictEdit->viewport()) {
        ShowPopupMenu(mapFromGlobal(static_cast<QContextMenuEvent*>(e)->globalPos()));
        return true;
    }
    return TChldGen_Form::eventFilter(watched, e);
}

bool TChldEdit_Form::HandleWindowMessage(TWindowMessage* m) {
    if (m->Message == WM_FontsChanged) {
        ApplyEditFont();
        return true;
    }
    if (m->Message == WM_LanguageChanged) {
        TChldGen_Form::HandleWindowMessage(m);
        RefreshPanels();
        return true;
    }
    return TChldGen_Form::HandleWindowMessage(m);
}

void TChldEdit_Form::RefreshPopup() {
    TChldGen_Form::RefreshPopup();
}

}  // namespace tallyra::gui
