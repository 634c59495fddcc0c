// SPDX-License-Identifier: GPL-3.0-or-later
// The viewer ("Tallyra Viewer"): the data station on an existing data file
// under the script editor's checked script, with the selection of fields and
// records and Save selection (the marked fields of the marked records as a
// new data file with its script and SPSS syntax).
#pragma once

#include <string>
#include <vector>

#include "data/tpddatahandler.h"
#include "tappstation.h"

namespace tallyra::gui {

class TAppTYPD_Form : public TAppTYStation_Form {
public:
    // `script` is the editor's checked script, borrowed and never freed; its
    // fields' selection marks are the viewer's field selection.
    TAppTYPD_Form(QWidget* parent, core::TPXDictionary& script);
    ~TAppTYPD_Form() override;

    std::string AppInfo(int index) const override;
    // Closing the script only forgets the editor's script (the station part
    // frees only a script the viewer opened itself from its toolbar).
    void UpdateCommands() override;

    // The viewer's store, or nullptr.
    core::TPDDataHandler* Viewer() const;
    // The field toggled last with FieldSel (an instruction index), -1 at first.
    int32_t Anchor() const { return SelectionAnchor; }

    // The Select menu.
    void ToggleField();
    void SelectFieldRange();
    void InvertFields();
    void SelectAllFields(bool selected);
    void ToggleRecord();
    void SelectRecordRanges();
    void InvertRecords();
    void SelectAllRecords(bool selected);
    // File > Save selection.
    void SaveSelection();
    // File > Export selection: the marked fields of the marked records as a
    // data set (.sav, .zsav, .por, .dta or .csv, from the chosen name), with
    // variable labels and without the 8/9 missing values; an existing file
    // keeps its ".bak" copy.
    void ExportSelection();

    // The idle refresh also draws the record panel in bold for a selected
    // record.
    void RefreshStatus() override;

protected:
    bool AllowsNewDataFile() const override { return false; }
    bool KeysData() const override { return false; }
    bool StartsOnFirstRecord() const override { return true; }
    bool ShowsLogo() const override { return false; }
    bool WritesSettings() const override { return false; }
    std::unique_ptr<core::TPXDataHandler> CreateStore(const std::string& name) override;
    void StartupDone() override;
    void showEvent(QShowEvent* e) override;

private:
    void BuildSelectMenu();
    void Recolour();
    int32_t FocusedField() const;
    // The marked fields, numbered among the script's fields from 0.
    std::vector<int32_t> SelectedFieldNumbers() const;

    int32_t SelectionAnchor = -1;
    bool Shown = false;
    QAction* SaveSel_Action = nullptr;
    QAction* ExportSel_Action = nullptr;
    QAction* RangeSel_Action = nullptr;
};

}  // namespace tallyra::gui
