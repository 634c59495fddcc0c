// Shared set-up of the GUI tests: a QApplication on the offscreen platform,
// scripted message boxes and file dialogs, an in-memory settings store and
// temporary folders.
#pragma once

#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/msgbox.h"
#include "shell/settingsstore.h"

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

}  // namespace tallyra::gui::test
