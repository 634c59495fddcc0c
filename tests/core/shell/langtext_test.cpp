// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/langtext.h"

#include <cerrno>

#include <gtest/gtest.h>

#include "shell/errors.h"
#include "shell/ioerror.h"

namespace tallyra::core {
namespace {

class LanguageGuard {
public:
    LanguageGuard() : Saved(CurrentLanguage()) {}
    ~LanguageGuard() { SetCurrentLanguage(Saved); }

private:
    int Saved;
};

TEST(LangText, SelectsSectionsForEachLanguage) {
    struct Case {
        const char* Text;
        const char* English;
        const char* Polish;
    };
    const Case cases[] = {
        {"plain text", "plain text", "plain text"},
        {"<EN>Data: %s<PL>Dane: %s", "Data: %s", "Dane: %s"},
        {"<*>OK", "OK", "OK"},
        {"<EN>Unknown I/O error<PL>Nieznany błąd we/wy<*> %d.", "Unknown I/O error %d.",
         "Nieznany błąd we/wy %d."},
        {"2: <EN>File not found.<PL>Plik nie został znaleziony.", "2: File not found.",
         "2: Plik nie został znaleziony."},
        {"a <b> <EN>c<PL>d<*> e", "a <b> c e", "a <b> d e"},
        {"<EN>x < y<PL>x <DE> y", "x < y", "x <DE> y"},
        {"<EN", "<EN", "<EN"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LangTextFor(c.Text, LangEnglish), c.English) << c.Text;
        EXPECT_EQ(LangTextFor(c.Text, LangPolish), c.Polish) << c.Text;
    }
}

TEST(LangText, FollowsTheCurrentLanguage) {
    LanguageGuard guard;
    SetCurrentLanguage(LangPolish);
    EXPECT_EQ(LangText("<EN>Yes<PL>Tak"), "Tak");
    SetCurrentLanguage(0);  // never the common section
    EXPECT_EQ(CurrentLanguage(), LangPolish);
    SetCurrentLanguage(LangEnglish);
    EXPECT_EQ(LangText("<EN>Yes<PL>Tak"), "Yes");
}

TEST(LangText, StartupLanguageFromTheSystemLanguage) {
    EXPECT_EQ(StartupLanguage(9), LangEnglish);
    EXPECT_EQ(StartupLanguage(21), LangPolish);
    EXPECT_EQ(StartupLanguage(7), LangEnglish);  // German
    EXPECT_EQ(StartupLanguage(PrimaryLangIdOfLocale("pl_PL.UTF-8")), LangPolish);
    EXPECT_EQ(StartupLanguage(PrimaryLangIdOfLocale("de_DE.UTF-8")), LangEnglish);
    EXPECT_EQ(StartupLanguage(PrimaryLangIdOfLocale("C")), LangEnglish);
    EXPECT_EQ(PrimaryLangIdOfLocale("plx"), 0);
}

TEST(IOErrorText, GivesTextsForListedUnlistedAndZeroCodes) {
    LanguageGuard guard;
    SetCurrentLanguage(LangEnglish);
    EXPECT_EQ(IOErrorText(0), "");
    EXPECT_EQ(IOErrorText(2), "File not found.");
    EXPECT_EQ(IOErrorText(32), "File access denied - possibly in use by another application.");
    EXPECT_EQ(IOErrorText(161), "Invalid path name.");
    EXPECT_EQ(IOErrorText(999), "Unknown I/O error 999.");
    // "1" must not match the entry of 100 or 15 by prefix.
    EXPECT_EQ(IOErrorText(1), "Unknown I/O error 1.");
    SetCurrentLanguage(LangPolish);
    EXPECT_EQ(IOErrorText(2), "Plik nie został znaleziony.");
    EXPECT_EQ(IOErrorText(999), "Nieznany błąd we/wy 999.");
}

TEST(IOErrorText, EveryCodeHasBothLanguages) {
    const int codes[] = {2,   3,   4,   5,   6,   8,   10,  11,  12,  15,  16,
                         17,  18,  21,  32,  100, 101, 102, 103, 104, 105, 106,
                         112, 150, 151, 152, 154, 156, 157, 158, 161};
    for (const int code : codes) {
        LanguageGuard guard;
        SetCurrentLanguage(LangEnglish);
        const std::string english = IOErrorText(code);
        SetCurrentLanguage(LangPolish);
        const std::string polish = IOErrorText(code);
        EXPECT_EQ(english.find("Unknown I/O error"), std::string::npos) << code;
        EXPECT_FALSE(polish.empty()) << code;
        EXPECT_NE(english, polish) << code;
    }
}

TEST(IOErrorText, SystemErrorsMapOntoCodes) {
    LanguageGuard guard;
    SetCurrentLanguage(LangEnglish);
    EXPECT_EQ(IOCodeFromErrno(ENOENT), 2);
    EXPECT_EQ(IOCodeFromErrno(ENOTDIR), 3);
    EXPECT_EQ(IOCodeFromErrno(EMFILE), 4);
    EXPECT_EQ(IOCodeFromErrno(EACCES), 5);
    EXPECT_EQ(IOCodeFromErrno(EWOULDBLOCK), 32);
    EXPECT_EQ(IOCodeFromErrno(ENOSPC), 112);
    EXPECT_EQ(IOCodeFromErrno(EROFS), 150);
    // An unmapped number keeps the system's own number, even where it equals a listed code.
    EXPECT_EQ(SystemErrorText(ECHILD), "Unknown I/O error " + std::to_string(ECHILD) + ".");
    try {
        RaiseSystemError(ENOENT);
        FAIL() << "no exception";
    } catch (const EGeneric& e) {
        EXPECT_STREQ(e.what(), "File not found.");
    }
}

}  // namespace
}  // namespace tallyra::core
