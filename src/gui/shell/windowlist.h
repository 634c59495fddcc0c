// SPDX-License-Identifier: GPL-3.0-or-later
// The Window > List dialog: one row per open child with its state, and
// buttons to activate, save, save as, save all and close chosen windows.
#pragma once

#include "tformgen.h"

class QTreeWidget;

namespace tallyra::gui {

class TAppMDI_Form;
class TChildMDI_Form;

class TWindowList_Form : public TDlgGen_Form {
public:
    explicit TWindowList_Form(TAppMDI_Form* mainForm);

    // Refills the rows from the main window's children.
    void Fill();
    QTreeWidget* List() const { return Rows; }

private:
    QList<TChildMDI_Form*> Chosen() const;

    TAppMDI_Form* Main;
    QTreeWidget* Rows;
};

}  // namespace tallyra::gui
