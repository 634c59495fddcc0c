// SPDX-License-Identifier: GPL-3.0-or-later
// Adjudication of two keyings in Studio: Data > Compare data files runs the
// comparison of two data files under the checked script and shows its
// findings; for every differing field the user takes the first or the second
// keying's value or types another, and the resolved file (the first file's
// records with the chosen values) is written as a new data file. A chosen
// value passes the field's rules as in data entry (an invalid one is refused
// in its cell with the reason, an out-of-range one asks the force question),
// and both files stay under the reader lock while the window is open.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "shell/tformgen.h"
#include "verify/datacompare.h"
#include "verify/resolvedfile.h"

class QListWidget;
class QPushButton;
class QTableWidget;
class QLabel;

namespace tallyra::core {
class TPXDictionary;
}

namespace tallyra::gui {

class TAppMain_Form;

// The window of one comparison. `script` is borrowed and must outlive the
// window; `names` are the variable names by instruction index; `files` are
// the compared files, held (and their locks with them) until the window
// goes.
class TAdjudication_Form : public TDlgGen_Form {
public:
    TAdjudication_Form(QWidget* parent, const core::TPXDictionary& script,
                       core::TComparisonResult result, std::vector<std::string> names,
                       std::unique_ptr<core::TComparedFiles> files);
    ~TAdjudication_Form() override;

    // Table columns.
    enum { ColRecord, ColField, ColLeft, ColFirst, ColSecond, ColChosen, ColCount };

    const core::TComparisonResult& Result() const { return Comparison; }
    // The chosen value of a difference row (code page 1250), none yet when
    // empty.
    const std::optional<std::string>& Chosen(int row) const { return Choices[size_t(row)]; }
    // Choices of a row: the first or second keying's characters, or a typed
    // value (UTF-8, as the table shows it; empty takes the choice back). Each
    // goes through the field's rules: an invalid value is refused (the row
    // keeps no choice, its cell shows the value in red with the reason), an
    // out-of-range one is taken only when the force question is answered Yes.
    void ChooseFirst(int row);
    void ChooseSecond(int row);
    void ChooseText(int row, const std::string& utf8);
    // Why the last choice of a row was refused; empty when it was not.
    std::string Refusal(int row) const;
    // The chosen values for the first file's records; rows without a choice
    // keep the first keying's value and give none.
    std::vector<core::TResolvedValue> ResolvedValues() const;
    int UnresolvedCount() const;
    // Rows whose chosen value was forced out of range.
    int ForcedCount() const;

    // Save resolved file: asks for the target (a new file; the compared
    // files are refused by the writer), confirms unresolved rows, writes and
    // reports. True when a file was written.
    bool SaveResolved();
    // Writes the resolved file to `target`; failures go to the error box.
    bool WriteResolved(const std::string& target);

    QTableWidget* Differences_Table;
    QListWidget* Findings_List;  // records in one file only, repeated identifiers
    QLabel* Summary_Label;
    QLabel* Problem_Label;  // the reason of the last refused choice
    QPushButton* First_Button;
    QPushButton* Second_Button;
    QPushButton* Save_Button;

private:
    // Takes `text` (code page 1250) for a row after the field's rules;
    // `shown` is what the cell shows when it is refused.
    void Choose(int row, const std::string& text, bool typed, const std::string& shown);
    void ShowChoice(int row);
    void ChooseSelected(bool first);

    const core::TPXDictionary& Script;
    core::TComparisonResult Comparison;
    std::vector<std::string> Names;
    std::unique_ptr<core::TComparedFiles> Files;
    std::string FirstFile, SecondFile;
    std::vector<std::optional<std::string>> Choices;
    std::vector<char> Forced;
    std::vector<std::string> Refusals;
};

// Data > Compare data files: check the active script (nothing more unless it
// is usable), the two open dialogs, the comparison with the status-bar gauge,
// then the window (or, when the files agree, the summary in a box).
void CompareDataCommand(TAppMain_Form* main);

}  // namespace tallyra::gui
