// SPDX-License-Identifier: GPL-3.0-or-later
// The tokenizer of the script language: cuts a script text into symbols,
// identifiers, numbers and texts, counting 1-based positions, and raises
// ECompilerError with a message code on every lexical failure.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tallyra::core {

class TPXDictionary;

constexpr char tkEnd = 'F';
constexpr char tkSymbol = 's';
constexpr char tkIdent = 'i';
constexpr char tkNumber = 'n';
constexpr char tkText = 't';

// Tokens longer than this are cut in TokenText.
constexpr size_t MaxTokenText = 255;

class TPXCompiler {
public:
    // `source` must outlive the tokenizer (it is not copied).
    explicit TPXCompiler(std::string_view source) : Source(source) {}
    virtual ~TPXCompiler() = default;
    TPXCompiler(const TPXCompiler&) = delete;
    TPXCompiler& operator=(const TPXCompiler&) = delete;

    // Skips blanks and comments, then reads one token. Raises ECompilerError.
    virtual void NextToken();
    // Skips blanks and comments from Position; raises mcUnterminatedComment for a comment
    // left open at the end of the text.
    virtual void SkipBlanks();
    // Error recovery: moves Position just after the asterisk that ends the
    // current instruction.
    virtual void SkipToEnd();

    // Helpers of the reader; each reads the next token first.
    void ExpectEquals();  // mcEqualsExpected
    void ExpectIdent();   // mcIdentifierExpected
    void ExpectNumber();  // mcNumberExpected
    // "^" followed by an identifier: true, the identifier stays current.
    // Anything else than "^": false, the token stays current. Raises mcIdentifierExpected
    // when "^" is not followed by an identifier.
    bool ReadRef();
    // A number, or a reference (then TokenText = "^" + identifier); mcNumberExpected.
    void ExpectNumberOrRef();
    // A text, or a reference (then TokenText = "^" + identifier); mcTextExpected.
    void ExpectTextOrRef();

    bool IsSymbol(char c) const {
        return TokenKind == tkSymbol && TokenText.size() == 1 && TokenText[0] == c;
    }
    int32_t Length() const { return static_cast<int32_t>(Source.size()); }

    std::string_view Source;
    char TokenKind = tkEnd;
    std::string TokenText;
    std::string UpperText;
    int32_t Position = 1;
    // Where the last token read (or attempted) began, after blanks.
    int32_t TokenStart = 1;
    // Gives access to the reading options (only the underscore extension is
    // looked at). Borrowed; may be null, which means the extension is on.
    TPXDictionary* Owner = nullptr;

private:
    char At(int32_t position) const { return Source[static_cast<size_t>(position - 1)]; }
    bool UnderscoreAllowed() const;
    void SetTokenText(int32_t start, int32_t end);
};

}  // namespace tallyra::core
