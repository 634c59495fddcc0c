// SPDX-License-Identifier: GPL-3.0-or-later
// The preferences dialog of the script editor main window so far: the
// Language page of the base dialog plus the Fonts page with the editor font
// and the info font (the message list's font).
#pragma once

#include "shell/prefgen.h"

class QLabel;

namespace tallyra::gui {

class TAppEdit_Form;

class TPrefEdit_Form : public TPrefGen_Form {
public:
    explicit TPrefEdit_Form(TAppEdit_Form* mainForm);

    // The example panels; their fonts are what accepting stores.
    QLabel* EditExample() const { return EditSample; }
    QLabel* InfoExample() const { return InfoSample; }

protected:
    void AcceptPrefs() override;

private:
    TAppEdit_Form* EditMain;
    QLabel* EditSample;
    QLabel* InfoSample;
};

}  // namespace tallyra::gui
