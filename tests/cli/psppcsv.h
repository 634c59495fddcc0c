// SPDX-License-Identifier: GPL-3.0-or-later
// Reading what PSPP prints with "-o out.csv": its tables by title, each a
// list of rows of fields (CSV quoting undone).
#pragma once

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace tallyra::cli::testing {

using TTable = std::vector<std::vector<std::string>>;

inline std::vector<std::string> CsvFields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                fields.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

// The tables of PSPP's CSV output by title; each table's first row is its header.
inline std::map<std::string, TTable> CsvTables(const std::string& text) {
    std::map<std::string, TTable> tables;
    TTable* current = nullptr;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("Table: ", 0) == 0) {
            current = &tables[line.substr(7)];
        } else if (line.empty()) {
            current = nullptr;
        } else if (current != nullptr) {
            current->push_back(CsvFields(line));
        }
    }
    return tables;
}

inline bool HavePSPP() {
    return std::system("command -v pspp >/dev/null 2>&1") == 0;
}

}  // namespace tallyra::cli::testing
