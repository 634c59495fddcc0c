// SPDX-License-Identifier: GPL-3.0-or-later
// A small streaming JSON writer for the command-line program's --json output.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tallyra::cli {

class TJsonWriter {
public:
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    // The key of the next value inside an object.
    void Key(std::string_view key);
    // A UTF-8 string value.
    void String(std::string_view value);
    void Number(int64_t value);
    // A floating-point number in its shortest exact form; null when not finite.
    void Double(double value);
    void Bool(bool value);
    void Null();

    const std::string& Text() const { return Out; }

private:
    void BeforeValue();
    std::string Out;
    std::vector<bool> First;  // per open container: no element written yet
    bool AfterKey = false;
};

// Escapes a UTF-8 string as a JSON string literal, quotes included.
std::string JsonQuote(std::string_view value);

}  // namespace tallyra::cli
