// SPDX-License-Identifier: GPL-3.0-or-later
#include "checkoptdlg.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "script/tpxmessage.h"
#include "shell/langui.h"
#include "shell/modalrun.h"

namespace tallyra::gui {

namespace {

// Component names of the boxes, in bit order (bit k reports code mcUndefinedValue + k).
constexpr const char* BoxNames[8] = {
    "IndefiniteValue_CheckBox", "ConstantNotAuto_CheckBox", "NonNumericValue_CheckBox",
    "NotInRange_CheckBox",      "NonAutoInFilter_CheckBox", "NonAutoInGroup_CheckBox",
    "DoubleInGroup_CheckBox",   "WhyAuto_CheckBox",
};
constexpr int32_t FirstDataError = core::mcUndefinedValue;

}  // namespace

TDlgCheckOpt_Form::TDlgCheckOpt_Form(QWidget* parent, const std::string& question, uint8_t mask)
    : TDlgGen_Form(parent), Bits(mask) {
    setObjectName("DlgCheckOpt_Form");
    TagTitle(this, "<EN>Data validation<PL>Weryfikacja danych");
    Question = new QLabel(Q(question), this);
    Question->setObjectName("ComeLabel");
    QFont bold = Question->font();
    bold.setBold(true);
    Question->setFont(bold);
    ContentLayout()->addWidget(Question);
    auto* group = new QGroupBox(this);
    group->setObjectName("GroupBox");
    TagText(group,
            "<EN>Select the types of checks to do:<PL>Wybierz które błędy mają być "
            "zgłaszane:");
    auto* column = new QVBoxLayout(group);
    for (int bit = 0; bit < 8; ++bit) {
        auto* box = new QCheckBox(group);
        box->setObjectName(BoxNames[bit]);
        box->setProperty("Tag", 1 << bit);
        // The box texts are the catalogue texts of the data errors.
        box->setText(Q(core::PXMessageText(FirstDataError + bit)));
        box->setChecked(mask & (1u << bit));
        connect(box, &QCheckBox::toggled, this, [this, bit](bool on) {
            Bits = on ? uint8_t(Bits | (1u << bit)) : uint8_t(Bits & ~(1u << bit));
        });
        column->addWidget(box);
        CheckBoxes.push_back(box);
    }
    ContentLayout()->addWidget(group);
    HelpButton()->hide();
}

bool AskCheckOptions(QWidget* parent, const std::string& question, uint8_t& mask) {
    TDlgCheckOpt_Form dialog(parent, question, mask);
    if (RunModal(&dialog) != QDialog::Accepted) return false;
    mask = dialog.Mask();
    return true;
}

}  // namespace tallyra::gui
