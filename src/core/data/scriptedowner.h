// SPDX-License-Identifier: GPL-3.0-or-later
// An owner of a record store without a window: prints or records every
// message box and question, answers questions from a queue (No when it is
// empty), and forwards refreshes to a keyboard model. Used by the
// command-line player, the tests and the fuzz target.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "dataowner.h"

namespace tallyra::core {

class TEntryKeyboard;

class TScriptedOwner : public IPXDataOwner {
public:
    void OwnerRefresh() override;
    void OwnerRefreshNow() override;
    void OwnerSound(int kind) override;
    bool OwnerUpdateMode() override;
    void OwnerBeep() override;
    void OwnerMessage(TOwnerBox kind, const std::string& text) override;
    bool OwnerAskForce(const std::string& text) override;

    TEntryKeyboard* Keyboard = nullptr;  // borrowed; may be null
    std::deque<bool> Answers;            // answers to the next questions
    // Called with every box text and question as it appears (may be empty).
    std::function<void(const std::string&)> Print;
    // Every event in order: "beep", "sound 1", "sound 2", "error: TEXT",
    // "warning: TEXT", "information: TEXT", "ask: TEXT", "answer: Yes|No".
    std::vector<std::string> Log;
    int Refreshes = 0;
};

}  // namespace tallyra::core
