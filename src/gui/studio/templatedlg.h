// SPDX-License-Identifier: GPL-3.0-or-later
// The four question-template dialogs: each edits a copy of its remembered
// record, validates on OK (an invalid value keeps the dialog open), asks
// the warning question (Yes: keep editing, No: accept, Cancel: keep the
// values but insert nothing) and copies the values back when it closes.
#pragma once

#include <QMap>

#include "script/templates.h"
#include "shell/tformgen.h"

class QCheckBox;
class QFormLayout;
class QLineEdit;
class QRadioButton;

namespace tallyra::gui {

class TTemplate_Form : public TDlgGen_Form {
public:
    TTemplate_Form(QWidget* parent, const char* name, const char* caption);

    // The edit for a box named in a check result.
    QLineEdit* BoxEdit(core::TTemplateBox box) const { return Boxes.value(int(box)); }
    // What the Count box held when the dialog closed (the group template
    // pads numbers to the digits typed).
    int CountDigitsTyped() const { return CountDigits; }

    void done(int result) override;

protected:
    QLineEdit* AddEdit(const char* name, const char* caption, int maxLength,
                       core::TTemplateBox box = core::TTemplateBox::None);
    QCheckBox* AddCheck(const char* name, const char* caption);
    QRadioButton* AddRadio(const char* name, const char* caption);
    // Reads the controls into the working record and checks them.
    virtual core::TTemplateCheck Validate() = 0;
    // Copies the working record into the remembered one.
    virtual void Commit() = 0;

    QFormLayout* Form;
    int CountDigits = 0;

private:
    QMap<int, QLineEdit*> Boxes;
};

class TInsGroup_Form : public TTemplate_Form {
public:
    TInsGroup_Form(QWidget* parent, core::TInsGroup_Data& data);
    QLineEdit *Prefix_Edit, *Number_Edit, *Width_Edit, *Label_Edit;
    QRadioButton *Letters_Button, *Numbers_Button;
    QCheckBox *Group_CheckBox, *Filter_CheckBox;

protected:
    core::TTemplateCheck Validate() override;
    void Commit() override { Data = Work; }

private:
    core::TInsGroup_Data& Data;
    core::TInsGroup_Data Work;
};

class TInsMulti_Form : public TTemplate_Form {
public:
    TInsMulti_Form(QWidget* parent, core::TInsMulti_Data& data);
    QLineEdit *Prefix_Edit, *Number_Edit, *Other_Edit, *Label_Edit, *FilterPref_Edit;
    QCheckBox *None_CheckBox, *DontKnow_CheckBox, *Group_CheckBox, *Filtering_CheckBox,
        *Filtered_CheckBox;
    QRadioButton *Value_Button, *Segment_Button, *Numbers_Button, *Letters_Button;

protected:
    core::TTemplateCheck Validate() override;
    void Commit() override { Data = Work; }

private:
    core::TInsMulti_Data& Data;
    core::TInsMulti_Data Work;
};

class TInsSingle_Form : public TTemplate_Form {
public:
    TInsSingle_Form(QWidget* parent, core::TInsSingle_Data& data);
    QLineEdit *Prefix_Edit, *Label_Edit, *Count_Edit, *TextCount_Edit, *TextPos_Edit;

protected:
    core::TTemplateCheck Validate() override;
    void Commit() override { Data = Work; }

private:
    core::TInsSingle_Data& Data;
    core::TInsSingle_Data Work;
};

class TInsOpen_Form : public TTemplate_Form {
public:
    // `defTextWidth` is proposed on the first opening in a program run.
    TInsOpen_Form(QWidget* parent, core::TInsOpen_Data& data, int defTextWidth);
    QLineEdit *Prefix_Edit, *Label_Edit, *Number_Edit, *Width_Edit;

protected:
    core::TTemplateCheck Validate() override;
    void Commit() override { Data = Work; }

private:
    core::TInsOpen_Data& Data;
    core::TInsOpen_Data Work;
};

}  // namespace tallyra::gui
