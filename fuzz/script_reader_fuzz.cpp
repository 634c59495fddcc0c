// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the script reader. The first 24 bytes choose the
// check options (switches, error mode and count) and the variable-name length;
// the rest is the script text. Whatever the input, reading must end without a
// crash, a hang or unbounded memory, and its results must hang together.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "script/tpxdictionary.h"
#include "script/tpxmessage.h"
#include "shell/errors.h"

using namespace tallyra::core;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 24) return 0;
    std::array<uint8_t, 22> bytes{};
    for (int i = 0; i < 19; ++i)
        bytes[size_t(i)] = data[i] & 1;
    bytes[19] = data[19] % 3;
    bytes[20] = data[20];
    bytes[21] = data[21] & 0x3;
    const TScriptOptions options = TScriptOptions::FromBytes(bytes);
    SetSPSSVarSize(data[22] % 40);
    const std::string_view text(reinterpret_cast<const char*>(data) + 24, size - 24);

    TPXMessageList messages;
    messages.Limit = LimitForErrorMode(options.ErrorMode, options.ErrorCount);
    TPXDictionary script(text, options, messages);
    messages.Sort();
    for (int32_t i = 0; i < messages.Count(); ++i) {
        const TEHMessage* m = messages.Get(i);
        if (m->Position < 1 || m->Position > int32_t(text.size()) + 1) std::abort();
        (void)messages.FormatItem(i);
    }
    // Fields lie one after another without gaps.
    int32_t next = 1;
    for (int32_t i = 0; i < script.Instructions.Count(); ++i) {
        const TPXFieldInstruction* field = script.Instructions.Field(i);
        if (field == nullptr) continue;
        if (field->Column != next || field->Width < 1) std::abort();
        next = field->Column + field->Width;
        (void)field->GetDefinition();
        if (field->Width <= 32767) (void)field->AutoValue();
    }
    if (script.RecordLength != next - 1) std::abort();
    const TLineIndex lines(text);
    if (messages.Count() > 0) (void)lines.Caret(messages.Get(0)->Position - 1);
    return 0;
}
