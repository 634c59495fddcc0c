// SPDX-License-Identifier: GPL-3.0-or-later
// Small fixtures for the data engine tests: scripts read from strings, data
// files in a private temporary folder, and an entry session that plays key
// scripts through the keyboard model with a scripted owner.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "data/keyscript.h"
#include "data/scriptedowner.h"
#include "data/tentrykeyboard.h"
#include "data/tpddatahandler.h"
#include "data/tpxdatahandler.h"
#include "script/tpxdictionary.h"
#include "script/tpxmessage.h"
#include "script/tscriptoptions.h"
#include "shell/errors.h"

namespace tallyra::core::testing {

// A script read from text; the test fails when the script has errors.
struct TScript {
    explicit TScript(const std::string& text, bool allowErrors = false) {
        Dictionary = std::make_unique<TPXDictionary>(NormalizeLineEnds(text), FixedReadingOptions(),
                                                     Messages);
        for (int32_t i = 0; i < Messages.Count(); ++i)
            if (!allowErrors && Messages.Get(i)->Kind == mkError)
                ADD_FAILURE() << "script message " << Messages.FormatItem(i);
        Messages.Clear();
    }
    TPXMessageList Messages;
    std::unique_ptr<TPXDictionary> Dictionary;
};

// A temporary folder removed with everything in it.
class TTempDir {
public:
    TTempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tallyra-test-XXXXXX").string();
        Path = ::mkdtemp(pattern.data());
    }
    ~TTempDir() {
        std::error_code ec;
        std::filesystem::remove_all(Path, ec);
    }
    std::string File(const std::string& name) const { return Path + "/" + name; }
    std::string Path;
};

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// A store with its keyboard model and scripted owner.
struct TSession {
    TSession(TScript& script, const std::string& dataFile, bool viewer = false) : Script(script) {
        if (viewer)
            Store = TPDDataHandler::CreateForFile(*script.Dictionary, true, &Owner, dataFile);
        else
            Store = TPXDataHandler::CreateForFile(*script.Dictionary, true, &Owner, dataFile);
        Start(viewer);
    }
    TSession(TScript& script, int32_t autoBoundary, const std::string& folder) : Script(script) {
        Store = TPXDataHandler::CreateTemp(*script.Dictionary, autoBoundary, &Owner, folder);
        Start(false);
    }
    void Start(bool viewer) {
        Keyboard = std::make_unique<TEntryKeyboard>(*Store, Owner);
        Owner.Keyboard = Keyboard.get();
        Keyboard->StartEntry(viewer);
    }
    // Plays a key script; fails the test on a script syntax error.
    void Keys(const std::string& script) {
        std::string error;
        const auto keys = ParseKeyScript(script, error);
        ASSERT_TRUE(keys.has_value()) << error;
        for (const TScriptKey& key : *keys) {
            Owner.Answers.assign(key.Answers.begin(), key.Answers.end());
            Keyboard->Press(key.Stroke);
            Owner.Answers.clear();
        }
    }
    TPXDataContext& C() { return Store->Context(); }
    // The text shown by the focused editor ("" when none).
    std::string Shown() {
        TPXFieldEditor* e = Keyboard->Focused();
        return e ? e->Text() : std::string("<no editor>");
    }
    int Count(const std::string& event) {
        int n = 0;
        for (const std::string& e : Owner.Log)
            n += e.rfind(event, 0) == 0 ? 1 : 0;
        return n;
    }

    TScript& Script;
    TScriptedOwner Owner;
    std::unique_ptr<TPXDataHandler> Store;
    std::unique_ptr<TEntryKeyboard> Keyboard;
};

}  // namespace tallyra::core::testing
