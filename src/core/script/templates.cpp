// SPDX-License-Identifier: GPL-3.0-or-later
#include "templates.h"

#include "../shell/format.h"
#include "../shell/langtext.h"

namespace tallyra::core {

namespace {

std::string Trim(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    const size_t last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

// A whole decimal number as typed (blanks around it allowed); false otherwise.
bool WholeNumber(const std::string& typed, int32_t& value) {
    const std::string s = Trim(typed);
    if (s.empty() || s.size() > 10) return false;
    size_t i = (s[0] == '-' || s[0] == '+') ? 1 : 0;
    if (i == s.size()) return false;
    int64_t v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        v = v * 10 + (s[i] - '0');
    }
    if (s[0] == '-') v = -v;
    if (v > INT32_MAX || v < INT32_MIN) return false;
    value = static_cast<int32_t>(v);
    return true;
}

std::string Pad(int32_t n, int32_t width) {
    std::string digits = std::to_string(n);
    if (static_cast<int32_t>(digits.size()) < width)
        digits.insert(0, static_cast<size_t>(width) - digits.size(), '0');
    return digits;
}

// Letter numbering: a..z, then aa, ab ...; with `three`, aaa from 703 on.
std::string Letters(int32_t i, bool three) {
    std::string s;
    if (i <= 26) {
        s += char(96 + i);
    } else if (!three || i <= 702) {
        s += char(96 + (i - 1) / 26);
        s += char(97 + (i - 1) % 26);
    } else {
        s += char(96 + (i - 1) / 676);
        s += char(96 + ((i - 1) / 26) % 26);
        s += char(97 + (i - 1) % 26);
    }
    return s;
}

std::string U(std::string s, bool underscore) {
    if (!underscore)
        for (char& c : s)
            if (c == '_') c = 'x';
    return s;
}

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

void PrefixWarnings(const std::string& prefix, std::vector<std::string>& warnings) {
    if (prefix.empty()) return;
    if (!IsLetter(prefix[0]) && prefix[0] != '_')
        warnings.push_back(
            LangText("<EN>  - Variable prefix does not start with a letter or an underline."
                     "<PL>  - Prefiks zmiennych nie zaczyna się od litery ani podkreślenia."));
    for (const char c : prefix) {
        if (!IsLetter(c) && !(c >= '0' && c <= '9') && c != '_') {
            warnings.push_back(
                LangText("<EN>  - Variable prefix has illegal characters."
                         "<PL>  - Prefiks zmiennych zawiera niedozwolone znaki."));
            break;
        }
    }
}

void LabelWarnings(const std::string& label, bool emptyMatters,
                   std::vector<std::string>& warnings) {
    if (label.empty() && emptyMatters)
        warnings.push_back(
            LangText("<EN>  - Variable label not defined."
                     "<PL>  - Nie określono etykiety zmiennej."));
    if (Utf8Length(label) > 20)
        warnings.push_back(
            LangText("<EN>  - Variable label longer than 20 characters."
                     "<PL>  - Etykieta zmiennej dłuższa niż 20 znaków."));
    if (label.find('\'') != std::string::npos)
        warnings.push_back(
            LangText("<EN>  - Apostrophe illegal in a label."
                     "<PL>  - Apostrof jest niedozwolony w etykiecie."));
}

const char* const TextPrefixUndefined =
    "<EN>Variable prefix undefined.<PL>Nie określono prefiksu zmiennych.";
const char* const TextInvalidCount = "<EN>Invalid number of fields.<PL>Nieprawidłowa liczba pól.";
const char* const TextInvalidWidths = "<EN>Invalid field widths.<PL>Nieprawidłowa szerokość pól.";

void Fail(TTemplateCheck& check, const char* text, TTemplateBox box) {
    check.Error = LangText(text);
    check.ErrorBox = box;
}

// Width of the answer codes and the code-width for a highest code.
int32_t CodeWidth(int32_t highest) {
    if (highest <= 7) return 1;
    if (highest <= 97) return 2;
    if (highest <= 997) return 3;
    return 4;
}

}  // namespace

int32_t Utf8Length(const std::string& text) {
    int32_t n = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

TInsMulti_Data DefaultMultiData() {
    TInsMulti_Data data;
    data.TextLabel = LangText("<EN>which<PL>jakie");
    return data;
}

TInsSingle_Data DefaultSingleData() {
    TInsSingle_Data data;
    data.TextLabel = LangText("<EN>other<PL>inne");
    return data;
}

namespace {

// The checks the group and open-ended dialogs share: a prefix (blanks
// removed), then a count and a width above 0; the prefix warnings follow.
TTemplateCheck CheckPrefixCountWidth(const TTemplateInput& input, std::string& prefix,
                                     int32_t& count, int32_t& width) {
    TTemplateCheck check;
    prefix = Trim(input.Prefix);
    if (prefix.empty()) {
        Fail(check, TextPrefixUndefined, TTemplateBox::Prefix);
    } else if (!WholeNumber(input.Count, count) || count <= 0) {
        Fail(check, TextInvalidCount, TTemplateBox::Count);
    } else if (!WholeNumber(input.Width, width) || width <= 0) {
        Fail(check, TextInvalidWidths, TTemplateBox::Width);
    }
    if (check.Valid()) PrefixWarnings(prefix, check.Warnings);
    return check;
}

}  // namespace

TTemplateCheck CheckGroup(const TTemplateInput& input, TInsGroup_Data& data) {
    std::string prefix;
    int32_t count = 0, width = 0;
    TTemplateCheck check = CheckPrefixCountWidth(input, prefix, count, width);
    if (!check.Valid()) return check;
    if (count > 30)
        check.Warnings.push_back(
            LangText("<EN>  - More than 30 variables defined."
                     "<PL>  - Zdefiniowano więcej niż 30 zmiennych."));
    if (count == 1)
        check.Warnings.push_back(
            LangText("<EN>  - Only one variable defined."
                     "<PL>  - Zdefiniowano tylko jedną zmienną."));
    if (width > 5)
        check.Warnings.push_back(
            LangText("<EN>  - Fields wider than 5 characters."
                     "<PL>  - Pola szersze niż 5 znaków."));
    LabelWarnings(input.Label, true, check.Warnings);
    data.Prefix = prefix;
    data.Label = input.Label;
    data.Count = count;
    data.Width = width;
    return check;
}

TTemplateCheck CheckMulti(const TTemplateInput& input, TInsMulti_Data& data) {
    TTemplateCheck check;
    const std::string prefix = Trim(input.Prefix);
    int32_t count = 0, textCount = 0;
    if (!WholeNumber(input.Count, count) || count <= 0) {
        Fail(check, TextInvalidCount, TTemplateBox::Count);
    } else if (!WholeNumber(input.TextCount, textCount) || textCount < 0) {
        Fail(check, "<EN>Invalid number of text fields.<PL>Nieprawidłowa liczba pól tekstowych.",
             TTemplateBox::TextCount);
    } else if (prefix.empty()) {
        Fail(check, TextPrefixUndefined, TTemplateBox::Prefix);
    }
    if (!check.Valid()) return check;
    PrefixWarnings(prefix, check.Warnings);
    if (count > 30)
        check.Warnings.push_back(
            LangText("<EN>  - More than 30 numeric variables defined."
                     "<PL>  - Zdefiniowano więcej niż 30 zmiennych numerycznych."));
    if (count == 1)
        check.Warnings.push_back(
            LangText("<EN>  - Only one numeric variable defined."
                     "<PL>  - Zdefiniowano tylko jedną zmienną numeryczną."));
    if (textCount > 5)
        check.Warnings.push_back(
            LangText("<EN>  - More than 5 text variables defined."
                     "<PL>  - Zdefiniowano więcej niż 5 zmiennych tekstowych."));
    LabelWarnings(input.Label, textCount > 0, check.Warnings);
    data.Prefix = prefix;
    data.TextLabel = input.Label;
    data.FilterPrefix = input.FilterPrefix;
    data.Count = count;
    data.TextCount = textCount;
    return check;
}

TTemplateCheck CheckSingle(const TTemplateInput& input, TInsSingle_Data& data) {
    TTemplateCheck check;
    const char* const invalid = "<EN>Invalid value.<PL>Nieprawidłowa wartość.";
    int32_t count = -1, textCount = 0, textPos = 0;
    if (!WholeNumber(input.Count, count)) count = -1;
    if (count <= 1) {
        Fail(check, invalid, TTemplateBox::Count);
    } else if (input.Prefix.empty()) {
        Fail(check, TextPrefixUndefined, TTemplateBox::Prefix);
    } else if (!WholeNumber(input.TextCount, textCount) || textCount <= 0 || textCount >= count) {
        Fail(check, invalid, TTemplateBox::TextCount);
    } else if (!WholeNumber(input.TextPos, textPos) || textPos < 1 ||
               textPos > count - textCount + 1) {
        Fail(check, invalid, TTemplateBox::TextPos);
    }
    if (!check.Valid()) return check;
    PrefixWarnings(input.Prefix, check.Warnings);
    if (count < 3)
        check.Warnings.push_back(
            LangText("<EN>  - Number variable will have only two values."
                     "<PL>  - Zmienna numeryczna będzie miała tylko dwie wartości."));
    LabelWarnings(input.Label, true, check.Warnings);
    data.Prefix = input.Prefix;
    data.TextLabel = input.Label;
    data.Count = count;
    data.TextCount = textCount;
    data.TextPos = textPos;
    return check;
}

TTemplateCheck CheckOpen(const TTemplateInput& input, TInsOpen_Data& data) {
    std::string prefix;
    int32_t count = 0, width = 0;
    TTemplateCheck check = CheckPrefixCountWidth(input, prefix, count, width);
    if (!check.Valid()) return check;
    if (count > 10)
        check.Warnings.push_back(
            LangText("<EN>  - More than 10 variables defined."
                     "<PL>  - Zdefiniowano więcej niż 10 zmiennych."));
    if (count == 1)
        check.Warnings.push_back(
            LangText("<EN>  - Only one variable defined."
                     "<PL>  - Zdefiniowano tylko jedną zmienną."));
    if (width < 20 || width > 48)
        check.Warnings.push_back(
            LangText("<EN>  - Unusual field widths."
                     "<PL>  - Nietypowa szerokość pól."));
    LabelWarnings(input.Label, true, check.Warnings);
    data.Prefix = prefix;
    data.TextLabel = input.Label;
    data.Count = count;
    data.Width = width;
    return check;
}

std::string WarningQuestion(const std::vector<std::string>& warnings) {
    std::string collected;
    for (const std::string& w : warnings)
        collected += "\r\n" + w;
    if (Utf8Length(collected) > 153) {
        // Cut after 150 characters, never inside a character.
        size_t bytes = 0;
        for (int32_t chars = 0; bytes < collected.size() && chars < 150; ++chars) {
            ++bytes;
            while (bytes < collected.size() &&
                   (static_cast<unsigned char>(collected[bytes]) & 0xC0) == 0x80)
                ++bytes;
        }
        collected = collected.substr(0, bytes) + "...";
    }
    return FormatText(LangText("<EN>Please take a look at the following warnings:\r\n%s\r\n\r\n"
                               "Do you want to change anything?"
                               "<PL>Proszę przejrzeć następujące ostrzeżenia:\r\n%s\r\n\r\n"
                               "Czy chcesz coś zmienić?"),
                      collected.c_str());
}

std::string TTemplateBlock::Text() const {
    std::string text;
    for (const std::string& line : Lines)
        text += line + "\r\n";
    text += "\r\n";
    return text;
}

TTemplateBlock GenerateGroup(const TInsGroup_Data& d, int32_t countDigitsTyped, bool underscore) {
    const auto s = [&](int32_t i) {
        return "_" + (d.Numbering == nbLetters ? Letters(i, false) : Pad(i, countDigitsTyped));
    };
    TTemplateBlock block;
    for (int32_t i = 1; i <= d.Count; ++i) {
        std::string line = "left='" + d.Prefix + s(i) + " " + d.Label + "'";
        if (i == 1) {
            line += " width=" + std::to_string(d.Width) + " auto=";
            block.CaretColumn = Utf8Length(line);
            line += " range=[]";
            if (d.Count > 1 && d.GroupFlag)
                line += " group=" + U(d.Prefix + s(d.Count), underscore);
        }
        if (d.Filtered || (i == d.Count && d.Count > 1 && d.GroupFlag))
            line += " label=" + U(d.Prefix + s(i), underscore);
        block.Lines.push_back(line + "*");
    }
    return block;
}

TTemplateBlock GenerateMulti(const TInsMulti_Data& d, bool multi1, int32_t defTextWidth,
                             bool underscore) {
    const int32_t t = d.Count + d.TextCount;
    const int32_t n = t + (d.NoneFlag ? 1 : 0) + (d.DontKnow ? 1 : 0);
    const int32_t w = CodeWidth(n);
    const std::string z(static_cast<size_t>(w), '9');
    const std::string ws = std::to_string(w);
    const auto s = [&](int32_t i) {
        return "_" + (d.Numbering == nbLetters ? Letters(i, true) : Pad(i, w));
    };
    const auto L = [&](int32_t i) { return U(d.Prefix + s(i), underscore); };
    const auto LT = [&](int32_t i) { return U(d.Prefix + s(i) + "T", underscore); };
    const auto F = [&](int32_t i) { return d.FilterPrefix + U(s(i), underscore); };
    // The answers a don't-know or none answer governs.
    const auto targets = [&] {
        std::string list = L(1);
        if (t > 1) list += ":" + L(t);
        if (d.TextCount > 0) list += "T";
        return list;
    };

    TTemplateBlock block;
    if (d.DontKnow) {
        const int32_t dk = d.NoneFlag ? n - 1 : n;
        std::string line = "left='" + d.Prefix + s(dk) + LangText("<EN> D/K'<PL> nie wiem'");
        if (multi1)
            line += " width=1 auto=0 range=[0,1] when=[1][";
        else
            line += " width=" + ws + " auto=0 range=[0," + std::to_string(dk) + "] when=[" +
                    std::to_string(dk) + "][";
        line += targets();
        if (d.NoneFlag) line += "," + L(n);
        block.Lines.push_back(line + "]*");
        if (!d.NoneFlag) block.Lines.push_back("comment=''*");
    }
    if (d.NoneFlag) {
        std::string line = "left='" + d.Prefix + s(n) + LangText("<EN> none'<PL> żadne'");
        line += multi1 ? " width=1" : " width=" + ws;
        if (!d.DontKnow) line += " auto=0";
        if (multi1)
            line += " range=[0,1] when=[1][";
        else
            line += " range=[0," + std::to_string(n) + "] when=[" + std::to_string(n) + "][";
        line += targets() + "]";
        if (d.DontKnow) line += " label=" + L(n);
        block.Lines.push_back(line + "*");
        block.Lines.push_back("comment=''*");
    }
    block.CaretLine = static_cast<int32_t>(block.Lines.size());
    block.ColumnFromInsertion = block.CaretLine == 0;
    for (int32_t i = 1; i <= d.Count; ++i) {
        std::string line = "left='" + d.Prefix + s(i) + " ";
        if (i == 1) block.CaretColumn = Utf8Length(line);
        line += "' range=[";
        if (d.Segment)
            line += (i < d.Count ? Pad(i, w) + ":" + Pad(d.Count, w) : Pad(i, w)) + "," + z;
        else
            line += "0," + Pad(i, w);
        line += "]";
        if (i == 1) {
            line += " width=" + ws + " auto=" + (d.Segment ? z : std::string("0"));
            if (d.GroupFlag) line += " group=" + L(d.Count);
        }
        if ((i == d.Count && (d.GroupFlag || d.TextCount == 0)) ||
            (i == 1 && (d.NoneFlag || d.DontKnow)) || d.Filtered)
            line += " label=" + L(i);
        if (d.Filtering) line += " when=[0][" + F(i) + "]";
        block.Lines.push_back(line + "*");
    }
    for (int32_t i = d.Count + 1; i <= t; ++i) {
        std::string line =
            "left='" + d.Prefix + s(i) + " " + LangText("<EN>other<PL>inne") + "' range=[";
        if (d.Segment)
            line += Pad(i, w) + "," + z + "] width=" + ws + " when=[" + z + "][";
        else
            line += "0," + Pad(i, w) + "] width=" + ws + " when=[0][";
        line += LT(i);
        if (i < t) line += ":" + LT(t);
        line += "]";
        if (d.Filtered) line += " label=" + L(i);
        if (d.Filtering) line += " when=[0][" + F(i) + "]";
        block.Lines.push_back(line + "*");
        std::string text = "left='" + d.Prefix + s(i) + "T " + d.TextLabel +
                           "' text width=" + std::to_string(defTextWidth) + " label=" + LT(i);
        if (i == d.Count + 1) text += " auto='\\ '";
        block.Lines.push_back(text + "*");
    }
    return block;
}

TTemplateBlock GenerateSingle(const TInsSingle_Data& d, int32_t defTextWidth, bool underscore) {
    const int32_t w = CodeWidth(d.Count);
    const std::string m = std::string(static_cast<size_t>(w - 1), '9') + "8";
    const std::string m1 = std::string(static_cast<size_t>(w), '9');
    std::string v;
    if (d.TextPos == 2) v = "1";
    if (d.TextPos > 2) v = "1:" + std::to_string(d.TextPos - 1);
    if (d.TextPos < d.Count - d.TextCount + 1) {
        if (d.TextPos > 1) v += ",";
        v += std::to_string(d.TextPos + d.TextCount);
        if (d.TextPos + d.TextCount < d.Count) v += ":" + std::to_string(d.Count);
    }
    TTemplateBlock block;
    const std::string left = "left='" + d.Prefix + " ";
    block.CaretColumn = Utf8Length(left);
    block.Lines.push_back(left + "' width=" + std::to_string(w) + " auto=" + m +
                          " range=[1:" + std::to_string(d.Count) + "," + m + "," + m1 + "] when=[" +
                          v + "][" + U(d.Prefix, underscore) + "T]*");
    block.Lines.push_back("left='" + d.Prefix + "T " + d.TextLabel +
                          "' text width=" + std::to_string(defTextWidth) +
                          " auto='\\ ' label=" + U(d.Prefix, underscore) + "T*");
    return block;
}

TTemplateBlock GenerateOpen(const TInsOpen_Data& d, bool underscore) {
    const int32_t digits = static_cast<int32_t>(std::to_string(d.Count).size());
    TTemplateBlock block;
    for (int32_t n = 1; n <= d.Count; ++n) {
        std::string line =
            "left='" + d.Prefix + "_" + Pad(n, digits) + " " + d.TextLabel + "' text";
        if (n == 1) {
            line += " width=" + std::to_string(d.Width);
            if (d.Count > 1) line += " group=" + U(d.Prefix, underscore);
        }
        if (n == d.Count && d.Count > 1) line += " label=" + U(d.Prefix, underscore);
        block.Lines.push_back(line + "*");
    }
    // After the inserted text: the start of the line after the empty line.
    block.CaretLine = d.Count + 1;
    block.CaretColumn = 0;
    block.ColumnFromInsertion = false;
    return block;
}

}  // namespace tallyra::core
