// SPDX-License-Identifier: GPL-3.0-or-later
#include "cliutil.h"

#include <cstdio>

#include "script/tscriptoptions.h"
#include "shell/errors.h"
#include "shell/filebytes.h"
#include "shell/langtext.h"

namespace tallyra::cli {

std::optional<std::string> ReadFileBytes(const std::string& path, std::string& error) {
    try {
        return core::ReadFileBytes(path, core::MaxDocumentBytes);
    } catch (const core::ETallyraError& e) {
        error = e.Text();
        return std::nullopt;
    }
}

std::optional<long long> ParseInteger(const std::string& text) {
    if (text.empty()) return std::nullopt;
    size_t i = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (i >= text.size() || text.size() > 18) return std::nullopt;
    long long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return text[0] == '-' ? -value : value;
}

std::string ConsoleText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
    return out;
}

std::string TerminalText(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    char buffer[8];
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x20 || c == 0x7F) {
            std::snprintf(buffer, sizeof buffer, "\\x%02x", c);
            out += buffer;
        } else if (c == 0xC2 && i + 1 < utf8.size() &&
                   static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(utf8[i + 1]) < 0xA0) {
            std::snprintf(buffer, sizeof buffer, "\\u%04x",
                          static_cast<unsigned char>(utf8[i + 1]));
            out += buffer;
            ++i;
        } else {
            out += utf8[i];
        }
    }
    return out;
}

bool SetLanguageOption(const std::string& value) {
    if (value == "en" || value == "EN") {
        core::SetCurrentLanguage(core::LangEnglish);
        return true;
    }
    if (value == "pl" || value == "PL") {
        core::SetCurrentLanguage(core::LangPolish);
        return true;
    }
    return false;
}

bool SetVarSizeOption(const std::string& value) {
    const auto n = ParseInteger(value);
    if (!n || *n < 1 || *n > 1000000) return false;
    core::SetSPSSVarSize(static_cast<int>(*n));
    return true;
}

}  // namespace tallyra::cli
