// SPDX-License-Identifier: GPL-3.0-or-later
// The Find and Replace dialogs of the editor windows.
#pragma once

#include <string>

#include "shell/tformgen.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace tallyra::gui {

class TFindDialog : public TDlgGen_Form {
public:
    enum class Result { Cancel, Find, Replace, ReplaceAll };
    // A Find dialog, or with `replace` a Replace dialog.
    TFindDialog(QWidget* parent, bool replace, const std::string& proposal);

    std::string FindText() const;
    std::string ReplaceText() const;
    bool CaseSensitive() const;
    bool WholeWord() const;
    bool Forward() const;
    Result Chosen() const { return Choice; }

private:
    QLineEdit* FindEdit;
    QLineEdit* ReplaceEdit = nullptr;
    QCheckBox* Case;
    QCheckBox* Word;
    QRadioButton* Down;
    Result Choice = Result::Cancel;
};

}  // namespace tallyra::gui
