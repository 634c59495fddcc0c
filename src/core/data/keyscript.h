// SPDX-License-Identifier: GPL-3.0-or-later
// Keys of the data entry window and the key-script notation used to play
// them without a display: characters stand for themselves; special keys are
// written <Name> with optional C-, A-, S- prefixes (<Enter>, <C-End>,
// <A-PgDn>, <KP+>, <F12>...); "<<" types "<"; line breaks are ignored; <Yes>
// or <No> right after a key answers a question that key causes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "../shell/fdio.h"

namespace tallyra::core {

enum class TKey : uint8_t {
    Char,
    Enter,
    Esc,
    Tab,
    BS,
    Del,
    Left,
    Right,
    Up,
    Down,
    Home,
    End,
    PgUp,
    PgDn,
    Ins,
    KPPlus,  // the "+" of the numeric keypad
    F1,
    F2,
    F3,
    F4,
    F5,
    F6,
    F7,
    F8,
    F9,
    F10,
    F11,
    F12,
};

struct TKeyStroke {
    TKey Key = TKey::Char;
    char Char = 0;  // for TKey::Char: the 1250 byte typed
    bool Ctrl = false;
    bool Alt = false;
    bool Shift = false;
};

// One key of a script with the answers to the questions it causes, in order
// (true = Yes); questions beyond them are answered No.
struct TScriptKey {
    TKeyStroke Stroke;
    std::vector<bool> Answers;
};

// Reads the keys of a key script one at a time, holding only a small window
// of the text in memory: a key script of any length is played in constant
// memory. The text comes from memory (1250 bytes) or from a UTF-8 file that
// is read in pieces and converted as it goes. Offsets in error texts are
// 1-based positions in the 1250 text.
class TKeyScriptReader {
public:
    // Reads `text` (1250 bytes), which must outlive the reader.
    explicit TKeyScriptReader(std::string_view text);
    // Reads the UTF-8 file at `path`. Raises EGeneric (naming the file) when it
    // cannot be opened or is not a regular file.
    static TKeyScriptReader FromFile(const std::string& path);
    TKeyScriptReader(TKeyScriptReader&& other) noexcept;
    TKeyScriptReader& operator=(TKeyScriptReader&&) = delete;
    TKeyScriptReader(const TKeyScriptReader&) = delete;
    ~TKeyScriptReader();

    // The next key with its answers. Returns false at the end of the script,
    // and false with `error` set when the script is broken there. Raises
    // EGeneric (naming the file) when the file cannot be read.
    bool Next(TScriptKey& key, std::string& error);

private:
    TKeyScriptReader() = default;
    // Makes at least `n` bytes available from Pos when the text has them.
    void Fill(size_t n);
    // Skips line breaks; false at the end of the text.
    bool SkipLineBreaks();
    // Reads one token at Pos: a stroke, or an answer (answer = 1 for <Yes>,
    // 0 for <No>, -1 for a stroke). False with `error` set on a broken one.
    bool ReadToken(TKeyStroke& stroke, int& answer, size_t& at, std::string& error);

    std::string_view Text;  // the text at hand: the memory text, or Buffer
    std::string Buffer;     // the window of a file's converted text
    std::string Pending;    // raw bytes of an incomplete UTF-8 character
    std::string Path;
    TFd File;              // the file (closed for a memory text or once read to its end)
    size_t Pos = 0;        // read position in Text
    uint64_t Dropped = 0;  // bytes of the file's text before Buffer
};

// Parses a whole key script (1250 bytes). On an error returns nullopt and
// sets `error` to a text naming the 1-based offset.
std::optional<std::vector<TScriptKey>> ParseKeyScript(std::string_view text, std::string& error);

// The key-script form of a stroke ("a", "<<", "<C-End>").
std::string KeyName(const TKeyStroke& stroke);

}  // namespace tallyra::core
