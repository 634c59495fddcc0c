// SPDX-License-Identifier: GPL-3.0-or-later
// The script editor's preferences dialog: the language and font pages of
// its bases plus six pages for the script extensions and template
// settings, the error limit, warnings, hints, colours (with a live preview)
// and editor switches. It edits copies; accepting validates the text width
// and the SPSS name length first and then stores everything, so a refused
// OK or Cancel leaves the main window's settings untouched.
#pragma once

#include <cstdint>

#include <QList>

#include "editor/scriptprefs.h"
#include "prefedit.h"
#include "script/tscriptoptions.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QSpinBox;
class QsciScintilla;

namespace tallyra::gui {

class TAppMain_Form;
class TPXLexer;

class TLangPrefsDialog_Form : public TPrefEdit_Form {
public:
    // `mainForm` is borrowed and outlives the dialog.
    explicit TLangPrefsDialog_Form(TAppMain_Form* mainForm);

    void accept() override;

    // Script page.
    QRadioButton *AllExtensions_Button, *SelExtensions_Button, *NoExtensions_Button;
    QListWidget* SelExtensions_ListBox;
    QLineEdit *DefTextWidth_Edit, *SPSSVarSizeEdit;
    QRadioButton *Multi1_Button, *MultiNumber_Button;
    // Errors page.
    QRadioButton *AllMessages_Button, *SomeMessages_Button, *NoMessages_Button;
    QSpinBox* SomeMessages_Edit;
    // Warnings and hints pages.
    QRadioButton *AllWarnings_Button, *SelWarnings_Button, *NoWarnings_Button;
    QListWidget* SelWarnings_ListBox;
    QRadioButton *AllHints_Button, *SelHints_Button, *NoHints_Button;
    QListWidget* SelHints_ListBox;
    // Colours page.
    QListWidget* Element_ListBox;
    QComboBox *Foreground_Grid, *Background_Grid;
    QCheckBox *Bold_CheckBox, *Italic_CheckBox, *Underline_CheckBox;
    QsciScintilla* Example_DCMemo;
    // Editor page (each box carries its bit number, a core::TMemoOption or
    // core::TStringsOption, in the "Tag" property).
    QList<QCheckBox*> EditorBoxes;

    // The colours as the preview shows them.
    const core::TColorTable& PreviewColors() const { return Colors; }

protected:
    void AcceptPrefs() override;

private:
    QWidget* ScriptPage();
    QWidget* ErrorsPage();
    QWidget* ListPage(const char* prefix, const char* all, const char* sel, const char* none,
                      const QStringList& items, core::TSwitchList which, QRadioButton** radios,
                      QListWidget** list);
    QWidget* ColorPage();
    QWidget* EditorPage();
    void ShowElement();
    void ElementChanged();
    void ApplyPreview();

    TAppMain_Form* AppMain;
    core::TColorTable Colors;
    uint32_t Memo = 0;
    uint32_t Strings = 0;
    TPXLexer* PreviewLexer = nullptr;
    bool ShowingElement = false;
};

}  // namespace tallyra::gui
