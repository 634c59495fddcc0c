// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target for the data entry engine: a random data file is opened under
// one of a few scripts (pages, filters, groups, identifier, constant and
// update fields) and a random sequence of keys (raw, or read as a key
// script) is played through the keyboard model, in the station, the viewer or the test window.
// Afterwards the file must still be a valid data file (complete records ending in CR LF, then at
// most a partial prefix) that a new store opens again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>

#include "data/keyscript.h"
#include "data/scriptedowner.h"
#include "data/tentrykeyboard.h"
#include "data/tpddatahandler.h"
#include "data/tpxdatahandler.h"
#include "script/tpxdictionary.h"
#include "script/tpxmessage.h"
#include "script/tscriptoptions.h"
#include "shell/errors.h"

using namespace tallyra::core;

namespace {

const char* const Scripts[] = {
    "left='id' width=3 recid auto=1*"
    "left='f' width=1 range=[0:3] when=[1][A:B] signal=[2][C]*"
    "left='a' width=2 range=[0:50] label=A group=B*"
    "left='b' width=2 label=B*"
    "page*"
    "left='c' width=1 range=[0:9] label=C update*"
    "left='k' width=1 const auto=5*"
    "left='t' text width=6 height=2*",
    "left='x' width=1*left='y' width=2 beep*left='z' text width=3*",
    "comment='intro'*left='p' width=2 range=[-9:99]*page*comment='end'*left='q' text width=1*",
    "left='r' width=2 group=S*left='s' width=1 label=S*comment='the end'*",
};
constexpr int ScriptCount = sizeof(Scripts) / sizeof(Scripts[0]);

std::string WorkFolder() {
    static const std::string folder = [] {
        const char* base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/tallyra-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        return pattern;
    }();
    return folder;
}

TKeyStroke KeyOf(uint8_t b, uint8_t modifiers) {
    TKeyStroke key;
    if (b < 27) {
        key.Key = static_cast<TKey>(b + 1);
    } else {
        key.Char = static_cast<char>(b);
    }
    key.Ctrl = modifiers & 1;
    key.Alt = modifiers & 2;
    key.Shift = modifiers & 4;
    return key;
}

// The structure rule of a data file for records of L bytes.
void CheckStructure(const std::string& bytes, size_t L) {
    for (size_t at = 0; at < bytes.size(); at += L) {
        const size_t n = std::min(L, bytes.size() - at);
        const char* p = bytes.data() + at;
        if (n == L && (p[L - 2] != '\r' || p[L - 1] != '\n')) std::abort();
        const size_t body = std::min(n, L - 2);
        if (std::memchr(p, '\r', body) || std::memchr(p, '\n', body)) std::abort();
    }
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const int scriptIndex = data[0] % ScriptCount;
    const int mode = (data[0] / ScriptCount) % 3;  // station, viewer, test window
    const size_t dataLength = std::min<size_t>(data[1] * 4u, size - 2);
    const std::string fileBytes(reinterpret_cast<const char*>(data + 2), dataLength);
    const uint8_t* keys = data + 2 + dataLength;
    const size_t keyCount = std::min<size_t>(size - 2 - dataLength, 3000);

    TPXMessageList messages;
    TPXDictionary script(NormalizeLineEnds(Scripts[scriptIndex]), FixedReadingOptions(), messages);
    if (messages.CountKinds({mkError}) > 0) std::abort();
    messages.Clear();
    const std::string path = WorkFolder() + "/d.dat";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << fileBytes;
    }
    std::filesystem::remove(WorkFolder() + "/d.bak");

    TScriptedOwner owner;
    std::unique_ptr<TPXDataHandler> store;
    try {
        if (mode == 0)
            store = TPXDataHandler::CreateForFile(script, true, &owner, path);
        else if (mode == 1)
            store = TPDDataHandler::CreateForFile(script, true, &owner, path);
        else
            store = TPXDataHandler::CreateTemp(script, data[1] % 12, &owner, WorkFolder());
    } catch (const EPXData&) {
        // Refused files stay as they were (but for an old end-of-file mark,
        // which opening removes before it reads the records).
        const std::string after = ReadAll(path);
        if (after != fileBytes && after + "\x1a" != fileBytes) std::abort();
        return 0;
    }
    TEntryKeyboard keyboard(*store, owner);
    owner.Keyboard = &keyboard;
    keyboard.CheckMask = data[1];
    keyboard.StartEntry(mode == 1);
    std::string scriptError;
    const auto scripted =
        (data[1] & 1) ? ParseKeyScript(std::string(reinterpret_cast<const char*>(keys), keyCount),
                                       scriptError)
                      : std::nullopt;
    if (scripted) {
        // The bytes read as a key script, as `tallyra enter` plays it.
        for (const TScriptKey& key : *scripted) {
            owner.Answers.assign(key.Answers.begin(), key.Answers.end());
            keyboard.Press(key.Stroke);
            owner.Answers.clear();
            owner.Log.clear();
        }
    }
    uint8_t modifiers = 0;
    for (size_t i = 0; i < keyCount && !scripted; ++i) {
        const uint8_t b = keys[i];
        if (b >= 0xF8) {  // modifiers for the next key
            modifiers = b & 7;
            continue;
        }
        if (b == 0xF7) {
            owner.Answers.push_back(true);
            continue;
        }
        keyboard.Press(KeyOf(b, modifiers));
        modifiers = 0;
        owner.Answers.clear();
        owner.Log.clear();
    }
    store->SaveRecord();
    const std::string file = store->FileName();
    const size_t L = size_t(store->LineLength());
    const int32_t full = store->FullCount();
    const std::string bytes = ReadAll(file);
    CheckStructure(bytes, L);
    if (bytes.size() / L != size_t(full)) std::abort();
    store.reset();
    if (mode == 1 && full != int32_t(fileBytes.size() / L))
        std::abort();  // the viewer never appends
    if (mode != 2) {
        // A new store opens the file again and finds the same records.
        auto again = TPXDataHandler::CreateForFile(script, false, nullptr, path);
        if (again->FullCount() != full) std::abort();
    }
    return 0;
}
