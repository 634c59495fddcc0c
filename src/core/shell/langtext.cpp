// SPDX-License-Identifier: GPL-3.0-or-later
#include "langtext.h"

#include <cstdlib>

namespace tallyra::core {

const TLangRec LangRecs[LangCount] = {
    {"*", "##reserved##", 0},
    {"EN", "<EN>English<PL>Angielski", 9},
    {"PL", "<EN>Polish<PL>Polski", 21},
};

namespace {
int currentLanguage = LangEnglish;
}

int CurrentLanguage() {
    return currentLanguage;
}

void SetCurrentLanguage(int language) {
    if (language == LangEnglish || language == LangPolish) currentLanguage = language;
}

std::string LangTextFor(std::string_view text, int language) {
    std::string result;
    result.reserve(text.size());
    int section = LangCommon;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '<') {
            bool tag = false;
            for (int row = 0; row < LangCount; ++row) {
                const std::string_view code = LangRecs[row].Code;
                const size_t len = code.size() + 2;
                if (i + len <= text.size() && text.substr(i + 1, code.size()) == code &&
                    text[i + len - 1] == '>') {
                    section = row;
                    i += len;
                    tag = true;
                    break;
                }
            }
            if (tag) continue;
        }
        if (section == LangCommon || section == language) result += text[i];
        ++i;
    }
    return result;
}

std::string LangText(std::string_view text) {
    return LangTextFor(text, currentLanguage);
}

int StartupLanguage(int primaryLangId) {
    for (int row = LangEnglish; row < LangCount; ++row)
        if (LangRecs[row].PrimaryLangId == primaryLangId) return row;
    return LangEnglish;
}

int PrimaryLangIdOfLocale(std::string_view localeName) {
    if (localeName.size() >= 2) {
        const std::string_view lang = localeName.substr(0, 2);
        if (localeName.size() == 2 || localeName[2] == '_' || localeName[2] == '.' ||
            localeName[2] == '@') {
            if (lang == "pl") return 21;
            if (lang == "en") return 9;
        }
    }
    return 0;
}

int LanguageFromEnvironment() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return StartupLanguage(PrimaryLangIdOfLocale(value));
    }
    return LangEnglish;
}

}  // namespace tallyra::core
