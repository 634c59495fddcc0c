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

// Parses a key script (1250 bytes). On an error returns nullopt and sets
// `error` to a text naming the 1-based offset.
std::optional<std::vector<TScriptKey>> ParseKeyScript(std::string_view text, std::string& error);

// The key-script form of a stroke ("a", "<<", "<C-End>").
std::string KeyName(const TKeyStroke& stroke);

}  // namespace tallyra::core
