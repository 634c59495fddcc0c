// SPDX-License-Identifier: GPL-3.0-or-later
// The options dialog of the SPSS export: variable labels and the two
// missing-value choices, not remembered between exports.
#pragma once

#include "shell/tformgen.h"
#include "spss/spssexport.h"

class QCheckBox;
class QGroupBox;

namespace tallyra::gui {

class TExportSPS_Form : public TDlgGen_Form {
public:
    explicit TExportSPS_Form(QWidget* parent);

    core::TSPSExportOptions Choices() const;
    // Shows the dialog modally; true and the choices on OK.
    static bool Ask(QWidget* parent, core::TSPSExportOptions& choices);

    QCheckBox* VarLab_CB;
    QGroupBox* MisVal_GBox;
    QCheckBox* Mis8_CB;
    QCheckBox* Mis9_CB;
};

}  // namespace tallyra::gui
