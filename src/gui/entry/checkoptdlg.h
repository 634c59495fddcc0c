// SPDX-License-Identifier: GPL-3.0-or-later
// The check options dialog shown before a data check: the question, and one
// check box per kind of data error, bound to the bits of the check mask.
#pragma once

#include <cstdint>
#include <string>

#include <QList>

#include "shell/tformgen.h"

class QCheckBox;
class QLabel;

namespace tallyra::gui {

class TDlgCheckOpt_Form : public TDlgGen_Form {
public:
    // `question` is already selected (UTF-8); `mask` the current check mask.
    TDlgCheckOpt_Form(QWidget* parent, const std::string& question, uint8_t mask);
    // The mask as the boxes set it.
    uint8_t Mask() const { return Bits; }
    // The eight boxes in bit order.
    const QList<QCheckBox*>& Boxes() const { return CheckBoxes; }
    QLabel* ComeLabel() const { return Question; }

private:
    uint8_t Bits;
    QLabel* Question;
    QList<QCheckBox*> CheckBoxes;
};

// Shows the dialog modally; on OK stores the chosen mask in `mask` and
// returns true, on Cancel leaves it and returns false.
bool AskCheckOptions(QWidget* parent, const std::string& question, uint8_t& mask);

}  // namespace tallyra::gui
