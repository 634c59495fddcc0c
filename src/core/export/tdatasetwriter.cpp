// SPDX-License-Identifier: GPL-3.0-or-later
#include "tdatasetwriter.h"

#include <filesystem>

#include "../shell/cp1250.h"
#include "../shell/langtext.h"
#include "csvwriter.h"
#include "readstatwriter.h"

namespace tallyra::core {

namespace {

struct TFormatWord {
    const char* Word;
    TDataSetFormat Format;
};
constexpr TFormatWord FormatWords[] = {
    {"sav", TDataSetFormat::Sav}, {"zsav", TDataSetFormat::Zsav}, {"por", TDataSetFormat::Por},
    {"dta", TDataSetFormat::Dta}, {"csv", TDataSetFormat::Csv},
};

// Code page 1250 letters with diacritics and the ASCII letter they are based
// on; the portable format gets the base letter.
struct TBaseLetter {
    unsigned char Byte;
    char Base;
};
constexpr TBaseLetter BaseLetters[] = {
    {0xA5, 'A'}, {0xB9, 'a'}, {0xC6, 'C'}, {0xE6, 'c'}, {0xCA, 'E'}, {0xEA, 'e'}, {0xA3, 'L'},
    {0xB3, 'l'}, {0xD1, 'N'}, {0xF1, 'n'}, {0xD3, 'O'}, {0xF3, 'o'}, {0x8C, 'S'}, {0x9C, 's'},
    {0x8F, 'Z'}, {0x9F, 'z'}, {0xAF, 'Z'}, {0xBF, 'z'}, {0x8A, 'S'}, {0x9A, 's'}, {0x8E, 'Z'},
    {0x9E, 'z'}, {0xC1, 'A'}, {0xE1, 'a'}, {0xC4, 'A'}, {0xE4, 'a'}, {0xC8, 'C'}, {0xE8, 'c'},
    {0xC9, 'E'}, {0xE9, 'e'}, {0xCC, 'E'}, {0xEC, 'e'}, {0xCD, 'I'}, {0xED, 'i'}, {0xD2, 'N'},
    {0xF2, 'n'}, {0xD4, 'O'}, {0xF4, 'o'}, {0xD6, 'O'}, {0xF6, 'o'}, {0xD8, 'R'}, {0xF8, 'r'},
    {0xDA, 'U'}, {0xFA, 'u'}, {0xDC, 'U'}, {0xFC, 'u'}, {0xDD, 'Y'}, {0xFD, 'y'}, {0xDF, 's'},
    {0x8D, 'T'}, {0x9D, 't'}, {0xD9, 'U'}, {0xF9, 'u'}, {0xC0, 'R'}, {0xE0, 'r'}, {0xC5, 'L'},
    {0xE5, 'l'}, {0xBC, 'L'}, {0xBE, 'l'}, {0xCF, 'D'}, {0xEF, 'd'}, {0xD0, 'D'}, {0xF0, 'd'},
};

char AsciiOf(unsigned char byte) {
    // ReadStat's portable writer refuses control characters (a line break
    // of a text field among them): they become blanks.
    if (byte < 0x20 || byte == 0x7F) return ' ';
    if (byte < 0x80) return static_cast<char>(byte);
    for (const TBaseLetter& letter : BaseLetters)
        if (letter.Byte == byte) return letter.Base;
    if (byte == 0xA0) return ' ';
    return '?';
}

}  // namespace

std::optional<TDataSetFormat> DataSetFormatFromWord(std::string_view word) {
    std::string lower(word);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    for (const TFormatWord& entry : FormatWords)
        if (lower == entry.Word) return entry.Format;
    return std::nullopt;
}

std::optional<TDataSetFormat> DataSetFormatFromName(const std::string& fileName) {
    const std::string extension = std::filesystem::path(fileName).extension().string();
    if (extension.size() < 2) return std::nullopt;
    return DataSetFormatFromWord(std::string_view(extension).substr(1));
}

std::string DataSetFileFilter() {
    return LangText(
        "<EN>SPSS system file (*.sav)|*.sav|SPSS compressed system file (*.zsav)|*.zsav|"
        "SPSS portable file (*.por)|*.por|Stata (*.dta)|*.dta|CSV (*.csv)|*.csv"
        "<PL>Plik systemowy SPSS (*.sav)|*.sav|Skompresowany plik systemowy SPSS (*.zsav)|"
        "*.zsav|Plik przenośny SPSS (*.por)|*.por|Stata (*.dta)|*.dta|CSV (*.csv)|*.csv");
}

const char* DataSetFormatWord(TDataSetFormat format) {
    for (const TFormatWord& entry : FormatWords)
        if (entry.Format == format) return entry.Word;
    return "";
}

TDataSetEncoding DataSetEncoding(TDataSetFormat format) {
    return format == TDataSetFormat::Por ? TDataSetEncoding::Ascii : TDataSetEncoding::Utf8;
}

std::string DataSetText(TDataSetEncoding encoding, std::string_view cp1250) {
    if (encoding == TDataSetEncoding::Utf8) return Cp1250ToUtf8(cp1250);
    std::string text(cp1250.size(), ' ');
    for (size_t i = 0; i < cp1250.size(); ++i)
        text[i] = AsciiOf(static_cast<unsigned char>(cp1250[i]));
    return text;
}

std::unique_ptr<TDataSetWriter> CreateDataSetWriter(TDataSetFormat format, int fd,
                                                    const TDataSetWriterOptions& options) {
    if (format == TDataSetFormat::Csv) return CreateCsvWriter(fd, options);
    return CreateReadStatWriter(format, fd, options);
}

}  // namespace tallyra::core
