// SPDX-License-Identifier: GPL-3.0-or-later
#include "tapptypd.h"

#include <filesystem>
#include <vector>

#include <QFont>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

#include "export/atomicoutput.h"
#include "export/dataexport.h"
#include "rangedlg.h"
#include "script/tpxdictionary.h"
#include "script/tscriptoptions.h"
#include "shell/errors.h"
#include "shell/format.h"
#include "shell/langtext.h"
#include "shell/langui.h"
#include "shell/msgbox.h"
#include "shell/objectmessages.h"
#include "spss/saveselection.h"
#include "spss/spssexport.h"
#include "spss/tvarcoll.h"

namespace tallyra::gui {

TAppTYPD_Form::TAppTYPD_Form(QWidget* parent, core::TPXDictionary& script)
    : TAppTYStation_Form(parent, false) {
    setObjectName("AppTYPD_Form");
    if (parent) setWindowFlag(Qt::Window);
    SetScript(&script);
    SetFindVisible(true);
    BuildSelectMenu();
    // Scripts come from the editor; the entry stays reachable from the
    // toolbar and its shortcut only.
    FileMenu()->removeAction(OpenDict_Action);
    Create();
    setWindowTitle(Q(TitleText()));
    resize(DesignedSize());
    UpdateCommands();
}

TAppTYPD_Form::~TAppTYPD_Form() {
    Shutdown();
}

std::string TAppTYPD_Form::AppInfo(int index) const {
    return TallyraAppInfo(index, "Tallyra Viewer");
}

core::TPDDataHandler* TAppTYPD_Form::Viewer() const {
    return static_cast<core::TPDDataHandler*>(Store());
}

std::unique_ptr<core::TPXDataHandler> TAppTYPD_Form::CreateStore(const std::string& name) {
    return core::TPDDataHandler::CreateForFile(*Script(), true, this, name);
}

void TAppTYPD_Form::StartupDone() {
    // The editor's command line names scripts, not data for this window:
    // the viewer only asks for its data file (posted when it is shown).
    TAppTYGen_Form::StartupDone();
}

void TAppTYPD_Form::showEvent(QShowEvent* e) {
    TAppTYStation_Form::showEvent(e);
    if (Shown) return;
    Shown = true;
    PostWindowMessage(this, WM_OpenDataRequest, 0, 0);
}

void TAppTYPD_Form::BuildSelectMenu() {
    QMenu* m = new QMenu(this);
    m->setObjectName("Select_Menu");
    Tag(m, "<EN>Select<PL>Wybierz",
        "<EN>Record and field selection functions<PL>Funkcje wybierania pól i rekordów");
    menuBar()->insertMenu(HelpMenu()->menuAction(), m);
    const auto add = [&](const char* name, const char* caption, const char* hint,
                         const QKeySequence& key, auto handler) {
        QAction* a = AddMenuAction(m, name, caption, hint, key);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    add("FieldSel_Action", "<EN>Select/unselect pole<PL>Wybierz/Pomiń pole",
        "<EN>Selects/unselected the current fields<PL>Wybiera/Pomija aktualne pole",
        QKeySequence(Qt::Key_F6), [this] { ToggleField(); });
    RangeSel_Action =
        add("RangeSel_Action", "<EN>Select a range of fields...<PL>Wybierz zakres pól...",
            "<EN>Selects a range of fields<PL>Wybiera zakres pól",
            QKeySequence(Qt::CTRL | Qt::Key_F6), [this] { SelectFieldRange(); });
    add("RevFieldSel_Action", "<EN>Switch field selections<PL>Odwróć wybór pól",
        "<EN>Makes selected fields unselected and vice versa<PL>Odwraca dokonany wybór", {},
        [this] { InvertFields(); });
    add("AllField_Action", "<EN>Select all fields<PL>Wybierz wszystkie pola",
        "<EN>Selects all fields<PL>Wybiera wszystkie pola", QKeySequence(Qt::CTRL | Qt::Key_A),
        [this] { SelectAllFields(true); });
    add("NoField_Action", "<EN>Unselect all fields<PL>Pomiń wszystkie pola",
        "<EN>Marks all fields as unselected<PL>Pomija wszystkie pola", {},
        [this] { SelectAllFields(false); });
    m->addSeparator();
    add("RecSel_Action", "<EN>Select/unselect record<PL>Wybierz/Pomiń rekord",
        "<EN>Selects the current record<PL>Wybiera aktualny rekord",
        QKeySequence(Qt::SHIFT | Qt::Key_F6), [this] { ToggleRecord(); });
    add("RangeRec_Action", "<EN>Select a range of records...<PL>Wybierz zakres rekordów...",
        "<EN>Selects a range of records<PL>Wybiera zakres rekordów",
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6), [this] { SelectRecordRanges(); });
    add("RevRecSel_Action", "<EN>Switch record selections<PL>Odwróć wybór rekordów",
        "<EN>Makes selected records unselected and vice versa<PL>Odwraca dokonany wybór "
        "rekordów",
        {}, [this] { InvertRecords(); });
    add("AllRec_Action", "<EN>Select all records<PL>Wybierz wszystkie rekordy",
        "<EN>Selects all records<PL>Wybiera wszystkie rekordy", QKeySequence(Qt::SHIFT | Qt::Key_A),
        [this] { SelectAllRecords(true); });
    add("NoRec_Action", "<EN>Unselect all records<PL>Pomiń wszystkie rekordy",
        "<EN>Marks all records as unselected<PL>Pomija wszystkie rekordy", {},
        [this] { SelectAllRecords(false); });
    connect(m, &QMenu::aboutToShow, this, [this] { UpdateCommands(); });

    SaveSel_Action = new QAction(FileMenu());
    SaveSel_Action->setObjectName("SaveSel_Action");
    Tag(SaveSel_Action, "<EN>Save selection<PL>Zapisz wybór",
        "<EN>Saves the selected data, script and SPSS syntax<PL>Zapisuje wybrane dane, skrypt i "
        "opis SPSS");
    connect(SaveSel_Action, &QAction::triggered, this, [this] { SaveSelection(); });
    FileMenu()->insertAction(CloseData_Action, SaveSel_Action);
    ExportSel_Action = new QAction(FileMenu());
    ExportSel_Action->setObjectName("ExportSel_Action");
    Tag(ExportSel_Action, "<EN>&Export selection...<PL>&Eksportuj wybór...",
        "<EN>Writes the selected data as an SPSS, Stata or CSV data set<PL>Zapisuje wybrane dane "
        "jako zbiór danych SPSS, Stata lub CSV");
    connect(ExportSel_Action, &QAction::triggered, this, [this] { ExportSelection(); });
    FileMenu()->insertAction(CloseData_Action, ExportSel_Action);
}

void TAppTYPD_Form::UpdateCommands() {
    TAppTYStation_Form::UpdateCommands();
    if (!RangeSel_Action) return;
    RangeSel_Action->setEnabled(SelectionAnchor >= 0 && FocusedField() >= 0);
    SaveSel_Action->setEnabled(Store() != nullptr);
    ExportSel_Action->setEnabled(Store() != nullptr);
    for (const char* name :
         {"RecSel_Action", "RangeRec_Action", "RevRecSel_Action", "AllRec_Action", "NoRec_Action"})
        if (QAction* a = Action(name)) a->setEnabled(Store() != nullptr);
}

// --- fields

int32_t TAppTYPD_Form::FocusedField() const {
    TPXEdit* edit = CurrentEdit();
    return edit ? edit->Model().FieldIndex() : -1;
}

void TAppTYPD_Form::Recolour() {
    for (const auto& edit : Editors())
        edit->Recolour();
    UpdateCommands();
}

namespace {

// Every field instruction of the script, with its index.
template <typename F>
void ForEachField(core::TPXDictionary& script, F f) {
    core::TPXInstructionList& list = script.Instructions;
    for (int32_t i = 0; i < list.Count(); ++i)
        if (list.Get(i)->Kind == core::ikField)
            f(i, *static_cast<core::TPXFieldInstruction*>(list.Get(i)));
}

}  // namespace

void TAppTYPD_Form::ToggleField() {
    const int32_t field = FocusedField();
    if (field < 0 || !Script()) return;
    auto* f = static_cast<core::TPXFieldInstruction*>(Script()->Instructions.Get(field));
    f->Selected = f->Selected ? 0 : 1;
    SelectionAnchor = field;
    Recolour();
}

void TAppTYPD_Form::SelectFieldRange() {
    const int32_t field = FocusedField();
    if (field < 0 || SelectionAnchor < 0 || !Script()) return;
    const int32_t lo = std::min(field, SelectionAnchor);
    const int32_t hi = std::max(field, SelectionAnchor);
    ForEachField(*Script(), [&](int32_t i, core::TPXFieldInstruction& f) {
        if (i >= lo && i <= hi) f.Selected = 1;
    });
    Recolour();
}

void TAppTYPD_Form::InvertFields() {
    if (!Script()) return;
    ForEachField(*Script(),
                 [](int32_t, core::TPXFieldInstruction& f) { f.Selected = f.Selected ? 0 : 1; });
    Recolour();
}

void TAppTYPD_Form::SelectAllFields(bool selected) {
    if (!Script()) return;
    ForEachField(*Script(),
                 [selected](int32_t, core::TPXFieldInstruction& f) { f.Selected = selected; });
    Recolour();
}

// --- records

void TAppTYPD_Form::ToggleRecord() {
    if (core::TPDDataHandler* v = Viewer()) v->ToggleSelected(v->Context().Rec);
    RefreshStatus();
}

void TAppTYPD_Form::SelectRecordRanges() {
    core::TPDDataHandler* v = Viewer();
    if (!v) return;
    core::TRecordRanges ranges;
    if (AskRecordRanges(this, v->FullCount(), ranges)) v->ApplyRanges(ranges);
    RefreshStatus();
}

void TAppTYPD_Form::InvertRecords() {
    if (core::TPDDataHandler* v = Viewer()) v->InvertSelection();
    RefreshStatus();
}

void TAppTYPD_Form::SelectAllRecords(bool selected) {
    if (core::TPDDataHandler* v = Viewer()) v->SelectAll(selected);
    RefreshStatus();
}

void TAppTYPD_Form::RefreshStatus() {
    TAppTYStation_Form::RefreshStatus();
    core::TPDDataHandler* v = Viewer();
    const bool bold = v && v->IsSelected(v->Context().Rec);
    QLabel* panel = StatusPanel(0);
    if (panel->font().bold() != bold) {
        QFont f = panel->font();
        f.setBold(bold);
        panel->setFont(f);
    }
}

// --- save selection

std::vector<int32_t> TAppTYPD_Form::SelectedFieldNumbers() const {
    std::vector<int32_t> fields;
    int32_t k = 0;
    ForEachField(*Script(), [&](int32_t, core::TPXFieldInstruction& f) {
        if (f.Selected) fields.push_back(k);
        ++k;
    });
    return fields;
}

void TAppTYPD_Form::SaveSelection() {
    core::TPDDataHandler* v = Viewer();
    if (!v || !Script()) return;
    const std::vector<int32_t> fields = SelectedFieldNumbers();
    const core::TRecordSelection records = [v](int64_t r) { return v->IsSelected(int32_t(r)); };
    try {
        // The refusals come before any dialog.
        const core::TSaveSelectionSummary summary =
            core::CheckSaveSelection(*Script(), v->FileName(), fields, records, std::string(),
                                     std::string(), core::TDataFileLock::HeldByCaller);
        MsgInformation(summary.Information());
    } catch (const core::ETallyraError& e) {
        MsgError(e.Text());
        return;
    }
    TFileDialogRequest r;
    r.DialogMode = TFileDialogRequest::Mode::Save;
    r.Title = core::LangText("<EN>Save file as...<PL>Zapisz plik jako...");
    r.Folder = SaveAsDir;
    r.DefaultExt = "dat";
    r.Filter = DataFileFilter();
    r.ConfirmOverwrite = false;  // the three files are asked about together below
    const std::vector<std::string> chosen = RunFileDialog(this, r);
    if (chosen.empty()) return;
    const std::string name = chosen.front();
    SaveAsDir = std::filesystem::path(name).parent_path().string();
    const std::string existing = core::ExistingSaveSelectionFiles(core::SaveSelectionNames(name));
    if (!existing.empty() &&
        MsgAskYesNo(core::SaveSelectionOverwriteQuestion(existing)) != MsgResultYes)
        return;
    try {
        v->SaveRecord();
        core::SaveSelection(*Script(), v->FileName(), fields, records, name, core::SPSSVarSize(),
                            std::string(), core::TDataFileLock::HeldByCaller);
    } catch (const core::ETallyraError& e) {
        MsgError(e.Text());
    }
}

void TAppTYPD_Form::ExportSelection() {
    core::TPDDataHandler* v = Viewer();
    if (!v || !Script()) return;
    core::TDataExportOptions options;
    options.Fields = SelectedFieldNumbers();
    options.Records.emplace();
    for (int32_t r = 1; r <= v->FullCount(); ++r)
        if (v->IsSelected(r)) options.Records->push_back(r);
    // The refusals come before any dialog.
    if (options.Records->empty()) {
        MsgError(core::LangText("<EN>No records selected.<PL>Nie wybrano żadnych rekordów."));
        return;
    }
    if (options.Fields.empty()) {
        MsgError(core::LangText("<EN>No fields selected.<PL>Nie wybrano żadnych pól."));
        return;
    }
    TFileDialogRequest r;
    r.DialogMode = TFileDialogRequest::Mode::Save;
    r.Title = core::LangText("<EN>Export selection<PL>Eksportuj wybór");
    r.Folder = ExportDir.empty() ? SaveAsDir : ExportDir;
    r.FileName = std::filesystem::path(v->FileName()).stem().string();
    r.DefaultExt = "sav";
    r.Filter = core::DataSetFileFilter();
    const std::vector<std::string> chosen = RunFileDialog(this, r);
    if (chosen.empty()) return;
    const std::string target = std::filesystem::absolute(chosen.front()).string();
    ExportDir = std::filesystem::path(target).parent_path().string();
    const char* const failed =
        "<EN>Error exporting file<PL>Błąd eksportowania pliku<*>:\r\n\"%s\".\r\n\r\n%s";
    const auto format = core::DataSetFormatFromName(target);
    if (!format) {
        MsgError(core::FormatText(
            core::LangText(failed), target.c_str(),
            core::LangText("<EN>The file name must end in .sav, .zsav, .por, .dta or .csv.<PL>"
                           "Nazwa pliku musi kończyć się na .sav, .zsav, .por, .dta lub .csv.")
                .c_str()));
        return;
    }
    options.Format = *format;
    options.DataLock = core::TDataFileLock::HeldByCaller;
    const std::string hint = core::LangText("<EN>Exporting data<PL>Eksport danych");
    int shown = -1;
    options.Progress = [this, &hint, &shown](int64_t done, int64_t total) {
        const int percent = total > 0 ? int(done * 100 / total) : 100;
        if (percent == shown) return;
        shown = percent;
        SetProgress(hint, percent);
    };
    try {
        v->SaveRecord();
        const auto vars = core::BuildDictionaryVars(*Script(), core::SPSSVarSize());
        core::TBackedUpTarget slot(target, {v->FileName()});
        const core::TDataExportSummary summary =
            core::ExportDataSet(*Script(), *vars, v->FileName(), target, options);
        slot.Keep();
        SetProgress(std::string(), -1);
        MsgInformation(core::FormatText(
            core::LangText("<EN>%lld records, %d variables written to %s.<PL>Zapisano %lld "
                           "rekordów, %d zmiennych do %s."),
            static_cast<long long>(summary.Records), summary.Variables, target.c_str()));
    } catch (const core::EPXData&) {
        SetProgress(std::string(), -1);
        MsgError(core::FormatText(core::LangText(failed), target.c_str(),
                                  core::DataMismatchText(v->FileName()).c_str()));
    } catch (const core::ETallyraError& e) {
        SetProgress(std::string(), -1);
        MsgError(core::FormatText(core::LangText(failed), target.c_str(), e.Text().c_str()));
    }
}

}  // namespace tallyra::gui
