// SPDX-License-Identifier: GPL-3.0-or-later
#include "rangedlg.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/langui.h"
#include "shell/modalrun.h"
#include "shell/msgbox.h"

namespace tallyra::gui {

TRange_Form::TRange_Form(QWidget* parent, int32_t fullCount)
    : TDlgGen_Form(parent), FullCount(fullCount) {
    setObjectName("Range_Form");
    TagTitle(this, "<EN>Record range selection<PL>Wybór zakresu rekordów");
    auto* prompt = new QLabel(this);
    prompt->setObjectName("Prompt_Label");
    TagText(prompt,
            "<EN>Enter record numbers and/or record ranges\nseparated by colons, e.g. "
            "1,3,5-12<PL>Wprowadź numery rekordów i/lub zakresy rekordów\noddzielone "
            "przecinkami, na przykład 1,3,5-12");
    RangeEdit = new QLineEdit(this);
    RangeEdit->setObjectName("Edit");
    prompt->setBuddy(RangeEdit);
    ContentLayout()->addWidget(prompt);
    ContentLayout()->addWidget(RangeEdit);
    HelpButton()->hide();
    RangeEdit->setFocus();
}

void TRange_Form::done(int result) {
    if (result == QDialog::Accepted) {
        const auto ranges = core::ParseRangeText(S(RangeEdit->text()), FullCount);
        if (!ranges) {
            MsgError(core::InvalidRangeText());
            RangeEdit->setFocus();
            return;
        }
        Result = *ranges;
    }
    TDlgGen_Form::done(result);
}

bool AskRecordRanges(QWidget* parent, int32_t fullCount, core::TRecordRanges& ranges) {
    TRange_Form dialog(parent, fullCount);
    if (RunModal(&dialog) != QDialog::Accepted) return false;
    ranges = dialog.Ranges();
    return true;
}

}  // namespace tallyra::gui
