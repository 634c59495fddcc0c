// SPDX-License-Identifier: GPL-3.0-or-later
// Shared set-up of the GUI tests: a QApplication on the offscreen platform,
// scripted message boxes and file dialogs, an in-memory settings store and
// temporary folders.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "shell/msgbox.h"
#include "shell/settingsstore.h"
#include "studio/tappmain.h"
#include "studio/tchldedit.h"

namespace tallyra::gui {
class TTYDChild_Form;
}

namespace tallyra::gui::test {

// Records every message box and answers from a queue (No when empty).
struct TScriptedBoxes {
    struct Shown {
        TMsgKind Kind;
        std::string Text;
    };
    std::vector<Shown> Log;
    std::deque<int> Answers;
    // Answers of the file dialogs; each entry is what one dialog returns.
    std::deque<std::vector<std::string>> FileAnswers;
    std::vector<TFileDialogRequest> FileRequests;

    int Count(TMsgKind kind) const;
};

// The scripted boxes and store of the running test (reset per test).
TScriptedBoxes& Boxes();
core::TMemorySettingsStore& Store();
void ResetEnvironment();

// Writes bytes to a file, raising on failure.
void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

// A fixture with a fresh environment, a temporary folder and a main window.
class StudioTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Creates and shows the main window (settings read from Store()).
    TAppMain_Form* MakeMain();
    // Destroys the main window (its settings are written to Store()).
    void DestroyMain();
    std::string PathOf(const std::string& name) const;
    // The editor child number i in the main window's order.
    TChldEdit_Form* Editor(int i) const;
    // Writes a file and opens it in the main window.
    TChldEdit_Form* OpenNew(const std::string& name, const std::string& bytes);
    // OpenNew for a script; the test fails when the window is no script window.
    TTYDChild_Form* OpenScript(const std::string& name, const std::string& bytes);

    QTemporaryDir Dir;
    std::unique_ptr<TAppMain_Form> Main;
};

}  // namespace tallyra::gui::test
