// SPDX-License-Identifier: GPL-3.0-or-later
#include "tapptygen.h"

#include <algorithm>

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "checkoptdlg.h"
#include "entrykeys.h"
#include "infodialogs.h"
#include "shell/cp1250.h"
#include "shell/errors.h"
#include "shell/format.h"
#include "shell/langtext.h"
#include "shell/langui.h"
#include "shell/msgbox.h"

namespace tallyra::gui {

namespace {

// Pixel constants of the page layout.
constexpr int EditorsLeft = 200;
constexpr int LabelLeft = 10;
constexpr int LeftLabelWidth = 180;
constexpr int RightLabelSpan = 390;
constexpr int CommentWidth = 600;
constexpr int CommentChars = 70;
constexpr int PageTop = 10;

// A script text without its first and last characters (the apostrophes),
// for display.
QString Unquoted(const std::string& text) {
    if (text.size() < 2) return QString();
    return Q(core::Cp1250ToUtf8(std::string_view(text).substr(1, text.size() - 2)));
}

QString PanelText(const char* tagged, int value) {
    return Q(core::FormatText(core::LangText(tagged), value));
}

constexpr const char* RecordFormat = "<EN>REC: %.5d<PL>REK: %.5d";
constexpr const char* PageFormat = "<EN>PG: %.4d<PL>STR: %.4d";
constexpr const char* ColumnFormat = "<EN>COL: %.5d<PL>KOL: %.5d";
constexpr const char* IdentFormat = "<EN>IDEN: %s<PL>IDEN: %s";

QString IdentText(const std::string& id) {
    return Q(core::FormatText(core::LangText(IdentFormat), core::Cp1250ToUtf8(id).c_str()));
}

}  // namespace

// --- ruler marker

TRulerMarker::TRulerMarker(QWidget* parent, TAppTYGen_Form* window)
    : QWidget(parent), Window(window) {
    setObjectName("Ruler");
    setFixedSize(11, 10);
    setCursor(Qt::SizeHorCursor);
}

void TRulerMarker::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0x1f, 0x4e, 0x9a));
    p.setPen(Qt::NoPen);
    const QPointF tip[3] = {{0, 0}, {qreal(width()), 0}, {width() / 2.0, qreal(height())}};
    p.drawPolygon(tip, 3);
}

void TRulerMarker::mousePressEvent(QMouseEvent* e) {
    IsDragging = true;
    Window->MoveMarker(x() + int(e->position().x()) - Window->RulerHalf());
}

void TRulerMarker::mouseMoveEvent(QMouseEvent* e) {
    if (IsDragging) Window->MoveMarker(x() + int(e->position().x()) - Window->RulerHalf());
}

void TRulerMarker::mouseReleaseEvent(QMouseEvent*) {
    if (!IsDragging) return;
    IsDragging = false;
    Window->DropMarker();
}

// --- creation

TAppTYGen_Form::TAppTYGen_Form(QWidget* parent) : TAppCmplx_Form(parent) {
    // The page takes the place of the document area, which stays unused.
    if (QWidget* mdi = takeCentralWidget()) {
        mdi->setParent(this);
        mdi->hide();
    }
    EntryFont = QFont("Courier New");
    EntryFont.setPixelSize(13);
    EntryFont.setStyleHint(QFont::TypeWriter);
    MeasureFont();
    CreateLayout();
    CreateMenus();
    CreateToolBar();
    for (const char* name : {"Find_Action", "CheckAll_Action", "CheckCur_Action",
                             "PrevError_Action", "NextError_Action"})
        if (QAction* a = Action(name)) ToolBar()->addAction(a);
    LayoutStatusPanels();
    SetFindVisible(false);
    // Idle processing: the status panels follow the caret whenever the
    // event loop runs dry.
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            [this] {
                if (isVisible()) RefreshStatus();
            });
    UpdateCommands();
}

TAppTYGen_Form::~TAppTYGen_Form() {
    // The editors refer to the keyboard model's field editors.
    PageEdits.clear();
    Keys.reset();
    DataStore.reset();
}

void TAppTYGen_Form::MeasureFont() {
    const QFontMetrics fm(EntryFont);
    QString all;
    int widest = 1;
    for (int c = 0; c < 256; ++c) {
        const char32_t code = core::Cp1250ToUnicode(static_cast<unsigned char>(c));
        const QString one = QString::fromUcs4(&code, 1);
        all += one;
        // Control characters have no glyph of their own; the font's stand-in
        // boxes would make every field several times too wide.
        if (one.at(0).isPrint()) widest = std::max(widest, fm.horizontalAdvance(one));
    }
    CharW = widest;
    LineH = fm.boundingRect(all).height() + 6;
}

void TAppTYGen_Form::CreateLayout() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    RulerPanel = new QWidget(central);
    RulerPanel->setObjectName("RulerPanel");
    RulerPanel->setFixedHeight(14);
    Marker = new TRulerMarker(RulerPanel, this);
    RulerHalfW = Marker->width() / 2;
    Marker->move(EditorsLeft - RulerHalfW, 2);
    layout->addWidget(RulerPanel);
    Scroll = new QScrollArea(central);
    Scroll->setObjectName("ScrollBox");
    Scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Scroll->setWidgetResizable(false);
    Page = new QWidget;
    Page->setObjectName("Page");
    Page->setFont(EntryFont);
    Page->setPalette(EntryPagePalette(Page->palette()));
    Scroll->setWidget(Page);
    Scroll->viewport()->installEventFilter(this);
    layout->addWidget(Scroll, 1);
    ErrorInfo_Panel = new QLabel(central);
    ErrorInfo_Panel->setObjectName("ErrorInfo_Panel");
    ErrorInfo_Panel->setFont(EntryFont);
    ErrorInfo_Panel->setFixedHeight(LineH - 6 + 4);
    ErrorInfo_Panel->setContentsMargins(4, 0, 4, 0);
    ErrorInfo_Panel->setFrameShape(QFrame::StyledPanel);
    layout->addWidget(ErrorInfo_Panel);
    setCentralWidget(central);
    ShowErrorInfo();
    ResizePage();
}

void TAppTYGen_Form::LayoutStatusPanels() {
    const QFontMetrics fm(EntryFont);
    const auto width = [&](std::initializer_list<QString> texts, int extra) {
        int w = 0;
        for (const QString& t : texts)
            w = std::max(w, fm.horizontalAdvance(t));
        return w + extra;
    };
    const int widths[4] = {
        width({PanelText(RecordFormat, 0), PanelText(RecordFormat, 99999)}, 5),
        width({PanelText(PageFormat, 0), PanelText(PageFormat, 9999)}, 7),
        width({PanelText(ColumnFormat, 0), PanelText(ColumnFormat, 99999)}, 7),
        width({IdentText("00000000000"), IdentText("-----------"), IdentText("99999999999")}, 7),
    };
    const char* names[4] = {"Record_Panel", "Page_Panel", "Column_Panel", "Ident_Panel"};
    for (int i = 0; i < 4; ++i) {
        if (!Panels[size_t(i)]) {
            Panels[size_t(i)] = new QLabel(this);
            Panels[size_t(i)]->setObjectName(names[i]);
            Panels[size_t(i)]->setFont(EntryFont);
            AddStatusPanel(Panels[size_t(i)]);
        }
        Panels[size_t(i)]->setFixedWidth(widths[i]);
    }
    Panels[0]->setText(PanelText(RecordFormat, 0));
    Panels[1]->setText(PanelText(PageFormat, 0));
    Panels[2]->setText(PanelText(ColumnFormat, 0));
    Panels[3]->setText(IdentText("-----------"));
}

void TAppTYGen_Form::CreateMenus() {
    CreateFileMenu();
    // The frame's file commands have no place here; windows built on this
    // one add their own.
    for (QAction* a : FileMenu()->actions())
        a->setVisible(false);
    FileMenu()->menuAction()->setVisible(false);

    Edit_Menu = menuBar()->addMenu(QString());
    Edit_Menu->setObjectName("Edit_Menu");
    Tag(Edit_Menu, "<EN>&Edit<PL>&Edycja", "<EN>Data entry functions<PL>Funkcje wprowadzania");
    QMenu* m = Edit_Menu;
    connect(
        AddMenuAction(m, "FieldInfo_EditMenu", "<EN>&Field information...<PL>Informacja o &polu...",
                      "<EN>Information about the currently selected field<PL>Informacja o "
                      "bieżącym polu"),
        &QAction::triggered, this, [this] { FieldInfo(); });
    connect(AddMenuAction(m, "ContextInfo_EditMenu",
                          "<EN>C&ontext information...<PL>Informacja o &kontekście...",
                          "<EN>Information about the currently active groups and filters<PL>"
                          "Informacja o aktywnych grupach i filtrach"),
            &QAction::triggered, this, [this] { ContextInfo(); });
    connect(
        AddMenuAction(m, "FreqInfo_EditMenu", "<EN>Field f&requencies...<PL>&Rozkład wartości...",
                      "<EN>Shows frequency distribution of values in the current field<PL>"
                      "Pokazuje rozkład wartości w bieżącym polu"),
        &QAction::triggered, this, [this] { FreqInfo(); });
    m->addSeparator();
    Find_Action = AddMenuAction(m, "Find_Action", "<EN>Fin&d...<PL>Znaj&dź...",
                                "<EN>Find fields matching given conditions<PL>Znajduje pola "
                                "spełniające podane warunki",
                                QKeySequence(Qt::CTRL | Qt::Key_F));
    Find_Action->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    connect(Find_Action, &QAction::triggered, this, [this] { FindRecord(); });
    m->addSeparator();
    UpdateMode_Action =
        AddMenuAction(m, "UpdateMode_Action", "<EN>Update &mode<PL>Tryb &aktualizacji",
                      "<EN>Changes between normal and update mode<PL>Przełącza między trybem "
                      "zwykłym a trybem aktualizacji",
                      QKeySequence(Qt::Key_F8));
    UpdateMode_Action->setCheckable(true);
    connect(UpdateMode_Action, &QAction::triggered, this, [this] { ToggleUpdateMode(); });
    m->addSeparator();
    QAction* all = AddMenuAction(m, "CheckAll_Action", "<EN>Check a&ll...<PL>Sprawdź &wszystko...",
                                 "<EN>Check the data in all records against the script<PL>"
                                 "Sprawdza dane we wszystkich rekordach ze skryptem",
                                 QKeySequence(Qt::Key_F9));
    all->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    connect(all, &QAction::triggered, this, [this] { CheckAll(); });
    CheckAll_Action = all;
    QAction* cur =
        AddMenuAction(m, "CheckCur_Action", "<EN>Check c&urrent...<PL>Sprawdź &bieżący...",
                      "<EN>Check the data in the current record against the script<PL>"
                      "Sprawdza dane w bieżącym rekordzie ze skryptem",
                      QKeySequence(Qt::Key_F10));
    cur->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    connect(cur, &QAction::triggered, this, [this] { CheckCurrent(); });
    CheckCur_Action = cur;
    QAction* prev = AddMenuAction(m, "PrevError_Action", "<EN>Pre&vious error<PL>&Poprzedni błąd",
                                  "<EN>Go to the previous error in the data<PL>Przechodzi do "
                                  "poprzedniego błędu w danych",
                                  QKeySequence(Qt::Key_F11));
    prev->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
    connect(prev, &QAction::triggered, this, [this] { PrevError(); });
    PrevError_Action = prev;
    QAction* next = AddMenuAction(m, "NextError_Action", "<EN>Ne&xt error<PL>&Następny błąd",
                                  "<EN>Go to the next error in the data<PL>Przechodzi do "
                                  "następnego błędu w danych",
                                  QKeySequence(Qt::Key_F12));
    next->setIcon(style()->standardIcon(QStyle::SP_ArrowForward));
    connect(next, &QAction::triggered, this, [this] { NextError(); });
    NextError_Action = next;
    InfoActions = {Action("FieldInfo_EditMenu"), Action("ContextInfo_EditMenu"),
                   Action("FreqInfo_EditMenu")};
    connect(Edit_Menu, &QMenu::aboutToShow, this, [this] { UpdateCommands(); });

    Options_Menu = menuBar()->addMenu(QString());
    Options_Menu->setObjectName("Options_Menu");
    Tag(Options_Menu, "<EN>&Options<PL>&Opcje",
        "<EN>Script interpretation and sound options<PL>Opcje interpretacji skryptu i dźwięku");
    SoundAuto_Action = AddMenuAction(Options_Menu, "SoundAuto_Action", "<EN>&Sound<PL>&Dźwięk",
                                     "<EN>Use sound signals<PL>Używa sygnałów dźwiękowych",
                                     QKeySequence(Qt::Key_F7));
    SoundAuto_Action->setCheckable(true);
    SoundAuto_Action->setChecked(true);
    connect(SoundAuto_Action, &QAction::toggled, this, [this](bool on) {
        if (Keys) Keys->SoundOn = on;
    });

    CreateHelpMenu();
    // F1 is the keyboard page here, not the help contents.
    if (QAction* contents = HelpMenu()->findChild<QAction*>("Contents_HelpMenu"))
        contents->setShortcut(QKeySequence());
    SetHelpContentsAction(nullptr);
    QAction* keyboard = new QAction(HelpMenu());
    keyboard->setObjectName("Keyboard_HelpMenu");
    Tag(keyboard, "<EN>&Keyboard<PL>&Klawiatura",
        "<EN>Description of key shortcuts<PL>Opis skrótów klawiszowych");
    keyboard->setShortcut(QKeySequence(Qt::Key_F1));
    HelpMenu()->insertAction(HelpMenu()->actions().value(0), keyboard);
    connect(keyboard, &QAction::triggered, this, [this] { KeyboardHelp(); });
}

QAction* TAppTYGen_Form::Action(const char* name) const {
    return findChild<QAction*>(QString::fromLatin1(name));
}

void TAppTYGen_Form::SetFindVisible(bool visible) {
    FindShown = visible;
    Find_Action->setVisible(visible);
    UpdateCommands();
}

void TAppTYGen_Form::ApplyLanguage() {
    TAppCmplx_Form::ApplyLanguage();
    if (Panels[0]) LayoutStatusPanels();
    if (ErrorInfo_Panel) ShowErrorInfo();
}

// --- settings

void TAppTYGen_Form::Registry_DoRead(core::TSettingsStore& s) {
    TAppCmplx_Form::Registry_DoRead(s);
    CheckMask = uint8_t(s.ReadInt(core::SubKey(SettingsRoot(), "Check"), "Flag", 255) & 0xff);
    SoundAuto_Action->setChecked(
        s.ReadBool(core::SubKey(SettingsRoot(), "Options"), "Sound", true));
}

void TAppTYGen_Form::Registry_DoWrite(core::TSettingsStore& s) {
    TAppCmplx_Form::Registry_DoWrite(s);
    s.WriteInt(core::SubKey(SettingsRoot(), "Check"), "Flag", CheckMask);
    s.WriteBool(core::SubKey(SettingsRoot(), "Options"), "Sound", SoundAuto_Action->isChecked());
}

void TAppTYGen_Form::StartupDone() {
    SetProgress(AppInfo(1) + " " + AppInfo(2), -1);
    UpdateCommands();
}

bool TAppTYGen_Form::SoundOn() const {
    return SoundAuto_Action->isChecked();
}

bool TAppTYGen_Form::UpdateModeOn() const {
    return Keys && Keys->UpdateMode;
}

// --- the store

void TAppTYGen_Form::SetStore(std::unique_ptr<core::TPXDataHandler> store) {
    ClearPage();
    Keys.reset();
    DataStore = std::move(store);
    if (DataStore) {
        Keys = std::make_unique<core::TEntryKeyboard>(*DataStore, *this);
        Keys->SoundOn = SoundOn();
        Keys->CheckMask = CheckMask;
    }
    UpdateCommands();
}

void TAppTYGen_Form::CloseData() {
    ClearPage();
    Keys.reset();
    DataStore.reset();
    UpdateMode_Action->setChecked(false);
    UpdateCommands();
}

void TAppTYGen_Form::ClearPage() {
    FreePageControls();
    PageShown = false;
}

void TAppTYGen_Form::StartEntry() {
    if (!Keys) return;
    UpdateMode_Action->setChecked(false);
    PageShown = false;
    GoToStartPosition();
    ShowPage();
    ShowErrorInfo();
    UpdateCommands();
}

void TAppTYGen_Form::GoToStartPosition() {
    Keys->StartEntry(StartsOnFirstRecord());
}

void TAppTYGen_Form::FreePageControls() {
    // The controls live on one host widget that goes as a whole: a control
    // may still be receiving the key that replaced the page, so the host is
    // deleted once control returns to the event loop.
    for (auto& edit : PageEdits)
        edit->ReleaseControl();
    PageEdits.clear();
    if (PageHost) {
        PageHost->hide();
        PageHost->deleteLater();
        PageHost = nullptr;
    }
    Controls.clear();
    Controls.reserve(200);
    LeftTexts.clear();
    RightTexts.clear();
}

void TAppTYGen_Form::BuildPage() {
    FreePageControls();
    if (!Keys) return;
    // No painting while the page is built (hiding the scroll box instead
    // would make the window lay itself out again).
    Page->setUpdatesEnabled(false);
    const core::TPXInstructionList& list = DataStore->InstructionList();
    const int pageStart = std::max(DataStore->Context().PageStart, 0);
    const int editorLeft = MarkerLeft() + RulerHalfW;
    const int boxWidth = Scroll->width();
    BuiltForWidth = boxWidth;
    const auto& models = Keys->Editors();
    PageHost = new QWidget(Page);
    PageHost->setObjectName("PageHost");
    PageHost->setGeometry(0, 0, Page->width(), Page->height());
    size_t nextModel = 0;
    int y = -1;
    for (int32_t i = pageStart; i < list.Count(); ++i) {
        const core::TPXGenericInstruction* ins = list.Get(i);
        if (ins->Kind == core::ikComment || ins->Kind == core::ikField) {
            if (y < 0) y = (i - pageStart) * LineH + PageTop;
        }
        if (ins->Kind == core::ikComment) {
            auto* label = new QLabel(PageHost);
            QFont bold = Page->font();
            bold.setBold(true);
            label->setFont(bold);
            label->setGeometry(LabelLeft, y, CommentWidth, LineH);
            label->setText(Unquoted(static_cast<const core::TPXCommentInstruction*>(ins)->Text)
                               .left(CommentChars));
            Controls.push_back(label);
            y += LineH;
        } else if (ins->Kind == core::ikField && nextModel < models.size()) {
            const auto* f = static_cast<const core::TPXFieldInstruction*>(ins);
            auto* left = new QLabel(PageHost);
            left->setGeometry(LabelLeft, y, LeftLabelWidth, LineH);
            left->setText(Unquoted(f->Left));
            LeftTexts.push_back(left);
            Controls.push_back(left);
            auto edit = std::make_unique<TPXEdit>(PageHost, *models[nextModel++]);
            const int fit = CharW * ((boxWidth - editorLeft - 100) / CharW) + 8;
            const int w = std::max(std::min(f->Width * CharW + 8, fit), CharW + 8);
            QWidget* control = edit->Control();
            control->setGeometry(editorLeft, y - 3, w, std::max(f->Height, 1) * LineH);
            control->installEventFilter(this);
            if (edit->MultiLine()) edit->MultiLine()->viewport()->installEventFilter(this);
            Controls.push_back(control);
            QLabel* right = nullptr;
            if (!f->Right.empty()) {
                right = new QLabel(PageHost);
                right->setGeometry(MarkerLeft() + w + 10, y, RightLabelSpan - w, LineH);
                right->setText(Unquoted(f->Right));
                Controls.push_back(right);
            }
            RightTexts.push_back(right);
            PageEdits.push_back(std::move(edit));
            y += std::max(f->Height, 1) * LineH;
        }
        if (i + 1 < list.Count() && list.Get(i + 1)->Kind == core::ikPage) break;
    }
    ResizePage();
    PageHost->show();
    Scroll->verticalScrollBar()->setValue(0);
    Page->setUpdatesEnabled(true);
}

void TAppTYGen_Form::ResizePage() {
    int bottom = 0;
    for (QWidget* c : Controls)
        bottom = std::max(bottom, c->geometry().bottom());
    Page->resize(std::max(Scroll->viewport()->width(), 1), bottom + PageTop + 1);
    if (PageHost) PageHost->resize(Page->size());
}

void TAppTYGen_Form::resizeEvent(QResizeEvent* e) {
    TAppCmplx_Form::resizeEvent(e);
    ResizePage();
}

void TAppTYGen_Form::ShowPage() {
    if (!Keys) return;
    if (!PageShown || Keys->PageGeneration() != ShownGeneration) {
        BuildPage();
        ShownGeneration = Keys->PageGeneration();
        PageShown = true;
    }
    TPXEdit* current = nullptr;
    const core::TPXFieldEditor* focused = Keys->Focused();
    for (auto& edit : PageEdits) {
        edit->Show();
        if (&edit->Model() == focused) current = edit.get();
    }
    if (current) {
        QWidget* control = current->Control();
        if (QApplication::focusWidget() != control) control->setFocus(Qt::OtherFocusReason);
        Scroll->ensureWidgetVisible(control, 0, LineH);
        Scroll->horizontalScrollBar()->setValue(0);
    }
}

TPXEdit* TAppTYGen_Form::CurrentEdit() const {
    if (!Keys) return nullptr;
    const core::TPXFieldEditor* focused = Keys->Focused();
    for (const auto& edit : PageEdits)
        if (&edit->Model() == focused) return edit.get();
    return nullptr;
}

TPXEdit* TAppTYGen_Form::FocusedEdit() const {
    TPXEdit* edit = TPXEdit::Of(QApplication::focusWidget());
    for (const auto& e : PageEdits)
        if (e.get() == edit) return edit;
    return nullptr;
}

int TAppTYGen_Form::MarkerLeft() const {
    return Marker->x();
}

// --- keys

void TAppTYGen_Form::PressKey(const core::TKeyStroke& key) {
    if (!Keys) return;
    // The command keys normally arrive as shortcuts of the menu entries; when
    // the window is not the active one they reach the editor instead and go
    // to the same commands, so that the menu states stay right.
    if (!key.Ctrl && !key.Alt) switch (key.Key) {
            case core::TKey::F1:
                KeyboardHelp();
                return;
            case core::TKey::F7:
                SoundAuto_Action->toggle();
                return;
            case core::TKey::F8:
                ToggleUpdateMode();
                return;
            default:
                break;
        }
    Keys->Press(key);
    ShowPage();
    UpdateCommands();
    ShowErrorInfo();
}

void TAppTYGen_Form::RunKeyCommand(core::TKey key) {
    if (!Keys) return;
    core::TKeyStroke stroke;
    stroke.Key = key;
    Keys->Press(stroke);
    ShowPage();
    UpdateCommands();
    ShowErrorInfo();
}

bool TAppTYGen_Form::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Scroll->viewport() && event->type() == QEvent::Resize) {
        // The editors' widths follow the page's width: a page built before
        // the window had its size is laid out again.
        const auto* r = static_cast<QResizeEvent*>(event);
        ResizePage();
        if (r->size().width() != r->oldSize().width() && PageShown && !RelayoutQueued) {
            // Once the resizing has settled.
            RelayoutQueued = true;
            QTimer::singleShot(0, this, [this] {
                RelayoutQueued = false;
                if (!PageShown || !Keys || Scroll->width() == BuiltForWidth) return;
                BuildPage();
                ShowPage();
            });
        }
        return TAppCmplx_Form::eventFilter(watched, event);
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    TPXEdit* edit = TPXEdit::Of(widget);
    if (!edit || !Keys) return TAppCmplx_Form::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::KeyPress: {
            const auto* k = static_cast<QKeyEvent*>(event);
            if (const auto stroke = StrokeOf(*k)) PressKey(*stroke);
            return true;
        }
        case QEvent::ShortcutOverride:
            // The window's shortcuts come first: the edit control would claim
            // keys such as Ctrl+A for itself, but it edits nothing here.
            return true;
        case QEvent::KeyRelease:
        case QEvent::InputMethod:
        case QEvent::MouseMove:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            return event->type() != QEvent::Wheel || !edit->MultiLine();
        case QEvent::MouseButtonPress: {
            // A click places the caret in the current field; other fields
            // are disabled and never get here.
            const auto* m = static_cast<QMouseEvent*>(event);
            if (edit == CurrentEdit()) {
                edit->Model().SetCaret(edit->CaretAt(m->position().toPoint()));
                edit->Show();
                edit->Control()->setFocus(Qt::MouseFocusReason);
            }
            return true;
        }
        case QEvent::ContextMenu:
        case QEvent::Drop:
        case QEvent::DragEnter:
            return true;
        default:
            return TAppCmplx_Form::eventFilter(watched, event);
    }
}

bool TAppTYGen_Form::event(QEvent* e) {
    // Whenever the window becomes active, typing goes to the current field.
    if (e->type() == QEvent::WindowActivate)
        if (TPXEdit* edit = CurrentEdit()) edit->Control()->setFocus(Qt::ActiveWindowFocusReason);
    return TAppCmplx_Form::event(e);
}

// --- status and commands

void TAppTYGen_Form::RefreshStatus() {
    // The position of the keyboard model's field, also while a dialog of the
    // window holds the keyboard focus.
    TPXEdit* edit = FocusedEdit();
    if (!edit && Keys && Keys->Focused())
        for (const auto& e : PageEdits)
            if (&e->Model() == Keys->Focused()) edit = e.get();
    QString texts[4];
    if (edit && Keys) {
        const core::TPXDataContext& c = DataStore->Context();
        texts[0] = PanelText(RecordFormat, c.Rec);
        texts[1] = PanelText(PageFormat, c.Page);
        texts[2] = PanelText(ColumnFormat, edit->Model().Caret() + edit->Field().Column);
        texts[3] = IdentText(DataStore->RecordIdText());
    } else {
        texts[0] = PanelText(RecordFormat, 0);
        texts[1] = PanelText(PageFormat, 0);
        texts[2] = PanelText(ColumnFormat, 0);
        texts[3] = IdentText("-----------");
    }
    for (size_t i = 0; i < 4; ++i)
        if (Panels[i]->text() != texts[i]) Panels[i]->setText(texts[i]);
}

void TAppTYGen_Form::UpdateCommands() {
    const bool open = Keys != nullptr;
    const bool onField = open && Keys->Focused() != nullptr;
    if (!NextError_Action) return;  // still being built
    for (QAction* a : InfoActions)
        a->setEnabled(onField);
    UpdateMode_Action->setEnabled(open && ScriptRef);
    CheckAll_Action->setEnabled(open);
    CheckCur_Action->setEnabled(open);
    Find_Action->setEnabled(FindShown && open);
    PrevError_Action->setEnabled(open && Keys->PrevErrorEnabled());
    NextError_Action->setEnabled(open && Keys->NextErrorEnabled());
}

void TAppTYGen_Form::ShowErrorInfo() {
    ErrorInfo_Panel->setText(Q(Keys ? Keys->ErrorInfoText() : core::DataNotCheckedText()));
}

void TAppTYGen_Form::RestoreFocus() {
    // Typing goes on in the current field once a dialog or box has closed.
    if (TPXEdit* edit = CurrentEdit()) {
        activateWindow();
        edit->Control()->setFocus(Qt::OtherFocusReason);
    }
}

void TAppTYGen_Form::FieldInfo() {
    if (TPXEdit* edit = CurrentEdit()) ShowFieldInfo(this, *DataStore, edit->Model().FieldIndex());
}

void TAppTYGen_Form::ContextInfo() {
    if (DataStore) ShowContextInfo(this, *DataStore);
    RestoreFocus();
}

void TAppTYGen_Form::FreqInfo() {
    TPXEdit* edit = CurrentEdit();
    if (!edit) return;
    const std::string none = core::LangText(
        "<EN>There are no records in the data for this field.<PL>W danych nie ma ani jednego "
        "rekordu dla tego pola.");
    if (DataStore->FullCount() == 0) {
        MsgError(none);
        return;
    }
    core::TFreqList list;
    try {
        list = DataStore->CountValues(edit->Model().FieldIndex());
    } catch (const core::ETallyraError& e) {
        MsgError(e.Text());
        return;
    }
    if (list.empty()) {
        MsgError(none);
        return;
    }
    ShowFreqInfo(this, list);
    RestoreFocus();
}

void TAppTYGen_Form::FindRecord() {
    if (!DataStore || !FindShown) return;
    if (ShowFindRecord(this, *DataStore)) {
        Keys->ProcessQueue();
        ShowPage();
        UpdateCommands();
    }
    RestoreFocus();
}

void TAppTYGen_Form::CheckAll() {
    RunKeyCommand(core::TKey::F9);
}
void TAppTYGen_Form::CheckCurrent() {
    RunKeyCommand(core::TKey::F10);
}
void TAppTYGen_Form::PrevError() {
    RunKeyCommand(core::TKey::F11);
}
void TAppTYGen_Form::NextError() {
    RunKeyCommand(core::TKey::F12);
}

void TAppTYGen_Form::ToggleUpdateMode() {
    if (Keys && ScriptRef) RunKeyCommand(core::TKey::F8);
    UpdateMode_Action->setChecked(UpdateModeOn());
}

// --- ruler

void TAppTYGen_Form::MoveMarker(int left) {
    Marker->move(left, Marker->y());
}

void TAppTYGen_Form::DropMarker() {
    const int editorLeft = MarkerLeft() + RulerHalfW;
    size_t k = 0;
    for (auto& edit : PageEdits) {
        QWidget* control = edit->Control();
        control->move(editorLeft, control->y());
        if (QLabel* right = RightTexts.value(qsizetype(k)))
            right->move(control->width() + editorLeft + 10, right->y());
        if (QLabel* left = LeftTexts.value(qsizetype(k))) {
            const int textWidth = left->fontMetrics().horizontalAdvance(left->text());
            if (textWidth > left->width() || left->x() + left->width() > editorLeft - 20)
                left->resize(std::max(editorLeft - left->x() - 20, 0), left->height());
        }
        ++k;
    }
    ResizePage();
}

// --- the store's owner side

void TAppTYGen_Form::OwnerRefresh() {
    if (Keys) Keys->QueueRefresh();
}

void TAppTYGen_Form::OwnerRefreshNow() {
    if (!Keys) return;
    Keys->Refresh();
    ShowPage();
}

void TAppTYGen_Form::OwnerSound(int kind) {
    if (!SoundOn() || (kind != 1 && kind != 2)) return;
    ++SoundCount;
    QApplication::beep();
}

bool TAppTYGen_Form::OwnerUpdateMode() {
    return UpdateModeOn();
}

void TAppTYGen_Form::OwnerBeep() {
    ++BeepCount;
    QApplication::beep();
}

void TAppTYGen_Form::OwnerMessage(core::TOwnerBox kind, const std::string& text) {
    switch (kind) {
        case core::TOwnerBox::Information:
            MsgInformation(text);
            break;
        case core::TOwnerBox::Warning:
            MsgWarning(text);
            break;
        case core::TOwnerBox::Error:
            MsgError(text);
            break;
    }
    RestoreFocus();
}

bool TAppTYGen_Form::OwnerAskForce(const std::string& text) {
    const bool yes = MsgAskYesNo(text) == MsgResultYes;
    RestoreFocus();
    return yes;
}

bool TAppTYGen_Form::OwnerAskCheckOptions(const std::string& question, uint8_t& mask) {
    const bool ok = AskCheckOptions(this, question, mask);
    RestoreFocus();
    if (!ok) return false;
    CheckMask = mask;
    return true;
}

// --- closing

void TAppTYGen_Form::closeEvent(QCloseEvent* e) {
    if (Keys && !Keys->CanClose()) {
        ShowPage();
        e->ignore();
        return;
    }
    CloseData();
    if (!DataStore) CloseScript();
    if (DataStore || ScriptRef) {
        e->ignore();
        return;
    }
    CloseHelp();
    CloseLogo();
    e->accept();
}

}  // namespace tallyra::gui
