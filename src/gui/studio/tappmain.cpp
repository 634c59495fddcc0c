// SPDX-License-Identifier: GPL-3.0-or-later
#include "tappmain.h"

#include <filesystem>

#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QStyle>
#include <QToolBar>
#include <Qsci/qsciscintilla.h>

#include "adjudication.h"
#include "exportdata.h"
#include "langprefs.h"
#include "merge/progresswindows.h"
#include "script/keywords.h"
#include "shell/format.h"
#include "shell/langtext.h"
#include "shell/langui.h"
#include "shell/modalrun.h"
#include "shell/msgbox.h"
#include "shell/objectmessages.h"
#include "shell/settingsstore.h"
#include "ttydchild.h"

namespace tallyra::gui {

namespace {

// Reading progress goes to the main window as window message 1464.
class TProgressToWindow : public core::IReadingProgress {
public:
    explicit TProgressToWindow(QObject* window) : Window(window) {}
    void ReadingProgress(int percent) override {
        SendWindowMessage(Window, WM_ReadingProgress, percent, 0);
    }

private:
    QObject* Window;
};

}  // namespace

TAppMain_Form::TAppMain_Form(QWidget* parent)
    : TAppEdit_Form(parent),
      ColourParser(std::make_unique<core::TPXParser>()),
      Progress(std::make_unique<TProgressToWindow>(this)) {
    setObjectName("AppMain_Form");
    MultiData = core::DefaultMultiData();
    SingleData = core::DefaultSingleData();
    CreateFileMenu();
    CreateEditMenu();
    CreateInsertEntries();
    CreateScriptMenu();
    CreateDataMenu();
    CreateWindowMenu();
    CreateHelpMenu();
    CreateLanguageHelpEntries();
    CreateToolBar();
    CreateEditToolButtons();
    CreateScriptToolButtons();
    // Hidden in this window.
    for (const char* n : {"Duplicate_FileMenu", "PageSetup_FileMenu", "PrintPreview_FileMenu"})
        if (QAction* a = FileAction(n)) a->setVisible(false);
    SizeStatusPanels();
    Create();
    UpdateFileMenu();
    UpdateEditMenu();
    UpdateScriptMenu();
    UpdateDataMenu();
    UpdateToolbar();
}

TAppMain_Form::~TAppMain_Form() {
    Shutdown();
}

std::string TAppMain_Form::AppInfo(int index) const {
    return TallyraAppInfo(index, "Tallyra Studio");
}

std::string TAppMain_Form::OpenFilter() const {
    return core::LangText("<EN>Tallyra Studio files<PL>Pliki Tallyra Studio") +
           " (*.slo;*.sl)|*.slo;*.sl|" + core::LangText("<EN>All files<PL>Wszystkie pliki") +
           " (*.*)|*.*";
}

std::string TAppMain_Form::ExportFilter() const {
    return core::LangText("<*>SPSS Syntax") + " (*.sps)|*.sps|" +
           core::LangText("<EN>All files<PL>Wszystkie pliki") + " (*.*)|*.*";
}

TChldGen_Form* TAppMain_Form::CreateChild() {
    return new TTYDChild_Form(this);
}

TTYDChild_Form* TAppMain_Form::ActiveScript() const {
    return qobject_cast<TTYDChild_Form*>(ActiveChild());
}

QAction* TAppMain_Form::ScriptAction(const char* name) const {
    // The menus and the toolbar hold these entries. The search stays out of
    // the document area: a child that is being destroyed reports its
    // deactivation from inside its sub-window's destructor, when that
    // sub-window's list of children is no longer walkable.
    const QString n = QString::fromLatin1(name);
    if (QAction* a = menuBar()->findChild<QAction*>(n)) return a;
    return ToolBar() ? ToolBar()->findChild<QAction*>(n) : nullptr;
}

// ---- menus ----

void TAppMain_Form::CreateInsertEntries() {
    QMenu* m = InsertMenu();
    if (!m) return;
    m->addSeparator();
    auto entry = [this, m](const char* name, const char* caption, const char* hint,
                           QKeyCombination key, auto fn) {
        QAction* a = AddMenuAction(m, name, caption, hint, QKeySequence(key));
        connect(a, &QAction::triggered, this, [this, fn] {
            if (TTYDChild_Form* w = ActiveScript()) fn(w);
        });
    };
    const std::string group = core::KeywordsUpper[core::kwGroup];
    const std::string text = core::KeywordsUpper[core::kwText];
    // The keyword is part of the tagged texts, so it is filled in once here.
    static const std::string groupHint =
        "<EN>Insert a variable group (" + group + ")<PL>Wstawia grupę zmiennych (" + group + ")";
    static const std::string singleCaption =
        "<EN>&Single-choice + " + text + "...<PL>&Jednokrotny wybór + " + text + "...";
    entry("Group_InsertMenu", "<EN>&Group...<PL>&Grupa...", groupHint.c_str(), Qt::CTRL | Qt::Key_G,
          [](TTYDChild_Form* w) { w->InsertGroup(); });
    entry("Multi_InsertMenu", "<EN>M&ulti-choice...<PL>Wielokrotny &wybór...",
          "<EN>Insert a multi-choice question<PL>Wstawia pytanie wielokrotnego wyboru",
          Qt::CTRL | Qt::Key_M, [](TTYDChild_Form* w) { w->InsertMultiChoice(); });
    entry("Single_InsertMenu", singleCaption.c_str(),
          "<EN>Insert a single-choice question with text variable<PL>Wstawia pytanie "
          "jednokrotnego wyboru ze zmienną tekstową",
          Qt::CTRL | Qt::Key_I, [](TTYDChild_Form* w) { w->InsertSingleChoice(); });
    entry("Open_InsertMenu", "<EN>&Open...<PL>&Otwarte...",
          "<EN>Insert a group of text variables<PL>Wstawia grupę zmiennych tekstowych",
          Qt::CTRL | Qt::Key_T, [](TTYDChild_Form* w) { w->InsertOpen(); });
    entry("ReservedWords_InsertMenu", "<EN>Reserved words<PL>Słowa kluczowe",
          "<EN>Insert a reserved word<PL>Wstawia słowo kluczowe", Qt::CTRL | Qt::Key_W,
          [](TTYDChild_Form* w) { w->ShowShortcutMenu(); });
}

void TAppMain_Form::CreateScriptMenu() {
    Script_Menu = menuBar()->addMenu(QString());
    Script_Menu->setObjectName("Script_Menu");
    Tag(Script_Menu, "<EN>&Script<PL>&Skrypt",
        "<EN>Functions for script handling<PL>Funkcje obsługi skryptu");
    QMenu* m = Script_Menu;
    connect(AddMenuAction(m, "Check_ScriptMenu", "<EN>&Check<PL>&Sprawdź",
                          "<EN>Check script correctness<PL>Sprawdza poprawność skryptu",
                          QKeySequence(Qt::Key_F9)),
            &QAction::triggered, this, [this] {
                if (TTYDChild_Form* w = ActiveScript()) w->CheckScript();
            });
    connect(AddMenuAction(m, "PrevError_ScriptMenu", "<EN>&Previous error<PL>&Poprzedni błąd",
                          "<EN>Move the cursor to the previous error<PL>Przenosi kursor do "
                          "poprzedniego błędu",
                          QKeySequence(Qt::Key_F7)),
            &QAction::triggered, this, [this] {
                if (TTYDChild_Form* w = ActiveScript()) w->PreviousMessage();
            });
    connect(AddMenuAction(m, "NextError_ScriptMenu", "<EN>&Next error<PL>&Następny błąd",
                          "<EN>Move the cursor to the next error<PL>Przenosi kursor do "
                          "następnego błędu",
                          QKeySequence(Qt::Key_F8)),
            &QAction::triggered, this, [this] {
                if (TTYDChild_Form* w = ActiveScript()) w->NextMessage();
            });
    QAction* list = AddMenuAction(m, "MessageList_ScriptMenu",
                                  "<EN>&Message list<PL>&Lista "
                                  "komunikatów",
                                  "<EN>Show/hide the message list<PL>Pokazuje/ukrywa listę "
                                  "komunikatów");
    list->setCheckable(true);
    connect(list, &QAction::triggered, this, [this] { ToggleMessageList(); });
    connect(AddMenuAction(m, "TestScript_ScriptMenu", "<EN>&Test script<PL>&Testuj skrypt",
                          "<EN>Run the data entry module based on the currently edited "
                          "script<PL>Uruchamia moduł wprowadzania danych na podstawie "
                          "edytowanego skryptu",
                          QKeySequence(Qt::Key_F10)),
            &QAction::triggered, this, [this] { TestScript(false); });
    connect(AddMenuAction(m, "TestCursor_ScriptMenu",
                          "<EN>Test script at &cursor<PL>Testuj skrypt od &kursora",
                          "<EN>Run the data entry module starting at the field pointed by the "
                          "cursor<PL>Uruchamia moduł wprowadzania danych od pola wskazanego "
                          "kursorem",
                          QKeySequence(Qt::Key_F11)),
            &QAction::triggered, this, [this] { TestScript(true); });
    QAction* summary = AddMenuAction(m, "Summary_ScriptMenu", "<EN>&Summary<PL>Po&dsumowanie",
                                     "<EN>Show the summary of the script and its check<PL>Pokazuje "
                                     "podsumowanie skryptu i jego sprawdzenia");
    summary->setVisible(false);
    connect(Script_Menu, &QMenu::aboutToShow, this, &TAppMain_Form::UpdateScriptMenu);
}

void TAppMain_Form::CreateDataMenu() {
    Data_Menu = menuBar()->addMenu(QString());
    Data_Menu->setObjectName("Data_Menu");
    Tag(Data_Menu, "<EN>Data<PL>Dane", "<EN>Data handling functions<PL>Funkcje obsługi danych");
    connect(
        AddMenuAction(Data_Menu, "MergeData_DataMenu", "<EN>&Merge data...<PL>Łą&cz dane...", ""),
        &QAction::triggered, this, [this] { MergeData(); });
    connect(AddMenuAction(Data_Menu, "PreviewData_DataMenu",
                          "<EN>&Preview data...<PL>&Podgląd danych...", ""),
            &QAction::triggered, this, [this] { PreviewData(); });
    connect(AddMenuAction(Data_Menu, "EnterData_DataMenu", "<EN>Enter data...<PL>Wprowadź dane...",
                          "<EN>Key data of the script in the data station<PL>Wprowadza dane "
                          "skryptu w stacji wprowadzania danych"),
            &QAction::triggered, this, [this] { EnterData(); });
    connect(AddMenuAction(Data_Menu, "ExportData_DataMenu",
                          "<EN>&Export data...<PL>&Eksportuj dane...", ""),
            &QAction::triggered, this, [this] { ExportDataCommand(this); });
    connect(
        AddMenuAction(Data_Menu, "Codebook_DataMenu", "<EN>C&odebook...<PL>&Książka kodów...", ""),
        &QAction::triggered, this, [this] { CodebookCommand(this); });
    connect(AddMenuAction(Data_Menu, "CompareData_DataMenu",
                          "<EN>Compare &data files...<PL>P&orównaj pliki danych...", ""),
            &QAction::triggered, this, [this] { CompareDataCommand(this); });
    connect(Data_Menu, &QMenu::aboutToShow, this, &TAppMain_Form::UpdateDataMenu);
}

void TAppMain_Form::UpdateDataMenu() {
    for (const char* name : {"MergeData_DataMenu", "PreviewData_DataMenu", "EnterData_DataMenu",
                             "ExportData_DataMenu", "Codebook_DataMenu", "CompareData_DataMenu"})
        if (QAction* a = ScriptAction(name)) a->setEnabled(ActiveScript() != nullptr);
}

void TAppMain_Form::MergeData() {
    TTYDChild_Form* w = ActiveScript();
    if (!w) return;
    w->CheckScript();
    if (!w->ScriptUsable()) return;
    const std::string filter = DataFileFilter();
    TFileDialogRequest open;
    open.DialogMode = TFileDialogRequest::Mode::OpenMulti;
    open.Title = core::LangText("<EN>Merge data files<PL>Łącz pliki danych");
    open.Folder = OpenDir;
    open.Filter = filter;
    open.DefaultExt = "dat";
    const std::vector<std::string> chosen = RunFileDialog(this, open);
    if (chosen.empty()) return;
    namespace fs = std::filesystem;
    std::vector<std::string> inputs;
    for (const std::string& c : chosen) {
        std::error_code ec;
        const fs::path full = fs::absolute(fs::path(c), ec);
        inputs.push_back(ec ? c : full.string());
    }
    OpenDir = fs::path(inputs.front()).parent_path().string();
    TFileDialogRequest save;
    save.DialogMode = TFileDialogRequest::Mode::Save;
    save.Title = core::LangText("<EN>Output data file<PL>Wynikowy plik danych");
    save.Folder = OpenDir;
    save.Filter = filter;
    save.DefaultExt = "dat";
    const std::vector<std::string> output = RunFileDialog(this, save);
    if (output.empty()) return;
    SaveAsDir = fs::path(output.front()).parent_path().string();
    std::vector<std::string> report;
    TGUIFileMerger merger(*w->CheckedScript(), inputs, report, output.front());
    TProgressChecker_Form progress(this, &merger);
    RunModal(&progress);
}

void TAppMain_Form::ShowPreferences() {
    TLangPrefsDialog_Form dialog(this);
    RunModal(&dialog);
}

void TAppMain_Form::CreateLanguageHelpEntries() {
    QMenu* h = HelpMenu();
    if (!h) return;
    h->addSeparator();
    connect(AddMenuAction(h, "LanguageDef_HelpMenu",
                          "<EN>&Language definition<PL>&Definicja "
                          "języka",
                          "<EN>Shows the full language definition<PL>Pokazuje pełną definicję "
                          "języka"),
            &QAction::triggered, this, [this] { ShowHelpContext(699); });
    connect(AddMenuAction(h, "ReservedWords_HelpMenu", "<EN>&Reserved words<PL>Słowa &kluczowe",
                          "<EN>Shows the list of reserved words of the language<PL>Pokazuje listę "
                          "słów kluczowych języka"),
            &QAction::triggered, this, [this] { ShowHelpContext(700); });
}

void TAppMain_Form::CreateScriptToolButtons() {
    QToolBar* bar = ToolBar();
    if (!bar) return;
    auto button = [this, bar](const char* name, const char* twin, const char* tip,
                              QStyle::StandardPixmap icon) {
        QAction* menu = ScriptAction(twin);
        auto* a = new QAction(bar);
        a->setObjectName(name);
        Tag(a, menu->property("tallyraTagText").toString().toStdString(),
            menu->property("tallyraTagHint").toString().toStdString(), tip);
        a->setIcon(style()->standardIcon(icon));
        bar->addAction(a);
        connect(a, &QAction::triggered, this, [menu] { menu->trigger(); });
        ScriptButtons << a;
    };
    bar->addSeparator();
    button("Check_ToolButton", "Check_ScriptMenu", "<EN>Check<PL>Sprawdź",
           QStyle::SP_DialogYesButton);
    button("PrevError_ToolButton", "PrevError_ScriptMenu",
           "<EN>Previous message<PL>Poprzedni komunikat", QStyle::SP_ArrowUp);
    button("NextError_ToolButton", "NextError_ScriptMenu", "<EN>Next message<PL>Następny komunikat",
           QStyle::SP_ArrowDown);
    bar->addSeparator();
    button("TestScript_ToolButton", "TestScript_ScriptMenu", "<EN>Test script<PL>Testuj skrypt",
           QStyle::SP_MediaPlay);
    button("TestCursor_ToolButton", "TestCursor_ScriptMenu",
           "<EN>Test script at cursor<PL>Testuj skrypt od kursora", QStyle::SP_MediaSeekForward);
}

void TAppMain_Form::PreviewData() {
    TTYDChild_Form* w = ActiveScript();
    if (!w) return;
    w->CheckScript();
    w->ShowPreview();
}

std::function<bool(const QString&, const QStringList&)>& TAppMain_Form::StationStarter() {
    static std::function<bool(const QString&, const QStringList&)> starter =
        [](const QString& program, const QStringList& args) {
            return QProcess::startDetached(program, args);
        };
    return starter;
}

void TAppMain_Form::EnterData() {
    TTYDChild_Form* w = ActiveScript();
    if (!w) return;
    w->CheckScript();
    if (!w->ScriptUsable()) return;
    // The station reads the script from its file: a changed or new script
    // is saved first.
    if (w->IsUntitled() || w->IsModified()) {
        const int answer = MsgConfirm(core::LangText(
            "<EN>The script must be saved before data can be entered.\r\nSave it now?<PL>Przed "
            "wprowadzaniem danych skrypt musi zostać zapisany.\r\nZapisać go teraz?"));
        if (answer != MsgResultYes) return;
        w->Save();
        if (w->IsUntitled() || w->IsModified()) return;
    }
    const QString station = QCoreApplication::applicationDirPath() + "/tallyra-station";
    if (!StationStarter()(station, {Q(w->GetFileName())}))
        MsgError(core::FormatText(
            core::LangText("<EN>Cannot start the data station:\r\n%s<PL>Nie można uruchomić "
                           "stacji wprowadzania danych:\r\n%s"),
            S(station).c_str()));
}

void TAppMain_Form::TestScript(bool atCursor) {
    TTYDChild_Form* w = ActiveScript();
    if (!w) return;
    w->CheckScript();
    w->RunTest(atCursor);
}

void TAppMain_Form::UpdateScriptMenu() {
    TTYDChild_Form* w = ActiveScript();
    auto set = [this](const char* n, bool on) {
        if (QAction* a = ScriptAction(n)) a->setEnabled(on);
    };
    set("Check_ScriptMenu", w != nullptr);
    set("MessageList_ScriptMenu", w != nullptr);
    set("Summary_ScriptMenu", w != nullptr);
    set("PrevError_ScriptMenu", w && w->CanGoPrevious());
    set("NextError_ScriptMenu", w && w->CanGoNext());
    set("TestScript_ScriptMenu", w != nullptr);
    set("TestCursor_ScriptMenu", w != nullptr);
    if (QAction* a = ScriptAction("MessageList_ScriptMenu"))
        a->setChecked(w && w->MessageListVisible());
}

void TAppMain_Form::UpdateToolbar() {
    TAppEdit_Form::UpdateToolbar();
    TTYDChild_Form* w = ActiveScript();
    auto set = [this](const char* n, bool on) {
        if (QAction* a = ScriptAction(n)) a->setEnabled(on);
    };
    set("Check_ToolButton", !ChildWindows().isEmpty());
    set("PrevError_ToolButton", w && w->CanGoPrevious());
    set("NextError_ToolButton", w && w->CanGoNext());
    set("TestScript_ToolButton", w != nullptr);
    set("TestCursor_ToolButton", w != nullptr);
}

void TAppMain_Form::ActiveChildChanged() {
    TAppEdit_Form::ActiveChildChanged();
    // The sub-windows' own Close entry also answers Ctrl+W on this platform,
    // which would make the keyword menu's key ambiguous; it keeps Ctrl+F4.
    for (QMdiSubWindow* sub : MdiArea()->subWindowList())
        if (QMenu* system = sub->systemMenu())
            for (QAction* a : system->actions()) {
                QList<QKeySequence> keys = a->shortcuts();
                if (keys.removeAll(QKeySequence(Qt::CTRL | Qt::Key_W)) > 0) a->setShortcuts(keys);
            }
    UpdateScriptMenu();
    UpdateDataMenu();
    UpdateToolbar();
}

void TAppMain_Form::ToggleMessageList() {
    if (TTYDChild_Form* w = ActiveScript()) w->SetMessageListVisible(!w->MessageListVisible());
    UpdateScriptMenu();
}

bool TAppMain_Form::HandleWindowMessage(TWindowMessage* m) {
    if (m->Message == WM_ReadingProgress) {
        SetProgress(core::LangText("<EN>Script checking<PL>Sprawdzanie skryptu"), int(m->WParam));
        return true;
    }
    return TAppEdit_Form::HandleWindowMessage(m);
}

void TAppMain_Form::ApplyLangSettings() {
    core::SetSPSSVarSize(Lang.SPSSVarSize);
    for (TChildMDI_Form* c : ChildWindows())
        if (auto* w = qobject_cast<TTYDChild_Form*>(c)) {
            w->MessageList().Limit =
                core::LimitForErrorMode(Lang.Options.ErrorMode, Lang.Options.ErrorCount);
            w->ApplyOptions(EditorOptions, TextOptions);
            w->ApplyColors();
        }
}

// ---- settings ----

void TAppMain_Form::Registry_DoRead(core::TSettingsStore& s) {
    TAppEdit_Form::Registry_DoRead(s);
    const std::string key = core::SubKey(SettingsRoot(), "Preferences");
    const core::TScriptOptions defaults = core::DefaultScriptOptions();
    const struct {
        const char* Name;
        core::TOptionsBlock Block;
    } blocks[] = {{"Script", core::TOptionsBlock::Script},
                  {"Hints", core::TOptionsBlock::Hints},
                  {"Warnings", core::TOptionsBlock::Warnings},
                  {"Errors", core::TOptionsBlock::Errors}};
    for (const auto& b : blocks) {
        const std::vector<uint8_t> def = core::OptionsBlock(defaults, b.Block);
        std::vector<uint8_t> bytes(def.size());
        s.ReadBinary(key, b.Name, bytes.data(), bytes.size(), def.data());
        core::SetOptionsBlock(Lang.Options, b.Block, bytes);
    }
    // Only the low byte of a stored width is kept.
    Lang.DefTextWidth = static_cast<uint8_t>(s.ReadInt(key, "DefTextWidth", 40) & 0xFF);
    Lang.SPSSVarSize = s.ReadInt(key, "SPSSVarSize", core::DefaultSPSSVarSize);
    Lang.Multi1 = s.ReadBool(key, "Multi1", true);
    EditorOptions = s.ReadSet32(key, "Memo", DefaultEditorOptions);
    TextOptions = s.ReadSet32(key, "Strings", DefaultTextOptions);
    Lang.Colors = core::DefaultColors();
    const std::vector<uint8_t> def = core::ColorsToBytes(Lang.Colors);
    std::vector<uint8_t> bytes(def.size());
    s.ReadBinary(key, "Colors", bytes.data(), bytes.size(), def.data());
    if (auto colors = core::ColorsFromBytes(bytes)) Lang.Colors = *colors;
    // The process-wide name length; a stored value of 0 or less falls back
    // to the default there.
    core::SetSPSSVarSize(Lang.SPSSVarSize);
}

void TAppMain_Form::Registry_DoWrite(core::TSettingsStore& s) {
    TAppEdit_Form::Registry_DoWrite(s);
    const std::string key = core::SubKey(SettingsRoot(), "Preferences");
    const struct {
        const char* Name;
        core::TOptionsBlock Block;
    } blocks[] = {{"Script", core::TOptionsBlock::Script},
                  {"Hints", core::TOptionsBlock::Hints},
                  {"Warnings", core::TOptionsBlock::Warnings},
                  {"Errors", core::TOptionsBlock::Errors}};
    for (const auto& b : blocks) {
        const std::vector<uint8_t> bytes = core::OptionsBlock(Lang.Options, b.Block);
        s.WriteBinary(key, b.Name, bytes.data(), bytes.size());
    }
    const std::vector<uint8_t> colors = core::ColorsToBytes(Lang.Colors);
    s.WriteBinary(key, "Colors", colors.data(), colors.size());
    s.WriteInt(key, "DefTextWidth", Lang.DefTextWidth);
    s.WriteInt(key, "SPSSVarSize", Lang.SPSSVarSize);
    s.WriteBool(key, "Multi1", Lang.Multi1);
    s.WriteSet32(key, "Memo", EditorOptions);
    s.WriteSet32(key, "Strings", TextOptions);
}

}  // namespace tallyra::gui
