// SPDX-License-Identifier: GPL-3.0-or-later
#include "keyscript.h"

#include <fcntl.h>
#include <unistd.h>
#include <utility>

#include "../shell/cp1250.h"
#include "../shell/errors.h"
#include "../shell/fdio.h"
#include "../shell/format.h"
#include "../shell/ioerror.h"

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

TKeyScriptReader::TKeyScriptReader(std::string_view text) : Text(text) {}

TKeyScriptReader TKeyScriptReader::FromFile(const std::string& path) {
    TKeyScriptReader reader;
    reader.Path = path;
    try {
        reader.File = OpenRegularFile(path, O_RDONLY);
    } catch (const EGeneric& e) {
        throw EGeneric(FileErrorText(path, e.Text()));
    }
    return reader;
}

TKeyScriptReader::TKeyScriptReader(TKeyScriptReader&& other) noexcept
    : Buffer(std::move(other.Buffer)),
      Pending(std::move(other.Pending)),
      Path(std::move(other.Path)),
      File(std::move(other.File)),
      Pos(other.Pos),
      Dropped(other.Dropped) {
    Text = Path.empty() ? other.Text : std::string_view(Buffer);
}

TKeyScriptReader::~TKeyScriptReader() = default;

void TKeyScriptReader::Fill(size_t n) {
    if (File.Get() < 0 || Text.size() - Pos >= n) return;
    // What was read goes; the window keeps only the bytes not yet parsed.
    Buffer.erase(0, Pos);
    Dropped += Pos;
    Pos = 0;
    char raw[65536];
    while (File.Get() >= 0 && Buffer.size() < n) {
        size_t got;
        try {
            got = ReadFull(File.Get(), raw, sizeof raw);
        } catch (const EGeneric& e) {
            throw EGeneric(FileErrorText(Path, e.Text()));
        }
        std::string bytes = std::move(Pending);
        Pending.clear();
        bytes.append(raw, got);
        if (got < sizeof raw) {
            File = TFd();
        } else {
            // An incomplete character at the end waits for the rest of it.
            size_t keep = bytes.size();
            for (size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
                const auto lead = static_cast<unsigned char>(bytes[bytes.size() - back]);
                if (lead < 0xC0) continue;
                const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
                if (length > back) keep = bytes.size() - back;
                break;
            }
            Pending = bytes.substr(keep);
            bytes.resize(keep);
        }
        Buffer += Utf8ToCp1250(bytes);
    }
    Text = Buffer;
}

bool TKeyScriptReader::SkipLineBreaks() {
    for (;;) {
        Fill(1);
        if (Pos >= Text.size()) return false;
        if (Text[Pos] != '\r' && Text[Pos] != '\n') return true;
        ++Pos;
    }
}

bool TKeyScriptReader::ReadToken(TKeyStroke& stroke, int& answer, size_t& at, std::string& error) {
    // A key name is at most 40 bytes, so the whole token is in the window.
    Fill(64);
    stroke = TKeyStroke();
    answer = -1;
    const size_t i = Pos;
    at = static_cast<size_t>(Dropped) + i + 1;
    const char c = Text[i];
    if (c != '<') {
        stroke.Char = c;
        Pos = i + 1;
        return true;
    }
    if (i + 1 < Text.size() && Text[i + 1] == '<') {
        stroke.Char = '<';
        Pos = i + 2;
        return true;
    }
    const size_t close = Text.substr(0, i + 42).find('>', i + 1);
    // "<KP+>" holds no ">" of its own, so the first ">" closes every name.
    if (close == std::string_view::npos || close - i > 40) {
        error = Format("unterminated key name at offset %zu", at);
        return false;
    }
    std::string_view name = Text.substr(i + 1, close - i - 1);
    if (name == "Yes" || name == "No") {
        answer = name == "Yes" ? 1 : 0;
        Pos = close + 1;
        return true;
    }
    while (name.size() > 2 && name[1] == '-' &&
           (name[0] == 'C' || name[0] == 'A' || name[0] == 'S')) {
        (name[0] == 'C' ? stroke.Ctrl : name[0] == 'A' ? stroke.Alt : stroke.Shift) = true;
        name.remove_prefix(2);
    }
    for (const TKeyNameRow& row : KeyNames)
        if (name == row.Name) {
            stroke.Key = row.Key;
            Pos = close + 1;
            return true;
        }
    error = Format("unknown key <%s> at offset %zu", std::string(name).c_str(), at);
    return false;
}

bool TKeyScriptReader::Next(TScriptKey& key, std::string& error) {
    error.clear();
    key = TScriptKey();
    if (!SkipLineBreaks()) return false;
    int answer;
    size_t at;
    if (!ReadToken(key.Stroke, answer, at, error)) return false;
    if (answer >= 0) {
        // Answers that follow a key are taken with it below; one here has none.
        error = Format("<%s> at offset %zu answers no key", answer ? "Yes" : "No", at);
        return false;
    }
    // The answers right after the key belong to it; the token after them
    // stays for the next call.
    while (SkipLineBreaks()) {
        // The token is in the window before the mark is taken, so the
        // window does not move under it.
        Fill(64);
        const size_t mark = Pos;
        TKeyStroke next;
        std::string ignored;
        if (!ReadToken(next, answer, at, ignored) || answer < 0) {
            Pos = mark;
            break;
        }
        key.Answers.push_back(answer == 1);
    }
    return true;
}

std::optional<std::vector<TScriptKey>> ParseKeyScript(std::string_view text, std::string& error) {
    TKeyScriptReader reader(text);
    std::vector<TScriptKey> keys;
    TScriptKey key;
    while (reader.Next(key, error))
        keys.push_back(std::move(key));
    if (!error.empty()) return std::nullopt;
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
