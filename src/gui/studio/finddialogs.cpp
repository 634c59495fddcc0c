// SPDX-License-Identifier: GPL-3.0-or-later
#include "finddialogs.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "shell/langui.h"

namespace tallyra::gui {

TFindDialog::TFindDialog(QWidget* parent, bool replace, const std::string& proposal)
    : TDlgGen_Form(parent) {
    setObjectName(replace ? "Replace_Form" : "Find_Form");
    TagTitle(this, replace ? "<EN>Replace text<PL>Zamień tekst" : "<EN>Find text<PL>Znajdź tekst");
    auto* form = new QFormLayout;
    FindEdit = new QLineEdit(Q(proposal), this);
    FindEdit->setObjectName("Find_Edit");
    auto* findLabel = new QLabel(this);
    TagText(findLabel, "<EN>&Text to find:<PL>&Szukany tekst:");
    findLabel->setBuddy(FindEdit);
    form->addRow(findLabel, FindEdit);
    if (replace) {
        ReplaceEdit = new QLineEdit(this);
        ReplaceEdit->setObjectName("Replace_Edit");
        auto* label = new QLabel(this);
        TagText(label, "<EN>&Replace with:<PL>&Zamień na:");
        label->setBuddy(ReplaceEdit);
        form->addRow(label, ReplaceEdit);
    }
    ContentLayout()->addLayout(form);
    Case = new QCheckBox(this);
    TagText(Case, "<EN>&Case sensitive<PL>&Uwzględniaj wielkość liter");
    Word = new QCheckBox(this);
    TagText(Word, "<EN>&Whole words only<PL>Tylko &całe słowa");
    ContentLayout()->addWidget(Case);
    ContentLayout()->addWidget(Word);
    auto* direction = new QGroupBox(this);
    TagText(direction, "<EN>Direction<PL>Kierunek");
    auto* dl = new QHBoxLayout(direction);
    Down = new QRadioButton(direction);
    TagText(Down, "<EN>&Forward<PL>W &przód");
    auto* up = new QRadioButton(direction);
    TagText(up, "<EN>&Backward<PL>W &tył");
    Down->setChecked(true);
    dl->addWidget(Down);
    dl->addWidget(up);
    ContentLayout()->addWidget(direction);
    HelpButton()->hide();
    if (replace) {
        TagText(OkButton(), "<EN>&Replace<PL>&Zamień");
        auto* all = new QPushButton(this);
        TagText(all, "<EN>Replace &all<PL>Zamień &wszystkie");
        ContentLayout()->addWidget(all);
        connect(all, &QPushButton::clicked, this, [this] {
            Choice = Result::ReplaceAll;
            QDialog::accept();
        });
        connect(this, &QDialog::accepted, this, [this] {
            if (Choice == Result::Cancel) Choice = Result::Replace;
        });
    } else {
        TagText(OkButton(), "<EN>&Find<PL>&Znajdź");
        connect(this, &QDialog::accepted, this, [this] { Choice = Result::Find; });
    }
    FindEdit->selectAll();
    FindEdit->setFocus();
}

std::string TFindDialog::FindText() const {
    return S(FindEdit->text());
}
std::string TFindDialog::ReplaceText() const {
    return ReplaceEdit ? S(ReplaceEdit->text()) : "";
}
bool TFindDialog::CaseSensitive() const {
    return Case->isChecked();
}
bool TFindDialog::WholeWord() const {
    return Word->isChecked();
}
bool TFindDialog::Forward() const {
    return Down->isChecked();
}

}  // namespace tallyra::gui
