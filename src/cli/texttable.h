// SPDX-License-Identifier: GPL-3.0-or-later
// A table printed in aligned columns: the first column on the left, the
// others (figures) on the right of theirs, two blanks between columns.
#pragma once

#include <string>
#include <vector>

namespace tallyra::cli {

class TTextTable {
public:
    // Appends a row of UTF-8 cells; the first row is the heading.
    void Add(std::vector<std::string> row) { Rows.push_back(std::move(row)); }
    // The rows, one line each, without trailing blanks.
    std::string Text() const;

private:
    std::vector<std::vector<std::string>> Rows;
};

// Display width of UTF-8 text: its code points.
size_t DisplayWidth(const std::string& text);

}  // namespace tallyra::cli
