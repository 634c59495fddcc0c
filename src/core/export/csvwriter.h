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
std::unique_ptr<TDataSetWriter> CreateCsvWriter(int fd, bool valueLabels);

}  // namespace tallyra::core
