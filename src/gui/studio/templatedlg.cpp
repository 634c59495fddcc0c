// SPDX-License-Identifier: GPL-3.0-or-later
#include "templatedlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "shell/langtext.h"
#include "shell/langui.h"
#include "shell/msgbox.h"

namespace tallyra::gui {

using core::TTemplateBox;

TTemplate_Form::TTemplate_Form(QWidget* parent, const char* name, const char* caption)
    : TDlgGen_Form(parent) {
    setObjectName(name);
    TagTitle(this, caption);
    Form = new QFormLayout;
    ContentLayout()->addLayout(Form);
    OkButton()->setObjectName("Done_Button");
    TagText(OkButton(), "<*>OK");
}

QLineEdit* TTemplate_Form::AddEdit(const char* name, const char* caption, int maxLength,
                                   TTemplateBox box) {
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    if (maxLength > 0) e->setMaxLength(maxLength);
    auto* label = new QLabel(this);
    TagText(label, caption);
    label->setBuddy(e);
    Form->addRow(label, e);
    if (box != TTemplateBox::None) Boxes.insert(int(box), e);
    // Typing starts in the first box, not on the buttons created before it.
    if (Form->rowCount() == 1) e->setFocus();
    return e;
}

QCheckBox* TTemplate_Form::AddCheck(const char* name, const char* caption) {
    auto* c = new QCheckBox(this);
    c->setObjectName(name);
    TagText(c, caption);
    Form->addRow(c);
    return c;
}

QRadioButton* TTemplate_Form::AddRadio(const char* name, const char* caption) {
    auto* r = new QRadioButton(this);
    r->setObjectName(name);
    TagText(r, caption);
    return r;
}

void TTemplate_Form::done(int result) {
    if (result != QDialog::Accepted) {
        TDlgGen_Form::done(result);
        return;
    }
    const core::TTemplateCheck check = Validate();
    if (!check.Valid()) {
        MsgError(check.Error);
        if (QLineEdit* e = BoxEdit(check.ErrorBox)) {
            e->setFocus();
            e->selectAll();
        }
        return;
    }
    int outcome = QDialog::Accepted;
    if (!check.Warnings.empty()) {
        const int answer = MsgConfirm(core::WarningQuestion(check.Warnings));
        if (answer == MsgResultYes) return;
        if (answer == MsgResultCancel) outcome = QDialog::Rejected;
    }
    Commit();
    TDlgGen_Form::done(outcome);
}

namespace {

QString Num(int32_t n) {
    return QString::number(n);
}

}  // namespace

// ---- group ----

TInsGroup_Form::TInsGroup_Form(QWidget* parent, core::TInsGroup_Data& data)
    : TTemplate_Form(parent, "InsGroup_Form", "<EN>Insert group<PL>Wstaw grupę"),
      Data(data),
      Work(data) {
    Prefix_Edit = AddEdit("Prefix_Edit", "<EN>&Prefix<PL>&Prefiks", 5, TTemplateBox::Prefix);
    Number_Edit =
        AddEdit("Number_Edit", "<EN>Number of f&ields<PL>L&iczba pól", 2, TTemplateBox::Count);
    Width_Edit =
        AddEdit("Width_Edit", "<EN>Field &width<PL>&Szerokość pola", 1, TTemplateBox::Width);
    Label_Edit = AddEdit("Label_Edit", "<EN>Field &lables<PL>&Etykiety pól", 0);
    Letters_Button = AddRadio("Letters_Button", "<EN>le&tter numbering<PL>numeracja &literowa");
    Numbers_Button = AddRadio("Numbers_Button", "<EN>n&umber numbering<PL>numeracja licz&bowa");
    Form->addRow(Letters_Button);
    Form->addRow(Numbers_Button);
    Group_CheckBox = AddCheck("Group_CheckBox", "<EN>&group - label<PL>&grupa - etykieta");
    Filter_CheckBox = AddCheck("Filter_CheckBox", "<EN>&filtered<PL>&filtrowane");
    Prefix_Edit->setText(Q(data.Prefix));
    Number_Edit->setText(Num(data.Count));
    Width_Edit->setText(Num(data.Width));
    Label_Edit->setText(Q(data.Label));
    (data.Numbering == core::nbLetters ? Letters_Button : Numbers_Button)->setChecked(true);
    Group_CheckBox->setChecked(data.GroupFlag);
    Filter_CheckBox->setChecked(data.Filtered);
}

core::TTemplateCheck TInsGroup_Form::Validate() {
    Work = Data;
    Work.Numbering = Letters_Button->isChecked() ? core::nbLetters : core::nbNumbers;
    Work.GroupFlag = Group_CheckBox->isChecked();
    Work.Filtered = Filter_CheckBox->isChecked();
    core::TTemplateInput in;
    in.Prefix = S(Prefix_Edit->text());
    in.Count = S(Number_Edit->text());
    in.Width = S(Width_Edit->text());
    in.Label = S(Label_Edit->text());
    CountDigits = int(Number_Edit->text().trimmed().size());
    return core::CheckGroup(in, Work);
}

// ---- multi-choice ----

TInsMulti_Form::TInsMulti_Form(QWidget* parent, core::TInsMulti_Data& data)
    : TTemplate_Form(parent, "InsMulti_Form",
                     "<EN>Insert multi-choice<PL>Wstaw pytanie wielokrotnego wyboru"),
      Data(data),
      Work(data) {
    Prefix_Edit = AddEdit("Prefix_Edit", "<EN>&Prefix<PL>&Prefiks", 5, TTemplateBox::Prefix);
    Number_Edit =
        AddEdit("Number_Edit", "<EN>Number of &fields<PL>Liczba &pól", 3, TTemplateBox::Count);
    Other_Edit = AddEdit("Other_Edit", "<EN>Number of &text fields<PL>Liczba pól &tekstowych", 1,
                         TTemplateBox::TextCount);
    Label_Edit = AddEdit("Label_Edit", "<EN>Text &label<PL>&Etykieta tekstu", 0);
    None_CheckBox = AddCheck("None_CheckBox", "<EN>&none<PL>&żadne");
    DontKnow_CheckBox = AddCheck("DontKnow_CheckBox", "<EN>&don't know<PL>&nie wiem");
    Group_CheckBox = AddCheck("Group_CheckBox", "<EN>&group<PL>&grupa");
    Filtering_CheckBox = AddCheck("Filtering_CheckBox", "<EN>&filtering<PL>&filtrujące");
    Filtered_CheckBox = AddCheck("Filtered_CheckBox", "<EN>filtere&d<PL>filtrowan&e");
    FilterPref_Edit = AddEdit("FilterPref_Edit", "<EN>prefix<PL>prefiks", 0);
    auto* range = new QGroupBox(this);
    range->setObjectName("Lutay_GroupBox");
    TagText(range, "<EN>&range<PL>&zakres");
    auto* rl = new QVBoxLayout(range);
    Value_Button = AddRadio("Value_Button", "<EN>&value<PL>&wartość");
    Segment_Button = AddRadio("Segment_Button", "<EN>&segment<PL>&odcinek");
    rl->addWidget(Value_Button);
    rl->addWidget(Segment_Button);
    auto* numbering = new QGroupBox(this);
    numbering->setObjectName("Numbering_GroupBox");
    TagText(numbering, "<EN>Numbering<PL>Numeracja");
    auto* nl = new QVBoxLayout(numbering);
    Numbers_Button = AddRadio("Numbers_Button", "<EN>n&umbers<PL>licz&by");
    Letters_Button = AddRadio("Letters_Button", "<EN>&letters<PL>&litery");
    nl->addWidget(Numbers_Button);
    nl->addWidget(Letters_Button);
    Form->addRow(range);
    Form->addRow(numbering);
    Prefix_Edit->setText(Q(data.Prefix));
    Number_Edit->setText(Num(data.Count));
    Other_Edit->setText(Num(data.TextCount));
    Label_Edit->setText(Q(data.TextLabel));
    FilterPref_Edit->setText(Q(data.FilterPrefix));
    None_CheckBox->setChecked(data.NoneFlag);
    DontKnow_CheckBox->setChecked(data.DontKnow);
    Group_CheckBox->setChecked(data.GroupFlag);
    Filtering_CheckBox->setChecked(data.Filtering);
    Filtered_CheckBox->setChecked(data.Filtered);
    (data.Segment ? Segment_Button : Value_Button)->setChecked(true);
    (data.Numbering == core::nbLetters ? Letters_Button : Numbers_Button)->setChecked(true);
    auto filterEnabling = [this] {
        const bool on = Filtering_CheckBox->isChecked();
        FilterPref_Edit->setEnabled(on);
        if (QWidget* l = Form->labelForField(FilterPref_Edit)) l->setEnabled(on);
    };
    filterEnabling();
    connect(Filtering_CheckBox, &QCheckBox::toggled, this, [this, filterEnabling](bool on) {
        filterEnabling();
        if (on && isVisible()) FilterPref_Edit->setFocus();
    });
}

core::TTemplateCheck TInsMulti_Form::Validate() {
    Work = Data;
    Work.NoneFlag = None_CheckBox->isChecked();
    Work.DontKnow = DontKnow_CheckBox->isChecked();
    Work.GroupFlag = Group_CheckBox->isChecked();
    Work.Filtering = Filtering_CheckBox->isChecked();
    Work.Filtered = Filtered_CheckBox->isChecked();
    Work.Segment = Segment_Button->isChecked();
    Work.Numbering = Letters_Button->isChecked() ? core::nbLetters : core::nbNumbers;
    core::TTemplateInput in;
    in.Prefix = S(Prefix_Edit->text());
    in.Count = S(Number_Edit->text());
    in.TextCount = S(Other_Edit->text());
    in.Label = S(Label_Edit->text());
    in.FilterPrefix = S(FilterPref_Edit->text());
    return core::CheckMulti(in, Work);
}

// ---- single-choice ----

TInsSingle_Form::TInsSingle_Form(QWidget* parent, core::TInsSingle_Data& data)
    : TTemplate_Form(parent, "InsSingle_Form",
                     "<EN>Insert single-choice<PL>Wstaw pytanie jednokrotnego wyboru"),
      Data(data),
      Work(data) {
    Prefix_Edit = AddEdit("Prefix_Edit", "<EN>&Prefix<PL>&Prefiks", 0, TTemplateBox::Prefix);
    Label_Edit = AddEdit("Label_Edit", "<EN>Text &label<PL>&Etykieta tekstu", 0);
    Count_Edit =
        AddEdit("Count_Edit", "<EN>Number of &values<PL>Liczba &wartości", 3, TTemplateBox::Count);
    TextCount_Edit = AddEdit("TextCount_Edit",
                             "<EN>Number of &text vars<PL>Liczba zmiennych "
                             "&tekstowych",
                             0, TTemplateBox::TextCount);
    TextPos_Edit = AddEdit("TextPos_Edit",
                           "<EN>Text var po&sition<PL>Po&zycja zmiennej "
                           "tekstowej",
                           0, TTemplateBox::TextPos);
    Prefix_Edit->setText(Q(data.Prefix));
    Label_Edit->setText(Q(data.TextLabel));
    Count_Edit->setText(Num(data.Count));
    TextCount_Edit->setText(Num(data.TextCount));
    TextPos_Edit->setText(Num(data.TextPos));
}

core::TTemplateCheck TInsSingle_Form::Validate() {
    Work = Data;
    core::TTemplateInput in;
    in.Prefix = S(Prefix_Edit->text());
    in.Label = S(Label_Edit->text());
    in.Count = S(Count_Edit->text());
    in.TextCount = S(TextCount_Edit->text());
    in.TextPos = S(TextPos_Edit->text());
    return core::CheckSingle(in, Work);
}

// ---- open-ended ----

TInsOpen_Form::TInsOpen_Form(QWidget* parent, core::TInsOpen_Data& data, int defTextWidth)
    : TTemplate_Form(parent, "InsOpen_Form", "<EN>Insert open-ended<PL>Wstaw pytanie otwarte"),
      Data(data) {
    if (data.FirstUse) {
        data.Width = defTextWidth;
        data.FirstUse = false;
    }
    Work = data;
    Prefix_Edit = AddEdit("Prefix_Edit", "<EN>&Prefix<PL>&Prefiks", 5, TTemplateBox::Prefix);
    Label_Edit = AddEdit("Label_Edit", "<EN>&Text label<PL>&Etykieta tekstu", 0);
    Number_Edit =
        AddEdit("Number_Edit", "<EN>&Number of fields<PL>&Liczba pól", 2, TTemplateBox::Count);
    Width_Edit =
        AddEdit("Width_Edit", "<EN>&Field width<PL>&Szerokość pól", 2, TTemplateBox::Width);
    Prefix_Edit->setText(Q(data.Prefix));
    Label_Edit->setText(Q(data.TextLabel));
    Number_Edit->setText(Num(data.Count));
    Width_Edit->setText(Num(data.Width));
}

core::TTemplateCheck TInsOpen_Form::Validate() {
    Work = Data;
    core::TTemplateInput in;
    in.Prefix = S(Prefix_Edit->text());
    in.Label = S(Label_Edit->text());
    in.Count = S(Number_Edit->text());
    in.Width = S(Width_Edit->text());
    return core::CheckOpen(in, Work);
}

}  // namespace tallyra::gui
