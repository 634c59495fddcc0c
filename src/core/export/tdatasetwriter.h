// SPDX-License-Identifier: GPL-3.0-or-later
// One small interface for writing a data set (a table of named, labelled
// variables) in the formats analysts open directly: SPSS system files (.sav,
// compressed .zsav), SPSS portable files (.por), Stata files (.dta) and CSV.
// The SPSS and Stata formats are written through ReadStat, which nothing
// outside this folder sees.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "../spss/tvar.h"

namespace tallyra::core {

enum class TDataSetFormat { Sav, Zsav, Por, Dta, Csv };

// The format named by "sav", "zsav", "por", "dta" or "csv" (any letter case).
std::optional<TDataSetFormat> DataSetFormatFromWord(std::string_view word);
// The format of a file name's extension (".sav" ...); nullopt for others.
std::optional<TDataSetFormat> DataSetFormatFromName(const std::string& fileName);
// The format's word ("sav").
const char* DataSetFormatWord(TDataSetFormat format);
// The file-type filter of a save dialog for the five formats (selected for
// the current language, "Name (*.ext)|*.ext|..." as the dialogs take it).
std::string DataSetFileFilter();

// How a format stores text. Texts reach a writer as code page 1250 bytes and
// are converted by it.
enum class TDataSetEncoding {
    Utf8,   // sav and zsav (with their encoding record), dta (release 118), CSV
    Ascii,  // por: the portable character set has no Polish letters, which
            // are written as their base letters (others as "?", control
            // characters and line breaks as blanks)
};
TDataSetEncoding DataSetEncoding(TDataSetFormat format);

// A 1250 text as the format stores it.
std::string DataSetText(TDataSetEncoding encoding, std::string_view cp1250);

// One variable of the data set, as the variable model describes it.
struct TDataSetColumn {
    std::string Name;
    std::string Label;  // 1250 bytes; empty for none
    bool IsString = false;
    int32_t Width = 1;         // characters of the field
    int32_t StorageWidth = 1;  // bytes a string value may take once converted
    int32_t LongestBytes = 0;  // bytes of the longest value once converted (UTF-8 formats)
    std::vector<TVal> ValueLabels;
    uint8_t MissingCount = 0;
    bool MissingRange = false;
    std::array<double, 3> MissingValues{};
};

// Writes a data set cell by cell, row by row. Begin first, then for every
// row one call per column in column order and EndRow, then Finish. Every
// operation raises EGeneric with a clear text on failure (the output is then
// unusable; the caller removes it).
class TDataSetWriter {
public:
    TDataSetWriter() = default;
    virtual ~TDataSetWriter() = default;
    TDataSetWriter(const TDataSetWriter&) = delete;
    TDataSetWriter& operator=(const TDataSetWriter&) = delete;

    // Declares the columns and the exact number of rows that follow.
    virtual void Begin(const std::vector<TDataSetColumn>& columns, int64_t rows) = 0;
    // The next cell of a numeric column.
    virtual void Number(double value) = 0;
    // The next cell of a numeric column is system-missing.
    virtual void Missing() = 0;
    // The next cell of a string column (1250 bytes, trailing blanks removed).
    virtual void Text(std::string_view cp1250) = 0;
    virtual void EndRow() = 0;
    // Completes the file (all bytes handed to the descriptor).
    virtual void Finish() = 0;
    // String values cut to fit the format (CutLongTexts); 0 otherwise.
    virtual int64_t TextsCut() const { return 0; }
};

// The longest string value of a system file (.sav, .zsav), in bytes.
constexpr int32_t SavMaxString = 32767;

struct TDataSetWriterOptions {
    bool CsvValueLabels = false;  // CSV: a labelled value is written as its label
    // CSV: texts exactly as they are. Otherwise a text cell (or a value
    // label written for a code) that a spreadsheet would take for a formula,
    // one beginning with "=", "+", "-", "@", a tab or a CR, gets an
    // apostrophe in front; a text that is a plain number ("-5", "+3.5")
    // stays as it is, and numbers are never touched.
    bool CsvRaw = false;
    // sav, zsav: a string value longer than SavMaxString bytes in UTF-8 is
    // cut at a character boundary (and counted) instead of refusing the
    // variable.
    bool CutLongTexts = false;
    // The output's name, for the texts of failed writes ("NAME: Probably
    // disk out of space.").
    std::string OutputName;
};

// A writer for `format` writing to the open descriptor `fd` (borrowed; the
// caller closes it).
std::unique_ptr<TDataSetWriter> CreateDataSetWriter(TDataSetFormat format, int fd,
                                                    const TDataSetWriterOptions& options);

}  // namespace tallyra::core
