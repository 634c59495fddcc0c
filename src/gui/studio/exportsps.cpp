// SPDX-License-Identifier: GPL-3.0-or-later
#include "exportsps.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/langui.h"
#include "shell/modalrun.h"

namespace tallyra::gui {

TExportSPS_Form::TExportSPS_Form(QWidget* parent) : TDlgGen_Form(parent) {
    setObjectName("ExportSPS_Form");
    TagTitle(this, "<*>SPSS Syntax");
    VarLab_CB = new QCheckBox(this);
    VarLab_CB->setObjectName("VarLab_CB");
    TagText(VarLab_CB, "<EN>&Variable labels<PL>&Etykiety zmiennych");
    VarLab_CB->setChecked(true);
    MisVal_GBox = new QGroupBox(this);
    MisVal_GBox->setObjectName("MisVal_GBox");
    TagText(MisVal_GBox, "<EN>Missing values<PL>Braki danych");
    auto* box = new QVBoxLayout(MisVal_GBox);
    Mis8_CB = new QCheckBox(MisVal_GBox);
    Mis8_CB->setObjectName("Mis8_CB");
    TagText(Mis8_CB, "<*>9..9&8");
    Mis9_CB = new QCheckBox(MisVal_GBox);
    Mis9_CB->setObjectName("Mis9_CB");
    TagText(Mis9_CB, "<*>9..9&9");
    box->addWidget(Mis8_CB);
    box->addWidget(Mis9_CB);
    ContentLayout()->addWidget(VarLab_CB);
    ContentLayout()->addWidget(MisVal_GBox);
    OkButton()->setObjectName("Done_Button");
    TagText(OkButton(), "<*>OK");
}

core::TSPSExportOptions TExportSPS_Form::Choices() const {
    core::TSPSExportOptions o;
    o.VariableLabels = VarLab_CB->isChecked();
    o.Missing8 = Mis8_CB->isChecked();
    o.Missing9 = Mis9_CB->isChecked();
    return o;
}

bool TExportSPS_Form::Ask(QWidget* parent, core::TSPSExportOptions& choices) {
    TExportSPS_Form dialog(parent);
    if (RunModal(&dialog) != QDialog::Accepted) return false;
    choices = dialog.Choices();
    return true;
}

}  // namespace tallyra::gui
