// SPDX-License-Identifier: GPL-3.0-or-later
// The rules of the script preferences: which stored option bytes each list
// of switches (extensions, hints, warnings) edits, how the error limit is
// stored, and which default text widths and SPSS name lengths are accepted.
// The preferences dialog shows and collects; these decide. Nothing here
// raises; the setters change only the fields they name, so a dialog that
// works on a copy of the options can still be cancelled.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "script/tscriptoptions.h"

namespace tallyra::core {

// The lists of switches, each a run of bytes of TScriptOptions::ToBytes.
enum class TSwitchList { Extensions, Hints, Warnings };

struct TSwitchBytes {
    int First;  // the first byte
    int Count;  // the number of switches
};

// Extensions are bytes 0-3, hints 4-7, warnings 8-18.
constexpr TSwitchBytes SwitchBytes(TSwitchList list) {
    switch (list) {
        case TSwitchList::Extensions:
            return {0, 4};
        case TSwitchList::Hints:
            return {4, 4};
        case TSwitchList::Warnings:
            return {8, 11};
    }
    return {0, 0};
}

// The switches of `list` as stored in `options`, in byte order.
std::vector<bool> ListSwitches(const TScriptOptions& options, TSwitchList list);

// Stores the switches of `list` (a switch on becomes 1, off 0). States
// beyond the list's count are ignored; bytes without a state, and every
// byte of the other lists and of the error limit, stay unchanged.
void SetListSwitches(TScriptOptions& options, TSwitchList list, const std::vector<bool>& on);

// Stores the error mode (0 stop at the first error, 1 stop at `count`
// errors, 2 report all). The count is stored only with mode 1, so choosing
// another mode keeps the remembered count.
void SetErrorLimit(TScriptOptions& options, uint8_t mode, uint16_t count);

// The widest default text field: 255 characters with the long-text
// extension, 48 without.
constexpr int MaxDefTextWidth(bool longTextExtension) {
    return longTextExtension ? 255 : 48;
}

// A number typed into a preferences field: the decimal value of the text
// without surrounding blanks (an optional sign allowed), or -1 when the text
// is empty, not a number or out of the int range.
int ParsePrefNumber(std::string_view text);

// The fields the numbers check refuses.
enum class TPrefsField { DefTextWidth, SPSSVarSize };

struct TPrefsRefusal {
    TPrefsField Field;
    std::string Text;  // for the current language
};

// Checks the typed default text width (1..MaxDefTextWidth) and SPSS name
// length (at least 1), in that order. Nothing when both are accepted;
// otherwise the first refused field with its text ("Invalid text field
// width", "Invalid SPSS var length"). Changes nothing.
std::optional<TPrefsRefusal> CheckPrefsNumbers(std::string_view defTextWidth,
                                               std::string_view spssVarSize,
                                               bool longTextExtension);

}  // namespace tallyra::core
