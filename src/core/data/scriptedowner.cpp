// SPDX-License-Identifier: GPL-3.0-or-later
#include "scriptedowner.h"

#include "tentrykeyboard.h"

namespace tallyra::core {

void TScriptedOwner::OwnerRefresh() {
    ++Refreshes;
    if (Keyboard) Keyboard->QueueRefresh();
}

void TScriptedOwner::OwnerRefreshNow() {
    ++Refreshes;
    if (Keyboard) Keyboard->Refresh();
}

void TScriptedOwner::OwnerSound(int kind) {
    if (Keyboard && !Keyboard->SoundOn) return;
    Log.push_back("sound " + std::to_string(kind));
}

bool TScriptedOwner::OwnerUpdateMode() {
    return Keyboard != nullptr && Keyboard->UpdateMode;
}

void TScriptedOwner::OwnerBeep() {
    Log.push_back("beep");
}

void TScriptedOwner::OwnerMessage(TOwnerBox kind, const std::string& text) {
    const char* name = kind == TOwnerBox::Error     ? "error: "
                       : kind == TOwnerBox::Warning ? "warning: "
                                                    : "information: ";
    Log.push_back(name + text);
    if (Print) Print(text);
}

bool TScriptedOwner::OwnerAskForce(const std::string& text) {
    Log.push_back("ask: " + text);
    if (Print) Print(text);
    bool yes = false;
    if (!Answers.empty()) {
        yes = Answers.front();
        Answers.pop_front();
    }
    Log.push_back(yes ? "answer: Yes" : "answer: No");
    return yes;
}

}  // namespace tallyra::core
