// SPDX-License-Identifier: GPL-3.0-or-later
// The merge's progress windows: a text box with one button, and the window
// that runs a merger at its first activation (the merge runs inside the
// window's message handling, letting pending events run between files),
// then offers OK. TGUIFileMerger writes the merge's text into the box.
#pragma once

#include <memory>

#include <QDialog>

#include "merge/tfilemerger.h"
#include "shell/tformgen.h"

class QPlainTextEdit;
class QPushButton;

namespace tallyra::gui {

// A merger whose text goes to a progress window's text box.
class TGUIFileMerger : public core::TFileMerger {
public:
    // `script`, `inputs` and `report` are borrowed (see TFileMerger); `memo`
    // is borrowed and may be null (attached later with SetMemo).
    TGUIFileMerger(const core::TPXDictionary& script, const std::vector<std::string>& inputs,
                   std::vector<std::string>& report, std::string outputName,
                   QPlainTextEdit* memo = nullptr);
    ~TGUIFileMerger() override;
    void SetMemo(QPlainTextEdit* memo);

private:
    std::unique_ptr<core::IMergeProgress> ToMemo;
};

class TProgressGen_Form : public QDialog, public TFormGen_Form {
public:
    explicit TProgressGen_Form(QWidget* owner);
    QWidget* Widget() override { return this; }
    void ApplyLanguage() override;

    QPlainTextEdit* Memo;
    QPushButton* Cancel_Button;

protected:
    bool event(QEvent* e) override;
};

class TProgressChecker_Form : public TProgressGen_Form {
public:
    // `merger` is borrowed and outlives the window; its text box becomes
    // this window's.
    TProgressChecker_Form(QWidget* owner, TGUIFileMerger* merger);

    // True once the merge has returned (successfully or with an error).
    bool MergeDone() const { return Done; }
    // The error text when the merge stopped with an error.
    const std::string& MergeError() const { return Error; }

protected:
    void FirstActivation() override;
    void reject() override;

private:
    TGUIFileMerger* Merger;
    bool Running = false;
    bool Done = false;
    bool CloseRequested = false;
    std::string Error;
};

}  // namespace tallyra::gui
