// SPDX-License-Identifier: GPL-3.0-or-later
// The base preferences dialog: a page set with the Language page, whose
// choice switches the main window's language when the dialog is accepted.
// Derived dialogs add pages (fonts, editor options, check options).
#pragma once

#include "tformgen.h"

class QListWidget;
class QTabWidget;

namespace tallyra::gui {

class TAppGen_Form;

class TPrefGen_Form : public TDlgGen_Form {
public:
    // `mainForm` is borrowed and outlives the dialog.
    explicit TPrefGen_Form(TAppGen_Form* mainForm);

    QTabWidget* Pages() const { return Tabs; }
    QListWidget* LanguageList() const { return Languages; }
    // The language chosen on the page (1 or 2).
    int ChosenLanguage() const;

    void accept() override;

protected:
    // The framework's accept step: switches the language.
    virtual void AcceptPrefs();
    TAppGen_Form* MainForm() const { return Main; }

private:
    TAppGen_Form* Main;
    QTabWidget* Tabs;
    QListWidget* Languages;
};

}  // namespace tallyra::gui
