// SPDX-License-Identifier: GPL-3.0-or-later
// Shared helpers of the script tests: read a text and describe the messages
// compactly as "E2013@8" (kind letter, code in hex, position).
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "script/tpxdictionary.h"
#include "script/tpxmessage.h"

namespace tallyra::core::test {

struct TRead {
    std::unique_ptr<TPXMessageList> Messages = std::make_unique<TPXMessageList>();
    std::unique_ptr<TPXDictionary> Script;

    // Messages in the order they were added.
    std::vector<std::string> Codes() const {
        std::vector<std::string> codes;
        for (const auto& m : Messages->Items) {
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "%c%04X@%d", "EWH"[m->Kind], m -> Code,
                          m -> Position);
            codes.push_back(buffer);
        }
        return codes;
    }
    // Only the codes, without positions, of one kind ('E', 'W', 'H').
    std::vector<std::string> Only(char kind) const {
        std::vector<std::string> codes;
        for (const std::string& c : Codes())
            if (c[0] == kind) codes.push_back(c.substr(0, c.find('@')));
        return codes;
    }
    TPXFieldInstruction* Field(int index) const { return Script->Instructions.Field(index); }
    TPXNumericInstruction* Numeric(int index) const {
        return static_cast<TPXNumericInstruction*>(Field(index));
    }
    int Count() const { return Script->Instructions.Count(); }
};

// Options with every warning and hint switched off, extensions on.
inline TScriptOptions Quiet() {
    TScriptOptions o = DefaultScriptOptions();
    for (int i = 4; i < 19; ++i)
        *o.SwitchByName(ScriptOptionsSwitchNames[i]) = 0;
    return o;
}

inline TRead Read(const std::string& text, const TScriptOptions& options = Quiet(),
                  int32_t limit = 2147483647) {
    TRead r;
    r.Messages->Limit = limit;
    r.Script = std::make_unique<TPXDictionary>(text, options, *r.Messages);
    return r;
}

using Strings = std::vector<std::string>;

}  // namespace tallyra::core::test
