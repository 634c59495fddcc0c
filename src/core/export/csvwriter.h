// SPDX-License-Identifier: GPL-3.0-or-later
// The CSV writer of TDataSetWriter: RFC 4180 (CR LF, fields quoted when they
// hold a comma, a quote or a line break, quotes doubled), UTF-8 with a byte
// order mark so that spreadsheets take the letters right, one header line of
// variable names.
#pragma once

#include <memory>

#include "tdatasetwriter.h"

namespace tallyra::core {

// `fd` is borrowed. With `valueLabels`, a number that has a value label is
// written as the label text.
std::unique_ptr<TDataSetWriter> CreateCsvWriter(int fd, const TDataSetWriterOptions& options);

// Whether a spreadsheet would take a cell holding `text` for a formula: it
// begins with "=", "+", "-", "@", a tab or a CR and is not a plain decimal
// number ("-5", "+3.5", "-0,5"), or it is such a text behind apostrophes
// (so that the apostrophe added in front can be told from one typed).
bool CsvLooksLikeFormula(std::string_view text);

// The text a CSV cell gets: `text` with an apostrophe in front when
// CsvLooksLikeFormula, as spreadsheets take it for a text cell.
std::string CsvSafeText(std::string_view text);

}  // namespace tallyra::core
