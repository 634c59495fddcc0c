// SPDX-License-Identifier: GPL-3.0-or-later
#include "texttable.h"

#include <algorithm>

namespace tallyra::cli {

size_t DisplayWidth(const std::string& text) {
    return size_t(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string TTextTable::Text() const {
    std::vector<size_t> widths;
    for (const auto& row : Rows) {
        if (widths.size() < row.size()) widths.resize(row.size(), 0);
        for (size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], DisplayWidth(row[i]));
    }
    std::string text;
    for (const auto& row : Rows) {
        std::string line;
        for (size_t i = 0; i < row.size(); ++i) {
            const std::string pad(widths[i] - DisplayWidth(row[i]), ' ');
            if (i > 0) line += "  ";
            line += i == 0 ? row[i] + pad : pad + row[i];
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        text += line + "\n";
    }
    return text;
}

}  // namespace tallyra::cli
