// SPDX-License-Identifier: GPL-3.0-or-later
// The information dialogs of the data entry window: field information and
// context information (a read-only memo), the frequency table of the current
// field, and the find record dialog.
#pragma once

#include <string>

#include "data/tpxdatahandler.h"
#include "shell/tformgen.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QTableWidget;

namespace tallyra::gui {

// A read-only memo filling the dialog; OK (also Esc) closes it.
class TMemoInfo_Form : public TDlgGen_Form {
public:
    TMemoInfo_Form(QWidget* parent, const char* title, const std::string& text);
    QPlainTextEdit* Memo() const { return MemoBox; }

private:
    QPlainTextEdit* MemoBox;
};

class TFieldInfo_Form : public TMemoInfo_Form {
public:
    TFieldInfo_Form(QWidget* parent, const core::TPXDataHandler& store, int32_t field);
};

class TContextInfo_Form : public TMemoInfo_Form {
public:
    TContextInfo_Form(QWidget* parent, const core::TPXDataHandler& store);
};

// The frequency table: value, frequency, percent, cumulative percent.
class TFreqInfo_Form : public TDlgGen_Form {
public:
    // `list` is the caller's (built by CountValues) and only read here.
    TFreqInfo_Form(QWidget* parent, const core::TFreqList& list);
    QTableWidget* Grid() const { return Freq_StringGrid; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void FitFirstColumn();
    QLabel* Freq_Label;
    QTableWidget* Freq_StringGrid;
};

// Finds a record by its number or its identifier; the mode and the text are
// remembered for the whole program run.
class TTYSSearchData_Form : public TDlgGen_Form {
public:
    // `store` is borrowed.
    TTYSSearchData_Form(QWidget* parent, core::TPXDataHandler& store);
    QRadioButton* IndexButton() const { return FindRecordIndex_RadioButton; }
    QRadioButton* IdentifierButton() const { return FindRecordIdentifier_RadioButton; }
    QLineEdit* ValueEdit() const { return FindRecord_Edit; }

    void done(int result) override;

private:
    core::TPXDataHandler& Store;
    QRadioButton* FindRecordIndex_RadioButton;
    QRadioButton* FindRecordIdentifier_RadioButton;
    QLineEdit* FindRecord_Edit;
};

// The commands: each shows its dialog modally.
void ShowFieldInfo(QWidget* parent, const core::TPXDataHandler& store, int32_t field);
void ShowContextInfo(QWidget* parent, const core::TPXDataHandler& store);
void ShowFreqInfo(QWidget* parent, const core::TFreqList& list);
// True when the store moved to a record (OK accepted).
bool ShowFindRecord(QWidget* parent, core::TPXDataHandler& store);

}  // namespace tallyra::gui
