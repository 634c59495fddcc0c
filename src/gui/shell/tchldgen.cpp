// SPDX-License-Identifier: GPL-3.0-or-later
#include "tchldgen.h"

#include <filesystem>

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>

#include "langui.h"
#include "msgbox.h"
#include "shell/errors.h"
#include "shell/filebytes.h"
#include "shell/format.h"
#include "shell/langtext.h"
#include "tappcmplx.h"

namespace tallyra::gui {

namespace {

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

// ---- TVRKChildFile_Form ----

TVRKChildFile_Form::TVRKChildFile_Form(TAppCmplx_Form* mainForm) : TChildMDI_Form(mainForm) {}

TAppCmplx_Form* TVRKChildFile_Form::FileMain() const {
    return static_cast<TAppCmplx_Form*>(MainForm());
}

void TVRKChildFile_Form::SetFileName(const std::string& name) {
    FileName = name;
}

void TVRKChildFile_Form::Saved() {
    SetModified(false);
    RememberFileTime();
    if (FileMain()) FileMain()->SaveAsDir = FolderOf(FileName);
}

void TVRKChildFile_Form::MakeBackup() {
    core::MakeBackup(FileName);
}

void TVRKChildFile_Form::RememberFileTime() {
    int64_t t = 0;
    if (!Untitled && core::FileModTime(FileName, t)) FileTime = t;
}

void TVRKChildFile_Form::CheckFileTime() {
    if (Untitled || !Registered) return;
    int64_t t = 0;
    if (!core::FileModTime(FileName, t) || t <= FileTime) return;
    // Remembered before asking, so a re-activation during the question does
    // not ask again: one question per change.
    FileTime = t;
    std::string text = core::FormatText(
        core::LangText("<EN>File's time/date has changed<PL>Data pliku uległa zmianie<*>:\r\n"
                       "\"%s\".\r\n\r\n<EN>Reopen file?<PL>Wczytać plik ponownie?"),
        FileName.c_str());
    if (IsModified())
        text += "\r\n" + core::LangText(
                             "<EN>Warning: any current changes made to the file will be "
                             "lost.<PL>Ostrzeżenie: obecne zmiany wprowadzone do pliku zostaną "
                             "utracone.");
    if (MsgConfirm(text) == MsgResultYes) Reload();
}

void TVRKChildFile_Form::WriteFile(const std::string& name) {
    core::WriteFileBytes(name, WriteDocument());
}

void TVRKChildFile_Form::Save() {
    if (Untitled) {
        SaveAs();
        return;
    }
    try {
        // The bytes are made first: a document that cannot be written
        // faithfully must not cost the file on disk its backup slot.
        const std::string bytes = WriteDocument();
        MakeBackup();
        core::WriteFileBytes(FileName, bytes);
        Saved();
    } catch (const std::exception& e) {
        MsgError(core::FormatText(
            core::LangText("<EN>Error saving file<PL>Błąd zapisywania pliku<*>:\r\n\"%s\".\r\n"
                           "\r\n%s."),
            FileName.c_str(), e.what()));
        SetModified(true);
    }
}

// ---- TChldGen_Form ----

TChldGen_Form::TChldGen_Form(TAppCmplx_Form* mainForm) : TVRKChildFile_Form(mainForm) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    SetModified(true);
    SetUntitled(true);
    const std::string name = mainForm ? mainForm->NextUntitledName() : std::string("NoName");
    SetFileName(name);
    setWindowTitle(Q(name));

    connect(AddCommand("Save_FileMenu"), &QAction::triggered, this, [this] { Save(); });
    connect(AddCommand("SaveAs_FileMenu"), &QAction::triggered, this, [this] { SaveAs(); });
    connect(AddCommand("Export_FileMenu"), &QAction::triggered, this, [this] { Export(); });
    connect(AddCommand("Print_FileMenu"), &QAction::triggered, this, [this] { Print(); });

    Popup_Menu = new QMenu(this);
    Popup_Menu->setObjectName("Popup_Menu");
    for (const char* n : {"Duplicate_FileMenu", "Save_FileMenu", "SaveAs_FileMenu",
                          "Export_FileMenu", "Print_FileMenu"}) {
        auto* a = new QAction(Popup_Menu);
        a->setObjectName(QString::fromLatin1(n));
        Popup_Menu->addAction(a);
        connect(a, &QAction::triggered, this, [this, n] {
            if (!FileMain()) return;
            if (QAction* twin = FileMain()->FileAction(n)) twin->trigger();
        });
    }
    connect(Popup_Menu, &QMenu::aboutToShow, this, [this] { RefreshPopup(); });
}

void TChldGen_Form::RefreshPopup() {
    if (!FileMain()) return;
    FileMain()->UpdateFileMenu();
    for (QAction* a : Popup_Menu->actions()) {
        if (a->isSeparator() || a->objectName().isEmpty()) continue;
        if (QAction* twin = FileMain()->FileAction(a->objectName().toLatin1().constData())) {
            a->setText(twin->text());
            a->setStatusTip(twin->statusTip());
            a->setVisible(twin->isVisible());
            a->setEnabled(twin->isEnabled());
        }
    }
}

void TChldGen_Form::ApplyLanguage() {
    TChildMDI_Form::ApplyLanguage();
    if (FileMain()) {
        for (QAction* a : Popup_Menu->actions())
            if (QAction* twin = FileMain()->FileAction(a->objectName().toLatin1().constData())) {
                a->setText(twin->text());
                a->setStatusTip(twin->statusTip());
                a->setVisible(twin->isVisible());
            }
    }
}

void TChldGen_Form::AfterLanguageChange() {
    ApplyLanguage();
    PadMenuCaptions(Popup_Menu);
    update();
}

bool TChldGen_Form::HandleWindowMessage(TWindowMessage* m) {
    if (m->Message == WM_LanguageChanged) {
        AfterLanguageChange();
        return true;
    }
    return false;
}

void TChldGen_Form::ShowPopupMenu(const QPoint& local) {
    Popup_Menu->popup(mapToGlobal(local));
}

void TChldGen_Form::contextMenuEvent(QContextMenuEvent* e) {
    ShowPopupMenu(e->pos());
    e->accept();
}

void TChldGen_Form::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F10 && e->modifiers() == Qt::ShiftModifier) {
        ShowPopupMenu(QPoint(10, 10));
        e->accept();
        return;
    }
    TChildMDI_Form::keyPressEvent(e);
}

void TChldGen_Form::showEvent(QShowEvent* e) {
    TChildMDI_Form::showEvent(e);
    if (!Registered) Register();
}

void TChldGen_Form::Register() {
    Registered = true;
    if (TAppCmplx_Form* m = FileMain()) {
        const std::string folder = FolderOf(GetFileName());
        if (!folder.empty()) m->OpenDir = folder;
        m->RegisterChild(this);
    }
    ApplyLanguage();
    PadMenuCaptions(Popup_Menu);
    if (FileMain()) FileMain()->UpdateToolbar();
    RememberFileTime();
}

void TChldGen_Form::SaveAs() {
    TAppCmplx_Form* m = FileMain();
    if (!m) return;
    TFileDialogRequest r;
    r.DialogMode = TFileDialogRequest::Mode::Save;
    r.Title = core::LangText("<EN>Save file as...<PL>Zapisz plik jako...");
    if (IsUntitled()) {
        r.Folder = m->SaveAsDir;
    } else {
        r.FileName = GetFileName();
        r.Folder = FolderOf(GetFileName());
        if (r.Folder.empty()) r.Folder = m->SaveAsDir;
    }
    r.Filter = m->OpenFilter();
    r.DefaultExt = m->OpenDefaultExt();
    const auto chosen = RunFileDialog(this, r);
    if (chosen.empty()) return;
    if (!IsUntitled()) m->Recents().AddClosed(GetFileName());
    SetFileName(chosen.front());
    SetUntitled(false);
    setWindowTitle(Q(chosen.front()));
    Save();
    m->Recents().AddOpened(GetFileName());
}

std::string TChldGen_Form::ExportProposal(const std::string& fileName, bool untitled) {
    if (untitled) return {};
    const std::filesystem::path p(fileName);
    return p.stem().string();
}

void TChldGen_Form::Export() {
    TAppCmplx_Form* m = FileMain();
    if (!m || !CanExport()) return;
    TFileDialogRequest r;
    r.DialogMode = TFileDialogRequest::Mode::Save;
    r.Title = core::LangText("<EN>Export file...<PL>Eksportuj plik...");
    r.FileName = ExportProposal(GetFileName(), IsUntitled());
    r.Folder = IsUntitled() ? std::string() : FolderOf(GetFileName());
    if (r.Folder.empty()) r.Folder = m->ExportDir;
    r.Filter = m->ExportFilter();
    r.DefaultExt = m->ExportDefaultExt();
    const auto chosen = RunFileDialog(this, r);
    if (chosen.empty()) return;
    const std::string target = chosen.front();
    if (!PrepareExport()) return;
    try {
        core::MakeBackup(target);
        ExportFile(target);
        m->ExportDir = FolderOf(target);
    } catch (const std::exception& e) {
        MsgError(core::FormatText(
            core::LangText("<EN>Error exporting file<PL>Błąd eksportowania pliku<*>:\r\n"
                           "\"%s\".\r\n\r\n%s."),
            GetFileName().c_str(), e.what()));
    }
}

void TChldGen_Form::ExportFile(const std::string& name) {
    core::WriteFileBytes(name, WriteExport());
}

bool TChldGen_Form::CloseQuery() {
    if (IsModified()) {
        const int answer = MsgConfirm(core::FormatText(
            core::LangText("<EN>Changes in file not saved<PL>Zmiany w pliku nie zostały "
                           "zapisane<*>:\r\n\"%s\".\r\n\r\n<EN>Save now?<PL>Zapisać teraz?"),
            GetFileName().c_str()));
        if (answer == MsgResultCancel) return false;
        if (answer == MsgResultYes) {
            Save();
            if (IsModified()) return false;
        }
    }
    return true;
}

void TChldGen_Form::closeEvent(QCloseEvent* e) {
    if (!CloseQuery()) {
        e->ignore();
        return;
    }
    e->accept();
    if (MainForm())
        SendWindowMessage(MainForm(), WM_ChildClosed, reinterpret_cast<qintptr>(this), 0);
}

}  // namespace tallyra::gui
