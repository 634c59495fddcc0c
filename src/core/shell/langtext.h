// SPDX-License-Identifier: GPL-3.0-or-later
// Tagged bilingual texts: one string holds every language, each section
// opened by "<EN>", "<PL>" or "<*>" (common). LangText cuts out the part for
// the process-wide current language just before a text is shown.
#pragma once

#include <string>
#include <string_view>

namespace tallyra::core {

// Language indexes: 0 is the common section, 1 English, 2 Polish.
constexpr int LangCommon = 0;
constexpr int LangEnglish = 1;
constexpr int LangPolish = 2;
constexpr int LangCount = 3;

struct TLangRec {
    const char* Code;         // "*", "EN", "PL"
    const char* DisplayName;  // tagged
    int PrimaryLangId;        // the system's primary language identifier
};

// The fixed language table, indexed 0..2.
extern const TLangRec LangRecs[LangCount];

// The current language, 1 or 2 (never 0). English until changed.
int CurrentLanguage();
// Sets the current language; values other than 1 and 2 are ignored.
void SetCurrentLanguage(int language);

// Selection for an explicit language (1 or 2).
std::string LangTextFor(std::string_view text, int language);
// Selection for the current language.
std::string LangText(std::string_view text);

// Start-up language for a system whose primary language id is given: the
// first row (from 1 up) with that id, otherwise English.
int StartupLanguage(int primaryLangId);

// The primary language id of a POSIX locale name such as "pl_PL.UTF-8"
// (21 for Polish, 9 for English, 0 for anything else or an empty name).
int PrimaryLangIdOfLocale(std::string_view localeName);

// The start-up language taken from LC_ALL, LC_MESSAGES and LANG, in that
// order of precedence, as the command-line program uses it.
int LanguageFromEnvironment();

}  // namespace tallyra::core
