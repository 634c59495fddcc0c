// SPDX-License-Identifier: GPL-3.0-or-later
// Exporting a data file as a data set: the variables, names, labels, value
// labels and missing values of the script's variable model (with the same
// choices as the SPSS syntax export), the values of the chosen fields of the
// chosen full records, written through TDataSetWriter in one format.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "../data/datafile.h"
#include "../spss/spssexport.h"
#include "../spss/tvarcoll.h"
#include "tdatasetwriter.h"

namespace tallyra::core {

class TPXDictionary;

struct TDataExportOptions {
    TDataSetFormat Format = TDataSetFormat::Sav;
    // Variable labels and the 9..98 / 9..99 missing values, as the SPSS
    // syntax export's dialog offers them.
    TSPSExportOptions Spss;
    // A numeric field holding something that is not a number becomes
    // system-missing (and is counted) instead of stopping the export.
    bool Lenient = false;
    bool CsvValueLabels = false;
    // CSV: texts exactly as they are, without the apostrophe that keeps a
    // spreadsheet from running a text as a formula (TDataSetWriterOptions).
    bool CsvRaw = false;
    // sav, zsav: texts longer than a system file's strings hold are cut at a
    // character boundary (and counted) instead of stopping the export.
    bool CutLongTexts = false;
    // Field numbers (0-based among the script's fields, any order, repeats
    // ignored; the script's order is kept); empty: every field.
    std::vector<int32_t> Fields;
    // Record numbers (from 1, ascending, no repeats); nullopt: every full
    // record. Numbers past the last full record select nothing.
    std::optional<std::vector<int64_t>> Records;
    // How the data file is opened: under the reader lock, or as a file the
    // caller's own store holds (the viewer exporting its selection).
    TDataFileLock DataLock = TDataFileLock::Take;
    // Called now and then while records are written, and once at the end:
    // (records written, records to write).
    std::function<void(int64_t done, int64_t total)> Progress;
};

struct TDataExportSummary {
    int32_t Variables = 0;
    int64_t Records = 0;
    int64_t LenientValues = 0;  // values turned into system-missing by Lenient
    int64_t TextsCut = 0;       // values cut by CutLongTexts
    // The data file ends in an incomplete record, which was left out.
    bool IncompleteLeftOut = false;
};

// The value of one numeric field as the export reads it: nullopt for a
// blank field (blanks and never-entered "*" only) or an undefined one (all
// "#"), which become system-missing; otherwise `number` is set and true is
// returned for leading blanks, an optional sign and decimal digits, false
// for anything else.
std::optional<bool> ReadExportNumber(std::string_view field, double& number);

// Writes the data set. `vars` is the script's variable set (one variable per
// field, in script order, as BuildScriptVars builds it), `script` the same
// script read for data; the chosen variables are changed by the options
// (labels cleared, missing values set). The output appears at `target` only
// when complete (an existing file is replaced; the caller asks first).
// Raises EGeneric for a target that is the data file, for a field number
// outside the fields, for no fields or no records (the "no FULL records"
// text when the file has none and all were asked for), for a value that is not a
// number (naming the record and the variable) unless Lenient, for format
// limits (naming the variable) and for I/O errors (naming the file: the
// output, or the data file when it became shorter while it was read);
// EPXData (empty text) for a data file that does not fit the script.
TDataExportSummary ExportDataSet(const TPXDictionary& script, TVarColl& vars,
                                 const std::string& dataFile, const std::string& target,
                                 const TDataExportOptions& options);

}  // namespace tallyra::core
