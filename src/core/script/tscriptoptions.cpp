// SPDX-License-Identifier: GPL-3.0-or-later
#include "tscriptoptions.h"

#include <cstring>

namespace tallyra::core {

const char* const ScriptOptionsSwitchNames[ScriptOptionsSwitchCount] = {
    "ExtLongText",     "ExtUnderscore",     "ExtWideNumbers",    "ExtHeight",
    "HintItem1",       "HintRepeat1",       "HintNoDollar",      "HintInherited",
    "WarnOverlap",     "WarnBadRange",      "WarnRangeWider",    "WarnWidthWider",
    "WarnAutoOutside", "WarnFilterOutside", "WarnFilterMatches", "WarnUnusedLabel",
    "WarnNoLeft",      "WarnBadVarName",    "WarnVarRepeated",
};

namespace {

// The switch bytes in stored order.
std::array<uint8_t*, ScriptOptionsSwitchCount> Switches(TScriptOptions& o) {
    return {&o.ExtLongText,     &o.ExtUnderscore,     &o.ExtWideNumbers,    &o.ExtHeight,
            &o.HintItem1,       &o.HintRepeat1,       &o.HintNoDollar,      &o.HintInherited,
            &o.WarnOverlap,     &o.WarnBadRange,      &o.WarnRangeWider,    &o.WarnWidthWider,
            &o.WarnAutoOutside, &o.WarnFilterOutside, &o.WarnFilterMatches, &o.WarnUnusedLabel,
            &o.WarnNoLeft,      &o.WarnBadVarName,    &o.WarnVarRepeated};
}

int spssVarSize = DefaultSPSSVarSize;

struct TBlockRange {
    size_t First;
    size_t Size;
};

TBlockRange RangeOf(TOptionsBlock block) {
    switch (block) {
        case TOptionsBlock::Script:
            return {0, 4};
        case TOptionsBlock::Hints:
            return {4, 4};
        case TOptionsBlock::Warnings:
            return {8, 11};
        case TOptionsBlock::Errors:
            return {19, 3};
    }
    return {0, 0};
}

}  // namespace

std::array<uint8_t, 22> TScriptOptions::ToBytes() const {
    std::array<uint8_t, 22> bytes{};
    auto copy = *this;
    const auto switches = Switches(copy);
    for (int i = 0; i < ScriptOptionsSwitchCount; ++i)
        bytes[size_t(i)] = *switches[size_t(i)];
    bytes[19] = ErrorMode;
    bytes[20] = static_cast<uint8_t>(ErrorCount & 0xFF);
    bytes[21] = static_cast<uint8_t>(ErrorCount >> 8);
    return bytes;
}

TScriptOptions TScriptOptions::FromBytes(const std::array<uint8_t, 22>& bytes) {
    TScriptOptions o;
    const auto switches = Switches(o);
    for (int i = 0; i < ScriptOptionsSwitchCount; ++i)
        *switches[size_t(i)] = bytes[size_t(i)];
    o.ErrorMode = bytes[19];
    o.ErrorCount = static_cast<uint16_t>(bytes[20] | (bytes[21] << 8));
    return o;
}

uint8_t* TScriptOptions::SwitchByName(std::string_view name) {
    const auto switches = Switches(*this);
    for (int i = 0; i < ScriptOptionsSwitchCount; ++i)
        if (name == ScriptOptionsSwitchNames[i]) return switches[size_t(i)];
    return nullptr;
}

TScriptOptions FixedReadingOptions() {
    std::array<uint8_t, 22> bytes{};
    for (int i = 0; i < 4; ++i)
        bytes[size_t(i)] = 1;
    bytes[19] = 0;
    bytes[20] = 1;
    bytes[21] = 0;
    return TScriptOptions::FromBytes(bytes);
}

std::vector<uint8_t> OptionsBlock(const TScriptOptions& options, TOptionsBlock block) {
    const auto bytes = options.ToBytes();
    const TBlockRange r = RangeOf(block);
    return std::vector<uint8_t>(bytes.begin() + long(r.First),
                                bytes.begin() + long(r.First + r.Size));
}

bool SetOptionsBlock(TScriptOptions& options, TOptionsBlock block,
                     const std::vector<uint8_t>& bytes) {
    const TBlockRange r = RangeOf(block);
    if (bytes.size() != r.Size) return false;
    auto all = options.ToBytes();
    std::memcpy(all.data() + r.First, bytes.data(), r.Size);
    options = TScriptOptions::FromBytes(all);
    return true;
}

int SPSSVarSize() {
    return spssVarSize;
}

void SetSPSSVarSize(int size) {
    spssVarSize = size > 0 ? size : DefaultSPSSVarSize;
}

TColorTable DefaultColors() {
    TColorTable colors{};
    const uint32_t green = 0x008000;  // red 0, green 128, blue 0
    const uint32_t grey = 0x808080;
    colors[1].Foreground = green;  // String
    colors[2].Foreground = grey;   // Comment
    colors[4].Foreground = green;  // Integer
    colors[6].Bold = 1;            // Reserved words
    return colors;
}

std::vector<uint8_t> ColorsToBytes(const TColorTable& colors) {
    std::vector<uint8_t> bytes;
    bytes.reserve(96);
    for (const TColorElement& e : colors) {
        for (const uint32_t c : {e.Foreground, e.Background})
            for (int shift = 0; shift < 32; shift += 8)
                bytes.push_back(uint8_t(c >> shift));
        bytes.push_back(e.Bold);
        bytes.push_back(e.Italic);
        bytes.push_back(e.Underline);
        bytes.push_back(e.Spare);
    }
    return bytes;
}

std::optional<TColorTable> ColorsFromBytes(const std::vector<uint8_t>& bytes) {
    if (bytes.size() != 96) return std::nullopt;
    TColorTable colors{};
    for (size_t i = 0; i < colors.size(); ++i) {
        const uint8_t* p = bytes.data() + i * 12;
        colors[i].Foreground =
            uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
        colors[i].Background =
            uint32_t(p[4]) | uint32_t(p[5]) << 8 | uint32_t(p[6]) << 16 | uint32_t(p[7]) << 24;
        colors[i].Bold = p[8];
        colors[i].Italic = p[9];
        colors[i].Underline = p[10];
        colors[i].Spare = p[11];
    }
    return colors;
}

}  // namespace tallyra::core
