// SPDX-License-Identifier: GPL-3.0-or-later
// A data entry window on a real data file for the tests, opened the way the
// data station opens one (a .bak copy, the "in use" lock), with no file
// dialogs: the script and the file are given.
#pragma once

#include <string>

#include "data/tpxdatahandler.h"
#include "entry/tapptygen.h"

namespace tallyra::gui::test {

class TEntryTestWindow : public TAppTYGen_Form {
public:
    // `script` is borrowed.
    TEntryTestWindow(core::TPXDictionary& script, const std::string& dataFile) {
        SetScript(&script);
        Create();
        SetStore(core::TPXDataHandler::CreateForFile(script, true, this, dataFile));
        resize(900, 600);
    }
    ~TEntryTestWindow() override { Shutdown(); }
    std::string AppInfo(int index) const override {
        return index == 1 ? "Tallyra Entry" : index == 0 ? "Tallyra Systems" : "";
    }
    void CloseData() override {
        if (Store()) Store()->SaveRecord();
        TAppTYGen_Form::CloseData();
    }
    void CloseScript() override { SetScript(nullptr); }
    using TAppTYGen_Form::SetFindVisible;
};

}  // namespace tallyra::gui::test
