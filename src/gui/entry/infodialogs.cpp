// SPDX-License-Identifier: GPL-3.0-or-later
#include "infodialogs.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "data/tpxdatainfo.h"
#include "shell/cp1250.h"
#include "shell/langtext.h"
#include "shell/langui.h"
#include "shell/modalrun.h"
#include "shell/msgbox.h"
#include "shell/tappgen.h"

namespace tallyra::gui {

namespace {

// What the find dialog remembers while the program runs.
struct TFindMemory {
    bool ByIdentifier = true;
    std::string Text;
};
TFindMemory& FindMemory() {
    static TFindMemory memory;
    return memory;
}

// The Help button of the information dialogs shows the data entry keyboard
// page of the window that opened them.
void ConnectHelp(TDlgGen_Form* dialog) {
    auto* window = dynamic_cast<TAppGen_Form*>(dialog->parentWidget());
    if (!window) {
        dialog->HelpButton()->hide();
        return;
    }
    QObject::connect(dialog->HelpButton(), &QPushButton::clicked, dialog,
                     [window] { window->ShowHelpContext(600); });
}

QString MemoText(const std::string& text) {
    // CR LF pairs are line breaks in the memo.
    QString t = Q(text);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return t;
}

}  // namespace

TMemoInfo_Form::TMemoInfo_Form(QWidget* parent, const char* title, const std::string& text)
    : TDlgGen_Form(parent) {
    TagTitle(this, title);
    MemoBox = new QPlainTextEdit(this);
    MemoBox->setObjectName("Memo");
    MemoBox->setReadOnly(true);
    MemoBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoBox->setPlainText(MemoText(text));
    ContentLayout()->addWidget(MemoBox);
    CancelButton()->hide();
    ConnectHelp(this);
    resize(460, 340);
}

TFieldInfo_Form::TFieldInfo_Form(QWidget* parent, const core::TPXDataHandler& store, int32_t field)
    : TMemoInfo_Form(parent, "<EN>Field information<PL>Informacja o polu",
                     core::FieldInfoText(store, field)) {
    setObjectName("FieldInfo_Form");
}

TContextInfo_Form::TContextInfo_Form(QWidget* parent, const core::TPXDataHandler& store)
    : TMemoInfo_Form(parent, "<EN>Context information<PL>Informacja o kontekście",
                     core::ContextInfoText(store)) {
    setObjectName("ContextInfo_Form");
}

TFreqInfo_Form::TFreqInfo_Form(QWidget* parent, const core::TFreqList& list)
    : TDlgGen_Form(parent) {
    setObjectName("FreqInfo_Form");
    TagTitle(this, "<EN>Frequency distribution<PL>Rozkład wartości");
    Freq_Label = new QLabel(this);
    Freq_Label->setObjectName("Freq_Label");
    TagText(Freq_Label, "<EN>List of &values<PL>Lista &wartości");
    Freq_StringGrid = new QTableWidget(this);
    Freq_StringGrid->setObjectName("Freq_StringGrid");
    Freq_Label->setBuddy(Freq_StringGrid);
    const core::TFreqRow titles = core::FreqTitles();
    const std::vector<core::TFreqRow> rows = core::FreqRows(list);
    Freq_StringGrid->setColumnCount(4);
    Freq_StringGrid->setRowCount(int(rows.size()));
    for (int c = 0; c < 4; ++c)
        Freq_StringGrid->setHorizontalHeaderItem(c, new QTableWidgetItem(Q(titles[size_t(c)])));
    for (size_t r = 0; r < rows.size(); ++r)
        for (int c = 0; c < 4; ++c) {
            // The value column holds data and labels (1250); the rest is ours.
            const std::string& cell = rows[r][size_t(c)];
            auto* item = new QTableWidgetItem(c == 0 ? Q(core::Cp1250ToUtf8(cell)) : Q(cell));
            if (c > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            Freq_StringGrid->setItem(int(r), c, item);
        }
    Freq_StringGrid->verticalHeader()->hide();
    Freq_StringGrid->verticalHeader()->setDefaultSectionSize(16);
    Freq_StringGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Freq_StringGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Freq_StringGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Freq_StringGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int c = 1; c < 4; ++c)
        Freq_StringGrid->setColumnWidth(c, 90);
    ContentLayout()->addWidget(Freq_Label);
    ContentLayout()->addWidget(Freq_StringGrid);
    Freq_StringGrid->installEventFilter(this);
    CancelButton()->hide();
    ConnectHelp(this);
    resize(520, 360);
}

void TFreqInfo_Form::FitFirstColumn() {
    int others = 0;
    for (int c = 1; c < 4; ++c)
        others += Freq_StringGrid->columnWidth(c) + (Freq_StringGrid->showGrid() ? 1 : 0);
    Freq_StringGrid->setColumnWidth(0, std::max(Freq_StringGrid->viewport()->width() - others, 40));
}

bool TFreqInfo_Form::eventFilter(QObject* watched, QEvent* e) {
    // The value column takes what the other three leave of the grid.
    if (watched == Freq_StringGrid && (e->type() == QEvent::Resize || e->type() == QEvent::Show))
        FitFirstColumn();
    return TDlgGen_Form::eventFilter(watched, e);
}

TTYSSearchData_Form::TTYSSearchData_Form(QWidget* parent, core::TPXDataHandler& store)
    : TDlgGen_Form(parent), Store(store) {
    setObjectName("TYSSearchData_Form");
    TagTitle(this, "<EN>Find record<PL>Znajdź rekord");
    FindRecordIndex_RadioButton = new QRadioButton(this);
    FindRecordIndex_RadioButton->setObjectName("FindRecordIndex_RadioButton");
    TagText(FindRecordIndex_RadioButton, "<EN>Inde&x<PL>Indek&s");
    FindRecordIdentifier_RadioButton = new QRadioButton(this);
    FindRecordIdentifier_RadioButton->setObjectName("FindRecordIdentifier_RadioButton");
    TagText(FindRecordIdentifier_RadioButton, "<EN>&Identifier<PL>&Identyfikator");
    auto* label = new QLabel(this);
    label->setObjectName("FindRecord_Label");
    TagText(label, "<EN>&Value<PL>&Wartość");
    FindRecord_Edit = new QLineEdit(this);
    FindRecord_Edit->setObjectName("FindRecord_Edit");
    label->setBuddy(FindRecord_Edit);
    ContentLayout()->addWidget(FindRecordIndex_RadioButton);
    ContentLayout()->addWidget(FindRecordIdentifier_RadioButton);
    ContentLayout()->addWidget(label);
    ContentLayout()->addWidget(FindRecord_Edit);
    HelpButton()->hide();

    TFindMemory& memory = FindMemory();
    bool hasIdentifier = false;
    for (int32_t i = 0; i < store.InstructionCount(); ++i)
        if (const core::TPXFieldInstruction* f = store.FieldAt(i); f && (f->Flags & core::ffRecId))
            hasIdentifier = true;
    FindRecordIdentifier_RadioButton->setEnabled(hasIdentifier);
    if (!hasIdentifier) memory.ByIdentifier = false;
    (memory.ByIdentifier ? FindRecordIdentifier_RadioButton : FindRecordIndex_RadioButton)
        ->setChecked(true);
    FindRecord_Edit->setText(Q(memory.Text));
    FindRecord_Edit->selectAll();
    FindRecord_Edit->setFocus();
}

void TTYSSearchData_Form::done(int result) {
    if (result != QDialog::Accepted) {
        TDlgGen_Form::done(result);
        return;
    }
    TFindMemory& memory = FindMemory();
    memory.ByIdentifier = FindRecordIdentifier_RadioButton->isChecked();
    memory.Text = S(FindRecord_Edit->text());
    // The dialog's text is UTF-8; identifiers are stored as 1250 bytes.
    const std::string error =
        core::FindRecord(Store, memory.ByIdentifier, core::Utf8ToCp1250(memory.Text));
    if (!error.empty()) {
        FindRecord_Edit->setFocus();
        MsgError(error);
        return;
    }
    TDlgGen_Form::done(result);
}

void ShowFieldInfo(QWidget* parent, const core::TPXDataHandler& store, int32_t field) {
    TFieldInfo_Form dialog(parent, store, field);
    RunModal(&dialog);
}

void ShowContextInfo(QWidget* parent, const core::TPXDataHandler& store) {
    TContextInfo_Form dialog(parent, store);
    RunModal(&dialog);
}

void ShowFreqInfo(QWidget* parent, const core::TFreqList& list) {
    TFreqInfo_Form dialog(parent, list);
    RunModal(&dialog);
}

bool ShowFindRecord(QWidget* parent, core::TPXDataHandler& store) {
    TTYSSearchData_Form dialog(parent, store);
    return RunModal(&dialog) == QDialog::Accepted;
}

}  // namespace tallyra::gui
