// SPDX-License-Identifier: GPL-3.0-or-later
#include "jsonwriter.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "shell/cp1250.h"

namespace tallyra::cli {

std::string JsonQuote(std::string_view value) {
    std::string out = "\"";
    for (size_t i = 0; i < value.size(); ++i) {
        const char ch = value[i];
        const auto c = static_cast<unsigned char>(ch);
        // JSON is Unicode text: a byte that is no part of a UTF-8 character
        // becomes U+FFFD rather than going out raw.
        if (c >= 0x80) {
            size_t pos = i;
            const char32_t decoded = core::DecodeUtf8(value, pos);
            if (decoded == 0xFFFD && value.substr(i, pos - i) != "\xEF\xBF\xBD")
                out += "\xEF\xBF\xBD";
            else
                out.append(value.substr(i, pos - i));
            i = pos - 1;
            continue;
        }
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char buffer[8];
                    std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                    out += buffer;
                } else {
                    out += ch;
                }
        }
    }
    out += '"';
    return out;
}

void TJsonWriter::BeforeValue() {
    if (AfterKey) {
        AfterKey = false;
        return;
    }
    if (!First.empty()) {
        if (!First.back()) Out += ',';
        First.back() = false;
    }
}

void TJsonWriter::BeginObject() {
    BeforeValue();
    Out += '{';
    First.push_back(true);
}

void TJsonWriter::EndObject() {
    Out += '}';
    First.pop_back();
}

void TJsonWriter::BeginArray() {
    BeforeValue();
    Out += '[';
    First.push_back(true);
}

void TJsonWriter::EndArray() {
    Out += ']';
    First.pop_back();
}

void TJsonWriter::Key(std::string_view key) {
    BeforeValue();
    Out += JsonQuote(key);
    Out += ':';
    AfterKey = true;
}

void TJsonWriter::String(std::string_view value) {
    BeforeValue();
    Out += JsonQuote(value);
}

void TJsonWriter::Number(int64_t value) {
    BeforeValue();
    Out += std::to_string(value);
}

void TJsonWriter::Bool(bool value) {
    BeforeValue();
    Out += value ? "true" : "false";
}

void TJsonWriter::Null() {
    BeforeValue();
    Out += "null";
}

void TJsonWriter::Double(double value) {
    BeforeValue();
    if (!std::isfinite(value)) {
        Out += "null";
        return;
    }
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    // The shortest form that reads back to the same value.
    for (int precision = 1; precision <= 17; ++precision) {
        char shorter[40];
        std::snprintf(shorter, sizeof shorter, "%.*g", precision, value);
        if (std::strtod(shorter, nullptr) == value) {
            Out += shorter;
            return;
        }
    }
    Out += buffer;
}

}  // namespace tallyra::cli
