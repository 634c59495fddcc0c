// SPDX-License-Identifier: GPL-3.0-or-later
#include "tappstation.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include "data/tpxdatahandler.h"
#include "script/tpxdictionary.h"
#include "shell/errors.h"
#include "shell/filebytes.h"
#include "shell/format.h"
#include "shell/ioerror.h"
#include "shell/langtext.h"
#include "shell/langui.h"
#include "shell/msgbox.h"
#include "shell/objectmessages.h"
#include "shell/shortenpath.h"
#include "verify/operatorlog.h"

namespace tallyra::gui {

namespace {

constexpr size_t StatusPathLength = 30;

std::string FolderOf(const std::string& name) {
    return std::filesystem::path(name).parent_path().string();
}

// Reading progress of the station's own script reading, shown in its
// status line.
class TStationProgress : public core::IReadingProgress {
public:
    explicit TStationProgress(TAppCmplx_Form& window) : Window(window) {}
    void ReadingProgress(int percent) override {
        Window.SetProgress(core::LangText("<EN>Reading script<PL>Wczytywanie skryptu"), percent);
    }

private:
    TAppCmplx_Form& Window;
};

}  // namespace

TAppTYStation_Form::TAppTYStation_Form(QWidget* parent) : TAppTYStation_Form(parent, true) {}

TAppTYStation_Form::TAppTYStation_Form(QWidget* parent, bool create) : TAppTYGen_Form(parent) {
    setObjectName("AppTYStation_Form");
    BuildStation();
    if (create) {
        Create();
        setWindowTitle(Q(TitleText()));
    }
}

TAppTYStation_Form::~TAppTYStation_Form() {
    EndSession(false);
    Shutdown();
    // The page and the store refer to the script: they go first.
    TAppTYGen_Form::CloseData();
    SetScript(nullptr);
}

std::string TAppTYStation_Form::AppInfo(int index) const {
    return TallyraAppInfo(index, "Tallyra Station");
}

void TAppTYStation_Form::BuildStation() {
    StatusText = new QLabel(this);
    StatusText->setObjectName("Station_Panel");
    StatusText->setMinimumWidth(260);
    AddStatusPanel(StatusText);
    // The station's File menu and the first toolbar buttons.
    QMenu* m = FileMenu();
    QAction* first = m->actions().value(0);
    OpenDict_Action = new QAction(m);
    OpenDict_Action->setObjectName("OpenDict_Action");
    Tag(OpenDict_Action, "<EN>Open &script...<PL>Otwórz &skrypt",
        "<EN>Open a script defining the data structure<PL>Otwórz skrypt definiujący strukturę "
        "danych");
    OpenDict_Action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    OpenDict_Action->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    connect(OpenDict_Action, &QAction::triggered, this, [this] { OpenScriptCommand(); });
    OpenData_Action = new QAction(m);
    OpenData_Action->setObjectName("OpenData_Action");
    Tag(OpenData_Action, "<EN>Open &data...<PL>Otwórz &dane",
        "<EN>Open a data file for editing, also create a new file<PL>Otwórz plik danych do "
        "edycji, także utwórz nowy plik");
    OpenData_Action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    OpenData_Action->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    connect(OpenData_Action, &QAction::triggered, this, [this] { OpenDataCommand(); });
    CloseData_Action = new QAction(m);
    CloseData_Action->setObjectName("CloseData_Action");
    Tag(CloseData_Action, "<EN>&Close data...<PL>&Zamknij dane",
        "<EN>Close the data file<PL>Zamknij plik danych");
    CloseData_Action->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    connect(CloseData_Action, &QAction::triggered, this, [this] { CloseDataCommand(); });
    VerifyData_Action = new QAction(m);
    VerifyData_Action->setObjectName("VerifyData_Action");
    Tag(VerifyData_Action, "<EN>&Verify data...<PL>&Weryfikuj dane...",
        "<EN>Key the questionnaires again against the first keying<PL>Wprowadź kwestionariusze "
        "ponownie, porównując z pierwszym wprowadzeniem");
    connect(VerifyData_Action, &QAction::triggered, this, [this] { VerifyDataCommand(); });
    m->insertActions(first,
                     {OpenDict_Action, OpenData_Action, VerifyData_Action, CloseData_Action});
    m->insertSeparator(first);
    if (QAction* exit = m->findChild<QAction*>("Exit_FileMenu")) exit->setVisible(true);
    m->menuAction()->setVisible(true);
    connect(m, &QMenu::aboutToShow, this, [this] { UpdateCommands(); });
    QToolBar* bar = ToolBar();
    QAction* firstButton = bar->actions().value(0);
    bar->insertActions(firstButton, {OpenDict_Action, OpenData_Action, CloseData_Action});
    bar->insertSeparator(firstButton);
    // Field information is F2 here.
    if (QAction* info = Action("FieldInfo_EditMenu")) info->setShortcut(QKeySequence(Qt::Key_F2));
    UpdateCommands();
}

void TAppTYStation_Form::UpdateCommands() {
    TAppTYGen_Form::UpdateCommands();
    if (!OpenData_Action) return;
    OpenData_Action->setEnabled(Script() != nullptr);
    VerifyData_Action->setEnabled(Script() != nullptr);
    VerifyData_Action->setVisible(KeysData());
    CloseData_Action->setEnabled(Store() != nullptr);
}

QString TAppTYStation_Form::StatusLine() const {
    return StatusText->text();
}

void TAppTYStation_Form::ShowStatus(const std::string& text) {
    StatusText->setText(Q(text));
}

// --- start-up

void TAppTYStation_Form::StartupDone() {
    TAppTYGen_Form::StartupDone();
    QStringList args = StartupFiles;
    if (!StartupFilesSet && UseProcessArguments()) args = QCoreApplication::arguments().mid(1);
    if (!args.isEmpty() && args[0] == "--verify") {
        // --verify FIRST SCRIPT SECOND
        if (args.size() != 4) {
            MsgError(core::LangText(
                "<EN>Usage: tallyra-station --verify FIRST.dat SCRIPT SECOND.dat<PL>Użycie: "
                "tallyra-station --verify PIERWSZY.dat SKRYPT DRUGI.dat"));
        } else if (OpenScript(S(QFileInfo(args[2]).absoluteFilePath())) && Script()) {
            OpenVerify(S(QFileInfo(args[1]).absoluteFilePath()),
                       S(QFileInfo(args[3]).absoluteFilePath()));
        }
        return;
    }
    if (!args.isEmpty() && QFileInfo(args[0]).isFile()) {
        OpenScript(S(QFileInfo(args[0]).absoluteFilePath()));
        if (args.size() > 1 && QFileInfo(args[1]).isFile() && Script())
            OpenData(S(QFileInfo(args[1]).absoluteFilePath()));
        else if (Script())
            PostWindowMessage(this, WM_OpenDataRequest, 0, 0);
        return;
    }
    CurrentScriptName = (std::filesystem::path(OpenDir) / "*.slo").string();
    PostWindowMessage(this, WM_OpenScriptRequest, 0, 0);
}

bool TAppTYStation_Form::HandleWindowMessage(TWindowMessage* m) {
    if (m->Message == WM_OpenScriptRequest) {
        OpenScriptCommand();
        return true;
    }
    if (m->Message == WM_OpenDataRequest) {
        OpenDataCommand();
        return true;
    }
    return TAppTYGen_Form::HandleWindowMessage(m);
}

// --- script

void TAppTYStation_Form::OpenScriptCommand() {
    TFileDialogRequest r;
    r.DialogMode = TFileDialogRequest::Mode::Open;
    r.Title = core::LangText("<EN>Open script<PL>Otwórz skrypt");
    r.Filter = core::LangText(
        "<EN>Scripts (*.slo)|*.slo|All files (*.*)|*.*<PL>Skrypty (*.slo)|*.slo|Wszystkie pliki "
        "(*.*)|*.*");
    r.DefaultExt = "slo";
    r.Folder = OpenDir;
    const std::string proposed = std::filesystem::path(CurrentScriptName).filename().string();
    if (proposed.find('*') == std::string::npos) r.FileName = CurrentScriptName;
    const std::vector<std::string> chosen = RunFileDialog(this, r);
    if (!chosen.empty()) {
        OpenDir = FolderOf(chosen.front());
        if (OpenScript(chosen.front()) && Script())
            PostWindowMessage(this, WM_OpenDataRequest, 0, 0);
    }
    UpdateCommands();
}

void TAppTYStation_Form::LoadScript(const std::string& name) {
    OwnMessages = std::make_unique<core::TPXMessageList>();
    TStationProgress progress(*this);
    OwnScript = std::make_unique<core::TPXDictionary>(name, *OwnMessages, &progress);
}

bool TAppTYStation_Form::OpenScript(const std::string& name) {
    OpenDir = FolderOf(name);
    if (!CanCloseData()) return false;
    CloseData();
    CurrentScriptName = name;
    CloseScript();
    bool ok = false;
    try {
        LoadScript(name);
        SetProgress(std::string(), -1);
        ok = OwnMessages->CountKinds({core::mkError}) == 0 && OwnScript->Instructions.Count() > 0;
    } catch (const core::ETallyraError& e) {
        SetProgress(std::string(), -1);
        MsgError(e.Text());
        OwnScript.reset();
        OwnMessages.reset();
        UpdateCommands();
        return true;
    }
    if (ok) {
        OwnMessages->Clear();
        SetScript(OwnScript.get());
        ShowStatus(core::FormatText(core::LangText("<EN>Script: %s<PL>Skrypt: %s"),
                                    core::ShortenPath(name, StatusPathLength).c_str()));
        MsgInformation(core::FormatText(
            core::LangText("<EN>The script is loaded and ok.\r\n%s\r\n\r\nYou may start entering "
                           "data.<PL>Skrypt jest załadowany i w porządku.\r\n%s\r\n\r\nMożesz się "
                           "zabierać do wprowadzania danych."),
            name.c_str()));
    } else {
        MsgError(core::FormatText(
            core::LangText("<EN>The script has errors and cannot be used.\r\n%s\r\n\r\nContact "
                           "the manager or select another file.<PL>Skrypt zawiera błędy i nie "
                           "można go wykorzystać.\r\n%s\r\n\r\nSkontaktuj się z szefem "
                           "wprowadzania danych lub wybierz inny plik."),
            name.c_str()));
        OwnScript.reset();
        OwnMessages.reset();
    }
    UpdateCommands();
    return true;
}

void TAppTYStation_Form::CloseScript() {
    SetScript(nullptr);
    OwnScript.reset();
    OwnMessages.reset();
    UpdateCommands();
}

// --- data

bool TAppTYStation_Form::CurrentValueAccepted() {
    return !Keyboard() || Keyboard()->CanClose();
}

void TAppTYStation_Form::OpenDataCommand() {
    if (!Script() || !CurrentValueAccepted()) return;
    TFileDialogRequest r;
    r.DialogMode =
        AllowsNewDataFile() ? TFileDialogRequest::Mode::Save : TFileDialogRequest::Mode::Open;
    r.Title = core::LangText("<EN>Open data<PL>Otwórz dane");
    r.Filter = DataFileFilter();
    r.DefaultExt = "dat";
    r.Folder = OpenDir;
    r.ConfirmOverwrite = false;
    const std::vector<std::string> chosen = RunFileDialog(this, r);
    if (!chosen.empty()) OpenData(chosen.front());
    UpdateCommands();
}

std::unique_ptr<core::TPXDataHandler> TAppTYStation_Form::CreateStore(const std::string& name) {
    return core::TPXDataHandler::CreateForFile(*Script(), true, this, name);
}

void TAppTYStation_Form::ShowMismatch(const std::string& name) {
    MsgError(core::FormatText(
        core::LangText("<EN>The data structure does not correspond with the script.\r\n%s"
                       "\r\n\r\nCheck whether you loaded the script and the data from the same "
                       "survey.<PL>Struktura danych nie odpowiada skryptowi.\r\n%s\r\n\r\n"
                       "Sprawdź, czy skrypt i dane pochodzą z tego samego badania."),
        name.c_str()));
}

void TAppTYStation_Form::OpenData(const std::string& name) {
    OpenStore(name, std::string());
}

void TAppTYStation_Form::OpenVerify(const std::string& reference, const std::string& name) {
    OpenStore(name, reference);
}

void TAppTYStation_Form::OpenStore(const std::string& name, const std::string& reference) {
    OpenDir = FolderOf(name);
    if (!CanCloseData()) return;
    CloseData();
    if (!reference.empty()) {
        if (core::SameFile(reference, name)) {
            MsgError(core::FormatText(
                core::LangText("<EN>The first keying and the file to key must be two different "
                               "files.\r\n%s<PL>Pierwsze wprowadzenie i wprowadzany plik muszą "
                               "być dwoma różnymi plikami.\r\n%s"),
                name.c_str()));
            UpdateCommands();
            return;
        }
        try {
            VerifyRef = std::make_unique<core::TEntryVerifier>(*Script(), reference,
                                                               core::DefaultPairing(*Script()));
        } catch (const core::EPXData&) {
            ShowMismatch(reference);
            UpdateCommands();
            return;
        } catch (const core::ETallyraError& e) {
            MsgError(e.Text());
            UpdateCommands();
            return;
        }
    }
    try {
        SetStore(CreateStore(name));
    } catch (const core::EPXData&) {
        VerifyRef.reset();
        ShowMismatch(name);
        UpdateCommands();
        return;
    } catch (const core::ETallyraError& e) {
        VerifyRef.reset();
        // The file is named ("in use" says nothing of which one).
        MsgError(e.Text().find(name) == std::string::npos ? core::FileErrorText(name, e.Text())
                                                          : e.Text());
        UpdateCommands();
        return;
    }
    Store()->SetVerifier(VerifyRef.get());
    SessionStart = std::time(nullptr);
    SessionOpen = KeysData();
    const core::TPXFieldInstruction* entry = Store()->FieldAt(Store()->EntryPos());
    if (entry && entry->Column != 1)
        MsgWarning(core::FormatText(
            core::LangText("<EN>The last record in the opened file is incomplete.\r\nIt consists "
                           "of %d characters out of %d.<PL>Ostatni wczytany rekord nie jest "
                           "pełny.\r\nZawiera %d z %d znaków."),
            entry->Column - 1, Store()->RecordChars()));
    if (VerifyRef)
        ShowStatus(core::FormatText(
            core::LangText("<EN>Verify: %s against %s<PL>Weryfikacja: %s wobec %s"),
            core::ShortenPath(name, StatusPathLength).c_str(),
            core::ShortenPath(reference, StatusPathLength).c_str()));
    else
        ShowStatus(core::FormatText(core::LangText("<EN>Data: %s<PL>Dane: %s"),
                                    core::ShortenPath(name, StatusPathLength).c_str()));
    StartEntry();
    UpdateCommands();
}

void TAppTYStation_Form::VerifyDataCommand() {
    if (!Script() || !CurrentValueAccepted()) return;
    const auto ask = [this](TFileDialogRequest::Mode mode, const char* title,
                            const std::string& folder) {
        TFileDialogRequest r;
        r.DialogMode = mode;
        r.Title = core::LangText(title);
        r.Filter = DataFileFilter();
        r.DefaultExt = "dat";
        r.Folder = folder;
        r.ConfirmOverwrite = false;  // the file to key is often one begun earlier
        return RunFileDialog(this, r);
    };
    const std::vector<std::string> reference =
        ask(TFileDialogRequest::Mode::Open,
            "<EN>Verify data: the first keying<PL>Weryfikuj dane: pierwsze wprowadzenie", OpenDir);
    if (reference.empty()) return;
    const std::vector<std::string> chosen =
        ask(TFileDialogRequest::Mode::Save,
            "<EN>Verify data: the file to key<PL>Weryfikuj dane: plik do wprowadzania",
            FolderOf(reference.front()));
    if (!chosen.empty()) OpenVerify(reference.front(), chosen.front());
    UpdateCommands();
}

void TAppTYStation_Form::EndSession(bool boxes) {
    if (!SessionOpen) return;
    SessionOpen = false;
    const core::TPXDataHandler* store = Store();
    if (!store) return;
    core::TOperatorSession session;
    session.Operator = core::OperatorNameFromEnvironment();
    session.Start = SessionStart;
    session.End = std::max<int64_t>(std::time(nullptr), SessionStart);
    session.Records = store->CompletedRecords();
    session.ForcedValues = store->ForcedValues();
    if (const core::TEntryKeyboard* keys = Keyboard()) {
        session.Keystrokes = keys->Keystrokes();
        session.EscChanges = keys->EscChanges();
    }
    if (VerifyRef) {
        session.Verify = true;
        session.FirstEntryErrors = VerifyRef->FirstEntryErrors();
        session.VerifierSlips = VerifyRef->VerifierSlips();
    }
    try {
        core::AppendOperatorLog(store->FileName(), session);
    } catch (const core::ETallyraError& e) {
        if (boxes)
            MsgError(e.Text());
        else
            std::fprintf(stderr, "%s\n", e.Text().c_str());
    }
}

void TAppTYStation_Form::CloseDataCommand() {
    if (!CurrentValueAccepted()) return;
    if (CanCloseData()) CloseData();
}

bool TAppTYStation_Form::CanCloseData() {
    core::TPXDataHandler* store = Store();
    if (!store || !Script()) return true;
    try {
        store->SaveRecord();
        if (!store->HasPartialRecord()) return true;
        const int answer = MsgConfirm(
            core::LangText("<EN>The lest record is not full.\r\nSave only completed records?<PL>"
                           "Ostatni rekord nie jest pełny.\r\nCzy zapisać tylko pełne rekordy?"));
        if (answer == MsgResultCancel) return false;
        if (answer == MsgResultYes) store->CutToFullRecords();
    } catch (const core::ETallyraError& e) {
        // The data stays open: nothing is lost by keeping it.
        MsgError(e.Text());
        return false;
    }
    return true;
}

void TAppTYStation_Form::CloseData() {
    if (core::TPXDataHandler* store = Store(); store && store->Dirty()) {
        try {
            store->SaveRecord();
        } catch (const core::ETallyraError& e) {
            MsgError(e.Text());
        }
    }
    EndSession(true);
    TAppTYGen_Form::CloseData();
    VerifyRef.reset();
    ShowStatus(core::FormatText(core::LangText("<EN>Script: %s<PL>Skrypt: %s"),
                                core::ShortenPath(CurrentScriptName, StatusPathLength).c_str()));
}

void TAppTYStation_Form::closeEvent(QCloseEvent* e) {
    if (!CurrentValueAccepted() || !CanCloseData()) {
        e->ignore();
        return;
    }
    TAppTYGen_Form::closeEvent(e);
}

}  // namespace tallyra::gui
