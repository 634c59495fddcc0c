// SPDX-License-Identifier: GPL-3.0-or-later
#include "scriptprefs.h"

#include <charconv>
#include <climits>

#include "shell/langtext.h"

namespace tallyra::core {

std::vector<bool> ListSwitches(const TScriptOptions& options, TSwitchList list) {
    const auto bytes = options.ToBytes();
    const TSwitchBytes range = SwitchBytes(list);
    std::vector<bool> on;
    for (int i = 0; i < range.Count; ++i)
        on.push_back(bytes[size_t(range.First + i)] != 0);
    return on;
}

void SetListSwitches(TScriptOptions& options, TSwitchList list, const std::vector<bool>& on) {
    auto bytes = options.ToBytes();
    const TSwitchBytes range = SwitchBytes(list);
    for (int i = 0; i < range.Count && size_t(i) < on.size(); ++i)
        bytes[size_t(range.First + i)] = on[size_t(i)] ? 1 : 0;
    options = TScriptOptions::FromBytes(bytes);
}

void SetErrorLimit(TScriptOptions& options, uint8_t mode, uint16_t count) {
    options.ErrorMode = mode;
    if (mode == 1) options.ErrorCount = count;
}

int ParsePrefNumber(std::string_view text) {
    const auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    // from_chars takes a minus but no plus.
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        value < INT_MIN || value > INT_MAX)
        return -1;
    return int(value);
}

std::optional<TPrefsRefusal> CheckPrefsNumbers(std::string_view defTextWidth,
                                               std::string_view spssVarSize,
                                               bool longTextExtension) {
    const int width = ParsePrefNumber(defTextWidth);
    if (width < 1 || width > MaxDefTextWidth(longTextExtension))
        return TPrefsRefusal{
            TPrefsField::DefTextWidth,
            LangText("<EN>Invalid text field width<PL>Nieprawidłowa szerokości pola tekstowego")};
    if (ParsePrefNumber(spssVarSize) < 1)
        return TPrefsRefusal{
            TPrefsField::SPSSVarSize,
            LangText("<EN>Invalid SPSS var length<PL>Nieprawidłowa długość zmiennych SPSS")};
    return std::nullopt;
}

}  // namespace tallyra::core
