// SPDX-License-Identifier: GPL-3.0-or-later
// Check options and script extensions: the 22-byte record handed to every
// reading, its defaults, the fixed options used for script files, its stored
// byte form, and the neighbouring language settings kept beside it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "../editor/editoroptions.h"

namespace tallyra::core {

struct TScriptOptions {
    uint8_t ExtLongText = 1;
    uint8_t ExtUnderscore = 1;
    uint8_t ExtWideNumbers = 1;
    uint8_t ExtHeight = 1;
    uint8_t HintItem1 = 1;
    uint8_t HintRepeat1 = 1;
    uint8_t HintNoDollar = 1;
    uint8_t HintInherited = 0;
    uint8_t WarnOverlap = 1;
    uint8_t WarnBadRange = 1;
    uint8_t WarnRangeWider = 1;
    uint8_t WarnWidthWider = 0;
    uint8_t WarnAutoOutside = 1;
    uint8_t WarnFilterOutside = 1;
    uint8_t WarnFilterMatches = 1;
    uint8_t WarnUnusedLabel = 1;
    uint8_t WarnNoLeft = 1;
    uint8_t WarnBadVarName = 1;
    uint8_t WarnVarRepeated = 1;
    uint8_t ErrorMode = 1;      // 0 first error, 1 error count, 2 all errors
    uint16_t ErrorCount = 100;  // for mode 1

    // The record as its 22 stored bytes (ErrorCount low byte first).
    std::array<uint8_t, 22> ToBytes() const;
    static TScriptOptions FromBytes(const std::array<uint8_t, 22>& bytes);

    // The switch byte with the given field name (ExtLongText ... WarnVarRepeated),
    // or nullptr for an unknown name.
    uint8_t* SwitchByName(std::string_view name);

    bool operator==(const TScriptOptions&) const = default;
};

constexpr int ScriptOptionsSwitchCount = 19;
// The field names of bytes 0..18, in byte order.
extern const char* const ScriptOptionsSwitchNames[ScriptOptionsSwitchCount];

// The options of fresh settings.
inline TScriptOptions DefaultScriptOptions() {
    return TScriptOptions();
}

// The options used when scripts are read from files: all extensions on, all
// hints and warnings off, stop at the first error.
TScriptOptions FixedReadingOptions();

// The stored blocks of the "Preferences" key: "Script" (bytes 0-3), "Hints"
// (4-7), "Warnings" (8-18) and "Errors" (19-21).
enum class TOptionsBlock { Script, Hints, Warnings, Errors };
std::vector<uint8_t> OptionsBlock(const TScriptOptions& options, TOptionsBlock block);
// Stores a block read back; a block of the wrong size is ignored (false).
bool SetOptionsBlock(TScriptOptions& options, TOptionsBlock block,
                     const std::vector<uint8_t>& bytes);

// The process-wide maximum length of variable names (default 8). Values of
// 0 or less are replaced by the default.
int SPSSVarSize();
void SetSPSSVarSize(int size);
constexpr int DefaultSPSSVarSize = 8;

// One colour element of the syntax colouring: colours as 0x00BBGGRR.
struct TColorElement {
    uint32_t Foreground = 0;
    uint32_t Background = 0x00FFFFFF;
    uint8_t Bold = 0;
    uint8_t Italic = 0;
    uint8_t Underline = 0;
    uint8_t Spare = 0;
    bool operator==(const TColorElement&) const = default;
};
constexpr int ColorElementCount = 8;  // Whitespace, String, Comment, Identifier,
                                      // Integer, Float, Reserved words, Delimiters
using TColorTable = std::array<TColorElement, ColorElementCount>;

// The built-in colours.
TColorTable DefaultColors();
// The 96-byte stored form and back; a block of another size gives nullopt.
std::vector<uint8_t> ColorsToBytes(const TColorTable& colors);
std::optional<TColorTable> ColorsFromBytes(const std::vector<uint8_t>& bytes);

// The settings stored with the check options under the same key.
struct TLangSettings {
    TScriptOptions Options;
    uint8_t DefTextWidth = 40;
    int SPSSVarSize = DefaultSPSSVarSize;
    bool Multi1 = true;
    uint32_t Memo = DefaultMemoOptions;
    uint32_t Strings = DefaultStringsOptions;
    TColorTable Colors = DefaultColors();
};

}  // namespace tallyra::core
