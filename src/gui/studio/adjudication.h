// SPDX-License-Identifier: GPL-3.0-or-later
// Adjudication of two keyings in Studio: Data > Compare data files runs the
// comparison of two data files under the checked script and shows its
// findings; for every differing field the user takes the first or the second
// keying's value or types another, and the resolved file (the first file's
// records with the chosen values) is written as a new data file.
#pragma once

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
// window; `names` are the variable names by instruction index.
class TAdjudication_Form : public TDlgGen_Form {
public:
    TAdjudication_Form(QWidget* parent, const core::TPXDictionary& script,
                       core::TComparisonResult result, std::vector<std::string> names,
                       std::string first, std::string second);

    // Table columns.
    enum { ColRecord, ColField, ColLeft, ColFirst, ColSecond, ColChosen, ColCount };

    const core::TComparisonResult& Result() const { return Comparison; }
    // The chosen value of a difference row (code page 1250), none yet when
    // empty.
    const std::optional<std::string>& Chosen(int row) const { return Choices[size_t(row)]; }
    // Choices of a row: the first or second keying's characters, or a typed
    // value (UTF-8, as the table shows it).
    void ChooseFirst(int row);
    void ChooseSecond(int row);
    void ChooseText(int row, const std::string& utf8);
    // The chosen values for the first file's records; rows without a choice
    // keep the first keying's value and give none.
    std::vector<core::TResolvedValue> ResolvedValues() const;
    int UnresolvedCount() const;

    // Save resolved file: asks for the target (a new file; the compared
    // files are refused by the writer), confirms unresolved rows, writes and
    // reports. True when a file was written.
    bool SaveResolved();
    // Writes the resolved file to `target`; failures go to the error box.
    bool WriteResolved(const std::string& target);

    QTableWidget* Differences_Table;
    QListWidget* Findings_List;  // records in one file only, repeated identifiers
    QLabel* Summary_Label;
    QPushButton* First_Button;
    QPushButton* Second_Button;
    QPushButton* Save_Button;

private:
    void ShowChoice(int row);
    void ChooseSelected(bool first);

    const core::TPXDictionary& Script;
    core::TComparisonResult Comparison;
    std::vector<std::string> Names;
    std::string FirstFile, SecondFile;
    std::vector<std::optional<std::string>> Choices;
    bool Filling = false;
};

// Data > Compare data files: check the active script (nothing more unless it
// is usable), the two open dialogs, the comparison with the status-bar gauge,
// then the window (or, when the files agree, the summary in a box).
void CompareDataCommand(TAppMain_Form* main);

}  // namespace tallyra::gui
