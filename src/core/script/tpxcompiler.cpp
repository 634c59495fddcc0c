// SPDX-License-Identifier: GPL-3.0-or-later
#include "tpxcompiler.h"

#include "../shell/errors.h"
#include "keywords.h"
#include "messagecodes.h"
#include "tpxdictionary.h"

namespace tallyra::core {

namespace {

inline bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
inline bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
inline bool IsIdentChar(char c) {
    return IsLetter(c) || IsDigit(c) || c == '_';
}
inline bool IsNumberChar(char c) {
    return IsIdentChar(c) || c == '+' || c == '-';
}

}  // namespace

bool TPXCompiler::UnderscoreAllowed() const {
    return Owner == nullptr || Owner->Options.ExtUnderscore != 0;
}

void TPXCompiler::SetTokenText(int32_t start, int32_t end) {
    // Characters start .. end - 1, cut to the fixed buffer size.
    size_t count = static_cast<size_t>(end - start);
    if (count > MaxTokenText) count = MaxTokenText;
    TokenText.assign(Source.data() + (start - 1), count);
}

void TPXCompiler::SkipBlanks() {
    const int32_t length = Length();
    bool unterminated = false;
    for (;;) {
        while (Position <= length && IsBlank(At(Position)))
            ++Position;
        if (Position <= length && At(Position) == '{') {
            while (Position <= length && At(Position) != '}')
                ++Position;
            if (Position <= length)
                ++Position;
            else
                unterminated = true;
        }
        if (Position <= length && (IsBlank(At(Position)) || At(Position) == '{')) continue;
        break;
    }
    if (unterminated) throw ECompilerError(mcUnterminatedComment);
}

void TPXCompiler::NextToken() {
    SkipBlanks();
    const int32_t start = Position;
    TokenStart = start;
    const int32_t length = Length();
    UpperText.clear();
    if (Position > length) {
        TokenKind = tkEnd;
        return;
    }
    const char c = At(Position);
    if (c == '\'') {
        ++Position;
        while (Position <= length && At(Position) != '\'' && At(Position) != '\r' &&
               At(Position) != '\n')
            ++Position;
        if (Position > length || At(Position) != '\'') throw ECompilerError(mcUnterminatedText);
        SetTokenText(start, Position + 1);
        TokenKind = tkText;
        ++Position;
        return;
    }
    switch (c) {
        case '*':
        case ',':
        case ':':
        case '=':
        case '[':
        case ']':
        case '^':
            TokenText.assign(1, c);
            TokenKind = tkSymbol;
            ++Position;
            return;
        default:
            break;
    }
    if (c == '+' || c == '-' || IsDigit(c)) {
        while (Position <= length && IsNumberChar(At(Position)))
            ++Position;
        SetTokenText(start, Position);
        int value;
        if (!StrToIntPX(Source.substr(size_t(start - 1), size_t(Position - start)), value))
            throw ECompilerError(mcNumberSyntax);
        TokenKind = tkNumber;
        return;
    }
    if (IsLetter(c) || c == '_') {
        const bool underscore = UnderscoreAllowed();
        while (Position <= length && IsIdentChar(At(Position))) {
            if (At(Position) == '_' && !underscore) throw ECompilerError(mcInvalidCharacter);
            ++Position;
        }
        SetTokenText(start, Position);
        TokenKind = tkIdent;
        UpperText = TokenText;
        for (char& u : UpperText)
            if (u >= 'a' && u <= 'z') u = char(u - 32);
        return;
    }
    ++Position;
    if (c == '}') throw ECompilerError(mcCommentWithoutStart);
    throw ECompilerError(mcInvalidCharacter);
}

void TPXCompiler::SkipToEnd() {
    if (IsSymbol('*')) {
        // The failed instruction's terminator has been read already. When the
        // token after it failed without consuming anything (an underscore that
        // starts an identifier while the extension is off), step over that
        // character, or reading would stop on it for ever.
        if (Position <= TokenStart && Position <= Length()) Position = TokenStart + 1;
        return;
    }
    const int32_t length = Length();
    while (Position <= length && At(Position) != '*')
        ++Position;
    if (Position <= length) ++Position;
}

void TPXCompiler::ExpectEquals() {
    NextToken();
    if (!IsSymbol('=')) throw ECompilerError(mcEqualsExpected);
}

void TPXCompiler::ExpectIdent() {
    NextToken();
    if (TokenKind != tkIdent) throw ECompilerError(mcIdentifierExpected);
}

void TPXCompiler::ExpectNumber() {
    NextToken();
    if (TokenKind != tkNumber) throw ECompilerError(mcNumberExpected);
}

bool TPXCompiler::ReadRef() {
    NextToken();
    if (!IsSymbol('^')) return false;
    NextToken();
    if (TokenKind != tkIdent) throw ECompilerError(mcIdentifierExpected);
    return true;
}

void TPXCompiler::ExpectNumberOrRef() {
    if (ReadRef()) {
        TokenText.insert(TokenText.begin(), '^');
        return;
    }
    if (TokenKind != tkNumber) throw ECompilerError(mcNumberExpected);
}

void TPXCompiler::ExpectTextOrRef() {
    if (ReadRef()) {
        TokenText.insert(TokenText.begin(), '^');
        return;
    }
    if (TokenKind != tkText) throw ECompilerError(mcTextExpected);
}

}  // namespace tallyra::core
