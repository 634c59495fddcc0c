// SPDX-License-Identifier: GPL-3.0-or-later
#include "tpxmessage.h"

#include "../shell/format.h"
#include "../shell/langtext.h"
#include "keywords.h"
#include "tpxdictionary.h"

namespace tallyra::core {

namespace {

struct TCatalogueEntry {
    int32_t Code;
    const char* Text;
    // Arguments: keyword indexes (kw1, kw2) and integers (n1, n2), in the
    // order the text's placeholders take them.
    TKeyword Kw1 = kwNone;
    TKeyword Kw2 = kwNone;
    int N1 = 0;
    int N2 = 0;
    int IntCount = 0;
};

const char* const TextInvalidIn =
    "<EN>instruction is invalid in %s definition"
    "<PL>instrukcja nie może występować w definicji %s";
const char* const TextInvalidValue =
    "<EN>invalid value with %s, must be in the %d:%d range"
    "<PL>nieprawidłowa wartość przy %s, musi być z zakresu %d:%d";
const char* const TextNumericWidth =
    "<EN>invalid width of a numeric field (max. %d characters)"
    "<PL>za duża szerokość pola numerycznego (max. %d znaków)";
const char* const TextInherited =
    "<EN>%s definition unnecessary - inherited"
    "<PL>definicja %s niepotrzebna ze względu na dziedziczenie";

const TCatalogueEntry Catalogue[] = {
    {0x2001, "<EN>number syntax error<PL>błąd zapisu liczby"},
    {0x2002, "<EN>text does not end with a '<PL>napis nie został zakończony apostrofem"},
    {0x2003, "<EN>unknown reserved word<PL>nieznane słowo kluczowe"},
    {0x2004, "<EN>comment does not end with }<PL>komentarz nie został zakończony"},
    {0x2005, "<EN>comment has no beginning<PL>komentarz nie ma początku"},
    {0x2006, "<EN>invalid character<PL>niedozwolony znak"},
    {0x2007, "<EN>instruction / reserved word expected<PL>oczekiwana instrukcja / słowo kluczowe"},
    {0x2008,
     "<EN>instruction does not end with an *<PL>instrukcja nie została zakończona gwiazdką"},
    {0x2009,
     "<EN>= expected after this reserved word"
     "<PL>oczekiwany znak równości po słowie kluczowym"},
    {0x200A, "<EN>identifier expected<PL>oczekiwany identyfikator"},
    {0x200B, "<EN>reserved word repeated<PL>powtórzone słowo kluczowe"},
    {0x200C, "<EN>text expected<PL>oczekiwany tekst"},
    {0x200D, "<EN>number expected<PL>oczekiwana liczba"},
    {0x200E, TextInvalidIn, kwPage},
    {0x200F, TextInvalidIn, kwComment},
    {0x2010, "<EN>[ expected<PL>oczekiwany ["},
    {0x2011, "<EN>] expected<PL>oczekiwany ]"},
    {0x2012, "<EN>label already defined<PL>etykieta została już zdefiniowana"},
    {0x2013, "<EN>undefined label<PL>etykieta nie została jeszcze zdefiniowana"},
    {0x2014,
     "<EN>invalid reference (to an instruction of a different kind)"
     "<PL>błędne odwołanie (do instrukcji innego typu)"},
    {0x2015,
     "<EN>there must be at least one field on a page"
     "<PL>na stronie musi znajdować się co najmniej jedno pole"},
    {0x2016,
     "<EN>attribute legal only in field definition instructions"
     "<PL>atrybut dozwolony tylko w instrukcjach definiujących pola"},
    {0x2017,
     "<EN>attribute legal only in text field definition instructions"
     "<PL>atrybut dozwolony tylko w instrukcjach definiujących pola tekstowe"},
    {0x2018,
     "<EN>attribute legal only in numeric field definition instructions"
     "<PL>atrybut dozwolony tylko w instrukcjach definiujących pola numeryczne"},
    {0x2019,
     "<EN>%s field cannot be also the record identifier"
     "<PL>pole %s nie może być identyfikatorem rekordu",
     kwConst},
    {0x201A, "<EN>record identifier already defined<PL>identyfikator rekordu już określony"},
    {0x201B, "<EN>range does not exist<PL>nie istnieje zakres"},
    {0x201C, "<EN>group not ended yet<PL>grupa nie została jeszcze zakończona"},
    {0x201D,
     "<EN>record identifier cannot belong to a group"
     "<PL>identyfikator rekordu nie może należeć do grupy"},
    {0x201E,
     "<EN>this label must describe a numer field"
     "<PL>ta etykieta musi opisywać pole numeryczne"},
    {0x201F,
     "<EN>when using %s you must also use %s"
     "<PL>przy określaniu %s należy też określić %s",
     kwItem, kwRepeat},
    {0x2020, TextInvalidValue, kwRepeat, kwNone, 1, 999, 2},
    {0x2021, TextInvalidValue, kwItem, kwNone, 1, 999, 2},
    {0x2022, "<EN>invalid character in the label<PL>niedozwolony znak w nazwie etykiety"},
    {0x2023,
     "<EN>%s illegal in this definition"
     "<PL>w definicji jednoczesnej nie może wystąpić %s",
     kwRecId},
    {0x2024, "<EN>this label must describe a field<PL>ta etykieta musi opisywać pole"},
    {0x2025, TextNumericWidth, kwNone, kwNone, 11, 0, 1},
    {0x2026, TextNumericWidth, kwNone, kwNone, 8, 0, 1},
    {0x2027,
     "<EN>invalid height of a numeric field (must equal to 1)"
     "<PL>nieprawidłowa wysokość pola numerycznego (musi wynosić 1)"},
    {0x2028,
     "<EN>invalid width of a text field (max. %d characters)"
     "<PL>za duża szerokość pola tekstowego (max. %d znaków)",
     kwNone, kwNone, 32767, 0, 1},
    {0x2029,
     "<EN>text field width too big (max. %d characters)"
     "<PL>za duża szerokość pola tekstowego (max. %d znakow)",
     kwNone, kwNone, 48, 0, 1},
    {0x202A,
     "<EN>field width must be greater than zero<PL>szerokość pola musi być większa od zera"},
    {0x202B,
     "<EN>field height must be greater than zero"
     "<PL>wysokość pola musi być większa od zera"},
    {0x202C, "<EN>invalid auto value<PL>nieprawidłowa wartość automatyczna"},
    {0x202D,
     "<EN>auto value width greater then the field width"
     "<PL>szerokość wartości automatycznej większa od szerokości pola"},
    {0x202E,
     "<EN>numeric auto value illegal in a text field"
     "<PL>w polu tekstowym niedozwolona liczbowa wartość automatyczna"},
    {0x202F,
     "<EN>auto value width different from the field width"
     "<PL>szerokość wartości automatycznej różna od szerokości pola"},
    {0x2030, "<EN>this range cannot be empty<PL>ten zakres nie może być pusty"},
    {0x2031,
     "<EN>record identifier cannot belong to a filter"
     "<PL>identyfikator rekordu nie może zależeć od filtru"},
    {0x2032,
     "<EN>a script must have at least one data field which is not %s or %s"
     "<PL>słownik musi zawierać co najmniej jedno pole danych nie będące polem %s lub %s",
     kwConst, kwRecId},
    {0x2033, "<EN>record too long (max. %d characters)<PL>za długi rekord (max. %d znaków)", kwNone,
     kwNone, MaxRecordLength, 0, 1},
    {0x2034,
     "<EN>In variable name definitions you cannot refer to other fields"
     "<PL>Przy definicjach nazw zmiennych nie można odwoływać się do innych pól"},
    {0x2035, "<EN>%s instruction not allowed<PL>Niedozwolona instrukcja %s", kwHeight},
    {0x2065, "<EN>undefined value<PL>wartość nieokreślona"},
    {0x2066, "<EN>constant field value not automatic<PL>wartość pola stałego nie automatyczna"},
    {0x2067, "<EN>non-numeric value<PL>wartość nienumeryczna"},
    {0x2068, "<EN>value outside of the allowed range<PL>wartość spoza zakresu"},
    {0x2069, "<EN>non-automatic value under the filter<PL>pod filtrem wartość nie automatyczna"},
    {0x206A,
     "<EN>another value after the automatic value<PL>po wartości automatycznej inna wartość"},
    {0x206B, "<EN>value repeated<PL>powtórzona wartość"},
    {0x206C,
     "<EN>automatic value outside of a filter/group"
     "<PL>wartość automatyczna poza filtrem/grupą"},
    {0x4001, "<EN>overlapping ranges<PL>przedziały nie są rozłączne"},
    {0x4002, "<EN>invalid range<PL>nieprawidłowy przedział"},
    {0x4003,
     "<EN>numeric auto value outside of the allowed range"
     "<PL>numeryczna wartość automatyczna spoza zakresu"},
    {0x4004, "<EN>range values wider then %s<PL>wartości z zakresu są szersze od %s", kwWidth},
    {0x4005,
     "<EN>active filter values outside of the allowed range"
     "<PL>wartośći aktywne filtru spoza zakresu"},
    {0x4006, "<EN>label never used<PL>etykieta nie została użyta"},
    {0x4007, "<EN>left text missing<PL>brak lewego opisu"},
    {0x4008,
     "<EN>active filter values match the allowed range"
     "<PL>wartości aktywne filtru pokrywają się z zakresem"},
    {0x4009,
     "<EN>%s is wider than the max. allowed value"
     "<PL>maksymalna wartość zakresu węższa od %s",
     kwWidth},
    {0x400A, "<EN>illegal variable name<PL>nieprawidłowa nazwa zmiennej"},
    {0x400B, "<EN>variable name repeated<PL>nazwa zmiennej powtarza się"},
    {0x6001, "<EN>record identifier not defined<PL>nie został określony identyfikator rekordu"},
    {0x6002, "<EN>unnecessary %s definition<PL>niepotrzebne określenie wartości %s", kwItem},
    {0x6003, "<EN>unnecessary %s definition<PL>niepotrzebne określenie liczby powtórzeń %s",
     kwRepeat},
    {0x6004,
     "<EN>left label of this definition has no $ character"
     "<PL>lewy opis w definicji jednoczesnej nie zawiera znaku $"},
    {0x6005, TextInherited, kwAuto},
    {0x6006, TextInherited, kwWidth},
    {0x6007, TextInherited, kwRange},
    {0x6008,
     "<EN>%s definition unnecessary - default is 1"
     "<PL>definicja %s niepotrzebna - 1 jest wartością domyślną",
     kwHeight},
};

}  // namespace

std::string PXMessageText(int32_t code) {
    for (const TCatalogueEntry& e : Catalogue) {
        if (e.Code != code) continue;
        const std::string text = LangText(e.Text);
        if (e.Kw2 != kwNone) return FormatText(text, KeywordsUpper[e.Kw1], KeywordsUpper[e.Kw2]);
        if (e.Kw1 != kwNone && e.IntCount == 2)
            return FormatText(text, KeywordsUpper[e.Kw1], e.N1, e.N2);
        if (e.Kw1 != kwNone) return FormatText(text, KeywordsUpper[e.Kw1]);
        if (e.IntCount == 1) return FormatText(text, e.N1);
        return text;
    }
    return std::string();
}

std::unique_ptr<TEHMessage> TPXMessage::CreateCopy() const {
    return std::make_unique<TPXMessage>(Kind, Position, Code);
}

std::string TPXMessage::GetBaseText() const {
    std::string text = PXMessageText(Code);
    if (text.empty()) text = TEHMessage::GetBaseText();
    return text;
}

std::unique_ptr<TEHMessage> TPXMessageList::NewMessage() const {
    return std::make_unique<TPXMessage>();
}

int32_t LimitForErrorMode(int errorMode, int errorCount) {
    if (errorMode == 0) return 1;
    if (errorMode == 1) return errorCount;
    return 2147483647;
}

std::string CheckSummary(const TEHList& messages) {
    if (messages.Count() == 0) return LangText(TextCorrect);
    if (messages.CountKinds({mkError}) > 0) return LangText(TextNotCorrect);
    return LangText(TextAlmostCorrect);
}

}  // namespace tallyra::core
