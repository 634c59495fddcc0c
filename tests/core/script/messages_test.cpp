// SPDX-License-Identifier: GPL-3.0-or-later
// Message lists: the overflow rule, sorting, display lines and the catalogue.
#include <gtest/gtest.h>

#include "script/keywords.h"
#include "script/tpxmessage.h"
#include "shell/errors.h"
#include "shell/langtext.h"

namespace tallyra::core {
namespace {

class Messages : public ::testing::Test {
protected:
    void SetUp() override {
        Saved = CurrentLanguage();
        SetCurrentLanguage(LangEnglish);
    }
    void TearDown() override { SetCurrentLanguage(Saved); }
    int Saved = LangEnglish;
};

TEST_F(Messages, LimitOfOneKeepsOneErrorAndTheMarker) {
    TPXMessageList list;
    list.Limit = 1;
    list.AddMessage(mkWarning, 5, 0x4006);
    list.AddMessage(mkError, 7, 0x2001);  // replaces the warning
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Get(0)->Code, 0x2001);
    list.AddMessage(mkHint, 8, 0x6001);  // dropped silently
    EXPECT_EQ(list.Count(), 1);
    EXPECT_THROW(list.AddMessage(mkError, 9, 0x2002), EMessagesLimit);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Get(1)->Code, 0);
    EXPECT_EQ(list.Get(1)->Position, 9);
    EXPECT_EQ(list.FormatItem(1), "(2) Error: too many errors, the rest will be ignored.");
    EXPECT_EQ(list.CountKinds({mkError}), 2);
    // once over the limit nothing more is kept, and nothing raises
    list.AddMessage(mkError, 10, 0x2003);
    EXPECT_EQ(list.Count(), 2);
}

TEST_F(Messages, FullListOfWarningsGivesWayToErrorsInOrder) {
    TPXMessageList list;
    for (int i = 0; i < 100; ++i)
        list.AddMessage(i % 2 ? mkHint : mkWarning, i, 0x4001);
    list.AddMessage(mkError, 200, 0x2001);
    list.AddMessage(mkError, 201, 0x2002);
    list.AddMessage(mkWarning, 202, 0x4002);
    ASSERT_EQ(list.Count(), 100);
    EXPECT_EQ(list.Get(0)->Position, 2);  // the two earliest went
    EXPECT_EQ(list.Get(98)->Code, 0x2001);
    EXPECT_EQ(list.Get(99)->Code, 0x2002);
}

TEST_F(Messages, MaximumLimitDropsNothing) {
    TPXMessageList list;
    list.Limit = LimitForErrorMode(2, 0);
    for (int i = 0; i < 1000; ++i)
        list.AddMessage(mkError, i, 0x2001);
    EXPECT_EQ(list.Count(), 1000);
    EXPECT_EQ(LimitForErrorMode(0, 50), 1);
    EXPECT_EQ(LimitForErrorMode(1, 50), 50);
}

TEST_F(Messages, MarkerOnlyWhenAsked) {
    TEHList list(1, false, false);
    list.AddMessage(mkError, 1, 0x2001);
    EXPECT_THROW(list.AddMessage(mkError, 2, 0x2001), EMessagesLimit);
    EXPECT_EQ(list.Count(), 1);
    // a plain list knows no catalogue and shows no kind
    EXPECT_EQ(list.FormatItem(0), "(1) unknown message: 8193.");
}

TEST_F(Messages, SortIsStableByPosition) {
    TPXMessageList list;
    list.AddMessage(mkHint, 9, 0x6001);
    list.AddMessage(mkError, 3, 0x2001);
    list.AddMessage(mkWarning, 9, 0x4001);
    list.AddMessage(mkError, 3, 0x2002);
    list.Sort();
    const int32_t codes[] = {0x2001, 0x2002, 0x6001, 0x4001};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(list.Get(i)->Code, codes[i]);
    EXPECT_EQ(list.Get(2)->Seq, 0);
}

TEST_F(Messages, DisplayLinesNumberAndNameEachKindInBothLanguages) {
    TPXMessageList list;
    list.AddMessage(mkWarning, 1, 0x4006);
    list.AddMessage(mkHint, 1, 0x6003);
    list.AddMessage(mkError, 1, 0x2020);
    list.AddMessage(mkError, 1, 0x7777);
    EXPECT_EQ(list.FormatItem(0), "(1) Warning: label never used.");
    EXPECT_EQ(list.FormatItem(1), "(2) Hint: unnecessary REPEAT definition.");
    EXPECT_EQ(list.FormatItem(2),
              "(3) Error: invalid value with REPEAT, must be in the 1:999 range.");
    EXPECT_EQ(list.FormatItem(3), "(4) Error: unknown message: 30583.");
    SetCurrentLanguage(LangPolish);
    EXPECT_EQ(list.FormatItem(0), "(1) Ostrzeżenie: etykieta nie została użyta.");
    EXPECT_EQ(list.FormatItem(1), "(2) Uwaga: niepotrzebne określenie liczby powtórzeń REPEAT.");
    EXPECT_EQ(list.FormatItem(3), "(4) Błąd: nieznany komunikat: 30583.");
}

TEST_F(Messages, CatalogueTextsFillInTheirArguments) {
    struct Case {
        int32_t Code;
        const char* English;
        const char* Polish;
    };
    const Case cases[] = {
        {0x2019, "CONST field cannot be also the record identifier",
         "pole CONST nie może być identyfikatorem rekordu"},
        {0x200E, "instruction is invalid in PAGE definition",
         "instrukcja nie może występować w definicji PAGE"},
        {0x200F, "instruction is invalid in COMMENT definition",
         "instrukcja nie może występować w definicji COMMENT"},
        {0x201F, "when using ITEM you must also use REPEAT",
         "przy określaniu ITEM należy też określić REPEAT"},
        {0x2021, "invalid value with ITEM, must be in the 1:999 range",
         "nieprawidłowa wartość przy ITEM, musi być z zakresu 1:999"},
        {0x2025, "invalid width of a numeric field (max. 11 characters)",
         "za duża szerokość pola numerycznego (max. 11 znaków)"},
        {0x2026, "invalid width of a numeric field (max. 8 characters)",
         "za duża szerokość pola numerycznego (max. 8 znaków)"},
        {0x2029, "text field width too big (max. 48 characters)",
         "za duża szerokość pola tekstowego (max. 48 znakow)"},
        {0x2032, "a script must have at least one data field which is not CONST or RECID",
         "słownik musi zawierać co najmniej jedno pole danych nie będące polem CONST lub RECID"},
        {0x2035, "HEIGHT instruction not allowed", "Niedozwolona instrukcja HEIGHT"},
        {0x4004, "range values wider then WIDTH", "wartości z zakresu są szersze od WIDTH"},
        {0x6002, "unnecessary ITEM definition", "niepotrzebne określenie wartości ITEM"},
        {0x6007, "RANGE definition unnecessary - inherited",
         "definicja RANGE niepotrzebna ze względu na dziedziczenie"},
        {0x6008, "HEIGHT definition unnecessary - default is 1",
         "definicja HEIGHT niepotrzebna - 1 jest wartością domyślną"},
        {0x206C, "automatic value outside of a filter/group",
         "wartość automatyczna poza filtrem/grupą"},
    };
    for (const Case& c : cases) {
        SetCurrentLanguage(LangEnglish);
        EXPECT_EQ(PXMessageText(c.Code), c.English) << std::hex << c.Code;
        SetCurrentLanguage(LangPolish);
        EXPECT_EQ(PXMessageText(c.Code), c.Polish) << std::hex << c.Code;
    }
}

TEST_F(Messages, EveryCatalogueCodeHasBothTexts) {
    std::vector<int32_t> codes;
    for (int32_t c = 0x2001; c <= 0x2035; ++c)
        codes.push_back(c);
    for (int32_t c = 0x2065; c <= 0x206C; ++c)
        codes.push_back(c);
    for (int32_t c = 0x4001; c <= 0x400B; ++c)
        codes.push_back(c);
    for (int32_t c = 0x6001; c <= 0x6008; ++c)
        codes.push_back(c);
    for (const int32_t code : codes) {
        SetCurrentLanguage(LangEnglish);
        const std::string english = PXMessageText(code);
        SetCurrentLanguage(LangPolish);
        const std::string polish = PXMessageText(code);
        EXPECT_FALSE(english.empty()) << std::hex << code;
        EXPECT_FALSE(polish.empty()) << std::hex << code;
        EXPECT_EQ(english.find('%'), std::string::npos) << std::hex << code;
        EXPECT_EQ(polish.find('%'), std::string::npos) << std::hex << code;
    }
}

TEST_F(Messages, SummaryTellsTheWorstKindFound) {
    TPXMessageList list;
    EXPECT_EQ(CheckSummary(list), "The file is correct.");
    list.AddMessage(mkHint, 1, 0x6001);
    EXPECT_EQ(CheckSummary(list), "The file is almost correct, but:");
    list.AddMessage(mkError, 1, 0x2001);
    EXPECT_EQ(CheckSummary(list), "The file is not correct:");
    SetCurrentLanguage(LangPolish);
    EXPECT_EQ(CheckSummary(list), "Plik nie jest poprawny:");
}

}  // namespace
}  // namespace tallyra::core
