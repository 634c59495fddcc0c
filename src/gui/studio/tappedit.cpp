// SPDX-License-Identifier: GPL-3.0-or-later
#include "tappedit.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <Qsci/qsciscintilla.h>

#include "prefedit.h"
#include "shell/format.h"
#include "shell/langtext.h"
#include "shell/langui.h"
#include "tchldedit.h"

namespace tallyra::gui {

QFont ToQFont(const TFontSpec& spec, bool monospace) {
    QFont f;
    QStringList families{Q(spec.Name)};
    if (monospace)
        families << "Liberation Mono"
                 << "DejaVu Sans Mono"
                 << "Monospace";
    else
        families << "Liberation Sans"
                 << "DejaVu Sans"
                 << "Sans Serif";
    f.setFamilies(families);
    f.setStyleHint(monospace ? QFont::TypeWriter : QFont::SansSerif);
    f.setPointSize(qBound(4, int(spec.Size), 96));
    return f;
}

TFontSpec FromQFont(const QFont& font, int32_t charSet) {
    return TFontSpec{S(font.families().isEmpty() ? font.family() : font.families().front()),
                     font.pointSize() > 0 ? font.pointSize() : 10, charSet};
}

TAppEdit_Form::TAppEdit_Form(QWidget* parent) : TAppCmplx_Form(parent) {
    for (int i = 0; i < 3; ++i) {
        Panels[i] = new QLabel(this);
        Panels[i]->setObjectName(QString("Status%1_Panel").arg(i));
        Panels[i]->setAlignment(Qt::AlignCenter);
        Panels[i]->setFrameShape(QFrame::StyledPanel);
        AddStatusPanel(Panels[i]);
    }
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this,
            [this] { UpdateEditMenu(); });
}

TAppEdit_Form::~TAppEdit_Form() = default;

TChldEdit_Form* TAppEdit_Form::ActiveEditor() const {
    return qobject_cast<TChldEdit_Form*>(ActiveChild());
}

QAction* TAppEdit_Form::EditAction(const char* name) const {
    return Edit_Menu ? Edit_Menu->findChild<QAction*>(QString::fromLatin1(name)) : nullptr;
}

void TAppEdit_Form::CreateEditMenu() {
    Edit_Menu = menuBar()->addMenu(QString());
    Edit_Menu->setObjectName("Edit_Menu");
    Tag(Edit_Menu, "<EN>&Edit<PL>&Edycja", "<EN>Editing functions<PL>Funkcje edycji");
    QMenu* m = Edit_Menu;
    auto ph = [this](QMenu* menu, const char* name, const char* caption, const char* hint,
                     const QKeySequence& key = {}) {
        QAction* a = AddMenuAction(menu, name, caption, hint, key);
        AddPlaceholder(a);
        return a;
    };
    ph(m, "Undo_EditMenu", "<EN>&Undo<PL>&Cofnij",
       "<EN>Undo last editing action<PL>Cofa ostatnią operację edycji",
       QKeySequence(Qt::CTRL | Qt::Key_Z));
    ph(m, "Redo_EditMenu", "<EN>Re&do<PL>&Ponów",
       "<EN>Reverse the effects of the last Undo<PL>Odwraca skutki ostatniego cofnięcia");
    m->addSeparator();
    ph(m, "Cut_EditMenu", "<EN>Cu&t<PL>W&ytnij",
       "<EN>Cut the selected text to the clipboard<PL>Wycina zaznaczony tekst do schowka",
       QKeySequence(Qt::CTRL | Qt::Key_X));
    ph(m, "Copy_EditMenu", "<EN>&Copy<PL>&Kopiuj",
       "<EN>Copy the selected text to the clipboard<PL>Kopiuje zaznaczony tekst do schowka",
       QKeySequence(Qt::CTRL | Qt::Key_C));
    ph(m, "Paste_EditMenu", "<EN>P&aste<PL>Wk&lej",
       "<EN>Paste the tekst from the clipboard<PL>Wkleja tekst ze schowka",
       QKeySequence(Qt::CTRL | Qt::Key_V));
    ph(m, "Clear_EditMenu", "<EN>Cl&ear<PL>U&suń",
       "<EN>Clear the selected text<PL>Usuwa zaznaczony tekst", QKeySequence(Qt::CTRL | Qt::Key_D));
    ph(m, "SaveBlock_EditMenu", "<EN>&Save block...<PL>&Zapisz blok...",
       "<EN>Save the selected text to a file<PL>Zapisuje zaznaczony tekst do pliku");
    ph(m, "SelectAll_EditMenu", "<EN>Select a&ll<PL>Zaznacz wszystk&o",
       "<EN>Select the whole text<PL>Zaznacza cały tekst", QKeySequence(Qt::CTRL | Qt::Key_A));
    m->addSeparator();
    ph(m, "Find_EditMenu", "<EN>&Find...<PL>Z&najdź...",
       "<EN>Find the given tekst in the file<PL>Wyszukuje podany tekst w pliku",
       QKeySequence(Qt::CTRL | Qt::Key_F));
    ph(m, "Replace_EditMenu", "<EN>&Replace...<PL>Zamie&ń...",
       "<EN>Find the given tekst in the file and replace it with another<PL>Wyszukuje podany "
       "tekst w pliku i zamienia go na inny",
       QKeySequence(Qt::CTRL | Qt::Key_H));
    ph(m, "FindNext_EditMenu", "<EN>Find &next<PL>Znajdź nas&tępny",
       "<EN>Repeat the last find/replace operation<PL>Powtarza ostatnie wyszukiwanie/zamianę",
       QKeySequence(Qt::Key_F3));
    m->addSeparator();
    Insert_Menu = m->addMenu(QString());
    Insert_Menu->setObjectName("Insert_Menu");
    Insert_Menu->menuAction()->setObjectName("Insert_EditMenu");
    Tag(Insert_Menu, "<EN>&Insert<PL>&Wstaw",
        "<EN>Functions which let you insert certain items into the text<PL>Funkcje pozwalające "
        "wstawiać do tekstu określone elementy");
    ph(Insert_Menu, "InsertFile_EditMenu", "<EN>&File<PL>&Plik",
       "<EN>Insert a file at the cursor<PL>Wstawia plik w punkcie edycji");
    ph(Insert_Menu, "InsertMarker_EditMenu", "<EN>&Marker<PL>&Zakładka",
       "<EN>Define a marker in the text, to which you can move to later<PL>Wstawia do tekstu "
       "zakładkę, do której można później przejść",
       QKeySequence(Qt::CTRL | Qt::Key_K));
    Goto_Menu = m->addMenu(QString());
    Goto_Menu->setObjectName("Goto_Menu");
    Goto_Menu->menuAction()->setObjectName("Goto_EditMenu");
    Tag(Goto_Menu, "<EN>&Go to<PL>Przej&dź",
        "<EN>Functions which help in navigating through the file<PL>Funkcje pomagające "
        "poruszać się po pliku");
    ph(Goto_Menu, "GotoMarker_EditMenu", "<EN>&Marker<PL>Do &zakładki",
       "<EN>Go to one of the previously defined markers<PL>Przechodzi do jednej z wcześniej "
       "wstawionych zakładek",
       QKeySequence(Qt::CTRL | Qt::Key_Q));
    ph(Goto_Menu, "GotoLine_EditMenu", "<EN>&Line<PL>Do &wiersza",
       "<EN>Go to the line with the given number<PL>Przechodzi do wiersza o podanym numerze",
       QKeySequence(Qt::CTRL | Qt::Key_L));
    m->addSeparator();
    connect(AddMenuAction(m, "Preferences_EditMenu", "<EN>&Preferences...<PL>&Ustawienia...",
                          "<EN>Set the program's preferences<PL>Ustawia preferencje programu"),
            &QAction::triggered, this, [this] { ShowPreferences(); });
    connect(Edit_Menu, &QMenu::aboutToShow, this, &TAppEdit_Form::UpdateEditMenu);
    connect(Insert_Menu, &QMenu::aboutToShow, this, &TAppEdit_Form::UpdateEditMenu);
    connect(Goto_Menu, &QMenu::aboutToShow, this, &TAppEdit_Form::UpdateEditMenu);
}

void TAppEdit_Form::CreateEditToolButtons() {
    QToolBar* bar = ToolBar();
    if (!bar) return;
    auto button = [this, bar](const char* name, const char* tip, QStyle::StandardPixmap icon,
                              const QString& text = {}) {
        QAction* twin = EditAction(name);
        if (!twin) return;
        // Own actions: the toolbar enabling rule differs from the menu's.
        auto* a = new QAction(bar);
        a->setObjectName(QString::fromLatin1(name).replace("_EditMenu", "_ToolButton"));
        Tag(a, twin->property("tallyraTagText").toString().toStdString(),
            twin->property("tallyraTagHint").toString().toStdString(), tip);
        if (text.isEmpty())
            a->setIcon(style()->standardIcon(icon));
        else
            a->setIconText(text);
        bar->addAction(a);
        connect(a, &QAction::triggered, this, [twin] {
            if (twin->isEnabled()) twin->trigger();
        });
        EditButtons << a;
    };
    bar->addSeparator();
    button("Undo_EditMenu", "<EN>Undo<PL>Cofnij", QStyle::SP_ArrowBack);
    button("Redo_EditMenu", "<EN>Redo<PL>Ponów", QStyle::SP_ArrowForward);
    bar->addSeparator();
    button("Cut_EditMenu", "<EN>Cut<PL>Wytnij", QStyle::SP_DialogDiscardButton);
    button("Copy_EditMenu", "<EN>Copy<PL>Kopiuj", QStyle::SP_FileDialogContentsView);
    button("Paste_EditMenu", "<EN>Paste<PL>Wklej", QStyle::SP_DialogApplyButton);
    bar->addSeparator();
    button("Find_EditMenu", "<EN>Find<PL>Znajdź", QStyle::SP_FileDialogDetailedView);
    button("FindNext_EditMenu", "<EN>Find next<PL>Znajdź następny", QStyle::SP_MediaSkipForward);
    button("Replace_EditMenu", "<EN>Replace<PL>Zamień", QStyle::SP_BrowserReload);
}

void TAppEdit_Form::UpdateEditMenu() {
    if (!Edit_Menu) return;
    // Run a command only through its binding; the binding's enabled copy is
    // replaced here by the rules of the Edit menu.
    TChldEdit_Form* e = ActiveEditor();
    QsciScintilla* ed = e ? e->Editor() : nullptr;
    const bool selection = ed && ed->hasSelectedText();
    const QMimeData* clip = QApplication::clipboard()->mimeData();
    const bool clipText = clip && clip->hasText() && !clip->text().isEmpty();
    auto set = [this](const char* n, bool on) {
        if (QAction* a = EditAction(n)) a->setEnabled(on && BoundCommand(a));
    };
    set("Undo_EditMenu", ed && ed->isUndoAvailable());
    set("Redo_EditMenu", ed && ed->isRedoAvailable());
    set("Paste_EditMenu", ed && clipText);
    for (const char* n : {"Copy_EditMenu", "Cut_EditMenu", "Clear_EditMenu", "SaveBlock_EditMenu"})
        set(n, selection);
    for (const char* n : {"SelectAll_EditMenu", "Find_EditMenu", "FindNext_EditMenu",
                          "Replace_EditMenu", "InsertFile_EditMenu", "InsertMarker_EditMenu",
                          "GotoMarker_EditMenu", "GotoLine_EditMenu"})
        set(n, ed != nullptr);
    if (Insert_Menu) Insert_Menu->menuAction()->setEnabled(ed != nullptr);
    if (Goto_Menu) Goto_Menu->menuAction()->setEnabled(ed != nullptr);
}

void TAppEdit_Form::UpdateToolbar() {
    TAppCmplx_Form::UpdateToolbar();
    const bool any = !ChildWindows().isEmpty();
    for (QAction* a : EditButtons)
        a->setEnabled(any);
}

void TAppEdit_Form::ActiveChildChanged() {
    TAppCmplx_Form::ActiveChildChanged();
    UpdateEditMenu();
    if (!ActiveEditor())
        for (QLabel* p : Panels)
            p->clear();
    else
        ActiveEditor()->RefreshPanels();
}

void TAppEdit_Form::SizeStatusPanels() {
    const QFontMetrics fm(statusBar()->font());
    int pos = 0;
    for (int d = 1; d <= 9; ++d) {
        const std::string pair = core::Format("%d : %d", 11111 * d, 1111 * d);
        pos = qMax(pos, fm.horizontalAdvance(Q(core::FormatText(
                            core::LangText("<EN>Pos %s<PL>Poz %s"), pair.c_str()))));
    }
    const int mod = fm.horizontalAdvance(LT("<EN>MOD<PL>ZM"));
    const int ins = qMax(mod, qMax(fm.horizontalAdvance(LT("<EN>OVR<PL>NAD")),
                                   fm.horizontalAdvance(LT("<EN>INS<PL>WST"))));
    // The panel frame takes its own margins on top of the text width.
    const int frame = 2 * Panels[0]->frameWidth();
    Panels[0]->setFixedWidth(pos + 6 + frame);
    Panels[1]->setFixedWidth(mod + 6 + frame);
    Panels[2]->setFixedWidth(ins + 6 + frame);
}

void TAppEdit_Form::LanguageChanged(int previous) {
    TAppCmplx_Form::LanguageChanged(previous);
    SizeStatusPanels();
    if (TChldEdit_Form* e = ActiveEditor()) e->RefreshPanels();
}

void TAppEdit_Form::BroadcastFontsChanged() {
    for (TChildMDI_Form* c : ChildWindows())
        PostWindowMessage(c, WM_FontsChanged, 0, 0);
}

void TAppEdit_Form::ApplyOptionsToChildren() {
    for (TChildMDI_Form* c : ChildWindows())
        if (auto* e = qobject_cast<TChldEdit_Form*>(c)) e->ApplyOptions(EditorOptions, TextOptions);
}

void TAppEdit_Form::ShowPreferences() {
    TPrefEdit_Form dialog(this);
    dialog.exec();
}

void TAppEdit_Form::Registry_DoRead(core::TSettingsStore& s) {
    TAppCmplx_Form::Registry_DoRead(s);
    const std::string fonts = core::SubKey(SettingsRoot(), "Fonts");
    EditFont.Name = s.ReadStr(fonts, "EditFont.Name", "Courier New");
    EditFont.Size = s.ReadInt(fonts, "EditFont.Size", 10);
    EditFont.CharSet = s.ReadInt(fonts, "EditFont.CharSet", 238);
    InfoFont.Name = s.ReadStr(fonts, "InfoFont.Name", "MS Sans Serif");
    InfoFont.Size = s.ReadInt(fonts, "InfoFont.Size", 10);
    InfoFont.CharSet = s.ReadInt(fonts, "InfoFont.CharSet", 238);
    const std::string prefs = core::SubKey(SettingsRoot(), "Preferences");
    EditorOptions = s.ReadSet32(prefs, "Memo", DefaultEditorOptions);
    TextOptions = s.ReadSet32(prefs, "Strings", DefaultTextOptions);
}

void TAppEdit_Form::Registry_DoWrite(core::TSettingsStore& s) {
    TAppCmplx_Form::Registry_DoWrite(s);
    const std::string fonts = core::SubKey(SettingsRoot(), "Fonts");
    s.WriteStr(fonts, "EditFont.Name", EditFont.Name);
    s.WriteInt(fonts, "EditFont.Size", EditFont.Size);
    s.WriteInt(fonts, "EditFont.CharSet", EditFont.CharSet);
    s.WriteStr(fonts, "InfoFont.Name", InfoFont.Name);
    s.WriteInt(fonts, "InfoFont.Size", InfoFont.Size);
    s.WriteInt(fonts, "InfoFont.CharSet", InfoFont.CharSet);
    const std::string prefs = core::SubKey(SettingsRoot(), "Preferences");
    s.WriteSet32(prefs, "Memo", EditorOptions);
    s.WriteSet32(prefs, "Strings", TextOptions);
}

}  // namespace tallyra::gui
