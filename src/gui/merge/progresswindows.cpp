// SPDX-License-Identifier: GPL-3.0-or-later
#include "progresswindows.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/errors.h"
#include "shell/langtext.h"
#include "shell/langui.h"
#include "shell/msgbox.h"

namespace tallyra::gui {

namespace {

// Appends the merge's text to the last line of the box and lets the window
// system show it at once.
class TMemoProgress : public core::IMergeProgress {
public:
    explicit TMemoProgress(QPlainTextEdit* memo) : Memo(memo) {}
    void AppendText(const std::string& text) override {
        if (!Memo) return;
        QString t = Q(text);
        t.replace("\r\n", "\n");
        QTextCursor c = Memo->textCursor();
        c.movePosition(QTextCursor::End);
        c.insertText(t);
        Memo->setTextCursor(c);
    }
    void ProcessPendingEvents() override { QApplication::processEvents(); }

private:
    QPlainTextEdit* Memo;
};

}  // namespace

TGUIFileMerger::TGUIFileMerger(const core::TPXDictionary& script,
                               const std::vector<std::string>& inputs,
                               std::vector<std::string>& report, std::string outputName,
                               QPlainTextEdit* memo)
    : TFileMerger(script, inputs, report, std::move(outputName)) {
    SetMemo(memo);
}

TGUIFileMerger::~TGUIFileMerger() {
    SetProgress(nullptr);
}

void TGUIFileMerger::SetMemo(QPlainTextEdit* memo) {
    ToMemo = memo ? std::make_unique<TMemoProgress>(memo) : nullptr;
    SetProgress(ToMemo.get());
}

TProgressGen_Form::TProgressGen_Form(QWidget* owner) : QDialog(owner) {
    setObjectName("ProgressGen_Form");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    auto* box = new QVBoxLayout(this);
    Memo = new QPlainTextEdit(this);
    Memo->setObjectName("Memo");
    Memo->setReadOnly(true);
    Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo->clear();
    box->addWidget(Memo, 1);
    auto* row = new QHBoxLayout;
    Cancel_Button = new QPushButton(this);
    Cancel_Button->setObjectName("Cancel_Button");
    TagText(Cancel_Button, "<EN>Cancel<PL>Anuluj");
    Cancel_Button->setDefault(true);
    row->addStretch();
    row->addWidget(Cancel_Button);
    row->addStretch();
    box->addLayout(row);
    connect(Cancel_Button, &QPushButton::clicked, this, &QDialog::reject);
    resize(520, 360);
    PostFirstActivation();
}

void TProgressGen_Form::ApplyLanguage() {
    ApplyLanguageTo(this);
}

bool TProgressGen_Form::event(QEvent* e) {
    if (DispatchWindowEvent(e)) return true;
    return QDialog::event(e);
}

TProgressChecker_Form::TProgressChecker_Form(QWidget* owner, TGUIFileMerger* merger)
    : TProgressGen_Form(owner), Merger(merger) {
    setObjectName("ProgressChecker_Form");
    TagTitle(this, "<EN>Merging data<PL>Łączenie danych<*>...");
    if (Merger) Merger->SetMemo(Memo);
}

void TProgressChecker_Form::FirstActivation() {
    if (!Merger || Running || Done) return;
    Running = true;
    try {
        Merger->Run();
    } catch (const std::exception& e) {
        // The text written so far stays; the reason follows it.
        Error = e.what();
        Memo->appendPlainText(Q(Error));
        MsgError(Error);
    }
    Running = false;
    Done = true;
    TagText(Cancel_Button, "<EN>OK<PL>OK");
    if (CloseRequested) QDialog::reject();
}

void TProgressChecker_Form::reject() {
    // The button does not interrupt a running merge: the window closes as
    // soon as the merge returns.
    if (Running) {
        CloseRequested = true;
        return;
    }
    QDialog::reject();
}

}  // namespace tallyra::gui
