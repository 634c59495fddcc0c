// SPDX-License-Identifier: GPL-3.0-or-later
// Code page 1250 (Central European Windows) <-> Unicode. Script and data
// files are 1250 bytes; user-interface texts are UTF-8. Every one of the 256
// bytes maps to a distinct code point (the five bytes the code page leaves
// undefined map to the C1 controls of the same number), so bytes always
// round-trip through Unicode.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tallyra::core {

// The Unicode code point of one 1250 byte.
char32_t Cp1250ToUnicode(unsigned char byte);

// The 1250 byte of a code point, or -1 when the code page has none.
int UnicodeToCp1250(char32_t codePoint);

// 1250 bytes to UTF-8.
std::string Cp1250ToUtf8(std::string_view bytes);

// UTF-8 to 1250 bytes. A character outside the code page (or a malformed
// UTF-8 sequence, reported as U+FFFD) becomes `replacement` and is appended
// to *unmapped when given, so the caller can report it instead of losing it.
std::string Utf8ToCp1250(std::string_view utf8, std::vector<char32_t>* unmapped = nullptr,
                         char replacement = '?');

// Appends the UTF-8 form of one code point.
void AppendUtf8(std::string& out, char32_t codePoint);

// Decodes one UTF-8 character at text[pos], advancing pos; malformed input
// yields U+FFFD and advances by one byte.
char32_t DecodeUtf8(std::string_view text, size_t& pos);

}  // namespace tallyra::core
