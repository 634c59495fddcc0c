// SPDX-License-Identifier: GPL-3.0-or-later
// The codebook of a script: one self-contained HTML page (no scripts, no
// outside resources, styled for print) with the survey's pages and comments
// in order and, per field, its variable, texts, columns, type, valid values,
// automatic value, filters and groups in words and its value labels; with a
// data file also each field's frequency table (the counts of the frequency
// dialog) and a bar chart drawn as inline SVG.
#pragma once

#include <string>

namespace tallyra::core {

class TPXDictionary;
class TPXDataHandler;
class TVarColl;

// At most this many rows of a frequency table are shown; the page says how
// many more values there are.
constexpr int CodebookMaxFreqRows = 60;

// The page, in the current language. `script` is a checked script and `vars`
// its variable set (one variable per field, in script order); `data` is
// borrowed and may be null (no frequencies then); its position is left as
// it was. Names are shown as given. Raises EGeneric for I/O failures while
// counting.
std::string CodebookHtml(const TPXDictionary& script, const TVarColl& vars,
                         const std::string& scriptName, TPXDataHandler* data,
                         const std::string& dataName);

// Text made safe for HTML (UTF-8 in, UTF-8 out): & < > " and ' escaped.
std::string HtmlEscape(const std::string& utf8);

}  // namespace tallyra::core
