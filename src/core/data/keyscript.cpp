#include "keyscript.h"

#include "../shell/format.h"

namespace tallyra::core {

namespace {

struct TKeyNameRow {
    const char* Name;
    TKey Key;
};

const TKeyNameRow KeyNames[] = {
    {"Enter", TKey::Enter}, {"Esc", TKey::Esc},   {"Tab", TKey::Tab},     {"BS", TKey::BS},
    {"Del", TKey::Del},     {"Left", TKey::Left}, {"Right", TKey::Right}, {"Up", TKey::Up},
    {"Down", TKey::Down},   {"Home", TKey::Home}, {"End", TKey::End},     {"PgUp", TKey::PgUp},
    {"PgDn", TKey::PgDn},   {"Ins", TKey::Ins},   {"KP+", TKey::KPPlus},  {"F1", TKey::F1},
    {"F2", TKey::F2},       {"F3", TKey::F3},     {"F4", TKey::F4},       {"F5", TKey::F5},
    {"F6", TKey::F6},       {"F7", TKey::F7},     {"F8", TKey::F8},       {"F9", TKey::F9},
    {"F10", TKey::F10},     {"F11", TKey::F11},   {"F12", TKey::F12},
};

}  // namespace

std::optional<std::vector<TScriptKey>> ParseKeyScript(std::string_view text, std::string& error) {
    std::vector<TScriptKey> keys;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        if (c != '<') {
            TScriptKey key;
            key.Stroke.Char = c;
            keys.push_back(key);
            ++i;
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '<') {
            TScriptKey key;
            key.Stroke.Char = '<';
            keys.push_back(key);
            i += 2;
            continue;
        }
        const size_t close = text.find('>', i + 1);
        // "<KP+>" holds no ">" of its own, so the first ">" closes every name.
        if (close == std::string_view::npos || close - i > 40) {
            error = Format("unterminated key name at offset %zu", i + 1);
            return std::nullopt;
        }
        std::string_view name = text.substr(i + 1, close - i - 1);
        const size_t at = i + 1;
        i = close + 1;
        if (name == "Yes" || name == "No") {
            if (keys.empty()) {
                error = Format("<%s> at offset %zu answers no key", std::string(name).c_str(), at);
                return std::nullopt;
            }
            keys.back().Answers.push_back(name == "Yes");
            continue;
        }
        TKeyStroke stroke;
        while (name.size() > 2 && name[1] == '-' &&
               (name[0] == 'C' || name[0] == 'A' || name[0] == 'S')) {
            (name[0] == 'C' ? stroke.Ctrl : name[0] == 'A' ? stroke.Alt : stroke.Shift) = true;
            name.remove_prefix(2);
        }
        bool known = false;
        for (const TKeyNameRow& row : KeyNames)
            if (name == row.Name) {
                stroke.Key = row.Key;
                known = true;
            }
        if (!known) {
            error = Format("unknown key <%s> at offset %zu", std::string(name).c_str(), at);
            return std::nullopt;
        }
        keys.push_back({stroke, {}});
    }
    return keys;
}

std::string KeyName(const TKeyStroke& stroke) {
    if (stroke.Key == TKey::Char && !stroke.Ctrl && !stroke.Alt)
        return stroke.Char == '<' ? "<<" : std::string(1, stroke.Char);
    std::string name = "<";
    if (stroke.Ctrl) name += "C-";
    if (stroke.Alt) name += "A-";
    if (stroke.Shift) name += "S-";
    if (stroke.Key == TKey::Char) {
        name += stroke.Char;
    } else {
        for (const TKeyNameRow& row : KeyNames)
            if (row.Key == stroke.Key) name += row.Name;
    }
    return name + ">";
}

}  // namespace tallyra::core
