// SPDX-License-Identifier: GPL-3.0-or-later
// The script test window ("Tallyra Tester"): the data entry window on the
// script editor's checked script and a throw-away data file in the private
// temporary folder, optionally starting at the field under the editor's
// cursor with every earlier field filled automatically.
#pragma once

#include <string>

#include "tapptygen.h"

namespace tallyra::gui {

class TAppTYTest_Form : public TAppTYGen_Form {
public:
    // `script` is borrowed from the script window and never freed here;
    // `startIndex` is the number of instructions filled automatically.
    // `folder` overrides the temporary folder (tests); empty = the private one.
    TAppTYTest_Form(QWidget* parent, core::TPXDictionary& script, int32_t startIndex,
                    const std::string& folder = std::string());
    ~TAppTYTest_Form() override;

    std::string AppInfo(int index) const override;
    int32_t StartIndex() const { return Start; }
    // The temporary data file while the window is open, else empty.
    std::string TempFileName() const;

    // Closing the data deletes the temporary file with the store (a failure
    // to delete is of no concern: the next test truncates the file).
    void CloseScript() override;

protected:
    bool UsesSettings() const override { return false; }
    bool ShowsLogo() const override { return false; }
    void showEvent(QShowEvent* e) override;

private:
    int32_t Start;
    std::string Folder;
    bool Started = false;
};

}  // namespace tallyra::gui
