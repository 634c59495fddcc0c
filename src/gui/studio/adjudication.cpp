// SPDX-License-Identifier: GPL-3.0-or-later
#include "adjudication.h"

#include <algorithm>
#include <filesystem>

#include <QAbstractItemView>
#include <QApplication>
#include <QBrush>
#include <QColor>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>

#include "exportdata.h"
#include "script/tpxdictionary.h"
#include "shell/cp1250.h"
#include "shell/errors.h"
#include "shell/format.h"
#include "shell/langtext.h"
#include "shell/langui.h"
#include "shell/modalrun.h"
#include "shell/msgbox.h"
#include "shell/privatetemp.h"
#include "spss/spssexport.h"
#include "tappmain.h"
#include "ttydchild.h"

namespace tallyra::gui {

namespace {

namespace fs = std::filesystem;

QTableWidgetItem* Cell(const std::string& utf8, bool editable) {
    auto* item = new QTableWidgetItem(Q(utf8));
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (editable) flags |= Qt::ItemIsEditable;
    item->setFlags(flags);
    return item;
}

// The editor of the chosen-value cells hands every committed text to the
// window, also one equal to what the cell shows (a refused value typed
// again, to be forced this time); the window sets the cell. The view
// commits an editor once, so the force question may open here.
class TChosenDelegate : public QStyledItemDelegate {
public:
    TChosenDelegate(QObject* parent, std::function<void(int, const std::string&)> commit)
        : QStyledItemDelegate(parent), Commit(std::move(commit)) {}
    void setModelData(QWidget* editor, QAbstractItemModel*,
                      const QModelIndex& index) const override {
        if (auto* line = qobject_cast<QLineEdit*>(editor)) Commit(index.row(), S(line->text()));
    }

private:
    std::function<void(int, const std::string&)> Commit;
};

// A script text as stored, without the quote characters around it.
std::string Unquoted(const std::string& stored) {
    return stored.size() >= 2 && (stored.front() == '\'' || stored.front() == '"') &&
                   stored.back() == stored.front()
               ? stored.substr(1, stored.size() - 2)
               : stored;
}

// Shown between quotes so that blanks at either end can be seen.
std::string Shown(const std::string& cp1250) {
    return "\"" + core::Cp1250ToUtf8(cp1250) + "\"";
}

}  // namespace

TAdjudication_Form::TAdjudication_Form(QWidget* parent, const core::TPXDictionary& script,
                                       core::TComparisonResult result,
                                       std::vector<std::string> names,
                                       std::unique_ptr<core::TComparedFiles> files)
    : TDlgGen_Form(parent),
      Script(script),
      Comparison(std::move(result)),
      Names(std::move(names)),
      Files(std::move(files)),
      FirstFile(Files->First()),
      SecondFile(Files->Second()),
      Choices(Comparison.Differences.size()),
      Forced(Comparison.Differences.size(), 0),
      Refusals(Comparison.Differences.size()) {
    setObjectName("Adjudication_Form");
    TagTitle(this, "<EN>Compare data files<PL>Porównanie plików danych");
    resize(900, 560);

    auto* filesLabel = new QLabel(this);
    filesLabel->setObjectName("Files_Label");
    filesLabel->setText(
        Q(core::FormatText(core::LangText("<EN>First: %s\nSecond: %s<PL>Pierwszy: %s\nDrugi: %s"),
                           FirstFile.c_str(), SecondFile.c_str())));
    ContentLayout()->addWidget(filesLabel);

    Differences_Table = new QTableWidget(int(Comparison.Differences.size()), ColCount, this);
    Differences_Table->setObjectName("Differences_Table");
    Differences_Table->setHorizontalHeaderLabels(
        {LT("<EN>Record<PL>Rekord"), LT("<EN>Field<PL>Pole"), LT("<EN>Left text<PL>Tekst"),
         LT("<EN>First<PL>Pierwszy"), LT("<EN>Second<PL>Drugi"),
         LT("<EN>Chosen value<PL>Wybrana wartość")});
    Differences_Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Differences_Table->setEditTriggers(QAbstractItemView::DoubleClicked |
                                       QAbstractItemView::EditKeyPressed |
                                       QAbstractItemView::AnyKeyPressed);
    Differences_Table->horizontalHeader()->setStretchLastSection(true);
    Differences_Table->verticalHeader()->setVisible(false);
    for (size_t i = 0; i < Comparison.Differences.size(); ++i) {
        const core::TFieldDifference& d = Comparison.Differences[i];
        const core::TPXFieldInstruction* f = Script.Instructions.Field(d.FieldIndex);
        const int row = int(i);
        Differences_Table->setItem(row, ColRecord, Cell(core::Cp1250ToUtf8(d.Key), false));
        Differences_Table->setItem(row, ColField,
                                   Cell(core::Cp1250ToUtf8(size_t(d.FieldIndex) < Names.size()
                                                               ? Names[size_t(d.FieldIndex)]
                                                               : std::string()),
                                        false));
        Differences_Table->setItem(
            row, ColLeft, Cell(core::Cp1250ToUtf8(f ? Unquoted(f->Left) : std::string()), false));
        Differences_Table->setItem(row, ColFirst, Cell(Shown(d.First), false));
        Differences_Table->setItem(row, ColSecond, Cell(Shown(d.Second), false));
        Differences_Table->setItem(row, ColChosen, Cell(std::string(), true));
    }
    Differences_Table->resizeColumnsToContents();
    ContentLayout()->addWidget(Differences_Table, 1);
    Problem_Label = new QLabel(this);
    Problem_Label->setObjectName("Problem_Label");
    Problem_Label->setStyleSheet("color: #b00000");
    Problem_Label->setWordWrap(true);
    Problem_Label->setVisible(false);
    ContentLayout()->addWidget(Problem_Label);
    // A double click on a keying takes it; the chosen cell is typed into.
    connect(Differences_Table, &QTableWidget::cellDoubleClicked, this, [this](int row, int col) {
        if (col == ColFirst) ChooseFirst(row);
        if (col == ColSecond) ChooseSecond(row);
    });
    Differences_Table->setItemDelegateForColumn(
        ColChosen, new TChosenDelegate(
                       this, [this](int row, const std::string& text) { ChooseText(row, text); }));

    auto* buttons = new QHBoxLayout;
    First_Button = new QPushButton(this);
    First_Button->setObjectName("First_Button");
    TagText(First_Button, "<EN>Take &first<PL>Weź &pierwszy");
    Second_Button = new QPushButton(this);
    Second_Button->setObjectName("Second_Button");
    TagText(Second_Button, "<EN>Take &second<PL>Weź &drugi");
    Save_Button = new QPushButton(this);
    Save_Button->setObjectName("Save_Button");
    TagText(Save_Button, "<EN>Save &resolved file...<PL>&Zapisz rozstrzygnięty plik...");
    buttons->addWidget(First_Button);
    buttons->addWidget(Second_Button);
    buttons->addStretch(1);
    buttons->addWidget(Save_Button);
    ContentLayout()->addLayout(buttons);
    connect(First_Button, &QPushButton::clicked, this, [this] { ChooseSelected(true); });
    connect(Second_Button, &QPushButton::clicked, this, [this] { ChooseSelected(false); });
    connect(Save_Button, &QPushButton::clicked, this, [this] { SaveResolved(); });
    const bool any = !Comparison.Differences.empty();
    First_Button->setEnabled(any);
    Second_Button->setEnabled(any);
    Save_Button->setEnabled(any);

    // Findings that have no value to choose, read-only.
    Findings_List = new QListWidget(this);
    Findings_List->setObjectName("Findings_List");
    Findings_List->setMaximumHeight(110);
    const auto keys = [this](const char* text, const std::vector<core::TRecordKey>& list) {
        const std::string selected = core::LangText(text);
        for (const core::TRecordKey& k : list)
            Findings_List->addItem(
                Q(core::FormatText(selected, core::Cp1250ToUtf8(k.Key).c_str())));
    };
    keys("<EN>Record %s only in the first file<PL>Rekord %s tylko w pierwszym pliku",
         Comparison.OnlyInFirst);
    keys("<EN>Record %s only in the second file<PL>Rekord %s tylko w drugim pliku",
         Comparison.OnlyInSecond);
    const auto repeated = [this](const char* text, const std::vector<std::string>& list) {
        const std::string selected = core::LangText(text);
        for (const std::string& k : list)
            Findings_List->addItem(Q(core::FormatText(selected, core::Cp1250ToUtf8(k).c_str())));
    };
    repeated(
        "<EN>Identifier %s repeated in the first file, its records not paired"
        "<PL>Identyfikator %s powtórzony w pierwszym pliku, jego rekordy bez pary",
        Comparison.DuplicatesFirst);
    repeated(
        "<EN>Identifier %s repeated in the second file, its records not paired"
        "<PL>Identyfikator %s powtórzony w drugim pliku, jego rekordy bez pary",
        Comparison.DuplicatesSecond);
    Findings_List->setVisible(Findings_List->count() > 0);
    ContentLayout()->addWidget(Findings_List);

    Summary_Label = new QLabel(this);
    Summary_Label->setObjectName("Summary_Label");
    std::string summary = core::ComparisonSummaryText(Comparison);
    for (size_t p = summary.find('\r'); p != std::string::npos; p = summary.find('\r'))
        summary.erase(p, 1);
    while (!summary.empty() && summary.back() == '\n')
        summary.pop_back();
    Summary_Label->setText(Q(summary));
    ContentLayout()->addWidget(Summary_Label);

    // The window closes with the Cancel button, captioned Close here.
    OkButton()->setVisible(false);
    HelpButton()->setVisible(false);
    CancelButton()->setDefault(false);
    TagText(CancelButton(), "<EN>Close<PL>Zamknij");
}

TAdjudication_Form::~TAdjudication_Form() = default;

void TAdjudication_Form::ShowChoice(int row) {
    const auto& c = Choices[size_t(row)];
    QTableWidgetItem* item = Differences_Table->item(row, ColChosen);
    item->setText(c ? Q(core::Cp1250ToUtf8(*c)) : QString());
    item->setData(Qt::ForegroundRole, QVariant());
    item->setData(Qt::BackgroundRole, QVariant());
    item->setToolTip(QString());
}

void TAdjudication_Form::Choose(int row, const std::string& text, bool typed,
                                const std::string& shown) {
    const size_t r = size_t(row);
    const core::TFieldDifference& d = Comparison.Differences[r];
    const core::TPXFieldInstruction* f = Script.Instructions.Field(d.FieldIndex);
    if (!f) return;
    core::TChosenCheck check = core::CheckChosenValue(*f, text, typed);
    bool taken = check.Kind == core::TChosenKind::Valid;
    // The same question as in entry; a forced value is counted.
    if (check.Kind == core::TChosenKind::OutOfRange)
        taken = MsgAskYesNo(check.Question) == MsgResultYes;
    if (taken) {
        Choices[r] = std::move(check.Text);
        Forced[r] = check.Kind == core::TChosenKind::OutOfRange;
        Refusals[r].clear();
        ShowChoice(row);
        Problem_Label->setVisible(false);
        return;
    }
    // Refused: the row keeps no choice, and its cell says why.
    Choices[r].reset();
    Forced[r] = 0;
    Refusals[r] = check.Reason;
    const std::string where = core::FormatText(
        core::LangText("<EN>Record %s, field %s: \"%s\" is refused. %s<PL>Rekord %s, pole %s: "
                       "\"%s\" odrzucono. %s"),
        core::Cp1250ToUtf8(d.Key).c_str(),
        core::Cp1250ToUtf8(size_t(d.FieldIndex) < Names.size() ? Names[size_t(d.FieldIndex)]
                                                               : std::string())
            .c_str(),
        shown.c_str(), check.Reason.c_str());
    QTableWidgetItem* item = Differences_Table->item(row, ColChosen);
    item->setText(Q(shown));
    item->setForeground(QBrush(QColor(0xb0, 0, 0)));
    item->setBackground(QBrush(QColor(0xff, 0xe0, 0xe0)));
    item->setToolTip(Q(check.Reason));
    Problem_Label->setText(Q(where));
    Problem_Label->setVisible(true);
    QApplication::beep();
}

void TAdjudication_Form::ChooseFirst(int row) {
    if (row < 0 || size_t(row) >= Choices.size()) return;
    const std::string& value = Comparison.Differences[size_t(row)].First;
    Choose(row, value, false, core::Cp1250ToUtf8(value));
}

void TAdjudication_Form::ChooseSecond(int row) {
    if (row < 0 || size_t(row) >= Choices.size()) return;
    const std::string& value = Comparison.Differences[size_t(row)].Second;
    Choose(row, value, false, core::Cp1250ToUtf8(value));
}

void TAdjudication_Form::ChooseText(int row, const std::string& utf8) {
    if (row < 0 || size_t(row) >= Choices.size()) return;
    // Clearing the cell takes the choice back.
    if (utf8.empty()) {
        Choices[size_t(row)].reset();
        Forced[size_t(row)] = 0;
        Refusals[size_t(row)].clear();
        ShowChoice(row);
        Problem_Label->setVisible(false);
        return;
    }
    Choose(row, core::Utf8ToCp1250(utf8), true, utf8);
}

std::string TAdjudication_Form::Refusal(int row) const {
    return row >= 0 && size_t(row) < Refusals.size() ? Refusals[size_t(row)] : std::string();
}

void TAdjudication_Form::ChooseSelected(bool first) {
    for (const QModelIndex& index : Differences_Table->selectionModel()->selectedRows())
        first ? ChooseFirst(index.row()) : ChooseSecond(index.row());
}

std::vector<core::TResolvedValue> TAdjudication_Form::ResolvedValues() const {
    std::vector<core::TResolvedValue> values;
    for (size_t i = 0; i < Choices.size(); ++i)
        if (Choices[i])
            values.push_back(core::ResolveDifference(Comparison.Differences[i], Comparison.By, true,
                                                     *Choices[i], Forced[i] != 0));
    return values;
}

int TAdjudication_Form::UnresolvedCount() const {
    return int(std::count_if(Choices.begin(), Choices.end(), [](const auto& c) { return !c; }));
}

int TAdjudication_Form::ForcedCount() const {
    return int(std::count(Forced.begin(), Forced.end(), 1));
}

bool TAdjudication_Form::SaveResolved() {
    if (const int open = UnresolvedCount(); open > 0) {
        const int answer = MsgConfirm(core::FormatText(
            core::LangText("<EN>Differences without a chosen value: %d.\r\nThey keep the value of "
                           "the first file.\r\n\r\nSave anyway?<PL>Różnice bez wybranej wartości: "
                           "%d.\r\nZachowają wartość z pierwszego pliku.\r\n\r\nZapisać mimo to?"),
            open, open));
        if (answer != MsgResultYes) return false;
    }
    TFileDialogRequest save;
    save.DialogMode = TFileDialogRequest::Mode::Save;
    save.Title = core::LangText("<EN>Save resolved file<PL>Zapisz rozstrzygnięty plik");
    save.Folder = fs::path(FirstFile).parent_path().string();
    save.FileName = fs::path(FirstFile).stem().string() + "-resolved.dat";
    save.Filter = DataFileFilter();
    save.DefaultExt = "dat";
    const std::vector<std::string> chosen = RunFileDialog(this, save);
    if (chosen.empty()) return false;
    return WriteResolved(chosen.front());
}

bool TAdjudication_Form::WriteResolved(const std::string& target) {
    core::TResolvedSummary summary;
    try {
        summary = core::WriteResolvedFile(Script, FirstFile, ResolvedValues(), target,
                                          {FirstFile, SecondFile}, Files.get());
    } catch (const core::ETallyraError& e) {
        MsgError(core::FormatText(
            core::LangText("<EN>Error saving file<PL>Błąd zapisywania pliku<*>:\r\n\"%s\".\r\n"
                           "\r\n%s"),
            target.c_str(), e.Text().c_str()));
        return false;
    }
    std::string text = core::FormatText(
        core::LangText("<EN>The resolved file was written:\r\n\"%s\".<PL>Zapisano rozstrzygnięty "
                       "plik:\r\n\"%s\"."),
        target.c_str());
    if (summary.Forced > 0)
        text += core::FormatText(core::LangText("<EN>\r\nValues forced out of range: %lld."
                                                "<PL>\r\nWartości wymuszone spoza zakresu: %lld."),
                                 static_cast<long long>(summary.Forced));
    MsgInformation(text);
    return true;
}

void CompareDataCommand(TAppMain_Form* main) {
    TTYDChild_Form* w = main ? main->ActiveScript() : nullptr;
    if (!w) return;
    w->CheckScript();
    if (!w->ScriptUsable()) return;
    std::vector<std::string> files;
    for (const char* title :
         {"<EN>Compare data files: first keying<PL>Porównaj pliki danych: pierwsze wprowadzenie",
          "<EN>Compare data files: second keying<PL>Porównaj pliki danych: drugie "
          "wprowadzenie"}) {
        files.push_back(AskDataFile(main, title));
        if (files.back().empty()) return;
    }
    const core::TPXDictionary& script = *w->CheckedScript();
    // Held from before the comparison until the window closes: no store
    // changes a keying while it is adjudicated.
    std::unique_ptr<core::TComparedFiles> held;
    try {
        held = std::make_unique<core::TComparedFiles>(files[0], files[1]);
    } catch (const core::ETallyraError& e) {
        MsgError(e.Text());
        return;
    }
    const std::string hint = core::LangText("<EN>Comparing data files<PL>Porównywanie plików");
    int shown = -1;
    core::TComparisonResult result;
    std::vector<std::string> names;
    try {
        // The names come from the text being edited, saved or not.
        {
            std::string tempName = fs::path(w->GetFileName()).filename().replace_extension(".tmp");
            core::TPrivateTempFile copy(tempName);
            copy.Write(w->TextBytes());
            copy.Close();
            names = core::FieldVariableNames(copy.Path(), script, core::SPSSVarSize());
        }
        main->SetProgress(hint, 0);
        result = core::CompareDataFiles(script, files[0], files[1], core::DefaultPairing(script),
                                        [&](int64_t done, int64_t total) {
                                            const int p = total > 0 ? int(done * 100 / total) : 100;
                                            if (p == shown) return;
                                            shown = p;
                                            main->SetProgress(hint, p);
                                        });
    } catch (const core::ETallyraError& e) {
        main->SetProgress(std::string(), -1);
        MsgError(e.Text());
        return;
    }
    main->SetProgress(std::string(), -1);
    if (result.Agree()) {
        MsgInformation(core::ComparisonSummaryText(result));
        return;
    }
    TAdjudication_Form window(main, script, std::move(result), std::move(names), std::move(held));
    RunModal(&window);
}

}  // namespace tallyra::gui
