// SPDX-License-Identifier: GPL-3.0-or-later
// Texts of the data information dialogs: field information, context
// information, and the rows of the frequency table.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "tpxdatahandler.h"

namespace tallyra::core {

// The field information text of field `field` (an instruction index of a
// field); selected for the current language, UTF-8 throughout (the script's
// 1250 texts are converted).
std::string FieldInfoText(const TPXDataHandler& store, int32_t field);

// The context information text (active group and filters).
std::string ContextInfoText(const TPXDataHandler& store);

// One row of the frequency table: value, frequency, percent, cumulative.
using TFreqRow = std::array<std::string, 4>;
// The column titles, selected for the current language.
TFreqRow FreqTitles();
// The rows for a list built by CountValues.
std::vector<TFreqRow> FreqRows(const TFreqList& list);

// The find record dialog's OK: by record number (the text must be a decimal
// integer) or by identifier. Returns the error text to show, empty when the
// store moved to the record found (it queues OwnerRefresh).
std::string FindRecord(TPXDataHandler& store, bool byIdentifier, const std::string& text);

// Case-insensitive comparison of two 1250 texts as the frequency list sorts
// them: letters compared without their case (Latin letters of the code
// page included), otherwise by code point.
int CompareTextNoCase(const std::string& a, const std::string& b);

}  // namespace tallyra::core
