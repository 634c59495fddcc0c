// SPDX-License-Identifier: GPL-3.0-or-later
// The record range dialog of the viewer: record numbers and ranges such as
// "1,3,5-12" or "4-", checked when OK is pressed.
#pragma once

#include <cstdint>

#include "data/tpddatahandler.h"
#include "shell/tformgen.h"

class QLineEdit;

namespace tallyra::gui {

class TRange_Form : public TDlgGen_Form {
public:
    // `fullCount` is the last record a "from-" range runs to.
    TRange_Form(QWidget* parent, int32_t fullCount);
    QLineEdit* Edit() const { return RangeEdit; }
    // The ranges read when OK was accepted.
    const core::TRecordRanges& Ranges() const { return Result; }
    void done(int result) override;

private:
    int32_t FullCount;
    QLineEdit* RangeEdit;
    core::TRecordRanges Result;
};

// Shows the dialog; true with `ranges` filled when OK was accepted.
bool AskRecordRanges(QWidget* parent, int32_t fullCount, core::TRecordRanges& ranges);

}  // namespace tallyra::gui
