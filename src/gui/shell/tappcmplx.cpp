// SPDX-License-Identifier: GPL-3.0-or-later
#include "tappcmplx.h"

#include <filesystem>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QToolBar>

#include "langui.h"
#include "msgbox.h"
#include "shell/filebytes.h"
#include "shell/format.h"
#include "shell/langtext.h"
#include "statusbar.h"
#include "tchldgen.h"

namespace tallyra::gui {

namespace {

std::function<bool()>& PrinterCheck() {
    static std::function<bool()> check;
    return check;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

bool& TAppCmplx_Form::UseProcessArguments() {
    static bool use = true;
    return use;
}

void TAppCmplx_Form::SetPrinterCheck(std::function<bool()> check) {
    PrinterCheck() = std::move(check);
}

TAppCmplx_Form::TAppCmplx_Form(QWidget* parent) : TAppMDI_Form(parent) {
    setAcceptDrops(true);
    Hint = new THintPanel(this);
    LogoPanel = new TLogoPanel(this);
    statusBar()->addWidget(Hint, 1);
    statusBar()->addWidget(LogoPanel);
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive) return;
                if (auto* c = qobject_cast<TVRKChildFile_Form*>(ActiveChild())) c->CheckFileTime();
            });
}

TAppCmplx_Form::~TAppCmplx_Form() = default;

QAction* TAppCmplx_Form::AddMenuAction(QMenu* menu, const char* name, const char* caption,
                                       const char* hint, const QKeySequence& shortcut) {
    auto* a = new QAction(menu);
    a->setObjectName(QString::fromLatin1(name));
    Tag(a, caption, hint);
    if (!shortcut.isEmpty()) a->setShortcut(shortcut);
    menu->addAction(a);
    return a;
}

void TAppCmplx_Form::CreateMenus() {
    CreateFileMenu();
    CreateWindowMenu();
    CreateHelpMenu();
}

void TAppCmplx_Form::CreateFileMenu() {
    File_Menu = menuBar()->addMenu(QString());
    File_Menu->setObjectName("File_Menu");
    Tag(File_Menu, "<EN>&File<PL>&Plik", "<EN>File handling functions<PL>Operacje na plikach");
    QMenu* m = File_Menu;
    connect(AddMenuAction(m, "New_FileMenu", "<EN>&New<PL>&Nowy",
                          "<EN>Create a new file<PL>Tworzy nowy plik", QKeySequence::New),
            &QAction::triggered, this, [this] { NewFile(); });
    connect(
        AddMenuAction(m, "Open_FileMenu", "<EN>&Open...<PL>&Otwórz...",
                      "<EN>Open an existing file<PL>Otwiera istniejący plik", QKeySequence::Open),
        &QAction::triggered, this, [this] { OpenFiles(); });
    Recents_Menu = m->addMenu(QString());
    Recents_Menu->setObjectName("Recents_Menu");
    Recents_Menu->menuAction()->setObjectName("Recents_FileMenu");
    Tag(Recents_Menu, "<EN>Recen&t files<PL>Ostatnio &używane",
        "<EN>Recently opened files<PL>Ostatnio otwierane pliki");
    connect(Recents_Menu, &QMenu::aboutToShow, this, &TAppCmplx_Form::BuildRecentsMenu);
    BuildRecentsMenu();
    connect(AddMenuAction(m, "Duplicate_FileMenu", "<EN>&Duplicate<PL>&Powiel",
                          "<EN>Duplicate the file<PL>Powiela plik"),
            &QAction::triggered, this, [this] { Duplicate(); });
    m->addSeparator();
    AddPlaceholder(AddMenuAction(m, "Save_FileMenu", "<EN>&Save<PL>&Zapisz",
                                 "<EN>Save the file<PL>Zapisuje plik", QKeySequence::Save));
    AddPlaceholder(AddMenuAction(m, "SaveAs_FileMenu", "<EN>Save &as...<PL>Zapisz &jako...",
                                 "<EN>Save the file under a new name<PL>Zapisuje plik pod nową "
                                 "nazwą"));
    connect(AddMenuAction(m, "SaveAll_FileMenu", "<EN>Save a&ll<PL>Zapisz &wszystkie",
                          "<EN>Save all open files<PL>Zapisuje wszystkie otwarte pliki"),
            &QAction::triggered, this, [this] { SaveAll(); });
    AddPlaceholder(AddMenuAction(m, "Export_FileMenu", "<EN>&Export...<PL>&Eksportuj...",
                                 "<EN>Export the file<PL>Eksportuje plik"));
    m->addSeparator();
    connect(AddMenuAction(m, "Close_FileMenu", "<EN>&Close<PL>Za&mknij",
                          "<EN>Close the active window<PL>Zamyka aktywne okno"),
            &QAction::triggered, this, [this] { CloseActive(); });
    connect(AddMenuAction(m, "CloseAll_FileMenu", "<EN>Close all<PL>Zamknij wszystkie",
                          "<EN>Close all windows<PL>Zamyka wszystkie okna"),
            &QAction::triggered, this, [this] { CloseAll(); });
    m->addSeparator();
    auto printing = [this](auto fn) {
        return [this, fn] {
            if (!PrinterAvailable()) {
                MsgError(core::LangText(
                    "<EN>No printers installed.<PL>Nie zainstalowano żadnej drukarki."));
                return;
            }
            fn();
        };
    };
    connect(AddMenuAction(m, "PageSetup_FileMenu", "<EN>Page set&up...<PL>Ustawienia &strony...",
                          "<EN>Set the page margins, header and footer<PL>Ustawia marginesy "
                          "strony, nagłówek i stopkę"),
            &QAction::triggered, this, printing([this] { PageSetupDialog(); }));
    connect(AddMenuAction(m, "PrinterSetup_FileMenu",
                          "<EN>P&rinter setup...<PL>Ustawienia d&rukarki...",
                          "<EN>Choose and set up the printer<PL>Wybiera i ustawia drukarkę"),
            &QAction::triggered, this, printing([this] {
                QPrintDialog dialog(Printer(), this);
                dialog.exec();
            }));
    connect(AddMenuAction(m, "PrintPreview_FileMenu", "<EN>Print pre&view<PL>Pod&gląd wydruku",
                          "<EN>Show the printout on the screen<PL>Pokazuje wydruk na ekranie"),
            &QAction::triggered, this, printing([] {}));
    QAction* print = AddMenuAction(m, "Print_FileMenu", "<EN>&Print...<PL>&Drukuj...",
                                   "<EN>Print the file<PL>Drukuje plik", QKeySequence::Print);
    AddPlaceholder(print);
    // The placeholder runs the child's Print; the printer check comes first.
    disconnect(print, &QAction::triggered, nullptr, nullptr);
    connect(print, &QAction::triggered, this, printing([this] { Print(); }));
    auto* find = AddMenuAction(m, "Find_FileMenu", "<EN>&Find...<PL>Znajdź...",
                               "<EN>Find files<PL>Wyszukuje pliki");
    find->setVisible(false);
    auto* send = AddMenuAction(m, "Send_FileMenu", "<EN>Sen&d...<PL>Wyślij...",
                               "<EN>Send the file<PL>Wysyła plik");
    send->setVisible(false);
    m->addSeparator();
    connect(AddMenuAction(m, "Exit_FileMenu", "<EN>E&xit<PL>&Koniec",
                          "<EN>Close the application<PL>Zamyka aplikację"),
            &QAction::triggered, this, &QWidget::close);
    connect(File_Menu, &QMenu::aboutToShow, this, &TAppCmplx_Form::UpdateFileMenu);
}

void TAppCmplx_Form::CreateHelpMenu() {
    // Toolbar and status bar switches join the Window menu.
    if (QMenu* w = WindowMenu()) {
        w->addSeparator();
        ToolBar_Action = AddMenuAction(w, "ToolBar_WindowMenu", "<EN>&Toolbar<PL>Pasek &narzędzi",
                                       "<EN>Show or hide the toolbar<PL>Pokazuje lub ukrywa "
                                       "pasek narzędzi");
        ToolBar_Action->setCheckable(true);
        ToolBar_Action->setChecked(true);
        connect(ToolBar_Action, &QAction::toggled, this, [this](bool on) {
            if (Tool_Bar) Tool_Bar->setVisible(on);
        });
        StatusBar_Action =
            AddMenuAction(w, "StatusBar_WindowMenu", "<EN>&Status bar<PL>Pasek &stanu",
                          "<EN>Show or hide the status bar<PL>Pokazuje lub "
                          "ukrywa pasek stanu");
        StatusBar_Action->setCheckable(true);
        StatusBar_Action->setChecked(true);
        connect(StatusBar_Action, &QAction::toggled, this,
                [this](bool on) { statusBar()->setVisible(on); });
    }
    Help_Menu = menuBar()->addMenu(QString());
    Help_Menu->setObjectName("Help_Menu");
    Tag(Help_Menu, "<EN>&Help<PL>Pomo&c", "<EN>Help functions<PL>Funkcje pomocy");
    QAction* contents =
        AddMenuAction(Help_Menu, "Contents_HelpMenu", "<EN>&Contents<PL>&Spis treści",
                      "<EN>Help contents<PL>Spis treści pomocy", QKeySequence(Qt::Key_F1));
    connect(contents, &QAction::triggered, this, [this] { ShowHelpContents(); });
    SetHelpContentsAction(contents);
    connect(AddMenuAction(Help_Menu, "Index_HelpMenu", "<EN>&Index<PL>&Indeks",
                          "<EN>Help index<PL>Indeks pomocy"),
            &QAction::triggered, this, [this] { ShowHelpIndex(); });
    connect(AddMenuAction(Help_Menu, "Glossary_HelpMenu", "<EN>&Glossary<PL>S&łowniczek",
                          "<EN>Glossary of terms<PL>Słowniczek pojęć"),
            &QAction::triggered, this, [this] { ShowHelpContext(HelpGlossary); });
    connect(AddMenuAction(Help_Menu, "Changes_HelpMenu", "<EN>C&hanges<PL>&Zmiany",
                          "<EN>What has changed in this version<PL>Co zmieniło się w tej "
                          "wersji"),
            &QAction::triggered, this, [this] { ShowChangesTopic(); });
    connect(AddMenuAction(Help_Menu, "Search_HelpMenu", "<EN>&Search...<PL>Sz&ukaj...",
                          "<EN>Search the help for a word<PL>Wyszukuje słowo w pomocy"),
            &QAction::triggered, this, [this] { ShowHelpSearch(); });
    connect(AddMenuAction(Help_Menu, "HelpOnHelp_HelpMenu",
                          "<EN>&Using help<PL>&Jak korzystać z pomocy",
                          "<EN>How to use the help viewer<PL>Jak korzystać z przeglądarki pomocy"),
            &QAction::triggered, this, [this] { ShowHelpOnHelp(); });
    // No contacts in this program: E-mail and Web stay hidden with their separator.
    QAction* contactSep = Help_Menu->addSeparator();
    contactSep->setVisible(false);
    AddMenuAction(Help_Menu, "EMail_HelpMenu", "<EN>&E-mail<PL>&E-mail", "")->setVisible(false);
    AddMenuAction(Help_Menu, "Web_HelpMenu", "<EN>&Web<PL>&Internet", "")->setVisible(false);
    Help_Menu->addSeparator();
    connect(AddMenuAction(Help_Menu, "About_HelpMenu", "<EN>&About...<PL>&O programie...",
                          "<EN>About the program<PL>Informacje o programie"),
            &QAction::triggered, this, [this] { ShowAbout(); });
}

void TAppCmplx_Form::CreateToolBar() {
    Tool_Bar = addToolBar(QString());
    Tool_Bar->setObjectName("Tool_Bar");
    Tool_Bar->setMovable(false);
    auto icon = [this](QStyle::StandardPixmap p) { return style()->standardIcon(p); };
    if (QAction* a = FileAction("New_FileMenu")) {
        a->setIcon(icon(QStyle::SP_FileIcon));
        Tool_Bar->addAction(a);
    }
    if (QAction* a = FileAction("Open_FileMenu")) {
        a->setIcon(icon(QStyle::SP_DialogOpenButton));
        Tool_Bar->addAction(a);
    }
    if (QAction* a = FileAction("Save_FileMenu")) {
        a->setIcon(icon(QStyle::SP_DialogSaveButton));
        Tool_Bar->addAction(a);
    }
}

QAction* TAppCmplx_Form::FileAction(const char* name) const {
    return File_Menu ? File_Menu->findChild<QAction*>(QString::fromLatin1(name)) : nullptr;
}

std::string TAppCmplx_Form::NextUntitledName() {
    return core::LangText("<EN>NoName<PL>BezNazwy") + std::to_string(++UntitledCounter);
}

void TAppCmplx_Form::RegisterChild(TChldGen_Form* child) {
    if (!FileList.contains(child)) FileList << child;
}

void TAppCmplx_Form::UpdateFileMenu() {
    const bool any = !ChildWindows().isEmpty();
    for (const char* n : {"Duplicate_FileMenu", "Save_FileMenu", "SaveAs_FileMenu",
                          "SaveAll_FileMenu", "Export_FileMenu", "PrintPreview_FileMenu",
                          "Print_FileMenu", "Close_FileMenu", "CloseAll_FileMenu"}) {
        QAction* a = FileAction(n);
        if (!a) continue;
        // A placeholder needs a bound command besides an open child.
        const bool placeholder =
            std::string(n) == "Save_FileMenu" || std::string(n) == "SaveAs_FileMenu" ||
            std::string(n) == "Export_FileMenu" || std::string(n) == "Print_FileMenu";
        a->setEnabled(any && (!placeholder || BoundCommand(a) != nullptr));
    }
    if (auto* c = qobject_cast<TChldGen_Form*>(ActiveChild()))
        if (QAction* e = FileAction("Export_FileMenu"))
            e->setEnabled(e->isEnabled() && c->CanExport());
}

void TAppCmplx_Form::UpdateToolbar() {
    const bool any = !ChildWindows().isEmpty();
    if (QAction* a = FileAction("Save_FileMenu")) a->setEnabled(any && BoundCommand(a));
}

void TAppCmplx_Form::BuildRecentsMenu() {
    if (!Recents_Menu) return;
    Recents_Menu->clear();
    const auto items = RecentFiles.BuildMenu(S(QDir::currentPath()));
    for (const auto& item : items) {
        if (item.ItemKind == core::TRecentsMenuItem::Kind::Separator) {
            Recents_Menu->addSeparator();
            continue;
        }
        QAction* a = Recents_Menu->addAction(Q(item.Caption));
        a->setStatusTip(Q(item.Hint));
        a->setEnabled(item.Enabled);
        switch (item.ItemKind) {
            case core::TRecentsMenuItem::Kind::File: {
                const std::string path = item.Path;
                connect(a, &QAction::triggered, this, [this, path] { OpenFile(path); });
                break;
            }
            case core::TRecentsMenuItem::Kind::RemoveObsolete:
                a->setObjectName("RemoveObsolete_RecentsMenu");
                connect(a, &QAction::triggered, this, [this] {
                    if (MsgConfirm(core::LangText(
                            "<EN>Remove obsolete recent files entries?<PL>Usunąć nieaktualne "
                            "pliki z listy ostatnio używanych?")) == MsgResultYes)
                        RecentFiles.RemoveObsolete(
                            [](const std::string& p) { return core::FileExists(p); });
                });
                break;
            case core::TRecentsMenuItem::Kind::RemoveAll:
                a->setObjectName("RemoveAll_RecentsMenu");
                connect(a, &QAction::triggered, this, [this] {
                    if (MsgConfirm(core::LangText(
                            "<EN>Remove all recent files entries?<PL>Usunąć wszystkie pliki z "
                            "listy ostatnio używanych?")) == MsgResultYes)
                        RecentFiles.RemoveAll();
                });
                break;
            default:
                break;
        }
    }
}

void TAppCmplx_Form::ShowChild(TChldGen_Form* child) {
    QMdiSubWindow* sub = MdiArea()->addSubWindow(child);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(windowIcon());
    child->InitWindowState();
    child->show();
    MdiArea()->setActiveSubWindow(sub);
    UpdateToolbar();
}

TChldGen_Form* TAppCmplx_Form::NewFile() {
    TChldGen_Form* child = CreateChild();
    ShowChild(child);
    return child;
}

void TAppCmplx_Form::OpenFiles() {
    TFileDialogRequest r;
    r.DialogMode = TFileDialogRequest::Mode::OpenMulti;
    r.Title = core::LangText("<EN>Open file...<PL>Otwórz plik...");
    r.Folder = OpenDir;
    r.Filter = OpenFilter();
    r.DefaultExt = OpenDefaultExt();
    const auto chosen = RunFileDialog(this, r);
    if (chosen.empty()) return;
    OpenDir = FolderOf(chosen.front());
    for (const auto& f : chosen)
        OpenFile(f);
}

void TAppCmplx_Form::OpenFile(const std::string& name) {
    TChldGen_Form* child = nullptr;
    try {
        const std::string full = core::TRecents_Handler::FullPath(name);
        child = CreateChild();
        child->SetFileName(full);
        child->setWindowTitle(Q(full));
        child->SetUntitled(false);
        child->LoadFile(full);
        RecentFiles.AddOpened(full);
        ShowChild(child);
    } catch (const std::exception& e) {
        // No window is left behind.
        delete child;
        MsgError(name + "\r\n\r\n" +
                 core::LangText("<EN>Error opening file.<PL>Błąd otwarcia pliku.") + "\r\n" +
                 e.what());
    }
}

void TAppCmplx_Form::Duplicate() {
    auto* c = qobject_cast<TChldGen_Form*>(ActiveChild());
    if (!c) return;
    if (MsgConfirm(core::LangText("<EN>Duplicate file?<PL>Powielić plik?") + "\r\n" +
                   c->GetFileName()) != MsgResultYes)
        return;
    TChldGen_Form* copy = CreateChild();
    copy->LoadFile(c->GetFileName());
    copy->SetUntitled(true);
    ShowChild(copy);
}

void TAppCmplx_Form::SaveAll() {
    for (TChldGen_Form* c : QList<TChldGen_Form*>(FileList)) {
        c->Save();
        if (c->IsModified()) break;
    }
}

void TAppCmplx_Form::CloseActive() {
    if (QMdiSubWindow* w = MdiArea()->currentSubWindow()) w->close();
}

void TAppCmplx_Form::CloseAll() {
    const QList<QMdiSubWindow*> windows = MdiArea()->subWindowList(QMdiArea::CreationOrder);
    for (qsizetype i = windows.size(); i-- > 0;)
        if (!windows[i]->close()) break;
}

void TAppCmplx_Form::Print() {
    if (QAction* a = FileAction("Print_FileMenu"))
        if (QAction* target = BoundCommand(a)) target->trigger();
}

bool TAppCmplx_Form::PrinterAvailable() {
    if (PrinterCheck()) return PrinterCheck()();
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

QPrinter* TAppCmplx_Form::Printer() {
    if (!SharedPrinter) SharedPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return SharedPrinter.get();
}

void TAppCmplx_Form::ApplyPageSetup(QPrinter* printer) const {
    printer->setPageMargins(
        QMarginsF(PageSetup.MrgLeft, PageSetup.MrgTop, PageSetup.MrgRight, PageSetup.MrgBottom),
        QPageLayout::Millimeter);
}

void TAppCmplx_Form::PageSetupDialog() {
    ApplyPageSetup(Printer());
    QPageSetupDialog dialog(Printer(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    const QMarginsF m = Printer()->pageLayout().margins(QPageLayout::Millimeter);
    PageSetup.MrgLeft = qRound(m.left());
    PageSetup.MrgTop = qRound(m.top());
    PageSetup.MrgRight = qRound(m.right());
    PageSetup.MrgBottom = qRound(m.bottom());
}

void TAppCmplx_Form::SetProgress(const std::string& hint, int percent) {
    Hint->SetProgress(Q(hint), percent);
}

void TAppCmplx_Form::AddStatusPanel(QWidget* panel) {
    // In the order they are added, before the hint panel.
    statusBar()->insertWidget(PanelCount++, panel);
}

void TAppCmplx_Form::Registry_DoRead(core::TSettingsStore& s) {
    TAppMDI_Form::Registry_DoRead(s);
    const std::string root = SettingsRoot();
    const std::string views = core::SubKey(root, "Views");
    const bool status = s.ReadBool(views, "StatusBar", true);
    const bool tools = s.ReadBool(views, "ToolBar", true);
    if (StatusBar_Action) StatusBar_Action->setChecked(status);
    if (ToolBar_Action) ToolBar_Action->setChecked(tools);
    statusBar()->setVisible(status);
    if (Tool_Bar) Tool_Bar->setVisible(tools);
    const std::string files = core::SubKey(root, "Files");
    OpenDir = s.ReadStr(files, "OpenDir", "");
    SaveAsDir = s.ReadStr(files, "SaveAsDir", "");
    ExportDir = s.ReadStr(files, "ExportDir", "");
    RecentFiles.ReadList(s, root);
    PageSetup.Read(s, root);
}

void TAppCmplx_Form::Registry_DoWrite(core::TSettingsStore& s) {
    TAppMDI_Form::Registry_DoWrite(s);
    const std::string root = SettingsRoot();
    const std::string views = core::SubKey(root, "Views");
    s.WriteBool(views, "StatusBar", StatusBar_Action ? StatusBar_Action->isChecked() : true);
    s.WriteBool(views, "ToolBar", ToolBar_Action ? ToolBar_Action->isChecked() : true);
    const std::string files = core::SubKey(root, "Files");
    s.WriteStr(files, "OpenDir", OpenDir);
    s.WriteStr(files, "SaveAsDir", SaveAsDir);
    s.WriteStr(files, "ExportDir", ExportDir);
    RecentFiles.WriteList(s, root);
    PageSetup.Write(s, root);
}

void TAppCmplx_Form::PadAllMenus() {
    for (QAction* a : menuBar()->actions())
        if (a->menu()) PadMenuCaptions(a->menu());
}

void TAppCmplx_Form::ApplyLanguage() {
    TAppMDI_Form::ApplyLanguage();
    PadAllMenus();
    if (Tool_Bar) Tool_Bar->setWindowTitle(LT("<EN>Toolbar<PL>Pasek narzędzi"));
    if (Hint) Hint->update();
}

void TAppCmplx_Form::LanguageChanged(int previous) {
    TAppMDI_Form::LanguageChanged(previous);
    PadAllMenus();
    statusBar()->update();
    for (TChildMDI_Form* c : ChildWindows())
        PostWindowMessage(c, WM_LanguageChanged, 0, previous);
}

void TAppCmplx_Form::StartupDone() {
    if (!CommandLineSet && UseProcessArguments())
        CommandLine = QCoreApplication::arguments().mid(1);
    for (const QString& f : CommandLine)
        OpenFile(S(QFileInfo(f).absoluteFilePath()));
    CommandLine.clear();
}

bool TAppCmplx_Form::HandleWindowMessage(TWindowMessage* m) {
    if (m->Message == WM_ChildClosed) {
        auto* child = reinterpret_cast<TChldGen_Form*>(m->WParam);
        if (FileList.removeOne(child) && !child->IsUntitled())
            RecentFiles.AddClosed(child->GetFileName());
        statusBar()->update();
        return true;
    }
    return TAppMDI_Form::HandleWindowMessage(m);
}

void TAppCmplx_Form::ActiveChildChanged() {
    UpdateFileMenu();
    UpdateToolbar();
}

void TAppCmplx_Form::ChildDestroyed(const TChildMDI_Form* child) {
    for (qsizetype i = 0; i < FileList.size(); ++i)
        if (static_cast<const TChildMDI_Form*>(FileList[i]) == child) {
            FileList.removeAt(i);
            break;
        }
}

bool TAppCmplx_Form::event(QEvent* e) {
    if (e->type() == QEvent::StatusTip) {
        if (Hint) Hint->SetHint(static_cast<QStatusTipEvent*>(e)->tip());
        return true;
    }
    return TAppMDI_Form::event(e);
}

void TAppCmplx_Form::closeEvent(QCloseEvent* e) {
    CloseAll();
    if (!ChildWindows().isEmpty()) {
        e->ignore();
        return;
    }
    // No other top-level window of the program may keep it running.
    CloseHelp();
    CloseLogo();
    e->accept();
}

void TAppCmplx_Form::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void TAppCmplx_Form::dropEvent(QDropEvent* e) {
    for (const QUrl& url : e->mimeData()->urls()) {
        if (!url.isLocalFile()) continue;
        const std::string path = S(url.toLocalFile());
        if (path.size() > 260) continue;
        OpenFile(path);
    }
    e->acceptProposedAction();
}

}  // namespace tallyra::gui
